#pragma once
// Move-only owners for the handles the Win32 adapters take, so that every
// handle is released on every path out of the function that took it.
//
// One owner type per handle kind: a kind is a small traits struct saying
// what its "no handle" values are and how it is released. To add one
// (registry keys, GDI objects, ...):
//
//   struct RegistryKeyTraits {
//     using Type = HKEY;
//     static bool IsNone(HKEY key) { return key == nullptr; }
//     static void Release(HKEY key) { RegCloseKey(key); }
//   };
//   using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
//
// Kinds whose only "no handle" value is null can use NullIsNone<T, Release>.
#include <windows.h>

#include <utility>

namespace twk::platform::win32 {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  [[nodiscard]] Type get() const { return handle_; }
  [[nodiscard]] bool valid() const { return !Traits::IsNone(handle_); }
  explicit operator bool() const { return valid(); }

  // Gives up ownership, for a handle that goes on to someone else.
  [[nodiscard]] Type Release() { return std::exchange(handle_, Type{}); }
  // Releases the handle held and owns the one given (none by default).
  void Reset(Type handle = Type{}) {
    Type old = std::exchange(handle_, handle);
    if (!Traits::IsNone(old)) Traits::Release(old);
  }
  // For the functions that hand out a new handle through a pointer.
  [[nodiscard]] Type* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Type handle_{};
};

template <class T, void (*ReleaseFunction)(T)>
struct NullIsNone {
  using Type = T;
  static bool IsNone(T handle) { return handle == T{}; }
  static void Release(T handle) { ReleaseFunction(handle); }
};

// A handle from CreateFileW. It reports failure with INVALID_HANDLE_VALUE,
// and null is never a file either: both mean "no file".
struct FileTraits {
  using Type = HANDLE;
  static bool IsNone(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
  static void Release(HANDLE handle) { CloseHandle(handle); }
};
using UniqueFile = UniqueHandle<FileTraits>;

}  // namespace twk::platform::win32

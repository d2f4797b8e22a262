#pragma once
// Move-only owners of the handle kinds that the identity queries take:
// kernel handles (processes, tokens), memory from the terminal services,
// memory from LocalAlloc, and SIDs built by AllocateAndInitializeSid. Each
// releases its handle on every path out of the function that took it.
#include <windows.h>
#include <wtsapi32.h>

#include <utility>

namespace twk::platform::win32 {

template <class T, auto Free>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  T get() const { return value_; }
  explicit operator bool() const { return value_ != T{}; }
  // For the functions that hand out a new handle through a pointer.
  T* Receive() {
    Reset();
    return &value_;
  }
  // Gives up ownership, for a handle that goes to the caller.
  [[nodiscard]] T Release() { return std::exchange(value_, T{}); }
  void Reset(T value = T{}) {
    if (value_ != T{}) Free(value_);
    value_ = value;
  }

 private:
  T value_{};
};

namespace detail {
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void FreeWtsMemory(wchar_t* memory) { WTSFreeMemory(memory); }
inline void FreeLocalMemory(wchar_t* memory) { LocalFree(memory); }
inline void FreeBuiltSid(PSID sid) { FreeSid(sid); }
}  // namespace detail

// A process or token handle (never INVALID_HANDLE_VALUE: the functions used
// here report failure with null).
using KernelHandle = UniqueResource<HANDLE, detail::CloseKernelHandle>;
// A text returned by WTSQuerySessionInformationW.
using WtsText = UniqueResource<wchar_t*, detail::FreeWtsMemory>;
// A text returned by ConvertSidToStringSidW.
using LocalText = UniqueResource<wchar_t*, detail::FreeLocalMemory>;
// A SID from AllocateAndInitializeSid.
using BuiltSid = UniqueResource<PSID, detail::FreeBuiltSid>;

}  // namespace twk::platform::win32

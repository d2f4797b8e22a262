#pragma once
// Move-only owners for the handles the Win32 adapters take, so that every
// handle is released on every path out of the function that took it.
//
// One owner template for every handle kind: a kind is a small traits struct
// saying what its "no handle" values are and how it is released; each kind
// gets an alias below. Kinds whose only "no handle" value is null use
// NullIsNone<T, Release>. Owners of GDI+ objects live beside the GDI+ code
// (ui/win32), which is the only place that includes the GDI+ headers.
//
// Two guards complete the set: one that undoes a SelectObject, and one that
// pairs BeginPaint with EndPaint.
#include <windows.h>
// After windows.h, whose types they use.
#include <ntsecapi.h>
#include <wtsapi32.h>

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

// A find handle from FindFirstFileExW: it too reports failure with
// INVALID_HANDLE_VALUE, and is given back with FindClose, not CloseHandle.
struct FindTraits {
  using Type = HANDLE;
  static bool IsNone(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
  static void Release(HANDLE handle) { FindClose(handle); }
};
using UniqueFind = UniqueHandle<FindTraits>;

// One reference to a COM interface (from CoCreateInstance or
// QueryInterface), given back with its Release. The interface's definition
// is only needed where the owner is used, so this header stays free of the
// COM headers.
template <class Interface>
struct ComTraits {
  using Type = Interface*;
  static bool IsNone(Interface* object) { return object == nullptr; }
  static void Release(Interface* object) { object->Release(); }
};
template <class Interface>
using ComRef = UniqueHandle<ComTraits<Interface>>;

// The release functions as void(T), which is what NullIsNone takes.
namespace detail {
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
inline void DeleteBrush(HBRUSH brush) { DeleteObject(brush); }
inline void DeleteFont(HFONT font) { DeleteObject(font); }
inline void DeleteRegion(HRGN region) { DeleteObject(region); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
inline void FreeWtsMemory(wchar_t* memory) { WTSFreeMemory(memory); }
inline void FreeLocalMemory(wchar_t* memory) { LocalFree(memory); }
inline void FreeLocalSid(PSID sid) { LocalFree(sid); }
inline void FreeLsaText(PLSA_UNICODE_STRING text) { LsaFreeMemory(text); }
inline void FreeBuiltSid(PSID sid) { FreeSid(sid); }
// (Not FreeModule: winbase.h defines that name as a macro.)
inline void ReleaseModule(HMODULE module) { FreeLibrary(module); }
}  // namespace detail

// A process, thread or token handle from the functions that report failure
// with null (OpenProcess, OpenThread, OpenProcessToken, CreateThread, ...).
using KernelHandle = UniqueHandle<NullIsNone<HANDLE, detail::CloseKernelHandle>>;
// A key from RegOpenKeyExW or RegCreateKeyExW.
using UniqueRegistryKey = UniqueHandle<NullIsNone<HKEY, detail::CloseRegistryKey>>;
// GDI objects, one alias per kind so that a brush cannot stand in for a font.
using UniqueGdiObject = UniqueHandle<NullIsNone<HGDIOBJ, detail::DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<NullIsNone<HBITMAP, detail::DeleteBitmap>>;
using UniqueBrush = UniqueHandle<NullIsNone<HBRUSH, detail::DeleteBrush>>;
using UniqueFont = UniqueHandle<NullIsNone<HFONT, detail::DeleteFont>>;
using UniqueRegion = UniqueHandle<NullIsNone<HRGN, detail::DeleteRegion>>;
// A device context from CreateCompatibleDC (not from GetDC: see WindowDc).
using UniqueMemoryDc = UniqueHandle<NullIsNone<HDC, detail::DeleteMemoryDc>>;
// An icon from CopyIcon, CreateIconIndirect or the icon extraction functions.
using UniqueIcon = UniqueHandle<NullIsNone<HICON, detail::DestroyIconHandle>>;
// A text returned by WTSQuerySessionInformationW.
using WtsText = UniqueHandle<NullIsNone<wchar_t*, detail::FreeWtsMemory>>;
// A text returned by ConvertSidToStringSidW (LocalAlloc memory).
using LocalText = UniqueHandle<NullIsNone<wchar_t*, detail::FreeLocalMemory>>;
// A SID from ConvertStringSidToSidW (LocalAlloc memory).
using LocalSid = UniqueHandle<NullIsNone<PSID, detail::FreeLocalSid>>;
// A text handed out by LsaRetrievePrivateData (wiped by its reader first
// when it holds a secret).
using LsaText = UniqueHandle<NullIsNone<PLSA_UNICODE_STRING, detail::FreeLsaText>>;
// A SID from AllocateAndInitializeSid.
using BuiltSid = UniqueHandle<NullIsNone<PSID, detail::FreeBuiltSid>>;
// A module from LoadLibraryW.
using UniqueModule = UniqueHandle<NullIsNone<HMODULE, detail::ReleaseModule>>;

// The device context of a window's client area (GetDC) or of the whole
// window (GetWindowDC), given back with ReleaseDC, which needs the window.
class WindowDc {
 public:
  enum class Area { Client, Whole };
  explicit WindowDc(HWND window, Area area = Area::Client)
      : window_(window), dc_(area == Area::Client ? GetDC(window) : GetWindowDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  [[nodiscard]] HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and selects the previous one back
// when it goes out of scope, so that the object can be deleted afterwards
// (a selected object cannot be).
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  // Movable, for a selection kept as long as its owner (a window's state):
  // the moved-from one selects nothing back.
  SelectedObject(SelectedObject&& other) noexcept
      : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
  SelectedObject& operator=(SelectedObject&&) = delete;

  // False when the selection failed (and nothing will be re-selected).
  explicit operator bool() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint on construction, EndPaint on every path out of WM_PAINT.
class PaintGuard {
 public:
  explicit PaintGuard(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintGuard() { EndPaint(window_, &paint_); }
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;

  [[nodiscard]] HDC dc() const { return dc_; }
  [[nodiscard]] const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace twk::platform::win32

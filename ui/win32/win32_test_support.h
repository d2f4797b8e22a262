#pragma once
// Helpers of the Windows tests of the toolkit: reading back windows and
// bitmaps, and Common Controls 6 for a test program that has no manifest.
#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/win_file_system_test_util.h"
#include "ui/toolkit_window.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace twk::ui::test {

// Tarnwick.exe, which the build puts beside the test program.
inline std::wstring ProductPath() {
  const std::u16string path = platform::win32::test::BesideThisProgram(u"Tarnwick.exe");
  return std::wstring(path.begin(), path.end());
}

// While alive, the manifest of Tarnwick.exe (beside the test program) is the
// active activation context, so that the comctl32 classes of version 6
// (SysLink among them) can be created as in the product.
class CommonControls6 {
 public:
  CommonControls6() {
    const std::wstring product = ProductPath();
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = product.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    handle_ = CreateActCtxW(&context);
    if (handle_ != INVALID_HANDLE_VALUE && !ActivateActCtx(handle_, &cookie_)) cookie_ = 0;
  }
  ~CommonControls6() {
    if (cookie_ != 0) DeactivateActCtx(0, cookie_);
    if (handle_ != INVALID_HANDLE_VALUE) ReleaseActCtx(handle_);
  }
  CommonControls6(const CommonControls6&) = delete;
  CommonControls6& operator=(const CommonControls6&) = delete;
  bool active() const { return cookie_ != 0; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};

// Tarnwick.exe (beside the test program) loaded for its resources: the
// icon and the images the toolkit loads.
class ProductResources {
 public:
  ProductResources() {
    const std::wstring product = ProductPath();
    module_ = LoadLibraryExW(product.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  ~ProductResources() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  ProductResources(const ProductResources&) = delete;
  ProductResources& operator=(const ProductResources&) = delete;
  HMODULE module() const { return module_; }

 private:
  HMODULE module_ = nullptr;
};

inline std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

inline std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// The window's rectangle in client coordinates of another window.
inline RECT RectIn(HWND window, HWND reference) {
  RECT r = {};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline RECT RectIn(HWND window, const ToolkitWindow& top) {
  return RectIn(window, reinterpret_cast<HWND>(top.handle()));
}

// Whether a point in window coordinates lies inside the window's region.
inline bool PointInWindowRegion(HWND window, int x, int y) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const bool inside = GetWindowRgn(window, region) != ERROR && PtInRegion(region, x, y);
  DeleteObject(region);
  return inside;
}

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // top-down rows
  std::uint32_t at(int x, int y) const {
    return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

// The header of a 32-bit top-down bitmap of the pixels' size.
inline BITMAPINFO TopDown32(const Pixels& p) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// A bitmap's pixels as 32-bit values 0xAARRGGBB, top row first.
inline Pixels ReadPixels(Handle bitmapHandle) {
  Pixels p;
  const auto bitmap = reinterpret_cast<HBITMAP>(bitmapHandle);
  BITMAP info = {};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.argb.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height), 0);
  BITMAPINFO bi = TopDown32(p);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(p.height), p.argb.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return p;
}

// What a window shows in a rectangle of its client area, as ReadPixels
// gives it (alpha left 0).
inline Pixels ReadShown(HWND window, const RECT& area) {
  Pixels p;
  p.width = area.right - area.left;
  p.height = area.bottom - area.top;
  p.argb.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height), 0);
  BITMAPINFO bi = TopDown32(p);
  HDC shown = GetDC(window);
  HDC memory = CreateCompatibleDC(shown);
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (copy != nullptr) {
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, p.width, p.height, shown, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* from = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < p.argb.size(); ++i) p.argb[i] = from[i] & 0xFFFFFFu;
    SelectObject(memory, previous);
    DeleteObject(copy);
  }
  DeleteDC(memory);
  ReleaseDC(window, shown);
  return p;
}

inline int Brightness(std::uint32_t argb) {
  return static_cast<int>(((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF)) / 3;
}

}  // namespace twk::ui::test

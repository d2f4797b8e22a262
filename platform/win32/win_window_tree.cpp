#include "platform/win32/win_window_tree.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/win32/win_error.h"

namespace twk::platform::win32 {
namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

int Capacity(std::size_t capacity) {
  return static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
}

BOOL CALLBACK VisitChild(HWND window, LPARAM context) {
  const auto& visit = *reinterpret_cast<const std::function<bool(WindowHandle)>*>(context);
  return visit(Handle(window)) ? TRUE : FALSE;
}

}  // namespace

WindowHandle WinWindowTree::DesktopWindow() { return Handle(GetDesktopWindow()); }

void WinWindowTree::ForEachDescendant(WindowHandle root,
                                      const std::function<bool(WindowHandle)>& visit) {
  // The result says only whether the callback stopped the walk.
  (void)EnumChildWindows(Hwnd(root), VisitChild, reinterpret_cast<LPARAM>(&visit));
}

std::optional<Text> WinWindowTree::ClassName(WindowHandle window, std::size_t capacity) {
  if (capacity == 0) return std::nullopt;
  std::vector<wchar_t> buffer(capacity, L'\0');
  const int length = GetClassNameW(Hwnd(window), buffer.data(), Capacity(capacity));
  if (length <= 0) return std::nullopt;  // every class has a name: 0 is a failure
  return Text(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<std::size_t>(length));
}

std::optional<Text> WinWindowTree::WindowText(WindowHandle window, std::size_t capacity) {
  if (capacity == 0) return std::nullopt;
  std::vector<wchar_t> buffer(capacity, L'\0');
  // 0 is both an empty title and a failure; only the error code tells them apart.
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextW(Hwnd(window), buffer.data(), Capacity(capacity));
  if (length <= 0) {
    if (LastError() != ERROR_SUCCESS) return std::nullopt;
    return Text();
  }
  return Text(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<std::size_t>(length));
}

std::int32_t WinWindowTree::ControlId(WindowHandle window) { return GetDlgCtrlID(Hwnd(window)); }

WindowHandle WinWindowTree::Parent(WindowHandle window) { return Handle(GetParent(Hwnd(window))); }

}  // namespace twk::platform::win32

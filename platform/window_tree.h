#pragma once
// What the window search needs of the window system: the desktop window, a
// walk over every window below a root, and a few properties of one window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/text.h"

namespace twk::platform {

using WindowHandle = std::uintptr_t;  // 0 = none
inline constexpr WindowHandle kNoWindow = 0;

class WindowTree {
 public:
  virtual ~WindowTree() = default;

  // GetDesktopWindow: the root of every top-level window.
  [[nodiscard]] virtual WindowHandle DesktopWindow() = 0;
  // EnumChildWindows: every descendant of root (children, their children,
  // ...), in the order the system reports them, until visit returns false.
  virtual void ForEachDescendant(WindowHandle root,
                                 const std::function<bool(WindowHandle)>& visit) = 0;
  // GetClassNameW into a buffer of capacity units (so at most capacity - 1
  // characters come back); nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<Text> ClassName(WindowHandle window,
                                                      std::size_t capacity) = 0;
  // GetWindowTextW into a buffer of capacity units. An empty title is an
  // empty text; nothing only when the text cannot be read.
  [[nodiscard]] virtual std::optional<Text> WindowText(WindowHandle window,
                                                       std::size_t capacity) = 0;
  // GetDlgCtrlID: 0 when the window has none.
  [[nodiscard]] virtual std::int32_t ControlId(WindowHandle window) = 0;
  // GetParent: kNoWindow for a top-level window.
  [[nodiscard]] virtual WindowHandle Parent(WindowHandle window) = 0;
};

}  // namespace twk::platform

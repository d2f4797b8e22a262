#pragma once
// The window tree port over the Win32 window functions.
#include "platform/window_tree.h"

namespace twk::platform::win32 {

class WinWindowTree final : public WindowTree {
 public:
  [[nodiscard]] WindowHandle DesktopWindow() override;
  void ForEachDescendant(WindowHandle root,
                         const std::function<bool(WindowHandle)>& visit) override;
  [[nodiscard]] std::optional<Text> ClassName(WindowHandle window, std::size_t capacity) override;
  [[nodiscard]] std::optional<Text> WindowText(WindowHandle window, std::size_t capacity) override;
  [[nodiscard]] std::int32_t ControlId(WindowHandle window) override;
  [[nodiscard]] WindowHandle Parent(WindowHandle window) override;
};

}  // namespace twk::platform::win32

#pragma once
// A window tree in memory: windows with a parent, class name, text and
// control identifier. The walk below a root is depth first, children in the
// order they were added, as EnumChildWindows reports them.
#include <map>

#include "platform/window_tree.h"

namespace twk::platform {

class FakeWindowTree final : public WindowTree {
 public:
  struct Window {
    WindowHandle parent = kNoWindow;
    Text className;
    Text text;
    std::int32_t id = 0;
    bool classUnreadable = false;
    bool textUnreadable = false;
  };

  FakeWindowTree();

  // ---- test controls -------------------------------------------------------
  // A new window below parent (the desktop for a top-level one).
  WindowHandle Add(WindowHandle parent, Text className, Text text = {}, std::int32_t id = 0);
  WindowHandle desktop() const { return desktop_; }
  std::map<WindowHandle, Window> windows;  // handles grow in the order of Add

  // ---- WindowTree ----------------------------------------------------------
  [[nodiscard]] WindowHandle DesktopWindow() override { return desktop_; }
  void ForEachDescendant(WindowHandle root,
                         const std::function<bool(WindowHandle)>& visit) override;
  [[nodiscard]] std::optional<Text> ClassName(WindowHandle window, std::size_t capacity) override;
  [[nodiscard]] std::optional<Text> WindowText(WindowHandle window, std::size_t capacity) override;
  [[nodiscard]] std::int32_t ControlId(WindowHandle window) override;
  [[nodiscard]] WindowHandle Parent(WindowHandle window) override;

 private:
  bool Walk(WindowHandle root, const std::function<bool(WindowHandle)>& visit);

  WindowHandle desktop_ = kNoWindow;
  WindowHandle next_ = 0x10010;
};

}  // namespace twk::platform

#pragma once
// The console of a simulated calling script: present or not, and what was
// written to it.
#include <string>

#include "platform/console.h"

namespace twk::platform {

class FakeConsole final : public Console {
 public:
  // ---- test controls -------------------------------------------------------
  bool parentHasConsole = false;  // false: started from the desktop
  bool writeSucceeds = true;
  bool desktopVisible = true;  // false: a session nobody looks at

  int attachCalls = 0;
  std::u16string written;  // everything written, in order

  // ---- Console -------------------------------------------------------------
  [[nodiscard]] bool AttachToParent() override {
    ++attachCalls;
    attached_ = parentHasConsole;
    return attached_;
  }
  [[nodiscard]] bool Write(const std::u16string& text) override {
    if (!attached_ || !writeSucceeds) return false;
    written += text;
    return true;
  }
  [[nodiscard]] bool DesktopIsVisible() override { return desktopVisible; }

 private:
  bool attached_ = false;
};

}  // namespace twk::platform

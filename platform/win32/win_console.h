#pragma once
#include "platform/console.h"

namespace twk::platform::win32 {

// AttachConsole(ATTACH_PARENT_PROCESS), then WriteConsoleW to the attached
// console's screen buffer ("CONOUT$"). A console the process already has
// counts as attached.
class WinConsole final : public Console {
 public:
  [[nodiscard]] bool AttachToParent() override;
  [[nodiscard]] bool Write(const std::u16string& text) override;
  // The process's window station without WSF_VISIBLE, or session 0 on Vista
  // and later: not visible.
  [[nodiscard]] bool DesktopIsVisible() override;

 private:
  bool attached_ = false;
};

}  // namespace twk::platform::win32

#pragma once
#include "platform/shell.h"

namespace twk::platform::win32 {

// ShellExecuteExW: pages with the default verb, the relaunch with "RunAs";
// shortcuts read through the shell's link object (COM).
class WinShell final : public Shell {
 public:
  std::uint32_t OpenWebPage(const std::u16string& address) override;
  [[nodiscard]] bool RelaunchElevated(const std::u16string& program,
                                      const std::u16string& parameters,
                                      const std::u16string& directory, int showCommand,
                                      std::uint32_t* exitCode) override;
  [[nodiscard]] std::optional<std::u16string> ShortcutTarget(const std::u16string& path) override;
};

}  // namespace twk::platform::win32

#pragma once
// Records every page opened and every elevated relaunch, in order.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace twk::platform {

class FakeShell final : public Shell {
 public:
  struct Relaunch {
    std::u16string program;
    std::u16string parameters;
    std::u16string directory;
    int showCommand = 0;
    bool waited = false;  // the caller waited for the exit code
  };

  // ---- test controls -------------------------------------------------------
  bool relaunchSucceeds = true;  // false: as when the user refuses elevation
  // Plays the elevated instance when a caller waits for it: its exit code.
  // Unset, a waited-for instance ends with 0.
  std::function<std::uint32_t(const Relaunch&)> elevatedInstance;
  std::uint32_t browserProcessId = 4242;

  std::vector<std::u16string> openedPages;
  std::vector<Relaunch> relaunches;
  // Shortcut files and what each starts, by path (letter case ignored).
  std::map<std::u16string, std::u16string> shortcuts;

  // ---- Shell ---------------------------------------------------------------
  std::uint32_t OpenWebPage(const std::u16string& address) override;
  [[nodiscard]] bool RelaunchElevated(const std::u16string& program,
                                      const std::u16string& parameters,
                                      const std::u16string& directory, int showCommand,
                                      std::uint32_t* exitCode) override;
  [[nodiscard]] std::optional<std::u16string> ShortcutTarget(const std::u16string& path) override;
};

}  // namespace twk::platform

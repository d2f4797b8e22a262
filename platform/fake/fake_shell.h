#pragma once
// Records every page opened and every elevated relaunch, in order.
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
  };

  // ---- test controls -------------------------------------------------------
  bool relaunchSucceeds = true;  // false: as when the user refuses elevation
  std::uint32_t browserProcessId = 4242;

  std::vector<std::u16string> openedPages;
  std::vector<Relaunch> relaunches;

  // ---- Shell ---------------------------------------------------------------
  std::uint32_t OpenWebPage(const std::u16string& address) override;
  [[nodiscard]] bool RelaunchElevated(const std::u16string& program,
                                      const std::u16string& parameters,
                                      const std::u16string& directory, int showCommand) override;
};

}  // namespace twk::platform

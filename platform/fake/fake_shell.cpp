#include "platform/fake/fake_shell.h"

namespace twk::platform {

std::uint32_t FakeShell::OpenWebPage(const std::u16string& address) {
  openedPages.push_back(address);
  return browserProcessId;
}

bool FakeShell::RelaunchElevated(const std::u16string& program, const std::u16string& parameters,
                                 const std::u16string& directory, int showCommand) {
  relaunches.push_back(Relaunch{program, parameters, directory, showCommand});
  return relaunchSucceeds;
}

}  // namespace twk::platform

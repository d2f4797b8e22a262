#include "platform/fake/fake_shell.h"

#include "base/strings.h"

namespace twk::platform {

std::uint32_t FakeShell::OpenWebPage(const std::u16string& address) {
  openedPages.push_back(address);
  return browserProcessId;
}

bool FakeShell::RelaunchElevated(const std::u16string& program, const std::u16string& parameters,
                                 const std::u16string& directory, int showCommand,
                                 std::uint32_t* exitCode) {
  relaunches.push_back(Relaunch{program, parameters, directory, showCommand, exitCode != nullptr});
  if (!relaunchSucceeds) return false;
  if (exitCode != nullptr) {
    // A copy: the instance may relaunch again and grow the list.
    const Relaunch request = relaunches.back();
    *exitCode = elevatedInstance ? elevatedInstance(request) : 0;
  }
  return true;
}

std::optional<std::u16string> FakeShell::ShortcutTarget(const std::u16string& path) {
  for (const auto& [file, target] : shortcuts) {
    if (FoldCase(file) == FoldCase(path)) return target;
  }
  return std::nullopt;
}

}  // namespace twk::platform

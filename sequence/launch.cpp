#include "sequence/launch.h"

#include <algorithm>
#include <vector>

namespace twk::sequence {

bool DisableFsRedirection(platform::Processes& processes, std::uintptr_t& oldValue) {
  oldValue = 0;
  // Outside WOW64 there is nothing to switch off (and on a 64-bit process
  // the function refuses anyway).
  if (!processes.IsWow64Process()) return false;
  return processes.DisableWow64FsRedirection(oldValue);
}

platform::ProcessHandle LaunchProcess(platform::Processes& processes, const Text& commandLine,
                                      const Text& workingDirectory, int showCommand,
                                      std::uint32_t flags) {
  bool redirectionOff = false;
  std::uintptr_t oldRedirection = 0;
  if ((flags & LaunchFlags::NoFsRedirection) != 0 && processes.IsWow64Process()) {
    redirectionOff = DisableFsRedirection(processes, oldRedirection);
  }

  std::vector<char16_t> buffer;
  char16_t* commandBuffer = nullptr;
  if (!commandLine.empty()) {
    const std::size_t length = std::min(commandLine.size(), kMaxCommandLine);
    buffer.assign(kMaxCommandLine + 1, u'\0');
    std::copy_n(commandLine.begin(), length, buffer.begin());
    commandBuffer = buffer.data();
  }
  const char16_t* directory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();

  platform::ProcessHandle process = processes.Create(commandBuffer, directory, showCommand);

  // The switch is per thread: whatever else this thread does afterwards must
  // see the system folder as usual again.
  if (redirectionOff) processes.RevertWow64FsRedirection(oldRedirection);
  return process;
}

}  // namespace twk::sequence

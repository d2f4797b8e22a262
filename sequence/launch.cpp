#include "sequence/launch.h"

#include <algorithm>
#include <vector>

#include "context/event_pump.h"
#include "ui/event_slot.h"

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

int LaunchAndWait(context::EventPump& pump, platform::Processes& processes, const Text& commandLine,
                  int showCommand, const Text& workingDirectory) {
  platform::OwnedProcess process(processes, LaunchProcess(processes, commandLine, workingDirectory,
                                                           showCommand, LaunchFlags::None));
  if (!process) return WaitResult::NotStarted;

  ui::EventSlot& slot = pump.slot();
  pump.NextEvent(context::PumpMode::Wait);
  while (true) {
    // A loop that can no longer fetch (the message loop has ended) is as
    // good as closed: waiting on would spin until the program ends.
    if (slot.eventId == ui::event::CloseRequest || slot.eventId == ui::event::LoopEnded) {
      return WaitResult::Closing;
    }
    // The exit is tested before the cancel control, so that a click in the
    // pass in which the process ended reports the end.
    std::uint32_t exitCode = 0;
    if (!processes.GetExitCode(process.get(), exitCode) || exitCode != platform::kStillActive) {
      return WaitResult::Ended;
    }
    // Only an activated control (a positive id) can be the cancel control:
    // with no cancel control (id 0) a plain wake-up must not cancel.
    if (pump.IsFrameControl(pump.cancelControl())) {
      slot.eventId = ui::event::None;
      return WaitResult::Cancelled;
    }
    pump.NextEvent(context::PumpMode::Wait);
  }
}

}  // namespace twk::sequence

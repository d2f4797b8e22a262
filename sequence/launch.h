#pragma once
// Every program this tool starts goes through LaunchProcess: itself (the
// Setup buttons), the idle-task command, the partition optimiser.
// LaunchAndWait waits for one on the application's event pump, so that the
// window stays responsive and the user can cancel the wait.
#include <cstdint>

#include "platform/processes.h"
#include "base/strings.h"

namespace twk::context {
class EventPump;
}

namespace twk::sequence {

namespace LaunchFlags {
inline constexpr std::uint32_t None = 0;
// Switch WOW64 file-system redirection off around the creation, so that a
// 32-bit process on 64-bit Windows reaches the native system folder.
inline constexpr std::uint32_t NoFsRedirection = 2;
}  // namespace LaunchFlags

// Process creation may write into the command line, so it gets a copy of at
// most this many characters (a longer one is cut) plus the terminating NUL.
inline constexpr std::size_t kMaxCommandLine = 32000;

// Starts commandLine (empty: none, and creation fails) in workingDirectory
// (empty: the caller's) with the given show command. The caller owns and
// closes the returned handle; 0 when the process could not be created.
[[nodiscard]] platform::ProcessHandle LaunchProcess(platform::Processes& processes,
                                                    const Text& commandLine,
                                                    const Text& workingDirectory, int showCommand,
                                                    std::uint32_t flags);

// Switches WOW64 file-system redirection off for the calling thread; true
// when it did, with oldValue to hand back to the revert. False (oldValue 0)
// when the process does not run under WOW64 or the functions are missing.
[[nodiscard]] bool DisableFsRedirection(platform::Processes& processes, std::uintptr_t& oldValue);

// Results of LaunchAndWait.
namespace WaitResult {
inline constexpr int Closing = 0;     // the window was asked to close; the process may still run
inline constexpr int Ended = 1;       // the process ended (or its exit code could not be read)
inline constexpr int NotStarted = 2;  // the process could not be created
inline constexpr int Cancelled = 3;   // the user activated the cancel control; it may still run
}  // namespace WaitResult

// Launches without touching file-system redirection and waits for the
// process to end, fetching events meanwhile: every event is handled by the
// pump as usual. The pump's cancel control on the main frame cancels the wait
// (its event is then cleared from the slot so that the caller does not act on
// it again). Nothing is ever terminated here.
[[nodiscard]] int LaunchAndWait(context::EventPump& pump, platform::Processes& processes,
                                const Text& commandLine, int showCommand,
                                const Text& workingDirectory);

}  // namespace twk::sequence

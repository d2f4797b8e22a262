#pragma once
// One reboot step: a start of the program by the logon Run value. It records
// the restart that has just happened, then either hands over to the result
// report (the sequence is complete) or counts the delay down, registers the
// next start and restarts the computer.
//
// Across restarts the sequence lives only in the Run value (which start comes
// next) and the settings file (the measurements). Every step deletes the Run
// value first and writes it again only just before its restart, so at most
// one future start is registered and a step that ends otherwise ends the
// sequence.
#include <cstdint>

#include "base/strings.h"
#include "context/command_line.h"
#include "platform/registry.h"
#include "platform/status.h"
#include "sequence/result_report.h"

namespace twk::context {
class StartContext;
}

namespace twk::sequence {

// The value under the console user's Run key that starts the next step.
inline constexpr char16_t kRunValueName[] = u"Tarnwick";

// "HKU\<sid>\Software\Microsoft\Windows\CurrentVersion\Run", the console
// user's Run key even when the process runs under another account.
[[nodiscard]] Text RunKeyPath(const Text& userSid);
// That key opened (never created: a Run key that is not there is not ours
// to make) for reading and writing, 0x2001F; the reason when it failed.
[[nodiscard]] platform::Answer<platform::RegistryKey> OpenRunKey(platform::Registry& registry,
                                                                 const Text& userSid);

// Task Manager's start-up switch for the user's Run values:
// "HKU\<sid>\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run".
// A value named like a Run value holds its state: the first byte odd means
// switched off (03 and the moment it was), even means on (02, 06).
[[nodiscard]] Text StartupApprovedPath(const Text& userSid);
// Windows never runs a Run value whose switch is off, so an old mark from a
// user who once switched Tarnwick off in Task Manager would end every later
// sequence after its first restart, without a word. The user has just asked
// for a sequence: a mark that says off is removed, one that says on is left
// as it is. True when nothing is in the way any more (no mark, a mark that
// says on, or one removed); false when a mark that says off stays.
[[nodiscard]] bool ClearSwitchedOffMark(platform::Registry& registry, const Text& userSid);

// The Run value's command line: the quoted program path, then
// " /CurrentReboot:" c " /TotalReboots:" t " /Delay:" d. The total is written
// as a signed number, the other two unsigned; this is the one shape both the
// setup and the steps register and the start-up parses. Always formatted
// from the numbers, never from text as typed: a typed "2 /CurrentReboot:3"
// must not become a switch of the next start.
[[nodiscard]] Text RebootCommandLine(const Text& programPath, std::uint32_t currentReboot,
                                     std::uint32_t totalReboots, std::uint32_t delayMinutes);
// The same without the program: the arguments of a start of that step.
[[nodiscard]] Text RebootArguments(std::uint32_t currentReboot, std::uint32_t totalReboots,
                                   std::uint32_t delayMinutes);

using context::kFinishSequenceSwitch;

// That start's work: the post-operations the setup asked for, never handed
// on again. Returns 0.
int FinishSequence(context::StartContext& start, const ReportPostOperations& postOperations);

// Performs the step for the start's current restart (parsed from the command
// line). Returns when the step is over: after the restart request, the
// report, the close request or the Setup button. The result carries nothing
// (0).
int RunRebootStep(context::StartContext& start, const ReportPostOperations& postOperations);

// Leaves the sequence for a fresh setup: hides and destroys the frame, lets
// its last messages settle, saves the settings (not to be written again by
// this start) and starts the program again without arguments in its own
// folder.
void HandOverToSetup(context::StartContext& start);

}  // namespace twk::sequence

#pragma once
// The spelling of every command-line switch, in one place: the readers of
// the command line recognise them by these names and the writers (the Run
// value of the next step, the relaunch that finishes a sequence) put them
// together from the same names. How each is matched (letter case, a value
// after a colon) is the reader's rule: see command_line.h and
// scripted_start.h.
namespace twk::context::switches {

// The reboot step's: "/CurrentReboot:c /TotalReboots:t /Delay:d".
inline constexpr char16_t kCurrentReboot[] = u"/CurrentReboot";
inline constexpr char16_t kTotalReboots[] = u"/TotalReboots";
inline constexpr char16_t kDelay[] = u"/Delay";
// A script's start, with the two above and the preparations it asks for.
inline constexpr char16_t kStart[] = u"/Start";
inline constexpr char16_t kDefrag[] = u"/Defrag";
inline constexpr char16_t kIdleTasks[] = u"/IdleTasks";
inline constexpr char16_t kIcons[] = u"/Icons";
inline constexpr char16_t kNoReport[] = u"/NoReport";
// Writes the history as CSV and ends: "/Export:path".
inline constexpr char16_t kExport[] = u"/Export";
// Writes who kept the desktop busy as CSV and ends: "/ExportProcesses:path".
inline constexpr char16_t kExportProcesses[] = u"/ExportProcesses";
// Compares two kept sequences and ends: "/Compare" or "/Compare:4,7".
inline constexpr char16_t kCompare[] = u"/Compare";
// The elevated relaunch that only finishes a sequence ended early.
inline constexpr char16_t kFinishSequence[] = u"/FinishSequence";

}  // namespace twk::context::switches

#pragma once
// The reboot-step command line: "/CurrentReboot:" c " /TotalReboots:" t
// " /Delay:" d after the quoted program path. Writers follow this grammar;
// a start reads it here.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "context/scripted_start.h"
#include "context/switches.h"

namespace twk::context {

// The argument of an elevated start that only finishes a sequence ended
// early by a step without the rights to switch auto-logon off: it runs the
// post-operations and ends, without a window.
inline constexpr const char16_t* kFinishSequenceSwitch = switches::kFinishSequence;

// Splits an argument text by the rules of CommandLineToArgvW: the first
// argument is taken as a program name (up to the next white space, or
// between quotes with no escapes), the others honour quotes, backslashes
// before quotes, and doubled quotes inside a quoted part. An empty text
// gives no arguments (the system would give the program's own path, which
// never names a switch).
std::vector<Text> SplitArguments(const Text& text);

// A decimal number the way a switch's value is read: leading white space,
// an optional sign, digits up to the first non-digit; no digits give 0, and
// values beyond the signed 32-bit range saturate.
std::int32_t ReadSwitchNumber(const Text& text);

struct RebootSwitches {
  std::uint32_t currentReboot = 0;
  std::uint32_t totalReboots = 0;
  std::uint32_t delayMinutes = 0;
};

// Applies every argument in order: case-sensitive prefixes, a later switch
// replaces an earlier one, other arguments are ignored, and a negative
// number is kept as the unsigned value of the same bits.
RebootSwitches ParseRebootSwitches(const std::vector<Text>& arguments);

// "/Export:" (in any letter case) followed by a path (quoted when it has
// blanks) in the argument text a start receives: a start that only writes the
// history to that file. The last such switch counts; none when there is none.
// The path may be empty. The same for another switch of that form
// ("/ExportProcesses").
std::optional<Text> FindExportPath(const Text& argumentText,
                                   const Text& switchName = u"/Export");

// "/Compare" (the newest kept sequence against the one before it) or
// "/Compare:a,b" (sequence b against sequence a, numbered as in the history
// list), in any letter case; the last such switch counts. A value that is
// not two numbers from 1 up, separated by a comma, is a bad request, which
// compares nothing.
struct CompareRequest {
  bool valid = true;
  std::size_t before = 0;  // 0 and 0: the newest against the one before it
  std::size_t after = 0;
};
std::optional<CompareRequest> FindCompareRequest(const std::vector<Text>& arguments);

// Everything a start's arguments ask for, read once when the start begins;
// every mode and the script starts take it from here, each switch read by
// its own rule above.
struct CommandLine {
  Text text;                       // as given: passed on when the program relaunches itself
  std::vector<Text> arguments;     // split as the system splits them
  std::optional<Text> exportPath;  // "/Export:"
  std::optional<Text> exportProcessesPath;  // "/ExportProcesses:"
  std::optional<CompareRequest> compare;  // "/Compare", "/Compare:a,b"
  ScriptedStartRequest scripted;   // "/Start" and its switches
  bool finishSequence = false;     // kFinishSequenceSwitch, exactly
  RebootSwitches reboot;           // "/CurrentReboot:", "/TotalReboots:", "/Delay:"
};
[[nodiscard]] CommandLine ReadCommandLine(const Text& argumentText);

}  // namespace twk::context

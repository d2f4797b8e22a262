#pragma once
// A sequence started by a script rather than by a click: "/Start" with the
// number of restarts, the delay and the pre-operations on the command line.
// The choices go through the setup's own start, checked and corrected as it
// checks typed entries; only the form of the arguments is judged here.
#include <optional>
#include <vector>

#include "base/strings.h"

namespace twk::context {

inline constexpr char16_t kScriptedStartForm[] =
    u"Tarnwick.exe /Start /TotalReboots:N /Delay:M [/Defrag] [/IdleTasks] [/Icons] [/NoReport]";

// The choices as the setup window's boxes would hold them.
struct ScriptedStart {
  Text totalReboots;  // the value as given; the setup corrects it
  Text delayMinutes;  // likewise
  bool defrag = false;
  bool idleTasks = false;
  bool icons = false;
  bool noReport = false;
};

struct ScriptedStartRequest {
  bool asked = false;                  // "/Start" is among the arguments (with a value too)
  std::optional<ScriptedStart> start;  // the choices, when the arguments are sound
  Text problem;                        // otherwise why they are not
};

// Reads the arguments of a start. Names are matched ignoring case (a script
// that writes "/start" must not end up at a setup window nobody sees). With
// "/Start", every argument must be one of its switches, each at most once,
// and both values must be there.
ScriptedStartRequest ReadScriptedStart(const std::vector<Text>& arguments);

}  // namespace twk::context

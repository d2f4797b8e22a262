#pragma once
// The report of a completed sequence: after the last restart the program
// starts once more (currentReboot = totalReboots + 1), records that restart,
// finishes the setup's post-operations and shows the first and the last
// restart's duration, the improvement between them and the history list.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "sequence/measurement_store.h"

namespace twk::context {
class StartContext;
}

namespace twk::sequence {

class PhaseRecorder;

// The report's text lines for t restarts, with first = FirstBootUp -
// FirstShutDown and last = LastBootUp - LastShutDown in seconds (none when
// the last restart could not be measured). Only the first two lines when
// first is 0: no improvement can be computed, and the report then shows
// nothing.
[[nodiscard]] std::vector<Text> ReportLines(std::uint32_t totalReboots, double first,
                                            std::optional<double> last);

// Work that other subsystems asked to be done once the sequence is complete:
// restoring the desktop icons' positions and switching automatic logon off
// (true when the switch really ran; otherwise the request stays for a later
// result start). An empty hook does nothing. The composition root plugs in
// the subsystems that own them.
struct ReportPostOperations {
  std::function<void(context::StartContext&)> restoreIconLayout;
  std::function<bool(context::StartContext&)> switchOffAutoLogon;
};

// What the post-operations came to in this start.
enum class PostOutcome {
  Done,              // run here (each as far as it could)
  HandedToElevated,  // left to an elevated instance of the program
};

// The post-operations the setup asked for (icon restore, auto-logon
// switch-off), for every way a sequence ends. Switching auto-logon off
// needs administrator rights: without them, and when relaunching is
// allowed, the program is started again elevated with elevatedArguments
// (after the settings are saved, for it to read) and nothing is done here.
// A switch-off that ran clears its request, so that it is not repeated.
PostOutcome RunPostOperations(context::StartContext& start,
                              const ReportPostOperations& postOperations,
                              const Text& elevatedArguments, bool mayRelaunch = true);

// The end of a complete sequence, as the result start does it with or
// without a report (the step has recorded the last restart): the
// post-operations; an elevated relaunch is the same result start again.
PostOutcome CompleteSequence(context::StartContext& start,
                             const ReportPostOperations& postOperations);

// Completes the sequence, then runs the report of its measurements in the
// main frame until Close, Setup or the close request. Returns 0.
// While it is shown, `phases` (when given) samples the desktop's readiness
// after the last restart.
int ShowResultReport(context::StartContext& start, const ReportPostOperations& postOperations,
                     const MeasurementStore& measurements, PhaseRecorder* phases = nullptr);

}  // namespace twk::sequence

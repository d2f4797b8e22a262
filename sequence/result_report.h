#pragma once
// The report of a completed sequence: after the last restart the program
// starts once more (currentReboot = totalReboots + 1), records that restart,
// finishes the setup's post-operations and shows the first and the last
// restart's duration, the improvement between them and the history list.
#include <cstdint>
#include <vector>

#include "base/strings.h"

namespace twk::app {
class Application;
}

namespace twk::sequence {

// The report's text lines for t restarts, with first = FirstBootUp -
// FirstShutDown and last = LastBootUp - LastShutDown in seconds. Only the
// first two lines when first is 0: no improvement can be computed, and the
// report then shows nothing.
[[nodiscard]] std::vector<Text> ReportLines(std::uint32_t totalReboots, double first, double last);

// Runs the report in the main frame until Close, Setup or the close request.
// Returns 0.
int ShowResultReport(app::Application& app);

}  // namespace twk::sequence

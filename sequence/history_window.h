#pragma once
// The history of every kept sequence beside the current one: a bar chart of
// the averages (the newest twelve, the current one highlighted), a list of
// every sequence with the change of its average against the one before, and
// an export of all restarts to a spreadsheet file. Opened from the result
// report, in the same frame; Back returns to the report as it was.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "sequence/sequence_archive.h"
#include "ui/chart.h"

namespace twk::context {
class StartContext;
}

namespace twk::sequence {

inline constexpr std::size_t kChartBars = 12;

// The change of an average against the one before, in per cent with at
// most two decimals, cut: 60 then 45 gives "-25%", 45 then 60 "33.33%".
// "–" when there is nothing to compare with (no sequence before, or one
// whose average is 0).
[[nodiscard]] Text ChangeText(std::optional<std::int32_t> previous, std::int32_t current);

// Round values for the chart's scale: 0 and equal steps of 1, 2 or 5 times
// a power of ten up to the first at or above highest; at most five steps.
[[nodiscard]] std::vector<ui::ChartTick> ChartTicks(std::int64_t highest);

// sequences oldest first, as AllSequences gives them.
[[nodiscard]] ui::ChartData HistoryChart(const std::vector<SequenceSummary>& sequences);
// One row per sequence, newest first: Sequence, Restarts, Average, First,
// Last, Change.
[[nodiscard]] std::vector<std::vector<Text>> HistoryRows(
    const std::vector<SequenceSummary>& sequences);

enum class HistoryExit { Back, CloseRequested };

// Shows the history in the frame in place of its controls first..last,
// which are hidden meanwhile and shown again on Back, with the title the
// frame had. The window's own controls are gone when this returns.
HistoryExit RunHistoryWindow(context::StartContext& start, int firstHidden, int lastHidden);

}  // namespace twk::sequence

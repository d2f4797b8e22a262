#pragma once
// The history of every kept sequence beside the current one: a bar chart of
// the averages (the newest twelve, the current one highlighted), a list of
// every sequence with its median, spread and the change of its average
// against the one before, and an export of all restarts to a spreadsheet
// file. Opened from the result report, in the same frame; Back returns to the
// report as it was.
//
// Compare shows, in the same frame, the selected sequence (else the newest)
// against the one before it: whether its restarts got faster, with how sure
// that is, and every restart of both as dots.
//
// Choosing a sequence (a double click on its row, or Restarts) shows its
// restarts in the same frame: where each restart's time went as stacked
// bars, the median and spread with and without the first restart, and one
// row per restart; Back returns to the list of sequences.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "sequence/measurement_store.h"
#include "sequence/verdict.h"
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

// The restarts' durations in milliseconds, in restart order, as the median
// and spread take them: the exact ones when every counted restart has one,
// else every restart's whole seconds. A mix would weigh the restarts
// measured to the second by a fraction cut off that the others keep. A
// marked restart (updates, several boots) is unknown here, so that no figure
// of the window counts it.
[[nodiscard]] std::vector<std::optional<std::int64_t>> DurationsForSpread(
    const SequenceSummary& summary);
// The average the window shows and compares: the kept one when no restart
// is marked, else that of the other restarts (whole seconds, cut as the list
// of the report cuts it); none when no restart is left to count.
[[nodiscard]] std::optional<std::int32_t> ComparedAverage(const SequenceSummary& summary);

// sequences oldest first, as AllSequences gives them.
[[nodiscard]] ui::ChartData HistoryChart(const std::vector<SequenceSummary>& sequences);
// One row per sequence, newest first: Sequence, Restarts, Average, Median,
// Spread, First, Change, Verdict; First is the first restart that is not
// marked, Verdict the restart's verdict against the sequence before
// (VerdictWord).
[[nodiscard]] std::vector<std::vector<Text>> HistoryRows(
    const std::vector<SequenceSummary>& sequences);

// A verdict in one word for the list: "faster", "slower", "~" (no clear
// change); empty for too few restarts.
[[nodiscard]] Text VerdictWord(Verdict verdict);
// What changed between two sequences' inventories as the Compare view lists
// them, one row each under the header "What changed" (WhatChanged without
// its first line; a sentence alone, unknown or nothing, stays whole); and
// the width of that one column, as wide as its longest line needs.
[[nodiscard]] std::vector<std::vector<Text>> ChangeRows(const SequenceSummary& before,
                                                       const SequenceSummary& after);
[[nodiscard]] int ChangeColumnWidth(const std::vector<std::vector<Text>>& rows);
// The comparison's picture: a column of dots per sequence, before then
// after, every restart used a dot at its seconds, each column's median a
// line across it and written above it.
[[nodiscard]] ui::ChartData CompareChart(const SequenceComparison& comparison,
                                         std::uint64_t beforeNumber, std::uint64_t afterNumber);

// The restart view of one sequence. The colours of its phases, for the
// chart and its legend.
inline constexpr ui::Colour kShutdownFirmwareColour = ui::Rgb(0x4E, 0x79, 0xA7);
inline constexpr ui::Colour kWindowsStartColour = ui::Rgb(0x59, 0xA1, 0x4F);
inline constexpr ui::Colour kDesktopReadyColour = ui::Rgb(0xE8, 0xA2, 0x2C);
inline constexpr ui::Colour kNotSplitColour = ui::Rgb(0xA8, 0xA8, 0xA8);

// One bar per restart, labelled with its number. A restart split into
// shutdown and firmware and Windows' start stacks those two; one that is not
// stacks its measured duration in the neutral colour; the desktop's time
// goes on top where it is known. Above each bar, its height in seconds. The
// legend names the colours that occur.
[[nodiscard]] ui::ChartData RestartsChart(const SequenceSummary& summary);
// "Median 41.2 s, spread 1.3 s; without the first restart: median 40.9 s,
// spread 0.8 s" (the second half only when a restart follows the first).
[[nodiscard]] Text SpreadLine(const SequenceSummary& summary);
// One row per restart: Restart, Total, Shutdown+firmware, Windows start,
// Desktop ready, Windows boot, Note; a phase not known is an empty cell, the
// note says why a restart is left out of the figures.
[[nodiscard]] std::vector<std::vector<Text>> RestartRows(const SequenceSummary& summary);

enum class HistoryExit { Back, CloseRequested };

// Shows the history in the frame in place of its controls first..last,
// which are hidden meanwhile and shown again on Back, with the title the
// frame had. The window's own controls are gone when this returns.
HistoryExit RunHistoryWindow(context::StartContext& start, int firstHidden, int lastHidden);

}  // namespace twk::sequence

#pragma once
// Did the restarts get faster? Two sequences compared figure by figure, in
// words a user can act on: the shift from the first sequence (before a
// change) to the second (after it), how sure that shift is, and whether it
// is more than the restarts' own scatter. A change of the average hides that
// two restarts of one sequence can lie further apart than the averages of
// two sequences; this answer does not.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "sequence/measurement_store.h"

namespace twk::sequence {

// The figures of one kept sequence, restart by restart in restart order, in
// milliseconds. Unknown figures are nullopt; so are the restarts that must
// not be compared at all (marked as no plain restart).
struct SequenceFigures {
  std::vector<std::optional<std::int64_t>> restartMs;
  // Shutdown and firmware, Windows start, desktop ready, in that order; a
  // vector each, as long as restartMs (shorter ones count as unknown).
  std::array<std::vector<std::optional<std::int64_t>>, 3> phaseMs;
};

enum class Verdict : std::uint8_t { Faster, Slower, NoClearChange, TooFew };

// The fewest restarts on each side for a verdict.
inline constexpr std::size_t kFewestForVerdict = 4;
// From this many restarts on both sides the first of each is left out: it
// follows whatever changed (caches, drivers, updates) and is often an
// outlier.
inline constexpr std::size_t kLeaveFirstOutFrom = 5;

struct SequenceComparison {
  // "Sequence 7 against sequence 4 (6 and 6 restarts):"
  Text heading;
  // One line per figure: the restart's, then each phase both sequences know.
  std::vector<Text> lines;
  Verdict restart = Verdict::TooFew;  // the verdict of the restart's own line
  bool firstLeftOut = false;
  std::size_t usedBefore = 0;  // restarts used for the restart's figure
  std::size_t usedAfter = 0;
  // The restarts' durations used, in seconds, for a picture of the two.
  std::vector<double> beforeSeconds;
  std::vector<double> afterSeconds;
};

// Sequence `after` (numbered afterNumber in the history list) against
// `before` (beforeNumber).
[[nodiscard]] SequenceComparison CompareSequences(std::size_t beforeNumber,
                                                  const SequenceFigures& before,
                                                  std::size_t afterNumber,
                                                  const SequenceFigures& after);

// Only the restart's verdict, for a list that shows one word per sequence.
[[nodiscard]] Verdict RestartVerdict(const SequenceFigures& before, const SequenceFigures& after);

// A kept sequence's figures: each restart's exact duration, whole seconds
// where the milliseconds are unknown, and its phases; a marked restart
// counts for none of them.
[[nodiscard]] SequenceFigures FiguresOf(const SequenceSummary& summary);

// What a script's "/Compare" answers: the heading, the lines and what
// changed of what starts with Windows (WhatChanged), or why
// nothing was compared; and its exit code: 0 compared and the restart not
// slower, 2 compared and slower (a regression a script can act on), 1
// nothing compared (fewer than two sequences, a number the history list
// does not show, too few restarts for the restart's own verdict).
struct CompareAnswer {
  int exitCode = 1;
  Text text;
};
// Sequence `after` against sequence `before`, by their numbers in the
// history list (oldest first in `sequences`); 0 and 0 compare the newest
// with the one before it.
[[nodiscard]] CompareAnswer CompareByNumber(const std::vector<SequenceSummary>& sequences,
                                            std::size_t before, std::size_t after);

}  // namespace twk::sequence

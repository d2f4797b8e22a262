#include "sequence/verdict.h"

#include <gtest/gtest.h>

#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

std::vector<std::optional<std::int64_t>> Seconds(std::initializer_list<double> values) {
  std::vector<std::optional<std::int64_t>> ms;
  // Below zero: unknown, or marked and left out.
  for (double v : values) {
    ms.push_back(v < 0 ? std::nullopt : std::optional(static_cast<std::int64_t>(v * 1000)));
  }
  return ms;
}

SequenceFigures Restarts(std::initializer_list<double> seconds) {
  SequenceFigures f;
  f.restartMs = Seconds(seconds);
  return f;
}

// The expected figures are worked by hand: U by counting pairs, exact p from
// the number of orderings (C(10, 5) = 252, C(8, 4) = 70), the interval from
// the k-th smallest and largest of the differences.
TEST(VerdictTest, SaysFasterSlowerOrNoClearChangeWithTheFiguresBehindIt) {
  // 6 and 6 restarts: the first of each goes, 61..65 against 51..55 remain:
  // U = 0, p = 2/252; shift -10 s, -10/63 = -15.9 %; k = 2, so the
  // interval runs from -13 to -7 s.
  const SequenceComparison faster = CompareSequences(
      1, Restarts({70, 61, 62, 63, 64, 65}), 2, Restarts({90, 51, 52, 53, 54, 55}));
  EXPECT_EQ(faster.heading,
            u"Sequence 2 against sequence 1 (5 and 5 restarts, the first of each left out):");
  ASSERT_EQ(faster.lines.size(), 1u);
  EXPECT_EQ(faster.lines[0],
            u"Restart: faster by 10.0 s (-15.9 %), between 7.0 and 13.0 s faster "
            u"(95 % confidence, p = 0.008).");
  EXPECT_EQ(faster.restart, Verdict::Faster);
  EXPECT_TRUE(faster.firstLeftOut);
  EXPECT_EQ(faster.afterSeconds, (std::vector<double>{51, 52, 53, 54, 55}));

  // 4 and 4, all kept: U = 16, p = 2/70; shift +10 s, +10/11.5 = +87.0 %;
  // k = 1, the whole range of differences, 7 to 13 s.
  const SequenceComparison slower =
      CompareSequences(3, Restarts({10, 11, 12, 13}), 4, Restarts({20, 21, 22, 23}));
  EXPECT_EQ(slower.heading, u"Sequence 4 against sequence 3 (4 and 4 restarts):");
  EXPECT_EQ(slower.lines[0],
            u"Restart: slower by 10.0 s (+87.0 %), between 7.0 and 13.0 s slower "
            u"(95 % confidence, p = 0.029).");
  EXPECT_EQ(slower.restart, Verdict::Slower);

  // Interleaved: U = 10 against a mean of 8, p = 2 * 24/70; the median of
  // the differences is +1 s, +1/13 = +7.7 %.
  const SequenceComparison same =
      CompareSequences(1, Restarts({10, 12, 14, 16}), 2, Restarts({11, 13, 15, 17}));
  EXPECT_EQ(same.lines[0], u"Restart: no clear change (+1.0 s, +7.7 %, p = 0.686).");
  EXPECT_EQ(same.restart, Verdict::NoClearChange);
  EXPECT_EQ(RestartVerdict(Restarts({10, 12, 14, 16}), Restarts({11, 13, 15, 17})),
            Verdict::NoClearChange);
}

TEST(VerdictTest, TooFewKnownRestartsOnEitherSideGiveNoVerdict) {
  // Six after, but only three known before (two unknown or marked): no
  // verdict, and the first restarts stay since not both sides have five.
  const SequenceComparison c = CompareSequences(
      1, Restarts({60, -1, 61, -1, 62}), 2, Restarts({50, 51, 52, 53, 54, 55}));
  EXPECT_EQ(c.heading, u"Sequence 2 against sequence 1 (6 and 3 restarts):");
  EXPECT_EQ(c.lines[0], u"Restart: too few restarts (6 and 3; at least 4 each).");
  EXPECT_EQ(c.restart, Verdict::TooFew);
  EXPECT_FALSE(c.firstLeftOut);
  EXPECT_EQ(RestartVerdict(Restarts({60, 61, 62}), Restarts({50, 51, 52, 53})), Verdict::TooFew);

  // Five known on each side, but one of the five before is its first: it is
  // left out like the other first, and four remain on that side.
  const SequenceComparison edge = CompareSequences(
      1, Restarts({60, 61, 62, 63, 64}), 2, Restarts({50, 51, 52, 53, 54}));
  EXPECT_TRUE(edge.firstLeftOut);
  EXPECT_EQ(edge.usedBefore, 4u);
  EXPECT_EQ(edge.usedAfter, 4u);
}

TEST(VerdictTest, EachPhaseBothSequencesKnowGetsItsOwnLine) {
  SequenceFigures before = Restarts({10, 11, 12, 13});
  SequenceFigures after = Restarts({20, 21, 22, 23});
  // Shutdown and firmware: known on both sides, no change.
  before.phaseMs[0] = Seconds({2, 4, 6, 8});
  after.phaseMs[0] = Seconds({3, 5, 7, 9});
  // Windows start: known after only (an older sequence without phases).
  after.phaseMs[1] = Seconds({1, 1, 1, 1});
  // Desktop ready: known on both, but for three restarts only after.
  before.phaseMs[2] = Seconds({5, 5, 5, 5});
  after.phaseMs[2] = Seconds({6, -1, 6, 6});
  const SequenceComparison c = CompareSequences(1, before, 2, after);
  ASSERT_EQ(c.lines.size(), 3u);
  EXPECT_EQ(c.lines[1], u"Shutdown and firmware: no clear change (+1.0 s, +20.0 %, p = 0.686).");
  EXPECT_EQ(c.lines[2], u"Desktop ready: too few restarts (3 and 4; at least 4 each).");
}

// A kept sequence's figures: exact where measured so, else whole seconds;
// a marked restart counts for nothing, its phases neither.
TEST(VerdictTest, FiguresOfAKeptSequenceLeaveMarkedRestartsOut) {
  RestartPhases phases;
  phases[Phase::DesktopReady] = 9000;
  const SequenceSummary s = testing::WithPhases(
      testing::WithMarks(testing::WithExact(testing::Summary(1, u"", 0, {u"61", u"150", u"59.5"}),
                                            {61250, std::nullopt, std::nullopt}),
                         {RestartMark::None, RestartMark::Updates}),
      {phases, phases, phases});
  const SequenceFigures f = FiguresOf(s);
  EXPECT_EQ(f.restartMs, (std::vector<std::optional<std::int64_t>>{61250, std::nullopt, 59000}));
  EXPECT_EQ(f.phaseMs[2], (std::vector<std::optional<std::int64_t>>{9000, std::nullopt, 9000}));
  EXPECT_EQ(f.phaseMs[0], (std::vector<std::optional<std::int64_t>>(3)));
}

}  // namespace
}  // namespace twk::sequence

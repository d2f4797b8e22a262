#include "base/shift_estimate.h"

#include <gtest/gtest.h>

#include <vector>

namespace twk {
namespace {

// Hollander and Wolfe's permeability constants of the human chorioamnion,
// at term (the first set) and at 12 to 26 weeks (the second), as SAS's
// NPAR1WAY procedure reports them: rank sum of the second set 30, exact
// two-sided p 0.2544, normal approximation with a continuity correction of
// 0.5 two-sided 0.2446, Hodges-Lehmann shift (second - first) -0.3050 with
// the 95 % confidence limits -0.7600 and 0.1700.
const std::vector<double> kTerm = {0.80, 0.83, 1.89, 1.04, 1.45, 1.38, 1.91, 1.64, 0.73, 1.46};
const std::vector<double> kEarly = {1.15, 0.88, 0.90, 0.74, 1.21};

TEST(ShiftEstimateTest, MatchesThePublishedExactFiguresOfATextbookExample) {
  const ShiftEstimate e = EstimateShift(kTerm, kEarly).value();
  EXPECT_TRUE(e.exact);
  EXPECT_DOUBLE_EQ(e.u, 30.0 - 5 * 6 / 2);  // the rank sum less m(m+1)/2
  EXPECT_NEAR(e.p, 0.2544, 0.00005);
  EXPECT_NEAR(e.shift, -0.305, 1e-9);
  EXPECT_NEAR(e.lower, -0.76, 1e-9);
  EXPECT_NEAR(e.upper, 0.17, 1e-9);

  // The sides swapped: the same test, the shift and its interval mirrored.
  const ShiftEstimate swapped = EstimateShift(kEarly, kTerm).value();
  EXPECT_NEAR(swapped.p, 0.2544, 0.00005);
  EXPECT_NEAR(swapped.shift, 0.305, 1e-9);
  EXPECT_NEAR(swapped.lower, -0.17, 1e-9);
  EXPECT_NEAR(swapped.upper, 0.76, 1e-9);
}

// SciPy's documented example (from Shier's Mann-Whitney worksheet): the ages
// at diagnosis of five men and four women, U of the men 17, exact two-sided
// p 1/9, and the normal approximation with continuity correction
// 0.11134688653314041.
TEST(ShiftEstimateTest, MatchesThePublishedPOfTheExactTestAndOfTheApproximation) {
  const std::vector<double> men = {19, 22, 16, 29, 24};
  const std::vector<double> women = {20, 11, 17, 12};
  const ShiftEstimate exact = EstimateShift(women, men).value();
  EXPECT_TRUE(exact.exact);
  EXPECT_DOUBLE_EQ(exact.u, 17.0);
  EXPECT_NEAR(exact.p, 1.0 / 9.0, 1e-12);

  // Past 20 values on a side the approximation is used: the same data five
  // times over, moved apart a little so that no value repeats, is no longer
  // exact, and five times the evidence is clear. (The approximation's
  // formula is checked to six places by the tie example below.)
  std::vector<double> manyMen, manyWomen;
  for (int copy = 0; copy < 5; ++copy) {
    for (double v : men) manyMen.push_back(v + copy * 0.01);
    for (double v : women) manyWomen.push_back(v + copy * 0.01);
  }
  const ShiftEstimate wide = EstimateShift(manyWomen, manyMen).value();
  EXPECT_FALSE(wide.exact);  // 25 men
  EXPECT_LT(wide.p, 0.05);   // five times the evidence
}

TEST(ShiftEstimateTest, SixAgainstSixCompletelySeparatedGivesTwoIn924) {
  const std::vector<double> before = {60, 61, 62, 63, 64, 65};
  const std::vector<double> after = {50, 51, 52, 53, 54, 55};
  const ShiftEstimate e = EstimateShift(before, after).value();
  EXPECT_DOUBLE_EQ(e.u, 0.0);
  EXPECT_NEAR(e.p, 2.0 / 924.0, 1e-12);  // C(12, 6) = 924 orderings, two extremes
  EXPECT_DOUBLE_EQ(e.shift, -10.0);      // the 36 differences -15..-5, median -10
  // The exact interval at 95 %: k = 5 (P(U <= 5) = 19/924 <= 0.025 < P(U <= 6) = 30/924),
  // from the 5th smallest difference to the 5th largest (counting -15 once,
  // -14 twice, -13 three times...).
  EXPECT_DOUBLE_EQ(e.lower, -13.0);
  EXPECT_DOUBLE_EQ(e.upper, -7.0);
}

TEST(ShiftEstimateTest, TiesUseTheApproximationWithTheirVarianceCorrected) {
  // Worked by hand from the textbook formulas: N = 8, groups of equal values
  // 1, 3, 3, 1, so the sum of t^3 - t is 48; U = 13 (ties count half);
  // var = 16/12 * (9 - 48/56) = 10.857; z = (|13 - 8| - 0.5) / 3.29502 =
  // 1.36570; two-sided p = 0.172034.
  const std::vector<double> a = {1, 2, 2, 3};
  const std::vector<double> b = {2, 3, 3, 4};
  const ShiftEstimate e = EstimateShift(a, b).value();
  EXPECT_FALSE(e.exact);
  EXPECT_DOUBLE_EQ(e.u, 13.0);
  EXPECT_NEAR(e.p, 0.172034, 0.000001);
  EXPECT_DOUBLE_EQ(e.shift, 1.0);
  EXPECT_LE(e.lower, e.shift);
  EXPECT_GE(e.upper, e.shift);

  // Every value the same: no evidence of anything.
  const std::vector<double> same = {5, 5, 5, 5};
  const ShiftEstimate flat = EstimateShift(same, same).value();
  EXPECT_DOUBLE_EQ(flat.p, 1.0);
  EXPECT_DOUBLE_EQ(flat.shift, 0.0);
  EXPECT_DOUBLE_EQ(flat.lower, 0.0);
  EXPECT_DOUBLE_EQ(flat.upper, 0.0);
}

TEST(ShiftEstimateTest, TwentyOnEachSideIsExactAndTwentyOneIsApproximatedAlike) {
  // Completely separated sets: exact p = 2 / C(40, 20) at 20 against 20; at
  // 21 against 21 the approximation: z = (220.5 - 0.5) / sqrt(441 * 43 / 12)
  // = 5.5343, p = 3.12e-8.
  std::vector<double> low, high;
  for (int i = 0; i < 21; ++i) {
    low.push_back(100 + i);
    high.push_back(200 + i);
  }
  const std::span<const double> low20(low.data(), 20), high20(high.data(), 20);
  const ShiftEstimate at20 = EstimateShift(low20, high20).value();
  EXPECT_TRUE(at20.exact);
  EXPECT_NEAR(at20.p, 2.0 / 137846528820.0, 1e-20);
  const ShiftEstimate at21 = EstimateShift(low, high).value();
  EXPECT_FALSE(at21.exact);
  EXPECT_NEAR(at21.p, 3.12e-8, 0.01e-8);
  EXPECT_DOUBLE_EQ(at21.shift, 100.0);

  // 20 on one side and 21 on the other: approximated too.
  const ShiftEstimate mixed = EstimateShift(low20, high).value();
  EXPECT_FALSE(mixed.exact);
}

TEST(ShiftEstimateTest, AnEmptySideGivesNothing) {
  const std::vector<double> some = {1, 2, 3};
  EXPECT_FALSE(EstimateShift({}, some).has_value());
  EXPECT_FALSE(EstimateShift(some, {}).has_value());
}

}  // namespace
}  // namespace twk

#pragma once
// How far a second set of measurements lies from a first one, and whether
// the difference is more than chance, without assuming any distribution:
// restart times are skewed (a slow update, a disk check) and there are only
// a handful of them, so means and t-tests would mislead.
//
// The shift is the Hodges-Lehmann estimate, the median of all differences
// b - a between a value of the second set and one of the first, with its
// distribution-free confidence interval (Moses) from the Mann-Whitney
// distribution. The test is the two-sided Mann-Whitney U test. Both use the
// exact distribution of U when each side has at most 20 values and no value
// occurs twice among both sides; otherwise the normal approximation, with
// the variance corrected for ties and a continuity correction of 0.5 for
// the test.
#include <optional>
#include <span>

namespace twk {

struct ShiftEstimate {
  double shift = 0;  // median of all b - a
  double lower = 0;  // the confidence interval of the shift
  double upper = 0;
  double p = 1;   // two-sided
  double u = 0;   // pairs with b > a, ties counted as half a pair
  bool exact = false;  // the exact distribution of U was used
};

// The largest side for which the exact distribution is used.
inline constexpr std::size_t kExactShiftLimit = 20;

// Nothing when either side is empty. confidence is that of the interval
// (0.95: 95 %).
std::optional<ShiftEstimate> EstimateShift(std::span<const double> a, std::span<const double> b,
                                           double confidence = 0.95);

}  // namespace twk

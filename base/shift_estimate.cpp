#include "base/shift_estimate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace twk {
namespace {

// How many of the orderings of n values of one side and m of the other give
// each U from 0 to n*m (U counting the pairs in which the second side's value
// is the larger). The largest value of all either belongs to the second side,
// and lies above all n values of the first (n pairs more), or to the first
// side, and adds no pair. The counts stay below C(40, 20), about 1.4e11,
// which a double holds exactly.
std::vector<double> ExactCounts(std::size_t n, std::size_t m) {
  // row[j] holds the counts for i values of the first side and j of the second.
  std::vector<std::vector<double>> row(m + 1, std::vector<double>{1.0});
  for (std::size_t i = 1; i <= n; ++i) {
    std::vector<std::vector<double>> next(m + 1);
    next[0] = {1.0};
    for (std::size_t j = 1; j <= m; ++j) {
      std::vector<double> counts(i * j + 1, 0.0);
      // The largest value is the first side's: as (i - 1, j).
      for (std::size_t u = 0; u < row[j].size(); ++u) counts[u] += row[j][u];
      // It is the second side's: as (i, j - 1), with i more pairs.
      for (std::size_t u = 0; u < next[j - 1].size(); ++u) counts[u + i] += next[j - 1][u];
      next[j] = std::move(counts);
    }
    row = std::move(next);
  }
  return row[m];
}

// The standard normal distribution's upper tail beyond z.
double UpperTail(double z) { return 0.5 * std::erfc(z / std::sqrt(2.0)); }

// The z whose upper tail is the given probability (0 < tail < 0.5), found by
// halving: the tail falls steadily, and 100 halvings of [0, 40] leave an
// error far below anything printed.
double QuantileAbove(double tail) {
  double low = 0;
  double high = 40;
  for (int i = 0; i < 100; ++i) {
    const double mid = (low + high) / 2;
    (UpperTail(mid) > tail ? low : high) = mid;
  }
  return (low + high) / 2;
}

}  // namespace

std::optional<ShiftEstimate> EstimateShift(std::span<const double> a, std::span<const double> b,
                                           double confidence) {
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  if (n == 0 || m == 0) return std::nullopt;
  const double alpha = 1.0 - confidence;

  ShiftEstimate e;
  std::vector<double> differences;
  differences.reserve(n * m);
  for (double y : b) {
    for (double x : a) {
      differences.push_back(y - x);
      e.u += y > x ? 1.0 : (y == x ? 0.5 : 0.0);
    }
  }
  const std::size_t pairs = differences.size();
  // The n-th smallest difference, 1-based. Only three or four of them are
  // ever asked for, so each is selected in linear time rather than all
  // 10,000 of two sequences of 100 restarts sorted.
  const auto nth = [&differences](std::size_t rank) {
    const auto at = differences.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(differences.begin(), at, differences.end());
    return *at;
  };
  e.shift = pairs % 2 == 1 ? nth(pairs / 2 + 1) : (nth(pairs / 2) + nth(pairs / 2 + 1)) / 2;

  // Groups of equal values among both sides: they decide between the exact
  // distribution and the approximation, and correct its variance.
  std::vector<double> all(a.begin(), a.end());
  all.insert(all.end(), b.begin(), b.end());
  std::sort(all.begin(), all.end());
  double tieSum = 0;  // sum of t^3 - t over the groups of t equal values
  for (std::size_t i = 0; i < all.size();) {
    std::size_t j = i + 1;
    while (j < all.size() && all[j] == all[i]) ++j;
    const double size = static_cast<double>(j - i);
    tieSum += size * size * size - size;
    i = j;
  }
  e.exact = n <= kExactShiftLimit && m <= kExactShiftLimit && tieSum == 0;

  // The interval runs from the k-th smallest difference to the k-th largest.
  std::size_t k = 1;
  const double nm = static_cast<double>(pairs);
  if (e.exact) {
    const std::vector<double> counts = ExactCounts(n, m);
    double total = 0;
    for (double c : counts) total += c;
    const auto u = static_cast<std::size_t>(e.u);
    double below = 0;  // P(U <= u)
    for (std::size_t i = 0; i <= u; ++i) below += counts[i];
    double above = 0;  // P(U >= u)
    for (std::size_t i = u; i < counts.size(); ++i) above += counts[i];
    e.p = std::min(1.0, 2 * std::min(below, above) / total);
    // k: the largest q with P(U <= q) <= alpha / 2, at least 1. This is
    // the rule of SAS's exact Moses limits, one step wider than the
    // narrowest interval R gives for some samples: its coverage is never
    // below the confidence asked for.
    double cumulative = 0;
    std::size_t q = 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      cumulative += counts[i];
      if (cumulative / total > alpha / 2) break;
      q = i;
    }
    k = std::max<std::size_t>(q, 1);
  } else {
    const double size = static_cast<double>(n + m);
    const double variance = nm / 12 * ((size + 1) - tieSum / (size * (size - 1)));
    const double deviation = std::sqrt(std::max(variance, 0.0));
    if (deviation > 0) {
      const double z = std::max(0.0, std::fabs(e.u - nm / 2) - 0.5) / deviation;
      e.p = std::min(1.0, 2 * UpperTail(z));
      const double c = std::round(nm / 2 - QuantileAbove(alpha / 2) * deviation);
      k = c < 1 ? 1 : static_cast<std::size_t>(c);
    }
    // All values equal: no evidence either way, p stays 1 and the interval
    // is the one difference there is.
  }
  k = std::min(k, (pairs + 1) / 2);
  e.lower = nth(k);
  e.upper = nth(pairs + 1 - k);
  return e;
}

}  // namespace twk

#include "sequence/spread.h"

#include <algorithm>
#include <cmath>

namespace twk::sequence {
namespace {

using Durations = std::vector<std::optional<std::int64_t>>;

std::optional<Spread> SpreadOfRange(Durations::const_iterator begin,
                                    Durations::const_iterator end) {
  std::vector<std::int64_t> known;
  for (auto it = begin; it != end; ++it) {
    if (*it) known.push_back(**it);
  }
  if (known.empty()) return std::nullopt;
  std::sort(known.begin(), known.end());

  Spread spread;
  spread.count = known.size();
  spread.minimumMs = known.front();
  spread.maximumMs = known.back();
  const std::size_t middle = known.size() / 2;
  // Added as doubles: two durations near the 64-bit limit must not overflow.
  spread.medianMs =
      known.size() % 2
          ? static_cast<double>(known[middle])
          : (static_cast<double>(known[middle - 1]) + static_cast<double>(known[middle])) / 2;
  double sum = 0;
  for (const std::int64_t ms : known) sum += static_cast<double>(ms);
  spread.meanMs = sum / static_cast<double>(known.size());
  if (known.size() > 1) {
    // Deviations from the mean, not the difference of two large sums, which
    // loses the digits that matter when durations are long and close.
    double squares = 0;
    for (const std::int64_t ms : known) {
      const double deviation = static_cast<double>(ms) - spread.meanMs;
      squares += deviation * deviation;
    }
    spread.standardDeviationMs = std::sqrt(squares / static_cast<double>(known.size() - 1));
  }
  return spread;
}

}  // namespace

std::optional<Spread> SpreadOf(const Durations& durationsMs) {
  return SpreadOfRange(durationsMs.begin(), durationsMs.end());
}

std::optional<Spread> SpreadAfterFirst(const Durations& durationsMs) {
  if (durationsMs.empty()) return std::nullopt;
  return SpreadOfRange(durationsMs.begin() + 1, durationsMs.end());
}

}  // namespace twk::sequence

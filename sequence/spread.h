#pragma once
// How far apart the restarts of a sequence lie. An average alone hides
// whether every restart took about as long or one of them ran away; the
// median and the extremes show that, and the standard deviation says how
// much a single restart can be expected to differ from the others.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace twk::sequence {

struct Spread {
  std::size_t count = 0;  // restarts with a known duration
  double meanMs = 0;
  double medianMs = 0;  // of an even count, the mean of the two middle values
  std::int64_t minimumMs = 0;
  std::int64_t maximumMs = 0;
  // The sample standard deviation (divided by count - 1): the restarts
  // measured are a few draws from all the restarts the machine could make,
  // and dividing by count would understate how much those vary, most of all
  // for the three to five restarts a sequence usually has. With one restart
  // there is nothing to compare: 0.
  double standardDeviationMs = 0;
};

// The spread of the durations in restart order; unknown ones are left out.
// None when no duration is known.
[[nodiscard]] std::optional<Spread> SpreadOf(
    const std::vector<std::optional<std::int64_t>>& durationsMs);

// The same without the first restart, known or not: the first start after a
// change does work the later ones do not (caches to fill, drivers and
// updates to settle), so it is set apart from the figure of the rest.
[[nodiscard]] std::optional<Spread> SpreadAfterFirst(
    const std::vector<std::optional<std::int64_t>>& durationsMs);

}  // namespace twk::sequence

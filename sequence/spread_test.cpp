#include "sequence/spread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace twk::sequence {
namespace {

using Durations = std::vector<std::optional<std::int64_t>>;
constexpr std::nullopt_t kUnknown = std::nullopt;

TEST(SpreadTest, MedianExtremesAndDeviationOfTheKnownDurations) {
  // Out of order, with unknown restarts between them.
  const std::optional<Spread> even = SpreadOf({40000, kUnknown, 10000, 30000, kUnknown, 20000});
  ASSERT_TRUE(even.has_value());
  EXPECT_EQ(even->count, 4u);
  EXPECT_DOUBLE_EQ(even->medianMs, 25000);
  EXPECT_EQ(even->minimumMs, 10000);
  EXPECT_EQ(even->maximumMs, 40000);
  EXPECT_DOUBLE_EQ(even->meanMs, 25000);

  const std::optional<Spread> odd = SpreadOf({31000, 90000, 30000});
  ASSERT_TRUE(odd.has_value());
  EXPECT_DOUBLE_EQ(odd->medianMs, 31000);

  // Squared deviations from the mean of 5 add up to 32: divided by n - 1 = 7,
  // not by 8 (which would give exactly 2).
  const std::optional<Spread> eight = SpreadOf({2, 4, 4, 4, 5, 5, 7, 9});
  ASSERT_TRUE(eight.has_value());
  EXPECT_DOUBLE_EQ(eight->standardDeviationMs, std::sqrt(32.0 / 7.0));
}

TEST(SpreadTest, OneRestartHasNoSpreadAndNoneHasNoFigure) {
  const std::optional<Spread> one = SpreadOf({kUnknown, 42000});
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->count, 1u);
  EXPECT_DOUBLE_EQ(one->medianMs, 42000);
  EXPECT_EQ(one->minimumMs, 42000);
  EXPECT_EQ(one->maximumMs, 42000);
  EXPECT_DOUBLE_EQ(one->standardDeviationMs, 0);

  EXPECT_FALSE(SpreadOf({}).has_value());
  EXPECT_FALSE(SpreadOf({kUnknown, kUnknown}).has_value());
}

TEST(SpreadTest, TheFirstRestartIsSetApart) {
  const Durations durations = {90000, 30000, 31000, 35000};
  const std::optional<Spread> rest = SpreadAfterFirst(durations);
  ASSERT_TRUE(rest.has_value());
  EXPECT_EQ(rest->count, 3u);
  EXPECT_DOUBLE_EQ(rest->medianMs, 31000);
  EXPECT_EQ(rest->maximumMs, 35000);
  EXPECT_EQ(SpreadOf(durations)->maximumMs, 90000);

  // The first restart is the first of the sequence, even when its duration
  // is unknown: the second is not moved up into its place.
  const std::optional<Spread> afterUnknown = SpreadAfterFirst({kUnknown, 90000, 30000});
  ASSERT_TRUE(afterUnknown.has_value());
  EXPECT_EQ(afterUnknown->count, 2u);
  EXPECT_EQ(afterUnknown->maximumMs, 90000);

  EXPECT_FALSE(SpreadAfterFirst({90000}).has_value());
  EXPECT_FALSE(SpreadAfterFirst({}).has_value());
}

}  // namespace
}  // namespace twk::sequence

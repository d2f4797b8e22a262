#include "sequence/spread.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace twk::sequence {
namespace {

constexpr std::nullopt_t kUnknown = std::nullopt;

// An odd count, the deviation divided by n - 1, a single restart and the
// first one set apart are the history's figures and lines (their tests):
// what no history shows, unknown durations, is checked here.
TEST(SpreadTest, UnknownDurationsAreLeftOutAndTheRestInAnyOrderCount) {
  const std::optional<Spread> even = SpreadOf({40000, kUnknown, 10000, 30000, kUnknown, 20000});
  ASSERT_TRUE(even.has_value());
  EXPECT_EQ(even->count, 4u);
  EXPECT_DOUBLE_EQ(even->medianMs, 25000);
  EXPECT_EQ(even->minimumMs, 10000);
  EXPECT_EQ(even->maximumMs, 40000);
  EXPECT_DOUBLE_EQ(even->meanMs, 25000);

  // One known restart: nothing to compare. None known: no figure.
  const std::optional<Spread> one = SpreadOf({kUnknown, 42000});
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->count, 1u);
  EXPECT_DOUBLE_EQ(one->standardDeviationMs, 0);
  EXPECT_FALSE(SpreadOf({kUnknown, kUnknown}).has_value());
}

TEST(SpreadTest, TheFirstRestartIsSetApartEvenWhenItsDurationIsUnknown) {
  // The second is not moved up into its place.
  const std::optional<Spread> afterUnknown = SpreadAfterFirst({kUnknown, 90000, 30000});
  ASSERT_TRUE(afterUnknown.has_value());
  EXPECT_EQ(afterUnknown->count, 2u);
  EXPECT_EQ(afterUnknown->maximumMs, 90000);
  EXPECT_FALSE(SpreadAfterFirst({}).has_value());
}

}  // namespace
}  // namespace twk::sequence

#include "context/command_line.h"

#include <gtest/gtest.h>

#include <limits>

namespace twk::context {
namespace {

using Args = std::vector<Text>;

TEST(SplitArguments, FirstArgumentFollowsProgramNameRules) {
  EXPECT_EQ(SplitArguments(u""), Args{});
  EXPECT_EQ(SplitArguments(u"/CurrentReboot:2"), (Args{u"/CurrentReboot:2"}));
  // A quoted first argument ends at the next quote; backslashes are plain.
  EXPECT_EQ(SplitArguments(u"\"C:\\Program Files\\T.exe\" /Delay:3"),
            (Args{u"C:\\Program Files\\T.exe", u"/Delay:3"}));
  EXPECT_EQ(SplitArguments(u"\"a\\\"b c"), (Args{u"a\\", u"b", u"c"}));
  EXPECT_EQ(SplitArguments(u"\"ab\"cd ef"), (Args{u"ab", u"cd", u"ef"}));
  // Only blanks: one empty program name.
  EXPECT_EQ(SplitArguments(u"   "), (Args{u""}));
}

TEST(SplitArguments, LaterArgumentsHonourQuotesAndBackslashes) {
  EXPECT_EQ(SplitArguments(u"x  a\tb   "), (Args{u"x", u"a", u"b"}));
  EXPECT_EQ(SplitArguments(u"x \"a b\" c"), (Args{u"x", u"a b", u"c"}));
  EXPECT_EQ(SplitArguments(u"x a\\\\b"), (Args{u"x", u"a\\\\b"}));        // no quote: kept
  EXPECT_EQ(SplitArguments(u"x a\\\\\"b c\""), (Args{u"x", u"a\\b c"}));  // 2n: n and a toggle
  EXPECT_EQ(SplitArguments(u"x a\\\"b"), (Args{u"x", u"a\"b"}));          // 2n+1: a quote
  EXPECT_EQ(SplitArguments(u"x \"\""), (Args{u"x", u""}));
  // Doubled quotes inside a quoted part give one quote.
  EXPECT_EQ(SplitArguments(u"x \"a\"\"b\""), (Args{u"x", u"a\"b"}));
  EXPECT_EQ(SplitArguments(u"x \"\"\"a\"\"\""), (Args{u"x", u"\"a\""}));
}

TEST(ReadSwitchNumber, LeadingIntegerWithSaturation) {
  EXPECT_EQ(ReadSwitchNumber(u""), 0);
  EXPECT_EQ(ReadSwitchNumber(u"abc"), 0);
  EXPECT_EQ(ReadSwitchNumber(u"  12abc"), 12);
  EXPECT_EQ(ReadSwitchNumber(u"+7"), 7);
  EXPECT_EQ(ReadSwitchNumber(u"-1"), -1);
  EXPECT_EQ(ReadSwitchNumber(u"-"), 0);
  EXPECT_EQ(ReadSwitchNumber(u"2147483647"), 2147483647);
  EXPECT_EQ(ReadSwitchNumber(u"2147483648"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadSwitchNumber(u"99999999999999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadSwitchNumber(u"-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(ParseRebootSwitches, TheThreeSwitchesInAnyOrderLaterWins) {
  RebootSwitches s =
      ParseRebootSwitches(SplitArguments(u"/CurrentReboot:3 /TotalReboots:5 /Delay:3"));
  EXPECT_EQ(s.currentReboot, 3u);
  EXPECT_EQ(s.totalReboots, 5u);
  EXPECT_EQ(s.delayMinutes, 3u);

  s = ParseRebootSwitches(SplitArguments(u"/Delay:4 junk /CurrentReboot:2 /Delay:9"));
  EXPECT_EQ(s.currentReboot, 2u);
  EXPECT_EQ(s.totalReboots, 0u);
  EXPECT_EQ(s.delayMinutes, 9u);
}

TEST(ParseRebootSwitches, CaseMattersAndOddValuesAreKeptAsRead) {
  RebootSwitches s = ParseRebootSwitches(SplitArguments(u"/currentreboot:2 /DELAY:3"));
  EXPECT_EQ(s.currentReboot, 0u);
  EXPECT_EQ(s.delayMinutes, 0u);

  s = ParseRebootSwitches(SplitArguments(u"/CurrentReboot:-1 /Delay: /TotalReboots:x"));
  EXPECT_EQ(s.currentReboot, 0xFFFFFFFFu);  // the bits of -1
  EXPECT_EQ(s.delayMinutes, 0u);
  EXPECT_EQ(s.totalReboots, 0u);

  // The switch must start the argument.
  s = ParseRebootSwitches(SplitArguments(u"x -/CurrentReboot:2 \" /Delay:2\""));
  EXPECT_EQ(s.currentReboot, 0u);
  EXPECT_EQ(s.delayMinutes, 0u);
}

TEST(FindExportPath, TakesThePathOfTheLastExportSwitchInAnyCaseQuotedOrNot) {
  EXPECT_EQ(FindExportPath(u"/Export:\"C:\\My files\\history.csv\""),
            std::optional<Text>(u"C:\\My files\\history.csv"));
  EXPECT_EQ(FindExportPath(u"/CurrentReboot:2 /Export:C:\\h.csv"),
            std::optional<Text>(u"C:\\h.csv"));
  EXPECT_EQ(FindExportPath(u"/Export:a.csv /Export:\"b c.csv\""), std::optional<Text>(u"b c.csv"));
  EXPECT_EQ(FindExportPath(u"/Export:"), std::optional<Text>(u""));
  EXPECT_EQ(FindExportPath(u""), std::nullopt);
  EXPECT_EQ(FindExportPath(u"/export:x.csv"), std::optional<Text>(u"x.csv"));
  EXPECT_EQ(FindExportPath(u"/EXPORT:\"y z.csv\" /Exportx"), std::optional<Text>(u"y z.csv"));
  EXPECT_EQ(FindExportPath(u"\"/Export\" x/Export:y /Expor"), std::nullopt);
}

}  // namespace
}  // namespace twk::context

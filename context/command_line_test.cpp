#include "context/command_line.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

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

TEST(ParseRebootSwitches, InAnyOrderLaterWinsCaseMattersAndOddValuesAreKeptAsRead) {
  const struct {
    const char16_t* line;
    std::uint32_t current, total, delay;
  } cases[] = {
      {u"/CurrentReboot:3 /TotalReboots:5 /Delay:3", 3, 5, 3},
      {u"/Delay:4 junk /CurrentReboot:2 /Delay:9", 2, 0, 9},
      {u"/currentreboot:2 /DELAY:3 /totalReboots:4", 0, 0, 0},
      {u"/CurrentReboot:-1 /Delay: /TotalReboots:x", 0xFFFFFFFFu, 0, 0},  // the bits of -1
      {u"x -/CurrentReboot:2 \" /Delay:2\"", 0, 0, 0},  // the switch must start the argument
  };
  for (const auto& c : cases) {
    const RebootSwitches s = ParseRebootSwitches(SplitArguments(c.line));
    EXPECT_EQ(std::tie(s.currentReboot, s.totalReboots, s.delayMinutes),
              std::tie(c.current, c.total, c.delay))
        << ToUtf8(c.line);
  }
}

TEST(FindExportPath, TakesThePathOfTheLastExportSwitchInAnyCaseQuotedOrNot) {
  EXPECT_EQ(FindExportPath(u"/CurrentReboot:2 /Export:C:\\h.csv"),
            std::optional<Text>(u"C:\\h.csv"));
  EXPECT_EQ(FindExportPath(u"/Export:a.csv /Export:\"b c.csv\""), std::optional<Text>(u"b c.csv"));
  EXPECT_EQ(FindExportPath(u"/export:x.csv"), std::optional<Text>(u"x.csv"));
  EXPECT_EQ(FindExportPath(u"/EXPORT:\"y z.csv\" /Exportx"), std::optional<Text>(u"y z.csv"));
  EXPECT_EQ(FindExportPath(u"\"/Export\" x/Export:y /Expor"), std::nullopt);
  // The busy programs' switch is another switch, not an export of the history.
  EXPECT_EQ(FindExportPath(u"/ExportProcesses:p.csv"), std::nullopt);
  EXPECT_EQ(ReadCommandLine(u"/exportprocesses:\"p q.csv\" /Export:h.csv").exportProcessesPath,
            std::optional<Text>(u"p q.csv"));
}

TEST(FindCompareRequest, ReadsTheNewestOrTwoNumbersInAnyCaseAndRefusesTheRest) {
  EXPECT_FALSE(FindCompareRequest({u"/CurrentReboot:2", u"/Export:x.csv"}).has_value());
  EXPECT_FALSE(FindCompareRequest({u"/Comparex"}).has_value());

  // The last switch counts.
  const struct {
    Args arguments;
    std::size_t before, after;
  } valid[] = {
      {{u"/compare"}, 0, 0}, {{u"/COMPARE:4,17"}, 4, 17}, {{u"/Compare:1,2", u"/Compare"}, 0, 0}};
  for (const auto& c : valid) {
    const CompareRequest r = FindCompareRequest(c.arguments).value();
    EXPECT_TRUE(r.valid) << ToUtf8(c.arguments.back());
    EXPECT_EQ(std::tie(r.before, r.after), std::tie(c.before, c.after))
        << ToUtf8(c.arguments.back());
  }
  for (const Text bad : {u"/Compare:", u"/Compare:4", u"/Compare:4,", u"/Compare:,7",
                         u"/Compare:0,3", u"/Compare:a,b", u"/Compare:4;7", u"/Compare:4,7,9",
                         u"/Compare:-1,2", u"/Compare:1234567,2"}) {
    EXPECT_FALSE(FindCompareRequest({bad}).value().valid) << ToUtf8(bad);
  }
}

}  // namespace
}  // namespace twk::context

#include "context/scripted_start.h"

#include <gtest/gtest.h>

#include "context/command_line.h"

namespace twk::context {
namespace {

ScriptedStartRequest Read(const Text& line) { return ReadScriptedStart(SplitArguments(line)); }

TEST(ScriptedStart, TakesEverySwitchInAnyOrderAndLetterCase) {
  const auto all = Read(u"/icons /NOREPORT /Delay:7 /Start /IdleTasks /TotalReboots:12 /defrag");
  ASSERT_TRUE(all.asked);
  ASSERT_TRUE(all.start) << ToUtf8(all.problem);
  EXPECT_EQ(all.start->totalReboots, u"12");
  EXPECT_EQ(all.start->delayMinutes, u"7");
  EXPECT_TRUE(all.start->defrag && all.start->idleTasks && all.start->icons && all.start->noReport);

  // Values are passed on as given: the setup checks and corrects them.
  const auto odd = Read(u"/start /totalreboots:0 /delay:-3");
  ASSERT_TRUE(odd.start) << ToUtf8(odd.problem);
  EXPECT_EQ(odd.start->totalReboots, u"0");
  EXPECT_EQ(odd.start->delayMinutes, u"-3");
  EXPECT_FALSE(odd.start->defrag || odd.start->idleTasks || odd.start->icons ||
               odd.start->noReport);
  EXPECT_EQ(Read(u"/Start /TotalReboots: /Delay:abc").start->totalReboots, u"");
  // An empty argument names nothing.
  EXPECT_TRUE(Read(u"/Start \"\" /TotalReboots:2 /Delay:1").start);
}

TEST(ScriptedStart, OtherLinesAreNotScripted) {
  for (const Text line : {u"", u"/CurrentReboot:2 /TotalReboots:3 /Delay:1",
                          u"/TotalReboots:3 /Delay:1 /Defrag", u"/Starter", u"Start"}) {
    const auto request = Read(line);
    EXPECT_FALSE(request.asked) << ToUtf8(line);
    EXPECT_FALSE(request.start) << ToUtf8(line);
  }
}

// A /Delay given twice is told end to end (tests/wine/script_e2e.sh).
TEST(ScriptedStart, BadLinesSayWhatIsWrong) {
  struct Case {
    Text line, problem;
  };
  for (const Case& c : std::vector<Case>{
           {u"/Start", u"Missing /TotalReboots:N"},
           {u"/Start /TotalReboots:3", u"Missing /Delay:M"},
           {u"/Start /TotalReboots:3 /Delay:1 /start", u"/Start is given twice"},
           {u"/Start /TotalReboots:3 /Delay:1 /Icons /ICONS", u"/Icons is given twice"},
           {u"/Start /TotalReboots:3 /Delay:1 /CurrentReboot:2",
            u"Unknown argument: /CurrentReboot:2"},
           {u"/Start /TotalReboots 3 /Delay:1", u"/TotalReboots needs a value: /TotalReboots:"},
           {u"/Start:now /TotalReboots:3 /Delay:1", u"/Start takes no value: /Start:now"},
           {u"/Start /TotalReboots:3 /Delay:1 /NoReport:1",
            u"/NoReport takes no value: /NoReport:1"},
           {u"/Start /TotalReboots:3 /Delay:1 extra", u"Unknown argument: extra"},
       }) {
    const auto request = Read(c.line);
    EXPECT_TRUE(request.asked) << ToUtf8(c.line);
    EXPECT_FALSE(request.start) << ToUtf8(c.line);
    EXPECT_EQ(request.problem, c.problem) << ToUtf8(c.line);
  }
}

}  // namespace
}  // namespace twk::context

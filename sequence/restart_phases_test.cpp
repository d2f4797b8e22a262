// Where a restart's time went: the kept form read back exactly, and our own
// split refusing moments that cannot be right.
#include "sequence/restart_phases.h"

#include <gtest/gtest.h>

namespace twk::sequence {
namespace {

TEST(RestartPhasesTest, TheKeptFormReadsBackAndAnythingElseIsRefused) {
  RestartPhases p;
  p[Phase::ShutdownFirmware] = 21500;
  p[Phase::DesktopReady] = 0;
  p[Phase::CreatedAt] = 13353768064300;
  const Text kept = FormatPhases(p);
  EXPECT_EQ(kept, u"21500 ? 0 ? ? ? ? ? 13353768064300");
  EXPECT_EQ(ParsePhases(kept), p);
  EXPECT_EQ(ParsePhases(u"? ? ? ? ? ? ? ? ?"), RestartPhases{});
  for (const char16_t* bad :
       {u"", u"1 2 3 4 5 6 7 8", u"1 2 3 4 5 6 7 8 9 10", u"1  2 3 4 5 6 7 8 9",
        u"1 2 3 4 5 6 7 8 9 ", u"-1 ? ? ? ? ? ? ? ?", u"1.5 ? ? ? ? ? ? ? ?", u"x ? ? ? ? ? ? ? ?",
        u"?? ? ? ? ? ? ? ? ?", u"99999999999999999999 ? ? ? ? ? ? ? ?"}) {
    EXPECT_EQ(ParsePhases(bad), std::nullopt) << ToUtf8(bad);
  }
}

TEST(RestartPhasesTest, MergeKeepsKnownFiguresAndSaysWhetherAnythingChanged) {
  RestartPhases kept;
  kept[Phase::ShutdownFirmware] = 20000;
  RestartPhases later;
  later[Phase::DesktopReady] = 9000;
  EXPECT_TRUE(kept.Merge(later));
  EXPECT_EQ(kept[Phase::ShutdownFirmware], 20000);  // unknown in `later`: stays
  EXPECT_EQ(kept[Phase::DesktopReady], 9000);
  EXPECT_FALSE(kept.Merge(later));
  EXPECT_FALSE(kept.Merge(RestartPhases{}));
  EXPECT_TRUE(kept.Any());
  EXPECT_FALSE(RestartPhases{}.Any());
}

// Moments in order, and an uptime older than the shutdown (as under Wine),
// are the two restarts that the whole-sequence test of the phases splits.
TEST(RestartPhasesTest, OurSplitNeedsItsMomentsInOrder) {
  constexpr std::int64_t kShutdown = 13353768000000;
  // Windows "started" after the program: as unknown.
  RestartMoments m{kShutdown, kShutdown + 50000, kShutdown + 45120, 7000};
  EXPECT_EQ(SplitRestart(m)[Phase::WindowsStart], std::nullopt);
  // Without an uptime, or a firmware figure of 0 (not recorded).
  m = RestartMoments{kShutdown, std::nullopt, kShutdown + 45120, 0};
  const RestartPhases p = SplitRestart(m);
  EXPECT_EQ(p[Phase::ShutdownFirmware], std::nullopt);
  EXPECT_EQ(p[Phase::Firmware], std::nullopt);
}

}  // namespace
}  // namespace twk::sequence

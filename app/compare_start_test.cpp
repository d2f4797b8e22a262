// A start with /Compare tells its caller whether the restarts got faster
// and answers in its exit code: no window, no settings written, no
// hand-over to a running instance. (The statistics and the words are the
// verdict's tests; the switch's letter case, the command line's.)
#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "sequence/measurement_store.h"

namespace twk::app::apptest {
namespace {

class CompareStartTest : public ::testing::Test, public AppFixture {
 protected:
  CompareStartTest() {
    using namespace sequence::file;
    // Sequence 2 is 10 s faster than 1 in every restart but the first;
    // sequence 3 is back where 1 was. The first restart of each goes.
    Store(section::Sequences, u"Sequence 1", u"2026-12-01 09:00;64;70 61 62 63 64 65");
    Store(section::Sequences, u"Sequence 2", u"2026-12-02 09:00;55;90 51 52 53 54 55");
    Store(section::Sequences, u"Sequence 3", u"2026-12-03 09:00;62;60 61 62 63 64 65");
    // What started with Windows with sequences 2 and 3; sequence 1 was kept
    // before there were inventories.
    Store(section::Inventories, u"Sequence 2", u"a1");
    Store(section::Inventories, u"Sequence 3", u"b2");
    Store(u"Inventory a1", u"Windows", u"Windows 10 Pro|10.0.19045.3803");
    Store(u"Inventory a1", u"1", u"service|Spooler||manual|");
    Store(u"Inventory b2", u"Windows", u"Windows 10 Pro|10.0.19045.3930");
    Store(u"Inventory b2", u"1", u"run-user|Updater|C:\\Up\\up.exe /bg||on");
    Store(u"Inventory b2", u"2", u"service|Spooler|C:\\Windows\\System32\\spoolsv.exe|auto|");
    settingsBefore = *machine.files.FileBytes(kSettingsPath);
    machine.console.parentHasConsole = true;
  }
  std::string settingsBefore;
};

TEST_F(CompareStartTest, TheNewestAgainstTheOneBeforeAnswersTwoWhenSlower) {
  ui.SetExistingInstance(ui::InstanceLookup::BroughtToFront);
  EXPECT_EQ(Start(u"/Compare"), 2);
  EXPECT_EQ(machine.console.written,
            u"Sequence 3 against sequence 2 (5 and 5 restarts, the first of each left out):\r\n"
            u"Restart: slower by 10.0 s (+18.9 %), between 7.0 and 13.0 s slower "
            u"(95 % confidence, p = 0.008).\r\n"
            u"What changed:\r\n"
            u"Windows: 10.0.19045.3803 -> 10.0.19045.3930\r\n"
            u"Added: Updater (Run (user))\r\n"
            u"Changed: Spooler (service): manual -> automatic\r\n");
  EXPECT_EQ(ui.instanceLookups(), 0);
  EXPECT_EQ(setupRuns + stepRuns, 0);
  EXPECT_EQ(ui.frame(), 0u);
  app.reset();
  EXPECT_EQ(machine.files.FileBytes(kSettingsPath), std::optional<std::string>(settingsBefore));
}

TEST_F(CompareStartTest, TwoNumbersCompareTheSecondWithTheFirstAndFasterAnswersZero) {
  EXPECT_EQ(Start(u"/compare:1,2"), 0);
  EXPECT_EQ(machine.console.written,
            u"Sequence 2 against sequence 1 (5 and 5 restarts, the first of each left out):\r\n"
            u"Restart: faster by 10.0 s (-15.9 %), between 7.0 and 13.0 s faster "
            u"(95 % confidence, p = 0.008).\r\n"
            u"What changed: unknown (the older sequence was measured before Tarnwick kept the "
            u"list).\r\n");
}

TEST_F(CompareStartTest, NothingComparedAnswersOneAndSaysWhy) {
  EXPECT_EQ(Start(u"/Compare:9,1"), 1);
  EXPECT_EQ(machine.console.written,
            u"Tarnwick did not compare: there is no sequence 9 in the history.\r\n");
  machine.console.written.clear();
  EXPECT_EQ(Start(u"/Compare:1"), 1);
  EXPECT_EQ(machine.console.written.rfind(u"Tarnwick did not compare: name the two sequences", 0),
            0u);
  // Too few restarts for the restart's verdict: the lines, and 1.
  Store(sequence::file::section::Sequences, u"Sequence 4", u"2026-12-04 09:00;60;60 61 62");
  machine.console.written.clear();
  EXPECT_EQ(Start(u"/Compare"), 1);
  EXPECT_EQ(machine.console.written,
            u"Sequence 4 against sequence 3 (3 and 6 restarts):\r\n"
            u"Restart: too few restarts (3 and 6; at least 4 each).\r\n"
            u"What changed: unknown (the older sequence was measured before Tarnwick kept the "
            u"list).\r\n");
  // One sequence only: nothing to compare it with.
  ASSERT_TRUE(machine.files.Delete(kSettingsPath));
  Store(sequence::file::section::Sequences, u"Sequence 1", u"2026-12-01 09:00;64;70 61 62 63");
  machine.console.written.clear();
  EXPECT_EQ(Start(u"/Compare"), 1);
  EXPECT_EQ(machine.console.written,
            u"Tarnwick did not compare: fewer than two sequences are kept.\r\n");
}

}  // namespace
}  // namespace twk::app::apptest

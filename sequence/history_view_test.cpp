// The reboot history list: columns, rows in file order, the average row and
// what is and is not counted.
#include "sequence/history_view.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/app_fixture.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using Rows = std::vector<std::vector<Text>>;

// A settings file as UTF-16LE with a byte-order mark and CR LF line ends.
std::string FileBytes(const std::vector<Text>& lines) {
  std::string bytes = "\xFF\xFE";
  for (const Text& line : lines) {
    for (char16_t c : line + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

class HistoryViewTest : public ::testing::Test, public app::apptest::AppFixture {
 protected:
  // Shows the list in a start whose settings file holds these lines.
  void ShowWith(const std::vector<Text>& lines) {
    app.reset();  // its tear-down would save over the file
    ASSERT_TRUE(machine.files.SetFile(app::apptest::kSettingsPath, FileBytes(lines)));
    inMode = [this](context::StartContext& a) { result = ShowRebootHistory(a.frame(), a.settings()); };
    Start(u"");
  }
  const ui::HeadlessBackend::Window& List() {
    const ui::HeadlessBackend::Window* list = ui.Find(ui.FindAt(20, 180));
    EXPECT_NE(list, nullptr);
    static const ui::HeadlessBackend::Window none;
    return list != nullptr ? *list : none;
  }

  int result = -1;
};

TEST_F(HistoryViewTest, ListHasTwoEqualColumnsInTheListFont) {
  ShowWith({u"[Setup]", u"TimesToReboot=3"});
  const auto& list = List();
  EXPECT_EQ(list.className, u"SysListView32");
  EXPECT_EQ(testing::DescribeAt(ui, 20, 180), "15 \"\" (20,180,560,230) Lucida console 10/400");
  // Report view, single selection, selection always shown.
  EXPECT_EQ(list.style & 0xFFFF, 0x000Du);
  ASSERT_FALSE(list.sent.empty());
  EXPECT_EQ(list.sent[0].message, 0x1036u);     // LVM_SETEXTENDEDLISTVIEWSTYLE
  EXPECT_EQ(list.sent[0].lParam & 0x20, 0x20);  // LVS_EX_FULLROWSELECT
  EXPECT_EQ(list.columns, (std::vector<Text>{u"Reboot history", u"Reboot time"}));
  EXPECT_EQ(list.columnWidths, (std::vector<int>{270, 270}));
  // No History section: the columns only.
  EXPECT_TRUE(list.rows.empty());
  EXPECT_EQ(result, 0);
}

TEST_F(HistoryViewTest, RowsFollowTheFileWithTheAverageOnTop) {
  ShowWith(
      {u"[History]", u"Reboot 1=45", u"Reboot 2=38", u"Reboot 3=40", u"[Setup]", u"Reboot 4=99"});
  EXPECT_EQ(List().rows, (Rows{{u"Average", u"41 seconds"},
                               {u"Reboot 1", u"45 seconds"},
                               {u"Reboot 2", u"38 seconds"},
                               {u"Reboot 3", u"40 seconds"}}));
  EXPECT_EQ(result, 4);
}

TEST_F(HistoryViewTest, AverageIsTruncatedAndFractionsAreShownButNotSummed) {
  ShowWith({u"[History]", u"Reboot 1=12.5", u"Reboot 2=10", u"Reboot 3=x"});
  // (12 + 10 + 0) / 3 = 7.33...
  EXPECT_EQ(List().rows, (Rows{{u"Average", u"7 seconds"},
                               {u"Reboot 1", u"12.5 seconds"},
                               {u"Reboot 2", u"10 seconds"},
                               {u"Reboot 3", u"x seconds"}}));
  // Both read as the largest 32-bit number; their sum needs 64 bits.
  ShowWith({u"[History]", u"Reboot 1=3000000000", u"Reboot 2=2147483647"});
  EXPECT_EQ(List().rows.at(0), (std::vector<Text>{u"Average", u"2147483647 seconds"}));
}

TEST_F(HistoryViewTest, ZeroSumShowsTheRowsWithoutAnAverage) {
  ShowWith({u"[History]", u"Reboot 1=0", u"Reboot 2=0"});
  EXPECT_EQ(List().rows, (Rows{{u"Reboot 1", u"0 seconds"}, {u"Reboot 2", u"0 seconds"}}));
  EXPECT_EQ(result, 2);
}

TEST_F(HistoryViewTest, SectionNameIsFoundWithCapitalHOnly) {
  ShowWith({u"[HISTORY]", u"Reboot 1=45"});
  EXPECT_EQ(List().rows.size(), 2u);
  ShowWith({u"[history]", u"Reboot 1=45"});
  EXPECT_TRUE(List().rows.empty());
}

TEST_F(HistoryViewTest, CommentsAndLinesWithoutAValueAreNoRows) {
  ShowWith({u"[History]", u";Reboot 9=1", u"stray line", u"Reboot 1=20", u"", u"Reboot 2 = 30"});
  EXPECT_EQ(List().rows, (Rows{{u"Average", u"25 seconds"},
                               {u"Reboot 1", u"20 seconds"},
                               {u"Reboot 2", u"30 seconds"}}));
}

TEST_F(HistoryViewTest, RefusedRowEndsTheListAndTheAverageCountsWhatWasShown) {
  ui.FailListRowsAfter(1);
  ShowWith({u"[History]", u"Reboot 1=45", u"Reboot 2=38"});
  // Row 2 was refused, and with it the average row.
  EXPECT_EQ(List().rows, (Rows{{u"Reboot 1", u"45 seconds"}}));
  EXPECT_EQ(result, 1);
}

TEST(HistoryAverageTest, SumsIn64BitsAndTruncatesTowardZero) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(HistoryAverage(123, 3), 41);
  EXPECT_EQ(HistoryAverage(21, 2), 10);
  EXPECT_EQ(HistoryAverage(-7, 2), -3);
  EXPECT_EQ(HistoryAverage(2 * kMax, 2), kMax);
  EXPECT_EQ(HistoryAverage(3 * kMax, 1), kMax);  // more summed than counted
  EXPECT_EQ(HistoryAverage(-3 * kMax, 1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(HistoryAverage(0, 3), std::nullopt);
  EXPECT_EQ(HistoryAverage(5, 0), std::nullopt);
}

}  // namespace
}  // namespace twk::sequence

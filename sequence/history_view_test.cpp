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

class HistoryViewTest : public ::testing::Test, public app::apptest::AppFixture {
 protected:
  // Shows the list in a start whose settings file holds these lines.
  void ShowWith(const std::vector<Text>& lines) {
    app.reset();  // its tear-down would save over the file
    ASSERT_TRUE(machine.files.SetFile(app::apptest::kSettingsPath, testing::Utf16File(lines)));
    inMode = [this](context::StartContext& a) {
      result = ShowRebootHistory(a.frame(), MeasurementStore::Load(a.settings()));
    };
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

// The first column as wide as its header and its widest name, the time
// taking the rest of the list.
TEST_F(HistoryViewTest, ListHasTwoColumnsInTheListFontTheTimesTakingWhatTheNamesLeave) {
  ShowWith({u"[History]", u"Reboot 1=45", u"Reboot 12=38"});
  const auto& list = List();
  EXPECT_EQ(testing::DescribeAt(ui, 20, 180), "15 \"\" (20,180,560,230) Lucida console 10/400");
  EXPECT_EQ(list.columns, (std::vector<Text>{u"Reboot history", u"Reboot time"}));
  ASSERT_EQ(list.columnWidths.size(), 2u);
  const ui::ListRoom room = ui.MeasureListRoom(list.handle);
  for (const Text& text : {u"Reboot history", u"Reboot 12", u"Average"}) {
    EXPECT_GE(list.columnWidths[0], ui.MeasureText(list.handle, text) + room.cellMargins);
  }
  EXPECT_EQ(list.columnWidths[0] + list.columnWidths[1], room.columnsWidth);
  EXPECT_GT(list.columnWidths[1], list.columnWidths[0]);
}

TEST_F(HistoryViewTest, RowsFollowTheFileWithTheAverageOnTop) {
  const struct {
    std::vector<Text> lines;
    const char16_t* rows;  // each row as "name:time", " seconds" written "s"
  } cases[] = {
      // Another section's keys are left out.
      {{u"[History]", u"Reboot 1=45", u"Reboot 2=38", u"Reboot 3=40", u"[Setup]", u"Reboot 4=99"},
       u"Average:41s|Reboot 1:45s|Reboot 2:38s|Reboot 3:40s"},
      // (12 + 10 + 0) / 3 = 7.33...: fractions are shown but not summed.
      {{u"[History]", u"Reboot 1=12.5", u"Reboot 2=10", u"Reboot 3=x"},
       u"Average:7s|Reboot 1:12.5s|Reboot 2:10s|Reboot 3:xs"},
      // Both read as the largest 32-bit number; their sum needs 64 bits.
      {{u"[History]", u"Reboot 1=3000000000", u"Reboot 2=2147483647"},
       u"Average:2147483647s|Reboot 1:3000000000s|Reboot 2:2147483647s"},
      {{u"[History]", u"Reboot 1=0", u"Reboot 2=0"}, u"Reboot 1:0s|Reboot 2:0s"},  // no average
      {{u"[History]", u";Reboot 9=1", u"stray line", u"Reboot 1=20", u"", u"Reboot 2 = 30"},
       u"Average:25s|Reboot 1:20s|Reboot 2:30s"},
      // The section's name is found with a capital H only.
      {{u"[HISTORY]", u"Reboot 1=45"}, u"Average:45s|Reboot 1:45s"},
      {{u"[history]", u"Reboot 1=45"}, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.rows));
    ShowWith(c.lines);
    Text shown;
    for (const auto& row : List().rows) {
      ASSERT_EQ(row.size(), 2u);
      Text time = row[1];
      if (time.ends_with(u" seconds")) time.replace(time.size() - 8, 8, u"s");
      shown += (shown.empty() ? u"" : u"|") + row[0] + u":" + time;
    }
    EXPECT_EQ(shown, c.rows);
    EXPECT_EQ(result, static_cast<int>(List().rows.size()));
  }
}

TEST_F(HistoryViewTest, RefusedRowEndsTheListAndTheAverageCountsWhatWasShown) {
  ui.FailListRowsAfter(1);
  ShowWith({u"[History]", u"Reboot 1=45", u"Reboot 2=38"});
  // Row 2 was refused, and with it the average row.
  EXPECT_EQ(List().rows, (Rows{{u"Reboot 1", u"45 seconds"}}));
  EXPECT_EQ(result, 1);
}

// The rows above show averages summed in 64 bits, and none for a sum of 0.
TEST(HistoryAverageTest, SumsIn64BitsAndTruncatesTowardZero) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(HistoryAverage(21, 2), 10);
  EXPECT_EQ(HistoryAverage(-7, 2), -3);
  EXPECT_EQ(HistoryAverage(3 * kMax, 1), kMax);  // more summed than counted
  EXPECT_EQ(HistoryAverage(-3 * kMax, 1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(HistoryAverage(5, 0), std::nullopt);
}

}  // namespace
}  // namespace twk::sequence

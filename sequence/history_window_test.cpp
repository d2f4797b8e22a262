// The history window: its figures (change, scale, bars, rows), and the window
// itself opened from a real report on the simulated machine, with Back and
// the export.
#include "sequence/history_window.h"

#include <gtest/gtest.h>

#include "sequence/csv_export.h"
#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using Rows = std::vector<std::vector<Text>>;
using testing::DescribeAt;

std::vector<double> TickValues(const std::vector<ui::ChartTick>& ticks) {
  std::vector<double> values;
  for (const auto& t : ticks) values.push_back(t.value);
  return values;
}

SequenceSummary Summary(std::uint64_t number, const Text& started, std::int32_t average,
                        std::vector<Text> durations, bool current = false) {
  return {.number = number,
          .key = {},
          .started = started,
          .average = average,
          .durations = durations,
          .current = current};
}

TEST(HistoryFiguresTest, ChangeIsInPerCentOfTheSequenceBeforeCutToTwoDecimals) {
  EXPECT_EQ(ChangeText(60, 45), u"-25%");
  EXPECT_EQ(ChangeText(45, 60), u"33.33%");
  EXPECT_EQ(ChangeText(45, 45), u"0%");
  EXPECT_EQ(ChangeText(std::nullopt, 45), u"\u2013");
  // Cut toward zero on both sides, and no division by a zero average.
  EXPECT_EQ(ChangeText(60, 50), u"-16.66%");
  EXPECT_EQ(ChangeText(3, 2), u"-33.33%");
  EXPECT_EQ(ChangeText(0, 45), u"\u2013");
}

TEST(HistoryFiguresTest, ScaleEndsAtTheFirstRoundValueAboveTheHighestBar) {
  EXPECT_EQ(TickValues(ChartTicks(60)), (std::vector<double>{0, 20, 40, 60}));
  EXPECT_EQ(TickValues(ChartTicks(61)), (std::vector<double>{0, 20, 40, 60, 80}));
  EXPECT_EQ(TickValues(ChartTicks(45)), (std::vector<double>{0, 10, 20, 30, 40, 50}));
  EXPECT_EQ(TickValues(ChartTicks(7)), (std::vector<double>{0, 2, 4, 6, 8}));
  EXPECT_EQ(TickValues(ChartTicks(0)), (std::vector<double>{0, 1}));
  EXPECT_EQ(TickValues(ChartTicks(-5)), (std::vector<double>{0, 1}));
  const auto big = ChartTicks(2'000'000'000);
  EXPECT_LE(big.size(), 6u);
  EXPECT_GE(big.back().value, 2e9);
  EXPECT_EQ(big[1].label, u"500000000");
}

TEST(HistoryFiguresTest, ChartShowsTheTwelveNewestWithTheCurrentOnTheRight) {
  std::vector<SequenceSummary> all;
  for (int n = 1; n <= 13; ++n) {
    all.push_back(Summary(n,
                          u"2024-03-" + Text(n < 10 ? u"0" : u"") + FormatUnsigned(n) + u" 08:00",
                          30 + n, {u"1"}));
  }
  all.push_back(Summary(14, u"", 20, {u"20"}, true));
  const ui::ChartData chart = HistoryChart(all);
  ASSERT_EQ(chart.bars.size(), 12u);
  EXPECT_EQ(chart.bars.front().valueText, u"33");  // sequence 3
  EXPECT_EQ(chart.bars.front().label, u"03-03");
  EXPECT_FALSE(chart.bars.front().highlighted);
  EXPECT_EQ(chart.bars[10].value, 43);
  EXPECT_EQ(chart.bars.back().valueText, u"20");
  EXPECT_EQ(chart.bars.back().label, u"?");
  EXPECT_TRUE(chart.bars.back().highlighted);
  EXPECT_EQ(chart.ticks.back().value, 50);  // the highest bar is 43
}

TEST(HistoryFiguresTest, RowsAreNewestFirstWithTheChangeAgainstTheOneBefore) {
  const Rows rows = HistoryRows(
      {Summary(1, u"2024-03-01 12:00", 60, {u"70", u"50"}), Summary(2, u"", 45, {u"45"}),
       Summary(3, u"2024-03-03 09:30", 60, {u"61", u"12.5", u"59"}, true)});
  EXPECT_EQ(rows, (Rows{{u"3  2024-03-03 09:30", u"3", u"60 s", u"61 s", u"59 s", u"33.33%"},
                        {u"2", u"1", u"45 s", u"45 s", u"45 s", u"-25%"},
                        {u"1  2024-03-01 12:00", u"2", u"60 s", u"70 s", u"50 s", u"\u2013"}}));
  // First and last to the millisecond where that was measured.
  SequenceSummary exact = Summary(4, u"", 60, {u"61", u"12", u"59"});
  exact.exactMs = {61250, std::nullopt, std::nullopt};
  EXPECT_EQ(HistoryRows({exact}).at(0),
            (std::vector<Text>{u"4", u"3", u"60 s", u"61.25 s", u"59 s", u"\u2013"}));
}

class HistoryWindowTest : public ::testing::Test, public sim::SimulatedMachine {
 protected:
  // Two finished and kept sequences, and a third before its report.
  void ThreeSequences() {
    TwoRestartsBeforeReport(60, 45);
    Start(*RunArguments());
    TwoRestartsBeforeReport(50, 40);
    Start(*RunArguments());
    TwoRestartsBeforeReport(40, 36);
  }
  const ui::HeadlessBackend::Window* At(ui::HeadlessBackend& ui, int x, int y) {
    return ui.Find(ui.FindAt(x, y));
  }
};

TEST_F(HistoryWindowTest, HistoryButtonShowsTheChartAndListAndBackShowsTheSameReport) {
  ThreeSequences();
  std::vector<Text> linesBefore;
  Rows reportRowsBefore, rows;
  std::vector<std::string> places;  // the History button, then the history's controls
  Text title, titleLabel;
  ui::ChartData chart;
  std::vector<Text> columns;
  std::vector<int> widths;
  bool reportHidden = false;
  bool backClicked = false;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&] {
              for (int y = 90; y <= 150; y += 20) linesBefore.push_back(ui.TextAt(20, y));
              reportRowsBefore = At(ui, 20, 180)->rows;
              places.push_back(DescribeAt(ui, 90, 420));
              ui.Click(ui.FindByText(u"  History"));
            });
    ui.When([&ui] { return ui.FindByText(u"  Back") != 0; },
            [&] {
              title = ui.Find(ui.frame())->text;
              titleLabel = ui.TextAt(78, 12);
              chart = At(ui, 20, 80)->chart;
              for (auto [x, y] : {std::pair{20, 80}, {20, 230}, {260, 420}, {430, 420}}) {
                places.push_back(DescribeAt(ui, x, y));
              }
              columns = At(ui, 20, 230)->columns;
              widths = At(ui, 20, 230)->columnWidths;
              rows = At(ui, 20, 230)->rows;
              reportHidden = ui.FindByText(u"  Close") == 0 && !At(ui, 20, 180)->visible &&
                             !At(ui, 20, 90)->visible;
              backClicked = ui.Click(ui.FindByText(u"  Back"));
            });
    ui.When([&] { return backClicked && ui.FindByText(u"  Close") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  Close")); });
  };
  const sim::StartRecord& report = Start(*RunArguments());

  EXPECT_EQ(places, (std::vector<std::string>{
                        "3 \"  History\" (90,420,150,36) Arial 12/800 image 142 24x24 cursor 32649",
                        "41 \"\" (20,80,560,140) Arial 8/400",
                        "15 \"\" (20,230,560,180) Lucida console 10/400",
                        "3 \"  Export\" (260,420,150,36) Arial 12/800 image 143 24x24 cursor 32649",
                        "3 \"  Back\" (430,420,150,36) Arial 12/800 icon 107 24x24 cursor 32649"}));
  EXPECT_EQ(title, u"Tarnwick - History");
  EXPECT_EQ(titleLabel, u"Tarnwick - History");
  EXPECT_TRUE(reportHidden);
  // The kept sequences and the current one, which alone is highlighted.
  ASSERT_EQ(chart.bars.size(), 3u);
  std::vector<Text> bars;
  for (const auto& bar : chart.bars) bars.push_back(bar.valueText + (bar.highlighted ? u"*" : u""));
  EXPECT_EQ(bars, (std::vector<Text>{u"52", u"45", u"38*"}));
  EXPECT_EQ(chart.bars[0].label, u"03-01");
  EXPECT_EQ(columns, (std::vector<Text>{u"Sequence", u"Restarts", u"Average", u"First", u"Last",
                                        u"Change"}));
  int total = 0;
  for (int w : widths) total += w;
  EXPECT_EQ(total, 540);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows, (Rows{{rows[0][0], u"2", u"38 s", u"40 s", u"36 s", u"-15.55%"},
                        {rows[1][0], u"2", u"45 s", u"50 s", u"40 s", u"-13.46%"},
                        {u"1  2024-03-01 12:00", u"2", u"52 s", u"60 s", u"45 s", u"\u2013"}}));
  EXPECT_TRUE(rows[0][0].starts_with(u"3  2024-03-01 12:"));

  // Back: the same report, its title, and the history's controls gone.
  EXPECT_EQ(report.reportLines, linesBefore);
  EXPECT_EQ(report.historyRows, reportRowsBefore);
  EXPECT_EQ(report.title, u"Tarnwick - Result");
  EXPECT_EQ(report.dump.find("Export"), std::string::npos);
  EXPECT_EQ(report.doubleFrees, 0);
  EXPECT_EQ(report.exitCode, 0);
}

TEST_F(HistoryWindowTest, NothingIsRecordedAgainWhileTheHistoryIsOpen) {
  ThreeSequences();
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  History")); });
    // A minute in the history window, then the frame is closed from there.
    ui.When([&ui] { return ui.FindByText(u"  Back") != 0; },
            [&ui] { ui.AfterWakes(3000, [&ui] { ui.Close(); }); });
  };
  const sim::StartRecord& report = Start(*RunArguments());
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_EQ(report.title, u"Tarnwick - History");
  // Recorded once, when the report began.
  EXPECT_EQ(report.measurements.at("History/Reboot 2"), "36");
  Boot(5);
  const sim::StartRecord& again = Start(report.arguments);
  EXPECT_EQ(again.measurements.at("TimeStamps/LastBootUp"),
            report.measurements.at("TimeStamps/LastBootUp"));
}

TEST_F(HistoryWindowTest, ExportWritesTheFileAndSaysWhereOrWhyNot) {
  ThreeSequences();
  machine.files.AddFolder(u"C:\\Users\\alice\\Documents");
  const Text good = u"C:\\Users\\alice\\Documents\\Tarnwick history.csv";
  const Text bad = u"C:\\Users\\alice\\Missing\\h.csv";
  std::vector<ui::SaveFileRequest> requests;
  std::vector<Text> messages, titles;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  History")); });
    ui.When([&ui] { return ui.FindByText(u"  Export") != 0; },
            [&, good] {
              ui.AnswerSaveDialog(std::nullopt);  // cancelled first
              ui.Click(ui.FindByText(u"  Export"));
              ui.AfterWakes(5, [&, good] {
                ui.AnswerSaveDialog(good);
                ui.Click(ui.FindByText(u"  Export"));
                ui.AfterWakes(5, [&] {
                  ui.AnswerSaveDialog(bad);
                  ui.Click(ui.FindByText(u"  Export"));
                  ui.AfterWakes(5, [&] {
                    requests = ui.saveRequests();
                    messages = ui.messages();
                    titles = ui.messageTitles();
                    ui.Close();
                  });
                });
              });
            });
  };
  Start(*RunArguments());
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].defaultName, u"Tarnwick history.csv");
  EXPECT_EQ(requests[0].filterName, u"CSV files (*.csv)");
  EXPECT_EQ(requests[0].filterPattern, u"*.csv");
  ASSERT_EQ(messages.size(), 2u);  // nothing for the cancelled one
  EXPECT_EQ(messages[0], u"The history was exported to " + good + u".");
  EXPECT_TRUE(messages[1].starts_with(u"The history could not be exported to " + bad + u". "))
      << ToUtf8(messages[1]);
  EXPECT_EQ(titles[0], u"Tarnwick - History");
  // The file's form is the export's own (its tests): here, every restart of
  // the three sequences is in it, the current one's last, each measured to
  // the millisecond on this machine.
  const std::string text = machine.files.FileBytes(good).value_or("");
  EXPECT_TRUE(text.starts_with(
      "\xEF\xBB\xBF" + ToUtf8(kCsvHeader) + "\r\n1,2024-03-01 12:00,1,60,60,"));
  EXPECT_TRUE(text.ends_with(",2,36,36,,,,,,,,\r\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
  EXPECT_FALSE(machine.files.FileExists(bad));
}

}  // namespace
}  // namespace twk::sequence

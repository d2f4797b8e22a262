// The history window: its figures (change, scale, bars, rows, median and
// spread, a sequence's restarts and their phases), and the window itself
// opened from a real report on the simulated machine, with the restarts'
// view, Back and the export.
#include "sequence/history_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "sequence/csv_export.h"
#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using Rows = std::vector<std::vector<Text>>;
using testing::DescribeAt;
using testing::Summary;
using testing::WithExact;
using testing::WithMarks;

// A list 560 wide, less its sunken edges and a vertical scroll bar: columns
// wider than this together bring a horizontal scroll bar.
constexpr int kRoomForColumns = 560 - 2 * 2 - 17;

std::vector<double> TickValues(const std::vector<ui::ChartTick>& ticks) {
  std::vector<double> values;
  for (const auto& t : ticks) values.push_back(t.value);
  return values;
}

// Up, down, and no sequence before: the rows' test below.
TEST(HistoryFiguresTest, ChangeIsInPerCentOfTheSequenceBeforeCutToTwoDecimals) {
  EXPECT_EQ(ChangeText(45, 45), u"0%");
  // Cut toward zero below zero too, and no division by a zero average.
  EXPECT_EQ(ChangeText(60, 50), u"-16.66%");
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
  EXPECT_EQ(chart.bars[10].value, 43);
  EXPECT_EQ(chart.bars.back().valueText, u"20");
  EXPECT_EQ(chart.bars.back().label, u"?");
  EXPECT_EQ(chart.ticks.back().value, 50);  // the highest bar is 43
}

TEST(HistoryFiguresTest, RowsAreNewestFirstWithTheChangeAgainstTheOneBefore) {
  const Rows rows = HistoryRows(
      {Summary(1, u"2024-03-01 12:00", 60, {u"70", u"50"}), Summary(2, u"", 45, {u"45"}),
       Summary(3, u"2024-03-03 09:30", 60, {u"61", u"12.5", u"59"}, true)});
  // Too few restarts for a verdict: its cell stays empty.
  EXPECT_EQ(rows, (Rows{{u"3  2024-03-03 09:30", u"3", u"60 s", u"59 s", u"27.7 s", u"61 s",
                         u"33.33%", u""},
                        {u"2", u"1", u"45 s", u"45 s", u"0 s", u"45 s", u"-25%", u""},
                        {u"1  2024-03-01 12:00", u"2", u"60 s", u"60 s", u"14.1 s", u"70 s",
                         u"\u2013", u""}}));
  // First and last to the millisecond where that was measured.
  const SequenceSummary exact =
      WithExact(Summary(4, u"", 60, {u"61", u"12", u"59"}), {61250, std::nullopt, std::nullopt});
  EXPECT_EQ(HistoryRows({exact}).at(0), (std::vector<Text>{u"4", u"3", u"60 s", u"59 s", u"27.7 s",
                                                           u"61.25 s", u"\u2013", u""}));
}

TEST(HistoryFiguresTest, MedianAndSpreadTakeExactDurationsOnlyWhenEveryRestartHasOne) {
  const auto exact = [](std::vector<Text> seconds, std::vector<std::optional<std::int64_t>> ms) {
    return WithExact(Summary(1, u"", 0, std::move(seconds)), ms);
  };
  const struct {
    const char* what;
    SequenceSummary summary;
    Text median, spread;
  } cases[] = {
      {"every restart exact, an even count: the mean of the middle two",
       exact({u"40", u"40", u"40", u"40"}, {40100, 40400, 40900, 40200}), u"40.3 s", u"0.4 s"},
      {"a fraction as stored counts as its whole seconds", Summary(1, u"", 0, {u"12.9", u"13"}),
       u"12.5 s", u"0.7 s"},
      {"no restart known", Summary(1, u"", 0, {}), u"\u2013", u"\u2013"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<Text> row = HistoryRows({c.summary}).at(0);
    ASSERT_EQ(row.size(), 8u);
    EXPECT_EQ(row[3], c.median);
    EXPECT_EQ(row[4], c.spread);
  }
  EXPECT_EQ(HistoryRows({Summary(1, u"", 0, {})}).at(0)[5], u"\u2013");  // no first either
  // Rounded to the tenth, never written with a trailing ".0".
  EXPECT_EQ(TenthsText(59960), u"60 s");
  EXPECT_EQ(TenthsText(41250), u"41.3 s");
  EXPECT_EQ(TenthsText(49), u"0 s");
}

// Three restarts: one split with the desktop's time known, one measured to
// the millisecond without phases, one whole-second one whose phases only
// tell the desktop's time.
SequenceSummary RestartsWithPhases() {
  SequenceSummary s = WithExact(Summary(7, u"2024-03-05 10:00", 60, {u"61", u"58", u"62"}),
                                {61250, 58400, std::nullopt});
  s.restarts[0].phases[Phase::ShutdownFirmware] = 21250;
  s.restarts[0].phases[Phase::WindowsStart] = 40000;
  s.restarts[0].phases[Phase::DesktopReady] = 9500;
  s.restarts[0].phases[Phase::WindowsBoot] = 35120;
  s.restarts[2].phases[Phase::DesktopReady] = 12000;
  return s;
}

TEST(HistoryFiguresTest, RestartsStackTheirKnownPhasesAndShowTheRestUnsplit) {
  const ui::ChartData chart = RestartsChart(RestartsWithPhases());
  using Segments = std::vector<ui::ChartSegment>;
  ASSERT_EQ(chart.bars.size(), 3u);
  EXPECT_EQ(chart.bars[0].segments, (Segments{{21.25, kShutdownFirmwareColour},
                                              {40.0, kWindowsStartColour},
                                              {9.5, kDesktopReadyColour}}));
  EXPECT_EQ(chart.bars[1].segments, (Segments{{58.4, kNotSplitColour}}));
  EXPECT_EQ(chart.bars[2].segments,
            (Segments{{62.0, kNotSplitColour}, {12.0, kDesktopReadyColour}}));
  // Each bar as high as its segments, which its value says.
  std::vector<Text> values;
  for (const auto& bar : chart.bars) values.push_back(bar.valueText + u"@" + bar.label);
  EXPECT_EQ(values, (std::vector<Text>{u"70.8@1", u"58.4@2", u"74@3"}));
  EXPECT_DOUBLE_EQ(chart.bars[2].value, 74.0);
  EXPECT_EQ(chart.ticks.back().value, 80);  // the tallest bar is 74 s
  // Each colour that occurs, bottom to top as the bars stack them.
  EXPECT_EQ(chart.legend,
            (std::vector<ui::ChartLegendEntry>{{u"Shutdown+firmware", kShutdownFirmwareColour},
                                               {u"Windows start", kWindowsStartColour},
                                               {u"Not split", kNotSplitColour},
                                               {u"Desktop ready", kDesktopReadyColour}}));
}

TEST(HistoryFiguresTest, RestartRowsAndSpreadLineOfOneSequence) {
  EXPECT_EQ(RestartRows(RestartsWithPhases()),
            (Rows{{u"1", u"61.25 s", u"21.25 s", u"40 s", u"9.5 s", u"35.12 s", u""},
                  {u"2", u"58.4 s", u"", u"", u"", u"", u""},
                  {u"3", u"62 s", u"", u"", u"12 s", u"", u""}}));
  // Whole seconds for all, as one restart was not measured exactly.
  EXPECT_EQ(SpreadLine(RestartsWithPhases()),
            u"Median 61 s, spread 2.1 s; without the first restart: median 60 s, spread 2.8 s");
  EXPECT_EQ(SpreadLine(Summary(1, u"", 45, {u"45"})), u"Median 45 s, spread 0 s");
}

// Restart 1 of sequence 2 installed updates and its restart 4 started
// Windows twice: both keep their figures and say why in the note, but no
// figure of the window counts them, nor a comparison with the next one.
TEST(HistoryFiguresTest, MarkedRestartsAreNotedAndLeftOutOfEveryFigureAndComparison) {
  const Text none = u"\u2013";
  // Exact for every restart that counts: the exact figures are taken.
  const SequenceSummary marked =
      WithMarks(WithExact(Summary(2, u"", 73, {u"150", u"40", u"44", u"90", u"41"}),
                          {std::nullopt, 40200, 44000, std::nullopt, 41800}),
                {RestartMark::Updates, RestartMark::None, RestartMark::None,
                 RestartMark::ExtraBoots, RestartMark::None});
  const SequenceSummary allMarked = WithMarks(Summary(3, u"", 60, {u"60"}), {RestartMark::Updates});
  const std::vector<SequenceSummary> all = {Summary(1, u"", 50, {u"50", u"50"}), marked, allMarked,
                                            Summary(4, u"", 45, {u"45"}, true)};

  EXPECT_EQ(HistoryRows(all),
            (Rows{{u"4", u"1", u"45 s", u"45 s", u"0 s", u"45 s", none, u""},
                  {u"3", u"1", none, none, none, none, none, u""},
                  {u"2", u"5", u"41 s", u"41.8 s", u"1.9 s", u"40.2 s", u"-18%", u""},
                  {u"1", u"2", u"50 s", u"50 s", u"0 s", u"50 s", none, u""}}));
  std::vector<Text> bars;
  for (const auto& bar : HistoryChart(all).bars) bars.push_back(bar.valueText);
  EXPECT_EQ(bars, (std::vector<Text>{u"50", u"41", none, u"45"}));
  // Restart 1 is marked: without it the rest is the same set.
  EXPECT_EQ(SpreadLine(marked),
            u"Median 41.8 s, spread 1.9 s; without the first restart: median 41.8 s, spread 1.9 s");
  std::vector<Text> notes;
  for (const auto& row : RestartRows(marked)) notes.push_back(row.back());
  EXPECT_EQ(notes, (std::vector<Text>{u"updates installed", u"", u"",
                                      u"Windows started more than once", u""}));
  EXPECT_EQ(RestartRows(marked)[0][1], u"150 s");  // the figure itself stays
}

// The comparison's picture beyond the simulated case: an even count's
// median is the mean of the middle two, a side without restarts has no line.
TEST(HistoryFiguresTest, CompareChartTakesTheMiddleOfAnEvenCountAndDrawsNothingForNoRestarts) {
  SequenceComparison c;
  c.beforeSeconds = {64.0, 58.5, 61.0, 60.0};
  const ui::ChartData chart = CompareChart(c, 3, 9);
  ASSERT_EQ(chart.bars.size(), 2u);
  EXPECT_EQ(chart.bars[0].line, 60.5);
  EXPECT_EQ(chart.bars[0].valueText, u"median 60.5 s");
  EXPECT_EQ(chart.bars[0].value, 64.0);  // its text goes above the highest dot
  EXPECT_EQ(chart.bars[1].line, std::nullopt);
  EXPECT_TRUE(chart.bars[1].dots.empty());
  EXPECT_EQ(chart.bars[1].label, u"Sequence 9 (after)");
  EXPECT_EQ(chart.ticks.back().value, 80);
  EXPECT_EQ(chart.ticks.back().label, u"80 s");  // the scale says its unit
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

// What the restarts' view showed, and what the list showed after Back.
struct RestartView {
  Text heading, spreadLine, inventoryLine;
  std::size_t bars = 0;
  std::vector<ui::ChartLegendEntry> legend;
  Rows rows;
  bool sequencesHidden = false;
  bool listBack = false;  // after Back: the sequences' list and buttons again
};

// The report's History button opens the sequences' view; from there each way
// of opening a sequence's restarts in turn, Back to the list each time, and
// Back to the same report.
TEST_F(HistoryWindowTest, HistoryShowsTheSequencesAndTheirRestartsAndBackLeadsBackEachTime) {
  ThreeSequences();
  // In turn on the same list (newest first: rows 0, 1, 2 are sequences 3, 2, 1).
  using Open = std::function<void(ui::HeadlessBackend&, ui::Handle list)>;
  const Open restartsButton = [](ui::HeadlessBackend& ui, ui::Handle) {
    ui.Click(ui.FindByText(u"  Restarts"));
  };
  const struct {
    const char* way;
    Open open;
    Text heading;  // its start; empty: the list stays
  } ways[] = {
      {"the button with nothing selected takes the newest", restartsButton,
       u"Sequence 3, started "},
      {"the button takes the selected row",
       [&](ui::HeadlessBackend& ui, ui::Handle list) {
         ui.ClickRow(list, 2);
         restartsButton(ui, list);
       },
       u"Sequence 1, started 2024-03-01 12:00: 2 restarts"},
      {"a double click opens its row",
       [](ui::HeadlessBackend& ui, ui::Handle list) { ui.DoubleClickRow(list, 1); },
       u"Sequence 2, started "},
      {"a double click below the rows opens nothing",
       [](ui::HeadlessBackend& ui, ui::Handle list) { ui.DoubleClickRow(list, 3); }, u""},
  };
  std::vector<RestartView> seen(std::size(ways));
  std::vector<Text> linesBefore;
  Rows reportRowsBefore, listRows;
  // The History button, the sequences' view, then the first restarts' view.
  std::vector<std::string> places;
  ui::ChartData chart;
  std::vector<Text> columns, restartColumns;
  std::vector<int> widths, restartWidths;
  // Each way: open, look, Back, look again, then the next way.
  std::function<void(std::size_t)> step;
  user = [&](ui::HeadlessBackend& ui, int) {
    step = [&](std::size_t k) {
      if (k == std::size(ways)) {
        ui.Click(ui.FindByText(u"  Back"));  // from the list to the report
        ui.When([&ui] { return ui.FindByText(u"  Close") != 0; },
                [&ui] { ui.Click(ui.FindByText(u"  Close")); });
        return;
      }
      ways[k].open(ui, ui.FindAt(20, 230));
      ui.AfterWakes(2, [&, k] {
        RestartView& v = seen[k];
        v.sequencesHidden = !At(ui, 20, 230)->visible && ui.FindByText(u"  Restarts") == 0 &&
                            ui.FindByText(u"  Export") == 0;
        if (v.sequencesHidden) {
          v.heading = ui.TextAt(20, 88);
          v.spreadLine = ui.TextAt(20, 106);
          v.inventoryLine = ui.TextAt(20, 124);
          v.bars = At(ui, 20, 144)->chart.bars.size();
          v.legend = At(ui, 20, 144)->chart.legend;
          v.rows = At(ui, 20, 288)->rows;
          if (k == 0) {
            restartColumns = At(ui, 20, 288)->columns;
            restartWidths = At(ui, 20, 288)->columnWidths;
            for (auto [x, y] : {std::pair{20, 88}, {20, 144}, {20, 288}, {455, 420}}) {
              places.push_back(DescribeAt(ui, x, y));
            }
          }
          ui.Click(ui.FindByText(u"  Back"));
        }
        ui.AfterWakes(2, [&, k] {
          seen[k].listBack = At(ui, 20, 230)->visible && At(ui, 20, 230)->rows == listRows &&
                             ui.FindByText(u"  Restarts") != 0 && ui.FindByText(u"  Export") != 0 &&
                             !At(ui, 20, 130)->visible;  // the report's line, hidden
          step(k + 1);
        });
      });
    };
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&] {
              for (int y = 90; y <= 150; y += 20) linesBefore.push_back(ui.TextAt(20, y));
              reportRowsBefore = At(ui, 20, 180)->rows;
              places.push_back(DescribeAt(ui, 90, 420));
              ui.Click(ui.FindByText(u"  History"));
            });
    ui.When(
        [&ui] { return ui.FindByText(u"  Restarts") != 0; },
        [&] {
          chart = At(ui, 20, 80)->chart;
          for (auto [x, y] : {std::pair{20, 80}, {20, 230}, {20, 420}, {165, 420}, {310, 420}, {455, 420}}) {
            places.push_back(DescribeAt(ui, x, y));
          }
          columns = At(ui, 20, 230)->columns;
          widths = At(ui, 20, 230)->columnWidths;
          listRows = At(ui, 20, 230)->rows;
          step(0);
        });
  };
  const sim::StartRecord& report = Start(*RunArguments());

  ASSERT_EQ(listRows.size(), 3u);
  EXPECT_EQ(places,
            (std::vector<std::string>{
                "3 \"  History\" (90,420,150,36) Arial 12/800 image 144 24x24 hand cursor",
                "41 \"\" (20,80,560,140) Arial 8/400", "15 \"\" (20,230,560,180) Arial 9/400",
                "3 \"  Restarts\" (20,420,125,36) Arial 12/800 image 144 24x24 hand cursor",
                "3 \"  Compare\" (165,420,125,36) Arial 12/800 image 144 24x24 hand cursor",
                "3 \"  Export\" (310,420,125,36) Arial 12/800 image 143 24x24 hand cursor",
                "3 \"  Back\" (455,420,125,36) Arial 12/800 icon 107 24x24 hand cursor",
                "13 \"Sequence 3, started " + ToUtf8(listRows[0][0].substr(3)) +
                    ": 2 restarts\" (20,88,560,18) Arial 10/400",
                "41 \"\" (20,144,560,138) Arial 8/400", "15 \"\" (20,288,560,122) Arial 9/400",
                "3 \"  Back\" (455,420,125,36) Arial 12/800 icon 107 24x24 hand cursor"}));
  // The kept sequences and the current one, which alone is highlighted.
  std::vector<Text> bars;
  for (const auto& bar : chart.bars) bars.push_back(bar.valueText + (bar.highlighted ? u"*" : u""));
  EXPECT_EQ(bars, (std::vector<Text>{u"52", u"45", u"38*"}));
  EXPECT_EQ(columns, (std::vector<Text>{u"Sequence", u"Restarts", u"Average", u"Median", u"Spread",
                                        u"First", u"Change", u"Verdict"}));
  EXPECT_LE(std::accumulate(widths.begin(), widths.end(), 0), kRoomForColumns);
  EXPECT_EQ(listRows,
            (Rows{{listRows[0][0], u"2", u"38 s", u"38 s", u"2.8 s", u"40 s", u"-15.55%", u""},
                  {listRows[1][0], u"2", u"45 s", u"45 s", u"7.1 s", u"50 s", u"-13.46%", u""},
                  {u"1  2024-03-01 12:00", u"2", u"52 s", u"52.5 s", u"10.6 s", u"60 s",
                   u"\u2013", u""}}));
  EXPECT_TRUE(listRows[0][0].starts_with(u"3  2024-03-01 12:"));

  EXPECT_EQ(restartColumns,
            (std::vector<Text>{u"Restart", u"Total", u"Shutdown+firmware", u"Windows start",
                               u"Desktop ready", u"Windows boot", u"Note"}));
  // The figures fit; only a note may need the list scrolled sideways.
  EXPECT_LE(std::accumulate(restartWidths.begin(), restartWidths.end() - 1, 0), kRoomForColumns);
  for (std::size_t k = 0; k < std::size(ways); ++k) {
    SCOPED_TRACE(ways[k].way);
    const RestartView& v = seen[k];
    EXPECT_TRUE(v.listBack);
    if (ways[k].heading.empty()) {
      EXPECT_FALSE(v.sequencesHidden);
      continue;
    }
    EXPECT_TRUE(v.sequencesHidden);
    EXPECT_TRUE(v.heading.starts_with(ways[k].heading)) << ToUtf8(v.heading);
    EXPECT_EQ(v.bars, 2u);
    // This machine's uptime tells nothing of its boots: every restart is one
    // bar of its duration; the desktop after restart 1 was ready at once (the
    // countdown saw it idle), the report was closed before restart 2's was.
    EXPECT_EQ(v.legend,
              (std::vector<ui::ChartLegendEntry>{{u"Not split", kNotSplitColour},
                                                 {u"Desktop ready", kDesktopReadyColour}}));
  }
  EXPECT_EQ(seen[1].spreadLine,
            u"Median 52.5 s, spread 10.6 s; without the first restart: median 45 s, spread 0 s");
  EXPECT_EQ(seen[1].rows, (Rows{{u"1", u"60 s", u"", u"", u"0 s", u"", u""},
                                {u"2", u"45 s", u"", u"", u"", u"", u""}}));
  EXPECT_EQ(seen[2].spreadLine,
            u"Median 45 s, spread 7.1 s; without the first restart: median 40 s, spread 0 s");
  EXPECT_EQ(seen[0].rows.at(1).at(1), u"36 s");
  // What started with Windows with sequence 1 (recorded by the simulated
  // setup on a machine that starts nothing).
  EXPECT_EQ(seen[1].inventoryLine, u"Starts with Windows: 0 programs, 0 services, 0 drivers.");

  // Back: the same report, and the history's controls gone.
  EXPECT_EQ(report.reportLines, linesBefore);
  EXPECT_EQ(report.historyRows, reportRowsBefore);
  EXPECT_EQ(report.dump.find("Export"), std::string::npos);
  EXPECT_EQ(report.doubleFrees, 0);
  EXPECT_EQ(report.exitCode, 0);
}

// A click on a restart's row, or on its bar, shows who kept its desktop busy in place of the
// chart and the list, Windows' own culprits and the sequence's most often
// busy below; Back returns to the restarts, and Back again to the sequences.
TEST_F(HistoryWindowTest, ARestartsRowShowsWhoKeptItsDesktopBusyAndBackReturnsStepByStep) {
  // The countdown after restart 1 reads the list once the desktop is ready;
  // the report is closed before restart 2's was, and reads it then.
  machine.processes.SetUsages({{31, u"Sync.exe", 0, 82'000'000, 0, 0},
                               {32, u"Indexer.exe", 0, 4'000'000, 0, 0}});
  machine.processes.AddProcess(31, {.imagePath = u"C:\\Sync\\Sync.exe"});
  TwoRestartsBeforeReport(60, 45);
  struct Seen {
    Text heading, lines;
    std::vector<Text> columns;
    Rows rows;
    std::string place;
    bool chartHidden = false;
  } first, second;
  bool backToRestarts = false, backToSequences = false;
  const auto look = [&](ui::HeadlessBackend& ui, Seen& v) {
    v.heading = ui.TextAt(20, 144);
    v.columns = At(ui, 20, 164)->columns;
    v.rows = At(ui, 20, 164)->rows;
    v.lines = ui.TextAt(20, 306);
    v.place = DescribeAt(ui, 20, 306);
    v.chartHidden = ui.FindAt(20, 288) == ui.FindAt(20, 306) || !At(ui, 20, 288)->visible;
  };
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  History")); });
    ui.When([&ui] { return ui.FindByText(u"  Restarts") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  Restarts")); });
    ui.When([&ui] { return ui.FindAt(20, 288) != 0 && ui.TextAt(20, 124) != u""; },
            [&] {
              ui.ClickRow(ui.FindAt(20, 288), 0);
              ui.AfterWakes(2, [&] {
                look(ui, first);
                ui.Click(ui.FindByText(u"  Back"));
                ui.AfterWakes(2, [&] {
                  backToRestarts = At(ui, 20, 144)->visible && At(ui, 20, 288)->visible &&
                                   ui.FindByText(u"  Restarts") == 0;
                  ui.ClickChartBar(ui.FindAt(20, 144), 1);  // restart 2's bar
                  ui.AfterWakes(2, [&] {
                    look(ui, second);
                    ui.Click(ui.FindByText(u"  Back"));
                    ui.AfterWakes(2, [&] {
                      ui.Click(ui.FindByText(u"  Back"));
                      ui.AfterWakes(2, [&] {
                        backToSequences = ui.FindByText(u"  Restarts") != 0;
                        ui.Click(ui.FindByText(u"  Back"));
                        ui.When([&ui] { return ui.FindByText(u"  Close") != 0; },
                                [&ui] { ui.Click(ui.FindByText(u"  Close")); });
                      });
                    });
                  });
                });
              });
            });
  };
  (void)Start(*RunArguments());

  EXPECT_EQ(first.heading, u"What kept the desktop busy after restart 1:");
  EXPECT_EQ(first.columns,
            (std::vector<Text>{u"Program", u"Kind", u"CPU", u"I/O", u"Impact"}));
  // Wine-like: no I/O counted anywhere, so unknown; nothing starts with this
  // machine, so both are other.
  EXPECT_EQ(first.rows, (Rows{{u"Sync.exe", u"other", u"8.2 s", u"unknown", u"High"},
                              {u"Indexer.exe", u"other", u"0.4 s", u"unknown", u"Medium"}}));
  EXPECT_TRUE(first.chartHidden);
  EXPECT_EQ(first.place.substr(0, 2), "13");
  EXPECT_NE(first.place.find("(20,306,560,104) Arial 9/400"), std::string::npos) << first.place;
  // Read at the ready moment; the log of the simulated machine names nothing;
  // both restarts had Sync.exe and Indexer.exe.
  EXPECT_EQ(first.lines,
            u"Read when the desktop was ready; programs that had ended by then are not listed.\r\n"
            u"Windows named nothing that made this start slower than usual.\r\n"
            u"Most often busy: Sync.exe (median 8.2 s of CPU in 1 of 1 restarts)\r\n"
            u"Most often busy: Indexer.exe (median 0.4 s of CPU in 1 of 1 restarts)");
  EXPECT_TRUE(backToRestarts);
  // Restart 2's wait goes on until the report closes: not read yet, nor its
  // culprits, whose window is still open.
  EXPECT_EQ(second.heading, u"What kept the desktop busy after restart 2:");
  EXPECT_TRUE(second.rows.empty());
  EXPECT_TRUE(second.lines.starts_with(
      u"Who kept the desktop busy was not read after this restart.\r\n"
      u"Windows' own list of what slowed this start: unknown"))
      << ToUtf8(second.lines);
  EXPECT_TRUE(backToSequences);
  // Closing the report ended that wait: read then, as before the ready moment.
  settings::SettingsFile file(machine.files, machine.ansi);
  ASSERT_TRUE(file.Load(app::apptest::kSettingsPath));
  const std::optional<BusyReading> last = MeasurementStore::Read(file).restarts().at(1).busy;
  ASSERT_TRUE(last);
  EXPECT_FALSE(last->atReady);
  EXPECT_EQ(last->programs.at(0).path, u"C:\\Sync\\Sync.exe");
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
  // Closed from the history window: the program ends as from the report.
  EXPECT_EQ(Start(*RunArguments()).exitCode, 0);
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
  EXPECT_TRUE(
      text.starts_with("\xEF\xBB\xBF" + ToUtf8(kCsvHeader) + "\r\n1,2024-03-01 12:00,1,60,60,"));
  EXPECT_TRUE(text.ends_with(",2,36,36,,,,,,,,,,\r\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
  EXPECT_FALSE(machine.files.FileExists(bad));
}

}  // namespace
}  // namespace twk::sequence

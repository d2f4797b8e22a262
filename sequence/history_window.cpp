#include "sequence/history_window.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "context/start_context.h"
#include "platform/file_system.h"
#include "sequence/busy_programs.h"
#include "sequence/csv_export.h"
#include "sequence/restart_marks.h"
#include "sequence/spread.h"
#include "sequence/time_stamps.h"
#include "sequence/verdict.h"
#include "ui/message_translation.h"
#include "ui/resource_ids.h"

namespace twk::sequence {
namespace {

// The texts of this window.
constexpr char16_t kTitleSuffix[] = u" - History";
constexpr char16_t kRestartsButton[] = u"  Restarts";
constexpr char16_t kCompareButton[] = u"  Compare";
constexpr char16_t kExportButton[] = u"  Export";
constexpr char16_t kBackButton[] = u"  Back";
constexpr char16_t kNoChange[] = u"\u2013";
constexpr char16_t kExportedTo[] = u"The history was exported to ";
constexpr char16_t kNotExportedTo[] = u"The history could not be exported to ";
constexpr char16_t kDefaultFileName[] = u"Tarnwick history.csv";
constexpr char16_t kCsvFilterName[] = u"CSV files (*.csv)";
constexpr char16_t kCsvFilterPattern[] = u"*.csv";
constexpr char16_t kCsvExtension[] = u"csv";
constexpr char16_t kSeconds[] = u" s";
constexpr char16_t kInventoryUnknown[] =
    u"Starts with Windows: unknown (measured before Tarnwick kept the list).";

struct Column {
  const char16_t* header;
  int width;
};
// Both lists are written in 9-point Arial: eight columns of figures fit the
// list's 560 pixels there, and not in the report's Lucida console. The
// toolkit makes each column as wide as its header and its widest cell and
// gives the last one what the others leave; the widths here are only where
// the columns start. The verdict took the place of the last restart's
// column: the restarts' view has every restart, and the verdict answers what
// first against last only seemed to.
constexpr Column kColumns[] = {{u"Sequence", 138}, {u"Restarts", 58}, {u"Average", 58},
                               {u"Median", 54},    {u"Spread", 52},   {u"First", 60},
                               {u"Change", 58},    {u"Verdict", 52}};
// The note comes last and wide enough for its longer text: the figures stay
// where they were, and a list with a note scrolls sideways to it.
constexpr Column kRestartColumns[] = {
    {u"Restart", 56},       {u"Total", 66},         {u"Shutdown+firmware", 126},
    {u"Windows start", 94}, {u"Desktop ready", 96}, {u"Windows boot", 98},
    {u"Note", 192}};

// The busy programs of one restart: the program's file name is the widest.
constexpr Column kBusyColumns[] = {
    {u"Program", 170}, {u"Kind", 110}, {u"CPU", 70}, {u"I/O", 80}, {u"Impact", 80}};
// The lines under them: as many as the label's 104 pixels hold in 9-point
// Arial.
constexpr std::size_t kBusyLines = 7;

constexpr int kAppend = 100000;

// Where the controls go. The sequences' view: the averages' chart, the list
// and three buttons. The restarts' view in the same place: two lines of text,
// the phases' chart and the restarts' list above the same Back button.
constexpr int kLeft = 20;
constexpr int kWidth = 560;
constexpr int kButtonsY = 420;
// Four buttons across the list's width, 20 pixels apart.
constexpr int kButtonWidth = 125;
constexpr int ButtonX(int k) { return kLeft + k * (kButtonWidth + 20); }

// "mm-dd" of "yyyy-mm-dd hh:mm": the day is what tells the bars apart.
Text BarLabel(const Text& started) { return started.size() >= 10 ? started.substr(5, 5) : u"?"; }

// A restart's duration as the lists write it.
Text SecondsCell(const RestartFigure& r) { return r.shownSeconds() + kSeconds; }

Text PhaseCell(const RestartPhases& phases, Phase phase) {
  if (!phases[phase]) return Text();
  return FormatMilliseconds(*phases[phase]) + kSeconds;
}

// "a", "a and b", "a, b and c": figures as a sentence says them.
Text Enumerated(const std::vector<Text>& items) {
  Text text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? u" and " : u", ";
    text += items[i];
  }
  return text;
}

Text MedianAndSpread(const std::optional<Spread>& spread, const Text& median) {
  if (!spread) return median + u" " + kNoChange + u", spread " + kNoChange;
  return median + u" " + TenthsText(spread->medianMs) + u", spread " +
         TenthsText(spread->standardDeviationMs);
}

void ExportFromWindow(context::StartContext& start) {
  context::MainFrame& frame = start.frame();
  ui::SaveFileRequest request;
  request.defaultName = kDefaultFileName;
  request.filterName = kCsvFilterName;
  request.filterPattern = kCsvFilterPattern;
  request.defaultExtension = kCsvExtension;
  const auto path = start.ui().ChooseSaveFile(frame.handle(), request);
  if (!path) return;  // cancelled
  const CsvWriteResult result =
      ExportHistory(start.settings(), *start.ports().files, *start.ports().ansi, *path);
  const Text title = Text(context::kProductTitle) + kTitleSuffix;
  start.ui().ShowMessage(
      frame.handle(), title,
      result.ok ? kExportedTo + *path + u"." : kNotExportedTo + *path + u". " + result.reason);
}

int CreateList(context::MainFrame& frame, int y, int height, std::span<const Column> columns,
               const std::vector<std::vector<Text>>& rows) {
  frame.SetFont(u"Arial", 9, 400);
  const int list = frame.CreateReportList(kLeft, y, kWidth, height);
  if (list == 0) return 0;
  int column = 0;
  for (const Column& c : columns) (void)frame.InsertListColumn(list, column++, c.header, c.width);
  for (const std::vector<Text>& cells : rows) {
    const int row = frame.InsertListItem(list, kAppend, cells[0]);
    if (row < 0) break;
    for (std::size_t k = 1; k < cells.size(); ++k) {
      (void)frame.SetListItemText(list, row, static_cast<int>(k), cells[k]);
    }
  }
  return list;
}

// The window's two views over one frame. The sequences' controls stay while
// a sequence's restarts show, hidden, so that Back finds the list scrolled
// and selected as it was left.
class HistoryWindow {
 public:
  explicit HistoryWindow(context::StartContext& start)
      : start_(start),
        frame_(start.frame()),
        sequences_(MeasurementStore::Read(start.settings()).AllSequences()) {}

  HistoryExit Run() {
    ShowSequences();
    context::EventPump& pump = start_.pump();
    for (;;) {
      pump.NextEvent(context::PumpMode::Wait);
      if (pump.event().eventId == ui::event::CloseRequest) return HistoryExit::CloseRequested;
      if (pump.IsFrameControl(backId_)) {
        if (firstBusyId_ != 0) {
          CloseBusy();
        } else if (firstRestartId_ != 0) {
          CloseRestarts();
        } else {
          return HistoryExit::Back;
        }
      } else if (firstRestartId_ != 0) {
        // A click on a restart's row, or on its bar, shows who kept its
        // desktop busy.
        const ui::EventSlot& e = pump.event();
        int chosen = -1;
        if (firstBusyId_ == 0 && e.eventId == ui::event::Notification &&
            e.details.idOrCode == static_cast<std::uintptr_t>(restartListId_) &&
            static_cast<int>(e.details.extra) == ui::msg::NmClick) {
          chosen = frame_.SelectedListRow(restartListId_);
        } else if (firstBusyId_ == 0 && pump.IsFrameControl(restartChartId_)) {
          chosen = frame_.ClickedChartBar(restartChartId_);
        }
        if (chosen >= 0) OpenBusy(static_cast<std::size_t>(chosen));
        continue;
      } else if (pump.IsFrameControl(compareId_)) {
        const int row = frame_.SelectedListRow(listId_);
        OpenCompare(row >= 0 ? row : 0);
      } else if (pump.IsFrameControl(exportId_)) {
        ExportFromWindow(start_);
      } else if (pump.IsFrameControl(restartsId_)) {
        // Nothing chosen yet: the newest, which is the one just measured.
        const int row = frame_.SelectedListRow(listId_);
        OpenRestarts(row >= 0 ? row : 0);
      } else if (pump.IsFrameControl(listId_)) {
        // A double click opened a row; the first click selected it.
        const int row = frame_.SelectedListRow(listId_);
        if (row >= 0) OpenRestarts(row);
      }
    }
  }

 private:
  void ShowSequences() {
    // The chart writes its values and dates in 8-point Arial.
    frame_.SetFont(u"Arial", 8, 400);
    chartId_ = frame_.CreateChart(kLeft, 80, kWidth, 140);
    frame_.SetChartData(chartId_, HistoryChart(sequences_));
    listId_ = CreateList(frame_, 230, 180, kColumns, HistoryRows(sequences_));
    frame_.SetControlName(listId_, u"Sequences");

    frame_.SetFont(u"Arial", 12, 800);
    restartsId_ = frame_.CreateButton(kRestartsButton, kLeft, kButtonsY, kButtonWidth, 36,
                                      {.tabStop = true});
    frame_.SetButtonImage(restartsId_, ui::resource::HistoryImage);
    frame_.SetControlCursor(restartsId_, ui::Cursor::Hand);
    if (sequences_.empty()) frame_.SetControlState(restartsId_, ui::state::Disable);
    compareId_ = frame_.CreateButton(kCompareButton, ButtonX(1), kButtonsY, kButtonWidth, 36,
                                     {.tabStop = true});
    frame_.SetButtonImage(compareId_, ui::resource::HistoryImage);
    frame_.SetControlCursor(compareId_, ui::Cursor::Hand);
    if (sequences_.size() < 2) frame_.SetControlState(compareId_, ui::state::Disable);
    exportId_ = frame_.CreateButton(kExportButton, ButtonX(2), kButtonsY, kButtonWidth, 36,
                                    {.tabStop = true});
    frame_.SetButtonImage(exportId_, ui::resource::StartImage);
    frame_.SetControlCursor(exportId_, ui::Cursor::Hand);
    backId_ = frame_.CreateButton(kBackButton, ButtonX(3), kButtonsY, kButtonWidth, 36,
                                  {.tabStop = true});
    frame_.SetButtonIcon(backId_, ui::resource::ProgramIcon);
    frame_.SetControlCursor(backId_, ui::Cursor::Hand);
  }

  // row counts from the top of the list, which shows the newest first.
  void OpenRestarts(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= sequences_.size()) return;
    const SequenceSummary& s = sequences_[sequences_.size() - 1 - static_cast<std::size_t>(row)];
    shown_ = &s;
    HideSequences();
    Text heading = u"Sequence " + FormatUnsigned(s.number);
    if (!s.started.empty()) heading += u", started " + s.started;
    heading += u": " + FormatUnsigned(s.restarts.size()) +
               (s.restarts.size() == 1 ? u" restart" : u" restarts");
    frame_.SetFont(u"Arial", 10, 400);
    frame_.CreateLabel(heading, kLeft, 88, kWidth, 18);
    frame_.CreateLabel(SpreadLine(s), kLeft, 106, kWidth, 18);
    frame_.CreateLabel(s.inventory ? InventorySummary(*s.inventory) : Text(kInventoryUnknown), kLeft,
                       124, kWidth, 18);
    frame_.SetFont(u"Arial", 8, 400);
    restartChartId_ = frame_.CreateChart(kLeft, 144, kWidth, 138);
    frame_.SetChartData(restartChartId_, RestartsChart(s));
    restartListId_ = CreateList(frame_, 288, 122, kRestartColumns, RestartRows(s));
    frame_.SetControlName(restartListId_, u"Restarts of sequence " + FormatUnsigned(s.number));
  }

  // In the place of the chart and the restarts' list, until Back: the
  // programs of one restart, Windows' own culprits and the sequence's most
  // often busy programs.
  void OpenBusy(std::size_t restart) {
    if (shown_ == nullptr || restart >= shown_->restarts.size()) return;
    const RestartFigure& r = shown_->restarts[restart];
    for (int id : {restartChartId_, restartListId_}) frame_.SetControlState(id, ui::state::Hide);
    firstBusyId_ = frame_.count() + 1;
    frame_.SetFont(u"Arial", 10, 700);
    frame_.CreateLabel(u"What kept the desktop busy after restart " + FormatUnsigned(restart + 1) +
                           u":",
                       kLeft, 144, kWidth, 18);
    (void)CreateList(frame_, 164, 136, kBusyColumns, r.busy ? BusyRows(*r.busy) : BusyRows({}));
    std::vector<Text> said = {
        r.busy ? BusyReadingNote(*r.busy)
               : Text(u"Who kept the desktop busy was not read after this restart.")};
    for (Text& line : CulpritLines(r.culprits)) said.push_back(std::move(line));
    for (Text& line : MostOftenBusy(*shown_)) said.push_back(std::move(line));
    if (said.size() > kBusyLines) said.resize(kBusyLines);
    Text lines;
    for (const Text& line : said) lines += (lines.empty() ? u"" : u"\r\n") + line;
    frame_.SetFont(u"Arial", 9, 400);
    frame_.CreateLabel(lines, kLeft, 306, kWidth, 104);
  }

  void CloseBusy() {
    for (int id = frame_.count(); id >= firstBusyId_; --id) frame_.DeleteControl(id);
    firstBusyId_ = 0;
    for (int id : {restartChartId_, restartListId_}) frame_.SetControlState(id, ui::state::Show);
  }

  void CloseRestarts() {
    for (int id = frame_.count(); id >= firstRestartId_; --id) frame_.DeleteControl(id);
    firstRestartId_ = 0;
    shown_ = nullptr;
    for (int id : {chartId_, listId_, restartsId_, compareId_, exportId_}) {
      frame_.SetControlState(id, ui::state::Show);
    }
  }

  void HideSequences() {
    for (int id : {chartId_, listId_, restartsId_, compareId_, exportId_}) {
      frame_.SetControlState(id, ui::state::Hide);
    }
    firstRestartId_ = frame_.count() + 1;
  }

  // The sequence of the row against the one before it: the verdict's
  // heading and lines, and every restart of both as dots.
  void OpenCompare(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= sequences_.size()) return;
    const std::size_t after = sequences_.size() - 1 - static_cast<std::size_t>(row);
    HideSequences();
    frame_.SetFont(u"Arial", 10, 700);
    Text heading, lines;
    ui::ChartData chart;
    std::vector<std::vector<Text>> changes;
    if (after == 0) {
      heading = u"Sequence " + FormatUnsigned(sequences_[0].number) +
                u" is the oldest kept: there is no sequence before it to compare with.";
    } else {
      const SequenceSummary& b = sequences_[after - 1];
      const SequenceSummary& a = sequences_[after];
      const SequenceComparison c =
          CompareSequences(b.number, FiguresOf(b), a.number, FiguresOf(a));
      heading = c.heading;
      for (const Text& line : c.lines) lines += (lines.empty() ? u"" : u"\r\n") + line;
      chart = CompareChart(c, b.number, a.number);
      changes = ChangeRows(b, a);
    }
    frame_.CreateLabel(heading, kLeft, 88, kWidth, 18);
    frame_.SetFont(u"Arial", 9, 400);
    // Four lines: the restart's and each phase's.
    frame_.CreateLabel(lines, kLeft, 108, kWidth, 72);
    if (!changes.empty()) {
      const Column column{u"What changed", ChangeColumnWidth(changes)};
      const int list = CreateList(frame_, 182, 100, std::span<const Column>(&column, 1), changes);
      frame_.SetControlName(list, column.header);
    }
    frame_.SetFont(u"Arial", 8, 400);
    const int chartId = frame_.CreateChart(kLeft, 288, kWidth, 122);
    frame_.SetChartData(chartId, chart);
  }

  context::StartContext& start_;
  context::MainFrame& frame_;
  const std::vector<SequenceSummary> sequences_;
  int chartId_ = 0, listId_ = 0, restartsId_ = 0, compareId_ = 0, exportId_ = 0, backId_ = 0;
  int firstRestartId_ = 0;  // the restarts' view's first control; 0 while the list shows
  const SequenceSummary* shown_ = nullptr;  // the sequence whose restarts show
  int restartChartId_ = 0, restartListId_ = 0;
  int firstBusyId_ = 0;  // the busy programs' first control; 0 while the restarts show
};

}  // namespace

Text ChangeText(std::optional<std::int32_t> previous, std::int32_t current) {
  if (!previous || *previous == 0) return kNoChange;
  const double change =
      (static_cast<double>(current) - *previous) * 100.0 / static_cast<double>(*previous);
  // The number rule writes fractions of positive numbers only: the sign goes
  // in front of the cut magnitude.
  Text text = FormatNumber(std::fabs(change));
  LimitDecimals(text);
  if (change < 0 && text != u"0") text.insert(0, 1, u'-');
  return text + u"%";
}

std::vector<ui::ChartTick> ChartTicks(std::int64_t highest) {
  if (highest < 1) highest = 1;
  std::int64_t magnitude = 1;
  while (magnitude * 10 <= highest / 4) magnitude *= 10;
  std::int64_t step = magnitude;
  for (const std::int64_t factor : {1, 2, 5, 10}) {
    step = magnitude * factor;
    if ((highest + step - 1) / step <= 5) break;
  }
  const std::int64_t steps = (highest + step - 1) / step;
  std::vector<ui::ChartTick> ticks;
  for (std::int64_t i = 0; i <= steps; ++i) {
    ticks.push_back(
        {static_cast<double>(i * step), FormatUnsigned(static_cast<std::uint64_t>(i * step))});
  }
  return ticks;
}

std::vector<std::optional<std::int64_t>> DurationsForSpread(const SequenceSummary& s) {
  bool allExact = !s.restarts.empty();
  for (const RestartFigure& r : s.restarts) allExact = allExact && (r.marked() || r.exactMs);
  std::vector<std::optional<std::int64_t>> ms;
  for (const RestartFigure& r : s.restarts) {
    if (r.marked()) {
      ms.emplace_back();
    } else {
      ms.push_back(allExact ? r.exactMs : static_cast<std::int64_t>(r.wholeSeconds) * 1000);
    }
  }
  return ms;
}

std::optional<std::int32_t> ComparedAverage(const SequenceSummary& s) {
  const auto marked = [](const RestartFigure& r) { return r.marked(); };
  if (std::none_of(s.restarts.begin(), s.restarts.end(), marked)) return s.average;
  std::int64_t sum = 0;
  std::int32_t count = 0;
  for (const RestartFigure& r : s.restarts) {
    if (r.marked()) continue;
    sum += r.wholeSeconds;
    ++count;
  }
  return HistoryAverage(sum, count);
}

ui::ChartData HistoryChart(const std::vector<SequenceSummary>& sequences) {
  ui::ChartData chart;
  const std::size_t from = sequences.size() > kChartBars ? sequences.size() - kChartBars : 0;
  std::int64_t highest = 0;
  for (std::size_t i = from; i < sequences.size(); ++i) {
    const SequenceSummary& s = sequences[i];
    const std::optional<std::int32_t> average = ComparedAverage(s);
    chart.bars.push_back({.value = static_cast<double>(average.value_or(0)),
                          .valueText = average ? FormatSigned(*average) : Text(kNoChange),
                          .label = BarLabel(s.started),
                          .highlighted = s.current,
                          .segments = {}});
    highest = std::max<std::int64_t>(highest, average.value_or(0));
  }
  chart.ticks = ChartTicks(highest);
  std::vector<Text> averages;
  for (const ui::ChartBar& bar : chart.bars) averages.push_back(bar.valueText);
  chart.description = averages.empty()
                          ? Text(u"Average restart time: no sequence kept yet")
                          : u"Average restart time of " + FormatUnsigned(averages.size()) +
                                (averages.size() == 1 ? u" sequence: " : u" sequences: ") +
                                Enumerated(averages) + u" seconds";
  return chart;
}

std::vector<std::vector<Text>> HistoryRows(const std::vector<SequenceSummary>& sequences) {
  std::vector<std::vector<Text>> rows;
  for (std::size_t i = sequences.size(); i-- > 0;) {
    const SequenceSummary& s = sequences[i];
    Text name = FormatUnsigned(s.number);
    if (!s.started.empty()) name += u"  " + s.started;
    const std::optional<std::int32_t> previous =
        i > 0 ? ComparedAverage(sequences[i - 1]) : std::nullopt;
    const std::optional<std::int32_t> average = ComparedAverage(s);
    const std::optional<Spread> spread = SpreadOf(DurationsForSpread(s));
    const std::size_t n = s.restarts.size();
    // The first restart that counts.
    const auto first = std::find_if(s.restarts.begin(), s.restarts.end(),
                                    [](const RestartFigure& r) { return !r.marked(); });
    rows.push_back({name, FormatUnsigned(n),
                    average ? FormatSigned(*average) + kSeconds : Text(kNoChange),
                    spread ? TenthsText(spread->medianMs) : Text(kNoChange),
                    spread ? TenthsText(spread->standardDeviationMs) : Text(kNoChange),
                    first != s.restarts.end() ? SecondsCell(*first) : Text(kNoChange),
                    average ? ChangeText(previous, *average) : Text(kNoChange),
                    i > 0 ? VerdictWord(RestartVerdict(FiguresOf(sequences[i - 1]), FiguresOf(s)))
                          : Text()});
  }
  return rows;
}

std::vector<std::vector<Text>> ChangeRows(const SequenceSummary& before,
                                          const SequenceSummary& after) {
  std::vector<Text> lines = WhatChanged(before.inventory.get(), after.inventory.get());
  // The list's header says "What changed"; a sentence of its own stays whole.
  if (lines.size() > 1) lines.erase(lines.begin());
  std::vector<std::vector<Text>> rows;
  for (Text& line : lines) rows.push_back({std::move(line)});
  return rows;
}

int ChangeColumnWidth(const std::vector<std::vector<Text>>& rows) {
  // About 6 pixels a character in 9-point Arial, and the list's margins: a
  // long command line scrolls sideways rather than being cut.
  std::size_t longest = 0;
  for (const auto& row : rows) longest = std::max(longest, row.at(0).size());
  return std::max(536, static_cast<int>(std::min<std::size_t>(longest, 2000)) * 6 + 12);
}

Text VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster:
      return u"faster";
    case Verdict::Slower:
      return u"slower";
    case Verdict::NoClearChange:
      return u"~";
    case Verdict::TooFew:
      break;
  }
  return Text();
}

ui::ChartData CompareChart(const SequenceComparison& c, std::uint64_t beforeNumber,
                           std::uint64_t afterNumber) {
  ui::ChartData chart;
  double highest = 0;
  const auto column = [&](const std::vector<double>& seconds, std::uint64_t number, bool after) {
    ui::ChartBar bar;
    bar.dots = seconds;
    bar.label = u"Sequence " + FormatUnsigned(number) + (after ? u" (after)" : u" (before)");
    bar.highlighted = after;
    if (!seconds.empty()) {
      std::vector<double> sorted = seconds;
      std::sort(sorted.begin(), sorted.end());
      const std::size_t n = sorted.size();
      bar.line = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
      bar.value = sorted.back();
      bar.valueText = u"median " + TenthsText(*bar.line * 1000.0);
      highest = std::max(highest, sorted.back());
    }
    chart.bars.push_back(std::move(bar));
  };
  column(c.beforeSeconds, beforeNumber, false);
  column(c.afterSeconds, afterNumber, true);
  std::vector<Text> columns;
  for (const ui::ChartBar& bar : chart.bars) {
    columns.push_back(bar.label + u", " + FormatUnsigned(bar.dots.size()) +
                      (bar.dots.size() == 1 ? u" restart" : u" restarts") +
                      (bar.line ? u", " + bar.valueText : Text()));
  }
  chart.description = u"Every restart of two sequences: " + Enumerated(columns);
  // The scale starts at 0, as every chart of the window does: a difference
  // looks as large as it is against the whole restart.
  chart.ticks = ChartTicks(static_cast<std::int64_t>(std::ceil(highest)));
  for (ui::ChartTick& tick : chart.ticks) tick.label += kSeconds;
  chart.legend = {{u"Median", ui::Rgb(0x30, 0x30, 0x30)}};
  return chart;
}

ui::ChartData RestartsChart(const SequenceSummary& s) {
  ui::ChartData chart;
  bool split = false, notSplit = false, desktop = false;
  double highest = 0;
  for (std::size_t i = 0; i < s.restarts.size(); ++i) {
    ui::ChartBar bar;
    bar.label = FormatUnsigned(i + 1);
    const RestartPhases& phases = s.restarts[i].phases;
    const auto add = [&bar](std::int64_t ms, ui::Colour colour) {
      bar.segments.push_back({static_cast<double>(ms) / 1000.0, colour});
      bar.value += static_cast<double>(ms) / 1000.0;
    };
    // Both parts or neither: one of them alone would leave the other's share
    // of the measured duration without a colour.
    if (phases[Phase::ShutdownFirmware] && phases[Phase::WindowsStart]) {
      add(*phases[Phase::ShutdownFirmware], kShutdownFirmwareColour);
      add(*phases[Phase::WindowsStart], kWindowsStartColour);
      split = true;
    } else {
      add(s.restarts[i].durationMs(), kNotSplitColour);
      notSplit = true;
    }
    if (phases[Phase::DesktopReady]) {
      add(*phases[Phase::DesktopReady], kDesktopReadyColour);
      desktop = true;
    }
    // The chart's scale has no unit either.
    bar.valueText = Tenths(bar.value * 1000.0);
    highest = std::max(highest, bar.value);
    chart.bars.push_back(std::move(bar));
  }
  chart.ticks = ChartTicks(static_cast<std::int64_t>(std::ceil(highest)));
  if (split) {
    chart.legend.push_back({u"Shutdown+firmware", kShutdownFirmwareColour});
    chart.legend.push_back({u"Windows start", kWindowsStartColour});
  }
  if (notSplit) chart.legend.push_back({u"Not split", kNotSplitColour});
  if (desktop) chart.legend.push_back({u"Desktop ready", kDesktopReadyColour});
  std::vector<Text> times;
  for (const ui::ChartBar& bar : chart.bars) times.push_back(bar.valueText);
  chart.description =
      u"Restart time of " + FormatUnsigned(times.size()) +
      (times.size() == 1 ? u" restart, split by phase: " : u" restarts, split by phase: ") +
      Enumerated(times) + u" seconds";
  return chart;
}

Text SpreadLine(const SequenceSummary& s) {
  const auto durations = DurationsForSpread(s);
  Text line = MedianAndSpread(SpreadOf(durations), u"Median");
  if (const auto rest = SpreadAfterFirst(durations)) {
    line += u"; without the first restart: " + MedianAndSpread(rest, u"median");
  }
  return line;
}

std::vector<std::vector<Text>> RestartRows(const SequenceSummary& s) {
  std::vector<std::vector<Text>> rows;
  for (std::size_t i = 0; i < s.restarts.size(); ++i) {
    const RestartPhases& phases = s.restarts[i].phases;
    rows.push_back({FormatUnsigned(i + 1), SecondsCell(s.restarts[i]),
                    PhaseCell(phases, Phase::ShutdownFirmware),
                    PhaseCell(phases, Phase::WindowsStart), PhaseCell(phases, Phase::DesktopReady),
                    PhaseCell(phases, Phase::WindowsBoot),
                    MarkNote(s.restarts[i].mark)});
  }
  return rows;
}

HistoryExit RunHistoryWindow(context::StartContext& start, int firstHidden, int lastHidden) {
  context::MainFrame& frame = start.frame();
  const Text previousTitle = frame.title();
  for (int id = firstHidden; id <= lastHidden; ++id) frame.SetControlState(id, ui::state::Hide);
  const int firstOwn = frame.count() + 1;
  frame.ShowTitle(Text(context::kProductTitle) + kTitleSuffix);

  const HistoryExit exit = HistoryWindow(start).Run();

  for (int id = frame.count(); id >= firstOwn; --id) frame.DeleteControl(id);
  if (exit == HistoryExit::Back) {
    frame.ShowTitle(previousTitle);
    for (int id = firstHidden; id <= lastHidden; ++id) frame.SetControlState(id, ui::state::Show);
  }
  return exit;
}

}  // namespace twk::sequence

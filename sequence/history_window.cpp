#include "sequence/history_window.h"

#include <algorithm>
#include <cmath>

#include "context/start_context.h"
#include "platform/file_system.h"
#include "sequence/csv_export.h"
#include "sequence/time_stamps.h"
#include "ui/resource_ids.h"

namespace twk::sequence {
namespace {

// The texts of this window.
constexpr char16_t kTitleSuffix[] = u" - History";
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

struct Column {
  const char16_t* header;
  int width;
};
constexpr Column kColumns[] = {{u"Sequence", 170}, {u"Restarts", 70}, {u"Average", 75},
                               {u"First", 75},     {u"Last", 75},     {u"Change", 75}};

constexpr int kAppend = 100000;

// "mm-dd" of "yyyy-mm-dd hh:mm": the day is what tells the bars apart.
Text BarLabel(const Text& started) { return started.size() >= 10 ? started.substr(5, 5) : u"?"; }

void ExportFromWindow(context::StartContext& start) {
  context::MainFrame& frame = start.frame();
  ui::SaveFileRequest request;
  request.defaultName = kDefaultFileName;
  request.filterName = kCsvFilterName;
  request.filterPattern = kCsvFilterPattern;
  request.defaultExtension = kCsvExtension;
  const auto path = start.ui().ChooseSaveFile(frame.handle(), request);
  if (!path) return;  // cancelled
  const CsvWriteResult result = ExportHistory(start.settings(), *start.ports().files, *start.ports().ansi, *path);
  const Text title = Text(context::kProductTitle) + kTitleSuffix;
  start.ui().ShowMessage(
      frame.handle(), title,
      result.ok ? kExportedTo + *path + u"." : kNotExportedTo + *path + u". " + result.reason);
}

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

ui::ChartData HistoryChart(const std::vector<SequenceSummary>& sequences) {
  ui::ChartData chart;
  const std::size_t from = sequences.size() > kChartBars ? sequences.size() - kChartBars : 0;
  std::int64_t highest = 0;
  for (std::size_t i = from; i < sequences.size(); ++i) {
    const SequenceSummary& s = sequences[i];
    chart.bars.push_back(
        {static_cast<double>(s.average), FormatSigned(s.average), BarLabel(s.started), s.current});
    highest = std::max<std::int64_t>(highest, s.average);
  }
  chart.ticks = ChartTicks(highest);
  return chart;
}

std::vector<std::vector<Text>> HistoryRows(const std::vector<SequenceSummary>& sequences) {
  std::vector<std::vector<Text>> rows;
  for (std::size_t i = sequences.size(); i-- > 0;) {
    const SequenceSummary& s = sequences[i];
    Text name = FormatUnsigned(s.number);
    if (!s.started.empty()) name += u"  " + s.started;
    const std::optional<std::int32_t> previous =
        i > 0 ? std::optional<std::int32_t>(sequences[i - 1].average) : std::nullopt;
    // To the millisecond where that was measured, else as stored.
    const auto shown = [&s](std::size_t i) {
      return (i < s.exactMs.size() && s.exactMs[i] ? FormatMilliseconds(*s.exactMs[i])
                                                   : s.durations[i]) +
             kSeconds;
    };
    rows.push_back({name, FormatUnsigned(s.durations.size()), FormatSigned(s.average) + kSeconds,
                    shown(0), shown(s.durations.size() - 1), ChangeText(previous, s.average)});
  }
  return rows;
}

HistoryExit RunHistoryWindow(context::StartContext& start, int firstHidden, int lastHidden) {
  context::MainFrame& frame = start.frame();
  const Text previousTitle = frame.title();
  for (int id = firstHidden; id <= lastHidden; ++id) frame.SetControlState(id, ui::state::Hide);
  const int firstOwn = frame.count() + 1;
  frame.ShowTitle(Text(context::kProductTitle) + kTitleSuffix);

  const std::vector<SequenceSummary> sequences = AllSequences(start.settings());
  // The chart writes its values and dates in 8-point Arial.
  frame.SetFont(u"Arial", 8, 400);
  const int chart = frame.CreateChart(20, 80, 560, 140);
  frame.SetChartData(chart, HistoryChart(sequences));

  frame.SetFont(u"Lucida console", 10, 400);
  const int list = frame.CreateReportList(20, 230, 560, 180);
  if (list != 0) {
    int column = 0;
    for (const Column& c : kColumns)
      (void)frame.InsertListColumn(list, column++, c.header, c.width);
    for (const std::vector<Text>& cells : HistoryRows(sequences)) {
      const int row = frame.InsertListItem(list, kAppend, cells[0]);
      if (row < 0) break;
      for (std::size_t k = 1; k < cells.size(); ++k) {
        (void)frame.SetListItemText(list, row, static_cast<int>(k), cells[k]);
      }
    }
  }

  frame.SetFont(u"Arial", 12, 800);
  const int exportId = frame.CreateButton(kExportButton, 260, 420, 150, 36, ui::style::TabStop);
  frame.SetButtonImage(exportId, ui::resource::StartImage);
  frame.SetControlCursor(exportId, ui::cursor::Hand);
  const int backId = frame.CreateButton(kBackButton, 430, 420, 150, 36, ui::style::TabStop);
  frame.SetButtonIcon(backId, ui::resource::ProgramIcon);
  frame.SetControlCursor(backId, ui::cursor::Hand);

  HistoryExit exit = HistoryExit::Back;
  context::EventPump& pump = start.pump();
  for (;;) {
    pump.NextEvent(context::PumpMode::Wait);
    if (pump.event().eventId == ui::event::CloseRequest) {
      exit = HistoryExit::CloseRequested;
      break;
    }
    if (pump.IsFrameControl(backId)) break;
    if (pump.IsFrameControl(exportId)) ExportFromWindow(start);
  }

  for (int id = frame.count(); id >= firstOwn; --id) frame.DeleteControl(id);
  if (exit == HistoryExit::Back) {
    frame.ShowTitle(previousTitle);
    for (int id = firstHidden; id <= lastHidden; ++id) frame.SetControlState(id, ui::state::Show);
  }
  return exit;
}

}  // namespace twk::sequence

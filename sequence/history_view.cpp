#include "sequence/history_view.h"

#include <vector>

#include "ui/toolkit_window.h"

namespace twk::sequence {
namespace {

constexpr int kColumnsWidth = 540;
constexpr int kAppend = 100000;  // an index beyond any row: insert after the last

}  // namespace

int ShowRebootHistory(ui::ToolkitWindow& frame, const MeasurementStore& measurements) {
  frame.SetFont(u"Lucida console", 10, 400);
  const int list = frame.CreateReportList(20, 180, 560, 230);
  if (list == 0) return 0;

  const std::vector<Text> headers = Split(u"Reboot history\nReboot time", u"\n");
  const int width = kColumnsWidth / static_cast<int>(headers.size());
  for (std::size_t i = 0; i < headers.size(); ++i) {
    (void)frame.InsertListColumn(list, static_cast<int>(i), headers[i], width);
  }

  std::int64_t sum = 0;
  std::int32_t count = 0;
  for (const RestartFigure& figure : measurements.restarts()) {
    const int row = frame.InsertListItem(list, kAppend, figure.key);
    if (row < 0) break;
    sum += figure.wholeSeconds;
    if (frame.SetListItemText(list, row, 1, figure.seconds + u" seconds")) ++count;
  }

  if (const auto average = HistoryAverage(sum, count)) {
    const int row = frame.InsertListItem(list, 0, u"Average");
    if (row >= 0 && frame.SetListItemText(list, row, 1, FormatSigned(*average) + u" seconds")) {
      ++count;
    }
  }
  return count;
}

}  // namespace twk::sequence

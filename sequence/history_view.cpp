#include "sequence/history_view.h"

#include <limits>
#include <vector>

#include "ui/toolkit_window.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

// Report view, single selection, selection always shown.
constexpr std::uint32_t kListStyle = 0x0001 | 0x0004 | 0x0008;
constexpr std::uint32_t kClientEdge = 0x00000200;      // WS_EX_CLIENTEDGE
constexpr std::uint32_t kSetExtendedStyle = 0x1036;    // LVM_SETEXTENDEDLISTVIEWSTYLE
constexpr std::uintptr_t kFullRowSelect = 0x00000020;  // LVS_EX_FULLROWSELECT
constexpr int kColumnsWidth = 540;
constexpr int kAppend = 100000;  // an index beyond any row: insert after the last

}  // namespace

std::optional<std::int32_t> HistoryAverage(std::int64_t sum, std::int32_t count) {
  if (count == 0 || sum == 0) return std::nullopt;
  const std::int64_t average = sum / count;  // truncates toward zero
  // The values are 32-bit, but rows whose time column could not be set are
  // summed without being counted, so the quotient can leave the range.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(average < kMin ? kMin : average > kMax ? kMax : average);
}

int ShowRebootHistory(ui::ToolkitWindow& frame, const settings::SettingsFile& settings) {

  frame.SetFont(u"Lucida console", 10, 400);
  const int list = frame.CreateListView(20, 180, 560, 230, kListStyle, kClientEdge);
  if (list == 0) return 0;
  frame.SendControlMessage(list, kSetExtendedStyle, kFullRowSelect, kFullRowSelect);

  const std::vector<Text> headers = Split(u"Reboot history\nReboot time", u"\n");
  const int width = kColumnsWidth / static_cast<int>(headers.size());
  for (std::size_t i = 0; i < headers.size(); ++i) {
    (void)frame.InsertListColumn(list, static_cast<int>(i), headers[i], width);
  }

  const auto header = settings.FindSection(settings::section::History);
  if (!header) return 0;
  const std::size_t end = settings.SectionEnd(*header);

  std::int64_t sum = 0;
  std::int32_t count = 0;
  // NextKeyLine takes a 0-based start and answers a 1-based line number, so
  // the answer is also where the search for the next key line begins.
  for (std::size_t line = settings.NextKeyLine(*header + 1, end); line != 0;
       line = settings.NextKeyLine(line, end)) {
    Text key, value;
    if (!settings.KeyValueAt(line, key, value)) continue;
    const int row = frame.InsertListItem(list, kAppend, key);
    if (row < 0) break;
    sum += ToInteger(value);
    if (frame.SetListItemText(list, row, 1, value + u" seconds")) ++count;
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

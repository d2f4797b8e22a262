// The headless backend's list views, charts, dialogs and sleeping: rows and columns are kept
// as texts so that tests read a list the way a user sees it.
#include <algorithm>

#include "base/strings.h"
#include "ui/headless/headless_backend.h"

namespace twk::ui {

int HeadlessBackend::InsertListColumn(Handle listView, int column, const Text& text, int width) {
  Window* w = Live(listView);
  if (w == nullptr || w->kind != ControlKind::ListView || column < 0) return -1;
  const auto at = std::min(static_cast<std::size_t>(column), w->columns.size());
  w->columns.insert(w->columns.begin() + static_cast<std::ptrdiff_t>(at), text);
  w->columnWidths.insert(w->columnWidths.begin() + static_cast<std::ptrdiff_t>(at), width);
  return static_cast<int>(at);
}

int HeadlessBackend::InsertListItem(Handle listView, int index, const Text& text) {
  Window* w = Live(listView);
  if (w == nullptr || w->kind != ControlKind::ListView || index < 0) return -1;
  if (listRowsLeft_ == 0) return -1;
  if (listRowsLeft_ > 0) --listRowsLeft_;
  const auto at = std::min(static_cast<std::size_t>(index), w->rows.size());
  w->rows.insert(w->rows.begin() + static_cast<std::ptrdiff_t>(at), std::vector<Text>{text});
  return static_cast<int>(at);
}

bool HeadlessBackend::SetListItemText(Handle listView, int item, int subItem, const Text& text) {
  Window* w = Live(listView);
  if (w == nullptr || w->kind != ControlKind::ListView || item < 0 || subItem < 0 ||
      static_cast<std::size_t>(item) >= w->rows.size() ||
      static_cast<std::size_t>(subItem) >= std::max<std::size_t>(1, w->columns.size())) {
    return false;
  }
  std::vector<Text>& row = w->rows[static_cast<std::size_t>(item)];
  if (row.size() <= static_cast<std::size_t>(subItem))
    row.resize(static_cast<std::size_t>(subItem) + 1);
  row[static_cast<std::size_t>(subItem)] = text;
  return true;
}

void HeadlessBackend::ShowMessage(Handle, const Text& title, const Text& text) {
  messages_.push_back(text);
  messageTitles_.push_back(title);
}

std::optional<Text> HeadlessBackend::ChooseSaveFile(Handle, const SaveFileRequest& request) {
  saveRequests_.push_back(request);
  return saveAnswer_;
}

void HeadlessBackend::SetChartData(Handle chart, const ChartData& data) {
  Window* w = Live(chart);
  if (w == nullptr || w->kind != ControlKind::Chart) return;
  w->chart = data;
}

void HeadlessBackend::Sleep(std::uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  if (frame() != 0) ++sleepsBesideAWindow_;
  if (advanceClock_) advanceClock_(milliseconds);
}

}  // namespace twk::ui

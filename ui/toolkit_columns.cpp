// Report lists' columns that hold what they show: each as wide as its
// header and its widest cell, the last one stretched over what the others
// leave of the list. The width a mode gives a new column is only where it
// starts: a hand-counted width cuts its header as soon as the font is not
// the one it was counted in. The texts are
// measured in the list's font by the backend; what they must hold is kept
// as they come, so that a list of many rows is measured once per cell.
#include <algorithm>
#include <numeric>

#include "ui/toolkit_window.h"

namespace twk::ui {

std::vector<int> FitColumnWidths(const std::vector<ListColumnFit>& columns, int room) {
  std::vector<int> widths;
  for (const ListColumnFit& c : columns) widths.push_back(c.need);
  if (widths.empty()) return widths;
  const int others = std::accumulate(widths.begin(), widths.end() - 1, 0);
  // A last column that does not fit keeps its own width: the list scrolls
  // sideways rather than cutting its text.
  widths.back() = std::max(widths.back(), room - others);
  return widths;
}

void ToolkitWindow::FitListColumn(int id, int column, const Text& text) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr || column < 0 || static_cast<std::size_t>(column) >= r->columns.size()) return;
  const ListRoom room = backend_.MeasureListRoom(r->window);
  const int need = backend_.MeasureText(r->window, text) + room.cellMargins;
  ListColumnFit& c = r->columns[static_cast<std::size_t>(column)];
  if (need <= c.need) return;
  c.need = need;
  ApplyColumnWidths(*r);
}

void ToolkitWindow::ApplyColumnWidths(ControlRecord& list) {
  const std::vector<int> widths =
      FitColumnWidths(list.columns, backend_.MeasureListRoom(list.window).columnsWidth);
  for (std::size_t k = 0; k < widths.size(); ++k) {
    if (widths[k] == list.columns[k].width) continue;
    if (backend_.SetListColumnWidth(list.window, static_cast<int>(k), widths[k])) {
      list.columns[k].width = widths[k];
    }
  }
}

std::vector<int> ToolkitWindow::ListColumnWidths(int id) const {
  std::vector<int> widths;
  if (const ControlRecord* r = ListView(id)) {
    for (const ListColumnFit& c : r->columns) widths.push_back(c.width);
  }
  return widths;
}

}  // namespace twk::ui

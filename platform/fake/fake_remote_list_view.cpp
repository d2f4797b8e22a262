#include "platform/fake/fake_remote_list_view.h"

namespace twk::platform {

std::int32_t FakeRemoteListViews::ItemCount(WindowHandle view) {
  return view == window && window != kNoWindow ? static_cast<std::int32_t>(items.size()) : 0;
}

ListViewHandle FakeRemoteListViews::Open(WindowHandle view) {
  if (openFails || view != window || window == kNoWindow) return 0;
  ++opens;
  ++openNow;
  open_.insert(next_);
  return next_++;
}

void FakeRemoteListViews::Close(ListViewHandle view) {
  if (open_.erase(view) != 0) --openNow;
}

bool FakeRemoteListViews::Valid(ListViewHandle view, std::int32_t item) const {
  return open_.count(view) != 0 && item >= 0 && static_cast<std::size_t>(item) < items.size();
}

bool FakeRemoteListViews::ReadPosition(ListViewHandle view, std::int32_t item, IconPoint& point) {
  if (!Valid(view, item) || positionReadFailsAt == item) return false;
  point = items[static_cast<std::size_t>(item)].position;
  return true;
}

bool FakeRemoteListViews::ReadText(ListViewHandle view, std::int32_t item, Text& text) {
  if (!Valid(view, item) || textReadFails.count(item) != 0) return false;
  text = items[static_cast<std::size_t>(item)].text;
  return true;
}

bool FakeRemoteListViews::SetPosition(ListViewHandle view, std::int32_t item, IconPoint point) {
  if (!Valid(view, item)) return false;
  ++moves;
  if (!snapsBack) items[static_cast<std::size_t>(item)].position = point;
  if (afterMove) afterMove(item);
  return true;
}

void FakeRemoteListViews::SetRedraw(ListViewHandle view, bool on) {
  if (open_.count(view) != 0) redraws.push_back(on);
}

void FakeRemoteListViews::Refresh(ListViewHandle view) {
  if (open_.count(view) != 0) ++refreshes;
}

}  // namespace twk::platform

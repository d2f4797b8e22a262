// The keyboard's way through a toolkit window: the order Tab follows and the
// button Enter presses. The order is worked out here, from the controls'
// places, rather than left to the system, which follows the order in which
// the controls were made: a mode that adds a list above buttons it made
// before would otherwise send Tab down to the buttons and back up.
#include <algorithm>

#include "ui/reading_order.h"
#include "ui/toolkit_window.h"

namespace twk::ui {

int ToolkitWindow::HostOf(int id) const {
  for (int host = 1; host <= table_.count(); ++host) {
    const ControlRecord* r = table_.Find(host);
    if (r != nullptr && r->kind == ControlKind::ChildWindow &&
        std::find(r->members.begin(), r->members.end(), id) != r->members.end()) {
      return host;
    }
  }
  return 0;
}

ToolkitWindow::Place ToolkitWindow::PlaceOf(int id) const {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr) return {};
  Place place{r->x, r->y, r->width, r->height};
  if (const ControlRecord* host = table_.Find(HostOf(id))) {
    place.x += host->x;
    place.y += host->y;
  }
  return place;
}

bool ToolkitWindow::Shown(int id) {
  for (int at = id; at != 0; at = HostOf(at)) {
    const ControlRecord* r = table_.Find(at);
    if (r == nullptr || !backend_.QueryState(r->window).visible) return false;
  }
  return true;
}

std::vector<int> ToolkitWindow::TabOrder() {
  std::vector<PlacedControl> stops;
  for (int id = 1; id <= table_.count(); ++id) {
    const ControlRecord* r = table_.Find(id);
    if (r == nullptr || !r->options.tabStop) continue;
    if (!Shown(id) || !backend_.QueryState(r->window).enabled) continue;
    const Place p = PlaceOf(id);
    stops.push_back({id, p.x, p.y, p.width, p.height});
  }
  return ReadingOrder(std::move(stops));
}

int ToolkitWindow::MoveFocus(Handle focused, bool backwards) {
  const std::vector<int> order = TabOrder();
  if (order.empty()) return 0;
  int from = focused != 0 ? table_.IdOfHandle(focused) : 0;
  // The picture of a check box stands for the box, whose text takes the focus.
  if (const ControlRecord* r = table_.Find(from); r != nullptr && r->checkBox) {
    from = r->checkBox->textId;
  }
  const auto at = std::find(order.begin(), order.end(), from);
  std::size_t next = 0;
  if (at == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const auto k = static_cast<std::size_t>(at - order.begin());
    next = backwards ? (k + order.size() - 1) % order.size() : (k + 1) % order.size();
  }
  const int id = order[next];
  backend_.MoveKeyboardFocus(table_.Find(id)->window);
  return id;
}

int ToolkitWindow::MainButton() {
  for (int id = 1; id <= table_.count(); ++id) {
    const ControlRecord* r = table_.Find(id);
    if (r == nullptr || r->kind != ControlKind::PushButton || !r->options.defaultButton) continue;
    if (Shown(id) && backend_.QueryState(r->window).enabled) return id;
  }
  return 0;
}

}  // namespace twk::ui

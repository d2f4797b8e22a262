// The headless backend's keyboard, names and measures: keys reach the
// toolkit's dialog keys as the real backend hands them over, and what a key
// leaves to the control happens as Windows' controls do it.
#include <algorithm>

#include "ui/dialog_keys.h"
#include "ui/headless/headless_backend.h"

namespace twk::ui {
namespace {

// A list's client edge on both sides and a vertical scroll bar.
constexpr int kListFrame = 4 + 17;
constexpr int kCellMargins = 12;

}  // namespace

void HeadlessBackend::PressKey(std::uint32_t key, bool shift) {
  queue_.push_back(Queued{Action::Key, focus_, Message{focus_, msg::KeyDown, key, shift ? 1 : 0}});
}

Input HeadlessBackend::DeliverKey(const Queued& q, const InputRouting& routing) {
  const Window* focused = Live(focus_);
  ToolkitWindow* dialog = routing.dialogWindow;
  if (dialog == nullptr && focused != nullptr) dialog = focused->owner;
  if (dialog == nullptr || dialog->handle() == 0) return Input::Dispatched;
  // The focus in another window (a box over the frame) is not this one's.
  const Handle mine = focused != nullptr && focused->owner == dialog ? focus_ : 0;
  const auto key = static_cast<std::uint32_t>(q.message.wParam);
  switch (TranslateDialogKey(*dialog, mine, key, q.message.lParam != 0)) {
    case KeyOutcome::CloseRequest:
      Post(dialog->handle(), msg::CloseRequest);
      return Input::Dispatched;
    case KeyOutcome::Activated:
      return key == msg::VkReturn ? Input::EnterActivated : Input::Dispatched;
    case KeyOutcome::Taken:
      return Input::Dispatched;
    case KeyOutcome::NotTaken:
      break;
  }
  if (mine == 0 || !CanTakeInput(*focused)) return Input::Dispatched;
  // A push button presses itself on Space, a link follows itself on Enter.
  if (key == msg::VkSpace && focused->kind == ControlKind::PushButton) {
    TranslateCommand(*focused->owner, focused->id, 0, focused->handle);
  } else if (key == msg::VkReturn && focused->kind == ControlKind::Link) {
    TranslateNotify(*focused->owner, focused->handle, focused->id, msg::NmReturn);
  }
  return Input::Dispatched;
}

void HeadlessBackend::MoveKeyboardFocus(Handle control) {
  if (Live(control) == nullptr) return;
  focus_ = control;
  if (Window* top = TopLevelOf(control)) top->focusMarked = true;
}

void HeadlessBackend::SetAccessibleName(Handle control, const Text& name) {
  if (Window* w = Live(control)) w->accessibleName = name;
}

int HeadlessBackend::MeasureText(Handle control, const Text& text) {
  const Window* w = Live(control);
  const double points = w != nullptr && w->hasFont ? w->font.points : 9.0;
  const int dpi = w != nullptr && w->hasFont ? w->font.dpi : kBaseDpi;
  const int perCharacter = std::max(1, ScaleToDpi(static_cast<int>(points * 2.0 / 3.0 + 0.5), dpi));
  return static_cast<int>(text.size()) * perCharacter;
}

ListRoom HeadlessBackend::MeasureListRoom(Handle listView) {
  const Window* w = Live(listView);
  if (w == nullptr || w->kind != ControlKind::ListView) return {};
  return {kCellMargins, std::max(0, w->width - kListFrame)};
}

bool HeadlessBackend::SetListColumnWidth(Handle listView, int column, int width) {
  Window* w = Live(listView);
  if (w == nullptr || w->kind != ControlKind::ListView || column < 0 ||
      static_cast<std::size_t>(column) >= w->columnWidths.size()) {
    return false;
  }
  w->columnWidths[static_cast<std::size_t>(column)] = width;
  return true;
}

}  // namespace twk::ui

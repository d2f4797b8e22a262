// Which message becomes which toolkit event. Plain C++ over the Win32
// message values, so that the table of it is tested natively.
#include "ui/message_translation.h"

#include "ui/toolkit_window.h"

namespace twk::ui {
namespace {

// Edit notifications EN_SETFOCUS, EN_KILLFOCUS, EN_CHANGE, EN_UPDATE give
// -75 .. -78; list and combo box codes 1 .. 6 give -65 .. -70.
std::int32_t EditEvent(int code) {
  switch (code) {
    case 0x100:
      return event::EditNotificationFirst;
    case 0x200:
      return event::EditNotificationFirst - 1;
    case 0x300:
      return event::EditNotificationFirst - 2;
    case 0x400:
      return event::EditNotificationFirst - 3;
    default:
      return 0;
  }
}

std::int32_t ListEvent(int code) {
  if (code >= 1 && code <= 6) return event::ListNotificationFirst - (code - 1);
  return 0;
}

// WM_COMMAND: notifications of list, combo and edit boxes, double clicks on
// pictures and labels, and the activations (a button's click, a notifying
// static's click, an accelerator).
std::optional<std::intptr_t> Command(ToolkitWindow& w, int id, int code, Handle control) {
  const ControlRecord* r = w.Control(id);
  if (r == nullptr) return std::nullopt;
  // A control of another window that happens to carry the same id.
  if (control != 0 && r->window != control) return std::nullopt;

  switch (r->kind) {
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
      if (const std::int32_t e = ListEvent(code)) w.PostEvent(e, control, id, code);
      return 0;
    case ControlKind::Edit:
      if (const std::int32_t e = EditEvent(code)) w.PostEvent(e, control, id, code);
      return 0;
    default:
      break;
  }

  // Code 0 without a control window is no click: a menu's command, or the
  // dialog manager's OK (1) and cancel (2), which name ids, not controls.
  if (code == 0 && control == 0) return std::nullopt;
  // Notification 1 without a control window is an accelerator command.
  const bool accelerator = code == 1 && control == 0;
  if (code == msg::StnDblClk && !accelerator &&
      (r->kind == ControlKind::Label || r->kind == ControlKind::IconPicture ||
       r->kind == ControlKind::SmallPicture)) {
    w.PostEvent(event::LeftDoubleClick, control, id, code);
    return 0;
  }
  // Both clicks of a double click switch an image check box.
  const bool checkBoxClick =
      r->kind == ControlKind::ImageCheckBox && (code == msg::StnClicked || code == msg::StnDblClk);
  if (checkBoxClick || code == 0 || accelerator || w.MovesWindow(*r)) {
    w.ActivateControl(id, control, static_cast<std::uintptr_t>(code));
    return 0;
  }
  return std::nullopt;
}

}  // namespace

Translation TranslateMessage(ToolkitWindow& w, const Message& m) {
  if (w.handle() == 0) return {};
  w.MarkDialogWindow();
  const Handle from = m.window;
  switch (m.message) {
    case msg::Command:
      return {Command(w, LowWord(m.wParam), static_cast<std::int16_t>(HighWord(m.wParam)),
                      static_cast<Handle>(m.lParam))};

    case msg::Close:
      // Never close at once: the mode loop decides what closing means.
      return {0, true};

    case msg::SysCommand:
      switch (static_cast<std::uint32_t>(m.wParam) & 0xFFF0) {
        case msg::ScClose:
          return {0, true};
        case msg::ScMinimize:
          w.PostEvent(event::Minimizing, from, m.wParam, 0);
          break;
        case msg::ScRestore:
          w.PostEvent(event::Restoring, from, m.wParam, 0);
          break;
        case msg::ScMaximize:
          w.PostEvent(event::Maximizing, from, m.wParam, 0);
          break;
        case msg::ScMove:
          w.PostEvent(event::Moving, from, m.wParam, 0);
          break;
        default:
          break;
      }
      return {};

    case msg::QueryEndSession:
    case msg::EndSession:
      w.PostEvent(event::SessionEnds, from, m.wParam, 0);
      return {};

    case msg::Size:
      if (m.wParam != static_cast<std::uintptr_t>(msg::SizeRestored) &&
          m.wParam != static_cast<std::uintptr_t>(msg::SizeMaximized)) {
        w.PostEvent(event::Resized, from, m.wParam, static_cast<std::uintptr_t>(m.lParam));
      }
      return {};
    case msg::Sizing:
      w.PostEvent(event::Resized, from, m.wParam, 0);
      return {};
    case msg::Moving:
      w.PostEvent(event::Moving, from, m.wParam, 0);
      return {};
    case msg::Move:
      w.PostEvent(event::Moved, from, 0, static_cast<std::uintptr_t>(m.lParam));
      return {};

    case msg::Activate:
      w.PostEvent(LowWord(m.wParam) == msg::WaInactive ? event::Deactivated : event::Activated,
                  from, m.wParam, 0);
      return {};

    case msg::ContextMenu:
      w.PostEvent(event::ContextMenu, from,
                  static_cast<std::uintptr_t>(w.IdOfHandle(static_cast<Handle>(m.wParam))),
                  static_cast<std::uintptr_t>(m.lParam));
      return {};

    default:
      break;
  }

  std::int32_t mouse = 0;
  switch (m.message) {
    case msg::LButtonDown:
      mouse = event::LeftDown;
      break;
    case msg::LButtonUp:
      mouse = event::LeftUp;
      break;
    case msg::RButtonDown:
      mouse = event::RightDown;
      break;
    case msg::RButtonUp:
      mouse = event::RightUp;
      break;
    case msg::LButtonDblClk:
      mouse = event::LeftDoubleClick;
      break;
    case msg::RButtonDblClk:
      mouse = event::RightDoubleClick;
      break;
    case msg::MouseMove:
      mouse = event::MouseMoved;
      break;
    case msg::MouseWheel:
      mouse = event::MouseWheel;
      break;
    case msg::NcLButtonDblClk:
      mouse = event::FrameDoubleClick;
      break;
    case msg::NcLButtonDown:
      mouse = event::FrameLeftDown;
      break;
    case msg::NcLButtonUp:
      mouse = event::FrameLeftUp;
      break;
    case msg::NcMouseLeave:
      mouse = event::MouseLeftFrame;
      break;
    default:
      return {};
  }
  w.PostEvent(mouse, from, m.wParam, static_cast<std::uintptr_t>(m.lParam));
  return {};
}

std::optional<std::intptr_t> TranslateCommand(ToolkitWindow& w, int id, int code, Handle control) {
  if (w.handle() == 0) return std::nullopt;
  w.MarkDialogWindow();
  return Command(w, id, code, control);
}

bool TranslateEnter(ToolkitWindow& w, Handle control, int id) {
  const ControlRecord* r = w.Control(id);
  if (r == nullptr || r->window != control || !IsClickableKind(r->kind)) return false;
  w.ActivateControl(id, control, 0);
  return true;
}

std::optional<std::intptr_t> TranslateNotify(ToolkitWindow& w, Handle from, int id, int code) {
  if (w.handle() == 0) return std::nullopt;
  const ControlRecord* r = w.Control(id);
  if (r != nullptr && r->window == from && r->kind == ControlKind::Link &&
      (code == msg::NmClick || code == msg::NmReturn)) {
    w.PostEvent(id, from, static_cast<std::uintptr_t>(code), 0);
    return 0;
  }
  // A row of a report list opened (a double click on it): the list's own
  // activation, which the loop reads like a button's click; the row is the
  // one the first click selected.
  if (r != nullptr && r->window == from && r->kind == ControlKind::ListView &&
      code == msg::LvnItemActivate) {
    w.ActivateControl(id, from, static_cast<std::uintptr_t>(code));
    return 0;
  }
  // Tooltips and custom drawing notify during the same dispatch as a click;
  // they must not overwrite the activation the loop is waiting for.
  const EventSlot& slot = w.slot();
  if (!(slot.pending && slot.eventId > 0)) {
    w.PostEvent(event::Notification, from, static_cast<std::uintptr_t>(id),
                static_cast<std::uintptr_t>(code));
  }
  return std::nullopt;
}

}  // namespace twk::ui

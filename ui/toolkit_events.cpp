// The portable half of the toolkit's window procedure: which message becomes
// which event in the slot. The backends call it while they dispatch; the
// Win32 backend first takes care of painting, colours and the frame.
#include "ui/toolkit_window.h"

namespace twk::ui {
namespace {

constexpr std::uint32_t kFlagMovesWindow = 0x1000;

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

}  // namespace

void ToolkitWindow::PostEvent(std::int32_t id, std::uint32_t message, Handle window,
                              std::uintptr_t idOrCode, std::uintptr_t extra) {
  slot_.eventId = id;
  slot_.details = EventDetails{window, message, idOrCode, extra};
  slot_.sourceWindow = this;
  slot_.pending = id != 0;
  if (id == event::CloseRequest) {
    slot_.closeRequested = true;
  } else if (id > 0) {
    slot_.closeRequested = false;
  }
}

void ToolkitWindow::MarkDialogWindow() {
  if (handle_ != 0 && backend_.IsForeground(handle_)) slot_.dialogWindow = this;
}

std::optional<std::intptr_t> ToolkitWindow::HandleMessage(const Message& m) {
  if (handle_ == 0) return std::nullopt;
  MarkDialogWindow();
  const Handle from = m.window;
  switch (m.message) {
    case msg::Command:
      return HandleCommand(m);

    case msg::Close:
      // Never close at once: the mode loop decides what closing means.
      backend_.PostToWindow(handle_, msg::CloseRequest, 0, 0);
      return 0;

    case msg::SysCommand:
      switch (static_cast<std::uint32_t>(m.wParam) & 0xFFF0) {
        case msg::ScClose:
          backend_.PostToWindow(handle_, msg::CloseRequest, 0, 0);
          return 0;
        case msg::ScMinimize:
          PostEvent(event::Minimizing, m.message, from, m.wParam, 0);
          break;
        case msg::ScRestore:
          PostEvent(event::Restoring, m.message, from, m.wParam, 0);
          break;
        case msg::ScMaximize:
          PostEvent(event::Maximizing, m.message, from, m.wParam, 0);
          break;
        case msg::ScMove:
          PostEvent(event::Moving, m.message, from, m.wParam, 0);
          break;
        default:
          break;
      }
      return std::nullopt;

    case msg::QueryEndSession:
    case msg::EndSession:
      PostEvent(event::SessionEnds, m.message, from, m.wParam, 0);
      return std::nullopt;

    case msg::Size:
      if (m.wParam != static_cast<std::uintptr_t>(msg::SizeRestored) &&
          m.wParam != static_cast<std::uintptr_t>(msg::SizeMaximized)) {
        PostEvent(event::Resized, m.message, from, m.wParam, static_cast<std::uintptr_t>(m.lParam));
      }
      return std::nullopt;
    case msg::Sizing:
      PostEvent(event::Resized, m.message, from, m.wParam, 0);
      return std::nullopt;
    case msg::Moving:
      PostEvent(event::Moving, m.message, from, m.wParam, 0);
      return std::nullopt;
    case msg::Move:
      PostEvent(event::Moved, m.message, from, 0, static_cast<std::uintptr_t>(m.lParam));
      return std::nullopt;

    case msg::Activate:
      PostEvent(LowWord(m.wParam) == msg::WaInactive ? event::Deactivated : event::Activated,
                m.message, from, m.wParam, 0);
      return std::nullopt;

    case msg::ContextMenu:
      PostEvent(event::ContextMenu, m.message, from,
                static_cast<std::uintptr_t>(table_.IdOfHandle(static_cast<Handle>(m.wParam))),
                static_cast<std::uintptr_t>(m.lParam));
      return std::nullopt;

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
      return std::nullopt;
  }
  PostEvent(mouse, m.message, from, m.wParam, static_cast<std::uintptr_t>(m.lParam));
  return std::nullopt;
}

std::optional<std::intptr_t> ToolkitWindow::HandleCommand(const Message& m) {
  const int id = LowWord(m.wParam);
  const int code = static_cast<std::int16_t>(HighWord(m.wParam));
  const Handle control = static_cast<Handle>(m.lParam);
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return std::nullopt;
  // A control of another window that happens to carry the same id.
  if (control != 0 && r->window != control) return std::nullopt;

  switch (r->kind) {
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
      if (const std::int32_t e = ListEvent(code)) PostEvent(e, m.message, control, id, code);
      return 0;
    case ControlKind::Edit:
      if (const std::int32_t e = EditEvent(code)) PostEvent(e, m.message, control, id, code);
      return 0;
    default:
      break;
  }

  // Notification 1 without a control window is an accelerator command.
  const bool accelerator = code == 1 && control == 0;
  if (code == msg::StnDblClk && !accelerator &&
      (r->kind == ControlKind::Label || r->kind == ControlKind::IconPicture ||
       r->kind == ControlKind::SmallPicture)) {
    PostEvent(event::LeftDoubleClick, m.message, control, id, code);
    return 0;
  }

  if (r->kind == ControlKind::ImageCheckBox &&
      (code == msg::StnClicked || code == msg::StnDblClk)) {
    const std::shared_ptr<ImageCheckBoxData> box = r->checkBox;
    const std::uint32_t next = box->state == state::Checked ? state::Unchecked : state::Checked;
    SetControlState(box->textId, next);
    const ControlRecord* text = table_.Find(box->textId);
    PostEvent(box->textId, m.message, text ? text->window : control, code, 0);
    return 0;
  }

  if (r->styleFlags & kFlagMovesWindow) {
    backend_.BeginCaptionDrag(handle_);
    return 0;
  }

  if (code == 0 || accelerator) {
    PostEvent(id, m.message, control, code, 0);
    return 0;
  }
  return std::nullopt;
}

std::optional<std::intptr_t> ToolkitWindow::HandleNotify(Handle from, int id, int code) {
  if (handle_ == 0) return std::nullopt;
  const ControlRecord* r = table_.Find(id);
  if (r != nullptr && r->window == from && r->kind == ControlKind::Link &&
      (code == msg::NmClick || code == msg::NmReturn)) {
    PostEvent(id, msg::Notify, from, static_cast<std::uintptr_t>(code), 0);
    return 0;
  }
  // Tooltips and custom drawing notify during the same dispatch as a click;
  // they must not overwrite the activation the loop is waiting for.
  if (!(slot_.pending && slot_.eventId > 0)) {
    PostEvent(event::Notification, msg::Notify, from, static_cast<std::uintptr_t>(id),
              static_cast<std::uintptr_t>(code));
  }
  return std::nullopt;
}

}  // namespace twk::ui

// The event pump shared by every mode window: one message in, one event out.
#include "app/application.h"
#include "platform/shell.h"

namespace twk::app {
namespace {

int LowByte(std::int32_t id) { return static_cast<std::uint8_t>(id & 0xFF); }

}  // namespace

bool Application::EnterActivatesControl(const ui::Message& m) {
  ui::ToolkitWindow* source = eventSlot.sourceWindow;
  if (source == nullptr || m.message != ui::msg::KeyDown || m.wParam != ui::msg::VkReturn) {
    return false;
  }
  const int id = ui_.ControlIdOf(m.window);
  const ui::ControlRecord* r = source->Control(id);
  if (r == nullptr || r->window != m.window || !ui::IsClickableKind(r->kind)) return false;
  ui_.SendCommand(ui_.ParentOf(m.window), id, 0, m.window);
  return true;
}

void Application::MainFrameActions() {
  if (eventSlot.sourceWindow != &mainFrame || eventSlot.eventId <= 0) return;
  const int id = eventSlot.eventId;
  // Minimising deactivates the frame and a browser start may pump messages:
  // the toolkit events that causes must not replace the one being delivered.
  const ui::EventSlot delivered = eventSlot;
  const auto keep = [&] {
    eventSlot = delivered;
    eventSlot.pending = false;
  };
  if (id == closeId) {
    eventSlot.eventId = ui::event::CloseRequest;
    eventSlot.closeRequested = true;
  } else if (id == minimizeId) {
    mainFrame.Show(ui::show::Minimize);
    keep();
  } else if (id == homeLinkId) {
    ports_.shell->OpenWebPage(HomePage());
    keep();
  } else if (id == updateLinkId) {
    ports_.shell->OpenWebPage(UpdatePage());
    keep();
  } else if (id == helpLinkId) {
    ports_.shell->OpenWebPage(HelpPage());
    keep();
  }
}

int Application::NextEvent(int mode) {
  ui::EventSlot& s = eventSlot;
  int result = 1;
  if (s.pending) {
    // An event the toolkit placed outside a fetch: delivered without reading
    // a message.
    s.pending = false;
    result = mode == mode::Wait ? 1 : LowByte(s.eventId);
  } else {
    s.eventId = 0;
    s.details = ui::EventDetails{};
    s.message = ui::Message{};

    ui::Message m;
    const ui::FetchResult fetched =
        ui_.FetchMessage(mode == mode::Wait ? ui::FetchMode::Wait : ui::FetchMode::Peek, m);
    if (fetched == ui::FetchResult::Message ||
        (fetched == ui::FetchResult::Quit && mode != mode::Wait)) {
      s.message = m;
      if (m.message == ui::msg::Null) {
        result = 1;  // the heartbeat: nothing to dispatch
      } else if (EnterActivatesControl(m)) {
        result = 1;
      } else {
        const bool closeRequest = m.message == ui::msg::CloseRequest;
        if (closeRequest) {
          s.eventId = ui::event::CloseRequest;
          s.closeRequested = true;
        }
        ui_.DispatchFetched(m, s.dialogWindow);
        result = closeRequest || mode != mode::Poll ? 1 : LowByte(s.eventId);
      }
      // Whatever the dispatch placed in the slot is delivered by this call;
      // left pending it would reach the loop a second time.
      s.pending = false;
    } else if (mode == mode::Wait) {
      s.eventId = ui::event::LoopEnded;  // quit message or failed fetch
      s.pending = false;
    } else {
      return 0;  // nothing waiting
    }
  }

  if (s.eventId == ui::event::SessionEnds) {
    s.eventId = ui::event::CloseRequest;
    s.closeRequested = true;
  }
  MainFrameActions();
  return mode == mode::Wait ? 1 : result;
}

int Application::SetControlsEnabled(int first, int last, bool disable) {
  int changed = 0;
  for (int id = first; id <= last; ++id) {
    const ui::ControlRecord* r = mainFrame.Control(id);
    if (r == nullptr || r->kind == ui::ControlKind::Label) continue;
    const bool before = mainFrame.IsControlEnabled(id);
    mainFrame.SetControlState(id, disable ? ui::state::Disable : ui::state::Enable);
    if (mainFrame.IsControlEnabled(id) != before) ++changed;
  }
  while (NextEvent(mode::Poll) != 0) {
  }
  return changed;
}

}  // namespace twk::app

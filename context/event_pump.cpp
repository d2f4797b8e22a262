// The event pump shared by every mode window: one message in, one event out.
#include "context/event_pump.h"

#include "ui/message_translation.h"

namespace twk::context {
namespace {

int LowByte(std::int32_t id) { return static_cast<std::uint8_t>(id & 0xFF); }

}  // namespace

bool EventPump::EnterActivatesControl(const ui::Message& m) {
  ui::ToolkitWindow* source = slot_.sourceWindow;
  if (source == nullptr || m.message != ui::msg::KeyDown || m.wParam != ui::msg::VkReturn) {
    return false;
  }
  const int id = ui_.ControlIdOf(m.window);
  const ui::ControlRecord* r = source->Control(id);
  if (r == nullptr || r->window != m.window || !ui::IsClickableKind(r->kind)) return false;
  ui_.SendCommand(ui_.ParentOf(m.window), id, 0, m.window);
  return true;
}

void EventPump::HeaderActions() {
  if (slot_.sourceWindow != &frame_ || slot_.eventId <= 0) return;
  const int id = slot_.eventId;
  // Minimising deactivates the frame and a browser start may pump messages:
  // the toolkit events that causes must not replace the one being delivered.
  const ui::EventSlot delivered = slot_;
  const auto keep = [&] {
    slot_ = delivered;
    slot_.pending = false;
  };
  if (id == frame_.header().close) {
    slot_.eventId = ui::event::CloseRequest;
    slot_.closeRequested = true;
  } else if (id == frame_.header().minimize) {
    frame_.Show(ui::show::Minimize);
    keep();
  } else if (id == frame_.header().homeLink) {
    shell_.OpenWebPage(HomePage());
    keep();
  } else if (id == frame_.header().updateLink) {
    shell_.OpenWebPage(UpdatePage());
    keep();
  } else if (id == frame_.header().helpLink) {
    shell_.OpenWebPage(HelpPage());
    keep();
  }
}

int EventPump::NextEvent(PumpMode mode) {
  ui::EventSlot& s = slot_;
  int result = 1;
  if (s.pending) {
    // An event the toolkit placed outside a fetch: delivered without reading
    // a message.
    s.pending = false;
    result = mode == PumpMode::Wait ? 1 : LowByte(s.eventId);
  } else {
    s.eventId = 0;
    s.details = ui::EventDetails{};
    s.message = ui::Message{};

    ui::Message m;
    const ui::FetchResult fetched =
        ui_.FetchMessage(mode == PumpMode::Wait ? ui::FetchMode::Wait : ui::FetchMode::Peek, m);
    if (fetched == ui::FetchResult::Message ||
        (fetched == ui::FetchResult::Quit && mode != PumpMode::Wait)) {
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
        result = closeRequest || mode != PumpMode::Poll ? 1 : LowByte(s.eventId);
      }
      // Whatever the dispatch placed in the slot is delivered by this call;
      // left pending it would reach the loop a second time.
      s.pending = false;
    } else if (mode == PumpMode::Wait) {
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
  HeaderActions();
  return mode == PumpMode::Wait ? 1 : result;
}

int EventPump::SetControlsEnabled(int first, int last, ControlsState state) {
  int changed = 0;
  for (int id = first; id <= last; ++id) {
    const ui::ControlRecord* r = frame_.Control(id);
    if (r == nullptr || r->kind == ui::ControlKind::Label) continue;
    const bool before = frame_.IsControlEnabled(id);
    frame_.SetControlState(
        id, state == ControlsState::Disabled ? ui::state::Disable : ui::state::Enable);
    if (frame_.IsControlEnabled(id) != before) ++changed;
  }
  while (NextEvent(PumpMode::Poll) != 0) {
  }
  return changed;
}

EventPump::EventPump(ui::WindowBackend& ui, platform::Shell& shell, MainFrame& frame,
                     ui::EventSlot& slot)
    : ui_(ui), shell_(shell), frame_(frame), slot_(slot) {}

void EventPump::DispatchPending() {
  // PeekMessageW with PM_REMOVE and DispatchMessageW: no dialog manager.
  ui::Message m;
  for (;;) {
    const ui::FetchResult fetched = ui_.FetchMessage(ui::FetchMode::Peek, m);
    if (fetched != ui::FetchResult::Message && fetched != ui::FetchResult::Quit) return;
    ui_.DispatchFetched(m, nullptr);
  }
}

Text EventPump::HomePage() { return Text(kPublisherAddress) + u"/"; }

Text EventPump::UpdatePage() {
  // The version is kept as 8-bit text; it is plain ASCII, so widening each
  // byte is the conversion.
  Text version;
  for (const char* p = kProgramVersion; *p != '\0'; ++p) version += static_cast<char16_t>(*p);
  return Text(kPublisherAddress) + u"/twk/about.php?ver=" + version;
}

Text EventPump::HelpPage() { return Text(kPublisherAddress) + u"/twk/"; }

}  // namespace twk::context

// The event pump shared by every mode window: one input in, one event out.
#include "context/event_pump.h"

namespace twk::context {
namespace {

int LowByte(std::int32_t id) { return static_cast<std::uint8_t>(id & 0xFF); }

}  // namespace

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
    frame_.Show(ui::ShowCommand::Minimize);
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
    // the queue.
    s.pending = false;
    s.input = ui::Input::Nothing;
    result = mode == PumpMode::Wait ? 1 : LowByte(s.eventId);
  } else {
    s.eventId = 0;
    s.details = ui::EventDetails{};
    const ui::Input in =
        ui_.NextInput(mode == PumpMode::Wait ? ui::FetchMode::Wait : ui::FetchMode::Peek,
                      ui::InputRouting{s.dialogWindow, s.sourceWindow});
    s.input = in;
    switch (in) {
      case ui::Input::Heartbeat:
      case ui::Input::EnterActivated:
        result = 1;
        break;
      case ui::Input::CloseRequest:
        s.eventId = ui::event::CloseRequest;
        s.closeRequested = true;
        result = 1;
        break;
      case ui::Input::Quit:
        if (mode == PumpMode::Wait) {
          s.eventId = ui::event::LoopEnded;
          break;
        }
        // Polling, a quit message counts as one that made no event.
        result = mode == PumpMode::Poll ? 0 : 1;
        break;
      case ui::Input::Dispatched:
      case ui::Input::Nothing:
        result = mode != PumpMode::Poll ? 1 : LowByte(s.eventId);
        break;
      case ui::Input::None:
      case ui::Input::Failed:
        if (mode != PumpMode::Wait) return 0;  // nothing waiting
        s.eventId = ui::event::LoopEnded;
        break;
    }
    // Whatever the dispatch placed in the slot is delivered by this call;
    // left pending it would reach the loop a second time.
    s.pending = false;
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
  // Plain dispatch: no dialog manager, no Enter rule.
  for (;;) {
    const ui::Input in = ui_.NextInput(ui::FetchMode::Peek, ui::InputRouting{});
    if (in == ui::Input::None || in == ui::Input::Failed) return;
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

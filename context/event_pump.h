#pragma once
// The event pump shared by every mode window: one input in, one event out.
// It also carries out what the frame's header asks for (close, minimise, the
// web links) and lets Enter activate the focused push button or check box.
#include <cstdint>

#include "context/main_frame.h"
#include "platform/shell.h"
#include "ui/event_slot.h"
#include "ui/window_backend.h"

namespace twk::context {

enum class PumpMode {
  Wait,       // waits for the next input; always answers 1
  Poll,       // does not wait; 0 when nothing was waiting, else the low byte of the event id
  PollCount,  // does not wait; 0 when nothing was waiting, else 1
};

enum class ControlsState { Enabled, Disabled };

class EventPump {
 public:
  EventPump(ui::WindowBackend& ui, platform::Shell& shell, MainFrame& frame, ui::EventSlot& slot);

  // Fetches one input and turns it into the event in slot().
  int NextEvent(PumpMode mode);
  // The event of the last fetch; a mode may clear it once it has acted on it.
  ui::EventSlot& slot() { return slot_; }
  const ui::EventSlot& event() const { return slot_; }
  // Whether the last event is the activation of control id of the frame.
  bool IsFrameControl(int id) const {
    return slot_.sourceWindow == &frame_ && id > 0 && slot_.eventId == id;
  }

  // Enables or disables the frame's controls first..last (labels excepted),
  // then drains the events that caused. Returns how many changed state.
  int SetControlsEnabled(int first, int last, ControlsState state);
  // Drains the queue without waiting and without the dialog manager.
  void DispatchPending();

  // The control whose activation ends a wait for a launched program as
  // cancelled; 0 = none.
  void SetCancelControl(int id) { cancelControl_ = id; }
  int cancelControl() const { return cancelControl_; }

  static Text HomePage();
  static Text UpdatePage();
  static Text HelpPage();

 private:
  void HeaderActions();

  ui::WindowBackend& ui_;
  platform::Shell& shell_;
  MainFrame& frame_;
  ui::EventSlot& slot_;
  int cancelControl_ = 0;
};

}  // namespace twk::context

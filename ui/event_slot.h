#pragma once
// The one event record of the program: the toolkit's window procedures write
// into it, the event pump (Application::NextEvent) fills it per fetch, and the
// mode loops read it.
#include <cstdint>

#include "ui/types.h"

namespace twk::ui {

class ToolkitWindow;

namespace event {
inline constexpr std::int32_t None = 0;
inline constexpr std::int32_t Resized = -4;
inline constexpr std::int32_t CloseRequest = -6;
inline constexpr std::int32_t Minimizing = -7;
inline constexpr std::int32_t Restoring = -8;
inline constexpr std::int32_t Maximizing = -9;
inline constexpr std::int32_t LeftDown = -10;
inline constexpr std::int32_t LeftUp = -11;
inline constexpr std::int32_t RightDown = -12;
inline constexpr std::int32_t RightUp = -13;
inline constexpr std::int32_t LeftDoubleClick = -14;
inline constexpr std::int32_t RightDoubleClick = -15;
inline constexpr std::int32_t MouseMoved = -16;
inline constexpr std::int32_t MouseWheel = -17;
inline constexpr std::int32_t FrameDoubleClick = -18;
inline constexpr std::int32_t Activated = -19;
inline constexpr std::int32_t Deactivated = -20;
inline constexpr std::int32_t CursorSet = -21;
inline constexpr std::int32_t ContextMenu = -22;
inline constexpr std::int32_t MouseLeftFrame = -23;
inline constexpr std::int32_t Moving = -24;
inline constexpr std::int32_t Moved = -25;
inline constexpr std::int32_t Notification = -26;
inline constexpr std::int32_t FrameLeftDown = -27;
inline constexpr std::int32_t FrameLeftUp = -28;
inline constexpr std::int32_t SessionEnds = -31;
inline constexpr std::int32_t ListNotificationFirst = -65;  // -65 .. -70
inline constexpr std::int32_t EditNotificationFirst = -75;  // -75 .. -78
inline constexpr std::int32_t LoopEnded = -300;
}  // namespace event

// What PostEvent records beside the event id, cleared before every fetch.
struct EventDetails {
  Handle window = 0;  // the control or window the event came from
  // The control id or the notification code for control events, else the
  // message's first parameter.
  std::uintptr_t idOrCode = 0;
  // The notification code of list box, combo box, edit and WM_NOTIFY
  // notifications, else the message's second parameter (a cursor position
  // or a size) or 0.
  std::uintptr_t extra = 0;
};

struct EventSlot {
  std::int32_t eventId = 0;
  EventDetails details;
  // What the fetch that delivered this event brought.
  Input input = Input::Nothing;
  ToolkitWindow* sourceWindow = nullptr;
  ToolkitWindow* dialogWindow = nullptr;
  bool pending = false;
  bool closeRequested = false;
};

}  // namespace twk::ui

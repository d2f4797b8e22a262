#pragma once
// Plain types shared by the toolkit, its two backends and the event pump.
// Handles are opaque numbers: the Win32 backend stores HWND, HBITMAP and the
// like in them, the headless backend numbers its recorded objects.
#include <cstdint>
#include <string>

#include "base/text.h"

namespace twk::ui {

using Handle = std::uintptr_t;  // 0 = none
using Colour = std::int32_t;    // 0x00BBGGRR; negative = none

// What one fetch of the event pump brought. Dispatched: input went to the
// windows, and whatever event it made is in the slot.
enum class Input {
  Nothing,  // no fetch yet, or an event the toolkit placed without one
  Dispatched,
  Heartbeat,       // the 20 ms wake-up: nothing to dispatch
  EnterActivated,  // Enter on a clickable control of the enter window activated it
  CloseRequest,    // the toolkit's own close request
  None,            // Peek: nothing was waiting
  Quit,
  Failed,
};

// Window and control styles the modes ask for, with the Win32 values.
namespace style {
inline constexpr std::uint32_t Centred = 0x0001;            // SS_CENTER
inline constexpr std::uint32_t TabStop = 0x00010000;        // WS_TABSTOP
inline constexpr std::uint32_t ControlParent = 0x00010000;  // WS_EX_CONTROLPARENT (extended)
// The push button that Enter presses in a dialog.
inline constexpr std::uint32_t DefaultButton = 0x0001;  // BS_DEFPUSHBUTTON
}  // namespace style

// What an edit field takes: any text scrolling sideways, or a password
// shown as dots (which scrolls too).
enum class EditKind { AutoScroll, Password };

// System cursors by their resource ids.
namespace cursor {
inline constexpr int Hand = 32649;  // IDC_HAND
}  // namespace cursor

// Show commands passed through to ShowWindow.
namespace show {
inline constexpr int Hide = 0;
inline constexpr int Normal = 1;
inline constexpr int Show = 5;
inline constexpr int Minimize = 6;
inline constexpr int Restore = 9;
}  // namespace show

}  // namespace twk::ui

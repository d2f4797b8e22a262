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

// How a control looks and takes the keyboard, besides its kind; what a
// backend makes of it is its own business.
struct ControlOptions {
  bool tabStop = false;        // Tab stops on it
  bool defaultButton = false;  // push buttons: the one Enter presses in a dialog
  bool centred = false;        // labels: the text centred in its box
};

// What an edit field takes: any text scrolling sideways, or a password
// shown as dots (which scrolls too).
enum class EditKind { AutoScroll, Password };

// The system cursors a control can show over itself.
enum class Cursor { None, Hand };

// How a top-level window is shown: Normal shows and activates it in its
// restored size, Show shows it as it was, Restore brings it back from the
// taskbar.
enum class ShowCommand { Hide, Normal, Show, Minimize, Restore };

// What a top window's taskbar button shows of a wait: nothing, a wait of
// unknown length, the part of a known one that has passed, or that part
// held (paused).
enum class TaskbarProgress { None, Indeterminate, Normal, Paused };

// The program's layout is given in pixels at 96 dots per inch; at another
// display scale every place, size and font height is that length times
// dpi / 96, rounded to the nearest pixel with halves away from zero (as
// Windows' MulDiv rounds), so that nothing moves at 96.
inline constexpr int kBaseDpi = 96;
constexpr int ScaleToDpi(int length, int dpi) {
  const long long product = static_cast<long long>(length) * dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi
                                       : -((-product + half) / kBaseDpi));
}

// The font of a control.
struct FontParams {
  Text face = u"Arial";  // at most 31 characters are used
  double points = 9.0;   // 0 = no font of its own
  int weight = 400;
  // Bit value 2 italic, 4 underline, 8 strike-out (bit 0 is always set by
  // the toolkit and means nothing to the font).
  std::uint8_t attributes = 1;
  std::uint8_t quality = 0;  // 0 = the toolkit's default (anti-aliased)
  int dpi = kBaseDpi;        // the display scale: the height is FontHeightAt(points, dpi)
};

}  // namespace twk::ui

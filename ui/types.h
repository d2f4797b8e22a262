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

// One fetched window message, the portable twin of MSG.
struct Message {
  Handle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::uint32_t time = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Window and control styles the modes ask for, with the Win32 values.
namespace style {
inline constexpr std::uint32_t Centred = 0x0001;           // SS_CENTER
inline constexpr std::uint32_t TabStop = 0x00010000;       // WS_TABSTOP
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

inline std::uint16_t LowWord(std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
inline std::uint16_t HighWord(std::uintptr_t v) {
  return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
inline std::uintptr_t MakeWParam(std::uint16_t low, std::uint16_t high) {
  return static_cast<std::uintptr_t>(low) | (static_cast<std::uintptr_t>(high) << 16);
}

}  // namespace twk::ui

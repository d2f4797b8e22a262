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

// The window message numbers and codes the portable code reads. They are the
// Win32 values; ui/win32 checks them against <windows.h> at compile time.
namespace msg {
inline constexpr std::uint32_t Null = 0x0000;
inline constexpr std::uint32_t Move = 0x0003;
inline constexpr std::uint32_t Size = 0x0005;
inline constexpr std::uint32_t Activate = 0x0006;
inline constexpr std::uint32_t SetFocus = 0x0007;
inline constexpr std::uint32_t KillFocus = 0x0008;
inline constexpr std::uint32_t Close = 0x0010;
inline constexpr std::uint32_t QueryEndSession = 0x0011;
inline constexpr std::uint32_t Quit = 0x0012;
inline constexpr std::uint32_t EndSession = 0x0016;
inline constexpr std::uint32_t SetCursor = 0x0020;
inline constexpr std::uint32_t Notify = 0x004E;
inline constexpr std::uint32_t ContextMenu = 0x007B;
inline constexpr std::uint32_t NcLButtonDown = 0x00A1;
inline constexpr std::uint32_t NcLButtonUp = 0x00A2;
inline constexpr std::uint32_t NcLButtonDblClk = 0x00A3;
inline constexpr std::uint32_t KeyDown = 0x0100;
inline constexpr std::uint32_t KeyUp = 0x0101;
inline constexpr std::uint32_t Char = 0x0102;
inline constexpr std::uint32_t SysKeyDown = 0x0104;
inline constexpr std::uint32_t Command = 0x0111;
inline constexpr std::uint32_t SysCommand = 0x0112;
inline constexpr std::uint32_t MouseMove = 0x0200;
inline constexpr std::uint32_t LButtonDown = 0x0201;
inline constexpr std::uint32_t LButtonUp = 0x0202;
inline constexpr std::uint32_t LButtonDblClk = 0x0203;
inline constexpr std::uint32_t RButtonDown = 0x0204;
inline constexpr std::uint32_t RButtonUp = 0x0205;
inline constexpr std::uint32_t RButtonDblClk = 0x0206;
inline constexpr std::uint32_t MouseWheel = 0x020A;
inline constexpr std::uint32_t Sizing = 0x0214;
inline constexpr std::uint32_t Moving = 0x0216;
inline constexpr std::uint32_t NcMouseLeave = 0x02A2;
// The toolkit's own close request, posted for WM_CLOSE and SC_CLOSE.
inline constexpr std::uint32_t CloseRequest = 0x0CAE;

inline constexpr std::uint32_t ScSize = 0xF000;
inline constexpr std::uint32_t ScMove = 0xF010;
inline constexpr std::uint32_t ScMinimize = 0xF020;
inline constexpr std::uint32_t ScMaximize = 0xF030;
inline constexpr std::uint32_t ScClose = 0xF060;
inline constexpr std::uint32_t ScRestore = 0xF120;

inline constexpr std::uint32_t VkReturn = 0x0D;
inline constexpr std::uint32_t VkTab = 0x09;

inline constexpr int StnClicked = 0;
inline constexpr int StnDblClk = 1;
inline constexpr int NmClick = -2;
inline constexpr int NmReturn = -4;
inline constexpr int WaInactive = 0;
inline constexpr int SizeRestored = 0;
inline constexpr int SizeMaximized = 2;
}  // namespace msg

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

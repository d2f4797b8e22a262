#pragma once
// Window messages into toolkit events: the one place that knows which
// message, command or notification means which event. The backends call it
// while they dispatch (the Win32 backend after it has taken care of painting,
// colours and the frame); the toolkit window itself only ever sees events.
#include <cstdint>
#include <optional>

#include "ui/types.h"

namespace twk::ui {

class ToolkitWindow;

// One window message as the backends hand it over: the portable twin of MSG.
struct Message {
  Handle window = 0;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

inline std::uint16_t LowWord(std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
inline std::uint16_t HighWord(std::uintptr_t v) {
  return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
inline std::uintptr_t MakeWParam(std::uint16_t low, std::uint16_t high) {
  return static_cast<std::uintptr_t>(low) | (static_cast<std::uintptr_t>(high) << 16);
}

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
inline constexpr int LvnItemActivate = -114;
inline constexpr int WaInactive = 0;
inline constexpr int SizeRestored = 0;
inline constexpr int SizeMaximized = 2;
}  // namespace msg

// What a message came to: the answer for the window procedure (none: the
// default processing follows), and whether the backend must post the close
// request to the window, so that the mode loop decides what closing means.
struct Translation {
  std::optional<std::intptr_t> answer;
  bool postCloseRequest = false;
};

Translation TranslateMessage(ToolkitWindow& window, const Message& message);
// WM_COMMAND, unpacked: the control's id, its notification code, its window
// (0 for an accelerator).
std::optional<std::intptr_t> TranslateCommand(ToolkitWindow& window, int id, int code,
                                              Handle control);
// WM_NOTIFY, unpacked by the backend: control window, control id, code.
std::optional<std::intptr_t> TranslateNotify(ToolkitWindow& window, Handle from, int id, int code);
// Enter pressed on window `control` whose child id is `id`: when that is a
// clickable control (buttons, check boxes) of `window`, it is activated as a
// click would, and the key goes no further. True when it was.
bool TranslateEnter(ToolkitWindow& window, Handle control, int id);

}  // namespace twk::ui

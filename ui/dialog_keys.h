#pragma once
// The keys every toolkit window answers the same way, whichever backend
// fetched them: Tab and Shift+Tab move through the controls in reading
// order, Enter presses the focused button or the window's main one, Space
// switches a focused check box, Escape does what the window's close button
// does. The backends hand a key pressed in their dialog window here before
// anything else sees it; what is not taken goes on to the control.
#include <cstdint>

#include "ui/types.h"

namespace twk::ui {

class ToolkitWindow;

namespace msg {
// Virtual-key codes besides Enter and Tab (message_translation.h).
inline constexpr std::uint32_t VkEscape = 0x1B;
inline constexpr std::uint32_t VkSpace = 0x20;
}  // namespace msg

enum class KeyOutcome {
  NotTaken,      // the control has it, as if the toolkit were not there
  Taken,         // done: the key goes no further
  Activated,     // Enter (or Space) activated a control; its event is in the slot
  CloseRequest,  // the backend posts the window's close request
};

// A key went down in `window` while the control whose window is `focused`
// (0: none of its controls) had the focus.
KeyOutcome TranslateDialogKey(ToolkitWindow& window, Handle focused, std::uint32_t key, bool shift);

}  // namespace twk::ui

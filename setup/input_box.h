#pragma once
// A small skinned window of its own that shows a prompt and a masked edit
// box, for the auto-logon password. It waits on the start's event pump, so
// the caller goes on only once the box has closed; while it is open the
// events of the caller's window are consumed here and lost.
#include "base/strings.h"

namespace twk::context {
class StartContext;
}

namespace twk::setup {

inline constexpr char16_t kInputBoxClass[] = u"TWK_MSG_CLASS";
inline constexpr char16_t kInputBoxTitle[] = u"TWK Input Box";

// 1 when the user confirmed with "OK": result then holds the edit box's text
// (empty when the box was empty). 0 when the box was cancelled or closed, or
// any close request reached the pump while it was open: result is left as
// it was. result's text is shown in the edit box at first. What was typed is
// wiped from the box before it is destroyed; the caller wipes result once it
// has used it.
[[nodiscard]] int ShowInputBox(context::StartContext& start, const Text& prompt, Text& result);

}  // namespace twk::setup

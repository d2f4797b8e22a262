#include "ui/dialog_keys.h"

#include "ui/message_translation.h"
#include "ui/toolkit_window.h"

namespace twk::ui {

KeyOutcome TranslateDialogKey(ToolkitWindow& w, Handle focused, std::uint32_t key, bool shift) {
  if (w.handle() == 0) return KeyOutcome::NotTaken;
  const int id = focused != 0 ? w.IdOfHandle(focused) : 0;
  const ControlRecord* r = w.Control(id);
  switch (key) {
    case msg::VkTab:
      w.MoveFocus(focused, shift);
      return KeyOutcome::Taken;

    case msg::VkEscape:
      // Never through the system's dialog manager, which answers Escape with
      // a command of the cancel id (2): in these windows that id belongs to
      // whatever control was made second.
      return KeyOutcome::CloseRequest;

    case msg::VkReturn:
      // A link follows itself: it tells its window, as its click does.
      if (r != nullptr && r->kind == ControlKind::Link) return KeyOutcome::NotTaken;
      // A focused button is pressed, as the dialog manager does it.
      if (r != nullptr && (IsClickableKind(r->kind) || r->kind == ControlKind::PushButton)) {
        w.ActivateControl(id, focused, 0);
        return KeyOutcome::Activated;
      }
      // A list opens its selected row, as a double click on it does.
      if (r != nullptr && r->kind == ControlKind::ListView && w.SelectedListRow(id) >= 0) {
        w.ActivateControl(id, focused, static_cast<std::uintptr_t>(msg::LvnItemActivate));
        return KeyOutcome::Activated;
      }
      if (const int main = w.MainButton()) {
        w.ActivateControl(main, w.Control(main)->window, 0);
        return KeyOutcome::Activated;
      }
      // Taken all the same: the dialog manager would send the command of the
      // OK id (1), the window's first control.
      return KeyOutcome::Taken;

    case msg::VkSpace:
      // Push buttons press themselves; a check box of the toolkit's is a
      // picture and a text, which know no keys.
      if (r != nullptr && r->kind == ControlKind::ImageCheckBox) {
        w.ActivateControl(id, focused, 0);
        return KeyOutcome::Activated;
      }
      return KeyOutcome::NotTaken;

    default:
      return KeyOutcome::NotTaken;
  }
}

}  // namespace twk::ui

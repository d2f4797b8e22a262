// A sequence started by a script: the setup's own start, with the boxes set
// from the command line instead of by a user, and no window shown.
#include "context/scripted_start.h"

#include "context/start_context.h"
#include "platform/identity.h"
#include "setup/setup_window.h"
#include "setup/setup_window_impl.h"

namespace twk::setup {

int SetupWindow::RunScripted(const context::ScriptedStart& choices) {
  // The restart at the end needs the shutdown privilege, as from the window.
  start_.ports().identity->EnablePrivileges();
  // The same controls as the window has, in the frame that stays hidden: the
  // start below reads, checks and corrects them just as after a click.
  CreateControls();
  frame_.SetControlText(timesId_, choices.totalReboots);
  frame_.SetControlText(delayId_, choices.delayMinutes);
  const auto tick = [this](int id, bool on) {
    frame_.SetControlState(id, on ? ui::state::Checked : ui::state::Unchecked);
  };
  tick(reportBoxId_, !choices.noReport);
  tick(defragBoxId_, choices.defrag);
  tick(idleBoxId_, choices.idleTasks);
  tick(iconsBoxId_, choices.icons);
  // The auto-logon boxes stay as the controls found the machine: a password
  // never travels on a command line, so nothing here switches it on, and
  // the switch-off at the end is only ever chosen by a user at the window.

  WarnOfWaitingUpdates(true);
  if (OnStartOperation() == Next::End) return 0;
  Text reason = frame_.GetControlText(statusId_);
  if (!restartRefusal_.empty()) reason += u" (" + restartRefusal_ + u")";
  start_.TellCaller(u"Tarnwick did not start the sequence: " + reason);
  return 1;
}

int StartFromScript(context::StartContext& start, const SetupOperations& operations,
                    const context::ScriptedStart& choices) {
  return SetupWindow(start, operations).RunScripted(choices);
}

}  // namespace twk::setup

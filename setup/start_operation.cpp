// "  Start operation": the chosen pre-operations in their fixed order, the
// first reboot step registered at logon, the first shutdown stamped, the
// settings saved and the computer restarted.
#include "context/start_context.h"
#include "platform/clock.h"
#include "platform/port_handle.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/registry_path.h"
#include "sequence/launch.h"
#include "sequence/reboot_step.h"
#include "sequence/time_stamps.h"
#include "settings/catalogue.h"
#include "setup/setup_window_impl.h"

namespace twk::setup {
namespace {

namespace key = settings::key;
namespace section = settings::section;

using platform::OwnedKey;

}  // namespace

Text SetupWindow::CheckedTimes() {
  Text text = frame_.GetControlText(timesId_);
  const std::int32_t times = ToInteger(text);
  if (times < settings::MinTimesToReboot || times > settings::MaxTimesToReboot) {
    text = settings::DefaultNumberText;
    frame_.SetControlText(timesId_, text);
  }
  return text;
}

Text SetupWindow::CheckedDelay() {
  Text text = frame_.GetControlText(delayId_);
  // Below one minute there is nothing to count down; a negative number
  // would become a countdown of decades once read as unsigned.
  if (ToInteger(text) < 1) {
    text = settings::DefaultNumberText;
    frame_.SetControlText(delayId_, text);
  }
  return text;
}

SetupWindow::Next SetupWindow::OnStartOperation() {
  const platform::Ports& ports = start_.ports();
  EnableOptions(false);
  SetBusyState(u"Preparing for first reboot...", Text(u"  Cancel all"), true);

  const Text timesText = CheckedTimes();
  start_.ChooseSequence(static_cast<std::uint32_t>(ToInteger(timesText)));
  settings_.SetValue(section::Setup, key::TimesToReboot, timesText);
  const Text delayText = CheckedDelay();
  settings_.SetValue(section::Setup, key::RebootDelay, delayText);
  settings_.SetValue(
      section::Setup, key::NoReport,
      frame_.IsControlChecked(reportBoxId_) ? settings::SwitchOff : settings::SwitchOn);

  // The numbers as typed (and checked): the start-up reads them back.
  const Text commandLine = u"\"" + start_.paths().programPath +
                           u"\" /CurrentReboot:2 /TotalReboots:" + timesText + u" /Delay:" +
                           delayText;
  platform::Registry& registry = *ports.registry;
  OwnedKey runKey(registry, sequence::OpenRunKey(registry, start_.user().sid).value);
  // Without the value nothing would start after the restart: the sequence
  // would end unseen, and the next restart, whenever it came, would count
  // as one. Nothing is restarted then.
  if (!runKey || registry.SetString(runKey.get(), sequence::kRunValueName, commandLine) !=
                     platform::Status::Ok) {
    SetBusyState(kNotRegistered, std::nullopt, false);
    EnableOptions(true);
    return Next::Stay;
  }

  // The window was closed while a tool ran: nothing restarts now, so
  // nothing may start at the next logon either.
  const auto cancel = [&] {
    SetBusyState(kCancelled, std::nullopt, false);
    EnableOptions(true);
    if (runKey) (void)registry.DeleteValue(runKey.get(), sequence::kRunValueName);
    return Next::Stay;
  };

  // A click on the Start button ends the wait for a tool (which keeps
  // running) and the sequence goes on with its next step.
  if (frame_.IsControlChecked(defragBoxId_)) {
    SetStatus(u"Defragging the system partition...");
    settings_.SetValue(section::Setup, key::DefragBefore, settings::SwitchOn);
    if (Optimize() == sequence::WaitResult::Closing) return cancel();
  }
  if (frame_.IsControlChecked(idleBoxId_)) {
    SetStatus(u"Processing idle tasks...");
    settings_.SetValue(section::Setup, key::ProcessIdleTasks, settings::SwitchOn);
    if (ProcessIdleTasks() == sequence::WaitResult::Closing) return cancel();
  }
  if (frame_.IsControlChecked(iconsBoxId_)) {
    SetStatus(u"Backing up the current desktop icons' layout...");
    settings_.SetValue(section::Setup, key::BackupRestoreIcons, settings::SwitchOn);
    SetBusyState(BackupIcons() ? u"Desktop icons' layout successfully saved."
                               : u"Desktop icons' layout could not be saved.",
                 std::nullopt, false);
  }
  if (frame_.IsControlChecked(disableBoxId_)) {
    settings_.SetValue(section::PostOperation, key::DisableAutoLogon, settings::SwitchOn);
  } else {
    settings_.DeleteKey(section::PostOperation, key::DisableAutoLogon);
  }

  sequence::RecordTimeStamp(settings_, *ports.clock, start_.run().currentReboot,
                            sequence::TimeStampKind::SequenceStart);
  // Complete now: nothing may be written while the system shuts down.
  (void)settings_.SaveNow();

  Text refusal;
  if (ports.power->RequestRestart(refusal)) return Next::End;
  restartRefusal_ = refusal;

  // Refused: nothing restarts, so the registered step must not start at the
  // next logon, when the user has long forgotten it.
  if (runKey) (void)registry.DeleteValue(runKey.get(), sequence::kRunValueName);
  SetBusyState(u"The computer could not be restarted.", std::nullopt, false);
  EnableOptions(true);
  // The setup goes on: what it changes from here is saved as it ends.
  settings_.SaveWhenClosed();
  return Next::Stay;
}

}  // namespace twk::setup

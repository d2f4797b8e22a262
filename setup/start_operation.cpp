// "  Start operation": the chosen pre-operations in their fixed order, the
// first reboot step registered at logon, the first shutdown stamped, the
// settings saved and the computer restarted.
#include "context/start_context.h"
#include "maintenance/physical_disk.h"
#include "platform/accounts.h"
#include "platform/clock.h"
#include "platform/port_handle.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/registry_path.h"
#include "sequence/launch.h"
#include "sequence/measurement_store.h"
#include "sequence/reboot_step.h"
#include "sequence/restart_marks.h"
#include "settings/catalogue.h"
#include "setup/setup_window_impl.h"

namespace twk::setup {
namespace {

namespace key = settings::key;
namespace section = settings::section;

using platform::OwnedKey;

}  // namespace

// The boxes' numbers as read, never their text: "2 /CurrentReboot:3" reads
// as 2, and only the 2 may reach the settings and the next start's command
// line. The box then shows what is used.
std::uint32_t SetupWindow::CheckedTimes() {
  std::int32_t times = ToInteger(frame_.GetControlText(timesId_));
  if (times < settings::MinTimesToReboot || times > settings::MaxTimesToReboot) {
    times = ToInteger(settings::DefaultNumberText);
  }
  frame_.SetControlText(timesId_, FormatSigned(times));
  return static_cast<std::uint32_t>(times);
}

std::uint32_t SetupWindow::CheckedDelay() {
  std::int32_t delay = ToInteger(frame_.GetControlText(delayId_));
  // Below one minute there is nothing to count down; a negative number
  // would become a countdown of decades once read as unsigned.
  if (delay < 1) delay = ToInteger(settings::DefaultNumberText);
  frame_.SetControlText(delayId_, FormatSigned(delay));
  return static_cast<std::uint32_t>(delay);
}

SetupWindow::Next SetupWindow::OnStartOperation() {
  const platform::Ports& ports = start_.ports();
  // Without its file a sequence keeps nothing: not the choices, not a
  // single measurement.
  if (!start_.settingsReadable()) {
    SetBusyState(context::kSettingsUnreadable, std::nullopt, false);
    return Next::Stay;
  }
  EnableOptions(false);
  SetBusyState(u"Preparing for first reboot...", Text(u"  Cancel all"), true);

  const std::uint32_t times = CheckedTimes();
  start_.ChooseSequence(times);
  settings::WriteUnsigned(settings_, section::Setup, key::TimesToReboot, times);
  const std::uint32_t delay = CheckedDelay();
  settings::WriteUnsigned(settings_, section::Setup, key::RebootDelay, delay);
  (void)settings_.Set(
      section::Setup, key::NoReport,
      frame_.IsControlChecked(reportBoxId_) ? settings::SwitchOff : settings::SwitchOn);

  // Restart 1 is this start's; the first step performs restart 2.
  const Text commandLine = sequence::RebootCommandLine(start_.paths().programPath, 2, times, delay);
  platform::Registry& registry = *ports.registry;
  OwnedKey runKey(registry,
                  sequence::OpenRunKey(registry, start_.user().sid).value_or(platform::kNoKey));
  // Without the value nothing would start after the restart: the sequence
  // would end unseen, and the next restart, whenever it came, would count
  // as one. Nothing is restarted then.
  if (!runKey ||
      registry.SetString(runKey.get(), sequence::kRunValueName, commandLine) !=
          platform::Status::Ok ||
      !sequence::ClearSwitchedOffMark(registry, start_.user().sid)) {
    if (runKey) (void)registry.DeleteValue(runKey.get(), sequence::kRunValueName);
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
    (void)settings_.Set(section::Setup, key::DefragBefore, settings::SwitchOn);
    if (Optimize() == sequence::WaitResult::Closing) return cancel();
  }
  if (frame_.IsControlChecked(idleBoxId_)) {
    SetStatus(u"Processing idle tasks...");
    (void)settings_.Set(section::Setup, key::ProcessIdleTasks, settings::SwitchOn);
    if (ProcessIdleTasks() == sequence::WaitResult::Closing) return cancel();
  }
  if (frame_.IsControlChecked(iconsBoxId_)) {
    SetStatus(u"Backing up the current desktop icons' layout...");
    (void)settings_.Set(section::Setup, key::BackupRestoreIcons, settings::SwitchOn);
    SetBusyState(BackupIcons() ? u"Desktop icons' layout successfully saved."
                               : u"Desktop icons' layout could not be saved.",
                 std::nullopt, false);
  }
  const bool switchOffAtEnd = frame_.IsControlChecked(disableBoxId_);
  if (switchOffAtEnd) {
    (void)settings_.Set(section::PostOperation, key::DisableAutoLogon, settings::SwitchOn);
  } else {
    (void)settings_.Remove(section::PostOperation, key::DisableAutoLogon);
  }

  sequence::MeasurementStore measurements = sequence::MeasurementStore::Load(settings_);
  (void)measurements.RecordMachine(SeenMachine());
  (void)measurements.RecordTimeStamp(sequence::TimeStampKind::SequenceStart, ports.clock->Now());
  // What starts with Windows now, for a comparison to tell what changed.
  (void)measurements.RecordInventory(sequence::ReadInventory(
      {*ports.registry, *ports.files, *ports.shell},
      {start_.user().sid, start_.paths().userStartupFolder, start_.paths().commonStartupFolder,
       sequence::kRunValueName}));
  (void)sequence::NoteRestartRequest(*ports.registry, measurements);
  // Complete now: nothing may be written while the system shuts down. A
  // restart whose first stamp is not on the disk would be measured against
  // whatever the file held before (or not at all): it does not happen.
  if (!settings_.SaveNow()) {
    if (runKey) (void)registry.DeleteValue(runKey.get(), sequence::kRunValueName);
    SetBusyState(context::kMeasurementsUnsaved, std::nullopt, false);
    EnableOptions(true);
    // Not tried again as the window ends: the file keeps its last good
    // content, and the user has been told; a new click tries anew.
    return Next::Stay;
  }

  // A safety net under the switch-off at the end: one automatic logon after
  // each of the restarts, and then Windows stops by itself, even if the
  // sequence is killed or the program deleted half-way.
  const bool limited =
      switchOffAtEnd && operations_.limitAutoLogons && operations_.limitAutoLogons(start_, times);

  const platform::RestartAnswer restart = ports.power->RequestRestart();
  if (restart.ok()) return Next::End;
  restartRefusal_ = restart.reason;
  if (limited) (void)operations_.limitAutoLogons(start_, 0);

  // Refused: nothing restarts, so the registered step must not start at the
  // next logon, when the user has long forgotten it.
  if (runKey) (void)registry.DeleteValue(runKey.get(), sequence::kRunValueName);
  SetBusyState(u"The computer could not be restarted.", std::nullopt, false);
  EnableOptions(true);
  // The setup goes on: what it changes from here is saved as it ends.
  settings_.SaveWhenClosed();
  return Next::Stay;
}

sequence::MachineIdentity SetupWindow::SeenMachine() const {
  const platform::Ports& ports = start_.ports();
  const auto name = ports.accounts->ComputerName();
  return {name.ok() ? name.value() : Text(),
          maintenance::DiskKindName(*ports.devices, start_.paths().systemDrive)};
}

}  // namespace twk::setup

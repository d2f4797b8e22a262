#include "sequence/reboot_step.h"

#include <optional>
#include <vector>

#include "context/start_context.h"
#include "context/switches.h"
#include "platform/clock.h"
#include "platform/identity.h"
#include "platform/port_handle.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/registry_path.h"
#include "platform/system_info.h"
#include "sequence/history_view.h"
#include "sequence/launch.h"
#include "sequence/measurement_store.h"
#include "sequence/phase_recorder.h"
#include "sequence/restart_marks.h"
#include "sequence/result_report.h"
#include "settings/catalogue.h"
#include "ui/resource_ids.h"

namespace twk::sequence {
namespace {

namespace key = settings::key;
namespace section = settings::section;

using platform::OwnedKey;
using platform::OwnedProcess;

// After the wall clock's second has changed, the next change is a second
// away: until shortly before it, a wake-up of the countdown reads only the
// cheap tick counter.
constexpr std::uint64_t kQuietAfterSecondMs = 900;

const Text kPaused = u"PAUSED";
const Text kSeconds = u"seconds.";
const Text kPressResume = u"press 'Resume'";
const Text kPauseCaption = u"  Pause";
const Text kResumeCaption = u"  Resume";

class RebootStep {
 public:
  RebootStep(context::StartContext& start, const ReportPostOperations& postOperations)
      : start_(start),
        ports_(start.ports()),
        frame_(start.frame()),
        pump_(start.pump()),
        settings_(start.settings()),
        postOperations_(postOperations) {}

  void Run();

 private:
  enum class Outcome { Restart, Close, Setup };

  void RecordBootUp();
  void CreateCountdownWindow();
  Outcome CountDown();
  void Tick(std::uint64_t tick);
  void TogglePause();
  void ShowProgress();
  void Restart();
  // False when it could not be registered (and the user was told).
  bool RegisterNextStart();
  void UndoRegistration();
  void EndSequenceEarly();
  // The sequence cannot go on for a reason the user must read: the machine
  // is left as the setup asked, the countdown window says why in place of
  // its countdown, and the step ends when it is closed.
  void StopSequence(const Text& reason);
  void ShowStopped(const Text& reason);
  // The silent end's sampling decided: the figure into the file on disk.
  void RecordSilentReadiness();

  context::StartContext& start_;
  const platform::Ports& ports_;
  context::MainFrame& frame_;
  context::EventPump& pump_;
  settings::SettingsFile& settings_;
  const ReportPostOperations& postOperations_;
  OwnedKey runKey_;
  MeasurementStore measurements_;
  // Where the restart's time went; made once the restart is recorded.
  std::optional<PhaseRecorder> phases_;

  int nextLabelId_ = 0;
  int countdownId_ = 0;
  int rightLabelId_ = 0;
  int soundBoxId_ = 0;
  int pauseId_ = 0;
  int setupId_ = 0;

  std::uint64_t remaining_ = 0;
  std::uint64_t delaySeconds_ = 0;  // the whole countdown, for the taskbar's progress
  std::uint64_t lastSecond_ = 0;
  std::uint64_t nextReadingTick_ = 0;  // 0: read the wall clock at every wake-up
  bool paused_ = false;
  bool soundOn_ = false;
  Text soundPath_;
};

void RebootStep::Run() {
  // Among the privileges is the one ExitWindowsEx needs; a privilege the
  // account lacks shows up only as a refused restart.
  ports_.identity->EnablePrivileges();

  // From here on no further start is registered unless the restart below
  // writes one: closing the window abandons the sequence.
  runKey_ = OwnedKey(*ports_.registry,
                     OpenRunKey(*ports_.registry, start_.user().sid).value_or(platform::kNoKey));
  if (runKey_) (void)ports_.registry->DeleteValue(runKey_.get(), kRunValueName);

  // Nothing this start measures could be kept, and what the setup asked
  // for the end is in the file it cannot read: the sequence stops here.
  if (!start_.settingsReadable()) {
    phases_.emplace(ports_, measurements_, 0, platform::ClockReading{});
    CreateCountdownWindow();
    StopSequence(context::kSettingsUnreadable);
    return;
  }

  measurements_ = MeasurementStore::Load(settings_);
  RecordBootUp();
  if (start_.run().currentReboot > start_.run().totalReboots) phases_->EndsSequence();
  if (phases_->RecordAtStart()) settings_.SaveProgress();

  // Unsigned: a negative /CurrentReboot: is above every total and goes
  // straight to the report.
  if (start_.run().currentReboot > start_.run().totalReboots) {
    if (settings::ReadInteger(settings_, section::Setup, key::NoReport) != 0) {
      // No report asked for, but the sequence still ends here: the last
      // restart is measured and the machine left as the setup asked, without
      // a window.
      (void)CompleteSequence(start_, postOperations_);
      // Saved now, before the long wait below: a setup started meanwhile
      // must find this restart in the file. Failing that, the end of this
      // start tries again; there is no window to say more in.
      if (!settings_.SaveNow()) settings_.SaveWhenClosed();
      // No window, so no wake-ups: the desktop's readiness is sampled here,
      // for as long as it may take (up to two minutes). The frame, never
      // shown, goes first: a window whose messages nobody takes for that long
      // holds up every program that broadcasts to the top-level windows, and
      // the end of the session.
      frame_.DestroyFrame();
      for (;;) {
        if (phases_->OnWake()) RecordSilentReadiness();
        if (phases_->done()) break;
        start_.ui().Sleep(static_cast<std::uint32_t>(kDesktopSampleMs));
      }
    } else {
      ShowResultReport(start_, postOperations_, measurements_, &*phases_);
    }
    return;
  }

  ports_.power->KeepSystemAwake();
  CreateCountdownWindow();
  const Outcome outcome = CountDown();
  (void)frame_.SetTaskbarProgress(ui::TaskbarProgress::None);
  // The wait for the desktop ends with the countdown; every way on saves.
  (void)phases_->Finish();
  switch (outcome) {
    case Outcome::Restart:
      Restart();
      break;
    case Outcome::Setup:
      HandOverToSetup(start_);  // saves as Close does
      break;
    case Outcome::Close:
      EndSequenceEarly();
      break;
  }
}

void RebootStep::RecordSilentReadiness() {
  // The file was saved minutes ago and the user may have started another
  // sequence since: the figure goes into the file as it is now, and only
  // while it still holds this restart (the same moment of its end).
  const Text key = RestartKey(start_.run().currentReboot - 1);
  const RestartFigure* mine = nullptr;
  for (const RestartFigure& f : measurements_.restarts()) {
    if (EqualsIgnoreCase(f.key, key)) mine = &f;
  }
  if (mine == nullptr || !mine->phases[Phase::CreatedAt]) return;
  settings::SettingsFile now(*ports_.files, *ports_.ansi);
  if (!now.Load(start_.paths().SettingsFile())) return;
  MeasurementStore current = MeasurementStore::Load(now);
  for (const RestartFigure& f : current.restarts()) {
    if (!EqualsIgnoreCase(f.key, key) ||
        f.phases[Phase::CreatedAt] != mine->phases[Phase::CreatedAt]) {
      continue;
    }
    RestartPhases ready;
    ready[Phase::DesktopReady] = mine->phases[Phase::DesktopReady];
    bool written = current.RecordPhases(key, ready);
    if (mine->readyBy) written = current.RecordReadyRule(key, *mine->readyBy) || written;
    if (mine->busy) written = current.RecordBusyPrograms(key, *mine->busy) || written;
    if (mine->culprits) written = current.RecordCulprits(key, *mine->culprits) || written;
    // Without a window there is nobody to tell: a figure that cannot be
    // saved stays unknown in the file, as it would be unmeasured.
    if (written && !now.SaveNow()) return;
  }
}

void RebootStep::EndSequenceEarly() {
  // The user, or a refused restart, ended the sequence: the machine is left
  // as the setup asked for the end of it, not logging on by itself for good.
  // Hidden first: an elevated instance that finds this frame visible would
  // only bring it forward and end.
  frame_.Show(ui::ShowCommand::Hide);
  pump_.DispatchPending();
  (void)RunPostOperations(start_, postOperations_, kFinishSequenceSwitch);
  // Tried once more as the start ends, which says so when that fails too:
  // the user would otherwise find a restart missing from the history.
  if (!settings_.SaveNow()) settings_.SaveWhenClosed();
}

void RebootStep::StopSequence(const Text& reason) {
  // The machine first: the window below may wait for hours.
  (void)RunPostOperations(start_, postOperations_, kFinishSequenceSwitch);
  // Whether the file holds everything this start knows. The window says
  // when it does not, so nothing more is said: the saves below only try
  // again, since the disk may have room by then.
  bool saved = settings_.SaveNow();
  ShowStopped(reason);
  for (;;) {
    pump_.NextEvent(context::PumpMode::Wait);
    if (phases_->OnWake()) saved = settings_.SaveNow();
    const int id = pump_.event().eventId;
    if (id == ui::event::CloseRequest || id == ui::event::LoopEnded) break;
    if (pump_.IsFrameControl(setupId_)) {
      (void)phases_->Finish();
      HandOverToSetup(start_);
      return;
    }
  }
  if (phases_->Finish()) saved = false;
  if (!saved && !settings_.SaveNow()) return;  // as the window said
}

void RebootStep::ShowStopped(const Text& reason) {
  // In the countdown's place: nothing counts down any more.
  for (const int id : {nextLabelId_, countdownId_, rightLabelId_, soundBoxId_, pauseId_}) {
    frame_.SetControlState(id, ui::state::Hide);
  }
  (void)frame_.SetTaskbarProgress(ui::TaskbarProgress::None);
  frame_.SetFont(u"Arial", 12, 800);
  // Two lines of the bold face fit where the countdown stood.
  frame_.CreateLabel(reason, 20, 95, 560, 45, {.centred = true});
  frame_.Show(ui::ShowCommand::Normal);
}

void RebootStep::RecordBootUp() {
  // A number that names no restart of this sequence (typed by hand, or
  // damaged) measures nothing: its "duration" would poison the history and
  // its average.
  if (!start_.MeasuresARestart()) {
    phases_.emplace(ports_, measurements_, 0, platform::ClockReading{});
    return;
  }
  // The restart ended when the logon started this program, not when it got
  // round to reading the clock after parsing its command line, finding its
  // user and loading its settings. One reading for everything this start
  // records.
  platform::ClockReading bootUp = ports_.clock->ProcessCreated();
  if (bootUp.localSecond == 0) bootUp = ports_.clock->Now();
  const std::uint32_t current = start_.run().currentReboot;
  phases_.emplace(ports_, measurements_, current - 1, bootUp, start_.paths().systemDrive);
  bool written = current == 2
                     ? measurements_.RecordTimeStamp(TimeStampKind::FirstBootUp, bootUp, current)
                     : measurements_.RecordRebootDuration(current, bootUp);
  // The result start stamps the last boot-up with the same reading, so the
  // report's last figure and the list's last row are one measurement.
  if (current == start_.run().totalReboots + 1 && start_.run().totalReboots > 1) {
    written = measurements_.RecordTimeStamp(TimeStampKind::LastBootUp, bootUp) || written;
  }
  written =
      MarkMeasuredRestart(*ports_.registry, measurements_, RestartKey(current - 1)) || written;
  // On the disk at once: the countdown lasts minutes, and a power cut or a
  // forced logoff in that time must not take this restart's figures along.
  // A disk that refuses gets the figures again at the restart's save, which
  // stops the restart if it fails too.
  if (written) settings_.SaveProgress();
}

void RebootStep::CreateCountdownWindow() {
  const context::RunNumbers& run = start_.run();
  frame_.ShowTitle(Text(context::kProductTitle) + u" - Reboot " +
                   FormatUnsigned(run.currentReboot) + u" of " + FormatUnsigned(run.totalReboots));

  frame_.SetFont(u"Arial", 16, 800);
  nextLabelId_ = frame_.CreateLabel(u"Next reboot in", 20, 105, 160, 25);
  frame_.SetFont(u"Arial", 32, 800);
  countdownId_ = frame_.CreateLabel(Text(), 180, 90, 230, 50, {.centred = true});
  frame_.SetFont(u"Arial", 16, 800);
  rightLabelId_ = frame_.CreateLabel(kSeconds, 410, 105, 190, 25, {.centred = true});

  frame_.SetFont(u"Arial", 10, 400);
  const bool soundChecked =
      settings::ReadInteger(settings_, section::Setup, key::PlayWarningSound) != 0;
  soundBoxId_ = frame_.CreateImageCheckBox(
      u" Play a sound each of the last 10 seconds before rebooting.", 30, 150, 450, soundChecked,
      frame_.checkedImage(), frame_.uncheckedImage());

  ShowRebootHistory(frame_, measurements_);

  frame_.SetFont(u"Arial", 12, 800);
  pauseId_ = frame_.CreateButton(kPauseCaption, 260, 420, 150, 36, {.tabStop = true});
  frame_.SetButtonImage(pauseId_, ui::resource::PauseImage);
  frame_.SetControlCursor(pauseId_, ui::Cursor::Hand);
  setupId_ = frame_.CreateButton(u"  Setup", 430, 420, 150, 36, {.tabStop = true});
  frame_.SetButtonIcon(setupId_, ui::resource::ProgramIcon);
  frame_.SetControlCursor(setupId_, ui::Cursor::Hand);

  soundPath_ = ports_.system->WindowsFolder() + u"\\media\\ding.wav";
  soundOn_ = frame_.IsControlChecked(soundBoxId_);

  lastSecond_ = ports_.clock->CurrentSecond();
  // Multiplied in 32 bits, as the delay is a 32-bit number of minutes.
  remaining_ = static_cast<std::uint32_t>(run.delayMinutes * 60u);
  delaySeconds_ = remaining_;
  frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));

  frame_.Show(ui::ShowCommand::Normal);
  ShowProgress();
}

void RebootStep::ShowProgress() {
  // The part of the delay that has passed, on the taskbar button too: the
  // window may be hidden behind others for minutes.
  (void)frame_.SetTaskbarProgress(paused_ ? ui::TaskbarProgress::Paused : ui::TaskbarProgress::Normal,
                                  delaySeconds_ - remaining_, delaySeconds_);
}

void RebootStep::Tick(std::uint64_t tick) {
  // Most wake-ups fall between two seconds: they cost the counter reading
  // the loop took.
  if (paused_ || tick < nextReadingTick_) return;
  const std::uint64_t now = ports_.clock->CurrentSecond();
  if (now == lastSecond_) return;
  // One second per pass however long the pass took: a clock set forward (or
  // back) costs one second of the countdown, not the jump.
  lastSecond_ = now;
  nextReadingTick_ = tick + kQuietAfterSecondMs;
  // Never below 0: a delay whose seconds wrap to 0 in 32 bits starts at 0
  // and must restart, not count down from the top of the 64-bit range.
  if (remaining_ > 0) --remaining_;
  frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));
  ShowProgress();
  if (soundOn_ && remaining_ <= 9) ports_.power->PlaySoundFile(soundPath_);
}

void RebootStep::TogglePause() {
  paused_ = !paused_;
  if (paused_) {
    frame_.SetControlText(countdownId_, kPaused);
    frame_.SetControlText(rightLabelId_, kPressResume);
    frame_.SetControlText(pauseId_, kResumeCaption);
    frame_.SetButtonImage(pauseId_, ui::resource::StartImage);
  } else {
    // The time spent paused does not count.
    lastSecond_ = ports_.clock->CurrentSecond();
    nextReadingTick_ = 0;
    frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));
    frame_.SetControlText(rightLabelId_, kSeconds);
    frame_.SetControlText(pauseId_, kPauseCaption);
    frame_.SetButtonImage(pauseId_, ui::resource::PauseImage);
  }
  ShowProgress();
}

RebootStep::Outcome RebootStep::CountDown() {
  // No timer of its own: the heartbeat wakes the pump at least every 20 ms.
  // Between two samples of the desktop and two seconds of the countdown a
  // wake-up costs one reading of the tick counter, shared by both.
  for (;;) {
    pump_.NextEvent(context::PumpMode::Wait);
    const std::uint64_t tick = ports_.clock->TickMilliseconds();
    if (phases_->OnWake(tick)) settings_.SaveProgress();
    Tick(tick);
    if (remaining_ == 0) return Outcome::Restart;

    if (pump_.event().eventId == ui::event::CloseRequest) return Outcome::Close;
    if (pump_.IsFrameControl(soundBoxId_)) {
      soundOn_ = frame_.IsControlChecked(soundBoxId_);
      settings::WriteSwitch(settings_, section::Setup, key::PlayWarningSound, soundOn_);
    } else if (pump_.IsFrameControl(pauseId_)) {
      TogglePause();
    } else if (pump_.IsFrameControl(setupId_)) {
      return Outcome::Setup;
    }
  }
}

bool RebootStep::RegisterNextStart() {
  const context::RunNumbers& run = start_.run();
  // After the last restart the result start is registered even without a
  // report: it measures that restart and finishes the sequence silently.
  platform::Registry& registry = *ports_.registry;
  const platform::Answer<platform::RegistryKey> opened = OpenRunKey(registry, start_.user().sid);
  const OwnedKey key(registry, opened.value_or(platform::kNoKey));
  Text problem;
  if (!opened.ok()) {
    problem = opened.status() == platform::Status::NotFound ? u"this user's Run key does not exist"
              : opened.status() == platform::Status::Denied ? u"access to the Run key was denied"
                                                            : u"the Run key could not be opened";
  } else {
    const platform::Status written =
        registry.SetString(key.get(), kRunValueName,
                           RebootCommandLine(start_.paths().programPath, run.currentReboot,
                                             run.totalReboots, run.delayMinutes));
    if (written == platform::Status::Ok && ClearSwitchedOffMark(registry, start_.user().sid)) {
      return true;
    }
    problem = written != platform::Status::Ok
                  ? (written == platform::Status::Denied ? u"writing the Run value was denied"
                                                         : u"the Run value could not be written")
                  : u"it is switched off in Task Manager's start-up list";
    // Registered but never run: the value must not wait for a later logon.
    if (written == platform::Status::Ok) (void)registry.DeleteValue(key.get(), kRunValueName);
  }
  // A restart now would end the sequence unseen: nothing would start after
  // it, and the next restart, whenever it came, would be measured as one.
  start_.ui().ShowMessage(frame_.handle(), Text(context::kProductTitle),
                          u"Tarnwick cannot register its next start (" + problem +
                              u"). The sequence cannot go on, so the computer is not restarted. "
                              u"The restarts measured so far are kept.");
  return false;
}

void RebootStep::UndoRegistration() {
  platform::Registry& registry = *ports_.registry;
  const OwnedKey key(registry, OpenRunKey(registry, start_.user().sid).value_or(platform::kNoKey));
  if (key) (void)registry.DeleteValue(key.get(), kRunValueName);
}

void RebootStep::Restart() {
  start_.AdvanceToNextReboot();
  if (!RegisterNextStart()) {
    EndSequenceEarly();
    return;
  }
  const Stamp previousShutDown = measurements_.stamp(StampName::LastShutDown);
  (void)measurements_.RecordTimeStamp(TimeStampKind::LastShutDown, ports_.clock->Now());
  (void)NoteRestartRequest(*ports_.registry, measurements_);

  // Nothing may be written while the system shuts down: the file is
  // complete now, and a write cut short by the shutdown would lose it. A
  // restart whose shutdown stamp is not on the disk would be measured
  // against the one before (a countdown too long): it does not happen.
  if (!settings_.SaveNow()) {
    UndoRegistration();
    measurements_.RestoreStamp(StampName::LastShutDown, previousShutDown);
    StopSequence(context::kMeasurementsUnsaved);
    return;
  }

  const platform::RestartAnswer restart = ports_.power->RequestRestart();
  if (restart.ok()) return;

  // Refused (no shutdown privilege, a policy): left as it is, the next
  // manual restart, hours later, would be measured as one very long restart.
  // The sequence stops here instead, and says so.
  UndoRegistration();
  measurements_.RestoreStamp(StampName::LastShutDown, previousShutDown);
  start_.ui().ShowMessage(frame_.handle(), Text(context::kProductTitle),
                          u"Windows did not restart (" + restart.reason +
                              u"). The sequence stops here; the restarts measured so far are "
                              u"kept.");
  EndSequenceEarly();
}

}  // namespace

platform::Answer<platform::RegistryKey> OpenRunKey(platform::Registry& registry,
                                                   const Text& userSid) {
  return platform::OpenRegistryPath(registry, RunKeyPath(userSid), platform::KeyAccess::ReadWrite);
}

Text StartupApprovedPath(const Text& userSid) {
  return u"HKU\\" + userSid +
         u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
}

bool ClearSwitchedOffMark(platform::Registry& registry, const Text& userSid) {
  // No key, or no mark in it: Windows runs the value.
  const auto opened = platform::OpenRegistryPath(registry, StartupApprovedPath(userSid),
                                                 platform::KeyAccess::ReadWrite);
  if (opened.status() == platform::Status::NotFound) return true;
  const OwnedKey key(registry, opened.value_or(platform::kNoKey));
  if (!key) return false;
  const auto mark = registry.QueryValue(key.get(), kRunValueName);
  if (mark.status() == platform::Status::NotFound) return true;
  if (!mark.ok()) return false;
  const std::vector<std::uint8_t>& bytes = mark.value().data;
  if (!bytes.empty() && (bytes[0] & 1u) == 0) return true;
  // Odd, or a mark with no bytes at all that Windows might read either way.
  return registry.DeleteValue(key.get(), kRunValueName) == platform::Status::Ok;
}

Text RunKeyPath(const Text& userSid) {
  return u"HKU\\" + userSid + u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

Text RebootArguments(std::uint32_t currentReboot, std::uint32_t totalReboots,
                     std::uint32_t delayMinutes) {
  using namespace context::switches;
  return Text(kCurrentReboot) + u":" + FormatUnsigned(currentReboot) + u" " + kTotalReboots +
         u":" + FormatSigned(static_cast<std::int32_t>(totalReboots)) + u" " + kDelay + u":" +
         FormatUnsigned(delayMinutes);
}

Text RebootCommandLine(const Text& programPath, std::uint32_t currentReboot,
                       std::uint32_t totalReboots, std::uint32_t delayMinutes) {
  return u"\"" + programPath + u"\" " + RebootArguments(currentReboot, totalReboots, delayMinutes);
}

int FinishSequence(context::StartContext& start, const ReportPostOperations& postOperations) {
  // Elevated already, or refused: asking again would only repeat the
  // prompt, in a loop if the rights never come.
  (void)RunPostOperations(start, postOperations, Text(), false);
  return start.settings().SaveNow() ? 0 : 1;
}

int RunRebootStep(context::StartContext& start, const ReportPostOperations& postOperations) {
  RebootStep(start, postOperations).Run();
  return 0;
}

void HandOverToSetup(context::StartContext& start) {
  ui::WindowBackend& ui = start.ui();
  context::EventPump& pump = start.pump();
  start.frame().Show(ui::ShowCommand::Hide);
  pump.DispatchPending();
  start.frame().Destroy();
  // The new instance looks for a visible frame of ours; give the destroyed
  // one's last messages time to settle first.
  for (int round = 0; round < 5; ++round) {
    pump.DispatchPending();
    ui.Sleep(5);
  }
  // The new instance reads the file when it starts and writes it when it
  // ends: it must find this start's measurements there, and this start must
  // not write the file again after it. When they cannot be saved, the user
  // hears of it before the setup opens on a file without them.
  if (!start.settings().SaveNow() && start.settings().writable()) {
    ui.ShowMessage(start.frame().handle(), Text(context::kProductTitle),
                   u"The measurements of this start could not be saved.");
  }
  platform::Processes& processes = *start.ports().processes;
  // Without arguments: a plain start, which shows the setup. Quoted, so that
  // a folder such as "C:\Program Files" cannot make Windows try
  // "C:\Program.exe" first.
  const OwnedProcess started(
      processes, LaunchProcess(processes, start.SelfCommandLine(), start.paths().ProgramFolder(),
                               platform::ShowCommand::Show, LaunchFlags::NoFsRedirection));
}

}  // namespace twk::sequence

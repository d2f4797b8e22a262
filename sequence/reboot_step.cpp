#include "sequence/reboot_step.h"

#include "app/application.h"
#include "app/run_modes.h"
#include "platform/clock.h"
#include "platform/identity.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "sequence/history_view.h"
#include "sequence/launch.h"
#include "sequence/result_report.h"
#include "sequence/time_stamps.h"
#include "settings/catalogue.h"
#include "platform/registry_path.h"

namespace twk::sequence {
namespace {

namespace key = settings::key;
namespace section = settings::section;

// Opened, never created: a Run key that is not there is not ours to make.
constexpr std::uint32_t kRunKeyAccess = platform::KeyAccess::ReadWrite;  // 0x2001F

constexpr int kPauseImage = 142;
constexpr int kResumeImage = 143;
constexpr int kProgramIcon = 107;
constexpr int kButtonImageSize = 24;
constexpr int kHandCursor = 32649;              // IDC_HAND
constexpr std::uint32_t kCentred = 0x0001;      // SS_CENTER
constexpr std::uint32_t kTabStop = 0x00010000;  // WS_TABSTOP

const Text kPaused = u"PAUSED";
const Text kSeconds = u"seconds.";
const Text kPressResume = u"press 'Resume'";
const Text kPauseCaption = u"  Pause";
const Text kResumeCaption = u"  Resume";

// Drains the queue without waiting and without the dialog manager: plain
// dispatch, as PeekMessageW with PM_REMOVE and DispatchMessageW do.
void DispatchPending(ui::WindowBackend& ui) {
  ui::Message m;
  for (;;) {
    const ui::FetchResult fetched = ui.FetchMessage(ui::FetchMode::Peek, m);
    if (fetched != ui::FetchResult::Message && fetched != ui::FetchResult::Quit) return;
    ui.DispatchFetched(m, nullptr);
  }
}

class RebootStep {
 public:
  explicit RebootStep(app::Application& app)
      : app_(app), ports_(app.ports()), frame_(app.mainFrame), settings_(app.settings) {}

  void Run();

 private:
  enum class Outcome { Restart, Close, Setup };

  void RecordBootUp();
  void CreateCountdownWindow();
  Outcome CountDown();
  void Tick();
  void TogglePause();
  void Restart();
  void Close();

  app::Application& app_;
  const platform::Ports& ports_;
  ui::ToolkitWindow& frame_;
  settings::SettingsFile& settings_;
  platform::ScopedRegistryKey runKey_;

  int countdownId_ = 0;
  int rightLabelId_ = 0;
  int soundBoxId_ = 0;
  int pauseId_ = 0;
  int setupId_ = 0;

  std::uint64_t remaining_ = 0;
  std::uint64_t lastSecond_ = 0;
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
  runKey_ = platform::ScopedRegistryKey(
      *ports_.registry,
      platform::OpenRegistryPath(*ports_.registry, RunKeyPath(app_.userSid), kRunKeyAccess));
  if (runKey_) (void)ports_.registry->DeleteValue(runKey_.get(), kRunValueName);

  RecordBootUp();

  // Unsigned: a negative /CurrentReboot: is above every total and goes
  // straight to the report.
  if (app_.currentReboot > app_.totalReboots) {
    ShowResultReport(app_);
    return;
  }

  ports_.power->KeepSystemAwake();
  CreateCountdownWindow();
  switch (CountDown()) {
    case Outcome::Restart:
      Restart();
      break;
    case Outcome::Setup:
      HandOverToSetup(app_);  // saves as Close does
      break;
    case Outcome::Close:
      Close();
      break;
  }
}

void RebootStep::RecordBootUp() {
  // First thing, before anything is shown: the measurement ends here.
  if (app_.currentReboot == 2) {
    RecordTimeStamp(settings_, *ports_.clock, app_.currentReboot, TimeStampKind::FirstBootUp);
  } else {
    RecordRebootDuration(settings_, *ports_.clock, app_.currentReboot, 0);
  }
}

void RebootStep::CreateCountdownWindow() {
  const Text title = app::RebootStepTitle(app_);
  frame_.SetControlText(app_.titleId, title);
  frame_.SetTitle(title);

  frame_.SetFont(u"Arial", 16, 800);
  frame_.CreateLabel(u"Next reboot in", 20, 105, 160, 25);
  frame_.SetFont(u"Arial", 32, 800);
  countdownId_ = frame_.CreateLabel(Text(), 180, 90, 230, 50, kCentred);
  frame_.SetFont(u"Arial", 16, 800);
  rightLabelId_ = frame_.CreateLabel(kSeconds, 410, 105, 190, 25, kCentred);

  frame_.SetFont(u"Arial", 10, 400);
  const bool soundChecked =
      settings::ReadInteger(settings_, section::Setup, key::PlayWarningSound) != 0;
  soundBoxId_ =
      frame_.CreateImageCheckBox(u" Play a sound each of the last 10 seconds before rebooting.", 30,
                                 150, 450, soundChecked, app_.checkedImage, app_.uncheckedImage);

  ShowRebootHistory(app_);

  frame_.SetFont(u"Arial", 12, 800);
  pauseId_ = frame_.CreateButton(kPauseCaption, 260, 420, 150, 36, kTabStop);
  SetButtonImage(app_, pauseId_, kPauseImage);
  frame_.SetControlCursor(pauseId_, kHandCursor);
  setupId_ = frame_.CreateButton(u"  Setup", 430, 420, 150, 36, kTabStop);
  SetButtonIcon(app_, setupId_, kProgramIcon);
  frame_.SetControlCursor(setupId_, kHandCursor);

  soundPath_ = ports_.system->WindowsFolder() + u"\\media\\ding.wav";
  soundOn_ = frame_.IsControlChecked(soundBoxId_);

  lastSecond_ = ports_.clock->CurrentSecond();
  // Multiplied in 32 bits, as the delay is a 32-bit number of minutes.
  remaining_ = static_cast<std::uint32_t>(app_.delayMinutes * 60u);
  frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));

  frame_.Show(ui::show::Normal);
}

void RebootStep::Tick() {
  if (paused_) return;
  const std::uint64_t now = ports_.clock->CurrentSecond();
  if (now == lastSecond_) return;
  // One second per pass however long the pass took: a clock set forward (or
  // back) costs one second of the countdown, not the jump.
  lastSecond_ = now;
  // Never below 0: a delay whose seconds wrap to 0 in 32 bits starts at 0
  // and must restart, not count down from the top of the 64-bit range.
  if (remaining_ > 0) --remaining_;
  frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));
  if (soundOn_ && remaining_ <= 9) ports_.power->PlaySoundFile(soundPath_);
}

void RebootStep::TogglePause() {
  paused_ = !paused_;
  if (paused_) {
    frame_.SetControlText(countdownId_, kPaused);
    frame_.SetControlText(rightLabelId_, kPressResume);
    frame_.SetControlText(pauseId_, kResumeCaption);
    SetButtonImage(app_, pauseId_, kResumeImage);
  } else {
    // The time spent paused does not count.
    lastSecond_ = ports_.clock->CurrentSecond();
    frame_.SetControlText(countdownId_, FormatUnsigned(remaining_));
    frame_.SetControlText(rightLabelId_, kSeconds);
    frame_.SetControlText(pauseId_, kPauseCaption);
    SetButtonImage(app_, pauseId_, kPauseImage);
  }
}

RebootStep::Outcome RebootStep::CountDown() {
  // No timer of its own: the heartbeat wakes the pump at least every 20 ms.
  for (;;) {
    app_.NextEvent(app::mode::Wait);
    Tick();
    if (remaining_ == 0) return Outcome::Restart;

    const ui::EventSlot& event = app_.eventSlot;
    if (event.eventId == ui::event::CloseRequest) return Outcome::Close;
    if (event.sourceWindow != &frame_ || event.eventId <= 0) continue;
    if (event.eventId == soundBoxId_) {
      soundOn_ = frame_.IsControlChecked(soundBoxId_);
      settings::WriteSwitch(settings_, section::Setup, key::PlayWarningSound, soundOn_);
    } else if (event.eventId == pauseId_) {
      TogglePause();
    } else if (event.eventId == setupId_) {
      return Outcome::Setup;
    }
  }
}

void RebootStep::Restart() {
  ++app_.currentReboot;
  const Text commandLine =
      RebootCommandLine(app_.programPath, app_.currentReboot, app_.totalReboots, app_.delayMinutes);
  const platform::ScopedRegistryKey key(
      *ports_.registry,
      platform::OpenRegistryPath(*ports_.registry, RunKeyPath(app_.userSid), kRunKeyAccess));
  // After the last restart the report start is registered unless the user
  // asked for no report; then the program does not start again at all.
  const bool furtherRestart = app_.currentReboot <= app_.totalReboots;
  if (key &&
      (furtherRestart || settings::ReadInteger(settings_, section::Setup, key::NoReport) == 0)) {
    (void)ports_.registry->SetString(key.get(), kRunValueName, commandLine);
  }
  StoreTimeStamp(settings_, *ports_.clock);  // LastShutDown := now

  // Nothing may be written while the system shuts down: the file is
  // complete now, and a write cut short by the shutdown would lose it.
  (void)settings_.Save();
  settings_.saveOnClose = false;

  // Refused (no shutdown privilege): the program just ends; the Run value
  // and the stamps stay, so the sequence goes on at the next logon.
  (void)ports_.power->RequestRestart();
}

void RebootStep::Close() {
  (void)settings_.Save();
  settings_.saveOnClose = false;
}

}  // namespace

Text RunKeyPath(const Text& userSid) {
  return u"HKU\\" + userSid + u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

Text RebootCommandLine(const Text& programPath, std::uint32_t currentReboot,
                       std::uint32_t totalReboots, std::uint32_t delayMinutes) {
  return u"\"" + programPath + u"\" /CurrentReboot:" + FormatUnsigned(currentReboot) +
         u" /TotalReboots:" + FormatSigned(static_cast<std::int32_t>(totalReboots)) + u" /Delay:" +
         FormatUnsigned(delayMinutes);
}

int RunRebootStep(app::Application& app) {
  RebootStep(app).Run();
  return 0;
}

void HandOverToSetup(app::Application& app) {
  ui::WindowBackend& ui = app.ui();
  app.mainFrame.Show(ui::show::Hide);
  DispatchPending(ui);
  app.mainFrame.Destroy();
  // The new instance looks for a visible frame of ours; give the destroyed
  // one's last messages time to settle first.
  for (int round = 0; round < 5; ++round) {
    DispatchPending(ui);
    ui.Sleep(5);
  }
  // The new instance reads the file when it starts and writes it when it
  // ends: it must find this start's measurements there, and this start must
  // not write the file again after it.
  (void)app.settings.Save();
  app.settings.saveOnClose = false;
  platform::Processes& processes = *app.ports().processes;
  // Unquoted and without arguments: a plain start, which shows the setup.
  const platform::ScopedProcess started(
      processes, LaunchProcess(processes, app.programPath, FolderOf(app.programPath),
                               platform::ShowCommand::Show, LaunchFlags::NoFsRedirection));
}

void SetButtonImage(app::Application& app, int buttonId, int imageResource) {
  ui::WindowBackend& ui = app.ui();
  const ui::Handle image = ui.LoadImageResource(imageResource, kButtonImageSize, kButtonImageSize);
  if (image == 0) return;
  const ui::Handle bitmap = ui.ImageToBitmap(image, kButtonImageSize, kButtonImageSize);
  ui.ReleaseImage(image);
  if (bitmap == 0) return;
  // The button keeps a copy of its own.
  app.mainFrame.SetControlBitmap(buttonId, bitmap, kButtonImageSize, kButtonImageSize);
  ui.DeleteObject(bitmap);
}

void SetButtonIcon(app::Application& app, int buttonId, int iconResource) {
  ui::WindowBackend& ui = app.ui();
  const ui::Handle icon = ui.LoadIconResource(iconResource, kButtonImageSize);
  if (icon == 0) return;
  app.mainFrame.SetControlIcon(buttonId, icon);
  ui.DestroyIcon(icon);
}

}  // namespace twk::sequence

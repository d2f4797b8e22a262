#include "setup/setup_window.h"

#include "base/wipe.h"
#include "context/start_context.h"
#include "platform/console.h"
#include "platform/identity.h"
#include "platform/port_handle.h"
#include "sequence/launch.h"
#include "sequence/restart_marks.h"
#include "settings/catalogue.h"
#include "setup/input_box.h"
#include "setup/setup_window_impl.h"
#include "ui/resource_ids.h"

namespace twk::setup {
namespace {

namespace key = settings::key;
namespace section = settings::section;

using ui::OwnedImage;
using ui::OwnedObject;

constexpr int kStartPictureSize = 26;

const Text kCancelCaption = u"   Cancel";
const Text kCancelOperationCaption = u"   Cancel operation";

}  // namespace

SetupWindow::SetupWindow(context::StartContext& start, const SetupOperations& operations)
    : start_(start),
      operations_(operations),
      frame_(start.frame()),
      pump_(start.pump()),
      settings_(start.settings()) {}

int SetupWindow::Run() {
  // Among them the shutdown privilege that the restart at the end needs.
  start_.ports().identity->EnablePrivileges();
  frame_.ShowTitle(Text(context::kProductTitle) + u" - Setup");
  CreateControls();
  WarnOfWaitingUpdates(false);
  // Said at once, over any other first text: nothing this window starts
  // could be kept.
  if (!start_.settingsReadable()) SetStatus(context::kSettingsUnreadable);
  frame_.Show(ui::ShowCommand::Normal);

  for (;;) {
    pump_.NextEvent(context::PumpMode::Wait);
    const ui::EventSlot& e = pump_.event();
    // A loop that can no longer fetch is as good as closed.
    if (e.eventId == ui::event::CloseRequest || e.eventId == ui::event::LoopEnded) return 0;
    if (e.sourceWindow != &frame_ || e.eventId <= 0) continue;
    const int id = e.eventId;
    Next next = Next::Stay;
    if (id == autoLogonBoxId_) {
      next = OnAutoLogonBox();
    } else if (id == optimizeId_) {
      next = OnOptimizeNow();
    } else if (id == processId_) {
      next = OnProcessNow();
    } else if (id == backupId_) {
      next = OnIconLayout(true);
    } else if (id == restoreId_) {
      next = OnIconLayout(false);
    } else if (id == startId_) {
      next = OnStartOperation();
    }
    if (next == Next::End) return 0;
  }
}

void SetupWindow::CreateControls() {
  const context::RunNumbers& run = start_.run();
  // The dashes run on under the edit boxes, which cover their ends.
  frame_.CreateLabel(u"Number of times to reboot:" + Text(40, u'-'), 30, 110, 425, 18);
  frame_.CreateLabel(u"Delay, in minutes, between each reboot:" + Text(22, u'-'), 30, 150, 425, 18);

  frame_.SetFont(u"Arial", 14, 400);
  timesId_ = frame_.CreateEdit(FormatUnsigned(run.totalReboots), 465, 102, 70, 26);
  frame_.CreateUpDown(30);
  delayId_ = frame_.CreateEdit(FormatUnsigned(run.delayMinutes), 465, 142, 70, 26);
  frame_.CreateUpDown(60);

  frame_.SetFont(u"Arial", 11, 400);
  const auto box = [&](const Text& text, int x, int y, int width, bool checked) {
    return frame_.CreateImageCheckBox(text, x, y, width, checked, frame_.checkedImage(),
                                      frame_.uncheckedImage());
  };
  const auto button = [&](const Text& text, int x, int y) {
    const int id = frame_.CreateButton(text, x, y, 115, 26, {.tabStop = true});
    frame_.SetControlCursor(id, ui::Cursor::Hand);
    return id;
  };
  const auto stored = [&](const char16_t* name) {
    return ToInteger(settings_.GetValueText(section::Setup, name));
  };
  reportBoxId_ = box(u" Display a detailed report after the last reboot", 30, 195, 400,
                     stored(key::NoReport) == 0);
  defragBoxId_ = box(u" Optimize the system partition before the operation", 30, 230, 400,
                     stored(key::DefragBefore) != 0);
  optimizeId_ = button(u"Optimize now", 455, 225);
  idleBoxId_ = box(u" Process idle tasks before the operation", 30, 265, 400,
                   stored(key::ProcessIdleTasks) != 0);
  processId_ = button(u"Process now", 455, 260);
  iconsBoxId_ = box(u" Backup and restore desktop icon layout", 30, 300, 300,
                    stored(key::BackupRestoreIcons) != 0);
  backupId_ = button(u"Backup now", 330, 295);
  restoreId_ = button(u"Restore now", 455, 295);
  autoLogonBoxId_ =
      box(u" Automatically log the current user on each boot up", 30, 335, 450, false);
  disableBoxId_ =
      box(u" Disable Auto-logon once the whole operation completes", 50, 360, 450, false);
  if (AutoLogonIsTheUsers()) frame_.SetControlState(autoLogonBoxId_, ui::state::Checked);

  frame_.SetFont(u"Arial", 9, 400);
  progressId_ = frame_.CreateProgressBar(20, 410, 340, 14, /*smooth=*/true);
  frame_.SetControlName(progressId_, u"Progress of the preparations");
  // Two lines high: the longer texts (waiting updates, a start that could
  // not be registered) wrap instead of losing their end.
  statusId_ =
      frame_.CreateLabel(u"Set the desired options and press 'Start operation'", 20, 430, 340, 32);
  CreateStartButton();
}

void SetupWindow::CreateStartButton() {
  frame_.SetFont(u"Arial", 14, 800);
  // Enter starts it wherever the focus is.
  startId_ = frame_.CreateButton(kStartCaption, 380, 405, 200, 42,
                                 {.tabStop = true, .defaultButton = true});
  frame_.SetControlTip(startId_, u"Process the requested operations and then start rebooting");
  frame_.SetControlCursor(startId_, ui::Cursor::Hand);
  // While busy the Start button cancels the wait for a launched tool.
  pump_.SetCancelControl(startId_);
  SetBusyState(u"Set the desired options and press 'Start operation'", std::nullopt, false);
}

bool SetupWindow::AutoLogonIsTheUsers() {
  const Text account = operations_.autoLogonUser ? operations_.autoLogonUser(start_) : Text();
  if (!EqualsIgnoreCase(account, start_.user().name)) return false;
  return operations_.isAutoLogonActive && operations_.isAutoLogonActive(start_);
}

bool SetupWindow::SetBusyState(const Text& status, std::optional<Text> caption, bool busy) {
  SetStatus(status);
  frame_.SetControlText(startId_, caption ? *caption : Text(kStartCaption));

  ui::WindowBackend& ui = start_.ui();
  const int picture = busy ? ui::resource::BusyImage : ui::resource::StartImage;
  const OwnedImage image(
      ui, frame_.MakeObject(ui::draw::ImageResource(picture, kStartPictureSize, kStartPictureSize)));
  if (image) {
    const OwnedObject bitmap(ui, frame_.MakeObject(ui::draw::BitmapOfImage(
                                     image.get(), kStartPictureSize, kStartPictureSize)));
    // The button keeps a copy of its own.
    if (bitmap)
      frame_.SetControlBitmap(startId_, bitmap.get(), kStartPictureSize, kStartPictureSize);
  }

  // The taskbar button says so too; a taskbar that cannot show it changes
  // nothing here.
  (void)frame_.SetTaskbarProgress(busy ? ui::TaskbarProgress::Indeterminate
                                       : ui::TaskbarProgress::None);
  return frame_.SetMarquee(progressId_, busy);
}

void SetupWindow::SetStatus(const Text& status) { frame_.SetControlText(statusId_, status); }

void SetupWindow::WarnOfWaitingUpdates(bool scripted) {
  if (!sequence::UpdatesWaiting(*start_.ports().registry)) return;
  if (!scripted) {
    SetStatus(kUpdatesWaiting);
    return;
  }
  platform::Console* console = start_.ports().console;
  if (console != nullptr && console->AttachToParent()) {
    (void)console->Write(Text(kUpdatesWaiting) + u"\r\n");
  }
}

void SetupWindow::EnableOptions(bool enabled) {
  pump_.SetControlsEnabled(
      timesId_, disableBoxId_,
      enabled ? context::ControlsState::Enabled : context::ControlsState::Disabled);
}

// ---- the hooks ---------------------------------------------------------------

int SetupWindow::Optimize() {
  return operations_.optimize ? operations_.optimize(start_) : sequence::WaitResult::NotStarted;
}

bool SetupWindow::BackupIcons() {
  return operations_.backupIcons && operations_.backupIcons(start_);
}

bool SetupWindow::RestoreIcons() {
  return operations_.restoreIcons && operations_.restoreIcons(start_);
}

AutoLogonResult SetupWindow::SetAutoLogon(const Text* account, const Text* password) {
  return operations_.setAutoLogon ? operations_.setAutoLogon(start_, account, password)
                                  : AutoLogonResult::Failed;
}

Text SetupWindow::IdleTaskCommandLine() const {
  return u"\"" + start_.paths().systemDirectory + u"\\Rundll32.exe\" advapi32.dll,ProcessIdleTasks";
}

int SetupWindow::ProcessIdleTasks() {
  return sequence::LaunchAndWait(pump_, *start_.ports().processes, IdleTaskCommandLine(),
                                 platform::ShowCommand::Show, start_.paths().systemDirectory);
}

// ---- the immediate buttons -------------------------------------------------

SetupWindow::Next SetupWindow::OnAutoLogonBox() {
  // The toolkit has already switched the box.
  if (!frame_.IsControlChecked(autoLogonBoxId_)) {
    if (SetAutoLogon(nullptr, nullptr) == AutoLogonResult::Failed) {
      frame_.SetControlState(autoLogonBoxId_, ui::state::Checked);
      SetBusyState(u"Auto-logon could not be unset", std::nullopt, false);
    } else {
      SetBusyState(u"Auto-logon successfully unset.", std::nullopt, false);
    }
  } else {
    SetBusyState(u"Setting up Auto-logon...", kCancelCaption, true);
    const Text& user = start_.user().name;
    Text password;
    bool set = false;
    if (ShowInputBox(
            start_,
            u"Please enter the auto-logon password for " + user + u" in the text box below.",
            password) == 1) {
      set = SetAutoLogon(&user, &password) == AutoLogonResult::Done;
    }
    // Used: it lives on only in the system's secret store.
    WipeText(password);
    if (set) {
      SetBusyState(u"Auto-logon successfully set.", std::nullopt, false);
    } else {
      frame_.SetControlState(autoLogonBoxId_, ui::state::Unchecked);
      SetBusyState(kCancelled, std::nullopt, false);
    }
  }
  frame_.SetControlState(disableBoxId_, frame_.IsControlChecked(autoLogonBoxId_)
                                            ? ui::state::Checked
                                            : ui::state::Unchecked);
  EnableOptions(true);
  return Next::Stay;
}

SetupWindow::Next SetupWindow::OnOptimizeNow() {
  EnableOptions(false);
  SetBusyState(u"Defragging the system partition...", kCancelOperationCaption, true);
  const int result = Optimize();
  if (result == sequence::WaitResult::Closing) return Next::End;
  EnableOptions(true);
  SetBusyState(result == sequence::WaitResult::NotStarted
                   ? u"The system partition could not be optimized."
                   : u"Successfully started defragging the system drive.",
               std::nullopt, false);
  return Next::Stay;
}

SetupWindow::Next SetupWindow::OnProcessNow() {
  EnableOptions(false);
  SetBusyState(u"Processing idle tasks...", kCancelOperationCaption, true);
  const int result = ProcessIdleTasks();
  if (result == sequence::WaitResult::Closing) return Next::End;
  EnableOptions(true);
  SetBusyState(result == sequence::WaitResult::NotStarted
                   ? u"Idle tasks could not be processed."
                   : u"Processing idle tasks was successfully started.",
               std::nullopt, false);
  return Next::Stay;
}

SetupWindow::Next SetupWindow::OnIconLayout(bool backup) {
  // A backup lives in the settings file, which is not written this time.
  if (backup && !start_.settingsReadable()) {
    SetBusyState(context::kSettingsUnreadable, std::nullopt, false);
    return Next::Stay;
  }
  EnableOptions(false);
  SetBusyState(backup ? u"Backing up the current desktop icons' layout..."
                      : u"Restoring the desktop icons' layout...",
               kCancelOperationCaption, true);
  const bool ok = backup ? BackupIcons() : RestoreIcons();
  const char16_t* message = backup ? (ok ? u"Desktop icons' layout successfully saved."
                                         : u"Desktop icons' layout could not be saved.")
                                   : (ok ? u"Desktop icons' layout successfully restored."
                                         : u"The desktop icons' layout could not be restored.");
  SetBusyState(message, std::nullopt, false);
  EnableOptions(true);
  return Next::Stay;
}

int RunSetup(context::StartContext& start, const SetupOperations& operations) {
  return SetupWindow(start, operations).Run();
}

}  // namespace twk::setup

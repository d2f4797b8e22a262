#pragma once
// The setup window's controls and handlers, shared by the files that build
// it: the window and its immediate buttons (setup_window.cpp) and the start
// of the operation (start_operation.cpp).
#include <optional>

#include "base/strings.h"
#include "sequence/measurement_store.h"
#include "setup/setup_operations.h"

namespace twk::context {
class StartContext;
class MainFrame;
class EventPump;
struct ScriptedStart;
}  // namespace twk::context

namespace twk::settings {
class SettingsFile;
}

namespace twk::setup {

inline constexpr char16_t kStartCaption[] = u"  Start operation";
inline constexpr char16_t kCancelled[] = u"Operation cancelled.";
// The Run value of the first step could not be written.
inline constexpr char16_t kNotRegistered[] =
    u"The next start could not be registered; the computer was not restarted.";

// Windows has updates waiting for a restart: the first restart of a
// sequence will install them, so the user may want to restart once first.
inline constexpr char16_t kUpdatesWaiting[] =
    u"Windows has updates waiting: the first restart will install them and is left out of the "
    u"statistics.";

class SetupWindow {
 public:
  SetupWindow(context::StartContext& start, const SetupOperations& operations);
  int Run();
  // The start with the boxes set from a script's choices, the window never
  // shown: 0 when the restart was requested, else 1 with the caller told.
  int RunScripted(const context::ScriptedStart& choices);

 private:
  // What a handler leaves the event loop to do.
  enum class Next { Stay, End };

  void CreateControls();
  void CreateStartButton();
  bool AutoLogonIsTheUsers();
  // The status text, the Start button's caption (none: "  Start operation")
  // and picture, and the progress bar's marquee. True when the bar took the
  // marquee request.
  bool SetBusyState(const Text& status, std::optional<Text> caption, bool busy);
  void SetStatus(const Text& status);
  // When Windows has updates waiting, says so in the status label, or for a
  // scripted start on the caller's console only (a message box would stop
  // the script, which is to go on).
  void WarnOfWaitingUpdates(bool scripted);
  // Controls from the times box to the disable-auto-logon box.
  void EnableOptions(bool enabled);

  Next OnAutoLogonBox();
  Next OnOptimizeNow();
  Next OnProcessNow();
  Next OnIconLayout(bool backup);
  Next OnStartOperation();

  // The hooks, with an empty one answering as a failure.
  int Optimize();
  bool BackupIcons();
  bool RestoreIcons();
  AutoLogonResult SetAutoLogon(const Text* account, const Text* password);
  int ProcessIdleTasks();
  Text IdleTaskCommandLine() const;
  // The computer's name and the system disk's kind, for the export's rows.
  [[nodiscard]] sequence::MachineIdentity SeenMachine() const;

  // The start's validated entries: the numbers written to the settings and
  // the Run value, after any correction, shown in their boxes.
  std::uint32_t CheckedTimes();
  std::uint32_t CheckedDelay();

  context::StartContext& start_;
  const SetupOperations& operations_;
  context::MainFrame& frame_;
  context::EventPump& pump_;
  settings::SettingsFile& settings_;

  // The system's words for a refused restart request, kept for the caller
  // of a scripted start.
  Text restartRefusal_;

  int timesId_ = 0;
  int delayId_ = 0;
  int reportBoxId_ = 0;
  int defragBoxId_ = 0;
  int optimizeId_ = 0;
  int idleBoxId_ = 0;
  int processId_ = 0;
  int iconsBoxId_ = 0;
  int backupId_ = 0;
  int restoreId_ = 0;
  int autoLogonBoxId_ = 0;
  int disableBoxId_ = 0;
  int progressId_ = 0;
  int statusId_ = 0;
  int startId_ = 0;
};

}  // namespace twk::setup

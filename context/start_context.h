#pragma once
// One start of the program: its run numbers, paths and identity, the
// settings document, the main frame and the event pump, and the ports it was
// built with. The modes reach everything through here: each reads the part it
// needs and changes the run state only through the named operations.
#include <cstdint>

#include "base/strings.h"
#include "context/command_line.h"
#include "context/event_pump.h"
#include "context/main_frame.h"
#include "platform/ports.h"
#include "platform/status.h"
#include "settings/ini_document.h"
#include "ui/event_slot.h"
#include "ui/window_backend.h"

namespace twk::context {

// Where a start stands in a sequence of restarts.
// What a start says when the settings could not be kept: no restart is
// asked for without its measurements on the disk, and a settings file that
// could not be read is never replaced.
inline constexpr char16_t kMeasurementsUnsaved[] =
    u"The measurements could not be saved, so the computer was not restarted.";
inline constexpr char16_t kSettingsUnreadable[] =
    u"The settings file could not be read, so nothing was written to it.";

struct RunNumbers {
  std::uint32_t totalReboots = 0;
  // The restart this start performs next: 0 on a plain start, 2 in the first
  // step, totalReboots + 1 in the result start.
  std::uint32_t currentReboot = 0;
  std::uint32_t delayMinutes = 0;
};

struct StartPaths {
  Text programPath;
  Text commandLine;  // the argument text as given, passed on when relaunching
  Text settingsFolder;
  Text systemDrive;  // "C:"; empty when unknown
  Text systemDirectory;
  // The Startup folders of the user the program works for and of all
  // users; empty when unknown.
  Text userStartupFolder;
  Text commonStartupFolder;
  Text SettingsFile() const { return settingsFolder + u"\\TWK.ini"; }
  Text ProgramFolder() const { return FolderOf(programPath); }
};

struct UserIdentity {
  Text name;
  Text sid;  // empty when unknown
};

class StartContext {
 public:
  StartContext(const platform::Ports& ports, ui::WindowBackend& ui);
  // Closes the settings (saving them when the start asked for it), then
  // destroys the frame.
  ~StartContext();
  StartContext(const StartContext&) = delete;
  StartContext& operator=(const StartContext&) = delete;

  // ---- the start, in this order ------------------------------------------
  // True when another instance's visible frame was brought to the front:
  // this start then ends without touching anything.
  [[nodiscard]] bool HandOverToRunningInstance();
  // Takes the numbers of the command line, finds the user and the settings,
  // applies the stored defaults; from here on the settings are saved when
  // the start ends.
  void Prepare(ui::Handle module, const CommandLine& commandLine);
  // The same for a start that only reads: the settings are loaded but never
  // written back, and no folder is created.
  void PrepareToRead(ui::Handle module, const CommandLine& commandLine);
  // Creates the main frame and starts the heartbeat.
  void CreateFrame();

  // ---- what the modes read -------------------------------------------------
  const RunNumbers& run() const { return run_; }
  const StartPaths& paths() const { return paths_; }
  const UserIdentity& user() const { return user_; }
  double windowsVersion() const { return windowsVersion_; }
  ui::Handle module() const { return module_; }
  const platform::Ports& ports() const { return ports_; }
  ui::WindowBackend& ui() { return ui_; }
  settings::SettingsFile& settings() { return settings_; }
  MainFrame& frame() { return frame_; }
  EventPump& pump() { return pump_; }

  // ---- run state --------------------------------------------------------
  // The setup starts a sequence of this many restarts; this start performs
  // the first itself.
  void ChooseSequence(std::uint32_t totalReboots) {
    run_.totalReboots = totalReboots;
    run_.currentReboot = 0;
  }
  // The step moves on to the restart after the one it performs.
  void AdvanceToNextReboot() { ++run_.currentReboot; }
  // Whether the restart number names a restart of this sequence that has
  // just completed (2 .. total + 1); a start with any other number, such as
  // one typed by hand, measures nothing.
  bool MeasuresARestart() const {
    return run_.currentReboot >= 2 && run_.currentReboot <= run_.totalReboots + 1u;
  }

  // Says something to whoever started the program: on the console of the
  // calling script when there is one, otherwise in a message box, unless the
  // desktop is one nobody sees; then nothing is said and only the exit code
  // tells. A script must never wait on a dialog it cannot see.
  void TellCaller(const Text& text);

  // False when the settings file is there but could not be read, even after
  // waiting for it: the start then writes nothing to it, and the modes say so
  // (kSettingsUnreadable) instead of starting anything that must be saved.
  bool settingsReadable() const { return settings_.writable(); }

  // The program again, in its own folder, with the given arguments: the
  // path quoted, so that a folder with blanks cannot start another program.
  Text SelfCommandLine(const Text& arguments = Text()) const;

 private:
  void FindUserAndSettings(bool willWrite);
  void LoadSettings();
  void ApplyDefaults();

  const platform::Ports ports_;
  ui::WindowBackend& ui_;
  ui::Handle module_ = 0;
  RunNumbers run_;
  StartPaths paths_;
  UserIdentity user_;
  double windowsVersion_ = 0.0;
  settings::SettingsFile settings_;
  ui::EventSlot slot_;
  MainFrame frame_;
  EventPump pump_;
};

}  // namespace twk::context

#pragma once
// The one object of a start of the program. It owns the settings document,
// the main frame with its controls, the event slot and the paths, performs
// the start (Run) and pumps the events that every mode window reads.
#include <cstdint>
#include <functional>

#include "platform/identity.h"
#include "platform/ports.h"
#include "settings/ini_document.h"
#include "base/strings.h"
#include "ui/event_slot.h"
#include "ui/toolkit_window.h"
#include "ui/window_backend.h"

namespace twk::app {

class Application;

enum class RunMode { Setup, RebootStep };

// The run of each mode; each returns the exit code of the start. The mode
// implementations plug in here (see run_modes.h for the product's set).
struct ModeRunners {
  std::function<int(Application&)> setup;
  std::function<int(Application&)> rebootStep;
};

// Post-operations that the result report carries out for other subsystems:
// restoring the desktop icons' positions (with topLevel = true) and switching
// automatic logon off (no account, no password). Their results are not used.
// An empty hook does nothing; the subsystems that own these operations set
// them.
struct ReportPostOperations {
  std::function<void(Application&)> restoreIconLayout;
  std::function<void(Application&)> switchOffAutoLogon;
};

// The publisher's web server; the pages below it are fixed.
inline constexpr char16_t kPublisherAddress[] = u"http://www.tarnwick.example";
inline constexpr char16_t kPublisherName[] = u"Tarnwick Software";
inline constexpr char kProgramVersion[] = TWK_VERSION_TEXT;

namespace mode {
inline constexpr int Wait = 0;
inline constexpr int Poll = 1;
inline constexpr int PollCount = 2;
}  // namespace mode

class Application {
 public:
  static constexpr int kFrameWidth = 600;
  static constexpr int kFrameHeight = 465;

  Application(const platform::Ports& ports, ui::WindowBackend& ui, ModeRunners modes);
  // With the product's modes (ProductModes, run_modes.h).
  Application(const platform::Ports& ports, ui::WindowBackend& ui);
  // The tear-down of a start: closes the settings (saving them when asked
  // to), deletes the check-box images and destroys the main frame.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Performs the start; returns the process exit code.
  int Run(ui::Handle module, const Text& argumentText, int showCommand);

  // Fetches (mode Wait: waits for) one message and turns it into the event
  // in eventSlot; see the mode constants for the results.
  int NextEvent(int mode);
  // Enables or disables the main frame's controls first..last (labels
  // excepted), then drains pending events. Returns how many changed state.
  int SetControlsEnabled(int first, int last, bool disable);

  RunMode runMode() const { return currentReboot != 0 ? RunMode::RebootStep : RunMode::Setup; }
  const platform::Ports& ports() const { return ports_; }
  ui::WindowBackend& ui() { return ui_; }
  // The address of the home page, the update page and the help page.
  static Text HomePage();
  static Text UpdatePage();
  static Text HelpPage();

  // ---- fields other parts of the program use, in this order ------------
  std::uint32_t totalReboots = 0;
  std::uint32_t currentReboot = 0;
  std::uint32_t delayMinutes = 0;
  double windowsVersion = 0.0;
  const Text windowClassName = u"TWK_GUI_CLASS";
  const Text productTitle = u"Tarnwick";
  ui::Handle instance = 0;
  // Controls of the frame's header.
  int titleId = 0;
  int homeLinkId = 0;
  int minimizeId = 0;
  int closeId = 0;
  int updateLinkId = 0;
  int helpLinkId = 0;
  // Controls of the mode window (0 = none).
  std::int32_t progressBarId = 0;
  std::int32_t statusLabelId = 0;
  std::int32_t cancelControlId = 0;
  ui::EventSlot eventSlot;
  ui::ToolkitWindow mainFrame;
  Text programPath;
  Text settingsFolder;
  Text userName;
  Text userSid;
  Text systemDrive;
  Text systemDirectory;
  Text commandLine;
  ui::Handle checkedImage = 0;
  ui::Handle uncheckedImage = 0;
  settings::SettingsFile settings;
  ReportPostOperations postOperations;

 private:
  int Start(ui::Handle module, const Text& argumentText, int showCommand);
  void ReadCommandLine(const Text& argumentText);
  void FindUserAndSettings();
  void ApplyDefaults();
  void CreateMainFrame();
  void ReleaseFrameDrawing();
  int RelaunchElevated(int showCommand);
  bool EnterActivatesControl(const ui::Message& message);
  void MainFrameActions();

  const platform::Ports ports_;
  ui::WindowBackend& ui_;
  ModeRunners modes_;
  platform::TokenHandle userToken_ = platform::kNoToken;
  // Drawing objects of the frame's decoration, released after the frame.
  ui::Handle frameBitmap_ = 0;
  ui::Handle frameBrush_ = 0;
  ui::Handle bandBitmap_ = 0;
  ui::Handle bandBrush_ = 0;
};

}  // namespace twk::app

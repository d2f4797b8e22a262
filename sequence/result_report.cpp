#include "sequence/result_report.h"

#include "app/application.h"
#include "platform/clock.h"
#include "platform/identity.h"
#include "platform/processes.h"
#include "platform/shell.h"
#include "sequence/history_view.h"
#include "sequence/reboot_step.h"
#include "sequence/time_stamps.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

namespace key = settings::key;
namespace section = settings::section;

constexpr int kCloseImage = 141;
constexpr int kProgramIcon = 107;
constexpr int kHandCursor = 32649;              // IDC_HAND
constexpr std::uint32_t kTabStop = 0x00010000;  // WS_TABSTOP

// Every number shown here: the number rule, then at most two decimals, cut.
Text Shown(double value) {
  Text text = FormatNumber(value);
  LimitDecimals(text);
  return text;
}

double Stamp(const settings::SettingsFile& settings, const Text& name) {
  const Text* text = settings.GetValue(section::TimeStamps, name);
  return text != nullptr ? ParseStamp(*text) : 0;
}

}  // namespace

std::vector<Text> ReportLines(std::uint32_t t, double first, double last) {
  std::vector<Text> lines;
  lines.push_back(u"Tarnwick performed " + FormatUnsigned(t) + u" sequential reboot" +
                  (t == 1 ? u" " : u"s ") + u"successfully.");
  lines.push_back(u"The first reboot in the sequence took " + Shown(first) + u" seconds.");
  // The improvement divides by the first duration.
  if (first == 0) return lines;

  if (t < 2) {
    lines.push_back(u"The computer was rebooted only once.");
  } else {
    lines.push_back(u"The last reboot in the sequence took " + Shown(last) + u" seconds.");
  }
  if (t == 1) {
    lines.push_back(u"You need to reboot more than once to calculate improvement.");
  } else if (last >= first) {
    lines.push_back(u"The reboot time was not improved this time.");
  } else {
    const double improvement = 100 - last * 100 / first;
    lines.push_back(u"The reboot time was improved by " + Shown(improvement) + u"%.");
  }
  return lines;
}

int ShowResultReport(app::Application& app) {
  const platform::Ports& ports = app.ports();
  settings::SettingsFile& settings = app.settings;
  ui::ToolkitWindow& frame = app.mainFrame;
  const std::uint32_t t = app.totalReboots;

  const bool disableAutoLogon =
      settings::ReadInteger(settings, section::PostOperation, key::DisableAutoLogon) != 0;
  // Only the first time: a repeated result start keeps the first reading.
  if (t > 1) RecordTimeStamp(settings, *ports.clock, app.currentReboot, TimeStampKind::LastBootUp);

  if (disableAutoLogon && !ports.identity->IsAdministrator()) {
    // Switching auto-logon off needs administrator rights: the elevated
    // instance (the same result start again) does the rest. It reads the
    // file when it starts, so the measurements go there now, and this
    // instance must not write the file again after it.
    (void)settings.Save();
    settings.saveOnClose = false;
    (void)ports.shell->RelaunchElevated(app.programPath, app.commandLine,
                                        FolderOf(app.programPath),
                                        platform::ShowCommand::Show);
    return 0;
  }

  const Text title = app.productTitle + u" - Result";
  frame.SetControlText(app.titleId, title);
  frame.SetTitle(title);

  if (settings::ReadInteger(settings, section::Setup, key::BackupRestoreIcons) != 0 &&
      app.postOperations.restoreIconLayout) {
    app.postOperations.restoreIconLayout(app);
  }
  if (disableAutoLogon) {
    if (app.postOperations.switchOffAutoLogon) app.postOperations.switchOffAutoLogon(app);
    // Done once: a repeated report must not switch it again.
    settings.DeleteKey(section::PostOperation, key::DisableAutoLogon);
  }

  const double first = Stamp(settings, key::FirstBootUp) - Stamp(settings, key::FirstShutDown);
  const double last = Stamp(settings, key::LastBootUp) - Stamp(settings, key::LastShutDown);
  const std::vector<Text> lines = ReportLines(t, first, last);
  frame.SetFont(u"Arial", 10, 400);
  for (std::size_t n = 1; n <= lines.size(); ++n) {
    frame.CreateLabel(lines[n - 1], 20, 70 + 20 * static_cast<int>(n), 560, 18);
  }
  if (first == 0) return 0;

  ShowRebootHistory(app);

  frame.SetFont(u"Arial", 12, 800);
  const int closeId = frame.CreateButton(u"  Close", 260, 420, 150, 36, kTabStop);
  SetButtonImage(app, closeId, kCloseImage);
  frame.SetControlCursor(closeId, kHandCursor);
  const int setupId = frame.CreateButton(u"  Setup", 430, 420, 150, 36, kTabStop);
  SetButtonIcon(app, setupId, kProgramIcon);
  frame.SetControlCursor(setupId, kHandCursor);

  frame.Show(ui::show::Normal);

  for (;;) {
    app.NextEvent(app::mode::Wait);
    const ui::EventSlot& event = app.eventSlot;
    if (event.eventId == ui::event::CloseRequest) break;
    if (event.sourceWindow != &frame || event.eventId <= 0) continue;
    if (event.eventId == closeId) break;
    if (event.eventId == setupId) {
      HandOverToSetup(app);
      break;
    }
  }
  // The measurements reach the file when the program ends (save on close).
  return 0;
}

}  // namespace twk::sequence

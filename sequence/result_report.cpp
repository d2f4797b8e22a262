#include "sequence/result_report.h"

#include "context/start_context.h"
#include "platform/clock.h"
#include "platform/identity.h"
#include "platform/processes.h"
#include "platform/shell.h"
#include "sequence/history_view.h"
#include "sequence/history_window.h"
#include "sequence/phase_recorder.h"
#include "sequence/reboot_step.h"
#include "sequence/time_stamps.h"
#include "settings/catalogue.h"
#include "ui/resource_ids.h"

namespace twk::sequence {
namespace {

namespace key = settings::key;
namespace section = settings::section;

// Every number shown here: the number rule, then at most two decimals, cut.
Text Shown(double value) {
  Text text = FormatNumber(value);
  LimitDecimals(text);
  return text;
}

}  // namespace

std::vector<Text> ReportLines(std::uint32_t t, double first, std::optional<double> last) {
  std::vector<Text> lines;
  lines.push_back(u"Tarnwick performed " + FormatUnsigned(t) + u" sequential reboot" +
                  (t == 1 ? u" " : u"s ") + u"successfully.");
  lines.push_back(u"The first reboot in the sequence took " + Shown(first) + u" seconds.");
  // The improvement divides by the first duration.
  if (first == 0) return lines;

  if (t < 2) {
    lines.push_back(u"The computer was rebooted only once.");
  } else if (!last) {
    // A figure that cannot be known is not made up (a missing stamp would
    // otherwise make it the other stamp's whole clock reading).
    lines.push_back(u"The last reboot in the sequence could not be measured.");
    lines.push_back(u"Without it the improvement cannot be calculated.");
    return lines;
  } else {
    lines.push_back(u"The last reboot in the sequence took " + Shown(*last) + u" seconds.");
  }
  if (t == 1) {
    lines.push_back(u"You need to reboot more than once to calculate improvement.");
  } else if (*last >= first) {
    lines.push_back(u"The reboot time was not improved this time.");
  } else {
    const double improvement = 100 - *last * 100 / first;
    lines.push_back(u"The reboot time was improved by " + Shown(improvement) + u"%.");
  }
  return lines;
}

PostOutcome RunPostOperations(context::StartContext& start,
                              const ReportPostOperations& postOperations,
                              const Text& elevatedArguments, bool mayRelaunch) {
  const platform::Ports& ports = start.ports();
  settings::SettingsFile& settings = start.settings();
  const bool disableAutoLogon =
      settings::ReadInteger(settings, section::PostOperation, key::DisableAutoLogon) != 0;
  if (disableAutoLogon && mayRelaunch && !ports.identity->IsAdministrator()) {
    // The elevated instance does the rest. It reads the file when it
    // starts, so the measurements go there now. When they cannot, it still
    // finds the request the setup saved, and this start tries its figures
    // again as it ends.
    if (!settings.SaveNow()) settings.SaveWhenClosed();
    const context::StartPaths& paths = start.paths();
    (void)ports.shell->RelaunchElevated(paths.programPath, elevatedArguments, paths.ProgramFolder(),
                                        platform::ShowCommand::Show, nullptr);
    return PostOutcome::HandedToElevated;
  }
  if (settings::ReadInteger(settings, section::Setup, key::BackupRestoreIcons) != 0 &&
      postOperations.restoreIconLayout) {
    postOperations.restoreIconLayout(start);
  }
  // Done once: a repeated end must not switch it again. A switch that did
  // not run (the Winlogon key refused it) stays asked for, so that the
  // program started again with the same arguments tries once more.
  if (disableAutoLogon && postOperations.switchOffAutoLogon &&
      postOperations.switchOffAutoLogon(start)) {
    (void)settings.Remove(section::PostOperation, key::DisableAutoLogon);
  }
  return PostOutcome::Done;
}

PostOutcome CompleteSequence(context::StartContext& start,
                             const ReportPostOperations& postOperations) {
  const context::RunNumbers& run = start.run();
  // The elevated instance is this result start again, its numbers written
  // afresh rather than passed on as they came.
  return RunPostOperations(start, postOperations,
                           RebootArguments(run.currentReboot, run.totalReboots, run.delayMinutes));
}

int ShowResultReport(context::StartContext& start, const ReportPostOperations& postOperations,
                     const MeasurementStore& measurements, PhaseRecorder* phases) {
  context::MainFrame& frame = start.frame();
  const std::uint32_t t = start.run().totalReboots;
  if (CompleteSequence(start, postOperations) == PostOutcome::HandedToElevated) return 0;

  frame.ShowTitle(Text(context::kProductTitle) + u" - Result");

  // The same figures the list shows: restart 1, and restart t measured by
  // the one reading that stamped LastBootUp.
  const auto firstDuration = DurationBetween(measurements.stamp(StampName::FirstShutDown),
                                             measurements.stamp(StampName::FirstBootUp));
  const auto lastDuration = DurationBetween(measurements.stamp(StampName::LastShutDown),
                                            measurements.stamp(StampName::LastBootUp));
  const double first = firstDuration ? firstDuration->seconds : 0;
  const std::vector<Text> lines = ReportLines(
      t, first, lastDuration ? std::optional<double>(lastDuration->seconds) : std::nullopt);

  frame.SetFont(u"Arial", 10, 400);
  const int firstReportId = frame.count() + 1;
  for (std::size_t n = 1; n <= lines.size(); ++n) {
    frame.CreateLabel(lines[n - 1], 20, 70 + 20 * static_cast<int>(n), 560, 18);
  }
  if (first == 0) return 0;

  ShowRebootHistory(frame, measurements);

  frame.SetFont(u"Arial", 12, 800);
  const int historyId = frame.CreateButton(u"  History", 90, 420, 150, 36, {.tabStop = true});
  frame.SetButtonImage(historyId, ui::resource::HistoryImage);
  frame.SetControlCursor(historyId, ui::Cursor::Hand);
  // Enter closes the report wherever the focus is.
  const int closeId =
      frame.CreateButton(u"  Close", 260, 420, 150, 36, {.tabStop = true, .defaultButton = true});
  frame.SetButtonImage(closeId, ui::resource::BusyImage);
  frame.SetControlCursor(closeId, ui::Cursor::Hand);
  const int setupId = frame.CreateButton(u"  Setup", 430, 420, 150, 36, {.tabStop = true});
  frame.SetButtonIcon(setupId, ui::resource::ProgramIcon);
  frame.SetControlCursor(setupId, ui::Cursor::Hand);

  const int lastReportId = frame.count();

  frame.Show(ui::ShowCommand::Normal);
  context::EventPump& pump = start.pump();
  bool toSetup = false;
  for (;;) {
    pump.NextEvent(context::PumpMode::Wait);
    if (phases != nullptr && phases->OnWake()) start.settings().SaveProgress();
    if (pump.event().eventId == ui::event::CloseRequest) break;
    if (pump.IsFrameControl(closeId)) break;
    if (pump.IsFrameControl(historyId)) {
      // The history covers the report until Back; nothing is recorded again.
      if (RunHistoryWindow(start, firstReportId, lastReportId) == HistoryExit::CloseRequested) {
        break;
      }
      continue;
    }
    if (pump.IsFrameControl(setupId)) {
      toSetup = true;
      break;
    }
  }
  // The wait for the desktop ends with the report: who kept it busy is read
  // now if the wait had not ended, before the setup reads the file.
  if (phases != nullptr) (void)phases->Finish();
  if (toSetup) HandOverToSetup(start);
  // The measurements reach the file when the program ends (save on close).
  return 0;
}

}  // namespace twk::sequence

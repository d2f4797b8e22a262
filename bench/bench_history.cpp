// How long the history window takes to open with a full archive: 50 kept
// sequences of 100 restarts each and a current one of 100, every restart
// with its phases, in the headless window system. The report start alone is
// timed beside it (every figure is the median of the repetitions); the
// history's own cost is the difference. A third start goes on from the
// history to the newest sequence's restarts, the view that draws the phases.
//
// The phases are written to the file as the measurements keep them; whether
// this build reads them back shows in the restarts' chart, and is printed.
// The window's own work on them (rows, median and spread of every sequence,
// the restarts' chart and rows of every one) is timed apart on summaries
// filled in memory, so that it is measured either way.
//
//   bench_history [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "base/text_codec.h"
#include "bench/bench_common.h"
#include "sequence/history_window.h"
#include "sequence/restart_phases.h"
#include "settings/catalogue.h"

namespace {

using twk::Text;
using twk::sequence::Phase;
using twk::sequence::RestartPhases;
using Clock = std::chrono::steady_clock;

constexpr int kSequences = 50;
constexpr int kRestarts = 100;
constexpr std::uint64_t kT0 = 13353768000ULL;  // 2024-03-01 12:00, local seconds since 1601

std::int64_t SecondsOf(int sequence, int restart) { return 30 + (sequence + restart) % 40; }

// Every figure known: a split that adds up to the restart, the desktop's
// time and Windows' own boot figures.
RestartPhases PhasesOf(std::int64_t seconds, int restart) {
  RestartPhases p;
  const std::int64_t ms = seconds * 1000 + restart % 7 * 100;
  p[Phase::ShutdownFirmware] = ms / 3;
  p[Phase::WindowsStart] = ms - ms / 3;
  p[Phase::DesktopReady] = 4000 + restart % 5 * 250;
  p[Phase::Firmware] = 6200;
  p[Phase::WindowsBoot] = ms - 5000;
  p[Phase::WindowsMainPath] = ms - 9000;
  p[Phase::WindowsPostBoot] = 4000;
  p[Phase::ShutdownAt] = static_cast<std::int64_t>(kT0) * 1000;
  p[Phase::CreatedAt] = static_cast<std::int64_t>(kT0) * 1000 + ms;
  return p;
}

// The sections the measurements keep phases in, beside Sequences and History.
constexpr char16_t kSequencesPhases[] = u"SequencesPhases";
constexpr char16_t kRestartPhases[] = u"RestartPhases";

std::string SettingsBytes() {
  std::vector<Text> lines = {u"[Setup]", u"TimesToReboot=100", u"RebootDelay=1", u"[Sequences]"};
  std::vector<Text> phaseLines = {Text(u"[") + kSequencesPhases + u"]"};
  for (int n = 1; n <= kSequences; ++n) {
    Text value = u"2024-02-01 09:15;" + twk::FormatUnsigned(40 + n % 20) + u";";
    Text phases;
    for (int r = 0; r < kRestarts; ++r) {
      value += (r ? u" " : u"") + twk::FormatUnsigned(SecondsOf(n, r));
      // One restart's nine figures joined by "/", the restarts by blanks.
      Text group = twk::sequence::FormatPhases(PhasesOf(SecondsOf(n, r), r));
      std::replace(group.begin(), group.end(), u' ', u'/');
      phases += (r ? u" " : u"") + group;
    }
    lines.push_back(u"Sequence " + twk::FormatUnsigned(n) + u"=" + value);
    phaseLines.push_back(u"Sequence " + twk::FormatUnsigned(n) + u"=" + phases);
  }
  lines.insert(lines.end(), phaseLines.begin(), phaseLines.end());
  lines.push_back(u"[TimeStamps]");
  lines.push_back(u"FirstShutDown=" + twk::FormatUnsigned(kT0));
  lines.push_back(u"FirstBootUp=" + twk::FormatUnsigned(kT0 + 60));
  lines.push_back(u"LastShutDown=" + twk::FormatUnsigned(kT0 + 9000));
  lines.push_back(u"LastBootUp=" + twk::FormatUnsigned(kT0 + 9045));
  lines.push_back(u"[History]");
  for (int r = 1; r <= kRestarts; ++r) {
    lines.push_back(u"Reboot " + twk::FormatUnsigned(r) + u"=" + twk::FormatUnsigned(40 + r % 25));
  }
  lines.push_back(Text(u"[") + kRestartPhases + u"]");
  for (int r = 1; r <= kRestarts; ++r) {
    lines.push_back(u"Reboot " + twk::FormatUnsigned(r) + u"=" +
                    twk::sequence::FormatPhases(PhasesOf(40 + r % 25, r)));
  }
  Text text;
  for (const Text& line : lines) text += line + u"\r\n";
  std::string bytes = "\xFF\xFE";  // the byte-order mark
  bytes += twk::ToUtf16(text, twk::ByteOrder::LittleEndian);
  return bytes;
}

enum class Open { ReportOnly, History, NewestRestarts };

struct StartTime {
  double ms = 0;
  bool restartsShown = false;
  bool phasesShown = false;  // the restarts' chart stacked phases
};

// One result start; the script opens as much as asked as soon as it shows
// and then closes the frame. Milliseconds from the start to the close.
StartTime TimeOneStart(const std::string& bytes, Open open) {
  twk::app::apptest::AppFixture fixture;
  (void)fixture.machine.files.SetFile(twk::app::apptest::kSettingsPath, bytes);
  auto& ui = fixture.ui;
  StartTime result;
  ui.When([&ui] { return ui.FindByText(u"  Close") != 0; },
          [&ui, open] {
            if (open == Open::ReportOnly) {
              ui.Close();
            } else {
              ui.Click(ui.FindByText(u"  History"));
            }
          });
  ui.When([&ui] { return ui.FindByText(u"  Restarts") != 0; },
          [&ui, open] {
            if (open == Open::History) {
              ui.Close();
            } else {
              ui.Click(ui.FindByText(u"  Restarts"));
            }
          });
  // The restarts' view: its chart shows below its two lines, where the
  // report has a line of its own (hidden by then).
  const auto restartsChart = [&ui]() -> const twk::ui::HeadlessBackend::Window* {
    const auto* w = ui.Find(ui.FindAt(20, 130));
    return w != nullptr && w->visible && w->kind == twk::ui::ControlKind::Chart ? w : nullptr;
  };
  ui.When([restartsChart] { return restartsChart() != nullptr; },
          [&ui, &result, restartsChart] {
            for (const auto& bar : restartsChart()->chart.bars) {
              result.phasesShown = result.phasesShown || bar.segments.size() > 1;
            }
            result.restartsShown = true;
            ui.Close();
          });
  const auto begin = Clock::now();
  fixture.app.emplace(fixture.machine.ports(), ui);
  (void)fixture.app->Run(0x400000, u"/CurrentReboot:101 /TotalReboots:100 /Delay:1", 1);
  result.ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
  return result;
}

// The window's figures for every sequence, phases included: the list's rows
// and chart, and each sequence's restarts as its view would show them.
double TimeFigures() {
  std::vector<twk::sequence::SequenceSummary> all;
  for (int n = 1; n <= kSequences + 1; ++n) {
    twk::sequence::SequenceSummary s;
    s.number = static_cast<std::uint64_t>(n);
    s.started = u"2024-02-01 09:15";
    s.average = 45;
    s.current = n == kSequences + 1;
    for (int r = 0; r < kRestarts; ++r) {
      const std::int64_t seconds = SecondsOf(n, r);
      auto& restart = s.restarts.emplace_back(
          twk::sequence::KeptRestart(twk::FormatUnsigned(static_cast<std::uint64_t>(seconds))));
      restart.exactMs = seconds * 1000 + r % 7 * 100;
      restart.phases = PhasesOf(seconds, r);
    }
    all.push_back(std::move(s));
  }
  const auto begin = Clock::now();
  std::size_t cells = 0;  // used, so that nothing is optimised away
  cells += twk::sequence::HistoryRows(all).size();
  cells += twk::sequence::HistoryChart(all).bars.size();
  for (const auto& s : all) {
    cells += twk::sequence::RestartsChart(s).bars.size();
    cells += twk::sequence::RestartRows(s).size();
    cells += twk::sequence::SpreadLine(s).size();
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
  if (cells == 0) std::printf("(no figures)\n");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = twk::bench::Repetitions(argc, argv);
  const std::string bytes = SettingsBytes();
  std::vector<double> report, history, restarts, figures;
  bool phasesShown = false;
  for (int i = 0; i < repetitions; ++i) {
    report.push_back(TimeOneStart(bytes, Open::ReportOnly).ms);
    history.push_back(TimeOneStart(bytes, Open::History).ms);
    const StartTime view = TimeOneStart(bytes, Open::NewestRestarts);
    restarts.push_back(view.ms);
    if (!view.restartsShown) {
      std::printf("the restarts' view did not show\n");
      return 1;
    }
    phasesShown = view.phasesShown;
    figures.push_back(TimeFigures());
  }
  const double r = twk::bench::Median(report);
  const double h = twk::bench::Median(history);
  const double v = twk::bench::Median(restarts);
  std::printf("result start, report alone:                     %.2f ms (median of %d)\n", r,
              repetitions);
  std::printf("result start, report + history open:            %.2f ms\n", h);
  std::printf("result start, report + history + restarts view: %.2f ms\n", v);
  std::printf("history window with 50 x 100 kept restarts: %.2f ms (goal: well under 100 ms)\n",
              h - r);
  std::printf(
      "  and the newest sequence's restarts view:  %.2f ms more (phases %s)\n", v - h,
      phasesShown ? "read from the file and stacked" : "not read from the file by this build");
  std::printf(
      "figures of all 51 sequences with phases (rows, chart, every restarts view): %.2f ms\n",
      twk::bench::Median(figures));
  return 0;
}

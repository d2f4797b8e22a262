// How long the history window takes to open with a full archive: 50 kept
// sequences of 100 restarts each and a current one of 100, in the headless
// window system. The report start alone is timed beside it (every figure is
// the median of the repetitions); the history's own cost is the difference.
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
#include "settings/catalogue.h"

namespace {

using twk::Text;
using Clock = std::chrono::steady_clock;

std::string SettingsBytes() {
  std::vector<Text> lines = {u"[Setup]", u"TimesToReboot=100", u"RebootDelay=1", u"[Sequences]"};
  for (int n = 1; n <= 50; ++n) {
    Text value = u"2024-02-01 09:15;" + twk::FormatUnsigned(40 + n % 20) + u";";
    for (int r = 0; r < 100; ++r)
      value += (r ? u" " : u"") + twk::FormatUnsigned(30 + (n + r) % 40);
    lines.push_back(u"Sequence " + twk::FormatUnsigned(n) + u"=" + value);
  }
  const std::uint64_t t0 = 13353768000ULL;
  lines.push_back(u"[TimeStamps]");
  lines.push_back(u"FirstShutDown=" + twk::FormatUnsigned(t0));
  lines.push_back(u"FirstBootUp=" + twk::FormatUnsigned(t0 + 60));
  lines.push_back(u"LastShutDown=" + twk::FormatUnsigned(t0 + 9000));
  lines.push_back(u"LastBootUp=" + twk::FormatUnsigned(t0 + 9045));
  lines.push_back(u"[History]");
  for (int r = 1; r <= 100; ++r) {
    lines.push_back(u"Reboot " + twk::FormatUnsigned(r) + u"=" + twk::FormatUnsigned(40 + r % 25));
  }
  Text text;
  for (const Text& line : lines) text += line + u"\r\n";
  std::string bytes = "\xFF\xFE";  // the byte-order mark
  bytes += twk::ToUtf16(text, twk::ByteOrder::LittleEndian);
  return bytes;
}

// One result start; with openHistory the script opens the history as soon
// as the report shows and closes the frame once the history shows. Returns
// milliseconds from the start to the close.
double TimeOneStart(const std::string& bytes, bool openHistory) {
  twk::app::apptest::AppFixture fixture;
  (void)fixture.machine.files.SetFile(twk::app::apptest::kSettingsPath, bytes);
  auto& ui = fixture.ui;
  ui.When([&ui] { return ui.FindByText(u"  Close") != 0; },
          [&ui, openHistory] {
            if (openHistory) {
              ui.Click(ui.FindByText(u"  History"));
            } else {
              ui.Close();
            }
          });
  ui.When([&ui] { return ui.FindByText(u"  Back") != 0; }, [&ui] { ui.Close(); });
  const auto begin = Clock::now();
  fixture.app.emplace(fixture.machine.ports(), ui);
  (void)fixture.app->Run(0x400000, u"/CurrentReboot:101 /TotalReboots:100 /Delay:1", 1);
  const auto end = Clock::now();
  return std::chrono::duration<double, std::milli>(end - begin).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const std::string bytes = SettingsBytes();
  std::vector<double> report, history;
  for (int i = 0; i < repetitions; ++i) {
    report.push_back(TimeOneStart(bytes, false));
    history.push_back(TimeOneStart(bytes, true));
  }
  const double r = Median(report);
  const double h = Median(history);
  std::printf("result start, report alone:          %.2f ms (median of %d)\n", r, repetitions);
  std::printf("result start, report + history open: %.2f ms (median of %d)\n", h, repetitions);
  std::printf("history window with 50 x 100 kept restarts: %.2f ms (goal: well under 100 ms)\n",
              h - r);
  return 0;
}

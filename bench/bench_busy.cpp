// The cost of who kept the desktop busy: one reading of a process list of
// 300 processes on the in-memory platform, with the kinds from an inventory
// of 40 start-up entries and 150 services (goal: under 20 ms of our own
// work), and a settings file with 50 kept sequences of 10 restarts, each
// restart with its 10 busy programs and two of Windows' culprits, loaded,
// read into the measurement store and saved (goal: under 30 ms), with the
// file's size.
//
//   bench_busy [repetitions]
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "bench/bench_common.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_processes.h"
#include "sequence/busy_programs.h"
#include "sequence/measurement_store.h"
#include "settings/ini_document.h"

namespace {

namespace seq = twk::sequence;
using twk::FormatUnsigned;
using twk::Text;
using Clock = std::chrono::steady_clock;

constexpr char16_t kPath[] = u"C:\\Tarnwick\\TWK.ini";

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

seq::Inventory MachineInventory() {
  seq::Inventory inventory;
  for (std::uint64_t i = 0; i < 40; ++i) {
    inventory.entries.push_back({seq::StartPlace::RunUser, u"App" + FormatUnsigned(i),
                                 u"\"C:\\Program Files\\Vendor\\app" + FormatUnsigned(i) +
                                     u".exe\" /background",
                                 std::nullopt, true});
  }
  for (std::uint64_t i = 0; i < 150; ++i) {
    inventory.entries.push_back({seq::StartPlace::Service, u"Service" + FormatUnsigned(i),
                                 u"C:\\Windows\\system32\\svc" + FormatUnsigned(i) + u".exe -k x",
                                 seq::StartType::Automatic, true});
  }
  return inventory;
}

// 300 processes as a desktop shortly after its start has them: a few start-up
// programs and services among many others, every one with CPU time and I/O,
// a few of them busy for seconds.
// With `startupBusy`, every start-up program and service worked for seconds
// too: the most a reading can keep.
void FillProcesses(twk::platform::FakeProcesses& processes, bool startupBusy) {
  std::vector<twk::platform::ProcessUsage> usages;
  for (std::uint32_t i = 0; i < 300; ++i) {
    const Text name = i % 20 == 0   ? u"app" + FormatUnsigned(i / 20) + u".exe"
                      : i % 7 == 0 ? u"svc" + FormatUnsigned(i / 7) + u".exe"
                                   : u"process" + FormatUnsigned(i) + u".exe";
    // Most of them did little; one in twenty worked for seconds.
    const bool startup = i % 20 == 0 || i % 7 == 0;
    const std::uint64_t cpuMs = (i * 7919u % 1000u < 950u && !(startupBusy && startup))
                                    ? i % 290u
                                    : 1000u + i * 13u % 4000u;
    usages.push_back({4 * i + 8, name, 133537680000000000 + i, cpuMs * 10000u,
                      i * 104729u % 2000000u, i * 1223u % 100000u});
    twk::platform::FakeProcesses::Listed listed;
    listed.imagePath = u"C:\\Program Files\\Vendor\\" + name;
    processes.AddProcess(4 * i + 8, listed);
  }
  processes.SetUsages(std::move(usages));
}

struct FileFigures {
  double loadMs = 0, saveMs = 0;
  std::size_t bytes = 0, readings = 0;
};

FileFigures FileWithReadings(const seq::BusyReading& reading, int repetitions) {
  twk::platform::FakeFileSystem fs;
  twk::platform::FakeAnsiCodePage ansi;
  twk::platform::FakeClock clock;
  fs.AddDrive(u'C');
  const std::vector<seq::BootCulprit> culprits = {{103, u"Spooler", 4200, 2100},
                                                  {101, u"Updater.exe", 9000, 6000}};
  {
    twk::settings::SettingsFile doc(fs, ansi);
    (void)doc.Load(kPath);
    seq::MeasurementStore store = seq::MeasurementStore::Load(doc);
    for (int s = 0; s <= 50; ++s) {
      (void)store.RecordTimeStamp(seq::TimeStampKind::SequenceStart, clock.Now());
      clock.AdvanceSeconds(60);
      (void)store.RecordTimeStamp(seq::TimeStampKind::FirstBootUp, clock.Now(), 2);
      for (std::uint32_t r = 3; r <= 11; ++r) {
        (void)store.RecordTimeStamp(seq::TimeStampKind::LastShutDown, clock.Now());
        clock.AdvanceSeconds(60);
        (void)store.RecordRebootDuration(r, clock.Now());
      }
      for (std::uint32_t r = 1; r <= 10; ++r) {
        (void)store.RecordBusyPrograms(seq::RestartKey(r), reading);
        (void)store.RecordCulprits(seq::RestartKey(r), culprits);
      }
    }
    (void)doc.Save();
  }
  FileFigures f;
  f.bytes = fs.FileBytes(kPath)->size();
  std::vector<double> load, save;
  for (int i = 0; i < repetitions; ++i) {
    twk::settings::SettingsFile doc(fs, ansi);
    auto begin = Clock::now();
    (void)doc.Load(kPath);
    const seq::MeasurementStore store = seq::MeasurementStore::Read(doc);
    load.push_back(Ms(begin));
    f.readings = 0;
    for (const auto& s : store.kept()) {
      for (const auto& r : s.restarts) f.readings += r.busy ? 1 : 0;
    }
    begin = Clock::now();
    (void)doc.Save();
    save.push_back(Ms(begin));
  }
  f.loadMs = twk::bench::Median(load);
  f.saveMs = twk::bench::Median(save);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = twk::bench::Repetitions(argc, argv);
  const seq::Inventory inventory = MachineInventory();
  for (const bool startupBusy : {false, true}) {
    twk::platform::FakeProcesses processes;
    FillProcesses(processes, startupBusy);
    std::vector<double> reads;
    std::optional<seq::BusyReading> reading;
    for (int i = 0; i < repetitions; ++i) {
      const auto begin = Clock::now();
      reading = seq::ReadBusyPrograms(processes, &inventory, true);
      reads.push_back(Ms(begin));
    }
    std::printf("%s: one reading of 300 processes, kinds from 190 start-up entries and "
                "services: %.3f ms, %zu kept (median of %d; goal < 20 ms)\n",
                startupBusy ? "every start-up program busy" : "a usual desktop",
                twk::bench::Median(reads), reading ? reading->programs.size() : 0, repetitions);
    const FileFigures f = FileWithReadings(reading.value_or(seq::BusyReading{}), repetitions);
    std::printf("  50 kept sequences of 10 restarts with these programs and two culprits each: "
                "file %zu bytes, load + read %.2f ms, save %.2f ms (goal < 30 ms; %zu readings)\n",
                f.bytes, f.loadMs, f.saveMs, f.readings);
  }
  return 0;
}

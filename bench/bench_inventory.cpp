// The cost of what starts with Windows: reading a machine with 40 start-up
// entries and 400 service keys from the in-memory registry and recording it
// in the settings document (goal: under 200 ms of our own work), and a
// settings file with 50 kept sequences and their inventories loaded, read
// into the measurement store and saved (goal: under 30 ms), with the file's
// size: once with every sequence on the same machine (one inventory, shared)
// and once with every one different (50 inventories, the worst case).
//
//   bench_inventory [repetitions]
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "bench/bench_common.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "sequence/inventory.h"
#include "sequence/measurement_store.h"
#include "settings/ini_document.h"

namespace {

namespace seq = twk::sequence;
using twk::Text;
using twk::platform::RegistryRoot;
using Clock = std::chrono::steady_clock;

constexpr char16_t kSid[] = u"S-1-5-21-1-2-3-1001";
constexpr char16_t kPath[] = u"C:\\Tarnwick\\TWK.ini";

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

std::vector<std::uint8_t> Dword(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// 30 Run values (user and machine), 10 Startup folder shortcuts, and 400
// service keys of which 150 start by themselves, as on a Windows 10 desktop.
void FillMachine(twk::platform::FakeRegistry& registry, twk::platform::FakeFileSystem& files,
                 twk::platform::FakeShell& shell) {
  const Text user = Text(kSid) + u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  for (int i = 0; i < 20; ++i) {
    registry.PutString(RegistryRoot::Users, user, u"UserApp" + twk::FormatUnsigned(i),
                       u"\"C:\\Program Files\\Vendor\\app.exe\" /background");
  }
  for (int i = 0; i < 10; ++i) {
    registry.PutString(RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                       u"MachineApp" + twk::FormatUnsigned(i), u"C:\\Tools\\tray.exe");
  }
  files.AddDrive(u'C');
  for (int i = 0; i < 10; ++i) {
    const Text link = u"C:\\Startup\\Shortcut " + twk::FormatUnsigned(i) + u".lnk";
    (void)files.SetFile(link, "L");
    shell.shortcuts[link] = u"C:\\Program Files\\Tool\\tool.exe -min";
  }
  for (int i = 0; i < 400; ++i) {
    const Text key = u"SYSTEM\\CurrentControlSet\\Services\\Service" + twk::FormatUnsigned(i);
    registry.PutValue(RegistryRoot::LocalMachine, key, u"Start", 4, Dword(i < 150 ? 2 : 3));
    registry.PutValue(RegistryRoot::LocalMachine, key, u"Type", 4, Dword(i % 3 == 0 ? 1 : 0x20));
    registry.PutString(RegistryRoot::LocalMachine, key, u"ImagePath",
                       u"C:\\Windows\\system32\\svchost.exe -k netsvcs -p");
  }
}

struct FileFigures {
  double loadMs = 0, saveMs = 0;
  std::size_t bytes = 0, inventories = 0;
};

// 50 kept sequences of 6 restarts, each with `inventory`, its version
// changed for every sequence when `allDifferent`.
FileFigures FileWith(const seq::Inventory& inventory, bool allDifferent, int repetitions) {
  twk::platform::FakeFileSystem fs;
  twk::platform::FakeAnsiCodePage ansi;
  twk::platform::FakeClock clock;
  fs.AddDrive(u'C');
  {
    twk::settings::SettingsFile doc(fs, ansi);
    (void)doc.Load(kPath);
    seq::MeasurementStore store = seq::MeasurementStore::Load(doc);
    for (int s = 0; s <= 50; ++s) {
      (void)store.RecordTimeStamp(seq::TimeStampKind::SequenceStart, clock.Now());
      seq::Inventory mine = inventory;
      if (allDifferent) mine.version += u"." + twk::FormatUnsigned(static_cast<std::uint64_t>(s));
      (void)store.RecordInventory(mine);
      clock.AdvanceSeconds(60);
      (void)store.RecordTimeStamp(seq::TimeStampKind::FirstBootUp, clock.Now(), 2);
      for (std::uint32_t r = 3; r <= 7; ++r) {
        (void)store.RecordTimeStamp(seq::TimeStampKind::LastShutDown, clock.Now());
        clock.AdvanceSeconds(60);
        (void)store.RecordRebootDuration(r, clock.Now());
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
    f.inventories = 0;
    for (const auto& s : store.AllSequences()) f.inventories += s.inventory ? 1 : 0;
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
  twk::platform::FakeRegistry registry;
  twk::platform::FakeFileSystem files;
  twk::platform::FakeShell shell;
  FillMachine(registry, files, shell);
  twk::platform::FakeAnsiCodePage ansi;

  std::vector<double> read, record;
  seq::Inventory inventory;
  for (int i = 0; i < repetitions; ++i) {
    auto begin = Clock::now();
    inventory = seq::ReadInventory({registry, files, shell},
                                   {kSid, u"C:\\Startup", u"", u"Tarnwick"});
    read.push_back(Ms(begin));
    twk::settings::SettingsFile doc(files, ansi);
    seq::MeasurementStore store = seq::MeasurementStore::Load(doc);
    begin = Clock::now();
    (void)store.RecordInventory(inventory);
    record.push_back(Ms(begin));
  }
  std::printf("inventory of 40 start-up entries and 400 service keys (%zu entries kept):\n",
              inventory.entries.size());
  std::printf("  read from the in-memory registry: %.2f ms, recorded in the settings: %.2f ms "
              "(median of %d; goal < 200 ms together)\n",
              twk::bench::Median(read), twk::bench::Median(record), repetitions);
  for (const bool different : {false, true}) {
    const FileFigures f = FileWith(inventory, different, repetitions);
    std::printf("50 kept sequences, %s: file %zu bytes, load + read %.2f ms, save %.2f ms "
                "(goal < 30 ms; %zu sequences with an inventory)\n",
                different ? "every one on another machine state (50 inventories)"
                          : "all on the same machine state (one inventory)",
                f.bytes, f.loadMs, f.saveMs, f.inventories);
  }
  return 0;
}

// The desktop-ready moment as a start samples it on its wake-ups: the
// processors from the clock, the disk from the system drive's counters,
// and which of the two rules decided, kept beside the moment.
#include "sequence/phase_recorder.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "sequence/sequence_test_support.h"
#include "sequence/event_xml.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

using Query = platform::FakeDevices::Query;

constexpr char16_t kSettings[] = u"C:\\Tarnwick\\TWK.ini";
constexpr char16_t kDisk[] = u"\\\\.\\PHYSICALDRIVE1";
constexpr std::uint64_t kQueryTime0 = 133537680000000000;  // 100 ns since 1601

// A DISK_PERFORMANCE answer with these two counters.
std::vector<std::uint8_t> DiskAnswer(std::uint64_t idle, std::uint64_t queryTime) {
  std::vector<std::uint8_t> bytes(platform::kDiskPerformanceSize, 0);
  for (int i = 0; i < 8; ++i) {
    bytes[platform::kDiskIdleTimeAt + i] = static_cast<std::uint8_t>(idle >> (8 * i));
    bytes[platform::kDiskQueryTimeAt + i] = static_cast<std::uint8_t>(queryTime >> (8 * i));
  }
  return bytes;
}

class PhaseRecorderTest : public ::testing::Test {
 protected:
  PhaseRecorderTest() {
    (void)machine.files.SetFile(kSettings, testing::Utf16File({u"[History]", u"Reboot 1=60",
                                                               u"[Setup]", u"RebootDelay=1"}));
    (void)settings.Load(kSettings);
    measurements = MeasurementStore::Load(settings);
  }
  void SystemDiskIsOne() {
    machine.devices.AddDevice(u"\\\\.\\C:");
    machine.devices.Answer(Query::DeviceNumber, {7, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0});
    machine.devices.AddDevice(kDisk);
  }
  // The disk busy for busyMs, then idle, as its counters answer every 100 ms
  // from the first sample on: one answer per sample, in turn.
  void DiskBusyFor(std::uint64_t busyMs) {
    for (std::uint64_t at = 0; at <= 60000; at += 100) {
      const std::uint64_t idleMs = at > busyMs ? at - busyMs : 0;
      machine.devices.Answer(Query::DiskPerformance,
                             DiskAnswer(idleMs * 10000, kQueryTime0 + at * 10000));
    }
  }
  // Wakes it every 20 ms until it is done; the milliseconds that took.
  std::uint64_t WakeUntilDone(PhaseRecorder& recorder) {
    const std::uint64_t start = machine.clock.TickMilliseconds();
    int written = 0;
    while (!recorder.done() && machine.clock.TickMilliseconds() - start < 200000) {
      written += recorder.OnWake() ? 1 : 0;
      machine.clock.AdvanceMilliseconds(20);
    }
    EXPECT_EQ(written, 1);
    return machine.clock.TickMilliseconds() - start;
  }
  PhaseRecorder Recorder(const Text& systemDrive = u"C:") {
    return PhaseRecorder(ports, measurements, 1, machine.clock.Now(), systemDrive);
  }
  Text Stored(const Text& section) const {
    const Text* value = settings.GetValue(section, u"Reboot 1");
    return value != nullptr ? *value : u"<none>";
  }
  std::optional<std::int64_t> Ready() const {
    return measurements.restarts().at(0).phases[Phase::DesktopReady];
  }

  platform::FakePlatform machine;
  const platform::Ports ports = machine.ports();  // the recorder keeps a reference
  settings::SettingsFile settings{machine.files, machine.ansi};
  MeasurementStore measurements;
};

TEST_F(PhaseRecorderTest, ABusyDiskHoldsTheMomentBackAndTheRuleIsKeptBesideIt) {
  SystemDiskIsOne();
  DiskBusyFor(12000);
  PhaseRecorder recorder = Recorder();
  (void)WakeUntilDone(recorder);
  // The processors were idle all along; the disk decided.
  EXPECT_EQ(Ready(), 12000);
  EXPECT_EQ(measurements.restarts().at(0).readyBy, ReadyRule::CpuAndDisk);
  EXPECT_EQ(Stored(file::section::RestartReadyBy), u"cpu+disk");
  // One open of the volume and one of the disk, both without rights, a
  // reading per sample through the one handle, all closed once decided.
  ASSERT_EQ(machine.devices.opens().size(), 2u);
  EXPECT_EQ(machine.devices.opens()[1].path, kDisk);
  EXPECT_EQ(machine.devices.opens()[1].access, platform::DeviceAccess::None);
  EXPECT_EQ(machine.devices.CountCalls(Query::DiskPerformance), 221);  // 0 to 22 s
  EXPECT_EQ(machine.devices.openHandleCount(), 0u);
}

TEST_F(PhaseRecorderTest, WithoutTheDisksCountersTheProcessorsDecideAloneAndSaySo) {
  // The disk opens, but its query fails (as under Wine): asked once, then
  // let go.
  SystemDiskIsOne();
  machine.clock.SetCpuBusy(true);
  PhaseRecorder recorder = Recorder();
  for (int wake = 0; wake < 150; ++wake) {  // 3 s
    EXPECT_FALSE(recorder.OnWake());
    machine.clock.AdvanceMilliseconds(20);
  }
  EXPECT_EQ(machine.devices.CountCalls(Query::DiskPerformance), 1);
  EXPECT_EQ(machine.devices.openHandleCount(), 0u);
  machine.clock.SetCpuBusy(false);
  (void)WakeUntilDone(recorder);
  EXPECT_EQ(Ready(), 3000);
  EXPECT_EQ(Stored(file::section::RestartReadyBy), u"cpu");
  EXPECT_EQ(machine.devices.CountCalls(Query::DiskPerformance), 1);

  // No system drive known: no device is asked at all.
  PhaseRecorder blind = Recorder(Text());
  measurements = MeasurementStore::Load(settings);
  const std::size_t opens = machine.devices.opens().size();
  (void)blind.OnWake();
  EXPECT_EQ(machine.devices.opens().size(), opens);
}

TEST_F(PhaseRecorderTest, ADesktopThatNeverSettlesKeepsNeitherMomentNorRule) {
  SystemDiskIsOne();
  DiskBusyFor(1000000);
  PhaseRecorder recorder = Recorder();
  int written = 0;
  while (!recorder.done()) {
    written += recorder.OnWake() ? 1 : 0;
    machine.clock.AdvanceMilliseconds(20);
  }
  EXPECT_EQ(Ready(), std::nullopt);
  EXPECT_EQ(Stored(file::section::RestartReadyBy), u"<none>");
  EXPECT_EQ(machine.devices.openHandleCount(), 0u);
  // Given up: what was busy is read all the same, as read before the ready
  // moment, and that is the only thing written.
  EXPECT_EQ(written, 1);
  EXPECT_EQ(Stored(file::section::RestartBusy), u"before");
}

// ---- who kept the desktop busy, and Windows' culprits ------------------------------

platform::ProcessUsage Usage(std::uint32_t id, const Text& name, std::uint64_t cpuMs) {
  return {id, name, 0, cpuMs * 10000, 0, 0};
}

TEST_F(PhaseRecorderTest, TheBusyProgramsAreReadOnceAfterTheDecisionAndNeverWhileSampling) {
  machine.processes.SetOwnId(77);
  machine.processes.SetUsages({Usage(0, u"", 900000), Usage(77, u"Tarnwick.exe", 5000),
                               Usage(12, u"Indexer.exe", 8200)});
  machine.processes.AddProcess(12, {.imagePath = u"C:\\Tools\\Indexer.exe"});
  machine.clock.SetCpuBusy(true);
  PhaseRecorder recorder = Recorder(Text());
  for (int wake = 0; wake < 100; ++wake) {  // 2 s of sampling
    EXPECT_FALSE(recorder.OnWake());
    machine.clock.AdvanceMilliseconds(20);
  }
  EXPECT_EQ(machine.processes.usageReads(), 0);
  machine.clock.SetCpuBusy(false);
  (void)WakeUntilDone(recorder);
  EXPECT_EQ(machine.processes.usageReads(), 1);
  // The idle process and this program are left out; the path is the one the
  // process answers to an open.
  EXPECT_EQ(Stored(file::section::RestartBusy),
            u"ready|Indexer.exe*C:\\Tools\\Indexer.exe*other*8200*?");
  // Nothing is read again when the countdown ends afterwards.
  EXPECT_FALSE(recorder.Finish());
  EXPECT_EQ(machine.processes.usageReads(), 1);
}

TEST_F(PhaseRecorderTest, AWaitCutShortReadsWhatWasBusyThenAsBeforeTheReadyMoment) {
  machine.processes.SetUsages({Usage(5, u"Updater.exe", 2500)});
  machine.clock.SetCpuBusy(true);
  PhaseRecorder recorder = Recorder(Text());
  (void)recorder.OnWake();
  EXPECT_TRUE(recorder.Finish());
  EXPECT_TRUE(recorder.done());
  EXPECT_EQ(Stored(file::section::RestartBusy), u"before|Updater.exe**other*2500*?");
  // A list that cannot be read leaves the restart without a reading.
  ASSERT_TRUE(settings.Remove(file::section::RestartBusy, u"Reboot 1"));
  measurements = MeasurementStore::Load(settings);
  machine.processes.SetUsagesStatus(platform::Status::Denied);
  EXPECT_FALSE(Recorder(Text()).Finish());
  EXPECT_EQ(Stored(file::section::RestartBusy), u"<none>");
}

// An event 101 to 110 of the boot log as Windows renders it, written at
// `written` (UTC).
Text CulpritEvent(int id, const Text& written, const Text& name, int total, int degradation) {
  return u"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
         u"<Provider Name='Microsoft-Windows-Diagnostics-Performance' "
         u"Guid='{CFC18EC0-96B1-4EBA-961B-622CAEE05B0A}'/><EventID>" +
         FormatUnsigned(id) + u"</EventID><Level>3</Level><TimeCreated SystemTime='" + written +
         u"'/></System><EventData><Data Name='StartTime'>2026-12-01T08:00:00.0000000Z</Data>"
         u"<Data Name='Name'>" +
         name + u"</Data><Data Name='FriendlyName'>Friendly</Data><Data Name='TotalTime'>" +
         FormatUnsigned(total) + u"</Data><Data Name='DegradationTime'>" +
         FormatUnsigned(degradation) + u"</Data></EventData></Event>";
}

TEST_F(PhaseRecorderTest, WindowsCulpritsGoToTheRestartWhoseStartTheyFollow) {
  // Restart 1 ended at 08:01 (the program's start), restart 2 was asked for
  // at 08:10 and ended at 08:12; this start measures restart 2.
  constexpr std::int64_t kMinute = 60000;
  const std::int64_t at0800 = *ParseUtcDateTime(u"2026-12-01T08:00:00Z");
  // (Loading saves the document held before: each file under its own name.)
  (void)machine.files.SetFile(
      u"C:\\Tarnwick\\Two.ini",
      testing::Utf16File({u"[History]", u"Reboot 1=60", u"Reboot 2=120", u"[RestartPhases]",
                          u"Reboot 1=? ? ? ? ? ? ? ? " + FormatSigned(at0800 + kMinute),
                          u"Reboot 2=? ? ? ? ? ? ? " + FormatSigned(at0800 + 10 * kMinute) +
                              u" " + FormatSigned(at0800 + 12 * kMinute)}));
  ASSERT_TRUE(settings.Load(u"C:\\Tarnwick\\Two.ini"));
  measurements = MeasurementStore::Load(settings);
  ASSERT_TRUE(measurements.restarts().at(1).phases[Phase::CreatedAt]);
  machine.bootEvents.SetDegradationRecords(
      {CulpritEvent(103, u"2026-12-01T08:14:00.5Z", u"Spooler", 4200, 2100),  // restart 2's
       CulpritEvent(101, u"2026-12-01T08:04:00Z", u"Updater.exe", 9000, 6000),
       CulpritEvent(102, u"2026-12-01T08:00:30Z", u"slow.sys", 900, 500),  // before restart 1 ended
       CulpritEvent(109, u"2026-12-01T08:05:00Z", u"", 700, 300)});
  const auto at = [&](std::int64_t minutes) {
    const std::int64_t ms = at0800 + minutes * kMinute;
    return platform::ClockReading{static_cast<std::uint64_t>(ms / 1000), ms};
  };
  machine.clock.SetSecond(at(12).localSecond);
  PhaseRecorder recorder(ports, measurements, 2, at(12));
  EXPECT_TRUE(recorder.RecordAtStart());
  // Restart 1's window has closed; restart 2's is open until the next
  // restart, so nothing is said of it yet.
  EXPECT_EQ(*settings.GetValue(file::section::RestartCulprits, u"Reboot 1"),
            u"101*Updater.exe*9000*6000|109*Friendly*700*300");  // no Name: the friendly one
  EXPECT_EQ(settings.GetValue(file::section::RestartCulprits, u"Reboot 2"), nullptr);
  // Read once, and not again while nothing more is wanted.
  const int reads = machine.bootEvents.degradationReads();
  EXPECT_FALSE(recorder.RecordAtStart());
  EXPECT_EQ(machine.bootEvents.degradationReads(), reads);

  // The start that ends the sequence reads its own restart's up to now.
  machine.clock.SetSecond(at(20).localSecond);
  PhaseRecorder last(ports, measurements, 2, at(12));
  last.EndsSequence();
  EXPECT_TRUE(last.Finish());
  EXPECT_EQ(*settings.GetValue(file::section::RestartCulprits, u"Reboot 2"),
            u"103*Spooler*4200*2100");
  EXPECT_EQ(CulpritLines(measurements.restarts().at(1).culprits),
            std::vector<Text>{u"Windows: service Spooler took 4.2 s, 2.1 s longer than usual"});

  // A log that cannot be read (no administrator rights) leaves them unknown.
  machine.bootEvents.SetStatus(platform::Status::Denied);
  (void)machine.files.SetFile(
      u"C:\\Tarnwick\\One.ini", testing::Utf16File({u"[History]", u"Reboot 1=60", u"[RestartPhases]",
                                     u"Reboot 1=? ? ? ? ? ? ? ? " + FormatSigned(at(12).utcMilliseconds)}));
  ASSERT_TRUE(settings.Load(u"C:\\Tarnwick\\One.ini"));
  measurements = MeasurementStore::Load(settings);
  PhaseRecorder denied(ports, measurements, 1, at(12));
  denied.EndsSequence();
  (void)denied.Finish();
  EXPECT_EQ(machine.bootEvents.degradationReads(), reads + 2);
  EXPECT_EQ(settings.GetValue(file::section::RestartCulprits, u"Reboot 1"), nullptr);
  EXPECT_EQ(measurements.restarts().at(0).culprits, std::nullopt);
}

}  // namespace
}  // namespace twk::sequence

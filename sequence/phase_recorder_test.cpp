// The desktop-ready moment as a start samples it on its wake-ups: the
// processors from the clock, the disk from the system drive's counters,
// and which of the two rules decided, kept beside the moment.
#include "sequence/phase_recorder.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "sequence/sequence_test_support.h"
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
  while (!recorder.done()) {
    EXPECT_FALSE(recorder.OnWake());
    machine.clock.AdvanceMilliseconds(20);
  }
  EXPECT_EQ(Ready(), std::nullopt);
  EXPECT_EQ(Stored(file::section::RestartReadyBy), u"<none>");
  EXPECT_EQ(machine.devices.openHandleCount(), 0u);
}

}  // namespace
}  // namespace twk::sequence

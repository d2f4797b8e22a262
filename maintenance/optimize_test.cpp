// The defragmenter's command lines by version and disk kind, and the run
// around them: an old defragmenter stopped first, its window opened first.
#include "maintenance/optimize.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/fake/fake_devices.h"
#include "platform/fake/fake_platform.h"
#include "sequence/launch.h"

namespace twk::maintenance {
namespace {

constexpr char16_t kSystem[] = u"C:\\Windows\\System32";
constexpr char16_t kDefrag[] = u"C:\\Windows\\System32\\defrag.exe";

bool Everything(const Text&) { return true; }

TEST(PlanOptimization, SwitchesFollowTheVersionAndTheDiskKindAndMissingProgramsSysNative) {
  struct Case {
    double version;
    bool solidState;
    const char16_t* switches;
    int show;
    bool window;
  };
  const Case cases[] = {
      {10.0, true, u" /L /H", 0, true},
      {6.2, false, u" /H", 0, true},
      {6 + 1 / 10.0, true, u" /L /H", 5, false},
      {6.0, true, u" /L /f", 5, false},
      {5.1, false, u" /f", 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version << (c.solidState ? " ssd" : " hdd"));
    OptimizePlan plan = PlanOptimization(c.version, kSystem, u"C:", c.solidState, Everything);
    EXPECT_FALSE(plan.runsNothing);
    EXPECT_EQ(plan.defragPath, kDefrag);
    EXPECT_EQ(plan.commandLine, Text(kDefrag) + u" C:" + c.switches);
    EXPECT_EQ(plan.showCommand, c.show);
    EXPECT_EQ(plan.interfacePath.has_value(), c.window);
    if (c.window) {
      EXPECT_EQ(*plan.interfacePath, u"C:\\Windows\\System32\\dfrgui.exe");
    }
  }

  // A program missing from the system folder is reached through SysNative.
  OptimizePlan plan =
      PlanOptimization(10.0, u"C:\\WINDOWS\\system32", u"D:", false,
                       [](const Text& path) { return path.find(u"dfrgui") != Text::npos; });
  EXPECT_EQ(plan.defragPath, u"C:\\WINDOWS\\SysNative\\defrag.exe");
  EXPECT_EQ(plan.commandLine, u"C:\\WINDOWS\\SysNative\\defrag.exe D: /H");
  EXPECT_EQ(*plan.interfacePath, u"C:\\WINDOWS\\system32\\dfrgui.exe");
}

class OptimizeSystemPartitionTest : public ::testing::Test {
 protected:
  OptimizeSystemPartitionTest() {
    (void)machine.files.SetFile(kDefrag, "");
    (void)machine.files.SetFile(u"C:\\Windows\\System32\\dfrgui.exe", "");
  }
  int Run(double version) {
    return OptimizeSystemPartition(version, kSystem, u"C:",
                                   {machine.processes, devices, machine.files},
                                   [this](const Text& commandLine, int show, const Text& folder) {
                                     waits.push_back(commandLine);
                                     waitShow = show;
                                     waitFolder = folder;
                                     launchesBeforeWait = machine.processes.launches().size();
                                     return waitResult;
                                   });
  }
  platform::FakePlatform machine;
  platform::FakeDevices devices;
  std::vector<Text> waits;
  int waitShow = -1;
  Text waitFolder;
  std::size_t launchesBeforeWait = 0;
  int waitResult = sequence::WaitResult::Ended;
};

TEST_F(OptimizeSystemPartitionTest, TheWindowOpensFirstThenTheCommandRunsHidden) {
  machine.processes.SetMachine(true, true);
  waitResult = sequence::WaitResult::Cancelled;
  EXPECT_EQ(Run(10.0), sequence::WaitResult::Cancelled);
  ASSERT_EQ(waits, std::vector<Text>{Text(kDefrag) + u" C: /H"});
  EXPECT_EQ(waitShow, 0);
  EXPECT_EQ(waitFolder, kSystem);
  ASSERT_EQ(launchesBeforeWait, 1u);
  const auto& window = machine.processes.launches()[0];
  EXPECT_EQ(std::tie(window.commandLine, window.workingDirectory, window.showCommand,
                     window.redirectionOff),
            std::make_tuple(Text(u"C:\\Windows\\System32\\dfrgui.exe"), Text(kSystem), 5, true));
  EXPECT_EQ(machine.processes.openHandleCount(), 0u);  // not kept, not waited for
}

TEST_F(OptimizeSystemPartitionTest, ASolidStateDiskOnAnOldSystemIsLeftAlone) {
  // C: lies on disk 0, which has no seek penalty.
  devices.AddDevice(u"\\\\.\\C:");
  devices.Answer(platform::FakeDevices::Query::DeviceNumber, std::vector<std::uint8_t>(12, 0));
  devices.AddDevice(u"\\\\.\\PHYSICALDRIVE0");
  devices.Answer(platform::FakeDevices::Query::Property, 7, std::vector<std::uint8_t>(12, 0));
  EXPECT_EQ(Run(5.1), sequence::WaitResult::Ended);
  EXPECT_TRUE(waits.empty());
  EXPECT_TRUE(machine.processes.launches().empty());
  EXPECT_EQ(Run(6.1), sequence::WaitResult::Ended);
  EXPECT_EQ(waits, std::vector<Text>{Text(kDefrag) + u" C: /L /H"});
  EXPECT_EQ(waitShow, 5);
  EXPECT_TRUE(machine.processes.launches().empty());
}

TEST_F(OptimizeSystemPartitionTest, ARunningDefragmenterIsStoppedFirst) {
  machine.processes.AddProcess(700, {.imagePath = u"c:\\windows\\SYSTEM32\\DEFRAG.EXE"});
  machine.processes.AddProcess(800, {.imagePath = u"C:\\Windows\\System32\\defrag.exe.bak"});
  EXPECT_EQ(Run(6.0), sequence::WaitResult::Ended);
  EXPECT_FALSE(machine.processes.IsRunning(700));
  EXPECT_TRUE(machine.processes.IsRunning(800));
  EXPECT_EQ(waits, std::vector<Text>{Text(kDefrag) + u" C: /f"});

  // Started through SysNative, it still runs, and is found, as the system folder's.
  machine.files = platform::FakeFileSystem();
  machine.processes.AddProcess(900, {.imagePath = kDefrag});
  EXPECT_EQ(Run(6.0), sequence::WaitResult::Ended);
  EXPECT_FALSE(machine.processes.IsRunning(900));
  EXPECT_TRUE(machine.processes.IsRunning(800));
  EXPECT_EQ(waits.back(), u"C:\\Windows\\SysNative\\defrag.exe C: /f");
}

TEST_F(OptimizeSystemPartitionTest, AMissingDefragmenterStillGoesToTheWait) {
  machine.files = platform::FakeFileSystem();
  waitResult = sequence::WaitResult::NotStarted;
  EXPECT_EQ(Run(10.0), sequence::WaitResult::NotStarted);
  EXPECT_EQ(waits, std::vector<Text>{u"C:\\Windows\\SysNative\\defrag.exe C: /H"});
  // The window could not be started either; that changes nothing.
  ASSERT_EQ(machine.processes.launches().size(), 1u);
  EXPECT_EQ(machine.processes.launches()[0].commandLine, u"C:\\Windows\\SysNative\\dfrgui.exe");
}

}  // namespace
}  // namespace twk::maintenance

// However a sequence ends, the machine is left as the user asked at the
// setup: after the last restart with or without a report, closed or handed
// over to the setup in a countdown, or with Windows refusing to restart.
// (That only the numbers read travel on the next start's command line is the
// setup window's test of what it writes.) Auto-logon here is the real switch
// on the simulated Winlogon key and LSA.
#include <gtest/gtest.h>

#include "app/run_modes.h"
#include "sequence/reboot_step.h"
#include "sequence/restart_phases.h"
#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;
using platform::RegistryRoot;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr char16_t kWinlogon[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

class SequenceEndingsSimTest : public ::testing::Test, public SetupMachine {
 protected:
  SequenceEndingsSimTest() {
    WatchHooks();
    postOperations = app::PostOperationsOf(setupOperations);
    PresetAutoLogon();
  }

  // "AutoAdminLogon=... count=... secret=yes|no": what decides whether
  // Windows logs on by itself.
  std::string AutoLogon() {
    const auto count = machine.registry.Value(kLm, kWinlogon, u"AutoLogonCount");
    std::string countText = "none";
    if (count) {
      countText = "type " + std::to_string(count->type) + ":";
      for (std::uint8_t b : count->data) countText += " " + std::to_string(b);
    }
    return "AutoAdminLogon=" +
           ToUtf8(machine.registry.StringValue(kLm, kWinlogon, u"AutoAdminLogon").value_or(u"?")) +
           " count=" + countText +
           " secret=" + (machine.secrets.secrets.contains(u"DefaultPassword") ? "yes" : "no");
  }

  // A sequence the setup started with the switch-off asked for.
  void SequenceWithSwitchOff(std::uint32_t total) {
    SetupStartsSequence(total, 1, {{settings::key::BackupRestoreIcons, u"1"}});
    Store(u"PostOperation", u"DisableAutoLogon", u"1");
  }
};

TEST_F(SequenceEndingsSimTest, WithoutAReportTheLastStartMeasuresAndSwitchesOffSilently) {
  const auto& setup = PlainStart([](ui::HeadlessBackend& ui) {
    ui.Type(TimesBox(ui), u"3");
    ui.Type(DelayBox(ui), u"1");
    ui.Click(Control(ui, kReportBox));  // no report
    ui.Click(Control(ui, kIconsBox));
    ui.Click(Control(ui, kDisableBox));
    ui.Click(StartButton(ui));
  });
  ASSERT_TRUE(setup.restartRequested) << setup.dump;
  // Three restarts, one automatic logon after each, then Windows stops.
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=1 count=type 4: 3 0 0 0 secret=yes");

  RunSequence({40, 50, 45});
  // The fourth start follows the last restart.
  ASSERT_EQ(starts.size(), 4u);
  const auto& last = starts[3];
  EXPECT_FALSE(last.windowShown);
  EXPECT_TRUE(last.messages.empty());
  EXPECT_FALSE(last.restartRequested);
  EXPECT_EQ(last.runValueAfter, std::nullopt);
  EXPECT_EQ(last.measurements.at("History/Reboot 3"), "45");
  // Without a window the start sampled the (idle) desktop itself: ready at
  // once, written into the file as it is on disk.
  EXPECT_EQ(sequence::ParsePhases(Stored(u"RestartPhases", u"Reboot 3"))
                .value()[sequence::Phase::DesktopReady],
            0);
  // The simulated machine has no disk counters: the processors decided.
  EXPECT_EQ(Stored(u"RestartReadyBy", u"Reboot 3"), u"cpu");
  // It slept between its samples with no window left to take messages.
  EXPECT_FALSE(last.sleeps.empty());
  EXPECT_EQ(last.sleepsBesideAWindow, 0);
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=0 count=none secret=no");
  EXPECT_EQ(calls, (std::vector<std::string>{"backup", "restore"}));
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
  EXPECT_EQ(machine.shell.relaunches.size(), 0u);
}

// Both ends of a step that the program carries out itself, with the rights
// to do so. (What a refused restart keeps and says is the step's test.)
TEST_F(SequenceEndingsSimTest, ClosingTheCountdownOrARefusedRestartSwitchesOffAndRestores) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "refused restart" : "closed countdown");
    calls.clear();
    starts.clear();
    machine.registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");
    machine.secrets.secrets[u"DefaultPassword"] = {20, 22, std::vector<char16_t>(11)};
    machine.power.SetRestartAllowed(!refused);
    user = [refused](ui::HeadlessBackend& ui, int) {
      if (!refused) ui.When([&ui] { return ui.TextAt(180, 90) == u"30"; }, [&ui] { ui.Close(); });
    };
    SequenceWithSwitchOff(3);
    RunSequence({60});
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_FALSE(starts[0].windowShown);
    EXPECT_EQ(starts[0].runValueAfter, std::nullopt);
    EXPECT_EQ(AutoLogon(), "AutoAdminLogon=0 count=none secret=no");
    EXPECT_EQ(calls, (std::vector<std::string>{"restore"}));
    EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
  }
}

// The countdown's Setup button abandons the sequence but keeps its
// measurements and hands over to a plain instance, whose user decides about
// auto-logon. (Every way of closing reaches the step as the same close
// request, the pump's tests, and ends the sequence as the refused restart.)
TEST_F(SequenceEndingsSimTest, ASetupHandOverKeepsTheMeasurementsAndLeavesAutoLogonToTheUser) {
  // The new instance reads the file as it starts: the measurements must be
  // there already.
  std::map<std::string, std::string> atLaunch;
  machine.processes.onCreate = [&] { atLaunch = FileMeasurements(); };
  user = [](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.TextAt(180, 90) == u"30"; },
            [&ui] { ui.Click(ui.FindByText(u"  Setup")); });
  };
  SequenceWithSwitchOff(3);
  RunSequence({60, 50});
  ASSERT_EQ(starts.size(), 1u);
  const auto& step = starts[0];
  EXPECT_EQ(step.exitCode, 0);
  EXPECT_FALSE(step.restartRequested);
  EXPECT_EQ(step.countdown.back(), u"30");
  EXPECT_EQ(step.runValueAfter, std::nullopt);
  EXPECT_EQ(step.measurements.at("History/Reboot 1"), "60");
  EXPECT_EQ(step.measurements.count("TimeStamps/LastShutDown"), 0u);
  EXPECT_FALSE(step.windowShown);
  EXPECT_EQ(step.sleeps, (std::vector<std::uint32_t>{5, 5, 5, 5, 5}));
  EXPECT_EQ(atLaunch, step.measurements);
  ASSERT_EQ(machine.processes.launches().size(), 1u);
  const auto& launch = machine.processes.launches()[0];
  // Quoted: a folder such as "C:\Program Files (x86)" unquoted would make
  // Windows try "C:\Program.exe" first.
  EXPECT_EQ(launch.commandLine, u"\"" + Text(sequence::sim::kProgram) + u"\"");
  EXPECT_EQ(launch.workingDirectory, Text(sequence::sim::kProgramFolder));
  EXPECT_EQ(launch.showCommand, 5);
  EXPECT_TRUE(launch.redirectionOff);
  EXPECT_EQ(machine.processes.openHandleCount(), 0u);
  EXPECT_FALSE(machine.processes.redirectionOff());
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=1 count=none secret=yes");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"1");
}

TEST_F(SequenceEndingsSimTest, AStepWithoutRightsLeavesTheEndToAnElevatedStart) {
  machine.identity.administrator = false;
  user = [](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.TextAt(180, 90) == u"30"; }, [&ui] { ui.Close(); });
  };
  SequenceWithSwitchOff(3);
  RunSequence({60});
  ASSERT_EQ(machine.shell.relaunches.size(), 1u);
  EXPECT_EQ(machine.shell.relaunches[0].parameters, sequence::kFinishSequenceSwitch);
  // Hidden before the relaunch: the elevated start must not find a visible
  // frame to hand over to.
  EXPECT_FALSE(starts[0].windowShown);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=1 count=none secret=yes");

  // The elevated start: the post-operations and nothing else. One that
  // still has no rights does what it can and asks no further.
  for (const bool elevated : {false, true}) {
    machine.identity.administrator = elevated;
    const auto& finish = Start(sequence::kFinishSequenceSwitch);
    EXPECT_EQ(finish.exitCode, 0);
    EXPECT_FALSE(finish.windowShown);
    EXPECT_FALSE(finish.restartRequested);
  }
  EXPECT_EQ(machine.shell.relaunches.size(), 1u);
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=0 count=none secret=no");
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
  EXPECT_EQ(Stored(u"History", u"Reboot 1"), u"60");
}

// The setup stays open as it was, its choices saved, with no Run value and
// no logon limit left.
TEST_F(SequenceEndingsSimTest, ARefusedFirstRestartSaysSoAndLiftsTheLogonLimitAgain) {
  machine.power.SetRestartAllowed(false);
  std::vector<Text> seen;
  const auto& setup = PlainStart([&seen](ui::HeadlessBackend& ui) {
    ui.Type(TimesBox(ui), u"4");
    ui.Click(Control(ui, kDisableBox));
    ui.Click(StartButton(ui));
    ui.When([&ui] { return Status(ui) == u"The computer could not be restarted."; },
            [&] {
              seen = {ui.TextOf(StartButton(ui)), Enabled(ui, kReportBox) ? u"on" : u"off"};
              ui.Close();
            });
  });
  EXPECT_EQ(seen, (std::vector<Text>{Text(kStart), u"on"}));
  EXPECT_EQ(machine.power.Count(platform::FakePower::Kind::RestartRequest), 1);
  EXPECT_EQ(setup.runValueAfter, std::nullopt);
  EXPECT_EQ(Stored(u"Setup", u"TimesToReboot"), u"4");
  EXPECT_EQ(AutoLogon(), "AutoAdminLogon=1 count=none secret=yes");
}

}  // namespace
}  // namespace twk::setup

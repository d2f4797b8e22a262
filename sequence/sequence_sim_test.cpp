// Whole sequences on a simulated machine: the program runs start after start
// from the Run value each start leaves, the clock moves by the boots and the
// countdowns, and a script plays the user. Every start's windows, the Run
// value and the measurements in the file are checked.
#include "sequence/sequence_sim.h"

#include "sequence/restart_phases.h"

#include <gtest/gtest.h>

namespace twk::sequence::sim {
namespace {

using Measurements = std::map<std::string, std::string>;
constexpr std::uint64_t T0 = platform::FakeClock::kDefaultSecond;

std::string S(std::uint64_t n) { return std::to_string(n); }

Text Quoted(const char16_t* arguments) { return u"\"" + Text(kProgram) + u"\" " + arguments; }

// The countdown label from `from` seconds down to 0, one second at a time.
std::vector<Text> CountedDown(int from) {
  std::vector<Text> texts;
  for (int n = from; n >= 0; --n) texts.push_back(FromUtf8(std::to_string(n)));
  return texts;
}

std::vector<Text> Row(const char16_t* key, const char16_t* time) { return {key, time}; }

class SequenceSimTest : public ::testing::Test, public SimulatedMachine {};

TEST_F(SequenceSimTest, OneRestartGoesStraightToTheReport) {
  SetupStartsSequence(1, 1);
  RunSequence({50});
  ASSERT_EQ(starts.size(), 1u);
  const StartRecord& report = starts[0];
  EXPECT_EQ(report.title, u"Tarnwick - Result");
  EXPECT_EQ(report.reportLines,
            (std::vector<Text>{u"Tarnwick performed 1 sequential reboot successfully.",
                               u"The first reboot in the sequence took 50 seconds.",
                               u"The computer was rebooted only once.",
                               u"You need to reboot more than once to calculate improvement."}));
  // One restart: no LastShutDown, and no LastBootUp either.
  EXPECT_EQ(report.measurements, (Measurements{{"TimeStamps/FirstShutDown", S(T0)},
                                               {"TimeStamps/FirstBootUp", S(T0 + 50)},
                                               {"History/Reboot 1", "50"}}));
}

TEST_F(SequenceSimTest, FiveRestartsRegisterEachNextStepAndMeasureEveryRestart) {
  SetupStartsSequence(5, 2);
  const std::vector<std::uint64_t> boots = {60, 50, 55, 48, 45};
  RunSequence(boots);
  ASSERT_EQ(starts.size(), 5u);

  Measurements expected{{"TimeStamps/FirstShutDown", S(T0)}};
  std::uint64_t now = T0;
  for (std::uint32_t c = 2; c <= 5; ++c) {
    const StartRecord& step = starts[c - 2];
    // Started from the Run value of the start before, once that one asked
    // for the restart.
    SCOPED_TRACE("start with /CurrentReboot:" + std::to_string(c));
    EXPECT_EQ(step.title, u"Tarnwick - Reboot " + FormatUnsigned(c) + u" of 5");
    EXPECT_EQ(step.countdown, CountedDown(120));
    EXPECT_EQ(step.runValueAfter,
              Quoted(u"/CurrentReboot:") + FormatUnsigned(c + 1) + u" /TotalReboots:5 /Delay:2");
    // The list shows what was measured before this start's window was made.
    EXPECT_EQ(step.historyRows.size(), c);  // restarts 1 .. c - 1 and "Average"

    now += boots[c - 2];
    if (c == 2) expected["TimeStamps/FirstBootUp"] = S(now);
    expected["History/Reboot " + std::to_string(c - 1)] = S(boots[c - 2]);
    now += 120;
    expected["TimeStamps/LastShutDown"] = S(now);
    EXPECT_EQ(step.measurements, expected);
  }

  const StartRecord& report = starts[4];
  EXPECT_FALSE(report.restartRequested);
  EXPECT_EQ(report.runValueAfter, std::nullopt);
  expected["History/Reboot 5"] = "45";
  expected["TimeStamps/LastBootUp"] = S(now + 45);
  EXPECT_EQ(report.measurements, expected);
  EXPECT_EQ(report.reportLines,
            (std::vector<Text>{u"Tarnwick performed 5 sequential reboots successfully.",
                               u"The first reboot in the sequence took 60 seconds.",
                               u"The last reboot in the sequence took 45 seconds.",
                               u"The reboot time was improved by 25%."}));
  EXPECT_EQ(report.historyRows,
            (std::vector<std::vector<Text>>{
                Row(u"Average", u"51 seconds"), Row(u"Reboot 1", u"60 seconds"),
                Row(u"Reboot 2", u"50 seconds"), Row(u"Reboot 3", u"55 seconds"),
                Row(u"Reboot 4", u"48 seconds"), Row(u"Reboot 5", u"45 seconds")}));
  // Every start enables the privileges first; each step keeps the machine
  // awake, then asks for the restart.
  EXPECT_EQ(machine.identity.enableCalls, 5);
  ASSERT_EQ(machine.power.calls().size(), 8u);
  for (std::size_t i = 0; i < 8; i += 2) {
    EXPECT_EQ(machine.power.calls()[i].kind, platform::FakePower::Kind::KeepAwake);
    EXPECT_EQ(machine.power.calls()[i + 1].kind, platform::FakePower::Kind::RestartRequest);
  }
}

TEST_F(SequenceSimTest, ARestartEndsWhenWindowsStartedTheProgramAndOneReadingServesReportAndList) {
  // The program takes 1.2 s to start before it reads the clock, and in the
  // result start every reading is 0.7 s later than the one before: neither
  // may enter a figure.
  startUpMs = 1200;
  SetupStartsSequence(2, 1);
  BootMs(60400);
  ASSERT_TRUE(Start(*RunArguments()).restartRequested);
  const std::string lastShutDown = ToUtf8(Stored(u"TimeStamps", u"LastShutDownUtcMs"));
  BootMs(45700);
  machine.clock.AdvanceOnEachReading(700);
  const StartRecord& report = Start(*RunArguments());
  EXPECT_EQ(Stored(u"History", u"Reboot 1"), u"60");
  EXPECT_EQ(Stored(u"HistoryMilliseconds", u"Reboot 1"), u"60400");
  EXPECT_EQ(Stored(u"History", u"Reboot 2"), u"45");
  EXPECT_EQ(Stored(u"HistoryMilliseconds", u"Reboot 2"), u"45700");
  // LastBootUp is the same moment the last figure ends at.
  EXPECT_EQ(std::stoll(ToUtf8(Stored(u"TimeStamps", u"LastBootUpUtcMs"))) -
                std::stoll(lastShutDown),
            45700);
  EXPECT_EQ(report.reportLines.at(2), u"The last reboot in the sequence took 45 seconds.");
  ASSERT_FALSE(report.historyRows.empty());
  EXPECT_EQ(report.historyRows.back(), Row(u"Reboot 2", u"45 seconds"));
}

TEST_F(SequenceSimTest, EachRestartIsSplitIntoItsPhasesAndTheReportHandsOverToTheSetup) {
  // Restart 1: Windows starts 21.5 s after the shutdown stamp (the firmware
  // took 7 s of that, as Windows records), the logon starts the program
  // 38.9 s later, and the desktop stays busy for 15 s of the countdown.
  machine.registry.PutValue(platform::RegistryRoot::LocalMachine,
                            u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power",
                            u"FwPOSTTime", platform::ValueType::Dword, {0x58, 0x1B, 0, 0});
  SetupStartsSequence(2, 1);
  BootMs(60400);
  machine.clock.SetUptime(38900);
  machine.clock.SetCpuBusy(true);
  user = [this](ui::HeadlessBackend& ui, int start) {
    if (start == 0) ui.AfterWakes(750, [this] { machine.clock.SetCpuBusy(false); });
    if (start == 1) {
      ui.When([&ui] { return ui.FindByText(u"  Setup") != 0; },
              [&ui] { ui.Click(ui.FindByText(u"  Setup")); });
    }
  };
  Measurements atLaunch;
  machine.processes.onCreate = [&] { atLaunch = FileMeasurements(); };
  ASSERT_TRUE(Start(*RunArguments()).restartRequested);
  // Windows writes its record of a boot minutes after the logon: the next
  // start finds the one of restart 1 (begun 21.5 s after its shutdown).
  machine.bootEvents.SetRecords({
      u"<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
      u"<Provider Name='Microsoft-Windows-Diagnostics-Performance'/><EventID>100</EventID>"
      u"</System><EventData><Data Name='BootStartTime'>2024-03-01T12:00:21.5000000Z</Data>"
      u"<Data Name='BootTime'>41234</Data><Data Name='MainPathBootTime'>18000</Data>"
      u"<Data Name='BootPostBootTime'>23234</Data></EventData></Event>"});
  // Restart 2: an uptime older than the shutdown (as under Wine) tells
  // nothing of this boot; the report's Setup button is clicked before the
  // desktop has been idle for 10 s. It hands over to a plain instance as the
  // countdown's does (setup/sequence_endings_sim_test.cpp), with the
  // report's measurements already in the file.
  BootMs(45700);
  machine.clock.SetUptime(3'600'000);
  const StartRecord& report = Start(*RunArguments());
  ASSERT_EQ(machine.processes.launches().size(), 1u);
  EXPECT_EQ(atLaunch, report.measurements);
  EXPECT_EQ(atLaunch.count("TimeStamps/LastBootUp"), 1u);

  const auto figures = [this](const char16_t* restart) {
    const auto phases = ParsePhases(Stored(u"RestartPhases", restart));
    EXPECT_TRUE(phases.has_value()) << ToUtf8(Stored(u"RestartPhases", restart));
    return phases.value_or(RestartPhases{});
  };
  const RestartPhases first = figures(u"Reboot 1");
  EXPECT_EQ(first[Phase::ShutdownFirmware], 21500);
  EXPECT_EQ(first[Phase::WindowsStart], 38900);
  EXPECT_EQ(first[Phase::Firmware], 7000);
  ASSERT_TRUE(first[Phase::DesktopReady].has_value());
  // Busy until 15 s after the window was up; one sample of 100 ms is the
  // resolution.
  EXPECT_GE(*first[Phase::DesktopReady], 15000);
  EXPECT_LE(*first[Phase::DesktopReady], 15200);
  EXPECT_EQ(*first[Phase::CreatedAt] - *first[Phase::ShutdownAt], 60400);
  EXPECT_EQ(first[Phase::WindowsBoot], 41234);
  EXPECT_EQ(first[Phase::WindowsMainPath], 18000);
  EXPECT_EQ(first[Phase::WindowsPostBoot], 23234);

  const RestartPhases second = figures(u"Reboot 2");
  EXPECT_EQ(second[Phase::ShutdownFirmware], std::nullopt);
  EXPECT_EQ(second[Phase::WindowsStart], std::nullopt);
  EXPECT_EQ(second[Phase::DesktopReady], std::nullopt);
  EXPECT_EQ(*second[Phase::CreatedAt] - *second[Phase::ShutdownAt], 45700);
  EXPECT_EQ(second[Phase::WindowsBoot], std::nullopt);  // not written yet
}

TEST_F(SequenceSimTest, PauseDoesNotCountThePausedMinute) {
  Text pausedRight, pausedCaption;
  int pausedImage = 0;
  // The taskbar button: the passed part of the delay, held while paused.
  using Progress = std::tuple<ui::TaskbarProgress, std::uint64_t, std::uint64_t>;
  std::vector<Progress> taskbar;
  const auto button = [](ui::HeadlessBackend& ui) {
    const ui::HeadlessBackend::Window* frame = ui.Find(ui.frame());
    return Progress{frame->taskbar, frame->taskbarDone, frame->taskbarTotal};
  };
  user = [&](ui::HeadlessBackend& ui, int start) {
    if (start != 0) return;
    ui.When([&ui] { return ui.TextAt(180, 90) == u"12"; },
            [&] {
              taskbar.push_back(button(ui));
              ui.Click(ui.FindByText(u"  Pause"));
            });
    ui.When([&ui] { return ui.TextAt(180, 90) == u"PAUSED"; },
            [&] {
              taskbar.push_back(button(ui));
              pausedRight = ui.TextAt(410, 105);
              const ui::Handle button = ui.FindAt(260, 420);
              pausedCaption = ui.TextOf(button);
              pausedImage = ui.ResourceIdOf(ui.Find(button)->image);
              ui.AfterWakes(3000, [&ui] { ui.Click(ui.FindByText(u"  Resume")); });  // 60 s
            });
    ui.When([&ui] { return ui.TextAt(180, 90) == u"1"; }, [&] { taskbar.push_back(button(ui)); });
  };
  SetupStartsSequence(2, 1);
  RunSequence({60, 45});
  ASSERT_EQ(starts.size(), 2u);
  std::vector<Text> expected = CountedDown(60);
  expected.insert(expected.begin() + 49, {u"PAUSED", u"12"});
  EXPECT_EQ(starts[0].countdown, expected);
  EXPECT_EQ(pausedRight, u"press 'Resume'");
  EXPECT_EQ(pausedCaption, u"  Resume");
  EXPECT_EQ(pausedImage, 143);
  EXPECT_EQ(taskbar, (std::vector<Progress>{{ui::TaskbarProgress::Normal, 48, 60},
                                            {ui::TaskbarProgress::Paused, 48, 60},
                                            {ui::TaskbarProgress::Normal, 59, 60}}));
  // Nothing is left on the button once the countdown has ended.
  EXPECT_EQ(starts[0].taskbarAtEnd, ui::TaskbarProgress::None);
  // 60 seconds of countdown and exactly the minute of the pause.
  EXPECT_EQ(starts[0].measurements.at("TimeStamps/LastShutDown"), S(T0 + 60 + 120));
}

TEST_F(SequenceSimTest, SoundBoxTakesEffectFromTheNextSecondAndIsKeptForTheNextStep) {
  // Off at first: switched on at 5, heard from 4 on. The next step starts
  // with it on, and it is switched off at 5 again.
  user = [](ui::HeadlessBackend& ui, int) {
    ui.When(
        [&ui] { return ui.TextAt(180, 90) == u"5"; },
        [&ui] {
          ui.Click(ui.FindByText(u" Play a sound each of the last 10 seconds before rebooting."));
        });
  };
  SetupStartsSequence(3, 1);
  RunSequence({60, 50});
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].soundsAt, (std::vector<Text>{u"4", u"3", u"2", u"1", u"0"}));
  EXPECT_EQ(starts[1].soundsAt, (std::vector<Text>{u"9", u"8", u"7", u"6", u"5"}));
  EXPECT_EQ(machine.power.sounds(), std::vector<Text>(10, kSound));
  EXPECT_EQ(Stored(u"Setup", u"PlayWarningSound"), u"0");
}

}  // namespace
}  // namespace twk::sequence::sim

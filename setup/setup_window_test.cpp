// The setup window on the simulated machine: its controls as laid out and as
// the settings and auto-logon leave them, the checks of the two numbers, the
// start of the operation in its order and its cancellation. (A refused first
// restart is sequence_endings_sim_test.cpp's, the immediate buttons
// setup_buttons_test.cpp's.)
#include "setup/setup_window.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/strings.h"
#include "sequence/launch.h"
#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using platform::FakePower;
using platform::FakeProcesses;
using sequence::testing::Describe;
using namespace testing;

constexpr std::uint64_t T0 = platform::FakeClock::kDefaultSecond;
const Text kProgramQuoted = u"\"C:\\Program Files (x86)\\Tarnwick\\Tarnwick.exe\"";

class SetupWindowTest : public ::testing::Test, public SetupMachine {
 protected:
  void ForgetSettings() {
    machine.files = platform::FakeFileSystem();
    machine.files.AddDrive(u'C');
  }

  // Types the two numbers and starts the operation; a refused restart leaves
  // the window open, which is then closed.
  sequence::sim::StartRecord& StartWith(const Text& times, const Text& delay,
                                        std::function<void(ui::HeadlessBackend&)> before = {}) {
    return PlainStart([times, delay, before](ui::HeadlessBackend& ui) {
      if (before) before(ui);
      ui.Type(TimesBox(ui), times);
      ui.Type(DelayBox(ui), delay);
      ui.Click(StartButton(ui));
      ui.When([&ui] { return Status(ui) == u"The computer could not be restarted."; },
              [&ui] { ui.Close(); });
    });
  }
};

// Where each control sits, its size and its text are pinned on the real window
// by tests/wine/setup_e2e.sh; here what only the records show: each control's
// kind, font, picture and cursor (what Describe gives after the place), the
// order of creation, the up-downs' ranges, the tip and the bar's style.
TEST_F(SetupWindowTest, SeventeenControlsInTheirOrderWithTheirKindsAndFonts) {
  std::vector<std::string> seen;
  std::vector<int> ids;
  const auto record = PlainStart([&](ui::HeadlessBackend& ui) {
    const std::vector<std::pair<int, int>> places = {
        {30, 110},  {30, 150}, {465, 102}, {465, 142}, {46, 194},  {46, 229},
        {455, 225}, {46, 264}, {455, 260}, {46, 299},  {330, 295}, {455, 295},
        {46, 334},  {66, 359}, {20, 410},  {20, 430},  {380, 405}};
    for (auto [x, y] : places) {
      const std::string described = Describe(ui, ui.FindAt(x, y));
      seen.push_back(described.substr(0, described.find(' ')) +
                     described.substr(described.find(") ") + 1));
      ids.push_back(ui.Find(ui.FindAt(x, y)) ? ui.Find(ui.FindAt(x, y))->id : 0);
    }
    for (const auto* w : ui.ControlsOf(ui.frame())) {
      if (w->kind != ui::ControlKind::UpDown) continue;
      seen.push_back((w->upDownBuddy == TimesBox(ui)   ? "times "
                      : w->upDownBuddy == DelayBox(ui) ? "delay "
                                                       : "? ") +
                     std::to_string(w->upDownMaximum));
    }
    seen.push_back("tip: " + ToUtf8(ui.Find(StartButton(ui))->tip));
    seen.push_back("bar smooth: " + std::to_string(ui.Find(ui.FindAt(20, 410))->smooth));
    ui.Close();
  });
  EXPECT_EQ(record.title, u"Tarnwick - Setup");
  const std::string label = "13 Arial 11/400", edit = "12 Arial 14/400",
                    box = "35 Arial 11/400 hand cursor", button = "3 Arial 11/400 hand cursor";
  std::vector<std::string> expected = {label, label,  edit, edit,   box,    box, button,
                                       box,   button, box,  button, button, box, box};
  expected.insert(
      expected.end(),
      {"20 Arial 9/400", "13 Arial 9/400", "3 Arial 14/800 image 143 26x26 hand cursor", "times 30",
       "delay 60", "tip: Process the requested operations and then start rebooting",
       "bar smooth: 1"});
  EXPECT_EQ(seen, expected);
  for (std::size_t i = 1; i < ids.size(); ++i) EXPECT_LT(ids[i - 1], ids[i]) << "control " << i;
  EXPECT_EQ(record.doubleFrees, 0);
  EXPECT_EQ(record.liveObjectsAfter, 0u);
}

TEST_F(SetupWindowTest, BoxesStartFromTheSettingsAndTheUsersActiveAutoLogon) {
  struct Case {
    Text stored;         // "key=value" of section Setup, blank-separated
    Text autoLogonUser;  // none: not wired
    bool active;
    std::string ticked;  // report, defrag, idle, icons, auto-logon, disable
  };
  const Case cases[] = {
      {u"", u"", false, "100000"},
      {u"NoReport=1", u"", false, "000000"},
      {u"TimesToReboot=7 RebootDelay=12", u"", false, "100000"},
      {u"NoReport=0 DefragBefore=1 ProcessIdleTasks=2 BackupRestoreIcons=-1", u"", false, "111100"},
      {u"NoReport=x DefragBefore=0 ProcessIdleTasks=", u"", false, "100000"},
      {u"", u"ALICE", true, "100010"},
      {u"", u"alice", false, "100000"},
      {u"", u"bob", true, "100000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.stored) + " user " + ToUtf8(c.autoLogonUser));
    ForgetSettings();
    for (const Text& entry : Split(c.stored, u" ")) {
      if (!entry.empty())
        Store(u"Setup", entry.substr(0, entry.find(u'=')), entry.substr(entry.find(u'=') + 1));
    }
    setupOperations = SetupOperations{};
    if (!c.autoLogonUser.empty()) {
      setupOperations.autoLogonUser = [a = c.autoLogonUser](context::StartContext&) { return a; };
      setupOperations.isAutoLogonActive = [v = c.active](context::StartContext&) { return v; };
    }
    std::string ticked;
    Text numbers;
    PlainStart([&](ui::HeadlessBackend& ui) {
      for (const char16_t* box :
           {kReportBox, kDefragBox, kIdleBox, kIconsBox, kAutoLogonBox, kDisableBox}) {
        ticked += Checked(ui, box) ? '1' : '0';
      }
      numbers = ui.TextOf(TimesBox(ui)) + u" " + ui.TextOf(DelayBox(ui));
      ui.Close();
    });
    EXPECT_EQ(ticked, c.ticked);
    EXPECT_EQ(numbers, c.stored.starts_with(u"TimesToReboot") ? u"7 12" : u"5 5");
  }
}

TEST_F(SetupWindowTest, StartWritesTheNumbersWithBadOnesAsFiveInTheBoxTheSettingsAndTheRunValue) {
  // A stored pre-operation stays chosen, its box ticked at each start: each
  // run unticks it by a click, and the defragmenter never runs.
  WatchHooks();
  Store(u"Setup", u"DefragBefore", u"1");
  struct Case {
    Text times, delay, storedTimes, storedDelay;
  };
  for (const Case& c : std::vector<Case>{{u"0", u"0", u"5", u"5"},
                                         {u"101", u"", u"5", u"5"},
                                         {u"-1", u"abc", u"5", u"5"},
                                         {u"", u"-3", u"5", u"5"},
                                         {u"100", u"120", u"100", u"120"},
                                         // The numbers as read, never the typed text.
                                         {u"007", u" 1 /x", u"7", u"1"}}) {
    SCOPED_TRACE(ToUtf8(c.times + u" " + c.delay));
    const auto& record = StartWith(
        c.times, c.delay, [](ui::HeadlessBackend& ui) { ui.Click(Control(ui, kDefragBox)); });
    EXPECT_TRUE(record.restartRequested) << record.dump;
    // The boxes show what was written: the start ended, so look at the dump.
    for (const auto& [place, shown] : {std::pair{"(465,102,70,26) \"", c.storedTimes},
                                       std::pair{"(465,142,70,26) \"", c.storedDelay}}) {
      EXPECT_NE(record.dump.find(place + ToUtf8(shown) + "\""), std::string::npos) << record.dump;
    }
    // Unticked pre-operations write nothing.
    EXPECT_EQ(StoredChoices(),
              "TimesToReboot=" + ToUtf8(c.storedTimes) + " RebootDelay=" + ToUtf8(c.storedDelay) +
                  " NoReport=0 DefragBefore=1 ProcessIdleTasks= BackupRestoreIcons=");
    EXPECT_EQ(RunValue(), kProgramQuoted + u" /CurrentReboot:2 /TotalReboots:" + c.storedTimes +
                              u" /Delay:" + c.storedDelay);
  }
  EXPECT_TRUE(calls.empty());
}

TEST_F(SetupWindowTest, PreOperationsRunInOrderAfterTheRunValueAndBeforeTheStampThenRestarts) {
  Store(u"History", u"Reboot 1", u"99");
  Store(u"TimeStamps", u"LastBootUp", u"12345678901");
  Store(u"PostOperation", u"DisableAutoLogon", u"1");
  WatchHooks();
  setupOperations.optimize = [this](context::StartContext&) {
    calls.push_back(RunValue() ? "optimize after Run value" : "optimize without Run value");
    // The defragmenter takes its time: the stamp must come after it.
    machine.clock.AdvanceSeconds(600);
    calls.push_back("status: " + ToUtf8(Status(*desktop)) + " / " +
                    ToUtf8(desktop->TextOf(StartButton(*desktop))));
    // The taskbar button shows a wait of unknown length meanwhile.
    const auto* frame = desktop->Find(desktop->frame());
    if (frame->taskbar == ui::TaskbarProgress::Indeterminate) calls.push_back("taskbar busy");
    return 1;
  };
  FakeProcesses::Plan idle;
  idle.runQueries = 3;
  machine.processes.AddRule(u"ProcessIdleTasks", idle);
  const auto& record = StartWith(u"2", u"4", [](ui::HeadlessBackend& ui) {
    ui.Click(Control(ui, kReportBox));
    ui.Click(Control(ui, kDefragBox));
    ui.Click(Control(ui, kIdleBox));
    ui.Click(Control(ui, kIconsBox));
  });
  EXPECT_EQ(record.exitCode, 0);
  EXPECT_EQ(machine.power.Count(FakePower::Kind::RestartRequest), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "optimize after Run value",
                       "status: Defragging the system partition... /   Cancel all",
                       "taskbar busy", "backup"}));
  ASSERT_EQ(machine.processes.launches().size(), 1u);
  const auto& launch = machine.processes.launches()[0];
  EXPECT_EQ(std::tie(launch.commandLine, launch.workingDirectory, launch.showCommand,
                     launch.redirectionOff),
            std::make_tuple(Text(kIdleCommand), Text(u"C:\\Windows\\system32"), 5, false));
  EXPECT_EQ(StoredChoices(),
            "TimesToReboot=2 RebootDelay=4 NoReport=1 DefragBefore=1 "
            "ProcessIdleTasks=1 BackupRestoreIcons=1");
  // The measurements of the earlier sequence are gone; the first shutdown
  // is now, after the defragmenter.
  EXPECT_EQ(record.measurements.size(), 1u);
  EXPECT_GE(std::stoull(record.measurements.at("TimeStamps/FirstShutDown")), T0 + 600);
  // An unticked disable box removes what the earlier start asked for.
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
  // The backup's outcome is shown as the sequence goes on.
  EXPECT_NE(record.dump.find("\"Desktop icons' layout successfully saved.\""), std::string::npos);
}

// The tools keep running until the test ends them: the waits end only by
// the user.
class SetupWaitTest : public SetupWindowTest {
 protected:
  void SetUp() override {
    FakeProcesses::Plan forever;
    forever.runQueries = std::nullopt;
    machine.processes.SetDefaultPlan(forever);
    setupOperations.optimize = [](context::StartContext& start) {
      return sequence::LaunchAndWait(start.pump(), *start.ports().processes, u"defrag.exe C: /O", 5,
                                     start.paths().systemDirectory);
    };
  }
};

// The same during the idle tasks' wait: tests/wine/setup_cancel_e2e.sh.
TEST_F(SetupWaitTest, ClosingDuringAToolsWaitCancelsAndRemovesTheRunValue) {
  std::vector<Text> seen;
  bool registeredDuringWait = false;
  const auto& record = StartWith(u"3", u"2", [&](ui::HeadlessBackend& ui) {
    ui.Click(Control(ui, kDefragBox));
    ui.When([&ui] { return Status(ui) == u"Defragging the system partition..."; },
            [&] {
              registeredDuringWait = RunValue().has_value();
              ui.Close();
              ui.When([&ui] { return Status(ui) == u"Operation cancelled."; },
                      [&] {
                        seen = {ui.TextOf(StartButton(ui)),
                                Enabled(ui, kReportBox) ? u"on" : u"off", ui.TextOf(TimesBox(ui))};
                        ui.Close();
                      });
            });
  });
  EXPECT_TRUE(registeredDuringWait);
  EXPECT_EQ(seen, (std::vector<Text>{Text(kStart), u"on", u"3"})) << record.dump;
  EXPECT_FALSE(record.restartRequested);
  EXPECT_EQ(record.runValueAfter, std::nullopt);
  EXPECT_EQ(record.measurements.count("TimeStamps/FirstShutDown"), 0u);
}

TEST_F(SetupWaitTest, TheCancelButtonEndsOnlyTheWaitAndTheSequenceGoesOn) {
  const auto& record = StartWith(u"2", u"1", [](ui::HeadlessBackend& ui) {
    ui.Click(Control(ui, kDefragBox));
    ui.When([&ui] { return ui.TextOf(StartButton(ui)) == u"  Cancel all"; },
            [&ui] { ui.AfterWakes(10, [&ui] { ui.Click(StartButton(ui)); }); });
  });
  EXPECT_TRUE(record.restartRequested);
  EXPECT_EQ(machine.processes.launches().size(), 1u);
  EXPECT_EQ(RunValue(), kProgramQuoted + u" /CurrentReboot:2 /TotalReboots:2 /Delay:1");
}

TEST_F(SetupWindowTest, WithoutARunKeyNothingRestartsAndTheWindowSaysSo) {
  // A restart would end the sequence unseen: nothing would start after it.
  machine.registry = platform::FakeRegistry();
  WatchHooks();
  Text shown;
  const auto& record = StartWith(u"2", u"1", [&shown](ui::HeadlessBackend& ui) {
    ui.Click(Control(ui, kDefragBox));
    ui.When([&ui] { return Status(ui).find(u"could not be registered") != Text::npos; },
            [&ui, &shown] {
              shown = Status(ui);
              ui.Close();
            });
  });
  EXPECT_FALSE(record.restartRequested);
  EXPECT_EQ(shown, u"The next start could not be registered; the computer was not restarted.");
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_EQ(Stored(u"TimeStamps", u"FirstShutDown"), u"");
  EXPECT_TRUE(calls.empty());  // the pre-operations come after the Run value
}

}  // namespace
}  // namespace twk::setup

// The whole operation on the simulated machine: a plain start sets it up and
// restarts, every later start comes from the Run value the one before left,
// and the last one reports, with the post-operations at the end. "/Start"
// against the setup window's own button: the same choices leave the same
// file, byte for byte, the same Run value, the same pre-operations and the
// same restart request, with no window shown; a refused restart ends with 1
// and the reason. (Refused lines and the elevated start are the
// application's tests.)
#include <gtest/gtest.h>

#include "app/run_modes.h"
#include "settings/text_file.h"
#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;

constexpr std::uint64_t T0 = platform::FakeClock::kDefaultSecond;

class WholeOperationSimTest : public ::testing::Test, public SetupMachine {};

TEST_F(WholeOperationSimTest, FromAPlainStartThroughEveryRestartToTheReport) {
  WatchHooks();
  setupOperations.setAutoLogon = [this](context::StartContext&, const Text* account,
                                        const Text* password) {
    calls.push_back(account == nullptr
                        ? "auto-logon off"
                        : "auto-logon on " + ToUtf8(*account) + " " + ToUtf8(*password));
    return AutoLogonResult::Done;
  };
  postOperations = app::PostOperationsOf(setupOperations);
  user = [this](ui::HeadlessBackend& ui, int start) {
    if (start != 0) return;
    ui.When([&ui] { return ui.FindByText(kStart) != 0; },
            [&ui] {
              ui.Type(TimesBox(ui), u"3");
              ui.Type(DelayBox(ui), u"1");
              ui.Click(Control(ui, kIconsBox));
              ui.Click(Control(ui, kAutoLogonBox));
              ui.When([&ui] { return ui.FindByText(u"OK") != 0; },
                      [&ui] {
                        ui.Type(ui.FindAt(20, 89), u"pw");
                        ui.Click(ui.FindByText(u"OK"));
                      });
              ui.When([&ui] { return Status(ui) == u"Auto-logon successfully set."; },
                      [&ui] { ui.Click(StartButton(ui)); });
            });
  };

  const auto& setup = Start(u"");
  EXPECT_EQ(setup.title, u"Tarnwick - Setup");
  ASSERT_TRUE(setup.restartRequested) << setup.dump;
  EXPECT_EQ(setup.runValueAfter, u"\"" + Text(sequence::sim::kProgram) +
                                     u"\" /CurrentReboot:2 /TotalReboots:3 /Delay:1");
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"1");
  EXPECT_EQ(Stored(u"Setup", u"BackupRestoreIcons"), u"1");

  RunSequence({40, 50, 45});
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[2].title, u"Tarnwick - Reboot 3 of 3");
  const auto& report = starts[3];
  EXPECT_EQ(report.title, u"Tarnwick - Result");
  EXPECT_FALSE(report.restartRequested);
  EXPECT_EQ(report.runValueAfter, std::nullopt);
  // The first restart is measured from the stamp the setup wrote.
  EXPECT_EQ(report.measurements.at("TimeStamps/FirstShutDown"), std::to_string(T0 + 0));
  EXPECT_EQ(report.measurements.at("History/Reboot 1"), "40");
  EXPECT_EQ(report.reportLines.at(2), u"The last reboot in the sequence took 45 seconds.");

  // Switched on with the password at the setup, the layout saved before the
  // first restart; put back and switched off only at the end.
  EXPECT_EQ(calls, (std::vector<std::string>{"auto-logon on alice pw", "backup", "restore",
                                             "auto-logon off"}));
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
}

struct Choices {
  Text times, delay;
  bool defrag = false, idle = false, icons = false, noReport = false;

  Text Line() const {
    Text line = u"/Start /TotalReboots:" + times + u" /Delay:" + delay;
    if (defrag) line += u" /Defrag";
    if (idle) line += u" /IdleTasks";
    if (icons) line += u" /Icons";
    if (noReport) line += u" /NoReport";
    return line;
  }
};

// One machine as both runs find it: settings of an earlier sequence, among
// them choices the boxes start from and a switch-off request; the idle
// tasks take a little while; the hooks record their calls.
class Machine : public SetupMachine {
 public:
  Machine() {
    WatchHooks();
    platform::FakeProcesses::Plan idle;
    idle.runQueries = 3;
    machine.processes.AddRule(u"ProcessIdleTasks", idle);
    (void)settings::CreateFolderTree(machine.files, app::apptest::kSettingsFolder);
    settings::SettingsFile file(machine.files, machine.ansi);
    (void)file.Load(app::apptest::kSettingsPath);
    file.SetValue(u"Setup", u"TimesToReboot", u"9");
    file.SetValue(u"Setup", u"NoReport", u"1");
    file.SetValue(u"Setup", u"ProcessIdleTasks", u"1");
    file.SetValue(u"Setup", u"PlayWarningSound", u"1");
    file.SetValue(u"PostOperation", u"DisableAutoLogon", u"1");
    file.SetValue(u"History", u"Reboot 1", u"99");
    file.SetValue(u"TimeStamps", u"LastBootUp", u"12345678901");
    (void)file.Save();
  }

  std::optional<std::string> File() const {
    return machine.files.FileBytes(app::apptest::kSettingsPath);
  }
  std::vector<Text> Launched() const {
    std::vector<Text> lines;
    for (const auto& launch : machine.processes.launches()) lines.push_back(launch.commandLine);
    return lines;
  }

  // The choices made at the window: typed, each box clicked into place,
  // then "  Start operation".
  sequence::sim::StartRecord& ByTheButton(const Choices& c) {
    return PlainStart([c](ui::HeadlessBackend& ui) {
      ui.Type(TimesBox(ui), c.times);
      ui.Type(DelayBox(ui), c.delay);
      const auto set = [&ui](const Text& box, bool ticked) {
        if (Checked(ui, box) != ticked) ui.Click(Control(ui, box));
      };
      set(kReportBox, !c.noReport);
      set(kDefragBox, c.defrag);
      set(kIdleBox, c.idle);
      set(kIconsBox, c.icons);
      ui.Click(StartButton(ui));
    });
  }

  // The same from a script; notes whether the frame was ever seen shown.
  sequence::sim::StartRecord& ByTheLine(const Text& line, bool& shown) {
    shown = false;
    user = [&shown](ui::HeadlessBackend& ui, int) {
      ui.When(
          [&ui, &shown] {
            const auto* frame = ui.Find(ui.frame());
            if (frame != nullptr && frame->visible) shown = true;
            return false;
          },
          [] {});
    };
    return Start(line);
  }
};

TEST(ScriptedStartSimTest, EachChoiceWritesWhatTheSetupsButtonWrites) {
  for (const Choices& c : std::vector<Choices>{
           {u"3", u"1"},
           {u"2", u"4", false, false, true},
           {u"100", u"120", true, true, true, true},
           // Corrected as the setup corrects typed entries.
           {u"0", u"-3"},
           {u"101", u"abc", false, true},
           {u"007", u""},
       }) {
    const std::string name = ToUtf8(c.Line());
    Machine window, script;
    const auto& clicked = window.ByTheButton(c);
    bool shown = true;
    const auto& scripted = script.ByTheLine(c.Line(), shown);

    ASSERT_TRUE(clicked.restartRequested) << name << clicked.dump;
    EXPECT_TRUE(scripted.restartRequested) << name << scripted.dump;
    EXPECT_EQ(scripted.exitCode, 0) << name;
    EXPECT_EQ(script.File(), window.File()) << name;
    EXPECT_EQ(scripted.runValueAfter, clicked.runValueAfter) << name;
    EXPECT_EQ(scripted.measurements, clicked.measurements) << name;
    EXPECT_EQ(script.calls, window.calls) << name;
    EXPECT_EQ(script.Launched(), window.Launched()) << name;
    // Nothing shown, nothing said.
    EXPECT_FALSE(shown) << name;
    EXPECT_EQ(scripted.title, u"Tarnwick") << name;
    EXPECT_TRUE(scripted.messages.empty()) << name;
    EXPECT_EQ(script.machine.console.attachCalls, 0) << name;
  }
}

TEST(ScriptedStartSimTest, ARefusedRestartEndsWithOneAndTheSystemsReason) {
  Machine m;
  m.machine.power.SetRestartAllowed(false);
  m.machine.console.parentHasConsole = true;
  bool shown = true;
  const auto& record = m.ByTheLine(u"/Start /TotalReboots:2 /Delay:1", shown);
  EXPECT_EQ(record.exitCode, 1);
  EXPECT_EQ(record.runValueAfter, std::nullopt);
  EXPECT_EQ(m.machine.console.written,
            u"Tarnwick did not start the sequence: The computer could not be restarted. (A "
            u"required privilege is not held by the client)\r\n");
  EXPECT_TRUE(record.messages.empty());
  EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace twk::setup

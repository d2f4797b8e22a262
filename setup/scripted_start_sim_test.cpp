// "/Start" against the setup window's own button: the same choices leave the
// same file, byte for byte, the same Run value, the same pre-operations and
// the same restart request, with no window shown; a refused restart ends with
// 1 and the reason. (The numbers reach the boxes as given, to be checked and
// corrected by the button's code: the setup window's test. Refused lines and
// the elevated start are the application's tests; a whole operation from the
// setup window through every restart is in sequence_endings_sim_test.cpp.)
#include <gtest/gtest.h>

#include "settings/text_file.h"
#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;

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

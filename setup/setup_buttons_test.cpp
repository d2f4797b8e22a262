// The setup's immediate buttons and the auto-logon box: what each shows while
// it works and after, what a missing or failing operation says, and that the
// password goes nowhere but to the auto-logon switch. (Closing the window
// while "Process now" waits is pinned end to end by
// tests/wine/setup_cancel_e2e.sh.)
#include <gtest/gtest.h>

#include "sequence/launch.h"
#include "setup/setup_test_support.h"
#include "setup/setup_window.h"

namespace twk::setup {
namespace {

using platform::FakeProcesses;
using namespace testing;

// An operation has ended when the status no longer says it is under way nor
// shows the first words of the window.
bool Finished(const ui::HeadlessBackend& ui) {
  const Text status = Status(ui);
  return status.find(u"...") == Text::npos &&
         status != u"Set the desired options and press 'Start operation'" &&
         ui.FindByText(u"OK") == 0;
}

class SetupButtonsTest : public ::testing::Test, public SetupMachine {
 protected:
  // What the window shows while busy, seen from inside an operation.
  std::string BusyLook() {
    ui::HeadlessBackend& ui = *desktop;
    const auto* bar = ui.Find(ui.FindAt(20, 410));
    const auto* start = ui.Find(StartButton(ui));
    std::string look = ToUtf8(Status(ui)) + " | " + ToUtf8(start->text) + " | image " +
                       std::to_string(ui.ResourceIdOf(start->image)) + " | marquee " +
                       std::to_string(bar->marquee) + " |";
    for (const Text& c : {Text(u"Optimize now"), Text(kReportBox), Text(kDisableBox)}) {
      look += Enabled(ui, c) ? " on" : " off";
    }
    look += ui.Find(TimesBox(ui))->enabled ? " on" : " off";
    look += start->enabled ? " start on" : " start off";
    return look;
  }

  // Clicks one button, lets it finish, notes the window's look, then closes.
  std::string ClickAndLook(const Text& button) {
    std::string after;
    PlainStart([this, button, &after](ui::HeadlessBackend& ui) {
      ui.Click(Control(ui, button));
      ui.When([&ui] { return Finished(ui); },
              [this, &ui, &after] {
                after = BusyLook();
                ui.Close();
              });
    });
    return after;
  }
};

const std::string kIdleLook = " |   Start operation | image 143 | marquee 0 | on on on on start on";

TEST_F(SetupButtonsTest, OptimizeNowIsBusyWhileItRunsAndSaysHowItEnded) {
  std::string busy;
  setupOperations.optimize = [&](context::StartContext&) {
    busy = BusyLook();
    return sequence::WaitResult::Ended;
  };
  EXPECT_EQ(ClickAndLook(u"Optimize now"),
            "Successfully started defragging the system drive." + kIdleLook);
  EXPECT_EQ(busy,
            "Defragging the system partition... |    Cancel operation | image 141 | marquee 1 | "
            "off off off off start on");

  for (int result : {sequence::WaitResult::Cancelled, sequence::WaitResult::NotStarted}) {
    setupOperations.optimize = [result](context::StartContext&) { return result; };
    EXPECT_EQ(ClickAndLook(u"Optimize now"),
              (result == sequence::WaitResult::NotStarted
                   ? "The system partition could not be optimized."
                   : "Successfully started defragging the system drive.") +
                  kIdleLook);
  }
  // Not wired: as a tool that could not be started, never a success.
  setupOperations.optimize = nullptr;
  EXPECT_EQ(ClickAndLook(u"Optimize now"),
            "The system partition could not be optimized." + kIdleLook);
  EXPECT_EQ(Stored(u"Setup", u"DefragBefore"), u"");
}

TEST_F(SetupButtonsTest, ProcessNowRunsTheIdleTasksAndSaysHowItEnded) {
  FakeProcesses::Plan quick;
  quick.runQueries = 2;
  machine.processes.SetDefaultPlan(quick);
  EXPECT_EQ(ClickAndLook(u"Process now"),
            "Processing idle tasks was successfully started." + kIdleLook);

  FakeProcesses::Plan fails;
  fails.failToStart = true;
  machine.processes.SetDefaultPlan(fails);
  EXPECT_EQ(ClickAndLook(u"Process now"), "Idle tasks could not be processed." + kIdleLook);
  EXPECT_EQ(Stored(u"Setup", u"ProcessIdleTasks"), u"");
}

TEST_F(SetupButtonsTest, IconLayoutButtonsSayWhetherTheyWorkedAndWriteNothing) {
  EXPECT_EQ(ClickAndLook(u"Backup now"), "Desktop icons' layout could not be saved." + kIdleLook);
  EXPECT_EQ(ClickAndLook(u"Restore now"),
            "The desktop icons' layout could not be restored." + kIdleLook);
  WatchHooks(1, true);
  EXPECT_EQ(ClickAndLook(u"Backup now"), "Desktop icons' layout successfully saved." + kIdleLook);
  EXPECT_EQ(ClickAndLook(u"Restore now"),
            "Desktop icons' layout successfully restored." + kIdleLook);
  WatchHooks(1, false);
  EXPECT_EQ(ClickAndLook(u"Backup now"), "Desktop icons' layout could not be saved." + kIdleLook);
  EXPECT_EQ(ClickAndLook(u"Restore now"),
            "The desktop icons' layout could not be restored." + kIdleLook);
  EXPECT_EQ(calls, (std::vector<std::string>{"backup", "restore", "backup", "restore"}));
  EXPECT_EQ(Stored(u"Setup", u"BackupRestoreIcons"), u"");
}

// ---- auto-logon ------------------------------------------------------------------

class AutoLogonBoxTest : public SetupButtonsTest {
 protected:
  std::vector<std::string> switches;  // "on <account> <password>" or "off"
  AutoLogonResult answer = AutoLogonResult::Done;
  ui::Handle passwordEdit = 0;

  void SetUp() override {
    setupOperations.setAutoLogon = [this](context::StartContext&, const Text* account,
                                          const Text* password) {
      switches.push_back(
          account ? "on " + ToUtf8(*account) + " " + ToUtf8(password ? *password : u"") : "off");
      return answer;
    };
  }

  // Ticks or unticks the auto-logon box; in the password box types `typed`
  // and presses OK (or Cancel when typed is none). Returns the status, the two
  // boxes and the prompt.
  std::vector<Text> UseBox(std::optional<Text> typed,
                           std::function<void(ui::HeadlessBackend&)> then = {}) {
    std::vector<Text> seen;
    PlainStart([&, typed, then](ui::HeadlessBackend& ui) {
      ui.Click(Control(ui, kAutoLogonBox));
      ui.When([&ui] { return ui.FindByText(u"OK") != 0; },
              [&, typed] {
                seen.push_back(ui.TextAt(20, 20));
                passwordEdit = ui.FindAt(20, 89);
                if (typed) ui.Type(passwordEdit, *typed);
                ui.Click(ui.FindByText(typed ? u"OK" : u"Cancel"));
              });
      ui.When([&ui] { return Finished(ui); },
              [&, then] {
                seen.insert(seen.begin(),
                            {Status(ui), Checked(ui, kAutoLogonBox) ? u"ticked" : u"empty",
                             Checked(ui, kDisableBox) ? u"ticked" : u"empty"});
                if (then) {
                  then(ui);
                } else {
                  ui.Close();
                }
              });
    });
    return seen;
  }
};

const Text kPromptText = u"Please enter the auto-logon password for alice in the text box below.";

TEST_F(AutoLogonBoxTest, TickingAsksForThePasswordAndSwitchesOnOrUnticksWhenCancelledOrFailed) {
  EXPECT_EQ(UseBox(u"s3cret"), (std::vector<Text>{u"Auto-logon successfully set.", u"ticked",
                                                  u"ticked", kPromptText}));
  const std::vector<Text> cancelled = {u"Operation cancelled.", u"empty", u"empty", kPromptText};
  EXPECT_EQ(UseBox(std::nullopt), cancelled);
  EXPECT_EQ(switches, (std::vector<std::string>{"on alice s3cret"}));
  // A switch that fails (as under Wine, tests/wine/setup_e2e.sh) or none.
  setupOperations.setAutoLogon = nullptr;
  EXPECT_EQ(UseBox(u"pw"), cancelled);
}

TEST_F(AutoLogonBoxTest, UntickingSwitchesOffAndATickComesBackOnFailure) {
  setupOperations.autoLogonUser = [](context::StartContext&) { return Text(u"alice"); };
  setupOperations.isAutoLogonActive = [](context::StartContext&) { return true; };
  struct Case {
    AutoLogonResult answer;
    std::vector<Text> seen;
  };
  for (const Case& c : std::vector<Case>{
           {AutoLogonResult::Done, {u"Auto-logon successfully unset.", u"empty", u"empty"}},
           {AutoLogonResult::WasNotActive, {u"Auto-logon successfully unset.", u"empty", u"empty"}},
           {AutoLogonResult::Failed, {u"Auto-logon could not be unset", u"ticked", u"ticked"}}}) {
    answer = c.answer;
    switches.clear();
    EXPECT_EQ(UseBox(std::nullopt), c.seen) << static_cast<int>(c.answer);
    EXPECT_EQ(switches, std::vector<std::string>{"off"});
  }
}

TEST_F(AutoLogonBoxTest, ThePasswordReachesOnlyTheSwitchNeverAWindowTheFileOrTheRunValue) {
  const Text secret = u"Pa55-w0rd-42";
  std::vector<Text> leftInWindows;
  UseBox(secret, [&](ui::HeadlessBackend& ui) {
    // The password box is gone; its edit field's record stays readable.
    const auto* edit = ui.Find(passwordEdit);
    if (edit == nullptr || edit->text.find(secret) != Text::npos) leftInWindows.push_back(u"edit");
    for (const auto* w : ui.ControlsOf(ui.frame())) {
      if (w->text.find(secret) != Text::npos) leftInWindows.push_back(w->text);
    }
    ui.Click(StartButton(ui));
  });
  EXPECT_TRUE(leftInWindows.empty());
  EXPECT_EQ(switches, std::vector<std::string>{"on alice " + ToUtf8(secret)});
  EXPECT_EQ(starts.back().dump.find(ToUtf8(secret)), std::string::npos);
  // The switch-on ticked the disable box: the choice is kept, not the secret.
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"1");
  const auto bytes = machine.files.FileBytes(app::apptest::kSettingsPath).value();
  const std::string wide(reinterpret_cast<const char*>(secret.data()), secret.size() * 2);
  EXPECT_EQ(bytes.find(wide), std::string::npos);
  ASSERT_TRUE(RunValue().has_value());
  EXPECT_EQ(RunValue()->find(secret), Text::npos);
}

}  // namespace
}  // namespace twk::setup

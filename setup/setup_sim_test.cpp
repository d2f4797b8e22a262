// The whole operation on the simulated machine: a plain start sets it up and
// restarts, every later start comes from the Run value the one before left,
// and the last one reports, with the post-operations at the end.
#include <gtest/gtest.h>

#include "app/run_modes.h"
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
  EXPECT_EQ(starts[1].title, u"Tarnwick - Reboot 2 of 3");
  EXPECT_EQ(starts[2].title, u"Tarnwick - Reboot 3 of 3");
  const auto& report = starts[3];
  EXPECT_EQ(report.arguments, u"/CurrentReboot:4 /TotalReboots:3 /Delay:1");
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

}  // namespace
}  // namespace twk::setup

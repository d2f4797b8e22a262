// A restart is asked for only once its measurements are on the disk, a
// settings file that cannot be read is never replaced, and an old "switched
// off" mark of Task Manager cannot end a sequence unseen. Played on the
// simulated machine, start after start, with the disk failing where a real
// one would: a full disk or a file held by a sync tool makes the
// replacement of the settings file fail.
#include <gtest/gtest.h>

#include <string>

#include "app/run_modes.h"
#include "context/start_context.h"
#include "sequence/reboot_step.h"
#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;
using namespace std::string_literals;
using platform::FakeFileSystem;
using platform::RegistryRoot;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr char16_t kWinlogon[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const Text kUnsaved = context::kMeasurementsUnsaved;
const Text kUnreadable = context::kSettingsUnreadable;

class HonestRestartSimTest : public ::testing::Test, public SetupMachine {
 protected:
  HonestRestartSimTest() {
    WatchHooks();
    postOperations = app::PostOperationsOf(setupOperations);
    PresetAutoLogon();
    approvedKey_ =
        machine.identity.consoleUser->sid +
        u"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  }

  std::string FileBytes() {
    return machine.files.FileBytes(app::apptest::kSettingsPath).value_or("<no file>");
  }
  bool AutoLogonOn() {
    return machine.registry.StringValue(kLm, kWinlogon, u"AutoAdminLogon") == u"1";
  }
  // From now on the settings file can be neither replaced nor written
  // beside: what a full disk or a file held without sharing does to a save.
  void DiskFails() {
    machine.files.FailOn(FakeFileSystem::Op::ReplaceWith, app::apptest::kSettingsPath);
  }
  // Task Manager's mark for the value "Tarnwick": first byte, then a time.
  void Mark(std::uint8_t state) {
    machine.registry.AddKey(RegistryRoot::Users, approvedKey_);
    const std::vector<std::uint8_t> bytes{state, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4};
    ASSERT_EQ(machine.registry.Value(RegistryRoot::Users, approvedKey_, u"Tarnwick"), std::nullopt);
    machine.registry.PutValue(RegistryRoot::Users, approvedKey_, u"Tarnwick",
                              platform::ValueType::Binary, bytes);
  }
  std::optional<std::uint8_t> MarkState() {
    const auto value = machine.registry.Value(RegistryRoot::Users, approvedKey_, u"Tarnwick");
    if (!value || value->data.empty()) return std::nullopt;
    return value->data[0];
  }

  Text approvedKey_;
};

// Each save before a restart: the setup's, a step's in the middle, and the
// step of the last restart (which registers the result start). From the
// failure on the file keeps what it held, byte for byte.
TEST_F(HonestRestartSimTest, ARestartWhoseSaveFailsIsNotRequestedAndTheSequenceEndsAsAsked) {
  for (const int failing : {0, 1, 2}) {
    SCOPED_TRACE("the save fails in start " + std::to_string(failing));
    starts.clear();
    machine.files.ClearFailures();
    machine.registry.PutString(kLm, kWinlogon, u"AutoAdminLogon", u"1");
    Store(u"Setup", u"PlayWarningSound", u"0");  // a file with content before anything
    std::string before;
    Text seen;
    user = [&](ui::HeadlessBackend& ui, int index) {
      if (index == 0) {
        ui.When([&ui] { return ui.FindByText(kStart) != 0; },
                [&, failing] {
                  ui.Type(TimesBox(ui), u"3");
                  ui.Type(DelayBox(ui), u"1");
                  ui.Click(Control(ui, kDisableBox));
                  if (failing == 0) {
                    before = FileBytes();
                    DiskFails();
                  }
                  ui.Click(StartButton(ui));
                });
        ui.When([&ui] { return Status(ui) == kUnsaved; },
                [&] {
                  seen = Status(ui);
                  ui.Close();
                });
        return;
      }
      if (index != failing) return;
      // The 50th second of the minute's countdown.
      ui.When([&ui] { return ui.TextAt(180, 90) == u"10"; },
              [&] {
                before = FileBytes();
                DiskFails();
              });
      ui.When([&ui] { return ui.FindByText(kUnsaved) != 0; },
              [&] {
                seen = kUnsaved;
                ui.Close();
              });
    };
    const auto& setup = Start(u"");
    ASSERT_EQ(setup.restartRequested, failing != 0) << setup.dump;
    RunSequence({40, 40, 40});

    const auto& stopped = starts[static_cast<std::size_t>(failing)];
    EXPECT_EQ(starts.size(), static_cast<std::size_t>(failing) + 1);
    EXPECT_FALSE(stopped.restartRequested) << stopped.dump;
    EXPECT_EQ(seen, kUnsaved);
    EXPECT_EQ(stopped.runValueAfter, std::nullopt);
    EXPECT_EQ(FileBytes(), before);
    // Auto-logon is switched off as the setup asked once a sequence ends;
    // a sequence that never began leaves it as the user set it moments ago.
    EXPECT_EQ(AutoLogonOn(), failing == 0);
  }
}

// The disk comes back while the window says why the sequence stopped: what
// is saved then holds the shutdown moment it held before, not the one of
// the restart that was never asked for.
TEST_F(HonestRestartSimTest, ADiskThatComesBackAfterAFailedSaveGetsNoShutDownOfTheRestartNotMade) {
  Text lastBefore, lastWhenStopped;
  std::string bytesWhenStopped;
  user = [&](ui::HeadlessBackend& ui, int index) {
    if (index == 0) {
      ui.When([&ui] { return ui.FindByText(kStart) != 0; },
              [&ui] {
                ui.Type(TimesBox(ui), u"3");
                ui.Type(DelayBox(ui), u"1");
                ui.Click(StartButton(ui));
              });
      return;
    }
    if (index != 1) return;
    ui.When([&ui] { return ui.TextAt(180, 90) == u"10"; },
            [&] {
              lastBefore = Stored(u"TimeStamps", u"LastShutDown");
              DiskFails();
            });
    ui.When([&ui] { return ui.FindByText(kUnsaved) != 0; },
            [&] {
              bytesWhenStopped = FileBytes();
              machine.files.ClearFailures();
              ui.Close();
            });
  };
  Start(u"");
  RunSequence({40, 40, 40});
  ASSERT_EQ(starts.size(), 2u);
  ASSERT_FALSE(bytesWhenStopped.empty());
  EXPECT_EQ(Stored(u"TimeStamps", u"LastShutDown"), lastBefore);
  EXPECT_EQ(FileBytes(), bytesWhenStopped);
}

TEST_F(HonestRestartSimTest, AScriptedStartWhoseSaveFailsExitsWithTheReason) {
  Store(u"Setup", u"PlayWarningSound", u"0");
  const std::string before = FileBytes();
  DiskFails();
  machine.console.parentHasConsole = true;
  const auto& script = Start(u"/Start /TotalReboots:2 /Delay:1");
  EXPECT_EQ(script.exitCode, 1);
  EXPECT_FALSE(script.restartRequested);
  EXPECT_EQ(machine.console.written,
            u"Tarnwick did not start the sequence: " + kUnsaved + u"\r\n");
  EXPECT_EQ(script.runValueAfter, std::nullopt);
  EXPECT_EQ(FileBytes(), before);
}

// A file held by another program as the program starts: read again until it
// is let go, and when it is not, never written.
TEST_F(HonestRestartSimTest, ASettingsFileThatCannotBeReadIsWaitedForThenNeverWritten) {
  SetupStartsSequence(3, 1);
  RunSequence({40});  // restart 1 measured, restart 2 asked for
  ASSERT_EQ(starts.size(), 1u);
  machine.power.SetRestartAllowed(true);
  const std::string kept = FileBytes();
  ASSERT_NE(kept.find("R\0e\0b\0o\0o\0t\0 \0001"s), std::string::npos);

  // Let go after a few tries: the setup reads it and shows its usual text.
  machine.files.FailNext(FakeFileSystem::Op::Open, 4);
  const auto& released = PlainStart([](ui::HeadlessBackend& ui) { ui.Close(); });
  EXPECT_EQ(released.sleeps, (std::vector<std::uint32_t>{500, 500, 500, 500}));
  EXPECT_EQ(Stored(u"History", u"Reboot 1"), u"40");

  // Held for good: the setup says so, refuses to start and to back up, and
  // the file is as it was when the window closes.
  machine.files.FailOn(FakeFileSystem::Op::Open, app::apptest::kSettingsPath);
  std::vector<Text> said;
  const auto& held = PlainStart([&said](ui::HeadlessBackend& ui) {
    said.push_back(Status(ui));
    ui.Click(Control(ui, u"Backup now"));
    ui.AfterWakes(5, [&] {
      said.push_back(Status(ui));
      ui.Type(TimesBox(ui), u"2");
      ui.Click(StartButton(ui));
      ui.AfterWakes(5, [&] {
        said.push_back(Status(ui));
        ui.Close();
      });
    });
  });
  EXPECT_EQ(said, (std::vector<Text>{kUnreadable, kUnreadable, kUnreadable}));
  EXPECT_FALSE(held.restartRequested);
  EXPECT_EQ(held.sleeps.size(), 19u);  // twenty tries in ten seconds
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(held.runValueAfter, starts[0].runValueAfter);
  machine.files.ClearFailures();
  EXPECT_EQ(FileBytes(), kept);
}

TEST_F(HonestRestartSimTest, AStepOrAScriptThatCannotReadTheSettingsEndsWithTheReason) {
  SetupStartsSequence(3, 1);
  const std::string kept = FileBytes();
  machine.files.FailOn(FakeFileSystem::Op::Open, app::apptest::kSettingsPath);
  Text seen;
  user = [&seen](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(kUnreadable) != 0; },
            [&] {
              seen = kUnreadable;
              ui.Close();
            });
  };
  RunSequence({40});
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_FALSE(starts[0].restartRequested);
  EXPECT_EQ(seen, kUnreadable);
  EXPECT_EQ(starts[0].runValueAfter, std::nullopt);

  machine.console.parentHasConsole = true;
  for (const Text arguments :
       {Text(u"/Start /TotalReboots:2 /Delay:1"), Text(u"/Export:C:\\history.csv")}) {
    SCOPED_TRACE(ToUtf8(arguments));
    machine.console.written.clear();
    const auto& script = Start(arguments);
    EXPECT_EQ(script.exitCode, 1);
    EXPECT_FALSE(script.restartRequested);
    EXPECT_NE(machine.console.written.find(kUnreadable), Text::npos)
        << ToUtf8(machine.console.written);
  }
  EXPECT_FALSE(machine.files.FileExists(u"C:\\history.csv"));
  machine.files.ClearFailures();
  EXPECT_EQ(FileBytes(), kept);
}

// Task Manager's switch: off (odd first byte) is removed wherever the Run
// value is written; on (even) stays as it is.
TEST_F(HonestRestartSimTest, AnOldSwitchedOffMarkIsRemovedAndAnOnMarkLeftAlone) {
  for (const std::uint8_t state : {0x03, 0x02, 0x06}) {
    SCOPED_TRACE(static_cast<int>(state));
    starts.clear();
    (void)machine.registry.RemoveKey(RegistryRoot::Users, approvedKey_);
    Mark(state);
    const auto& setup = PlainStart([](ui::HeadlessBackend& ui) {
      ui.Type(TimesBox(ui), u"2");
      ui.Click(StartButton(ui));
    });
    ASSERT_TRUE(setup.restartRequested) << setup.dump;
    const auto afterSetup = MarkState();
    // The user switches it off again during the sequence: the step clears
    // it once more as it registers the next start.
    if (state == 0x03) Mark(state);
    RunSequence({40, 40});
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_TRUE(starts[1].restartRequested);
    if (state & 1) {
      EXPECT_EQ(afterSetup, std::nullopt);
      EXPECT_EQ(MarkState(), std::nullopt);
    } else {
      EXPECT_EQ(afterSetup, state);
      EXPECT_EQ(MarkState(), state);
    }
  }
}

}  // namespace
}  // namespace twk::setup

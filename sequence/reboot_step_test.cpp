// One reboot step on the simulated machine: the Run value's shape and key,
// the countdown window as laid out, the loop's time keeping and the ways a
// step ends.
#include "sequence/reboot_step.h"

#include <gtest/gtest.h>

#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using platform::RegistryRoot;
using sim::kProgram;
using sim::SimulatedMachine;
using testing::DescribeAt;

// The usual shape is each step's Run value in the whole-sequence tests.
TEST(RebootCommandLineTest, TheTotalIsWrittenSignedTheOtherTwoUnsigned) {
  EXPECT_EQ(RebootCommandLine(u"T.exe", 4294967295u, 4294967293u, 4294967295u),
            u"\"T.exe\" /CurrentReboot:4294967295 /TotalReboots:-3 /Delay:4294967295");
}

class RebootStepTest : public ::testing::Test, public SimulatedMachine {};

TEST_F(RebootStepTest, CountdownWindowIsLaidOutAsDesignedAndFollowsTheSettings) {
  SetupStartsSequence(4, 2, {{settings::key::PlayWarningSound, u"1"}});
  std::vector<std::string> seen;
  bool countdownCentred = false, rightCentred = false;
  std::uint32_t boxImageFlags = 99;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([] { return true; },
            [&] {
              for (auto [x, y] : std::vector<std::pair<int, int>>{
                       {20, 105}, {180, 90}, {410, 105}, {46, 149}, {260, 420}, {430, 420}}) {
                seen.push_back(DescribeAt(ui, x, y));
              }
              countdownCentred = ui.Find(ui.FindAt(180, 90))->options.centred;
              rightCentred = ui.Find(ui.FindAt(410, 105))->options.centred;
              boxImageFlags = ui.FindObject(ui.Find(ui.FindAt(30, 150))->image)->flags;
              ui.Close();
            });
  };
  RunSequence({60});
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "13 \"Next reboot in\" (20,105,160,25) Arial 16/800",
                      "13 \"120\" (180,90,230,50) Arial 32/800",
                      "13 \"seconds.\" (410,105,190,25) Arial 16/800",
                      "35 \" Play a sound each of the last 10 seconds before rebooting.\" "
                      "(46,149,434,18) Arial 10/400 hand cursor",
                      "3 \"  Pause\" (260,420,150,36) Arial 12/800 image 142 24x24 hand cursor",
                      "3 \"  Setup\" (430,420,150,36) Arial 12/800 icon 107 24x24 hand cursor"}));
  EXPECT_TRUE(countdownCentred);
  EXPECT_TRUE(rightCentred);
  EXPECT_EQ(boxImageFlags, 1u);  // the ticked box, as the settings ask
}

TEST_F(RebootStepTest, RunKeyIsOpenedWithReadWriteAndOnlyOurValueIsDeleted) {
  SetupStartsSequence(3, 1);
  machine.registry.PutString(RegistryRoot::Users, runKey(), u"Other", u"other.exe");
  user = [](ui::HeadlessBackend& ui, int) { ui.When([] { return true; }, [&ui] { ui.Close(); }); };
  // The step's opens only, not those of the setup before it.
  const std::size_t setupOpens = machine.registry.openCalls().size();
  RunSequence({60});
  ASSERT_GT(machine.registry.openCalls().size(), setupOpens);
  for (std::size_t i = setupOpens; i < machine.registry.openCalls().size(); ++i) {
    const auto& open = machine.registry.openCalls()[i];
    if (open.root == RegistryRoot::Users) {
      EXPECT_EQ(open.subkey, runKey());
      EXPECT_EQ(open.access, 0x2001Fu);
    } else {
      // The firmware's share of the boot is only read, in the 64-bit view.
      EXPECT_EQ(open.subkey, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power");
      EXPECT_EQ(open.access, 0x20119u);
    }
  }
  EXPECT_EQ(machine.registry.StringValue(RegistryRoot::Users, runKey(), u"Other"), u"other.exe");
  EXPECT_EQ(machine.registry.badCloses(), 0);
}

TEST_F(RebootStepTest, ARunKeyThatIsMissingOrRefusesWritingStopsTheStepAndIsSaid) {
  // A restart now would end the sequence unseen and make the next restart,
  // whenever it came, count as one very long one.
  for (const char16_t* why : {u"denied", u"does not exist"}) {
    SCOPED_TRACE(ToUtf8(why));
    SetupStartsSequence(3, 1);
    if (why == Text(u"denied")) {
      // Readable, but not writable: nothing can be registered (nor deleted).
      machine.registry.DenyOpen(RegistryRoot::Users, runKey(), platform::KeyAccess::SetValue);
    } else {
      ASSERT_TRUE(machine.registry.RemoveKey(RegistryRoot::Users, runKey()));
    }
    Boot(60);
    const sim::StartRecord& step = Start(u"/CurrentReboot:2 /TotalReboots:3 /Delay:1");
    EXPECT_FALSE(step.restartRequested);
    ASSERT_EQ(step.messages.size(), 1u);
    EXPECT_NE(step.messages[0].find(u"cannot register its next start"), Text::npos)
        << ToUtf8(step.messages[0]);
    EXPECT_NE(step.messages[0].find(why), Text::npos) << ToUtf8(step.messages[0]);
    // The measurement of the restart that did happen is kept; no shutdown is
    // stamped for a restart that did not.
    EXPECT_EQ(step.measurements.count("History/Reboot 1"), 1u);
    EXPECT_EQ(step.measurements.count("TimeStamps/LastShutDown"), 0u);
  }
  EXPECT_FALSE(machine.registry.KeyExists(RegistryRoot::Users, runKey()));
}

TEST_F(RebootStepTest, ANumberOutsideTheSequenceMeasuresNothing) {
  // Typed by hand or damaged: -1 is stored as the top of the unsigned range
  // and goes to the report, but must not write a bogus duration or stamp.
  SetupStartsSequence(3, 1);
  RunSequence({60, 70});
  const auto before = FileMeasurements();
  Boot(50);
  for (const Text& arguments : {Text(u"/CurrentReboot:-1"), Text(u"/CurrentReboot:9")}) {
    const sim::StartRecord& start = Start(arguments);
    EXPECT_EQ(start.title, u"Tarnwick - Result") << ToUtf8(arguments);
    EXPECT_EQ(start.runValueAfter, std::nullopt);
    EXPECT_EQ(FileMeasurements(), before) << ToUtf8(arguments);
  }
  // Below the sequence it still counts down and restarts as a step does,
  // but records no duration for a restart it did not follow.
  Start(u"/CurrentReboot:1");
  EXPECT_EQ(Stored(u"History", u"Reboot 0"), u"");
  EXPECT_EQ(FileMeasurements().count("History/Reboot 3"), 0u);
}

TEST_F(RebootStepTest, ARefusedRestartStopsTheSequenceAndSaysWhy) {
  // Left registered, the next manual restart (hours later) would be measured
  // as one very long restart.
  SetupStartsSequence(3, 1);
  RunSequence({60});  // restart 1 measured; LastShutDown of restart 2 stamped
  const Text lastShutDown = Stored(u"TimeStamps", u"LastShutDown");
  machine.power.SetRestartAllowed(false);
  Boot(80);
  const sim::StartRecord& step = Start(*RunArguments());
  EXPECT_EQ(step.exitCode, 0);
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_EQ(Stored(u"TimeStamps", u"LastShutDown"), lastShutDown);
  EXPECT_EQ(Stored(u"History", u"Reboot 2"), u"80");
  ASSERT_EQ(step.messages.size(), 1u);
  EXPECT_EQ(step.messages[0],
            u"Windows did not restart (A required privilege is not held by the client). The "
            u"sequence stops here; the restarts measured so far are kept.");
}

TEST_F(RebootStepTest, EachRestartIsOnTheDiskBeforeTheCountdownShows) {
  // A power cut or a forced logoff during the countdown must not lose it.
  SetupStartsSequence(3, 1);
  std::vector<Text> seen;
  user = [this, &seen](ui::HeadlessBackend& ui, int) {
    ui.When(
        [&ui] { return ui.FindAt(180, 90) != 0; },
        [this, &seen] {
          // The restart's phases as known at the start too (shutdown and
          // firmware, Windows' start), not only at the restart's save.
          const Text phases = Stored(u"RestartPhases", RestartKey(static_cast<std::uint32_t>(
                                                           seen.size() + 1)));
          seen.push_back(Stored(u"History", u"Reboot 1") + u"/" + Stored(u"History", u"Reboot 2") +
                         (phases.empty() ? u" without phases" : u" with phases"));
        });
  };
  RunSequence({60, 70});
  EXPECT_EQ(seen, (std::vector<Text>{u"60/ with phases", u"60/70 with phases"}));
}

TEST_F(RebootStepTest, ClockChangeDuringTheCountdownCostsOneSecond) {
  for (std::int64_t jump : {3600, -3600}) {
    SCOPED_TRACE(jump);
    starts.clear();
    user = [this, jump](ui::HeadlessBackend& ui, int) {
      ui.When([&ui] { return ui.TextAt(180, 90) == u"30"; },
              [this, jump] { machine.clock.Jump(jump); });
    };
    SetupStartsSequence(3, 1);
    RunSequence({60});
    ASSERT_EQ(starts.size(), 1u);
    ASSERT_EQ(starts[0].countdown.size(), 61u);
    EXPECT_EQ(starts[0].countdown[31], u"29");
    EXPECT_EQ(starts[0].countdown.back(), u"0");
  }
}

TEST_F(RebootStepTest, AWakeUpBetweenSecondsAndSamplesReadsTheTickCounterOnce) {
  // From 2 s to 6 s of the countdown, while the desktop is still sampled:
  // 200 wake-ups of 20 ms, a processor reading every 100 ms, and the wall
  // clock only in the last tenth of each second.
  struct Counts {
    std::uint64_t wakes, ticks, cpu, wall;
  };
  Counts at2{}, at6{};
  const auto counts = [this](ui::HeadlessBackend& ui) {
    return Counts{ui.wakes(), machine.clock.tickReadings(), machine.clock.cpuReadings(),
                  machine.clock.readings()};
  };
  user = [&](ui::HeadlessBackend& ui, int start) {
    if (start != 0) return;
    ui.AfterWakes(100, [&] { at2 = counts(ui); });
    ui.AfterWakes(300, [&] { at6 = counts(ui); });
  };
  SetupStartsSequence(3, 1);
  RunSequence({60});
  ASSERT_EQ(at6.wakes - at2.wakes, 200u);
  EXPECT_EQ(at6.ticks - at2.ticks, 200u);
  EXPECT_EQ(at6.cpu - at2.cpu, 40u);
  EXPECT_LE(at6.wall - at2.wall, 4u * 6);
}

TEST_F(RebootStepTest, DelayWhoseSecondsWrapToZeroRestartsAtOnce) {
  // 1073741824 minutes are 2^32 * 15 seconds: 0 in 32 bits. The countdown
  // must not run on from the top of the 64-bit range.
  SetupStartsSequence(3, 1);
  Boot(60);
  // Every reading is a second later, so the first pass of the loop already
  // sees the next second. The stored total is registered, not the line's.
  machine.clock.AdvanceOnEachReading(1000);
  const sim::StartRecord& step = Start(u"/CurrentReboot:2 /TotalReboots:9 /Delay:1073741824");
  EXPECT_TRUE(step.restartRequested);
  EXPECT_EQ(step.countdown.back(), u"0");
  EXPECT_EQ(RunValue(), RebootCommandLine(kProgram, 3, 3, 1073741824));
}

TEST_F(RebootStepTest, NoStartLeavesADrawingObjectOrHandleBehind) {
  // A step that pauses and resumes (the button's image is replaced twice),
  // a step handed over to the setup, and the report.
  user = [](ui::HeadlessBackend& ui, int start) {
    if (start == 0) {
      ui.When([&ui] { return ui.TextAt(180, 90) == u"50"; },
              [&ui] { ui.Click(ui.FindByText(u"  Pause")); });
      ui.When([&ui] { return ui.TextAt(180, 90) == u"PAUSED"; },
              [&ui] { ui.Click(ui.FindByText(u"  Resume")); });
    }
  };
  SetupStartsSequence(2, 1);
  RunSequence({60, 50});
  user = [](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  Setup") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  Setup")); });
  };
  SetupStartsSequence(2, 1);
  RunSequence({60});
  ASSERT_EQ(starts.size(), 3u);
  for (const sim::StartRecord& start : starts) {
    EXPECT_EQ(start.liveObjectsAfter, 0u) << start.dump;
    EXPECT_EQ(start.doubleFrees, 0);
  }
  EXPECT_EQ(machine.registry.openHandleCount(), 0u);
  EXPECT_EQ(machine.processes.openHandleCount(), 0u);
  EXPECT_EQ(machine.identity.OpenTokens(), 0);
}

}  // namespace
}  // namespace twk::sequence

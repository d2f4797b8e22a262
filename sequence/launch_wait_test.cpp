// Waiting for a launched program inside a running mode: the heartbeat keeps
// the loop turning, and the wait ends by the process's end, the cancel
// control, or a close request.
#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "sequence/launch.h"

namespace twk::sequence {
namespace {

using platform::FakeProcesses;

class LaunchAndWaitTest : public ::testing::Test, public app::apptest::AppFixture {
 protected:
  LaunchAndWaitTest() { ui.SetWakeLimit(20000); }

  // Runs body inside a mode whose frame is shown and whose Start button is
  // the cancel control; the frame's activation has been fetched already.
  void InMode(std::function<void(context::StartContext&)> body) {
    inMode = [this, body](context::StartContext& a) {
      startButton = a.frame().CreateButton(u"  Start operation", 400, 420, 180, 36);
      otherButton = a.frame().CreateButton(u"  Backup now", 20, 420, 180, 36);
      a.pump().SetCancelControl(startButton);
      a.frame().Show(ui::ShowCommand::Normal);
      a.pump().NextEvent(context::PumpMode::Wait);
      body(a);
    };
    Start(u"");
    ASSERT_EQ(setupRuns, 1);
  }
  void Plan(const Text& command, FakeProcesses::Plan plan) {
    machine.processes.AddRule(command, plan);
  }
  // A process that runs this long, or until something ends it.
  static FakeProcesses::Plan Runs(std::optional<std::uint64_t> seconds = std::nullopt) {
    FakeProcesses::Plan plan;
    plan.runQueries.reset();
    plan.runSeconds = seconds;
    return plan;
  }
  // Waits for the defragmenter with the pump of the running mode.
  int WaitForDefrag(context::StartContext& a) {
    return LaunchAndWait(a.pump(), machine.processes, u"defrag.exe C:", 0, u"");
  }
  std::uint32_t LastId() const { return machine.processes.launches().back().id; }
  ui::Handle Window(context::StartContext& a, int id) { return a.frame().Control(id)->window; }

  int startButton = 0;
  int otherButton = 0;
};

TEST_F(LaunchAndWaitTest, WaitsUntilTheProcessEndsWhileTheWindowKeepsWorking) {
  Plan(u"rundll32", Runs(3));
  InMode([this](context::StartContext& a) {
    const std::uint64_t before = machine.clock.milliseconds();
    // Other controls are handled as usual and do not end the wait.
    ui.AfterWakes(10, [&] { ui.Click(Window(a, otherButton)); });
    EXPECT_EQ(
        LaunchAndWait(a.pump(), machine.processes, u"rundll32.exe x", 5, u"C:\\Windows\\System32"),
        WaitResult::Ended);
    EXPECT_GE(machine.clock.milliseconds() - before, 3000u);
    EXPECT_LT(machine.clock.milliseconds() - before, 3100u);
  });
  EXPECT_EQ(machine.processes.openHandleCount(), 0u);
}

TEST_F(LaunchAndWaitTest, AProcessThatCannotStartReportsNotStarted) {
  FakeProcesses::Plan refuse;
  refuse.failToStart = true;
  Plan(u"defrag", refuse);
  InMode([this](context::StartContext& a) {
    const std::uint64_t wakes = ui.wakes();
    EXPECT_EQ(WaitForDefrag(a), WaitResult::NotStarted);
    EXPECT_EQ(ui.wakes(), wakes) << "no event is fetched";
  });
}

TEST_F(LaunchAndWaitTest, TheCancelControlACloseOrAnEndedLoopEndTheWaitAndLeaveTheProcess) {
  Plan(u"defrag", Runs());
  InMode([this](context::StartContext& a) {
    // The cancel control is cleared from the slot; a close request is left
    // for the caller's loop.
    ui.AfterWakes(25, [&] { ui.Click(Window(a, startButton)); });
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Cancelled);
    EXPECT_EQ(a.pump().slot().eventId, 0);
    EXPECT_TRUE(machine.processes.IsRunning(LastId())) << "never terminated";
    ui.AfterWakes(25, [&] { ui.Close(); });
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Closing);
    EXPECT_EQ(a.pump().slot().eventId, ui::event::CloseRequest);
    EXPECT_TRUE(machine.processes.IsRunning(LastId()));
    // An ended message loop ends the wait instead of spinning.
    ui.AfterWakes(5, [&] { ui.Post(0, ui::msg::Quit); });
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Closing);
    EXPECT_FALSE(ui.wakeLimitReached());
  });
  EXPECT_EQ(machine.processes.openHandleCount(), 0u);
}

TEST_F(LaunchAndWaitTest, AnEndInThePassOfTheCancelClickCountsAsTheEnd) {
  context::StartContext* running = nullptr;
  FakeProcesses::Plan endsWithTheClick = Runs();
  // The process is seen ending in the very pass that delivers the click.
  endsWithTheClick.endsWhen = [&] {
    return running != nullptr && running->pump().slot().eventId == startButton;
  };
  Plan(u"defrag", endsWithTheClick);
  InMode([&](context::StartContext& a) {
    running = &a;
    ui.AfterWakes(25, [&] { ui.Click(Window(a, startButton)); });
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Ended);
  });
}

TEST_F(LaunchAndWaitTest, WithoutACancelControlOnlyTheEndOrACloseStopsTheWait) {
  Plan(u"defrag", Runs(2));
  InMode([this](context::StartContext& a) {
    a.pump().SetCancelControl(0);
    ui.AfterWakes(10, [&] { ui.Click(Window(a, startButton)); });
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Ended);
  });
}

TEST_F(LaunchAndWaitTest, AnUnreadableExitCodeCountsAsTheEnd) {
  FakeProcesses::Plan unreadable = Runs();
  unreadable.exitCodeQueryFails = true;
  Plan(u"defrag", unreadable);
  InMode([this](context::StartContext& a) {
    EXPECT_EQ(WaitForDefrag(a), WaitResult::Ended);
    EXPECT_TRUE(machine.processes.IsRunning(LastId()));
  });
}

}  // namespace
}  // namespace twk::sequence

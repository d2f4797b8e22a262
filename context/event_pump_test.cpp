// The event pump inside a running mode: the close request from every source
// in every mode, the frame's own buttons and links, the poll modes, and
// enabling ranges of controls. The heartbeat's pace and Enter on a check box
// are tested with real windows (app/win32/application_win_test.cpp).
#include <gtest/gtest.h>

#include "app/app_fixture.h"

namespace twk::context {
namespace {

using app::apptest::AppFixture;
using ui::event::CloseRequest;

class EventPumpTest : public ::testing::Test, public AppFixture {
 protected:
  // Runs body inside a setup mode whose frame is shown.
  void InMode(std::function<void(context::StartContext&)> body) {
    inMode = [body](context::StartContext& a) {
      a.frame().Show(ui::ShowCommand::Normal);
      body(a);
    };
    Start(u"");
    ASSERT_EQ(setupRuns, 1);
  }

  // Waits until the slot holds `id` (or gives up after many passes).
  static bool WaitFor(StartContext& a, std::int32_t id, PumpMode mode = PumpMode::Wait) {
    for (int i = 0; i < 50; ++i) {
      a.pump().NextEvent(mode);
      if (a.pump().slot().eventId == id) return true;
    }
    return false;
  }

  ui::Handle Window(StartContext& a, int id) { return a.frame().Control(id)->window; }
};

TEST_F(EventPumpTest, EveryWayOfClosingGivesTheCloseRequestInEveryMode) {
  InMode([this](context::StartContext& a) {
    const struct {
      std::function<void()> close;
      PumpMode mode;
    } ways[] = {
        {[&] { ui.Click(Window(a, a.frame().header().close)); }, PumpMode::Wait},
        {[&] { ui.Click(Window(a, a.frame().header().close)); }, PumpMode::Poll},
        {[&] { ui.Click(Window(a, a.frame().header().close)); }, PumpMode::PollCount},
        {[&] { ui.Close(); }, PumpMode::Wait},
        {[&] { ui.AltF4(); }, PumpMode::Wait},
        {[&] { ui.EndSession(); }, PumpMode::Wait},
    };
    for (std::size_t i = 0; i < std::size(ways); ++i) {
      ways[i].close();
      ASSERT_TRUE(WaitFor(a, CloseRequest, ways[i].mode)) << "way " << i;
      EXPECT_TRUE(a.pump().slot().closeRequested);
      EXPECT_FALSE(ui.Find(ui.frame())->destroyed);
    }
  });
}

TEST_F(EventPumpTest, TheHeaderLinksOpenTheirPagesAndMinimiseMinimisesAllReachingTheLoop) {
  InMode([this](context::StartContext& a) {
    for (int id : {a.frame().header().updateLink, a.frame().header().homeLink,
                   a.frame().header().helpLink, a.frame().header().minimize}) {
      ui.Click(Window(a, id));
      EXPECT_TRUE(WaitFor(a, id)) << id;
    }
    EXPECT_TRUE(ui.Find(ui.frame())->minimized);
  });
  EXPECT_EQ(
      machine.shell.openedPages,
      (std::vector<Text>{u"http://www.tarnwick.example/twk/about.php?ver=2.6.0.0",
                         u"http://www.tarnwick.example/", u"http://www.tarnwick.example/twk/"}));
}

TEST_F(EventPumpTest, PollModesReportWhatTheyFoundAndAClickComesOnce) {
  InMode([this](context::StartContext& a) {
    while (a.pump().NextEvent(context::PumpMode::Poll) != 0) {
    }
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), 0);
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::PollCount), 0);

    ui.Post(ui.frame(), ui::msg::Null);
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), 1);

    const int button = a.frame().CreateButton(u"b", 0, 100, 50, 20);
    ASSERT_EQ(button & 0xFF, button);
    ui.Click(Window(a, button));
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), button);
    ui.Post(ui.frame(), ui::msg::KeyUp);  // dispatched, no event
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), 0);
    ui.Click(Window(a, button));
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::PollCount), 1);
    EXPECT_EQ(a.pump().slot().eventId, button);
    ui.Click(Window(a, button));
    int seen = 0;
    for (int i = 0; i < 10; ++i) {
      a.pump().NextEvent(context::PumpMode::Wait);
      seen += a.pump().slot().eventId == button ? 1 : 0;
    }
    EXPECT_EQ(seen, 1);
  });
}

TEST_F(EventPumpTest, FrameActionsBelongToTheFrameOnly) {
  InMode([this](context::StartContext& a) {
    // Another toolkit window whose control happens to have the close
    // button's id: its click is an ordinary event.
    ui::ToolkitWindow box(ui, a.pump().slot());
    ASSERT_NE(box.Create(u"TWK_MSG_CLASS", u"TWK Input Box", 450, 120), 0u);
    box.Show(ui::ShowCommand::Normal);
    int id = 0;
    while (id < a.frame().header().close) id = box.CreateButton(u"OK", 260, 88, 80, 26);
    ui.Click(box.Control(id)->window);
    ASSERT_TRUE(WaitFor(a, id));
    EXPECT_EQ(a.pump().slot().sourceWindow, &box);
    EXPECT_FALSE(a.pump().slot().closeRequested);
  });
}

TEST_F(EventPumpTest, SetControlsEnabledSkipsLabelsAndDrains) {
  InMode([this](context::StartContext& a) {
    ui::ToolkitWindow& f = a.frame();
    const int label = f.CreateLabel(u"Number of times to reboot:", 30, 110, 425, 18);
    const int edit = f.CreateEdit(u"5", 465, 102, 70, 26);
    const int upDown = f.CreateUpDown(30);
    const int box = f.CreateImageCheckBox(u" Box", 30, 195, 400, false, a.frame().checkedImage(),
                                          a.frame().uncheckedImage());
    const int button = f.CreateButton(u"Optimize now", 455, 225, 115, 26);
    ui.Click(Window(a, button));  // queued before the range is disabled

    // edit, up-down, the box (both parts change with its first id) and the button
    EXPECT_EQ(a.pump().SetControlsEnabled(label, button, context::ControlsState::Disabled), 4);
    EXPECT_TRUE(f.IsControlEnabled(label));
    for (int id : {edit, upDown, box - 1, box, button}) EXPECT_FALSE(f.IsControlEnabled(id));
    EXPECT_EQ(a.pump().SetControlsEnabled(label, button, context::ControlsState::Disabled), 0);
    // The click reaches a disabled button: no event.
    for (int i = 0; i < 3; ++i) {
      a.pump().NextEvent(context::PumpMode::Poll);
      EXPECT_NE(a.pump().slot().eventId, button);
    }
    EXPECT_FALSE(ui.Click(Window(a, button)));
    EXPECT_EQ(a.pump().SetControlsEnabled(edit, button, context::ControlsState::Enabled), 4);

    // first > last only drains, up to a message that gives no event.
    ui.Post(ui.frame(), ui::msg::Null);
    ui.Post(ui.frame(), ui::msg::Null);
    ui.Post(ui.frame(), ui::msg::MouseMove);
    ui.Post(ui.frame(), ui::msg::KeyUp);
    ui.Post(ui.frame(), ui::msg::Null);
    EXPECT_EQ(a.pump().SetControlsEnabled(button, edit, context::ControlsState::Enabled), 0);
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), 1);  // the last null message is left
    EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Poll), 0);
  });
}

}  // namespace
}  // namespace twk::context

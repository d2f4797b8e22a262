// The event pump inside a running mode: heartbeat wake-ups, the close
// request from every source, the frame's own buttons and links, Enter on
// check boxes, the poll modes, and enabling ranges of controls.
#include <gtest/gtest.h>

#include "app/app_fixture.h"

namespace twk::app {
namespace {

using apptest::AppFixture;
using ui::event::CloseRequest;

class EventPumpTest : public ::testing::Test, public AppFixture {
 protected:
  // Runs body inside a setup mode whose frame is shown.
  void InMode(std::function<void(Application&)> body) {
    inMode = [body](Application& a) {
      a.mainFrame.Show(ui::show::Normal);
      body(a);
    };
    Start(u"");
    ASSERT_EQ(setupRuns, 1);
  }

  // Waits until the slot holds `id` (or gives up after many passes).
  static bool WaitFor(Application& a, std::int32_t id, int passes = 50) {
    for (int i = 0; i < passes; ++i) {
      a.NextEvent(mode::Wait);
      if (a.eventSlot.eventId == id) return true;
    }
    return false;
  }

  ui::Handle Window(Application& a, int id) { return a.mainFrame.Control(id)->window; }
};

TEST_F(EventPumpTest, WithoutInputTheLoopWakesEvery20Milliseconds) {
  InMode([this](Application& a) {
    a.NextEvent(mode::Wait);  // the frame's activation
    const std::uint64_t start = machine.clock.milliseconds();
    for (int i = 0; i < 50; ++i) {
      EXPECT_EQ(a.NextEvent(mode::Wait), 1);
      EXPECT_EQ(a.eventSlot.eventId, 0);
      EXPECT_EQ(a.eventSlot.message.message, ui::msg::Null);
    }
    EXPECT_EQ(machine.clock.milliseconds() - start, 1000u);
    EXPECT_EQ(ui.wakes(), 50u);
  });
}

TEST_F(EventPumpTest, EveryWayOfClosingGivesTheCloseRequest) {
  InMode([this](Application& a) {
    const std::function<void()> ways[] = {
        [&] { ui.Click(Window(a, a.closeId)); },
        [&] { ui.Close(); },
        [&] { ui.AltF4(); },
        [&] { ui.EndSession(); },
    };
    for (const auto& way : ways) {
      way();
      ASSERT_TRUE(WaitFor(a, CloseRequest));
      EXPECT_TRUE(a.eventSlot.closeRequested);
      EXPECT_FALSE(ui.Find(ui.frame())->destroyed);
    }
  });
}

TEST_F(EventPumpTest, TheCloseButtonClosesInThePollModesToo) {
  InMode([this](Application& a) {
    for (int m : {mode::Poll, mode::PollCount}) {
      ui.Click(Window(a, a.closeId));
      bool closed = false;
      for (int i = 0; i < 5 && !closed; ++i) {
        a.NextEvent(m);
        closed = a.eventSlot.eventId == CloseRequest;
      }
      EXPECT_TRUE(closed) << "mode " << m;
    }
  });
}

TEST_F(EventPumpTest, LinksOpenTheirPagesAndReachTheLoop) {
  InMode([this](Application& a) {
    for (int id : {a.updateLinkId, a.homeLinkId, a.helpLinkId}) {
      ui.Click(Window(a, id));
      EXPECT_TRUE(WaitFor(a, id));
    }
  });
  EXPECT_EQ(
      machine.shell.openedPages,
      (std::vector<Text>{u"http://www.tarnwick.example/twk/about.php?ver=2.6.0.0",
                         u"http://www.tarnwick.example/", u"http://www.tarnwick.example/twk/"}));
}

TEST_F(EventPumpTest, TheMinimiseButtonMinimisesTheFrame) {
  InMode([this](Application& a) {
    ui.Click(Window(a, a.minimizeId));
    ASSERT_TRUE(WaitFor(a, a.minimizeId));
    EXPECT_TRUE(ui.Find(ui.frame())->minimized);
  });
}

TEST_F(EventPumpTest, EnterOnAFocusedCheckBoxTicksItLikeAClick) {
  InMode([this](Application& a) {
    const int box = a.mainFrame.CreateImageCheckBox(u" Sound", 30, 150, 450, false, a.checkedImage,
                                                    a.uncheckedImage);
    const int label = a.mainFrame.CreateLabel(u"label", 30, 200, 100, 18);
    a.NextEvent(mode::Wait);  // activation: the frame becomes the event source
    ASSERT_TRUE(ui.PressEnter(Window(a, box)));
    EXPECT_EQ(a.NextEvent(mode::Wait), 1);
    EXPECT_EQ(a.eventSlot.eventId, box);
    EXPECT_TRUE(a.mainFrame.IsControlChecked(box));
    EXPECT_EQ(ui.Find(Window(a, box - 1))->image, a.checkedImage);
    a.NextEvent(mode::Wait);  // the key's release
    EXPECT_EQ(a.eventSlot.message.message, ui::msg::KeyUp);

    // Enter on a label is just a key.
    ASSERT_TRUE(ui.PressEnter(Window(a, label)));
    a.NextEvent(mode::Wait);
    EXPECT_EQ(a.eventSlot.eventId, 0);
    EXPECT_EQ(a.eventSlot.message.message, ui::msg::KeyDown);
  });
}

TEST_F(EventPumpTest, AClickReachesTheLoopExactlyOnce) {
  InMode([this](Application& a) {
    const int button = a.mainFrame.CreateButton(u"  Pause", 260, 420, 150, 36);
    ui.Click(Window(a, button));
    int seen = 0;
    for (int i = 0; i < 10; ++i) {
      a.NextEvent(mode::Wait);
      if (a.eventSlot.eventId == button) ++seen;
    }
    EXPECT_EQ(seen, 1);
  });
}

TEST_F(EventPumpTest, PollModesReportWhatTheyFound) {
  InMode([this](Application& a) {
    while (a.NextEvent(mode::Poll) != 0) {
    }
    EXPECT_EQ(a.NextEvent(mode::Poll), 0);
    EXPECT_EQ(a.NextEvent(mode::PollCount), 0);

    ui.Post(ui.frame(), ui::msg::Null);
    EXPECT_EQ(a.NextEvent(mode::Poll), 1);

    const int button = a.mainFrame.CreateButton(u"b", 0, 100, 50, 20);
    ASSERT_EQ(button & 0xFF, button);
    ui.Click(Window(a, button));
    EXPECT_EQ(a.NextEvent(mode::Poll), 0);  // button down: dispatched, no event
    EXPECT_EQ(a.NextEvent(mode::Poll), button);
    ui.Click(Window(a, button));
    EXPECT_EQ(a.NextEvent(mode::PollCount), 1);
    EXPECT_EQ(a.NextEvent(mode::PollCount), 1);
    EXPECT_EQ(a.eventSlot.eventId, button);
  });
}

TEST_F(EventPumpTest, FrameActionsBelongToTheFrameOnly) {
  InMode([this](Application& a) {
    // Another toolkit window whose control happens to have the close
    // button's id: its click is an ordinary event.
    ui::ToolkitWindow box(ui, a.eventSlot);
    ASSERT_NE(box.Create(u"TWK_MSG_CLASS", u"TWK Input Box", 450, 120), 0u);
    box.Show(ui::show::Normal);
    int id = 0;
    while (id < a.closeId) id = box.CreateButton(u"OK", 260, 88, 80, 26);
    ui.Click(box.Control(id)->window);
    ASSERT_TRUE(WaitFor(a, id));
    EXPECT_EQ(a.eventSlot.sourceWindow, &box);
    EXPECT_FALSE(a.eventSlot.closeRequested);
  });
}

TEST_F(EventPumpTest, SetControlsEnabledSkipsLabelsAndDrains) {
  InMode([this](Application& a) {
    ui::ToolkitWindow& f = a.mainFrame;
    const int label = f.CreateLabel(u"Number of times to reboot:", 30, 110, 425, 18);
    const int edit = f.CreateEdit(u"5", 465, 102, 70, 26);
    const int upDown = f.CreateUpDown(30);
    const int box =
        f.CreateImageCheckBox(u" Box", 30, 195, 400, false, a.checkedImage, a.uncheckedImage);
    const int button = f.CreateButton(u"Optimize now", 455, 225, 115, 26);
    ui.Click(Window(a, button));  // queued before the range is disabled

    // edit, up-down, the box (both parts change with its first id) and the button
    EXPECT_EQ(a.SetControlsEnabled(label, button, true), 4);
    EXPECT_TRUE(f.IsControlEnabled(label));
    for (int id : {edit, upDown, box - 1, box, button}) EXPECT_FALSE(f.IsControlEnabled(id));
    EXPECT_EQ(a.SetControlsEnabled(label, button, true), 0);
    // The click's release reaches a disabled button: no event.
    for (int i = 0; i < 3; ++i) {
      a.NextEvent(mode::Poll);
      EXPECT_NE(a.eventSlot.eventId, button);
    }
    EXPECT_FALSE(ui.Click(Window(a, button)));
    EXPECT_EQ(a.SetControlsEnabled(edit, button, false), 4);

    // first > last only drains, up to a message that gives no event.
    ui.Post(ui.frame(), ui::msg::Null);
    ui.Post(ui.frame(), ui::msg::Null);
    ui.Post(ui.frame(), ui::msg::MouseMove);
    ui.Post(ui.frame(), ui::msg::KeyUp);
    ui.Post(ui.frame(), ui::msg::Null);
    EXPECT_EQ(a.SetControlsEnabled(button, edit, false), 0);
    EXPECT_EQ(a.NextEvent(mode::Poll), 1);  // the last null message is left
    EXPECT_EQ(a.NextEvent(mode::Poll), 0);
  });
}

}  // namespace
}  // namespace twk::app

// The simulated user and the simulated passing of time.
#include "ui/headless/headless_backend.h"

#include <gtest/gtest.h>

#include "base/strings.h"

namespace twk::ui {
namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.Create(u"TWK_GUI_CLASS", u"Tarnwick", 600, 465), 0u);
    ui.StartHeartbeat(window.handle());
    window.Show(show::Normal);
  }

  // One pass of a mode loop: wait, dispatch.
  Input Wait() { return ui.NextInput(FetchMode::Wait, InputRouting{}); }

  HeadlessBackend ui;
  EventSlot slot;
  ToolkitWindow window{ui, slot};
};

TEST_F(HeadlessTest, RulesRunBeforeTimePassesAndFireOnce) {
  std::uint64_t elapsed = 0;
  ui.SetHeartbeat(1000, [&](std::uint32_t ms) { elapsed += ms; });
  const int label = window.CreateLabel(u"14", 180, 90, 230, 50);
  int clicks = 0;
  ui.When([&] { return ui.TextAt(180, 90) == u"12"; },
          [&] {
            ++clicks;
            ui.Close();
          });

  // The program counts down one per wake, as a countdown loop would.
  int remaining = 14;
  while (true) {
    const Input in = Wait();
    if (in == Input::CloseRequest) break;
    if (in == Input::Heartbeat)
      window.SetControlText(label, FormatUnsigned(static_cast<std::uint32_t>(--remaining)));
  }
  EXPECT_EQ(remaining, 12);  // the user acted while 12 was shown, before the next second
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(elapsed, 2000u);
  EXPECT_EQ(ui.wakes(), 2u);
}

}  // namespace
}  // namespace twk::ui

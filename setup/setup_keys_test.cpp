// The setup window from the keyboard: Tab's way through it, what each
// control is called, Enter starting the operation from an edit box and
// Escape closing the window as its close button does.
#include <gtest/gtest.h>

#include "setup/setup_test_support.h"
#include "ui/headless/keyboard_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;
using ui::testing::NamedAt;

class SetupKeysTest : public ::testing::Test, public SetupMachine {};

const std::vector<Text> kTabOrder = {
    u"Powered by Tarnwick Software.",
    u"Check for updates",
    u"Online help",
    u"Number of times to reboot",
    u"Delay, in minutes, between each reboot",
    u"Display a detailed report after the last reboot",
    u"Optimize the system partition before the operation",
    u"Optimize now",
    u"Process idle tasks before the operation",
    u"Process now",
    u"Backup and restore desktop icon layout",
    u"Backup now",
    u"Restore now",
    u"Automatically log the current user on each boot up",
    u"Disable Auto-logon once the whole operation completes",
    u"Start operation",
};

TEST_F(SetupKeysTest, TabGoesThroughTheSetupInReadingOrderAndShiftTabBack) {
  std::vector<Text> forward, backward;
  bool marked = false;
  PlainStart([&](ui::HeadlessBackend& ui) {
    // Round the end once: the first again.
    ui::testing::WalkTabs(ui, static_cast<int>(kTabOrder.size()) + 1, false, forward, [&] {
      marked = ui.Find(ui.frame())->focusMarked;
      ui::testing::WalkTabs(ui, 2, true, backward, [&ui] { ui.Close(); });
    });
  });
  std::vector<Text> expected = kTabOrder;
  expected.push_back(kTabOrder.front());
  EXPECT_EQ(forward, expected);
  EXPECT_EQ(backward, (std::vector<Text>{kTabOrder.back(), kTabOrder[kTabOrder.size() - 2]}));
  EXPECT_TRUE(marked);
}

TEST_F(SetupKeysTest, EveryControlOfTheSetupIsNamedByWhatItShows) {
  const std::vector<NamedAt> table = {
      {2, 2, u"Tarnwick - Setup"},  // the header band, by its title
      {6, 6, u"Tarnwick"},
      {78, 12, u"Tarnwick - Setup"},
      {535, 5, u"Minimize this dialog box"},
      {569, 5, u"Close this dialog box"},
      {80, 50, u"Powered by Tarnwick Software."},
      {320, 50, u"Check for updates"},
      {500, 50, u"Online help"},
      {30, 110, u"Number of times to reboot"},
      {30, 150, u"Delay, in minutes, between each reboot"},
      {465, 102, u"Number of times to reboot"},
      {465, 142, u"Delay, in minutes, between each reboot"},
      {30, 195, u"Display a detailed report after the last reboot"},  // the box's picture
      {46, 194, u"Display a detailed report after the last reboot"},
      {46, 229, u"Optimize the system partition before the operation"},
      {455, 225, u"Optimize now"},
      {46, 264, u"Process idle tasks before the operation"},
      {455, 260, u"Process now"},
      {46, 299, u"Backup and restore desktop icon layout"},
      {330, 295, u"Backup now"},
      {455, 295, u"Restore now"},
      {46, 334, u"Automatically log the current user on each boot up"},
      {66, 359, u"Disable Auto-logon once the whole operation completes"},
      {20, 410, u"Progress of the preparations"},
      {20, 430, u"Set the desired options and press 'Start operation'"},
      {380, 405, u"Start operation"},
  };
  std::vector<std::string> seen, unnamed, upDowns;
  PlainStart([&](ui::HeadlessBackend& ui) {
    seen = ui::testing::NamesAt(ui, table);
    unnamed = ui::testing::Unnamed(ui, ui.frame());
    for (const auto* w : ui.ControlsOf(ui.frame())) {
      if (w->kind == ui::ControlKind::UpDown) upDowns.push_back(ToUtf8(w->accessibleName));
    }
    ui.Close();
  });
  EXPECT_EQ(seen, ui::testing::Expected(table));
  EXPECT_EQ(unnamed, std::vector<std::string>{});
  EXPECT_EQ(upDowns, (std::vector<std::string>{"Number of times to reboot",
                                               "Delay, in minutes, between each reboot"}));
}

TEST_F(SetupKeysTest, EnterInAnEditBoxStartsTheOperationWithWhatWasTyped) {
  const auto& record = PlainStart([](ui::HeadlessBackend& ui) {
    ui.Type(TimesBox(ui), u"3");
    ui.Type(DelayBox(ui), u"2");  // the focus stays in the delay's box
    ui.PressKey(ui::msg::VkReturn);
  });
  EXPECT_TRUE(record.restartRequested) << record.dump;
  EXPECT_TRUE(StoredChoices().starts_with("TimesToReboot=3 RebootDelay=2")) << StoredChoices();
}

// The close button's way, whichever control has the focus: the window
// closes and nothing starts. (The dialog manager would have sent the
// command of id 2 instead, which is one of the header's controls.)
TEST_F(SetupKeysTest, EscapeClosesTheSetupAsItsCloseButtonDoesAndStartsNothing) {
  WatchHooks();
  for (const bool fromEdit : {false, true}) {
    SCOPED_TRACE(fromEdit);
    const auto& record = PlainStart([fromEdit](ui::HeadlessBackend& ui) {
      if (fromEdit) ui.Type(TimesBox(ui), u"3");
      ui.PressKey(ui::msg::VkEscape);
    });
    EXPECT_FALSE(record.restartRequested);
    EXPECT_EQ(record.exitCode, 0);
    EXPECT_EQ(record.runValueAfter, std::nullopt);
    EXPECT_EQ(calls, std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace twk::setup

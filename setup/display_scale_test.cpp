// The setup window at display scales of 100, 125, 150 and 200 %: every
// control's place and size, its font and its picture are the 96-DPI layout
// (which the tests beside this one and the Wine scenarios pin) times the
// scale, rounded as Windows rounds; the skin's corners too.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup/setup_test_support.h"
#include "ui/headless/layout_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;

using ui::testing::Layout;
using ui::testing::Placed;

class DisplayScaleTest : public ::testing::Test, public SetupMachine {
 protected:
  Layout SetupAt(int dpi) {
    Layout seen;
    user = [&seen, dpi](ui::HeadlessBackend& ui, int) {
      ui.SetDpi(dpi);
      ui.When([&ui] { return ui.FindByText(kStart) != 0; },
              [&ui, &seen] {
                seen = ui::testing::LayoutOf(ui, ui.frame());
                ui.Close();
              });
    };
    Start(u"");
    return seen;
  }
};

TEST_F(DisplayScaleTest, TheSetupIsItsLayoutTimesTheScale) {
  const Layout base = SetupAt(96);
  ASSERT_GE(base.controls.size(), 30u);  // the header's and the setup's
  EXPECT_EQ(base.clientWidth, 600);
  EXPECT_EQ(base.skinCorner, 4);
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    ui::testing::ExpectScaled(base, SetupAt(dpi), dpi);
  }
}

// The same rule worked out by hand for the main button, its picture and its
// font (Arial 14 bold: 18 pixels at 96 DPI), so that the rule above cannot
// drift unseen: 405 x 1.25 = 506.25 and 42 x 1.25 = 52.5 round to 506 and 53.
TEST_F(DisplayScaleTest, TheStartButtonAtEachScaleByHand) {
  const struct {
    int dpi, x, y, width, height, picture, font;
  } cases[] = {{96, 380, 405, 200, 42, 26, -18},
               {120, 475, 506, 250, 53, 33, -23},
               {144, 570, 608, 300, 63, 39, -27},
               {192, 760, 810, 400, 84, 52, -36}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    const Layout at = SetupAt(c.dpi);
    const auto button = std::find_if(at.controls.begin(), at.controls.end(), [&](const Placed& p) {
      return p.kind == ui::ControlKind::PushButton && p.x == c.x && p.y == c.y;
    });
    ASSERT_NE(button, at.controls.end());
    EXPECT_EQ(button->width, c.width);
    EXPECT_EQ(button->height, c.height);
    EXPECT_EQ(button->imageWidth, c.picture);
    EXPECT_EQ(ui::FontHeightAt(button->points, button->fontDpi), c.font);
  }
}

}  // namespace
}  // namespace twk::setup

// The setup window at display scales of 100, 125, 150 and 200 %: every
// control's place and size, its font and its picture are the 96-DPI layout
// (which the tests beside this one and the Wine scenarios pin) times the
// scale, rounded as Windows rounds; the skin's corners too.
#include <gtest/gtest.h>

#include "setup/setup_test_support.h"

namespace twk::setup {
namespace {

using namespace testing;

// One control as the program made it, in the backend's pixels.
struct Placed {
  ui::ControlKind kind = ui::ControlKind::None;
  int x = 0, y = 0, width = 0, height = 0;
  double points = 0;  // 0: no font of its own
  int fontDpi = 0;
  int imageWidth = 0, imageHeight = 0;
};

class DisplayScaleTest : public ::testing::Test, public SetupMachine {
 protected:
  struct Seen {
    std::vector<Placed> controls;
    int clientWidth = 0, clientHeight = 0, skinCorner = 0;
  };

  Seen SetupAt(int dpi) {
    Seen seen;
    user = [&seen, dpi](ui::HeadlessBackend& ui, int) {
      ui.SetDpi(dpi);
      ui.When([&ui] { return ui.FindByText(kStart) != 0; },
              [&ui, &seen] {
                const auto* frame = ui.Find(ui.frame());
                seen.clientWidth = frame->width;
                seen.clientHeight = frame->height;
                seen.skinCorner = frame->skinCorner;
                for (const auto* w : ui.ControlsOf(ui.frame())) {
                  Placed p{w->kind, w->x, w->y, w->width, w->height};
                  if (w->hasFont) p.points = w->font.points, p.fontDpi = w->font.dpi;
                  if (const auto* image = ui.FindObject(w->image)) {
                    p.imageWidth = image->width;
                    p.imageHeight = image->height;
                  }
                  seen.controls.push_back(p);
                }
                ui.Close();
              });
    };
    Start(u"");
    return seen;
  }
};

TEST_F(DisplayScaleTest, TheSetupIsItsLayoutTimesTheScale) {
  const Seen base = SetupAt(96);
  ASSERT_GE(base.controls.size(), 30u);  // the header's and the setup's
  EXPECT_EQ(base.clientWidth, 600);
  EXPECT_EQ(base.skinCorner, 4);
  const auto scaled = [](int length, int dpi) { return ui::ScaleToDpi(length, dpi); };
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const Seen at = SetupAt(dpi);
    EXPECT_EQ(at.clientWidth, scaled(600, dpi));
    EXPECT_EQ(at.clientHeight, scaled(465, dpi));
    EXPECT_EQ(at.skinCorner, scaled(4, dpi));
    ASSERT_EQ(at.controls.size(), base.controls.size());
    for (std::size_t i = 0; i < base.controls.size(); ++i) {
      SCOPED_TRACE(i);
      const Placed& b = base.controls[i];
      const Placed& p = at.controls[i];
      EXPECT_EQ(p.kind, b.kind);
      // An up-down takes its size from its edit field.
      if (b.kind != ui::ControlKind::UpDown) {
        EXPECT_EQ(p.x, scaled(b.x, dpi));
        EXPECT_EQ(p.y, scaled(b.y, dpi));
        EXPECT_EQ(p.width, scaled(b.width, dpi));
        EXPECT_EQ(p.height, scaled(b.height, dpi));
      }
      EXPECT_EQ(p.points, b.points);
      EXPECT_EQ(p.fontDpi, b.points != 0 ? dpi : 0);
      EXPECT_EQ(p.imageWidth, scaled(b.imageWidth, dpi));
      EXPECT_EQ(p.imageHeight, scaled(b.imageHeight, dpi));
    }
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
    const Seen at = SetupAt(c.dpi);
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

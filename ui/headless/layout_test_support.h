#pragma once
// What a window looks like in the headless backend's pixels: every control's
// kind, place, size, font and picture size, and the window's own size and
// skin. Taken at 96 DPI and at another scale, the second must be the first
// times the scale (ExpectScaled).
#include <gtest/gtest.h>

#include <vector>

#include "ui/headless/headless_backend.h"

namespace twk::ui::testing {

struct Placed {
  ControlKind kind = ControlKind::None;
  int x = 0, y = 0, width = 0, height = 0;
  double points = 0;  // 0: no font of its own
  int fontDpi = 0;
  int imageWidth = 0, imageHeight = 0;
};

struct Layout {
  std::vector<Placed> controls;
  int clientWidth = 0, clientHeight = 0, skinCorner = 0;
};

inline Layout LayoutOf(const HeadlessBackend& ui, Handle top) {
  Layout seen;
  const auto* frame = ui.Find(top);
  if (frame == nullptr) return seen;
  seen.clientWidth = frame->width;
  seen.clientHeight = frame->height;
  seen.skinCorner = frame->skinCorner;
  for (const auto* w : ui.ControlsOf(top)) {
    Placed p{w->kind, w->x, w->y, w->width, w->height};
    if (w->hasFont) p.points = w->font.points, p.fontDpi = w->font.dpi;
    if (const auto* image = ui.FindObject(w->image)) {
      p.imageWidth = image->width;
      p.imageHeight = image->height;
    }
    seen.controls.push_back(p);
  }
  return seen;
}

inline void ExpectScaled(const Layout& base, const Layout& at, int dpi) {
  const auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
  EXPECT_EQ(at.clientWidth, scaled(base.clientWidth));
  EXPECT_EQ(at.clientHeight, scaled(base.clientHeight));
  EXPECT_EQ(at.skinCorner, scaled(base.skinCorner));
  ASSERT_EQ(at.controls.size(), base.controls.size());
  for (std::size_t i = 0; i < base.controls.size(); ++i) {
    SCOPED_TRACE(i);
    const Placed& b = base.controls[i];
    const Placed& p = at.controls[i];
    EXPECT_EQ(p.kind, b.kind);
    // An up-down takes its size from its edit field.
    if (b.kind != ControlKind::UpDown) {
      EXPECT_EQ(p.x, scaled(b.x));
      EXPECT_EQ(p.y, scaled(b.y));
      EXPECT_EQ(p.width, scaled(b.width));
      EXPECT_EQ(p.height, scaled(b.height));
    }
    EXPECT_EQ(p.points, b.points);
    EXPECT_EQ(p.fontDpi, b.points != 0 ? dpi : 0);
    EXPECT_EQ(p.imageWidth, scaled(b.imageWidth));
    EXPECT_EQ(p.imageHeight, scaled(b.imageHeight));
  }
}

}  // namespace twk::ui::testing

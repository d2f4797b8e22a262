#include "ui/control_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace twk::ui {
namespace {

ControlRecord Label() {
  ControlRecord r;
  r.kind = ControlKind::Label;
  r.window = 0x10;
  return r;
}

TEST(ControlTable, IdsFollowTheHighestLiveIdAndDeletingTheTopIdsHandsThemOutAgain) {
  ControlTable table;
  EXPECT_EQ(table.Find(0), nullptr);
  for (int expected = 1; expected <= 5; ++expected) EXPECT_EQ(table.Add(Label()), expected);
  EXPECT_FALSE(table.Remove(0));
  EXPECT_FALSE(table.Remove(6));
  // A hole below a live control stays a hole.
  EXPECT_TRUE(table.Remove(3));
  EXPECT_FALSE(table.Remove(3));
  EXPECT_EQ(table.Find(3), nullptr);
  EXPECT_EQ(table.Add(Label()), 6);
  EXPECT_TRUE(table.Remove(6));
  EXPECT_TRUE(table.Remove(5));
  EXPECT_EQ(table.count(), 4);
  EXPECT_TRUE(table.Remove(4));
  // The count falls past the free entries 4 and 3 down to the live 2.
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.Add(Label()), 3);
  for (int id : {1, 2, 3}) EXPECT_TRUE(table.Remove(id));
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.Add(Label()), 1);
}

TEST(ControlTable, RecordsSurviveTheTableGrowing) {
  ControlTable table;
  for (std::uintptr_t i = 1; i <= 1100; ++i) {
    ControlRecord record = Label();
    record.window = i;
    EXPECT_EQ(table.Add(std::move(record)), static_cast<int>(i));
  }
  ASSERT_NE(table.Find(1), nullptr);
  EXPECT_EQ(table.Find(1)->window, 1u);
  EXPECT_EQ(table.IdOfHandle(508), 508);
  EXPECT_EQ(table.count(), 1100);
}

TEST(FontHeight, PointsAt96DotsPerInchTruncatedTowardZero) {
  // 14 points are -18.67; below one point the size counts as 8.5 (-11.33).
  const std::pair<double, int> cases[] = {{9.0, -12}, {14.0, -18}, {11.0, -14}, {32.0, -42},
                                          {0.5, -11}, {0.99, -11}, {1.0, -1}};
  for (auto [points, height] : cases) EXPECT_EQ(FontHeight(points), height) << points;
}

TEST(StateFlags, TheFirstBitOfEachPairWins) {
  // visible, check, enabled, focus control, focus window
  const auto resolved = [](std::uint32_t flags) {
    const StateRequest r = ResolveStateFlags(flags);
    return std::vector<int>{r.visible, r.check, r.enabled, r.focusControl, r.focusWindow};
  };
  EXPECT_EQ(resolved(0), (std::vector<int>{-1, -1, -1, 0, 0}));
  EXPECT_EQ(resolved(state::Hide | state::Show), (std::vector<int>{0, -1, -1, 0, 0}));
  EXPECT_EQ(resolved(state::Unchecked | state::Checked | state::Indeterminate),
            (std::vector<int>{-1, 1, -1, 0, 0}));
  EXPECT_EQ(resolved(state::Unchecked | state::Indeterminate), (std::vector<int>{-1, 0, -1, 0, 0}));
  EXPECT_EQ(resolved(state::Indeterminate), (std::vector<int>{-1, 2, -1, 0, 0}));
  EXPECT_EQ(resolved(state::Disable | state::Enable), (std::vector<int>{-1, -1, 1, 0, 0}));
  EXPECT_EQ(resolved(state::Disable | state::FocusControl), (std::vector<int>{-1, -1, 0, 1, 0}));
}

TEST(ControlKinds, EnterClicksOnlyButtonsAndCheckBoxesOfTheToolkit) {
  for (ControlKind k :
       {ControlKind::ImageCheckBox, ControlKind::ImageRadioButton, ControlKind::ImageToggle}) {
    EXPECT_TRUE(IsClickableKind(k)) << static_cast<int>(k);
  }
  for (ControlKind k : {ControlKind::PushButton, ControlKind::Label, ControlKind::Edit,
                        ControlKind::Link, ControlKind::SmallPicture}) {
    EXPECT_FALSE(IsClickableKind(k)) << static_cast<int>(k);
  }
}

}  // namespace
}  // namespace twk::ui

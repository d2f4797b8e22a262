#include "ui/control_table.h"

#include <gtest/gtest.h>

namespace twk::ui {
namespace {

ControlRecord Label() {
  ControlRecord r;
  r.kind = ControlKind::Label;
  r.window = 0x10;
  return r;
}

TEST(ControlTable, IdsStartAtOneAndFollowTheHighestLiveId) {
  ControlTable table;
  EXPECT_EQ(table.Find(0), nullptr);
  for (int expected = 1; expected <= 5; ++expected) EXPECT_EQ(table.Add(Label()), expected);

  // A hole below a live control stays a hole.
  EXPECT_TRUE(table.Remove(3));
  EXPECT_EQ(table.Find(3), nullptr);
  EXPECT_EQ(table.Add(Label()), 6);
}

TEST(ControlTable, DeletingTheTopIdsHandsThemOutAgain) {
  ControlTable table;
  for (int i = 0; i < 5; ++i) table.Add(Label());
  EXPECT_TRUE(table.Remove(3));
  EXPECT_TRUE(table.Remove(5));
  EXPECT_EQ(table.count(), 4);
  EXPECT_TRUE(table.Remove(4));
  // The count falls past the free entries 4 and 3 down to the live 2.
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.Add(Label()), 3);
}

TEST(ControlTable, RemovingWhatIsNotThereFails) {
  ControlTable table;
  table.Add(Label());
  EXPECT_FALSE(table.Remove(0));
  EXPECT_FALSE(table.Remove(2));
  EXPECT_TRUE(table.Remove(1));
  EXPECT_FALSE(table.Remove(1));
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(table.Add(Label()), 1);
}

TEST(ControlTable, DoublesItsCapacityWhenTheCountComesNearIt) {
  ControlTable table;
  EXPECT_EQ(table.capacity(), 512);
  for (int i = 0; i < 507; ++i) table.Add(Label());
  EXPECT_EQ(table.capacity(), 512);
  ControlRecord marked = Label();
  marked.window = 0x77;
  table.Add(std::move(marked));  // 508: within 4 of 512
  EXPECT_EQ(table.capacity(), 1024);
  // The records were carried over.
  ASSERT_NE(table.Find(508), nullptr);
  EXPECT_EQ(table.Find(508)->window, 0x77u);
  EXPECT_EQ(table.IdOfHandle(0x77), 508);
  for (int i = 0; i < 600; ++i) table.Add(Label());
  EXPECT_EQ(table.count(), 1108);
  EXPECT_EQ(table.capacity(), 2048);
}

TEST(FontHeight, PointsAt96DotsPerInchTruncatedTowardZero) {
  EXPECT_EQ(FontHeight(9.0), -12);
  EXPECT_EQ(FontHeight(14.0), -18);  // -18.67
  EXPECT_EQ(FontHeight(11.0), -14);  // -14.67
  EXPECT_EQ(FontHeight(32.0), -42);  // -42.67
  // Below one point the size counts as 8.5 (-11.33).
  EXPECT_EQ(FontHeight(0.5), -11);
  EXPECT_EQ(FontHeight(0.99), -11);
  EXPECT_EQ(FontHeight(1.0), -1);
}

TEST(StateFlags, TheFirstBitOfEachPairWins) {
  StateRequest r = ResolveStateFlags(state::Hide | state::Show);
  EXPECT_EQ(r.visible, 0);
  r = ResolveStateFlags(state::Unchecked | state::Checked | state::Indeterminate);
  EXPECT_EQ(r.check, 1);
  r = ResolveStateFlags(state::Unchecked | state::Indeterminate);
  EXPECT_EQ(r.check, 0);
  r = ResolveStateFlags(state::Indeterminate);
  EXPECT_EQ(r.check, 2);
  r = ResolveStateFlags(state::Disable | state::Enable);
  EXPECT_EQ(r.enabled, 1);
  r = ResolveStateFlags(state::Disable | state::FocusControl);
  EXPECT_EQ(r.enabled, 0);
  EXPECT_TRUE(r.focusControl);
  EXPECT_FALSE(r.focusWindow);
  r = ResolveStateFlags(0);
  EXPECT_EQ(r.visible, -1);
  EXPECT_EQ(r.check, -1);
  EXPECT_EQ(r.enabled, -1);
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

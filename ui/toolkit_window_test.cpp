// The shared toolkit over the headless backend: what a control is created
// with, the id and member rules, and which message becomes which event.
#include "ui/toolkit_window.h"

#include <gtest/gtest.h>

#include "ui/headless/headless_backend.h"

namespace twk::ui {
namespace {

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.Create(u"TEST_CLASS", u"Test", 400, 300), 0u);
    window.Show(ShowCommand::Normal);
    slot = EventSlot{};  // forget the activation
    baseline = ui.LiveObjects();
    checked = ui.MakeObject(ui::draw::CheckBoxBitmap(1));
    unchecked = ui.MakeObject(ui::draw::CheckBoxBitmap(0));
  }

  // Dispatches everything queued, as a pump that never waits would.
  void Pump() {
    while (ui.NextInput(FetchMode::Peek, InputRouting{}) != Input::None) {
    }
  }

  Handle WindowOf(int id) { return window.Control(id)->window; }
  const HeadlessBackend::Window& Shown(int id) { return *ui.Find(WindowOf(id)); }

  Translation Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    Message m;
    m.window = window.handle();
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return TranslateMessage(window, m);
  }

  HeadlessBackend ui;
  EventSlot slot;
  ToolkitWindow window{ui, slot};
  std::size_t baseline = 0;
  Handle checked = 0, unchecked = 0;
};

// Where the two parts sit, and the text part's click switching the picture,
// are the real backend's tests; here the state the parts share.
TEST_F(ToolkitTest, ImageCheckBoxIsAPictureAndATextThatShareOneStateAndBothTakeClicks) {
  const int id =
      window.CreateImageCheckBox(u" Play a sound", 30, 150, 450, false, checked, unchecked);
  ASSERT_EQ(id, 2);
  EXPECT_TRUE(Shown(1).checkBoxPicture);
  EXPECT_FALSE(Shown(1).options.tabStop);
  EXPECT_FALSE(Shown(2).checkBoxPicture);
  EXPECT_TRUE(Shown(2).options.tabStop);
  EXPECT_EQ(Shown(1).image, unchecked);
  EXPECT_EQ(window.Control(1)->checkBox, window.Control(2)->checkBox);
  EXPECT_EQ(window.Control(2)->textColour, 0);
  EXPECT_FALSE(window.IsControlChecked(id));

  // Clicking either part toggles the box and posts the text part's id.
  for (const int part : {id, id - 1}) {
    slot = EventSlot{};
    ASSERT_TRUE(ui.Click(WindowOf(part)));
    Pump();
    EXPECT_EQ(slot.eventId, id) << part;
    EXPECT_EQ(window.IsControlChecked(id), part == id);
    EXPECT_EQ(Shown(id - 1).image, part == id ? checked : unchecked);
  }

  // State flags act on both parts.
  EXPECT_TRUE(window.SetControlState(id, state::Hide | state::Disable | state::Checked));
  EXPECT_FALSE(Shown(id).visible);
  EXPECT_FALSE(Shown(id - 1).visible);
  EXPECT_FALSE(Shown(id - 1).enabled);
  EXPECT_EQ(window.GetControlState(id), state::Hide | state::Disable | state::Checked);
  EXPECT_EQ(window.GetControlState(id - 1) & state::Checked, state::Checked);
}

TEST_F(ToolkitTest, AFailedTextPartTakesThePictureWithIt) {
  window.CreateLabel(u"before", 0, 0, 10, 10);
  ui.FailNextControls(1, 1);  // the picture succeeds, the text part fails
  EXPECT_EQ(window.CreateImageCheckBox(u"x", 0, 0, 50, false, checked, unchecked), 0);
  EXPECT_EQ(window.count(), 1);
  EXPECT_EQ(ui.ControlsOf(window.handle()).size(), 1u);
  EXPECT_EQ(window.CreateLabel(u"after", 0, 0, 10, 10), 2);
}

TEST_F(ToolkitTest, UpDownNeedsAnEditFieldCreatedLastAndTheGroupFlagGoesOnOneControl) {
  window.CreateLabel(u"Times", 0, 0, 100, 18);
  EXPECT_EQ(window.CreateUpDown(30), 0);
  const int edit = window.CreateEdit(u"5", 465, 102, 70, 26);
  const int upDown = window.CreateUpDown(30);
  ASSERT_NE(upDown, 0);
  EXPECT_EQ(window.Control(edit)->upDownId, upDown);
  EXPECT_EQ(Shown(upDown).upDownBuddy, WindowOf(edit));
  // The group flag goes on the next control only.
  window.StartGroup();
  const int first = window.CreateButton(u"a", 0, 60, 10, 10);
  const int second = window.CreateButton(u"b", 0, 70, 10, 10);
  EXPECT_TRUE(Shown(first).startsGroup);
  EXPECT_FALSE(Shown(second).startsGroup);
}

TEST_F(ToolkitTest, ChildWindowCollectsItsMembersAndTakesThemAlong) {
  const int band = window.CreateChildWindow(2, 2, 596, 78);
  const int a = window.CreateLabel(u"a", 0, 0, 10, 10);
  const int b = window.CreateButton(u"b", 0, 0, 10, 10);
  window.CloseChildWindow();
  const int outside = window.CreateLabel(u"c", 0, 0, 10, 10);
  // Whose window each is: the frame's header test; its class: tests/wine/app_start.sh.
  EXPECT_EQ(window.Control(band)->members, (std::vector<int>{a, b}));

  EXPECT_TRUE(window.DeleteControl(band));
  EXPECT_EQ(window.Control(a), nullptr);
  EXPECT_EQ(window.Control(b), nullptr);
  EXPECT_NE(window.Control(outside), nullptr);

  // The member list holds at most 255 ids.
  const int full = window.CreateChildWindow(0, 0, 100, 100);
  for (int i = 0; i < 300; ++i) window.CreateLabel(u"", 0, 0, 1, 1);
  EXPECT_EQ(window.Control(full)->members.size(), 255u);
  EXPECT_EQ(window.Control(full)->members.back(), full + 255);
}

// That no start's windows leave a drawing object behind, pictures and
// images included, is the whole-sequence simulation's check; here deleting
// single controls, which only the history window does.
TEST_F(ToolkitTest, EachControlOwnsItsBrushAndDeletingTheControlReleasesIt) {
  window.SetColours(0xFFFFFF, 0x123456);
  const int label = window.CreateLabel(u"a", 0, 0, 10, 10);
  const int bar = window.CreateProgressBar(0, 0, 10, 10);
  ASSERT_NE(window.Control(label)->brush, 0u);
  EXPECT_EQ(ui.FindObject(window.Control(label)->brush)->colour, 0x123456);
  EXPECT_EQ(window.Control(label)->textColour, 0xFFFFFF);
  EXPECT_EQ(window.Control(bar)->brush, 0u);
  window.DeleteControl(label);
  window.DeleteControl(bar);
  EXPECT_EQ(ui.LiveObjects(), baseline + 2);  // only the two check-box images
  ASSERT_TRUE(window.Destroy());
  EXPECT_EQ(window.handle(), 0u);
  EXPECT_FALSE(window.Destroy());
  EXPECT_EQ(ui.doubleFrees(), 0);
}

TEST_F(ToolkitTest, WindowMessagesGiveTheirEvents) {
  const struct {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::int32_t event;
  } cases[] = {
      {msg::LButtonDown, 0, event::LeftDown},
      {msg::LButtonUp, 0, event::LeftUp},
      {msg::RButtonDown, 0, event::RightDown},
      {msg::RButtonUp, 0, event::RightUp},
      {msg::LButtonDblClk, 0, event::LeftDoubleClick},
      {msg::RButtonDblClk, 0, event::RightDoubleClick},
      {msg::MouseMove, 0, event::MouseMoved},
      {msg::MouseWheel, 0, event::MouseWheel},
      {msg::NcLButtonDblClk, 2, event::FrameDoubleClick},
      {msg::NcLButtonDown, 2, event::FrameLeftDown},
      {msg::NcLButtonUp, 2, event::FrameLeftUp},
      {msg::NcMouseLeave, 0, event::MouseLeftFrame},
      {msg::Activate, 1, event::Activated},
      {msg::Activate, 0, event::Deactivated},
      // Activation is read from the low word: the high word is set while minimised.
      {msg::Activate, MakeWParam(0, 1), event::Deactivated},
      {msg::Activate, MakeWParam(2, 1), event::Activated},
      {msg::Activate, MakeWParam(0, 0xFFFF), event::Deactivated},
      {msg::Size, 1, event::Resized},
      {msg::Sizing, 0, event::Resized},
      {msg::Moving, 0, event::Moving},
      {msg::Move, 0, event::Moved},
      {msg::SysCommand, msg::ScMove, event::Moving},
      {msg::SysCommand, msg::ScRestore, event::Restoring},
      {msg::SysCommand, msg::ScMaximize, event::Maximizing},
      {msg::EndSession, 1, event::SessionEnds},
      {msg::QueryEndSession, 0, event::SessionEnds},
      {msg::SysCommand, msg::ScMinimize + 2, event::Minimizing},  // low bits are the system's
  };
  for (const auto& c : cases) {
    slot = EventSlot{};
    Send(c.message, c.wParam, 0x00100020);
    EXPECT_EQ(slot.eventId, c.event) << std::hex << c.message << " " << c.wParam;
    EXPECT_EQ(slot.details.idOrCode, c.wParam);
    EXPECT_EQ(slot.sourceWindow, &window);
  }
  // Restored and maximised sizes are not events.
  for (std::uintptr_t type : {0u, 2u}) {
    slot = EventSlot{};
    Send(msg::Size, type);
    EXPECT_EQ(slot.eventId, 0);
  }
}

TEST_F(ToolkitTest, CommandsFromControlsByKind) {
  const int label = window.CreateLabel(u"l", 0, 0, 10, 10);
  window.CreateEdit(u"e", 0, 0, 10, 10);
  const int button = window.CreateButton(u"b", 0, 0, 10, 10);
  const auto command = [&](int id, int code, Handle from) {
    slot = EventSlot{};
    Send(msg::Command, MakeWParam(static_cast<std::uint16_t>(id), static_cast<std::uint16_t>(code)),
         static_cast<std::intptr_t>(from));
    return slot.eventId;
  };
  EXPECT_EQ(command(label, msg::StnDblClk, WindowOf(label)), event::LeftDoubleClick);
  EXPECT_EQ(command(button, 0, WindowOf(button)), button);
  EXPECT_FALSE(slot.closeRequested);
  // An accelerator: notification 1 without a control window.
  EXPECT_EQ(command(button, 1, 0), button);
  // Other notifications of a button, unknown ids and foreign handles: nothing.
  EXPECT_EQ(command(button, 5, WindowOf(button)), 0);
  EXPECT_EQ(command(99, 0, 0), 0);
  EXPECT_EQ(command(button, 0, WindowOf(label)), 0);
}

TEST_F(ToolkitTest, ListComboAndEditNotificationsBecomeTheirEventsAndOtherCodesNothing) {
  const int list = window.CreateListBox(0, 0, 100, 100);
  const int combo = window.CreateComboBox(0, 110, 100, 100);
  const int edit = window.CreateEdit(u"e", 0, 220, 100, 20);
  ASSERT_EQ(Shown(list).kind, ControlKind::ListBox);
  ASSERT_EQ(Shown(combo).kind, ControlKind::ComboBox);
  // Event 0: the slot is left alone (code 0 would be a button's click).
  const struct {
    int id;
    int code;
    std::int32_t event;
  } cases[] = {
      {list, 1, -65},     {list, 2, -66},     {list, 3, -67},     {list, 4, -68},
      {list, 5, -69},     {combo, 1, -65},    {combo, 3, -67},    {combo, 6, -70},
      {edit, 0x100, -75}, {edit, 0x200, -76}, {edit, 0x300, -77}, {edit, 0x400, -78},
      {list, 0, 0},       {list, 7, 0},       {list, -2, 0},      {combo, 0, 0},
      {combo, 7, 0},      {combo, -1, 0},     {edit, 0, 0},       {edit, 1, 0},
      {edit, 0x500, 0},   {edit, 0x501, 0},   {edit, 0x700, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << " code " << c.code);
    slot = EventSlot{};
    slot.eventId = 42;
    slot.details = EventDetails{0x777, 42, 0};
    slot.closeRequested = true;
    TranslateCommand(window, c.id, c.code, WindowOf(c.id));
    if (c.event == 0) {
      EXPECT_EQ(slot.eventId, 42);
      EXPECT_EQ(slot.details.window, 0x777u);
      EXPECT_EQ(slot.sourceWindow, nullptr);
      continue;
    }
    EXPECT_EQ(slot.eventId, c.event);
    EXPECT_TRUE(slot.pending);
    EXPECT_EQ(slot.sourceWindow, &window);
    EXPECT_EQ(slot.details.window, WindowOf(c.id));
    EXPECT_EQ(slot.details.idOrCode, static_cast<std::uintptr_t>(c.id));
    EXPECT_EQ(slot.details.extra, static_cast<std::uintptr_t>(c.code));
    EXPECT_TRUE(slot.closeRequested);  // a notification is no activation
  }
}

TEST_F(ToolkitTest, AReportListRowOpenedByADoubleClickIsTheListsActivation) {
  const int list = window.CreateReportList(0, 0, 200, 100);
  const int label = window.CreateLabel(u"l", 0, 110, 50, 10);
  for (int row = 0; row < 3; ++row) ASSERT_EQ(window.InsertListItem(list, row, u"r"), row);
  EXPECT_EQ(window.SelectedListRow(list), -1);
  EXPECT_EQ(window.SelectedListRow(label), -1);

  // A click selects and activates nothing; the list tells of it.
  ASSERT_TRUE(ui.ClickRow(WindowOf(list), 1));
  Pump();
  EXPECT_EQ(window.SelectedListRow(list), 1);
  EXPECT_NE(slot.eventId, list);
  EXPECT_EQ(slot.eventId, event::Notification);
  EXPECT_EQ(static_cast<int>(slot.details.extra), msg::NmClick);

  // A double click: the list's id, which a notification after it in the
  // same dispatch (custom drawing, a link's tooltip) leaves in place.
  ASSERT_TRUE(ui.DoubleClickRow(WindowOf(list), 2));
  Pump();
  EXPECT_EQ(window.SelectedListRow(list), 2);
  EXPECT_EQ(slot.eventId, list);
  EXPECT_EQ(slot.details.window, WindowOf(list));
  TranslateNotify(window, WindowOf(list), list, -12);
  EXPECT_EQ(slot.eventId, list);

  // Other codes of the list stay notifications. (A double click below the
  // rows opening nothing is the history window's test.)
  slot = EventSlot{};
  TranslateNotify(window, WindowOf(list), list, msg::NmClick);
  EXPECT_EQ(slot.eventId, event::Notification);
}

TEST_F(ToolkitTest, AClickOnAChartsBarIsTheChartsActivationAndSaysWhichBar) {
  const int chart = window.CreateChart(0, 0, 250, 100);
  ChartData data;
  data.bars.resize(4);
  ASSERT_TRUE(window.SetChartData(chart, data));
  EXPECT_EQ(window.ClickedChartBar(chart), -1);
  ASSERT_TRUE(ui.ClickChartBar(WindowOf(chart), 2));
  Pump();
  EXPECT_EQ(slot.eventId, chart);
  EXPECT_EQ(window.ClickedChartBar(chart), 2);
  ASSERT_TRUE(ui.ClickChartBar(WindowOf(chart), 4));  // beside every bar
  Pump();
  EXPECT_EQ(window.ClickedChartBar(chart), -1);
  EXPECT_EQ(window.ClickedChartBar(window.CreateLabel(u"l", 0, 110, 50, 10)), -1);
  // Where the slots lie: 200 pixels of plot between the scale's 40 and the
  // right edge's 10 give 50 each.
  EXPECT_EQ(ChartBarAt(data, 250, 39), -1);
  EXPECT_EQ(ChartBarAt(data, 250, 40), 0);
  EXPECT_EQ(ChartBarAt(data, 250, 89), 0);
  EXPECT_EQ(ChartBarAt(data, 250, 90), 1);
  EXPECT_EQ(ChartBarAt(data, 250, 239), 3);
  EXPECT_EQ(ChartBarAt(data, 250, 240), -1);
  EXPECT_EQ(ChartBarAt(ChartData{}, 250, 100), -1);
  EXPECT_EQ(ChartBarAt(data, 30, 45), -1);  // no room for a plot
  // At 150 % the chart is 375 pixels wide, its margins 60 and 15: 75 a slot.
  data.dpi = 144;
  EXPECT_EQ(ChartBarAt(data, 375, 59), -1);
  EXPECT_EQ(ChartBarAt(data, 375, 60), 0);
  EXPECT_EQ(ChartBarAt(data, 375, 134), 0);
  EXPECT_EQ(ChartBarAt(data, 375, 135), 1);
  EXPECT_EQ(ChartBarAt(data, 375, 359), 3);
  EXPECT_EQ(ChartBarAt(data, 375, 360), -1);
}

// A window whose scale changes stands again at its layout times the new
// scale: places, sizes, fonts, the chart's scale, the skin's corners. Back
// at 96 DPI nothing has moved by a pixel.
TEST_F(ToolkitTest, AChangeOfScaleLaysEveryControlOutAgain) {
  window.ApplySkin();
  window.SetFont(u"Arial", 9);
  const int label = window.CreateLabel(u"l", 10, 21, 101, 17);
  const int edit = window.CreateEdit(u"5", 30, 40, 70, 26);
  ASSERT_NE(window.CreateUpDown(30), 0);
  const int chart = window.CreateChart(0, 80, 250, 100);
  ASSERT_TRUE(window.SetChartData(chart, ChartData{}));
  const auto place = [&](int id) {
    const auto& w = Shown(id);
    return std::vector<int>{w.x, w.y, w.width, w.height, FontHeightAt(w.font.points, w.font.dpi)};
  };
  window.ChangeDpi(144);
  EXPECT_EQ(window.dpi(), 144);
  // 21 x 1.5 = 31.5 and 101 x 1.5 = 151.5 round away from zero.
  EXPECT_EQ(place(label), (std::vector<int>{15, 32, 152, 26, -18}));
  EXPECT_EQ(place(edit), (std::vector<int>{45, 60, 105, 39, -18}));
  EXPECT_EQ(Shown(chart).chart.dpi, 144);
  EXPECT_EQ(ui.Find(window.handle())->skinCorner, 6);
  // A font given to one control now is at the scale, and is kept for the next.
  ASSERT_TRUE(window.SetControlFont(label, u"Arial", 14, 800));
  EXPECT_EQ(place(label)[4], -27);
  // The check boxes' pictures drawn again at the scale replace the old ones.
  const int box = window.CreateImageCheckBox(u"b", 0, 200, 100, true, checked, unchecked);
  const Handle checkedLarger = ui.MakeObject(draw::CheckBoxBitmap(1));
  const Handle uncheckedLarger = ui.MakeObject(draw::CheckBoxBitmap(0));
  window.ReplaceCheckBoxBitmaps(checkedLarger, uncheckedLarger);
  EXPECT_EQ(Shown(box - 1).image, checkedLarger);
  ASSERT_TRUE(window.SetControlState(box, state::Unchecked));
  EXPECT_EQ(Shown(box - 1).image, uncheckedLarger);
  window.ChangeDpi(96);
  EXPECT_EQ(place(label), (std::vector<int>{10, 21, 101, 17, -18}));
  EXPECT_EQ(place(edit), (std::vector<int>{30, 40, 70, 26, -12}));
  EXPECT_EQ(Shown(chart).chart.dpi, 96);
  EXPECT_EQ(ui.Find(window.handle())->skinCorner, 4);
}

TEST_F(ToolkitTest, ControlsThatMoveTheWindowGiveNoClick) {
  window.SetStyleFlags(0x1000);
  const int picture = window.CreateIconPicture(0, 0, 0);
  ASSERT_TRUE(ui.Click(WindowOf(picture)));
  Pump();
  EXPECT_EQ(slot.eventId, 0);
}

TEST_F(ToolkitTest, OperationsOnUnknownIdsFail) {
  const int id = window.CreateLabel(u"a", 0, 0, 10, 10);
  window.DeleteControl(id);
  EXPECT_FALSE(window.SetControlText(id, u"x"));
  EXPECT_FALSE(window.SetControlState(id, state::Hide));
  EXPECT_FALSE(window.SetControlTip(0, u"x"));
  EXPECT_FALSE(window.DeleteControl(id));
  EXPECT_EQ(window.GetControlState(7), 0u);
  EXPECT_EQ(window.GetControlText(7), u"");
}

}  // namespace
}  // namespace twk::ui

// The keys every toolkit window answers, the order Tab follows and the
// names controls are given, over the headless backend through the same
// translation the real backend calls.
#include "ui/dialog_keys.h"

#include <gtest/gtest.h>

#include "ui/headless/headless_backend.h"
#include "ui/headless/keyboard_test_support.h"
#include "ui/reading_order.h"
#include "ui/toolkit_window.h"

namespace twk::ui {
namespace {

TEST(ReadingOrderTest, LinesFromTheTopEachFromTheLeft) {
  const struct {
    const char* what;
    std::vector<PlacedControl> controls;
    std::vector<int> order;
  } cases[] = {
      {"made bottom up", {{1, 0, 100, 10, 10}, {2, 0, 50, 10, 10}, {3, 0, 0, 10, 10}}, {3, 2, 1}},
      {"a line made right to left",
       {{1, 300, 10, 50, 20}, {2, 150, 10, 50, 20}, {3, 0, 10, 50, 20}},
       {3, 2, 1}},
      // A check box's text 4 pixels below the top of the taller button
      // beside it: one line, the box first.
      {"tops a few pixels apart", {{1, 455, 225, 115, 26}, {2, 46, 229, 400, 18}}, {2, 1}},
      // The list's middle is below the label's bottom: a line of its own.
      {"a tall control under a short one",
       {{1, 20, 180, 560, 230}, {2, 20, 160, 200, 18}, {3, 300, 420, 100, 36}},
       {2, 1, 3}},
      // The first control of a line decides its height: a short one beside a
      // tall one's top does not pull in what lies below it.
      {"a line is as high as its first control",
       {{1, 20, 100, 100, 20}, {2, 200, 105, 50, 200}, {3, 20, 130, 100, 20}},
       {1, 3, 2}},
      {"equal places keep their order", {{4, 10, 10, 5, 5}, {2, 10, 10, 5, 5}}, {4, 2}},
      {"nothing", {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadingOrder(c.controls), c.order) << c.what;
  }
}

class DialogKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.Create(u"TEST_CLASS", u"Test", 600, 465), 0u);
    window.Show(ShowCommand::Normal);
    slot = EventSlot{};
  }

  // Dispatches everything queued with the window as the dialog window, as
  // the pump does once the window is in the foreground; the last input.
  Input Pump() {
    Input last = Input::None;
    for (;;) {
      const Input in = ui.NextInput(FetchMode::Peek, InputRouting{&window, &window});
      if (in == Input::None) return last;
      last = in;
    }
  }
  Input Press(std::uint32_t key, bool shift = false) {
    slot = EventSlot{};
    ui.PressKey(key, shift);
    return Pump();
  }
  Handle WindowOf(int id) { return window.Control(id)->window; }
  int Focused() { return window.IdOfHandle(ui.focus()); }
  // The ids focused by `presses` presses of Tab (or Shift+Tab).
  std::vector<int> Walk(int presses, bool backwards = false) {
    std::vector<int> ids;
    for (int k = 0; k < presses; ++k) {
      Press(msg::VkTab, backwards);
      ids.push_back(Focused());
    }
    return ids;
  }

  HeadlessBackend ui;
  EventSlot slot;
  ToolkitWindow window{ui, slot};
};

// Made in an order unlike the window's lines; a band of links at the top
// whose places count from the band's corner.
TEST_F(DialogKeysTest, TabAndShiftTabFollowTheReadingOrderRoundTheEndsOverWhatCanTakeTheFocus) {
  const int start = window.CreateButton(u"  Start", 380, 405, 200, 42, {.tabStop = true});
  const int edit = window.CreateEdit(u"5", 465, 102, 70, 26);
  window.CreateUpDown(30);
  window.CreateLabel(u"Times:", 30, 110, 425, 18);
  const int box = window.CreateImageCheckBox(u" Box", 30, 230, 400, false, 0, 0);
  const int beside = window.CreateButton(u"Now", 455, 225, 115, 26, {.tabStop = true});
  const int hidden = window.CreateButton(u"Hidden", 20, 300, 100, 26, {.tabStop = true});
  const int disabled = window.CreateButton(u"Off", 200, 300, 100, 26, {.tabStop = true});
  const int noStop = window.CreateButton(u"No stop", 400, 300, 100, 26);
  window.CreateChildWindow(2, 2, 596, 78, true);
  const int link = window.CreateLink(u"<a>Help</a>", 500, 50, 100, 18);
  window.CloseChildWindow();
  window.SetControlState(hidden, state::Hide);
  window.SetControlState(disabled, state::Disable);
  (void)noStop;

  const std::vector<int> order{link, edit, box, beside, start};
  EXPECT_EQ(window.TabOrder(), order);
  // From no focus: the first, round the end to the first again.
  EXPECT_EQ(Walk(6), (std::vector<int>{link, edit, box, beside, start, link}));
  EXPECT_EQ(Walk(2, true), (std::vector<int>{start, beside}));
  EXPECT_TRUE(ui.Find(ui.frame())->focusMarked);

  // The focus on the box's picture: Tab goes on after the box.
  ui.MoveKeyboardFocus(WindowOf(box - 1));
  EXPECT_EQ(Walk(1), (std::vector<int>{beside}));

  // Shown again, it takes its place in its line.
  window.SetControlState(hidden, state::Show);
  EXPECT_EQ(window.TabOrder(), (std::vector<int>{link, edit, box, beside, hidden, start}));
  EXPECT_EQ(window.MoveFocus(0, true), start);
}

TEST_F(DialogKeysTest, EnterPressesTheFocusedButtonElseTheMainOneAndAListOpensItsSelectedRow) {
  const int edit = window.CreateEdit(u"5", 20, 20, 70, 26);
  const int other = window.CreateButton(u"Other", 20, 60, 100, 26, {.tabStop = true});
  const int list = window.CreateReportList(20, 100, 300, 100);
  (void)window.InsertListColumn(list, 0, u"Rows", 100);
  (void)window.InsertListItem(list, 0, u"row");
  const int main =
      window.CreateButton(u"  Main", 20, 300, 100, 26, {.tabStop = true, .defaultButton = true});
  EXPECT_EQ(window.MainButton(), main);

  ui.Type(WindowOf(edit), u"7");
  EXPECT_EQ(Press(msg::VkReturn), Input::EnterActivated);
  EXPECT_EQ(slot.eventId, main);

  ui.MoveKeyboardFocus(WindowOf(other));
  Press(msg::VkReturn);
  EXPECT_EQ(slot.eventId, other);

  // The list with nothing selected: the main button; with a row: the list.
  ui.MoveKeyboardFocus(WindowOf(list));
  Press(msg::VkReturn);
  EXPECT_EQ(slot.eventId, main);
  ui.ClickRow(WindowOf(list), 0);
  Pump();
  Press(msg::VkReturn);
  EXPECT_EQ(slot.eventId, list);

  // A focused link follows itself, as its click does: not the main button.
  const int link = window.CreateLink(u"<a>Online help</a>", 20, 400, 100, 18);
  ui.MoveKeyboardFocus(WindowOf(link));
  Press(msg::VkReturn);
  EXPECT_EQ(slot.eventId, link);

  // A hidden or disabled main button is none: Enter does nothing at all.
  for (const std::uint32_t off : {state::Hide, state::Disable}) {
    window.SetControlState(main, off);
    EXPECT_EQ(window.MainButton(), 0);
    ui.MoveKeyboardFocus(WindowOf(edit));
    EXPECT_EQ(Press(msg::VkReturn), Input::Dispatched);
    EXPECT_EQ(slot.eventId, 0);
    window.SetControlState(main, state::Show | state::Enable);
  }
}

TEST_F(DialogKeysTest, SpaceSwitchesAFocusedCheckBoxAndPressesAFocusedButtonOnly) {
  const int box = window.CreateImageCheckBox(u" Box", 30, 30, 200, false, 0, 0);
  const int button = window.CreateButton(u"b", 30, 60, 100, 26, {.tabStop = true});
  const int label = window.CreateLabel(u"l", 30, 100, 100, 18);

  ui.MoveKeyboardFocus(WindowOf(box));
  Press(msg::VkSpace);
  EXPECT_EQ(slot.eventId, box);
  EXPECT_TRUE(window.IsControlChecked(box));
  Press(msg::VkSpace);
  EXPECT_FALSE(window.IsControlChecked(box));

  ui.MoveKeyboardFocus(WindowOf(button));
  Press(msg::VkSpace);
  EXPECT_EQ(slot.eventId, button);

  ui.MoveKeyboardFocus(WindowOf(label));
  Press(msg::VkSpace);
  EXPECT_EQ(slot.eventId, 0);
}

// The system's dialog manager answers Escape with the command of id 2, and
// Enter with that of id 1: here those are real controls, which neither key
// may click.
TEST_F(DialogKeysTest, EscapeAsksToCloseTheWindowAndClicksNothing) {
  const int one = window.CreateButton(u"one", 20, 20, 100, 26, {.tabStop = true});
  const int two = window.CreateButton(u"two", 20, 60, 100, 26, {.tabStop = true});
  ASSERT_EQ(one, 1);
  ASSERT_EQ(two, 2);
  for (const int focus : {0, one, two}) {
    SCOPED_TRACE(focus);
    if (focus != 0) ui.MoveKeyboardFocus(WindowOf(focus));
    EXPECT_EQ(Press(msg::VkEscape), Input::CloseRequest);
    EXPECT_NE(slot.eventId, one);
    EXPECT_NE(slot.eventId, two);
  }
  // What the dialog manager would have sent: a command of code 0 naming an
  // id without a control window is no click.
  slot = EventSlot{};
  EXPECT_EQ(TranslateCommand(window, two, 0, 0), std::nullopt);
  EXPECT_EQ(slot.eventId, 0);
}

TEST_F(DialogKeysTest, EachKindIsNamedByWhatTheUserSeesOfIt) {
  window.CreateLabel(u"Number of times to reboot:" + Text(40, u'-'), 30, 110, 425, 18);
  const int times = window.CreateEdit(u"5", 465, 102, 70, 26);
  const int upDown = window.CreateUpDown(30);
  // Named as soon as it is there, not only once another control comes.
  EXPECT_EQ(ui.Find(WindowOf(upDown))->accessibleName, u"Number of times to reboot");
  window.CreateLabel(u"What kept the desktop busy:", 20, 144, 560, 18);
  const int busy = window.CreateReportList(20, 164, 560, 136);
  const int headed = window.CreateReportList(20, 320, 200, 60);
  (void)window.InsertListColumn(headed, 0, u"Reboot history", 100);
  const int button = window.CreateButton(u"  Start operation", 380, 405, 200, 42);
  const int box = window.CreateImageCheckBox(u" Play a sound", 30, 150, 300, false, 0, 0);
  const int link = window.CreateLink(u"Powered by <a>Tarnwick Software</a>.", 80, 50, 200, 18);
  const int picture = window.CreateSmallPicture(0, 569);
  window.SetControlTip(picture, u"Close this dialog box");
  const int chart = window.CreateChart(20, 80, 560, 140);
  ChartData data;
  data.description = u"Average restart time of 2 sequences: 71 and 64 seconds";
  window.SetChartData(chart, data);
  const int bar = window.CreateProgressBar(20, 440, 300, 14);
  window.SetControlName(bar, u"Progress");
  const int band = window.CreateChildWindow(2, 2, 596, 78);
  window.CreateLabel(u"Tarnwick - Setup", 78, 12, 450, 28);
  window.CloseChildWindow();
  const int stray = window.CreateEdit(u"", 300, 500, 50, 20);  // no label near it

  const struct {
    int id;
    Text name;
  } cases[] = {
      {times, u"Number of times to reboot"},
      {upDown, u"Number of times to reboot"},
      {busy, u"What kept the desktop busy"},
      {headed, u"Reboot history"},
      {button, u"Start operation"},
      {box, u"Play a sound"},
      {box - 1, u"Play a sound"},  // the box's picture
      {link, u"Powered by Tarnwick Software."},
      {picture, u"Close this dialog box"},
      {chart, u"Average restart time of 2 sequences: 71 and 64 seconds"},
      {bar, u"Progress"},
      {band, u"Tarnwick - Setup"},
      {stray, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf8(window.AccessibleName(c.id)), ToUtf8(c.name)) << "control " << c.id;
    EXPECT_EQ(ToUtf8(ui.Find(WindowOf(c.id))->accessibleName), ToUtf8(c.name))
        << "control " << c.id;
  }

  // Names follow the texts they come from.
  window.SetControlText(button, u"   Cancel operation");
  EXPECT_EQ(ui.Find(WindowOf(button))->accessibleName, u"Cancel operation");
  window.SetControlText(times - 1, u"Delay:");
  EXPECT_EQ(ui.Find(WindowOf(upDown))->accessibleName, u"Delay");
}

TEST(ColumnFitTest, EachColumnHoldsItsTextsAndTheLastTakesWhatIsLeft) {
  const auto fit = [](std::vector<int> needs, int room) {
    std::vector<ListColumnFit> columns;
    for (const int need : needs) columns.push_back({u"", need, 0});
    return FitColumnWidths(columns, room);
  };
  EXPECT_EQ(fit({100, 50, 30}, 539), (std::vector<int>{100, 50, 389}));
  EXPECT_EQ(fit({300}, 539), (std::vector<int>{539}));
  // Too wide for the list: nothing is cut, the list scrolls sideways.
  EXPECT_EQ(fit({300, 200, 100}, 539), (std::vector<int>{300, 200, 100}));
  EXPECT_EQ(fit({539, 0}, 539), (std::vector<int>{539, 0}));
  EXPECT_EQ(fit({}, 539), (std::vector<int>{}));
}

TEST_F(DialogKeysTest, ListColumnsGrowToTheirWidestTextWhateverWidthTheyWereGiven) {
  const int list = window.CreateReportList(20, 180, 560, 230);
  // Widths that cut: far narrower than the headers.
  ASSERT_EQ(window.InsertListColumn(list, 0, u"Sequence", 5), 0);
  ASSERT_EQ(window.InsertListColumn(list, 1, u"Average", 5), 1);
  ASSERT_EQ(window.InsertListColumn(list, 2, u"Verdict", 5), 2);
  const Handle h = WindowOf(list);
  const int margins = ui.MeasureListRoom(h).cellMargins;
  const int room = ui.MeasureListRoom(h).columnsWidth;
  const auto need = [&](const Text& text) { return ui.MeasureText(h, text) + margins; };

  const auto check = [&](const std::vector<std::vector<Text>>& texts, const char* when) {
    SCOPED_TRACE(when);
    const std::vector<int> widths = window.ListColumnWidths(list);
    EXPECT_EQ(ui.Find(h)->columnWidths, widths);  // what the list was told
    int total = 0;
    for (std::size_t k = 0; k < texts.size(); ++k) {
      for (const Text& text : texts[k]) EXPECT_GE(widths[k], need(text)) << ToUtf8(text);
      total += widths[k];
    }
    if (total <= room) EXPECT_EQ(total, room);  // the last column takes what is left
  };
  check({{u"Sequence"}, {u"Average"}, {u"Verdict"}}, "headers");
  const int row = window.InsertListItem(list, 0, u"12  2024-03-01 12:00");
  ASSERT_EQ(row, 0);
  ASSERT_TRUE(window.SetListItemText(list, row, 1, u"38 s"));
  ASSERT_TRUE(window.SetListItemText(list, row, 2, u"faster"));
  check({{u"Sequence", u"12  2024-03-01 12:00"}, {u"Average", u"38 s"}, {u"Verdict", u"faster"}},
        "a row");
  // A cell wider than the list: the other columns keep their widths.
  const Text wide(120, u'x');
  ASSERT_TRUE(window.SetListItemText(list, row, 1, wide));
  check({{u"Sequence"}, {u"Average", wide}, {u"Verdict"}}, "a cell wider than the list");
  EXPECT_GT(window.ListColumnWidths(list)[1] + window.ListColumnWidths(list)[0], room);
}

}  // namespace
}  // namespace twk::ui

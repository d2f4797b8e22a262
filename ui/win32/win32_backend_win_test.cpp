// The real window backend under the toolkit: what the controls are as
// windows, fonts, the skinned region, images drawn with GDI+, and messages
// turned into events.
#include "ui/win32/win32_backend.h"
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/message_translation.h"
#include "ui/win32/win32_test_support.h"

namespace twk::ui {
namespace {

// Every event the toolkit places in the slot while the frame handles a
// message, sent messages included (Pump sees only the last of a dispatch).
class EventRecorder {
 public:
  struct Event {
    std::int32_t id;
    EventDetails details;
  };
  EventRecorder(Handle frame, EventSlot& slot) : frame_(ToHwnd(frame)), slot_(slot) {
    slot_.eventId = 0;
    SetWindowSubclass(frame_, &Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~EventRecorder() { RemoveWindowSubclass(frame_, &Proc, 1); }
  EventRecorder(const EventRecorder&) = delete;
  EventRecorder& operator=(const EventRecorder&) = delete;

  // The events of one control, or of the frame's own messages (0).
  std::vector<std::int32_t> Of(Handle window) const {
    std::vector<std::int32_t> out;
    for (const Event& e : events) {
      if (e.details.window == window) out.push_back(e.id);
    }
    return out;
  }
  std::vector<Event> events;

 private:
  // Installed after the toolkit's procedure, so it is called first and sees
  // what the toolkit's procedure left in the slot.
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR ref) {
    auto& self = *reinterpret_cast<EventRecorder*>(ref);
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (self.slot_.eventId != 0)
      self.events.push_back(Event{self.slot_.eventId, self.slot_.details});
    self.slot_.eventId = 0;
    return result;
  }
  HWND frame_;
  EventSlot& slot_;
};

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.Create(u"TWK_TEST_CLASS", u"Toolkit test", 600, 465), 0u);
    window.Show(ShowCommand::Normal);
    checked = ui.MakeObject(draw::CheckBoxBitmap(1));
    unchecked = ui.MakeObject(draw::CheckBoxBitmap(0));
  }
  void TearDown() override {
    window.Destroy();
    ui.DeleteObject(checked);
    ui.DeleteObject(unchecked);
  }

  HWND Hwnd(int id) { return ToHwnd(window.Control(id)->window); }

  // Dispatches what is queued; true when this input came by. Every event id
  // the dispatching placed in the slot goes to `events`.
  bool Pump(Input wanted = Input::None) {
    bool seen = false;
    for (;;) {
      slot.eventId = 0;
      const Input in = ui.NextInput(FetchMode::Peek, InputRouting{});
      if (in == Input::None || in == Input::Failed) return seen;
      if (in == wanted) seen = true;
      if (slot.eventId != 0) events.push_back(slot.eventId);
    }
  }
  std::vector<std::int32_t> events;

  test::CommonControls6 v6;
  test::ProductResources product;
  Win32Backend ui{GetModuleHandleW(nullptr), product.module()};
  EventSlot slot;
  ToolkitWindow window{ui, slot};
  Handle checked = 0, unchecked = 0;
};

TEST_F(Win32BackendTest, ControlsAreChildWindowsWithTheirClassStyleIdAndPlace) {
  const int label = window.CreateLabel(u"Number of times to reboot:", 30, 110, 425, 18);
  const int edit = window.CreateEdit(u"5", 465, 102, 70, 26);
  const int box = window.CreateImageCheckBox(u" Box", 30, 195, 400, false, checked, unchecked);

  EXPECT_EQ(GetDlgCtrlID(Hwnd(edit)), edit);
  EXPECT_EQ(test::RectIn(Hwnd(label), window), (RECT{30, 110, 455, 128}));
  EXPECT_EQ(test::RectIn(Hwnd(box - 1), window), (RECT{30, 195, 46, 211}));
  EXPECT_EQ(test::RectIn(Hwnd(box), window), (RECT{46, 194, 430, 212}));
  EXPECT_EQ(GetWindowTextLengthW(Hwnd(box)), 4);
}

// The portable kinds and options become these classes and styles; the rest of
// the program never sees them.
TEST_F(Win32BackendTest, KindsAndOptionsBecomeTheirClassesAndStyles) {
  EXPECT_EQ(GetWindowLongW(ToHwnd(window.handle()), GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  const DWORD kChild = WS_CHILD | WS_VISIBLE;
  const struct {
    int id;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
  } cases[] = {
      {window.CreateLabel(u"l", 0, 0, 10, 10, {.centred = true}), L"Static", kChild | SS_CENTER, 0},
      {window.CreateButton(u"OK", 0, 20, 10, 10, {.tabStop = true, .defaultButton = true}),
       L"Button", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
      {window.CreateButton(u"Cancel", 0, 40, 10, 10), L"Button", kChild, 0},
      {window.CreateEdit(u"", 0, 50, 10, 10), L"Edit", kChild | WS_TABSTOP | ES_AUTOHSCROLL,
       WS_EX_CLIENTEDGE},
      {window.CreateEdit(u"", 0, 60, 10, 10, EditKind::Password), L"Edit",
       kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE},
      {window.CreateUpDown(30), L"msctls_updown32",
       kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK,
       0},
      {window.CreateImageCheckBox(u"x", 0, 80, 50, false, checked, unchecked) - 1, L"Static",
       kChild | SS_BITMAP | SS_REALSIZEIMAGE | SS_NOTIFY, 0},
      {window.count(), L"Static", kChild | WS_TABSTOP | SS_NOTIFY | SS_CENTERIMAGE, 0},
      {window.CreateIconPicture(0, 0, 100), L"Static",
       kChild | SS_ICON | SS_REALSIZEIMAGE | SS_NOTIFY, 0},
      {window.CreateProgressBar(0, 170, 10, 10, true), L"msctls_progress32", kChild | PBS_SMOOTH,
       0},
      {window.CreateReportList(0, 190, 10, 10), L"SysListView32",
       kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE},
      {window.CreateChildWindow(0, 210, 10, 10, true), L"_WINSUB_ WINDOW", kChild,
       WS_EX_CONTROLPARENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "control " << c.id);
    ASSERT_NE(c.id, 0);
    EXPECT_EQ(test::ClassOf(Hwnd(c.id)), c.className);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Hwnd(c.id), GWL_STYLE));
    EXPECT_EQ(style & ~DWORD{WS_CLIPSIBLINGS}, c.style) << std::hex << style;
    const DWORD ex = static_cast<DWORD>(GetWindowLongW(Hwnd(c.id), GWL_EXSTYLE));
    EXPECT_EQ(ex & (WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT), c.exStyle) << std::hex << ex;
  }
  const HWND list = Hwnd(window.count() - 1);
  EXPECT_NE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, 0);
  window.StartGroup();
  const int first = window.CreateButton(u"a", 0, 230, 10, 10);
  const int second = window.CreateButton(u"b", 0, 250, 10, 10);
  EXPECT_NE(GetWindowLongW(Hwnd(first), GWL_STYLE) & WS_GROUP, 0);
  EXPECT_EQ(GetWindowLongW(Hwnd(second), GWL_STYLE) & WS_GROUP, 0);
}

TEST_F(Win32BackendTest, FontsFollowTheHeightRuleAndSizeZeroKeepsTheSystemFont) {
  const int plain = window.CreateLabel(u"a", 0, 100, 50, 20);
  window.SetFont(u"Arial", 0.5, 800);
  const int tiny = window.CreateLabel(u"b", 0, 130, 50, 20);
  window.SetFont(u"Arial", 0);
  const int none = window.CreateLabel(u"c", 0, 160, 50, 20);

  LOGFONTW font = {};
  const auto fontOf = [&](int id) {
    const auto f = reinterpret_cast<HFONT>(SendMessageW(Hwnd(id), WM_GETFONT, 0, 0));
    font = LOGFONTW{};
    return f != nullptr && GetObjectW(f, sizeof font, &font) == sizeof font;
  };
  ASSERT_TRUE(fontOf(plain));
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(font.lfOutPrecision, OUT_OUTLINE_PRECIS);
  EXPECT_EQ(font.lfQuality, 2);
  ASSERT_TRUE(fontOf(tiny));
  EXPECT_EQ(font.lfHeight, -11);
  EXPECT_EQ(font.lfWeight, 800);
  EXPECT_FALSE(fontOf(none));
}

// At another display scale: the font heights, the drawn pictures and the
// program's pictures (from the drawing at twice its size) at the scale, with
// their transparent corners kept.
TEST_F(Win32BackendTest, FontsAndPicturesAtAnotherScale) {
  const int label = window.CreateLabel(u"a", 0, 100, 50, 20);
  LOGFONTW font = {};
  for (const auto [dpi, height] : {std::pair{120, -15}, std::pair{144, -18}, std::pair{192, -24}}) {
    ui.SetControlFont(window.Control(label)->window, FontParams{.points = 9, .dpi = dpi});
    const auto f = reinterpret_cast<HFONT>(SendMessageW(Hwnd(label), WM_GETFONT, 0, 0));
    ASSERT_EQ(GetObjectW(f, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfHeight, height) << dpi;
  }
  const Handle title = ui.MakeObject(draw::TitleButtonImage(TitleButton::Close));
  const Handle box = ui.MakeObject(ObjectRequest{.kind = ObjectKind::CheckBoxBitmap, .width = 24,
                                                 .height = 24, .flags = 1});
  // 26 at 150 % is 39: still below the 44 of the drawing; 66 needs the 88 one.
  const Handle start39 = ui.MakeObject(draw::ImageResource(143, 39, 39));
  const Handle start66 = ui.MakeObject(draw::ImageResource(143, 66, 66));
  ASSERT_NE(title, 0u);
  ASSERT_NE(start39, 0u);
  ASSERT_NE(start66, 0u);
  const Handle titleBitmap = ui.MakeObject(draw::BitmapOfImage(title, 36, 36));
  const Handle bitmap39 = ui.MakeObject(draw::BitmapOfImage(start39, 0, 0));
  const Handle bitmap66 = ui.MakeObject(draw::BitmapOfImage(start66, 0, 0));
  const test::Pixels shownTitle = test::ReadPixels(titleBitmap);
  EXPECT_EQ(shownTitle.width, 36);
  EXPECT_EQ(test::ReadPixels(box).width, 24);
  for (const Handle h : {bitmap39, bitmap66}) {
    const test::Pixels p = test::ReadPixels(h);
    ASSERT_GT(p.width, 0);
    EXPECT_EQ(p.at(0, 0) >> 24, 0u) << p.width << ": the corner outside the disc is transparent";
    EXPECT_EQ(p.at(p.width / 2, p.height / 2) >> 24, 0xFFu) << p.width;
  }
  EXPECT_EQ(test::ReadPixels(bitmap39).width, 39);
  EXPECT_EQ(test::ReadPixels(bitmap66).width, 66);
  for (const Handle h : {titleBitmap, bitmap39, bitmap66, box}) ui.DeleteObject(h);
  for (const Handle h : {title, start39, start66}) ui.ReleaseImage(h);
}

// Moved to a monitor of 150 %: the window takes the suggested place at 1.5
// times its client size and its controls stand at 1.5 times their places.
TEST_F(Win32BackendTest, AChangeOfScaleFromTheSystemLaysTheWindowOutAgain) {
  const int label = window.CreateLabel(u"a", 10, 21, 100, 20);
  const HWND frame = ToHwnd(window.handle());
  RECT suggested = {40, 30, 40 + 950, 30 + 760};
  SendMessageW(frame, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(window.dpi(), 144);
  RECT client = {}, outer = {}, place = {};
  GetClientRect(frame, &client);
  GetWindowRect(frame, &outer);
  EXPECT_EQ(client.right, 900);
  EXPECT_EQ(client.bottom, 698);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
  GetWindowRect(Hwnd(label), &place);
  MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 15);
  EXPECT_EQ(place.top, 32);
  EXPECT_EQ(place.right - place.left, 150);
  EXPECT_EQ(place.bottom - place.top, 30);
}

TEST_F(Win32BackendTest, TheSkinLeavesOnlyTheClientAreaWithRoundCorners) {
  window.ApplySkin();
  const HWND frame = ToHwnd(window.handle());
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetWindowRgn(frame, region);
  RECT box = {};
  GetRgnBox(region, &box);
  DeleteObject(region);
  EXPECT_NE(kind, ERROR);
  RECT outer, client;
  GetWindowRect(frame, &outer);
  GetClientRect(frame, &client);
  POINT origin = {0, 0};
  ClientToScreen(frame, &origin);
  EXPECT_EQ(box.left, origin.x - outer.left);
  EXPECT_EQ(box.top, origin.y - outer.top);
  // The region reaches one pixel beyond the client area; its rounded
  // corners make the box itself end at or just inside that line.
  EXPECT_GE(box.right - box.left, client.right) << box.right - box.left;
  EXPECT_LE(box.right - box.left, client.right + 1);
  EXPECT_GE(box.bottom - box.top, client.bottom);
  // Nothing outside the client area is left: the corner pixel is cut.
  EXPECT_FALSE(test::PointInWindowRegion(frame, box.left, box.top));
}

TEST_F(Win32BackendTest, CloseAndTheSystemMenusCloseArePostedAsRequests) {
  const HWND frame = ToHwnd(window.handle());
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Pump(Input::CloseRequest));
  EXPECT_TRUE(IsWindow(frame));
  PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(Pump(Input::CloseRequest));
  EXPECT_TRUE(IsWindow(frame));
}

TEST_F(Win32BackendTest, ClickingTheTextOfAnImageCheckBoxSwitchesItsPicture) {
  const int box = window.CreateImageCheckBox(u" Box", 30, 195, 400, true, checked, unchecked);
  const HWND picture = Hwnd(box - 1);
  const auto shown = [&] { return SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0); };
  const LRESULT before = shown();
  PostMessageW(Hwnd(box), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(Hwnd(box), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(std::count(events.begin(), events.end(), box), 1);
  EXPECT_FALSE(window.IsControlChecked(box));
  EXPECT_NE(shown(), before);
  EXPECT_NE(shown(), 0);
}

TEST_F(Win32BackendTest, AClickOnAChartIsItsActivationWithTheBarUnderIt) {
  const int chart = window.CreateChart(20, 80, 250, 140);
  ChartData data;
  data.bars.resize(4);  // slots of 50 pixels from x 40
  ASSERT_TRUE(window.SetChartData(chart, data));
  EXPECT_EQ(window.ClickedChartBar(chart), -1);
  EventRecorder recorder(window.handle(), slot);
  SendMessageW(Hwnd(chart), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(145, 70));
  SendMessageW(Hwnd(chart), WM_LBUTTONUP, 0, MAKELPARAM(145, 70));
  EXPECT_EQ(window.ClickedChartBar(chart), 2);
  // The notifying static tells its window of the click: the chart's id.
  EXPECT_EQ(recorder.Of(window.Control(chart)->window), std::vector<std::int32_t>{chart});
  SendMessageW(Hwnd(chart), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 70));  // the scale
  EXPECT_EQ(window.ClickedChartBar(chart), -1);
}

TEST_F(Win32BackendTest, TheTaskbarsProgressIsShownWhereItCanBeAndNothingBreaksWhereNot) {
  // Wine has no taskbar interface to give, Windows 7 and later have: either
  // way every state is taken or refused alike, and the window stays usable.
  const bool shown = window.SetTaskbarProgress(TaskbarProgress::Normal, 30, 60);
  for (const TaskbarProgress state : {TaskbarProgress::Paused, TaskbarProgress::Indeterminate,
                                      TaskbarProgress::Normal, TaskbarProgress::None}) {
    EXPECT_EQ(window.SetTaskbarProgress(state, 59, 60), shown);
  }
  std::printf("[ taskbar  ] progress %s here\n", shown ? "shown" : "not available");
  // Only top windows have a button.
  const int label = window.CreateLabel(u"x", 0, 0, 10, 10);
  EXPECT_FALSE(ui.SetTaskbarProgress(window.Control(label)->window, TaskbarProgress::Normal, 1, 2));
  EXPECT_TRUE(IsWindow(ToHwnd(window.handle())));
  window.SetControlText(label, u"still here");
  EXPECT_EQ(window.GetControlText(label), u"still here");
}

TEST_F(Win32BackendTest, ListComboAndEditNotificationsArriveAsEvents) {
  const int list = window.CreateListBox(30, 100, 150, 80);
  const int combo = window.CreateComboBox(200, 100, 150, 120);
  const int edit = window.CreateEdit(u"5", 400, 100, 70, 26);
  ASSERT_EQ(test::ClassOf(Hwnd(list)), L"ListBox");
  ASSERT_EQ(test::ClassOf(Hwnd(combo)), L"ComboBox");
  for (const wchar_t* item : {L"one", L"two"}) {
    SendMessageW(Hwnd(list), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  EventRecorder recorder(window.handle(), slot);

  SetFocus(Hwnd(edit));
  SetWindowTextW(Hwnd(edit), L"7");
  SetFocus(Hwnd(list));
  const auto itemHeight = static_cast<int>(SendMessageW(Hwnd(list), LB_GETITEMHEIGHT, 0, 0));
  SendMessageW(Hwnd(list), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, itemHeight + 2));
  SendMessageW(Hwnd(list), WM_LBUTTONUP, 0, MAKELPARAM(5, itemHeight + 2));
  SetFocus(Hwnd(combo));
  SetFocus(ToHwnd(window.handle()));

  // Focus, update and change of the edit field; focus and selection of the
  // list; focus of the combo box.
  EXPECT_EQ(recorder.Of(window.Control(edit)->window),
            (std::vector<std::int32_t>{-75, -78, -77, -76}));
  EXPECT_EQ(recorder.Of(window.Control(list)->window), (std::vector<std::int32_t>{-68, -65, -69}));
  EXPECT_EQ(recorder.Of(window.Control(combo)->window), (std::vector<std::int32_t>{-67, -68}));
  for (const auto& e : recorder.events) {
    if (e.details.window == window.Control(list)->window) {
      EXPECT_EQ(e.details.idOrCode, static_cast<std::uintptr_t>(list));
    }
  }
}

TEST_F(Win32BackendTest, TheCheckBoxPicturesAreDrawnBoxesWithATickOrASquare) {
  const Handle square = ui.MakeObject(draw::CheckBoxBitmap(2));
  const Handle rounded = ui.MakeObject(draw::CheckBoxBitmap(4));
  for (Handle b : {checked, unchecked, square, rounded}) {
    const test::Pixels p = test::ReadPixels(b);
    ASSERT_EQ(p.width, 16);
    ASSERT_EQ(p.height, 16);
  }
  // The border is dark, the inside of the empty box white.
  EXPECT_LT(test::Brightness(test::ReadPixels(unchecked).at(0, 8)), 0x60);
  EXPECT_GT(test::Brightness(test::ReadPixels(unchecked).at(8, 10)), 0xE0);
  // The tick and the square are dark green where the empty box is white.
  for (Handle b : {checked, square}) {
    const std::uint32_t c = test::ReadPixels(b).at(8, 10);
    EXPECT_GT((c >> 8) & 0xFF, (c >> 16) & 0xFF) << std::hex << c;
    EXPECT_LT((c >> 8) & 0xFF, 0xA0) << std::hex << c;
  }
  // The rounded box leaves its corner pixel (nearly) unpainted.
  EXPECT_LT(test::ReadPixels(rounded).at(0, 0) >> 24, 0x80u);
  ui.DeleteObject(square);
  ui.DeleteObject(rounded);
}

TEST_F(Win32BackendTest, GradientsRunFromTheFirstColourToTheSecond) {
  const Handle image = ui.MakeObject(draw::GradientImage(10, 78, 0xFF101010, 0xFF606060, 1));
  ASSERT_NE(image, 0u);
  const Handle bitmap = ui.MakeObject(draw::BitmapOfImage(image, 0, 0));
  ui.ReleaseImage(image);
  const test::Pixels p = test::ReadPixels(bitmap);
  ui.DeleteObject(bitmap);
  ASSERT_EQ(p.height, 78);
  EXPECT_NEAR(static_cast<int>(p.at(5, 0) & 0xFF), 0x10, 3);
  EXPECT_NEAR(static_cast<int>(p.at(5, 77) & 0xFF), 0x60, 3);
  EXPECT_NEAR(static_cast<int>(p.at(5, 39) & 0xFF), 0x38, 6);
  EXPECT_EQ(p.at(0, 39), p.at(9, 39));  // vertical: rows are even
}

TEST_F(Win32BackendTest, ALabelsNewTextShowsOverTheBackgroundWithoutTheOldText) {
  // The frame's kind of background: a diagonal gradient as a pattern brush.
  const Handle image = ui.MakeObject(draw::GradientImage(600, 465, 0xFF303030, 0xFFF0F0F0, 2));
  ASSERT_NE(image, 0u);
  const Handle bitmap = ui.MakeObject(draw::BitmapOfImage(image, 0, 0));
  ui.ReleaseImage(image);
  const Handle brush = ui.MakeObject(draw::PatternBrush(bitmap));
  window.SetBackground(brush);
  window.SetFont(u"Arial", 32, 800);
  const int label = window.CreateLabel(u"888", 180, 90, 230, 50, {.centred = true});
  UpdateWindow(ToHwnd(window.handle()));
  Pump();
  const RECT area = {180, 90, 410, 140};
  const test::Pixels before = test::ReadShown(ToHwnd(window.handle()), area);

  ASSERT_TRUE(window.SetControlText(label, u"1"));
  Pump();
  EXPECT_EQ(test::TextOf(Hwnd(label)), L"1");
  const test::Pixels after = test::ReadShown(ToHwnd(window.handle()), area);
  const test::Pixels background = test::ReadPixels(bitmap);
  ASSERT_EQ(after.width, 230);
  // Left of the narrow "1" the eights were: there only the background shows,
  // pixel for pixel; in the middle the new text does.
  int eightPixels = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < 90; ++x) {
      const std::uint32_t under = background.at(area.left + x, area.top + y) & 0xFFFFFFu;
      if (before.at(x, y) != under) ++eightPixels;
      ASSERT_EQ(after.at(x, y), under) << "at " << x << ", " << y;
    }
  }
  EXPECT_GT(eightPixels, 50);  // the eights were there to be removed
  int textPixels = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 100; x < 130; ++x) {
      if (after.at(x, y) != (background.at(area.left + x, area.top + y) & 0xFFFFFFu)) ++textPixels;
    }
  }
  EXPECT_GT(textPixels, 50);
  // Uncovered again, the window erases from its copy of the background: the
  // same pixels as the brush gives.
  RedrawWindow(ToHwnd(window.handle()), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const test::Pixels corner = test::ReadShown(ToHwnd(window.handle()), RECT{0, 300, 40, 340});
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(corner.at(x, y), background.at(x, 300 + y) & 0xFFFFFFu) << "at " << x << ", " << y;
    }
  }
  window.Destroy();  // before the brush and bitmap it uses
  ui.DeleteObject(brush);
  ui.DeleteObject(bitmap);
}

TEST_F(Win32BackendTest, ImagesAreLoadedFromTheProgramsResources) {
  ASSERT_NE(product.module(), nullptr);
  const Handle own = ui.MakeObject(draw::ImageResource(143, 0, 0));
  const Handle scaled = ui.MakeObject(draw::ImageResource(142, 24, 24));
  ASSERT_NE(own, 0u);
  ASSERT_NE(scaled, 0u);
  EXPECT_EQ(ui.MakeObject(draw::ImageResource(999, 0, 0)), 0u);
  const Handle a = ui.MakeObject(draw::BitmapOfImage(own, 0, 0));
  const Handle b = ui.MakeObject(draw::BitmapOfImage(scaled, 0, 0));
  const Handle c = ui.MakeObject(draw::BitmapOfImage(own, 26, 26));
  EXPECT_EQ(test::ReadPixels(a).width, 44);
  EXPECT_EQ(test::ReadPixels(b).width, 24);
  EXPECT_EQ(test::ReadPixels(c).height, 26);
  for (Handle h : {a, b, c}) ui.DeleteObject(h);
  ui.ReleaseImage(own);
  ui.ReleaseImage(scaled);
  const Handle icon = ui.MakeObject(draw::IconResource(107, 64));
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(icon), &info));
  BITMAP mask = {};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 64);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ui.DestroyIcon(icon);
}

TEST_F(Win32BackendTest, TipsGoToOneTooltipWindowOfTheFrame) {
  const int a = window.CreateLabel(u"a", 0, 100, 50, 20);
  const int b = window.CreateButton(u"b", 0, 130, 50, 20);
  EXPECT_TRUE(window.SetControlTip(a, u"Minimize this dialog box"));
  EXPECT_TRUE(window.SetControlTip(b, u"Close this dialog box"));
  const HWND tooltip = ui.FindTop(ToHwnd(window.handle()))->tooltip;
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(test::ClassOf(tooltip), L"tooltips_class32");
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_NE(GetWindowLongW(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(Win32BackendTest, ASecondWindowOfTheClassIsFoundByItsModeTitle) {
  EXPECT_EQ(ui.BringExistingToFront(u"TWK_TEST_CLASS", u"Tarnwick"), InstanceLookup::NotFound);
  window.SetTitle(u"Tarnwick - Reboot 2 of 4");
  EXPECT_EQ(ui.BringExistingToFront(u"TWK_TEST_CLASS", u"Tarnwick"),
            InstanceLookup::BroughtToFront);
  window.SetTitle(u"Tarnwick");
  ShowWindow(ToHwnd(window.handle()), SW_HIDE);
  // A hidden frame is restored but does not stop a new start.
  EXPECT_EQ(ui.BringExistingToFront(u"TWK_TEST_CLASS", u"Tarnwick"), InstanceLookup::WasHidden);
}

}  // namespace
}  // namespace twk::ui

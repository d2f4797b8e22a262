// The real backend's keyboard, measures and names: keys posted as the
// keyboard queues them, fetched by the backend as the event pump does.
#include "ui/win32/win32_backend.h"
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/win32/com_apartment.h"
#include "ui/dialog_keys.h"
#include "ui/win32/win32_test_support.h"

namespace twk::ui {
namespace {

class Win32KeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.Create(u"TWK_KEYS_TEST_CLASS", u"Keys test", 600, 465), 0u);
    window.Show(ShowCommand::Normal);
    SetForegroundWindow(ToHwnd(window.handle()));
  }
  void TearDown() override { window.Destroy(); }

  HWND Hwnd(int id) { return ToHwnd(window.Control(id)->window); }
  int FocusedId() { return window.IdOfHandle(ToHandle(GetFocus())); }

  // A key pressed and let go on `target`, then everything queued fetched
  // with the window as the dialog window; the event ids it made, and
  // whether a close request came.
  std::vector<std::int32_t> Press(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001UL));
    std::vector<std::int32_t> events;
    closeRequested = false;
    for (;;) {
      slot.eventId = 0;
      const Input in = ui.NextInput(FetchMode::Peek, InputRouting{&window, &window});
      if (in == Input::None || in == Input::Failed) return events;
      if (in == Input::CloseRequest) closeRequested = true;
      if (slot.eventId != 0) events.push_back(slot.eventId);
    }
  }

  test::CommonControls6 v6;
  test::ProductResources product;
  Win32Backend ui{GetModuleHandleW(nullptr), product.module()};
  EventSlot slot;
  ToolkitWindow window{ui, slot};
  bool closeRequested = false;
};

// The system would follow the order of creation: Start, the edit, the
// button beside the box, the box.
TEST_F(Win32KeysTest, TabMovesTheFocusInReadingOrderAndSelectsAnEditsText) {
  const int start = window.CreateButton(u"  Start", 380, 405, 200, 42, {.tabStop = true});
  const int edit = window.CreateEdit(u"25", 465, 102, 70, 26);
  const int beside = window.CreateButton(u"Now", 455, 225, 115, 26, {.tabStop = true});
  const int box = window.CreateImageCheckBox(u" Box", 30, 230, 400, false, 0, 0);

  std::vector<int> order;
  HWND at = ToHwnd(window.handle());
  for (int k = 0; k < 5; ++k) {
    Press(at, VK_TAB);
    order.push_back(FocusedId());
    at = GetFocus();
  }
  EXPECT_EQ(order, (std::vector<int>{edit, box, beside, start, edit}));
  DWORD from = 99, to = 99;
  SendMessageW(Hwnd(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
               reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 2u);
  // The focus rectangles are no longer hidden.
  EXPECT_EQ(SendMessageW(Hwnd(beside), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
}

// A list shows the focus on its focused row: Tab into a list without one
// marks the first row, and selects nothing.
TEST_F(Win32KeysTest, TabIntoAListMarksItsFirstRowWithoutSelectingIt) {
  const int list = window.CreateReportList(20, 100, 300, 100);
  (void)window.InsertListColumn(list, 0, u"Rows", 100);
  ASSERT_EQ(window.InsertListItem(list, 0, u"one"), 0);
  ASSERT_EQ(window.InsertListItem(list, 1, u"two"), 1);
  const HWND h = Hwnd(list);
  ASSERT_EQ(SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
  Press(ToHwnd(window.handle()), VK_TAB);
  EXPECT_EQ(GetFocus(), h);
  EXPECT_EQ(SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);
  EXPECT_EQ(window.SelectedListRow(list), -1);
}

// The dialog manager answers Escape with the command of id 2 and Enter with
// that of id 1: both are buttons here, which neither key may click.
TEST_F(Win32KeysTest, EscapeIsTheCloseRequestAndClicksNoControl) {
  const int one = window.CreateButton(u"one", 20, 20, 100, 26, {.tabStop = true});
  const int two = window.CreateButton(u"two", 20, 60, 100, 26, {.tabStop = true});
  ASSERT_EQ(one, 1);
  ASSERT_EQ(two, 2);
  for (const int focus : {one, two}) {
    SCOPED_TRACE(focus);
    ::SetFocus(Hwnd(focus));
    const std::vector<std::int32_t> events = Press(Hwnd(focus), VK_ESCAPE);
    EXPECT_TRUE(closeRequested);
    EXPECT_EQ(std::count(events.begin(), events.end(), one), 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), two), 0);
    EXPECT_TRUE(IsWindow(ToHwnd(window.handle())));
  }
}

TEST_F(Win32KeysTest, EnterPressesTheMainButtonFromAnEditAndSpaceSwitchesACheckBox) {
  const int edit = window.CreateEdit(u"5", 20, 20, 70, 26);
  const int main =
      window.CreateButton(u"  Main", 20, 300, 100, 26, {.tabStop = true, .defaultButton = true});
  const int box = window.CreateImageCheckBox(u" Box", 30, 100, 200, false, 0, 0);
  ::SetFocus(Hwnd(edit));
  std::vector<std::int32_t> events = Press(Hwnd(edit), VK_RETURN);
  EXPECT_EQ(std::count(events.begin(), events.end(), main), 1);

  ::SetFocus(Hwnd(box));
  events = Press(Hwnd(box), VK_SPACE);
  EXPECT_EQ(std::count(events.begin(), events.end(), box), 1);
  EXPECT_TRUE(window.IsControlChecked(box));

  // A push button presses itself on Space, once.
  ::SetFocus(Hwnd(main));
  events = Press(Hwnd(main), VK_SPACE);
  EXPECT_EQ(std::count(events.begin(), events.end(), main), 1);

  // A link follows itself on Enter; the main button stays as it is.
  const int link = window.CreateLink(u"<a>Online help</a>", 20, 400, 100, 18);
  ::SetFocus(Hwnd(link));
  events = Press(Hwnd(link), VK_RETURN);
  EXPECT_EQ(std::count(events.begin(), events.end(), link), 1);
  EXPECT_EQ(std::count(events.begin(), events.end(), main), 0);
}

// The list's own widest (LVSCW_AUTOSIZE_USEHEADER on a column that is not
// the last: its header and its cells) is what the toolkit's measure must
// hold; the widths the toolkit gave are the list's.
TEST_F(Win32KeysTest, ColumnsAreAtLeastAsWideAsTheListWouldMakeThemForTheirTexts) {
  window.SetFont(u"Arial", 9, 400);
  const int list = window.CreateReportList(20, 230, 560, 180);
  ASSERT_EQ(window.InsertListColumn(list, 0, u"Average", 5), 0);
  ASSERT_EQ(window.InsertListColumn(list, 1, u"Windows start", 5), 1);
  ASSERT_EQ(window.InsertListColumn(list, 2, u"Verdict", 5), 2);
  ASSERT_EQ(window.InsertListItem(list, 0, u"2024-03-01 12:00"), 0);
  ASSERT_TRUE(window.SetListItemText(list, 0, 1, u"12.345 s"));
  const HWND h = Hwnd(list);
  const std::vector<int> widths = window.ListColumnWidths(list);
  ASSERT_EQ(widths.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(SendMessageW(h, LVM_GETCOLUMNWIDTH, k, 0), widths[k]) << k;
  }
  const ListRoom room = ui.MeasureListRoom(window.Control(list)->window);
  EXPECT_EQ(widths[0] + widths[1] + widths[2], room.columnsWidth);
  for (int k = 0; k < 2; ++k) {
    SendMessageW(h, LVM_SETCOLUMNWIDTH, k, LVSCW_AUTOSIZE_USEHEADER);
    const auto own = static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, k, 0));
    std::printf("column %d: the list's own %d, the toolkit's %d\n", k, own, widths[k]);
    EXPECT_GE(widths[k], own) << k;
  }
  // A wider text measures wider, a bigger font too.
  const Handle list0 = window.Control(list)->window;
  EXPECT_GT(ui.MeasureText(list0, u"Average restart"), ui.MeasureText(list0, u"Average"));
  window.SetFont(u"Arial", 14, 800);
  const int bigger = window.CreateLabel(u"x", 0, 0, 10, 10);
  EXPECT_GT(ui.MeasureText(window.Control(bigger)->window, u"Average"),
            ui.MeasureText(list0, u"Average"));
}

// Where the system's annotation service takes names, a screen reader reads
// the toolkit's; where it refuses (Wine), the control keeps the system's
// own and nothing else changes.
TEST_F(Win32KeysTest, AButtonIsReadByItsCaptionWithoutLeadingBlanksWhereTheSystemTakesNames) {
  const platform::win32::ComApartment com;
  const int button = window.CreateButton(u"  Start operation", 20, 20, 200, 42, {.tabStop = true});
  const HWND h = Hwnd(button);
  // The service's answer, asked directly.
  bool serviceTakesNames = false;
  {
    IAccPropServices* service = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&service)))) {
      wchar_t probeName[] = L"probe";
      const HRESULT hr =
          service->SetHwndPropStr(h, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, probeName);
      std::printf("SetHwndPropStr answered 0x%08lx\n", static_cast<unsigned long>(hr));
      serviceTakesNames = SUCCEEDED(hr);
      service->Release();
    }
  }
  // The toolkit names it again (a changed caption), and then reads it back.
  window.SetControlText(button, u"  Start the operation");
  IAccessible* accessible = nullptr;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(h, OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&accessible))));
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT read = accessible->get_accName(self, &name);
  const std::wstring said = SUCCEEDED(read) && name != nullptr ? name : L"";
  if (name != nullptr) SysFreeString(name);
  accessible->Release();
  std::printf("read back: \"%ls\"\n", said.c_str());
  if (serviceTakesNames) {
    EXPECT_EQ(said, L"Start the operation");
  } else {
    EXPECT_NE(said, L"Start the operation");  // the system's own, whatever it is
  }
  // The window goes on: a later name and the control's end are no trouble.
  window.SetControlText(button, u"  Start");
  EXPECT_TRUE(window.DeleteControl(button));
}

}  // namespace
}  // namespace twk::ui

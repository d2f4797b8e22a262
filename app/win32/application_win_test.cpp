// A start of the program with real windows (and the fake machine): the
// header's pictures and links, the heartbeat, Enter on a check box and the
// minimise button. (Where the header's parts sit, and closing from every
// source, are pinned end to end by tests/wine/app_start.sh; WM_CLOSE and the
// system menu's Close are the backend's tests; finding the running instance
// is the backend's test and what a second start does then the application's.)
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>

#include "app/application.h"
#include "platform/fake/fake_platform.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/win32_test_support.h"

namespace twk::app {
namespace {

using ui::ToHwnd;

class ApplicationWinTest : public ::testing::Test {
 protected:
  // Runs body inside the setup mode, the frame shown.
  void InMode(std::function<void(context::StartContext&)> body) {
    ModeRunners modes;
    modes.setup = [&](context::StartContext& a) {
      a.frame().SetTitle(u"Tarnwick - Setup");
      a.frame().Show(ui::ShowCommand::Normal);
      body(a);
      ran = true;
      return 0;
    };
    Application app(machine.ports(), backend, modes);
    EXPECT_EQ(app.Run(ui::ToHandle(GetModuleHandleW(nullptr)), u"", SW_SHOWNORMAL), 0);
    EXPECT_TRUE(ran);
  }

  // Waits (at most about a second) until the slot holds `id`.
  static bool WaitFor(context::StartContext& a, std::int32_t id) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1000) {
      a.pump().NextEvent(context::PumpMode::Wait);
      if (a.pump().slot().eventId == id) return true;
    }
    return false;
  }

  static HWND Hwnd(context::StartContext& a, int id) {
    return ToHwnd(a.frame().Control(id)->window);
  }

  static void Click(HWND control) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }

  ui::test::CommonControls6 v6;
  ui::test::ProductResources product;
  platform::FakePlatform machine;
  ui::Win32Backend backend{GetModuleHandleW(nullptr), product.module()};
  bool ran = false;
};

// Where the header's parts sit, and their classes, are pinned end to end by
// tests/wine/app_start.sh; here what its window tree does not show.
TEST_F(ApplicationWinTest, TheHeaderCarriesItsPicturesAndLinks) {
  InMode([&](context::StartContext& a) {
    const HWND band = Hwnd(a, 1);
    EXPECT_NE(GetWindowLongW(band, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);
    EXPECT_NE(SendMessageW(Hwnd(a, 2), STM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(ui::test::TextOf(Hwnd(a, a.frame().header().title)), L"");
    EXPECT_NE(SendMessageW(Hwnd(a, a.frame().header().close), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    if (!v6.active() || a.frame().header().homeLink == 0) {
      GTEST_SKIP() << "no Common Controls 6 here: the links cannot be created";
    }
    EXPECT_EQ(ui::test::TextOf(Hwnd(a, a.frame().header().helpLink)), L"<a>Online help</a>");
  });
}

TEST_F(ApplicationWinTest, WithoutInputTheLoopWakesAboutEvery20Milliseconds) {
  InMode([&](context::StartContext& a) {
    while (a.pump().NextEvent(context::PumpMode::Poll) != 0) {
    }
    int nulls = 0;
    const DWORD start = GetTickCount();
    for (int i = 0; i < 25; ++i) {
      EXPECT_EQ(a.pump().NextEvent(context::PumpMode::Wait), 1);
      if (a.pump().slot().input == ui::Input::Heartbeat) ++nulls;
    }
    const DWORD elapsed = GetTickCount() - start;
    std::printf("25 wake-ups in %lu ms, %d of them the heartbeat\n", elapsed, nulls);
    EXPECT_GE(nulls, 20);
    EXPECT_GE(elapsed, 250u);
    EXPECT_LE(elapsed, 2500u);
  });
}

TEST_F(ApplicationWinTest, EnterOnTheFocusedCheckBoxTicksIt) {
  InMode([&](context::StartContext& a) {
    const int box =
        a.frame().CreateImageCheckBox(u" Play a sound", 30, 150, 450, false,
                                      a.frame().checkedImage(), a.frame().uncheckedImage());
    ASSERT_NE(box, 0);
    ASSERT_TRUE(WaitFor(a, 0));  // the event source is the frame from now on
    a.frame().SetControlState(box, ui::state::FocusControl);
    EXPECT_EQ(GetFocus(), Hwnd(a, box));
    PostMessageW(Hwnd(a, box), WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(WaitFor(a, box));
    EXPECT_TRUE(a.frame().IsControlChecked(box));
    // Focus shows in the text colour.
    EXPECT_EQ(a.frame().Control(box)->textColour, 0x803020);
  });
}

TEST_F(ApplicationWinTest, TheMinimiseButtonMinimisesTheFrame) {
  InMode([&](context::StartContext& a) {
    Click(Hwnd(a, a.frame().header().minimize));
    ASSERT_TRUE(WaitFor(a, a.frame().header().minimize));
    EXPECT_TRUE(IsIconic(ToHwnd(a.frame().handle())));
  });
}

}  // namespace
}  // namespace twk::app

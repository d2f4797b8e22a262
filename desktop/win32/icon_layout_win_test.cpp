// The icon layout for real: a helper process hosts a desktop-like list view,
// and this process finds it below the desktop window, reads and moves its
// icons through memory allocated in the helper, as it does with the shell.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "base/strings.h"
#include "desktop/icon_layout.h"
#include "desktop/window_search.h"
#include "platform/win32/win_code_page.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_file_system_test_util.h"
#include "platform/win32/win_remote_list_view.h"
#include "platform/win32/win_window_tree.h"
#include "settings/catalogue.h"
#include "tests/wine/icon_host.h"

namespace twk::desktop {
namespace {

using platform::IconPoint;

std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

// What the helper reported: its counters and every icon's position by text.
struct Report {
  int refreshes = -1, redrawOff = -1, redrawOn = -1;
  std::map<Text, IconPoint> icons;
};

bool ReadReport(const std::wstring& path, Report& report) {
  const std::string bytes =
      platform::win32::test::ReadBytes(std::u16string(path.begin(), path.end()));
  report = Report{};
  const std::map<Text, int*> counters = {{u"refreshes", &report.refreshes},
                                         {u"redrawOff", &report.redrawOff},
                                         {u"redrawOn", &report.redrawOn}};
  for (const Text& line :
       Split(Text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2), u"\n")) {
    const std::size_t first = line.find(u' ');
    if (first == Text::npos) return false;
    const Text head = line.substr(0, first);
    const Text rest = line.substr(first + 1);
    const std::size_t second = rest.find(u' ');
    if (const auto counter = counters.find(head); counter != counters.end()) {
      *counter->second = ToInteger(rest);
    } else if (second == Text::npos) {
      return false;
    } else {
      report.icons[rest.substr(second + 1)] = {ToInteger(head), ToInteger(rest.substr(0, second))};
    }
  }
  return true;
}

class IconLayoutWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"twk_icon_layout_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    reportPath_ = folder_ + L"\\report.txt";
    iniPath_ = Text(folder_.begin(), folder_.end()) + u"\\TWK.ini";

    std::wstring commandLine =
        L"\"" + Wide(platform::win32::test::BesideThisProgram(u"twk_icon_host.exe")) + L"\" \"" +
        reportPath_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &helper_))
        << "error " << GetLastError();
    CloseHandle(helper_.hThread);
    // The first report is written once the icons are in place.
    for (int i = 0; i < 200 && !ReadReport(reportPath_, initial_); ++i) Sleep(50);
    ASSERT_EQ(initial_.icons.size(), 4u) << "the helper did not report its icons";
    host_ = FindWindowW(test::icon_host::kWindowClass, nullptr);
    ASSERT_NE(host_, nullptr);
  }

  void TearDown() override {
    if (helper_.hProcess != nullptr) {
      if (host_ != nullptr) PostMessageW(host_, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(helper_.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(helper_.hProcess, 1);
      }
      CloseHandle(helper_.hProcess);
    }
    DeleteFileW(reportPath_.c_str());
    DeleteFileW(Wide(iniPath_).c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  // Closes the helper and reads its last report, written after every
  // message sent or posted before the close was handled.
  Report Close() {
    PostMessageW(host_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(helper_.hProcess, 10000), WAIT_OBJECT_0);
    host_ = nullptr;
    Report last;
    EXPECT_TRUE(ReadReport(reportPath_, last));
    return last;
  }

  platform::win32::WinFileSystem fs;
  platform::win32::WinAnsiCodePage ansi;
  platform::win32::WinWindowTree tree;
  platform::win32::WinRemoteListViews views;
  std::wstring folder_, reportPath_;
  Text iniPath_;
  PROCESS_INFORMATION helper_{};
  HWND host_ = nullptr;
  Report initial_;
};

TEST_F(IconLayoutWinTest, FindsTheHostedViewBelowTheDesktopWindowAndReadsItsItems) {
  const platform::WindowHandle found = FindDesktopListView(tree);
  ASSERT_NE(found, platform::kNoWindow);
  DWORD owner = 0;
  GetWindowThreadProcessId(reinterpret_cast<HWND>(found), &owner);
  EXPECT_EQ(owner, helper_.dwProcessId);
  // Its parent is the untitled SHELLDLL_DefView inside the host window.
  const HWND parent = GetParent(reinterpret_cast<HWND>(found));
  EXPECT_EQ(GetParent(parent), host_);
  EXPECT_EQ(tree.ClassName(reinterpret_cast<platform::WindowHandle>(parent), 260),
            Text(u"SHELLDLL_DefView"));
  EXPECT_EQ(tree.WindowText(reinterpret_cast<platform::WindowHandle>(parent), 512), Text());
  EXPECT_EQ(tree.WindowText(found, 512), Text(u"FolderView"));
  EXPECT_EQ(tree.WindowText(found, 7), Text(u"Folder"));  // cut to the buffer
  EXPECT_EQ(tree.ControlId(found), 1);

  // Texts and positions are read across the process boundary.
  EXPECT_EQ(views.ItemCount(found), 4);
  platform::OwnedListView view(views, views.Open(found));
  ASSERT_TRUE(view);
  for (std::int32_t i = 0; i < 4; ++i) {
    IconPoint point{-1, -1};
    Text text = u"sentinel";
    ASSERT_TRUE(views.ReadPosition(view.get(), i, point)) << i;
    ASSERT_TRUE(views.ReadText(view.get(), i, text)) << i;
    const auto it = initial_.icons.find(text);
    if (text.size() == 511) {
      EXPECT_EQ(text, Text(511, u'L'));
    } else {
      ASSERT_NE(it, initial_.icons.end()) << ToUtf8(text);
      EXPECT_EQ(point, it->second) << ToUtf8(text);
    }
  }
  // Items that are not there fail and leave the outputs alone.
  IconPoint point{-7, -7};
  Text text = u"sentinel";
  EXPECT_FALSE(views.ReadPosition(view.get(), 4, point));
  EXPECT_FALSE(views.ReadText(view.get(), 99, text));
  EXPECT_EQ(point, (IconPoint{-7, -7}));
  EXPECT_EQ(text, u"sentinel");
  // A window that is gone cannot be opened.
  EXPECT_EQ(views.Open(reinterpret_cast<platform::WindowHandle>(host_) + 0x7FFF0), 0u);
}

TEST_F(IconLayoutWinTest, BackupScatterAndRestoreThroughTheSettingsFile) {
  settings::SettingsFile settings(fs, ansi);
  EXPECT_FALSE(settings.Load(iniPath_));  // a new file
  ASSERT_EQ(BackupIconLayout(settings, tree, views), 4);

  // The file on disk holds every icon's position, the long text cut to 511.
  settings::SettingsFile reread(fs, ansi);
  ASSERT_TRUE(reread.Load(iniPath_));
  const Text section = settings::section::DesktopIconLayout;
  for (const auto& [text, point] : initial_.icons) {
    const Text key = text.size() > 511 ? text.substr(0, 511) : text;
    EXPECT_EQ(reread.GetValueText(section, key), FormatIconPosition(point)) << ToUtf8(key);
  }

  // With every icon in place: counted, but no refresh.
  EXPECT_EQ(RestoreIconLayout(reread, tree, views, true), 4);
  ASSERT_EQ(SendMessageW(host_, test::icon_host::kScatter, 0, 0), 0);
  Report scattered;
  ASSERT_TRUE(ReadReport(reportPath_, scattered));
  for (const auto& [text, point] : initial_.icons) {
    EXPECT_NE(scattered.icons[text], point) << ToUtf8(text);
  }

  // Four moved in the first pass, none in the second.
  EXPECT_EQ(RestoreIconLayout(reread, tree, views, true), 4);
  const Report last = Close();
  for (const auto& [text, point] : initial_.icons) {
    EXPECT_EQ(last.icons.at(text), point) << ToUtf8(text);
  }
  EXPECT_EQ(last.redrawOff, 2);
  EXPECT_EQ(last.redrawOn, 2);
  EXPECT_EQ(last.refreshes, 1);  // the second restore's only
}

}  // namespace
}  // namespace twk::desktop

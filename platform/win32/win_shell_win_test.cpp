// The shell against the real system. The elevated relaunch: under Wine the
// "RunAs" verb starts the program at once, so a waiting caller gets its
// exit code. Shortcuts: written here through the shell's own link object,
// read back through the adapter.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <shlguid.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <thread>

#include "base/strings.h"
#include "platform/win32/handles.h"
#include "platform/win32/win_file_system_test_util.h"
#include "platform/win32/win_shell.h"

namespace twk::platform::win32 {
namespace {

std::u16string SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  EXPECT_GT(length, 0u);
  return std::u16string(reinterpret_cast<const char16_t*>(folder), length);
}

TEST(WinShellTest, AWaitingRelaunchReturnsTheProgramsExitCode) {
  WinShell shell;
  const std::u16string folder = SystemFolder();
  for (const std::uint32_t expected : {0u, 1u, 7u}) {
    std::uint32_t code = 0xDEADBEEF;
    ASSERT_TRUE(shell.RelaunchElevated(folder + u"\\cmd.exe",
                                       u"/c exit " + std::u16string(1, u'0' + expected), folder,
                                       SW_HIDE, &code));
    std::printf("exit code %u\n", code);
    EXPECT_EQ(code, expected);
  }
}

// Waited for by a script, which cannot answer the shell's error dialog:
// none appears (the test would hang on it).
TEST(WinShellTest, AProgramThatCannotStartLeavesTheExitCodeAlone) {
  WinShell shell;
  std::uint32_t code = 0xDEADBEEF;
  EXPECT_FALSE(
      shell.RelaunchElevated(u"C:\\no such folder\\missing.exe", u"", u"C:\\", SW_HIDE, &code));
  EXPECT_EQ(code, 0xDEADBEEFu);
}

// ---- shortcuts -----------------------------------------------------------------

// Saves a shortcut as Explorer would; false when any step fails.
bool SaveShortcut(const std::u16string& path, const std::u16string& target,
                  const std::u16string& arguments) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool saved = false;
  {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    saved =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.Receive()))) &&
        SUCCEEDED(link.get()->SetPath(Wide(target))) &&
        (arguments.empty() || SUCCEEDED(link.get()->SetArguments(Wide(arguments)))) &&
        SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile,
                                             reinterpret_cast<void**>(file.Receive()))) &&
        SUCCEEDED(file.get()->Save(Wide(path), TRUE));
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return saved;
}

std::string Shown(const std::optional<std::u16string>& text) {
  return text ? "\"" + ToUtf8(*text) + "\"" : "none";
}

class WinShellShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cmd = SystemFolder() + u"\\cmd.exe";
    withArguments = temp.Path(u"Tarnwick.lnk");
    ASSERT_TRUE(SaveShortcut(withArguments, cmd, u"/c exit 3 \"a b\""));
  }

  test::TempFolder temp;
  WinShell shell;
  std::u16string cmd;
  std::u16string withArguments;
};

// The target, and the arguments after one blank only when there are any.
TEST_F(WinShellShortcutTest, AShortcutGivesItsTargetAndItsArguments) {
  const auto target = shell.ShortcutTarget(withArguments);
  EXPECT_EQ(target, cmd + u" /c exit 3 \"a b\"") << Shown(target);

  const std::u16string bare = temp.Path(u"no arguments.lnk");
  ASSERT_TRUE(SaveShortcut(bare, cmd, u""));
  const auto alone = shell.ShortcutTarget(bare);
  EXPECT_EQ(alone, cmd) << Shown(alone);
}

// A file that is no shortcut though named like one (an Internet shortcut's
// text, an empty file) and one that is not there have no target.
TEST_F(WinShellShortcutTest, WhatIsNoShortcutHasNoTarget) {
  const std::u16string text = temp.Path(u"not a link.lnk");
  ASSERT_TRUE(test::WriteBytes(text, "[InternetShortcut]\r\nURL=https://example.org/\r\n"));
  EXPECT_EQ(shell.ShortcutTarget(text), std::nullopt);
  const std::u16string empty = temp.Path(u"empty.lnk");
  ASSERT_TRUE(test::WriteBytes(empty, ""));
  EXPECT_EQ(shell.ShortcutTarget(empty), std::nullopt);
  EXPECT_EQ(shell.ShortcutTarget(temp.Path(u"missing.lnk")), std::nullopt);
}

// Whatever COM the calling thread has, the shortcut reads the same and the
// thread's COM is left as it was: none stays none, an apartment of either
// kind stays up. A probe after the call tells: CoInitializeEx answers S_OK
// only when COM was not up on the thread.
TEST_F(WinShellShortcutTest, ReadsOnAnyThreadAndLeavesItsComAsItWas) {
  struct Case {
    const char* name;
    DWORD before;  // the caller's own CoInitializeEx, or none
    HRESULT probe;
  };
  constexpr DWORD kNone = ~DWORD{0};
  for (const Case& c :
       {Case{"no COM", kNone, S_OK}, Case{"single-threaded", COINIT_APARTMENTTHREADED, S_FALSE},
        Case{"multithreaded", COINIT_MULTITHREADED, S_FALSE}}) {
    std::optional<std::u16string> target;
    HRESULT probe = E_FAIL;
    std::thread([&] {
      const bool started = c.before != kNone && SUCCEEDED(CoInitializeEx(nullptr, c.before));
      target = shell.ShortcutTarget(withArguments);
      probe =
          CoInitializeEx(nullptr, c.before == kNone ? DWORD{COINIT_APARTMENTTHREADED} : c.before);
      if (SUCCEEDED(probe)) CoUninitialize();
      if (started) CoUninitialize();
    }).join();
    EXPECT_EQ(target, cmd + u" /c exit 3 \"a b\"") << c.name << ": " << Shown(target);
    EXPECT_EQ(probe, c.probe) << c.name;
  }
}

}  // namespace
}  // namespace twk::platform::win32

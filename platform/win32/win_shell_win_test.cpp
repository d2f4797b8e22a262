// The elevated relaunch against the real shell: under Wine the "RunAs" verb
// starts the program at once, so a waiting caller gets its exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace
}  // namespace twk::platform::win32

// The system answers against the real system (Wine, set to Windows 10).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/strings.h"
#include "platform/win32/win_identity.h"
#include "platform/win32/win_system_info.h"

namespace twk::platform::win32 {
namespace {

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return text;
}

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::u16string UserName() {
  wchar_t user[257] = {};
  DWORD size = 257;
  EXPECT_TRUE(GetUserNameW(user, &size));
  return std::u16string(reinterpret_cast<const char16_t*>(user));
}

TEST(WinSystemInfoTest, VersionAnswersAgreeWithEachOther) {
  WinSystemInfo info;
  const VersionRecord version = info.GetVersion();
  ASSERT_TRUE(version.ok);
  EXPECT_GE(version.major, 5u);
  EXPECT_GT(version.build, 0u);

  // VerifyVersionInfoW knows the same system: exactly one major version
  // matches, and it is at least the reported one.
  std::uint32_t major = 0;
  for (std::uint32_t n = 5; n <= 12; ++n) {
    if (info.MajorVersionIs(n)) {
      EXPECT_EQ(major, 0u) << "two major versions match";
      major = n;
    }
  }
  ASSERT_NE(major, 0u);
  EXPECT_GE(major, version.major);
  EXPECT_TRUE(info.MajorVersionAtLeast(major));
  EXPECT_TRUE(info.MajorVersionAtLeast(5));
  EXPECT_FALSE(info.MajorVersionAtLeast(major + 1));

  // Exactly one minor version matches too (the test asks each on its own:
  // a condition set for the wrong field would make none match).
  int minors = 0;
  for (std::uint32_t n = 0; n <= 9; ++n) minors += info.MinorVersionIs(n) ? 1 : 0;
  EXPECT_EQ(minors, 1);
  if (major == version.major) {
    EXPECT_TRUE(info.MinorVersionIs(version.minor));
  }
}

TEST(WinSystemInfoTest, FoldersAndProgramPath) {
  WinSystemInfo info;
  const std::u16string windows = info.WindowsFolder();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_EQ(windows[1], u':');
  EXPECT_EQ(Lower(windows).substr(2), u"\\windows");

  const std::u16string system = info.SystemDirectory();
  EXPECT_TRUE(EndsWith(Lower(system), u"\\system32")) << system.size();
  EXPECT_EQ(Lower(system).substr(0, windows.size()), Lower(windows));

  const std::u16string program = info.ProgramPath();
  EXPECT_TRUE(EndsWith(Lower(program), u"twk_win_tests.exe")) << program.size();
  EXPECT_EQ(program[1], u':');
}

TEST(WinSystemInfoTest, AppDataFollowsTheToken) {
  WinSystemInfo info;
  const std::u16string expected = u"c:\\users\\" + Lower(UserName()) + u"\\appdata\\roaming";
  EXPECT_EQ(Lower(info.RoamingAppData(kNoToken)), expected);

  WinIdentity identity;
  std::u16string name;
  const TokenHandle token = identity.GetConsoleUser(name, nullptr);
  ASSERT_NE(token, kNoToken);
  EXPECT_EQ(Lower(info.RoamingAppData(token)), expected);
  identity.CloseToken(token);

  // The default user's profile (Wine has none and answers with the user's own).
  const std::u16string fallback = Lower(info.RoamingAppData(kDefaultUserToken));
  EXPECT_EQ(fallback.substr(0, 9), u"c:\\users\\");
  EXPECT_TRUE(EndsWith(fallback, u"\\appdata\\roaming"));

  // Not a token at all: no folder rather than some folder.
  EXPECT_EQ(info.RoamingAppData(0x1234), u"");
}

// The Startup folders as a default installation has them: the user's under
// the user's roaming AppData (whichever way the user is named), everyone's
// elsewhere; Windows spells the one "Startup", the other "StartUp".
TEST(WinSystemInfoTest, StartupFoldersAreTheUsersAndEveryones) {
  WinSystemInfo info;
  const std::u16string user = Lower(info.StartupFolder(kNoToken));
  EXPECT_TRUE(EndsWith(user, u"\\startup")) << ToUtf8(user);
  EXPECT_EQ(user.substr(0, user.find(u"\\microsoft\\")), Lower(info.RoamingAppData(kNoToken)))
      << ToUtf8(user);

  WinIdentity identity;
  std::u16string name;
  const TokenHandle token = identity.GetConsoleUser(name, nullptr);
  ASSERT_NE(token, kNoToken);
  EXPECT_EQ(Lower(info.StartupFolder(token)), user);
  identity.CloseToken(token);
  EXPECT_EQ(info.StartupFolder(0x1234), u"");

  const std::u16string everyone = Lower(info.CommonStartupFolder());
  EXPECT_TRUE(EndsWith(everyone, u"\\startup")) << ToUtf8(everyone);
  EXPECT_NE(everyone, user);
  EXPECT_EQ(everyone[1], u':') << ToUtf8(everyone);
}

}  // namespace
}  // namespace twk::platform::win32

// The ready-made machines must answer as the real systems do, since the
// version detection is tested against them.
#include "platform/fake/fake_system_info.h"

#include <gtest/gtest.h>

namespace twk::platform {
namespace {

using Q = FakeSystemInfo::Question;

TEST(FakeSystemInfoTest, MachinesAnswerAsTheRealSystems) {
  FakeSystemInfo win11(FakeSystemInfo::Windows11());
  const VersionRecord reported = win11.GetVersion();
  EXPECT_TRUE(reported.ok);
  EXPECT_EQ(reported.major, 10u) << "Windows 11 calls itself 10.0";
  EXPECT_EQ(reported.build, 22631u);
  EXPECT_TRUE(win11.MajorVersionAtLeast(10));
  EXPECT_FALSE(win11.MajorVersionAtLeast(11));

  FakeSystemInfo xp(FakeSystemInfo::WindowsXP());
  EXPECT_FALSE(xp.MajorVersionIs(6));
  EXPECT_TRUE(xp.MajorVersionIs(5));
  EXPECT_FALSE(xp.MinorVersionIs(3));
  EXPECT_TRUE(xp.MinorVersionIs(1));
  EXPECT_EQ(xp.asked, (std::vector<FakeSystemInfo::Asked>{
                          {Q::MajorIs, 6}, {Q::MajorIs, 5}, {Q::MinorIs, 3}, {Q::MinorIs, 1}}));
  EXPECT_EQ(xp.WindowsFolder(), u"C:\\WINDOWS");
  EXPECT_EQ(xp.SystemDirectory(), u"C:\\WINDOWS\\system32");

  FakeSystemInfo win10;
  EXPECT_EQ(win10.GetVersion().build, 19045u);
  EXPECT_EQ(win10.ProgramPath(), u"C:\\Program Files (x86)\\Tarnwick\\Tarnwick.exe");
}

TEST(FakeSystemInfoTest, AFailedVersionQueryReportsNoNumbers) {
  FakeSystemInfo info;
  info.machine.reported.ok = false;
  const VersionRecord reported = info.GetVersion();
  EXPECT_FALSE(reported.ok);
  EXPECT_EQ(reported.major, 0u);
  EXPECT_EQ(reported.build, 0u);
  EXPECT_TRUE(info.MajorVersionAtLeast(10)) << "VerifyVersionInfoW still knows the truth";
  EXPECT_EQ(info.versionQueries, 1);
}

TEST(FakeSystemInfoTest, AppDataFolderDependsOnTheToken) {
  FakeSystemInfo info;
  EXPECT_EQ(info.RoamingAppData(kFakeConsoleToken), u"C:\\Users\\alice\\AppData\\Roaming");
  EXPECT_EQ(info.RoamingAppData(kDefaultUserToken), u"C:\\Users\\Default\\AppData\\Roaming");
  EXPECT_EQ(info.RoamingAppData(0x9999), u"") << "an unknown token gets no folder";
  EXPECT_EQ(info.appDataTokens,
            (std::vector<TokenHandle>{kFakeConsoleToken, kDefaultUserToken, 0x9999}));
}

}  // namespace
}  // namespace twk::platform

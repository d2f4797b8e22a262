#include "context/windows_version.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_system_info.h"

namespace twk::context {
namespace {

using platform::FakeSystemInfo;
using Q = FakeSystemInfo::Question;

TEST(WindowsVersion, ReportedVersionsUpTo62AreBelieved) {
  FakeSystemInfo xp(FakeSystemInfo::WindowsXP());
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(xp), 5.1);
  EXPECT_TRUE(xp.asked.empty());

  // Windows 8.1 and later tell a program without their compatibility
  // entries 6.2; that answer is taken as it is.
  FakeSystemInfo understated(FakeSystemInfo::Windows10());
  understated.machine.reported = {true, 6, 2, 9200};
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(understated), 6.2);
}

TEST(WindowsVersion, TenAndElevenAreToldApartByTheBuild) {
  FakeSystemInfo ten(FakeSystemInfo::Windows10());
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(ten), 10.0);
  EXPECT_EQ(ten.asked,
            (std::vector<FakeSystemInfo::Asked>{{Q::MajorAtLeast, 11}, {Q::MajorAtLeast, 10}}));
  FakeSystemInfo eleven(FakeSystemInfo::Windows11());
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(eleven), 11.0);

  // GetVersionExW missing: build 0, so 10.0.
  FakeSystemInfo silent(FakeSystemInfo::Windows11());
  silent.machine.reported.ok = false;
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(silent), 10.0);
}

TEST(WindowsVersion, SixPointThreeIsFoundByTheMinorQuestions) {
  FakeSystemInfo blue(FakeSystemInfo::Windows10());
  blue.machine.reported = {true, 6, 3, 9600};
  blue.machine.major = 6;
  blue.machine.minor = 3;
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(blue), 6.3);
  EXPECT_EQ(blue.asked, (std::vector<FakeSystemInfo::Asked>{{Q::MajorAtLeast, 11},
                                                            {Q::MajorAtLeast, 10},
                                                            {Q::MajorIs, 6},
                                                            {Q::MinorIs, 3},
                                                            {Q::MinorIs, 2},
                                                            {Q::MinorIs, 1}}));
}

TEST(WindowsVersion, UnknownSystemsGiveZero) {
  FakeSystemInfo odd(FakeSystemInfo::Windows10());
  odd.machine.reported.ok = false;
  odd.machine.major = 4;
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(odd), 0.0);

  FakeSystemInfo vista(FakeSystemInfo::Windows10());
  vista.machine.reported.ok = false;
  vista.machine.major = 6;
  vista.machine.minor = 0;
  EXPECT_DOUBLE_EQ(DetectWindowsVersion(vista), 6.0);
}

}  // namespace
}  // namespace twk::context

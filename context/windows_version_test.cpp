#include "context/windows_version.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/fake/fake_system_info.h"

namespace twk::context {
namespace {

using platform::FakeSystemInfo;
using Q = FakeSystemInfo::Question;
using Asked = std::vector<FakeSystemInfo::Asked>;

// A Windows 10 machine that reports `reported` and is truly major.minor.
FakeSystemInfo::Machine Reporting(platform::VersionRecord reported, std::uint32_t major,
                                  std::uint32_t minor) {
  FakeSystemInfo::Machine m = FakeSystemInfo::Windows10();
  m.reported = reported;
  m.major = major;
  m.minor = minor;
  return m;
}

// The report is believed up to 6.2: Windows 8.1 and later tell a program
// without their compatibility entries 6.2, and that answer is taken as it
// is. Above it, or when GetVersionExW fails, the version questions decide,
// and the build tells ten from eleven.
TEST(WindowsVersion, AReportUpTo62IsBelievedAndTheQuestionsTellTheRest) {
  const Asked tenOrMore = {{Q::MajorAtLeast, 11}, {Q::MajorAtLeast, 10}};
  Asked minors = tenOrMore;
  minors.insert(minors.end(), {{Q::MajorIs, 6}, {Q::MinorIs, 3}, {Q::MinorIs, 2}, {Q::MinorIs, 1}});
  const struct {
    FakeSystemInfo::Machine machine;
    double version;
    std::optional<Asked> asked;  // none: not looked at
  } cases[] = {
      {FakeSystemInfo::WindowsXP(), 5.1, Asked{}},
      {Reporting({true, 6, 2, 9200}, 10, 0), 6.2, Asked{}},
      {FakeSystemInfo::Windows10(), 10.0, tenOrMore},
      {FakeSystemInfo::Windows11(), 11.0, std::nullopt},
      {Reporting({}, 10, 0), 10.0, std::nullopt},  // GetVersionExW missing: build 0
      {Reporting({true, 6, 3, 9600}, 6, 3), 6.3, minors},
      {Reporting({}, 6, 0), 6.0, std::nullopt},
      {Reporting({}, 4, 0), 0.0, std::nullopt},  // unknown
  };
  for (const auto& c : cases) {
    FakeSystemInfo system(c.machine);
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    EXPECT_DOUBLE_EQ(DetectWindowsVersion(system), c.version);
    if (c.asked) {
      EXPECT_EQ(system.asked, *c.asked);
    }
  }
}

}  // namespace
}  // namespace twk::context

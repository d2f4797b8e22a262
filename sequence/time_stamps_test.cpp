#include "sequence/time_stamps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "sequence/sequence_test_support.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

using platform::FakeClock;
using platform::FakeFileSystem;
using settings::SettingsFile;

TEST(FormatNumberTest, WholeNumbersArePlainFractionsGetTheDecimalsTheyNeedTruncated) {
  EXPECT_EQ(FormatNumber(0), u"0");
  EXPECT_EQ(FormatNumber(-13353768000.0), u"-13353768000");
  // Noise below the tolerance is no fraction.
  EXPECT_EQ(FormatNumber(45.00000000001), u"45");
  EXPECT_EQ(FormatNumber(1e-12), u"0");
  EXPECT_EQ(FormatNumber(12.5), u"12.5");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), u"0.3");
  EXPECT_EQ(FormatNumber(0.07), u"0.07");                     // leading zeros of the decimals kept
  EXPECT_EQ(FormatNumber(2.0 / 3), u"0.6666666666");          // cut, not rounded up
  EXPECT_EQ(FormatNumber(0.999999999999), u"0.99999999999");  // eleven decimals at most
  EXPECT_EQ(FormatNumber(13353768000.5), u"13353768000.5");
  // A stamp edited into the file by hand can be anything: beyond the
  // integer range it saturates instead of overflowing.
  EXPECT_EQ(FormatNumber(1e300), u"9223372036854775807");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), u"9223372036854775807");
  EXPECT_EQ(FormatNumber(-1e300), u"-9223372036854775808");
  EXPECT_EQ(FormatNumber(-9223372036854775808.0), u"-9223372036854775808");
  EXPECT_EQ(FormatNumber(std::nan("")), u"0");
}

TEST(ParseStampTest, ReadsDecimalNotationAsWcstodDoesAndTextWithoutANumberAsZero) {
  EXPECT_EQ(ParseStamp(u"13353768000"), 13353768000.0);
  EXPECT_EQ(ParseStamp(u"  \t12.5 seconds"), 12.5);
  EXPECT_EQ(ParseStamp(u"-3"), -3.0);
  EXPECT_EQ(ParseStamp(u"+7"), 7.0);
  EXPECT_EQ(ParseStamp(u".5"), 0.5);
  EXPECT_EQ(ParseStamp(u"1.5e3"), 1500.0);
  EXPECT_EQ(ParseStamp(u"2E-1"), 0.2);
  EXPECT_EQ(ParseStamp(u"4e+x"), 4.0);   // an exponent needs digits
  EXPECT_EQ(ParseStamp(u"12,5"), 12.0);  // the decimal point is "."
  EXPECT_TRUE(std::isinf(ParseStamp(u"1e999")));
  for (const char16_t* none : {u"", u"   ", u"abc", u"-", u".", u"inf", u"0x10"}) {
    EXPECT_EQ(ParseStamp(none), 0.0) << ToUtf8(none);  // "inf": decimal notation only
  }
}

// ---- the stamps in the settings document ---------------------------------------

class TimeStampsTest : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kStart = FakeClock::kDefaultSecond;

  TimeStampsTest() { fs.AddDrive(u'C'); }

  void Load(const std::vector<Text>& lines) {
    settings.Close();  // Load would first save the document held so far over the file
    ASSERT_TRUE(fs.SetFile(path, testing::Utf16File(lines)));
    ASSERT_TRUE(settings.Load(path));
  }
  Text Stamp(const Text& key) const {
    const Text* value = settings.GetValue(settings::section::TimeStamps, key);
    return value != nullptr ? *value : u"<none>";
  }
  Text History(std::uint32_t restart) const {
    const Text* value =
        settings.GetValue(settings::section::History, settings::HistoryKey(restart));
    return value != nullptr ? *value : u"<none>";
  }
  static Text Number(std::uint64_t n) { return FormatNumber(static_cast<double>(n)); }
  std::size_t CountLines(const Text& line) const {
    std::size_t count = 0;
    for (const Text& l : settings.lines()) count += l == line ? 1 : 0;
    return count;
  }

  FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  SettingsFile settings{fs, ansi};
  FakeClock clock;
  const Text path = u"C:\\Tarnwick\\TWK.ini";
};

TEST_F(TimeStampsTest, StoreTimeStampWritesTheReadingOrTheGivenValue) {
  EXPECT_TRUE(StoreTimeStamp(settings, clock));  // defaults: LastShutDown := now
  EXPECT_EQ(Stamp(u"LastShutDown"), Number(kStart));
  EXPECT_TRUE(StoreTimeStamp(settings, clock, u"FirstBootUp", u"TimeStamps", 12.5));
  EXPECT_EQ(Stamp(u"FirstBootUp"), u"12.5");
  EXPECT_FALSE(StoreTimeStamp(settings, clock, u"", u"TimeStamps", 1));  // refused by the document
  // A failing clock is read again and written as zero.
  clock.SetFailing(true);
  const auto readings = clock.readings();
  EXPECT_TRUE(StoreTimeStamp(settings, clock, u"LastShutDown", u"TimeStamps", 0));
  EXPECT_EQ(Stamp(u"LastShutDown"), u"0");
  EXPECT_EQ(clock.readings(), readings + 1);
}

TEST_F(TimeStampsTest, SequenceStartClearsBothSectionsWithTheirHeaders) {
  Load({u"[Setup]", u"TimesToReboot=3", u"[TimeStamps]", u"FirstShutDown=1", u"FirstBootUp=2",
        u"LastShutDown=3", u"LastBootUp=4", u"[History]", u"Reboot 1=1", u"Reboot 2=9",
        u"[PostOperation]", u"DisableAutoLogon=1"});
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 0, TimeStampKind::SequenceStart));

  EXPECT_EQ(CountLines(u"[History]"), 0u);
  EXPECT_EQ(CountLines(u"[TimeStamps]"), 1u);  // re-created by the set
  EXPECT_EQ(Stamp(u"FirstShutDown"), Number(kStart));
  for (const char16_t* gone : {u"FirstBootUp", u"LastShutDown", u"LastBootUp"}) {
    EXPECT_EQ(Stamp(gone), u"<none>") << ToUtf8(gone);
  }
  EXPECT_EQ(History(1), u"<none>");
  // Everything else is untouched.
  EXPECT_EQ(settings.GetValueText(u"Setup", u"TimesToReboot"), u"3");
  EXPECT_EQ(settings.GetValueText(u"PostOperation", u"DisableAutoLogon"), u"1");
}

TEST_F(TimeStampsTest, ASequenceOfOneRestartMeasuresFirstBootUpMinusFirstShutDown) {
  ASSERT_TRUE(RecordTimeStamp(settings, clock, 0, TimeStampKind::SequenceStart));
  clock.AdvanceSeconds(75);
  // The clock moves on between readings: one reading must serve both values.
  clock.AdvanceOnEachReading(1500);
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 2, TimeStampKind::FirstBootUp));

  EXPECT_EQ(Stamp(u"FirstBootUp"), Number(kStart + 75));
  EXPECT_EQ(History(1), u"75");
  EXPECT_EQ(Stamp(u"LastShutDown"), u"<none>");
  EXPECT_EQ(Stamp(u"LastBootUp"), u"<none>");
  EXPECT_EQ(History(2), u"<none>");
}

TEST_F(TimeStampsTest, LaterRestartsAreMeasuredAgainstLastShutDown) {
  ASSERT_TRUE(RecordTimeStamp(settings, clock, 0, TimeStampKind::SequenceStart));
  clock.AdvanceSeconds(60);
  ASSERT_TRUE(RecordTimeStamp(settings, clock, 2, TimeStampKind::FirstBootUp));
  clock.AdvanceSeconds(300);  // countdown
  ASSERT_TRUE(StoreTimeStamp(settings, clock));
  clock.AdvanceSeconds(45);
  EXPECT_TRUE(RecordRebootDuration(settings, clock, 3, 0));
  clock.AdvanceSeconds(300);
  ASSERT_TRUE(RecordTimeStamp(settings, clock, 3, TimeStampKind::LastShutDown));
  // A given boot second is used as it is.
  EXPECT_TRUE(RecordRebootDuration(settings, clock, 4, clock.CurrentSecond() + 38));

  EXPECT_EQ(History(1), u"60");
  EXPECT_EQ(History(2), u"45");
  EXPECT_EQ(History(3), u"38");
  // The key of restart 1 is not measured against LastShutDown even when it exists.
  EXPECT_EQ(Stamp(u"FirstShutDown"), Number(kStart));
}

TEST_F(TimeStampsTest, ARepeatedStartKeepsTheHistoryValueAndLastBootUp) {
  Load({u"[TimeStamps]", u"LastShutDown=13353767900", u"[History]", u"Reboot 3=42"});
  clock.SetSecond(13353768000);
  EXPECT_FALSE(RecordRebootDuration(settings, clock, 4, 0));
  EXPECT_EQ(History(3), u"42");

  ASSERT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"13353768000");
  clock.AdvanceSeconds(30);
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"13353768000") << "only the first reading is kept";
}

TEST_F(TimeStampsTest, ALastBootUpOfFiveCharactersIsReplacedOneOfSixKept) {
  Load({u"[TimeStamps]", u"LastBootUp=12345"});
  clock.SetSecond(13353768000);
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"13353768000");

  Load({u"[TimeStamps]", u"LastBootUp=123456"});
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"123456");
}

TEST_F(TimeStampsTest, AnEmptyHistoryValueIsFilledButNoShutdownStampMeansNoMeasurement) {
  clock.SetSecond(13353768000);
  // Measured against nothing, the restart would have taken the whole clock
  // reading: the file is left as it was instead.
  for (const char16_t* stamp : {u"", u"FirstShutDown=", u"FirstShutDown=0", u"FirstShutDown=-5"}) {
    Load({u"[History]", u"Reboot 1=", u"[TimeStamps]", stamp});
    const std::vector<Text> before = settings.lines();
    EXPECT_FALSE(RecordRebootDuration(settings, clock, 2, 0)) << ToUtf8(stamp);
    EXPECT_EQ(settings.lines(), before) << ToUtf8(stamp);
  }

  Load({u"[History]", u"Reboot 4=", u"[TimeStamps]", u"LastShutDown=  1000.5"});
  EXPECT_TRUE(RecordRebootDuration(settings, clock, 5, 1100));
  EXPECT_EQ(History(4), u"99.5");
}

TEST_F(TimeStampsTest, AnUnknownKindDoesNothing) {
  Load({u"[TimeStamps]", u"FirstShutDown=1"});
  const std::vector<Text> before = settings.lines();
  EXPECT_FALSE(RecordTimeStamp(settings, clock, 2, static_cast<TimeStampKind>(0)));
  EXPECT_FALSE(RecordTimeStamp(settings, clock, 2, static_cast<TimeStampKind>(5)));
  EXPECT_EQ(settings.lines(), before);
}

}  // namespace
}  // namespace twk::sequence

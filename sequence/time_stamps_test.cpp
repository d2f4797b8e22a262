#include "sequence/time_stamps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

using platform::FakeClock;
using platform::FakeFileSystem;
using settings::SettingsFile;

// ---- FormatNumber -------------------------------------------------------------

TEST(FormatNumberTest, WholeNumbersArePlainSignedDecimals) {
  EXPECT_EQ(FormatNumber(45), u"45");
  EXPECT_EQ(FormatNumber(0), u"0");
  EXPECT_EQ(FormatNumber(-3), u"-3");
  EXPECT_EQ(FormatNumber(13353768000.0), u"13353768000");
  EXPECT_EQ(FormatNumber(-13353768000.0), u"-13353768000");
  // Noise below the tolerance is no fraction.
  EXPECT_EQ(FormatNumber(45.00000000001), u"45");
  EXPECT_EQ(FormatNumber(1e-12), u"0");
}

TEST(FormatNumberTest, FractionsGetTheDecimalsTheyNeedTruncated) {
  EXPECT_EQ(FormatNumber(12.5), u"12.5");
  EXPECT_EQ(FormatNumber(0.25), u"0.25");
  EXPECT_EQ(FormatNumber(1.05), u"1.05");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), u"0.3");
  EXPECT_EQ(FormatNumber(0.07), u"0.07");  // leading zeros of the decimals kept
  EXPECT_EQ(FormatNumber(100.0 - 100.0 * 50 / 60), u"16.6666666666");
  EXPECT_EQ(FormatNumber(2.0 / 3), u"0.6666666666");  // cut, not rounded up
  EXPECT_EQ(FormatNumber(3.14159265358979), u"3.1415926535");
  EXPECT_EQ(FormatNumber(0.999999999999), u"0.99999999999");  // eleven decimals at most
  EXPECT_EQ(FormatNumber(13353768000.5), u"13353768000.5");
}

TEST(FormatNumberTest, ValuesBeyondTheIntegerRangeSaturateInsteadOfOverflowing) {
  // A stamp edited into the file by hand can be anything.
  EXPECT_EQ(FormatNumber(1e300), u"9223372036854775807");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), u"9223372036854775807");
  EXPECT_EQ(FormatNumber(-1e300), u"-9223372036854775808");
  EXPECT_EQ(FormatNumber(-9223372036854775808.0), u"-9223372036854775808");
  EXPECT_EQ(FormatNumber(std::nan("")), u"0");
}

// ---- ParseStamp ---------------------------------------------------------------

TEST(ParseStampTest, ReadsDecimalNotationAsWcstodDoes) {
  EXPECT_EQ(ParseStamp(u"13353768000"), 13353768000.0);
  EXPECT_EQ(ParseStamp(u"  \t12.5 seconds"), 12.5);
  EXPECT_EQ(ParseStamp(u"-3"), -3.0);
  EXPECT_EQ(ParseStamp(u"+7"), 7.0);
  EXPECT_EQ(ParseStamp(u".5"), 0.5);
  EXPECT_EQ(ParseStamp(u"5."), 5.0);
  EXPECT_EQ(ParseStamp(u"1.5e3"), 1500.0);
  EXPECT_EQ(ParseStamp(u"2E-1"), 0.2);
  EXPECT_EQ(ParseStamp(u"4e"), 4.0);  // an exponent needs digits
  EXPECT_EQ(ParseStamp(u"4e+x"), 4.0);
  EXPECT_EQ(ParseStamp(u"12,5"), 12.0);  // the decimal point is "."
  EXPECT_TRUE(std::isinf(ParseStamp(u"1e999")));
}

TEST(ParseStampTest, TextWithoutANumberIsZero) {
  EXPECT_EQ(ParseStamp(u""), 0.0);
  EXPECT_EQ(ParseStamp(u"   "), 0.0);
  EXPECT_EQ(ParseStamp(u"abc"), 0.0);
  EXPECT_EQ(ParseStamp(u"-"), 0.0);
  EXPECT_EQ(ParseStamp(u"."), 0.0);
  EXPECT_EQ(ParseStamp(u"inf"), 0.0);  // decimal notation only
  EXPECT_EQ(ParseStamp(u"0x10"), 0.0);
}

// ---- the stamps in the settings document ---------------------------------------

class TimeStampsTest : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kStart = FakeClock::kDefaultSecond;

  TimeStampsTest() { fs.AddDrive(u'C'); }

  void Load(const Text& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    settings.Close();  // Load would first save the document held so far over the file
    ASSERT_TRUE(fs.SetFile(path, bytes));
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
}

TEST_F(TimeStampsTest, AFailingClockIsReadAgainAndWrittenAsZero) {
  clock.SetFailing(true);
  EXPECT_TRUE(StoreTimeStamp(settings, clock, u"LastShutDown", u"TimeStamps", 0));
  EXPECT_EQ(Stamp(u"LastShutDown"), u"0");
  EXPECT_EQ(clock.readings(), 1u);
}

TEST_F(TimeStampsTest, SequenceStartClearsBothSectionsWithTheirHeaders) {
  Load(
      u"[Setup]\r\nTimesToReboot=3\r\n"
      u"[TimeStamps]\r\nFirstShutDown=1\r\nFirstBootUp=2\r\nLastShutDown=3\r\nLastBootUp=4\r\n"
      u"[History]\r\nReboot 1=1\r\nReboot 2=9\r\n"
      u"[PostOperation]\r\nDisableAutoLogon=1\r\n");
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
  Load(u"[TimeStamps]\r\nLastShutDown=13353767900\r\n[History]\r\nReboot 3=42\r\n");
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
  Load(u"[TimeStamps]\r\nLastBootUp=12345\r\n");
  clock.SetSecond(13353768000);
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"13353768000");

  Load(u"[TimeStamps]\r\nLastBootUp=123456\r\n");
  EXPECT_TRUE(RecordTimeStamp(settings, clock, 4, TimeStampKind::LastBootUp));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"123456");
}

TEST_F(TimeStampsTest, AnEmptyHistoryValueIsFilledAndAMissingStampCountsAsZero) {
  Load(u"[History]\r\nReboot 1=\r\n");
  clock.SetSecond(13353768000);
  EXPECT_TRUE(RecordRebootDuration(settings, clock, 2, 0));
  EXPECT_EQ(History(1), u"13353768000");  // no FirstShutDown: the whole reading

  Load(u"[TimeStamps]\r\nLastShutDown=  1000.5\r\n");
  EXPECT_TRUE(RecordRebootDuration(settings, clock, 5, 1100));
  EXPECT_EQ(History(4), u"99.5");
}

TEST_F(TimeStampsTest, AnUnknownKindDoesNothing) {
  Load(u"[TimeStamps]\r\nFirstShutDown=1\r\n");
  const std::vector<Text> before = settings.lines();
  EXPECT_FALSE(RecordTimeStamp(settings, clock, 2, static_cast<TimeStampKind>(0)));
  EXPECT_FALSE(RecordTimeStamp(settings, clock, 2, static_cast<TimeStampKind>(5)));
  EXPECT_EQ(settings.lines(), before);
}

}  // namespace
}  // namespace twk::sequence

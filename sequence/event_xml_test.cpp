#include "sequence/event_xml.h"

#include <gtest/gtest.h>

#include "base/strings.h"

namespace twk::sequence {
namespace {

constexpr std::int64_t kUnixEpochMs = 11644473600000;  // 1970-01-01 in ms since 1601

TEST(ParseUtcDateTimeTest, CountsFrom1601InTheGregorianCalendar) {
  EXPECT_EQ(ParseUtcDateTime(u"1601-01-01T00:00:00Z"), 0);
  EXPECT_EQ(ParseUtcDateTime(u"1970-01-01T00:00:00Z"), kUnixEpochMs);
  EXPECT_EQ(ParseUtcDateTime(u"2000-02-29T00:00:00Z"), kUnixEpochMs + 951782400000);
  EXPECT_EQ(ParseUtcDateTime(u"9999-12-31T23:59:59.999Z"), kUnixEpochMs + 253402300799999);
}

TEST(ParseUtcDateTimeTest, FractionDigitsAreTruncatedToMilliseconds) {
  const std::int64_t second = kUnixEpochMs + 1709294281000;
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.999999900Z"), second + 999);  // nine
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.5Z"), second + 500);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.05Z"), second + 50);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.0009Z"), second);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.Z"), std::nullopt);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.1234567890Z"), std::nullopt);
}

TEST(ParseUtcDateTimeTest, AnOffsetNamesTheSameMomentAsZ) {
  const auto utc = ParseUtcDateTime(u"2024-03-01T11:58:01.123Z").value();
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T12:58:01.123+01:00"), utc);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T06:28:01.123-05:30"), utc);
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01.123+00:00"), utc);
  // Across midnight and the end of February of a leap year.
  EXPECT_EQ(ParseUtcDateTime(u"2024-02-29T23:30:00-01:00"),
            ParseUtcDateTime(u"2024-03-01T00:30:00Z"));
  EXPECT_EQ(ParseUtcDateTime(u"2024-03-01T11:58:01+14:00").value() + 14 * 3600000,
            ParseUtcDateTime(u"2024-03-01T11:58:01Z"));
}

TEST(ParseUtcDateTimeTest, RefusesWhatIsNoMomentInUtc) {
  // No zone (local to an unknown place), a separator other than T, other
  // digit counts, days and times that do not exist (no leap seconds in the
  // log; centuries leap only every 400th), zones beyond 14 hours or without
  // their colon and minutes, anything around the zone, moments before 1601
  // (also when only the offset takes them there), a signed year.
  for (const char16_t* bad : {
           u"2024-03-01T11:58:01", u"2024-03-01 11:58:01Z", u"2024-3-01T11:58:01Z",
           u"24-03-01T11:58:01Z", u"2023-02-29T00:00:00Z", u"1900-02-29T00:00:00Z",
           u"2024-04-31T00:00:00Z", u"2024-13-01T00:00:00Z", u"2024-00-10T00:00:00Z",
           u"2024-03-00T00:00:00Z", u"2024-03-01T24:00:00Z", u"2024-03-01T11:60:00Z",
           u"2024-03-01T11:58:60Z", u"2024-03-01T11:58:01+15:00", u"2024-03-01T11:58:01+01:60",
           u"2024-03-01T11:58:01+0100", u"2024-03-01T11:58:01+01", u"2024-03-01T11:58:01Zjunk",
           u"2024-03-01T11:58:01.1234567 Z", u"1600-12-31T23:59:59Z",
           u"1601-01-01T00:30:00+01:00", u"-2024-03-01T11:58:01Z", u"",
       }) {
    EXPECT_EQ(ParseUtcDateTime(bad), std::nullopt) << ToUtf8(bad);
  }
}

TEST(ScanRenderedEventTest, ReadsTheIdTheProviderAndEveryDataValueInOrder) {
  const auto event = ScanRenderedEvent(
      u"<?xml version='1.0'?><Event><System><Provider Name='P'/><EventID Qualifiers='0'>7"
      u"</EventID></System><EventData><Data Name='A'>1</Data><Data>x</Data>"
      u"<Data Name=\"B\"><![CDATA[2<3]]></Data><Data Name='C'>a<!-- c -->b</Data>"
      u"<Data Name='D'>&amp;</Data></EventData></Event>");
  ASSERT_TRUE(event.has_value());
  ASSERT_TRUE(event->eventId.has_value());
  EXPECT_EQ(event->eventId->text, u"7");
  EXPECT_EQ(event->provider, u"P");
  ASSERT_EQ(event->data.size(), 5u);
  EXPECT_EQ(event->data[0].name, u"A");
  EXPECT_EQ(event->data[0].value.text, u"1");
  EXPECT_EQ(event->data[1].name, u"");  // no Name attribute
  EXPECT_EQ(event->data[2].value.text, u"2<3");
  EXPECT_EQ(event->data[3].value.text, u"ab");
  EXPECT_EQ(event->data[4].value.text, u"&amp;");  // not decoded
  for (const auto& data : event->data) EXPECT_TRUE(data.value.simple) << ToUtf8(data.name);
}

TEST(ScanRenderedEventTest, RefusesWhatNoRenderedEventLooksLike) {
  // Unclosed, mismatched or crossed elements, anything outside the one root
  // or another root, attributes run together, unquoted, unterminated, with
  // '<' inside or without value, a DOCTYPE (never rendered), unclosed
  // comments and CDATA, a second EventID or Provider, a nameless tag.
  for (const char16_t* bad : {
           u"<Event>", u"<Event></Even>", u"<Event><System></Event></System>", u"<Event/>text",
           u"x<Event/>", u"<Event/><Event/>", u"<Record/>", u"<Event a='1'b='2'/>",
           u"<Event a=1/>", u"<Event a='1/>", u"<Event a='<'/>", u"<Event a/>",
           u"<!DOCTYPE Event><Event/>", u"<Event><!-- open </Event>",
           u"<Event><![CDATA[ open </Event>",
           u"<Event><System><EventID>1</EventID><EventID>2</EventID></System></Event>",
           u"<Event><System><Provider Name='a'/><Provider Name='b'/></System></Event>",
           u"<Event><></Event>",
       }) {
    EXPECT_EQ(ScanRenderedEvent(bad), std::nullopt) << ToUtf8(bad);
  }
  // Deep nesting is refused rather than followed without end.
  std::u16string deep = u"<Event>";
  for (int i = 0; i < 40; ++i) deep += u"<a>";
  for (int i = 0; i < 40; ++i) deep += u"</a>";
  EXPECT_EQ(ScanRenderedEvent(deep + u"</Event>"), std::nullopt);
  EXPECT_TRUE(ScanRenderedEvent(u"  <Event/>\r\n").has_value());
}

}  // namespace
}  // namespace twk::sequence

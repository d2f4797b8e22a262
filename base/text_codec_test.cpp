// The one codec for UTF-8 and UTF-16 files: what is valid survives a round
// trip, and what is broken is replaced exactly as Windows' converter does.
#include "base/text_codec.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

using namespace std::string_literals;

const Text kSample = u"A\u00E4\u0416\u20AC\U0001F600";  // 1, 2, 3 and 4 UTF-8 bytes

TEST(Utf8, ValidTextRoundTrips) {
  const std::string bytes = "A\xC3\xA4\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(ToUtf8(kSample), bytes);
  EXPECT_EQ(FromUtf8(bytes), kSample);
  EXPECT_EQ(FromUtf8(""), u"");
  EXPECT_EQ(FromUtf8("a\0b"s), (Text{u'a', u'\0', u'b'}));  // zeros are characters too
  // The edges of each length and of the code space.
  const Text edges = u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
  EXPECT_EQ(FromUtf8(ToUtf8(edges)), edges);
}

TEST(Utf8, EachMaximalBrokenSequenceBecomesOneReplacement) {
  const std::pair<std::string, Text> cases[] = {
      {"\xC0\x80", u"\uFFFD\uFFFD"},                      // overlong: C0 is never a lead byte
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xE2\x82z", u"\uFFFDz"},        // cut short: the breaking byte starts afresh
      {"\xF0\x9F\x98", u"\uFFFD"},      // cut short by the end
      {"\xF0zyx", u"\uFFFDzyx"},        // a four-byte lead with no continuation at all
      {"\x80z\xFF", u"\uFFFDz\uFFFD"},  // stray continuation, impossible byte
      {"\xF8\x88\x80\x80\x80z",
       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz"},  // five-byte forms do not exist
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FromUtf8(bytes), text) << bytes.size();
}

TEST(Utf8, UnpairedSurrogatesAreEncodedAsReplacements) {
  EXPECT_EQ(ToUtf8(Text{u'a', char16_t(0xD800), u'z'}), "a\xEF\xBF\xBDz");
  EXPECT_EQ(ToUtf8(Text{char16_t(0xDC00), char16_t(0xD800)}), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(Text{char16_t(0xD800)}), "\xEF\xBF\xBD");  // cut off at the end
}

TEST(Utf16, EachByteOrderLaysOutTheUnitsAndReadsThemBack) {
  const std::string little = "A\0\xE4\0\x16\x04\xAC\x20\x3D\xD8\x00\xDE"s;
  const std::string big = "\0A\0\xE4\x04\x16\x20\xAC\xD8\x3D\xDE\x00"s;
  EXPECT_EQ(ToUtf16(kSample, ByteOrder::LittleEndian), little);
  EXPECT_EQ(ToUtf16(kSample, ByteOrder::BigEndian), big);
  EXPECT_EQ(FromUtf16(little, ByteOrder::LittleEndian), kSample);
  EXPECT_EQ(FromUtf16(big, ByteOrder::BigEndian), kSample);
}

TEST(Utf16, UnitsAreTakenAsTheyAreAndAnOddByteGetsAZeroPartner) {
  const Text broken{char16_t(0xDC00), u'\0', char16_t(0xD800)};
  EXPECT_EQ(FromUtf16(ToUtf16(broken, ByteOrder::BigEndian), ByteOrder::BigEndian), broken);
  EXPECT_EQ(FromUtf16("A\0B"s, ByteOrder::LittleEndian), u"AB");
  EXPECT_EQ(FromUtf16("\0A\x42"s, ByteOrder::BigEndian), u"A\u4200");
}

}  // namespace
}  // namespace twk

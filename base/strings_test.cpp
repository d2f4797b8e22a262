#include "base/strings.h"

#include <gtest/gtest.h>

namespace twk {
namespace {

// ---- case folding -----------------------------------------------------------

// Inside the blocks it covers, the fold table is held against the system's
// own lower-case mapping, character for character, in fold_case_win_test.cpp.
// Outside them nothing folds: Latin Extended-B, Georgian, Glagolitic, surrogates.
// And a small letter that folded again would make comparisons depend on
// which side was folded first.
TEST(FoldCase, LeavesTheUncoveredBlocksAloneAndFoldsOnlyOnce) {
  for (const char16_t c : {u'\u0181', u'\u01C4', u'\u0245', u'\u10A0', u'\u2C00', char16_t{0xD800},
                           char16_t{0xDFFF}, u'\uFFFF'}) {
    EXPECT_EQ(static_cast<int>(FoldCase(c)), static_cast<int>(c)) << std::hex << int(c);
  }
  for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
    const char16_t once = FoldCase(static_cast<char16_t>(c));
    ASSERT_EQ(static_cast<int>(FoldCase(once)), static_cast<int>(once)) << std::hex << c;
  }
}

TEST(EqualsIgnoreCase, ComparesFoldedCharactersAndLength) {
  EXPECT_TRUE(EqualsIgnoreCase(u"\u00C4rger \u0416", u"\u00E4RGER \u0436"));
  EXPECT_FALSE(EqualsIgnoreCase(u"abc", u"abcd"));
  EXPECT_FALSE(EqualsIgnoreCase(u"\u00D7", u"\u00F7"));
}

TEST(Find, CountsOccurrencesFromTheStartAndFromTheEnd) {
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, -1), 5u);
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, -2), 3u);
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, -3), 0u);
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, 0), 3u);  // 0 counts as 1
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, 2), 5u);
  EXPECT_EQ(Find(u"C:\\a\\b", u"\\", true, 3), 0u);
  EXPECT_EQ(Find(u"aaaa", u"aa", true, 2), 2u);  // every position is tried
  EXPECT_EQ(Find(u"aaaa", u"aa", true, -1), 3u);
  // An empty or oversized needle is never found.
  EXPECT_EQ(Find(u"abc", u""), 0u);
  EXPECT_EQ(Find(u"abc", u"abcd"), 0u);
  EXPECT_EQ(Find(u"", u"a"), 0u);
}

TEST(Find, StartAndCountLimitTheSearchedRange) {
  EXPECT_EQ(Find(u"x/Delay:3", u"/Delay:", true, 1, 1, 7), 0u);
  EXPECT_EQ(Find(u"/Delay:3", u"/Delay:", true, 1, 1, 7), 1u);
  EXPECT_EQ(Find(u"abcabc", u"abc", true, 1, 2), 4u);
  EXPECT_EQ(Find(u"abcabc", u"abc", true, 1, -5), 1u);  // below 1 counts as 1
  EXPECT_EQ(Find(u"abcabc", u"abc", true, 1, 7), 0u);   // beyond the text
  EXPECT_EQ(Find(u"abcabc", u"abc", true, 1, 4, 3), 4u);
  EXPECT_EQ(Find(u"abcabc", u"abc", true, 1, 4, 2), 0u);   // count below the needle
  EXPECT_EQ(Find(u"abcabc", u"abc", true, -1, 1, 5), 1u);  // last match inside the range
  // Letter case is ignored only when asked.
  EXPECT_EQ(Find(u"[SETUP]", u"setup"), 0u);
  EXPECT_EQ(Find(u"[SETUP]", u"setup", false), 2u);
  EXPECT_EQ(Find(u"\u0416\u0416x", u"\u0436X", false, -1), 2u);
}

// ---- editing helpers --------------------------------------------------------

// The editing helpers work in place; these give back the edited copy.
Text Stripped(Text t, unsigned flags) {
  StripWhiteSpace(t, flags);
  return t;
}
Text TrimmedLeft(Text t, std::int64_t n) {
  TrimLeft(t, n);
  return t;
}
Text Replaced(Text t, const Text& search, const Text& by, int occurrence = 0, bool exact = true) {
  Replace(t, search, by, occurrence, exact);
  return t;
}

TEST(StripWhiteSpace, FlagsChooseEndsRunsOrEverything) {
  EXPECT_EQ(Stripped(u"a  b", Strip::Runs), u"a b");
  EXPECT_EQ(Stripped(u"a \t\r\nb", Strip::Runs), u"a\nb");  // a run keeps its last character
  EXPECT_EQ(Stripped(u" \ta b\r\n", Strip::All), u"ab");
  EXPECT_EQ(Stripped(u"  x  ", Strip::Leading), u"x  ");
  EXPECT_EQ(Stripped(u"  x  ", Strip::Trailing), u"  x");
  // Only blank, tab, CR and LF are white space.
  EXPECT_EQ(Stripped(u"\u00A0x\u3000", Strip::All), u"\u00A0x\u3000");
}

TEST(TrimAndMid, ClampToTheText) {
  EXPECT_EQ(TrimmedLeft(u"abcdef", 2), u"cdef");
  EXPECT_EQ(TrimmedLeft(u"abcdef", -1), u"abcdef");
  EXPECT_EQ(TrimmedLeft(u"abcdef", 99), u"");
  Text t = u"\\\\";
  TrimTrailingBackslashes(t);
  EXPECT_EQ(t, u"");

  EXPECT_EQ(Mid(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(Mid(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(Mid(u"abcdef", 3), u"cdef");
  EXPECT_EQ(Mid(u"abcdef", 3, -1), u"cdef");
  EXPECT_EQ(Mid(u"abcdef", 7, 1), u"");
  EXPECT_EQ(Mid(u"abcdef", 0, 2), u"ab");
}

TEST(Split, KeepsInnerEmptyPartsButNoTrailingOne) {
  EXPECT_EQ(Split(u"a\r\nb\r\n", u"\r\n"), (std::vector<Text>{u"a", u"b"}));
  EXPECT_EQ(Split(u"a\r\n\r\nb", u"\r\n"), (std::vector<Text>{u"a", u"", u"b"}));
  EXPECT_EQ(Split(u"\r\na", u"\r\n"), (std::vector<Text>{u"", u"a"}));
  EXPECT_EQ(Split(u"", u","), (std::vector<Text>{u""}));
  EXPECT_EQ(Split(u"a,b", u""), (std::vector<Text>{u"a,b"}));
  EXPECT_EQ(Split(u"aXbxc", u"x"), (std::vector<Text>{u"aXb", u"c"}));  // case-sensitive
}

TEST(Replace, EveryOrOnlyTheNthOccurrence) {
  EXPECT_EQ(Replaced(u"a.b.c", u".", u"::"), u"a::b::c");
  EXPECT_EQ(Replaced(u"a::b::::c", u"::", u"."), u"a.b..c");
  EXPECT_EQ(Replaced(u"a.b.c", u".", u"", 2), u"a.bc");
  EXPECT_EQ(Replaced(u"a.b.c", u".", u"-", -1), u"a.b-c");
  EXPECT_EQ(Replaced(u"aXbxc", u"x", u"+", 0, false), u"a+b+c");
  EXPECT_EQ(Replaced(u"aXbxc", u"x", u"+"), u"aXb+c");
  EXPECT_EQ(Replaced(u"aa", u"a", u"aa"), u"aaaa");  // the replacement is not searched again
  EXPECT_EQ(Replaced(u"abc", u"", u"x"), u"abc");
}

// ---- numbers ----------------------------------------------------------------

TEST(ToInteger, ReadsTheLeadingDecimalIntegerAndSaturates) {
  EXPECT_EQ(ToInteger(u"\t\r\n-3"), -3);
  EXPECT_EQ(ToInteger(u"+8"), 8);
  EXPECT_EQ(ToInteger(u"-"), 0);
  EXPECT_EQ(ToInteger(u"- 5"), 0);
  EXPECT_EQ(ToInteger(u"16.9"), 16);
  EXPECT_EQ(ToInteger(u"\uFF15"), 0);  // fullwidth digits are not decimal digits here
  // Saturated outside the signed 32-bit range.
  EXPECT_EQ(ToInteger(u"2147483647"), 2147483647);
  EXPECT_EQ(ToInteger(u"2147483648"), 2147483647);
  EXPECT_EQ(ToInteger(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ToInteger(u"-2147483649"), -2147483647 - 1);
  EXPECT_EQ(ToInteger(u"99999999999999999999999999999"), 2147483647);
  EXPECT_EQ(ToInteger(u"-99999999999999999999999999999x"), -2147483647 - 1);
  EXPECT_EQ(ToInteger(u"00000000000000000000000000042"), 42);
}

TEST(FormatNumbers, DecimalWithoutLeadingZeros) {
  EXPECT_EQ(FormatUnsigned(0), u"0");
  EXPECT_EQ(FormatUnsigned(18446744073709551615ull), u"18446744073709551615");
  EXPECT_EQ(FormatSigned(2147483647), u"2147483647");
  EXPECT_EQ(FormatSigned(-2147483647 - 1), u"-2147483648");
  EXPECT_EQ(FormatSigned(-9223372036854775807 - 1), u"-9223372036854775808");
}

TEST(ParseWholeTest, DigitsWithinSixtyFourBitsAndNothingElse) {
  EXPECT_EQ(ParseWhole(u"13353768000123"), 13353768000123);
  EXPECT_EQ(ParseWhole(u"-7"), -7);
  EXPECT_EQ(ParseWhole(u"9223372036854775807"), 9223372036854775807);
  for (const char16_t* bad : {u"", u"-", u"1.5", u" 1", u"1x", u"9223372036854775808"}) {
    EXPECT_EQ(ParseWhole(bad), std::nullopt) << ToUtf8(bad);
  }
}

TEST(Utf8LengthTest, CountsTheBytesTheEncoderWrites) {
  for (const Text& text : {Text(u"a\u00e9\u20ac"), Text(u"\U0001F600x"), Text(u"\xD800\xD800z")}) {
    EXPECT_EQ(Utf8Length(text), ToUtf8(text).size()) << ToUtf8(text);
  }
}

TEST(LimitDecimals, CutsToTwoDecimalsWithoutRounding) {
  const std::pair<Text, Text> cases[] = {
      {u"16.6666", u"16.66"},  {u"12.5", u"12.5"}, {u"25", u"25"},
      {u"3.999", u"3.99"},     {u"12.", u"12"},    {u".", u""},
      {u"1.2.345", u"1.2.34"}, {u"", u""},         {u"-0.129", u"-0.12"},
  };
  for (const auto& [in, out] : cases) {
    Text t = in;
    LimitDecimals(t);
    EXPECT_EQ(t, out) << ToUtf8(in);
  }
}

TEST(FolderOfTest, CutsBeforeTheLastBackslashBeyondTheDrive) {
  EXPECT_EQ(FolderOf(u"C:\\Program Files (x86)\\Tarnwick\\Tarnwick.exe"),
            u"C:\\Program Files (x86)\\Tarnwick");
  EXPECT_EQ(FolderOf(u"C:\\Tools\\\\"), u"C:");
  // Roots and bare names are kept whole.
  EXPECT_EQ(FolderOf(u"\\Tarnwick.exe"), u"\\Tarnwick.exe");
  EXPECT_EQ(FolderOf(u"Tarnwick.exe"), u"Tarnwick.exe");
}

}  // namespace
}  // namespace twk

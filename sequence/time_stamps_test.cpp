#include "sequence/time_stamps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>


namespace twk::sequence {
namespace {

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

}  // namespace
}  // namespace twk::sequence

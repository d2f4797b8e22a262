// The ANSI code page adapter, and the portable UTF-8 codec held against the
// system's own converter: files written by one must read the same with the other.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/text_codec.h"
#include "platform/win32/win_code_page.h"

namespace twk::platform::win32 {
namespace {

using testing::PrintToString;

Text SystemFromUtf8(const std::string& bytes) {
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
  Text out(static_cast<std::size_t>(needed), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                      needed);
  return out;
}

std::string SystemToUtf8(const Text& text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), needed, nullptr, nullptr);
  return out;
}

TEST(Utf8CodecWinTest, DecodesAndEncodesAsTheSystemDoes) {
  // Wine counts some broken sequences differently from Windows and Unicode
  // (ED A0 80 and F4 90 80 80 give one U+FFFD fewer, and a cut-off sequence
  // at the very end swallows the bytes behind its lead byte), so those
  // inputs are left to the portable tests.
  const std::string inputs[] = {"A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80",
                                "\xC0\x80",
                                "\xE2\x82"
                                "A",
                                "\xF0"
                                "Abcd",
                                "\x80"
                                "b\xFF",
                                "end\xE2\x82",
                                "\xEF\xBB\xBF",
                                "\xF8\x88\x80\x80\x80"
                                "z"};
  for (const std::string& bytes : inputs) {
    EXPECT_EQ(FromUtf8(bytes), SystemFromUtf8(bytes)) << PrintToString(bytes);
  }
  const Text texts[] = {u"A\u00E4\u20AC\U0001F600", Text{u'a', char16_t(0xD800), u'b'},
                        Text{char16_t(0xDC00), char16_t(0xD800)}};
  for (const Text& text : texts) EXPECT_EQ(ToUtf8(text), SystemToUtf8(text)) << PrintToString(text);
}

// A Western system, as the Wine prefix of the tests is.
TEST(WinAnsiCodePageTest, OnA1252SystemEveryByteRoundTripsAndOthersBecomeQuestionMarks) {
  const WinAnsiCodePage ansi;
  EXPECT_EQ(ansi.Decode(""), Text());
  EXPECT_EQ(ansi.Encode(u""), std::string());
  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::optional<Text> text = ansi.Decode(all);
  ASSERT_TRUE(text.has_value());
  ASSERT_EQ(text->size(), all.size());
  EXPECT_EQ((*text)[0x80 - 1], u'\u20AC');  // the euro sign, not the C1 control
  EXPECT_EQ((*text)[0xE4 - 1], u'\u00E4');
  EXPECT_EQ(ansi.Encode(*text), all);
  EXPECT_EQ(ansi.Encode(u"a\u4E2D\u3042"), "a??");  // no best fit exists for these
}

}  // namespace
}  // namespace twk::platform::win32

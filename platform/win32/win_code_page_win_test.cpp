// The ANSI code page adapter. (The portable UTF-8 codec has its own tests of
// every broken form; Wine's converter differs from Windows' on some of them.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win_code_page.h"

namespace twk::platform::win32 {
namespace {

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

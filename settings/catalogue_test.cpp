#include "settings/catalogue.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"

namespace twk::settings {
namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  platform::FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  SettingsFile doc{fs, ansi};
};

TEST_F(CatalogueTest, RestartCountAndDelayDefaultToFiveWhenMissingEmptyOrZero) {
  EXPECT_EQ(ReadTimesToReboot(doc), 5);  // no section Setup at all
  EXPECT_EQ(ReadRebootDelay(doc), 5);
  const std::pair<Text, std::int32_t> cases[] = {
      {u"", 5}, {u"0", 5}, {u"abc", 5}, {u"7", 7}, {u" 12 restarts", 12}, {u"-3", -3}, {u"007", 7},
  };
  for (const auto& [text, expected] : cases) {
    ASSERT_NE(doc.SetValue(section::Setup, key::TimesToReboot, text), 0u);
    ASSERT_NE(doc.SetValue(section::Setup, key::RebootDelay, text), 0u);
    EXPECT_EQ(ReadTimesToReboot(doc), expected) << ToUtf8(text);
    EXPECT_EQ(ReadRebootDelay(doc), expected) << ToUtf8(text);
  }
}

TEST_F(CatalogueTest, SwitchesAreOnForAnyNonZeroNumber) {
  const std::pair<Text, bool> cases[] = {
      {u"1", true}, {u"0", false}, {u"", false}, {u"yes", false}, {u"-1", true}, {u" 2", true},
  };
  for (const auto& [text, on] : cases) {
    ASSERT_NE(doc.SetValue(section::Setup, key::PlayWarningSound, text), 0u);
    EXPECT_EQ(ReadSwitch(doc, section::Setup, key::PlayWarningSound), on) << ToUtf8(text);
  }
}

TEST_F(CatalogueTest, NumbersAreWrittenAsPlainDecimalText) {
  EXPECT_NE(WriteUnsigned(doc, section::Setup, key::TimesToReboot, 4000000000u), 0u);
  EXPECT_NE(WriteInteger(doc, section::Setup, key::RebootDelay, -12), 0u);
  EXPECT_EQ(doc.GetValueText(section::Setup, key::TimesToReboot), u"4000000000");
  EXPECT_EQ(doc.GetValueText(section::Setup, key::RebootDelay), u"-12");
}

}  // namespace
}  // namespace twk::settings

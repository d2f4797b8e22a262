// Folder trees and the settings document on real files under %TEMP%, through
// the Win32 adapters. Which mark chooses which encoding is the portable
// tests' matter; here a marked and an unmarked file are read for real by the
// round trip.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win_code_page.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_file_system_test_util.h"
#include "settings/ini_document.h"
#include "settings/text_file.h"

namespace twk::settings {
namespace {

using namespace std::string_literals;
using platform::win32::WinAnsiCodePage;
using platform::win32::WinFileSystem;
using platform::win32::test::ReadBytes;
using platform::win32::test::TempFolder;
using platform::win32::test::Wide;
using platform::win32::test::WriteBytes;

// A settings file as saved: the little-endian mark, then the text.
std::string Utf16File(const std::u16string& text) {
  return "\xFF\xFE" + ToUtf16(text, ByteOrder::LittleEndian);
}

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class TextFileWinTest : public ::testing::Test {
 protected:
  TempFolder temp;
  WinFileSystem fs;
  WinAnsiCodePage ansi;
};

TEST_F(TextFileWinTest, CreateFolderTreeBuildsMissingLevelsAndStopsBelowAFile) {
  EXPECT_TRUE(CreateFolderTree(fs, temp.Path(u"")));  // there already
  const auto folder = temp.Path(u"x\\y\\z");
  ASSERT_TRUE(CreateFolderTree(fs, folder + u"\\"));
  EXPECT_TRUE(IsFolder(temp.Path(u"x")));
  EXPECT_TRUE(IsFolder(temp.Path(u"x\\y")));
  EXPECT_TRUE(IsFolder(folder));
  ASSERT_TRUE(WriteBytes(temp.Path(u"file"), "x"));
  EXPECT_FALSE(CreateFolderTree(fs, temp.Path(u"file\\sub\\deeper")));
}

TEST_F(TextFileWinTest, CreateFolderTreeOfADriveAsksWhetherItExists) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  const std::u16string system{static_cast<char16_t>(windows[0]), u':'};
  EXPECT_TRUE(CreateFolderTree(fs, system)) << ToUtf8(system);
  EXPECT_TRUE(CreateFolderTree(fs, system + u"\\")) << ToUtf8(system);

  const DWORD drives = GetLogicalDrives();
  char16_t letter = 0;
  for (int i = 25; i >= 3 && !letter; --i) {
    if (!(drives & (1u << i))) letter = static_cast<char16_t>(u'A' + i);
  }
  if (!letter) GTEST_SKIP() << "every drive letter is in use";
  const std::u16string missing{letter, u':'};
  EXPECT_FALSE(CreateFolderTree(fs, missing)) << ToUtf8(missing);
  EXPECT_FALSE(CreateFolderTree(fs, missing + u"\\")) << ToUtf8(missing);
}

// The first save creates the folders and the file; the next replaces it,
// read back in turn.
TEST_F(TextFileWinTest, SettingsFileSurvivesASaveAndLoadRoundTrip) {
  const auto path = temp.Path(u"Roaming\\Tarnwick\\TWK.ini");
  SettingsFile settings(fs, ansi);
  EXPECT_FALSE(settings.Load(path));  // missing: empty document
  EXPECT_NE(settings.SetValue(u"Setup", u"TimesToReboot", u"7"), 0u);
  EXPECT_NE(settings.SetValue(u"History", u"Reboot 2", u"61 \u00E4"), 0u);
  EXPECT_TRUE(settings.Save());
  EXPECT_EQ(ReadBytes(path),
            Utf16File(u"[Setup]\r\nTimesToReboot=7\r\n[History]\r\nReboot 2=61 \u00E4\r\n"));
  EXPECT_EQ(GetFileAttributesW(Wide(path + u".tmp")), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(settings.Close());  // or the next Load would save it over the file first
  ASSERT_TRUE(WriteBytes(path, "[Setup]\nDelay = 3\n"));  // ANSI, LF line ends
  ASSERT_TRUE(settings.Load(path));
  EXPECT_EQ(settings.GetValueText(u"Setup", u"Delay"), u"3");
  EXPECT_NE(settings.SetValue(u"Setup", u"Delay", u"4"), 0u);
  EXPECT_TRUE(settings.Save());
  EXPECT_EQ(ReadBytes(path), Utf16File(u"[Setup]\r\nDelay=4\r\n"));
}

}  // namespace
}  // namespace twk::settings

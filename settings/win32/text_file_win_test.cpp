// Text files, folder trees and the settings document on real files under
// %TEMP%, through the Win32 adapter.
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
using platform::win32::test::Narrow;
using platform::win32::test::ReadBytes;
using platform::win32::test::TempFolder;
using platform::win32::test::Wide;
using platform::win32::test::WriteBytes;

constexpr std::uint32_t kSaveMode =
    TextMode::Overwrite | TextMode::Exclusive | TextMode::CreatePath | TextMode::Utf16LE;

bool IsFolder(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class TextFileWinTest : public ::testing::Test {
 protected:
  std::u16string ReadText(const std::u16string& path, std::uint32_t& mode) {
    TextFile file(fs, ansi);
    EXPECT_NE(file.Open(path, TextMode::Read), 0) << Narrow(path);
    mode = file.mode();
    std::u16string text = u"sentinel";
    const std::size_t count = file.ReadAllText(text);
    EXPECT_EQ(count, text.size());
    return text;
  }

  TempFolder temp;
  WinFileSystem fs;
  WinAnsiCodePage ansi;
};

TEST_F(TextFileWinTest, TheMarkChoosesTheEncodingAndUnmarkedTextIsAnsi) {
  // What the system's ANSI code page makes of the unmarked bytes.
  wchar_t ansiText[3] = {0xCCCC, 0xCCCC, 0xCCCC};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "A\xE4", 2, ansiText, 3), 2);
  const struct {
    std::string bytes;
    std::u16string text;
    std::uint32_t mode;
  } cases[] = {
      {"\xFF\xFE"
       "A\0\xE4\0"s,
       u"A\u00E4", TextMode::Utf16LE},
      {"\xFE\xFF"
       "\0A\0\xE4"s,
       u"A\u00E4", TextMode::Utf16BE},
      {"\xEF\xBB\xBF"
       "A\xC3\xA4\xE2\x82\xAC",
       u"A\u00E4\u20AC", TextMode::Utf8},
      {"A\xE4", std::u16string(reinterpret_cast<char16_t*>(ansiText), 2), 0},
      {"", u"", 0},
  };
  const auto path = temp.Path(u"read.ini");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteBytes(path, c.bytes));
    std::uint32_t mode = 0xFFFF;
    EXPECT_EQ(ReadText(path, mode), c.text) << std::hex << c.mode;
    EXPECT_EQ(mode, c.mode) << std::hex << mode;
  }
}

TEST_F(TextFileWinTest, SaveModeOnAnExistingFileLeavesExactlyFFFE) {
  const auto path = temp.Path(u"TWK.ini");
  ASSERT_TRUE(WriteBytes(path,
                         "\xFF\xFE"
                         "o\0l\0d\0"s));
  TextFile file(fs, ansi);
  ASSERT_NE(file.Open(path, kSaveMode), 0);
  // Not shared: nobody reads the file while it is being written.
  SetLastError(0xdeadbeef);
  HANDLE other = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << GetLastError();
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  file.Close();
  EXPECT_EQ(ReadBytes(path), "\xFF\xFE");
}

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
  EXPECT_TRUE(CreateFolderTree(fs, system)) << Narrow(system);
  EXPECT_TRUE(CreateFolderTree(fs, system + u"\\")) << Narrow(system);

  const DWORD drives = GetLogicalDrives();
  char16_t letter = 0;
  for (int i = 25; i >= 3 && !letter; --i) {
    if (!(drives & (1u << i))) letter = static_cast<char16_t>(u'A' + i);
  }
  if (!letter) GTEST_SKIP() << "every drive letter is in use";
  const std::u16string missing{letter, u':'};
  EXPECT_FALSE(CreateFolderTree(fs, missing)) << Narrow(missing);
  EXPECT_FALSE(CreateFolderTree(fs, missing + u"\\")) << Narrow(missing);
}

TEST_F(TextFileWinTest, SettingsFileSurvivesASaveAndLoadRoundTrip) {
  const auto path = temp.Path(u"Roaming\\Tarnwick\\TWK.ini");
  {
    SettingsFile settings(fs, ansi);
    EXPECT_FALSE(settings.Load(path));  // missing: empty document
    EXPECT_NE(settings.SetValue(u"Setup", u"TimesToReboot", u"7"), 0u);
    EXPECT_NE(settings.SetValue(u"History", u"Reboot 2", u"61 \u00E4"), 0u);
    EXPECT_TRUE(settings.Save());
    settings.Close();
  }
  EXPECT_EQ(ReadBytes(path),
            "\xFF\xFE[\0S\0e\0t\0u\0p\0]\0\r\0\n\0"
            "T\0i\0m\0e\0s\0T\0o\0R\0e\0b\0o\0o\0t\0=\0"
            "7\0\r\0\n\0"
            "[\0H\0i\0s\0t\0o\0r\0y\0]\0\r\0\n\0"
            "R\0e\0b\0o\0o\0t\0 \0"
            "2\0=\0"
            "6\0"
            "1\0 \0\xE4\0\r\0\n\0"s);
  EXPECT_EQ(GetFileAttributesW(Wide(path + u".tmp")), INVALID_FILE_ATTRIBUTES);

  SettingsFile again(fs, ansi);
  ASSERT_TRUE(again.Load(path));
  EXPECT_EQ(again.GetValueText(u"setup", u"TimesToReboot"), u"");  // first letter is exact
  EXPECT_EQ(again.GetValueText(u"SETUP", u"timestoreboot"), u"");
  EXPECT_EQ(again.GetValueText(u"Setup", u"TIMESTOREBOOT"), u"7");
  EXPECT_EQ(again.GetValueText(u"History", u"Reboot 2"), u"61 \u00E4");
  again.Close();
}

TEST_F(TextFileWinTest, SettingsFileSaveReplacesAnExistingFile) {
  const auto path = temp.Path(u"TWK.ini");
  ASSERT_TRUE(WriteBytes(path, "[Setup]\nDelay = 3\n"));  // ANSI, LF line ends
  SettingsFile settings(fs, ansi);
  ASSERT_TRUE(settings.Load(path));
  EXPECT_EQ(settings.GetValueText(u"Setup", u"Delay"), u"3");
  EXPECT_NE(settings.SetValue(u"Setup", u"Delay", u"4"), 0u);
  EXPECT_TRUE(settings.Save());
  settings.Close();
  EXPECT_EQ(ReadBytes(path),
            "\xFF\xFE[\0S\0e\0t\0u\0p\0]\0\r\0\n\0D\0e\0l\0a\0y\0=\0"
            "4\0\r\0\n\0"s);
}

}  // namespace
}  // namespace twk::settings

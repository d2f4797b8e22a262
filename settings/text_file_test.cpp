// The text-file layer over the in-memory file system: encodings and marks,
// the open flags, and folder creation with Windows path rules.
#include "settings/text_file.h"

#include <gtest/gtest.h>

#include "base/strings.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"

namespace twk::settings {
namespace {

using namespace std::string_literals;
using platform::Disposition;
using platform::FakeFileSystem;
using Op = FakeFileSystem::Op;

constexpr char16_t kPath[] = u"C:\\Users\\Ann\\AppData\\Roaming\\Tarnwick\\TWK.ini";
const std::string kLE = "\xFF\xFE", kBE = "\xFE\xFF", kU8 = "\xEF\xBB\xBF";
constexpr std::uint32_t kSaveMode =
    TextMode::Overwrite | TextMode::Exclusive | TextMode::CreatePath | TextMode::Utf16LE;

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.AddDrive(u'C'); }

  FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  TextFile file{fs, ansi};
};

// ---- reading: marks and encodings ----------------------------------------------

// The mark chooses the encoding, replacing the one asked for, and is not
// part of the text; without one (or in binary mode) the flags asked for stand
// and reading starts at the first byte, and appending starts at the end. The
// text ends at a zero (a zero byte in UTF-16 only when it is a whole
// character), and a cut-off mark is text. What the codec makes of broken
// bytes is its own matter.
TEST_F(TextFileTest, TheMarkChoosesTheEncodingAndReadingStartsAfterIt) {
  using namespace TextMode;
  const struct {
    std::string bytes;
    std::uint32_t asked, mode;
    std::u16string text;
  } cases[] = {
      {kLE + "A\0\xE4\0\xAC\x20"s, Read, Utf16LE, u"A\u00E4\u20AC"},
      {kBE + "\0A\0\xE4\x20\xAC"s, Read, Utf16BE, u"A\u00E4\u20AC"},
      {kU8 + "A\xC3\xA4\xE2\x82\xAC", Read, Utf8, u"A\u00E4\u20AC"},
      {"A\xE4\xFF", Read, Read, u"A\u00E4\u00FF"},  // no mark: the ANSI code page (Latin-1 here)
      {kLE, Read, Utf16LE, u""},                    // only a mark
      {"\xFFx", Read, Read, u"\u00FFx"},            // half a UTF-16 mark is ANSI text
      {"\xEF\xBB", Read, Read, u"\u00EF\u00BB"},    // so is a cut-off UTF-8 mark
      {kLE + "A\0\0\0B\0"s, Read, Utf16LE, u"A"},
      {kLE + "\0\x4E\x42\0"s, Read, Utf16LE, u"\u4E00B"},  // the zero is half a character
      {kU8 + "ab\0cd"s, Read, Utf8, u"ab"},
      {"ab\0cd"s, Read, Read, u"ab"},
      {kLE + "\0"s, Read, Utf16LE, u""},
      {kBE + "\0A"s, Utf8 | Utf16LE | Exclusive, Utf16BE | Exclusive, u"A"},
      {"\xC3\xA4x", Utf8NoBom, Utf8NoBom, u"\u00E4x"},
      {kLE + "A\0"s, Binary | Utf16LE, Binary | Utf16LE, u"\uFEFFA"},
      {kLE + "a\0b\0"s, Append | Utf8, Append | Utf16LE, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bytes.size() << " bytes, asked " << std::hex << c.asked);
    ASSERT_TRUE(fs.SetFile(kPath, c.bytes));
    TextFile file(fs, ansi);
    ASSERT_NE(file.Open(kPath, c.asked), 0);
    EXPECT_EQ(file.mode(), c.mode);
    std::u16string text = u"sentinel";
    EXPECT_EQ(file.ReadAllText(text), c.text.size());
    EXPECT_EQ(text, c.text);
  }
}

TEST_F(TextFileTest, ReadingFailsSoundly) {
  std::u16string text = u"old";
  EXPECT_EQ(file.ReadAllText(text), 0u);  // not open
  EXPECT_EQ(text, u"");

  ASSERT_TRUE(fs.SetFile(kPath, kLE + "A\0"s));
  ASSERT_NE(file.Open(kPath, TextMode::Read), 0);
  fs.FailNext(Op::Read);
  EXPECT_EQ(file.ReadAllText(text), 0u);
  fs.FailNext(Op::Size);
  EXPECT_EQ(file.ReadAllText(text), 0u);
  EXPECT_FALSE(file.tooLarge());
  // Too large to be read: refused without allocating it, and said so.
  for (const std::uint64_t size : std::initializer_list<std::uint64_t>{
           TextFile::kLargestText + 1, 0xFFFF'FFFE, 0xFFFF'FFFF, 0x1'0000'0000, ~0ull}) {
    fs.SetReportedSize(kPath, size);
    text = u"old";
    EXPECT_EQ(file.ReadAllText(text), 0u) << size;
    EXPECT_EQ(text, u"");
    EXPECT_TRUE(file.tooLarge());
  }

  // Text in the ANSI code page that the system cannot convert.
  ASSERT_TRUE(fs.SetFile(kPath, "abc"));
  ASSERT_NE(file.Open(kPath, TextMode::Read), 0);
  ansi.fail = true;
  text = u"old";
  EXPECT_EQ(file.ReadAllText(text), 0u);
  EXPECT_EQ(text, u"");
}

// ---- opening: flags, marks, positions ------------------------------------------

TEST_F(TextFileTest, ModeFlagsChooseAccessShareAndDisposition) {
  struct Case {
    std::uint32_t mode;
    bool write, shareRead;
    Disposition disposition;
  };
  const Case cases[] = {
      {TextMode::Read, false, true, Disposition::OpenExisting},
      {TextMode::Exclusive, false, false, Disposition::OpenExisting},
      {TextMode::Append, true, true, Disposition::OpenAlways},
      {TextMode::Overwrite, true, true, Disposition::CreateAlways},
      {TextMode::Append | TextMode::Overwrite, true, true, Disposition::CreateAlways},
      {kSaveMode, true, false, Disposition::CreateAlways},
  };
  ASSERT_TRUE(fs.SetFile(kPath, "text"));
  for (const Case& c : cases) {
    TextFile file(fs, ansi);
    EXPECT_NE(file.Open(kPath, c.mode), 0) << std::hex << c.mode;
    const auto& call = fs.openCalls().back();
    EXPECT_EQ(call.write, c.write) << std::hex << c.mode;
    EXPECT_EQ(call.shareRead, c.shareRead) << std::hex << c.mode;
    EXPECT_EQ(call.disposition, c.disposition) << std::hex << c.mode;
  }
  EXPECT_EQ(fs.openHandleCount(), 0u);  // each file closed when it went away
}

TEST_F(TextFileTest, NewFileGetsTheMarkOfTheFirstEncodingByPrecedence) {
  struct Case {
    std::uint32_t encodings;
    std::string mark;
  };
  const Case cases[] = {
      {TextMode::Utf8 | TextMode::Utf16LE | TextMode::Utf16BE, kU8},
      {TextMode::Utf16LE | TextMode::Utf16BE, kLE},
      {TextMode::Utf16BE, kBE},
      {TextMode::Utf8NoBom, ""},
      {0, ""},
  };
  for (const Case& c : cases) {
    for (std::uint32_t write : {TextMode::Overwrite, TextMode::Append}) {
      ASSERT_TRUE(fs.Delete(kPath) || !fs.Exists(kPath));
      TextFile file(fs, ansi);
      ASSERT_NE(file.Open(kPath, write | TextMode::CreatePath | c.encodings), 0);
      EXPECT_EQ(fs.FileBytes(kPath), c.mark) << std::hex << c.encodings << " " << write;
      EXPECT_EQ(file.mode(), write | TextMode::CreatePath | c.encodings);
    }
  }
}

TEST_F(TextFileTest, NoMarkIsWrittenWithoutAWriteFlag) {
  ASSERT_TRUE(fs.SetFile(kPath, ""));
  ASSERT_NE(file.Open(kPath, TextMode::Utf16LE), 0);
  EXPECT_EQ(fs.FileBytes(kPath), "");
}

TEST_F(TextFileTest, FailedMarkWriteClosesTheFileAndClearsTheMode) {
  fs.FailNext(Op::Write);
  EXPECT_EQ(file.Open(kPath, kSaveMode), 0);
  EXPECT_EQ(file.handle(), 0);
  EXPECT_EQ(file.mode(), 0u);
  EXPECT_EQ(fs.openHandleCount(), 0u);

  fs.LimitWrites(1);  // only half of the mark fits on the disk
  EXPECT_EQ(file.Open(kPath, kSaveMode), 0);
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

TEST_F(TextFileTest, OpeningAgainClosesTheFileHeldBefore) {
  ASSERT_TRUE(fs.SetFile(kPath, "x"));
  ASSERT_NE(file.Open(kPath, TextMode::Exclusive), 0);
  // The exclusive handle must be gone, or this second open would be refused.
  EXPECT_NE(file.Open(kPath, TextMode::Exclusive), 0);
  EXPECT_EQ(fs.openHandleCount(), 1u);
  EXPECT_EQ(file.Open(u"C:\\missing.ini", TextMode::Read), 0);
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

// ---- writing ---------------------------------------------------------------------

TEST_F(TextFileTest, WriteTextConvertsToTheFileEncoding) {
  const std::u16string text = u"A\u00E4\u20AC";
  struct Case {
    std::uint32_t encoding;
    std::string bytes;
  };
  const Case cases[] = {
      {TextMode::Utf16LE, "A\0\xE4\0\xAC\x20"s},
      {TextMode::Utf16BE, "\0A\0\xE4\x20\xAC"s},
      {TextMode::Utf8, "A\xC3\xA4\xE2\x82\xAC"},
      {TextMode::Utf8NoBom, "A\xC3\xA4\xE2\x82\xAC"},
      {0, "A\xE4?"},  // the test's ANSI code page has no euro sign
  };
  ASSERT_TRUE(fs.SetFile(kPath, ""));
  for (const Case& c : cases) {
    TextFile file(fs, ansi);
    ASSERT_NE(file.Open(kPath, TextMode::Overwrite | TextMode::Binary | c.encoding), 0);
    EXPECT_EQ(file.WriteText(text), c.bytes.size());
    file.Close();
    EXPECT_EQ(fs.FileBytes(kPath), c.bytes) << std::hex << c.encoding;
  }
}

TEST_F(TextFileTest, WriteTextReportsNothingWrittenOnFailure) {
  EXPECT_EQ(file.WriteText(u"x"), 0u);  // not open
  ASSERT_NE(file.Open(kPath, kSaveMode), 0);
  EXPECT_EQ(file.WriteText(u""), 0u);
  fs.FailNext(Op::Write);
  EXPECT_EQ(file.WriteText(u"x"), 0u);
  file.Close();
  EXPECT_EQ(fs.FileBytes(kPath), "\xFF\xFE");

  ASSERT_NE(file.Open(kPath, TextMode::Overwrite), 0);
  ansi.fail = true;  // the system cannot convert to its ANSI code page
  EXPECT_EQ(file.WriteText(u"x"), 0u);
  file.Close();
  EXPECT_EQ(fs.FileBytes(kPath), "");
}

TEST_F(TextFileTest, PositionAndFlushNeedAnOpenFile) {
  EXPECT_FALSE(file.SetPosition(0, platform::SeekOrigin::Begin));
  EXPECT_FALSE(file.Flush());
  ASSERT_NE(file.Open(kPath, kSaveMode), 0);
  EXPECT_EQ(file.WriteText(u"abc"), 6u);
  EXPECT_TRUE(file.SetPosition(-4, platform::SeekOrigin::End));
  EXPECT_EQ(file.WriteText(u"X"), 2u);
  EXPECT_TRUE(file.Flush());
  file.Close();
  EXPECT_EQ(fs.FileBytes(kPath), kLE + "a\0X\0c\0"s);
}

// ---- folders ---------------------------------------------------------------------

// The missing folders are made from the drive down; when one cannot be,
// nothing is opened.
TEST_F(TextFileTest, CreatePathMakesTheMissingFoldersOrOpensNothing) {
  ASSERT_TRUE(fs.AddFolder(u"C:\\Users\\Ann\\AppData"));
  const std::u16string roaming = u"C:\\Users\\Ann\\AppData\\Roaming";
  fs.FailOn(Op::CreateDirectory, roaming);
  EXPECT_EQ(file.Open(kPath, kSaveMode), 0);
  EXPECT_TRUE(fs.openCalls().empty());
  EXPECT_FALSE(fs.Exists(roaming));

  fs.ClearFailures();
  ASSERT_NE(file.Open(kPath, kSaveMode), 0);
  EXPECT_EQ(fs.createdFolders(), (std::vector<std::u16string>{
                                     u"\\\\?\\" + roaming, u"\\\\?\\" + roaming + u"\\Tarnwick"}));
  EXPECT_EQ(fs.FileBytes(kPath), kLE);
}

TEST_F(TextFileTest, CreatePathCutsTheFolderOnlyWhereAFolderCanBe) {
  // A file in the root: the folder "C:" is too short to create.
  ASSERT_NE(file.Open(u"C:\\TWK.ini", kSaveMode), 0);
  // Trailing backslashes are not the last separator.
  EXPECT_EQ(file.Open(u"C:\\a\\b\\\\", TextMode::Overwrite | TextMode::CreatePath), 0);
  EXPECT_TRUE(fs.FolderExists(u"C:\\a"));
  EXPECT_FALSE(fs.Exists(u"C:\\a\\b"));
  // A bare file name lies in the current folder; no folder of its name is made.
  EXPECT_EQ(file.Open(u"TWK.ini", kSaveMode), 0);  // the fake has no current folder
  EXPECT_EQ(fs.createdFolders(), (std::vector<std::u16string>{u"\\\\?\\C:\\a"}));
  EXPECT_EQ(fs.openCalls().size(), 3u);
}

TEST_F(TextFileTest, CreateFolderTreeCreatesTheMissingLevelsUpToOneThatFails) {
  ASSERT_TRUE(fs.AddFolder(u"C:\\Data\\Sub"));
  EXPECT_TRUE(CreateFolderTree(fs, u"c:\\data\\sub\\"));
  EXPECT_TRUE(CreateFolderTree(fs, u"\\\\?\\C:\\Data"));
  EXPECT_TRUE(fs.createdFolders().empty());
  EXPECT_TRUE(CreateFolderTree(fs, u"C:\\Data\\New\\"));

  // It stops at the first level that cannot be created.
  ASSERT_TRUE(fs.SetFile(u"C:\\a\\file", "x"));
  EXPECT_FALSE(CreateFolderTree(fs, u"C:\\a\\file\\b"));
  fs.FailOn(Op::CreateDirectory, u"C:\\x\\y");
  EXPECT_FALSE(CreateFolderTree(fs, u"C:\\x\\y\\z"));
  EXPECT_EQ(fs.createdFolders(),
            (std::vector<std::u16string>{u"\\\\?\\C:\\Data\\New", u"\\\\?\\C:\\x"}));
  EXPECT_FALSE(CreateFolderTree(fs, u"Q:\\x"));  // no such drive
}

TEST_F(TextFileTest, CreateFolderTreeOfABareDriveAsksAboutTheRootAndShortPathsFail) {
  for (const char16_t* drive : {u"C:", u"C:\\", u"c:\\\\", u"\\\\?\\C:\\"}) {
    EXPECT_TRUE(CreateFolderTree(fs, drive)) << ToUtf8(drive);
  }
  for (const char16_t* path : {u"Q:", u"Q:\\", u"", u"\\", u"C", u"ab", u"\\\\?\\", u"\\\\?\\C"}) {
    EXPECT_FALSE(CreateFolderTree(fs, path)) << ToUtf8(path);
  }
  EXPECT_TRUE(fs.createdFolders().empty());
}

TEST_F(TextFileTest, CreateFolderTreeOnANetworkShareKeepsTheTwoBackslashes) {
  fs.AddRoot(u"\\\\server\\share");
  EXPECT_TRUE(CreateFolderTree(fs, u"\\\\server\\share\\a\\b"));
  EXPECT_EQ(fs.createdFolders(),
            (std::vector<std::u16string>{u"\\\\server\\share\\a", u"\\\\server\\share\\a\\b"}));
  EXPECT_FALSE(CreateFolderTree(fs, u"\\\\other\\share\\a"));
  EXPECT_FALSE(CreateFolderTree(fs, u"\\\\server"));  // one part: nothing to build on
}

}  // namespace
}  // namespace twk::settings

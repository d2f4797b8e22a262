// The fake must answer as Windows does, or tests written against it prove
// nothing about the product: path rules, share modes and code pages.
#include "platform/fake/fake_file_system.h"

#include <gtest/gtest.h>

#include <cstring>

namespace twk::platform {
namespace {

using namespace std::string_literals;

class FakeFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.AddDrive(u'C'); }
  FakeFileSystem fs;
};

TEST_F(FakeFileSystemTest, NamesIgnoreCaseAndAcceptTheLongPathPrefix) {
  ASSERT_TRUE(fs.SetFile(u"C:\\Users\\Ann\\TWK.ini", "x"));
  EXPECT_TRUE(fs.Exists(u"c:\\USERS\\ann\\twk.INI"));
  EXPECT_TRUE(fs.Exists(u"\\\\?\\C:\\Users\\Ann\\TWK.ini"));
  EXPECT_TRUE(fs.Exists(u"C:/Users/Ann/./x/../TWK.ini"));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\c:\\users\\"));
  EXPECT_FALSE(fs.IsDirectory(u"C:\\Users\\Ann\\TWK.ini"));
  // Folding is not only ASCII: the same name in another case is the same file.
  ASSERT_TRUE(fs.SetFile(u"C:\\\u00C4rger.txt", "1"));
  EXPECT_EQ(fs.FileBytes(u"C:\\\u00E4RGER.TXT"), "1");
  // With the prefix names are taken literally: no ".." resolution.
  EXPECT_FALSE(fs.Exists(u"\\\\?\\C:\\Users\\x\\..\\Ann"));
}

TEST_F(FakeFileSystemTest, DrivesAndSharesExistOnlyOnceAdded) {
  EXPECT_TRUE(fs.IsDirectory(u"C:\\"));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\C:\\"));
  EXPECT_FALSE(fs.Exists(u"D:\\"));
  EXPECT_EQ(fs.CreateDirectory(u"D:\\x"), CreateDirResult::Failed);
  EXPECT_FALSE(fs.IsDirectory(u"\\\\srv\\share"));
  ASSERT_TRUE(fs.AddShare(u"\\\\srv\\share"));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\SRV\\Share\\"));
  EXPECT_EQ(fs.CreateDirectory(u"\\\\srv\\share\\a"), CreateDirResult::Created);
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\UNC\\srv\\share\\a"));
  EXPECT_FALSE(fs.AddShare(u"\\\\srv"));
}

TEST_F(FakeFileSystemTest, RelativeAndMalformedPathsNameNothing) {
  EXPECT_EQ(fs.Open(u"TWK.ini", true, true, Disposition::CreateAlways), 0);
  EXPECT_EQ(fs.Open(u"C:TWK.ini", true, true, Disposition::CreateAlways), 0);
  EXPECT_EQ(fs.Open(u"C:\\a?b", true, true, Disposition::CreateAlways), 0);
  EXPECT_EQ(fs.CreateDirectory(u"C:\\a|b"), CreateDirResult::Failed);
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

TEST_F(FakeFileSystemTest, IsRootLooksAtTheTextLikePathIsRootW) {
  EXPECT_TRUE(fs.IsRoot(u"C:\\"));
  EXPECT_TRUE(fs.IsRoot(u"Q:\\"));  // the text alone decides, not the drive
  EXPECT_TRUE(fs.IsRoot(u"\\"));
  EXPECT_TRUE(fs.IsRoot(u"\\\\server\\share"));
  EXPECT_TRUE(fs.IsRoot(u"\\\\server"));
  EXPECT_FALSE(fs.IsRoot(u"C:"));
  EXPECT_FALSE(fs.IsRoot(u"C:\\Windows"));
  EXPECT_FALSE(fs.IsRoot(u"\\\\server\\share\\dir"));
  EXPECT_FALSE(fs.IsRoot(u"\\\\?\\C:\\"));
  EXPECT_FALSE(fs.IsRoot(u""));
}

TEST_F(FakeFileSystemTest, CreateDirectoryNeedsItsParentAndRecordsEachFolder) {
  EXPECT_EQ(fs.CreateDirectory(u"C:\\a\\b"), CreateDirResult::Failed);
  EXPECT_EQ(fs.CreateDirectory(u"\\\\?\\C:\\a"), CreateDirResult::Created);
  EXPECT_EQ(fs.CreateDirectory(u"C:\\A\\b"), CreateDirResult::Created);
  EXPECT_EQ(fs.CreateDirectory(u"C:\\a"), CreateDirResult::AlreadyExists);
  ASSERT_TRUE(fs.SetFile(u"C:\\file", ""));
  EXPECT_EQ(fs.CreateDirectory(u"C:\\file"), CreateDirResult::AlreadyExists);
  EXPECT_EQ(fs.CreateDirectory(u"C:\\file\\sub"), CreateDirResult::Failed);
  EXPECT_EQ(fs.createdFolders(), (std::vector<std::u16string>{u"\\\\?\\C:\\a", u"C:\\A\\b"}));
}

TEST_F(FakeFileSystemTest, DispositionsCreateTruncateOrRequireTheFile) {
  EXPECT_EQ(fs.Open(u"C:\\f", false, true, Disposition::OpenExisting), 0);
  EXPECT_EQ(fs.Open(u"C:\\missing\\f", true, true, Disposition::OpenAlways), 0);
  FileHandle h = fs.Open(u"C:\\f", true, true, Disposition::OpenAlways);
  ASSERT_NE(h, 0);
  std::uint32_t n = 0;
  ASSERT_TRUE(fs.Write(h, "abc", 3, n));
  fs.Close(h);
  h = fs.Open(u"C:\\f", true, true, Disposition::OpenAlways);
  std::uint64_t size = 0;
  ASSERT_TRUE(fs.Size(h, size));
  EXPECT_EQ(size, 3u);
  fs.Close(h);
  h = fs.Open(u"C:\\f", true, true, Disposition::CreateAlways);
  ASSERT_TRUE(fs.Size(h, size));
  EXPECT_EQ(size, 0u);
  fs.Close(h);
  ASSERT_TRUE(fs.AddFolder(u"C:\\dir"));
  EXPECT_EQ(fs.Open(u"C:\\dir", false, true, Disposition::OpenExisting), 0);
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

TEST_F(FakeFileSystemTest, ShareModesDecideASecondOpen) {
  ASSERT_TRUE(fs.SetFile(u"C:\\f", "data"));
  FileHandle exclusive = fs.Open(u"C:\\f", true, false, Disposition::OpenExisting);
  ASSERT_NE(exclusive, 0);
  EXPECT_EQ(fs.Open(u"C:\\F", false, true, Disposition::OpenExisting), 0);
  EXPECT_FALSE(fs.Delete(u"C:\\f"));
  fs.Close(exclusive);

  FileHandle reader = fs.Open(u"C:\\f", false, true, Disposition::OpenExisting);
  ASSERT_NE(reader, 0);
  FileHandle second = fs.Open(u"C:\\f", false, true, Disposition::OpenExisting);
  EXPECT_NE(second, 0);                                                    // both share reading
  EXPECT_EQ(fs.Open(u"C:\\f", true, true, Disposition::OpenExisting), 0);  // writing is not shared
  EXPECT_EQ(fs.Open(u"C:\\f", false, false, Disposition::OpenExisting),
            0);  // nor can it exclude them
  fs.Close(second);
  fs.Close(reader);
  EXPECT_EQ(fs.openHandleCount(), 0u);
  ASSERT_EQ(fs.openCalls().size(), 6u);
  EXPECT_FALSE(fs.openCalls()[0].shareRead);
  EXPECT_EQ(fs.openCalls()[4].result, 0);
}

TEST_F(FakeFileSystemTest, ReadWriteSeekFollowThePosition) {
  FileHandle h = fs.Open(u"C:\\f", true, false, Disposition::CreateAlways);
  std::uint32_t n = 0;
  ASSERT_TRUE(fs.Write(h, "hello", 5, n));
  ASSERT_TRUE(fs.Seek(h, 1, SeekOrigin::Begin));
  ASSERT_TRUE(fs.Write(h, "EL", 2, n));
  ASSERT_TRUE(fs.Seek(h, 2, SeekOrigin::End));
  ASSERT_TRUE(fs.Write(h, "!", 1, n));  // past the end: the gap reads as zeros
  EXPECT_FALSE(fs.Seek(h, -1, SeekOrigin::Begin));
  ASSERT_TRUE(fs.Seek(h, -3, SeekOrigin::Current));
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(fs.Read(h, buffer, 8, n));
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(std::string(buffer, 3), "\0\0!"s);
  ASSERT_TRUE(fs.Read(h, buffer, 8, n));
  EXPECT_EQ(n, 0u);  // at the end: success with nothing
  EXPECT_TRUE(fs.Flush(h));
  fs.Close(h);
  EXPECT_EQ(fs.FileBytes(u"C:\\f"), "hELlo\0\0!"s);

  h = fs.Open(u"C:\\f", false, true, Disposition::OpenExisting);
  EXPECT_FALSE(fs.Write(h, "x", 1, n));  // opened for reading only
  EXPECT_FALSE(fs.Flush(h));
  fs.Close(h);
  EXPECT_FALSE(fs.Read(h, buffer, 1, n));  // a closed handle is no handle
}

TEST_F(FakeFileSystemTest, ReplaceWithMovesOverTheTargetUnlessEitherIsOpen) {
  ASSERT_TRUE(fs.SetFile(u"C:\\d\\TWK.ini", "old"));
  ASSERT_TRUE(fs.SetFile(u"C:\\d\\TWK.ini.tmp", "new"));
  FileHandle h = fs.Open(u"C:\\d\\TWK.ini", false, true, Disposition::OpenExisting);
  EXPECT_FALSE(fs.ReplaceWith(u"C:\\d\\TWK.ini.tmp", u"C:\\d\\TWK.ini"));
  fs.Close(h);
  ASSERT_TRUE(fs.ReplaceWith(u"C:\\d\\TWK.ini.tmp", u"C:\\d\\TWK.ini"));
  EXPECT_EQ(fs.FileBytes(u"C:\\d\\TWK.ini"), "new");
  EXPECT_FALSE(fs.Exists(u"C:\\d\\TWK.ini.tmp"));
  EXPECT_FALSE(fs.ReplaceWith(u"C:\\d\\TWK.ini.tmp", u"C:\\d\\TWK.ini"));  // source gone
  EXPECT_FALSE(fs.ReplaceWith(u"C:\\d\\TWK.ini", u"C:\\nowhere\\TWK.ini"));
  EXPECT_TRUE(fs.Delete(u"C:\\d\\TWK.ini"));
  EXPECT_FALSE(fs.Delete(u"C:\\d"));  // folders are not files
}

TEST_F(FakeFileSystemTest, InjectedFailuresHitTheChosenCallsOnly) {
  fs.FailNext(FakeFileSystem::Op::Write, 2);
  FileHandle h = fs.Open(u"C:\\f", true, false, Disposition::CreateAlways);
  std::uint32_t n = 7;
  EXPECT_FALSE(fs.Write(h, "a", 1, n));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(fs.Write(h, "a", 1, n));
  EXPECT_TRUE(fs.Write(h, "a", 1, n));

  fs.LimitWrites(2);
  EXPECT_FALSE(fs.Write(h, "bcd", 3, n));  // the disk fills up half-way
  EXPECT_EQ(n, 2u);
  fs.Close(h);
  EXPECT_EQ(fs.FileBytes(u"C:\\f"), "abc");

  fs.ClearFailures();
  fs.FailOn(FakeFileSystem::Op::CreateDirectory, u"c:\\A\\B");
  EXPECT_EQ(fs.CreateDirectory(u"C:\\a"), CreateDirResult::Created);
  EXPECT_EQ(fs.CreateDirectory(u"\\\\?\\C:\\a\\b"), CreateDirResult::Failed);
  fs.FailNext(FakeFileSystem::Op::ReplaceWith);
  ASSERT_TRUE(fs.SetFile(u"C:\\g", "g"));
  EXPECT_FALSE(fs.ReplaceWith(u"C:\\g", u"C:\\f"));
  EXPECT_TRUE(fs.ReplaceWith(u"C:\\g", u"C:\\f"));
  fs.FailOn(FakeFileSystem::Op::Open, u"C:\\f");
  EXPECT_EQ(fs.Open(u"C:\\F", false, true, Disposition::OpenExisting), 0);
}

TEST_F(FakeFileSystemTest, ReportedSizeStandsInForAHugeFile) {
  ASSERT_TRUE(fs.SetFile(u"C:\\big", "ab"));
  fs.SetReportedSize(u"C:\\big", 0x1'0000'0000ull);
  FileHandle h = fs.Open(u"C:\\big", false, true, Disposition::OpenExisting);
  std::uint64_t size = 0;
  ASSERT_TRUE(fs.Size(h, size));
  EXPECT_EQ(size, 0x1'0000'0000ull);
  fs.Close(h);
}

std::u16string Decode(FakeFileSystem& fs, std::uint32_t cp, const std::string& bytes) {
  std::u16string out = u"sentinel";
  EXPECT_TRUE(fs.ToUtf16(cp, bytes.data(), bytes.size(), out));
  return out;
}

std::string Encode(FakeFileSystem& fs, std::uint32_t cp, const std::u16string& text) {
  std::string out = "sentinel";
  EXPECT_TRUE(fs.FromUtf16(cp, text, out));
  return out;
}

TEST_F(FakeFileSystemTest, Utf8DecodingReplacesEachBrokenSequenceOnce) {
  EXPECT_EQ(Decode(fs, 65001, "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), u"A\u00E4\u20AC\U0001F600");
  EXPECT_EQ(Decode(fs, 65001, ""), u"");
  EXPECT_EQ(Decode(fs, 65001, "\xC0\x80"), u"\uFFFD\uFFFD");            // overlong NUL
  EXPECT_EQ(Decode(fs, 65001, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Decode(fs, 65001,
                   "\xE2\x82"
                   "A"),
            u"\uFFFDA");  // cut short, then ASCII
  EXPECT_EQ(Decode(fs, 65001, "\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // > U+10FFFF
  EXPECT_EQ(Decode(fs, 65001,
                   "\x80"
                   "b\xFF"),
            u"\uFFFDb\uFFFD");
}

TEST_F(FakeFileSystemTest, Utf8EncodingReplacesUnpairedSurrogates) {
  EXPECT_EQ(Encode(fs, 65001, u"A\u00E4\u20AC\U0001F600"), "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Encode(fs, 65001, std::u16string{u'a', char16_t(0xD800), u'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Encode(fs, 65001, std::u16string{char16_t(0xDC00), char16_t(0xD800)}),
            "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(FakeFileSystemTest, AnsiIsWindows1252BothWays) {
  EXPECT_EQ(Decode(fs, 0, "\x80\x81\x9F\xE4z"), u"\u20AC\u0081\u0178\u00E4z");
  EXPECT_EQ(Encode(fs, 0, u"\u20AC\u0081\u0178\u00E4z"), "\x80\x81\x9F\xE4z");
  EXPECT_EQ(Encode(fs, 0, u"\u4E2D\u0080"), "??");  // not in the code page
  std::u16string out;
  EXPECT_FALSE(fs.ToUtf16(932, "a", 1, out));  // code pages the fake does not know
}

}  // namespace
}  // namespace twk::platform

// The fake must answer as Windows does where the settings store relies on
// it, or tests written against it prove nothing about the product: path
// rules, dispositions, share modes, and the failures tests inject.
#include "platform/fake/fake_file_system.h"

#include <gtest/gtest.h>

namespace twk::platform {
namespace {

class FakeFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.AddDrive(u'C'); }
  FakeFileSystem fs;
};

TEST_F(FakeFileSystemTest, NamesIgnoreCaseAndAcceptTheLongPathPrefix) {
  ASSERT_TRUE(fs.SetFile(u"C:\\Users\\Ann\\TWK.ini", "x"));
  EXPECT_TRUE(fs.Exists(u"c:\\USERS\\ann\\twk.INI"));
  EXPECT_TRUE(fs.Exists(u"\\\\?\\C:\\Users\\Ann\\TWK.ini"));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\c:\\users\\"));
  EXPECT_FALSE(fs.IsDirectory(u"C:\\Users\\Ann\\TWK.ini"));
  // Folding is not only ASCII: the same name in another case is the same file.
  ASSERT_TRUE(fs.SetFile(u"C:\\\u00C4rger.txt", "1"));
  EXPECT_EQ(fs.FileBytes(u"C:\\\u00E4RGER.TXT"), "1");
  // A relative name lies in a current folder, which the fake does not have.
  EXPECT_EQ(fs.Open(u"TWK.ini", true, true, Disposition::CreateAlways), 0);
}

TEST_F(FakeFileSystemTest, RootsExistOnlyOnceAdded) {
  EXPECT_TRUE(fs.IsDirectory(u"C:\\"));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\C:\\"));
  EXPECT_FALSE(fs.Exists(u"D:\\"));
  EXPECT_EQ(fs.CreateDirectory(u"D:\\x"), CreateDirResult::Failed);
  EXPECT_FALSE(fs.SetFile(u"D:\\x\\f", ""));
  EXPECT_FALSE(fs.IsDirectory(u"\\\\srv\\share"));
  fs.AddRoot(u"\\\\srv\\share");
  EXPECT_TRUE(fs.IsDirectory(u"\\\\SRV\\Share\\"));
  EXPECT_FALSE(fs.IsDirectory(u"\\\\srv"));  // a server is no folder
  EXPECT_EQ(fs.CreateDirectory(u"\\\\srv\\share\\a"), CreateDirResult::Created);
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\UNC\\srv\\share\\a"));
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

}  // namespace
}  // namespace twk::platform

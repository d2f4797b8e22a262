// The Win32 file system adapter on real files in a folder of its own under
// %TEMP%, removed again afterwards. One behaviour per test; error codes are
// checked against a 0xdeadbeef sentinel and buffers are pre-filled, so a
// call that quietly does nothing cannot pass.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/fake/fake_file_system.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_file_system_test_util.h"

namespace twk::platform::win32 {
namespace {

using test::TempFolder;

constexpr DWORD kSentinel = 0xdeadbeef;

class WinFileSystemTest : public ::testing::Test {
 protected:
  TempFolder temp;
  WinFileSystem fs;
};

// A missing file is not found; an exclusive open shuts out every other,
// readers that share reading shut out only a writer. The reason stays with
// the answer: a held file is never taken for a missing one.
TEST_F(WinFileSystemTest, OpensFailWithTheSystemsReasonAndShareAsAsked) {
  SetLastError(kSentinel);
  auto missing = fs.Open(temp.Path(u"missing.ini"), false, true, Disposition::OpenExisting);
  EXPECT_EQ(missing.status(), Status::NotFound);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << GetLastError();
  EXPECT_EQ(
      fs.Open(temp.Path(u"no\\such\\folder.ini"), false, true, Disposition::OpenExisting).status(),
      Status::NotFound);
  EXPECT_EQ(fs.openFileCount(), 0u);

  const auto path = temp.Path(u"locked.ini");
  FileHandle first = fs.Open(path, true, false, Disposition::CreateAlways).value_or(0);
  ASSERT_NE(first, 0);
  ASSERT_NE(first, -1);
  SetLastError(kSentinel);
  EXPECT_EQ(fs.Open(path, false, true, Disposition::OpenExisting).status(), Status::Denied);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << GetLastError();
  fs.Close(first);

  FileHandle a = fs.Open(path, false, true, Disposition::OpenExisting).value_or(0);
  FileHandle b = fs.Open(path, false, true, Disposition::OpenExisting).value_or(0);
  EXPECT_NE(a, 0);
  EXPECT_NE(b, 0);
  SetLastError(kSentinel);
  // Writing is not shared.
  EXPECT_EQ(fs.Open(path, true, true, Disposition::OpenExisting).status(), Status::Denied);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << GetLastError();
  fs.Close(a);
  fs.Close(b);
}

TEST_F(WinFileSystemTest, WriteSeekReadAndSizeFollowThePosition) {
  // The old content goes: the size after the write is only what was written.
  ASSERT_TRUE(test::WriteBytes(temp.Path(u"data.bin"), "old content"));
  FileHandle h =
      fs.Open(temp.Path(u"data.bin"), true, false, Disposition::CreateAlways).value_or(0);
  ASSERT_NE(h, 0);
  std::uint32_t n = 0xCCCC;
  ASSERT_TRUE(fs.Write(h, "hello", 5, n));
  EXPECT_EQ(n, 5u);
  std::uint64_t size = 0xCCCC;
  ASSERT_TRUE(fs.Size(h, size));
  EXPECT_EQ(size, 5u);
  ASSERT_TRUE(fs.Seek(h, -4, SeekOrigin::End));
  char buffer[8];
  std::memset(buffer, 0xCC, sizeof buffer);
  ASSERT_TRUE(fs.Read(h, buffer, sizeof buffer, n));
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buffer, 4), "ello");
  EXPECT_EQ(static_cast<unsigned char>(buffer[4]), 0xCC);
  ASSERT_TRUE(fs.Read(h, buffer, sizeof buffer, n));
  EXPECT_EQ(n, 0u);  // at the end: success, nothing read
  EXPECT_TRUE(fs.Flush(h));
  SetLastError(kSentinel);
  EXPECT_FALSE(fs.Seek(h, -1, SeekOrigin::Begin));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK)) << GetLastError();
  fs.Close(h);
}

TEST_F(WinFileSystemTest, FileOpenedForReadingCanBeNeitherWrittenNorFlushed) {
  const auto path = temp.Path(u"read-only.ini");
  ASSERT_TRUE(test::WriteBytes(path, "abc"));
  FileHandle h = fs.Open(path, false, true, Disposition::OpenExisting).value_or(0);
  ASSERT_NE(h, 0);
  std::uint32_t n = 0xCCCC;
  SetLastError(kSentinel);
  EXPECT_FALSE(fs.Write(h, "x", 1, n));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << GetLastError();
  EXPECT_EQ(n, 0u);
  SetLastError(kSentinel);
  EXPECT_FALSE(fs.Flush(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << GetLastError();
  fs.Close(h);
  EXPECT_EQ(test::ReadBytes(path), "abc");
}

TEST_F(WinFileSystemTest, HandlesItDidNotHandOutAreRefused) {
  std::uint32_t n = 0xCCCC;
  char byte = 0;
  EXPECT_FALSE(fs.Read(0x1234, &byte, 1, n));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(fs.Write(0, "x", 1, n));
  EXPECT_FALSE(fs.Flush(-1));
  FileHandle h =
      fs.Open(temp.Path(u"closed.bin"), true, false, Disposition::CreateAlways).value_or(0);
  fs.Close(h);
  EXPECT_FALSE(fs.Write(h, "x", 1, n));  // closed: no longer ours
}

TEST_F(WinFileSystemTest, FilesStillOpenAreClosedWithTheAdapter) {
  const auto path = temp.Path(u"left-open.ini");
  {
    WinFileSystem other;
    ASSERT_TRUE(other.Open(path, true, false, Disposition::CreateAlways).ok());
  }
  FileHandle h = fs.Open(path, true, false, Disposition::OpenExisting).value_or(0);
  EXPECT_NE(h, 0);
  fs.Close(h);
}

TEST_F(WinFileSystemTest, FoldersAreCreatedOnceAndToldFromFiles) {
  const auto folder = temp.Path(u"made");
  EXPECT_EQ(fs.CreateDirectory(folder), CreateDirResult::Created);
  EXPECT_TRUE(fs.IsDirectory(folder));
  EXPECT_EQ(fs.CreateDirectory(folder), CreateDirResult::AlreadyExists);
  SetLastError(kSentinel);
  EXPECT_EQ(fs.CreateDirectory(temp.Path(u"missing\\child")), CreateDirResult::Failed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND)) << GetLastError();

  const auto file = temp.Path(u"plain.txt");
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  EXPECT_TRUE(fs.Exists(file));
  EXPECT_FALSE(fs.IsDirectory(file));
  EXPECT_FALSE(fs.Exists(temp.Path(u"nothing")));
  EXPECT_TRUE(fs.IsDirectory(u"\\\\?\\" + temp.Path(u"")));
}

TEST_F(WinFileSystemTest, ReplaceWithReplacesAnExistingFileOrKeepsIt) {
  const auto source = temp.Path(u"TWK.ini.tmp");
  const auto target = temp.Path(u"TWK.ini");
  ASSERT_TRUE(test::WriteBytes(source, "new"));
  ASSERT_TRUE(test::WriteBytes(target, "old and longer"));
  ASSERT_TRUE(fs.ReplaceWith(source, target));
  EXPECT_EQ(test::ReadBytes(target), "new");
  EXPECT_EQ(test::ReadBytes(source), "<missing>");
  // A missing source fails and leaves the target.
  SetLastError(kSentinel);
  EXPECT_FALSE(fs.ReplaceWith(source, target));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << GetLastError();
  EXPECT_EQ(test::ReadBytes(target), "new");
}

TEST_F(WinFileSystemTest, DeleteRemovesFilesOnly) {
  const auto file = temp.Path(u"gone.txt");
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  EXPECT_TRUE(fs.Delete(file));
  EXPECT_FALSE(fs.Exists(file));
  EXPECT_FALSE(fs.Delete(file));
  ASSERT_EQ(fs.CreateDirectory(temp.Path(u"folder")), CreateDirResult::Created);
  EXPECT_FALSE(fs.Delete(temp.Path(u"folder")));
}

// ---- a folder's files ----------------------------------------------------------

std::vector<std::u16string> Sorted(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Only what the folder itself holds as files: not "." and "..", not a
// subfolder nor what is in it, not desktop.ini (hidden and system); a file
// that is only hidden is still listed. The same list comes back for the
// folder written with a closing separator and under the long-path prefix.
TEST_F(WinFileSystemTest, AFolderListsItsOwnFilesButNotWhatWindowsHides) {
  const std::u16string folder = temp.Path(u"Startup");
  ASSERT_EQ(fs.CreateDirectory(folder), CreateDirResult::Created);
  ASSERT_TRUE(test::WriteBytes(folder + u"\\Tarnwick.lnk", "x"));
  ASSERT_TRUE(test::WriteBytes(folder + u"\\Notes About It.TXT", "x"));
  ASSERT_TRUE(test::WriteBytes(folder + u"\\hidden only.cmd", "x"));
  ASSERT_TRUE(test::WriteBytes(folder + u"\\desktop.ini", "[.ShellClassInfo]"));
  ASSERT_EQ(fs.CreateDirectory(folder + u"\\Sub"), CreateDirResult::Created);
  ASSERT_TRUE(test::WriteBytes(folder + u"\\Sub\\inner.lnk", "x"));
  const std::u16string ini = folder + u"\\desktop.ini";
  ASSERT_TRUE(SetFileAttributesW(Wide(ini), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW(Wide(folder + u"\\hidden only.cmd"), FILE_ATTRIBUTE_HIDDEN));
  // The system has to keep the attributes for the test to mean anything.
  constexpr DWORD kBoth = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_EQ(GetFileAttributesW(Wide(ini)) & kBoth, kBoth);

  const std::vector<std::u16string> expected = {u"Notes About It.TXT", u"Tarnwick.lnk",
                                                u"hidden only.cmd"};
  for (const std::u16string& path : {folder, folder + u"\\", u"\\\\?\\" + folder}) {
    const auto files = fs.FolderFiles(path);
    ASSERT_TRUE(files.ok()) << ToUtf8(path) << " " << static_cast<int>(files.status());
    EXPECT_EQ(Sorted(files.value()), expected) << ToUtf8(path);
  }
}

// No folder is NotFound, whether it, its parent, or a file stands where it
// should be; a folder with nothing in it is an empty list, not a failure.
TEST_F(WinFileSystemTest, AMissingFolderIsNotFoundAndAnEmptyOneHasNoFiles) {
  EXPECT_EQ(fs.FolderFiles(temp.Path(u"missing")).status(), Status::NotFound);
  EXPECT_EQ(fs.FolderFiles(temp.Path(u"missing\\child")).status(), Status::NotFound);
  ASSERT_TRUE(test::WriteBytes(temp.Path(u"plain.txt"), "x"));
  EXPECT_EQ(fs.FolderFiles(temp.Path(u"plain.txt")).status(), Status::NotFound);

  ASSERT_EQ(fs.CreateDirectory(temp.Path(u"empty")), CreateDirResult::Created);
  ASSERT_EQ(fs.CreateDirectory(temp.Path(u"empty\\only a folder")), CreateDirResult::Created);
  const auto files = fs.FolderFiles(temp.Path(u"empty"));
  ASSERT_TRUE(files.ok()) << static_cast<int>(files.status());
  EXPECT_TRUE(files.value().empty()) << ToUtf8(files.value().front());
}

// ---- the fake answers as the system does -------------------------------------

TEST_F(WinFileSystemTest, PathIsRootAnswersAsTheFakeModelsIt) {
  FakeFileSystem fake;
  for (const char16_t* path :
       {u"C:\\", u"Q:\\", u"C:", u"\\", u"\\\\server\\share", u"\\\\server",
        u"\\\\server\\share\\dir", u"\\\\?\\C:\\", u"\\\\?\\C:", u"C:\\Windows", u""}) {
    EXPECT_EQ(fs.IsRoot(path), fake.IsRoot(path)) << ToUtf8(path);
  }
}

}  // namespace
}  // namespace twk::platform::win32

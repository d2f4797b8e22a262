#pragma once
// An in-memory file system: a map from path to file or folder, with the
// Windows path rules the settings store meets (names compared ignoring case,
// the \\?\ long-path prefix, drive and share roots that exist once added,
// share modes of open files). Tests preload files as bytes, read them back,
// see which folders were created and in which order, and make chosen
// operations fail to drive the error paths (a save that breaks half-way).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace twk::platform {

class FakeFileSystem final : public FileSystem {
 public:
  // Operations whose failure a test can ask for.
  enum class Op { Open, Read, Write, Size, Seek, Flush, CreateDirectory, ReplaceWith, Delete };

  struct OpenCall {
    std::u16string path;
    bool write;
    bool shareRead;
    Disposition disposition;
    FileHandle result;  // 0 when the open failed
  };

  // ---- test controls -------------------------------------------------------
  // A root: a drive "X:" or a share "\\server\share". There are none at first.
  void AddDrive(char16_t letter) { AddRoot(std::u16string{letter, u':'}); }
  void AddRoot(const std::u16string& root);
  // With its missing parents, below a root that exists; not recorded.
  bool AddFolder(const std::u16string& path);
  bool SetFile(const std::u16string& path, std::string bytes);  // creates missing parents
  [[nodiscard]] std::optional<std::string> FileBytes(const std::u16string& path) const;
  [[nodiscard]] bool FileExists(const std::u16string& path) const;
  [[nodiscard]] bool FolderExists(const std::u16string& path) const;
  // Size() of this file answers the given value whatever its content holds:
  // lets a test present a file too large to read without allocating it.
  void SetReportedSize(const std::u16string& path, std::uint64_t size);

  // Paths passed to successful CreateDirectory calls, as passed, in order.
  const std::vector<std::u16string>& createdFolders() const { return createdFolders_; }
  const std::vector<OpenCall>& openCalls() const { return openCalls_; }
  std::size_t openHandleCount() const { return handles_.size(); }

  // The next `count` calls of op fail (counted across all paths).
  void FailNext(Op op, int count = 1) { failNext_[op] = count; }
  // Every call of op that names this path (for Write/Read/... the path of the
  // open file; for ReplaceWith either side) fails until ClearFailures.
  void FailOn(Op op, const std::u16string& path) { failOn_.emplace_back(op, Key(path)); }
  // Disk space: writes beyond this many further bytes write what fits and fail.
  void LimitWrites(std::uint64_t bytes) { writeBudget_ = bytes; }
  void ClearFailures();

  // ---- FileSystem ----------------------------------------------------------
  [[nodiscard]] Answer<FileHandle> Open(const std::u16string& path, bool write, bool shareRead,
                                        Disposition disposition) override;
  void Close(FileHandle file) override { handles_.erase(file); }
  [[nodiscard]] bool Read(FileHandle file, void* buffer, std::uint32_t size,
                          std::uint32_t& read) override;
  [[nodiscard]] bool Write(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t& written) override;
  [[nodiscard]] bool Size(FileHandle file, std::uint64_t& size) override;
  [[nodiscard]] bool Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) override;
  [[nodiscard]] bool Flush(FileHandle file) override;
  [[nodiscard]] bool IsDirectory(const std::u16string& path) override { return FolderExists(path); }
  [[nodiscard]] bool Exists(const std::u16string& path) override {
    return entries_.count(Key(path)) != 0;
  }
  [[nodiscard]] bool IsRoot(const std::u16string& path) override;
  [[nodiscard]] CreateDirResult CreateDirectory(const std::u16string& path) override;
  [[nodiscard]] bool ReplaceWith(const std::u16string& source,
                                 const std::u16string& target) override;
  bool Delete(const std::u16string& path) override;
  [[nodiscard]] Answer<std::vector<std::u16string>> FolderFiles(
      const std::u16string& folder) override;

 private:
  struct Entry {
    bool folder = false;
    std::string bytes;
    std::optional<std::uint64_t> reportedSize;
    std::u16string name;  // as SetFile was given it; empty: the key's own
    std::uint64_t Size() const { return reportedSize ? *reportedSize : bytes.size(); }
  };
  struct OpenFile {
    std::u16string key;
    bool write;
    bool shareRead;
    std::uint64_t position = 0;
  };

  // The path as the map knows it: without the long-path prefix and trailing
  // backslashes, folded to one case.
  static std::u16string Key(const std::u16string& path);
  static std::optional<std::u16string> ParentKey(const std::u16string& key);
  const Entry* Find(const std::u16string& key) const;
  bool IsFolderKey(const std::u16string& key) const;
  bool InUse(const std::u16string& key) const;
  bool ShouldFail(Op op, const std::u16string& key);
  OpenFile* Handle(FileHandle file);

  std::map<std::u16string, Entry> entries_;  // by key
  std::map<FileHandle, OpenFile> handles_;
  FileHandle nextHandle_ = 0x100;
  std::vector<std::u16string> createdFolders_;
  std::vector<OpenCall> openCalls_;
  std::map<Op, int> failNext_;
  std::vector<std::pair<Op, std::u16string>> failOn_;  // keys
  std::optional<std::uint64_t> writeBudget_;
};

}  // namespace twk::platform

#pragma once
// An in-memory file system with the Windows path rules the settings store
// meets: case-insensitive names, drive roots that exist once their drive is
// added, UNC shares, the \\?\ long-path prefix, share modes of open files.
// Everything is deterministic; tests preload files as raw bytes, read them
// back, see which folders were created and in which order, and make chosen
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

  FakeFileSystem() = default;  // no drives: add the ones a test needs

  // ---- test controls -------------------------------------------------------
  void AddDrive(char16_t letter);                // makes "X:\" exist
  bool AddShare(const std::u16string& uncRoot);  // "\\server\share"
  bool AddFolder(const std::u16string& path);    // with missing parents, not recorded
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
  void FailNext(Op op, int count = 1);
  // Every call of op that names this path (for Write/Read/... the path of the
  // open file; for ReplaceWith either side) fails until ClearFailures.
  void FailOn(Op op, const std::u16string& path);
  // Disk space: writes beyond this many further bytes write what fits and fail.
  void LimitWrites(std::uint64_t bytes) { writeBudget_ = bytes; }
  void ClearFailures();

  // ---- FileSystem ----------------------------------------------------------
  [[nodiscard]] FileHandle Open(const std::u16string& path, bool write, bool shareRead,
                                Disposition disposition) override;
  void Close(FileHandle file) override;
  [[nodiscard]] bool Read(FileHandle file, void* buffer, std::uint32_t size,
                          std::uint32_t& read) override;
  [[nodiscard]] bool Write(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t& written) override;
  [[nodiscard]] bool Size(FileHandle file, std::uint64_t& size) override;
  [[nodiscard]] bool Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) override;
  [[nodiscard]] bool Flush(FileHandle file) override;
  [[nodiscard]] bool IsDirectory(const std::u16string& path) override;
  [[nodiscard]] bool Exists(const std::u16string& path) override;
  [[nodiscard]] bool IsRoot(const std::u16string& path) override;
  [[nodiscard]] CreateDirResult CreateDirectory(const std::u16string& path) override;
  [[nodiscard]] bool ReplaceWith(const std::u16string& source,
                                 const std::u16string& target) override;
  bool Delete(const std::u16string& path) override;
  // Code page 65001 is UTF-8 (invalid input becomes U+FFFD, as Windows does);
  // code page 0 and 1252 are Windows-1252, the ANSI code page of a Western
  // system (characters it lacks become "?": Windows' best-fit table is not modelled).
  [[nodiscard]] bool ToUtf16(std::uint32_t codePage, const char* bytes, std::size_t size,
                             std::u16string& out) override;
  [[nodiscard]] bool FromUtf16(std::uint32_t codePage, const std::u16string& text,
                               std::string& out) override;

 private:
  struct Node {
    std::u16string path;  // canonical, as first created
    bool directory = false;
    std::string bytes;
    std::optional<std::uint64_t> reportedSize;
  };
  struct OpenFile {
    std::u16string key;
    bool write;
    bool shareRead;
    std::uint64_t position = 0;
  };
  struct Parsed {
    std::u16string root;                // "C:" or "\\server\share"
    std::vector<std::u16string> parts;  // names below the root
    std::u16string Canonical(std::size_t count) const;
    std::u16string Canonical() const { return Canonical(parts.size()); }
  };

  static std::optional<Parsed> Parse(const std::u16string& path);
  static std::u16string Key(const std::u16string& canonical);
  Node* Find(const std::u16string& path);
  const Node* Find(const std::u16string& path) const;
  Node* ParentOf(const Parsed& parsed);
  bool InUse(const std::u16string& key) const;
  bool ShouldFail(Op op, const std::u16string& key);
  OpenFile* Handle(FileHandle file);
  bool MakeFolders(const Parsed& parsed, std::size_t count);

  std::map<std::u16string, Node> nodes_;  // by folded canonical path
  std::map<FileHandle, OpenFile> handles_;
  FileHandle nextHandle_ = 0x100;
  std::vector<std::u16string> createdFolders_;
  std::vector<OpenCall> openCalls_;
  std::map<Op, int> failNext_;
  std::vector<std::pair<Op, std::u16string>> failOn_;  // keys
  std::optional<std::uint64_t> writeBudget_;
};

}  // namespace twk::platform

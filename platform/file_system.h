#pragma once
// What the settings store needs of the file system: files and folders, whose
// content is bytes. Text and its encodings are the business of the callers
// (base/text_codec.h, platform/code_page.h). The Win32 adapter calls
// CreateFileW and friends exactly; the fake is an in-memory map with Windows
// path rules (case-insensitive names, drive roots, the \\?\ long-path prefix).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

// <windows.h> renames CreateDirectory to CreateDirectoryW by macro; the
// port's operation keeps its own name in every translation unit.
#ifdef CreateDirectory
#undef CreateDirectory
#endif

namespace twk::platform {

using FileHandle = std::intptr_t;  // 0 = no file (the adapters never hand out 0 or -1)

// The CreateFileW dispositions, by their values. CreateNew fails when the
// file already exists.
enum class Disposition : std::uint32_t {
  CreateNew = 1,
  CreateAlways = 2,
  OpenExisting = 3,
  OpenAlways = 4
};
enum class SeekOrigin : std::uint32_t { Begin = 0, Current = 1, End = 2 };
enum class CreateDirResult { Created, AlreadyExists, Failed };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // CreateFileW with read (or read+write) access, share read (or none).
  // NotFound when the file (or a folder on its path) is not there, Denied
  // when it is there but held by another program without sharing, or this
  // account may not open it; so a file that cannot be read is never taken
  // for one that does not exist.
  [[nodiscard]] virtual Answer<FileHandle> Open(const std::u16string& path, bool write,
                                                bool shareRead, Disposition disposition) = 0;
  virtual void Close(FileHandle file) = 0;
  [[nodiscard]] virtual bool Read(FileHandle file, void* buffer, std::uint32_t size,
                                  std::uint32_t& read) = 0;
  [[nodiscard]] virtual bool Write(FileHandle file, const void* data, std::uint32_t size,
                                   std::uint32_t& written) = 0;
  [[nodiscard]] virtual bool Size(FileHandle file, std::uint64_t& size) = 0;
  [[nodiscard]] virtual bool Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) = 0;
  // Pushes written data to the disk (FlushFileBuffers).
  [[nodiscard]] virtual bool Flush(FileHandle file) = 0;

  [[nodiscard]] virtual bool IsDirectory(const std::u16string& path) = 0;  // PathIsDirectoryW
  [[nodiscard]] virtual bool Exists(const std::u16string& path) = 0;       // PathFileExistsW
  [[nodiscard]] virtual bool IsRoot(const std::u16string& path) = 0;       // PathIsRootW
  [[nodiscard]] virtual CreateDirResult CreateDirectory(const std::u16string& path) = 0;
  // Replaces target by source in one step, through to the disk
  // (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
  [[nodiscard]] virtual bool ReplaceWith(const std::u16string& source,
                                         const std::u16string& target) = 0;
  virtual bool Delete(const std::u16string& path) = 0;
  // The names of the files directly in a folder (FindFirstFileExW), as
  // written, without its subfolders and without the files Windows itself
  // hides (hidden and system, such as desktop.ini). NotFound when there is
  // no such folder, Denied when it may not be read.
  [[nodiscard]] virtual Answer<std::vector<std::u16string>> FolderFiles(
      const std::u16string& folder) = 0;
};

}  // namespace twk::platform

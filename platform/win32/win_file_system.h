#pragma once
// The file system port over the Win32 file and path calls.
#include <map>

#include "platform/file_system.h"
#include "platform/win32/handles.h"

#ifdef CreateDirectory  // <windows.h>'s macro would rename the override below
#undef CreateDirectory
#endif

namespace twk::platform::win32 {

class WinFileSystem final : public FileSystem {
 public:
  WinFileSystem() = default;
  // Files still open when the adapter goes are closed with it.
  ~WinFileSystem() override = default;
  WinFileSystem(const WinFileSystem&) = delete;
  WinFileSystem& operator=(const WinFileSystem&) = delete;

  [[nodiscard]] Answer<FileHandle> Open(const std::u16string& path, bool write, bool shareRead,
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
  [[nodiscard]] Answer<std::vector<std::u16string>> FolderFiles(
      const std::u16string& folder) override;

  std::size_t openFileCount() const { return files_.size(); }

 private:
  HANDLE Find(FileHandle file) const;

  // Every handle handed out, so that a stale or foreign value is refused
  // instead of reaching the system, and nothing leaks past the adapter.
  std::map<FileHandle, UniqueFile> files_;
};

}  // namespace twk::platform::win32

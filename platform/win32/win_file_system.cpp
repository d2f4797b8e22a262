#include "platform/win32/win_file_system.h"

#include <shlwapi.h>
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win_error.h"

namespace twk::platform::win32 {
namespace {

FileHandle ToFileHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// What Explorer leaves out unless told to show protected system files:
// hidden and system both (desktop.ini), not either alone.
bool HiddenBySystem(DWORD attributes) {
  constexpr DWORD kBoth = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (attributes & kBoth) == kBoth;
}

}  // namespace

HANDLE WinFileSystem::Find(FileHandle file) const {
  auto it = files_.find(file);
  return it == files_.end() ? nullptr : it->second.get();
}

Answer<FileHandle> WinFileSystem::Open(const std::u16string& path, bool write, bool shareRead,
                                       Disposition disposition) {
  const DWORD access = write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  UniqueFile file(CreateFileW(Wide(path), access, shareRead ? FILE_SHARE_READ : 0, nullptr,
                              static_cast<DWORD>(disposition), 0, nullptr));
  if (!file) return win32::StatusFromError(win32::LastError());
  const FileHandle handle = ToFileHandle(file.get());
  files_[handle] = std::move(file);
  return handle;
}

void WinFileSystem::Close(FileHandle file) { files_.erase(file); }

bool WinFileSystem::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t& read) {
  read = 0;
  HANDLE handle = Find(file);
  DWORD got = 0;
  if (!handle || !ReadFile(handle, buffer, size, &got, nullptr)) return false;
  read = got;
  return true;
}

bool WinFileSystem::Write(FileHandle file, const void* data, std::uint32_t size,
                          std::uint32_t& written) {
  written = 0;
  HANDLE handle = Find(file);
  DWORD put = 0;
  const BOOL ok = handle && WriteFile(handle, data, size, &put, nullptr);
  written = put;  // a failed write may still have written part of the data
  return ok != FALSE;
}

bool WinFileSystem::Size(FileHandle file, std::uint64_t& size) {
  size = 0;
  HANDLE handle = Find(file);
  LARGE_INTEGER value{};
  if (!handle || !GetFileSizeEx(handle, &value)) return false;
  size = static_cast<std::uint64_t>(value.QuadPart);
  return true;
}

bool WinFileSystem::Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) {
  HANDLE handle = Find(file);
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  // SeekOrigin has the values of FILE_BEGIN, FILE_CURRENT and FILE_END.
  return handle && SetFilePointerEx(handle, distance, nullptr, static_cast<DWORD>(origin));
}

bool WinFileSystem::Flush(FileHandle file) {
  HANDLE handle = Find(file);
  return handle && FlushFileBuffers(handle);
}

bool WinFileSystem::IsDirectory(const std::u16string& path) {
  return PathIsDirectoryW(Wide(path)) != FALSE;  // the attribute bit, not TRUE
}

bool WinFileSystem::Exists(const std::u16string& path) {
  return PathFileExistsW(Wide(path)) != FALSE;
}

bool WinFileSystem::IsRoot(const std::u16string& path) { return PathIsRootW(Wide(path)) != FALSE; }

CreateDirResult WinFileSystem::CreateDirectory(const std::u16string& path) {
  if (CreateDirectoryW(Wide(path), nullptr)) return CreateDirResult::Created;
  return LastError() == ERROR_ALREADY_EXISTS ? CreateDirResult::AlreadyExists
                                             : CreateDirResult::Failed;
}

bool WinFileSystem::ReplaceWith(const std::u16string& source, const std::u16string& target) {
  return MoveFileExW(Wide(source), Wide(target),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WinFileSystem::Delete(const std::u16string& path) { return DeleteFileW(Wide(path)) != FALSE; }

Answer<std::vector<std::u16string>> WinFileSystem::FolderFiles(const std::u16string& folder) {
  // The path goes to the system as given, as everywhere in this adapter: a
  // caller with a long path passes it with its \\?\ prefix. Only the
  // separator is not doubled for a folder given with one ("C:\"): under
  // that prefix the system would not fold the two into one.
  const bool separated = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
  const std::u16string pattern = folder + (separated ? u"*" : u"\\*");
  WIN32_FIND_DATAW found;
  // The basic level leaves out the 8.3 name, which nothing here reads and
  // which costs a lookup per file.
  UniqueFind listing(
      FindFirstFileExW(Wide(pattern), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!listing) {
    const DWORD code = LastError();
    // The folder is there but nothing in it matched: only a drive's root
    // can be that empty, every other folder holds "." and "..".
    if (code == ERROR_FILE_NOT_FOUND) return std::vector<std::u16string>{};
    // A file where the folder should be is no folder either.
    if (code == ERROR_DIRECTORY) return Status::NotFound;
    return StatusFromError(code);
  }
  std::vector<std::u16string> names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;  // "." and ".." too
    if (HiddenBySystem(found.dwFileAttributes)) continue;
    names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
  } while (FindNextFileW(listing.get(), &found));
  // Anything but the end is a list cut short, which is no answer.
  const DWORD code = LastError();
  if (code != ERROR_NO_MORE_FILES)
    return code == ERROR_SUCCESS ? Status::Failed : StatusFromError(code);
  return names;
}

}  // namespace twk::platform::win32

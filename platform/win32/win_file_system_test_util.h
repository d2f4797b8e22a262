#pragma once
// Helpers of the Windows tests: a scratch folder of their own under %TEMP%
// that is removed with everything in it, raw file access that goes straight
// to the system rather than through the code under test, and the programs
// the build puts beside the test program.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/wide_text.h"

namespace twk::platform::win32::test {

using platform::win32::Wide;

// A file beside the test program, where the build puts the product and the
// tests' helper programs.
inline std::u16string BesideThisProgram(const std::u16string& name) {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  std::u16string self(reinterpret_cast<const char16_t*>(path), length);
  return self.substr(0, self.rfind(u'\\') + 1) + name;
}

inline bool WriteBytes(const std::u16string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// The whole file, or "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::u16string& path) {
  HANDLE file =
      CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

inline void RemoveTree(const std::u16string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + u"\\*"), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::u16string name = reinterpret_cast<const char16_t*>(found.cFileName);
      if (name == u"." || name == u"..") continue;
      const std::u16string path = folder + u"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(Wide(path));
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Wide(folder));
}

// A new, empty folder under %TEMP% for one test, removed when it ends.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    root_.assign(reinterpret_cast<const char16_t*>(base), length);
    while (!root_.empty() && root_.back() == u'\\') root_.pop_back();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
      wchar_t name[64];
      std::swprintf(name, 64, L"\\twk-files-%lu-%u", GetCurrentProcessId(), ++counter);
      std::u16string candidate = root_ + reinterpret_cast<const char16_t*>(name);
      if (CreateDirectoryW(Wide(candidate), nullptr)) {
        root_ = candidate;
        break;
      }
    }
  }
  ~TempFolder() { RemoveTree(root_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder itself for an empty name.
  std::u16string Path(const std::u16string& name) const {
    return name.empty() ? root_ : root_ + u"\\" + name;
  }

 private:
  std::u16string root_;
};

}  // namespace twk::platform::win32::test

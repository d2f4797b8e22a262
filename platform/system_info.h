#pragma once
// What start-up needs to know about the system: the answers from which the
// Windows version is worked out, the system and Windows folders, the path of
// the running program, and the roaming application-data folder of a user.
#include <cstdint>
#include <string>

#include "platform/identity.h"

namespace twk::platform {

// The version record of GetVersionExW (extended form).
struct VersionRecord {
  bool ok = false;  // false: the function is missing or failed; the numbers are 0
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // GetVersionExW, looked up in Kernel32.dll at run time. Like the system
  // itself this may understate the version (Windows 8.1 and later tell a
  // program without their compatibility entries 6.2).
  [[nodiscard]] virtual VersionRecord GetVersion() = 0;
  // VerifyVersionInfoW questions about the running system: major version
  // at least n; major version exactly n; minor version exactly n.
  [[nodiscard]] virtual bool MajorVersionAtLeast(std::uint32_t major) = 0;
  [[nodiscard]] virtual bool MajorVersionIs(std::uint32_t major) = 0;
  [[nodiscard]] virtual bool MinorVersionIs(std::uint32_t minor) = 0;

  // The folders and the program path; empty when the system cannot tell or
  // the answer does not fit the buffer the query is made with.
  // GetSystemDirectoryW with room for 256 characters, e.g. "C:\Windows\system32".
  [[nodiscard]] virtual std::u16string SystemDirectory() = 0;
  // SHGetFolderPathW for the Windows folder, e.g. "C:\Windows".
  [[nodiscard]] virtual std::u16string WindowsFolder() = 0;
  // GetModuleFileNameW of the program, with room for 2048 characters; a
  // longer path is not returned cut short, since it would name another file.
  [[nodiscard]] virtual std::u16string ProgramPath() = 0;
  // SHGetFolderPathW for the roaming application data of the user of
  // `token`: kNoToken means the user of the process, kDefaultUserToken the
  // default user's profile.
  [[nodiscard]] virtual std::u16string RoamingAppData(TokenHandle token) = 0;
  // SHGetFolderPathW for the Startup folder of the user of `token` (as for
  // RoamingAppData), and for the Startup folder of all users.
  [[nodiscard]] virtual std::u16string StartupFolder(TokenHandle token) = 0;
  [[nodiscard]] virtual std::u16string CommonStartupFolder() = 0;
};

}  // namespace twk::platform

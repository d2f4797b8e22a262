#include "platform/win32/win_system_info.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shlobj.h>

#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record");

std::u16string FromBuffer(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

std::u16string FromBuffer(const wchar_t* text) { return FromBuffer(text, lstrlenW(text)); }

// One VerifyVersionInfoW question about one field of the version record.
bool VerifyVersion(DWORD typeMask, BYTE condition, DWORD major, DWORD minor) {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof(wanted);
  wanted.dwMajorVersion = major;
  wanted.dwMinorVersion = minor;
  const DWORDLONG conditions = VerSetConditionMask(0, typeMask, condition);
  return VerifyVersionInfoW(&wanted, typeMask, conditions) != FALSE;
}

// SHGetFolderPathW into a buffer of MAX_PATH + 1; empty on failure, which
// includes S_FALSE (the folder is known but does not exist).
std::u16string FolderPath(int csidl, HANDLE token) {
  wchar_t path[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, csidl, token, 0, path) != S_OK) return {};
  return FromBuffer(path);
}

}  // namespace

VersionRecord WinSystemInfo::GetVersion() {
  // Looked up at run time: the compiler's headers mark it deprecated, and a
  // later system may drop it.
  using GetVersionExFn = BOOL(WINAPI*)(OSVERSIONINFOW*);
  const Kernel32Module kernel32;
  const auto getVersionEx = kernel32.Find<GetVersionExFn>("GetVersionExW");
  if (getVersionEx == nullptr) return {};
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!getVersionEx(reinterpret_cast<OSVERSIONINFOW*>(&info))) return {};
  return {true, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

bool WinSystemInfo::MajorVersionAtLeast(std::uint32_t major) {
  return VerifyVersion(VER_MAJORVERSION, VER_GREATER_EQUAL, major, 0);
}

bool WinSystemInfo::MajorVersionIs(std::uint32_t major) {
  return VerifyVersion(VER_MAJORVERSION, VER_EQUAL, major, 0);
}

bool WinSystemInfo::MinorVersionIs(std::uint32_t minor) {
  // The condition goes with the minor version's own bits of the mask: a mask
  // that only carries a condition for the major version leaves the minor
  // version's condition empty, and the system then never reports a match.
  return VerifyVersion(VER_MINORVERSION, VER_EQUAL, 0, minor);
}

std::u16string WinSystemInfo::SystemDirectory() {
  constexpr UINT kRoom = 256;
  wchar_t path[kRoom + 1] = {};
  const UINT length = GetSystemDirectoryW(path, kRoom);
  // A result of kRoom or more is the size the path would need.
  if (length == 0 || length >= kRoom) return {};
  return FromBuffer(path, length);
}

std::u16string WinSystemInfo::WindowsFolder() { return FolderPath(CSIDL_WINDOWS, nullptr); }

std::u16string WinSystemInfo::ProgramPath() {
  constexpr DWORD kRoom = 2048;
  wchar_t path[kRoom + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, kRoom);
  // kRoom means the path was cut (and on old systems not terminated).
  if (length == 0 || length >= kRoom) return {};
  return FromBuffer(path, length);
}

std::u16string WinSystemInfo::RoamingAppData(TokenHandle token) {
  return FolderPath(CSIDL_APPDATA, reinterpret_cast<HANDLE>(token));
}

// Not created when missing: a Startup folder that is not there starts
// nothing, which is all its reader wants to know.
std::u16string WinSystemInfo::StartupFolder(TokenHandle token) {
  return FolderPath(CSIDL_STARTUP, reinterpret_cast<HANDLE>(token));
}

std::u16string WinSystemInfo::CommonStartupFolder() {
  return FolderPath(CSIDL_COMMON_STARTUP, nullptr);
}

}  // namespace twk::platform::win32

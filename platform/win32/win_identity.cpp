#include "platform/win32/win_identity.h"

#include <windows.h>
// Version 1 of the process-status interface: EnumProcesses from psapi.dll,
// present on every system, is the fallback where Kernel32.dll lacks
// K32EnumProcesses (before Windows 7).
#define PSAPI_VERSION 1
#include <psapi.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/handles.h"
#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

// Buffer sizes of the account lookups.
constexpr DWORD kSidBytes = 256;
constexpr DWORD kDomainChars = 260;
constexpr DWORD kTokenUserBytes = 1024;
constexpr DWORD kMaxProcessIds = 1024;

static_assert(TOKEN_ALL_ACCESS == 0xF01FF, "EnablePrivileges opens the token with 0xF01FF");

// Whether `token` belongs to `user`, by the SID of its TokenUser record.
bool TokenUserIs(HANDLE token, PSID user) {
  alignas(TOKEN_USER) BYTE buffer[kTokenUserBytes];
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) return false;
  const auto* record = reinterpret_cast<const TOKEN_USER*>(buffer);
  return EqualSid(record->User.Sid, user) != FALSE;
}

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);

// The process ids of the system in the order the system gives them.
DWORD ListProcessIds(DWORD (&ids)[kMaxProcessIds]) {
  const Kernel32Module kernel32;
  auto enumerate = kernel32.Find<EnumProcessesFn>("K32EnumProcesses");
  if (enumerate == nullptr) enumerate = &EnumProcesses;
  DWORD bytes = 0;
  if (!enumerate(ids, sizeof(ids), &bytes)) return 0;
  return bytes / sizeof(DWORD);
}

}  // namespace

bool CopySessionUserName(const wchar_t* data, DWORD bytes, std::u16string& name) {
  name.clear();
  if (data == nullptr) return false;
  const std::size_t units = bytes / sizeof(wchar_t);
  std::size_t length = 0;
  while (length < units && data[length] != L'\0') ++length;
  const bool fits = length <= kMaxUserNameLength;
  name.assign(reinterpret_cast<const char16_t*>(data), fits ? length : kMaxUserNameLength);
  return length > 0 && fits;
}

bool SidToText(PSID sid, std::u16string& text) {
  LocalText converted;
  if (!ConvertSidToStringSidW(sid, converted.Receive())) return false;
  const std::size_t length = std::wcslen(converted.get());
  if (length > kMaxSidTextLength) return false;
  text.assign(reinterpret_cast<const char16_t*>(converted.get()), length);
  return true;
}

HANDLE OwnTokenOf(DWORD session, PSID user) {
  DWORD ownSession = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) || ownSession != session) {
    return nullptr;
  }
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return nullptr;
  if (!TokenUserIs(token.get(), user)) return nullptr;
  return token.Release();
}

HANDLE FindProcessTokenOf(DWORD session, PSID user) {
  DWORD ids[kMaxProcessIds];
  const DWORD count = ListProcessIds(ids);
  for (DWORD i = 0; i < count; ++i) {
    DWORD processSession = 0;
    if (!ProcessIdToSessionId(ids[i], &processSession) || processSession != session) continue;
    const KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ids[i]));
    if (!process) continue;
    KernelHandle token;
    if (!OpenProcessToken(process.get(), TOKEN_QUERY, token.Receive())) continue;
    if (TokenUserIs(token.get(), user)) return token.Release();
  }
  return nullptr;
}

TokenHandle WinIdentity::GetConsoleUser(std::u16string& name, std::u16string* sidText) {
  const DWORD session = WTSGetActiveConsoleSessionId();
  if (session == 0xFFFFFFFF) return kNoToken;  // nobody at the console

  {
    WtsText userName;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName,
                                     userName.Receive(), &bytes) ||
        bytes == 0) {
      return kNoToken;
    }
    if (!CopySessionUserName(userName.get(), bytes, name)) return kNoToken;
  }

  alignas(SID) BYTE sid[kSidBytes];
  DWORD sidSize = sizeof(sid);
  wchar_t domain[kDomainChars];
  DWORD domainSize = kDomainChars;
  SID_NAME_USE use{};
  if (!LookupAccountNameW(nullptr, reinterpret_cast<const wchar_t*>(name.c_str()), sid, &sidSize,
                          domain, &domainSize, &use)) {
    return kNoToken;
  }

  // Usually the program runs as the console user (elevated or not): its own
  // token serves without looking at other processes.
  KernelHandle token(OwnTokenOf(session, sid));
  if (!token) token.Reset(FindProcessTokenOf(session, sid));
  if (!token) return kNoToken;

  if (sidText != nullptr) {
    std::u16string text;
    // A SID that cannot be written out leaves nothing half-filled: the caller
    // falls back to the default user as for any other failure.
    if (!SidToText(sid, text)) return kNoToken;
    *sidText = std::move(text);
  }
  return reinterpret_cast<TokenHandle>(token.Release());
}

TokenHandle WinIdentity::GetProcessUser(std::u16string& name, std::u16string* sidText) {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return kNoToken;
  alignas(TOKEN_USER) BYTE buffer[kTokenUserBytes];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &size)) {
    return kNoToken;
  }
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer)->User.Sid;
  wchar_t account[kMaxUserNameLength + 2];
  DWORD accountSize = kMaxUserNameLength + 1;
  wchar_t domain[kDomainChars];
  DWORD domainSize = kDomainChars;
  SID_NAME_USE use{};
  if (!LookupAccountSidW(nullptr, sid, account, &accountSize, domain, &domainSize, &use)) {
    return kNoToken;
  }
  if (!CopySessionUserName(account, accountSize * sizeof(wchar_t), name)) return kNoToken;
  if (sidText != nullptr) {
    std::u16string text;
    if (!SidToText(sid, text)) return kNoToken;
    *sidText = std::move(text);
  }
  return reinterpret_cast<TokenHandle>(token.Release());
}

void WinIdentity::CloseToken(TokenHandle token) {
  if (token == kNoToken || token == kDefaultUserToken) return;
  CloseHandle(reinterpret_cast<HANDLE>(token));
}

bool WinIdentity::IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;  // 5
  BuiltSid administrators;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                administrators.Receive())) {
    return false;
  }
  BOOL member = FALSE;
  // No token: the calling thread's effective token.
  if (!CheckTokenMembership(nullptr, administrators.get(), &member)) return false;
  return member != FALSE;
}

void WinIdentity::EnablePrivileges() {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token.Receive())) return;

  struct PrivilegeList {
    DWORD count;
    LUID_AND_ATTRIBUTES entries[kEnabledPrivileges.size()];
  };
  static_assert(offsetof(PrivilegeList, entries) == offsetof(TOKEN_PRIVILEGES, Privileges));

  PrivilegeList wanted{};
  for (const std::u16string_view privilege : kEnabledPrivileges) {
    // The names are NUL-terminated literals. A name this system does not
    // know is left out: one unknown entry would make the system refuse the
    // whole list.
    LUID value{};
    if (!LookupPrivilegeValueW(nullptr, reinterpret_cast<const wchar_t*>(privilege.data()),
                               &value)) {
      continue;
    }
    wanted.entries[wanted.count].Luid = value;
    wanted.entries[wanted.count].Attributes = SE_PRIVILEGE_ENABLED;
    ++wanted.count;
  }
  if (wanted.count == 0) return;

  PrivilegeList previous{};
  DWORD previousSize = 0;
  // Privileges the account lacks stay off (ERROR_NOT_ALL_ASSIGNED); nobody
  // needs to know which.
  (void)AdjustTokenPrivileges(token.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                              sizeof(previous), reinterpret_cast<TOKEN_PRIVILEGES*>(&previous),
                              &previousSize);
}

}  // namespace twk::platform::win32

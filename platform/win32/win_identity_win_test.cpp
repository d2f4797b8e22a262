// The identity queries against the real system. Under Wine the console user
// is the Linux user, SID S-1-5-21-0-0-0-1000, running in the console session
// as an administrator.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <sddl.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win_identity.h"

namespace twk::platform::win32 {
namespace {

// The number of handles the process holds, from the system's handle list
// (Wine's GetProcessHandleCount always answers 0).
DWORD HandleCount() {
  using QueryFn = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  EXPECT_NE(query, nullptr);
  if (query == nullptr) return 0;
  std::vector<BYTE> buffer(1 << 16);
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  LONG status = kLengthMismatch;
  ULONG needed = 0;
  while ((status = query(SystemHandleInformation, buffer.data(), buffer.size(), &needed)) ==
         kLengthMismatch) {
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  EXPECT_EQ(status, 0) << std::hex << status;
  const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
  DWORD count = 0;
  for (ULONG i = 0; status == 0 && i < list->Count; ++i) {
    if (list->Handle[i].OwnerPid == GetCurrentProcessId()) ++count;
  }
  return count;
}

// The token's TokenUser SID, copied.
std::vector<BYTE> UserSidOf(HANDLE token) {
  alignas(TOKEN_USER) BYTE buffer[1024];
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// Identifies the token object itself, whichever handle refers to it.
LUID TokenIdOf(HANDLE token) {
  TOKEN_STATISTICS statistics{};
  DWORD size = 0;
  EXPECT_TRUE(GetTokenInformation(token, TokenStatistics, &statistics, sizeof(statistics), &size));
  return statistics.TokenId;
}

std::vector<BYTE> SidFromText(const wchar_t* text) {
  PSID sid = nullptr;
  EXPECT_TRUE(ConvertStringSidToSidW(text, &sid)) << GetLastError();
  if (sid == nullptr) return {};
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  std::vector<BYTE> copy(bytes, bytes + GetLengthSid(sid));
  LocalFree(sid);
  return copy;
}

TEST(WinIdentityTest, ConsoleUserIsTheProcessUserWithItsOwnToken) {
  WinIdentity identity;
  const DWORD handlesBefore = HandleCount();
  std::u16string name = u"sentinel", sid = u"sentinel";
  const TokenHandle token = identity.GetConsoleUser(name, &sid);
  ASSERT_NE(token, kNoToken);
  ASSERT_NE(token, kDefaultUserToken);
  EXPECT_EQ(HandleCount(), handlesBefore + 1) << "the token, and nothing else, stays open";

  wchar_t user[257] = {};
  DWORD userSize = 257;
  ASSERT_TRUE(GetUserNameW(user, &userSize));
  EXPECT_EQ(name, reinterpret_cast<const char16_t*>(user));
  EXPECT_EQ(sid, u"S-1-5-21-0-0-0-1000");

  // The process runs as the console user, so the token is its own: the same
  // token object, found without walking the process list.
  const HANDLE handle = reinterpret_cast<HANDLE>(token);
  KernelHandle own;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.Receive()));
  const LUID returnedId = TokenIdOf(handle), ownId = TokenIdOf(own.get());
  EXPECT_EQ(returnedId.LowPart, ownId.LowPart);
  EXPECT_EQ(returnedId.HighPart, ownId.HighPart);
  EXPECT_EQ(UserSidOf(handle), SidFromText(reinterpret_cast<const wchar_t*>(sid.c_str())));
  own.Reset();

  identity.CloseToken(token);
  EXPECT_EQ(HandleCount(), handlesBefore) << "every handle taken on the way is released";

  std::u16string again;
  const TokenHandle second = identity.GetConsoleUser(again, nullptr);
  EXPECT_NE(second, kNoToken) << "the SID text is optional";
  EXPECT_EQ(again, name);
  identity.CloseToken(second);
  identity.CloseToken(kNoToken);           // ignored
  identity.CloseToken(kDefaultUserToken);  // ignored, not the current-process pseudo handle
  EXPECT_EQ(HandleCount(), handlesBefore);
}

// The walk over the processes, and the shortcut of the process's own token:
// both only for the user in the session; tokens not chosen are closed.
TEST(WinIdentityTest, ProcessWalkAndOwnTokenFindOnlyTheUserInTheSession) {
  KernelHandle own;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.Receive()));
  std::vector<BYTE> user = UserSidOf(own.get());
  own.Reset();
  ASSERT_FALSE(user.empty());
  std::vector<BYTE> stranger = SidFromText(L"S-1-5-21-1-2-3-4242");
  DWORD session = 0;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  const DWORD handlesBefore = HandleCount();

  KernelHandle found(FindProcessTokenOf(session, user.data()));
  ASSERT_TRUE(found);
  EXPECT_EQ(UserSidOf(found.get()), user);
  found.Reset();
  own.Reset(OwnTokenOf(session, user.data()));
  EXPECT_EQ(UserSidOf(own.get()), user);
  own.Reset();

  // Nobody runs as this user; nothing runs in that session.
  EXPECT_EQ(FindProcessTokenOf(session, stranger.data()), nullptr);
  EXPECT_EQ(FindProcessTokenOf(session + 77, user.data()), nullptr);
  EXPECT_EQ(OwnTokenOf(session, stranger.data()), nullptr);
  EXPECT_EQ(OwnTokenOf(session + 1, user.data()), nullptr);
  EXPECT_EQ(HandleCount(), handlesBefore);
}

TEST(WinIdentityTest, SessionUserNameStaysWithinItsBytesAndLimit) {
  std::u16string name;
  // The byte count ends the name even without a NUL.
  EXPECT_TRUE(CopySessionUserName(L"abcdef", 3 * sizeof(wchar_t), name));
  EXPECT_EQ(name, u"abc");
  // A NUL ends it before the byte count does; an odd byte is no character.
  EXPECT_TRUE(CopySessionUserName(L"ab\0cd", 5 * sizeof(wchar_t) + 1, name));
  EXPECT_EQ(name, u"ab");

  const std::wstring exact(128, L'u');
  EXPECT_TRUE(CopySessionUserName(exact.c_str(), (128 + 1) * sizeof(wchar_t), name));
  EXPECT_EQ(name.size(), 128u);

  const std::wstring tooLong(200, L'v');
  EXPECT_FALSE(CopySessionUserName(tooLong.c_str(), (200 + 1) * sizeof(wchar_t), name));
  EXPECT_EQ(name, std::u16string(128, u'v')) << "no more than the buffer holds";

  EXPECT_FALSE(CopySessionUserName(L"", sizeof(wchar_t), name));
  EXPECT_FALSE(CopySessionUserName(nullptr, 0, name));
  EXPECT_TRUE(name.empty());
}

TEST(WinIdentityTest, SidTextMustFitItsBuffer) {
  std::u16string text = u"sentinel";
  std::vector<BYTE> wine = SidFromText(L"S-1-5-21-0-0-0-1000");
  ASSERT_TRUE(SidToText(wine.data(), text));
  EXPECT_EQ(text, u"S-1-5-21-0-0-0-1000");

  // Fourteen sub-authorities of ten digits: 159 characters as text.
  std::vector<BYTE> huge(GetSidLengthRequired(14));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  ASSERT_TRUE(InitializeSid(huge.data(), &nt, 14));
  for (DWORD i = 0; i < 14; ++i) *GetSidSubAuthority(huge.data(), i) = 4294967295u;
  text = u"sentinel";
  EXPECT_FALSE(SidToText(huge.data(), text));
  EXPECT_EQ(text, u"sentinel");
}

// Whether the process token holds the privilege, and whether it is on.
struct PrivilegeState {
  bool held = false;
  bool enabled = false;
};

PrivilegeState StateOf(const char* privilege) {
  PrivilegeState state;
  KernelHandle token;
  LUID luid{};
  if (!LookupPrivilegeValueA(nullptr, privilege, &luid)) return state;  // unknown here
  EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()));
  alignas(TOKEN_PRIVILEGES) BYTE buffer[4096];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenPrivileges, buffer, sizeof(buffer), &size)) {
    return state;
  }
  const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
  for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& entry = list->Privileges[i];
    if (entry.Luid.LowPart != luid.LowPart || entry.Luid.HighPart != luid.HighPart) continue;
    state.held = true;
    state.enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  return state;
}

void SwitchOff(const char* privilege) {
  KernelHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Receive()));
  TOKEN_PRIVILEGES off{};
  off.PrivilegeCount = 1;
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, privilege, &off.Privileges[0].Luid));
  off.Privileges[0].Attributes = 0;
  ASSERT_TRUE(AdjustTokenPrivileges(token.get(), FALSE, &off, 0, nullptr, nullptr));
}

TEST(WinIdentityTest, AnAdministratorsPrivilegesAreSwitchedOnWhereHeld) {
  const char* const someOfTheList[] = {"SeRestorePrivilege", "SeShutdownPrivilege",
                                       "SeDebugPrivilege", "SeTakeOwnershipPrivilege",
                                       "SeTrustedCredManAccessPrivilege"};
  int held = 0;
  for (const char* privilege : someOfTheList) {
    if (!StateOf(privilege).held) continue;
    ++held;
    SwitchOff(privilege);
    ASSERT_FALSE(StateOf(privilege).enabled) << privilege;
  }
  ASSERT_GE(held, 4) << "the administrator's token holds these privileges";

  WinIdentity identity;
  const DWORD handlesBefore = HandleCount();
  EXPECT_TRUE(identity.IsAdministrator()) << "Wine runs every program as an administrator";
  identity.EnablePrivileges();
  EXPECT_EQ(HandleCount(), handlesBefore);
  for (const char* privilege : someOfTheList) {
    const PrivilegeState state = StateOf(privilege);
    EXPECT_TRUE(!state.held || state.enabled) << privilege;
  }
  identity.EnablePrivileges();  // again: nothing changes, nothing fails
  EXPECT_TRUE(StateOf("SeShutdownPrivilege").enabled);
}

}  // namespace
}  // namespace twk::platform::win32

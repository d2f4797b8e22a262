#pragma once
#include <windows.h>

#include <string>

#include "platform/identity.h"

namespace twk::platform::win32 {

class WinIdentity final : public Identity {
 public:
  TokenHandle GetConsoleUser(std::u16string& name, std::u16string* sidText) override;
  TokenHandle GetProcessUser(std::u16string& name, std::u16string* sidText) override;
  void CloseToken(TokenHandle token) override;
  bool IsAdministrator() override;
  void EnablePrivileges() override;
};

// The steps of GetConsoleUser, apart so that each can be tried on its own.

// Takes the user name as WTSQuerySessionInformationW returned it: `bytes`
// bytes, normally ending in a NUL that may also be missing. False when the
// name is empty or longer than kMaxUserNameLength (a cut name would name
// another account); name then holds what fits.
[[nodiscard]] bool CopySessionUserName(const wchar_t* data, DWORD bytes, std::u16string& name);

// The SID as text, when it fits in kMaxSidTextLength units.
[[nodiscard]] bool SidToText(PSID sid, std::u16string& text);

// The process's own token (query access) when the process runs in `session`
// as `user`; otherwise null.
[[nodiscard]] HANDLE OwnTokenOf(DWORD session, PSID user);

// The token (query access) of the first process, in the system's enumeration
// order, that runs in `session` as `user`; otherwise null. Every other
// handle opened on the way is closed.
[[nodiscard]] HANDLE FindProcessTokenOf(DWORD session, PSID user);

}  // namespace twk::platform::win32

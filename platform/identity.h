#pragma once
// Who the program runs as and for whom it works: the user at the physical
// console (who need not be the account of the process, for example when an
// administrator's credentials were given for the elevation), whether the
// process may act as an administrator, and switching on the privileges that
// restarting, taking ownership of keys and reading other processes need.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/port_handle.h"

namespace twk::platform {

// An access token, opaque to the logic. It is only handed back to the
// platform: to CloseToken and to the folder query of SystemInfo.
using TokenHandle = std::uintptr_t;
inline constexpr TokenHandle kNoToken = 0;
// Not a token: asks the folder query for the default user's profile.
inline constexpr TokenHandle kDefaultUserToken = ~TokenHandle{0};

// Longest user name and SID text kept, in UTF-16 code units.
inline constexpr std::size_t kMaxUserNameLength = 128;
inline constexpr std::size_t kMaxSidTextLength = 128;

// The privileges EnablePrivileges switches on, in the order it asks for them.
inline constexpr std::array<std::u16string_view, 12> kEnabledPrivileges = {
    u"SeRestorePrivilege",       u"SeBackupPrivilege",
    u"SeDebugPrivilege",         u"SeSecurityPrivilege",
    u"SeTakeOwnershipPrivilege", u"SeImpersonatePrivilege",
    u"SeSystemProfilePrivilege", u"SeShutdownPrivilege",
    u"SeIncreaseQuotaPrivilege", u"SeAssignPrimaryTokenPrivilege",
    u"SeTcbPrivilege",           u"SeTrustedCredManAccessPrivilege",
};

class Identity {
 public:
  virtual ~Identity() = default;

  // The user logged on at the console: fills name (at most kMaxUserNameLength
  // units) and, when sidText is given, the user's SID as text (at most
  // kMaxSidTextLength units), and returns a token of that user with query
  // access. kNoToken when there is no console user or they cannot be
  // identified; the name may then already be filled, the SID text is not.
  // The caller releases a returned token with CloseToken.
  [[nodiscard]] virtual TokenHandle GetConsoleUser(std::u16string& name,
                                                   std::u16string* sidText) = 0;
  // The account this process runs as, in the same shape as GetConsoleUser:
  // the fallback when nobody is at the console (a remote session, a service
  // start), so that the settings and the Run value still belong to a real
  // user rather than to the default profile.
  [[nodiscard]] virtual TokenHandle GetProcessUser(std::u16string& name,
                                                   std::u16string* sidText) = 0;
  // Releases a token from GetConsoleUser or GetProcessUser; kNoToken and kDefaultUserToken are
  // not tokens and are ignored.
  virtual void CloseToken(TokenHandle token) = 0;

  // Whether the process is a member of the local Administrators group; any
  // failure counts as no.
  [[nodiscard]] virtual bool IsAdministrator() = 0;

  // Switches on kEnabledPrivileges in the process token. A privilege the
  // account does not hold stays off; nothing is reported.
  virtual void EnablePrivileges() = 0;
};

// Closes the token it holds when it goes out of scope.
using OwnedToken = PortHandle<Identity, TokenHandle, &Identity::CloseToken>;

}  // namespace twk::platform

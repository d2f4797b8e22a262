#pragma once
// Automatic logon of one account at every start of Windows, through the
// standard Winlogon values (DefaultUserName, DefaultDomainName,
// AutoAdminLogon) in the native registry view and the password as the LSA
// secret "DefaultPassword", never as a registry value. Every operation that
// cannot open the Winlogon key repairs its permissions once and tries again.
#include <cstdint>

#include "base/text.h"
#include "platform/lsa_secrets.h"
#include "setup/key_access.h"

namespace twk::setup {

struct AutoLogonPorts {
  KeyAccessPorts keys;  // registry, accounts, key security, Windows version
  platform::LsaSecrets& secrets;
};

enum class AutoLogonResult : std::uint8_t {
  Failed = 0,
  Done = 1,
  WasNotActive = 2,  // switch-off asked while auto-logon was not active: a success
};

// The account named in DefaultUserName (REG_SZ only); empty otherwise.
[[nodiscard]] Text GetAutoLogonUser(const AutoLogonPorts& ports);

// True when a password is stored (the LSA secret, or failing that a
// plain-text DefaultPassword value) and AutoAdminLogon is "1".
[[nodiscard]] bool IsAutoLogonActive(const AutoLogonPorts& ports);

// With a password: switches auto-logon on for `account` (null writes an
// empty DefaultUserName). AutoAdminLogon becomes "1" only when the password
// was stored. The password is wiped (zeroed and emptied) before the call
// returns, on every path.
// With neither: switches it off. DefaultUserName is emptied, a logon limit
// (AutoLogonCount) removed and a stored AutoAdminLogon of "1" always becomes
// "0", even when auto-logon was not active; then the answer is WasNotActive
// and nothing else is changed.
[[nodiscard]] AutoLogonResult SetAutoLogon(const AutoLogonPorts& ports, const Text* account,
                                           Text* password);

// Lets Windows itself switch auto-logon off after this many automatic
// logons (AutoLogonCount, a REG_DWORD that Winlogon counts down at each one
// and at 0 clears the password and AutoAdminLogon). A sequence that dies
// half-way, killed or deleted, then cannot leave the machine logging on by
// itself for good. 0 removes the limit. True when the value was written or
// removed (or there was none to remove).
[[nodiscard]] bool LimitAutoLogons(const AutoLogonPorts& ports, std::uint32_t logons);

}  // namespace twk::setup

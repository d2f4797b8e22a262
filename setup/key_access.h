#pragma once
// Repair of the Winlogon key's permissions: when the auto-logon operations
// cannot open the key, its owner becomes the built-in Administrators group
// and its access list is replaced by a fixed one (built afresh each time,
// never merged with the key's current list). The change is permanent.
#include <optional>

#include "base/text.h"
#include "platform/access_list.h"
#include "platform/accounts.h"
#include "platform/key_security.h"
#include "platform/registry.h"

namespace twk::setup {

inline constexpr char16_t kWinlogonKeyPath[] =
    u"HKLM64\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// What the repair works with. windowsVersion is major + minor / 10.
struct KeyAccessPorts {
  platform::Registry& registry;
  platform::Accounts& accounts;
  platform::KeySecurity& security;
  double windowsVersion = 0.0;
};

// The fixed list: Administrators and Local System full control, Everyone
// and the built-in Users and restricted code read, and from Windows 6.0 on
// TrustedInstaller full control; all inherited by subkeys. None when a SID
// cannot be made or an entry does not fit.
[[nodiscard]] std::optional<platform::AccessList> BuildWinlogonAccessList(
    platform::Accounts& accounts, double windowsVersion);

// Applies the Administrators owner and the fixed list to the key at keyPath
// (a registry path such as kWinlogonKeyPath): first through the open key,
// then by name for the key and its subtree. Returns whether the change by
// name succeeded (false also when the list could not be built, in which case
// nothing is changed). A 32-bit process on 64-bit Windows cannot name the
// native key, so there only the change through the key handle happens.
[[nodiscard]] bool GrantKeyAccess(const KeyAccessPorts& ports, const Text& keyPath);

// GrantKeyAccess on the Winlogon key.
[[nodiscard]] bool GrantWinlogonKeyAccess(const KeyAccessPorts& ports);

}  // namespace twk::setup

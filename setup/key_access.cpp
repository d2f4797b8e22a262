#include "setup/key_access.h"

#include "platform/registry.h"
#include "platform/registry_path.h"

namespace twk::setup {
namespace {

using platform::AccessList;
using platform::KeyRights;
using platform::SidBytes;
using platform::Status;
using platform::WellKnownSid;
using platform::KeyAccess::WriteDac;
using platform::KeyAccess::WriteOwner;

using platform::OwnedKey;

// A SID given as text: "S-1-..." is converted, anything else is an account
// name looked up on this machine.
std::optional<SidBytes> SidOf(platform::Accounts& accounts, const Text& text) {
  if (text.starts_with(u"S-1-")) {
    auto sid = accounts.SidFromText(text);
    if (sid.ok()) return std::move(sid).value();
    return std::nullopt;
  }
  auto account = accounts.LookupAccount(text);
  if (account.ok()) return std::move(account).value().sid;
  return std::nullopt;
}

std::optional<SidBytes> WellKnown(platform::Accounts& accounts, WellKnownSid kind) {
  auto sid = accounts.MakeWellKnownSid(kind);
  if (sid.ok()) return std::move(sid).value();
  return std::nullopt;
}

struct Trustee {
  std::optional<SidBytes> sid;
  KeyRights rights;
};

// One attempt of the change by name: owner, list and a protected list for
// the key and its subtree; when that is refused, take ownership alone first
// (which the restore and take-ownership privileges allow) and try again.
bool ResetByName(const KeyAccessPorts& ports, const Text& keyPath, const SidBytes& owner,
                 const AccessList& list) {
  Text objectName = keyPath;
  if (!platform::ToSecurityObjectName(ports.registry, objectName)) return false;
  if (ports.security.ResetTreeSecurity(objectName, owner, list.bytes()) == Status::Ok) {
    return true;
  }
  if (ports.security.SetOwnerByName(objectName, owner) != Status::Ok) return false;
  return ports.security.ResetTreeSecurity(objectName, owner, list.bytes()) == Status::Ok;
}

}  // namespace

std::optional<AccessList> BuildWinlogonAccessList(platform::Accounts& accounts,
                                                  double windowsVersion) {
  std::vector<Trustee> trustees;
  trustees.push_back(
      {WellKnown(accounts, WellKnownSid::BuiltinAdministrators), KeyRights::FullControl});
  trustees.push_back({WellKnown(accounts, WellKnownSid::LocalSystem), KeyRights::FullControl});
  // Read only: with full control any user could change what Windows starts
  // at every logon (Userinit, Shell).
  trustees.push_back({WellKnown(accounts, WellKnownSid::World), KeyRights::Read});
  trustees.push_back({SidOf(accounts, u"S-1-5-32-545"), KeyRights::Read});  // Users
  trustees.push_back({SidOf(accounts, u"S-1-5-12"), KeyRights::Read});      // restricted code
  if (windowsVersion >= 6.0) {
    trustees.push_back({SidOf(accounts, u"NT SERVICE\\TrustedInstaller"), KeyRights::FullControl});
  }

  std::vector<platform::KeyGrant> grants;
  for (const Trustee& trustee : trustees) {
    if (!trustee.sid) return std::nullopt;
    grants.push_back({*trustee.sid, trustee.rights});
  }
  return platform::KeyAccessList(grants);
}

bool GrantKeyAccess(const KeyAccessPorts& ports, const Text& keyPath) {
  const auto owner = WellKnown(ports.accounts, WellKnownSid::BuiltinAdministrators);
  if (!owner) return false;
  const auto list = BuildWinlogonAccessList(ports.accounts, ports.windowsVersion);
  if (!list) return false;

  // Through the key first: with the "64" view this reaches the native key
  // even where the object name below cannot. Its outcome does not matter,
  // the change by name decides the answer.
  {
    OwnedKey key(ports.registry,
                 platform::OpenRegistryPath(ports.registry, keyPath, WriteDac | WriteOwner)
                     .value_or(platform::kNoKey));
    if (key) (void)ports.security.SetKeyOwnerAndAccess(key.get(), *owner, list->bytes());
  }

  if (ResetByName(ports, keyPath, *owner, *list)) return true;
  return ResetByName(ports, keyPath, *owner, *list);
}

bool GrantWinlogonKeyAccess(const KeyAccessPorts& ports) {
  return GrantKeyAccess(ports, kWinlogonKeyPath);
}

}  // namespace twk::setup

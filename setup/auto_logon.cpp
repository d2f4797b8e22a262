#include "setup/auto_logon.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/wipe.h"
#include "platform/registry.h"
#include "platform/registry_path.h"

namespace twk::setup {
namespace {

using platform::RegistryValue;
using platform::Status;
namespace ValueType = platform::ValueType;

using platform::OwnedKey;

constexpr char16_t kSecretName[] = u"DefaultPassword";
constexpr char16_t kUserName[] = u"DefaultUserName";
constexpr char16_t kDomainName[] = u"DefaultDomainName";
constexpr char16_t kAutoAdminLogon[] = u"AutoAdminLogon";
constexpr char16_t kPlainPassword[] = u"DefaultPassword";
constexpr char16_t kLogonCount[] = u"AutoLogonCount";

// The secret is counted as at least this many characters, a shorter
// password padded with NULs; Winlogon takes the text up to its first NUL.
constexpr std::size_t kMinimumSecretLength = 10;

OwnedKey OpenWinlogon(const AutoLogonPorts& ports, std::uint32_t access) {
  platform::Registry& registry = ports.keys.registry;
  const auto open = [&] {
    return OwnedKey(
        registry,
        platform::OpenRegistryPath(registry, kWinlogonKeyPath, access).value_or(platform::kNoKey));
  };
  OwnedKey key = open();
  if (!key) {
    (void)GrantWinlogonKeyAccess(ports.keys);
    key = open();
  }
  return key;
}

bool IsTextType(std::uint32_t type) {
  return type == ValueType::String || type == ValueType::ExpandString ||
         type == ValueType::MultiString;
}

// The stored bytes as text, read as if four zero bytes followed them: the
// text ends at the first NUL (or where the data ends, for a value stored
// without one). The strings of a multi-string are joined by line feeds.
Text DecodeText(const RegistryValue& value) {
  std::vector<char16_t> units((value.data.size() + 1) / 2 + 2, 0);
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    units[i / 2] = static_cast<char16_t>(units[i / 2] | (value.data[i] << (8 * (i % 2))));
  }
  Text text;
  for (std::size_t i = 0;; ++i) {
    if (units[i] != 0) {
      text.push_back(units[i]);
    } else if (value.type == ValueType::MultiString && !text.empty() && units[i + 1] != 0) {
      text.push_back(u'\n');
    } else {
      break;  // the buffer ends in two NULs, so this is always reached
    }
  }
  return text;
}

std::optional<Text> ReadText(platform::Registry& registry, platform::RegistryKey key,
                             const Text& name) {
  const auto value = registry.QueryValue(key, name);
  if (!value.ok() || !IsTextType(value.value().type)) return std::nullopt;
  return DecodeText(value.value());
}

bool ReadsAsOne(platform::Registry& registry, platform::RegistryKey key) {
  const auto text = ReadText(registry, key, kAutoAdminLogon);
  return text && *text == u"1";
}

// A plain-text password left in the registry by another tool. Its bytes are
// wiped at once: only its presence matters.
bool PlainPasswordStored(platform::Registry& registry, platform::RegistryKey key) {
  auto value = registry.QueryValue(key, kPlainPassword);
  if (!value.ok()) return false;
  platform::RegistryValue& stored = value.value();
  WipeBytes(stored.data.data(), stored.data.size());
  return IsTextType(stored.type);
}

bool AutoAdminLogonIsOne(const AutoLogonPorts& ports) {
  OwnedKey key = OpenWinlogon(ports, platform::KeyAccess::Read);
  return key && ReadsAsOne(ports.keys.registry, key.get());
}

// The domain Winlogon logs the account on to: the account's own, or this
// computer when the account cannot be found (a local account on a machine
// that cannot answer, a name typed by hand).
Text DomainOf(platform::Accounts& accounts, const Text& account) {
  auto found = accounts.LookupAccount(account);
  if (found.ok()) return found.value().domain;
  auto computer = accounts.ComputerName();
  return std::move(computer).value_or(Text());
}

// Stores the password as a counted string of at least kMinimumSecretLength
// characters; the padding and the one character beyond the count are NULs.
// The buffer is wiped as soon as the store has returned.
Status StorePassword(platform::LsaSecrets& secrets, platform::LsaPolicy policy,
                     const Text& password) {
  const std::size_t count = std::max(password.size(), kMinimumSecretLength);
  if ((count + 1) * sizeof(char16_t) > 0xFFFF) return Status::Failed;
  std::vector<char16_t> buffer(count + 1, u'\0');
  std::copy(password.begin(), password.end(), buffer.begin());
  platform::CountedText data;
  data.buffer = buffer.data();
  data.length = static_cast<std::uint16_t>(count * sizeof(char16_t));
  data.maximumLength = static_cast<std::uint16_t>((count + 1) * sizeof(char16_t));
  const Status stored = secrets.StorePrivateData(policy, kSecretName, &data);
  WipeText(buffer);
  return stored;
}

AutoLogonResult SwitchOff(const AutoLogonPorts& ports, platform::RegistryKey key) {
  platform::Registry& registry = ports.keys.registry;
  // A limit left behind would cut short an auto-logon switched on later.
  (void)registry.DeleteValue(key, kLogonCount);
  if (!IsAutoLogonActive(ports)) {
    // An AutoAdminLogon of "1" without a usable password (left by another
    // tool or a failed switch-on) would keep Windows trying to log on with
    // nothing; switching off always clears it.
    if (AutoAdminLogonIsOne(ports) &&
        (registry.SetString(key, kAutoAdminLogon, u"0") != platform::Status::Ok)) {
      return AutoLogonResult::Failed;
    }
    return AutoLogonResult::WasNotActive;
  }
  platform::OwnedLsaPolicy policy(ports.secrets,
                                  ports.secrets.OpenPolicy().value_or(platform::kNoPolicy));
  const bool removed =
      policy && ports.secrets.StorePrivateData(policy.get(), kSecretName, nullptr) == Status::Ok;
  policy.Reset();
  // Off even when the secret stays: a logon attempt needs AutoAdminLogon.
  const bool written = registry.SetString(key, kAutoAdminLogon, u"0") == platform::Status::Ok;
  (void)registry.DeleteValue(key, kPlainPassword);
  return removed && written ? AutoLogonResult::Done : AutoLogonResult::Failed;
}

AutoLogonResult SwitchOn(const AutoLogonPorts& ports, platform::RegistryKey key, Text& password) {
  platform::Registry& registry = ports.keys.registry;
  platform::OwnedLsaPolicy policy(ports.secrets,
                                  ports.secrets.OpenPolicy().value_or(platform::kNoPolicy));
  if (!policy) return AutoLogonResult::Failed;
  const Status stored = StorePassword(ports.secrets, policy.get(), password);
  WipeText(password);
  policy.Reset();
  // Without the secret Windows would try to log on with no password at
  // every start; a plain-text password value another tool left may then be
  // all that makes an earlier auto-logon work, so it stays too.
  if (stored != Status::Ok) return AutoLogonResult::Failed;
  const bool written = registry.SetString(key, kAutoAdminLogon, u"1") == platform::Status::Ok;
  (void)registry.DeleteValue(key, kPlainPassword);
  return written ? AutoLogonResult::Done : AutoLogonResult::Failed;
}

}  // namespace

Text GetAutoLogonUser(const AutoLogonPorts& ports) {
  platform::Registry& registry = ports.keys.registry;
  OwnedKey key = OpenWinlogon(ports, platform::KeyAccess::Read);
  if (!key) return {};
  const auto value = registry.QueryValue(key.get(), kUserName);
  if (!value.ok() || value.value().type != ValueType::String) return {};
  return DecodeText(value.value());
}

bool IsAutoLogonActive(const AutoLogonPorts& ports) {
  bool passwordStored = false;
  {
    platform::OwnedLsaPolicy policy(ports.secrets,
                                    ports.secrets.OpenPolicy().value_or(platform::kNoPolicy));
    if (!policy) return false;
    passwordStored = ports.secrets.QueryPrivateData(policy.get(), kSecretName) == Status::Ok;
  }
  platform::Registry& registry = ports.keys.registry;
  OwnedKey key = OpenWinlogon(ports, platform::KeyAccess::Read);
  if (!key) return false;
  if (!passwordStored) passwordStored = PlainPasswordStored(registry, key.get());
  return passwordStored && ReadsAsOne(registry, key.get());
}

AutoLogonResult SetAutoLogon(const AutoLogonPorts& ports, const Text* account, Text* password) {
  struct WipeOnReturn {
    Text* text;
    ~WipeOnReturn() {
      if (text != nullptr) WipeText(*text);
    }
  } wipe{password};

  const bool on = password != nullptr;
  platform::Registry& registry = ports.keys.registry;
  OwnedKey key = OpenWinlogon(ports, platform::KeyAccess::Write);
  if (!key) return AutoLogonResult::Failed;

  Text name;
  bool named = false;
  if (!on) {
    named = registry.SetString(key.get(), kUserName, u"") == platform::Status::Ok;
  } else if (account != nullptr) {
    name = *account;
    named = registry.SetString(key.get(), kUserName, name) == platform::Status::Ok;
  } else {
    named = registry.SetValue(key.get(), kUserName, ValueType::String, nullptr, 0) ==
            platform::Status::Ok;
  }
  if (!named) return AutoLogonResult::Failed;
  if (!name.empty()) {
    (void)registry.SetString(key.get(), kDomainName, DomainOf(ports.keys.accounts, name));
  }

  return on ? SwitchOn(ports, key.get(), *password) : SwitchOff(ports, key.get());
}

bool LimitAutoLogons(const AutoLogonPorts& ports, std::uint32_t logons) {
  platform::Registry& registry = ports.keys.registry;
  OwnedKey key = OpenWinlogon(ports, platform::KeyAccess::Write);
  if (!key) return false;
  if (logons == 0) {
    const Status removed = registry.DeleteValue(key.get(), kLogonCount);
    return removed == Status::Ok || removed == Status::NotFound;
  }
  // Little-endian, as a REG_DWORD is stored.
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(logons), static_cast<unsigned char>(logons >> 8),
      static_cast<unsigned char>(logons >> 16), static_cast<unsigned char>(logons >> 24)};
  return registry.SetValue(key.get(), kLogonCount, ValueType::Dword, bytes, sizeof bytes) ==
         Status::Ok;
}

}  // namespace twk::setup

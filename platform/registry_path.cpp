#include "platform/registry_path.h"

namespace twk::platform {
namespace {

struct Alias {
  const char16_t* shortName;
  const char16_t* longName;
  RegistryRoot root;
};

constexpr Alias kAliases[] = {
    {u"HKLM", u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {u"HKCU", u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {u"HKCR", u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
    {u"HKU", u"HKEY_USERS", RegistryRoot::Users},
    {u"HKCC", u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
};

// The separator is looked for only from the 4th character on, and only up
// to the 23rd: no root is shorter than HKU, none longer than
// HKEY_CURRENT_CONFIG32 + 2.
constexpr std::size_t kFirstSeparator = 4;
constexpr std::size_t kLastSeparator = 23;

bool EndsWithIgnoreCase(const Text& text, const Text& tail) {
  return text.size() >= tail.size() &&
         EqualsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

bool IsOneOf(const Text& root, const char16_t* shortName, const char16_t* longName) {
  return EqualsIgnoreCase(root, shortName) || EqualsIgnoreCase(root, longName);
}

// True when rest is prefix itself or prefix followed by a backslash: a key
// named SOFTWAREX is not SOFTWARE.
bool StartsWithComponent(const Text& rest, const Text& prefix) {
  if (rest.size() < prefix.size() || !EqualsIgnoreCase(rest.substr(0, prefix.size()), prefix)) {
    return false;
  }
  return rest.size() == prefix.size() || rest[prefix.size()] == u'\\';
}

}  // namespace

std::optional<RegistryRoot> SplitRegistryRoot(Text& path, std::uint32_t* access) {
  if (path.empty()) return std::nullopt;

  std::size_t separator = Text::npos;  // 0-based
  for (std::size_t i = kFirstSeparator - 1; i < path.size() && i < kLastSeparator; ++i) {
    if (path[i] == u'\\') {
      separator = i;
      break;
    }
  }
  Text root = separator == Text::npos ? path : path.substr(0, separator);

  std::uint32_t viewFlag = 0;
  if (access != nullptr && root.size() >= 2) {
    if (EndsWithIgnoreCase(root, u"64")) {
      viewFlag = platform::KeyAccess::View64;
    } else if (EndsWithIgnoreCase(root, u"32")) {
      viewFlag = platform::KeyAccess::View32;
    }
    if (viewFlag != 0) root.resize(root.size() - 2);
  }

  for (const Alias& alias : kAliases) {
    if (IsOneOf(root, alias.shortName, alias.longName)) {
      if (access != nullptr) *access |= viewFlag;
      path = separator == Text::npos ? Text() : path.substr(separator + 1);
      return alias.root;
    }
  }
  return std::nullopt;
}

Answer<RegistryKey> OpenRegistryPath(Registry& registry, const Text& path, std::uint32_t access) {
  Text subkey = path;
  auto root = SplitRegistryRoot(subkey, &access);
  if (!root) return {Status::NotFound, kNoKey};
  return registry.OpenKey(*root, subkey, access);
}

bool ToSecurityObjectName(platform::Registry& registry, Text& path) {
  Text name = path;
  if (name.starts_with(u"\\\\")) {
    // \\machine\root\...: the machine is not used further.
    std::size_t third = name.find(u'\\', 2);
    if (third == Text::npos) return false;
    name.erase(0, third + 1);
  }

  std::size_t separator = name.find(u'\\');
  Text root = separator == Text::npos ? name : name.substr(0, separator);
  Text rest = separator == Text::npos ? Text() : name.substr(separator);
  if (root.empty()) return false;

  if (IsOneOf(root, u"HKLM", u"HKEY_LOCAL_MACHINE")) {
    path = u"MACHINE" + rest;
    return true;
  }
  if (IsOneOf(root, u"HKCR", u"HKEY_CLASSES_ROOT")) {
    path = u"CLASSES_ROOT" + rest;
    return true;
  }
  if (IsOneOf(root, u"HKCU", u"HKEY_CURRENT_USER")) {
    path = u"CURRENT_USER" + rest;
    return true;
  }
  if (IsOneOf(root, u"HKU", u"HKEY_USERS")) {
    path = u"USERS" + rest;
    return true;
  }

  // The view roots: the security functions have no view flag, so a 32-bit
  // process on 64-bit Windows cannot name a native key at all, and names the
  // 32-bit copy without the WOW6432Node step (its calls are redirected).
  const bool wow64 = registry.IsWow64Process();
  if (IsOneOf(root, u"HKLM64", u"HKEY_LOCAL_MACHINE64")) {
    if (wow64) return false;
    path = u"MACHINE" + rest;
    return true;
  }
  if (IsOneOf(root, u"HKLM32", u"HKEY_LOCAL_MACHINE32")) {
    const Text software = u"\\SOFTWARE";
    const Text redirected = u"\\SOFTWARE\\WOW6432Node";
    if (!wow64 && StartsWithComponent(rest, software)) {
      rest = u"\\SOFTWARE\\WOW6432Node" + rest.substr(software.size());
    } else if (wow64 && StartsWithComponent(rest, redirected)) {
      rest = software + rest.substr(redirected.size());
    }
    path = u"MACHINE" + rest;
    return true;
  }
  if (IsOneOf(root, u"HKCR64", u"HKEY_CLASSES_ROOT64")) {
    if (wow64) return false;
    path = u"CLASSES_ROOT" + rest;
    return true;
  }
  return false;
}

}  // namespace twk::platform

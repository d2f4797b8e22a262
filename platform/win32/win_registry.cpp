#include "platform/win32/win_registry.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win_error.h"
#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

HKEY PredefinedKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
      return HKEY_USERS;
    case RegistryRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// The longest names the registry allows, without the terminating null: a
// value's name, and a key's.
constexpr DWORD kMaxValueName = 16383;
constexpr DWORD kMaxKeyName = 255;

// RegEnumValueW or RegEnumKeyExW at one index, into a name buffer of
// `*length` characters, terminator included; the name's own length, without
// it, comes back there.
using EnumerateAt = LSTATUS (*)(HKEY key, DWORD index, wchar_t* name, DWORD* length);

LSTATUS ValueAt(HKEY key, DWORD index, wchar_t* name, DWORD* length) {
  return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS SubkeyAt(HKEY key, DWORD index, wchar_t* name, DWORD* length) {
  return RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
}

// Every name from index 0 until ERROR_NO_MORE_ITEMS. The buffer starts at
// `longest` (what RegQueryInfoKeyW reported) and doubles when a name no
// longer fits, which happens when one is renamed or added while we read;
// `limit` bounds that growth, since no name is longer.
Answer<std::vector<std::u16string>> EnumerateNames(HKEY key, EnumerateAt at, DWORD longest,
                                                   DWORD limit) {
  std::vector<wchar_t> buffer(static_cast<std::size_t>(longest) + 1);
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    LSTATUS code = ERROR_SUCCESS;
    DWORD length = 0;
    for (;;) {
      length = static_cast<DWORD>(buffer.size());
      code = at(key, index, buffer.data(), &length);
      if (code != ERROR_MORE_DATA) break;
      if (buffer.size() > limit) return Status::Failed;
      buffer.resize(std::min<std::size_t>(buffer.size() * 2, std::size_t{limit} + 1));
    }
    if (code == ERROR_NO_MORE_ITEMS) return names;
    if (code != ERROR_SUCCESS) return StatusFromError(static_cast<DWORD>(code));
    names.emplace_back(reinterpret_cast<const char16_t*>(buffer.data()), length);
  }
}

// The longest value name (values) or subkey name (!values) the key holds.
// RegQueryInfoKeyW needs the right to query values, which a key opened only
// to list its subkeys lacks: then the longest name allowed stands in, and
// the enumeration itself says whether the key may be read.
DWORD LongestName(HKEY key, bool values) {
  DWORD longestSubkey = 0;
  DWORD longestValue = 0;
  const LSTATUS code = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longestSubkey,
                                        nullptr, nullptr, &longestValue, nullptr, nullptr, nullptr);
  if (code != ERROR_SUCCESS) return values ? kMaxValueName : kMaxKeyName;
  return values ? longestValue : longestSubkey;
}

}  // namespace

Answer<RegistryKey> WinRegistry::OpenKey(RegistryRoot root, const std::u16string& subkey,
                                         std::uint32_t access) {
  HKEY predefined = PredefinedKey(root);
  if (predefined == nullptr) return {Status::NotFound, kNoKey};
  HKEY opened = nullptr;
  // A null subkey opens the root itself; an empty string would do the same,
  // but null is what the documentation promises for that case.
  const LSTATUS code = RegOpenKeyExW(predefined, subkey.empty() ? nullptr : Wide(subkey), 0,
                                     static_cast<REGSAM>(access), &opened);
  if (code != ERROR_SUCCESS) return {StatusFromError(static_cast<DWORD>(code)), kNoKey};
  if (opened == nullptr) return {Status::Failed, kNoKey};
  return {Status::Ok, reinterpret_cast<RegistryKey>(opened)};
}

void WinRegistry::CloseKey(RegistryKey key) {
  if (key == kNoKey || key == ~RegistryKey{0}) return;
  RegCloseKey(ToHkey(key));
}

Status WinRegistry::SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type,
                             const void* data, std::uint32_t size) {
  if (key == kNoKey) return Status::Failed;
  return StatusFromError(static_cast<DWORD>(
      RegSetValueExW(ToHkey(key), Wide(name), 0, type,
                     size == 0 ? nullptr : static_cast<const BYTE*>(data), size)));
}

Status WinRegistry::DeleteValue(RegistryKey key, const std::u16string& name) {
  if (key == kNoKey) return Status::Failed;
  return StatusFromError(static_cast<DWORD>(RegDeleteValueW(ToHkey(key), Wide(name))));
}

Answer<RegistryValue> WinRegistry::QueryValue(RegistryKey key, const std::u16string& name) {
  if (key == kNoKey) return Status::Failed;
  // Size first, then the data; a value that grows in between is asked for
  // again a few times rather than read cut short.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    const LSTATUS sized = RegQueryValueExW(ToHkey(key), Wide(name), nullptr, &type, nullptr, &size);
    if (sized != ERROR_SUCCESS) return StatusFromError(static_cast<DWORD>(sized));
    RegistryValue value;
    value.type = type;
    if (size == 0) return value;
    value.data.assign(size, 0);
    DWORD read = size;
    LSTATUS status =
        RegQueryValueExW(ToHkey(key), Wide(name), nullptr, &type, value.data.data(), &read);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return StatusFromError(static_cast<DWORD>(status));
    value.type = type;
    value.data.resize(read);
    return value;
  }
  return Status::Failed;
}

Answer<std::vector<std::u16string>> WinRegistry::ValueNames(RegistryKey key) {
  if (key == kNoKey) return Status::Failed;
  return EnumerateNames(ToHkey(key), ValueAt, LongestName(ToHkey(key), true), kMaxValueName);
}

Answer<std::vector<std::u16string>> WinRegistry::SubkeyNames(RegistryKey key) {
  if (key == kNoKey) return Status::Failed;
  return EnumerateNames(ToHkey(key), SubkeyAt, LongestName(ToHkey(key), false), kMaxKeyName);
}

bool WinRegistry::IsWow64Process() { return CurrentProcessIsWow64(); }

}  // namespace twk::platform::win32

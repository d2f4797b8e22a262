#include "platform/win32/win_registry.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

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

bool WinRegistry::IsWow64Process() { return CurrentProcessIsWow64(); }

}  // namespace twk::platform::win32

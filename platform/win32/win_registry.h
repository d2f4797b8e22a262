#pragma once
#include "platform/registry.h"

namespace twk::platform::win32 {

class WinRegistry final : public Registry {
 public:
  Answer<RegistryKey> OpenKey(RegistryRoot root, const std::u16string& subkey,
                              std::uint32_t access) override;
  void CloseKey(RegistryKey key) override;
  Status SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  Status DeleteValue(RegistryKey key, const std::u16string& name) override;
  Answer<RegistryValue> QueryValue(RegistryKey key, const std::u16string& name) override;
  Answer<std::vector<std::u16string>> ValueNames(RegistryKey key) override;
  Answer<std::vector<std::u16string>> SubkeyNames(RegistryKey key) override;
  bool IsWow64Process() override;
};

}  // namespace twk::platform::win32

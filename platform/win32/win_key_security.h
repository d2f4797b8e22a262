#pragma once
#include "platform/key_security.h"

namespace twk::platform::win32 {

class WinKeySecurity final : public KeySecurity {
 public:
  Status SetKeyOwnerAndAccess(RegistryKey key, std::span<const std::uint8_t> owner,
                              std::span<const std::uint8_t> acl) override;
  Status ResetTreeSecurity(const std::u16string& objectName, std::span<const std::uint8_t> owner,
                           std::span<const std::uint8_t> acl) override;
  Status SetOwnerByName(const std::u16string& objectName,
                        std::span<const std::uint8_t> owner) override;
};

}  // namespace twk::platform::win32

#pragma once
// Owner and access list of registry keys. The logic builds the owner SID and
// the access list (a binary ACL) as bytes; the adapter only wraps them into a
// security descriptor and applies it, either through an open key or by the
// key's object name (MACHINE\SOFTWARE\..., see ToSecurityObjectName), whole
// subtrees included.
#include <cstdint>
#include <span>
#include <string>

#include "platform/registry.h"
#include "platform/status.h"

namespace twk::platform {

class KeySecurity {
 public:
  virtual ~KeySecurity() = default;

  // RegSetKeySecurity with owner and DACL information on a key opened with
  // WRITE_DAC and WRITE_OWNER, through an absolute security descriptor whose
  // owner and DACL are both marked defaulted (the DACL is not protected).
  [[nodiscard]] virtual Status SetKeyOwnerAndAccess(RegistryKey key,
                                                    std::span<const std::uint8_t> owner,
                                                    std::span<const std::uint8_t> acl) = 0;
  // TreeResetNamedSecurityInfoW (looked up at run time) on a registry object
  // name: owner, DACL and a protected DACL, explicit entries of subkeys not
  // kept, no progress callback. Failed when the function is not there.
  [[nodiscard]] virtual Status ResetTreeSecurity(const std::u16string& objectName,
                                                 std::span<const std::uint8_t> owner,
                                                 std::span<const std::uint8_t> acl) = 0;
  // SetNamedSecurityInfoW with owner information only.
  [[nodiscard]] virtual Status SetOwnerByName(const std::u16string& objectName,
                                              std::span<const std::uint8_t> owner) = 0;
};

}  // namespace twk::platform

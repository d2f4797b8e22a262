#pragma once
// Records every owner and access list applied to registry keys, through a
// key or by name, in order. Tests choose the answers (a queue per kind of
// call, then Ok) and may hook every change that succeeds, e.g. to let a
// simulated registry open a key that was denied before the repair.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/key_security.h"

namespace twk::platform {

class FakeKeySecurity final : public KeySecurity {
 public:
  enum class Kind { ThroughKey, TreeByName, OwnerByName };
  struct Call {
    Kind kind;
    RegistryKey key = kNoKey;   // ThroughKey
    std::u16string objectName;  // by name
    std::vector<std::uint8_t> owner;
    std::vector<std::uint8_t> acl;  // empty for OwnerByName
  };

  // ---- test controls -------------------------------------------------------
  std::deque<Status> keyAnswers, treeAnswers, ownerAnswers;  // empty: Ok
  std::function<void()> onApplied;                           // after every change that answered Ok

  std::vector<Call> calls;
  [[nodiscard]] int Count(Kind kind) const;

  // ---- KeySecurity ---------------------------------------------------------
  Status SetKeyOwnerAndAccess(RegistryKey key, std::span<const std::uint8_t> owner,
                              std::span<const std::uint8_t> acl) override;
  Status ResetTreeSecurity(const std::u16string& objectName, std::span<const std::uint8_t> owner,
                           std::span<const std::uint8_t> acl) override;
  Status SetOwnerByName(const std::u16string& objectName,
                        std::span<const std::uint8_t> owner) override;

 private:
  Status Applied(Status answer);
};

}  // namespace twk::platform

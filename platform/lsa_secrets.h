#pragma once
// The local security authority's private data (LSA secrets) of this machine:
// where Windows expects the auto-logon password. A policy is opened on the
// local system with the right to create secrets, which serves for reading as
// well as for writing; data is stored as a counted UTF-16 string. What is
// stored is never handed back to the logic: it only asks whether there is any.
#include <cstdint>
#include <string>

#include "platform/port_handle.h"
#include "platform/status.h"

namespace twk::platform {

using LsaPolicy = std::uintptr_t;  // 0 = none
inline constexpr LsaPolicy kNoPolicy = 0;

// A counted UTF-16 string in the system's own shape: `length` bytes of text
// (no terminator counted) in a buffer of `maximumLength` bytes. The caller
// owns the buffer and must make every one of its bytes defined.
struct CountedText {
  const char16_t* buffer = nullptr;
  std::uint16_t length = 0;         // in bytes
  std::uint16_t maximumLength = 0;  // in bytes
};

class LsaSecrets {
 public:
  virtual ~LsaSecrets() = default;

  // LsaOpenPolicy on the local system, object attributes all zero,
  // POLICY_CREATE_SECRET. Denied for an account without the right to create
  // secrets (not an administrator, or not elevated), Failed otherwise.
  [[nodiscard]] virtual Answer<LsaPolicy> OpenPolicy() = 0;
  virtual void ClosePolicy(LsaPolicy policy) = 0;

  // LsaStorePrivateData: stores data under keyName, or removes the secret
  // when data is null.
  [[nodiscard]] virtual Status StorePrivateData(LsaPolicy policy, const std::u16string& keyName,
                                                const CountedText* data) = 0;
  // LsaRetrievePrivateData: Ok when the secret exists and data came back
  // (an empty counted string counts); NotFound when there is none. The data
  // is wiped and freed inside the adapter.
  [[nodiscard]] virtual Status QueryPrivateData(LsaPolicy policy,
                                                const std::u16string& keyName) = 0;
};

using OwnedLsaPolicy = PortHandle<LsaSecrets, LsaPolicy, &LsaSecrets::ClosePolicy>;

}  // namespace twk::platform

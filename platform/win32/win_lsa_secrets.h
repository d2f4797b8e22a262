#pragma once
#include "platform/lsa_secrets.h"

namespace twk::platform::win32 {

class WinLsaSecrets final : public LsaSecrets {
 public:
  Answer<LsaPolicy> OpenPolicy() override;
  void ClosePolicy(LsaPolicy policy) override;
  Status StorePrivateData(LsaPolicy policy, const std::u16string& keyName,
                          const CountedText* data) override;
  Status QueryPrivateData(LsaPolicy policy, const std::u16string& keyName) override;
};

}  // namespace twk::platform::win32

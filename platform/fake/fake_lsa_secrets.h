#pragma once
// LSA private data of a simulated machine: secrets by name, kept as the
// counted string's bytes up to its maximum length, so that tests can check
// the count, the padding and the byte beyond it. Tests make the policy or a
// store fail with a given status and count policies left open.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/lsa_secrets.h"

namespace twk::platform {

class FakeLsaSecrets final : public LsaSecrets {
 public:
  struct Secret {
    std::uint16_t length = 0;         // bytes
    std::uint16_t maximumLength = 0;  // bytes
    std::vector<char16_t> buffer;     // maximumLength / 2 characters
  };

  // ---- test controls -------------------------------------------------------
  bool policyOpens = true;
  Status storeAnswer = Status::Ok;  // what every store answers (and does, when Ok)
  std::map<std::u16string, Secret> secrets;

  int openPolicies() const { return openPolicies_; }
  int stores() const { return stores_; }
  int badCloses() const { return badCloses_; }

  // ---- LsaSecrets ----------------------------------------------------------
  Answer<LsaPolicy> OpenPolicy() override;
  void ClosePolicy(LsaPolicy policy) override;
  Status StorePrivateData(LsaPolicy policy, const std::u16string& keyName,
                          const CountedText* data) override;
  Status QueryPrivateData(LsaPolicy policy, const std::u16string& keyName) override;

 private:
  int openPolicies_ = 0;
  int stores_ = 0;
  int badCloses_ = 0;
};

}  // namespace twk::platform

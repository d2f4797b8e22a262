#include "platform/fake/fake_lsa_secrets.h"

namespace twk::platform {
namespace {
constexpr LsaPolicy kFakePolicy = 0x5EC0;
}

Answer<LsaPolicy> FakeLsaSecrets::OpenPolicy() {
  // As for an account that may not create secrets.
  if (!policyOpens) return Status::Denied;
  ++openPolicies_;
  return kFakePolicy;
}

void FakeLsaSecrets::ClosePolicy(LsaPolicy policy) {
  if (policy != kFakePolicy || openPolicies_ == 0) {
    ++badCloses_;
    return;
  }
  --openPolicies_;
}

Status FakeLsaSecrets::StorePrivateData(LsaPolicy policy, const std::u16string& keyName,
                                        const CountedText* data) {
  ++stores_;
  if (policy != kFakePolicy || openPolicies_ == 0) return Status::Failed;
  if (storeAnswer != Status::Ok) return storeAnswer;
  if (data == nullptr) {
    secrets.erase(keyName);
    return Status::Ok;
  }
  if (data->length > data->maximumLength || data->length % 2 != 0) return Status::Failed;
  Secret secret;
  secret.length = data->length;
  secret.maximumLength = data->maximumLength;
  secret.buffer.assign(data->buffer, data->buffer + data->maximumLength / 2);
  secrets[keyName] = std::move(secret);
  return Status::Ok;
}

Status FakeLsaSecrets::QueryPrivateData(LsaPolicy policy, const std::u16string& keyName) {
  if (policy != kFakePolicy || openPolicies_ == 0) return Status::Failed;
  return secrets.contains(keyName) ? Status::Ok : Status::NotFound;
}

}  // namespace twk::platform

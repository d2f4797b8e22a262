#include "platform/win32/win_lsa_secrets.h"

#include <windows.h>

#include "platform/win32/handles.h"
// After windows.h, whose types they use.
#include <ntsecapi.h>

#include "platform/win32/win_security_status.h"

namespace twk::platform::win32 {
namespace {

LSA_HANDLE ToLsa(LsaPolicy policy) { return reinterpret_cast<LSA_HANDLE>(policy); }

// The key name as the LSA takes it: a counted string over the caller's text.
LSA_UNICODE_STRING Counted(const std::u16string& text) {
  LSA_UNICODE_STRING counted;
  counted.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(text.c_str()));
  counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
  counted.MaximumLength = static_cast<USHORT>(counted.Length + sizeof(wchar_t));
  return counted;
}

}  // namespace

Answer<LsaPolicy> WinLsaSecrets::OpenPolicy() {
  LSA_OBJECT_ATTRIBUTES attributes;
  ZeroMemory(&attributes, sizeof(attributes));
  LSA_HANDLE policy = nullptr;
  const NTSTATUS opened = LsaOpenPolicy(nullptr, &attributes, POLICY_CREATE_SECRET, &policy);
  if (opened < 0 || policy == nullptr) {
    const Status status = StatusOfNt(opened);
    return status == Status::Ok ? Status::Failed : status;
  }
  return reinterpret_cast<LsaPolicy>(policy);
}

void WinLsaSecrets::ClosePolicy(LsaPolicy policy) {
  if (policy != kNoPolicy) LsaClose(ToLsa(policy));
}

Status WinLsaSecrets::StorePrivateData(LsaPolicy policy, const std::u16string& keyName,
                                       const CountedText* data) {
  if (policy == kNoPolicy) return Status::Failed;
  LSA_UNICODE_STRING name = Counted(keyName);
  // The caller's buffer is passed as it is, so no copy of a password is
  // made here that would need wiping.
  LSA_UNICODE_STRING secret;
  if (data != nullptr) {
    secret.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(data->buffer));
    secret.Length = data->length;
    secret.MaximumLength = data->maximumLength;
  }
  return StatusOfNt(LsaStorePrivateData(ToLsa(policy), &name, data != nullptr ? &secret : nullptr));
}

Status WinLsaSecrets::QueryPrivateData(LsaPolicy policy, const std::u16string& keyName) {
  if (policy == kNoPolicy) return Status::Failed;
  LSA_UNICODE_STRING name = Counted(keyName);
  LsaText data;
  const Status status = StatusOfNt(LsaRetrievePrivateData(ToLsa(policy), &name, data.Receive()));
  if (!data) return status == Status::Ok ? Status::NotFound : status;
  // The password is not needed, only whether there is one: wipe it before
  // the memory goes back to the system.
  if (data.get()->Buffer != nullptr)
    SecureZeroMemory(data.get()->Buffer, data.get()->MaximumLength);
  return status;
}

}  // namespace twk::platform::win32

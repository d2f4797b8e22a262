#include "platform/win32/win_key_security.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <aclapi.h>

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win_error.h"
#include "platform/win32/win_security_status.h"

namespace twk::platform::win32 {
namespace {

using TreeResetFn = DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL,
                                   PACL, BOOL, FN_PROGRESS, PROG_INVOKE_SETTING, PVOID);

// Shortest SID (no sub-authority) and shortest ACL (the header alone).
constexpr std::size_t kMinimumBytes = 8;

// Copies of the logic's bytes in buffers aligned as the system expects SIDs
// and ACLs (DWORD), checked before they are handed on.
class Aligned {
 public:
  explicit Aligned(std::span<const std::uint8_t> bytes) : words_((bytes.size() + 3) / 4, 0) {
    if (!bytes.empty()) CopyMemory(words_.data(), bytes.data(), bytes.size());
  }
  void* get() { return words_.data(); }
  PACL acl() { return static_cast<PACL>(get()); }

 private:
  std::vector<DWORD> words_;
};

// The object name as the named-security functions take it (not const).
std::vector<wchar_t> Writable(const std::u16string& name) {
  std::vector<wchar_t> text(name.begin(), name.end());
  text.push_back(L'\0');
  return text;
}

}  // namespace

Status WinKeySecurity::SetKeyOwnerAndAccess(RegistryKey key, std::span<const std::uint8_t> owner,
                                            std::span<const std::uint8_t> acl) {
  if (key == kNoKey || owner.size() < kMinimumBytes || acl.size() < kMinimumBytes) {
    return Status::Failed;
  }
  Aligned ownerSid(owner);
  Aligned list(acl);
  if (!IsValidSid(ownerSid.get()) || !IsValidAcl(list.acl())) return Status::Failed;
  SECURITY_DESCRIPTOR descriptor;
  ZeroMemory(&descriptor, sizeof(descriptor));
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, list.acl(), TRUE) ||
      !SetSecurityDescriptorOwner(&descriptor, ownerSid.get(), TRUE)) {
    return StatusFromError(LastError());
  }
  // RegSetKeySecurity answers with the error code itself.
  return StatusFromError(RegSetKeySecurity(reinterpret_cast<HKEY>(key),
                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                         &descriptor));
}

Status WinKeySecurity::ResetTreeSecurity(const std::u16string& objectName,
                                         std::span<const std::uint8_t> owner,
                                         std::span<const std::uint8_t> acl) {
  if (owner.size() < kMinimumBytes || acl.size() < kMinimumBytes) return Status::Failed;
  Aligned ownerSid(owner);
  Aligned list(acl);
  if (!IsValidSid(ownerSid.get()) || !IsValidAcl(list.acl())) return Status::Failed;
  // Not there before Windows Vista: looked up, so the program starts on XP.
  UniqueModule advapi(LoadLibraryW(L"advapi32.dll"));
  if (!advapi) return Status::Failed;
  auto reset = reinterpret_cast<TreeResetFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(advapi.get(), "TreeResetNamedSecurityInfoW")));
  if (reset == nullptr) return Status::Failed;
  std::vector<wchar_t> name = Writable(objectName);
  return StatusFromError(reset(
      name.data(), SE_REGISTRY_KEY,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      ownerSid.get(), nullptr, list.acl(), nullptr, FALSE, nullptr, ProgressInvokeNever, nullptr));
}

Status WinKeySecurity::SetOwnerByName(const std::u16string& objectName,
                                      std::span<const std::uint8_t> owner) {
  if (owner.size() < kMinimumBytes) return Status::Failed;
  Aligned ownerSid(owner);
  if (!IsValidSid(ownerSid.get())) return Status::Failed;
  std::vector<wchar_t> name = Writable(objectName);
  return StatusFromError(SetNamedSecurityInfoW(name.data(), SE_REGISTRY_KEY,
                                             OWNER_SECURITY_INFORMATION, ownerSid.get(), nullptr,
                                             nullptr, nullptr));
}

}  // namespace twk::platform::win32

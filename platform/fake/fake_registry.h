#pragma once
// An in-memory registry: one tree of keys per predefined root, key and value
// names compared without regard to case, and the two views that a 32-bit
// process sees on 64-bit Windows (in the 32-bit view HKLM\SOFTWARE\X is
// the key HKLM\SOFTWARE\WOW6432Node\X). Opens check nothing but existence and
// the test's denials, and every value operation checks the access mask of
// its handle, as Windows does. Tests preload keys and values, read them back,
// see every open with its access mask, and count handles left open.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace twk::platform {

class FakeRegistry final : public Registry {
 public:
  enum class Op { Open, SetValue, DeleteValue, QueryValue };

  struct OpenCall {
    RegistryRoot root;
    std::u16string subkey;  // as passed
    std::uint32_t access;
    Answer<RegistryKey> result;  // key 0 when the open failed
  };
  // Every right, for DenyOpen: no open of the key succeeds.
  static constexpr std::uint32_t kAnyAccess = 0xFFFFFFFF;

  // ---- test controls -------------------------------------------------------
  // The machine: 64-bit Windows or not, and whether this process is a 32-bit
  // one on it. The default is 32-bit Windows, where there is one view.
  void SetMachine(bool windows64, bool wow64Process);
  // Makes HKEY_CURRENT_USER the key HKEY_USERS\<sid>, as it is on Windows.
  void SetCurrentUserSid(const std::u16string& sid) { currentUserSid_ = sid; }

  // Paths below are physical: what a 64-bit process sees without view flags
  // (the 32-bit copy of HKLM\SOFTWARE\X is named SOFTWARE\WOW6432Node\X).
  void AddKey(RegistryRoot root, const std::u16string& path);     // with missing parents
  bool RemoveKey(RegistryRoot root, const std::u16string& path);  // with its subkeys
  [[nodiscard]] bool KeyExists(RegistryRoot root, const std::u16string& path) const;
  void PutValue(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                std::uint32_t type, std::vector<std::uint8_t> data);  // creates the key
  // REG_SZ with its terminating NUL.
  void PutString(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                 const std::u16string& text);
  [[nodiscard]] std::optional<RegistryValue> Value(RegistryRoot root, const std::u16string& path,
                                                   const std::u16string& name) const;
  // The text of a REG_SZ value up to its first NUL; none for other types.
  [[nodiscard]] std::optional<std::u16string> StringValue(RegistryRoot root,
                                                          const std::u16string& path,
                                                          const std::u16string& name) const;
  // Names of the key's values in the case they were written, sorted folded.
  [[nodiscard]] std::vector<std::u16string> ValueNames(RegistryRoot root,
                                                       const std::u16string& path) const;
  using Registry::ValueNames;

  // Opens of this key that ask for any of these rights answer Denied until
  // AllowOpen (KeyAccess::SetValue: a key this user may read but not write).
  void DenyOpen(RegistryRoot root, const std::u16string& path, std::uint32_t rights = kAnyAccess);
  void AllowOpen(RegistryRoot root, const std::u16string& path);
  // The next `count` calls of op fail with Status::Failed.
  void FailNext(Op op, int count = 1);

  const std::vector<OpenCall>& openCalls() const { return openCalls_; }
  std::size_t openHandleCount() const { return handles_.size(); }
  int wow64Queries() const { return wow64Queries_; }
  // Closing a handle that is not open (or closing twice) is a fault of the
  // caller; the fake counts it instead of failing at once.
  int badCloses() const { return badCloses_; }

  // ---- Registry ------------------------------------------------------------
  [[nodiscard]] Answer<RegistryKey> OpenKey(RegistryRoot root, const std::u16string& subkey,
                                            std::uint32_t access) override;
  void CloseKey(RegistryKey key) override;
  [[nodiscard]] Status SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type,
                                const void* data, std::uint32_t size) override;
  [[nodiscard]] Status DeleteValue(RegistryKey key, const std::u16string& name) override;
  [[nodiscard]] Answer<RegistryValue> QueryValue(RegistryKey key,
                                                 const std::u16string& name) override;
  [[nodiscard]] Answer<std::vector<std::u16string>> ValueNames(RegistryKey key) override;
  [[nodiscard]] Answer<std::vector<std::u16string>> SubkeyNames(RegistryKey key) override;
  [[nodiscard]] bool IsWow64Process() override;

 private:
  struct StoredValue {
    std::u16string name;
    RegistryValue value;
  };
  struct Key {
    std::map<std::u16string, StoredValue> values;  // by folded name
    std::u16string name;                           // the last part, as first written
  };
  struct Handle {
    std::u16string physical;  // folded key id
    std::uint32_t access;
  };

  // Folded id of a key: root tag, then the folded components. Empty when the
  // path has an empty component.
  std::optional<std::u16string> KeyId(RegistryRoot root, const std::u16string& path,
                                      bool view32) const;
  bool Failing(Op op);
  // The key behind an open handle, or the status of the refusal.
  Key* KeyOf(RegistryKey key, std::uint32_t neededAccess, Status& status);

  std::map<std::u16string, Key> keys_;
  std::map<RegistryKey, Handle> handles_;
  std::map<std::u16string, std::uint32_t> denied_;  // key id -> refused rights
  std::map<Op, int> failures_;
  std::vector<OpenCall> openCalls_;
  std::u16string currentUserSid_;
  RegistryKey nextHandle_ = 0x1000;
  bool windows64_ = false;
  bool wow64_ = false;
  int wow64Queries_ = 0;
  int badCloses_ = 0;
};

}  // namespace twk::platform

#include "platform/fake/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "base/strings.h"

namespace twk::platform {
namespace {

constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;

std::u16string Folded(const std::u16string& text) { return FoldCase(text); }

// Generic rights map onto the specific rights of a key as Windows maps them.
std::uint32_t SpecificRights(std::uint32_t access) {
  std::uint32_t rights = access;
  if (access & (kGenericAll | kMaximumAllowed)) rights |= 0xF003F;  // KEY_ALL_ACCESS
  if (access & kGenericRead) rights |= KeyAccess::Read;
  if (access & kGenericWrite) rights |= KeyAccess::Write;
  return rights;
}

const char16_t* RootTag(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return u"HKCR";
    case RegistryRoot::CurrentUser:
      return u"HKCU";
    case RegistryRoot::LocalMachine:
      return u"HKLM";
    case RegistryRoot::Users:
      return u"HKU";
    case RegistryRoot::CurrentConfig:
      return u"HKCC";
  }
  return u"?";
}

}  // namespace

void FakeRegistry::SetMachine(bool windows64, bool wow64Process) {
  windows64_ = windows64;
  wow64_ = windows64 && wow64Process;
}

std::optional<std::u16string> FakeRegistry::KeyId(RegistryRoot root, const std::u16string& path,
                                                  bool view32) const {
  std::vector<std::u16string> parts;
  if (!path.empty()) {
    std::size_t start = 0;
    while (true) {
      std::size_t end = path.find(u'\\', start);
      std::u16string part = path.substr(start, end == std::u16string::npos ? end : end - start);
      if (part.empty()) return std::nullopt;
      parts.push_back(Folded(part));
      if (end == std::u16string::npos) break;
      start = end + 1;
    }
  }
  if (root == RegistryRoot::CurrentUser && !currentUserSid_.empty()) {
    root = RegistryRoot::Users;
    parts.insert(parts.begin(), Folded(currentUserSid_));
  }
  if (view32 && root == RegistryRoot::LocalMachine && !parts.empty() && parts[0] == u"software" &&
      (parts.size() < 2 || parts[1] != u"wow6432node")) {
    parts.insert(parts.begin() + 1, u"wow6432node");
  }
  std::u16string id = RootTag(root);
  for (const std::u16string& part : parts) id += u'\\' + part;
  return id;
}

void FakeRegistry::AddKey(RegistryRoot root, const std::u16string& path) {
  auto id = KeyId(root, path, false);
  if (!id) return;
  // Every ancestor exists too, each named as the path writes it (the first
  // time; a key keeps its name).
  const std::size_t parts = static_cast<std::size_t>(std::count(id->begin(), id->end(), u'\\'));
  const std::vector<std::u16string> names = path.empty() ? std::vector<std::u16string>{}
                                                         : Split(path, u"\\");
  std::size_t part = 0;
  for (std::size_t at = id->find(u'\\'); at != std::u16string::npos; at = id->find(u'\\', at + 1)) {
    ++part;
    Key& key = keys_[id->substr(0, id->find(u'\\', at + 1))];
    // The path's own parts are the last ones of the id (a user's root may
    // come before them).
    const std::size_t fromEnd = parts - part;
    if (key.name.empty() && fromEnd < names.size()) key.name = names[names.size() - 1 - fromEnd];
  }
}

bool FakeRegistry::RemoveKey(RegistryRoot root, const std::u16string& path) {
  auto id = KeyId(root, path, false);
  if (!id || id->find(u'\\') == std::u16string::npos) return false;  // roots stay
  bool removed = false;
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == *id || it->first.starts_with(*id + u'\\')) {
      it = keys_.erase(it);
      removed = true;
    } else {
      ++it;
    }
  }
  return removed;
}

bool FakeRegistry::KeyExists(RegistryRoot root, const std::u16string& path) const {
  auto id = KeyId(root, path, false);
  if (!id) return false;
  return id->find(u'\\') == std::u16string::npos || keys_.count(*id) != 0;
}

void FakeRegistry::PutValue(RegistryRoot root, const std::u16string& path,
                            const std::u16string& name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
  AddKey(root, path);
  auto id = KeyId(root, path, false);
  if (!id) return;
  keys_[*id].values[Folded(name)] = StoredValue{name, RegistryValue{type, std::move(data)}};
}

void FakeRegistry::PutString(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name, const std::u16string& text) {
  std::vector<std::uint8_t> bytes((text.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(bytes.data(), text.c_str(), bytes.size());
  PutValue(root, path, name, ValueType::String, std::move(bytes));
}

std::optional<RegistryValue> FakeRegistry::Value(RegistryRoot root, const std::u16string& path,
                                                 const std::u16string& name) const {
  auto id = KeyId(root, path, false);
  if (!id) return std::nullopt;
  auto key = keys_.find(*id);
  if (key == keys_.end()) return std::nullopt;
  auto value = key->second.values.find(Folded(name));
  if (value == key->second.values.end()) return std::nullopt;
  return value->second.value;
}

std::optional<std::u16string> FakeRegistry::StringValue(RegistryRoot root,
                                                        const std::u16string& path,
                                                        const std::u16string& name) const {
  auto value = Value(root, path, name);
  if (!value || value->type != ValueType::String) return std::nullopt;
  std::u16string text(value->data.size() / sizeof(char16_t), u'\0');
  std::memcpy(text.data(), value->data.data(), text.size() * sizeof(char16_t));
  return text.substr(0, text.find(u'\0'));
}

std::vector<std::u16string> FakeRegistry::ValueNames(RegistryRoot root,
                                                     const std::u16string& path) const {
  std::vector<std::u16string> names;
  auto id = KeyId(root, path, false);
  if (!id) return names;
  auto key = keys_.find(*id);
  if (key == keys_.end()) return names;
  for (const auto& [folded, stored] : key->second.values) names.push_back(stored.name);
  return names;
}

void FakeRegistry::DenyOpen(RegistryRoot root, const std::u16string& path, std::uint32_t rights) {
  if (auto id = KeyId(root, path, false)) denied_[*id] = rights;
}

void FakeRegistry::AllowOpen(RegistryRoot root, const std::u16string& path) {
  if (auto id = KeyId(root, path, false)) denied_.erase(*id);
}

void FakeRegistry::FailNext(Op op, int count) { failures_[op] += count; }

bool FakeRegistry::Failing(Op op) {
  auto it = failures_.find(op);
  if (it == failures_.end() || it->second <= 0) return false;
  --it->second;
  return true;
}

Answer<RegistryKey> FakeRegistry::OpenKey(RegistryRoot root, const std::u16string& subkey,
                                          std::uint32_t access) {
  // One view on 32-bit Windows; on 64-bit Windows the flags choose, and
  // without them the process's own bitness does.
  bool view32 = false;
  if (windows64_) {
    if (access & KeyAccess::View64) {
      view32 = false;
    } else if (access & KeyAccess::View32) {
      view32 = true;
    } else {
      view32 = wow64_;
    }
  }
  Answer<RegistryKey> result;
  auto id = KeyId(root, subkey, view32);
  const bool exists = id && (id->find(u'\\') == std::u16string::npos || keys_.count(*id) != 0);
  const auto denial = id ? denied_.find(*id) : denied_.end();
  const bool denied = denial != denied_.end() &&
                      (denial->second == kAnyAccess || (SpecificRights(access) & denial->second));
  if (Failing(Op::Open)) {
    result = Status::Failed;
  } else if (!exists) {
    result = Status::NotFound;
  } else if (denied) {
    result = Status::Denied;
  } else {
    result = nextHandle_;
    handles_[nextHandle_] = Handle{*id, SpecificRights(access)};
    nextHandle_ += 4;
  }
  openCalls_.push_back({root, subkey, access, result});
  return result;
}

void FakeRegistry::CloseKey(RegistryKey key) {
  if (key == kNoKey || key == ~RegistryKey{0}) return;
  if (handles_.erase(key) == 0) ++badCloses_;
}

FakeRegistry::Key* FakeRegistry::KeyOf(RegistryKey key, std::uint32_t neededAccess,
                                       Status& status) {
  status = Status::Failed;  // not an open handle, or a deleted key
  auto handle = handles_.find(key);
  if (handle == handles_.end()) return nullptr;
  if ((handle->second.access & neededAccess) != neededAccess) {
    status = Status::Denied;
    return nullptr;
  }
  auto stored = keys_.find(handle->second.physical);
  if (stored == keys_.end()) {
    if (handle->second.physical.find(u'\\') != std::u16string::npos) return nullptr;  // deleted
    stored = keys_.try_emplace(handle->second.physical).first;  // a root, made on first use
  }
  status = Status::Ok;
  return &stored->second;
}

Status FakeRegistry::SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type,
                              const void* data, std::uint32_t size) {
  if (Failing(Op::SetValue)) return Status::Failed;
  Status status = Status::Failed;
  Key* target = KeyOf(key, KeyAccess::SetValue, status);
  if (target == nullptr) return status;
  if (size != 0 && data == nullptr) return Status::Failed;
  std::vector<std::uint8_t> bytes(size);
  if (size != 0) std::memcpy(bytes.data(), data, size);
  target->values[Folded(name)] = StoredValue{name, RegistryValue{type, std::move(bytes)}};
  return Status::Ok;
}

Status FakeRegistry::DeleteValue(RegistryKey key, const std::u16string& name) {
  if (Failing(Op::DeleteValue)) return Status::Failed;
  Status status = Status::Failed;
  Key* target = KeyOf(key, KeyAccess::SetValue, status);
  if (target == nullptr) return status;
  return target->values.erase(Folded(name)) != 0 ? Status::Ok : Status::NotFound;
}

Answer<RegistryValue> FakeRegistry::QueryValue(RegistryKey key, const std::u16string& name) {
  if (Failing(Op::QueryValue)) return Status::Failed;
  Status status = Status::Failed;
  Key* target = KeyOf(key, KeyAccess::QueryValue, status);
  if (target == nullptr) return status;
  auto value = target->values.find(Folded(name));
  if (value == target->values.end()) return Status::NotFound;
  return value->second.value;
}

Answer<std::vector<std::u16string>> FakeRegistry::ValueNames(RegistryKey key) {
  Status status = Status::Failed;
  Key* target = KeyOf(key, KeyAccess::QueryValue, status);
  if (target == nullptr) return status;
  std::vector<std::u16string> names;
  for (const auto& [folded, stored] : target->values) names.push_back(stored.name);
  return names;
}

Answer<std::vector<std::u16string>> FakeRegistry::SubkeyNames(RegistryKey key) {
  Status status = Status::Failed;
  if (KeyOf(key, KeyAccess::EnumerateSubkeys, status) == nullptr) return status;
  const std::u16string prefix = handles_.at(key).physical + u'\\';
  std::vector<std::u16string> names;
  for (const auto& [id, stored] : keys_) {
    if (id.starts_with(prefix) && id.find(u'\\', prefix.size()) == std::u16string::npos) {
      names.push_back(stored.name.empty() ? id.substr(prefix.size()) : stored.name);
    }
  }
  return names;
}

bool FakeRegistry::IsWow64Process() {
  ++wow64Queries_;
  return wow64_;
}

}  // namespace twk::platform

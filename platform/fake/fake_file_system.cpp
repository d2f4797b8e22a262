#include "platform/fake/fake_file_system.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/strings.h"

namespace twk::platform {
namespace {

constexpr char16_t kBackslash = u'\\';
// Guards the fake against a test that seeks far out and then writes: a real
// disk would say it is full long before the string could not be allocated.
constexpr std::uint64_t kMaxFileBytes = 1ull << 30;

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return std::u16string_view(text).substr(0, prefix.size()) == prefix;
}

}  // namespace

// ---- paths -------------------------------------------------------------------

std::u16string FakeFileSystem::Key(const std::u16string& path) {
  std::u16string key = path;
  if (StartsWith(key, u"\\\\?\\UNC\\")) {
    key.erase(2, 6);  // "\\?\UNC\server\share" is "\\server\share"
  } else if (StartsWith(key, u"\\\\?\\")) {
    key.erase(0, 4);
  }
  TrimTrailingBackslashes(key);
  return FoldCase(std::move(key));
}

// Cut before the last backslash; the two of a network path's start are not
// separators, so "\\server" has no parent.
std::optional<std::u16string> FakeFileSystem::ParentKey(const std::u16string& key) {
  return ParentFolder(key);
}

const FakeFileSystem::Entry* FakeFileSystem::Find(const std::u16string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::IsFolderKey(const std::u16string& key) const {
  const Entry* entry = Find(key);
  return entry && entry->folder;
}

// Every open here shares reading at most, never writing or deleting: a file
// open at all cannot be replaced or deleted.
bool FakeFileSystem::InUse(const std::u16string& key) const {
  return std::any_of(handles_.begin(), handles_.end(),
                     [&](const auto& entry) { return entry.second.key == key; });
}

bool FakeFileSystem::ShouldFail(Op op, const std::u16string& key) {
  auto next = failNext_.find(op);
  if (next != failNext_.end() && next->second > 0) {
    --next->second;
    return true;
  }
  return std::any_of(failOn_.begin(), failOn_.end(),
                     [&](const auto& rule) { return rule.first == op && rule.second == key; });
}

FakeFileSystem::OpenFile* FakeFileSystem::Handle(FileHandle file) {
  auto it = handles_.find(file);
  return it == handles_.end() ? nullptr : &it->second;
}

// ---- test controls -----------------------------------------------------------

void FakeFileSystem::AddRoot(const std::u16string& root) { entries_[Key(root)].folder = true; }

bool FakeFileSystem::AddFolder(const std::u16string& path) {
  std::vector<std::u16string> missing;
  std::optional<std::u16string> key = Key(path);
  while (key && !Find(*key)) {
    missing.push_back(*key);
    key = ParentKey(*key);
  }
  if (!key || !IsFolderKey(*key)) return false;  // no root below it, or a file in the way
  for (const std::u16string& folder : missing) entries_[folder].folder = true;
  return true;
}

bool FakeFileSystem::SetFile(const std::u16string& path, std::string bytes) {
  const std::u16string key = Key(path);
  const auto parent = ParentKey(key);
  if (!parent || !AddFolder(*parent) || IsFolderKey(key)) return false;
  const std::size_t slash = path.rfind(u'\\');
  entries_[key] = Entry{false, std::move(bytes), std::nullopt,
                        slash == std::u16string::npos ? path : path.substr(slash + 1)};
  return true;
}

Answer<std::vector<std::u16string>> FakeFileSystem::FolderFiles(const std::u16string& folder) {
  const std::u16string key = Key(folder);
  if (!IsFolderKey(key)) return Status::NotFound;
  std::vector<std::u16string> names;
  for (const auto& [entryKey, entry] : entries_) {
    if (entry.folder || ParentKey(entryKey) != key) continue;
    names.push_back(entry.name.empty() ? entryKey.substr(key.size() + 1) : entry.name);
  }
  return names;
}

std::optional<std::string> FakeFileSystem::FileBytes(const std::u16string& path) const {
  const Entry* entry = Find(Key(path));
  if (!entry || entry->folder) return std::nullopt;
  return entry->bytes;
}

bool FakeFileSystem::FileExists(const std::u16string& path) const {
  const Entry* entry = Find(Key(path));
  return entry && !entry->folder;
}

bool FakeFileSystem::FolderExists(const std::u16string& path) const {
  return IsFolderKey(Key(path));
}

void FakeFileSystem::SetReportedSize(const std::u16string& path, std::uint64_t size) {
  auto it = entries_.find(Key(path));
  if (it != entries_.end() && !it->second.folder) it->second.reportedSize = size;
}

void FakeFileSystem::ClearFailures() {
  failNext_.clear();
  failOn_.clear();
  writeBudget_.reset();
}

// ---- FileSystem: open files --------------------------------------------------

Answer<FileHandle> FakeFileSystem::Open(const std::u16string& path, bool write, bool shareRead,
                                        Disposition disposition) {
  OpenCall& call = openCalls_.emplace_back(OpenCall{path, write, shareRead, disposition, 0});
  // A name ending in a separator names a folder, which CreateFileW refuses.
  if (path.empty() || path.back() == kBackslash) return Status::NotFound;
  const std::u16string key = Key(path);
  // An open a test makes fail is a file held by another program.
  if (ShouldFail(Op::Open, key)) return Status::Denied;
  for (const auto& [handle, open] : handles_) {
    if (open.key == key && (!open.shareRead || open.write || write || !shareRead)) {
      return Status::Denied;  // a sharing violation
    }
  }
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    const auto parent = ParentKey(key);
    if (disposition == Disposition::OpenExisting || !parent || !IsFolderKey(*parent)) {
      return Status::NotFound;
    }
    it = entries_.emplace(key, Entry{}).first;
  } else if (it->second.folder) {
    return Status::Denied;  // what CreateFileW answers for a folder
  } else if (disposition == Disposition::CreateNew) {
    return Status::Failed;  // the file exists
  } else if (disposition == Disposition::CreateAlways) {
    it->second = Entry{};
  }
  const FileHandle handle = nextHandle_;
  nextHandle_ += 4;  // like kernel handles: never 0, never -1
  handles_.emplace(handle, OpenFile{key, write, shareRead, 0});
  call.result = handle;
  return handle;
}

bool FakeFileSystem::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t& read) {
  read = 0;
  OpenFile* open = Handle(file);
  if (!open || ShouldFail(Op::Read, open->key)) return false;
  const std::string& bytes = entries_.at(open->key).bytes;
  if (open->position >= bytes.size()) return true;  // at or past the end: 0 bytes, success
  const std::size_t count = std::min<std::size_t>(bytes.size() - open->position, size);
  std::memcpy(buffer, bytes.data() + open->position, count);
  open->position += count;
  read = static_cast<std::uint32_t>(count);
  return true;
}

bool FakeFileSystem::Write(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t& written) {
  written = 0;
  OpenFile* open = Handle(file);
  if (!open || !open->write || ShouldFail(Op::Write, open->key)) return false;
  if (open->position + size > kMaxFileBytes) return false;
  const auto count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(size, writeBudget_.value_or(size)));
  std::string& bytes = entries_.at(open->key).bytes;
  const auto position = static_cast<std::size_t>(open->position);
  if (bytes.size() < position + count) bytes.resize(position + count, '\0');
  std::memcpy(bytes.data() + position, data, count);
  open->position += count;
  written = count;
  if (writeBudget_) *writeBudget_ -= count;
  return count == size;
}

bool FakeFileSystem::Size(FileHandle file, std::uint64_t& size) {
  size = 0;
  OpenFile* open = Handle(file);
  if (!open || ShouldFail(Op::Size, open->key)) return false;
  size = entries_.at(open->key).Size();
  return true;
}

bool FakeFileSystem::Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) {
  OpenFile* open = Handle(file);
  if (!open || ShouldFail(Op::Seek, open->key)) return false;
  const std::uint64_t base = origin == SeekOrigin::Begin     ? 0
                             : origin == SeekOrigin::Current ? open->position
                                                             : entries_.at(open->key).Size();
  // Windows refuses a position before the start.
  if (offset < 0 && 0 - static_cast<std::uint64_t>(offset) > base) return false;
  open->position = base + static_cast<std::uint64_t>(offset);
  return true;
}

bool FakeFileSystem::Flush(FileHandle file) {
  OpenFile* open = Handle(file);
  // FlushFileBuffers needs write access.
  return open && open->write && !ShouldFail(Op::Flush, open->key);
}

// ---- FileSystem: names -------------------------------------------------------

// PathIsRootW looks at the text alone: "\", "X:\", and "\\server\share" or
// any "\\..." with at most one more backslash. A \\?\ drive root such as
// "\\?\C:\" has two more and so is not a root to it.
bool FakeFileSystem::IsRoot(const std::u16string& path) {
  if (path.empty()) return false;
  if (path[0] == kBackslash) {
    if (path.size() == 1) return true;
    if (path[1] != kBackslash) return false;
    return std::count(path.begin() + 2, path.end(), kBackslash) <= 1;
  }
  return path.size() == 3 && path[1] == u':' && path[2] == kBackslash;
}

CreateDirResult FakeFileSystem::CreateDirectory(const std::u16string& path) {
  const std::u16string key = Key(path);
  if (ShouldFail(Op::CreateDirectory, key)) return CreateDirResult::Failed;
  if (Find(key)) return CreateDirResult::AlreadyExists;  // a file of that name too
  const auto parent = ParentKey(key);
  if (!parent || !IsFolderKey(*parent)) return CreateDirResult::Failed;
  entries_[key].folder = true;
  createdFolders_.push_back(path);
  return CreateDirResult::Created;
}

bool FakeFileSystem::ReplaceWith(const std::u16string& source, const std::u16string& target) {
  const std::u16string from = Key(source);
  const std::u16string to = Key(target);
  if (ShouldFail(Op::ReplaceWith, from) || ShouldFail(Op::ReplaceWith, to)) return false;
  const Entry* moved = Find(from);
  const Entry* replaced = Find(to);
  const auto parent = ParentKey(to);
  if (!moved || moved->folder || (replaced && replaced->folder) || !parent ||
      !IsFolderKey(*parent) || InUse(from) || InUse(to)) {
    return false;
  }
  if (from == to) return true;
  entries_[to] = *moved;
  entries_.erase(from);
  return true;
}

bool FakeFileSystem::Delete(const std::u16string& path) {
  const std::u16string key = Key(path);
  auto it = entries_.find(key);
  if (it == entries_.end() || it->second.folder || InUse(key) || ShouldFail(Op::Delete, key)) {
    return false;
  }
  entries_.erase(it);
  return true;
}

}  // namespace twk::platform

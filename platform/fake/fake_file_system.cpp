#include "platform/fake/fake_file_system.h"

#include <algorithm>
#include <cstring>

#include "base/strings.h"

namespace twk::platform {
namespace {

constexpr char16_t kBackslash = u'\\';
// Guards the fake against a test that seeks far out and then writes: a real
// disk would say it is full long before the vector could not be allocated.
constexpr std::uint64_t kMaxFileBytes = 1ull << 30;

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.size() >= prefix.size() &&
         std::u16string_view(text).substr(0, prefix.size()) == prefix;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Characters Windows refuses in a file or folder name.
bool ValidName(const std::u16string& name, bool verbatim) {
  for (char16_t c : name) {
    if (c < 0x20) return false;
    if (std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos) return false;
    if (verbatim && c == u'/') return false;
  }
  return !name.empty();
}

// Windows-1252 for the bytes 0x80-0x9F; the five bytes it leaves undefined
// map to the C1 control of the same value, as MultiByteToWideChar does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252ToUnit(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
}

char Cp1252FromUnit(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

void AppendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// UTF-8 with one U+FFFD for each maximal invalid subsequence (the Unicode
// recommendation that Windows follows): overlong forms, encoded surrogates,
// values above U+10FFFF and cut-off sequences are all replaced.
std::u16string DecodeUtf8(const unsigned char* s, std::size_t n) {
  std::u16string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    int need = 0;
    std::uint32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool complete = true;
    for (int k = 0; k < need; ++k, ++j) {
      if (j >= n || s[j] < lo || s[j] > hi) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (s[j] & 0x3F);
      lo = 0x80, hi = 0xBF;
    }
    if (complete) {
      AppendCodePoint(out, cp);
    } else {
      out += u'\uFFFD';
    }
    i = j;
  }
  return out;
}

// Unpaired surrogates become U+FFFD (EF BF BD), as WideCharToMultiByte does.
std::string EncodeUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace

// ---- paths -------------------------------------------------------------------

std::u16string FakeFileSystem::Parsed::Canonical(std::size_t count) const {
  std::u16string out = root;
  for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
    out += kBackslash;
    out += parts[i];
  }
  return out;
}

// Absolute paths only (the fake has no current folder): "X:\...", "X:",
// "\\server\share\..." and the \\?\ forms of both. Without the prefix, "/"
// separates like "\", "." and ".." are resolved and trailing dots and blanks
// of a name are dropped, as Windows does; with it the names are taken as they are.
std::optional<FakeFileSystem::Parsed> FakeFileSystem::Parse(const std::u16string& path) {
  std::u16string p = path;
  bool verbatim = false;
  if (StartsWith(p, u"\\\\?\\UNC\\")) {
    p = u"\\\\" + p.substr(8);
    verbatim = true;
  } else if (StartsWith(p, u"\\\\?\\")) {
    p = p.substr(4);
    verbatim = true;
  }
  if (!verbatim) std::replace(p.begin(), p.end(), u'/', kBackslash);

  Parsed parsed;
  std::size_t pos = 0;
  if (p.size() >= 2 && IsAsciiLetter(p[0]) && p[1] == u':') {
    if (p.size() > 2 && p[2] != kBackslash) return std::nullopt;  // "C:name" is drive-relative
    char16_t letter = p[0] >= u'a' ? static_cast<char16_t>(p[0] - u'a' + u'A') : p[0];
    parsed.root = std::u16string{letter, u':'};
    pos = 2;
  } else if (StartsWith(p, u"\\\\")) {
    std::size_t serverEnd = p.find(kBackslash, 2);
    if (serverEnd == std::u16string::npos) return std::nullopt;
    std::size_t shareEnd = p.find(kBackslash, serverEnd + 1);
    if (shareEnd == std::u16string::npos) shareEnd = p.size();
    std::u16string server = p.substr(2, serverEnd - 2);
    std::u16string share = p.substr(serverEnd + 1, shareEnd - serverEnd - 1);
    if (!ValidName(server, verbatim) || !ValidName(share, verbatim)) return std::nullopt;
    parsed.root = u"\\\\" + server + u"\\" + share;
    pos = shareEnd;
  } else {
    return std::nullopt;
  }

  while (pos < p.size()) {
    std::size_t next = p.find(kBackslash, pos + 1);
    if (next == std::u16string::npos) next = p.size();
    std::u16string name = p.substr(pos + 1, next - pos - 1);
    pos = next;
    if (name.empty()) continue;  // doubled or trailing separators
    if (!verbatim) {
      if (name == u".") continue;
      if (name == u"..") {
        if (!parsed.parts.empty()) parsed.parts.pop_back();
        continue;
      }
      while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
    } else if (name == u"." || name == u"..") {
      return std::nullopt;
    }
    if (!ValidName(name, verbatim)) return std::nullopt;
    parsed.parts.push_back(name);
  }
  return parsed;
}

std::u16string FakeFileSystem::Key(const std::u16string& canonical) {
  std::u16string key = canonical;
  for (char16_t& c : key) c = FoldCase(c);
  return key;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::u16string& path) {
  auto parsed = Parse(path);
  if (!parsed) return nullptr;
  auto it = nodes_.find(Key(parsed->Canonical()));
  return it == nodes_.end() ? nullptr : &it->second;
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::u16string& path) const {
  return const_cast<FakeFileSystem*>(this)->Find(path);
}

FakeFileSystem::Node* FakeFileSystem::ParentOf(const Parsed& parsed) {
  if (parsed.parts.empty()) return nullptr;
  auto it = nodes_.find(Key(parsed.Canonical(parsed.parts.size() - 1)));
  if (it == nodes_.end() || !it->second.directory) return nullptr;
  return &it->second;
}

// Every open here shares reading at most, never writing or deleting: a file
// already open may be opened again only for reading, by someone who also
// shares reading, and only when nobody holds it for writing.
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

bool FakeFileSystem::MakeFolders(const Parsed& parsed, std::size_t count) {
  auto root = nodes_.find(Key(parsed.root));
  if (root == nodes_.end()) return false;
  for (std::size_t level = 1; level <= count; ++level) {
    std::u16string canonical = parsed.Canonical(level);
    auto [it, inserted] = nodes_.try_emplace(Key(canonical));
    if (inserted) {
      it->second.path = canonical;
      it->second.directory = true;
    } else if (!it->second.directory) {
      return false;
    }
  }
  return true;
}

// ---- test controls -----------------------------------------------------------

void FakeFileSystem::AddDrive(char16_t letter) {
  if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - u'a' + u'A');
  std::u16string root{letter, u':'};
  Node& node = nodes_[Key(root)];
  node.path = root;
  node.directory = true;
}

bool FakeFileSystem::AddShare(const std::u16string& uncRoot) {
  auto parsed = Parse(uncRoot);
  if (!parsed || !parsed->parts.empty() || !StartsWith(parsed->root, u"\\\\")) return false;
  Node& node = nodes_[Key(parsed->root)];
  node.path = parsed->root;
  node.directory = true;
  return true;
}

bool FakeFileSystem::AddFolder(const std::u16string& path) {
  auto parsed = Parse(path);
  return parsed && MakeFolders(*parsed, parsed->parts.size());
}

bool FakeFileSystem::SetFile(const std::u16string& path, std::string bytes) {
  auto parsed = Parse(path);
  if (!parsed || parsed->parts.empty() || !MakeFolders(*parsed, parsed->parts.size() - 1)) {
    return false;
  }
  std::u16string canonical = parsed->Canonical();
  auto [it, inserted] = nodes_.try_emplace(Key(canonical));
  if (!inserted && it->second.directory) return false;
  if (inserted) it->second.path = canonical;
  it->second.bytes = std::move(bytes);
  it->second.reportedSize.reset();
  return true;
}

std::optional<std::string> FakeFileSystem::FileBytes(const std::u16string& path) const {
  const Node* node = Find(path);
  if (!node || node->directory) return std::nullopt;
  return node->bytes;
}

bool FakeFileSystem::FileExists(const std::u16string& path) const {
  const Node* node = Find(path);
  return node && !node->directory;
}

bool FakeFileSystem::FolderExists(const std::u16string& path) const {
  const Node* node = Find(path);
  return node && node->directory;
}

void FakeFileSystem::SetReportedSize(const std::u16string& path, std::uint64_t size) {
  Node* node = Find(path);
  if (node && !node->directory) node->reportedSize = size;
}

void FakeFileSystem::FailNext(Op op, int count) { failNext_[op] = count; }

void FakeFileSystem::FailOn(Op op, const std::u16string& path) {
  auto parsed = Parse(path);
  failOn_.emplace_back(op, parsed ? Key(parsed->Canonical()) : Key(path));
}

void FakeFileSystem::ClearFailures() {
  failNext_.clear();
  failOn_.clear();
  writeBudget_.reset();
}

// ---- FileSystem: open files --------------------------------------------------

FileHandle FakeFileSystem::Open(const std::u16string& path, bool write, bool shareRead,
                                Disposition disposition) {
  OpenCall& call = openCalls_.emplace_back(OpenCall{path, write, shareRead, disposition, 0});
  auto parsed = Parse(path);
  // A file name ending in a separator names a folder, which CreateFileW refuses.
  if (!parsed || parsed->parts.empty() || path.back() == kBackslash || path.back() == u'/')
    return 0;
  std::u16string key = Key(parsed->Canonical());
  if (ShouldFail(Op::Open, key)) return 0;

  auto it = nodes_.find(key);
  if (it != nodes_.end() && it->second.directory) return 0;
  for (const auto& [handle, open] : handles_) {
    if (open.key == key && (!open.shareRead || open.write || write || !shareRead)) return 0;
  }
  if (it == nodes_.end()) {
    if (disposition == Disposition::OpenExisting || !ParentOf(*parsed)) return 0;
    it = nodes_.emplace(key, Node{parsed->Canonical(), false, {}, std::nullopt}).first;
  } else if (disposition == Disposition::CreateAlways) {
    it->second.bytes.clear();
    it->second.reportedSize.reset();
  }
  FileHandle handle = nextHandle_;
  nextHandle_ += 4;  // like kernel handles: never 0, never -1
  handles_.emplace(handle, OpenFile{key, write, shareRead, 0});
  call.result = handle;
  return handle;
}

void FakeFileSystem::Close(FileHandle file) { handles_.erase(file); }

bool FakeFileSystem::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t& read) {
  read = 0;
  OpenFile* open = Handle(file);
  if (!open || ShouldFail(Op::Read, open->key)) return false;
  const std::string& bytes = nodes_.at(open->key).bytes;
  if (open->position >= bytes.size()) return true;  // at or past the end: 0 bytes, success
  std::size_t available = bytes.size() - static_cast<std::size_t>(open->position);
  std::size_t count = std::min<std::size_t>(available, size);
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
  std::uint32_t count = size;
  if (writeBudget_)
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, *writeBudget_));
  std::string& bytes = nodes_.at(open->key).bytes;
  std::size_t position = static_cast<std::size_t>(open->position);
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
  const Node& node = nodes_.at(open->key);
  size = node.reportedSize ? *node.reportedSize : node.bytes.size();
  return true;
}

bool FakeFileSystem::Seek(FileHandle file, std::int64_t offset, SeekOrigin origin) {
  OpenFile* open = Handle(file);
  if (!open || ShouldFail(Op::Seek, open->key)) return false;
  const Node& node = nodes_.at(open->key);
  std::uint64_t size = node.reportedSize ? *node.reportedSize : node.bytes.size();
  std::int64_t base = origin == SeekOrigin::Begin     ? 0
                      : origin == SeekOrigin::Current ? static_cast<std::int64_t>(open->position)
                                                      : static_cast<std::int64_t>(size);
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) {
    return false;  // Windows refuses a negative position
  }
  open->position = static_cast<std::uint64_t>(base + offset);
  return true;
}

bool FakeFileSystem::Flush(FileHandle file) {
  OpenFile* open = Handle(file);
  // FlushFileBuffers needs write access.
  return open && open->write && !ShouldFail(Op::Flush, open->key);
}

// ---- FileSystem: names -------------------------------------------------------

bool FakeFileSystem::IsDirectory(const std::u16string& path) { return FolderExists(path); }

bool FakeFileSystem::Exists(const std::u16string& path) { return Find(path) != nullptr; }

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
  auto parsed = Parse(path);
  if (!parsed) return CreateDirResult::Failed;
  std::u16string key = Key(parsed->Canonical());
  if (ShouldFail(Op::CreateDirectory, key)) return CreateDirResult::Failed;
  if (nodes_.count(key)) return CreateDirResult::AlreadyExists;  // a file of that name too
  if (!ParentOf(*parsed)) return CreateDirResult::Failed;
  nodes_.emplace(key, Node{parsed->Canonical(), true, {}, std::nullopt});
  createdFolders_.push_back(path);
  return CreateDirResult::Created;
}

bool FakeFileSystem::ReplaceWith(const std::u16string& source, const std::u16string& target) {
  auto from = Parse(source);
  auto to = Parse(target);
  if (!from || !to || to->parts.empty()) return false;
  std::u16string fromKey = Key(from->Canonical());
  std::u16string toKey = Key(to->Canonical());
  if (ShouldFail(Op::ReplaceWith, fromKey) || ShouldFail(Op::ReplaceWith, toKey)) return false;
  auto src = nodes_.find(fromKey);
  if (src == nodes_.end() || src->second.directory || InUse(fromKey) || InUse(toKey)) return false;
  auto dst = nodes_.find(toKey);
  if (dst != nodes_.end() && dst->second.directory) return false;
  if (!ParentOf(*to)) return false;
  if (fromKey == toKey) return true;
  Node moved = std::move(src->second);
  moved.path = to->Canonical();
  nodes_.erase(src);
  nodes_[toKey] = std::move(moved);
  return true;
}

bool FakeFileSystem::Delete(const std::u16string& path) {
  auto parsed = Parse(path);
  if (!parsed) return false;
  std::u16string key = Key(parsed->Canonical());
  auto it = nodes_.find(key);
  if (it == nodes_.end() || it->second.directory || InUse(key)) return false;
  if (ShouldFail(Op::Delete, key)) return false;
  nodes_.erase(it);
  return true;
}

// ---- FileSystem: code pages --------------------------------------------------

bool FakeFileSystem::ToUtf16(std::uint32_t codePage, const char* bytes, std::size_t size,
                             std::u16string& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  if (codePage == 65001) {
    out = DecodeUtf8(s, size);
    return true;
  }
  if (codePage == 0 || codePage == 1252) {
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) out += Cp1252ToUnit(s[i]);
    return true;
  }
  return false;
}

bool FakeFileSystem::FromUtf16(std::uint32_t codePage, const std::u16string& text,
                               std::string& out) {
  out.clear();
  if (codePage == 65001) {
    out = EncodeUtf8(text);
    return true;
  }
  if (codePage == 0 || codePage == 1252) {
    out.reserve(text.size());
    for (char16_t c : text) out += Cp1252FromUnit(c);
    return true;
  }
  return false;
}

}  // namespace twk::platform

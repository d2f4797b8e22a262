#include "settings/text_file.h"

#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "base/strings.h"
#include "base/text_codec.h"

namespace twk::settings {
namespace {

using platform::CreateDirResult;
using platform::Disposition;
using platform::FileHandle;
using platform::SeekOrigin;

constexpr char16_t kBackslash = u'\\';
constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.size() >= prefix.size() &&
         std::u16string_view(text).substr(0, prefix.size()) == prefix;
}

// The folder that holds path, for the CreatePath flag. Trailing backslashes
// go first, then the cut before the last backslash, unless that backslash is
// one of the first two characters (the two of a network path's start).
// A bare file name has no folder of its own to create: it lies in the
// current folder, which exists.
std::u16string ContainingFolder(const std::u16string& path) {
  if (path.find(kBackslash) == std::u16string::npos) return {};
  return FolderOf(path);
}

bool IsNone(FileHandle handle) { return handle == 0 || handle == -1; }

}  // namespace

FileHandle TextFile::Open(const std::u16string& path, std::uint32_t mode) {
  Close();
  mode_ = mode;
  openStatus_ = platform::Status::Failed;

  if (mode & TextMode::CreatePath) {
    std::u16string folder = ContainingFolder(path);
    if (folder.size() > 2 && !CreateFolderTree(fs_, folder)) return 0;
  }

  const bool write = (mode & (TextMode::Append | TextMode::Overwrite | TextMode::CreateNew)) != 0;
  const Disposition disposition = (mode & TextMode::CreateNew)   ? Disposition::CreateNew
                                  : (mode & TextMode::Overwrite) ? Disposition::CreateAlways
                                  : (mode & TextMode::Append)    ? Disposition::OpenAlways
                                                                 : Disposition::OpenExisting;
  const platform::Answer<FileHandle> opened =
      fs_.Open(path, write, (mode & TextMode::Exclusive) == 0, disposition);
  openStatus_ = opened.status();
  const FileHandle handle = opened.value_or(0);
  if (IsNone(handle)) return 0;
  handle_ = handle;

  std::uint64_t size = 0;
  if (!fs_.Size(handle_, size)) size = 0;

  if (mode & TextMode::Binary) return handle_;

  if (size == 0) {
    std::string_view mark;
    if (write) {
      if (mode & TextMode::Utf8) {
        mark = "\xEF\xBB\xBF";
      } else if (mode & TextMode::Utf16LE) {
        mark = "\xFF\xFE";
      } else if (mode & TextMode::Utf16BE) {
        mark = "\xFE\xFF";
      }
    }
    if (!mark.empty()) {
      std::uint32_t written = 0;
      if (!fs_.Write(handle_, mark.data(), static_cast<std::uint32_t>(mark.size()), written) ||
          written != mark.size()) {
        Close();
        mode_ = 0;
        openStatus_ = platform::Status::Failed;
        return 0;
      }
    }
    return handle_;
  }

  if (mode & TextMode::Overwrite) return handle_;

  unsigned char head[3] = {0, 0, 0};
  std::uint32_t got = 0;
  if (!fs_.Read(handle_, head, sizeof head, got)) got = 0;
  std::uint32_t markLength = 0;
  std::uint32_t encoding = 0;
  if (got >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    markLength = 2, encoding = TextMode::Utf16LE;
  } else if (got >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
    markLength = 2, encoding = TextMode::Utf16BE;
  } else if (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    markLength = 3, encoding = TextMode::Utf8;
  }
  if (encoding != 0) mode_ = (mode_ & ~TextMode::EncodingMask) | encoding;

  // The reads that follow start right after the mark (or at the start when
  // there is none); appending starts at the end. A position that cannot be
  // set would make every later read or write land in the wrong place.
  const bool placed = (mode & TextMode::Append) ? fs_.Seek(handle_, 0, SeekOrigin::End)
                      : markLength < got        ? fs_.Seek(handle_, markLength, SeekOrigin::Begin)
                                                : true;
  if (!placed) {
    Close();
    mode_ = 0;
    return 0;
  }
  return handle_;
}

std::size_t TextFile::ReadAllText(std::u16string& target) {
  target.clear();
  tooLarge_ = false;
  if (IsNone(handle_)) return 0;

  std::uint64_t size = 0;
  if (!fs_.Size(handle_, size)) return 0;
  tooLarge_ = size > kLargestText;
  if (tooLarge_) return 0;

  std::vector<unsigned char> buffer(static_cast<std::size_t>(size) + 2);
  std::uint32_t got = 0;
  if (size > 0 && !fs_.Read(handle_, buffer.data(), static_cast<std::uint32_t>(size), got)) {
    return 0;
  }
  // Zero bytes behind what was read: the text of a byte encoding ends at the
  // first zero byte, one of UTF-16 at the first zero character (cut below).
  buffer[got] = 0;
  buffer[got + 1] = 0;
  const auto* bytes = reinterpret_cast<const char*>(buffer.data());
  const std::string_view all(bytes, got);
  const std::string_view untilZero(bytes, std::strlen(bytes));

  const std::uint32_t encoding = mode_ & TextMode::EncodingMask;
  if (encoding & (TextMode::Utf16LE | TextMode::Utf16BE)) {
    target = FromUtf16(
        all, (encoding & TextMode::Utf16LE) ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
  } else if (encoding & (TextMode::Utf8 | TextMode::Utf8NoBom)) {
    target = FromUtf8(untilZero);
  } else {
    std::optional<Text> text = ansi_.Decode(untilZero);
    if (!text) return 0;
    target = std::move(*text);
  }
  const std::size_t zero = target.find(u'\0');
  if (zero != std::u16string::npos) target.resize(zero);
  return target.size();
}

std::size_t TextFile::WriteText(const std::u16string& text) {
  if (text.empty() || IsNone(handle_)) return 0;

  const std::uint32_t encoding = mode_ & TextMode::EncodingMask;
  std::string bytes;
  if (encoding & (TextMode::Utf16LE | TextMode::Utf16BE)) {
    bytes = ToUtf16(
        text, (encoding & TextMode::Utf16LE) ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
  } else if (encoding & (TextMode::Utf8 | TextMode::Utf8NoBom)) {
    bytes = ToUtf8(text);
  } else {
    std::optional<std::string> encoded = ansi_.Encode(text);
    if (!encoded) return 0;
    bytes = std::move(*encoded);
  }
  if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) return 0;

  std::uint32_t written = 0;
  if (!fs_.Write(handle_, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written)) {
    return 0;
  }
  return written;
}

bool TextFile::SetPosition(std::int64_t offset, SeekOrigin origin) {
  return !IsNone(handle_) && fs_.Seek(handle_, offset, origin);
}

bool TextFile::Flush() { return !IsNone(handle_) && fs_.Flush(handle_); }

void TextFile::Close() {
  if (!IsNone(handle_)) fs_.Close(handle_);
  handle_ = 0;
}

bool CreateFolderTree(platform::FileSystem& fs, const std::u16string& path) {
  std::u16string folder = path;
  if (!StartsWith(folder, u"\\\\") && folder.size() >= 2 && folder[1] == u':') {
    folder.insert(0, kLongPathPrefix);
  }
  TrimTrailingBackslashes(folder);
  if (folder.size() < 3) return false;

  const bool longPath = StartsWith(folder, kLongPathPrefix);
  if (longPath) {
    if (folder.size() < 6) return false;
    if (folder.size() == 6) {
      // A bare drive cannot be created, only asked about. PathIsRootW judges
      // the text alone and does not take "\\?\C:\" for a root (Wine says
      // no), which would report even the system drive as missing: a drive
      // whose root folder is there counts as well.
      const std::u16string root = folder + kBackslash;
      return fs.IsRoot(root) || fs.IsDirectory(root);
    }
  }

  if (fs.IsDirectory(folder)) return true;
  const CreateDirResult whole = fs.CreateDirectory(folder);
  if (whole != CreateDirResult::Failed) return true;

  // Some parents are missing: create the levels one by one, from the drive
  // (or the server) downwards.
  std::u16string prefix;
  if (longPath) {
    prefix = kLongPathPrefix;
  } else if (StartsWith(folder, u"\\\\")) {
    prefix = u"\\\\";
  }
  // A relative path keeps no prefix: cutting two characters off it as if it
  // were a network path would name a server that was never meant.
  std::vector<std::u16string> parts;
  std::size_t from = prefix.size();
  while (true) {
    std::size_t at = folder.find(kBackslash, from);
    parts.push_back(folder.substr(from, at == std::u16string::npos ? at : at - from));
    if (at == std::u16string::npos) break;
    from = at + 1;
  }
  if (parts.size() < 2) return false;

  std::u16string level = prefix + parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) {
    level += kBackslash;
    level += parts[i];
    if (!fs.Exists(level) && fs.CreateDirectory(level) == CreateDirResult::Failed) return false;
  }
  return true;
}

}  // namespace twk::settings

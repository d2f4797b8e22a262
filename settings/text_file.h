#pragma once
// A text file opened with mode flags that also choose its encoding: byte-order
// marks are detected on reading and written on creation.
#include <cstdint>
#include <string>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace twk::settings {

namespace TextMode {
inline constexpr std::uint32_t Read = 0;
inline constexpr std::uint32_t Append = 0x1;
inline constexpr std::uint32_t Overwrite = 0x2;
inline constexpr std::uint32_t Exclusive = 0x4;
inline constexpr std::uint32_t CreatePath = 0x8;
inline constexpr std::uint32_t Binary = 0x10;
inline constexpr std::uint32_t Utf16LE = 0x20;
inline constexpr std::uint32_t Utf16BE = 0x40;
inline constexpr std::uint32_t Utf8 = 0x80;
inline constexpr std::uint32_t Utf8NoBom = 0x100;
// Writes a file that must not exist yet: the open fails when it does.
inline constexpr std::uint32_t CreateNew = 0x200;
inline constexpr std::uint32_t EncodingMask = Utf16LE | Utf16BE | Utf8 | Utf8NoBom;
}  // namespace TextMode

class TextFile {
 public:
  // Text without a byte-order mark or encoding flag is in the ansi code page.
  TextFile(platform::FileSystem& fs, const platform::AnsiCodePage& ansi) : fs_(fs), ansi_(ansi) {}
  ~TextFile() { Close(); }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // The handle, or 0 (none). Closes a handle still held.
  platform::FileHandle Open(const std::u16string& path, std::uint32_t mode);
  // The largest file ReadAllText takes. The program's own settings file stays
  // far below it (a few MB with fifty kept sequences); reading a larger one
  // would take hundreds of MB of the 2 GB a 32-bit process has, and a refused
  // allocation ends the program.
  static constexpr std::uint64_t kLargestText = 64ull << 20;

  // UTF-16 characters read into target (up to its first zero character).
  // A file above kLargestText reads as nothing, and tooLarge() says so.
  std::size_t ReadAllText(std::u16string& target);
  bool tooLarge() const { return tooLarge_; }
  // Bytes written; 0 on failure or for empty text.
  std::size_t WriteText(const std::u16string& text);
  [[nodiscard]] bool SetPosition(std::int64_t offset, platform::SeekOrigin origin);
  [[nodiscard]] bool Flush();
  void Close();

  platform::FileHandle handle() const { return handle_; }
  // Why the last Open failed (NotFound, Denied, Failed); Ok after one that
  // opened, and after one whose folder could not be made, Failed.
  platform::Status openStatus() const { return openStatus_; }
  std::uint32_t mode() const { return mode_; }

 private:
  platform::FileSystem& fs_;
  const platform::AnsiCodePage& ansi_;
  platform::FileHandle handle_ = 0;
  std::uint32_t mode_ = 0;
  platform::Status openStatus_ = platform::Status::Failed;
  bool tooLarge_ = false;
};

// True when the folder exists afterwards. Drive paths get the \\?\ long-path
// prefix; network paths keep their two leading backslashes.
[[nodiscard]] bool CreateFolderTree(platform::FileSystem& fs, const std::u16string& path);

}  // namespace twk::settings

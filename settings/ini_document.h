#pragma once
// The settings document: the file as an ordered list of lines, with lookups
// and edits by section and key done directly on those lines, so that a save
// writes back every line that was read, in order, plus the changes.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/strings.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace twk::settings {

// How lines are recognised as section headers: by the compiled pattern, or
// by the rule it expresses, which is what happens when PCRE2 cannot compile
// or run it.
enum class HeaderCheck { Pattern, RuleOnly };

// One key line of a section, as KeyValueAt reads it.
// What a Load found.
enum class LoadStatus {
  Read,        // the file was read and had content
  Missing,     // there is no such file: the document starts empty and creates it
  Empty,       // the file is there but holds no text
  Unreadable,  // the file is there but could not be read (held, denied, broken)
  Unsaved,     // the document held so far could not be written first: it stays
};
struct [[nodiscard]] LoadResult {
  LoadStatus status = LoadStatus::Missing;
  explicit operator bool() const { return status == LoadStatus::Read; }
  bool operator==(LoadStatus other) const { return status == other; }
};

struct KeyValue {
  Text key;
  Text value;
  bool operator==(const KeyValue&) const = default;
};

class SettingsFile {
 public:
  SettingsFile(platform::FileSystem& fs, const platform::AnsiCodePage& ansi,
               HeaderCheck check = HeaderCheck::Pattern);
  ~SettingsFile();  // Close()
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // Saves the document held so far, then reads path. Anything but Read
  // leaves an empty document named path, except Unsaved, which keeps the
  // document held so far (its lines would otherwise be lost). A file that is
  // there but cannot be read is never written by this document afterwards:
  // saving the empty document over it would throw away every measurement it
  // holds. Only a file that does not exist is created.
  LoadResult Load(const Text& path);
  // Writes a temporary file beside filePath and moves it over filePath, so the
  // file on disk is always either the old or the new document. True when text
  // was written and the move succeeded; an empty document leaves just the
  // byte-order mark and returns false.
  [[nodiscard]] bool Save();
  // Saves when saving at the end was asked for, then drops the lines and the
  // pattern. False when that save failed: the caller says so. A document
  // that is destroyed without being closed writes nothing.
  [[nodiscard]] bool Close();
  // The document is written back when it closes (a start that has begun
  // working on it); off by default, so that a start that ends early writes
  // nothing.
  void SaveWhenClosed() { saveOnClose_ = true; }
  // Saves now and not again at the end: every hand-over to another instance
  // and every restart, where a later write would overwrite what the next
  // instance saves or be cut short by the shutdown. True when the save
  // succeeded.
  [[nodiscard]] bool SaveNow() {
    saveOnClose_ = false;
    return Save();
  }
  // A save between commit points (a figure worth having on the disk at
  // once): when it fails, the lines stay in memory and the document is saved
  // again when it closes, so the figure still reaches the file if the disk
  // comes back. The commit points use Save or SaveNow and act on their result.
  void SaveProgress() {
    if (!Save()) saveOnClose_ = true;
  }
  // False after a Load that found the file but could not read it: nothing is
  // ever written to it then.
  bool writable() const { return writable_; }
  bool savesWhenClosed() const { return saveOnClose_; }

  // The value, or nullptr when the section or key is absent or a name is
  // empty. The pointee stays valid (also across further lookups) until the
  // next edit, Load or Close.
  const Text* GetValue(const Text& section, const Text& key) const;
  Text GetValueText(const Text& section, const Text& key) const;
  // 0 when a name is empty. Otherwise non-zero: the 0-based index of the new
  // key line when it was inserted or its section appended, the 1-based
  // number of the line when an existing key line was replaced.
  std::size_t SetValue(const Text& section, const Text& key, const Text& value);
  // 1 when removed, 2 when the section or key was not found.
  int DeleteKey(const Text& section, const Text& key);
  // The same edits, answering only whether they happened: Set is false when
  // no line was written (a name that could not be found again), Remove is
  // false when there was no such key.
  [[nodiscard]] bool Set(const Text& section, const Text& key, const Text& value) {
    return SetValue(section, key, value) != 0;
  }
  [[nodiscard]] bool Remove(const Text& section, const Text& key) {
    return DeleteKey(section, key) == 1;
  }
  void RemoveSection(const Text& section);
  // 1-based number of the next key line in [first, end), 0 when none. end 0 = to the end.
  std::size_t NextKeyLine(std::size_t first, std::size_t end) const;
  bool KeyValueAt(std::size_t lineNumber, Text& key, Text& value) const;
  // The key lines of the section named (found as FindSection finds it), in
  // file order, walked as NextKeyLine and KeyValueAt walk them. Empty when
  // the section is absent; a key that appears twice is listed twice.
  std::vector<KeyValue> Entries(const Text& section) const;

  // 0-based index of the header line of section (the first line that names
  // it: first character exact, the rest ignoring case), or nothing.
  std::optional<std::size_t> FindSection(const Text& section) const;
  // Index one past the last line of the section whose header is at index
  // header: the next line that looks like any section header, or the end.
  std::size_t SectionEnd(std::size_t header) const;
  // Whether line has the form of a section header: "[", at least one
  // character, a later "]", anything after it.
  bool IsSectionHeader(const Text& line) const;

  const Text& filePath() const { return filePath_; }
  const std::vector<Text>& lines() const { return lines_; }

 private:
  std::optional<std::size_t> FindKeyLine(std::size_t header, std::size_t end,
                                         const Text& key) const;
  void Edited() { valueCache_.clear(); }
  // Drops the lines and the pattern, writing nothing.
  void Release();

  platform::FileSystem& fs_;
  const platform::AnsiCodePage& ansi_;
  HeaderCheck headerCheck_;
  Text filePath_;
  std::vector<Text> lines_;
  // The compiled header pattern, made when a line is first tested.
  void* HeaderPattern() const;

  mutable void* headerPattern_ = nullptr;  // pcre2_code_16*
  mutable bool patternTried_ = false;
  bool closed_ = false;
  bool saveOnClose_ = false;
  bool writable_ = true;
  bool lastSaveWritten_ = false;  // the last Save replaced the file (empty or not)
  // Copies of the values handed out by GetValue, by line index.
  mutable std::unordered_map<std::size_t, Text> valueCache_;
};

}  // namespace twk::settings

#pragma once
// The settings document: the file as an ordered list of lines, with lookups
// and edits by section and key done directly on those lines, so that a save
// writes back every line that was read, in order, plus the changes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "settings/strings.h"

namespace twk::settings {

class SettingsFile {
 public:
  explicit SettingsFile(platform::FileSystem& fs);
  ~SettingsFile();  // Close()
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  bool Load(const Text& path);
  bool Save();
  void Close();

  // Pointer into the document, valid until the next edit; nullptr when absent.
  const Text* GetValue(const Text& section, const Text& key) const;
  Text GetValueText(const Text& section, const Text& key) const;
  // A non-zero line number on success, 0 when a name is empty.
  std::size_t SetValue(const Text& section, const Text& key, const Text& value);
  // 1 when removed, 2 when the section or key was not found.
  int DeleteKey(const Text& section, const Text& key);
  void RemoveSection(const Text& section);
  // 1-based number of the next key line in [first, end), 0 when none. end 0 = to the end.
  std::size_t NextKeyLine(std::size_t first, std::size_t end) const;
  bool KeyValueAt(std::size_t lineNumber, Text& key, Text& value) const;

  bool saveOnClose = false;
  const Text& filePath() const { return filePath_; }
  const std::vector<Text>& lines() const { return lines_; }

 private:
  platform::FileSystem& fs_;
  Text filePath_;
  std::vector<Text> lines_;
  void* headerPattern_ = nullptr;  // pcre2_code_16*
  bool closed_ = false;
};

}  // namespace twk::settings

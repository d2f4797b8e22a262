#include "settings/ini_document.h"

#include <pcre2.h>

#include "settings/text_file.h"

namespace twk::settings {

namespace {

constexpr char16_t kHeaderPattern[] = u"^\\[(.+)\\].*";
constexpr std::uint32_t kReadMode = TextMode::Read;
// Overwrite, not shared, create the folder, UTF-16 little-endian with its mark.
constexpr std::uint32_t kWriteMode =
    TextMode::Overwrite | TextMode::Exclusive | TextMode::CreatePath | TextMode::Utf16LE;
constexpr char16_t kTempSuffix[] = u".tmp";

pcre2_code_16* Pattern(void* p) { return static_cast<pcre2_code_16*>(p); }

void* CompileHeaderPattern() {
  int error = 0;
  PCRE2_SIZE offset = 0;
  return pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(kHeaderPattern), PCRE2_ZERO_TERMINATED, 0,
                          &error, &offset, nullptr);
}

// The test the pattern expresses, for when PCRE2 cannot answer (no compiled
// pattern or match data for want of memory, or its backtracking limit hit):
// "[", then at least one character and a "]", no line feed before that "]"
// ("." stops at a line feed).
bool LooksLikeHeader(const Text& line) {
  if (line.size() < 3 || line[0] != u'[') return false;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (line[i] == u'\n') return false;
    if (line[i] == u']' && i >= 2) return true;
  }
  return false;
}

bool IsBlankOrTab(char16_t c) { return c == u' ' || c == u'\t'; }

// Index in line where the value of key starts, when line is a line of key:
// the first character of key exact, the rest of key ignoring case, then only
// blanks and tabs up to an "=". The value starts after that "=" and its
// leading blanks and tabs. The "=" is the one following the key, so a key
// that itself contains "=" still gets its own value.
std::optional<std::size_t> ValueStart(const Text& line, const Text& key) {
  if (key.empty() || line.size() < key.size() + 1 || line[0] != key[0]) return std::nullopt;
  for (std::size_t i = 1; i < key.size(); ++i) {
    if (FoldCase(line[i]) != FoldCase(key[i])) return std::nullopt;
  }
  std::size_t i = key.size();
  while (i < line.size() && IsBlankOrTab(line[i])) ++i;
  if (i == line.size() || line[i] != u'=') return std::nullopt;
  ++i;
  while (i < line.size() && IsBlankOrTab(line[i])) ++i;
  return i;
}

// The key as it is compared: stripped of white space at both ends.
Text StrippedKey(const Text& key) {
  Text k = key;
  StripWhiteSpace(k, Strip::Leading | Strip::Trailing);
  return k;
}

// A stripped key that is blank or begins with "[" never names a key line.
bool CanNameKeyLine(const Text& strippedKey) {
  return !strippedKey.empty() && strippedKey[0] != u'[';
}

}  // namespace

SettingsFile::SettingsFile(platform::FileSystem& fs, const platform::AnsiCodePage& ansi,
                           HeaderCheck check)
    : fs_(fs), ansi_(ansi), headerCheck_(check) {}

void* SettingsFile::HeaderPattern() const {
  // Compiled on first use rather than on construction: a start that ends at
  // the single-instance check never looks at a line. Once closed, the
  // document has no pattern until it loads again.
  if (headerCheck_ == HeaderCheck::Pattern && headerPattern_ == nullptr && !patternTried_ &&
      !closed_) {
    headerPattern_ = CompileHeaderPattern();
    patternTried_ = true;
  }
  return headerPattern_;
}

// Whether the open file's bytes can be read at all, whatever they hold.
static bool BytesReadable(platform::FileSystem& fs, platform::FileHandle handle) {
  std::uint64_t size = 0;
  if (!fs.Size(handle, size)) return false;
  if (size == 0) return true;
  unsigned char first = 0;
  std::uint32_t got = 0;
  return fs.Seek(handle, 0, platform::SeekOrigin::Begin) && fs.Read(handle, &first, 1, got);
}

SettingsFile::~SettingsFile() { Release(); }

bool SettingsFile::Close() {
  if (closed_) return true;
  // An empty document written as just the byte-order mark is saved all
  // the same: only a write that did not reach the file is a failure here.
  const bool saved = !saveOnClose_ || Save() || lastSaveWritten_;
  Release();
  return saved;
}

void SettingsFile::Release() {
  if (closed_) return;
  closed_ = true;
  lines_.clear();
  lines_.shrink_to_fit();
  Edited();
  if (headerPattern_ != nullptr) pcre2_code_free_16(Pattern(headerPattern_));
  headerPattern_ = nullptr;
  patternTried_ = false;
}

bool SettingsFile::IsSectionHeader(const Text& line) const {
  // The pattern is anchored at the start of the subject, so only a line that
  // begins with "[" can match; everything else is decided without PCRE2.
  if (line.size() < 3 || line[0] != u'[') return false;
  void* pattern = HeaderPattern();
  if (pattern == nullptr) return LooksLikeHeader(line);
  pcre2_match_data_16* match = pcre2_match_data_create_from_pattern_16(Pattern(pattern), nullptr);
  if (match == nullptr) return LooksLikeHeader(line);
  const int rc = pcre2_match_16(Pattern(pattern), reinterpret_cast<PCRE2_SPTR16>(line.data()),
                                line.size(), 0, 0, match, nullptr);
  pcre2_match_data_free_16(match);
  if (rc > 0) return true;
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  // PCRE2 gave up (a line of many megabytes can exceed its backtracking
  // limit): answer by the rule the pattern expresses.
  return LooksLikeHeader(line);
}

std::optional<std::size_t> SettingsFile::FindSection(const Text& section) const {
  if (section.empty()) return std::nullopt;
  const std::size_t length = section.size() + 2;  // "[" + name + "]"
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Text& line = lines_[i];
    if (line.size() < length || line[0] != u'[' || line[1] != section[0] ||
        line[length - 1] != u']') {
      continue;
    }
    std::size_t k = 1;
    while (k < section.size() && FoldCase(line[k + 1]) == FoldCase(section[k])) ++k;
    if (k == section.size()) return i;
  }
  return std::nullopt;
}

std::size_t SettingsFile::SectionEnd(std::size_t header) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (IsSectionHeader(lines_[i])) return i;
  }
  return lines_.size();
}

std::optional<std::size_t> SettingsFile::FindKeyLine(std::size_t header, std::size_t end,
                                                     const Text& key) const {
  for (std::size_t i = header + 1; i < end; ++i) {
    if (ValueStart(lines_[i], key)) return i;
  }
  return std::nullopt;
}

const Text* SettingsFile::GetValue(const Text& section, const Text& key) const {
  if (section.empty() || key.empty()) return nullptr;
  const auto header = FindSection(section);
  if (!header) return nullptr;
  const Text k = StrippedKey(key);
  if (!CanNameKeyLine(k)) return nullptr;
  const std::size_t end = SectionEnd(*header);
  for (std::size_t i = *header + 1; i < end; ++i) {
    if (const auto start = ValueStart(lines_[i], k)) {
      // The line is not edited until the cache is cleared, so an existing
      // copy for this line is still this value.
      return &valueCache_.try_emplace(i, lines_[i].substr(*start)).first->second;
    }
  }
  return nullptr;
}

Text SettingsFile::GetValueText(const Text& section, const Text& key) const {
  const Text* value = GetValue(section, key);
  return value != nullptr ? *value : Text();
}

std::size_t SettingsFile::SetValue(const Text& section, const Text& key, const Text& value) {
  if (section.empty() || key.empty()) return 0;
  // A key that is blank once stripped could never be found again; writing
  // its line would only add a stray "=value" to the file on every save.
  const Text k = StrippedKey(key);
  if (k.empty()) return 0;
  Edited();

  Text line;
  line.reserve(key.size() + 1 + value.size());
  line.append(key).append(1, u'=').append(value);

  const auto header = FindSection(section);
  if (!header) {
    const std::size_t keyIndex = lines_.size() + 1;
    lines_.push_back(u"[" + section + u"]");
    lines_.push_back(std::move(line));
    return keyIndex;
  }
  const std::size_t end = SectionEnd(*header);
  if (CanNameKeyLine(k)) {
    if (const auto found = FindKeyLine(*header, end, k)) {
      lines_[*found] = std::move(line);
      return *found + 1;
    }
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), std::move(line));
  return end;
}

int SettingsFile::DeleteKey(const Text& section, const Text& key) {
  if (section.empty() || key.empty()) return 2;
  const auto header = FindSection(section);
  if (!header) return 2;
  const Text k = StrippedKey(key);
  if (!CanNameKeyLine(k)) return 2;
  const auto found = FindKeyLine(*header, SectionEnd(*header), k);
  if (!found) return 2;
  Edited();
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*found));
  return 1;
}

void SettingsFile::RemoveSection(const Text& section) {
  const auto header = FindSection(section);
  if (!header) return;
  Edited();
  const std::size_t end = SectionEnd(*header);
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
               lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

std::size_t SettingsFile::NextKeyLine(std::size_t first, std::size_t end) const {
  if (first > lines_.size()) return 0;
  if (end == 0 || end > lines_.size()) end = lines_.size();
  for (std::size_t i = first; i < end; ++i) {
    const Text& line = lines_[i];
    if (line.size() < 3 || line[0] == u';') continue;
    if (line[0] == u'[') {
      if (IsSectionHeader(line)) return 0;
      continue;
    }
    const std::size_t equals = line.find(u'=', 1);
    if (equals != Text::npos) return i + 1;
  }
  return 0;
}

bool SettingsFile::KeyValueAt(std::size_t lineNumber, Text& key, Text& value) const {
  if (lineNumber < 1 || lineNumber > lines_.size()) return false;
  const Text& line = lines_[lineNumber - 1];
  const std::size_t equals = line.find(u'=', 1);
  if (equals == Text::npos) return false;
  key = line.substr(0, equals);
  StripWhiteSpace(key, Strip::Trailing);
  value = line.substr(equals + 1);
  StripWhiteSpace(value, Strip::Leading);
  return true;
}

std::vector<KeyValue> SettingsFile::Entries(const Text& section) const {
  std::vector<KeyValue> entries;
  const auto header = FindSection(section);
  if (!header) return entries;
  const std::size_t end = SectionEnd(*header);
  for (std::size_t line = NextKeyLine(*header + 1, end); line != 0; line = NextKeyLine(line, end)) {
    KeyValue entry;
    if (KeyValueAt(line, entry.key, entry.value)) entries.push_back(std::move(entry));
  }
  return entries;
}

LoadResult SettingsFile::Load(const Text& path) {
  // The document held so far goes to its file first; when it cannot, it is
  // kept rather than dropped for the new one.
  if (!filePath_.empty() && !closed_ && !lines_.empty() && !Save()) {
    return LoadResult{LoadStatus::Unsaved};
  }
  Edited();
  lines_.clear();
  filePath_.clear();
  closed_ = false;  // the pattern is compiled again when a line needs it
  patternTried_ = false;
  writable_ = true;

  TextFile file(fs_, ansi_);
  const bool opened = file.Open(path, kReadMode) != 0;
  filePath_ = path;
  Text text;
  const std::size_t read = opened ? file.ReadAllText(text) : 0;
  if (!opened || read == 0 || text.empty()) {
    // A file held open by another program, or one this account may not
    // read, is there all the same: it holds settings and measurements that
    // an empty document saved over it would destroy. So is an open file
    // whose bytes the disk refuses to hand out, and one too large to be
    // read at all. A file whose bytes read but hold no text (damaged, or
    // really empty) is only empty.
    if ((!opened && file.openStatus() != platform::Status::NotFound) ||
        (opened && read == 0 && (file.tooLarge() || !BytesReadable(fs_, file.handle())))) {
      writable_ = false;
      return LoadResult{LoadStatus::Unreadable};
    }
    return LoadResult{opened ? LoadStatus::Empty : LoadStatus::Missing};
  }
  file.Close();

  // Lines end in CR LF; a file without a single CR LF but with LF is split at
  // LF instead. Lines are stripped at both ends, and lines left blank are
  // dropped (they would not be written back anyway).
  const bool crlf = text.find(u"\r\n") != Text::npos;
  const Text delimiter = crlf ? Text(u"\r\n") : Text(u"\n");
  std::size_t parts = 1;
  for (std::size_t at = text.find(delimiter); at != Text::npos;
       at = text.find(delimiter, at + delimiter.size())) {
    ++parts;
  }
  lines_.reserve(parts);
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t to = text.find(delimiter, from);
    if (to == Text::npos) to = text.size();
    std::size_t begin = from;
    std::size_t stop = to;
    while (begin < stop && IsWhiteSpace(text[begin])) ++begin;
    while (stop > begin && IsWhiteSpace(text[stop - 1])) --stop;
    if (stop > begin) lines_.emplace_back(text, begin, stop - begin);
    from = to + delimiter.size();
  }
  return LoadResult{LoadStatus::Read};
}

bool SettingsFile::Save() {
  // After Close the lines are gone: writing now would empty the file. A file
  // that could not be read is never replaced by what this document holds.
  lastSaveWritten_ = false;
  if (filePath_.empty() || closed_ || !writable_) return false;

  // The new content goes to a file beside the real one first; only a fully
  // written and flushed file replaces it. A failure on the way (disk full,
  // the power going off during the restart this save precedes) then leaves
  // the previous settings intact instead of an empty or half-written file.
  const Text temp = filePath_ + kTempSuffix;
  TextFile file(fs_, ansi_);
  if (file.Open(temp, kWriteMode) == 0) {
    fs_.Delete(temp);
    return false;
  }
  // Every non-empty line followed by CR LF, written in pieces of about
  // kChunk characters: a large document then needs no second copy of itself
  // in memory, and a small one is still a single write.
  constexpr std::size_t kChunk = 32 * 1024;
  Text chunk;
  chunk.reserve(kChunk + 256);
  bool written = true;
  bool anyText = false;
  auto flushChunk = [&] {
    if (chunk.empty() || !written) return;
    written = file.WriteText(chunk) == chunk.size() * sizeof(char16_t);
    anyText = true;
    chunk.clear();
  };
  for (const Text& line : lines_) {
    if (line.empty()) continue;
    chunk.append(line).append(u"\r\n");
    if (chunk.size() >= kChunk) flushChunk();
  }
  flushChunk();
  const bool flushed = written && file.Flush();
  file.Close();
  if (!flushed || !fs_.ReplaceWith(temp, filePath_)) {
    fs_.Delete(temp);
    return false;
  }
  // An empty document leaves the file holding only the byte-order mark.
  lastSaveWritten_ = true;
  return anyText;
}

}  // namespace twk::settings

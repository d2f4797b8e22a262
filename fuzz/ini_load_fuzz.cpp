// Any bytes as the settings file: loading, lookups, edits and the save must
// neither crash nor lose a line, and a save must read back as it was written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "settings/ini_document.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using twk::Text;
  twk::platform::FakeFileSystem fs;
  fs.AddDrive(u'C');
  const Text path = u"C:\\Tarnwick\\TWK.ini";
  if (!fs.SetFile(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;

  const twk::platform::FakeAnsiCodePage ansi;
  twk::settings::SettingsFile doc(fs, ansi);
  (void)doc.Load(path);
  // The rule that stands in when PCRE2 cannot answer agrees with the pattern.
  const twk::settings::SettingsFile ruleOnly(fs, ansi, twk::settings::HeaderCheck::RuleOnly);
  for (const Text& line : doc.lines()) {
    Require(!line.empty() && !twk::IsWhiteSpace(line.front()) && !twk::IsWhiteSpace(line.back()));
    Require(doc.IsSectionHeader(line) == ruleOnly.IsSectionHeader(line));
  }

  // Names taken from the document itself reach the interesting paths.
  Text section = u"Setup";
  Text key = u"TimesToReboot";
  for (const Text& line : doc.lines()) {
    if (line.size() > 2 && line[0] == u'[') {
      const std::size_t close = line.find(u']');
      if (close != Text::npos && close > 1) section = line.substr(1, close - 1);
    } else if (const std::size_t eq = line.find(u'='); eq != Text::npos && eq > 0) {
      key = line.substr(0, eq);
    }
  }
  const Text* value = doc.GetValue(section, key);
  const Text copy = value != nullptr ? *value : Text();
  Require(doc.GetValueText(section, key) == copy);

  const std::size_t before = doc.lines().size();
  if (doc.SetValue(section, key, u"fuzz") != 0) {
    Require(doc.lines().size() <= before + 2);
    // A key that can name a line is found again with the value just set.
    // (A key ending in CR or LF cannot: it is compared stripped, but only
    // blanks and tabs may stand between a key and its "=".)
    Text stripped = key;
    twk::StripWhiteSpace(stripped, twk::Strip::Leading | twk::Strip::Trailing);
    if (stripped == key && stripped[0] != u'[' && stripped.find(u'=') == Text::npos) {
      Require(doc.GetValueText(section, key) == u"fuzz");
    }
  }
  for (std::size_t n = doc.NextKeyLine(0, 0); n != 0; n = doc.NextKeyLine(n, 0)) {
    Text k, v;
    Require(n <= doc.lines().size() && doc.KeyValueAt(n, k, v));
  }
  if (doc.DeleteKey(section, key) == 1) Require(doc.lines().size() < before + 2);
  doc.RemoveSection(section);

  const std::vector<Text> saved = doc.lines();
  const bool wrote = doc.Save();
  Require(wrote == !saved.empty());
  twk::settings::SettingsFile again(fs, ansi);
  (void)again.Load(path);
  Require(again.lines() == saved);
  return 0;
}

// The text helpers on arbitrary UTF-16 input, checked against their rules.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/strings.h"
#include "base/text_codec.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool MatchesAt(const twk::Text& text, std::size_t at, const twk::Text& needle, bool exact) {
  for (std::size_t i = 0; i < needle.size(); ++i) {
    const char16_t a = text[at + i], b = needle[i];
    if (exact ? a != b : twk::FoldCase(a) != twk::FoldCase(b)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using twk::Text;
  if (size < 8) return 0;
  // Header: occurrence, start, count, flags; the rest is text and needle,
  // split at the first U+0001.
  const int occurrence = static_cast<std::int8_t>(data[0]);
  const std::int64_t start = static_cast<std::int8_t>(data[1]);
  const std::size_t count = data[2];
  const unsigned flags = data[3];
  Text all((size - 4) / 2, u'\0');
  std::memcpy(all.data(), data + 4, all.size() * 2);
  const std::size_t cut = all.find(u'\1');
  const Text text = all.substr(0, cut);
  const Text needle = cut == Text::npos ? Text(u"a") : all.substr(cut + 1);

  for (const bool exact : {true, false}) {
    const std::size_t p = twk::Find(text, needle, exact, occurrence, start, count);
    if (p != 0) {
      Require(p >= 1 && p - 1 + needle.size() <= text.size());
      Require(MatchesAt(text, p - 1, needle, exact));
      Require(p >= static_cast<std::size_t>(start < 1 ? 1 : start));
      if (count != 0) Require(p - 1 + needle.size() <= static_cast<std::size_t>(start < 1 ? 1 : start) - 1 + count);
    }
  }

  Text stripped = text;
  twk::StripWhiteSpace(stripped, flags & 15);
  Text twice = stripped;
  twk::StripWhiteSpace(twice, flags & 15);
  Require(twice == stripped);
  Require(stripped.size() <= text.size());

  const auto parts = twk::Split(text, needle);
  Require(!parts.empty());
  Text joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) joined += needle;
    joined += parts[i];
  }
  Require(joined == text || (!needle.empty() && joined + needle == text));

  Text replaced = text;
  twk::Replace(replaced, needle, u"", 0, true);
  if (!needle.empty() && needle.size() <= text.size()) {
    Require(replaced.find(needle) == Text::npos || needle.size() > 1);
  }

  const std::int32_t n = twk::ToInteger(text);
  Require(twk::ToInteger(twk::FormatSigned(n)) == n);
  Text limited = text;
  twk::LimitDecimals(limited);
  Require(limited.size() <= text.size() && text.compare(0, limited.size(), limited) == 0);
  Require(twk::Mid(text, start, static_cast<std::int64_t>(count)).size() <= text.size());
  Text trimmed = text;
  twk::TrimLeft(trimmed, occurrence);
  twk::TrimTrailingBackslashes(trimmed);
  Require(trimmed.empty() || trimmed.back() != u'\\');

  for (char16_t c : text) Require(twk::FoldCase(twk::FoldCase(c)) == twk::FoldCase(c));
  const Text back = twk::FromUtf8(twk::ToUtf8(text));
  Require(back.size() == text.size());
  // Any bytes decode to text that survives a second trip unchanged; UTF-16
  // keeps every code unit in either byte order.
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  const Text decoded = twk::FromUtf8(raw);
  Require(decoded.size() <= raw.size() && twk::FromUtf8(twk::ToUtf8(decoded)) == decoded);
  for (const auto order : {twk::ByteOrder::LittleEndian, twk::ByteOrder::BigEndian}) {
    Require(twk::FromUtf16(twk::ToUtf16(text, order), order) == text);
  }
  return 0;
}

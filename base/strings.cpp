#include "base/strings.h"

#include <algorithm>
#include <limits>

namespace twk {

namespace {

// One row of the case-folding table. Every code in [first, last] folds by
// adding delta; with alternate set, only the codes of the same parity as
// first do (the upper/lower pairs of the Latin and Cyrillic extensions),
// the others are already small letters.
struct FoldRange {
  char16_t first;
  char16_t last;
  std::int16_t delta;
  bool alternate;
};

// Simple lower-case mapping of the scripts a Windows user name, desktop icon
// text or settings key is likely to be written in, as Windows maps them: the
// capitals whose small letter does not map back to them (U+0130, U+03F4,
// U+1E9E) stay unchanged there and so here. Sorted by first code.
constexpr FoldRange kFoldTable[] = {
    {0x0041, 0x005A, 32, false},  // A-Z
    {0x00C0, 0x00D6, 32, false},  // Latin-1 capitals before the multiplication sign
    {0x00D8, 0x00DE, 32, false},  // Latin-1 capitals after it
    {0x0100, 0x012F, 1, true},    // Latin Extended-A pairs
    {0x0132, 0x0137, 1, true},
    {0x0139, 0x0148, 1, true},  // odd capitals here
    {0x014A, 0x0177, 1, true},
    {0x0178, 0x0178, -(0x0178 - 0x00FF), false},  // Y with diaeresis -> U+00FF
    {0x0179, 0x017E, 1, true},
    {0x0370, 0x0373, 1, true},  // Greek archaic letters
    {0x0376, 0x0376, 1, false},
    {0x037F, 0x037F, 0x03F3 - 0x037F, false},
    {0x0386, 0x0386, 0x03AC - 0x0386, false},  // accented capitals
    {0x0388, 0x038A, 0x03AD - 0x0388, false},
    {0x038C, 0x038C, 0x03CC - 0x038C, false},
    {0x038E, 0x038F, 0x03CD - 0x038E, false},
    {0x0391, 0x03A1, 32, false},  // Alpha-Rho (U+03A2 is unassigned)
    {0x03A3, 0x03AB, 32, false},  // Sigma-Upsilon with dialytika
    {0x03CF, 0x03CF, 0x03D7 - 0x03CF, false},
    {0x03D8, 0x03EF, 1, true},  // archaic and Coptic pairs
    {0x03F7, 0x03F7, 1, false},
    {0x03F9, 0x03F9, 0x03F2 - 0x03F9, false},
    {0x03FA, 0x03FA, 1, false},
    {0x03FD, 0x03FF, 0x037B - 0x03FD, false},
    {0x0400, 0x040F, 80, false},  // Cyrillic capitals with marks
    {0x0410, 0x042F, 32, false},  // basic Cyrillic capitals
    {0x0460, 0x0481, 1, true},
    {0x048A, 0x04BF, 1, true},
    {0x04C0, 0x04C0, 0x04CF - 0x04C0, false},
    {0x04C1, 0x04CE, 1, true},  // odd capitals here
    {0x04D0, 0x04FF, 1, true},
    {0x0500, 0x052F, 1, true},    // Cyrillic Supplement
    {0x0531, 0x0556, 48, false},  // Armenian
    {0x1E00, 0x1E95, 1, true},    // Latin Extended Additional
    {0x1EA0, 0x1EFF, 1, true},
    {0xFF21, 0xFF3A, 32, false},  // fullwidth A-Z
};

bool EqualAt(const Text& text, std::size_t at, const Text& needle, bool caseSensitive) {
  if (caseSensitive) return text.compare(at, needle.size(), needle) == 0;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (FoldCase(text[at + i]) != FoldCase(needle[i])) return false;
  }
  return true;
}

}  // namespace

Text FoldCase(Text text) {
  for (char16_t& c : text) c = FoldCase(c);
  return text;
}

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c < 0xC0) return c;
  // The table is short and sorted: stop at the first row that starts beyond c.
  for (const FoldRange& r : kFoldTable) {
    if (c < r.first) break;
    if (c > r.last) continue;
    if (r.alternate && ((c - r.first) & 1) != 0) return c;
    return static_cast<char16_t>(c + r.delta);
  }
  return c;
}

bool EqualsIgnoreCase(const Text& a, const Text& b) {
  return a.size() == b.size() && EqualAt(a, 0, b, false);
}

bool IsWhiteSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::size_t Find(const Text& text, const Text& needle, bool caseSensitive, int occurrence,
                 std::int64_t start, std::size_t count) {
  const std::size_t n = text.size();
  const std::size_t m = needle.size();
  if (m == 0 || m > n) return 0;
  if (start < 1) start = 1;
  if (static_cast<std::uint64_t>(start) > n) return 0;
  const std::size_t first = static_cast<std::size_t>(start - 1);
  std::size_t limit = n;  // one past the last character searched
  if (count != 0 && count < n - first) limit = first + count;
  if (limit - first < m) return 0;
  const std::size_t last = limit - m;  // last possible match position

  if (occurrence == 0) occurrence = 1;
  if (occurrence > 0) {
    for (std::size_t p = first; p <= last; ++p) {
      if (EqualAt(text, p, needle, caseSensitive) && --occurrence == 0) return p + 1;
    }
  } else {
    for (std::size_t p = last + 1; p-- > first;) {
      if (EqualAt(text, p, needle, caseSensitive) && ++occurrence == 0) return p + 1;
    }
  }
  return 0;
}

void StripWhiteSpace(Text& text, unsigned flags) {
  if (flags & Strip::All) {
    std::erase_if(text, IsWhiteSpace);
    return;
  }
  if (flags & Strip::Trailing) {
    std::size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
    text.resize(end);
  }
  if (flags & Strip::Leading) {
    std::size_t begin = 0;
    while (begin < text.size() && IsWhiteSpace(text[begin])) ++begin;
    text.erase(0, begin);
  }
  if (flags & Strip::Runs) {
    // A white-space character followed by another one goes: a run keeps its last.
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (i + 1 < text.size() && IsWhiteSpace(text[i]) && IsWhiteSpace(text[i + 1])) continue;
      text[out++] = text[i];
    }
    text.resize(out);
  }
}

void TrimLeft(Text& text, std::int64_t n) {
  if (n <= 0) return;
  text.erase(0, static_cast<std::size_t>(std::min<std::uint64_t>(n, text.size())));
}

void TrimTrailingBackslashes(Text& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == u'\\') --end;
  text.resize(end);
}

std::optional<Text> ParentFolder(Text path) {
  TrimTrailingBackslashes(path);
  const std::size_t last = path.rfind(u'\\');
  if (last == Text::npos || last < 2) return std::nullopt;
  path.resize(last);
  return path;
}

Text FolderOf(Text path) {
  TrimTrailingBackslashes(path);
  // A root ("\\x", "C\\") is kept whole rather than cut to nothing.
  return ParentFolder(path).value_or(path);
}

Text Mid(const Text& text, std::int64_t start, std::int64_t count) {
  if (start < 1) start = 1;
  if (static_cast<std::uint64_t>(start) > text.size()) return Text();
  const std::size_t from = static_cast<std::size_t>(start - 1);
  if (count < 1) return text.substr(from);
  return text.substr(from,
                     static_cast<std::size_t>(std::min<std::uint64_t>(count, text.size() - from)));
}

std::vector<Text> Split(const Text& text, const Text& delimiter) {
  std::vector<Text> parts;
  if (text.empty() || delimiter.empty()) {
    parts.push_back(text);
    return parts;
  }
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t at = text.find(delimiter, from);
    if (at == Text::npos) {
      parts.push_back(text.substr(from));
      break;
    }
    parts.push_back(text.substr(from, at - from));
    from = at + delimiter.size();
  }
  return parts;
}

void Replace(Text& text, const Text& search, const Text& replacement, int occurrence,
             bool caseSensitive) {
  if (search.empty() || search.size() > text.size()) return;
  if (occurrence != 0) {
    const std::size_t at = Find(text, search, caseSensitive, occurrence);
    if (at != 0) text.replace(at - 1, search.size(), replacement);
    return;
  }
  // Every occurrence, left to right; the replacement itself is never searched.
  Text out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + search.size() <= text.size() && EqualAt(text, i, search, caseSensitive)) {
      out += replacement;
      i += search.size();
    } else {
      out += text[i++];
    }
  }
  text = std::move(out);
}

std::int32_t ToInteger(const Text& text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  // Accumulate as a negative number so that the minimum is reachable, and
  // stop growing once the range is left (the rest of the digits only saturate).
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (value >= kMin) value = value * 10 - (text[i] - u'0');
  }
  if (negative) return static_cast<std::int32_t>(std::max(value, kMin));
  return static_cast<std::int32_t>(
      std::min(-value, std::int64_t{std::numeric_limits<std::int32_t>::max()}));
}

namespace {

Text FormatMagnitude(std::uint64_t value, bool negative) {
  char16_t digits[21];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (negative) digits[n++] = u'-';
  Text out;
  out.reserve(n);
  while (n > 0) out += digits[--n];
  return out;
}

}  // namespace

Text FormatUnsigned(std::uint64_t value) { return FormatMagnitude(value, false); }

Text FormatSigned(std::int64_t value) {
  // The magnitude of the minimum does not fit an int64; it does fit uint64.
  if (value >= 0) return FormatMagnitude(static_cast<std::uint64_t>(value), false);
  return FormatMagnitude(0u - static_cast<std::uint64_t>(value), true);
}

std::optional<std::int64_t> ParseWhole(const Text& text) {
  std::size_t at = text.size() > 1 && text[0] == u'-' ? 1 : 0;
  if (at == text.size()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    if (!IsDigit(text[at])) return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(text[at] - u'0');
    if (magnitude >
        (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10) {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + digit;
  }
  const auto value = static_cast<std::int64_t>(magnitude);
  return text[0] == u'-' ? -value : value;
}

std::size_t Utf8Length(const Text& text) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      bytes += 1;
    } else if (c < 0x800) {
      bytes += 2;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      bytes += 4;
      ++i;
    } else {
      bytes += 3;
    }
  }
  return bytes;
}

void LimitDecimals(Text& text) {
  const std::size_t dot = text.rfind(u'.');
  if (dot == Text::npos) return;
  if (text.size() > dot + 3) text.resize(dot + 3);
  if (text.size() == dot + 1) text.resize(dot);
}

Text EscapedField(const Text& text, std::u16string_view separators) {
  Text out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool edge = i == 0 || i + 1 == text.size();
    if (c == u'%' || c == u'\r' || c == u'\n' || separators.find(c) != std::u16string_view::npos ||
        (edge && (c == u' ' || c == u'\t'))) {
      static constexpr char16_t kHex[] = u"0123456789ABCDEF";
      out += u'%';
      out += kHex[c >> 4 & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<Text> UnescapedField(const Text& text) {
  Text out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const auto digit = [](char16_t c) -> int {
      if (c >= u'0' && c <= u'9') return c - u'0';
      if (c >= u'A' && c <= u'F') return c - u'A' + 10;
      return -1;
    };
    const int high = digit(text[i + 1]);
    const int low = digit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char16_t>(high << 4 | low);
    i += 2;
  }
  return out;
}

std::vector<Text> SplitFields(const Text& value, char16_t separator) {
  std::vector<Text> fields;
  for (std::size_t from = 0;;) {
    const std::size_t at = value.find(separator, from);
    fields.push_back(value.substr(from, at == Text::npos ? Text::npos : at - from));
    if (at == Text::npos) return fields;
    from = at + 1;
  }
}

}  // namespace twk

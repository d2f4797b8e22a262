#pragma once
// The text helpers every subsystem uses. Positions are 1-based; 0 means "not
// found". White space is exactly blank, tab, CR and LF.
#include <cstdint>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/text_codec.h"  // FromUtf8/ToUtf8, which many callers of these helpers use too

namespace twk {

// One case-folding rule for every build: the platform C libraries disagree
// (glibc's towlower folds only ASCII in the default locale).
char16_t FoldCase(char16_t c);
// "0" to "9" only: the digits every number in the file and on the command
// line is written with (never other scripts' digits).
constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// Every character of text folded so: the form in which names that Windows
// compares ignoring case (keys, paths, device names) are looked up.
Text FoldCase(Text text);
bool EqualsIgnoreCase(const Text& a, const Text& b);

bool IsWhiteSpace(char16_t c);

// occurrence: n >= 1 from the start, n <= -1 from the end, 0 counts as 1.
// start: 1-based, below 1 counts as 1. count: 0 = to the end.
std::size_t Find(const Text& text, const Text& needle, bool caseSensitive = true,
                 int occurrence = 1, std::int64_t start = 1, std::size_t count = 0);

namespace Strip {
inline constexpr unsigned Leading = 1, Trailing = 2, Runs = 4, All = 8;
}
void StripWhiteSpace(Text& text, unsigned flags);
void TrimLeft(Text& text, std::int64_t n);
void TrimTrailingBackslashes(Text& text);
// The folder of a path: trailing backslashes removed, cut before the last
// backslash when that lies beyond the second character (so "C:\\x" gives
// "C:"); a path without such a backslash is returned whole.
Text FolderOf(Text path);
// The folder one level up, the one home of that rule: trailing backslashes
// removed, then cut before the last backslash. None when there is nothing
// to cut to: no backslash at all (a bare name), or only one among the first
// two characters, which are a root's ("\\server" of a network path, "\x").
// "C:\x" gives "C:"; "C:" has none.
std::optional<Text> ParentFolder(Text path);
Text Mid(const Text& text, std::int64_t start, std::int64_t count = 0);
std::vector<Text> Split(const Text& text, const Text& delimiter);
// occurrence 0 replaces every occurrence, n only the n-th.
void Replace(Text& text, const Text& search, const Text& replacement, int occurrence = 0,
             bool caseSensitive = true);
std::int32_t ToInteger(const Text& text);
// Digits with an optional minus sign and nothing else, within 64 bits; none
// otherwise. Stricter than ToInteger: a figure read back from the file must
// be the figure that was written, not its leading digits.
std::optional<std::int64_t> ParseWhole(const Text& text);
Text FormatUnsigned(std::uint64_t value);
Text FormatSigned(std::int64_t value);
// Bytes of text in UTF-8, to tell a whole write from a short one. An
// unpaired surrogate counts as the three bytes of the replacement character.
std::size_t Utf8Length(const Text& text);
// A field of a settings value that joins several with separators: "%", the
// given separators, line ends and blanks at either end written as %XX (two
// upper-case hexadecimal digits), and back (none for a damaged escape).
Text EscapedField(const Text& text, std::u16string_view separators);
std::optional<Text> UnescapedField(const Text& text);
// Every field between the separators, empty ones at either end included.
std::vector<Text> SplitFields(const Text& value, char16_t separator);
void LimitDecimals(Text& text);

}  // namespace twk

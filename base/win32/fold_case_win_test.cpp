// The fold table against the system's own lower-case mapping: inside the
// blocks the table covers, both must agree character for character.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/strings.h"

namespace twk {
namespace {

TEST(FoldCaseWin, AgreesWithTheSystemLowerCaseMappingInTheCoveredBlocks) {
  const std::pair<char16_t, char16_t> blocks[] = {
      {0x0000, 0x024F},  // ASCII, Latin-1 Supplement, Latin Extended-A (and -B, unfolded here)
      {0x0370, 0x03FF},  // Greek
      {0x0400, 0x052F},  // Cyrillic and its supplement
      {0x0530, 0x058F},  // Armenian
      {0x1E00, 0x1EFF},  // Latin Extended Additional
      {0xFF00, 0xFF5E},  // fullwidth forms
  };
  int mismatches = 0;
  for (const auto& [first, last] : blocks) {
    for (std::uint32_t c = first; c <= last; ++c) {
      // Latin Extended-B (U+0180-U+024F) is deliberately outside the table.
      if (c >= 0x0180 && c <= 0x024F) continue;
      wchar_t in = static_cast<wchar_t>(c);
      wchar_t out = 0;
      ASSERT_EQ(LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, &in, 1, &out, 1), 1);
      if (static_cast<char16_t>(out) != FoldCase(static_cast<char16_t>(c))) {
        ADD_FAILURE() << std::hex << "U+" << c << ": system " << int(out) << ", table "
                      << int(FoldCase(static_cast<char16_t>(c)));
        if (++mismatches > 20) return;
      }
    }
  }
}

}  // namespace
}  // namespace twk

#pragma once
// An ANSI code page for tests: Latin-1, where each byte is the character of
// the same number; characters beyond U+00FF become "?". A test can make the
// conversions fail.
#include "platform/code_page.h"

namespace twk::platform {

class FakeAnsiCodePage final : public AnsiCodePage {
 public:
  [[nodiscard]] std::optional<Text> Decode(std::string_view bytes) const override {
    if (fail) return std::nullopt;
    Text out;
    for (char b : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(b));
    return out;
  }
  [[nodiscard]] std::optional<std::string> Encode(const Text& text) const override {
    if (fail) return std::nullopt;
    std::string out;
    for (char16_t c : text) out += c <= 0xFF ? static_cast<char>(c) : '?';
    return out;
  }

  bool fail = false;
};

}  // namespace twk::platform

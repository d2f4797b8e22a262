#include "base/text_codec.h"

#include <cstdint>

namespace twk {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendCodePoint(Text& out, std::uint32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
    return;
  }
  c -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (c >> 10));
  out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

}  // namespace

Text FromUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      continue;
    }
    // The range each continuation byte may take; only the first is narrowed,
    // which is what rules out overlong forms, surrogates and values beyond
    // U+10FFFF without decoding them first.
    int need = 0;
    std::uint32_t c = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      need = 1, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      need = 2, c = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      need = 3, c = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    bool complete = need > 0;
    for (int k = 0; k < need; ++k) {
      const int b = i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : -1;
      if (b < low || b > high) {
        complete = false;  // the byte that broke the sequence starts the next one
        break;
      }
      c = (c << 6) | (b & 0x3F);
      low = 0x80, high = 0xBF;
      ++i;
    }
    if (complete) {
      AppendCodePoint(out, c);
    } else {
      out += kReplacement;
    }
  }
  return out;
}

std::string ToUtf8(const Text& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Bytes are combined explicitly, so the host's byte order does not matter.
Text FromUtf16(std::string_view bytes, ByteOrder order) {
  Text out((bytes.size() + 1) / 2, u'\0');
  const int firstShift = order == ByteOrder::BigEndian ? 8 : 0;
  const int secondShift = 8 - firstShift;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
    const unsigned second =
        2 * i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[2 * i + 1]) : 0;
    out[i] = static_cast<char16_t>((first << firstShift) | (second << secondShift));
  }
  return out;
}

std::string ToUtf16(const Text& text, ByteOrder order) {
  std::string out(text.size() * 2, '\0');
  const bool big = order == ByteOrder::BigEndian;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto low = static_cast<char>(text[i] & 0xFF);
    const auto high = static_cast<char>(text[i] >> 8);
    out[2 * i] = big ? high : low;
    out[2 * i + 1] = big ? low : high;
  }
  return out;
}

}  // namespace twk

#pragma once
// Text to bytes and back in the encodings a file can hold: UTF-8 and UTF-16
// in either byte order. The system's ANSI code page is not here: which one
// it is depends on the machine, so only the system can convert it.
#include <string>
#include <string_view>

#include "base/text.h"

namespace twk {

// Each maximal invalid subsequence (overlong forms, encoded surrogates,
// values above U+10FFFF, a sequence cut short) becomes one U+FFFD, as
// Unicode recommends and Windows' own converter does.
Text FromUtf8(std::string_view bytes);
// An unpaired surrogate has no UTF-8 form and becomes U+FFFD.
std::string ToUtf8(const Text& text);

enum class ByteOrder { LittleEndian, BigEndian };

// Code units taken as they are, unpaired surrogates and zeros included. An
// odd last byte pairs with a zero byte.
Text FromUtf16(std::string_view bytes, ByteOrder order);
std::string ToUtf16(const Text& text, ByteOrder order);

}  // namespace twk

#pragma once
// Overwrites memory that held a secret (a password) with zeros in a way the
// compiler may not drop as a dead store: the writes go through a volatile
// pointer, so they happen even when the buffer is freed right afterwards.
#include <cstddef>
#include <string>
#include <vector>

#include "base/text.h"

namespace twk {

inline void WipeBytes(void* data, std::size_t size) {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

// Zeros every character the string's buffer can hold (not only its current
// length: a shorter text may have left an older, longer one behind it), then
// empties it. The buffer itself is kept, so nothing is copied elsewhere.
inline void WipeText(Text& text) {
  text.resize(text.capacity());
  WipeBytes(text.data(), text.size() * sizeof(char16_t));
  text.clear();
}

inline void WipeText(std::vector<char16_t>& text) {
  WipeBytes(text.data(), text.size() * sizeof(char16_t));
  text.clear();
}

}  // namespace twk

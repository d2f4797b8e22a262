#pragma once
// Secrets typed by the user (the auto-logon password) are overwritten in
// place as soon as they have been used, so that no freed block of memory
// keeps them.
#include "base/text.h"

namespace twk::setup {

// Overwrites every character of text with 0, in a way the compiler may not
// drop as a dead store, then empties it.
inline void WipeText(Text& text) {
  volatile char16_t* p = text.data();
  for (std::size_t i = 0; i < text.size(); ++i) p[i] = u'\0';
  text.clear();
}

}  // namespace twk::setup

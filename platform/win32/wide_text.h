#pragma once
// The program's UTF-16 text as the wchar_t string the Win32 calls take. On
// Windows both are 16-bit units, so this is a view, not a conversion.
#include <string>

namespace twk::platform::win32 {

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace twk::platform::win32

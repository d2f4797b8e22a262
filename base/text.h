#pragma once
// The one text type of the program: UTF-16 in every build (wchar_t is 32-bit
// on Linux). Converted to wchar_t only at the Win32 call.
#include <string>

namespace twk {

using Text = std::u16string;

}  // namespace twk

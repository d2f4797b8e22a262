#include "platform/win32/win_code_page.h"

#include <windows.h>

#include <climits>

namespace twk::platform::win32 {

// Both conversions ask for the length first, then convert into a buffer of
// exactly that length. Empty input is empty output: the system calls would
// call it an invalid parameter. Sizes beyond int are refused, not cut.
std::optional<Text> WinAnsiCodePage::Decode(std::string_view bytes) const {
  if (bytes.empty()) return Text();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  Text out(static_cast<std::size_t>(needed), u'\0');
  if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                          needed) != needed) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> WinAnsiCodePage::Encode(const Text& text) const {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, nullptr, nullptr) !=
      needed) {
    return std::nullopt;
  }
  return out;
}

}  // namespace twk::platform::win32

#pragma once
#include "platform/code_page.h"

namespace twk::platform::win32 {

// MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
class WinAnsiCodePage final : public AnsiCodePage {
 public:
  [[nodiscard]] std::optional<Text> Decode(std::string_view bytes) const override;
  [[nodiscard]] std::optional<std::string> Encode(const Text& text) const override;
};

}  // namespace twk::platform::win32

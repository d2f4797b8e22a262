#pragma once
// The system's ANSI code page, in which a text file without a byte-order
// mark is read and written. Which code page that is depends on the machine's
// language settings, so only the system can convert it; every other encoding
// is converted by portable code (base/text_codec.h).
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"

namespace twk::platform {

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  // Nothing when the system cannot convert. Characters the code page lacks
  // are encoded as the system chooses (a best fit, or "?").
  [[nodiscard]] virtual std::optional<Text> Decode(std::string_view bytes) const = 0;
  [[nodiscard]] virtual std::optional<std::string> Encode(const Text& text) const = 0;
};

}  // namespace twk::platform

// Any text as a stored stamp, and any double as a measured value: reading
// must not crash, and the number format must always give a well-formed
// decimal that reads back as the value it stands for.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sequence/time_stamps.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

using twk::IsDigit;

// -?digits(.digits{1,11})?
void RequireWellFormed(const twk::Text& text) {
  std::size_t at = text.size() > 0 && text[0] == u'-' ? 1 : 0;
  const std::size_t firstDigit = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  Require(at > firstDigit);
  if (at == text.size()) return;
  Require(text[at] == u'.');
  const std::size_t decimals = text.size() - at - 1;
  Require(decimals >= 1 && decimals <= 11);
  for (++at; at < text.size(); ++at) Require(IsDigit(text[at]));
}

void CheckValue(double value) {
  const twk::Text text = twk::sequence::FormatNumber(value);
  RequireWellFormed(text);
  if (!std::isfinite(value) || std::fabs(value) >= 9.0e15) return;
  const double back = twk::sequence::ParseStamp(text);
  // Truncated, never rounded: the text is never further from zero than the
  // value, and loses less than the last decimal's unit (plus the tolerance).
  Require(std::fabs(back) <= std::fabs(value) + 1e-6);
  Require(std::fabs(value - back) < 1.0 + 1e-6);
  if (value == std::trunc(value)) Require(back == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof(double)) {
    double value;
    std::memcpy(&value, data, sizeof(value));
    CheckValue(value);
  }
  twk::Text text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);
  CheckValue(twk::sequence::ParseStamp(text));
  // A duration as the recorder computes it: reading minus stored stamp.
  CheckValue(13353768000.0 - twk::sequence::ParseStamp(text));
  return 0;
}

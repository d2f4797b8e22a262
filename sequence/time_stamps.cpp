#include "sequence/time_stamps.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>


namespace twk::sequence {
namespace {

// A fraction within this of a whole number counts as none: the stamps are
// whole seconds, and the differences and ratios of doubles carry noise.
constexpr double kTolerance = 9e-11;

bool IsCSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

}  // namespace

Text FormatNumber(double value) {
  // A stamp is read from a file anyone can edit; a number beyond the 64-bit
  // range must not reach the conversion below, which would be undefined.
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value)) return u"0";
  if (value >= kTwoTo63) return FormatSigned(std::numeric_limits<std::int64_t>::max());
  if (value < -kTwoTo63) return FormatSigned(std::numeric_limits<std::int64_t>::min());

  const std::int64_t whole = static_cast<std::int64_t>(value);  // toward zero
  const double fraction = value - static_cast<double>(whole);
  if (fraction - std::trunc(fraction) <= kTolerance) return FormatSigned(whole);

  // As many decimals as it takes for the rest to fall within the tolerance,
  // which grows tenfold with each decimal: at most 11.
  double tolerance = kTolerance;
  double shifted = fraction;
  int decimals = 0;
  do {
    tolerance *= 10;
    shifted *= 10;
    ++decimals;
  } while (shifted - std::trunc(shifted) > tolerance);

  std::int64_t limit = 1;
  for (int i = 0; i < decimals; ++i) limit *= 10;
  std::int64_t digits = static_cast<std::int64_t>(std::trunc(shifted));
  // Rounding in the multiplications may carry a fraction just below 1 up to
  // a whole 10^k; the digits are truncated, so keep the largest below it.
  if (digits >= limit) digits = limit - 1;

  Text decimalText = FormatSigned(digits);
  decimalText.insert(0, static_cast<std::size_t>(decimals) - decimalText.size(), u'0');
  return FormatSigned(whole) + u"." + decimalText;
}

double ParseStamp(const Text& text) {
  std::size_t at = 0;
  while (at < text.size() && IsCSpace(text[at])) ++at;

  std::string number;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
    if (text[at] == u'-') number += '-';
    ++at;
  }
  std::size_t mantissaDigits = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at, ++mantissaDigits) {
    number += static_cast<char>(text[at]);
  }
  if (at < text.size() && text[at] == u'.') {
    number += '.';
    for (++at; at < text.size() && IsDigit(text[at]); ++at, ++mantissaDigits) {
      number += static_cast<char>(text[at]);
    }
  }
  if (mantissaDigits == 0) return 0;

  // An exponent counts only when at least one digit follows its sign.
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    std::size_t probe = at + 1;
    std::string exponent = "e";
    if (probe < text.size() && (text[probe] == u'+' || text[probe] == u'-')) {
      exponent += static_cast<char>(text[probe]);
      ++probe;
    }
    if (probe < text.size() && IsDigit(text[probe])) {
      for (; probe < text.size() && IsDigit(text[probe]); ++probe) {
        exponent += static_cast<char>(text[probe]);
      }
      number += exponent;
    }
  }

  // The text holds only digits, sign, point and exponent here, so the C
  // library reads all of it, correctly rounded, and its reading does not
  // depend on the locale beyond "." being the decimal point, as in the "C"
  // locale every program starts in (this one never changes it). Overflow
  // gives an infinity and underflow (nearly) zero, as with wcstod.
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size()) return 0;
  return value;
}

}  // namespace twk::sequence

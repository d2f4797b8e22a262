#pragma once
// The number rules of the measured values: how a stamp or a duration is
// written into the settings file and read back (the measurements themselves
// are sequence/measurement_store.h).
#include <cstdint>

#include "base/strings.h"

namespace twk::sequence {

// The number rule of every measured value: whole numbers as plain signed
// decimals; a fraction with as many decimals as it needs (at most 11), the
// last one truncated, never rounded. 16.666... gives 16.6666666666.
[[nodiscard]] Text FormatNumber(double value);

// A stored stamp as a number, read the way wcstod reads decimal notation
// (leading white space, sign, digits, a point, an exponent; it stops at the
// first character that does not fit). No number at all reads as 0.
[[nodiscard]] double ParseStamp(const Text& text);

}  // namespace twk::sequence

#pragma once
// The one clock of the reboot measurements: local wall-clock time in whole
// seconds. Local rather than UTC because that is what the stored stamps have
// always meant; a clock or daylight-saving change between two readings
// therefore enters a measured duration.
#include <cstdint>

namespace twk::platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // Whole seconds since 1601-01-01 00:00 local time, truncated; 0 when the
  // platform could not convert the time (callers treat 0 as "no reading").
  [[nodiscard]] virtual std::uint64_t CurrentSecond() = 0;
  // Milliseconds of a monotonic counter (GetTickCount64): a cheap reading
  // that tells a loop when the wall clock's second can have changed, so that
  // the costly local-time reading is only taken then.
  [[nodiscard]] virtual std::uint64_t TickMilliseconds() = 0;
};

}  // namespace twk::platform

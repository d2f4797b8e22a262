#pragma once
// The clocks of the reboot measurements. The stored stamps have always been
// local wall-clock seconds, and still are (other readers of the file rely on
// them); beside each the UTC moment is kept in milliseconds, so that a clock,
// time-zone or daylight-saving change between two stamps does not enter a
// measured duration.
#include <cstdint>
#include <optional>

namespace twk::platform {

// The processor time the whole system has spent since it started, summed
// over every processor, in 100-ns units: how much of it was idle, in kernel
// mode and in user mode. Kernel time includes the idle time (the idle loop
// runs in kernel mode), so kernel + user is all the time there was.
struct CpuTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

// One moment in both clocks, taken from a single reading.
struct ClockReading {
  std::uint64_t localSecond = 0;     // as CurrentSecond; 0 = none
  std::int64_t utcMilliseconds = 0;  // since 1601-01-01 00:00 UTC; 0 = none
};

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

  // Now, in both clocks (the local second derived from the same UTC reading).
  // Zeros when the time could not be converted.
  [[nodiscard]] virtual ClockReading Now() = 0;
  // When Windows created this process: the moment a restart really ends is
  // when the logon started the program, not when it got round to reading the
  // clock after its own start-up. Zeros when it cannot be learnt.
  [[nodiscard]] virtual ClockReading ProcessCreated() = 0;
  // The system's processor times now: how busy the machine is over an
  // interval is the difference of two readings. None when they cannot be
  // read.
  [[nodiscard]] virtual std::optional<CpuTimes> SystemCpuTimes() = 0;
};

}  // namespace twk::platform

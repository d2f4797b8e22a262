#pragma once
#include <cstdint>
#include <optional>

#include "platform/clock.h"

namespace twk::platform::win32 {

class WinClock final : public Clock {
 public:
  std::uint64_t CurrentSecond() override;
  std::uint64_t TickMilliseconds() override;
  ClockReading Now() override;
  ClockReading ProcessCreated() override;
  std::optional<CpuTimes> SystemCpuTimes() override;

 private:
  std::uint32_t lastTick_ = 0;
  std::uint64_t wraps_ = 0;
};

}  // namespace twk::platform::win32

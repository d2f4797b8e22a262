#pragma once
#include "platform/clock.h"

namespace twk::platform::win32 {

class WinClock final : public Clock {
 public:
  std::uint64_t CurrentSecond() override;
};

}  // namespace twk::platform::win32

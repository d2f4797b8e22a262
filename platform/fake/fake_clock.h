#pragma once
// A clock that moves only when told to. It keeps milliseconds so that a
// heartbeat of 20 ms can advance it and the whole seconds tick over exactly
// as often as on a real machine.
#include <cstdint>

#include "platform/clock.h"

namespace twk::platform {

class FakeClock final : public Clock {
 public:
  // 2024-03-01 12:00:00 in seconds since 1601: an eleven-digit reading like
  // every present-day one.
  static constexpr std::uint64_t kDefaultSecond = 13353768000ULL;

  explicit FakeClock(std::uint64_t second = kDefaultSecond) { SetSecond(second); }

  // ---- test controls -------------------------------------------------------
  void SetSecond(std::uint64_t second) { milliseconds_ = second * 1000; }
  void AdvanceSeconds(std::uint64_t seconds) { milliseconds_ += seconds * 1000; }
  void AdvanceMilliseconds(std::uint64_t milliseconds) { milliseconds_ += milliseconds; }
  // Sets the clock back (or forward) as a user or a daylight-saving change does.
  void Jump(std::int64_t seconds) {
    jumped_ += static_cast<std::uint64_t>(seconds * 1000);
    milliseconds_ =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(milliseconds_) + seconds * 1000);
  }
  // While failing, every reading is 0, as when the time conversion fails.
  void SetFailing(bool failing) { failing_ = failing; }
  // Time passes by this much after every reading, so that code which reads
  // the clock twice where once was meant gets two different answers.
  void AdvanceOnEachReading(std::uint64_t milliseconds) { perReading_ = milliseconds; }

  std::uint64_t milliseconds() const { return milliseconds_; }
  std::uint64_t readings() const { return readings_; }

  // ---- Clock ---------------------------------------------------------------
  [[nodiscard]] std::uint64_t CurrentSecond() override {
    ++readings_;
    const std::uint64_t second = milliseconds_ / 1000;
    milliseconds_ += perReading_;
    return failing_ ? 0 : second;
  }
  // The counter runs with the clock, but a jump of the wall clock does not
  // move it.
  [[nodiscard]] std::uint64_t TickMilliseconds() override { return milliseconds_ - jumped_; }

 private:
  std::uint64_t milliseconds_ = 0;
  std::uint64_t readings_ = 0;
  std::uint64_t perReading_ = 0;
  std::uint64_t jumped_ = 0;  // wrapping: a jump back subtracts
  bool failing_ = false;
};

}  // namespace twk::platform

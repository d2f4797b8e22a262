#pragma once
// A clock that moves only when told to. It keeps milliseconds so that a
// heartbeat of 20 ms can advance it and the whole seconds tick over exactly
// as often as on a real machine.
#include <cstdint>
#include <optional>

#include "platform/clock.h"

namespace twk::platform {

class FakeClock final : public Clock {
 public:
  // 2024-03-01 12:00:00 in seconds since 1601: an eleven-digit reading like
  // every present-day one.
  static constexpr std::uint64_t kDefaultSecond = 13353768000ULL;

  explicit FakeClock(std::uint64_t second = kDefaultSecond) {
    SetSecond(second);
    cpuSettledAt_ = Counter();
  }

  // ---- test controls -------------------------------------------------------
  void SetSecond(std::uint64_t second) { milliseconds_ = second * 1000; }
  void AdvanceSeconds(std::uint64_t seconds) { milliseconds_ += seconds * 1000; }
  void AdvanceMilliseconds(std::uint64_t milliseconds) { milliseconds_ += milliseconds; }
  // The local time's distance from UTC (local - UTC). Changing it moves the
  // local clock as summer time or a new time zone does; UTC goes on.
  void SetUtcOffset(std::int64_t seconds) {
    milliseconds_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(milliseconds_) +
                                               (seconds * 1000 - offsetMs_));
    jumped_ += static_cast<std::uint64_t>(seconds * 1000 - offsetMs_);
    offsetMs_ = seconds * 1000;
  }
  // The program's process is created now: ProcessCreated answers this moment
  // until the next call. Before any, it answers zeros (not learnt).
  void CreateProcess() { created_ = milliseconds_; }
  // Sets the clock back (or forward), as a user or a time service does: both
  // clocks move.
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

  // The system's processor times follow the monotonic counter: while busy
  // every elapsed millisecond is user time, otherwise it is idle (and so
  // kernel) time. One processor; the counters start at zero when the clock
  // is made, and a later SetSecond forward counts as time that passed.
  void SetCpuBusy(bool busy) {
    SettleCpuTimes();
    cpuBusy_ = busy;
  }
  // Windows started `ms` ago, as after a restart: the counter (the uptime)
  // starts from there; the clocks and the processor times go on.
  void SetUptime(std::uint64_t ms) {
    SettleCpuTimes();
    jumped_ = milliseconds_ - ms;
    cpuSettledAt_ = Counter();
  }
  // While failing, SystemCpuTimes answers none; the counters go on.
  void SetCpuTimesFailing(bool failing) { cpuFailing_ = failing; }

  std::uint64_t milliseconds() const { return milliseconds_; }
  // Readings of the wall clock (CurrentSecond, Now), of the tick counter and
  // of the processor times: what a loop costs between its events.
  std::uint64_t readings() const { return readings_; }
  std::uint64_t tickReadings() const { return tickReadings_; }
  std::uint64_t cpuReadings() const { return cpuReadings_; }

  // ---- Clock ---------------------------------------------------------------
  [[nodiscard]] std::uint64_t CurrentSecond() override {
    ++readings_;
    const std::uint64_t second = milliseconds_ / 1000;
    milliseconds_ += perReading_;
    return failing_ ? 0 : second;
  }
  // The counter runs with the clock, but a jump of the wall clock does not
  // move it.
  [[nodiscard]] std::uint64_t TickMilliseconds() override {
    ++tickReadings_;
    return Counter();
  }
  [[nodiscard]] ClockReading Now() override {
    ++readings_;
    const ClockReading reading = ReadingAt(milliseconds_);
    milliseconds_ += perReading_;
    return failing_ ? ClockReading{} : reading;
  }
  [[nodiscard]] ClockReading ProcessCreated() override {
    return created_ && !failing_ ? ReadingAt(*created_) : ClockReading{};
  }
  [[nodiscard]] std::optional<CpuTimes> SystemCpuTimes() override {
    ++cpuReadings_;
    SettleCpuTimes();
    if (cpuFailing_) return std::nullopt;
    return cpu_;
  }

 private:
  ClockReading ReadingAt(std::uint64_t localMs) const {
    return {localMs / 1000, static_cast<std::int64_t>(localMs) - offsetMs_};
  }
  // Brings the processor times up to the counter's present. SetSecond moves
  // the counter with the clock; after a move back the times stand still
  // until it passes the moment they were settled at, as real ones never run
  // back.
  std::uint64_t Counter() const { return milliseconds_ - jumped_; }
  void SettleCpuTimes() {
    const std::uint64_t tick = Counter();
    if (tick <= cpuSettledAt_) return;
    const std::uint64_t elapsed = (tick - cpuSettledAt_) * 10000;  // ms to 100 ns
    if (cpuBusy_) {
      cpu_.user += elapsed;
    } else {
      cpu_.idle += elapsed;
      cpu_.kernel += elapsed;
    }
    cpuSettledAt_ = tick;
  }

  std::uint64_t milliseconds_ = 0;  // local time
  std::int64_t offsetMs_ = 0;       // local - UTC
  std::optional<std::uint64_t> created_;
  std::uint64_t readings_ = 0;
  std::uint64_t tickReadings_ = 0;
  std::uint64_t cpuReadings_ = 0;
  std::uint64_t perReading_ = 0;
  std::uint64_t jumped_ = 0;  // wrapping: a jump back subtracts
  bool failing_ = false;
  CpuTimes cpu_;
  std::uint64_t cpuSettledAt_ = 0;  // the counter's reading the times are settled to
  bool cpuBusy_ = false;
  bool cpuFailing_ = false;
};

}  // namespace twk::platform

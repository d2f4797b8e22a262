#pragma once
// The moment the desktop is ready after a logon: the end of the last phase
// of a restart. Windows is usable well before the machine has settled, and
// "settled" needs a rule that can be checked from the outside, so this one
// follows the performance recorder's post-boot rule: the desktop is ready
// once the system has been idle for 10 s, where idle means a sample of about
// 100 ms in which the processors were at least 80 % idle.
//
// Idle time is accumulated, not required in one unbroken stretch, as the
// recorder does too. A machine whose start-up work comes in bursts (an
// update check, the indexer, a tray program loading late) may never give ten
// quiet seconds in a row within the deadline, yet its user has long been
// able to work; with accumulation such a restart still gets a figure, and
// the figure stays comparable with the recorder's. The moment reported is
// the moment the 10 s were complete minus those 10 s, which is the same as
// the time since the first sample that was not counted as idle: idle from
// the start gives the first sample's moment; 15 s busy and then idle gives
// 15 s; 1 s busy and 1 s idle in turn gives 10 s (complete at 20 s).
//
// The tracker runs beside the boot it measures, on the heartbeat: a sample
// is a handful of subtractions and comparisons, with no allocation, and a
// call that comes too soon after the last counted one costs less still.
#include <cstdint>
#include <optional>

#include "platform/clock.h"

namespace twk::sequence {

class DesktopReadyTracker {
 public:
  static constexpr std::uint64_t kIdleNeededMs = 10000;
  static constexpr std::uint64_t kIdlePercent = 80;
  static constexpr std::uint64_t kSampleMs = 100;
  // What the program allows a logon to settle before it gives up.
  static constexpr std::uint64_t kGiveUpAfterMs = 2 * 60 * 1000;

  // giveUpAfterMs counts from the first sample: if the 10 s of idle cannot
  // be complete by then, the moment is decided as unknown.
  explicit DesktopReadyTracker(std::uint64_t giveUpAfterMs = kGiveUpAfterMs)
      : giveUpAfterMs_(giveUpAfterMs) {}

  // One reading of the system's processor times at atMs (any monotonic
  // milliseconds; the answer is in the same). Calls less than kSampleMs
  // after the last counted reading are passed over, so the caller may call
  // on every heartbeat. Readings out of order or after the decision change
  // nothing.
  void Sample(std::uint64_t atMs, const platform::CpuTimes& times);
  // The same for a reading that may have failed: a failed one breaks the
  // chain of readings, so the time between the good readings around it
  // counts as not idle. It still counts towards the deadline.
  void Sample(std::uint64_t atMs, const std::optional<platform::CpuTimes>& times);

  // Ready or given up; it is given up as soon as the deadline can no longer
  // be met, not only when it has passed.
  [[nodiscard]] bool Decided() const { return decided_; }
  // The moment the desktop was ready, once decided; none while undecided or
  // when the system did not settle in time.
  [[nodiscard]] std::optional<std::uint64_t> ReadyAtMs() const { return readyAtMs_; }
  // Idle time counted so far.
  [[nodiscard]] std::uint64_t IdleMs() const { return idleMs_; }

 private:
  [[nodiscard]] bool Accept(std::uint64_t atMs);
  void Count(std::uint64_t intervalMs, const platform::CpuTimes& from,
             const platform::CpuTimes& to);
  void Decide(std::uint64_t atMs);

  std::uint64_t giveUpAfterMs_;
  std::uint64_t startMs_ = 0;
  std::uint64_t lastMs_ = 0;  // the latest reading's moment
  platform::CpuTimes base_;   // the reading the current interval starts from
  std::uint64_t idleMs_ = 0;
  std::optional<std::uint64_t> readyAtMs_;
  bool started_ = false;
  bool hasBase_ = false;
  bool decided_ = false;
};

}  // namespace twk::sequence

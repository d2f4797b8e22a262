#include "sequence/desktop_ready.h"

#include <limits>

namespace twk::sequence {
namespace {

// idle / total >= percent / 100 without the products that could overflow
// on a broken reading: total = 100 q + r, so total * percent / 100 rounded
// up is q * percent + (r * percent) / 100 rounded up.
bool IdleEnough(std::uint64_t idle, std::uint64_t total, std::uint64_t percent) {
  const std::uint64_t q = total / 100;
  const std::uint64_t r = total % 100;
  return idle >= q * percent + (r * percent + 99) / 100;
}

}  // namespace

void DesktopReadyTracker::Sample(std::uint64_t atMs,
                                 const std::optional<platform::CpuTimes>& times) {
  if (times) {
    Sample(atMs, *times);
    return;
  }
  if (decided_ || !Accept(atMs)) return;
  lastMs_ = atMs;
  hasBase_ = false;
  Decide(atMs);
}

void DesktopReadyTracker::Sample(std::uint64_t atMs, const platform::CpuTimes& times) {
  if (decided_ || !Accept(atMs)) return;
  if (hasBase_) {
    const std::uint64_t intervalMs = atMs - lastMs_;
    // A shorter interval holds only a few of the system's clock ticks (about
    // 15.6 ms each), so its idle share would read 0, 50 or 100 %: keep the
    // base and let the interval grow.
    if (intervalMs < kSampleMs) return;
    Count(intervalMs, base_, times);
  }
  lastMs_ = atMs;
  base_ = times;
  hasBase_ = true;
  Decide(atMs);
}

// Readings come in order; one from before the latest is passed over, so that
// counted intervals never overlap and the idle time never exceeds the time
// since the first reading.
bool DesktopReadyTracker::Accept(std::uint64_t atMs) {
  if (!started_) {
    started_ = true;
    startMs_ = atMs;
    lastMs_ = atMs;
  }
  return atMs >= lastMs_;
}

// Counters that went back (a reset, a broken reading), idle time beyond the
// kernel time it is part of, a sum that overflows or no time at all: such an
// interval contradicts itself and is not counted as idle, and the next one
// starts from this reading.
void DesktopReadyTracker::Count(std::uint64_t intervalMs, const platform::CpuTimes& from,
                                const platform::CpuTimes& to) {
  if (to.idle < from.idle || to.kernel < from.kernel || to.user < from.user) return;
  const std::uint64_t idle = to.idle - from.idle;
  const std::uint64_t kernel = to.kernel - from.kernel;
  const std::uint64_t user = to.user - from.user;
  if (idle > kernel || user > std::numeric_limits<std::uint64_t>::max() - kernel) return;
  const std::uint64_t total = kernel + user;
  if (total == 0) return;
  if (IdleEnough(idle, total, kIdlePercent)) idleMs_ += intervalMs;
}

void DesktopReadyTracker::Decide(std::uint64_t atMs) {
  if (idleMs_ >= kIdleNeededMs) {
    // The needed idle time was complete within this last interval, at
    // atMs - (idleMs_ - kIdleNeededMs) if its idle time is taken as spread
    // evenly over it; the desktop was ready kIdleNeededMs before that.
    decided_ = true;
    readyAtMs_ = atMs - idleMs_;
    return;
  }
  // Given up once even an idle system from now on could not complete the
  // idle time by the deadline. Checked at every new base, this also keeps
  // the moment the idle time is complete within the deadline.
  const std::uint64_t elapsed = atMs - startMs_;
  const std::uint64_t left = giveUpAfterMs_ > elapsed ? giveUpAfterMs_ - elapsed : 0;
  if (left < kIdleNeededMs - idleMs_) decided_ = true;
}

}  // namespace twk::sequence

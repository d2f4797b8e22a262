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

void DesktopReadyTracker::Sample(std::uint64_t atMs, const std::optional<platform::CpuTimes>& cpu,
                                 const std::optional<platform::DiskTimes>& disk) {
  if (decided_ || !Accept(atMs)) return;
  // The disk was asked and could not answer: it is not asked again.
  if (!rule_ && !disk) rule_ = ReadyRule::Cpu;
  if (!cpu) {
    lastMs_ = atMs;
    hasBase_ = false;
    Decide(atMs);
    return;
  }
  if (hasBase_) {
    const std::uint64_t intervalMs = atMs - lastMs_;
    // A shorter interval holds only a few of the system's clock ticks (about
    // 15.6 ms each), so its idle share would read 0, 50 or 100 %: keep the
    // base and let the interval grow.
    if (intervalMs < kSampleMs) return;
    // The first interval tells whether the disk's counters run: a query
    // time that stood still for 100 ms is no clock at all.
    if (!rule_) {
      rule_ = diskBase_ && disk->queryTime > diskBase_->queryTime ? ReadyRule::CpuAndDisk
                                                                  : ReadyRule::Cpu;
    }
    if (Idle(*cpu, disk)) idleMs_ += intervalMs;
  }
  lastMs_ = atMs;
  base_ = *cpu;
  diskBase_ = disk;
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
// starts from this reading. The same for the disk, but for an idle time a
// little beyond the query times' difference: the idle time is summed at the
// disk's own moments and the query time follows the system clock's ticks,
// so an idle disk may show a few milliseconds more idle time than passed.
bool DesktopReadyTracker::Idle(const platform::CpuTimes& to,
                               const std::optional<platform::DiskTimes>& disk) const {
  const platform::CpuTimes& from = base_;
  if (to.idle < from.idle || to.kernel < from.kernel || to.user < from.user) return false;
  const std::uint64_t idle = to.idle - from.idle;
  const std::uint64_t kernel = to.kernel - from.kernel;
  const std::uint64_t user = to.user - from.user;
  if (idle > kernel || user > std::numeric_limits<std::uint64_t>::max() - kernel) return false;
  const std::uint64_t total = kernel + user;
  if (total == 0 || !IdleEnough(idle, total, kIdlePercent)) return false;
  if (rule_ != ReadyRule::CpuAndDisk) return true;

  if (!disk || !diskBase_) return false;
  if (disk->queryTime <= diskBase_->queryTime || disk->idle < diskBase_->idle) return false;
  return IdleEnough(disk->idle - diskBase_->idle, disk->queryTime - diskBase_->queryTime,
                    kIdlePercent);
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

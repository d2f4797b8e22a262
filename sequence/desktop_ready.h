#pragma once
// The moment the desktop is ready after a logon: the end of the last phase
// of a restart. Windows is usable well before the machine has settled, and
// "settled" needs a rule that can be checked from the outside, so this one
// follows the performance recorder's post-boot rule: the desktop is ready
// once the system has been idle for 10 s, where idle means a sample of about
// 100 ms in which the processors and the system disk were each at least 80 %
// idle. A desktop whose programs are still loading from the disk waits on
// the disk, not the processors: by the processors alone it would look ready
// too early on a slow disk.
//
// The disk's counters cannot be read everywhere (a driver may not keep
// them; Wine has none). Whether they can is learnt once, from the first
// interval: a reading that failed or a query time that did not advance
// leaves the processors to decide alone for the rest of the start, and
// which rule decided is told with the moment.
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
#include "platform/disk_counters.h"
#include "sequence/restart_phases.h"

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

  // One reading of the system's processor times and of the system disk's
  // counters at atMs (any monotonic milliseconds; the answer is in the
  // same). Calls less than kSampleMs after the last counted reading are
  // passed over, so the caller may call on every heartbeat. Readings out of
  // order or after the decision change nothing.
  //
  // A failed processor reading breaks the chain of readings, so the time
  // between the good readings around it counts as not idle; it still counts
  // towards the deadline. A failed disk reading does the same once the disk
  // takes part; before that it leaves the processors to decide alone.
  void Sample(std::uint64_t atMs, const std::optional<platform::CpuTimes>& cpu,
              const std::optional<platform::DiskTimes>& disk);
  // The processors alone, as where the disk's counters cannot be read.
  void Sample(std::uint64_t atMs, const platform::CpuTimes& times) {
    Sample(atMs, times, std::nullopt);
  }
  void Sample(std::uint64_t atMs, const std::optional<platform::CpuTimes>& times) {
    Sample(atMs, times, std::nullopt);
  }

  // Whether disk readings are still of use: until the first interval has
  // shown whether the counters can be read, and from then on where they can.
  [[nodiscard]] bool WantsDisk() const { return rule_ != ReadyRule::Cpu; }
  // The rule that counts the idle time, once learnt.
  [[nodiscard]] std::optional<ReadyRule> Rule() const { return rule_; }

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
  [[nodiscard]] bool Idle(const platform::CpuTimes& to,
                          const std::optional<platform::DiskTimes>& disk) const;
  void Decide(std::uint64_t atMs);

  std::uint64_t giveUpAfterMs_;
  std::uint64_t startMs_ = 0;
  std::uint64_t lastMs_ = 0;                     // the latest reading's moment
  platform::CpuTimes base_;                      // the reading the current interval starts from
  std::optional<platform::DiskTimes> diskBase_;  // the disk's, beside it
  std::optional<ReadyRule> rule_;
  std::uint64_t idleMs_ = 0;
  std::optional<std::uint64_t> readyAtMs_;
  bool started_ = false;
  bool hasBase_ = false;
  bool decided_ = false;
};

}  // namespace twk::sequence

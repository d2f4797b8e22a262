#pragma once
// What one start learns of where the restarts' time went: at the start, our
// split of the restart that has just ended and Windows' own figures of the
// restarts before it (Windows writes them minutes after the logon); then,
// while a window of ours waits anyway, the moment the desktop became ready.
//
// The desktop is ready by the rule of Windows' performance recorder: 10 s of
// samples with the processors and the system disk at least 80% idle have
// accumulated (the processors alone where the disk's counters cannot be
// read). Samples are taken on the heartbeat's wake-ups, at most one per
// 100 ms, so between samples a wake-up costs one counter reading: a sampler
// that used processor time would delay the very moment it measures. The
// disk is opened once, at the first sample, and kept open until the moment
// is decided or the disk has dropped out.
//
// Once the wait has ended (decided, given up, or cut short by the countdown
// or the report), one reading of who kept the desktop busy, and of what
// Windows' boot log names as having slowed the starts.
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/clock.h"
#include "platform/disk_counters.h"
#include "platform/ports.h"
#include "sequence/desktop_ready.h"
#include "sequence/measurement_store.h"

namespace twk::sequence {

// How long after the program's start the desktop may take to become ready
// before it counts as unknown.
inline constexpr std::uint64_t kDesktopReadyGiveUpMs = 120'000;
inline constexpr std::uint64_t kDesktopSampleMs = 100;

// The firmware's share of the last boot as Windows records it (FwPOSTTime
// under the power settings' key); none where it does not.
[[nodiscard]] std::optional<std::int64_t> FirmwareMilliseconds(platform::Registry& registry);

class PhaseRecorder {
 public:
  // restart: the one that ended when this program was created (0: none, the
  // start measures no restart and records nothing). systemDrive ("C:") names
  // the disk whose idle time counts; empty: the processors decide alone.
  PhaseRecorder(const platform::Ports& ports, MeasurementStore& measurements, std::uint32_t restart,
                const platform::ClockReading& created, const Text& systemDrive = Text());

  // Our split of the restart; Windows' figures of every restart that lacks
  // them and whose record can be found. True when anything was written.
  bool RecordAtStart();
  // Windows' figures only (the report reads them once more).
  bool RecordWindowsFigures();
  // On a wake-up: a sample when one is due; the ready moment and the rule
  // that decided it once it is decided. True when the decision was written
  // now. `tick` is the caller's reading of the tick counter at this wake-up,
  // so that a loop which needs the counter itself reads it once.
  bool OnWake(std::uint64_t tick);
  bool OnWake() { return OnWake(ports_.clock->TickMilliseconds()); }
  // Decided, or not worth sampling (no restart, or the clocks cannot tell).
  [[nodiscard]] bool done() const { return done_; }
  // This start ends the sequence: what Windows says slowed the last
  // restart's start is read up to now, as nothing follows it.
  void EndsSequence() { endsSequence_ = true; }
  // The wait ends here (the countdown ran out, the window closed): the
  // busy programs are read now if they have not been, and the last
  // restart's culprits once more. True when anything was written.
  bool Finish();

 private:
  const platform::Ports& ports_;
  MeasurementStore& measurements_;
  std::uint32_t restart_;
  std::optional<std::int64_t> createdUtcMs_;
  // The monotonic counter at the program's creation, and when to sample next.
  std::uint64_t createdTick_ = 0;
  std::uint64_t nextSampleTick_ = 0;
  [[nodiscard]] std::optional<platform::DiskTimes> ReadDisk();
  // The reading of the busy programs, once; and the culprits of every
  // restart whose start has been followed by the next restart (and of this
  // start's own when it ends the sequence). True when anything was written.
  bool ReadWhoWasBusy(bool atReady);
  bool RecordCulprits(bool throughNow);

  DesktopReadyTracker tracker_;
  Text systemDrive_;
  std::optional<platform::DiskCounterReader> disk_;  // made at the first sample
  bool done_ = false;
  bool busyRead_ = false;
  bool endsSequence_ = false;
};

}  // namespace twk::sequence

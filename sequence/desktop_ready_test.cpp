#include "sequence/desktop_ready.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "platform/fake/fake_clock.h"

namespace twk::sequence {
namespace {

using platform::CpuTimes;
using platform::DiskTimes;
using Tracker = DesktopReadyTracker;

// The system's processor times at a moment, in ascending moments.
using Reading = std::function<CpuTimes(std::uint64_t atMs)>;
// The idle share, in per cent, of the millisecond that begins at a moment.
using IdleShare = std::function<std::uint64_t(std::uint64_t ms)>;

// One processor: every millisecond adds 10000 units of 100 ns, the idle
// share of them to idle and kernel time, the busy rest split between kernel
// and user time.
Reading OneProcessor(IdleShare share) {
  auto times = std::make_shared<CpuTimes>();
  auto ms = std::make_shared<std::uint64_t>(0);
  return [=](std::uint64_t atMs) {
    for (; *ms < atMs; ++*ms) {
      const std::uint64_t idle = share(*ms) * 100;
      const std::uint64_t busy = 10000 - idle;
      times->idle += idle;
      times->kernel += idle + busy / 4;
      times->user += busy - busy / 4;
    }
    return *times;
  };
}

IdleShare Steady(std::uint64_t percent) {
  return [percent](std::uint64_t) { return percent; };
}
IdleShare BusyFor(std::uint64_t busyMs) {
  return [busyMs](std::uint64_t ms) -> std::uint64_t { return ms < busyMs ? 0 : 100; };
}
// busyMs busy, then idleMs idle, and again.
IdleShare InTurn(std::uint64_t busyMs, std::uint64_t idleMs) {
  return
      [=](std::uint64_t ms) -> std::uint64_t { return ms % (busyMs + idleMs) < busyMs ? 0 : 100; };
}

// Samples every everyMs from startMs until the tracker has decided (10
// minutes at most) and gives its answer.
std::optional<std::uint64_t> ReadyAfter(Tracker& tracker, std::uint64_t everyMs,
                                        const Reading& reading, std::uint64_t startMs = 0) {
  for (std::uint64_t at = startMs; at <= startMs + 600000 && !tracker.Decided(); at += everyMs) {
    tracker.Sample(at, reading(at));
  }
  EXPECT_TRUE(tracker.Decided());
  return tracker.ReadyAtMs();
}
std::optional<std::uint64_t> ReadyAfter(std::uint64_t everyMs, const Reading& reading) {
  Tracker tracker;
  return ReadyAfter(tracker, everyMs, reading);
}
std::optional<std::uint64_t> ReadyAfter(std::uint64_t everyMs, const IdleShare& share) {
  return ReadyAfter(everyMs, OneProcessor(share));
}

TEST(DesktopReadyTest, ReadyIsTheTimeThatWasNotIdle) {
  EXPECT_EQ(ReadyAfter(100, Steady(100)), 0u);
  EXPECT_EQ(ReadyAfter(100, BusyFor(15000)), 15000u);
  // Idle time accumulates: ten idle seconds are complete at 20 s (1 s busy,
  // 1 s idle) or at 40 s (3 s busy, 1 s idle). An unbroken stretch of 10 s
  // would never come.
  EXPECT_EQ(ReadyAfter(100, InTurn(1000, 1000)), 10000u);
  EXPECT_EQ(ReadyAfter(100, InTurn(3000, 1000)), 30000u);

  // In the caller's milliseconds: sampling that begins at 4 s on an idle
  // system finds it ready at 4 s, and busy readings after that change
  // nothing.
  Tracker late;
  EXPECT_EQ(ReadyAfter(late, 100, OneProcessor(Steady(100)), 4000), 4000u);
  late.Sample(20000, CpuTimes{});
  EXPECT_EQ(late.ReadyAtMs(), 4000u);
}

TEST(DesktopReadyTest, AnIntervalCountsAsIdleFromEightyPerCent) {
  EXPECT_EQ(ReadyAfter(100, Steady(80)), 0u);
  EXPECT_EQ(ReadyAfter(100, Steady(79)), std::nullopt);
  // The share is the interval's: 50 ms busy and 50 ms idle is half idle.
  EXPECT_EQ(ReadyAfter(100, InTurn(50, 50)), std::nullopt);
  // Four processors of five idle: exactly 80 % of the system.
  EXPECT_EQ(ReadyAfter(100,
                       [](std::uint64_t at) {
                         return CpuTimes{4 * at * 10000, 4 * at * 10000, at * 10000};
                       }),
            0u);
}

TEST(DesktopReadyTest, TheHeartbeatsRhythmDoesNotChangeTheAnswer) {
  for (const IdleShare& share : {Steady(100), BusyFor(15000), InTurn(1000, 1000)}) {
    EXPECT_EQ(ReadyAfter(20, share), ReadyAfter(100, share));
  }
  // The system counts processor time by clock ticks (about 16 ms), each
  // wholly idle or wholly busy. A machine at rest whose background work takes
  // one tick in ten is 90 % idle; a 20 ms interval holding that tick would
  // read it as 0 % or 50 % idle.
  const Reading atRest = [](std::uint64_t at) {
    const std::uint64_t ticks = at / 16;
    const std::uint64_t busyTicks = (ticks + 9) / 10;
    const std::uint64_t idle = (ticks - busyTicks) * 16 * 10000;
    return CpuTimes{idle, idle, busyTicks * 16 * 10000};
  };
  EXPECT_EQ(ReadyAfter(20, atRest), 0u);
  EXPECT_EQ(ReadyAfter(100, atRest), 0u);

  // Intervals of 140 ms (calls every 70 ms) do not divide the 10 s: the
  // last one overshoots, and only the part of it that was needed counts.
  EXPECT_EQ(ReadyAfter(70, Steady(100)), 0u);
  // The interval in which the machine turns idle counts whole or not at
  // all: one interval early or late.
  const std::optional<std::uint64_t> ready = ReadyAfter(70, BusyFor(15000));
  ASSERT_TRUE(ready.has_value());
  EXPECT_GE(*ready, 15000u - 140u);
  EXPECT_LE(*ready, 15000u + 140u);
}

TEST(DesktopReadyTest, GivesUpWhenTheIdleTimeCannotBeCompleteByTheDeadline) {
  // Never idle: decided as soon as it is hopeless, the first sample past
  // 2 minutes less the 10 s still needed.
  Tracker busy;
  std::uint64_t lastSample = 0;
  const Reading neverIdle = [&lastSample, machine = OneProcessor(Steady(0))](std::uint64_t at) {
    lastSample = at;
    return machine(at);
  };
  EXPECT_EQ(ReadyAfter(busy, 100, neverIdle), std::nullopt);
  EXPECT_EQ(lastSample, 110100u);

  // Idle time complete at the deadline itself counts; a sample later not.
  EXPECT_EQ(ReadyAfter(100, BusyFor(110000)), 110000u);
  EXPECT_EQ(ReadyAfter(100, BusyFor(110100)), std::nullopt);
  Tracker shortDeadline(30000);
  EXPECT_EQ(ReadyAfter(shortDeadline, 100, OneProcessor(BusyFor(25000))), std::nullopt);
}

// The idle time one interval of 100 ms adds, from one reading to the next.
std::uint64_t IdleMsOf(const CpuTimes& from, const CpuTimes& to) {
  Tracker tracker;
  tracker.Sample(1000, from);
  tracker.Sample(1100, to);
  return tracker.IdleMs();
}

TEST(DesktopReadyTest, ReadingsThatContradictThemselvesAreNotCountedAsIdle) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const CpuTimes base{5000000, 6000000, 7000000};
  const std::uint64_t step = 100 * 10000;  // 100 ms in 100-ns units
  EXPECT_EQ(IdleMsOf(base, {base.idle + step, base.kernel + step, base.user}), 100u);
  // Idle time beyond the kernel time it is part of.
  EXPECT_EQ(IdleMsOf(base, {base.idle + 2 * step, base.kernel + step, base.user}), 0u);
  // Counters that ran back, one at a time.
  EXPECT_EQ(IdleMsOf(base, {base.idle - 1, base.kernel + step, base.user}), 0u);
  EXPECT_EQ(IdleMsOf(base, {base.idle + step, base.kernel - 1, base.user + step}), 0u);
  EXPECT_EQ(IdleMsOf(base, {base.idle + step, base.kernel + step, base.user - 1}), 0u);
  // No time at all, and a sum that would wrap round to almost none.
  EXPECT_EQ(IdleMsOf(base, base), 0u);
  EXPECT_EQ(IdleMsOf({}, {kMax, kMax, 2}), 0u);
  // A reading from before the latest one is passed over.
  Tracker outOfOrder;
  outOfOrder.Sample(1000, base);
  outOfOrder.Sample(500, {base.idle + step, base.kernel + step, base.user});
  EXPECT_EQ(outOfOrder.IdleMs(), 0u);

  // On an idle machine: a reset of the counters at 5 s loses the interval
  // into it, and the counting goes on from the new base; counters that
  // stand still from 3 s to 4 s lose that second.
  EXPECT_EQ(ReadyAfter(100, [idle = OneProcessor(Steady(100))](
                                std::uint64_t at) { return at == 5000 ? CpuTimes{} : idle(at); }),
            100u);
  EXPECT_EQ(ReadyAfter(100,
                       [idle = OneProcessor(Steady(100))](std::uint64_t at) {
                         return idle(at <= 3000 ? at : at <= 4000 ? 3000 : at - 1000);
                       }),
            1000u);
}

// The fake clock's processor times drive the tracker as the heartbeat will:
// every 20 ms, with the clock's counter as the moment.
TEST(DesktopReadyTest, FollowsTheClocksProcessorTimes) {
  platform::FakeClock clock;
  Tracker tracker;
  const std::uint64_t start = clock.TickMilliseconds();
  auto heartbeatFor = [&](Tracker& t, std::uint64_t ms) {
    for (std::uint64_t end = clock.TickMilliseconds() + ms; clock.TickMilliseconds() < end;) {
      t.Sample(clock.TickMilliseconds(), clock.SystemCpuTimes());
      clock.AdvanceMilliseconds(20);
    }
  };
  clock.SetCpuBusy(true);
  heartbeatFor(tracker, 15000);
  clock.SetCpuBusy(false);
  // Idle, but the readings fail for 3 s: that time is not counted.
  clock.SetCpuTimesFailing(true);
  heartbeatFor(tracker, 3000);
  clock.SetCpuTimesFailing(false);
  heartbeatFor(tracker, 20000);
  EXPECT_EQ(tracker.ReadyAtMs(), start + 18000);

  // Readings that never succeed run into the deadline.
  Tracker blind;
  clock.SetCpuTimesFailing(true);
  heartbeatFor(blind, 120000);
  EXPECT_TRUE(blind.Decided());
  EXPECT_EQ(blind.ReadyAtMs(), std::nullopt);
}

// ---- the system disk beside the processors ----------------------------------

// The disk's counters at a moment; none where the query failed.
using DiskReading = std::function<std::optional<DiskTimes>(std::uint64_t atMs)>;

// A disk whose idle share of every millisecond is given, queried at the
// system time of the moment (100-ns units; a boot in 2024).
DiskReading DiskOf(IdleShare share) {
  auto times = std::make_shared<DiskTimes>(DiskTimes{0, 133537680000000000});
  auto ms = std::make_shared<std::uint64_t>(0);
  return [=](std::uint64_t atMs) -> std::optional<DiskTimes> {
    for (; *ms < atMs; ++*ms) {
      times->idle += share(*ms) * 100;
      times->queryTime += 10000;
    }
    return *times;
  };
}

struct Decision {
  std::optional<std::uint64_t> readyAt;
  std::optional<ReadyRule> rule;
  bool operator==(const Decision&) const = default;
};

// Samples every 100 ms, processors and disk, until decided.
Decision Decide(const IdleShare& cpu, const DiskReading& disk) {
  Tracker tracker;
  const Reading processors = OneProcessor(cpu);
  for (std::uint64_t at = 0; at <= 600000 && !tracker.Decided(); at += 100) {
    tracker.Sample(at, processors(at), disk(at));
  }
  EXPECT_TRUE(tracker.Decided());
  return {tracker.ReadyAtMs(), tracker.Rule()};
}

const DiskReading kNoCounters = [](std::uint64_t) { return std::optional<DiskTimes>(); };

TEST(DesktopReadyDiskTest, ASampleIsIdleOnlyWhenTheDiskIsIdleToo) {
  constexpr auto kBoth = ReadyRule::CpuAndDisk;
  EXPECT_EQ(Decide(Steady(100), DiskOf(Steady(100))), (Decision{0, kBoth}));
  // Programs still loading from the disk while the processors wait on it:
  // idle processors over a busy disk are not a ready desktop.
  EXPECT_EQ(Decide(Steady(100), DiskOf(BusyFor(12000))), (Decision{12000, kBoth}));
  EXPECT_EQ(Decide(BusyFor(15000), DiskOf(BusyFor(12000))), (Decision{15000, kBoth}));
  EXPECT_EQ(Decide(Steady(100), DiskOf(Steady(0))), (Decision{std::nullopt, kBoth}));
  EXPECT_EQ(Decide(Steady(100), DiskOf(InTurn(1000, 1000))), (Decision{10000, kBoth}));
  // The same threshold as the processors'.
  EXPECT_EQ(Decide(Steady(100), DiskOf(Steady(80))), (Decision{0, kBoth}));
  EXPECT_EQ(Decide(Steady(100), DiskOf(Steady(79))), (Decision{std::nullopt, kBoth}));
}

TEST(DesktopReadyDiskTest, WithoutReadableCountersTheProcessorsDecideAlone) {
  Tracker tracker;
  EXPECT_TRUE(tracker.WantsDisk());
  EXPECT_EQ(tracker.Rule(), std::nullopt);
  EXPECT_EQ(Decide(BusyFor(15000), kNoCounters), (Decision{15000, ReadyRule::Cpu}));
  // Learnt once: a disk that could not answer at first and would say
  // "busy" later is not asked again.
  const DiskReading late = [busy = DiskOf(Steady(0))](std::uint64_t at) {
    return at == 0 ? std::nullopt : busy(at);
  };
  EXPECT_EQ(Decide(Steady(100), late), (Decision{0, ReadyRule::Cpu}));
  tracker.Sample(0, CpuTimes{}, std::nullopt);
  EXPECT_FALSE(tracker.WantsDisk());
  // Counters that answer but whose query time stands still (counting
  // switched off), and a second query that fails.
  const DiskReading frozen = [](std::uint64_t) { return DiskTimes{0, 133537680000000000}; };
  EXPECT_EQ(Decide(Steady(100), frozen), (Decision{0, ReadyRule::Cpu}));
  const DiskReading once = [busy = DiskOf(Steady(0))](std::uint64_t at) {
    return at == 0 ? busy(at) : std::nullopt;
  };
  EXPECT_EQ(Decide(Steady(100), once), (Decision{0, ReadyRule::Cpu}));
}

TEST(DesktopReadyDiskTest, DiskReadingsThatFailOrContradictThemselvesAreNotIdle) {
  constexpr auto kBoth = ReadyRule::CpuAndDisk;
  // Failing from 5 s to 8 s once the disk counts: the time from the last
  // good reading to the first one after is lost, as for the processors.
  const DiskReading gap = [idle = DiskOf(Steady(100))](std::uint64_t at) {
    return at >= 5000 && at < 8000 ? std::nullopt : idle(at);
  };
  EXPECT_EQ(Decide(Steady(100), gap), (Decision{3100, kBoth}));
  // Counters reset at 5 s lose the interval into it; a query time that
  // stands still from 3 s to 4 s loses that second.
  const DiskReading reset = [idle = DiskOf(Steady(100))](std::uint64_t at) {
    std::optional<DiskTimes> t = idle(at);
    if (at == 5000) t->idle = 0;
    return t;
  };
  EXPECT_EQ(Decide(Steady(100), reset), (Decision{100, kBoth}));
  const DiskReading stuck = [idle = DiskOf(Steady(100))](std::uint64_t at) {
    std::optional<DiskTimes> t = idle(at > 3000 && at <= 4000 ? 3000 : at);
    return t;
  };
  EXPECT_EQ(Decide(Steady(100), stuck), (Decision{1000, kBoth}));
  // The idle time is summed at the disk's own moments: a little more of it
  // than the query times passed is an idle disk, not a broken one.
  const DiskReading ahead = [idle = DiskOf(Steady(100))](std::uint64_t at) {
    std::optional<DiskTimes> t = idle(at);
    t->idle += at / 100 * 20000;  // 2 ms more every 100 ms
    return t;
  };
  EXPECT_EQ(Decide(Steady(100), ahead), (Decision{0, kBoth}));
}

}  // namespace
}  // namespace twk::sequence

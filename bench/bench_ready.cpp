// The cost of one reading of the desktop-ready tracker. It runs on the
// heartbeat beside the logon it measures, so it has to stay far below what
// reading the processor times costs. 1,000,000 readings of a machine that
// is busy and idle by turns, once at the heartbeat's 20 ms (four calls in
// five passed over) and once every 100 ms (each one counted); every figure
// is the median of the repetitions.
//
//   bench_ready [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_common.h"
#include "platform/clock.h"
#include "sequence/desktop_ready.h"

namespace {

using twk::platform::CpuTimes;
using twk::sequence::DesktopReadyTracker;
using Clock = std::chrono::steady_clock;

constexpr int kCalls = 1000000;

struct Reading {
  std::uint64_t atMs;
  CpuTimes times;
};

// Two processors, 1.5 s of one busy and then 1.5 s of both idle, and again.
std::vector<Reading> Trace(std::uint64_t everyMs) {
  std::vector<Reading> trace;
  trace.reserve(kCalls);
  CpuTimes times;
  for (int i = 0; i < kCalls; ++i) {
    const std::uint64_t at = static_cast<std::uint64_t>(i) * everyMs;
    const std::uint64_t units = everyMs * 10000;
    const bool busy = at % 3000 < 1500;
    times.idle += busy ? units : 2 * units;
    times.kernel += busy ? units + units / 10 : 2 * units;
    times.user += busy ? units - units / 10 : 0;
    trace.push_back({at, times});
  }
  return trace;
}

// Nanoseconds per call; a decided tracker is replaced, as the next logon's
// would be, so that every call does the work of an undecided one.
double NsPerCall(const std::vector<Reading>& trace, std::uint64_t& sink) {
  DesktopReadyTracker tracker;
  const auto begin = Clock::now();
  for (const Reading& r : trace) {
    tracker.Sample(r.atMs, r.times);
    if (tracker.Decided()) {
      sink += tracker.ReadyAtMs().value_or(1);
      tracker = DesktopReadyTracker();
    }
  }
  const auto end = Clock::now();
  sink += tracker.IdleMs();
  return std::chrono::duration<double, std::nano>(end - begin).count() / kCalls;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = twk::bench::Repetitions(argc, argv);
  const std::vector<Reading> heartbeat = Trace(20);
  const std::vector<Reading> counted = Trace(100);
  std::uint64_t sink = 0;
  std::vector<double> h, c;
  for (int i = 0; i < repetitions; ++i) {
    h.push_back(NsPerCall(heartbeat, sink));
    c.push_back(NsPerCall(counted, sink));
  }
  std::printf(
      "desktop-ready reading, 20 ms heartbeat: %.2f ns per call (median of %d x 1,000,000)\n",
      twk::bench::Median(h), repetitions);
  std::printf(
      "desktop-ready reading, every one counted: %.2f ns per call (median of %d x 1,000,000)\n",
      twk::bench::Median(c), repetitions);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(sink));
  return 0;
}

// The cost of comparing two sequences of 100 restarts with every phase
// known: what "/Compare" and the Compare view compute (four figures, each
// with its 10,000 differences sorted and the approximation's tie groups),
// and what the history list's Verdict column computes for one pair. The
// goal for the whole comparison is well under 50 ms. Every figure is the
// median of the repetitions.
//
//   bench_compare [repetitions]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

#include "bench/bench_common.h"
#include "sequence/verdict.h"

namespace {

using twk::sequence::SequenceFigures;
using Clock = std::chrono::steady_clock;

// 100 restarts of about 60 s (phases of about 20, 25 and 15 s), scattered by
// a few seconds, whole milliseconds; the second sequence 2 s faster.
SequenceFigures Sequence(std::uint32_t seed, std::int64_t offsetMs) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::int64_t> scatter(-3000, 3000);
  SequenceFigures f;
  for (int i = 0; i < 100; ++i) {
    const std::int64_t phases[3] = {20000 + scatter(random), 25000 + scatter(random) + offsetMs,
                                    15000 + scatter(random)};
    f.restartMs.push_back(phases[0] + phases[1] + phases[2]);
    for (int p = 0; p < 3; ++p) f.phaseMs[p].push_back(phases[p]);
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = twk::bench::Repetitions(argc, argv);
  const SequenceFigures before = Sequence(1, 0);
  const SequenceFigures after = Sequence(2, -2000);
  std::vector<double> whole, verdict;
  std::size_t sink = 0;
  for (int i = 0; i < repetitions; ++i) {
    auto begin = Clock::now();
    const auto comparison = twk::sequence::CompareSequences(1, before, 2, after);
    whole.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    sink += comparison.lines.size();
    begin = Clock::now();
    sink += static_cast<std::size_t>(twk::sequence::RestartVerdict(before, after));
    verdict.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
  }
  const auto comparison = twk::sequence::CompareSequences(1, before, 2, after);
  std::printf("comparison of 100 against 100 restarts, every phase: %.3f ms (median of %d; goal < 50 ms)\n",
              twk::bench::Median(whole), repetitions);
  std::printf("the restart's verdict alone (one cell of the Verdict column): %.3f ms\n",
              twk::bench::Median(verdict));
  for (const auto& line : comparison.lines) {
    std::printf("  %s\n", std::string(line.begin(), line.end()).c_str());
  }
  std::printf("(checksum %zu)\n", sink);
  return 0;
}

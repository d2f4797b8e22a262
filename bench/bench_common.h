#pragma once
// What every benchmark program does alike: the median of its runs, and the
// number of runs from its first argument.
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace twk::bench {

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline int Repetitions(int argc, char** argv, int fallback = 21) {
  return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

}  // namespace twk::bench

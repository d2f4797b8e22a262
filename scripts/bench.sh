#!/usr/bin/env bash
# Builds the optimised native build and runs every benchmark program in it.
# Arguments are passed to each benchmark. More benchmarks (native programs in
# bench/, or Wine figures below) only need a line or a block here.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${TWK_BENCH_BUILD:-build/native-release}
JOBS=${TWK_JOBS:-2}

cmake --preset native-release -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS"

echo "== native benchmarks ($BUILD)"
for b in bench/*.cpp; do
  name=$(basename "$b" .cpp)
  exe="$BUILD/$name"
  [ -x "$exe" ] || { echo "missing: $exe"; exit 1; }
  echo "-- $name"
  "$exe" "$@"
done

#!/usr/bin/env bash
# Builds the optimised native build and runs every benchmark program in it.
# Arguments are passed to each benchmark. More benchmarks (native programs in
# bench/, or Wine figures below) only need a line or a block here.
set -euo pipefail
# The caches and the CMake presets live under $HOME; some runners start
# without it.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cd "$(dirname "$0")/.."
BUILD=${TWK_BENCH_BUILD:-build/native-release}
JOBS=${TWK_JOBS:-2}

# TWK_BENCH_NATIVE=0 leaves the native benchmarks out (the Wine figures only).
if [ "${TWK_BENCH_NATIVE:-1}" != 0 ]; then
  cmake --preset native-release -B "$BUILD" >/dev/null
  cmake --build "$BUILD" -j "$JOBS"

  # bench_history: the history window with 50 kept sequences of 100 restarts
  # each, beside the report alone (goal: well under 100 ms).
  # bench_compare: two sequences of 100 restarts compared, every phase (goal:
  # under 50 ms), and one cell of the history list's Verdict column.
  # bench_inventory: what starts with Windows, read from a machine of 40
  # start-up entries and 400 service keys and recorded (goal: under 200 ms),
  # and a settings file of 50 kept sequences with their inventories loaded
  # and saved (goal: under 30 ms), with its size.
  # bench_busy: one reading of a list of 300 processes with their kinds
  # (goal: under 20 ms), and a settings file of 50 kept sequences of 10
  # restarts with their busy programs and culprits loaded and saved (goal:
  # under 30 ms), with its size.
  # bench_ready: one reading of the desktop-ready tracker, at the heartbeat's
  # rhythm and with every reading counted (nanoseconds per call).
  echo "== native benchmarks ($BUILD)"
  for b in bench/*.cpp; do
    name=$(basename "$b" .cpp)
    exe="$BUILD/$name"
    [ -x "$exe" ] || { echo "missing: $exe"; exit 1; }
    echo "-- $name"
    "$exe" "$@"
  done
fi

# ---- Tarnwick.exe: size, imports, and the cost of a start -------------------
# The product's size and its DLL imports (system DLLs only: everything else
# is linked in statically; most are delay-loaded), then the whole-process
# time under Wine of a start that ends at once (a second instance, which
# brings the first forward) beside a minimal Win32 program's start.
echo "== Tarnwick.exe"
. scripts/wine-env.sh
WIN_BUILD=${TWK_BENCH_WIN_BUILD:-build/windows}
cmake --preset windows -B "$WIN_BUILD" >/dev/null
cmake --build "$WIN_BUILD" -j "$JOBS" --target Tarnwick >/dev/null
PRODUCT="$WIN_BUILD/Tarnwick.exe"
echo "size: $(stat -c %s "$PRODUCT") bytes ($PRODUCT)"
imports=$(twk_pe_imports "$PRODUCT")
echo "imports: $(grep -v delayed <<<"$imports" | tr '\n' ' ')"
echo "delay-loaded: $(grep delayed <<<"$imports" | sed 's/ (delayed)//' | tr '\n' ' ')"
system_dlls='^(kernel32|user32|gdi32|gdiplus|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|wtsapi32|psapi|winmm|uxtheme|version|msvcrt)\.dll( \(delayed\))?$'
if grep -viE "$system_dlls" <<<"$imports"; then
  echo "FAIL: Tarnwick.exe imports a DLL that is not part of Windows (above)"
  exit 1
fi

ARCH=$(twk_wine_arch)
if [ "$ARCH" = x86_64 ]; then
  # This kernel cannot run 32-bit code: time the 64-bit twin.
  WIN_BUILD=${TWK_BENCH_WIN64_BUILD:-build/windows64}
  cmake --preset windows64 -B "$WIN_BUILD" >/dev/null
  CC_WIN=x86_64-w64-mingw32-gcc-posix
else
  CC_WIN=i686-w64-mingw32-gcc-posix
fi
cmake --build "$WIN_BUILD" -j "$JOBS" --target Tarnwick twk_probe >/dev/null
EXE="$WIN_BUILD/Tarnwick.exe"
MINIMAL="$WIN_BUILD/bench_minimal.exe"
printf '#include <windows.h>\nint WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) { return 0; }\n' |
  "$CC_WIN" -x c - -mwindows -Os -s -o "$MINIMAL"
# What any second start has to do, in a program that does nothing else:
# find the running window, restore it and bring it to the front. It needs
# user32 and, under Wine, the display driver, which the minimal program
# does not load.
FRONT="$WIN_BUILD/bench_bring_to_front.exe"
printf '%s\n' '#include <windows.h>' \
  'int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {' \
  '  HWND w = FindWindowW(L"TWK_GUI_CLASS", NULL);' \
  '  if (w != NULL && ShowWindow(w, SW_RESTORE)) SetForegroundWindow(w);' \
  '  return 0;' '}' | "$CC_WIN" -x c - -mwindows -Os -s -o "$FRONT"
twk_wine_setup "$ARCH"
twk_xvfb_start
"${WINESERVER:-wineserver}" -p 2>/dev/null || true
WINE=$TWK_WINE_LOADER

# Whole-process times in milliseconds, the programs taking turns so that a
# change in the machine's load weighs on all of them alike; the median of
# nine each.
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | sed -n 5p; }
"$WINE" "$EXE" >/dev/null 2>&1 &
first=$!
"$WINE" "$WIN_BUILD/twk_probe.exe" wait TWK_GUI_CLASS 20000 >/dev/null
declare -A start_ms
for _ in 1 2 3 4 5 6 7 8 9; do
  for program in "$EXE" "$MINIMAL" "$FRONT"; do
    begin=$(date +%s%N)
    "$WINE" "$program" >/dev/null 2>&1 || true
    start_ms[$program]+="$(( ($(date +%s%N) - begin) / 1000000 )) "
  done
done
"$WINE" "$WIN_BUILD/twk_probe.exe" post TWK_GUI_CLASS close >/dev/null
wait "$first" || true
second=$(median "${start_ms[$EXE]}")
minimal=$(median "${start_ms[$MINIMAL]}")
front=$(median "${start_ms[$FRONT]}")
echo "second start of Tarnwick.exe ($ARCH): $second ms (median of 9)"
echo "minimal Win32 program ($ARCH):       $minimal ms (median of 9)"
echo "find + restore + bring to front only: $front ms (median of 9)"
awk -v s="$second" -v m="$minimal" -v f="$front" 'BEGIN {
  printf "ratio second start / minimal program: %.2f (goal < 2)\n", s / m
  printf "ratio second start / bring-to-front program: %.2f\n", s / f }'

# ---- Tarnwick.exe: CPU time of a countdown ------------------------------------
# The reboot step has no timer: the heartbeat thread wakes its loop every
# 20 ms; the clock is read near the next second only. First, in several runs
# (TWK_BENCH_RUNS, default 3), each from a fresh start: the CPU time of the
# process over its first 8 s of counting, while it also samples the
# processors' times (and the system disk's counters, where they can be read:
# not under Wine, which answers the first query with a failure) every 100 ms
# to learn when the desktop is ready (on an idle machine that is decided
# after 10 s), beside two floors over the very same seconds: the same
# heartbeat in a program that does nothing else (under Wine every wake-up
# costs a few server round trips), and the same heartbeat in a program that
# also does, as plainly as it can be done, the work a countdown cannot leave
# out: one label repainted each second and the processors' times read every
# 100 ms. Measured side by side, a change in the machine's load weighs on all
# alike. The first ratio was meant to stay within 1.1, but under Wine the
# work alone costs more than that: a repaint reaches the X server (2 to 4 ms
# of CPU, even for one pixel) and GetSystemTimes opens and parses /proc/stat
# (0.1 to 0.3 ms when not in the cache). The second ratio tells what the
# countdown adds on top of that work; near 1 means nothing. Then, in one more
# start, 15 s of counting without the sampler and 25 s paused (the same
# wake-ups without the clock and the label), each per minute beside the bare
# floor.
# A prefix of its own: the step is closed before its restart, but a restart
# would end every windowed program of the Wine session.
echo "== countdown CPU time"
FLOOR="$WIN_BUILD/heartbeat_floor.exe"
"$CC_WIN" bench/win32/heartbeat_floor.c -mwindows -O2 -s -o "$FLOOR"
BENCH_PREFIX="$PWD/build/wine-bench-$ARCH"
RUNS=${TWK_BENCH_RUNS:-3}
(
  export TWK_WINEPREFIX="$BENCH_PREFIX" WINEPREFIX="$BENCH_PREFIX"
  twk_wine_setup "$ARCH"
  probe() { "$WINE" "$WIN_BUILD/twk_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
  folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tarnwick"
  mkdir -p "$folder"
  # Every start begins from the same settings: a sequence of three restarts,
  # one minute apart, that has just come back from its first restart.
  fresh_settings() {
    printf '[Setup]\r\nTimesToReboot=3\r\nRebootDelay=1\r\n' | iconv -f UTF-8 -t UTF-16LE |
      { printf '\xff\xfe'; cat; } >"$folder/TWK.ini"
  }
  ticks=$(getconf CLK_TCK)
  # utime + stime of a process, in clock ticks (the fields after the name).
  cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
  # CPU time of a process's threads in nanoseconds, finer than clock ticks.
  cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'; }

  ratios="" worked=""
  for run in $(seq "$RUNS"); do
    fresh_settings
    "$WINE" "$EXE" /CurrentReboot:2 /TotalReboots:3 /Delay:1 >/dev/null 2>&1 &
    step=$!
    probe wait TWK_GUI_CLASS 20000 >/dev/null
    "$WINE" "$FLOOR" 12 >/dev/null 2>&1 &
    floor=$!
    "$WINE" "$FLOOR" 12 work >/dev/null 2>&1 &
    work=$!
    sleep 1
    s0=$(cpu_ns "$step") g0=$(cpu_ns "$floor") w0=$(cpu_ns "$work")
    sleep 8
    s1=$(cpu_ns "$step") g1=$(cpu_ns "$floor") w1=$(cpu_ns "$work")
    probe post TWK_GUI_CLASS close >/dev/null
    wait "$step" || true
    wait "$floor" || true
    wait "$work" || true
    ratio=$(awk -v a="$s0" -v b="$s1" -v c="$g0" -v d="$g1" 'BEGIN { printf "%.2f", (b - a) / (d - c) }')
    ratios+="$ratio "
    worked+="$(awk -v a="$s0" -v b="$s1" -v c="$w0" -v d="$w1" 'BEGIN { printf "%.2f", (b - a) / (d - c) }') "
    awk -v run="$run" -v a="$s0" -v b="$s1" -v c="$g0" -v d="$g1" -v e="$w0" -v f="$w1" -v r="$ratio" 'BEGIN {
      m = 60 / 8 / 1e9
      printf "run %d: counting with the desktop sampler %.3f s CPU per minute, the bare 20 ms heartbeat %.3f s (ratio %s), the heartbeat with a label repainted each second and the processors read every 100 ms %.3f s (ratio %.2f)\n",
             run, (b - a) * m, (d - c) * m, r, (f - e) * m, (b - a) / (f - e) }'
  done
  echo "ratio countdown with sampler / bare heartbeat, $RUNS runs: $ratios(goal within 1.1 each)"
  echo "ratio countdown with sampler / heartbeat doing the same work plainly, $RUNS runs: $worked"

  fresh_settings
  "$WINE" "$EXE" /CurrentReboot:2 /TotalReboots:3 /Delay:1 >/dev/null 2>&1 &
  step=$!
  probe wait TWK_GUI_CLASS 20000 >/dev/null
  "$WINE" "$FLOOR" 60 >/dev/null 2>&1 &
  floor=$!
  sleep 1
  start=$(cpu_ticks "$step")
  # Past the sampler: on an idle machine the desktop is decided after 10 s.
  sleep 12
  t0=$(cpu_ns "$step") f0=$(cpu_ns "$floor")
  sleep 15
  t1=$(cpu_ns "$step") f1=$(cpu_ns "$floor")
  pause=$(probe tree TWK_GUI_CLASS | grep ' Button 260 420 ' | cut -d' ' -f1)
  probe click TWK_GUI_CLASS "${pause:-0}" >/dev/null
  sleep 1
  t2=$(cpu_ns "$step") f2=$(cpu_ns "$floor")
  sleep 25
  t3=$(cpu_ns "$step") f3=$(cpu_ns "$floor")
  shown=$(probe tree TWK_GUI_CLASS | grep ' Static 180 90 ' | sed 's/.*"\(.*\)"$/\1/')
  probe post TWK_GUI_CLASS close >/dev/null
  wait "$step" || true
  wait "$floor" || true
  awk -v t="$ticks" -v s="$start" -v a="$t0" -v b="$t1" -v c="$t2" -v d="$t3" \
      -v fa="$f0" -v fb="$f1" -v fc="$f2" -v fd="$f3" -v shown="$shown" 'BEGIN {
    per_min = 60 / 25 / 1e9
    printf "start-up until the countdown shows: %.2f s CPU\n", s / t
    printf "counting: %.3f s CPU per minute\n", (b - a) * 60 / 15 / 1e9
    printf "  a bare 20 ms heartbeat loop, same seconds: %.3f s CPU per minute\n", (fb - fa) * 60 / 15 / 1e9
    printf "paused (\"%s\"): %.3f s CPU per minute (the heartbeat and the pump alone)\n",
           shown, (d - c) * per_min
    printf "  a bare 20 ms heartbeat loop, same seconds: %.3f s CPU per minute\n", (fd - fc) * per_min
    printf "ratio countdown / bare heartbeat: %.2f (goal within 1.1)\n", (b - a) / (fb - fa)
    printf "ratio paused / bare heartbeat: %.2f\n", (d - c) / (fd - fc) }'
  "${WINESERVER:-wineserver}" -w 2>/dev/null || true
)

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

cmake --preset native-release -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$JOBS"

# bench_history: the history window with 50 kept sequences of 100 restarts
# each, beside the report alone (goal: well under 100 ms).
echo "== native benchmarks ($BUILD)"
for b in bench/*.cpp; do
  name=$(basename "$b" .cpp)
  exe="$BUILD/$name"
  [ -x "$exe" ] || { echo "missing: $exe"; exit 1; }
  echo "-- $name"
  "$exe" "$@"
done

# ---- Tarnwick.exe: size, imports, and the cost of a start -------------------
# The product's size and its DLL imports (system DLLs only: everything else
# is linked in statically), then the whole-process time under Wine of a start
# that ends at once (a second instance, which brings the first forward)
# beside a minimal Win32 program's start.
echo "== Tarnwick.exe"
WIN_BUILD=${TWK_BENCH_WIN_BUILD:-build/windows}
cmake --preset windows -B "$WIN_BUILD" >/dev/null
cmake --build "$WIN_BUILD" -j "$JOBS" --target Tarnwick >/dev/null
PRODUCT="$WIN_BUILD/Tarnwick.exe"
echo "size: $(stat -c %s "$PRODUCT") bytes ($PRODUCT)"
imports=$(i686-w64-mingw32-objdump -p "$PRODUCT" | sed -n 's/^\s*DLL Name: //p' | sort -fu)
echo "imports: $(echo $imports)"
system_dlls='^(kernel32|user32|gdi32|gdiplus|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|wtsapi32|psapi|winmm|uxtheme|version|msvcrt)\.dll$'
if grep -viE "$system_dlls" <<<"$imports"; then
  echo "FAIL: Tarnwick.exe imports a DLL that is not part of Windows (above)"
  exit 1
fi

. scripts/wine-env.sh
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
twk_wine_setup "$ARCH"
twk_xvfb_start
"${WINESERVER:-wineserver}" -p 2>/dev/null || true
WINE=$TWK_WINE_LOADER

# Median of five whole-process times, in milliseconds.
median_ms() {
  local times=() begin
  for _ in 1 2 3 4 5; do
    begin=$(date +%s%N)
    "$WINE" "$@" >/dev/null 2>&1 || true
    times+=($(( ($(date +%s%N) - begin) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

"$WINE" "$EXE" >/dev/null 2>&1 &
first=$!
"$WINE" "$WIN_BUILD/twk_probe.exe" wait TWK_GUI_CLASS 20000 >/dev/null
echo "second start of Tarnwick.exe ($ARCH): $(median_ms "$EXE") ms (median of 5)"
echo "minimal Win32 program ($ARCH):       $(median_ms "$MINIMAL") ms (median of 5)"
"$WINE" "$WIN_BUILD/twk_probe.exe" post TWK_GUI_CLASS close >/dev/null
wait "$first" || true

# ---- Tarnwick.exe: CPU time of a countdown ------------------------------------
# The reboot step has no timer: the heartbeat thread wakes its loop every
# 20 ms and each pass reads the clock. The CPU time (user + system) of the
# process over half a minute of counting, then over half a minute paused
# (the same wake-ups without the clock and the label), each per minute; the
# goal for a minute of countdown is under 0.3 s. A prefix of its own: the
# step is closed before its restart, but a restart would end every windowed
# program of the Wine session.
echo "== countdown CPU time"
BENCH_PREFIX="$PWD/build/wine-bench-$ARCH"
(
  export TWK_WINEPREFIX="$BENCH_PREFIX" WINEPREFIX="$BENCH_PREFIX"
  twk_wine_setup "$ARCH"
  probe() { "$WINE" "$WIN_BUILD/twk_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
  folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tarnwick"
  mkdir -p "$folder"
  printf '[Setup]\r\nTimesToReboot=3\r\nRebootDelay=1\r\n' | iconv -f UTF-8 -t UTF-16LE |
    { printf '\xff\xfe'; cat; } >"$folder/TWK.ini"
  ticks=$(getconf CLK_TCK)
  # utime + stime of a process, in clock ticks (the fields after the name).
  cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
  "$WINE" "$EXE" /CurrentReboot:2 /TotalReboots:3 /Delay:1 >/dev/null 2>&1 &
  step=$!
  probe wait TWK_GUI_CLASS 20000 >/dev/null
  sleep 2
  t0=$(cpu_ticks "$step")
  sleep 25
  t1=$(cpu_ticks "$step")
  pause=$(probe tree TWK_GUI_CLASS | grep ' Button 260 420 ' | cut -d' ' -f1)
  probe click TWK_GUI_CLASS "${pause:-0}" >/dev/null
  sleep 1
  t2=$(cpu_ticks "$step")
  sleep 25
  t3=$(cpu_ticks "$step")
  shown=$(probe tree TWK_GUI_CLASS | grep ' Static 180 90 ' | sed 's/.*"\(.*\)"$/\1/')
  probe post TWK_GUI_CLASS close >/dev/null
  wait "$step" || true
  awk -v t="$ticks" -v a="$t0" -v b="$t1" -v c="$t2" -v d="$t3" -v shown="$shown" 'BEGIN {
    printf "start-up until the countdown shows: %.2f s CPU\n", a / t
    printf "counting: %.2f s CPU per minute (goal < 0.3 s)\n", (b - a) / t * 60 / 25
    printf "paused (\"%s\"): %.2f s CPU per minute (the heartbeat and the pump alone)\n",
           shown, (d - c) / t * 60 / 25 }'
  "${WINESERVER:-wineserver}" -w 2>/dev/null || true
)

# ---- The floor: the same heartbeat in a program that does nothing else ------
# Under Wine every wake-up costs a few server round trips; this shows how
# much of the countdown's figure is the 20 ms heartbeat itself.
echo "== heartbeat floor"
FLOOR="$WIN_BUILD/heartbeat_floor.exe"
"$CC_WIN" bench/win32/heartbeat_floor.c -mwindows -O2 -s -o "$FLOOR"
twk_wine_setup "$ARCH"
"$WINE" "$FLOOR" 25 >/dev/null 2>&1 &
floor=$!
sleep 1
f0=$(sed 's/^.*) //' "/proc/$floor/stat" | awk '{ print $12 + $13 }')
sleep 20
f1=$(sed 's/^.*) //' "/proc/$floor/stat" | awk '{ print $12 + $13 }')
wait "$floor" || true
awk -v t="$(getconf CLK_TCK)" -v a="$f0" -v b="$f1" 'BEGIN {
  printf "a bare 20 ms heartbeat loop: %.2f s CPU per minute\n", (b - a) / t * 60 / 20 }'

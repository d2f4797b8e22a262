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

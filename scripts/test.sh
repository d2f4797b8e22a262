#!/usr/bin/env bash
# Builds every build and runs every test: native unit tests and the
# whole-sequence simulation, short fuzz runs, and the Windows tests and
# end-to-end scenarios under Wine + Xvfb.
set -euo pipefail
# The caches and the CMake presets live under $HOME; some runners start
# without it.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cd "$(dirname "$0")/.."
ROOT=$PWD
scripts/deps.sh
JOBS=${TWK_JOBS:-2}

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build build/native -j "$JOBS"
ctest --test-dir build/native --output-on-failure -j "$JOBS"

echo "== fuzz targets (short runs)"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "$JOBS"
for f in build/fuzz/*_fuzz; do
  [ -f "$f" ] && [ -x "$f" ] || continue  # not the work-* corpus folders beside them
  echo "-- $(basename "$f")"
  corpus="fuzz/corpus/$(basename "$f")"
  mkdir -p "build/fuzz/work-$(basename "$f")"
  "$f" -runs="${TWK_FUZZ_RUNS:-20000}" -max_len=4096 "build/fuzz/work-$(basename "$f")" \
       $( [ -d "$corpus" ] && echo "$corpus" ) 2>&1 | tail -2
done

echo "== Windows builds"
cmake --preset windows >/dev/null
. scripts/wine-env.sh
ARCH=$(twk_wine_arch)
WINBUILD=build/windows
if [ "$ARCH" = i686 ]; then
  cmake --build build/windows -j "$JOBS"
else
  # The product still builds (and links) here; its tests run in the twin.
  cmake --build build/windows -j "$JOBS" --target Tarnwick
  echo "note: this kernel cannot run 32-bit code; Windows tests run the 64-bit twin under wine64"
  cmake --preset windows64 >/dev/null
  cmake --build build/windows64 -j "$JOBS"
  WINBUILD=build/windows64
fi

echo "== the product imports system DLLs only"
# Delay-loaded DLLs count too: they are loaded all the same, only later.
imports=$(twk_pe_imports build/windows/Tarnwick.exe)
echo "Tarnwick.exe ($(stat -c %s build/windows/Tarnwick.exe) bytes) imports: $(echo $imports)"
if grep -viE '^(kernel32|user32|gdi32|gdiplus|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|wtsapi32|psapi|winmm|uxtheme|version|msvcrt)\.dll( \(delayed\))?$' <<<"$imports"; then
  echo "FAIL: Tarnwick.exe imports a DLL that is not part of Windows (above)"
  exit 1
fi

echo "== Windows tests under Wine ($ARCH)"
# A prefix of this checkout's own: nothing else's wineserver or desktop can
# interfere with the tests, and a clean checkout starts from a new prefix.
export TWK_WINEPREFIX="${TWK_WINEPREFIX:-$ROOT/build/wine-$ARCH}"
twk_wine_setup "$ARCH"
twk_xvfb_start
"${WINESERVER:-wineserver}" -p 2>/dev/null || true
# Start Wine's own services now, detached from our output: started later by a
# test program they would inherit ctest's pipes and keep it waiting forever.
"$TWK_WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --test-dir "$WINBUILD" --output-on-failure

echo "== end-to-end scenarios under Wine"
export TWK_EXE="$ROOT/$WINBUILD/Tarnwick.exe" TWK_ARCH="$ARCH"
for s in tests/wine/*.sh; do
  [ -f "$s" ] || continue
  echo "-- $s"
  bash "$s"
done
"${WINESERVER:-wineserver}" -k 2>/dev/null || true
[ -n "${TWK_XVFB_PID:-}" ] && kill "$TWK_XVFB_PID" 2>/dev/null || true
echo "all tests passed"

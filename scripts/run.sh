#!/usr/bin/env bash
# Builds Tarnwick.exe and runs it under Wine: on $DISPLAY when there is one,
# otherwise on a virtual display, saving a screenshot of the window.
set -euo pipefail
# The caches and the CMake presets live under $HOME; some runners start
# without it.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset windows >/dev/null
cmake --build build/windows -j "${TWK_JOBS:-2}" --target Tarnwick
echo "built: build/windows/Tarnwick.exe ($(stat -c %s build/windows/Tarnwick.exe) bytes)"
. scripts/wine-env.sh
ARCH=$(twk_wine_arch)
EXE=build/windows/Tarnwick.exe
if [ "$ARCH" = x86_64 ]; then
  echo "note: this kernel cannot run 32-bit code; running the 64-bit twin under wine64"
  cmake --preset windows64 >/dev/null
  cmake --build build/windows64 -j "${TWK_JOBS:-2}" --target Tarnwick
  EXE=build/windows64/Tarnwick.exe
fi
twk_wine_setup "$ARCH"
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  exec "$TWK_WINE_LOADER" "$EXE" "$@"
fi
twk_xvfb_start
"$TWK_WINE_LOADER" "$EXE" "$@" &
pid=$!
sleep "${TWK_SHOT_DELAY:-6}"
mkdir -p build/screenshots
import -window root build/screenshots/run.png
echo "screenshot: build/screenshots/run.png"
# No one can use the window on a virtual display: close it as a user would.
# taskkill without /f sends WM_CLOSE to the program's windows: a close request.
"$TWK_WINE_LOADER" taskkill /im Tarnwick.exe >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
"${WINESERVER:-wineserver}" -k 2>/dev/null || true
wait $pid 2>/dev/null || true
[ -n "${TWK_XVFB_PID:-}" ] && kill "$TWK_XVFB_PID" 2>/dev/null || true

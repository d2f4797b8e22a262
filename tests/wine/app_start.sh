#!/usr/bin/env bash
# End to end under Wine: Tarnwick.exe starts and shows its frame with the
# header (screenshot in build/screenshots/), a second start brings the first
# forward and ends with 0, the stored settings are read from the roaming
# application data, and the close button, WM_CLOSE and Alt+F4 all end it.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
. scripts/wine-env.sh
twk_wine_setup "${TWK_ARCH:-$(twk_wine_arch)}"
twk_xvfb_start
EXE=${TWK_EXE:?TWK_EXE names the Tarnwick.exe to test}
PROBE="$(dirname "$EXE")/twk_probe.exe"
WINE=$TWK_WINE_LOADER
CLASS=TWK_GUI_CLASS
FOLDER="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tarnwick"
APP=

fail() {
  echo "FAIL: $*"
  [ -n "$APP" ] && kill "$APP" 2>/dev/null
  exit 1
}
probe() { "$WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

start() {
  "$WINE" "$EXE" "$@" 2>/dev/null &
  APP=$!
  probe wait $CLASS 20000 >/dev/null || fail "no frame after starting with '$*'"
}

# Waits for the program to end by itself and checks its exit code.
ends_with() {
  for _ in $(seq 100); do
    if ! kill -0 "$APP" 2>/dev/null; then
      local code=0
      wait "$APP" || code=$?
      APP=
      [ "$code" = "$1" ] || fail "exit code $code, expected $1"
      return 0
    fi
    sleep 0.1
  done
  fail "the program did not end"
}

# A control line of the probe's tree: "id class x y w h visible "text"".
expect_control() {
  local id=$1 want=$2 line
  line=$(grep "^$id " <<<"$TREE" | head -1)
  [[ "$line" == "$id $want "* ]] || fail "control $id is '$line', expected '$want'"
}

rm -rf "$FOLDER"

echo "plain start shows the setup frame"
start
[ "$(probe title $CLASS)" = "Tarnwick - Setup" ] || fail "title $(probe title $CLASS)"
TREE=$(probe tree $CLASS)
grep -q '^0 TWK_GUI_CLASS 0 0 600 465 ' <<<"$TREE" || fail "client area: $(head -1 <<<"$TREE")"
expect_control 1 "_WINSUB_ WINDOW 2 2 596 78"
expect_control 2 "Static 6 6 64 64"
expect_control 3 "Static 78 12 450 28"
expect_control 4 "Static 535 5 24 24"
expect_control 5 "Static 569 5 24 24"
expect_control 6 "SysLink 80 50 200 18"
expect_control 7 "SysLink 320 50 160 18"
expect_control 8 "SysLink 500 50 100 18"
grep -q '^3 Static .*"Tarnwick - Setup"$' <<<"$TREE" || fail "title label: $(grep '^3 ' <<<"$TREE")"
grep -q '^6 .*"Powered by <a>.*</a>\."$' <<<"$TREE" || fail "home link: $(grep '^6 ' <<<"$TREE")"
sleep 1
mkdir -p build/screenshots
import -window root build/screenshots/frame.png
echo "screenshot: build/screenshots/frame.png"
[ -d "$FOLDER" ] || fail "settings folder $FOLDER not created"

echo "a second start brings the first forward and ends with 0"
FIRST=$APP
begin=$(date +%s%N)
"$WINE" "$EXE" 2>/dev/null || fail "second start ended with $?"
echo "  second start took $(( ($(date +%s%N) - begin) / 1000000 )) ms"
kill -0 "$FIRST" 2>/dev/null || fail "the first instance is gone"

echo "WM_CLOSE ends the setup through the close request"
probe post $CLASS close
ends_with 0

echo "stored settings are read from the roaming folder"
printf '[Setup]\r\nTimesToReboot=4\r\n' | iconv -f UTF-8 -t UTF-16LE |
  { printf '\xff\xfe'; cat; } >"$FOLDER/TWK.ini"
start /CurrentReboot:2 /TotalReboots:9 /Delay:3
[ "$(probe title $CLASS)" = "Tarnwick - Reboot 2 of 4" ] || fail "title $(probe title $CLASS)"

echo "Alt+F4 ends it"
window=$(xdotool search --name '^Tarnwick - Reboot 2 of 4$' | head -1)
[ -n "$window" ] || fail "no X window for the frame"
timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
ends_with 0

echo "the close button ends it"
start
probe click $CLASS 5 || fail "no close button"
ends_with 0

echo "the session's end ends it"
start /CurrentReboot:3
probe post $CLASS queryend
ends_with 0
probe gone $CLASS 5000 || fail "a frame is left"
echo "app_start: all passed"

#!/usr/bin/env bash
# End to end under Wine: the setup window at a display scale of 150 %. The
# same prefix shows the setup first at 96 DPI (screenshot), then with
# LogPixels 144 (screenshot): every control stands at 1.5 times its place and
# size, the client area too. A sequence of one restart then shows the report
# and the history at that scale (screenshots).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin dpi "${TWK_E2E_DPI_DISPLAY:-95}"

# scaled VALUE: VALUE * 1.5 with halves away from zero, as the program rounds.
scaled() {
  local v=$(((${1#-} * 3 + 1) / 2))
  if [ "${1:0:1}" = - ]; then echo "-$v"; else echo "$v"; fi
}

# expect_scaled X Y W H TEXT: the control made at x, y, w x h at 96 DPI (in
# its parent) stands at 1.5 times that. (The fonts' heights are read in the
# program's own process by the Windows tests: another process cannot read a
# font handle under Wine.)
expect_scaled() {
  local x y w h line
  x=$(scaled "$1") y=$(scaled "$2") w=$(scaled "$3") h=$(scaled "$4")
  line=$(control_at "$x" "$y")
  [[ "$line" == *" $w $h 1 \"$5\"" ]] ||
    fail "control made at $1,$2 is '${line:-none}', expected at $x,$y $w x $h '$5'"
}

start_setup() {
  "$WINE" 'C:\Tarnwick\Tarnwick.exe' >/dev/null 2>&1 &
  wait_title "Tarnwick - Setup" 60
  sleep 2
  TREE=$(probe tree $CLASS)
}

stop_setup() {
  probe post $CLASS close >/dev/null || true
  probe gone $CLASS 20000 || fail "the setup did not close"
  timeout 60 "${WINESERVER:-wineserver}" -w || true
}

echo "prepare: the program in C:\\Tarnwick"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "at 96 DPI the setup stands as laid out"
start_setup
line=$(control_at 380 405)
[[ "$line" == *" 200 42 1 \"  Start operation\"" ]] || fail "Start operation at 96 DPI: '$line'"
[[ "$(head -1 <<<"$TREE")" == "0 $CLASS 0 0 600 465 "* ]] || fail "client at 96 DPI: $(head -1 <<<"$TREE")"
shot dpi-096-setup.png
stop_setup

echo "at 144 DPI (150 %) everything is 1.5 times as large"
# Windows' setting, and the one Wine's own display settings write.
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$WINE" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"${WINESERVER:-wineserver}" -k 2>/dev/null || true
timeout 60 "${WINESERVER:-wineserver}" -w || true
start_setup
read -r _ _ _ _ cw ch _ <<<"$(head -1 <<<"$TREE")"
[ "$cw" = 900 ] && [ "$ch" = 698 ] || fail "client at 144 DPI is ${cw}x$ch, expected 900x698"
# Places, sizes and texts of the setup's controls and of the header band's.
expect_scaled 380 405 200 42 "  Start operation"
expect_scaled 30 110 425 18 "Number of times to reboot:$(printf -- '-%.0s' {1..40})"
expect_scaled 46 194 384 18 " Display a detailed report after the last reboot"
expect_scaled 455 225 115 26 "Optimize now"
expect_scaled 330 295 115 26 "Backup now"
expect_scaled 20 430 340 32 "Set the desired options and press 'Start operation'"
expect_scaled 78 12 450 28 "Tarnwick - Setup"
expect_scaled 2 2 596 78 ""
expect_scaled 535 5 24 24 ""
expect_scaled 320 50 160 18 "<a>Check for updates</a>"
shot dpi-144-setup.png

echo "one restart at 144 DPI: the report and the history at 1.5 times"
slow_boot 4
probe settext $CLASS "$(id_at 698 153)" 1 || fail "cannot type the number of restarts"
probe settext $CLASS "$(id_at 698 213)" 1 || fail "cannot type the delay"
probe bmclick $CLASS "$(id_at 570 608)" || fail "cannot click Start"
wait_title "Tarnwick - Result" 120
sleep 2
TREE=$(probe tree $CLASS)
expect_scaled 20 90 560 18 "Tarnwick performed 1 sequential reboot successfully."
line=$(control_at 30 270)
[[ "$line" == *" SysListView32 30 270 840 345 1 "* ]] || fail "history list at 144 DPI: '$line'"
shot dpi-144-report.png
history=$(grep ' "  History"$' <<<"$TREE" | head -1 | cut -d' ' -f1)
probe bmclick $CLASS "${history:-0}" || fail "no History button"
for _ in $(seq 1 40); do
  TREE=$(probe tree $CLASS)
  grep -q ' "  Export"$' <<<"$TREE" && break
  sleep 0.5
done
grep -q ' "  Export"$' <<<"$TREE" || fail "the history did not open"
sleep 1
shot dpi-144-history.png
stop_setup

echo "dpi_e2e: all passed in $SECONDS s"

#!/usr/bin/env bash
# End to end under Wine: who kept the desktop busy. A helper registered in
# the user's Run key keeps every processor busy for 8 s at the logon after
# the first restart, then stays idle a while, as a tray program does. A
# sequence of two restarts with its report: after restart 1 the countdown
# reads the process list once the desktop is ready, and names the helper, a
# start-up program by the inventory, with at least 8 s of CPU and a High
# impact; restart 2 is an idle one. /ExportProcesses: writes the same, and
# the report's History window shows restart 1's list when its row is
# clicked. Wine keeps no I/O counts (unknown, never 0) and has no boot
# performance log (Windows' culprits unknown). Screenshots go to
# build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin busy "${TWK_E2E_BUSY_DISPLAY:-92}"
BUSY="$(dirname "$EXE")/twk_busy_helper.exe"
[ -f "$BUSY" ] || fail "$BUSY is missing (build the twk_busy_helper target)"
BUSY_SECONDS=8

echo "prepare: the program in C:\\Tarnwick, the busy helper registered for the first restart"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
cp "$BUSY" "$WINEPREFIX/drive_c/Tarnwick/busy.exe"
# It lingers for 40 s: the desktop is ready some 10 s after its work, and
# it is gone long before the countdown's minute ends.
"$WINE" reg add "$RUN_KEY" /v Busy /t REG_SZ /d "C:\\Tarnwick\\busy.exe $BUSY_SECONDS Busy 40" /f \
  >/dev/null 2>&1 || fail "cannot register the busy helper"

echo "a scripted start of two restarts with the report"
# A restart under Wine takes no whole second, and the report shows nothing
# of a sequence whose first restart took none: the first one lasts.
slow_boot
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' /Start /TotalReboots:2 /Delay:1 </dev/null >/dev/null 2>&1 ||
  code=$?
[ "$code" = 0 ] || fail "/Start ended with $code"
wait_title "Tarnwick - Result" 400

echo "the report's start reads restart 2's list once its desktop is ready"
start=$SECONDS
while [ $((SECONDS - start)) -lt 150 ]; do
  read_settings
  [ -n "$(value RestartBusy 'Reboot 2')" ] && break
  sleep 2
done
read_settings
one=$(value RestartBusy 'Reboot 1')
two=$(value RestartBusy 'Reboot 2')
[ -n "$one" ] || fail "restart 1 has no busy programs"
[ -n "$two" ] || fail "restart 2 has no busy programs"
echo "  restart 1: $one"
echo "  restart 2 (idle): $two"
[[ "$one" == ready\|* ]] || fail "restart 1 was not read at the ready moment: $one"
[[ "$two" == ready\|* ]] || fail "restart 2 was not read at the ready moment: $two"
# Inventory says busy.exe starts from the Run key; Wine counts no I/O.
grep -qE '\|busy\.exe\*[^*]*\*startup\*[0-9]+\*\?(\||$)' <<<"$one" ||
  fail "restart 1 does not name busy.exe as a start-up program with unknown I/O"
grep -qiE 'tarnwick\.exe\*' <<<"$one$two" && fail "Tarnwick lists itself"
# Wine writes no boot performance log: the culprits stay unknown.
[ -z "$(value RestartCulprits 'Reboot 1')" ] || fail "restart 1 has culprits under Wine"

echo "/ExportProcesses: names the helper with at least $BUSY_SECONDS s of CPU and a High impact"
CSV="$WINEPREFIX/drive_c/busy programs.csv"
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' '/ExportProcesses:C:\busy programs.csv' </dev/null >/dev/null 2>&1 ||
  code=$?
[ "$code" = 0 ] || fail "/ExportProcesses: ended with $code"
[ -f "$CSV" ] || fail "no CSV was written"
[ "$(head -c3 "$CSV" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the CSV has no byte-order mark"
python3 - "$CSV" "$BUSY_SECONDS" <<'PY' || fail "the CSV does not name the helper as it should"
import csv, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    raw = f.read()
assert "\r\n" in raw and "\n" not in raw.replace("\r\n", ""), "not CR LF"
rows = list(csv.reader(raw.splitlines()))
assert rows[0] == ["sequence", "started", "restart", "process", "path", "kind", "cpu_s", "io_mb",
                   "impact", "at_ready", "computer"], rows[0]
busy = [r for r in rows[1:] if r[2] == "1" and r[3].lower() == "busy.exe"]
assert len(busy) == 1, rows
r = busy[0]
print("  %s: %s s of CPU, impact %s, kind %s, at_ready %s, path %s" % (r[3], r[6], r[8], r[5], r[9], r[4]))
assert float(r[6]) >= float(sys.argv[2]), r
assert r[8] == "High" and r[5] == "start-up program" and r[9] == "1" and r[7] == "", r
assert r[4].lower().endswith("busy.exe"), r
idle = [r for r in rows[1:] if r[2] == "2"]
print("  restart 2 (idle): " + ", ".join("%s %s s %s" % (r[3], r[6], r[8]) for r in idle))
assert not any(r[3].lower() == "busy.exe" for r in idle), idle
PY

echo "the report's History window: a click on restart 1's row shows its list"
TREE=$(probe tree $CLASS)
click_at 90 420
wait_title "Tarnwick - History" 20
sleep 1
click_at 20 420
sleep 2
TREE=$(probe tree $CLASS)
header=$(grep -A1 -E '^[0-9]+ SysListView32 20 288 ' <<<"$TREE" | sed -n 's/^0 SysHeader32 0 0 [0-9]* \([0-9]*\) .*/\1/p')
[ -n "$header" ] || fail "no list of restarts at 20,288"
window=$(xdotool search --name '^Tarnwick - History$' 2>/dev/null | head -1 || true)
[ -n "$window" ] || fail "no X window titled Tarnwick - History"
eval "$(xdotool getwindowgeometry --shell "$window")"
side=$(((WIDTH - 600) / 2))
caption=$((HEIGHT - 465 - side))
xdotool mousemove --window "$window" $((side + 100)) $((caption + 288 + 2 + header + 8)) click 1
sleep 2
TREE=$(probe tree $CLASS)
wait_visible 20 144 "What kept the desktop busy after restart 1:"
grep -qE '^[0-9]+ SysListView32 20 164 560 136 1 ' <<<"$TREE" || fail "no list of busy programs at 20,164"
# The label's lines come one per line of the tree.
grep -qE '^[0-9]+ Static 20 306 560 104 1 "Read when the desktop was ready' <<<"$TREE" ||
  fail "no reading note at 20,306"
grep -qE '^Most often busy: busy\.exe \(median [0-9.]+ s of CPU in 1 of 2 restarts\)' <<<"$TREE" ||
  fail "busy.exe is not among the most often busy"
sed -n '/ Static 20 306 560 104 1 /,/"$/p' <<<"$TREE" | sed 's/^/  /' 
shot busy-restart-view.png
click_at 455 420  # back to the restarts
sleep 1
TREE=$(probe tree $CLASS)
grep -qE '^[0-9]+ SysListView32 20 288 560 122 1 ' <<<"$TREE" || fail "Back did not return to the restarts"
click_at 455 420  # to the sequences
sleep 1
click_at 455 420  # to the report
wait_title "Tarnwick - Result" 20
TREE=$(probe tree $CLASS)
close_report
echo "busy end to end: passed"

#!/usr/bin/env bash
# End to end under Wine: the history of kept sequences. A prepared settings
# file holds three kept sequences and a finished current one (two restarts,
# every stamp written); the result start shows the report with its History
# button, which turns the frame into the history window (chart, list,
# Restarts, Compare, Export and Back). Restarts shows the newest sequence's restarts
# (two lines, the chart of their phases, their list) and a double click on
# a row of the list shows that sequence's; Back returns to the list each
# time, and from there to the report. Then /Export: writes the CSV file
# while the report is still open, Python's csv module reads it back to the
# expected rows, and an export into a folder that does not exist ends with
# exit code 1 and writes nothing. Screenshots go to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin history "${TWK_E2E_HISTORY_DISPLAY:-94}"
USER_DIR="$WINEPREFIX/drive_c/users/$(id -un)"
FOLDER="$USER_DIR/AppData/Roaming/Tarnwick"
OUT_DIR="$WINEPREFIX/drive_c/exports"
CSV="$OUT_DIR/history of tests.csv"
WIN_CSV='C:\exports\history of tests.csv'

expect_visible() {
  local line
  line=$(visible_at "$1" "$2")
  [[ "$line" == *"\"$3\"" ]] || fail "visible control at $1,$2 is '$line', expected text '$3'"
}
# The sequences' view: chart, list and the four buttons, nothing of a
# sequence's restarts.
expect_sequences_view() {
  TREE=$(probe tree $CLASS)
  grep -qE '^[0-9]+ Static 20 80 560 140 1 ""' <<<"$TREE" || fail "no chart at 20,80,560,140"
  grep -qE '^[0-9]+ SysListView32 20 230 560 180 1 ' <<<"$TREE" || fail "no list at 20,230,560,180"
  expect_visible 20 420 "  Restarts"
  expect_visible 165 420 "  Compare"
  expect_visible 310 420 "  Export"
  expect_visible 455 420 "  Back"
  [ -z "$(visible_at 20 144)" ] || fail "a restarts' chart is left: $(visible_at 20 144)"
}
# A sequence's restarts: its heading and figures, the chart and the list in
# place of the sequences' controls.
expect_restarts_view() {
  wait_visible 20 88 "$1"
  expect_visible 20 106 "$2"
  # Sequences kept before Tarnwick kept what starts with Windows.
  expect_visible 20 124 "Starts with Windows: unknown (measured before Tarnwick kept the list)."
  grep -qE '^[0-9]+ Static 20 144 560 138 1 ""' <<<"$TREE" || fail "no restarts' chart at 20,144"
  grep -qE '^[0-9]+ SysListView32 20 288 560 122 1 ' <<<"$TREE" || fail "no restarts' list at 20,288"
  [ -z "$(visible_at 20 230)" ] || fail "the sequences' list still shows"
  [ -z "$(visible_at 20 420)" ] || fail "the Restarts button still shows"
  [ -z "$(visible_at 165 420)" ] || fail "the Compare button still shows"
  [ -z "$(visible_at 310 420)" ] || fail "the Export button still shows"
  expect_visible 455 420 "  Back"
}
back_to_sequences() {
  probe click $CLASS "$(id_of "$(visible_at 455 420)")" || fail "cannot click Back"
  wait_visible 20 420 "  Restarts"
  expect_sequences_view
}

echo "prepare: three kept sequences and a finished current one"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick" "$FOLDER" "$OUT_DIR"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
# 2024-03-01 12:00:00 local time and the current sequence's restarts of 60
# and 45 seconds, all stamped: the result start records nothing new.
T0=13353768000
printf '%s\r\n' '[Setup]' 'TimesToReboot=2' 'RebootDelay=1' \
  '[Sequences]' 'Sequence 1=2024-02-01 09:15;71;75 68 70' 'Sequence 2=2024-02-10 18:40;64;66 62' \
  'Sequence 3=2024-02-20 07:05;58;60 57 58' \
  '[TimeStamps]' "FirstShutDown=$T0" "FirstBootUp=$((T0 + 60))" "LastShutDown=$((T0 + 200))" \
  "LastBootUp=$((T0 + 245))" '[History]' 'Reboot 1=60' 'Reboot 2=45' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$INI"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "the result start shows the report with its History button"
"$WINE" 'C:\Tarnwick\Tarnwick.exe' /CurrentReboot:3 /TotalReboots:2 /Delay:1 >/dev/null 2>&1 &
app=$!
wait_title "Tarnwick - Result" 60
sleep 2
TREE=$(probe tree $CLASS)
expect_visible 20 90 "Tarnwick performed 2 sequential reboots successfully."
expect_visible 20 150 "The reboot time was improved by 25%."
expect_visible 90 420 "  History"
expect_visible 260 420 "  Close"
expect_visible 430 420 "  Setup"
[ -n "$(visible_at 20 180)" ] || fail "no history list at 20,180"
shot history-report.png

echo "History turns the frame into the history window"
probe click $CLASS "$(id_of "$(visible_at 90 420)")" || fail "cannot click History"
wait_title "Tarnwick - History" 20
sleep 2
TREE=$(probe tree $CLASS)
expect_visible 78 12 "Tarnwick - History"
expect_sequences_view
[ -z "$(visible_at 20 90)" ] || fail "the report's lines still show: $(visible_at 20 90)"
[ -z "$(visible_at 20 180)" ] || fail "the report's list still shows"
grep -qE ' 90 420 150 36 1 "  History"' <<<"$TREE" && fail "the History button still shows"
shot history-window.png

echo "Restarts with no row selected shows the newest sequence's restarts"
probe click $CLASS "$(id_of "$(visible_at 20 420)")" || fail "cannot click Restarts"
# Measured to the second only: the median and spread of 60 and 45 seconds.
expect_restarts_view "Sequence 4, started 2024-03-01 12:00: 2 restarts" \
  "Median 52.5 s, spread 10.6 s; without the first restart: median 45 s, spread 0 s"
sleep 1
shot history-restarts.png
back_to_sequences

echo "a double click on the second row shows sequence 3's restarts"
# xdotool places the pointer in the frame's X window, which holds Wine's
# frame around the client area (cut away by the skin): as wide on each side
# as at the bottom, the caption above. In the client area: the list at
# 20,230, its 2-pixel edge, its header (as tall as the tree says), then the
# rows, 16 pixels high in 9-point Arial; the middle of row 1 (sequence 3,
# the second newest) lies half a row into it.
window=$(xdotool search --name '^Tarnwick - History$' 2>/dev/null | head -1 || true)
[ -n "$window" ] || fail "no X window titled Tarnwick - History"
eval "$(xdotool getwindowgeometry --shell "$window")"
side=$(((WIDTH - 600) / 2))
caption=$((HEIGHT - 465 - side))
header=$(grep -A1 -E '^[0-9]+ SysListView32 20 230 ' <<<"$TREE" | sed -n 's/^0 SysHeader32 0 0 [0-9]* \([0-9]*\) .*/\1/p')
[ -n "$header" ] || fail "no header in the list"
xdotool mousemove --window "$window" $((side + 200)) $((caption + 230 + 2 + header + 16 + 8)) \
  click --repeat 2 --delay 120 1
expect_restarts_view "Sequence 3, started 2024-02-20 07:05: 3 restarts" \
  "Median 58 s, spread 1.5 s; without the first restart: median 57.5 s, spread 0.7 s"
sleep 1
shot history-restarts-double-click.png
back_to_sequences

echo "/Export: writes the file while the report's instance runs"
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' "/Export:$WIN_CSV" >/dev/null 2>&1 || code=$?
[ "$code" = 0 ] || fail "/Export: ended with $code"
[ -f "$CSV" ] || fail "no file at $CSV"
[ "$(head -c 3 "$CSV" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "no UTF-8 byte-order mark"
lines=$(tail -c +4 "$CSV" | grep -c '' || true)
crlf=$(tail -c +4 "$CSV" | grep -c $'\r$' || true)
[ "$lines" = 11 ] && [ "$crlf" = 11 ] || fail "line ends: $crlf of $lines lines end in CR LF (11 expected)"
python3 - "$CSV" <<'PY' || fail "the csv module read other rows"
import csv, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f))
# The prepared file is an earlier version's: whole seconds only, so the
# exact column is empty; Wine knows none of a restart's phases (nor, then,
# what decided the desktop's), the file names no machine, and no restart is
# marked.
header = ("sequence,started,restart,seconds,exact_s,shutdown_firmware_s,windows_start_s,"
          "desktop_ready_s,ready_by,windows_boot_s,windows_mainpath_s,windows_postboot_s,"
          "computer,disk,mark")
expected = [header.split(",")] + [
    row + [""] * 11 for row in [
        ["1", "2024-02-01 09:15", "1", "75"], ["1", "2024-02-01 09:15", "2", "68"],
        ["1", "2024-02-01 09:15", "3", "70"],
        ["2", "2024-02-10 18:40", "1", "66"], ["2", "2024-02-10 18:40", "2", "62"],
        ["3", "2024-02-20 07:05", "1", "60"], ["3", "2024-02-20 07:05", "2", "57"],
        ["3", "2024-02-20 07:05", "3", "58"],
        ["4", "2024-03-01 12:00", "1", "60"], ["4", "2024-03-01 12:00", "2", "45"]]]
if rows != expected:
    print("  read:", rows)
    sys.exit(1)
print("  csv module: %d rows as expected" % len(rows))
PY
[ -z "$(ls "$OUT_DIR" | grep -v '^history of tests.csv$')" ] || fail "left behind: $(ls "$OUT_DIR")"

echo "an export into a folder that does not exist says why, ends with 1 and writes nothing"
# No console here: a message box tells the reason, and the exit code follows
# once it is closed.
"$WINE" 'C:\Tarnwick\Tarnwick.exe' '/Export:C:\no such folder\h.csv' </dev/null >/dev/null 2>&1 &
message_box $! history-export-failed.png
grep -q 'Tarnwick did not export the history: ' <<<"$BOX" || fail "message box: $BOX"
code=$BOX_RC
[ "$code" = 1 ] || fail "/Export: into a missing folder ended with $code"
[ ! -e "$WINEPREFIX/drive_c/no such folder" ] || fail "the missing folder was created"

echo "Back shows the report again"
TREE=$(probe tree $CLASS)
probe click $CLASS "$(id_of "$(visible_at 455 420)")" || fail "cannot click Back"
wait_title "Tarnwick - Result" 20
sleep 1
TREE=$(probe tree $CLASS)
expect_visible 78 12 "Tarnwick - Result"
expect_visible 20 90 "Tarnwick performed 2 sequential reboots successfully."
expect_visible 20 110 "The first reboot in the sequence took 60 seconds."
expect_visible 20 130 "The last reboot in the sequence took 45 seconds."
expect_visible 20 150 "The reboot time was improved by 25%."
expect_visible 90 420 "  History"
expect_visible 260 420 "  Close"
[ -n "$(visible_at 20 180)" ] || fail "no history list after Back"
grep -qE ' (Static 20 80 560 140|SysListView32 20 230 560 180) ' <<<"$TREE" && fail "the history's controls are left"
shot history-back.png

echo "Close ends the report"
probe click $CLASS "$(id_of "$(visible_at 260 420)")" || fail "cannot click Close"
probe gone $CLASS 10000 || fail "the report did not end"
wait "$app" || true
timeout 60 "${WINESERVER:-wineserver}" -w || true
text=$(iconv -f UTF-16LE -t UTF-8 "$INI" | tr -d '\r')
grep -qx 'Sequence 3=2024-02-20 07:05;58;60 57 58' <<<"$text" || fail "the kept sequences changed"
grep -qx "LastBootUp=$((T0 + 245))" <<<"$text" || fail "LastBootUp was recorded again"
echo "history_e2e: all passed in $SECONDS s"

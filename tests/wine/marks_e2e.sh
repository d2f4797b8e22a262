#!/usr/bin/env bash
# End to end under Wine: a restart that installs updates is marked. With
# Windows Update's RebootRequired key present, the setup's status label says
# that updates are waiting, and so does `Tarnwick.exe /Start /TotalReboots:2
# /Delay:1` on the console of the script that started it, which then starts
# the sequence all the same: "Tarnwick - Reboot 2 of 2" finds restart 1
# marked `updates` in TWK.ini. The key is gone before restart 2, which stays
# unmarked (Wine keeps no boot counter, so nothing is marked for extra boots
# either). The history's Restarts view shows the note; `/Export:` writes the
# marks in the last column. Screenshots go to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin marks "${TWK_E2E_MARKS_DISPLAY:-97}"
PROGRAM='C:\Tarnwick\Tarnwick.exe'
# A 32-bit prefix has one registry view: the program's HKLM64 is HKLM here.
UPDATE_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\WindowsUpdate\Auto Update\RebootRequired'
CSV="$WINEPREFIX/drive_c/marks.csv"
WAITING='Windows has updates waiting: the first restart will install them and is left out of the statistics.'

echo "prepare: the program in C:\\Tarnwick, Windows Update waiting for a restart"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true
services
"$WINE" reg add "$UPDATE_KEY" /f >/dev/null 2>&1 || fail "cannot add $UPDATE_KEY"

echo "a plain start: the setup's status says that updates are waiting"
"$WINE" "$PROGRAM" >/dev/null 2>&1 &
setup=$!
wait_title "Tarnwick - Setup" 60
wait_status "$WAITING"
[[ "$(control_at 20 430)" == *' 20 430 340 32 1 '* ]] || fail "status label: $(control_at 20 430)"
shot marks-setup.png
probe post $CLASS close || fail "cannot close the setup"
timeout 20 tail --pid="$setup" -f /dev/null || fail "the setup did not end"

echo "/Start from a console: the line about the updates on it, exit 0, restart 2 of 2 starts"
slow_boot
# script(1) gives cmd a pseudo-terminal and so a console; a wide one keeps
# the line whole.
set +e
out=$(timeout 60 script -qec "stty cols 200; '$WINE' cmd /c '$PROGRAM /Start /TotalReboots:2 /Delay:1'" \
  /dev/null </dev/null 2>&1)
rc=$?
set -e
out=$(printf '%s' "$out" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
[ "$rc" = 0 ] || fail "the scripted start exited with $rc (output: $out)"
grep -qxF "$WAITING" <<<"$out" || fail "the console said: $out"
probe title '#32770' >/dev/null && fail "a message box was shown"
echo "  $(grep -F 'updates' <<<"$out")"
wait_title "Tarnwick - Reboot 2 of 2" 60
sleep 1
read_settings
[ "$(value RestartMarks 'Reboot 1')" = updates ] ||
  fail "RestartMarks/Reboot 1 is '$(value RestartMarks 'Reboot 1')'"
[[ "$(value History 'Reboot 1')" =~ ^[0-9]+$ ]] || fail "History/Reboot 1 is '$(value History 'Reboot 1')'"
[ -z "$(value TimeStamps ShutDownUpdatesWaiting)" ] || fail "the request's reading is left behind"
echo "  restart 1: $(value History 'Reboot 1') s, marked $(value RestartMarks 'Reboot 1')"

echo "the updates installed: restart 2 is a plain one"
"$WINE" reg delete "$UPDATE_KEY" /f >/dev/null 2>&1 || fail "cannot delete $UPDATE_KEY"
slow_boot
wait_title "Tarnwick - Result" 120
sleep 2
read_settings
[[ "$(value History 'Reboot 2')" =~ ^[0-9]+$ ]] || fail "History/Reboot 2 is '$(value History 'Reboot 2')'"
[ -z "$(value RestartMarks 'Reboot 2')" ] || fail "restart 2 is marked '$(value RestartMarks 'Reboot 2')'"

echo "the history's Restarts view notes the mark"
click_at 90 420
wait_title "Tarnwick - History" 20
sleep 1
click_at 20 420  # Restarts
sleep 2
TREE=$(probe tree $CLASS)
grep -qE '^[0-9]+ SysListView32 20 288 560 122 1 ' <<<"$TREE" || fail "no restarts' list at 20,288"
shot marks-restarts.png

echo "/Export: names the mark of each restart in the last column"
"$WINE" "$PROGRAM" '/Export:C:\marks.csv' </dev/null >/dev/null 2>&1 || fail "the export ended with $?"
[ -f "$CSV" ] || fail "no CSV was written"
python3 - "$CSV" <<'PY' || fail "the export's marks differ"
import csv, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f))
marks = [(row[2], row[-1]) for row in rows[1:]]
print("  header ends with %r; restart, mark: %r" % (rows[0][-1], marks))
sys.exit(0 if rows[0][-1] == "mark" and marks == [("1", "updates"), ("2", "")] else 1)
PY
echo "marks_e2e: all passed in $SECONDS s"

#!/usr/bin/env bash
# End to end under Wine: what changed between two sequences. `/Start` runs a
# sequence of one restart, which notes what starts with Windows as it
# starts; then a program adds itself to the user's Run key and the BITS
# service goes from manual to automatic, and a second `/Start` runs another
# sequence. `/Compare` then lists both changes after its verdict (too few
# restarts for one: exit 1), and the report's History window shows them in
# its Compare view. Screenshots go to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin changes "${TWK_E2E_CHANGES_DISPLAY:-90}"
PROGRAM='C:\Tarnwick\Tarnwick.exe'
RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
BITS='HKLM\System\CurrentControlSet\Services\BITS'

# The program's console output and exit code for one command line: script(1)
# gives cmd a pseudo-terminal and so a console.
console() {
  set +e
  OUT=$(timeout 120 script -qec "stty cols 250; '$WINE' cmd /c '$PROGRAM $1'" /dev/null </dev/null 2>&1)
  RC=$?
  set -e
  OUT=$(printf '%s' "$OUT" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
}
# A sequence of one restart from a script, up to its report.
sequence() {
  slow_boot
  console '/Start /TotalReboots:1 /Delay:1'
  [ "$RC" = 0 ] || fail "/Start exited with $RC (output: $OUT)"
  wait_title "Tarnwick - Result" 120
  sleep 2
}

echo "prepare: the program in C:\\Tarnwick; BITS starts by hand"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true
services
"$WINE" reg add "$BITS" /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1 || fail "cannot set BITS"

echo "sequence 1 notes what starts with Windows"
sequence
read_settings
current=$(value Inventories Current)
[[ "$current" =~ ^[0-9a-f]{16}$ ]] || fail "Inventories/Current is '$current'"
tr -d '\r' <<<"$TEXT" | grep -qE '^[0-9]+=service\|BITS\|\|manual\|$' ||
  fail "no manual BITS in the inventory"
echo "  inventory $current: $(grep -c '^[0-9]*=' <<<"$TEXT") entries, $(value "Inventory $current" Windows)"
TREE=$(probe tree $CLASS)
close_report

echo "a program adds itself to the user's Run key, BITS becomes automatic; sequence 2"
"$WINE" reg add "$RUN" /v Updater /t REG_SZ /d 'C:\windows\system32\ping.exe -n 1 127.0.0.1' /f \
  >/dev/null 2>&1 || fail "cannot add the Run value"
"$WINE" reg add "$BITS" /v Start /t REG_DWORD /d 2 /f >/dev/null 2>&1 || fail "cannot set BITS"
sequence
read_settings
[ "$(value Inventories 'Sequence 1')" = "$current" ] || fail "sequence 1 lost its inventory"
[ "$(value Inventories Current)" != "$current" ] || fail "sequence 2 has the same inventory"

echo "/Compare lists what changed after the verdict"
console /Compare
[ "$RC" = 1 ] || fail "exit code $RC with one restart on each side (output: $OUT)"
grep -qxF 'Restart: too few restarts (1 and 1; at least 4 each).' <<<"$OUT" || fail "no verdict line: $OUT"
grep -qxF 'What changed:' <<<"$OUT" || fail "no 'What changed:': $OUT"
grep -qxF 'Added: Updater (Run (user))' <<<"$OUT" || fail "no added Updater: $OUT"
grep -qxF 'Changed: BITS (service): manual -> automatic' <<<"$OUT" || fail "no changed BITS: $OUT"
sed -n '/^What changed:/,$p' <<<"$OUT" | sed 's/^/  /'

echo "the report's History window: Compare lists the changes"
click_at 90 420
wait_title "Tarnwick - History" 20
sleep 1
click_at 165 420
sleep 2
TREE=$(probe tree $CLASS)
grep -qE '^[0-9]+ SysListView32 20 182 560 100 1 ' <<<"$TREE" || fail "no list of changes at 20,182"
grep -qE '^[0-9]+ Static 20 288 560 122 1 ""' <<<"$TREE" || fail "no chart at 20,288"
shot changes-compare-view.png
click_at 455 420
sleep 1
click_at 455 420
wait_title "Tarnwick - Result" 20
sleep 1
TREE=$(probe tree $CLASS)
close_report
"$WINE" reg delete "$RUN" /v Updater /f >/dev/null 2>&1 || true
echo "changes_e2e: all passed in $SECONDS s"

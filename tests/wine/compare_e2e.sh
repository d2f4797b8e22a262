#!/usr/bin/env bash
# End to end under Wine: comparing sequences. A prepared settings file holds
# three kept sequences of six restarts and a finished current one of six.
# /Compare from a script's console answers the newest against the one
# before it, /Compare:2,3 and /Compare:1,3 the numbered ones, each with the
# verdict's lines and its exit code; a number that is no sequence ends
# with 1. Then the report's History window shows the Verdict column, and its
# Compare button the verdict's lines and the dots of both sequences, and Back
# returns to the list. Screenshots go to build/screenshots/.
#
# The figures were worked out by hand: the first restart of each sequence is
# left out (six on both sides); sequence 4's other five (55 54 57 56 53)
# against sequence 3's (69 71 70 73 68) are all apart with no value twice,
# so U = 0 and p = 2/252 = 0.008; the 25 differences run from -19 to -12 at
# their 2nd and 24th (the exact interval for five against five), their
# median -15 is -21.4 % of sequence 3's median of 70.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin compare "${TWK_E2E_COMPARE_DISPLAY:-98}"
PROGRAM='C:\Tarnwick\Tarnwick.exe'

echo "prepare: three kept sequences of six restarts and a finished current one"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick" "$FOLDER"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
T0=13353768000
printf '%s\r\n' '[Setup]' 'TimesToReboot=6' 'RebootDelay=1' \
  '[Sequences]' 'Sequence 1=2024-02-01 09:15;70;71 70 69 72 70 68' \
  'Sequence 2=2024-02-10 18:40;63;66 62 63 65 64 61' \
  'Sequence 3=2024-02-20 07:05;70;72 69 71 70 73 68' \
  '[TimeStamps]' "FirstShutDown=$T0" "FirstBootUp=$((T0 + 58))" "LastShutDown=$((T0 + 900))" \
  "LastBootUp=$((T0 + 953))" '[History]' 'Reboot 1=58' 'Reboot 2=55' 'Reboot 3=54' \
  'Reboot 4=57' 'Reboot 5=56' 'Reboot 6=53' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$INI"
BEFORE=$(md5sum <"$INI")
timeout 60 "${WINESERVER:-wineserver}" -w || true
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true

# The program's console output and exit code for one command line: script(1)
# gives cmd a pseudo-terminal and so a console, wide enough for a line.
compare() {
  set +e
  OUT=$(timeout 60 script -qec "stty cols 250; '$WINE' cmd /c '$PROGRAM $1'" /dev/null </dev/null 2>&1)
  RC=$?
  set -e
  OUT=$(printf '%s' "$OUT" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
}

echo "/Compare: the newest against the one before it, faster, exit 0"
compare /Compare
[ "$RC" = 0 ] || fail "exit code $RC (output: $OUT)"
grep -qxF 'Sequence 4 against sequence 3 (5 and 5 restarts, the first of each left out):' <<<"$OUT" ||
  fail "no heading: $OUT"
grep -qxF 'Restart: faster by 15.0 s (-21.4 %), between 12.0 and 19.0 s faster (95 % confidence, p = 0.008).' \
  <<<"$OUT" || fail "no restart line: $OUT"
echo "  $(grep '^Restart' <<<"$OUT")"

echo "/Compare:2,3: sequence 3 against 2, slower, exit 2"
compare /Compare:2,3
[ "$RC" = 2 ] || fail "exit code $RC (output: $OUT)"
grep -qxF 'Restart: slower by 7.0 s (+11.1 %), between 4.0 and 11.0 s slower (95 % confidence, p = 0.008).' \
  <<<"$OUT" || fail "no restart line: $OUT"

echo "/COMPARE:1,3: no clear change, exit 0"
compare /COMPARE:1,3
[ "$RC" = 0 ] || fail "exit code $RC (output: $OUT)"
grep -q '^Restart: no clear change (' <<<"$OUT" || fail "no restart line: $OUT"

echo "/compare:9,1: no sequence 9, exit 1"
compare /compare:9,1
[ "$RC" = 1 ] || fail "exit code $RC (output: $OUT)"
grep -q '^Tarnwick did not compare: ' <<<"$OUT" || fail "no reason: $OUT"
echo "  $OUT"
timeout 60 "${WINESERVER:-wineserver}" -w || true
[ "$(md5sum <"$INI")" = "$BEFORE" ] || fail "a comparison changed the settings file"

echo "the report's History window: Compare shows the verdict and the dots"
"$WINE" "$PROGRAM" /CurrentReboot:7 /TotalReboots:6 /Delay:1 >/dev/null 2>&1 &
app=$!
wait_title "Tarnwick - Result" 60
sleep 2
TREE=$(probe tree $CLASS)
probe click $CLASS "$(id_of "$(visible_at 90 420)")" || fail "cannot click History"
wait_title "Tarnwick - History" 20
wait_visible 165 420 "  Compare"
sleep 1
shot compare-history-list.png
probe click $CLASS "$(id_of "$(visible_at 165 420)")" || fail "cannot click Compare"
wait_visible 20 88 "Sequence 4 against sequence 3 (5 and 5 restarts, the first of each left out):"
grep -qE '^[0-9]+ Static 20 108 560 72 1 "Restart: faster by 15.0 s \(-21.4 %\)' <<<"$TREE" ||
  fail "no verdict's lines at 20,108: $(visible_at 20 108)"
# Kept by an earlier version: what changed is unknown, in a list of its own.
grep -qE '^[0-9]+ SysListView32 20 182 560 100 1 ' <<<"$TREE" || fail "no list of changes at 20,182"
grep -qE '^[0-9]+ Static 20 288 560 122 1 ""' <<<"$TREE" || fail "no chart at 20,288"
[ -z "$(visible_at 20 230)" ] || fail "the sequences' list still shows"
sleep 1
shot compare-view.png
probe click $CLASS "$(id_of "$(visible_at 455 420)")" || fail "cannot click Back"
wait_visible 165 420 "  Compare"
grep -qE '^[0-9]+ SysListView32 20 230 560 180 1 ' <<<"$TREE" || fail "no list after Back"
[ -z "$(visible_at 20 288)" ] || fail "the comparison's chart is left"

echo "Back and Close end the report"
probe click $CLASS "$(id_of "$(visible_at 455 420)")" || fail "cannot click Back"
wait_title "Tarnwick - Result" 20
sleep 1
TREE=$(probe tree $CLASS)
probe click $CLASS "$(id_of "$(visible_at 260 420)")" || fail "cannot click Close"
probe gone $CLASS 10000 || fail "the report did not end"
wait "$app" || true
echo "compare_e2e: all passed in $SECONDS s"

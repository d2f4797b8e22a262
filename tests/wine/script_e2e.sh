#!/usr/bin/env bash
# End to end under Wine: a sequence started from a script. A bad "/Start"
# line ends with exit code 1, says why with the accepted form on the calling
# script's console (a pseudo-terminal gives cmd one) or, without a console,
# in a message box, and writes nothing. Then `Tarnwick.exe /Start
# /TotalReboots:2 /Delay:1` shows no window, exits 0, and Wine's restart
# starts "Tarnwick - Reboot 2 of 2": the restart's duration is already in
# TWK.ini, and stays there when the step's process is killed in its
# countdown (`wineserver -k`). A second scripted start then runs on through
# the last restart to the report. Screenshots go to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin script "${TWK_E2E_SCRIPT_DISPLAY:-96}"
BOX_CLASS='#32770'
PROGRAM='C:\Tarnwick\Tarnwick.exe'

run_key_value() { "$WINE" reg query "$RUN_KEY" /v Tarnwick 2>/dev/null | tr -d '\r' | grep Tarnwick || true; }

# Waits until a visible frame carries this title; any other visible frame
# on the way fails: the scripted start shows none.
wait_title_unseen_before() {
  local want=$1 limit=$2 start=$SECONDS title
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    title=$(probe wait $CLASS 300 || true)
    [ "$title" = "$want" ] && return 0
    [ -n "$title" ] && fail "a window '$title' was shown before '$want'"
  done
  fail "no window titled '$want' within $limit s"
}

value() {
  iconv -f UTF-16LE -t UTF-8 "$INI" | tail -c +4 | tr -d '\r' | awk -v s="[$1]" -v k="$2" -F= '
    /^\[/ { in_section = ($0 == s); next }
    in_section && $1 == k { print substr($0, length(k) + 2); exit }'
}

echo "prepare: the program in C:\\Tarnwick, no settings, no Run value"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true
services

echo "a bad line from a script with a console: exit 1, the reason and the form on the console"
# script(1) gives cmd a pseudo-terminal and so a console; cmd waits for the
# program and exits with its code.
set +e
# A wide terminal: the accepted form stays on one line.
out=$(timeout 60 script -qec "stty cols 200; '$WINE' cmd /c '$PROGRAM /Start /TotalReboots:2'" /dev/null \
  </dev/null 2>&1)
rc=$?
set -e
out=$(printf '%s' "$out" | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g')
[ "$rc" = 1 ] || fail "exit code $rc for a line without /Delay (output: $out)"
grep -qx 'Tarnwick did not start: Missing /Delay:M.' <<<"$out" || fail "console said: $out"
grep -qxF 'Usage: Tarnwick.exe /Start /TotalReboots:N /Delay:M [/Defrag] [/IdleTasks] [/Icons] [/NoReport]' \
  <<<"$out" || fail "no accepted form on the console: $out"
probe title "$BOX_CLASS" >/dev/null && fail "a message box was shown although a console was there"
echo "  $(head -1 <<<"$out")"

echo "the same without a console: a message box says it, exit 1 once it is closed"
"$WINE" "$PROGRAM" /Start /TotalReboots:2 /Delay:1 /Delay:3 </dev/null >/dev/null 2>&1 &
message_box $! script-bad-line.png
grep -q 'Tarnwick did not start: /Delay is given twice.' <<<"$BOX" || fail "message box: $BOX"
grep -qF 'Usage: Tarnwick.exe /Start /TotalReboots:N /Delay:M' <<<"$BOX" || fail "message box: $BOX"
rc=$BOX_RC
[ "$rc" = 1 ] || fail "exit code $rc for a line with /Delay twice"
[ -e "$FOLDER" ] && fail "a bad line made the settings folder"
[ -z "$(run_key_value)" ] || fail "a bad line wrote a Run value: $(run_key_value)"

echo "/Start /TotalReboots:2 /Delay:1: no window, exit 0, and restart 2 of 2 starts"
slow_boot 4
begin=$SECONDS
"$WINE" "$PROGRAM" /Start /TotalReboots:2 /Delay:1 </dev/null >/dev/null 2>&1 &
pid=$!
wait_title_unseen_before "Tarnwick - Reboot 2 of 2" 60
set +e
wait $pid
rc=$?
set -e
[ "$rc" = 0 ] || fail "the scripted start exited with $rc"
echo "  restart 2 of 2 came $((SECONDS - begin)) s after the scripted start"
sleep 3
shot script-countdown.png
[ "$(value Setup TimesToReboot)" = 2 ] || fail "Setup/TimesToReboot is '$(value Setup TimesToReboot)'"
[ "$(value Setup RebootDelay)" = 1 ] || fail "Setup/RebootDelay is '$(value Setup RebootDelay)'"
[ "$(value Setup NoReport)" = 0 ] || fail "Setup/NoReport is '$(value Setup NoReport)'"
first=$(value History 'Reboot 1')
[[ "$first" =~ ^[0-9]+$ ]] || fail "History/Reboot 1 is '$first' during the countdown"

echo "the step's process killed in its countdown: the restart's duration stays"
"${WINESERVER:-wineserver}" -k 2>/dev/null || true
sleep 1
[ "$(value History 'Reboot 1')" = "$first" ] || fail "History/Reboot 1 is '$(value History 'Reboot 1')' after the kill"
for key in FirstShutDown FirstBootUp; do
  [[ "$(value TimeStamps $key)" =~ ^[0-9]{11}$ ]] || fail "TimeStamps/$key is '$(value TimeStamps $key)'"
done
d1=$(seconds_between FirstShutDown FirstBootUp)
[ "$d1" = "$first" ] || fail "History/Reboot 1 $first is not the $d1 s between FirstShutDown and FirstBootUp"
echo "  History/Reboot 1 = $first s after the kill"

echo "a second scripted start runs through the last restart to the report"
services
slow_boot 4
"$WINE" "$PROGRAM" /Start /TotalReboots:2 /Delay:1 </dev/null >/dev/null 2>&1 &
pid=$!
wait_title_unseen_before "Tarnwick - Reboot 2 of 2" 60
set +e
wait $pid
rc=$?
set -e
[ "$rc" = 0 ] || fail "the second scripted start exited with $rc"
slow_boot 4
wait_title "Tarnwick - Result" 120
sleep 2
TREE=$(probe tree $CLASS)
shot script-report.png
[[ "$(control_at 20 90)" == *'"Tarnwick performed 2 sequential reboots successfully."' ]] ||
  fail "line 1: $(control_at 20 90)"
[[ "$(control_at 20 110)" =~ \"The\ first\ reboot\ in\ the\ sequence\ took\ ([0-9]+)\ seconds\.\"$ ]] ||
  fail "line 2: $(control_at 20 110)"
grep -q ' SysListView32 20 180 560 230 1 ' <<<"$TREE" || fail "no history list at 20,180"
close_id=$(grep ' 260 420 150 36 ' <<<"$TREE" | head -1 | cut -d' ' -f1)
probe click $CLASS "${close_id:-0}" || fail "no Close button"
probe gone $CLASS 10000 || fail "the report did not end"
timeout 60 "${WINESERVER:-wineserver}" -w || true
for n in 1 2; do
  [[ "$(value History "Reboot $n")" =~ ^[0-9]+$ ]] || fail "History/Reboot $n is '$(value History "Reboot $n")'"
done
[ -z "$(run_key_value)" ] || fail "a Run value is left after the report: $(run_key_value)"
echo "  History: $(value History 'Reboot 1'), $(value History 'Reboot 2') seconds"
echo "script_e2e: all passed in $SECONDS s"

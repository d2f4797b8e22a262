#!/usr/bin/env bash
# End to end under Wine: the last two restarts of a three-restart sequence in
# a fresh prefix of its own. A prepared settings file and the Run value for
# restart 2 of 3 (one minute of delay) are in place as the setup leaves them;
# `wine wineboot` starts the step from the Run value. Each step counts down,
# registers the next start and calls ExitWindowsEx, which under Wine ends the
# session's windowed processes and starts the Run value again; the last start
# shows the report. Screenshots of each window go to build/screenshots/.
# Afterwards the settings file must be UTF-16LE with a byte-order mark and
# CR LF line ends, hold every stamp and the three History keys, and no Run
# value may be left.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin sequence "${TWK_E2E_DISPLAY:-93}"

# Waits until the frame carries this title; seconds as the limit.

# A control of the frame by its position: "class x y w h visible "text"".
control_at() { grep " $1 $2 [0-9]* [0-9]* " <<<"$TREE" | head -1 | cut -d' ' -f2-; }
expect_text_at() {
  local line
  line=$(control_at "$1" "$2")
  [[ "$line" == *"\"$3\"" ]] || fail "control at $1,$2 is '$line', expected text '$3'"
}

# The clock the program stamps with: local time in whole seconds since 1601.
seconds_1601() {
  local offset
  offset=$(date +%z)
  local sign=${offset:0:1} hours=$((10#${offset:1:2})) minutes=$((10#${offset:3:2}))
  local shift=$(((hours * 60 + minutes) * 60))
  [ "$sign" = - ] && shift=$((-shift))
  echo $(($(date +%s) + 11644473600 + shift))
}

echo "prepare: program, settings file, warning sound and the Run value of restart 2 of 3"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick" "$FOLDER" "$WINEPREFIX/drive_c/windows/media"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
# A tenth of a second of silence: the warning sound needs a WAV file.
{
  printf 'RIFF\x44\x03\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
  printf 'data\x20\x03\x00\x00'
  head -c 800 /dev/zero | tr '\0' '\200'
} >"$WINEPREFIX/drive_c/windows/media/ding.wav"
NOW=$(seconds_1601)
printf '[Setup]\r\nTimesToReboot=3\r\nRebootDelay=1\r\nPlayWarningSound=1\r\n[TimeStamps]\r\nFirstShutDown=%s\r\nFirstBootUp=%s\r\n[History]\r\nReboot 1=35\r\n' \
  $((NOW - 40)) $((NOW - 5)) | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$INI"
"$WINE" reg add "$RUN_KEY" /v Tarnwick /t REG_SZ \
  /d '"C:\Tarnwick\Tarnwick.exe" /CurrentReboot:2 /TotalReboots:3 /Delay:1' /f >/dev/null 2>&1
registered=$("$WINE" reg query "$RUN_KEY" /v Tarnwick 2>/dev/null | tr -d '\r' | grep Tarnwick || true)
[[ "$registered" == *'"C:\Tarnwick\Tarnwick.exe" /CurrentReboot:2 /TotalReboots:3 /Delay:1' ]] ||
  fail "Run value not written: '$registered'"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "wineboot starts restart 2 of 3 from the Run value"
begin=$SECONDS
"$WINE" wineboot >/dev/null 2>&1 &
wait_title "Tarnwick - Reboot 2 of 3" 60
sleep 3
TREE=$(probe tree $CLASS)
expect_text_at 20 105 "Next reboot in"
expect_text_at 410 105 "seconds."
expect_text_at 46 149 " Play a sound each of the last 10 seconds before rebooting."
expect_text_at 260 420 "  Pause"
expect_text_at 430 420 "  Setup"
expect_text_at 78 12 "Tarnwick - Reboot 2 of 3"
count=$(control_at 180 90 | sed 's/.*"\(.*\)"$/\1/')
[[ "$count" =~ ^[0-9]+$ ]] && [ "$count" -le 60 ] && [ "$count" -ge 50 ] ||
  fail "countdown shows '$count' three seconds in"
grep -q '^[0-9]* SysListView32 20 180 560 230 1 ' <<<"$TREE" || fail "no history list at 20,180"
shot sequence-countdown.png
# The step removed the Run value first thing: closing now would end the
# sequence.
if "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "the Run value is still there during the countdown"
fi

echo "after one minute the step restarts, and Wine starts restart 3 of 3"
wait_title "Tarnwick - Reboot 3 of 3" 100
echo "  restart 2 came $((SECONDS - begin)) s after wineboot"
sleep 3
shot sequence-countdown-2.png

echo "after another minute the last restart, then the report"
wait_title "Tarnwick - Result" 100
sleep 2
TREE=$(probe tree $CLASS)
shot sequence-report.png
line1=$(control_at 20 90)
line2=$(control_at 20 110)
line3=$(control_at 20 130)
line4=$(control_at 20 150)
[[ "$line1" == *'"Tarnwick performed 3 sequential reboots successfully."' ]] || fail "line 1: $line1"
[[ "$line2" =~ \"The\ first\ reboot\ in\ the\ sequence\ took\ ([0-9]+)\ seconds\.\"$ ]] || fail "line 2: $line2"
first=${BASH_REMATCH[1]}
[[ "$line3" =~ \"The\ last\ reboot\ in\ the\ sequence\ took\ ([0-9]+)\ seconds\.\"$ ]] || fail "line 3: $line3"
last=${BASH_REMATCH[1]}
[[ "$line4" =~ \"The\ reboot\ time\ was\ (improved\ by\ [0-9.]+%|not\ improved\ this\ time)\.\"$ ]] ||
  fail "line 4: $line4"
expect_text_at 260 420 "  Close"
expect_text_at 430 420 "  Setup"
echo "  $line2"
echo "  $line4"

echo "Close ends the report; the settings are written as the program ends"
close_report

echo "the settings file and the Run key afterwards"
read_settings
for key in FirstShutDown FirstBootUp LastShutDown LastBootUp; do
  [[ "$(value TimeStamps $key)" =~ ^[0-9]{11}$ ]] || fail "TimeStamps/$key is '$(value TimeStamps $key)'"
done
[ "$(value History 'Reboot 1')" = 35 ] || fail "History/Reboot 1 changed: '$(value History 'Reboot 1')'"
for n in 2 3; do
  [[ "$(value History "Reboot $n")" =~ ^[0-9]+$ ]] || fail "History/Reboot $n is '$(value History "Reboot $n")'"
done
d1=$(seconds_between FirstShutDown FirstBootUp)
d2=$(seconds_between LastShutDown LastBootUp)
[ "$d1" = "$first" ] || fail "the report's first duration $first is not FirstBootUp - FirstShutDown = $d1"
[ "$d2" = "$last" ] || fail "the report's last duration $last is not LastBootUp - LastShutDown = $d2"
[ "$(value Setup PlayWarningSound)" = 1 ] || fail "Setup/PlayWarningSound lost"
if "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "a Run value is left after the report"
fi
echo "  History: 35, $(value History 'Reboot 2'), $(value History 'Reboot 3') seconds"
echo "sequence_e2e: all passed in $SECONDS s"

#!/usr/bin/env bash
# End to end under Wine: a restart across a time-zone change is measured by
# its real length. The whole Wine session runs with TZ=:<a zone file>, and
# Wine's local time follows that file when it changes. The scripted start
# stamps the shutdown in New York time and restarts; a RunOnce value holds
# the restart for about two seconds, in which the file becomes Tokyo's; the
# step then stamps the boot-up fourteen hours "later" in local time. The
# duration must be the seconds the restart took, and the local stamps must
# still show the local clocks (earlier versions and Windows' own INI reader
# read those).
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin timezone "${TWK_E2E_TIMEZONE_DISPLAY:-97}"

ZONE="$ROOT/build/e2e-timezone-$ARCH.zone"
cp /usr/share/zoneinfo/America/New_York "$ZONE"

echo "prepare: the program in C:\\Tarnwick, a restart held for two seconds"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
# The next session starts afresh, every process of it in the zone of the
# file. Its start runs the RunOnce values, so the one that holds the restart
# is added once it is up.
"${WINESERVER:-wineserver}" -k 2>/dev/null || true
timeout 60 "${WINESERVER:-wineserver}" -w || true
export TZ=":$ZONE"
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
"$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v SlowBoot /t REG_SZ \
  /d 'C:\windows\system32\ping.exe -n 3 127.0.0.1' /f >/dev/null 2>&1 || fail "cannot add RunOnce"

echo "a scripted start in New York time stamps the shutdown and restarts"
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' /Start /TotalReboots:1 /Delay:1 </dev/null >/dev/null 2>&1 || code=$?
cp /usr/share/zoneinfo/Asia/Tokyo "$ZONE"
[ "$code" = 0 ] || fail "/Start ended with $code"

echo "the step after the restart stamps the boot-up in Tokyo time"
start=$SECONDS
while [ $((SECONDS - start)) -lt 60 ]; do
  if [ -f "$INI" ]; then
    read_settings
    [ -n "$(value History 'Reboot 1')" ] && break
  fi
  sleep 1
done
read_settings
seconds=$(value History 'Reboot 1')
exact=$(value HistoryMilliseconds 'Reboot 1')
shutdown=$(value TimeStamps FirstShutDown)
bootup=$(value TimeStamps FirstBootUp)
echo "  History: $seconds s ($exact ms); local stamps $shutdown -> $bootup"
[[ "$seconds" =~ ^[0-9]+$ ]] || fail "History/Reboot 1 is '$seconds'"
[ "$seconds" -ge 1 ] || fail "the restart took $seconds s: the RunOnce value did not hold it"
[ "$seconds" -le 15 ] || fail "the restart took $seconds s by the figures: the zone change was counted"
[[ "$exact" =~ ^[0-9]+$ ]] && [ "$((exact / 1000))" = "$seconds" ] ||
  fail "HistoryMilliseconds/Reboot 1 is '$exact' beside $seconds s"
local_gap=$((bootup - shutdown))
# New York is 13 or 14 hours behind Tokyo, depending on summer time.
[ "$local_gap" -ge $((13 * 3600)) ] && [ "$local_gap" -le $((14 * 3600 + 15)) ] ||
  fail "the local stamps are $local_gap s apart: the zone did not change as meant"
for key in FirstShutDownUtcMs FirstBootUpUtcMs; do
  [[ "$(value TimeStamps $key)" =~ ^[0-9]{14}$ ]] || fail "TimeStamps/$key is '$(value TimeStamps $key)'"
done
echo "timezone_e2e: all passed in $SECONDS s"

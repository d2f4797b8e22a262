#!/usr/bin/env bash
# End to end under Wine: where a restart's time went. A scripted start of
# two restarts, one minute apart, without a report. After the first restart
# a helper keeps every processor busy for 15 seconds, as a desktop still
# starting its programs does: the desktop of that restart is ready about 15 s
# after Tarnwick started. After the second it is idle at once: ready within a
# few seconds. Wine's uptime is the host's, older than any shutdown stamp, so
# the shutdown and Windows-start phases cannot be known and stay empty; its
# event log is a stub, so Windows' own figures stay empty too. Wine keeps no
# disk activity counters: the processors decide alone, and the export says
# so (ready_by "cpu").
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin phases "${TWK_E2E_PHASES_DISPLAY:-91}"
BUSY="$(dirname "$EXE")/twk_busy_helper.exe"
[ -f "$BUSY" ] || fail "$BUSY is missing (build the twk_busy_helper target)"
BUSY_SECONDS=15

echo "prepare: the program in C:\\Tarnwick, the busy helper registered for the first restart"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
cp "$BUSY" "$WINEPREFIX/drive_c/Tarnwick/busy.exe"
"$WINE" reg add "$RUN_KEY" /v Busy /t REG_SZ /d "C:\\Tarnwick\\busy.exe $BUSY_SECONDS Busy" /f \
  >/dev/null 2>&1 || fail "cannot register the busy helper"

echo "a scripted start of two restarts without a report"
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' /Start /TotalReboots:2 /Delay:1 /NoReport </dev/null >/dev/null 2>&1 ||
  code=$?
[ "$code" = 0 ] || fail "/Start ended with $code"

echo "both restarts measured, the last one's desktop sampled in the silent start"
start=$SECONDS
while [ $((SECONDS - start)) -lt 300 ]; do
  if [ -f "$INI" ]; then
    read_settings
    phases=$(value RestartPhases 'Reboot 2')
    [ -n "$phases" ] && [ "$(cut -d' ' -f3 <<<"$phases")" != "?" ] && break
  fi
  sleep 2
done
timeout 120 "${WINESERVER:-wineserver}" -w || true
read_settings
echo "  RestartPhases: 1 '$(value RestartPhases 'Reboot 1')', 2 '$(value RestartPhases 'Reboot 2')'"

CSV="$WINEPREFIX/drive_c/history.csv"
"$WINE" 'C:\Tarnwick\Tarnwick.exe' '/Export:C:\history.csv' </dev/null >/dev/null 2>&1 ||
  fail "the export ended with $?"
[ -f "$CSV" ] || fail "no CSV was written"
sed -n 2,3p "$CSV" | tr -d '\r'
# column: 1 sequence, 2 started, 3 restart, 4 seconds, 5 exact_s, 6 shutdown_firmware_s,
# 7 windows_start_s, 8 desktop_ready_s, 9 ready_by, 10..12 Windows' figures, 13 computer,
# 14 disk, as the header names them
column() {
  head -n1 "$CSV" | tr -d '\r' | sed 's/^\xEF\xBB\xBF//' | tr ',' '\n' | grep -nx "$1" | cut -d: -f1
}
[ "$(column ready_by)" = 9 ] || fail "ready_by is column '$(column ready_by)', not 9"
[ "$(column computer)" = 13 ] || fail "computer is column '$(column computer)', not 13"
field() { sed -n "$(($1 + 1))p" "$CSV" | tr -d '\r' | cut -d, -f"$2"; }
for r in 1 2; do
  [ -z "$(field $r 6)" ] || fail "restart $r: shutdown_firmware_s is '$(field $r 6)' under Wine"
  [ -z "$(field $r 7)" ] || fail "restart $r: windows_start_s is '$(field $r 7)' under Wine"
  [ -z "$(field $r 10)" ] || fail "restart $r: windows_boot_s is '$(field $r 10)' under Wine"
  [ -n "$(field $r 13)" ] || fail "restart $r: no computer name"
done
busy=$(field 1 8)
idle=$(field 2 8)
[[ "$busy" =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail "restart 1: desktop_ready_s is '$busy'"
[[ "$idle" =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail "restart 2: desktop_ready_s is '$idle'"
echo "  desktop ready: $busy s with the helper busy for $BUSY_SECONDS s, $idle s without"
awk -v b="$busy" -v s="$BUSY_SECONDS" 'BEGIN { exit !(b >= s - 3 && b <= s + 8) }' ||
  fail "with the helper busy for $BUSY_SECONDS s the desktop was ready after $busy s"
awk -v i="$idle" 'BEGIN { exit !(i <= 5) }' || fail "an idle desktop was ready only after $idle s"
# Wine keeps no disk counters: the processors decided both, and the file says so.
for r in 1 2; do
  [ "$(field $r 9)" = cpu ] || fail "restart $r: ready_by is '$(field $r 9)' under Wine, not cpu"
  [ "$(value RestartReadyBy "Reboot $r")" = cpu ] ||
    fail "restart $r: RestartReadyBy is '$(value RestartReadyBy "Reboot $r")'"
done
echo "phases end to end: passed"

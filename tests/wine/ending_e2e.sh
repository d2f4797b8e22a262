#!/usr/bin/env bash
# End to end under Wine: however a sequence ends, automatic logon is left
# off when the user asked for that. Wine cannot store the LSA secret, so
# auto-logon cannot be switched on here; AutoAdminLogon is preset to "1"
# instead, as a machine that logs on by itself has it.
# 1. From the setup window: two restarts, no report, "Disable Auto-logon"
#    ticked, "2 /CurrentReboot:3" typed into the times box. Wine's restarts
#    run the sequence: the step is restart 2 of 2 (only the number travels),
#    AutoLogonCount limits the automatic logons meanwhile, and the start
#    after the last restart measures it and switches off without a window.
# 2. A countdown closed by the user switches off as well.
# 3. "/export:" in lower case writes the history file.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin ending "${TWK_E2E_ENDING_DISPLAY:-95}"

WINLOGON='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
# A Winlogon value's data as `reg query` prints it; empty when it is missing.
winlogon() {
  "$WINE" reg query "$WINLOGON" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { print $3 }'
}
run_value() { "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; }
auto_logon_on() {
  "$WINE" reg add "$WINLOGON" /v AutoAdminLogon /t REG_SZ /d 1 /f >/dev/null 2>&1
  [ "$(winlogon AutoAdminLogon)" = 1 ] || fail "AutoAdminLogon could not be preset"
}
e2e_on_fail() {
  echo "  AutoAdminLogon='$(winlogon AutoAdminLogon)' AutoLogonCount='$(winlogon AutoLogonCount)'"
}

echo "prepare: the program in C:\\Tarnwick, AutoAdminLogon preset to 1"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
auto_logon_on
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "1. the setup starts two restarts without a report, auto-logon to be switched off"
"$WINE" 'C:\Tarnwick\Tarnwick.exe' >/dev/null 2>&1 &
probe wait $CLASS 60000 >/dev/null || fail "no setup window"
sleep 2
TREE=$(probe tree $CLASS)
probe settext $CLASS "$(id_at 465 102)" "2 /CurrentReboot:3" || fail "cannot type the restarts"
probe settext $CLASS "$(id_at 465 142)" 1 || fail "cannot type the delay"
probe click $CLASS "$(id_at 46 194)" || fail "no report box"
probe click $CLASS "$(id_at 66 359)" || fail "no disable-auto-logon box"
sleep 1
shot ending-setup.png
probe bmclick $CLASS "$(id_at 380 405)" || fail "cannot click Start"
wait_title "Tarnwick - Reboot 2 of 2" 60
count=$(winlogon AutoLogonCount)
[ "$count" = 0x2 ] || fail "AutoLogonCount during the sequence is '$count', expected 0x2"
[ "$(winlogon AutoAdminLogon)" = 1 ] || fail "auto-logon was switched off too early"
shot ending-countdown.png

echo "   after the last restart: measured and switched off, no window"
start=$SECONDS
while [ $((SECONDS - start)) -lt 150 ]; do
  [ "$(winlogon AutoAdminLogon)" = 0 ] && break
  title=$(probe title $CLASS || true)
  [ "$title" = "Tarnwick - Result" ] && fail "a report was shown although none was asked for"
  sleep 1
done
[ "$(winlogon AutoAdminLogon)" = 0 ] || fail "AutoAdminLogon is still '$(winlogon AutoAdminLogon)'"
probe gone $CLASS 20000 || fail "a window stayed: '$(probe title $CLASS)'"
# Without a window the last start still samples the desktop until it is
# ready, for two minutes at the most.
timeout 150 "${WINESERVER:-wineserver}" -w || true
[ -z "$(winlogon AutoLogonCount)" ] || fail "AutoLogonCount left: '$(winlogon AutoLogonCount)'"
run_value && fail "a Run value is left after the sequence"
read_settings
for n in 1 2; do
  [[ "$(value History "Reboot $n")" =~ ^[0-9]+$ ]] || fail "History/Reboot $n is '$(value History "Reboot $n")'"
done
[[ "$(value TimeStamps LastBootUp)" =~ ^[0-9]{11}$ ]] || fail "no LastBootUp"
[ "$(value Setup TimesToReboot)" = 2 ] || fail "Setup/TimesToReboot is '$(value Setup TimesToReboot)'"
[ -z "$(value PostOperation DisableAutoLogon)" ] || fail "DisableAutoLogon still asked for"
echo "   History: $(value History 'Reboot 1'), $(value History 'Reboot 2') seconds"

echo "2. a countdown closed by the user switches auto-logon off too"
auto_logon_on
printf '[Setup]\r\nTimesToReboot=3\r\nRebootDelay=1\r\n[PostOperation]\r\nDisableAutoLogon=1\r\n[TimeStamps]\r\nFirstShutDown=%s\r\n' \
  "$(value TimeStamps LastBootUp)" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$INI"
countdown_2_of_3
probe post $CLASS close || fail "cannot ask the countdown to close"
probe gone $CLASS 20000 || fail "the countdown did not end"
timeout 60 "${WINESERVER:-wineserver}" -w || true
[ "$(winlogon AutoAdminLogon)" = 0 ] || fail "after the close AutoAdminLogon is '$(winlogon AutoAdminLogon)'"
run_value && fail "a Run value is left after the close"
read_settings
[ -z "$(value PostOperation DisableAutoLogon)" ] || fail "DisableAutoLogon still asked for after the close"

echo "3. /export: in lower case writes the history"
rm -f "$WINEPREFIX/drive_c/h.csv"
code=0
"$WINE" 'C:\Tarnwick\Tarnwick.exe' '/export:C:\h.csv' >/dev/null 2>&1 || code=$?
[ "$code" = 0 ] || fail "/export: ended with $code"
head -c 3 "$WINEPREFIX/drive_c/h.csv" | od -An -tx1 | grep -q 'ef bb bf' || fail "no CSV written"
tail -c +4 "$WINEPREFIX/drive_c/h.csv" | head -1 | grep -q '^sequence,' || fail "no header row in the CSV"
probe title $CLASS >/dev/null 2>&1 && fail "/export: opened a window"
echo "ending_e2e: all passed in $SECONDS s"

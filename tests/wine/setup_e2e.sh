#!/usr/bin/env bash
# End to end under Wine: the whole operation from a plain start. The setup
# shows its controls (screenshot); ticking the auto-logon box opens the
# password box while the setup is busy (screenshot), and since auto-logon
# cannot be switched on here it ends in "Operation cancelled." with the box
# empty again. Then 2 restarts with 1 minute of delay are typed and
# "  Start operation" is clicked (a posted BM_CLICK): the setup registers the
# first step and calls ExitWindowsEx, which under Wine ends the session's
# windowed programs and starts the Run value; that step counts down and
# restarts again, and the last start shows the report with the history list.
# Afterwards the settings file must be valid and no Run value left.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin setup "${TWK_E2E_SETUP_DISPLAY:-94}"
BOX_CLASS=TWK_MSG_CLASS
WINLOGON='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'

expect_at() {
  local line
  line=$(control_at "$1" "$2")
  [[ "$line" == *" $3 $4 1 \"$5\"" ]] || fail "control at $1,$2 is '$line', expected $3 x $4 '$5'"
}

echo "prepare: the program in C:\\Tarnwick, no settings, no Run value"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "a plain start shows the setup"
"$WINE" 'C:\Tarnwick\Tarnwick.exe' >/dev/null 2>&1 &
wait_title "Tarnwick - Setup" 60
sleep 2
TREE=$(probe tree $CLASS)
expect_at 30 110 425 18 "Number of times to reboot:$(printf -- '-%.0s' {1..40})"
expect_at 30 150 425 18 "Delay, in minutes, between each reboot:$(printf -- '-%.0s' {1..22})"
# The up-down takes the right end of the 70 pixels that its edit box was
# created with; the edit box gives them up.
for y in 102 142; do
  line=$(control_at 465 $y)
  [[ "$line" =~ ^[0-9]+\ Edit\ 465\ $y\ ([0-9]+)\ 26\ 1\ \"5\"$ ]] || fail "edit box at 465,$y: '$line'"
  width=${BASH_REMATCH[1]}
  updown=$(grep " msctls_updown32 [0-9]* $y " <<<"$TREE" | head -1)
  read -r _ _ ux _ uw _ <<<"$updown"
  [ -n "$ux" ] && [ "$ux" -le $((465 + width)) ] && [ "$ux" -ge 500 ] && [ $((ux + uw)) -le 535 ] ||
    fail "no up-down at the right end of the edit box at 465,$y: '$updown'"
done
expect_at 46 194 384 18 " Display a detailed report after the last reboot"
expect_at 46 229 384 18 " Optimize the system partition before the operation"
expect_at 455 225 115 26 "Optimize now"
expect_at 46 264 384 18 " Process idle tasks before the operation"
expect_at 455 260 115 26 "Process now"
expect_at 46 299 284 18 " Backup and restore desktop icon layout"
expect_at 330 295 115 26 "Backup now"
expect_at 455 295 115 26 "Restore now"
expect_at 46 334 434 18 " Automatically log the current user on each boot up"
expect_at 66 359 434 18 " Disable Auto-logon once the whole operation completes"
expect_at 20 410 340 14 ""
expect_at 20 430 340 32 "Set the desired options and press 'Start operation'"
expect_at 380 405 200 42 "  Start operation"
[ "$(grep -c ' msctls_updown32 ' <<<"$TREE")" = 2 ] || fail "not two up-down controls"
shot setup-idle.png

echo "ticking auto-logon asks for the password while the setup is busy"
probe click $CLASS "$(id_at 46 334)" || fail "no auto-logon box"
probe wait $BOX_CLASS 10000 >/dev/null || fail "no password box"
sleep 1
TREE=$(probe tree $CLASS)
[[ "$(control_at 20 430)" == *'"Setting up Auto-logon..."' ]] || fail "status: $(control_at 20 430)"
[[ "$(control_at 380 405)" == *'"   Cancel"' ]] || fail "Start button: $(control_at 380 405)"
shot setup-busy.png
BOXTREE=$(probe tree $BOX_CLASS)
grep -q "^0 $BOX_CLASS 0 0 450 120 1 \"TWK Input Box\"" <<<"$BOXTREE" || fail "box: $(head -1 <<<"$BOXTREE")"
grep -q ' Static 20 20 410 68 1 "Please enter the auto-logon password for .* in the text box below."$' <<<"$BOXTREE" ||
  fail "prompt: $BOXTREE"
edit=$(grep ' Edit 20 89 230 24 ' <<<"$BOXTREE" | cut -d' ' -f1)
ok=$(grep ' Button 260 88 80 26 1 "OK"' <<<"$BOXTREE" | cut -d' ' -f1)
[ -n "$edit" ] && [ -n "$ok" ] || fail "no edit box or OK button: $BOXTREE"
TREE=$BOXTREE
probe settext $BOX_CLASS "$edit" 'not-a-real-password' || fail "cannot type into the password box"
shot setup-password-box.png
probe bmclick $BOX_CLASS "$ok" || fail "cannot click OK"
probe gone $BOX_CLASS 10000 || fail "the password box stays"
# Auto-logon cannot be switched on here: the setup says so and unticks.
wait_status "Operation cancelled."
[[ "$(control_at 380 405)" == *'"  Start operation"' ]] || fail "Start button: $(control_at 380 405)"
if "$WINE" reg query "$WINLOGON" /v AutoAdminLogon 2>/dev/null | tr -d '\r' | grep -q 'REG_SZ *1$'; then
  fail "AutoAdminLogon was switched on"
fi

echo "2 restarts, 1 minute: Start operation"
slow_boot 4
TREE=$(probe tree $CLASS)
probe settext $CLASS "$(id_at 465 102)" 2 || fail "cannot type the number of restarts"
probe settext $CLASS "$(id_at 465 142)" 1 || fail "cannot type the delay"
begin=$SECONDS
probe bmclick $CLASS "$(id_at 380 405)" || fail "cannot click Start"

echo "Wine restarts and the Run value starts restart 2 of 2"
wait_title "Tarnwick - Reboot 2 of 2" 60
sleep 2
shot setup-then-countdown.png
if "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "the Run value is still there during the countdown"
fi
slow_boot 4

echo "after one minute the last restart, then the report"
wait_title "Tarnwick - Result" 120
echo "  the report came $((SECONDS - begin)) s after Start"
sleep 2
TREE=$(probe tree $CLASS)
shot setup-then-report.png
[[ "$(control_at 20 90)" == *'"Tarnwick performed 2 sequential reboots successfully."' ]] ||
  fail "line 1: $(control_at 20 90)"
[[ "$(control_at 20 110)" =~ \"The\ first\ reboot\ in\ the\ sequence\ took\ ([0-9]+)\ seconds\.\"$ ]] ||
  fail "line 2: $(control_at 20 110)"
first=${BASH_REMATCH[1]}
[[ "$(control_at 20 130)" =~ \"The\ last\ reboot\ in\ the\ sequence\ took\ ([0-9]+)\ seconds\.\"$ ]] ||
  fail "line 3: $(control_at 20 130)"
last=${BASH_REMATCH[1]}
[[ "$(control_at 20 150)" =~ \"The\ reboot\ time\ was\ (improved\ by\ [0-9.]+%|not\ improved\ this\ time)\.\"$ ]] ||
  fail "line 4: $(control_at 20 150)"
grep -q ' SysListView32 20 180 560 230 1 ' <<<"$TREE" || fail "no history list at 20,180"
close_report

echo "the settings file and the Run key afterwards"
read_settings
[ "$(value Setup TimesToReboot)" = 2 ] || fail "Setup/TimesToReboot is '$(value Setup TimesToReboot)'"
[ "$(value Setup RebootDelay)" = 1 ] || fail "Setup/RebootDelay is '$(value Setup RebootDelay)'"
[ "$(value Setup NoReport)" = 0 ] || fail "Setup/NoReport is '$(value Setup NoReport)'"
for key in FirstShutDown FirstBootUp LastShutDown LastBootUp; do
  [[ "$(value TimeStamps $key)" =~ ^[0-9]{11}$ ]] || fail "TimeStamps/$key is '$(value TimeStamps $key)'"
done
for n in 1 2; do
  [[ "$(value History "Reboot $n")" =~ ^[0-9]+$ ]] || fail "History/Reboot $n is '$(value History "Reboot $n")'"
done
if grep -q 'not-a-real-password' <<<"$TEXT"; then fail "the password reached the settings file"; fi
if "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "a Run value is left after the report"
fi
[ "$(value History 'Reboot 1')" = "$first" ] || fail "History/Reboot 1 is not the report's first $first"
[ "$(value History 'Reboot 2')" = "$last" ] || fail "History/Reboot 2 is not the report's last $last"
echo "  History: $(value History 'Reboot 1'), $(value History 'Reboot 2') seconds"
echo "setup_e2e: all passed in $SECONDS s"

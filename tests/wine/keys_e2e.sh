#!/usr/bin/env bash
# End to end under Wine: the keyboard.
# 1. Tab from the setup window's first control reaches "  Start operation"
#    through every control in reading order; the focus is marked (look at
#    the screenshots of a focused check box and a focused button).
# 2. Escape in a countdown ends it as its close button does: the window
#    goes, and no next start is left registered.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin keys "${TWK_E2E_KEYS_DISPLAY:-96}"

run_value() { "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; }
# The focused control's text, after one key.
press() {
  probe key $CLASS "$1" || fail "cannot press $1"
  sleep 0.3
  FOCUS=$(probe focus $CLASS || true)
}

echo "prepare: the program in C:\\Tarnwick"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "1. Tab through the setup window"
"$WINE" 'C:\Tarnwick\Tarnwick.exe' >/dev/null 2>&1 &
probe wait $CLASS 60000 >/dev/null || fail "no setup window"
sleep 2
expected=(
  'SysLink "Powered by <a>Tarnwick Software</a>."'
  'SysLink "<a>Check for updates</a>"'
  'SysLink "<a>Online help</a>"'
  'Edit "5"'
  'Edit "5"'
  'Static " Display a detailed report after the last reboot"'
  'Static " Optimize the system partition before the operation"'
  'Button "Optimize now"'
  'Static " Process idle tasks before the operation"'
  'Button "Process now"'
  'Static " Backup and restore desktop icon layout"'
  'Button "Backup now"'
  'Button "Restore now"'
  'Static " Automatically log the current user on each boot up"'
  'Static " Disable Auto-logon once the whole operation completes"'
  'Button "  Start operation"'
)
for k in "${!expected[@]}"; do
  press tab
  seen=${FOCUS#* }
  [ "$seen" = "${expected[$k]}" ] || fail "Tab $((k + 1)) reached '$seen', expected '${expected[$k]}'"
  case $k in
    5) shot keys-focus-checkbox.png ;;
    7) shot keys-focus-button.png ;;
    15) shot keys-focus-start.png ;;
  esac
done
echo "   ${#expected[@]} presses of Tab, the last on '  Start operation'"
press tab
[ "${FOCUS#* }" = "${expected[0]}" ] || fail "Tab after the last control reached '${FOCUS#* }'"
press escape
probe gone $CLASS 10000 || fail "Escape did not close the setup"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "2. Escape in a countdown ends it as the close button does"
printf '[Setup]\r\nTimesToReboot=3\r\nRebootDelay=1\r\n' | iconv -f UTF-8 -t UTF-16LE |
  { printf '\xff\xfe'; cat; } >"$INI"
countdown_2_of_3
press tab
shot keys-countdown-focus.png
press escape
probe gone $CLASS 20000 || fail "Escape did not end the countdown"
timeout 60 "${WINESERVER:-wineserver}" -w || true
run_value && fail "a Run value is left after Escape"
echo "keys_e2e: all passed in $SECONDS s"

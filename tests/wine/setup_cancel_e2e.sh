#!/usr/bin/env bash
# End to end under Wine: closing the setup while it waits for a tool. A
# helper program that stays running stands in for the idle-task tool
# (it takes the place of Rundll32.exe in a prefix of its own). Closing the
# window during "Process now" ends the setup at once; closing it while the
# start sequence waits for the tool shows "Operation cancelled.", leaves no
# Run value and restarts nothing. The tool keeps running in both cases:
# nothing is ever terminated.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/lib/e2e.sh
e2e_begin setup-cancel "${TWK_E2E_CANCEL_DISPLAY:-93}"
HELPER="$(dirname "$EXE")/twk_idle_helper.exe"
[ -f "$HELPER" ] || fail "$HELPER is missing (build the test helpers)"
# Wine runs its own Rundll32.exe unless told to take the one on the disk.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rundll32.exe=n"

tool_runs() { ps -eo args | grep -qi '[r]undll32.exe'; }
start_setup() {
  "$WINE" 'C:\Tarnwick\Tarnwick.exe' >/dev/null 2>&1 &
  probe wait $CLASS 60000 >/dev/null || fail "no setup window"
  sleep 2
  TREE=$(probe tree $CLASS)
}

echo "prepare: the program in C:\\Tarnwick, a tool that stays running as Rundll32.exe"
mkdir -p "$WINEPREFIX/drive_c/Tarnwick"
cp "$EXE" "$WINEPREFIX/drive_c/Tarnwick/Tarnwick.exe"
cp "$HELPER" "$WINEPREFIX/drive_c/windows/system32/rundll32.exe"
timeout 60 "${WINESERVER:-wineserver}" -w || true

echo "closing the window during \"Process now\" ends the setup"
start_setup
probe bmclick $CLASS "$(id_at 455 260)" || fail "cannot click Process now"
wait_status "Processing idle tasks..."
tool_runs || fail "the stand-in tool did not start"
probe post $CLASS close || fail "cannot ask the window to close"
probe gone $CLASS 10000 || fail "the setup did not end"
tool_runs || fail "the tool was ended; nothing may be terminated"

echo "closing the window while the start sequence waits for the tool cancels it"
start_setup
probe click $CLASS "$(id_at 46 264)" || fail "no idle-task box"
probe settext $CLASS "$(id_at 465 102)" 2 || fail "cannot type the number of restarts"
probe settext $CLASS "$(id_at 465 142)" 1 || fail "cannot type the delay"
probe bmclick $CLASS "$(id_at 380 405)" || fail "cannot click Start"
wait_status "Processing idle tasks..."
if ! "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "no Run value while the start sequence runs"
fi
probe post $CLASS close || fail "cannot ask the window to close"
wait_status "Operation cancelled."
shot setup-cancelled.png
[[ "$(control_at 380 405)" == *'"  Start operation"' ]] || fail "Start button: $(control_at 380 405)"
if "$WINE" reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1; then
  fail "the Run value is left after the cancellation"
fi
probe title $CLASS >/dev/null || fail "the setup ended; it must stay after a cancellation"
probe post $CLASS close || true
probe gone $CLASS 10000 || fail "the setup did not end on the second close"
echo "setup_cancel_e2e: all passed in $SECONDS s"

# Sourced by the end-to-end scenarios, from the checkout's top folder. Every
# scenario runs in a Wine prefix and on an X display of its own: a restart
# under Wine ends every windowed program of the session, which must not hit
# anybody else's, and the screenshots must show this program only.
#
#   e2e_begin NAME [DISPLAY]   a fresh prefix build/e2e-NAME-<arch>, a display
#                              (the first free number from DISPLAY on), and
#                              ROOT ARCH EXE PROBE SHOTS WINE CLASS RUN_KEY
#                              FOLDER INI for the scenario
#   fail TEXT                  says why, takes a screenshot, shows the settings
#                              file, calls e2e_on_fail when the scenario has one
#   probe ...                  twk_probe.exe (finds, reads and pokes windows)
#   shot FILE                  a screenshot into build/screenshots
#   wait_title TITLE SECONDS   until the frame shows that title
#   control_at X Y, id_at X Y  a control of $TREE (a `probe tree`) by its place
#   wait_status TEXT           until the setup's status label says TEXT
#   close_report               the report's Close button, then the program's end
#   message_box PID SHOT       the program's message box (process PID): waits for
#                              it, its controls into BOX, a screenshot, closes it,
#                              and the process's exit code into BOX_RC
#   seconds_between A B        whole seconds from stamp A to stamp B of TEXT, as
#                              the program measures them: by the UTC moments
#                              when both have one, else by the local stamps
#   read_settings, value S K   the settings file (UTF-16LE with its mark and CR LF
#                              line ends, else fail) into TEXT; one value of it
#   visible_at X Y, id_of LINE the visible control of $TREE at x, y; its id
#   click_at X Y               a new $TREE, then a click on the control at x, y
#   wait_visible X Y TEXT      until the visible control at x, y shows TEXT
#   services                   Wine's services started, detached from our output
#   slow_boot [PINGS]          a RunOnce value that makes the next restart last
#   countdown_2_of_3           the Run value of restart 2 of 3 (1 minute), Wine's
#                              session started again as after a restart, until
#                              the countdown shows (the settings file is the
#                              caller's)

e2e_begin() {
  E2E_NAME=$1
  ROOT=$PWD
  . scripts/wine-env.sh
  ARCH=${TWK_ARCH:-$(twk_wine_arch)}
  EXE=${TWK_EXE:?TWK_EXE names the Tarnwick.exe to test}
  EXE=$(readlink -f "$EXE")
  PROBE="$(dirname "$EXE")/twk_probe.exe"
  [ -f "$PROBE" ] || { echo "FAIL: $PROBE is missing (build the twk_probe target)"; exit 1; }
  SHOTS="$ROOT/build/screenshots"
  mkdir -p "$SHOTS"
  export TWK_WINEPREFIX="$ROOT/build/e2e-$E2E_NAME-$ARCH"
  export WINEPREFIX="$TWK_WINEPREFIX"
  "${WINESERVER:-wineserver}" -k 2>/dev/null || true
  rm -rf "$TWK_WINEPREFIX"
  unset DISPLAY
  export TWK_DISPLAY_NUMBER=${2:-93}
  TWK_XVFB_PID=
  twk_wine_setup "$ARCH"
  twk_xvfb_start
  WINE=$TWK_WINE_LOADER
  CLASS=TWK_GUI_CLASS
  RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
  FOLDER="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tarnwick"
  INI="$FOLDER/TWK.ini"
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  "${WINESERVER:-wineserver}" -k 2>/dev/null || true
  [ -n "${TWK_XVFB_PID:-}" ] && kill "$TWK_XVFB_PID" 2>/dev/null || true
}

fail() {
  echo "FAIL: $*"
  import -window root "$SHOTS/$E2E_NAME-failure.png" 2>/dev/null || true
  echo "  screenshot: $SHOTS/$E2E_NAME-failure.png"
  [ -f "$INI" ] && iconv -f UTF-16LE -t UTF-8 "$INI" | tr -d '\r' | sed 's/^/  | /'
  if declare -F e2e_on_fail >/dev/null; then e2e_on_fail; fi
  exit 1
}

probe() { "$WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

shot() {
  import -window root "$SHOTS/$1"
  echo "  screenshot: $SHOTS/$1"
}

wait_title() {
  local want=$1 limit=$2 start=$SECONDS title=
  while [ $((SECONDS - start)) -lt "$limit" ]; do
    title=$(probe title $CLASS || true)
    [ "$title" = "$want" ] && return 0
    sleep 0.5
  done
  fail "no window titled '$want' within $limit s (last seen: '${title:-none}')"
}

# "id class x y w h visible "text"" of the control at x, y.
control_at() { grep " $1 $2 [0-9]* [0-9]* " <<<"$TREE" | head -1; }
id_at() { control_at "$1" "$2" | cut -d' ' -f1; }

wait_status() {
  local want=$1 start=$SECONDS line=
  while [ $((SECONDS - start)) -lt 20 ]; do
    TREE=$(probe tree $CLASS)
    line=$(control_at 20 430)
    [[ "$line" == *"\"$want\"" ]] && return 0
    sleep 0.3
  done
  fail "status is '$line', expected '$want'"
}

close_report() {
  local close_id
  close_id=$(grep ' 260 420 150 36 ' <<<"$TREE" | head -1 | cut -d' ' -f1)
  probe click $CLASS "${close_id:-0}" || fail "no Close button"
  probe gone $CLASS 10000 || fail "the report did not end"
  timeout 60 "${WINESERVER:-wineserver}" -w || true
}

message_box() {
  local pid=$1
  probe wait '#32770' 20000 >/dev/null || fail "no message box"
  sleep 1
  BOX=$(probe tree '#32770')
  shot "$2"
  probe post '#32770' close || fail "cannot close the message box"
  set +e
  timeout 20 tail --pid="$pid" -f /dev/null
  wait "$pid"
  BOX_RC=$?
  set -e
}

read_settings() {
  local lines crlf
  [ "$(head -c 2 "$INI" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "no UTF-16LE byte-order mark"
  TEXT=$(iconv -f UTF-16LE -t UTF-8 "$INI" | tail -c +4)
  lines=$(printf '%s' "$TEXT" | grep -c '' || true)
  crlf=$(printf '%s' "$TEXT" | grep -c $'\r$' || true)
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "line ends: $crlf of $lines lines end in CR LF"
}

seconds_between() {
  local a b
  a=$(value TimeStamps "$1UtcMs")
  b=$(value TimeStamps "$2UtcMs")
  if [ -n "$a" ] && [ -n "$b" ]; then
    echo $(((b - a) / 1000))
  else
    echo $(($(value TimeStamps "$2") - $(value TimeStamps "$1")))
  fi
}

value() {
  printf '%s' "$TEXT" | tr -d '\r' | awk -v s="[$1]" -v k="$2" -F= '
    /^\[/ { in_section = ($0 == s); next }
    in_section && $1 == k { print substr($0, length(k) + 2); exit }'
}

visible_at() { grep -E "^[0-9]+ [^ ]+ $1 $2 [0-9]+ [0-9]+ 1 " <<<"$TREE" | head -1; }
id_of() { cut -d' ' -f1 <<<"$1"; }

click_at() {
  TREE=$(probe tree $CLASS)
  probe click $CLASS "$(visible_at "$1" "$2" | cut -d' ' -f1)" || fail "nothing to click at $1,$2"
}

# The view changes after a click: polled for 10 s.
wait_visible() {
  local start=$SECONDS line=
  while [ $((SECONDS - start)) -lt 10 ]; do
    TREE=$(probe tree $CLASS)
    line=$(visible_at "$1" "$2" || true)
    [[ "$line" == *"\"$3\"" ]] && return 0
    sleep 0.3
  done
  fail "visible control at $1,$2 is '$line' after 10 s, expected text '$3'"
}

# Started by a later program, Wine's services would inherit its pipes and
# keep whoever reads them waiting.
services() { "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true; }

# Restarts under Wine end within the second; a RunOnce value that Wine waits
# for (a ping of PINGS echo requests, 3 unless told) makes them last a little.
slow_boot() {
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v SlowBoot /t REG_SZ \
    /d "C:\\windows\\system32\\ping.exe -n ${1:-3} 127.0.0.1" /f >/dev/null 2>&1 || fail "cannot add RunOnce"
}

countdown_2_of_3() {
  "$WINE" reg add "$RUN_KEY" /v Tarnwick /t REG_SZ \
    /d '"C:\Tarnwick\Tarnwick.exe" /CurrentReboot:2 /TotalReboots:3 /Delay:1' /f >/dev/null 2>&1
  timeout 60 "${WINESERVER:-wineserver}" -w || true
  "$WINE" wineboot >/dev/null 2>&1 &
  wait_title "Tarnwick - Reboot 2 of 3" 60
  sleep 2
}

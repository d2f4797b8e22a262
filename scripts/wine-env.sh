# Sourced by the scripts that run Windows programs under Wine.
# Chooses the Wine loader and prefix, prepares the prefix once, and starts a
# virtual X display when none is given.

TWK_CACHE="$HOME/.cache/tarnwick"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
export LC_ALL=C.UTF-8

# The 32-bit product needs a kernel that executes 32-bit code. Some kernels
# refuse it ("Exec format error"); there the 64-bit twin runs under wine64.
twk_wine_arch() {
  if [ -n "${TWK_WINE_ARCH:-}" ]; then echo "$TWK_WINE_ARCH"; return; fi
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

# Machine field of a PE file: 014c i386, 8664 x86-64.
twk_pe_machine() {
  local off
  off=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((off + 4)) -N 2 "$1" | tr -d ' '
}

# The DLLs a PE file imports: "NAME" for those the loader maps at start,
# "NAME (delayed)" for those loaded on first use. Delay-loaded DLLs have no
# entry in the import directory that objdump lists; their names are stored
# in the import section beside the others, so every DLL name found there that
# the directory does not list is a delayed one.
twk_pe_imports() {
  local file=$1 tools=i686-w64-mingw32 section listed
  [ "$(twk_pe_machine "$file")" = 8664 ] && tools=x86_64-w64-mingw32
  listed=$("$tools-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | sort -fu)
  section=$(mktemp)
  "$tools-objcopy" -O binary --only-section=.idata "$file" "$section"
  echo "$listed"
  strings -n 5 "$section" | grep -iE '^[A-Za-z0-9_.-]+\.dll$' | sort -fu |
    grep -vixF -f <(echo "$listed") | sed 's/$/ (delayed)/' || true
  rm -f "$section"
}

twk_wine_setup() {
  local arch=${1:-$(twk_wine_arch)}
  if [ "$arch" = i686 ]; then
    export WINEARCH=win32 TWK_WINE_LOADER=/usr/lib/wine/wine
  else
    export WINEARCH=win64 TWK_WINE_LOADER=/usr/lib/wine/wine64
  fi
  export WINEPREFIX="${TWK_WINEPREFIX:-$TWK_CACHE/wine-$arch}"
  if [ ! -f "$WINEPREFIX/.tarnwick-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$TWK_WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
    "$TWK_WINE_LOADER" winecfg -v win10 >/dev/null 2>&1 || true
    # No window manager: without Managed=N Wine waits ~2 s on every hide.
    "$TWK_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    # A crash must end the program, not wait for a user at a dialog.
    "$TWK_WINE_LOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    "${WINESERVER:-wineserver}" -w 2>/dev/null || true
    touch "$WINEPREFIX/.tarnwick-ready"
  fi
}

twk_xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then return 0; fi
  # A display of our own: the first number whose lock no live server holds.
  # A stale socket left by a server that died would otherwise look taken.
  local n lock
  for n in $(seq "${TWK_DISPLAY_NUMBER:-97}" 199); do
    lock=/tmp/.X$n-lock
    if [ -e "$lock" ] && kill -0 "$(tr -dc 0-9 <"$lock")" 2>/dev/null; then continue; fi
    rm -f "$lock" "/tmp/.X11-unix/X$n"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    TWK_XVFB_PID=$!
    for _ in $(seq 100); do
      DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
      sleep 0.1
    done
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display number" >&2
  return 1
}

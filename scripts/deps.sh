#!/usr/bin/env bash
# Installs everything the builds and tests need on Debian 12, idempotently.
# Safe to run again: packages already present are not touched, PCRE2 cross
# builds already in the cache are reused.
set -euo pipefail
# The caches and the CMake presets live under $HOME; some runners start
# without it.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

CACHE="${TWK_CACHE:-$HOME/.cache/tarnwick}"
PCRE2_VERSION=10.42

PACKAGES=(cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev libpcre2-dev
          clang libclang-rt-14-dev dpkg-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 wine32:i386 xvfb xauth xdotool imagemagick)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

need_src=0
[ -f "$CACHE/pcre2-$PCRE2_VERSION-i686-small/lib/libpcre2-16.a" ] || need_src=1
[ -f "$CACHE/pcre2-$PCRE2_VERSION-x86_64-small/lib/libpcre2-16.a" ] || need_src=1

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  if [ $need_src -eq 1 ] && ! grep -rqs '^deb-src .*bookworm main\|^Types: deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # Match the keyring option of an existing deb822 entry for the same
    # archive, or apt refuses the conflicting Signed-By values.
    keyring=$(grep -hs '^Signed-By:' /etc/apt/sources.list.d/debian.sources | head -1 | cut -d' ' -f2- || true)
    if [ -n "$keyring" ]; then
      printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' "$keyring" |
        $SUDO tee /etc/apt/sources.list.d/tarnwick-src.sources >/dev/null
    else
      echo 'deb-src http://deb.debian.org/debian bookworm main' | $SUDO tee /etc/apt/sources.list.d/tarnwick-src.list >/dev/null
    fi
  fi
  # A mirror in mid-sync makes update report errors for some indexes; the
  # install below still works from the indexes that did arrive.
  $SUDO apt-get update -qq || true
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  # The i386 Wine packages sometimes report held broken packages from the
  # default release selection; naming the release resolves them.
  $SUDO apt-get install -y -qq "${missing[@]}" ||
    $SUDO apt-get install -y -qq -t bookworm "${missing[@]}"
fi

# PCRE2 for the Windows builds is not packaged: cross-build the 16-bit static
# library from Debian's source package into the cache, once per architecture.
# The one pattern is compiled without UTF mode, so the library is built
# without Unicode support, and in sections of its own per function and datum
# so that the program's link keeps only what it calls: most of the library
# is never reached.
build_pcre2() {
  local arch=$1 prefix="$CACHE/pcre2-$PCRE2_VERSION-$1-small"
  [ -f "$prefix/lib/libpcre2-16.a" ] && return 0
  local work; work=$(mktemp -d)
  (cd "$work" && apt-get source -qq "pcre2=$PCRE2_VERSION*" >/dev/null 2>&1 || apt-get source -qq pcre2 >/dev/null)
  local src; src=$(find "$work" -maxdepth 1 -type d -name 'pcre2-*' | head -1)
  cat > "$work/tc.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER $arch-w64-mingw32-gcc-posix)
set(CMAKE_RC_COMPILER $arch-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$arch-w64-mingw32)
TC
  cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/tc.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" -DPCRE2_SUPPORT_UNICODE=OFF \
    -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_BUILD_PCRE2_32=OFF \
    -DBUILD_SHARED_LIBS=OFF -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF \
    -DPCRE2_SUPPORT_JIT=OFF >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  echo "deps: PCRE2 $PCRE2_VERSION for $arch in $prefix"
}
build_pcre2 i686
build_pcre2 x86_64

# PlaySoundW under Wine needs an ALSA device; a null sink is enough.
if [ ! -f /etc/asound.conf ]; then
  echo 'pcm.!default { type null }' | $SUDO tee /etc/asound.conf >/dev/null
fi

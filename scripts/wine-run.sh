#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix; CMake uses it as
# the cross-compiling emulator so that ctest runs the Windows tests.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
case "$(twk_pe_machine "$1")" in
  8664) twk_wine_setup x86_64 ;;
  *) twk_wine_setup i686 ;;
esac
twk_xvfb_start
exec "$TWK_WINE_LOADER" "$@"

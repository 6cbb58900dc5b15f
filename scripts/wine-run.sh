#!/usr/bin/env bash
# Runs a Windows program under Wine in the build folder's private prefix.
# CTest uses it as the emulator of every test program.
set -eu
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
prog="$1"; shift
# The prefix lives in the build folder that holds the program.
build="${MV_BUILD_DIR:-}"
if [ -z "$build" ]; then
  d="$(cd "$(dirname "$prog")" && pwd)"
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d="$(dirname "$d")"; done
  build="$d"
fi
mv_wine_prefix "$build/wineprefix"
[ -n "${MV_WINE_WARM:-}" ] || mv_wine_warm 30
exec wine "$prog" "$@"

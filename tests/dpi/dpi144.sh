#!/usr/bin/env bash
# Runs a test program in a Wine prefix of its own set to 144 DPI, with its
# own server, on the display the test command gives.
#   dpi144.sh <test.exe> [gtest options]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/scripts/wine-env.sh"
exe="$1"; shift
build="${MV_BUILD_DIR:-$root/build}"
mv_wine_prefix "$build/wineprefix-144"
if [ ! -f "$WINEPREFIX/.mirvostan-dpi-144" ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    DISPLAY= wine reg add "$key" /v LogPixels /t REG_DWORD /d 0x90 /f >/dev/null 2>&1
  done
  wineserver -w
  touch "$WINEPREFIX/.mirvostan-dpi-144"
fi
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$exe" "$@"

#!/usr/bin/env bash
# The run command: install, build, then start Mirvostan on the virtual mouse.
# With a working display it runs there; without one it runs on a virtual
# display, saves a screenshot of its window and prints the file's path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=Mirvostan bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
exe="$MV_BUILD_DIR/src/ui/Mirvostan.exe"

if mv_display_works; then
  cd "$(dirname "$exe")"
  exec wine "$exe"
fi

shot="${MV_SCREENSHOT:-$MV_BUILD_DIR/screenshots/Mirvostan.png}"
mv_start_xvfb
trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
(cd "$(dirname "$exe")" && wine "$exe" >/dev/null 2>&1 &)
bash "$root/scripts/screenshot.sh" --class Mirvostan.MainWindow --out "$shot" --wait 30
echo "Mirvostan ran on a virtual display; screenshot: $shot"

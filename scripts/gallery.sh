#!/usr/bin/env bash
# Builds the gallery and saves a PNG of each of its pages, and of the key
# capture dialog, into build/screenshots/ (gallery-<page>.png), and both
# working pages in all six languages (page-<buttons|performance>-<language>.png).
# Uses the display in DISPLAY if it works, else a virtual one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=gallery bash "$root/scripts/build.sh"
MV_BUILD_TARGET=winrect bash "$root/scripts/build.sh"
MV_BUILD_TARGET=pageshow bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
if ! mv_display_works; then
  mv_start_xvfb
  trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
fi
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
exe="$MV_BUILD_DIR/tools/gallery/gallery.exe"
out="$MV_BUILD_DIR/screenshots"
mkdir -p "$out"

for page in buttons main pages parts languages keycapture; do
  # The gallery closes itself; the screenshot is taken while it shows.
  wine "$exe" "$page" 6 >/dev/null 2>&1 &
  pid=$!
  if [ "$page" = keycapture ]; then
    bash "$root/scripts/screenshot.sh" --class "#32770" --out "$out/gallery-$page.png" --wait 20
  else
    bash "$root/scripts/screenshot.sh" --title "Mirvostan Gallery - $page" --out "$out/gallery-$page.png" --wait 20
  fi
  wait "$pid" || true
done
pages="$MV_BUILD_DIR/tools/gallery/pageshow.exe"
for page in buttons performance; do
  for lang in 0 1 2 3 4 5; do
    names=(English Germany France Dutch Italian Chinese)
    name="${names[$lang]}"
    wine "$pages" "$page" "$lang" 6 >/dev/null 2>&1 &
    pid=$!
    bash "$root/scripts/screenshot.sh" --title "Mirvostan Page - $page-$name" --out "$out/page-$page-$name.png" --wait 20
    wait "$pid" || true
  done
done
echo "gallery screenshots in $out"

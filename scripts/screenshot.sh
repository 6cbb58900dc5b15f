#!/usr/bin/env bash
# Saves a PNG of one window of a running Windows program on $DISPLAY.
#   screenshot.sh (--title T | --class C) --out file.png [--wait seconds]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MV_BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$build/wineprefix"
args=(); out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    *) args+=("$1" "$2"); shift 2 ;;
  esac
done
[ -n "$out" ] || { echo "screenshot.sh: --out is required" >&2; exit 2; }
rect=$(wine "$build/tools/screenshot/winrect.exe" "${args[@]}" | tr -d '\r')
read -r x y w h <<<"$rect"
mkdir -p "$(dirname "$out")"
import -window root -display "$DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage "$out"
echo "$out"

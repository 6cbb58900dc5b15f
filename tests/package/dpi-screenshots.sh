#!/usr/bin/env bash
# A look rather than a test: starts the built Mirvostan on the virtual mouse
# at 96, 144 and 192 DPI (Wine's LogPixels) and saves one screenshot each as
# build/screenshots/dpi-<dpi>.png, so the DPI setting of the manifest can be
# judged: controls on their painted places, text readable.
#   dpi-screenshots.sh [dpi ...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${MV_BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
dpis=("$@")
[ "${#dpis[@]}" -gt 0 ] || dpis=(96 144 192)

work="$build/dpi"
rm -rf "$work/app" && mkdir -p "$work/app" "$build/screenshots"
cp "$build/src/ui/Mirvostan.exe" "$build/src/ui/SonixUSB.DLL" "$root/src/i18n/AppCfg.ini" "$work/app/"
# A prefix of its own: the DPI is a setting of the whole prefix.
mv_wine_prefix "$work/prefix"
# A display of its own, large enough for the window at 192 DPI.
n=90
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
Xvfb ":${n}" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":${n}"
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done

for dpi in "${dpis[@]}"; do
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  hex=$(printf '0x%x' "$dpi")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  (cd "$work/app" && exec wine Mirvostan.exe </dev/null >/dev/null 2>&1) &
  # The skinned window has no title; the placeholder is called Mirvostan.
  rect=""
  for args in "--class 38C86C12-4A73-48d5-934E-44550D5BBF68" "--title Mirvostan"; do
    # shellcheck disable=SC2086
    rect=$(wine "$build/tools/screenshot/winrect.exe" $args --wait 15 2>/dev/null | tr -d '\r') && break
  done
  [ -n "$rect" ] || { echo "no Mirvostan window at $dpi DPI" >&2; exit 1; }
  read -r x y w h <<<"$rect"
  out="$build/screenshots/dpi-$dpi.png"
  import -window root -display "$DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage "$out"
  echo "$out (${w}x${h} at $dpi DPI)"
done

#!/usr/bin/env bash
# A look rather than a test: starts the built Mirvostan on the virtual mouse
# at 96, 144 and 192 DPI (Wine's LogPixels) and saves every page in all six
# languages as build/screenshots/dpi-<dpi>-<language>-<page>.png, with a
# contact sheet per DPI (dpi-<dpi>-sheet.png), so the scaling can be judged:
# text sharp, controls on their painted places, the shape clean. Then the
# same in the plain look of high contrast ([General] Look=plain), as
# dpi-<dpi>-plain-<language>-<page>.png and dpi-<dpi>-plain-sheet.png.
# MV_LOOKS="skin" (or "plain") takes one look only.
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

# Wine 8 cannot turn high contrast on: the settings file asks for its look.
choose_look() {  # choose_look skin|plain
  python3 - "$work/app/AppCfg.ini" "$1" <<'PY'
import sys
path, look = sys.argv[1], sys.argv[2]
text = open(path, 'rb').read().decode('utf-16')
lines = [l for l in text.split('\r\n') if not l.startswith('Look=')]
if look == 'plain':
    if '[General]' not in lines:
        lines = ['[General]'] + lines
    lines.insert(lines.index('[General]') + 1, 'Look=plain')
open(path, 'wb').write(b'\xff\xfe' + '\r\n'.join(lines).encode('utf-16-le'))
PY
}

for look in ${MV_LOOKS:-skin plain}; do
choose_look "$look"
tag=""; [ "$look" = plain ] && tag="plain-"
for dpi in "${dpis[@]}"; do
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  hex=$(printf '0x%x' "$dpi")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  (cd "$work/app" && exec wine Mirvostan.exe </dev/null >/dev/null 2>&1) &
  cls=Mirvostan.MainWindow
  wine "$build/tools/screenshot/winrect.exe" --class "$cls" --wait 20 >/dev/null 2>&1 ||
    { echo "no Mirvostan window at $dpi DPI" >&2; exit 1; }
  langs=(english german french dutch italian chinese)
  flags=(1097 1098 1099 1100 1101 1102)
  pages=(buttons performance profiles)
  page_buttons=(1070 1072 1071)
  sheet=()
  for i in "${!langs[@]}"; do
    wine "$build/tools/screenshot/winrect.exe" --class "$cls" --command "${flags[$i]}" >/dev/null 2>&1
    for j in "${!pages[@]}"; do
      rect=$(wine "$build/tools/screenshot/winrect.exe" --class "$cls" --command "${page_buttons[$j]}" 2>/dev/null | tr -d '\r')
      read -r x y w h <<<"$rect"
      out="$build/screenshots/dpi-$dpi-$tag${langs[$i]}-${pages[$j]}.png"
      import -window root -display "$DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage "$out"
      sheet+=("$out")
    done
  done
  # Back to English for the next run.
  wine "$build/tools/screenshot/winrect.exe" --class "$cls" --command 1097 >/dev/null 2>&1
  # The program ends before the next run reads the settings file.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  montage "${sheet[@]}" -tile 3x6 -geometry "${w}x${h}+4+4" -background '#202020' "$build/screenshots/dpi-$dpi-${tag}sheet.png"
  echo "$build/screenshots/dpi-$dpi-${tag}sheet.png (${w}x${h} windows at $dpi DPI, $look look)"
done
done

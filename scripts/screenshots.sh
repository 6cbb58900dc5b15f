#!/usr/bin/env bash
# Saves the main window with each of its pages in all six languages, a
# contact sheet of them, and the About box, under build/screenshots/.
# Runs on a virtual display with a private copy of the program, so the
# user's language setting stays as it is.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=all bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
out="$MV_BUILD_DIR/screenshots"
run="$out/run"
rm -rf "$run"; mkdir -p "$run"
cp "$MV_BUILD_DIR/src/ui/Mirvostan.exe" "$MV_BUILD_DIR/src/ui/SonixUSB.DLL" "$MV_BUILD_DIR/src/ui/AppCfg.ini" "$run/"

mv_start_xvfb
trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
mv_wine_warm
cls=Mirvostan.MainWindow
winrect="$MV_BUILD_DIR/tools/screenshot/winrect.exe"
(cd "$run" && wine Mirvostan.exe >/dev/null 2>&1 &)

shoot() {  # shoot <out.png> <winrect args...>
  local file="$1"; shift
  local rect x y w h
  rect=$(wine "$winrect" "$@" | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -display "$DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage "$file"
  echo "$file"
}

wine "$winrect" --class "$cls" --wait 30 >/dev/null
langs=(english german french dutch italian chinese)
flags=(1097 1098 1099 1100 1101 1102)
pages=(buttons performance third)
page_buttons=(1070 1072 1071)
sheet=()
for i in "${!langs[@]}"; do
  wine "$winrect" --class "$cls" --command "${flags[$i]}" >/dev/null
  for j in "${!pages[@]}"; do
    f="$out/main-${langs[$i]}-${pages[$j]}.png"
    shoot "$f" --class "$cls" --command "${page_buttons[$j]}"
    sheet+=("$f")
  done
done
# Back to English and the buttons page, then the About box over it.
wine "$winrect" --class "$cls" --command 1097 >/dev/null
wine "$winrect" --class "$cls" --command 1070 >/dev/null
shoot "$out/about.png" --class "$cls" --syscommand 16 --print-title "About Mirvostan"
montage "${sheet[@]}" -tile 3x6 -geometry 402x282+4+4 -background '#202020' "$out/main-contact-sheet.png"
echo "$out/main-contact-sheet.png"

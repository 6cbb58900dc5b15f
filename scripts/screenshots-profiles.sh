#!/usr/bin/env bash
# Saves the profiles page and the keep dialog in all six languages under
# build/screenshots/ (profiles-<language>.png, keep-<language>.png,
# keep-speed-<language>.png). Runs on a virtual display with private
# copies of the program and its settings file.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=all bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
out="$MV_BUILD_DIR/screenshots"
run="$out/run-profiles"
rm -rf "$run"; mkdir -p "$run"
cp "$MV_BUILD_DIR/src/ui/Mirvostan.exe" "$MV_BUILD_DIR/src/ui/SonixUSB.DLL" "$MV_BUILD_DIR/src/ui/AppCfg.ini" \
   "$MV_BUILD_DIR/tools/keepshow/keepshow.exe" "$run/"
# Two rules to show, one of them with its profile file gone.
printf '\xff\xfe' > "$run/profiles.ini"
{
  printf '[Profiles]\r\nFollow=1\r\nDefault=C:\\Profiles\\desktop.mvf\r\n'
  printf 'Rule1=game.exe|C:\\users\\Public\\Documents\\game.mvf\r\nRule2=editor.exe|C:\\Profiles\\editor.mvf\r\n'
} | iconv -f UTF-8 -t UTF-16LE >> "$run/profiles.ini"
tail -c +3 "$run/AppCfg.ini" >> "$run/profiles.ini"
mv "$run/profiles.ini" "$run/AppCfg.ini"

mv_start_xvfb
trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
mv_wine_warm
docs="$WINEPREFIX/drive_c/users/Public/Documents"
mkdir -p "$docs" && : > "$docs/game.mvf"
cls=Mirvostan.MainWindow
winrect="$MV_BUILD_DIR/tools/screenshot/winrect.exe"
shoot() {  # shoot <out.png> <winrect args...>
  local file="$1"; shift
  local rect x y w h
  rect=$(wine "$winrect" "$@" | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -display "$DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage "$file"
  echo "$file"
}
(cd "$run" && wine Mirvostan.exe >/dev/null 2>&1 &)
wine "$winrect" --class "$cls" --wait 30 >/dev/null
langs=(english german french dutch italian chinese)
flags=(1097 1098 1099 1100 1101 1102)
for i in "${!langs[@]}"; do
  wine "$winrect" --class "$cls" --command "${flags[$i]}" >/dev/null
  shoot "$out/profiles-${langs[$i]}.png" --class "$cls" --command 1071
done
wine "$winrect" --class "$cls" --command 1063 >/dev/null
for i in "${!langs[@]}"; do
  for kind in buttons speed; do
    name="keep-${langs[$i]}.png"; [ "$kind" = speed ] && name="keep-speed-${langs[$i]}.png"
    (cd "$run" && wine keepshow.exe "$i" "$kind" >/dev/null 2>&1 &)
    shoot "$out/$name" --title Mirvostan --wait 20
    wine "$winrect" --title Mirvostan --command 1 >/dev/null
    sleep 0.5
  done
done

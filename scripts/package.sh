#!/usr/bin/env bash
# Builds the two release files into dist/:
#   Mirvostan-<version>-portable.zip  and  Mirvostan-<version>-setup.exe
# Both carry the HID SonixUSB.dll for real mice, never the virtual mouse.
#   package.sh [--out DIR] [--no-build]
# --no-build packs what the build folder already holds (the tests use it).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MV_BUILD_DIR:-$root/build}"
out="$root/dist"
do_build=1
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    --no-build) do_build=0; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ "$do_build" = 1 ]; then
  bash "$root/scripts/setup-debian.sh"
  . "$root/scripts/wine-env.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMV_ARCH="$(mv_arch)" >/dev/null
  cmake --build "$build" -j"$(nproc)" --target Mirvostan sonixusb_hid
fi

# The strip of the build's own target.
strip="$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$build/CMakeCache.txt")"
version="$(tr -d '[:space:]' <"$build/generated/version.txt")"
exe="$build/src/ui/Mirvostan.exe"
hid="$build/tools/sonixusb/SonixUSB.dll"
for f in "$exe" "$hid" "$root/src/i18n/AppCfg.ini"; do
  [ -f "$f" ] || { echo "package.sh: missing $f (build first)" >&2; exit 1; }
done

mkdir -p "$out"
out="$(cd "$out" && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

# Text files with Windows line ends, so every Notepad shows them right.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1"; }
# Without symbols: a fifth of the size, and nothing a user needs.
"$strip" -o "$stage/Mirvostan.exe" "$exe"
"$strip" -o "$stage/SonixUSB.dll" "$hid"
cp "$root/src/i18n/AppCfg.ini" "$stage/AppCfg.ini"
crlf "$root/installer/README.txt" | sed "s/@VERSION@/$version/g" >"$stage/README.txt"
crlf "$root/LICENSE" >"$stage/LICENSE.txt"

# Same input, same zip: fixed times and order, no extra attributes.
stamp="$(git -C "$root" log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || echo 202601010000.00)"
files=(Mirvostan.exe SonixUSB.dll AppCfg.ini README.txt LICENSE.txt)
for f in "${files[@]}"; do touch -t "$stamp" "$stage/$f"; done
zip_file="$out/Mirvostan-$version-portable.zip"
rm -f "$zip_file"
(cd "$stage" && zip -q -X -D "$zip_file" "${files[@]}")

setup_file="$out/Mirvostan-$version-setup.exe"
# The installer's own stub matches the program: a 64-bit program gets a 64-bit setup.
target=x86-unicode
grep -q '^CMAKE_TOOLCHAIN_FILE.*x86_64' "$build/CMakeCache.txt" && target=amd64-unicode
makensis -V2 -NOCD -INPUTCHARSET UTF8 \
  -DMV_TARGET="$target" \
  -DMV_VERSION="$version" \
  -DMV_STAGE="$stage" \
  -DMV_ICON="$root/src/resources/art/app.ico" \
  -DMV_OUTFILE="$setup_file" \
  "$root/installer/Mirvostan.nsi"

echo "$zip_file"
echo "$setup_file"

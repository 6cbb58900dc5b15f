#!/usr/bin/env bash
# Installs what building, testing and running Mirvostan needs on Debian 12.
# Idempotent: returns at once when everything is already there.
# The x86_64 target needs no 32-bit code; MV_ARCH=i686 adds the 32-bit
# toolchain and 32-bit Wine (i386 multiarch).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

pkgs=(
  cmake make ninja-build
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine
  xvfb x11-utils imagemagick
  googletest
  fonts-wqy-microhei fonts-dejavu-core fonts-dejavu-extra fonts-wine
  python3 python3-pil
  nsis zip unzip
)
if [ "${MV_ARCH:-x86_64}" = i686 ]; then
  pkgs+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine32:i386)
fi
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done

if [ "${#need[@]}" -eq 0 ]; then
  exit 0
fi

if [ "${MV_ARCH:-x86_64}" = i686 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then; the others
# still update, and the install below says whether what we need is there.
for attempt in 1 2 3; do
  if $SUDO apt-get update -qq; then break; fi
  echo "setup-debian: apt-get update failed (attempt $attempt)" >&2
  sleep $((attempt * 5))
done
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null

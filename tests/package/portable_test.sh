#!/usr/bin/env bash
# The portable zip: exactly the listed files, the HID library for real mice,
# and a Mirvostan.exe that starts from a folder that cannot be written (a zip
# unpacked onto a read-only share), reads the mouse and writes nothing there,
# nor a value that starts it at sign-in.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
trap stop_wine EXIT
work="$PWD/portable"
if [ -d "$work" ]; then chmod -R u+w "$work"; fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"

check "the zip holds exactly the listed files" \
  same_list "$(unzip -Z1 "$zip_file" | LC_ALL=C sort)" "${package_files[@]}"
mkdir app
require "the zip unpacks" unzip -q "$zip_file" -d app
check "SonixUSB.dll is the HID library" is_hid_library app/SonixUSB.dll
check "README.txt names this version" grep -q "Mirvostan $version" app/README.txt
crlf_only() { ! grep -qv $'\r$' "$1"; }
check "README.txt has Windows line ends" crlf_only app/README.txt

# The virtual mouse stands in for the mouse. Its two files exist beforehand
# and stay writable, so the folder itself takes no new file but the mouse can
# still keep its transcript.
cp "$MV_VMOUSE" app/SonixUSB.dll
: >app/VirtualMouse.txt
: >app/VirtualMouse.log
chmod a-w app/Mirvostan.exe app/SonixUSB.dll app/AppCfg.ini app/README.txt app/LICENSE.txt app
before="$(listing app)"
ini_sum="$(md5sum <app/AppCfg.ini)"

# Root writes anywhere; in a user namespace of its own it is an ordinary
# user to the files, and the prefix still counts as its own.
MV_WINE_AS=""
if [ "$(id -u)" -eq 0 ]; then MV_WINE_AS="unshare -U"; fi
require "the folder really cannot be written" bash -c "! $MV_WINE_AS touch app/probe 2>/dev/null"

unset MV_WINE_WARM
fresh_prefix "$work/prefix"
(cd app && exec $MV_WINE_AS wine Mirvostan.exe </dev/null >/dev/null 2>>../wine.err) &
program=$!
check "it starts and reads the mouse" wait_for 60 read_the_mouse app
check "it keeps running" kill -0 "$program"
check "nothing new in the folder, not even the log" [ "$(listing app)" = "$before" ]
check "AppCfg.ini unchanged" [ "$(md5sum <app/AppCfg.ini)" = "$ini_sum" ]
stop_wine
wait "$program" 2>/dev/null
check "it starts nothing at sign-in unless asked" [ -z "$(run_value)" ]
chmod -R u+w "$work"
finish

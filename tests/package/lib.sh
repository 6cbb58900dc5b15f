# Shared by the package tests. Source it from a test script that runs in its
# own folder; CTest passes MV_BUILD_DIR, MV_DIST, MV_PKGCHECK, MV_VMOUSE, MV_HID.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../../scripts/wine-env.sh"

version="$(tr -d '[:space:]' <"$MV_BUILD_DIR/generated/version.txt")"
zip_file="$MV_DIST/Mirvostan-$version-portable.zip"
setup_file="$MV_DIST/Mirvostan-$version-setup.exe"
# What both packages put beside the program, and nothing else.
package_files=(AppCfg.ini LICENSE.txt Mirvostan.exe README.txt SonixUSB.dll)

failures=0
# check <what> <command...>: one line per check, the run fails at the end.
check() {
  local what="$1"; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# require: like check, but the rest cannot run without it.
require() {
  check "$@" || finish
}
finish() {
  stop_wine
  if [ "$failures" -eq 0 ]; then echo "all checks passed"; exit 0; fi
  echo "$failures check(s) failed"; exit 1
}

# fresh_prefix <dir>: a new Wine prefix, booted from nothing.
fresh_prefix() {
  rm -rf "$1" "$1.lock"
  unset MV_WINE_WARM
  mv_wine_prefix "$1"
}
stop_wine() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  ${MV_WINE_AS:-} wineserver -k >/dev/null 2>&1 || true
  ${MV_WINE_AS:-} wineserver -w >/dev/null 2>&1 || true
}
# Wine programs of the test, their output kept out of CTest's pipe.
w() { ${MV_WINE_AS:-} wine "$@" </dev/null 2>>wine.err; }
unix_path() { w winepath -u "$1" | tr -d '\r'; }

# wait_for <seconds> <command...>: polls until the command succeeds.
wait_for() {
  local limit=$(($1 * 10)); shift
  local i
  for ((i = 0; i < limit; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# The program asked the virtual mouse beside it for its configuration and got
# the records back.
read_the_mouse() {
  grep -q " out 00 04 AA 55 00 00 00 00 00" "$1/VirtualMouse.log" 2>/dev/null &&
    [ "$(grep -c ' in 00 04 ' "$1/VirtualMouse.log")" -ge 21 ]
}
# Processes of this test's prefix whose command line holds the name (other
# suites on the machine may run the same program in their prefixes); an
# ended one that is not yet reaped has no environment and does not count.
pids_here() {
  local pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
running_here() { [ -n "$(pids_here "$1")" ]; }
# The value that starts Mirvostan at sign-in, as a 64-bit program reads it.
run_value() { w reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Mirvostan /reg:64 |
  tr -d '\r' | sed -n 's/^ *Mirvostan *REG_SZ *//p'; }

# The HID library for real mice, never the virtual mouse.
is_hid_library() {
  local imports
  imports="$(objdump -p "$1" | grep -i 'DLL Name')" || return 1
  grep -qi 'hid.dll' <<<"$imports" && ! grep -q 'VirtualMouse' "$1"
}
# Sorted listing of a folder's files.
listing() { (cd "$1" && ls -1A | LC_ALL=C sort); }
same_list() { [ "$1" = "$(printf '%s\n' "${@:2}" | LC_ALL=C sort)" ]; }
# A value from a UTF-16LE ini file with a byte-order mark.
ini_value() { iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | awk -F= -v s="[$2]" -v k="$3" \
  '/^\[/{in_s = ($0 == s)} in_s && $1 == k {print substr($0, length(k) + 2); exit}'; }

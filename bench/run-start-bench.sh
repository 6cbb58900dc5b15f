#!/usr/bin/env bash
# Builds and runs the start benchmark on a virtual display:
#   bash bench/run-start-bench.sh [runs, default 15] [idle seconds, default 60]
# The idle CPU time is also read from the host's side (/proc of the Wine
# process that runs this benchmark's copy of Mirvostan.exe).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=start_bench bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  mv_start_xvfb
  trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
fi
mv_wine_warm
cd "$MV_BUILD_DIR/bench/start_bench"
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
pid=""; c0=0; t0=0
wine start_bench.exe "$@" | sed -u 's/\r$//' | while IFS= read -r line; do
  case "$line" in
    idle-start)
      pid=$(pgrep -f 'start_bench.Mirvostan\.exe' | head -1 || true)
      if [ -n "$pid" ]; then c0=$(cpu_of "$pid"); t0=$(date +%s.%N); fi ;;
    idle-end)
      if [ -n "$pid" ] && [ -r "/proc/$pid/stat" ]; then
        c1=$(cpu_of "$pid"); t1=$(date +%s.%N)
        awk -v c="$((c1 - c0))" -v k="$ticks" -v t0="$t0" -v t1="$t1" \
          'BEGIN { s = t1 - t0; printf "idle CPU over %.0f s on the host: %.0f ms = %.3f%% of a core\n", s, c * 1000 / k, c * 100 / k / s }'
      fi ;;
    *) echo "$line" ;;
  esac
done

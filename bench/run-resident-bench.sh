#!/usr/bin/env bash
# Builds and runs the resident benchmark on a virtual display:
#   bash bench/run-resident-bench.sh memory [runs, default 5] [settle seconds, default 5]
#   bash bench/run-resident-bench.sh idle [seconds, default 60] [runs, default 3]
#   bash bench/run-resident-bench.sh follow [switches, default 30]
#   bash bench/run-resident-bench.sh exit [runs, default 10]
# Memory and CPU are read from the host's /proc of the Wine processes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=resident_bench bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
if [ -z "${DISPLAY:-}" ]; then
  mv_start_xvfb
  trap 'wineserver -k 2>/dev/null || true; mv_stop_xvfb' EXIT
fi
mv_wine_warm
cd "$MV_BUILD_DIR/bench/resident_bench"
wine resident_bench.exe "$@" | sed -u 's/\r$//'

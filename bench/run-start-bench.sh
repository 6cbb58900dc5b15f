#!/usr/bin/env bash
# Builds and runs the start benchmark on a virtual display:
#   bash bench/run-start-bench.sh [runs, default 15] [idle seconds, default 60]
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
wine start_bench.exe "$@" | tr -d '\r'

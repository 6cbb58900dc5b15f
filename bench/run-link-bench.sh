#!/usr/bin/env bash
# Builds and runs the link benchmark on the virtual mouse:
#   bash bench/run-link-bench.sh [idle seconds, default 10]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=link_bench bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
cd "$MV_BUILD_DIR/bench/link_bench"
wine link_bench.exe "$@"

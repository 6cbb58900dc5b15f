#!/usr/bin/env bash
# Builds and runs the command-line benchmark on the virtual mouse:
#   bash bench/run-cli-bench.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
MV_BUILD_TARGET=cli_bench bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
# A running server, as when the suite or a user's session already has one.
mv_wine_warm 30
cd "$MV_BUILD_DIR/bench/cli_bench"
wine cli_bench.exe

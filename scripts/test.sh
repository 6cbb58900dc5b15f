#!/usr/bin/env bash
# The test command: install, build, then run every test program under Wine.
# Starts a virtual display when none is set and stops what it started.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export MV_BUILD_DIR="${MV_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"

cleanup() { wineserver -k 2>/dev/null || true; mv_stop_xvfb; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then mv_start_xvfb; fi
mv_wine_prefix "$MV_BUILD_DIR/wineprefix"
# One server for the whole run: each program then starts in a fraction of a second.
mv_wine_warm
# The code without windows keeps its include direction.
bash "$root/scripts/check-includes.sh"
ctest --test-dir "$MV_BUILD_DIR" --output-on-failure -j2 "$@"

#!/usr/bin/env bash
# Installs what is missing and builds Mirvostan with its tests into build/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup-debian.sh"
. "$root/scripts/wine-env.sh"
build="${MV_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMV_ARCH="$(mv_arch)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${MV_BUILD_TARGET:-all}"

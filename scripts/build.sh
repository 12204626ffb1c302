#!/usr/bin/env bash
# Configures and builds into build/ (or $WAVORA_BUILD_DIR); extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${WAVORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${WAVORA_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"

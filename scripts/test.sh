#!/usr/bin/env bash
# Sets up the machine, builds Wavora and runs every test: the unit and end-to-end suite, then
# each extra stage in scripts/test.d (sanitizer builds, fuzzing) in name order.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)" --timeout 600
for stage in "$root"/scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    echo "== $(basename "$stage")"
    bash "$stage"
done

#!/usr/bin/env bash
# The plug-in host's threaded tests (ring exclusion, relay feeder, output emulator, a plug-in's
# decoding thread) again, built with ThreadSanitizer. Only the targets these tests need are
# built, into build-tsan.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir="$root/build-tsan"
tests=(plugins_ring plugins_manager plugins_output plugins_relay plugins_playback)
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWAVORA_TSAN=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${tests[@]}"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp halt_on_error=1 exitcode=66 second_deadlock_stack=1"
# Each executable runs all its tests in one process: the state they share is reset between
# tests, and one process per executable keeps the instrumented start-up cost down.
for t in "${tests[@]}"; do
    echo "-- $t"
    "$dir/tests/$t"
done

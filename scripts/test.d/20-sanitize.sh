#!/usr/bin/env bash
# The whole unit suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
WAVORA_BUILD_DIR="$root/build-asan" WAVORA_BUILD_TYPE=Debug "$root/scripts/build.sh" -DWAVORA_SANITIZE=ON
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
ctest --test-dir "$root/build-asan" --output-on-failure -j "$(nproc)" --timeout 900

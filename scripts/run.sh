#!/usr/bin/env bash
# Sets up the machine, builds Wavora and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "$root/build/bin/wavora"

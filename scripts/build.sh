#!/bin/bash
# Configures and builds Varnelo into build/ (or the folder given as $1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Debug}" >/dev/null
cmake --build "$build" -j"$(nproc)"

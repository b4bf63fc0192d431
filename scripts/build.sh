#!/bin/bash
# Configures and builds Varnelo into the folder given as $1 (build/ when none), as the build
# type BUILD_TYPE says (Debug when unset). Targets after the folder build only those.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Debug}" >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"

#!/bin/bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"

#!/bin/bash
# Installs what is missing, builds the Debug build in build/, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
BUILD_TYPE=Debug "$root/scripts/build.sh" "$root/build"
cd "$root/build"
ctest --output-on-failure -j"$(nproc)"

#!/bin/bash
# Installs what is missing, builds the optimised program into build-release/ (only what
# running it needs), starts the local sandbox service (unless something already listens on
# port 3000) and starts the client, whose fresh profile talks to it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build-release"
BUILD_TYPE=Release "$root/scripts/build.sh" "$build" \
    varnelo varnelo-cli varnelo-sandbox varnelo_payform varnelo_phonenumbers skin_files
bin="$build/bin"

sandbox_pid=""
if ! (exec 3<>/dev/tcp/127.0.0.1/3000) 2>/dev/null; then
    "$bin/varnelo-sandbox" --listen 127.0.0.1:3000 --quiet &
    sandbox_pid=$!
    trap 'kill "$sandbox_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do
        (exec 3<>/dev/tcp/127.0.0.1/3000) 2>/dev/null && break
        sleep 0.1
    done
fi

"$bin/varnelo"

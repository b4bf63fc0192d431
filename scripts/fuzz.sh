#!/bin/sh
# Builds every libFuzzer harness (targets named fuzz_*) with clang in build-fuzz/ and runs
# each for SECONDS, with its own corpus in build-fuzz/corpus/NAME (seeded from
# tests/*/seeds/NAME when that exists). Fails when any harness finds a crash, leak or hang;
# the input that did it lands in build-fuzz/artifacts/NAME/.
#
#   scripts/fuzz.sh SECONDS [NAME...]
set -eu

if [ $# -lt 1 ] || ! [ "$1" -gt 0 ] 2>/dev/null; then
    echo "usage: $0 SECONDS [NAME...]" >&2
    exit 2
fi
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
jobs=${FUZZ_BUILD_JOBS:-2}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVARNELO_FUZZ=ON -DVARNELO_BENCH=OFF >/dev/null

if [ $# -gt 0 ]; then
    harnesses=$*
else
    # Qt's generated helper targets (NAME_autogen...) share the prefix but are no programs.
    harnesses=$(ninja -C "$build" -t targets all |
        sed -n 's/^\(fuzz_[A-Za-z0-9_]*\): phony$/\1/p' | grep -v '_autogen' | sort -u)
fi
if [ -z "$harnesses" ]; then
    echo "no fuzz_* targets found" >&2
    exit 1
fi

# shellcheck disable=SC2086
cmake --build "$build" -j "$jobs" --target $harnesses

failed=
for name in $harnesses; do
    corpus=$build/corpus/$name
    artifacts=$build/artifacts/$name
    mkdir -p "$corpus" "$artifacts"
    for seeds in "$root"/tests/*/seeds/"$name"; do
        [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    done
    binary=$(find "$build" -type f -name "$name" -perm -u+x | head -n 1)
    if [ -z "$binary" ]; then
        echo "== $name was not built" >&2
        failed="$failed $name"
        continue
    fi
    echo "== $name: $seconds s"
    if ! QT_QPA_PLATFORM=offscreen "$binary" "$corpus" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts/" -print_final_stats=1; then
        echo "== $name FAILED (see $artifacts)" >&2
        failed="$failed $name"
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing found problems in:$failed" >&2
    exit 1
fi
echo "all harnesses ran $seconds s without a finding"

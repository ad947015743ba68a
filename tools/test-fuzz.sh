#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a
# bounded time (FUZZ_SECONDS, default 60) on a scratch copy of its seed corpus,
# so the committed corpus does not grow. A crash, a leak, a sanitizer report,
# a broken invariant or too much memory fails the run; what triggered it is
# kept in build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
build=build-fuzz
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build"

# The export target writes pages for every input: a memory file system keeps
# that fast. The targets put their own scratch files under TMPDIR.
if [ -w /dev/shm ]; then
    scratch="$(mktemp -d -p /dev/shm harrowdeck-fuzz-run.XXXXXX)"
else
    scratch="$(mktemp -d)"
fi
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
mkdir -p "$build/crashes"

status=0
for target in export paramfile width; do
    corpus="$scratch/corpus-$target"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    log="$scratch/$target.log"
    echo "fuzz_$target: ${seconds} s"
    if ! "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=64 \
            -print_final_stats=1 -artifact_prefix="$PWD/$build/crashes/$target-" "$corpus" >"$log" 2>&1; then
        status=1
        echo "fuzz_$target FAILED:"
        tail -n 60 "$log"
    fi
    # The last status line holds the executions and the coverage reached.
    grep -E '^#[0-9]+' "$log" | tail -n 1 || true
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
done
exit "$status"

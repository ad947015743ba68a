#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs the whole test suite there. Any sanitizer report, in a
# test or in a program a test runs, fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-asan
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARROWDECK_HARDENING=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
cmake --build "$build"

# Reports go to files (and still fail the process), so that a report from a
# child process whose output a test swallows still fails the run.
logs="$PWD/$build/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$logs/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan"

# The .deb round trip packages the non-sanitized build and the browser
# check needs Chromium; neither says anything about our memory safety.
status=0
ctest --test-dir "$build" --output-on-failure -j2 -LE '^(package|e2e)$' || status=$?

if compgen -G "$logs/*" >/dev/null; then
    echo "Sanitizer reports:"
    cat "$logs"/*
    status=1
fi
exit "$status"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Harrowdeck into build/ and runs every test: the whole ctest suite,
# then the file layer's POSIX fallbacks, the Windows build's tests under
# wine, the sanitizer build and the fuzzers. This is what CI runs.
# With --quick: only the main build and ctest without the large, package and
# e2e tests; no Windows build, no sanitizer build, no fuzzing. With --format: only the check
# that every C++ file is formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
source tools/configure-build.sh

quick=0
case ${1:-} in
    "") ;;
    --quick) quick=1 ;;
    --format)
        ensure_packages clang-format
        exec bash tools/check-format.sh ;;
    *) echo "usage: $0 [--quick | --format]" >&2; exit 2 ;;
esac

ensure_packages $(read_package_list tools/packages-build.txt) $(read_package_list tools/packages-test.txt)
configure_and_build
if [ "$quick" -eq 1 ]; then
    ctest --test-dir build --output-on-failure -j2 -LE '^(large|package|e2e)$'
    exit 0
fi
ctest --test-dir build --output-on-failure -j2
bash tools/test-posix-fallbacks.sh
bash tools/test-windows.sh
bash tools/test-asan.sh
bash tools/test-fuzz.sh

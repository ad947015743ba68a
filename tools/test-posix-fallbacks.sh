#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the file layer with what POSIX.1-2008 offers in place of Linux's
# own calls (HARROWDECK_POSIX_FALLBACKS, what macOS and the BSDs get) into
# build-posix/, and runs the fileio and generator tests against it, so that
# those builds stay honest without a Mac. test.sh runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-posix -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARROWDECK_POSIX_FALLBACKS=ON \
    -DHARROWDECK_BUILD_GUI=OFF >/dev/null
cmake --build build-posix --target fileio_tests generator_tests
build-posix/tests/fileio/fileio_tests --gtest_brief=1
build-posix/tests/generator/generator_tests --gtest_brief=1

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows programs and their tests into build-windows/ and
# runs the tests under wine (ctest -L windows). One wineserver serves the
# whole run, in the build tree's own wine prefix, made once. The Linux
# build in build/ (which test.sh makes first) is what harrowdeck-make.exe
# is compared with. test.sh runs it, after installing what it needs
# (tools/packages-test.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/configure-build.sh

cmake --build build --target harrowdeck-make windows_differential
configure_windows_build -DHARROWDECK_BUILD_TESTS=ON -DHARROWDECK_LINUX_BUILD="$PWD/build"
cmake --build build-windows

prefix="$PWD/build-windows/wineprefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
# Up before the first program, so that wine's own services start once for
# the run, not once for each test. One that is up already serves as well.
wineserver --persistent </dev/null >/dev/null 2>&1 || true
trap 'wineserver --kill' EXIT
tools/wine-run.sh "$prefix" --prepare
ctest --test-dir build-windows --output-on-failure -j2 -L windows

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Harrowdeck into build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
source tools/configure-build.sh

ensure_packages $(read_package_list tools/packages-build.txt) $(read_package_list tools/packages-test.txt)
configure_and_build
ctest --test-dir build --output-on-failure -j2
bash tools/test-asan.sh
bash tools/test-fuzz.sh

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds what is needed and starts Harrowdeck. With arguments, runs the
# command-line tool harrowdeck-make with them instead.
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
source tools/configure-build.sh

ensure_packages $(read_package_list tools/packages-build.txt)
configure_and_build >&2
if [ $# -gt 0 ]; then
    exec build/src/cli/harrowdeck-make "$@"
fi
if [ -x build/src/app/harrowdeck ]; then
    exec build/src/app/harrowdeck
fi
exec build/src/cli/harrowdeck-make --help

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the browser check of the generated frameset.
# Usage: run-e2e.sh HARROWDECK_MAKE EXAMPLE_EXPORT NESTED_EXPORT
# Chromium and Node.js must be installed already (tools/packages-test.txt,
# which test.sh installs); this script installs nothing from Debian. It puts
# the pinned playwright-core into tests/e2e/node_modules when the lock file
# changed. It never skips: without a browser or Node.js the test fails and
# names the package that is missing.
set -euo pipefail
cd "$(dirname "$0")"

export HARROWDECK_MAKE=$1
export HARROWDECK_EXAMPLE=$2
export HARROWDECK_NESTED=$3
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}

missing() {
    echo "FAIL: $1 is missing: install the Debian package $2 (./test.sh installs it from tools/packages-test.txt)" >&2
    exit 1
}
[ -x "$CHROMIUM" ] || missing "the browser $CHROMIUM" chromium
command -v node >/dev/null || missing "Node.js (node)" nodejs

# The lock file pins playwright-core; reinstall only when it changed.
if ! cmp -s package-lock.json node_modules/.harrowdeck-lock 2>/dev/null; then
    command -v npm >/dev/null || missing "npm" npm
    npm ci --no-audit --no-fund
    cp package-lock.json node_modules/.harrowdeck-lock
fi

exec node --test frameset.test.mjs

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the browser check of the generated frameset.
# Usage: run-e2e.sh HARROWDECK_MAKE EXAMPLE_EXPORT
# Installs Debian's chromium (and Node.js) when missing, and the pinned
# playwright-core into tests/e2e/node_modules. It never skips: without a
# browser the test fails.
set -euo pipefail
cd "$(dirname "$0")"

export HARROWDECK_MAKE=$1
export HARROWDECK_EXAMPLE=$2
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}

apt_install() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing $*"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "$@"
}

if [ ! -x "$CHROMIUM" ]; then
    apt_install chromium
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    apt_install nodejs npm
fi
[ -x "$CHROMIUM" ] || { echo "FAIL: no browser at $CHROMIUM" >&2; exit 1; }

# The lock file pins playwright-core; reinstall only when it changed.
if ! cmp -s package-lock.json node_modules/.harrowdeck-lock 2>/dev/null; then
    npm ci --no-audit --no-fund
    cp package-lock.json node_modules/.harrowdeck-lock
fi

exec node --test frameset.test.mjs

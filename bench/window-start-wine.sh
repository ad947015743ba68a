#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times harrowdeck.exe from its start under wine to its main window mapped
# on the X screen (build/bench/map-wait), RUNS times (11 unless given), with
# one wineserver kept up for all, as a user's session has; prints each time
# and the median in milliseconds. Needs the Windows build (build-windows/)
# and DISPLAY (an Xvfb screen, say).
# usage: bench/window-start-wine.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
[ -n "${DISPLAY:-}" ] || { echo "$0: DISPLAY names no screen" >&2; exit 2; }
prefix=$PWD/build-windows/wineprefix
export WINEPREFIX=$prefix
wineserver --persistent </dev/null >/dev/null 2>&1 || true
tools/wine-run.sh "$prefix" --prepare
# A folder of its own, so that its settings are the defaults each time.
app=$(mktemp -d)
trap 'rm -rf "$app"' EXIT
cp build-windows/src/app/harrowdeck.exe "$app/"
times=()
for _ in $(seq "$runs"); do
    rm -f "$app/Harrowdeck.ini"
    times+=("$(build/bench/map-wait "Harrowdeck 1.1" tools/wine-run.sh "$prefix" "$app/harrowdeck.exe")")
done
echo "start to mapped (ms): ${times[*]}"
printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print "median: " t[int((NR + 1) / 2)] " ms" }'

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes docs/main-window-windows.png: harrowdeck.exe's main window under
# wine, in a wine desktop on an Xvfb screen (wine draws the windows' frames
# there, as Windows would), with example paths filled in.
# Usage: tools/screenshot-windows.sh   (after tools/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

exe=build-windows/src/app/harrowdeck.exe
[ -f "$exe" ] || { echo "$exe is missing: run tools/build-windows.sh first" >&2; exit 1; }
ensure_packages xvfb xdotool imagemagick wine64

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
prefix=$PWD/build-windows/wineprefix
trap cleanup EXIT

source tools/xvfb-screen.sh
start_screen "$work" 640x480x24 -dpi 96

mkdir "$work/app"
x86_64-w64-mingw32-strip -o "$work/app/harrowdeck.exe" "$exe"
# The window at 20, 20 pixels, with paths as a user's would be.
printf '%s\r\n' PATHS 'C:\Users\Public\Bookmarks\' 'C:\Users\Public\Documents\bookmarks.htm' \
    'C:\Users\Public\Documents\' bookmarks.htm POS ' 300 ' ' 300 ' DEF ' 25 ' ' 140 ' ' 1 ' ' 1 ' \
    >"$work/app/Harrowdeck.ini"
tools/wine-run.sh "$prefix" explorer /desktop=shot,480x340 "Z:${work//\//\\}\\app\\harrowdeck.exe" \
    >/dev/null 2>&1 &
for _ in $(seq 300); do
    xdotool search --onlyvisible --name '^shot - Wine desktop$' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 3
# The about window lies over the main window's middle: a click there gives
# it the keys, and Enter closes it.
xdotool mousemove 226 159 click 1
sleep 0.3
xdotool key Return
xdotool mousemove 479 339
sleep 1
# The desktop around the window goes.
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 480x340+0+0 +repage -bordercolor '#256f95' -border 1 -fuzz 10% -trim +repage \
    docs/main-window-windows.png
echo docs/main-window-windows.png

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the pictures of the README:
#   docs/main-window.png  the program's main window, on an Xvfb screen
#   docs/frameset.png     examples/bookmarks.htm converted and opened in
#                         headless Chromium
#   docs/frameset-tree.png  the same with --folders all: the index as a tree
# Usage: tools/screenshots.sh [BUILD_DIR]   (BUILD_DIR defaults to build;
# it must hold a finished build).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

build=${1:-build}
make_tool=$build/src/cli/harrowdeck-make
gui=$build/src/app/harrowdeck
for exe in "$make_tool" "$gui"; do
    [ -x "$exe" ] || { echo "$exe is missing: build first (./run.sh or cmake --build $build)" >&2; exit 1; }
done

ensure_packages chromium xvfb xauth xdotool x11-utils imagemagick
# ImageMagick's own import, whatever else is earlier on PATH.
import=/usr/bin/import

work=$(mktemp -d)
xvfb_pid=""
gui_pid=""
cleanup() {
    [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p docs "$work/pages" "$work/tree"

# A frameset as a browser shows it: shoot PAGES_DIR PICTURE
shoot() {
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
        --disable-background-networking --disable-component-update --no-first-run \
        --disable-sync --disable-quic --user-data-dir="$work/profile" \
        --window-size=760,240 --screenshot="$PWD/$2" "file://$1/Harrowdeck.html" 2>/dev/null
    echo "$2"
}

# The example converted, classic and with every folder.
"$make_tool" examples/bookmarks.htm "$work/pages"
shoot "$work/pages" docs/frameset.png
"$make_tool" --folders all examples/bookmarks.htm "$work/tree"
shoot "$work/tree" docs/frameset-tree.png

# The main window: a copy of the program in a folder of its own, so that its
# parameter file (read from beside the program) shows tidy example paths.
mkdir "$work/app"
cp "$gui" "$work/app/harrowdeck"
printf '%s\r\n' PATHS /home/user/bookmarks-html/ /home/user/bookmarks.htm /home/user bookmarks.htm \
    POS ' 0 ' ' 0 ' DEF ' 25 ' ' 140 ' ' 1 ' ' 1 ' >"$work/app/Harrowdeck.ini"

source tools/xvfb-screen.sh
start_screen "$work" 800x600x24

QT_QPA_PLATFORM=xcb "$work/app/harrowdeck" >/dev/null 2>&1 &
gui_pid=$!
main=$(timeout 20 xdotool search --sync --onlyvisible --name '^Harrowdeck 1\.1$' | head -n1)

# The about window comes up over the main window at start; its "Okej"
# button has the focus, so a space closes it.
sleep 1
about=$(xdotool search --onlyvisible --pid "$gui_pid" | grep -vx "$main" | head -n1 || true)
if [ -n "$about" ]; then
    xdotool windowfocus --sync "$about" key space
    sleep 1
fi
"$import" -window "$main" docs/main-window.png
echo "docs/main-window.png"

kill -TERM "$gui_pid"
wait "$gui_pid" || true
gui_pid=""

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the committed PNG icons from the SVG. Run by hand after editing
# the SVG (needs rsvg-convert from librsvg2-bin); the build only copies them.
set -euo pipefail
cd "$(dirname "$0")"
id=io.github.harrowdeck.Harrowdeck
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" "$id.svg" -o "$id-$size.png"
done

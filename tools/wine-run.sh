#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under wine: wine-run.sh PREFIX [--console] PROGRAM [ARG...]
# PREFIX is a wine prefix of the build tree's own, made on first use (once,
# whatever runs at the same time); wine-run.sh PREFIX --prepare makes it
# and starts wine's services, for a wineserver kept up for many programs. With --console the program gets a console, from a pseudo-terminal:
# wine gives one to a program only when it is started on a terminal, and the
# console tests need one.
set -euo pipefail
prefix=$1
shift
if [ "${1:-}" = --console ]; then
    shift
    exec script -qefc "$(printf '%q ' "$0" "$prefix" "$@")" /dev/null
fi

export WINEPREFIX="$prefix" WINEDEBUG=-all
# No Mono and no Gecko: the programs need neither, and asking for them
# would cost the prefix's creation half a minute. No winemenubuilder: a
# Start-menu shortcut made in the prefix must not become a menu entry of
# this machine's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Straight to the 64-bit loader: Debian's wine wrapper warns on every start
# that the 32-bit one is missing.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

# The registry reaches the disk only when wineserver saves it, so a mark of
# our own says that the prefix is complete.
ready="$prefix/.complete"
if [ ! -f "$ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            # Completes a prefix that an earlier start left half made.
            "$wine" wineboot --init >"$prefix.log" 2>&1
            touch "$ready"
        fi
    ) 9>"$prefix.lock"
fi
if [ "${1:-}" = --prepare ]; then
    # The first program that a wineserver serves starts wine's services,
    # which live as long as the server and keep the program's output open:
    # a test's would then never end for ctest. Started here, they hold the
    # log instead.
    "$wine" wineboot </dev/null >>"$prefix.log" 2>&1
    exit 0
fi
exec "$wine" "$@"

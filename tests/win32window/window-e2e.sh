#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# harrowdeck.exe end to end under wine, on an Xvfb screen of its own, driven
# by keys with xdotool and read back with window_probe.exe: the start-up and
# the about window, every control's place, the width fields' keys, a run in
# each folder mode whose pages are the Linux program's byte for byte, and
# the parameter file's round trip through closing and logging off.
# window-e2e.sh HARROWDECK_EXE PROBE_EXE WINE_RUN PREFIX LINUX_MAKE EXPORT COPYRIGHT
set -euo pipefail
exe=$1 probe=$2 wine_run=$3 prefix=$4 linux_make=$5 export_file=$6 copyright=$7

work=$(mktemp -d)
app_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    # For the one who looks into a failure: the screen as it was.
    if [ -n "${WINDOW_E2E_SCREENSHOT:-}" ]; then
        import -window root "$WINDOW_E2E_SCREENSHOT" || true
        xdotool search --onlyvisible --name '' getwindowname %@ >&2 || true
    fi
    exit 1
}

# A screen of its own: 96 dpi, nothing else on it, no window manager.
source "$(dirname "$0")/../../tools/xvfb-screen.sh"
start_screen "$work" 1280x1024x24 -dpi 96

# Windows' view of a Linux path: wine's drive Z: is the root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
probe() { "$wine_run" "$prefix" "$probe" "$@" | tr -d '\r'; }
# Waits up to 60 s for the top-level window named exactly $1.
window_named() {
    local id
    for _ in $(seq 600); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window named '$1'"
}
no_window_named() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window '$1' stays"
}
keys() { xdotool key --delay 60 "$@"; }
# Answers the message box captioned Harrowdeck, which must say $1, with
# Enter. The progress window has the same caption, so the box is told by
# its class; a key that wine dropped is given again while the same box
# stays.
answer_box() {
    local text="" box
    for _ in $(seq 150); do
        text=$(probe box) && break
        sleep 0.2
    done
    grep -Fqx -- "$1" <<<"$text" || fail "the box does not say '$1': $text"
    for _ in 1 2 3; do
        box=$(xdotool search --onlyvisible --name '^Harrowdeck$' | tail -n1)
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        keys Return
        for _ in $(seq 30); do
            xdotool search --onlyvisible --name '^Harrowdeck$' >/dev/null 2>&1 || return 0
            sleep 0.1
        done
        text=$(probe box) || return 0
        grep -Fqx -- "$1" <<<"$text" || return 0
    done
    fail "Enter does not close the box '$1'"
}
expect_state() {
    local state
    state=$(probe state)
    for want in "$@"; do
        grep -Fqx -- "$want" <<<"$state" || fail "expected $want in: $(tr '\n' ' ' <<<"$state")"
    done
}
start_program() {
    "$wine_run" "$prefix" "$work/app/harrowdeck.exe" >/dev/null 2>&1 &
    app_pid=$!
    main=$(window_named 'Harrowdeck 1\.1')
    # The about window over it, with the focus on "Okej".
    local about
    about=$(probe about)
    [ "$about" = "Harrowdeck 1.1
Copyright $copyright " ] || fail "the about window says: $about"
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$main" 2>/dev/null || true
        keys Return
        sleep 0.3
        probe about >/dev/null || return 0
    done
    fail "Enter does not close the about window"
}
stop_program() {
    probe "$1"
    for _ in $(seq 300); do
        kill -0 "$app_pid" 2>/dev/null || { wait "$app_pid" || true; app_pid=""; return 0; }
        sleep 0.1
    done
    fail "the program does not end after $1"
}
crlf() { printf '%s\r\n' "$@"; }

mkdir -p "$work/app" "$work/src" "$work/dest" "$work/linux-top" "$work/linux-all"
cp "$exe" "$work/app/harrowdeck.exe"
cp "$export_file" "$work/src/bookmarks.htm"
# Saved: both paths, the window at 2250, 1500 twips (150, 100 px), 30 % and
# 200 px, percent, full window, the classic pages.
crlf PATHS "$(winpath "$work/dest")\\" "$(winpath "$work/src/bookmarks.htm")" "$(winpath "$work/src")\\" \
    bookmarks.htm POS " 1500 " " 2250 " DEF " 30 " " 200 " " 1 " " 2 " FOLDERS " 1 " >"$work/app/Harrowdeck.ini"

echo "start-up: the saved choices, the saved place, the about window"
start_program
expect_state "txtProc=30" "txtPixel=200" "optProcent=1" "optPixel=0" "optFrame=0" "optWindow=1" "optNewWin=0" \
    "chkAllFolders=0" "txtDest=$(winpath "$work/dest")\\" "txtSource=$(winpath "$work/src/bookmarks.htm")"
read -r left top _ _ dpi < <(probe rect)
[ "$left $top $dpi" = "150 100 96" ] || fail "the window opens at $left, $top ($dpi dpi), not 150, 100"

echo "every control at its place, in tab order"
probe places || fail "controls out of place"

echo "the width fields: focus selects, digits only, Enter brings into range"
xdotool windowfocus --sync "$main" 2>/dev/null || true
# Command1 has the focus; Tab stops at the selected option button alone.
keys Tab Tab Tab Tab a 5 Return
keys Tab 7 x Return
expect_state "txtProc=10" "txtPixel=20"

echo "a run of the classic pages from the window"
keys Tab Tab Tab Tab Tab Return
answer_box "Shall you make a new Harrowdeck file ?"
answer_box "Harrowdeck.html is done!"
"$linux_make" --percent 10 --browse full "$work/src/bookmarks.htm" "$work/linux-top" >/dev/null
diff -r "$work/linux-top" "$work/dest" || fail "the window's classic pages differ from harrowdeck-make's"

echo "a run with every folder"
xdotool windowfocus --sync "$main" 2>/dev/null || true
keys shift+Tab space Tab Return
answer_box "Shall you make a new Harrowdeck file ?"
answer_box "Harrowdeck.html is done!"
"$linux_make" --percent 10 --browse full --folders all "$work/src/bookmarks.htm" "$work/linux-all" >/dev/null
diff -r "$work/linux-all" "$work/dest" || fail "the window's pages with every folder differ from harrowdeck-make's"

echo "closing saves the choices"
stop_program close
saved=$(cat -v "$work/app/Harrowdeck.ini")
want=$(crlf PATHS "$(winpath "$work/dest")\\" "$(winpath "$work/src/bookmarks.htm")" "$(winpath "$work/src")\\" \
    bookmarks.htm POS " 1500 " " 2250 " DEF " 10 " " 20 " " 1 " " 2 " FOLDERS " 2 " | cat -v)
[ "$saved" = "$want" ] || fail "the saved file: $saved"
cp "$work/app/Harrowdeck.ini" "$work/first.ini"

echo "the round trip: restored as saved, saved again unchanged when the session ends"
start_program
expect_state "txtProc=10" "txtPixel=20" "optProcent=1" "optWindow=1" "chkAllFolders=1"
stop_program endsession
cmp "$work/first.ini" "$work/app/Harrowdeck.ini" || fail "the file changed over a start and a logoff"
echo "all passed"

# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that need an X screen of their own.
# start_screen WORKDIR GEOMETRY [XVFB_ARGS...] starts Xvfb on a display that
# the server chooses itself (so that two scripts never collide), waits until
# it is up, sets xvfb_pid and exports DISPLAY. The caller kills xvfb_pid.
start_screen() {
    local work=$1 geometry=$2
    shift 2
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "$geometry" "$@" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$work/display")"
}

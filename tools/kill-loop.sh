#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kills harrowdeck-make at random moments while it replaces a complete set of
# pages, and checks after every kill that DEST holds one complete set, byte for
# byte the one it held before or the new one, and how many temporary files
# are left. After each SIGKILL a run that fails (its source is no export) must
# already leave one complete set and no temporary file, before a normal run
# puts the other set in place. Not a test: a measurement for the
# all-or-nothing promise.
#
# Usage: tools/kill-loop.sh [TERM_RUNS [KILL_RUNS [FOLDERS [LINKS]]]]
#   TERM_RUNS  runs ended by SIGTERM (default 150)
#   KILL_RUNS  runs ended by SIGKILL, each followed by a normal run (default 30)
#   FOLDERS, LINKS  the size of the export (default 20000 folders of 50 links)
# Works under $KILL_LOOP_DIR (default /dev/shm/harrowdeck-kill-loop), which it
# removes at the end; needs a built build/ (cmake --build build). TOOL times
# another build of harrowdeck-make, such as an older one to compare with.
set -euo pipefail
cd "$(dirname "$0")/.."

term_runs=${1:-150}
kill_runs=${2:-30}
folders=${3:-20000}
links=${4:-50}
tool=${TOOL:-build/src/cli/harrowdeck-make}
work=${KILL_LOOP_DIR:-/dev/shm/harrowdeck-kill-loop}
[ -x "$tool" ] && [ -x build/bench/make-export ] || { echo "build harrowdeck-make and make-export first" >&2; exit 2; }

rm -rf "$work"
mkdir -p "$work/ref-a" "$work/ref-b" "$work/dest"
trap 'rm -rf "$work"' EXIT
# Two exports whose sets differ in every page: one link more per folder.
build/bench/make-export "$work/a.htm" "$folders" "$links"
build/bench/make-export "$work/b.htm" "$folders" "$((links + 1))"
echo "not an export" >"$work/none.htm"
"$tool" "$work/a.htm" "$work/ref-a" >/dev/null
"$tool" "$work/b.htm" "$work/ref-b" >/dev/null
"$tool" "$work/a.htm" "$work/dest" >/dev/null
held=a

# A whole run's time, so that the kills spread over all of it and a little
# beyond (late kills find the run done).
start=$(date +%s%N)
"$tool" "$work/b.htm" "$work/ref-b" >/dev/null
run_ns=$(($(date +%s%N) - start))

temporaries() { find "$work/dest" -maxdepth 1 -name '.harrowdeck-*' | wc -l; }

# Which complete set DEST holds, temporary files aside: a, b or mixed.
set_held() {
    local name
    for name in a b; do
        if cmp -s "$work/dest/dir.html" "$work/ref-$name/dir.html" &&
            diff -rq -x '.harrowdeck-*' "$work/dest" "$work/ref-$name" >/dev/null; then
            echo "$name"
            return
        fi
    done
    echo mixed
}

random_delay() {
    local ns=$((RANDOM * 32768 + RANDOM))
    ns=$((ns % (run_ns * 11 / 10)))
    printf '%d.%09d' $((ns / 1000000000)) $((ns % 1000000000))
}

# Runs the export DEST does not hold, signals it after a random delay and
# prints "status set temporaries".
killed_run() {
    local signal=$1 other=b status
    [ "$held" = b ] && other=a
    "$tool" "$work/$other.htm" "$work/dest" >/dev/null 2>"$work/err" &
    local pid=$!
    sleep "$(random_delay)"
    kill "-$signal" "$pid" 2>/dev/null || true
    status=0
    wait "$pid" || status=$?
    echo "$status $(set_held) $(temporaries) $other"
}

declare -A count
note() { count[$1]=$((${count[$1]:-0} + 1)); }

for ((i = 1; i <= term_runs; i++)); do
    read -r status set temps other < <(killed_run TERM)
    note "term status $status"
    # The exit status must say which set DEST holds.
    if { [ "$status" = 143 ] && [ "$set" = "$held" ]; } || { [ "$status" = 0 ] && [ "$set" = "$other" ]; }; then
        note "term consistent"
    else
        note "term INCONSISTENT"
        echo "SIGTERM run $i: status $status, DEST holds $set, had $held" >&2
    fi
    [ "$temps" = 0 ] || note "term runs leaving temporary files"
    [ "$set" = mixed ] || held=$set
    if [ "$status" = 143 ] && [ "$(cat "$work/err")" != "harrowdeck-make: interrupted" ]; then
        note "term wrong message"
    fi
done

for ((i = 1; i <= kill_runs; i++)); do
    read -r status set temps other < <(killed_run KILL)
    note "kill status $status"
    note "kill set $set"
    [ "$temps" = 0 ] || note "kill runs leaving temporary files"
    # A run that fails at the header check first completes what the killed
    # run left, and sweeps its temporary files.
    if "$tool" "$work/none.htm" "$work/dest" >/dev/null 2>&1; then
        note "kill failing run SUCCEEDED"
    fi
    set=$(set_held)
    if [ "$set" != mixed ] && [ "$(temporaries)" = 0 ]; then
        note "kill failing next run leaves a whole set, clean"
    else
        note "kill failing next run leaves $set, $(temporaries) temporary files"
    fi
    # A normal run afterwards puts the other whole set in place.
    next=a
    [ "$set" = a ] && next=b
    if "$tool" "$work/$next.htm" "$work/dest" >/dev/null && [ "$(set_held)" = "$next" ] &&
        [ "$(temporaries)" = 0 ]; then
        note "kill next run complete and clean"
    else
        note "kill next run NOT clean"
    fi
    held=$next
done

echo "export: $folders folders of $links links ($(stat -c %s "$work/a.htm") bytes), a whole run $((run_ns / 1000000)) ms"
for key in "${!count[@]}"; do
    echo "$key: ${count[$key]}"
done | sort

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a run from the main window against harrowdeck-make on the same
# export, in pairs, one right after the other: the window's run from the
# answer to its question to the completion box on the screen
# (build/bench/gui-run), the tool's as a whole process. Prints the medians
# and the median of the per-pair ratios.
#
# usage: bench/window-run.sh [--pairs N] [--folders top|all] [FOLDERS [LINKS]]
# DISPLAY chooses the screen (an Xvfb one, say); without it the window runs
# offscreen. WORK_DIR names where the runs write (default a tmpfs directory).
set -euo pipefail
cd "$(dirname "$0")/.."

pairs=7
folder_mode=top
while [ $# -gt 0 ]; do
    case $1 in
        --pairs) pairs=$2; shift 2 ;;
        --folders) folder_mode=$2; shift 2 ;;
        -*) echo "usage: $0 [--pairs N] [--folders top|all] [FOLDERS [LINKS]]" >&2; exit 2 ;;
        *) break ;;
    esac
done
folders=${1:-20000}
links=${2:-50}
work=${WORK_DIR:-/dev/shm/harrowdeck-window-bench}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target harrowdeck-make make-export gui-run >/dev/null
mkdir -p "$work"
source=$work/export-$folders-$links.htm
[ -f "$source" ] || build/bench/make-export "$source" "$folders" "$links"
tool_args=()
gui_args=()
[ "$folder_mode" = top ] || { tool_args=(--folders "$folder_mode"); gui_args=(all); }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fresh() { rm -rf "$work/out"; mkdir -p "$work/out"; }

results=$(mktemp)
for ((i = 1; i <= pairs; i++)); do
    fresh
    start=$(date +%s.%N)
    build/src/cli/harrowdeck-make "${tool_args[@]}" "$source" "$work/out" >/dev/null
    tool=$(echo "$(date +%s.%N) - $start" | bc)
    fresh
    window=$(build/bench/gui-run "$source" "$work/out/" "${gui_args[@]}" 2>/dev/null)
    echo "$tool $window" >>"$results"
done
printf '%s, %d pairs: harrowdeck-make %.3f s, window %.3f s, ratio %.2f x (median of pairs)\n' \
    "$(basename "$source") --folders $folder_mode" "$pairs" \
    "$(awk '{ print $1 }' "$results" | median)" "$(awk '{ print $2 }' "$results" | median)" \
    "$(awk '{ print $2 / $1 }' "$results" | median)"
rm -rf "$results" "$work/out"

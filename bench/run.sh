#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times harrowdeck-make against the safe I/O floor: a program that reads the
# same export in 1 MiB reads and writes the same page files, each under a
# temporary name renamed over its target, without parsing anything. The two
# run in pairs, one right after the other, on tmpfs and on the disk; the
# table gives medians, so that a noisy machine does not decide the result.
#
# usage: bench/run.sh [--pairs N] [--folders top|all] [--nest-every N]
#                     [--undeclared] [--only tmpfs|disk] [FOLDERS [LINKS_PER_FOLDER]]
# --nest-every gives how often a folder holds a nested one (make-export's
# option: 5 by default, 1 for every folder); --undeclared makes an export
# that does not declare its encoding, which is read once more to find it;
# --only skips the other place.
# FLOOR_SOURCE names the floor's C source (default ../shared/bench/floor.c);
# DISK_DIR and TMPFS_DIR name where the runs write (defaults bench/work and
# /dev/shm/harrowdeck-bench); TOOL times another build of harrowdeck-make,
# such as an older one to compare with.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: $0 [--pairs N] [--folders top|all] [--nest-every N] [--undeclared] [--only tmpfs|disk] [FOLDERS [LINKS]]" >&2
    exit 2
}
pairs=5
folder_mode=top
nest_every=5
declaration=()
places="tmpfs disk"
while [ $# -gt 0 ]; do
    case $1 in
        --pairs) pairs=$2; shift 2 ;;
        --folders) folder_mode=$2; shift 2 ;;
        --nest-every) nest_every=$2; shift 2 ;;
        --undeclared) declaration=(--undeclared); shift ;;
        --only)
            case ${2:-} in tmpfs | disk) places=$2 ;; *) usage ;; esac
            shift 2 ;;
        -*) usage ;;
        *) break ;;
    esac
done
folders=${1:-20000}
links=${2:-50}
floor_source=${FLOOR_SOURCE:-../shared/bench/floor.c}
disk_dir=${DISK_DIR:-bench/work}
tmpfs_dir=${TMPFS_DIR:-/dev/shm/harrowdeck-bench}

source tools/packages.sh
ensure_packages time
[ -f "$floor_source" ] || { echo "$0: the floor's source $floor_source is missing (set FLOOR_SOURCE)" >&2; exit 1; }
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target harrowdeck-make make-export read-rate >/dev/null
tool=${TOOL:-$PWD/build/src/cli/harrowdeck-make}
# The classic mode needs no option, so that older builds can be timed too.
tool_args=()
[ "$folder_mode" = top ] || tool_args=(--folders "$folder_mode")
floor=$PWD/build/bench/floor
cc -O2 -o "$floor" "$floor_source"

# One timed command: prints "wall user sys peak-KiB".
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -f '%e %U %S %M' -o "$log" "$@" >/dev/null
    cat "$log"
    rm -f "$log"
}

fresh_dir() { rm -rf "$1"; mkdir -p "$1"; sync; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs the pairs in one place and prints one row of the table.
bench_in() {
    local label=$1 place=$2
    local source=$place/$export_name
    mkdir -p "$place"
    [ -f "$source" ] || build/bench/make-export --nest-every "$nest_every" "${declaration[@]}" "$source" "$folders" "$links"
    local bytes
    bytes=$(stat -c %s "$source")
    # The export is kept for the next run; the pages go into a directory of
    # this run's own, so that two runs sharing a place do not mix theirs.
    local work
    work=$(mktemp -d "$place/run.XXXXXX")
    mkdir "$work/ref"
    "$tool" "${tool_args[@]}" "$source" "$work/ref" >/dev/null
    local pages
    pages=$(find "$work/ref" -name '*.html' | wc -l)

    local results=$work/results
    : >"$results"
    for ((i = 1; i <= pairs; i++)); do
        fresh_dir "$work/out"
        read -r tool_wall tool_user tool_sys tool_rss < <(measure "$tool" "${tool_args[@]}" "$source" "$work/out")
        fresh_dir "$work/out"
        read -r floor_wall floor_user floor_sys floor_rss < <(measure "$floor" --rename "$source" "$work/ref" "$work/out")
        echo "$tool_wall $tool_user $tool_sys $tool_rss $floor_wall $floor_user $floor_sys" >>"$results"
    done

    local col
    col() { awk -v c="$1" '{ print $c }' "$results" | median; }
    local ratio cpu_ratio
    ratio=$(awk '{ print $1 / ($5 > 0 ? $5 : 1e-9) }' "$results" | median)
    # Processor time (user and system) is less at the mercy of other work on
    # a shared machine than the elapsed time, so its ratio is shown too.
    cpu_ratio=$(awk '{ c = $6 + $7; print ($2 + $3) / (c > 0 ? c : 1e-9) }' "$results" | median)
    printf '| %s | %d | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.2f x | %.2f x | %.0f MB/s | %.1f MiB |\n' \
        "$label" "$pairs" "$(col 1)" "$(col 5)" "$(col 2)" "$(col 6)" "$(col 3)" "$(col 7)" "$ratio" "$cpu_ratio" \
        "$(awk -v b="$bytes" -v u="$(col 2)" 'BEGIN { print b / 1e6 / (u > 0 ? u : 1e-9) }')" \
        "$(awk -v k="$(col 4)" 'BEGIN { print k / 1024 }')"
    echo "$label: $(awk -v b="$bytes" 'BEGIN { printf "%.1f MB", b / 1e6 }'), $pages pages" >>"$summary"
    rm -rf "$work"
}

# The nesting is part of the name, so that a kept export is reused only for
# the same shape.
export_name=export-$folders-$links-nest$nest_every${declaration:+-undeclared}.htm
summary=$(mktemp)
echo "harrowdeck-make --folders $folder_mode on $folders folders of $links links, nested every $nest_every," \
    "${declaration:+not }declaring UTF-8, $pairs pairs; medians"
echo
echo '| where | pairs | tool s | floor s | tool user s | floor user s | tool sys s | floor sys s | ratio (median of pairs) | CPU ratio (median of pairs) | tool user-CPU rate | tool peak RSS |'
echo '|---|---|---|---|---|---|---|---|---|---|---|---|'
for where in $places; do
    case $where in
        tmpfs) bench_in tmpfs "$tmpfs_dir" ;;
        disk) bench_in disk "$disk_dir" ;;
    esac
done
echo
cat "$summary"
rm -f "$summary"
# read-rate is built from this tree, so it says nothing about another TOOL.
if [ -z "${TOOL:-}" ]; then
    for where in $places; do
        if [ "$where" = tmpfs ]; then
            build/bench/read-rate "${tool_args[@]}" "$tmpfs_dir/$export_name" 7
        fi
    done
fi

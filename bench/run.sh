#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times harrowdeck-make on a large synthetic export and compares it with the
# I/O floor: splitting the same file into as many files on the same file
# system. Usage: bench/run.sh [FOLDERS [LINKS_PER_FOLDER]]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages time
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target harrowdeck-make make-export >/dev/null

folders=${1:-20000}
links=${2:-50}
data=bench/data
out=bench/out
mkdir -p "$data"
source_file="$data/export-$folders-$links.htm"
[ -f "$source_file" ] || build/bench/make-export "$source_file" "$folders" "$links"
bytes=$(stat -c %s "$source_file")

# Runs a command under /usr/bin/time -v; prints "seconds peak-kib".
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" >/dev/null 2>"$log"
    local wall rss
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log" |
        awk -F: '{ if (NF == 3) print $1*3600 + $2*60 + $3; else print $1*60 + $2 }')
    rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
    rm -f "$log"
    echo "$wall $rss"
}

fresh_dir() { rm -rf "$1"; mkdir -p "$1"; sync; }

fresh_dir "$out/run"
read -r run_wall run_rss < <(measure build/src/cli/harrowdeck-make "$source_file" "$out/run")
pages=$(find "$out/run" -name '[0-9]*.html' | wc -l)

fresh_dir "$out/floor"
read -r floor_wall floor_rss < <(measure split -n "$pages" "$source_file" "$out/floor/part-")

mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
printf 'input:            %s (%s MB, %s folders x %s links)\n' "$source_file" "$mb" "$folders" "$links"
printf 'harrowdeck-make:  %.2f s, %.1f MB/s, peak RSS %.1f MiB, %s pages\n' \
    "$run_wall" "$(awk -v b="$bytes" -v t="$run_wall" 'BEGIN { print b / 1e6 / (t > 0 ? t : 1e-9) }')" \
    "$(awk -v k="$run_rss" 'BEGIN { print k / 1024 }')" "$pages"
printf 'I/O floor (split): %.2f s, %.1f MB/s, peak RSS %.1f MiB\n' \
    "$floor_wall" "$(awk -v b="$bytes" -v t="$floor_wall" 'BEGIN { print b / 1e6 / (t > 0 ? t : 1e-9) }')" \
    "$(awk -v k="$floor_rss" 'BEGIN { print k / 1024 }')"
printf 'ratio:            %.2f x the floor\n' "$(awk -v a="$run_wall" -v b="$floor_wall" 'BEGIN { print a / (b > 0 ? b : 1e-9) }')"
rm -rf "$out"

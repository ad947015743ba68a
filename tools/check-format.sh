#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ source file of the project is not formatted as
# .clang-format says, and names each such file. With --fix, formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "$0: clang-format is missing" >&2; exit 1; }
fix=0
[ "${1:-}" = --fix ] && fix=1

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
    mapfile -t files < <(find src tests bench -name '*.cpp' -o -name '*.h')
fi
if [ "$fix" -eq 1 ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
# One call for every file; its complaints name the files.
mapfile -t bad < <(clang-format --dry-run --Werror "${files[@]}" 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
    echo "Not formatted as .clang-format says (fix with tools/check-format.sh --fix):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "${#files[@]} files formatted"

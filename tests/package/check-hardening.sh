#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks with readelf that a built program carries the hardening that
# Debian's build flags give: full RELRO (a GNU_RELRO segment and BIND_NOW),
# a position-independent executable, and fortified calls (__*_chk). A
# program after --no-chk need not call a fortified function: the compiler
# makes a __*_chk call only where it cannot prove the size of the buffer
# (harrowdeck-make has one in some builds and none in others, see
# packaging/LintianOverrides.cmake).
# Usage: check-hardening.sh PROGRAM... [--no-chk PROGRAM...]
set -euo pipefail

command -v readelf >/dev/null || { echo "FAIL: readelf is missing (Debian package binutils)" >&2; exit 1; }

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

want_chk=1
for program in "$@"; do
    if [ "$program" = "--no-chk" ]; then
        want_chk=0
        continue
    fi
    name=$(basename "$program")
    header=$(readelf -W -h "$program")
    segments=$(readelf -W -l "$program")
    dynamic=$(readelf -W -d "$program")
    symbols=$(readelf -W --dyn-syms "$program")

    grep -Eq '^\s*Type:\s+DYN ' <<<"$header" || fail "$name is not position-independent (ELF type is not DYN)"
    grep -Eq '\(FLAGS_1\).*\bPIE\b' <<<"$dynamic" || fail "$name has no PIE flag in FLAGS_1"
    grep -Eq '^\s*GNU_RELRO\b' <<<"$segments" || fail "$name has no GNU_RELRO segment"
    grep -Eq '\(FLAGS\).*\bBIND_NOW\b|\(BIND_NOW\)' <<<"$dynamic" || fail "$name is not linked with -z now (no BIND_NOW)"
    # __stack_chk_fail is the stack protector's, not a fortified function.
    checked=$(grep -Eo '\b__[A-Za-z0-9_]+_chk\b' <<<"$symbols" | grep -v '^__stack_chk' | sort -u | tr '\n' ' ' || true)
    if [ "$want_chk" -eq 1 ] && [ -z "$checked" ]; then
        fail "$name calls no fortified function (no __*_chk symbol)"
    fi
    grep -q '\b__stack_chk_fail\b' <<<"$symbols" || echo "note: $name has no __stack_chk_fail (no function needed a stack protector)"

    echo "$name: DYN, $(grep -Eo '\(FLAGS_1\).*' <<<"$dynamic" | sed -E 's/\s+/ /g'), $(grep -Eo '\(FLAGS\).*' <<<"$dynamic" | sed -E 's/\s+/ /g'), GNU_RELRO; fortified: ${checked:-none}"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures hardening check(s) failed" >&2
    exit 1
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and checks that the tree holds
# what a desktop installation needs, at the GNUInstallDirs places.
# Usage: check-install-tree.sh BUILD_DIR APP_ID [--with-gui]
set -euo pipefail

build_dir=$1
app_id=$2
with_gui=${3:-}

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

expected=(
    "bin/harrowdeck-make"
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$app_id.svg"
    "share/icons/hicolor/48x48/apps/$app_id.png"
    "share/icons/hicolor/128x128/apps/$app_id.png"
    "share/icons/hicolor/256x256/apps/$app_id.png"
    "share/man/man1/harrowdeck.1.gz"
    "share/man/man1/harrowdeck-make.1.gz"
    "share/doc/harrowdeck/copyright"
    "share/doc/harrowdeck/changelog.gz"
)
[ "$with_gui" = "--with-gui" ] && expected+=("bin/harrowdeck")

for path in "${expected[@]}"; do
    [ -f "$prefix/$path" ] || fail "$path is not installed"
done

for exe in bin/harrowdeck-make bin/harrowdeck; do
    [ -e "$prefix/$exe" ] || continue
    [ -x "$prefix/$exe" ] || fail "$exe is not executable"
done

# Only programs and data belong in the package: no headers, static
# libraries or test binaries.
extra=$(cd "$prefix" && find . -type f ! -path './bin/*' ! -path './share/*')
[ -z "$extra" ] || fail "unexpected files installed: $extra"
bins=$(cd "$prefix/bin" && ls)
for b in $bins; do
    case $b in
        harrowdeck|harrowdeck-make) ;;
        *) fail "unexpected program bin/$b" ;;
    esac
done

# The lintian overrides are there only when the build needs one, and then
# each names a program that is installed.
overrides="$prefix/share/lintian/overrides/harrowdeck"
if [ -f "$overrides" ]; then
    for program in $(grep -o '\[usr/bin/[^]]*\]' "$overrides" | tr -d '[]'); do
        [ -f "$prefix/bin/${program#usr/bin/}" ] || fail "$overrides names $program, which is not installed"
    done
fi

# The installed tool runs from the prefix.
if [ -x "$prefix/bin/harrowdeck-make" ]; then
    version=$("$prefix/bin/harrowdeck-make" --version) || fail "harrowdeck-make --version failed"
    [ "$version" = "harrowdeck-make (Harrowdeck) 1.1" ] || fail "harrowdeck-make --version printed '$version'"
fi

# The desktop entry must point at the installed program and icon.
desktop="$prefix/share/applications/$app_id.desktop"
if [ -f "$desktop" ]; then
    grep -qx "Exec=harrowdeck" "$desktop" || fail "desktop entry does not start harrowdeck"
    grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry icon is not $app_id"
fi

# PNG width and height are big-endian words at bytes 16..23 of the IHDR chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}
for size in 48 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ -f "$png" ] || continue
    actual=$(png_size "$png")
    [ "$actual" = "${size}x${size}" ] || fail "$png is $actual, not ${size}x${size}"
done

for page in harrowdeck harrowdeck-make; do
    gz="$prefix/share/man/man1/$page.1.gz"
    [ -f "$gz" ] || continue
    gzip -dc "$gz" | grep -q "^\.TH ${page^^} 1" || fail "$gz is not the man page of $page"
done

# The copyright file is in the machine-readable format, and the changelog
# is a Debian changelog of this version, compressed without a name or time.
copyright="$prefix/share/doc/harrowdeck/copyright"
if [ -f "$copyright" ]; then
    head -n1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
        || fail "$copyright is not in the machine-readable format"
    grep -qx "Files: \*" "$copyright" || fail "$copyright has no 'Files: *' stanza"
    grep -qx "License: GPL-3+" "$copyright" || fail "$copyright does not give the licence GPL-3+"
fi
changelog="$prefix/share/doc/harrowdeck/changelog.gz"
if [ -f "$changelog" ]; then
    gzip -dc "$changelog" | head -n1 | grep -q "^harrowdeck (1\.1\.0) " || fail "$changelog does not start with version 1.1.0"
    # gzip -9n: no name flag (byte 3, bit 3), no time (bytes 4..7), and the
    # extra flags (byte 8) say "best compression".
    header=$(od -An -tu1 -N9 "$changelog" | tr -s ' ')
    [ "$header" = " 31 139 8 0 0 0 0 0 2" ] || fail "$changelog is not compressed with gzip -9n (header:$header)"
fi

# AppStream's own tree check ties the metainfo, the desktop entry and the icon together.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree rejected the tree"
else
    fail "appstreamcli is missing (Debian package appstream)"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of the installed tree failed" >&2
    exit 1
fi
echo "install tree OK: ${#expected[@]} files"

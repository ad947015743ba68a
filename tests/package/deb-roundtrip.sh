#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack, installs it into this machine, checks
# that both programs work from /usr/bin, and removes the package again,
# whatever happened.
# Usage: deb-roundtrip.sh BUILD_DIR EXAMPLE_EXPORT
set -euo pipefail

build_dir=$(cd "$1" && pwd)
example=$2
package=harrowdeck

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

work=$(mktemp -d)
gui_pid=""
cleanup() {
    [ -n "$gui_pid" ] && kill -KILL "$gui_pid" 2>/dev/null || true
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        $sudo dpkg -r "$package" >/dev/null || echo "could not remove $package" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT

step() { echo "== $*"; }
die() { echo "FAIL: $*" >&2; exit 1; }

step "cpack -G DEB"
(cd "$build_dir" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; die "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name "${package}_*.deb" | head -n1)
[ -n "$deb" ] || die "cpack made no ${package}_*.deb"
echo "$deb"

# The dependencies must come from dpkg-shlibdeps, so the Qt and C libraries
# the programs link against appear there.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libstdc++6 libqt6widgets6; do
    grep -q "\b$lib\b" <<<"$depends" || die "Depends lacks $lib"
done
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/harrowdeck ./usr/bin/harrowdeck-make \
            ./usr/share/applications/io.github.harrowdeck.Harrowdeck.desktop; do
    grep -q " $path\$" <<<"$contents" || die "package lacks $path"
done

step "dpkg -i"
$sudo dpkg -i "$deb" >/dev/null

step "/usr/bin/harrowdeck-make"
version=$(/usr/bin/harrowdeck-make --version)
[ "$version" = "harrowdeck-make (Harrowdeck) 1.1" ] || die "--version printed '$version'"
mkdir "$work/pages"
/usr/bin/harrowdeck-make "$example" "$work/pages" || die "the installed harrowdeck-make could not convert $example"
[ -f "$work/pages/Harrowdeck.html" ] || die "the installed harrowdeck-make wrote no Harrowdeck.html"

step "/usr/bin/harrowdeck under QT_QPA_PLATFORM=offscreen"
home="$work/home"
mkdir "$home"
(
    cd "$work"
    unset XDG_CONFIG_HOME
    exec env HOME="$home" QT_QPA_PLATFORM=offscreen /usr/bin/harrowdeck
) >"$work/gui.log" 2>&1 &
gui_pid=$!

# The program is up once Qt has loaded its offscreen platform plugin and the
# process is still running a moment later (it then sits in its about window).
up=0
for _ in $(seq 1 100); do
    kill -0 "$gui_pid" 2>/dev/null || break
    if grep -q libqoffscreen "/proc/$gui_pid/maps" 2>/dev/null; then
        up=1
        break
    fi
    sleep 0.1
done
[ "$up" -eq 1 ] || { cat "$work/gui.log" >&2; die "harrowdeck did not start"; }
sleep 1
kill -0 "$gui_pid" 2>/dev/null || { cat "$work/gui.log" >&2; die "harrowdeck ended on its own"; }

kill -TERM "$gui_pid"
status=""
for _ in $(seq 1 100); do
    if ! kill -0 "$gui_pid" 2>/dev/null; then
        set +e
        wait "$gui_pid"
        status=$?
        set -e
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || die "harrowdeck did not end within 10 s of SIGTERM"
gui_pid=""
cat "$work/gui.log"
[ "$status" -eq 0 ] || die "harrowdeck exited with $status after SIGTERM"

# /usr/bin is not the user's to write to, so the installed program keeps its
# parameter file in the per-user configuration directory.
ini="$home/.config/Harrowdeck/Harrowdeck.ini"
[ -f "$ini" ] || die "no parameter file at $ini"
head -n1 "$ini" | grep -q "^PATHS" || die "$ini does not start with PATHS"
[ ! -e /usr/bin/Harrowdeck.ini ] || die "the installed program wrote /usr/bin/Harrowdeck.ini"

step "dpkg -r"
$sudo dpkg -r "$package" >/dev/null
[ ! -e /usr/bin/harrowdeck-make ] || die "/usr/bin/harrowdeck-make is left after dpkg -r"
[ ! -e /usr/bin/harrowdeck ] || die "/usr/bin/harrowdeck is left after dpkg -r"
echo "package round trip OK"

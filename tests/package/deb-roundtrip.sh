#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with CPack, checks it with lintian, and installs
# it into a throwaway root, never into this machine: an overlay of / with its
# upper directory on a tmpfs, in a private mount namespace, entered with
# chroot, with /proc and /dev bound in. Inside that root it checks that both
# programs work from /usr/bin and removes the package again. Everything the
# round trip wrote goes when the namespace ends; afterwards the script checks
# that the machine's package database says nothing new about this package
# (other programs may install their own meanwhile).
# Usage: deb-roundtrip.sh BUILD_DIR EXAMPLE_EXPORT
# (It calls itself with --namespace and, inside the chroot, with --in-root.)
set -euo pipefail

package=harrowdeck
step() { echo "== $*"; }
die() { echo "FAIL: $*" >&2; exit 1; }

# ---------------------------------------------------------------------------
# Inside the throwaway root: install, run both programs, remove.
# Usage: deb-roundtrip.sh --in-root DEB EXAMPLE_EXPORT
in_root() {
    local deb=$1 example=$2
    local work
    work=$(mktemp -d)
    gui_pid=""
    trap '[ -n "$gui_pid" ] && kill -KILL "$gui_pid" 2>/dev/null || true' EXIT

    step "dpkg -i (in the throwaway root)"
    dpkg -i "$deb" >/dev/null
    for doc in copyright changelog.gz; do
        [ -f "/usr/share/doc/$package/$doc" ] || die "dpkg -i did not install /usr/share/doc/$package/$doc"
    done

    step "/usr/bin/harrowdeck-make"
    local version
    version=$(/usr/bin/harrowdeck-make --version)
    [ "$version" = "harrowdeck-make (Harrowdeck) 1.1" ] || die "--version printed '$version'"
    mkdir "$work/pages"
    /usr/bin/harrowdeck-make "$example" "$work/pages" || die "the installed harrowdeck-make could not convert $example"
    [ -f "$work/pages/Harrowdeck.html" ] || die "the installed harrowdeck-make wrote no Harrowdeck.html"

    step "/usr/bin/harrowdeck under QT_QPA_PLATFORM=offscreen"
    local home="$work/home"
    mkdir "$home"
    (
        cd "$work"
        unset XDG_CONFIG_HOME
        exec env HOME="$home" QT_QPA_PLATFORM=offscreen /usr/bin/harrowdeck
    ) >"$work/gui.log" 2>&1 &
    gui_pid=$!

    # The program is up once Qt has loaded its offscreen platform plugin and
    # the process is still running a moment later (it then sits in its about
    # window).
    local up=0
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
    local status=""
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

    # /usr/bin is not the user's to write to, so the installed program keeps
    # its parameter file in the per-user configuration directory.
    local ini="$home/.config/Harrowdeck/Harrowdeck.ini"
    [ -f "$ini" ] || die "no parameter file at $ini"
    head -n1 "$ini" | grep -q "^PATHS" || die "$ini does not start with PATHS"
    [ ! -e /usr/bin/Harrowdeck.ini ] || die "the installed program wrote /usr/bin/Harrowdeck.ini"

    step "dpkg -r (in the throwaway root)"
    dpkg -r "$package" >/dev/null
    [ ! -e /usr/bin/harrowdeck-make ] || die "/usr/bin/harrowdeck-make is left after dpkg -r"
    [ ! -e /usr/bin/harrowdeck ] || die "/usr/bin/harrowdeck is left after dpkg -r"
    echo "package round trip OK"
}

# ---------------------------------------------------------------------------
# In the private mount namespace: build the throwaway root and chroot into it.
# Usage: deb-roundtrip.sh --namespace SCRATCH DEB EXAMPLE_EXPORT
in_namespace() {
    local scratch=$1 deb=$2 example=$3
    # Nothing mounted here may show outside, whatever unshare's default.
    mount --make-rprivate /

    # The overlay takes only the file system mounted at /; the package goes
    # to places that must all be on it.
    local dir
    for dir in /usr /var /etc /opt; do
        if [ -d "$dir" ] && mountpoint -q "$dir"; then
            die "$dir is a file system of its own, which the overlay of / would not cover"
        fi
    done

    mount -t tmpfs -o mode=0755 harrowdeck-roundtrip "$scratch"
    mkdir "$scratch/upper" "$scratch/work" "$scratch/root"
    local root="$scratch/root"
    mount -t overlay overlay -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" "$root" \
        || die "cannot mount an overlay of / (overlayfs in the kernel, and root or CAP_SYS_ADMIN, are needed)"
    mount --rbind /proc "$root/proc"
    mount --rbind /dev "$root/dev"

    # What the root needs from outside is copied in: the build tree may be
    # on a file system that the overlay does not show.
    local inside=/tmp/harrowdeck-roundtrip
    mkdir -p "$root$inside"
    cp "$0" "$root$inside/deb-roundtrip.sh"
    cp "$deb" "$root$inside/"
    cp "$example" "$root$inside/"

    env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 TERM=dumb \
        chroot "$root" /bin/bash "$inside/deb-roundtrip.sh" --in-root \
            "$inside/$(basename "$deb")" "$inside/$(basename "$example")"
}

# ---------------------------------------------------------------------------
# On the machine itself: build and inspect the package, run the round trip in
# a throwaway root, check that the machine's package database is untouched.
# Usage: deb-roundtrip.sh BUILD_DIR EXAMPLE_EXPORT
on_host() {
    local build_dir example
    build_dir=$(cd "$1" && pwd)
    example=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")

    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"

    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT

    step "cpack -G DEB"
    (cd "$build_dir" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 \
        || { cat "$work/cpack.log" >&2; die "cpack failed"; }
    local deb
    deb=$(find "$work/out" -maxdepth 1 -name "${package}_*.deb" | head -n1)
    [ -n "$deb" ] || die "cpack made no ${package}_*.deb"
    echo "$deb"

    # The dependencies must come from dpkg-shlibdeps, so the Qt and C
    # libraries the programs link against appear there.
    local depends lib contents path
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for lib in libc6 libstdc++6 libqt6widgets6; do
        grep -q "\b$lib\b" <<<"$depends" || die "Depends lacks $lib"
    done
    contents=$(dpkg-deb -c "$deb")
    for path in ./usr/bin/harrowdeck ./usr/bin/harrowdeck-make \
                ./usr/share/applications/io.github.harrowdeck.Harrowdeck.desktop \
                ./usr/share/doc/harrowdeck/copyright ./usr/share/doc/harrowdeck/changelog.gz; do
        grep -q " $path\$" <<<"$contents" || die "package lacks $path"
    done

    # Every tag lintian reports fails the test; a tag that has to stay is
    # overridden, with its reason, in the override file the package ships.
    step "lintian -I -E --pedantic"
    command -v lintian >/dev/null || die "lintian is missing (Debian package lintian)"
    local report
    # (Run as root, lintian says so on standard error; the tags go to standard
    # output.)
    if ! report=$(lintian -I -E --pedantic "$deb" 2>"$work/lintian.err"); then
        { echo "$report"; cat "$work/lintian.err"; } >&2
        die "lintian failed"
    fi
    [ -z "$report" ] || { echo "$report" >&2; die "lintian reports tags"; }
    echo "no tags"

    # The state of the machine's package database before the round trip, as
    # far as it concerns this package: other programs may install packages
    # meanwhile.
    local log=/var/log/dpkg.log
    local status_before
    package_log_lines >"$work/dpkg.log.before"
    status_before=$(dpkg-query -W -f='${db:Status-Abbrev} ${Version}' "$package" 2>/dev/null || echo "not installed")
    echo "$package on this machine: $status_before"

    step "throwaway root: overlay of / in a private mount namespace"
    mkdir "$work/root"
    $sudo unshare --mount --propagation private -- \
        bash "$0" --namespace "$work/root" "$deb" "$example" \
        || die "the round trip in the throwaway root failed"

    step "the machine's package database is unchanged"
    local status_after added
    package_log_lines >"$work/dpkg.log.after"
    # Only added lines count: the log may have been rotated meanwhile.
    added=$(comm -13 <(sort "$work/dpkg.log.before") <(sort "$work/dpkg.log.after"))
    if [ -n "$added" ]; then
        echo "lines about $package added to $log:" >&2
        echo "$added" >&2
        die "$log tells of $package during the round trip"
    fi
    status_after=$(dpkg-query -W -f='${db:Status-Abbrev} ${Version}' "$package" 2>/dev/null || echo "not installed")
    [ "$status_after" = "$status_before" ] \
        || die "$package on this machine was '$status_before' and is now '$status_after'"
    echo "$log: nothing about $package added; $package on this machine: $status_after"
}

# The lines of /var/log/dpkg.log that name this package ("install
# harrowdeck:amd64 ...", "status installed harrowdeck:amd64 ...").
package_log_lines() {
    [ -e /var/log/dpkg.log ] || return 0
    awk -v p="$package" '{ for (i = 3; i <= NF; i++) if ($i == p || index($i, p ":") == 1) { print; next } }' \
        /var/log/dpkg.log
}

case ${1:-} in
    --in-root) shift; in_root "$@" ;;
    --namespace) shift; in_namespace "$@" ;;
    *) on_host "$@" ;;
esac

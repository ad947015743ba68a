#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under wine, as a user and an administrator meet it,
# all of it silent (/qn):
#  1. an older version installed into a folder of the user's choice, where
#     the window keeps its Harrowdeck.ini beside the program; this version
#     installed over it goes into the same folder, replaces every file,
#     leaves one uninstall entry and keeps the settings; the older installer
#     then refuses to go back, and a rebuilt installer of this version
#     replaces the installed copy; the installed programs run and the Start-menu
#     shortcut leads to the window; the uninstall entry's own command
#     removes everything but Harrowdeck.ini, and with it the folder stays;
#  2. this version into the default folder, with the settings in %APPDATA%:
#     uninstalling with the installer removes every file and the folder,
#     and the settings stay.
# Usage: installer-roundtrip.sh WINE_RUN PREFIX MSI VERSION OLDER_MSI OLDER_VERSION REBUILT_MSI README EXPORT
# WINE_RUN is tools/wine-run.sh, PREFIX its wine prefix, MSI this version's
# installer, OLDER_MSI one of an older version and REBUILT_MSI this version
# built again; README is the README.txt that MSI holds, EXPORT a bookmark
# export to convert.
set -euo pipefail

wine_run=$1 prefix=$2 msi=$3 version=$4 older_msi=$5 older_version=$6 rebuilt_msi=$7 readme=$8 export_file=$9

drive_c="$prefix/drive_c"
custom_dir='C:\Tools\Harrowdeck'
default_dir='C:\Program Files\Harrowdeck'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
installed=(harrowdeck.exe harrowdeck-make.exe README.txt LICENSE.txt)
settings=$'PATHS\r\nC:\\Pages\r\nC:\\bookmarks.htm\r\nC:\\\r\nbookmarks.htm\r\nPOS\r\n 1200 \r\n 900 \r\nDEF\r\n 25 \r\n 200 \r\n 1 \r\n 1 \r\n'

step() { echo "== [${SECONDS} s] $*"; }
die() {
    echo "FAIL: $*" >&2
    exit 1
}
wine() { "$wine_run" "$prefix" "$@"; }
# A path of drive C: or of this machine (Z:) in the other's spelling.
unix_path() {
    local path=${1//\\//}
    echo "$drive_c/${path#C:/}"
}
windows_path() { echo "Z:${1//\//\\}"; }

# The uninstall entries named Harrowdeck, one a line: the product code,
# the version shown and the command that uninstalls, separated by tabs.
# One reg query for all, as every start of wine takes its time.
entries() {
    wine reg query "$uninstall_key" /s | tr -d '\r' | awk -v OFS='\t' '
        function flush() { if (name == "Harrowdeck") print code, version, command }
        /^HKEY_/ { flush(); n = split($0, part, "\\"); code = part[n]; name = version = command = "" }
        { value = $0; sub(/^ *[^ ]+ +[^ ]+ +/, "", value) }
        $1 == "DisplayName" { name = value }
        $1 == "DisplayVersion" { version = value }
        $1 == "UninstallString" { command = value }
        END { flush() }'
}
msiexec() {
    local status=0
    wine msiexec "$@" /qn || status=$?
    echo "$status"
}
# The one uninstall entry, which shows this version: its line of entries.
expect_one_entry() {
    local found
    mapfile -t found < <(entries)
    [ ${#found[@]} -eq 1 ] || die "$1: ${#found[@]} uninstall entries for Harrowdeck, not one: ${found[*]}"
    local code shown command
    IFS=$'\t' read -r code shown command <<<"${found[0]}"
    [ "$shown" = "$2" ] || die "$1: the uninstall entry shows version '$shown', not $2"
    echo "${found[0]}"
}
# The folder holds exactly these files (each name on its own line).
expect_files() {
    local dir=$1 what=$2
    shift 2
    local found expected
    found=$(cd "$dir" && find . -mindepth 1 -printf '%P\n' | sort)
    expected=$(printf '%s\n' "$@" | sort)
    [ "$found" = "$expected" ] || die "$what: $dir holds [$(echo $found)], not [$(echo $expected)]"
}
expect_settings_kept() {
    [ -f "$1" ] || die "$2: the user's settings $1 are gone"
    cmp -s "$work/Harrowdeck.ini" "$1" || die "$2: the user's settings $1 were changed"
}

# A run that failed half way leaves Harrowdeck installed in the prefix.
clean_up() {
    local code
    for code in $(entries | cut -f1); do
        wine msiexec /x "$code" /qn || true
    done
    rm -rf "$(unix_path "$custom_dir")" "$(unix_path "$default_dir")"
}
clean_up
appdata=$(unix_path "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')")
appdata_settings="$appdata/Harrowdeck/Harrowdeck.ini"
rm -rf "$appdata/Harrowdeck"
# Windows puts the shortcut of an install for every user into the common
# Start menu, wine into the user's own.
shortcuts=("$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Harrowdeck.lnk"
    "$appdata/Microsoft/Windows/Start Menu/Programs/Harrowdeck.lnk")
no_shortcut_left() {
    local link
    for link in "${shortcuts[@]}"; do
        [ ! -e "$link" ] || die "$1: the Start-menu shortcut $link is left"
    done
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "$settings" >"$work/Harrowdeck.ini"

step "the older version into $custom_dir"
status=$(msiexec /i "$(windows_path "$older_msi")" INSTALLDIR="$custom_dir\\")
[ "$status" -eq 0 ] || die "msiexec /i of the older version ended with $status"
older_code=$(expect_one_entry "the older version" "$older_version" | cut -f1)
custom=$(unix_path "$custom_dir")
expect_files "$custom" "the older version" "${installed[@]}"
cp "$work/Harrowdeck.ini" "$custom/"

step "this version over it"
status=$(msiexec /i "$(windows_path "$msi")")
[ "$status" -eq 0 ] || die "msiexec /i of the upgrade ended with $status"
code=$(expect_one_entry "after the upgrade" "$version" | cut -f1)
[ "$code" != "$older_code" ] || die "the upgrade kept the older version's product code $code"
expect_files "$custom" "after the upgrade" "${installed[@]}" Harrowdeck.ini
cmp -s "$readme" "$custom/README.txt" || die "the upgrade left the older README.txt"
expect_settings_kept "$custom/Harrowdeck.ini" "the upgrade"
[ ! -e "$(unix_path "$default_dir")" ] || die "the upgrade went to $default_dir, not to $custom_dir"

step "the older version refused over this one"
status=$(msiexec /i "$(windows_path "$older_msi")")
[ "$status" -ne 0 ] || die "the older installer replaced this version"
[ "$(expect_one_entry "after the refused downgrade" "$version" | cut -f1)" = "$code" ] ||
    die "the refused downgrade changed the uninstall entry"

step "this version, rebuilt, over it"
status=$(msiexec /i "$(windows_path "$rebuilt_msi")")
[ "$status" -eq 0 ] || die "msiexec /i of the rebuilt installer ended with $status"
entry=$(expect_one_entry "after the rebuilt installer" "$version")
IFS=$'\t' read -r rebuilt_code _ command <<<"$entry"
[ "$rebuilt_code" != "$code" ] || die "the rebuilt installer left the installed copy ($code) in place"
code=$rebuilt_code
expect_files "$custom" "after the rebuilt installer" "${installed[@]}" Harrowdeck.ini
expect_settings_kept "$custom/Harrowdeck.ini" "the rebuilt installer"

step "the installed programs"
banner=$(wine "$custom_dir\\harrowdeck-make.exe" --version | tr -d '\r')
[[ "$banner" == "harrowdeck-make (Harrowdeck) "* ]] || die "the installed harrowdeck-make.exe --version printed '$banner'"
mkdir "$work/pages"
wine "$custom_dir\\harrowdeck-make.exe" "$(windows_path "$export_file")" "$(windows_path "$work/pages")" >/dev/null ||
    die "the installed harrowdeck-make.exe could not convert $export_file"
[ -f "$work/pages/Harrowdeck.html" ] || die "the installed harrowdeck-make.exe wrote no Harrowdeck.html"
shortcut=$(ls "${shortcuts[@]}" 2>/dev/null) || true
[ -n "$shortcut" ] || die "no Start-menu shortcut: neither of ${shortcuts[*]}"
# A shell link holds its target's path in 8-bit and in UTF-16 letters.
grep -qaF "$custom_dir\\harrowdeck.exe" "$shortcut" || die "the Start-menu shortcut does not lead to $custom_dir\\harrowdeck.exe"

step "uninstalled by the entry's own command"
[ "${command,,}" = "msiexec.exe /x${code,,}" ] || die "the uninstall entry's command is '$command'"
status=$(msiexec /x "$code")
[ "$status" -eq 0 ] || die "msiexec /x $code ended with $status"
[ -z "$(entries)" ] || die "an uninstall entry is left after uninstalling"
no_shortcut_left "uninstalling by the entry's command"
expect_files "$custom" "after uninstalling" Harrowdeck.ini
wine reg query 'HKLM\Software\Harrowdeck' >/dev/null 2>&1 && die "HKLM\Software\Harrowdeck is left after uninstalling"
expect_settings_kept "$custom/Harrowdeck.ini" "uninstalling"
rm -rf "$custom"

step "this version into $default_dir, settings in %APPDATA%"
status=$(msiexec /i "$(windows_path "$msi")")
[ "$status" -eq 0 ] || die "msiexec /i ended with $status"
expect_one_entry "a new install" "$version" >/dev/null
default=$(unix_path "$default_dir")
expect_files "$default" "a new install" "${installed[@]}"
mkdir -p "$(dirname "$appdata_settings")"
cp "$work/Harrowdeck.ini" "$appdata_settings"

step "uninstalled by the installer"
status=$(msiexec /x "$(windows_path "$msi")")
[ "$status" -eq 0 ] || die "msiexec /x ended with $status"
[ -z "$(entries)" ] || die "an uninstall entry is left after uninstalling"
[ ! -e "$default" ] || die "$default is left after uninstalling: $(ls -A "$default")"
no_shortcut_left "uninstalling with the installer"
expect_settings_kept "$appdata_settings" "uninstalling"
rm -rf "$appdata/Harrowdeck"
echo "PASS in ${SECONDS} s"

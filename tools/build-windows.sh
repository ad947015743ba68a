#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds harrowdeck.exe and harrowdeck-make.exe for 64-bit Windows with
# Debian's mingw-w64 into build-windows/, and packs them with README.txt and
# LICENSE.txt into the zip build-windows/harrowdeck-<version>-win64.zip and
# the installer build-windows/harrowdeck-<version>-win64.msi (made by wixl).
# The last line names the zip, the line before it the installer.
# Installs the Debian packages it needs, as run.sh does; builds only what
# ships; needs no git.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
source tools/configure-build.sh

ensure_packages $(read_package_list tools/packages-windows.txt)
if [ -f build-windows/CMakeCache.txt ]; then
    configure_windows_build
else
    # A new build needs no GoogleTest; tools/test-windows.sh adds the tests.
    configure_windows_build -DHARROWDECK_BUILD_TESTS=OFF
fi
cmake --build build-windows --target harrowdeck-make harrowdeck harrowdeck-msi
# The zip holds what is installed; the install builds nothing more.
(cd build-windows && cpack -G ZIP >&2)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
echo "build-windows/harrowdeck-$version-win64.msi"
echo "build-windows/harrowdeck-$version-win64.zip"

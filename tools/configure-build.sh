# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by run.sh and test.sh: configures and builds into build/.
configure_and_build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build
}

# Configures the cross build for 64-bit Windows in build-windows/, with the
# given options. The optimisation is the Linux build's: what is tested there
# is what ships.
configure_windows_build() {
    local toolchain=()
    [ -f build-windows/CMakeCache.txt ] || toolchain=(--toolchain cmake/mingw-w64-x86_64.cmake)
    cmake -S . -B build-windows -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by run.sh and test.sh: configures and builds into build/.
configure_and_build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build
}

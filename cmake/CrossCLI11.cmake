# SPDX-License-Identifier: GPL-3.0-or-later
# CLI11 for a cross build. It is headers only, so the build machine's
# package serves every target; but its include directory, /usr/include, also
# holds the build machine's C library, whose headers must not stand before
# the target's own. The cross build therefore uses a copy of CLI11's own
# directory, made in the build tree.
find_package(CLI11 2.1 CONFIG REQUIRED NO_CMAKE_FIND_ROOT_PATH)
get_target_property(cli11_host_include CLI11::CLI11 INTERFACE_INCLUDE_DIRECTORIES)
set(cli11_include ${CMAKE_BINARY_DIR}/cli11/include)
file(COPY ${cli11_host_include}/CLI DESTINATION ${cli11_include})
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_include})

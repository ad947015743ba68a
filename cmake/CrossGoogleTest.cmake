# SPDX-License-Identifier: GPL-3.0-or-later
# GoogleTest for a cross build, compiled for the target from Debian's
# googletest sources (Debian ships the libraries for the build machine
# only).
set(HARROWDECK_GOOGLETEST_SOURCE /usr/src/googletest/googletest
    CACHE PATH "GoogleTest's sources, built for the target in a cross build")
if(NOT EXISTS ${HARROWDECK_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${HARROWDECK_GOOGLETEST_SOURCE}: install Debian's googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${HARROWDECK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest's own build names them GTest::gtest and GTest::gtest_main.

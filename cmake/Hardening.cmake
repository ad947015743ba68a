# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening flags that Debian's dpkg-buildflags gives with
# DEB_BUILD_MAINT_OPTIONS=hardening=+all, for every target of ours that is
# built after this file is included. Fortification needs optimisation, so it
# is left out of the Debug configuration.
# A Windows program gets the same compiler flags (mingw-w64 brings the
# checking functions and the stack protector's runtime, libssp) and, in
# place of PIE and RELRO, which are ELF's, the PE flags for address-space
# randomisation with 64-bit addresses and for data that cannot be executed.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

if(NOT WIN32)
  check_pie_supported(OUTPUT_VARIABLE pie_message LANGUAGES CXX)
  if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
    message(FATAL_ERROR "HARROWDECK_HARDENING: the compiler cannot link position-independent executables: ${pie_message}")
  endif()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()

add_compile_options(
  "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=3>"
  -fstack-protector-strong
  -Wformat -Werror=format-security)
# Windows probes every large stack allocation by itself (__chkstk), and
# mingw-w64's gcc 12 breaks down on -fstack-clash-protection.
set(checked_flags -fcf-protection)
if(NOT WIN32)
  list(PREPEND checked_flags -fstack-clash-protection)
endif()
foreach(flag IN LISTS checked_flags)
  string(MAKE_C_IDENTIFIER "HARROWDECK_HAS${flag}" var)
  check_cxx_compiler_flag(${flag} ${var})
  if(${var})
    add_compile_options(${flag})
  endif()
endforeach()
if(WIN32)
  # The stack protector's flag at the link brings its runtime, libssp, in.
  add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
else()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()

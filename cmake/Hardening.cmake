# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening flags that Debian's dpkg-buildflags gives with
# DEB_BUILD_MAINT_OPTIONS=hardening=+all, for every target of ours that is
# built after this file is included. Fortification needs optimisation, so it
# is left out of the Debug configuration.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported(OUTPUT_VARIABLE pie_message LANGUAGES CXX)
if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
  message(FATAL_ERROR "HARROWDECK_HARDENING: the compiler cannot link position-independent executables: ${pie_message}")
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(
  "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=3>"
  -fstack-protector-strong
  -Wformat -Werror=format-security)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "HARROWDECK_HAS${flag}" var)
  check_cxx_compiler_flag(${flag} ${var})
  if(${var})
    add_compile_options(${flag})
  endif()
endforeach()
add_link_options(-Wl,-z,relro -Wl,-z,now)

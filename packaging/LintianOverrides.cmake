# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the package's lintian overrides from what a built program calls.
#
# lintian reports hardening-no-fortify-functions for a program that calls a
# libc function that fortification can check (read, vsnprintf, ...) but no
# checked __*_chk one, and unused-override for an override that the package
# does not need. Which calls the compiler turns into checked ones depends on
# how much of their buffers' sizes it can see, and so on the optimisation
# level: harrowdeck-make has a checked call in a Release build and none in a
# RelWithDebInfo one. So the override is written only for a build that needs
# it, and OUTPUT is removed when none does.
#
# Usage: cmake -DREADELF=readelf -DOUTPUT=file -DPROGRAM=path -DINSTALLED=usr/bin/name
#              [-DFORTIFIABLE=lintian's list of such functions] -P LintianOverrides.cmake
# Without lintian's list (lintian is not installed), any __*_chk call counts
# as checked and the program is taken to call some function that could be.

cmake_minimum_required(VERSION 3.25)

foreach(var READELF OUTPUT PROGRAM INSTALLED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "LintianOverrides.cmake: ${var} is not set")
  endif()
endforeach()

set(fortifiable "")
if(DEFINED FORTIFIABLE AND EXISTS "${FORTIFIABLE}")
  file(STRINGS "${FORTIFIABLE}" fortifiable REGEX "^[A-Za-z0-9_]+$")
endif()

execute_process(COMMAND "${READELF}" -W --dyn-syms "${PROGRAM}"
                OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "LintianOverrides.cmake: ${READELF} could not read ${PROGRAM}")
endif()

# The functions the program calls from shared libraries: the undefined
# dynamic symbols, without their version.
string(REGEX MATCHALL "[ \t]UND[ \t]+[A-Za-z0-9_.]+" calls "${symbols}")
set(checked "")
set(unchecked "")
foreach(call IN LISTS calls)
  string(REGEX REPLACE "^[ \t]UND[ \t]+" "" name "${call}")
  if(name MATCHES "^__(.+)_chk$")
    if(NOT fortifiable OR CMAKE_MATCH_1 IN_LIST fortifiable)
      list(APPEND checked "${name}")
    endif()
  elseif(name IN_LIST fortifiable)
    list(APPEND unchecked "${name}")
  endif()
endforeach()
if(NOT fortifiable)
  set(unchecked "functions that fortification could check")
endif()

if(checked OR NOT unchecked)
  file(REMOVE "${OUTPUT}")
  return()
endif()
get_filename_component(program_name "${INSTALLED}" NAME)
list(REMOVE_DUPLICATES unchecked)
list(JOIN unchecked ", " unchecked_text)
file(WRITE "${OUTPUT}"
  "# ${program_name} calls ${unchecked_text}, all with buffers whose size the compiler cannot see in this build, so -D_FORTIFY_SOURCE turns none of them into a checked __*_chk call.\n"
  "harrowdeck: hardening-no-fortify-functions [${INSTALLED}]\n")

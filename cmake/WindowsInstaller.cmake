# SPDX-License-Identifier: GPL-3.0-or-later
# harrowdeck_add_msi(<target> [ALL] OUTPUT <msi> VERSION <major.minor.patch>
#                    WINDOW_EXE <file> MAKE_EXE <file> README <file> LICENSE <file>)
# Adds <target>, which builds <msi>: the Windows installer of that version
# with these four files, and the program's icon for its uninstall entry,
# from packaging/windows/harrowdeck.wxs.in, by wixl (msitools).
# packaging/windows makes the one that ships; the installer's test makes
# others to upgrade from and over. ALL puts it in the default build.
find_program(HARROWDECK_WIXL wixl REQUIRED DOC "wixl, msitools' builder of Windows installers")
set(HARROWDECK_WXS_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/harrowdeck.wxs.in)

function(harrowdeck_add_msi target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "ALL" "OUTPUT;VERSION;WINDOW_EXE;MAKE_EXE;README;LICENSE" "")
  foreach(required OUTPUT VERSION WINDOW_EXE MAKE_EXE README LICENSE)
    if(NOT arg_${required})
      message(FATAL_ERROR "harrowdeck_add_msi(${target}): ${required} is missing")
    endif()
  endforeach()
  # Windows Installer compares three numbers of a version; the upgrade
  # table wants the first version above this one.
  if(NOT arg_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "harrowdeck_add_msi(${target}): VERSION ${arg_VERSION} is not major.minor.patch")
  endif()
  math(EXPR next_patch "${CMAKE_MATCH_3} + 1")
  set(HARROWDECK_MSI_VERSION ${arg_VERSION})
  set(HARROWDECK_MSI_VERSION_ABOVE ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${next_patch})

  set(wxs ${CMAKE_CURRENT_BINARY_DIR}/${target}.wxs)
  configure_file(${HARROWDECK_WXS_TEMPLATE} ${wxs} @ONLY)
  # wixl finds a file only by a relative path.
  set(defines)
  set(arg_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/harrowdeck.ico)
  foreach(file WindowExe:WINDOW_EXE MakeExe:MAKE_EXE ReadmeTxt:README LicenseTxt:LICENSE IconFile:ICON)
    string(REPLACE ":" ";" file ${file})
    list(GET file 0 name)
    list(GET file 1 argument)
    file(RELATIVE_PATH relative ${CMAKE_CURRENT_BINARY_DIR} ${arg_${argument}})
    list(APPEND defines --define ${name}=${relative})
  endforeach()
  add_custom_command(
    OUTPUT ${arg_OUTPUT}
    COMMAND ${HARROWDECK_WIXL} --arch x64 --output ${arg_OUTPUT} ${defines} ${wxs}
    DEPENDS ${wxs} ${arg_WINDOW_EXE} ${arg_MAKE_EXE} ${arg_README} ${arg_LICENSE} ${arg_ICON}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    COMMENT "Building the installer ${arg_OUTPUT}"
    VERBATIM)
  set(all)
  if(arg_ALL)
    set(all ALL)
  endif()
  add_custom_target(${target} ${all} DEPENDS ${arg_OUTPUT})
endfunction()

# Makes the Debian package with CPack and reads it back: its control fields and that it holds the
# programs, the starter set, the desktop entry and the icons under /usr.
#
#   cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -DDPKG_DEB=<dpkg-deb> -P check_package.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed (${rc}):\n${log}\n${err}")
endif()
file(GLOB packages "${WORK_DIR}/telvarion_*.deb")
list(LENGTH packages n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one telvarion_*.deb, found: ${packages}\n${log}")
endif()

set(failures "")
execute_process(COMMAND "${DPKG_DEB}" --field ${packages} Package Architecture Depends Section Maintainer Description
  RESULT_VARIABLE rc OUTPUT_VARIABLE fields)
foreach(want "Package: telvarion" "Section: text" "Maintainer: " "Description: hyperlink workbench" "libqt6widgets6" "libqt6core6"
    "fonts-liberation" "libstdc++6")
  string(FIND "${fields}" "${want}" at)
  if(at LESS 0)
    string(APPEND failures "the control fields lack '${want}'\n")
  endif()
endforeach()

execute_process(COMMAND "${DPKG_DEB}" --contents ${packages} RESULT_VARIABLE rc OUTPUT_VARIABLE contents)
foreach(want ./usr/bin/telvarion ./usr/bin/telvarion-cli ./usr/share/telvarion/Telvarion.orv
    ./usr/share/telvarion/samples/ukaz-14.rla ./usr/share/applications/telvarion.desktop
    ./usr/share/icons/hicolor/48x48/apps/telvarion.png ./usr/share/doc/telvarion/README.md)
  string(REGEX MATCH " ${want}\n" found "${contents}")
  if(NOT found)
    string(APPEND failures "the package lacks ${want}\n")
  endif()
endforeach()

if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}${fields}\n${contents}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")

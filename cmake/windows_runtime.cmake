# The Windows build of the desktop program runs from its build folder as from an installation: the
# libraries of Qt, the plugins it loads and MinGW's C++ runtime lie beside the programs. A cross
# build has no windeployqt, so the list is kept here: copied into the build folder before any
# program runs (the starter data and the tests run the programs under Wine) and installed beside
# the programs.
#
#   telvarion.exe, telvarion-cli.exe, Qt6Core.dll … libstdc++-6.dll
#   platforms\qwindows.dll          the window system (the build folder has qoffscreen.dll too)
#   styles\qwindowsvistastyle.dll   the look of the system's own controls
#   translations\qtbase_ru.qm       Qt's Russian texts (build folder; installed under share\telvarion)

set(TELVARION_RUNTIME_FILES)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW's ${dll} was not found beside ${CMAKE_CXX_COMPILER}")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND TELVARION_RUNTIME_FILES ${path})
endforeach()
set(qt_modules Core Gui Widgets Network)
foreach(module IN LISTS qt_modules)
  list(APPEND TELVARION_RUNTIME_FILES $<TARGET_FILE:Qt6::${module}>)
endforeach()

set(copies
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TELVARION_RUNTIME_FILES} ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/platforms ${CMAKE_BINARY_DIR}/styles
    ${CMAKE_BINARY_DIR}/translations
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
    $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> ${CMAKE_BINARY_DIR}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${CMAKE_BINARY_DIR}/styles)
if(TELVARION_QT_RU_TRANSLATION)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TELVARION_QT_RU_TRANSLATION}
    ${CMAKE_BINARY_DIR}/translations)
endif()
if(TELVARION_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::Test> ${CMAKE_BINARY_DIR})
endif()
add_custom_target(telvarion_windows_runtime ALL ${copies}
  COMMENT "Laying out Qt's libraries and plugins and the C++ runtime beside the programs" VERBATIM)
# The tool runs during the build (the starter data): it needs the runtime before.
add_dependencies(telvarion-cli telvarion_windows_runtime)

install(FILES ${TELVARION_RUNTIME_FILES} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)

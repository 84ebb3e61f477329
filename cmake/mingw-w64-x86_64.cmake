# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the POSIX
# thread model, for std::thread). The runtime is linked statically, so the programs run on a bare
# Windows (and under Wine) without the toolchain's DLLs beside them; with TELVARION_SHARED_RUNTIME
# (the Qt for Windows and the desktop program built on it) they share the runtime's DLLs instead,
# one runtime for Qt's libraries and the programs, shipped beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# The Qt for Windows of scripts/build_qt_windows.sh (TELVARION_QT_WINDOWS: its folder) builds the
# desktop program; its tools (moc, rcc) are the host's Qt's.
if(TELVARION_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TELVARION_QT_WINDOWS})
  set(TELVARION_SHARED_RUNTIME ON)
  if(NOT QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
  endif()
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TELVARION_QT_WINDOWS TELVARION_SHARED_RUNTIME)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# GCC 12's string headers give -Wrestrict false alarms when inlined into this target's code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
if(NOT TELVARION_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()
# Tests and the starter data run the programs through Wine, its own messages silenced.
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all wine)

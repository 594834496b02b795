# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (i686). With
# VELMORA_MINGW_PREFIX x86_64-w64-mingw32 it builds the same program for
# 64-bit Windows instead (preset mingw64), which the Wine check runs on a
# machine that cannot execute 32-bit programs.
# The win32-threads variant of the compiler is used: the program makes no
# threads, and that variant's runtime links statically without pulling in
# libwinpthread, so the executable needs no DLL beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(VELMORA_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "Target triple of the MinGW-w64 tools")
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${VELMORA_MINGW_PREFIX}")

find_program(VELMORA_MINGW_CXX NAMES ${VELMORA_MINGW_PREFIX}-g++-win32 ${VELMORA_MINGW_PREFIX}-g++ REQUIRED)
find_program(VELMORA_MINGW_CC NAMES ${VELMORA_MINGW_PREFIX}-gcc-win32 ${VELMORA_MINGW_PREFIX}-gcc REQUIRED)
find_program(VELMORA_MINGW_RC NAMES ${VELMORA_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_C_COMPILER ${VELMORA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_RC})

# Headers and libraries come from the MinGW sysroot only; programs run on
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# What the four MinGW-w64 toolchain files share: cross-compiling with
# Debian's MinGW-w64 for the target triple VELMORA_MINGW_PREFIX, which
# mingw-i686.cmake (32-bit Windows, the product), mingw-x86_64.cmake
# (64-bit Windows, which the Wine check runs on a machine that cannot
# execute 32-bit programs) and their -posix twins for the conformance suite
# set before including this.
# The program is built with the win32-threads variant of the compiler
# (VELMORA_MINGW_THREADS win32): it makes no threads, and that variant's
# runtime links statically without pulling in libwinpthread, so the
# executable needs no DLL beyond the system's. GoogleTest needs std::mutex,
# which only the posix variant has; the conformance suite's toolchain files
# ask for that one.
if(NOT VELMORA_MINGW_THREADS)
  set(VELMORA_MINGW_THREADS win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${VELMORA_MINGW_PREFIX}")

find_program(VELMORA_MINGW_CXX NAMES ${VELMORA_MINGW_PREFIX}-g++-${VELMORA_MINGW_THREADS} REQUIRED)
find_program(VELMORA_MINGW_CC NAMES ${VELMORA_MINGW_PREFIX}-gcc-${VELMORA_MINGW_THREADS} REQUIRED)
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

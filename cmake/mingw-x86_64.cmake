# Cross-compiles the same program for 64-bit Windows (x86-64) with Debian's
# MinGW-w64, for the Wine check on a machine that cannot execute 32-bit
# programs.
set(VELMORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

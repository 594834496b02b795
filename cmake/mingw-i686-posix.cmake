# Cross-compiles the platform's conformance suite for 32-bit Windows (i686) with the
# posix-threads variant of Debian's MinGW-w64, which GoogleTest needs.
set(VELMORA_MINGW_PREFIX i686-w64-mingw32)
set(VELMORA_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

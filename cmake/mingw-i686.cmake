# Cross-compiles for 32-bit Windows (i686) with Debian's MinGW-w64: the
# product, velmora.exe.
set(VELMORA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

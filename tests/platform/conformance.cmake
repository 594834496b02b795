# The platform's conformance suite: its sources, and on Windows (a MinGW-w64
# build with VELMORA_CONFORMANCE) the suite built against the real SDK with
# GoogleTest from Debian's sources.
set(VELMORA_CONFORMANCE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gdi_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kernel_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_out_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wsprintf_test.cpp)

if(WIN32 AND VELMORA_CONFORMANCE)
  enable_language(C)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(VELMORA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's googletest package)")
  add_subdirectory(${VELMORA_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(platform_conformance_test ${VELMORA_CONFORMANCE_SOURCES})
  target_compile_definitions(platform_conformance_test PRIVATE UNICODE _UNICODE)
  target_link_libraries(platform_conformance_test PRIVATE gtest gtest_main user32 gdi32 kernel32)
  velmora_windows_program(platform_conformance_test)
endif()

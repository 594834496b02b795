# What a user installs: `cmake --install` and CPack. On Linux a Debian
# package (bin/velmora, its desktop entry, manual page, README, copyright
# and changelog under /usr); from the MinGW-w64 i686 build a Windows zip
# (velmora.exe, README.txt, LICENSE.txt and VERSION.txt in one folder);
# from the web build a zip of the page (index.html, velmora.js,
# velmora.wasm, README.txt and LICENSE in one folder).
# The version is the project's, set once in the top CMakeLists.txt.
# scripts/package.sh builds them all; tests/package/check.sh tests the
# first two, tests/web the page's.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/VelmoraControls.cmake)
velmora_controls(${PROJECT_SOURCE_DIR}/packaging/controls.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/controls.txt)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The VELMORA developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quadric surface through nine bouncing points")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  install(TARGETS velmora RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${PROJECT_BINARY_DIR}/package/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/package/LICENSE.txt NEWLINE_STYLE CRLF)
  file(WRITE ${PROJECT_BINARY_DIR}/package/VERSION.txt "VELMORA ${PROJECT_VERSION}\r\n")
  install(FILES ${PROJECT_BINARY_DIR}/package/README.txt ${PROJECT_BINARY_DIR}/package/LICENSE.txt
                ${PROJECT_BINARY_DIR}/package/VERSION.txt
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME velmora-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(EMSCRIPTEN)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-web.txt.in ${PROJECT_BINARY_DIR}/package/README.txt @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/index.html ${PROJECT_BINARY_DIR}/velmora.js ${PROJECT_BINARY_DIR}/velmora.wasm
                ${PROJECT_BINARY_DIR}/package/README.txt ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME velmora-${PROJECT_VERSION}-web)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES OFF)
else()
  install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/velmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # Manual page and changelog compressed as Debian wants them: gzip -9,
  # without a name or time stamp, so that the package builds the same.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/velmora.6 ${PROJECT_BINARY_DIR}/package/velmora.6 @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/package/changelog @ONLY)
  find_program(VELMORA_GZIP gzip REQUIRED)
  foreach(file velmora.6 changelog)
    execute_process(COMMAND ${VELMORA_GZIP} -9nf ${file} WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/package
                    COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/package/velmora.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
                ${PROJECT_BINARY_DIR}/package/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  find_program(VELMORA_DPKG dpkg)
  if(VELMORA_DPKG)
    execute_process(COMMAND ${VELMORA_DPKG} --print-architecture OUTPUT_VARIABLE architecture
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
  else()
    set(architecture amd64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${architecture})
  set(CPACK_DEBIAN_FILE_NAME velmora_${PROJECT_VERSION}_${architecture}.deb)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The VELMORA developers <maintainers@users.noreply.c-seed-5368d671.example>")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The runtime libraries (SDL2, X11, the C++ runtime) as dpkg-shlibdeps
  # finds them in the executable, not written by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The synopsis comes from the summary; CPack indents these lines and
  # marks the empty one as Debian's paragraph break.
  set(CPACK_PACKAGE_DESCRIPTION "Nine control points fly inside a cube and bounce off its faces. Every
frame VELMORA fits a quadric surface through them, a 9 by 9 linear solve,
samples it on an 80 by 80 grid and draws it as a cloud of green pixels,
with the points as blue squares and a red wireframe cube, in a
perspective view turned with the mouse and zoomed with the wheel.

It is a small Win32 program that draws with its own pixel routines; on
Linux a platform layer of its own stands in for the part of Windows it
uses and shows the window with SDL2.")
endif()

include(CPack)

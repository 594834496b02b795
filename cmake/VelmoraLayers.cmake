# The layers, bottom to top: platform, app, raster, math, view, scene,
# shell. Code includes headers by their path from the source root
# ("raster/pixels.h"), but no library puts the source root on the include
# path: each gets a folder of its own in the build tree that holds links to
# its public headers alone, at the same relative paths. A library then sees
# its own headers and those of the libraries it links, and an include that
# goes up a layer finds no file and fails to build (tests/layers proves it).

set(VELMORA_HEADER_ROOT ${PROJECT_BINARY_DIR}/layers)

# velmora_public_headers(<target> <header>...)
# Publishes headers of the current source folder, given relative to it,
# as the public include path of <target>. Also makes <target>_headers, an
# interface library with that path alone, for builds of the same sources
# under other options (the vector versions in tests/scene).
function(velmora_public_headers target)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${VELMORA_HEADER_ROOT}/${target})
  # Made afresh at every configure, so a header dropped from the list is
  # not left behind for code to keep finding.
  file(REMOVE_RECURSE ${root})
  foreach(header IN LISTS ARGN)
    get_filename_component(dir ${root}/${folder}/${header} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
  endforeach()
  add_library(${target}_headers INTERFACE)
  target_include_directories(${target}_headers INTERFACE ${root})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${target} INTERFACE ${target}_headers)
  else()
    target_link_libraries(${target} PUBLIC ${target}_headers)
  endif()
endfunction()

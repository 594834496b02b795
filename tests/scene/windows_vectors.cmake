# The vector versions of the surface samples and the batched projection,
# each forced alone, as Windows test programs (a MinGW-w64 build with
# VELMORA_CONFORMANCE, which brings GoogleTest): the same surface and batch
# tests as tests/scene runs natively, run under Wine by the test command,
# so that every version draws the same pixels on Windows too. A version
# whose instructions the processor lacks reports its tests skipped.
get_target_property(view_sources velmora_view SOURCES)
get_target_property(scene_sources velmora_scene SOURCES)
list(TRANSFORM view_sources PREPEND ${PROJECT_SOURCE_DIR}/math/)
list(TRANSFORM scene_sources PREPEND ${PROJECT_SOURCE_DIR}/scene/)
foreach(version avx512f avx2 baseline)
  set(lib velmora_vector_${version})
  add_library(${lib} STATIC ${view_sources} ${scene_sources})
  string(TOUPPER ${version} upper)
  target_compile_definitions(${lib} PRIVATE VELMORA_VECTOR_ONLY_${upper})
  target_link_libraries(${lib} PUBLIC velmora_view_headers velmora_scene_headers velmora::math velmora::raster)
  set(cpu_feature ${version})
  if(version STREQUAL "baseline")
    set(cpu_feature sse2)
  endif()
  add_executable(vector_${version}_test ${CMAKE_CURRENT_LIST_DIR}/surface_test.cpp
                 ${PROJECT_SOURCE_DIR}/tests/math/view_batch_test.cpp ${CMAKE_CURRENT_LIST_DIR}/vector_version.cpp)
  target_include_directories(vector_${version}_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(vector_${version}_test PRIVATE VELMORA_CPU_FEATURE="${cpu_feature}")
  target_link_libraries(vector_${version}_test PRIVATE ${lib} gtest gtest_main)
  target_link_options(vector_${version}_test PRIVATE -static)
  set_target_properties(vector_${version}_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endforeach()
set_source_files_properties(${PROJECT_SOURCE_DIR}/math/view.cpp PROPERTIES COMPILE_OPTIONS "${VELMORA_PROJECTION_OPTIONS}")
set_source_files_properties(${PROJECT_SOURCE_DIR}/scene/quadric.cpp PROPERTIES COMPILE_OPTIONS "${VELMORA_SURFACE_OPTIONS}")

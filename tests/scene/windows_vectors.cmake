# The vector versions of the surface samples and the batched projection,
# each forced alone, as Windows test programs (a MinGW-w64 build with
# VELMORA_CONFORMANCE, which brings GoogleTest): the same surface and batch
# tests as tests/scene runs natively, run under Wine by the test command,
# so that every version draws the same pixels on Windows too. A version
# whose instructions the processor lacks reports its tests skipped.
foreach(version avx512f avx2 baseline)
  velmora_vector_version_library(velmora_vector_${version} ${version})
  add_executable(vector_${version}_test ${CMAKE_CURRENT_LIST_DIR}/surface_test.cpp
                 ${PROJECT_SOURCE_DIR}/tests/math/view_batch_test.cpp ${CMAKE_CURRENT_LIST_DIR}/vector_version.cpp)
  target_include_directories(vector_${version}_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(vector_${version}_test PRIVATE velmora_vector_${version} gtest gtest_main)
  velmora_windows_program(vector_${version}_test)
endforeach()

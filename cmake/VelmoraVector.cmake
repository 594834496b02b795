# Compile options of the two sources whose hot loops are written for the
# vectoriser and built in several vector versions (math/vector_versions.h):
# the batched projection (math/view.cpp) and the surface samples
# (scene/quadric.cpp). Kept in one place because the tests build those
# sources again, with one version forced (tests/scene).
#
# The dynamic cost model lets the vectoriser take loops whose length it does
# not know. Vector instructions round every operation exactly as the scalar
# ones do; the AVX-512 versions could fuse multiplies and adds, so
# contraction is turned off here whatever the build's own flags say.
# Without errno, std::sqrt is the bare instruction and can take several
# samples at once; nothing in the program reads errno.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(VELMORA_PROJECTION_OPTIONS -ftree-vectorize -fvect-cost-model=dynamic -ffp-contract=off)
else()  # clang, as emscripten's: its vectoriser needs no asking
  set(VELMORA_PROJECTION_OPTIONS -ffp-contract=off)
endif()
if(WIN32)
  # Windows aligns the stack to 16 bytes at most (x86-64) or 4 (i686), and
  # GCC may spill AVX registers with moves that need 32 or 64; the assembler
  # makes every vector move one that needs no alignment.
  list(APPEND VELMORA_PROJECTION_OPTIONS -Wa,-muse-unaligned-vector-move)
endif()
set(VELMORA_SURFACE_OPTIONS ${VELMORA_PROJECTION_OPTIONS} -fno-math-errno)

# velmora_vector_version_library(<target> <avx512f|avx2|baseline>)
# The view and scene built again with one vector version forced, for the
# tests that run each version and the benchmark of the baseline alone. What
# links it gets VELMORA_CPU_FEATURE, the processor feature (as
# __builtin_cpu_supports names it) that the version needs, and
# VELMORA_FORCED_VECTOR_VERSION, the version's VectorVersion enumerator.
function(velmora_vector_version_library target version)
  get_target_property(view_sources velmora_view SOURCES)
  get_target_property(scene_sources velmora_scene SOURCES)
  list(TRANSFORM view_sources PREPEND ${PROJECT_SOURCE_DIR}/math/)
  list(TRANSFORM scene_sources PREPEND ${PROJECT_SOURCE_DIR}/scene/)
  add_library(${target} STATIC ${view_sources} ${scene_sources})
  string(TOUPPER ${version} upper)
  target_compile_definitions(${target} PRIVATE VELMORA_VECTOR_ONLY_${upper})
  target_link_libraries(${target} PUBLIC velmora_view_headers velmora_scene_headers velmora::math velmora::raster)
  # Source properties belong to the directory that builds the target.
  set_source_files_properties(${PROJECT_SOURCE_DIR}/math/view.cpp PROPERTIES COMPILE_OPTIONS "${VELMORA_PROJECTION_OPTIONS}")
  set_source_files_properties(${PROJECT_SOURCE_DIR}/scene/quadric.cpp PROPERTIES COMPILE_OPTIONS "${VELMORA_SURFACE_OPTIONS}")
  set(feature ${version})
  set(enumerator kAvx2)
  if(version STREQUAL "baseline")
    set(feature sse2)
    set(enumerator kBaseline)
  elseif(version STREQUAL "avx512f")
    set(enumerator kAvx512)
  endif()
  target_compile_definitions(${target} INTERFACE VELMORA_CPU_FEATURE="${feature}"
                             VELMORA_FORCED_VECTOR_VERSION=${enumerator})
endfunction()

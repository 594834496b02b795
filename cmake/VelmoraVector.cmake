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

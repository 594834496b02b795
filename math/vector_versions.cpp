// The choice among the vector versions of the hot loops (vector_versions.h).
#include "math/vector_versions.h"

VectorVersion ChosenVectorVersion() {
#if defined(VELMORA_VECTOR_ONLY_AVX512F)
  return VectorVersion::kAvx512;
#elif defined(VELMORA_VECTOR_ONLY_AVX2)
  return VectorVersion::kAvx2;
#elif defined(VELMORA_VECTOR_ONLY_BASELINE) || !defined(__GNUC__) || !(defined(__x86_64__) || defined(__i386__))
  return VectorVersion::kBaseline;
#else
  static const VectorVersion chosen = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return VectorVersion::kAvx512;
    if (__builtin_cpu_supports("avx2")) return VectorVersion::kAvx2;
    return VectorVersion::kBaseline;
  }();
  return chosen;
#endif
}

const char *VectorVersionName(VectorVersion version) {
  switch (version) {
    case VectorVersion::kAvx512: return "AVX-512";
    case VectorVersion::kAvx2: return "AVX2";
    default: return "SSE2";
  }
}

#if defined(VELMORA_VECTOR_ONLY_AVX512F) || defined(VELMORA_VECTOR_ONLY_AVX2) || defined(VELMORA_VECTOR_ONLY_BASELINE)
static unsigned g_versionsRun = 0;

void NoteVectorVersionRun(VectorVersion version) { g_versionsRun |= 1u << static_cast<unsigned>(version); }

unsigned VectorVersionsRun() { return g_versionsRun; }
#else
unsigned VectorVersionsRun() { return 0; }
#endif

// Versions of a hot loop for wider vector units, one of which is chosen
// once, when first used, from what the processor and the operating system
// support (CPUID, and for AVX the system's saving of the wider registers,
// as __builtin_cpu_supports checks them). The choice goes through a
// function pointer, so it works alike for ELF and PE, 32-bit and 64-bit.
// Every version is the same source compiled for its instruction set, and
// every operation rounds exactly as in the SSE2 baseline (no contraction
// into fused multiply-adds), so each gives the same doubles.
//
// VELMORA_VECTOR_VERSIONS(Name, (parameters), (arguments)) defines
// void Name(parameters) from an always-inlined NameBody(parameters) that
// the file gives first: the body is compiled into each version and
// inlined there. The tests force one version (VELMORA_VECTOR_ONLY_AVX512F,
// _AVX2, _BASELINE) so that the versions this processor would not pick are
// run too.
#ifndef VELMORA_MATH_VECTOR_VERSIONS_H
#define VELMORA_MATH_VECTOR_VERSIONS_H

enum class VectorVersion { kBaseline, kAvx2, kAvx512 };

// The version in use: the widest this machine runs, or the one forced.
VectorVersion ChosenVectorVersion();
const char *VectorVersionName(VectorVersion version);

// A build with one version forced notes every version that runs, one bit
// each (1 << version), so that its tests can prove the forced version is
// the only one they ran; other builds note nothing and keep the mask 0.
unsigned VectorVersionsRun();
#if defined(VELMORA_VECTOR_ONLY_AVX512F) || defined(VELMORA_VECTOR_ONLY_AVX2) || defined(VELMORA_VECTOR_ONLY_BASELINE)
void NoteVectorVersionRun(VectorVersion version);
#define VELMORA_VECTOR_NOTE(version) NoteVectorVersionRun(VectorVersion::version)
#else
#define VELMORA_VECTOR_NOTE(version) ((void)0)
#endif

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VELMORA_VECTOR_VERSIONS(Name, Params, Args)                                                 \
  __attribute__((target("avx512f"))) static void Name##Avx512 Params {                              \
    VELMORA_VECTOR_NOTE(kAvx512);                                                                   \
    Name##Body Args;                                                                                \
  }                                                                                                 \
  __attribute__((target("avx2"))) static void Name##Avx2 Params {                                   \
    VELMORA_VECTOR_NOTE(kAvx2);                                                                     \
    Name##Body Args;                                                                                \
  }                                                                                                 \
  static void Name##Baseline Params {                                                               \
    VELMORA_VECTOR_NOTE(kBaseline);                                                                 \
    Name##Body Args;                                                                                \
  }                                                                                                 \
  void Name Params {                                                                                \
    using Version = void(*) Params;                                                                 \
    static const Version chosen = ChosenVectorVersion() == VectorVersion::kAvx512 ? Name##Avx512    \
                                  : ChosenVectorVersion() == VectorVersion::kAvx2 ? Name##Avx2      \
                                                                                  : Name##Baseline; \
    chosen Args;                                                                                    \
  }
#else
#define VELMORA_VECTOR_VERSIONS(Name, Params, Args) \
  void Name Params {                                \
    VELMORA_VECTOR_NOTE(kBaseline);                 \
    Name##Body Args;                                \
  }
#endif

#endif

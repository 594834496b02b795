// Versions of a hot loop for wider vector units, chosen at load time.
// Where the toolchain can pick among versions of a function when the program
// is loaded (ELF ifuncs on x86-64), a function marked VELMORA_VECTOR_CLONES
// is also built for AVX2 and AVX-512 and the widest one the processor has
// is used. Every operation rounds exactly as in the baseline SSE2 version
// (no contraction into fused multiply-adds), so each gives the same doubles;
// elsewhere, as in the Windows build, the mark does nothing.
// The tests also build each version alone (VELMORA_VECTOR_ONLY_...), so
// that the versions this processor would not pick are run too.
#ifndef VELMORA_MATH_VECTOR_CLONES_H
#define VELMORA_MATH_VECTOR_CLONES_H

#if defined(VELMORA_VECTOR_ONLY_AVX512F)
#define VELMORA_VECTOR_CLONES __attribute__((target("avx512f")))
#elif defined(VELMORA_VECTOR_ONLY_AVX2)
#define VELMORA_VECTOR_CLONES __attribute__((target("avx2")))
#elif defined(VELMORA_VECTOR_ONLY_BASELINE)
#define VELMORA_VECTOR_CLONES
#elif defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define VELMORA_VECTOR_CLONES
#endif

#endif

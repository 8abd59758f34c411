#pragma once
// Marks a small hot loop to be compiled twice, for AVX2 and for the baseline
// instruction set; the loader picks the one the processor runs. Such loops
// keep fixed trip counts or restrict-qualified pointers so they vectorise.
#if defined(__x86_64__) && defined(__GNUC__)
#define ZENTU_WIDE __attribute__((target_clones("avx2", "default")))
#else
#define ZENTU_WIDE
#endif

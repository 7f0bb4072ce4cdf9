#pragma once
// LUMO_HOT: a loop-heavy function compiled twice, for AVX2 and for the baseline x86-64, the
// better one chosen when the program starts (GCC's target_clones). Both run the same operations
// in the same order on each element (no FMA, no reassociation), so their results are identical.
// Left out under the sanitizers and on other processors.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define LUMO_HOT __attribute__((target_clones("avx2", "default")))
#else
#define LUMO_HOT
#endif

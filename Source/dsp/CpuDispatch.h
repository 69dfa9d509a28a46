#pragma once

/** Marks a hot loop to be compiled for AVX2 as well as the baseline instruction set,
    with the choice made once at run time. The code is built without contracted
    multiply-adds, so both versions perform the same IEEE operations in the same order
    and give identical results.

    The run-time choice goes through an ifunc resolver, which runs before a sanitizer's
    runtime is ready, so sanitizer builds (and clang, used for those) get the baseline
    version only. */
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(__clang__)
 #define QV_WITH_AVX2_CLONE
#else
 #define QV_WITH_AVX2_CLONE __attribute__ ((target_clones ("avx2", "default")))
#endif

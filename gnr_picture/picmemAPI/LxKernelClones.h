// Run-time choice of a kernel's instruction set. The library must run on any
// x86-64 (SSE2), so hot kernels are built twice, for AVX2 and the baseline,
// and the loader picks the clone that the processor runs.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#if defined(__SANITIZE_THREAD__)
// The loader runs the clones' resolvers before ThreadSanitizer's runtime is
// set up, and the resolvers would be instrumented: a thread-checking build
// keeps the baseline loops and the run-time AVX2 paths only.
#define LX_KERNEL_CLONES
#else
#define LX_KERNEL_CLONES __attribute__((target_clones("avx2", "ssse3", "default")))
#endif
#define LX_HAVE_AVX2_PATHS 1
#define LX_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define LX_KERNEL_CLONES
#define LX_HAVE_AVX2_PATHS 0
#define LX_TARGET_AVX2
#endif

// Loops that must be compiled inside each clone of their caller.
#define LX_KERNEL_INLINE __attribute__((always_inline)) inline

namespace lxpic
{

// Whether the hand-written AVX2 paths may run; tests turn them off to check
// the plain loops that other processors take.
inline bool& avx2PathsAllowed()
{
    static bool allowed = true;
    return allowed;
}

// Whether the processor runs AVX2 (asked once) and the paths are allowed.
inline bool cpuHasAvx2()
{
#if LX_HAVE_AVX2_PATHS
    static const bool has = __builtin_cpu_supports("avx2");
    return has && avx2PathsAllowed();
#else
    return false;
#endif
}

} // namespace lxpic

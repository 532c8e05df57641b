// Kernels that gain from wider vectors are built twice, for AVX2 and for the
// SSE2 baseline; the loader picks the clone the processor runs.
#ifndef LX_KERNEL_CLONES_H
#define LX_KERNEL_CLONES_H
#define LX_KERNEL_CLONES __attribute__((target_clones("avx2", "default")))
#endif

// Kernels that gain from wider vectors get an AVX2 clone beside the baseline
// one; the loader picks the clone the processor runs.
#ifndef LX_KERNEL_CLONES_H
#define LX_KERNEL_CLONES_H
#define LX_KERNEL_CLONES __attribute__((target_clones("avx2", "default")))
#endif

// Kernels whose loops the compiler vectorises get an AVX2 clone beside the
// baseline one; the loader picks the clone the processor runs. The loops
// they call are LX_KERNEL_INLINE, so that each clone compiles its own copy.
#ifndef LX_KERNEL_CLONES_H
#define LX_KERNEL_CLONES_H

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

#undef LX_KERNEL_CLONES
#if defined(__x86_64__) && defined(__GNUC__)
#define LX_KERNEL_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define LX_KERNEL_CLONES
#endif

#endif

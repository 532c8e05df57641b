// Histogram kernels: count the samples of a picture window into caller-owned
// bins; the dispatchers are CLxPicMemAPI::GetHistogram and its siblings.
//
// Bins are counters of binSize bytes: 4 (uint32_t) or 8 (uint64_t); they are
// added to, never cleared, and wrap. hist holds one bin array per component.
// Pixels x = 0, xStep, 2 xStep, ... < width of lines y = 0, yStep, ... <
// count / width are counted (steps at least 1). A bin index is the sample
// AND 2^bits - 1 (bits is 8 for byte samples), so every sample lands in a
// table of 2^bits bins. The intensity of a pixel is the sum of its bin
// indices divided by the component count, truncated.
//
// The one-dimensional kernels return 0, or -2 (nothing counted) for another
// bin size when a line is visited.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// One bin per component (1, 3, 4 or comps components; 8-bit or 16-bit
// samples).
#define LX_HISTOGRAM_KERNEL(name)                                                                  \
    LX_EXPORT int name(void** hist, uint32_t binSize, const void* src, uint32_t srcWB,             \
                       uint32_t bits, uint32_t xStep, uint32_t yStep, uint32_t width,              \
                       uint32_t count)
#define LX_HISTOGRAM_KERNEL_N(name)                                                                \
    LX_EXPORT int name(void** hist, uint32_t binSize, const void* src, uint32_t srcWB,             \
                       uint32_t comps, uint32_t bits, uint32_t xStep, uint32_t yStep,              \
                       uint32_t width, uint32_t count)
LX_HISTOGRAM_KERNEL(gethistogram_1x8);
LX_HISTOGRAM_KERNEL(gethistogram_3x8);
LX_HISTOGRAM_KERNEL(gethistogram_4x8);
LX_HISTOGRAM_KERNEL_N(gethistogram_Nx8);
LX_HISTOGRAM_KERNEL(gethistogram_1x16);
LX_HISTOGRAM_KERNEL(gethistogram_3x16);
LX_HISTOGRAM_KERNEL(gethistogram_4x16);
LX_HISTOGRAM_KERNEL_N(gethistogram_Nx16);

// One bin per component and the pixel's intensity bin in intensity.
#define LX_HISTOGRAM_INT_KERNEL(name)                                                              \
    LX_EXPORT int name(void** hist, void* intensity, uint32_t binSize, const void* src,            \
                       uint32_t srcWB, uint32_t bits, uint32_t xStep, uint32_t yStep,              \
                       uint32_t width, uint32_t count)
#define LX_HISTOGRAM_INT_KERNEL_N(name)                                                            \
    LX_EXPORT int name(void** hist, void* intensity, uint32_t binSize, const void* src,            \
                       uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t xStep,              \
                       uint32_t yStep, uint32_t width, uint32_t count)
LX_HISTOGRAM_INT_KERNEL(gethistogramint_3x8);
LX_HISTOGRAM_INT_KERNEL(gethistogramint_4x8);
LX_HISTOGRAM_INT_KERNEL_N(gethistogramint_Nx8);
LX_HISTOGRAM_INT_KERNEL(gethistogramint_3x16);
LX_HISTOGRAM_INT_KERNEL(gethistogramint_4x16);
LX_HISTOGRAM_INT_KERNEL_N(gethistogramint_Nx16);

// Every pixel, one bin per component: (sample AND 2^bits - 1) >> (bits -
// histBits), into 2^histBits bins; histBits at most bits. 16-bit or 32-bit
// samples.
#define LX_HISTOGRAM_DIV_KERNEL(name)                                                              \
    LX_EXPORT int name(void** hist, uint32_t binSize, uint32_t histBits, const void* src,          \
                       uint32_t srcWB, uint32_t bits, uint32_t width, uint32_t count)
#define LX_HISTOGRAM_DIV_KERNEL_N(name)                                                            \
    LX_EXPORT int name(void** hist, uint32_t binSize, uint32_t histBits, const void* src,          \
                       uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t width,              \
                       uint32_t count)
LX_HISTOGRAM_DIV_KERNEL(gethistogramdiv_1x16);
LX_HISTOGRAM_DIV_KERNEL(gethistogramdiv_3x16);
LX_HISTOGRAM_DIV_KERNEL_N(gethistogramdiv_Nx16);
LX_HISTOGRAM_DIV_KERNEL(gethistogramdiv_1x32);
LX_HISTOGRAM_DIV_KERNEL(gethistogramdiv_3x32);
LX_HISTOGRAM_DIV_KERNEL_N(gethistogramdiv_Nx32);

// As gethistogramint_ (the 1x members count hist[0] only) for the pixels
// whose byte in the 8-bit mask is not 0; a masked-out pixel changes no bin.
#define LX_HISTOGRAM_BIN_KERNEL(name)                                                              \
    LX_EXPORT int name(void** hist, void* intensity, uint32_t binSize, const void* src,            \
                       uint32_t srcWB, uint32_t bits, const void* mask, uint32_t maskWB,           \
                       uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)
#define LX_HISTOGRAM_BIN_KERNEL_N(name)                                                            \
    LX_EXPORT int name(void** hist, void* intensity, uint32_t binSize, const void* src,            \
                       uint32_t srcWB, uint32_t comps, uint32_t bits, const void* mask,            \
                       uint32_t maskWB, uint32_t xStep, uint32_t yStep, uint32_t width,            \
                       uint32_t count)
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_1x8);
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_3x8);
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_4x8);
LX_HISTOGRAM_BIN_KERNEL_N(gethistogrambin_Nx8);
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_1x16);
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_3x16);
LX_HISTOGRAM_BIN_KERNEL(gethistogrambin_4x16);
LX_HISTOGRAM_BIN_KERNEL_N(gethistogrambin_Nx16);

// The joint histogram of components comp1 and comp2 (both below comps) of
// every pixel; the steps are not used. 8-bit samples: bins[v1 << bits | v2]
// of 2^bits x 2^bits bins; 16-bit samples: bins[(v1 >> (bits - 8)) << 8 |
// (v2 >> (bits - 8))] of 256 x 256 bins. Another bin size counts nothing.
// Return 0.
#define LX_HISTOGRAM_2D_KERNEL(name)                                                               \
    LX_EXPORT int name(void* bins, uint32_t binSize, const void* src, uint32_t srcWB,              \
                       uint32_t comps, uint32_t bits, uint32_t comp1, uint32_t comp2,              \
                       uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)
LX_HISTOGRAM_2D_KERNEL(gethistogram2d_8);
LX_HISTOGRAM_2D_KERNEL(gethistogram2d_16);

} // extern "C"

#undef LX_HISTOGRAM_KERNEL
#undef LX_HISTOGRAM_KERNEL_N
#undef LX_HISTOGRAM_INT_KERNEL
#undef LX_HISTOGRAM_INT_KERNEL_N
#undef LX_HISTOGRAM_DIV_KERNEL
#undef LX_HISTOGRAM_DIV_KERNEL_N
#undef LX_HISTOGRAM_BIN_KERNEL
#undef LX_HISTOGRAM_BIN_KERNEL_N
#undef LX_HISTOGRAM_2D_KERNEL

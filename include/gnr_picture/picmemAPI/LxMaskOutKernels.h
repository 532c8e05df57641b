// Mask-out kernels: every sample of a picture window combined with a mask
// value by bitwise AND, in place. Conventions as in LxCopyKernels.h; the
// dispatcher is CLxPicMemAPI::MaskOut.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Byte samples, 1, 3 or comps of them a pixel; the low 8 bits of mask are
// used. The line padding is not touched. All return 0.
LX_EXPORT int maskout_1x8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width,
                          uint32_t pixelCount);
LX_EXPORT int maskout_3x8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width,
                          uint32_t pixelCount);
LX_EXPORT int maskout_Nx8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t width,
                          uint32_t pixelCount);
// 16-bit samples; the low 16 bits of mask are used.
LX_EXPORT int maskout_1x16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width,
                           uint32_t pixelCount);
LX_EXPORT int maskout_3x16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width,
                           uint32_t pixelCount);
LX_EXPORT int maskout_Nx16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t width,
                           uint32_t pixelCount);

} // extern "C"

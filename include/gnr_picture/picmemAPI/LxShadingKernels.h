// Multiplicative shading-correction kernels: each sample becomes
// source x mean / shading, the mean being that of the shading picture's
// component. Conventions as in LxCopyKernels.h; dst may be src. The shading
// window has the source's format and size, with its own pitch. The
// dispatcher CLxPicMemAPI::ApplyMultShading forms the means and the tables.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Fills the 65536-byte division table of one component of 8-bit samples:
// entry s x 256 + h is (s x mean) / h (integer division) limited to 255, and
// 255 for h = 0; with mean 0 every entry is s (no correction).
LX_EXPORT void BuildShadingDivisionTable(uint8_t* table, uint32_t mean);

// Byte samples: dst = table_k[src x 256 + shading] for component k, with one
// table (1x8), three (3x8) or comps of them (Nx8). All return 0.
LX_EXPORT int multshading_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* shading, uint32_t shadingWB, const uint8_t* table,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int multshading_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* shading, uint32_t shadingWB, const uint8_t* const* tables,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int multshading_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const void* shading, uint32_t shadingWB, const uint8_t* const* tables,
                              uint32_t comps, uint32_t width, uint32_t pixelCount);

// 16-bit samples of bits (9 to 16) significant bits, with max = 2^bits - 1:
// dst = (src x mean_k) / shading limited to max, max where the shading
// sample is 0, and src itself where mean_k is 0. One mean (1x16), three
// (3x16) or comps of them (Nx16). All return 0.
LX_EXPORT int multshading_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const void* shading, uint32_t shadingWB, uint32_t mean,
                               uint32_t bits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int multshading_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const void* shading, uint32_t shadingWB, const uint32_t* means,
                               uint32_t bits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int multshading_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const void* shading, uint32_t shadingWB, const uint32_t* means,
                               uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount);

} // extern "C"

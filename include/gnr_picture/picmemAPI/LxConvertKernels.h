// Component-layout and bit-depth conversion kernels over raw picture memory.
// Conventions: see LxCopyKernels.h.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Many components to one gray sample. Without weights (null): the rounded
// mean of all samples, (sum + n / 2) / n; a fourth (alpha) sample counts.
// With weights: integer factors c = w x F + 0.5 (F = 255 or 65535, kept to
// the sample width); the 3- and 4-component members read w[0..n-2] and the
// last component takes F minus the others, the N members read w[1..n-1] and
// component 0 takes the rest; gray = sum of c_k x s_k / F, each term rounded
// down, kept to the sample width. Sample k is the k-th in memory (for B,G,R
// w[0] weighs blue). -3 when the per-call tables cannot be allocated, -4 for
// comps 0.
LX_EXPORT int convert_3x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const double* weights, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_4x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const double* weights, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_3x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* weights, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_4x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* weights, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_Nx8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                 uint32_t srcWB, const double* weights, uint32_t width,
                                 uint32_t pixelCount);
LX_EXPORT int convert_Nx16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                   uint32_t srcWB, const double* weights, uint32_t width,
                                   uint32_t pixelCount);

// One gray sample g to (g, g, g), (g, g, g, 0) or g in each of comps samples.
LX_EXPORT int convert_1x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_1x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_1x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_1x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_1x8_to_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                                 uint32_t srcWB, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_1x16_to_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                                   uint32_t srcWB, uint32_t width, uint32_t pixelCount);

// RGBA to RGB (the fourth sample dropped) and RGB to RGBA (alpha added).
LX_EXPORT int convert_4x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_4x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_3x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 uint8_t alpha, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convert_3x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   uint16_t alpha, uint32_t width, uint32_t pixelCount);

// Rescaling by shifts, comps samples a pixel. Shift counts are taken modulo
// 32 on the sample widened to 32 bits; results keep the destination's low
// bits, so samples above the range of srcBits wrap (12 bits: 4096 -> 0).
// To 8 bits: s >> (srcBits - 8).
LX_EXPORT int convert_Nx16_to_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                                  uint32_t srcWB, uint32_t comps, uint32_t width,
                                  uint32_t pixelCount);
// From 8 bits: s << (dstBits - 8).
LX_EXPORT int convert_Nx8_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                  uint32_t srcWB, uint32_t comps, uint32_t width,
                                  uint32_t pixelCount);
// Shift by |dstBits - srcBits|: right when dstBits < srcBits, else left.
LX_EXPORT int convert_Nx16_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                   uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                                   uint32_t pixelCount);
// In place: s >> shift for a positive shift, s << -shift for a negative one;
// 0 touches nothing.
LX_EXPORT int _shift_Nx16_to_Nx16(void* buf, uint32_t comps, uint32_t widthBytes, int32_t shift,
                                  uint32_t width, uint32_t pixelCount);

// New storage width (byte _08, 16-bit _16, 32-bit _32) with the value kept:
// zero-extended when wider, its low bits when narrower. The source sample
// width follows srcBits (up to 8, 9-16, 17-32); above 32 nothing happens.
LX_EXPORT int changebitdepth_1xN_to_1x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_1xN_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_1xN_to_1x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_3xN_to_3x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_3xN_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_3xN_to_3x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int changebitdepth_NxM_to_Nx08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t comps, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int changebitdepth_NxM_to_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t comps, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int changebitdepth_NxM_to_Nx32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         uint32_t srcBits, uint32_t comps, uint32_t width,
                                         uint32_t pixelCount);

} // extern "C"

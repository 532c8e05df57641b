// Tables for arithmetic with constants, the kernels that apply a table to
// picture lines, and the per-component sums. Picture conventions: see
// LxCopyKernels.h.
//
// Tables are the memory of an SLxLut (gnr_picture/lut/LxLut.h) of 2^bits
// entries: "flat" is 2^bits samples, "rows" 2^bits pointers, rows[v]
// pointing at the samples of value v for each component in order. The x8
// kernels read and write bytes, the x16 kernels 16-bit words.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// ---- Tables for arithmetic with constants ----------------------------------
//
// n = 2^bits entries, max = 2^bits - 1; bits is 1 to 8 for the x8 builders,
// 1 to 16 for the x16 builders. Constants are doubles (the N forms take one
// per component). The builders return 0, or -4 (nothing written) for a null
// table or bits out of range; a null constant pointer leaves its step out.

// Entry i = trunc(((i + offset) x gain)^gamma + 0.5), the steps in that
// order, clipped to 0..max; a missing step is skipped and with no step at
// all nothing is written. A value that is not a number (the power of a
// negative number) gives 0.
LX_EXPORT int calcluts_1x8(void* flat, const double* offset, const double* gain,
                           const double* gamma, uint32_t bits);
LX_EXPORT int calcluts_1x16(void* flat, const double* offset, const double* gain,
                            const double* gamma, uint32_t bits);
// The same per component c with offsets[c], gains[c], gammas[c].
LX_EXPORT int calcluts_Nx8(void* const* rows, const double* offsets, const double* gains,
                           const double* gammas, uint32_t comps, uint32_t bits);
LX_EXPORT int calcluts_Nx16(void* const* rows, const double* offsets, const double* gains,
                            const double* gammas, uint32_t comps, uint32_t bits);

// Entry i of component c = trunc(i + offsets[c]) wrapped by max (not
// 2^bits): below 0 max is added, above max it is taken off, as often as
// needed. With 8 bits, 250 + 10 gives 5 and 3 - 10 gives 248. Nothing is
// written without offsets.
LX_EXPORT int calcluts_Nx8_rotate(void* const* rows, const double* offsets, uint32_t comps,
                                  uint32_t bits);
LX_EXPORT int calcluts_Nx16_rotate(void* const* rows, const double* offsets, uint32_t comps,
                                   uint32_t bits);

// min: entry i = i when i <= constant, else trunc(constant); max: i when
// i >= constant, else trunc(constant). Compared in double; the constant
// entries are clipped to 0..max. Nothing is written without a constant.
LX_EXPORT int min_calcluts_1x8(void* flat, const double* constant, uint32_t bits);
LX_EXPORT int min_calcluts_1x16(void* flat, const double* constant, uint32_t bits);
LX_EXPORT int max_calcluts_1x8(void* flat, const double* constant, uint32_t bits);
LX_EXPORT int max_calcluts_1x16(void* flat, const double* constant, uint32_t bits);
LX_EXPORT int min_calcluts_Nx8(void* const* rows, const double* constants, uint32_t comps,
                               uint32_t bits);
LX_EXPORT int min_calcluts_Nx16(void* const* rows, const double* constants, uint32_t comps,
                                uint32_t bits);
LX_EXPORT int max_calcluts_Nx8(void* const* rows, const double* constants, uint32_t comps,
                               uint32_t bits);
LX_EXPORT int max_calcluts_Nx16(void* const* rows, const double* constants, uint32_t comps,
                                uint32_t bits);

// ---- Applying a table --------------------------------------------------------
//
// Source and destination have the same format; sample s of component c
// becomes table[s] (flat, the _lut1 and 1-component kernels) or
// rows[s][c]. Samples are first cut to their low bits (s AND 2^bits - 1)
// when bits is less than the sample width, so that a table of 2^bits
// entries is never read past its end. comps is used by the N kernels
// only. All return 0. dst may be src (same pitch).

LX_EXPORT int applyluts_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                            uint32_t pixelCount);
LX_EXPORT int applyluts_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int applyluts_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                            uint32_t pixelCount);
LX_EXPORT int applyluts_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int applyluts_3x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                 uint32_t pixelCount);
LX_EXPORT int applyluts_3x16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                  uint32_t pixelCount);
LX_EXPORT int applyluts_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                            uint32_t pixelCount);
LX_EXPORT int applyluts_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int applyluts_4x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                 uint32_t pixelCount);
LX_EXPORT int applyluts_4x16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                  uint32_t pixelCount);
LX_EXPORT int applyluts_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                            uint32_t pixelCount);
LX_EXPORT int applyluts_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int applyluts_Nx8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                 uint32_t pixelCount);
LX_EXPORT int applyluts_Nx16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                                  uint32_t pixelCount);
// applyluts_3x8, except that a pixel with any source sample at or above
// 2^bits - 1 (255 for bits 8 and more) becomes the colour: blue, green, red
// bytes. A null colour: applyluts_3x8.
LX_EXPORT int applyluts_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                    const void* const* rows, const uint8_t* colour, uint32_t comps,
                                    uint32_t bits, uint32_t width, uint32_t pixelCount);

// ---- Sums ------------------------------------------------------------------------
//
// The samples of each component are added to sums[c]; nothing is cleared,
// so callers zero the sums first. All return 0.

LX_EXPORT int sum_values_1x8(uint64_t* sum, const void* src, uint32_t srcWB, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int sum_values_1x16(uint64_t* sum, const void* src, uint32_t srcWB, uint32_t width,
                              uint32_t pixelCount);
// Three sums.
LX_EXPORT int sum_values_3x8(uint64_t* sums, const void* src, uint32_t srcWB, uint32_t width,
                             uint32_t pixelCount);
LX_EXPORT int sum_values_3x16(uint64_t* sums, const void* src, uint32_t srcWB, uint32_t width,
                              uint32_t pixelCount);
// comps sums.
LX_EXPORT int sum_values_Nx8(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int sum_values_Nx16(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB,
                              uint32_t width, uint32_t pixelCount);

} // extern "C"

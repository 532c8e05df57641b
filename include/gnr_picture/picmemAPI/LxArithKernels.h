// Arithmetic kernels on pictures in raw memory: two pictures combined
// sample by sample, a picture combined with one constant per component, and
// the statistics of two pictures (correlation, running average). Picture
// conventions: see LxCopyKernels.h; the dispatchers are in LxPicMemAPI.h.
//
// Common rules of the elementwise kernels:
// - The name gives the component count (1, 3, 4, 5, or N: comps) and the
//   sample: 8 bytes, 16 16-bit words, 32 32-bit words. Fixed-count members
//   still take comps and bits, and ignore comps.
// - M = 2^bits - 1 from the bits argument (a 12-bit picture clips at 4095),
//   never above the sample's own maximum; 32-bit members form it in 64 bits.
// - count / width whole lines are worked on; width 0 does nothing. Padding
//   after a line's samples is never read or written.
// - dst may be a source (same memory and pitch): each position is read
//   before it is written.
// - Null pictures or constants give -4 before anything is written.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// ---- Two pictures --------------------------------------------------------
//
// addandclip: min(a + b, M). subandclip: max(a - b, 0). max, min: the larger
// or smaller sample. All return 0 (or -4).
LX_EXPORT int addandclip_1x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_3x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_4x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_Nx8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_1x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_3x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_4x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_Nx16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_5x32(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int addandclip_Nx32(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_1x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_3x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_4x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_Nx8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                             const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                             uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_1x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_3x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_4x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_Nx16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_5x32(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int subandclip_Nx32(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                              const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_1x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_3x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_4x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_Nx8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_1x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_3x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_4x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int max_Nx16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_1x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_3x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_4x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_Nx8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                      const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_1x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_3x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_4x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int min_Nx16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                       const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t pixelCount);

// a - b + constants[k] limited to 0..M (k the component; 1-component members
// read constants[0] only).
LX_EXPORT int subaddconstandclip_1x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                     const void* src2, uint32_t src2WB, const int32_t* constants,
                                     uint32_t comps, uint32_t bits, uint32_t width,
                                     uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_3x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                     const void* src2, uint32_t src2WB, const int32_t* constants,
                                     uint32_t comps, uint32_t bits, uint32_t width,
                                     uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_4x8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                     const void* src2, uint32_t src2WB, const int32_t* constants,
                                     uint32_t comps, uint32_t bits, uint32_t width,
                                     uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                     const void* src2, uint32_t src2WB, const int32_t* constants,
                                     uint32_t comps, uint32_t bits, uint32_t width,
                                     uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_1x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                      const void* src2, uint32_t src2WB, const int32_t* constants,
                                      uint32_t comps, uint32_t bits, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_3x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                      const void* src2, uint32_t src2WB, const int32_t* constants,
                                      uint32_t comps, uint32_t bits, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_4x16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                      const void* src2, uint32_t src2WB, const int32_t* constants,
                                      uint32_t comps, uint32_t bits, uint32_t width,
                                      uint32_t pixelCount);
LX_EXPORT int subaddconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                      const void* src2, uint32_t src2WB, const int32_t* constants,
                                      uint32_t comps, uint32_t bits, uint32_t width,
                                      uint32_t pixelCount);

// (a x W1 + b x W2) / M in integer division limited to 0..M, with
// W = trunc(M x weight + 0.5) formed once per call in signed 64 bits
// (conversions saturate; a weight that is not a number counts as 0).
// Negative weights are allowed: the sum is exact and results below 0 are 0.
LX_EXPORT int addtranspandclip_1x8(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                   uint32_t src1WB, double weight2, const void* src2,
                                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                   uint32_t pixelCount);
LX_EXPORT int addtranspandclip_3x8(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                   uint32_t src1WB, double weight2, const void* src2,
                                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                   uint32_t pixelCount);
LX_EXPORT int addtranspandclip_4x8(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                   uint32_t src1WB, double weight2, const void* src2,
                                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                   uint32_t pixelCount);
LX_EXPORT int addtranspandclip_Nx8(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                   uint32_t src1WB, double weight2, const void* src2,
                                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                   uint32_t pixelCount);
LX_EXPORT int addtranspandclip_1x16(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                    uint32_t src1WB, double weight2, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                    uint32_t pixelCount);
LX_EXPORT int addtranspandclip_3x16(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                    uint32_t src1WB, double weight2, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                    uint32_t pixelCount);
LX_EXPORT int addtranspandclip_4x16(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                    uint32_t src1WB, double weight2, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                    uint32_t pixelCount);
LX_EXPORT int addtranspandclip_Nx16(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                    uint32_t src1WB, double weight2, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                    uint32_t pixelCount);

// ---- One constant per component -------------------------------------------
//
// 1-component members read the first constant only. Members for 1, 3 and 4
// components at 8 and 16 bits map through a table of 2^bits entries per
// component where the operation has one (rotate, multiply, divide, power);
// they return -3 when it cannot be allocated, or when bits does not fit the
// sample (nothing written).

// max(a, c[k]) and min(a, c[k]); the constant is one pixel in the picture's
// own sample format.
LX_EXPORT int maxconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int maxconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* constant, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int minconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* constant, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);

// a + c[k] (addconstandclip), a - c[k] (subconstandclip), limited to 0..M.
// addconstrotate_3x8 and _3x16 wrap a + c[k] once by M (not 2^bits): below
// 0 M is added, above M it is taken off (8 bits: 250 + 10 gives 5,
// 3 - 10 gives 248); the other addconstrotate members are the
// addconstandclip members under a second name.
LX_EXPORT int addconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const int32_t* constants, uint32_t comps, uint32_t bits,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const int32_t* constants, uint32_t comps, uint32_t bits,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const int32_t* constants, uint32_t comps, uint32_t bits,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const int32_t* constants, uint32_t comps, uint32_t bits,
                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int addconstrotate_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const int32_t* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int subconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const int32_t* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);

// trunc(a x m[k] + 0.5) limited to 0..M; a result that is not a number
// gives 0.
LX_EXPORT int mulconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* constants, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int mulconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* constants, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);

// a / d[k] rounded, limited to 0..M. A divisor that is negative, 0, not a
// number or infinite gives -9 before anything is written. Table members:
// trunc(a x (1 / d) + 0.5). Nx8, Nx16: the fixed-point quotient
// (a x S + D / 2) / D with S = 2^12 (8 bits) or 2^8 (16 bits) and
// D = trunc(d x S + 0.5), -9 when D is 0. 5x32, Nx32: the same with
// S = 2^16 in 64 bits.
LX_EXPORT int divconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* divisors, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* divisors, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* divisors, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const double* divisors, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_5x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);
LX_EXPORT int divconstandclip_Nx32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const double* divisors, uint32_t comps, uint32_t bits,
                                   uint32_t width, uint32_t pixelCount);

// trunc(((a + add[k]) x mul[k]) ^ pow[k] + 0.5) limited to 0..M; a result
// that is not a number (a negative base with a fractional power) gives 0.
LX_EXPORT int addmulpowconstandclip_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const double* add, const double* mul, const double* pow,
                                        uint32_t comps, uint32_t bits, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const double* add, const double* mul, const double* pow,
                                        uint32_t comps, uint32_t bits, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const double* add, const double* mul, const double* pow,
                                        uint32_t comps, uint32_t bits, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const double* add, const double* mul, const double* pow,
                                        uint32_t comps, uint32_t bits, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         const double* add, const double* mul, const double* pow,
                                         uint32_t comps, uint32_t bits, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         const double* add, const double* mul, const double* pow,
                                         uint32_t comps, uint32_t bits, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         const double* add, const double* mul, const double* pow,
                                         uint32_t comps, uint32_t bits, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int addmulpowconstandclip_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                         const double* add, const double* mul, const double* pow,
                                         uint32_t comps, uint32_t bits, uint32_t width,
                                         uint32_t pixelCount);

// ---- Statistics of two pictures --------------------------------------------

// The linear correlation coefficient of the two pictures over the whole
// lines, per component, averaged over the components (3 components:
// x 0.3333333333333333); a component constant in either picture counts 0,
// and a negative mean is reported as 0.0. No whole line (or width 0, or
// comps 0): -4 with result 0.0. -4 without a picture or result; -3 when the
// N members' sums cannot be allocated.
LX_EXPORT int linar_correlation_1x8(const void* src1, uint32_t src1WB, const void* src2,
                                    uint32_t src2WB, uint32_t width, uint32_t pixelCount,
                                    double* result);
LX_EXPORT int linar_correlation_3x8(const void* src1, uint32_t src1WB, const void* src2,
                                    uint32_t src2WB, uint32_t width, uint32_t pixelCount,
                                    double* result);
LX_EXPORT int linar_correlation_Nx8(const void* src1, uint32_t src1WB, const void* src2,
                                    uint32_t src2WB, uint32_t comps, uint32_t width,
                                    uint32_t pixelCount, double* result);
LX_EXPORT int linar_correlation_1x16(const void* src1, uint32_t src1WB, const void* src2,
                                     uint32_t src2WB, uint32_t width, uint32_t pixelCount,
                                     double* result);
LX_EXPORT int linar_correlation_3x16(const void* src1, uint32_t src1WB, const void* src2,
                                     uint32_t src2WB, uint32_t width, uint32_t pixelCount,
                                     double* result);
LX_EXPORT int linar_correlation_Nx16(const void* src1, uint32_t src1WB, const void* src2,
                                     uint32_t src2WB, uint32_t comps, uint32_t width,
                                     uint32_t pixelCount, double* result);

// Merges the new picture into the average picture, pixel by pixel, with
// one double weight a pixel in each weight picture:
// A = trunc((A x Wa + N x Wn) / (Wa + Wn)) per component, then
// Wa = Wa + Wn. Both weights 0: sample and weight are kept; a quotient that
// is not a number keeps the sample, one outside the sample range is
// limited to it. No whole line: 0, nothing changed; -4 without a picture.
LX_EXPORT int average_update_1x8(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                                 const void* src, uint32_t srcWB, const void* srcWeights,
                                 uint32_t srcWeightsWB, uint32_t width, uint32_t pixelCount);
LX_EXPORT int average_update_3x8(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                                 const void* src, uint32_t srcWB, const void* srcWeights,
                                 uint32_t srcWeightsWB, uint32_t width, uint32_t pixelCount);
LX_EXPORT int average_update_Nx8(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                                 const void* src, uint32_t srcWB, const void* srcWeights,
                                 uint32_t srcWeightsWB, uint32_t comps, uint32_t width,
                                 uint32_t pixelCount);
LX_EXPORT int average_update_1x16(void* avg, uint32_t avgWB, void* avgWeights,
                                  uint32_t avgWeightsWB, const void* src, uint32_t srcWB,
                                  const void* srcWeights, uint32_t srcWeightsWB, uint32_t width,
                                  uint32_t pixelCount);
LX_EXPORT int average_update_3x16(void* avg, uint32_t avgWB, void* avgWeights,
                                  uint32_t avgWeightsWB, const void* src, uint32_t srcWB,
                                  const void* srcWeights, uint32_t srcWeightsWB, uint32_t width,
                                  uint32_t pixelCount);
LX_EXPORT int average_update_Nx16(void* avg, uint32_t avgWB, void* avgWeights,
                                  uint32_t avgWeightsWB, const void* src, uint32_t srcWB,
                                  const void* srcWeights, uint32_t srcWeightsWB, uint32_t comps,
                                  uint32_t width, uint32_t pixelCount);

} // extern "C"

// Bit-depth conversion through look-up tables and linear functions, and one
// value per pixel mapped to several components. Conventions: see
// LxCopyKernels.h.
//
// Tables are the memory of an SLxLut (gnr_picture/lut/LxLut.h):
// - flat: 2^b output samples (bytes for 8-bit outputs, 16-bit words for
//   16-bit outputs), one for each source value; every component of a pixel
//   goes through it;
// - rows: 2^b pointers; rows[v] points at the outputs of value v for each
//   output component in order, and output component k of a pixel is
//   rows[s_k][k].
// Every sample indexes the table directly: these raw kernels trust it to lie
// below 2^b (the members with srcBits look no further than 2^srcBits - 1).
// CLxPicMemAPI::ConvertBitDepthViaLuts checks the table against the formats
// and clamps samples above the table to its last entry.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

LX_EXPORT int convertbitdepthvialuts_1x16_to_1x8(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* flat, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_1x8_to_1x16(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* flat, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_1x16_to_1x16(void* dst, uint32_t dstWB, const void* src,
                                                  uint32_t srcWB, const void* flat, uint32_t width,
                                                  uint32_t pixelCount);

// srcBits is not used (kept for the callers that pass it).
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcBits, uint32_t srcWB,
                                                 const void* const* rows, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x8_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcBits, uint32_t srcWB,
                                                      const void* flat, uint32_t width,
                                                      uint32_t pixelCount);

LX_EXPORT int convertbitdepthvialuts_4x16_to_4x8(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* const* rows,
                                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x8_to_3x16(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* const* rows,
                                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_4x8_to_4x16(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* const* rows,
                                                 uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x16(void* dst, uint32_t dstWB, const void* src,
                                                  uint32_t srcWB, const void* const* rows,
                                                  uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_4x16_to_4x16(void* dst, uint32_t dstWB, const void* src,
                                                  uint32_t srcWB, const void* const* rows,
                                                  uint32_t width, uint32_t pixelCount);

LX_EXPORT int convertbitdepthvialuts_4x16_to_4x8_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcWB, const void* flat,
                                                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x8_to_3x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcWB, const void* flat,
                                                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_4x8_to_4x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcWB, const void* flat,
                                                      uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                       uint32_t srcWB, const void* flat,
                                                       uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_4x16_to_4x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                       uint32_t srcWB, const void* flat,
                                                       uint32_t width, uint32_t pixelCount);

LX_EXPORT int convertbitdepthvialuts_Nx16_to_Nx8(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* const* rows,
                                                 uint32_t comps, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_Nx8_to_Nx16(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcWB, const void* const* rows,
                                                 uint32_t comps, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_Nx16_to_Nx16(void* dst, uint32_t dstWB, const void* src,
                                                  uint32_t srcWB, const void* const* rows,
                                                  uint32_t comps, uint32_t width,
                                                  uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_Nx16_to_Nx8_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcWB, const void* flat,
                                                      uint32_t comps, uint32_t width,
                                                      uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_Nx8_to_Nx16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                      uint32_t srcWB, const void* flat,
                                                      uint32_t comps, uint32_t width,
                                                      uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_Nx16_to_Nx16_lut1(void* dst, uint32_t dstWB, const void* src,
                                                       uint32_t srcWB, const void* flat,
                                                       uint32_t comps, uint32_t width,
                                                       uint32_t pixelCount);

// With a null colour as the members above. Otherwise a pixel with any
// sample at or above 2^srcBits - 1 receives the 3 colour bytes (B, G, R).
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                                         uint32_t srcBits, uint32_t srcWB,
                                                         const void* const* rows,
                                                         const uint8_t* overExpColor,
                                                         uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialuts_3x16_to_3x8_lut1_overexp(void* dst, uint32_t dstWB,
                                                              const void* src, uint32_t srcBits,
                                                              uint32_t srcWB, const void* flat,
                                                              const uint8_t* overExpColor,
                                                              uint32_t width, uint32_t pixelCount);

// 32-bit source samples through a linear function per component: linParams
// holds (a, b, c, d) for each component k at 4k; the result is
// (s x a - b) / c + d computed modulo 2^64 (a product below b wraps), kept
// to its low 16 or 8 bits, without clipping. -4, nothing written, for a null
// linParams or a divisor c of 0. Any component count.
LX_EXPORT int convertbitdepthvialinfunc_1x32_to_1x16(void* dst, uint32_t dstWB, const void* src,
                                                     uint32_t srcWB, const uint64_t* linParams,
                                                     uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialinfunc_3x32_to_3x16(void* dst, uint32_t dstWB, const void* src,
                                                     uint32_t srcWB, const uint64_t* linParams,
                                                     uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialinfunc_1x32_to_1x8(void* dst, uint32_t dstWB, const void* src,
                                                    uint32_t srcWB, const uint64_t* linParams,
                                                    uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialinfunc_3x32_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                                    uint32_t srcWB, const uint64_t* linParams,
                                                    uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialinfunc_Mx32_to_Mx16(void* dst, uint32_t dstWB, const void* src,
                                                     uint32_t srcWB, const uint64_t* linParams,
                                                     uint32_t comps, uint32_t width,
                                                     uint32_t pixelCount);
LX_EXPORT int convertbitdepthvialinfunc_Mx32_to_Mx8(void* dst, uint32_t dstWB, const void* src,
                                                    uint32_t srcWB, const uint64_t* linParams,
                                                    uint32_t comps, uint32_t width,
                                                    uint32_t pixelCount);

// One source sample v a pixel (a byte for val8, a 16-bit word for val16) to
// several components: (flat[v], flat[v], flat[v]), (rows[v][0], rows[v][1],
// rows[v][2]) or rows[v][k] for k < comps.
LX_EXPORT int mapvialuts_val8_to_3x8_lut1(void* dst, uint32_t dstWB, const void* src,
                                          uint32_t srcWB, const void* flat, uint32_t width,
                                          uint32_t pixelCount);
LX_EXPORT int mapvialuts_val8_to_3x8_lut3(void* dst, uint32_t dstWB, const void* src,
                                          uint32_t srcWB, const void* const* rows, uint32_t width,
                                          uint32_t pixelCount);
LX_EXPORT int mapvialuts_val16_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                      const void* const* rows, uint32_t width, uint32_t pixelCount);
LX_EXPORT int mapvialuts_val16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int mapvialuts_val8_to_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                                     uint32_t srcWB, const void* const* rows, uint32_t width,
                                     uint32_t pixelCount);
LX_EXPORT int mapvialuts_val16_to_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                                       uint32_t srcWB, const void* const* rows, uint32_t width,
                                       uint32_t pixelCount);

} // extern "C"

// Rotation and affine resampling kernels; the dispatchers are
// CLxPicMemAPI::Rotate and CLxPicMemAPI::RotateMatrix.
//
// A destination pixel (x, y) is taken from the source position
//   (m0 x + m2 y + m4, m1 x + m3 y + m5).
// Pictures are given by pointer, bytes per line, width and height (not pixel
// count). Destination and source must not overlap. background is one pixel in
// the picture's own format, or null: then pixels the source does not cover
// keep their old values. Bytes past a line's last pixel are never touched,
// except that the bilinear members clear whole lines, padding included, for a
// background whose bytes are all 0. All return 0.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Nearest neighbour: the source pixel at the position truncated toward zero
// (positions in (-1, 0) fall on column or line 0); the position advances by
// addition in double precision. Members by pixel size: 1, 3, 4 bytes (8-bit
// samples), 2, 6, 8 bytes (16-bit samples).
LX_EXPORT int RotateNearest_1x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int RotateNearest_3x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int RotateNearest_4x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int rotate_nearest_1x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                  const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                  double m0, double m1, double m2, double m3, double m4, double m5,
                                  const void* background);
LX_EXPORT int rotate_nearest_3x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                  const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                  double m0, double m1, double m2, double m3, double m4, double m5,
                                  const void* background);
LX_EXPORT int rotate_nearest_4x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                  const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                  double m0, double m1, double m2, double m3, double m4, double m5,
                                  const void* background);
// Any pixel size (pixelBytes, at least 1).
LX_EXPORT int rotate_nearest_bytes(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                   const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                   double m0, double m1, double m2, double m3, double m4, double m5,
                                   const void* background, uint32_t pixelBytes);

// Bilinear, in fixed point of 1/(256 x dstW) source pixel, with the start-up
// weight table (g_LxBilinearWeights) and the blend divided by 255,
// truncated. Destination pixel (x, y) is sampled at source position
// (m4 - 0.5 + (x + 0.5) m0 + (y + 0.5) m2, m5 - 0.5 + (x + 0.5) m1 + (y + 0.5) m3),
// so pixel centres map onto pixel centres and m0 = m3 = 1 copies exactly.
// A missing neighbour takes the value of its partner in the same column or
// line (the source acts as if extended by its edge pixels); a pixel without
// any neighbour inside is not written. A background is filled before the
// resampling: all-0 bytes clear the whole buffer (dstWB x dstH bytes), any
// other pixel is set into the first dstW pixels of every line.
LX_EXPORT int rotate_linear_1x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int rotate_linear_3x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int rotate_linear_4x8(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                double m0, double m1, double m2, double m3, double m4, double m5,
                                const void* background);
LX_EXPORT int rotate_linear_1x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                 const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                 double m0, double m1, double m2, double m3, double m4, double m5,
                                 const void* background);
LX_EXPORT int rotate_linear_3x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                 const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                 double m0, double m1, double m2, double m3, double m4, double m5,
                                 const void* background);
LX_EXPORT int rotate_linear_4x16(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                 const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                                 double m0, double m1, double m2, double m3, double m4, double m5,
                                 const void* background);

// Exact right angles, counter-clockwise as displayed (line 0 at the top).
// The destination is srcH wide and srcW high for 90 and 270, srcW x srcH for
// 180; only its bytes per line is read from dstW and dstH's place. A pixel is
// comps samples of the storage size of bits (1, 2, 4 or 8 bytes).
//   90:  dst(x, y) = src(srcW - 1 - y, x)
//   180: dst(x, y) = src(srcW - 1 - x, srcH - 1 - y)
//   270: dst(x, y) = src(y, srcH - 1 - x)
LX_EXPORT int rotate_90(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                        uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps,
                        uint32_t bits);
LX_EXPORT int rotate_180(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                         uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps,
                         uint32_t bits);
LX_EXPORT int rotate_270(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                         uint32_t srcWB, uint32_t srcW, uint32_t srcH, uint32_t comps,
                         uint32_t bits);

} // extern "C"

// Savitzky-Golay smoothing and first derivatives of pictures over windows of
// 2m + 1 pixels: the weights, the twelve workers and the dispatcher that
// CLxPicBufAPI::GolayFilter forwards to.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lxpic
{

// Gram polynomial of order k over the points -m ... m, or its s-th
// derivative, at point i; in double arithmetic.
double GolayGramPoly(int i, int m, int k, int s);
// a x (a - 1) x ... x (a - b + 1); 1 for b <= 0.
double GolayGenFact(int a, int b);
// Weight of data point i for the value (s = 0) or first derivative (s = 1)
// at point t of the least-squares polynomial of order n; 0 for n < 0.
double GolayWeight(int i, int t, int m, int n, int s);

// The workers: destination and source pixels of one pitch, the mode's
// result per sample (each component on its own). Smoothing fits rows, then
// columns; derivx within rows, derivy within columns, derivmax the larger
// of the two; derivatives are |d| x 4 at 8 bits and |d| x 2^(10 - bits) at
// 9 to 16 bits. The first and last m samples of a line come from the
// polynomial through its first or last 2m + 1 samples. Samples above
// 2^bits - 1 count as 2^bits - 1.
// 0, also for m below 1 (nothing written); -9 for a filtered line shorter
// than 2m + 1, -4 for a null pointer, a pitch shorter than a line or an
// order outside 0 ... 2m, -3 without work memory; nothing written then.
int golay_smooth_1x8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_smooth_Nx8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_smooth_16(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                    uint32_t bits, uint32_t comps, int m, int n);
int golay_derivx_1x8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_derivx_Nx8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_derivx_16(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                    uint32_t bits, uint32_t comps, int m, int n);
int golay_derivy_1x8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_derivy_Nx8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                     uint32_t comps, int m, int n);
int golay_derivy_16(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                    uint32_t bits, uint32_t comps, int m, int n);
int golay_derivmax_1x8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                       uint32_t comps, int m, int n);
int golay_derivmax_Nx8(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                       uint32_t comps, int m, int n);
int golay_derivmax_16(void* dst, const void* src, uint32_t width, uint32_t height, uint32_t wb,
                      uint32_t bits, uint32_t comps, int m, int n);

// Stores 4-byte derivative sums (already limited to 2^(2 bits) - 1) as
// samples of 9 to 16 bits: each shifted right by bits. src holds width x
// comps values a line, lines srcStride values apart.
void golay_store_16(void* dst, uint32_t dstWB, const uint32_t* src, size_t srcStride,
                    uint32_t width, uint32_t height, uint32_t comps, uint32_t bits);

// What CLxPicBufAPI::GolayFilter does with its pictures: m = (size - 1) / 2
// (at least 2 for mode 0), then the worker of the mode (0 smooth, 1 derivx,
// 2 derivy, 3 derivmax), bits (8, 9 to 16) and components, order 2.
// -9 for missing pictures, pictures of different size, format or pitch, or
// a width or height below m or a filtered line shorter than 2m + 1; -2 for
// other bits or modes; 0 without writing for m below 1; else the worker's.
int golay_filter(SLxPicBuf* dst, const SLxPicBuf* src, int size, int mode);

} // namespace lxpic

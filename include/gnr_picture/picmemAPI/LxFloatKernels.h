// Kernels of float pictures: copies, fills, component moves, conversions
// to and from the two-plane complex layout (Float2), tone mapping of high
// dynamic range pictures to integer pictures, resampling and the cutting and
// padding before Fourier transforms.
//
// A float picture is 32-bit float samples, comps of them a pixel, lines
// wb bytes apart (stepped by wb rounded down to a multiple of 4). Where a
// kernel takes a pixel count, count / width whole lines are worked on. Every
// kernel returns 0; a width, height or count of 0 returns 0 at once and
// touches nothing. Pointers and sizes are trusted to lie in their pictures.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// --- Copies and fills --------------------------------------------------------

LX_EXPORT int copyfloat(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                        uint32_t width, uint32_t count);
// Every pixel takes values[0..comps).
LX_EXPORT int set_Nxfloat(void* dst, uint32_t comps, uint32_t wb, const float* values,
                          uint32_t width, uint32_t count);
// Component comp (below comps, else nothing is done) of every pixel.
LX_EXPORT int setcomponent_Nxfloat(void* dst, uint32_t comps, uint32_t wb, uint32_t comp,
                                   float value, uint32_t width, uint32_t count);
// Component srcComp of src into component dstComp of dst; an index outside
// its picture does nothing.
LX_EXPORT int copycomponent_Nxfloat_to_Nxfloat(void* dst, uint32_t dstComps, uint32_t dstWB,
                                               uint32_t dstComp, const void* src, uint32_t srcComps,
                                               uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                               uint32_t count);

// --- Float2 conversions ------------------------------------------------------
//
// The two planes share floatComps and floatWB; the second (imaginary or
// phase) plane of a destination is cleared, that of a source not read.

// First plane: the mean of each source pixel's srcComps samples (their sum
// as a double over the count). bits is the source depth, not used.
LX_EXPORT int extract_Nx8_to_1xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                                      const void* src, uint32_t srcWB, uint32_t bits,
                                      uint32_t srcComps, uint32_t width, uint32_t count);
LX_EXPORT int extract_Nx16_to_1xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                                       const void* src, uint32_t srcWB, uint32_t bits,
                                       uint32_t srcComps, uint32_t width, uint32_t count);
// The three samples of each pixel, as floats.
LX_EXPORT int extract_Nx8_to_3xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                                      const void* src, uint32_t srcWB, uint32_t bits,
                                      uint32_t srcComps, uint32_t width, uint32_t count);
LX_EXPORT int extract_Nx16_to_3xFloat2(float* re, float* im, uint32_t floatComps, uint32_t floatWB,
                                       const void* src, uint32_t srcWB, uint32_t bits,
                                       uint32_t srcComps, uint32_t width, uint32_t count);
// Each value v of the first plane stores trunc(v + 0.5) held to 0 .. M (255
// at 8 bits, 2^bits - 1 at 9 to 16); NaN stores 0. min(dstComps, floatComps)
// components a pixel are written.
LX_EXPORT int extract_Float2_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t bits,
                                    const float* re, const float* im, uint32_t floatComps,
                                    uint32_t floatWB, uint32_t width, uint32_t count);
LX_EXPORT int extract_Float2_to_Nx16(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t bits,
                                     const float* re, const float* im, uint32_t floatComps,
                                     uint32_t floatWB, uint32_t width, uint32_t count);

// --- Range and tone maps -----------------------------------------------------
//
// Over contiguous pictures of width x height pixels (no padding). The range
// of component comp: *max the largest value, never below 0.0; *min the
// smallest value above 0.0, 1e30 when there is none. Nothing is written
// for a component the picture lacks or a missing pointer.
LX_EXPORT int getminmax_Nxfloat(const float* src, uint32_t width, uint32_t height, uint32_t comps,
                                float* min, float* max, uint32_t comp);

// Each component c is mapped on its own over its range m .. X into 0 .. M
// (255, or 2^bits - 1 for 9 to 16 bits) and truncated: 0 and below (and NaN)
// store 0, X and above store M, a component whose X is 0.0 stores 0.
// Tumblin: y = x p M / (x p - x + X) with p = (x / g + 1) / 2 x (30 / M) X / m
// and g = sqrt(m X); the param forms take a fixed p. Drago (bias 0.85):
// y = ln(x + 1) s / ln(2 + 8 (x / X)^e), e = ln 0.85 / ln 0.5,
// s = M / log10(X + 1).
LX_EXPORT int map_float_to_Nx8_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                                       uint32_t height, uint32_t comps);
LX_EXPORT int map_float_to_Nx16_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                                        uint32_t height, uint32_t comps);
LX_EXPORT int map_float_to_Nx8_param_Tumblin(void* dst, uint32_t bits, const float* src,
                                             uint32_t width, uint32_t height, uint32_t comps,
                                             uint32_t p);
LX_EXPORT int map_float_to_Nx16_param_Tumblin(void* dst, uint32_t bits, const float* src,
                                              uint32_t width, uint32_t height, uint32_t comps,
                                              uint32_t p);
LX_EXPORT int map_float_to_Nx8_Drago(void* dst, uint32_t bits, const float* src, uint32_t width,
                                     uint32_t height, uint32_t comps);
LX_EXPORT int map_float_to_Nx16_Drago(void* dst, uint32_t bits, const float* src, uint32_t width,
                                      uint32_t height, uint32_t comps);

// --- Resampling --------------------------------------------------------------
//
// The region regionW x regionH whose first pixel src lies at (x0, y0) of a
// source picture of srcLines lines of srcWB bytes (srcWB / 4 / comps pixels
// a line) into dstW x dstH pixels. Reads are clamped to the picture. The 1x
// and 3x members take comps as 1 or 3.

// Nearest: column floor((x + 0.5) sx) when enlarging, floor(x sx) when
// shrinking (sx = regionW / dstW in single precision); lines alike.
typedef int LxFloatStretchNnFn(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW,
                               uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcLines,
                               uint32_t x0, uint32_t y0, uint32_t regionW, uint32_t regionH);
LX_EXPORT LxFloatStretchNnFn stretch_nn_Nxfloat;
LX_EXPORT LxFloatStretchNnFn stretch_nn_1xfloat;
LX_EXPORT LxFloatStretchNnFn stretch_nn_3xfloat;

typedef double (*LxFloatWeightFn)(double t);

// Line pass: lines source lines (src at the region's left column of the
// first) into tmp, dstW pixels each, from the regionW columns. The centre of
// column x is x s - 0.5 + s / 2 (s = regionW / dstW); a shrink stretches the
// filter over s source columns. Weights are 16.16, each list normalised by
// truncating division. srcLines, y0 and lineCount are not read.
typedef int LxFloatFilterHorzFn(void* tmp, uint32_t comps, uint32_t tmpWB, uint32_t dstW,
                                uint32_t lines, const void* src, uint32_t srcWB, uint32_t srcLines,
                                uint32_t x0, uint32_t y0, uint32_t regionW, uint32_t lineCount,
                                LxFloatWeightFn filter, uint32_t support);
LX_EXPORT LxFloatFilterHorzFn stretch_filter_horz_Nxfloat;
LX_EXPORT LxFloatFilterHorzFn stretch_filter_horz_1xfloat;
LX_EXPORT LxFloatFilterHorzFn stretch_filter_horz_3xfloat;

// Column pass: dstH lines from the regionH temporary lines starting at tmp,
// which has above lines before it and tmpLines lines in all (reads clamped
// to them). zero and dstW2 are not read.
typedef int LxFloatFilterVertFn(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW,
                                uint32_t dstH, const void* tmp, uint32_t tmpWB, uint32_t tmpLines,
                                uint32_t zero, uint32_t above, uint32_t dstW2, uint32_t regionH,
                                LxFloatWeightFn filter, uint32_t support);
LX_EXPORT LxFloatFilterVertFn stretch_filter_vert_Nxfloat;
LX_EXPORT LxFloatFilterVertFn stretch_filter_vert_1xfloat;
LX_EXPORT LxFloatFilterVertFn stretch_filter_vert_3xfloat;

// 0.75 - t^2 for |t| < 0.5, 0.5 (|t| - 1.5)^2 for 0.5 <= |t| < 1.5, else 0.
LX_EXPORT double filter_quadratic_bspline(double t);

// --- Cutting and padding -----------------------------------------------------
//
// Contiguous pictures: lines of width x comps floats.

// The whole src into dst at (x, y).
LX_EXPORT int copyrect_float(float* dst, uint32_t dstW, uint32_t dstH, const float* src,
                             uint32_t srcW, uint32_t srcH, uint32_t x, uint32_t y, uint32_t comps);
// The width x height rectangle at (x, y) of src into dst.
LX_EXPORT int cutimage_float(float* dst, uint32_t width, uint32_t height, const float* src,
                             uint32_t srcW, uint32_t srcH, uint32_t x, uint32_t y, uint32_t comps);
// The width x height rectangle at (srcX, srcY) of src to (dstX, dstY) of dst.
LX_EXPORT int tilepad_float(float* dst, uint32_t dstW, uint32_t dstH, const float* src,
                            uint32_t srcW, uint32_t srcH, uint32_t dstX, uint32_t dstY,
                            uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
                            uint32_t comps);

} // extern "C"

// The per-depth workers behind the kernel filters of CLxPicBufAPI: grey
// erosion and dilation, convolution, edges, relief, anaglyph, the regional
// maxima passes, box smoothing and local contrast. The picture operations
// check their arguments and pick one worker by depth (8 bits, or 16-bit
// samples for 9 to 16 bits) and kernel shape.
//
// Common rules:
// - Destination first, source second, then the kernel and numbers. The
//   workers read only the source and write only the destination; the two
//   are distinct pictures of the same width, height and components, each
//   stepped by its own uiWidthBytes. Components are independent.
// - Outside the picture the nearest edge sample stands (coordinates clamped
//   into the picture). The interior is where the whole kernel lies inside;
//   the border strips are the rest.
// - A worker given a missing picture, pictures of different size or
//   components, or an unusable kernel (see IsUsableKernel) returns -9 and
//   writes nothing. Otherwise results as documented; 0 for success.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

// --- Kernel walk and sample access ---------------------------------------------

// The interior of a kernel walk: the first interior sample of the source
// and of the destination (centre row lines down, centre column x components
// samples across), the number of interior rows (height - rows + 1), the
// samples of one interior row ((width - columns + 1) x components) and the
// samples from the end of one interior row to the start of the next, for the
// source and for the destination. Each out-value is written only when given.
// False, nothing written, when the kernel does not fit the source.
bool KernelWalkParams8(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       const uint8_t** firstSrc, uint8_t** firstDst, uint32_t* rows,
                       uint32_t* rowSamples, ptrdiff_t* srcRowSkip, ptrdiff_t* dstRowSkip);
bool KernelWalkParams16(const SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        const uint16_t** firstSrc, uint16_t** firstDst, uint32_t* rows,
                        uint32_t* rowSamples, ptrdiff_t* srcRowSkip, ptrdiff_t* dstRowSkip);

// The sample at the clamped row and column (signed: -1 is row 0).
uint8_t GetSampleClamped8(const SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp);
uint16_t GetSampleClamped16(const SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp);
// Write one sample. The plain forms are for coordinates inside the picture;
// all of them clamp, so a stray coordinate never leaves the picture.
void SetSample_8(SLxPicBuf* pic, uint32_t row, uint32_t col, uint32_t comp, uint8_t value);
void SetSample_16(SLxPicBuf* pic, uint32_t row, uint32_t col, uint32_t comp, uint16_t value);
void SetSampleClamped8(SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp, uint8_t value);
void SetSampleClamped16(SLxPicBuf* pic, int64_t row, int64_t col, uint32_t comp, uint16_t value);

// --- Grey erosion and dilation ---------------------------------------------------
// Each destination sample becomes the minimum (Erode) or maximum (Dilate) of
// the source samples under the kernel's set elements, borders included. A
// kernel without set elements leaves the destination as it was.

// Any mask.
int Erode_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
// The named shapes: the interior takes the first 4 ("Smooth2"), 9
// ("Smooth3", its fifth read at the anchor) or 12 ("Oct4") set elements,
// the border strips every set element. A kernel with fewer set elements
// goes to the general worker. The 8-bit members the table leaves to the
// picture operation are here too.
int Erode_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
// Full odd squares (IsFullSquareKernel), separable. A square larger than
// the picture writes nothing. maxValue is the largest value of the depth.
int Erode_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Erode_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int Dilate_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                    uint32_t maxValue);
int Dilate_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                     uint32_t maxValue);
// The centred square of side 2 reach + 1 (which must fit the picture, else
// -9), edges clamped.
int ErodeSquareReach_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach);
int ErodeSquareReach_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach);
int DilateSquareReach_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach);
int DilateSquareReach_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reach);
// Only the border strips (for the picture operation's own interiors); the
// interiors alone for the general mask.
int ErodeBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int DilateBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int ErodeInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int DilateInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);

// --- Convolution and edges ---------------------------------------------------------
// s = the sum of sample x weight over the set elements (64-bit); when the
// divisor (after the rule of CalcKernelOffsets) is not 1, s = (s + divisor
// / 2) / divisor truncated toward zero.

// Unsigned: s held to 0 .. maxValue. Convolve_* write the border strips,
// ConvolveInterior_* the interior.
int Convolve_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
               uint32_t maxValue);
int Convolve_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                uint32_t maxValue);
int ConvolveInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, uint32_t maxValue);
int ConvolveInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        int32_t divisor, uint32_t maxValue);
// Signed: s held to lowest .. highest (CLxPicMemAPI::CalcIntMin/Max of the
// bits) and stored as (s XOR signFlip) - shift in the sample width, which is
// s - lowest. signFlip is 0x80, 0x8000 or 0x80000000, shift CalcIntMin of the
// bits minus CalcIntMin of the sample width. _8, _16 and _32B: border strips;
// _32A and the Interior members: the interior (nothing when the kernel does
// not fit).
int ConvolveSigned_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                     int32_t lowest, int32_t highest, uint32_t signFlip, uint32_t shift);
int ConvolveSigned_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                      int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                      uint32_t shift);
int ConvolveSigned_32A(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                       uint32_t shift);
int ConvolveSigned_32B(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                       uint32_t shift);
int ConvolveSignedInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                             int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                             uint32_t shift);
int ConvolveSignedInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                              uint32_t shift);
// Gradient magnitude |gx| + |gy| held to 0 .. maxValue, with gx = 2 (E - W)
// + (NE - NW) + (SE - SW) and gy = 2 (S - N) + (SE - NE) + (SW - NW) (N the
// row above). The kernel (a 3 x 3 anchored at its centre) only marks which
// samples are border. EdgesDetect_*: the border strips; the Interior
// members: the interior.
int EdgesDetect_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t maxValue);
int EdgesDetect_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                   uint32_t maxValue);
int EdgesDetectInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                          uint32_t maxValue);
int EdgesDetectInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                           uint32_t maxValue);

// --- Relief and anaglyph ----------------------------------------------------------

// Destination (x + dx, y + dy) = source (x, y); the first dx pixels of each
// row repeat column dx, the first dy rows repeat row dy. dx or dy at or
// beyond the source's size (negative counts are huge): nothing copied.
int ReliefShiftCopy_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t dx, uint32_t dy);
int ReliefShiftCopy_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t dx, uint32_t dy);
// out = the ratio displaced / source, rescaled to the mean of displaced per
// component and held to 2^bits - 1. -9 when the three pictures differ in
// size or format; -3 when the temporaries cannot be had (out unchanged).
int ReliefCombine_8(SLxPicBuf* out, const SLxPicBuf* displaced, const SLxPicBuf* src);
int ReliefCombine_16(SLxPicBuf* out, const SLxPicBuf* displaced, const SLxPicBuf* src);
// means[c] = the mean sample of component c; nothing for a missing argument.
void ReliefComponentMeans(const SLxPicBuf* pic, double* means);
// Two views of the source shifted left and right by a depth map (one byte a
// pixel), into a cleared three-component destination: levels 0 .. levels - 1
// in steps of maxShift / levels pixels. Masks select the destination
// components of each view (bits 16-23 the first, 8-15 the second, 0-7 the
// third). CreateAnaglyphKernel for 16-bit destinations, _8 for bytes. -9
// for levels below 1 (destination untouched) or pictures that do not fit.
int CreateAnaglyphKernel(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                         int32_t levels, bool averaging, bool forward, bool anchor,
                         uint32_t leftMask, uint32_t rightMask, int32_t maxShift);
int CreateAnaglyphKernel_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                           int32_t levels, bool averaging, bool forward, bool anchor,
                           uint32_t leftMask, uint32_t rightMask, int32_t maxShift);

// --- Regional maxima passes --------------------------------------------------------
// The reconstruction of dst (the marker) under src (the mask), in place:
// each sample becomes min(largest of its pass neighbourhood in dst, src),
// 0 where src is 0. Forward: NW, N, NE, W and itself, rows top down, left
// to right; backward: itself, E, SW, S, SE, bottom up, right to left. The
// kernel is the 3 x 3 neighbourhood record; a source smaller than it
// returns 0 at once. Both passes visit every pixel (the top and bottom rows
// too), so passes repeated until neither changes anything give the
// reconstruction. Returns 1 when a sample changed, else 0.
int RegionalMaximaStep1_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int RegionalMaximaStep1_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int RegionalMaximaPass_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
int RegionalMaximaStep2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
// One pixel, every component, by the forward (or backward) rule with
// clamped reads; sets *changed to 1 on a change, never clears it.
void RegionalMaximaBorderPixel_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row, uint32_t col,
                                 int* changed);
void RegionalMaximaBorderPixel_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row, uint32_t col,
                                  int* changed);
void RegionalMaximaBorderPixelBack_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row,
                                     uint32_t col, int* changed);
void RegionalMaximaBorderPixelBack_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row,
                                      uint32_t col, int* changed);

// --- Box smoothing and local contrast (one component) -----------------------------

// Each sample becomes the mean (truncated) of the n x n box from x - lead to
// x + half - 1 (half = n / 2, lead = n - half), likewise in y, clipped to
// the picture. -9 for n < 2 or n above the smaller of width and height,
// before any write; -3 without scratch memory.
int smoothsquare_box_8(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n);
int smoothsquare_box_16(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n);
// Each sample stretched about the middle of its local n x n minimum and
// maximum: ((s - mid) x trunc(amount x 1024)) >> 10 + mid, held to the
// depth. The envelopes (of the box-smoothed source when smoothFirst) are
// exact on every fourth column and row and interpolated between (every gap
// between two exact columns or rows; past the last one it is repeated). n
// from 1 to min(width, height), else -9 (the operation passes an even n of
// at least 2, limited to min(width, height) - 1); -3 without scratch memory.
int localcontrast_tailed_8(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount,
                           bool smoothFirst);
int localcontrast_tailed_16(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount,
                            bool smoothFirst);
// Minimum and maximum of samples[from .. to - 1]; an empty run gives the
// minimum 255 (65535) and the maximum 0. pair[0] the minimum, pair[1] the
// maximum; row_min_* writes *out, row_max_* pair[1] only.
void row_minmax_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* pair);
void row_minmax_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* pair);
void row_min_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* out);
void row_min_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* out);
void row_max_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* pair);
void row_max_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* pair);

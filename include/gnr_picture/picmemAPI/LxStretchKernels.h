// Stretch kernels: nearest-neighbour resampling, the filtered two-pass
// resampling, the threaded area-averaging reduction and the one-bit stretch.
// The CLxPicMemAPI stretch operations choose among them; call those where
// you can. Conventions: see LxCopyKernels.h.
//
// Members are named <operation>_<C>x<B>: C is 1, 3 or N (any count; the 1
// and 3 members take comps as 1 or 3 whatever is passed), B is 8 (byte
// samples) or 16 (16-bit words, lines stepped by whole words: a pitch of w
// bytes advances w / 2 samples). Destination and source have the same
// format; the stretch never changes a sample's depth.
//
// Column c and row r of the nearest rule: floor((x + 0.5) x scale) with
// scale = source size / destination size, clamped to the last readable
// column or line. A destination line whose source line equals the previous
// line's is copied from the destination line above.
//
// Results: 0; -3 when the scratch tables cannot be allocated; -9 for sizes
// that give no picture (0 components, an empty source or virtual
// destination, a window that starts outside its picture). An empty
// destination (width or height 0) returns 0 before any other check.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// --- Nearest neighbour --------------------------------------------------------

// The source window srcW x srcH, whose first sample src is pixel (srcX, srcY)
// of a picture of srcHeight lines of srcWB bytes, into the whole destination
// dstW x dstH. srcX, srcY and srcHeight only bound the reads: columns are
// clamped to the picture's line (srcWB / comps pixels), lines to srcHeight.
typedef int LxStretchFn(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                        const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX,
                        uint32_t srcY, uint32_t srcW, uint32_t srcH);
LX_EXPORT LxStretchFn stretch_1x8;
LX_EXPORT LxStretchFn stretch_3x8;
LX_EXPORT LxStretchFn stretch_Nx8;
LX_EXPORT LxStretchFn stretch_1x16;
LX_EXPORT LxStretchFn stretch_3x16;
LX_EXPORT LxStretchFn stretch_Nx16;

// The tile winW x winH whose top-left pixel is (winX, winY) of a virtual
// picture dispW x dispH that shows the whole source srcW x srcH (src is
// pixel (0, 0)), into dst. Columns and lines are clamped to the source.
typedef int LxStretchDisplayFn(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                               uint32_t dstWB, uint32_t dispW, uint32_t dispH, uint32_t winX,
                               uint32_t winY, const void* src, uint32_t srcW, uint32_t srcH,
                               uint32_t srcWB);
LX_EXPORT LxStretchDisplayFn stretchdisplay_1x8;
LX_EXPORT LxStretchDisplayFn stretchdisplay_3x8;
LX_EXPORT LxStretchDisplayFn stretchdisplay_Nx8;
LX_EXPORT LxStretchDisplayFn stretchdisplay_1x16;
LX_EXPORT LxStretchDisplayFn stretchdisplay_3x16;
LX_EXPORT LxStretchDisplayFn stretchdisplay_Nx16;

// As stretchdisplay, for a virtual source srcW x srcH of which only the
// rectangle (validLeft, validTop, validWidth x validHeight) holds data: src
// is that rectangle's first sample, its lines srcWB bytes apart. Every tile
// pixel whose source column or line lies outside the rectangle is the
// background pixel (comps samples of the destination's width); no sample
// outside the rectangle is read. -4 without a background pixel.
typedef int LxStretchDisplayExFn(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                                 uint32_t dstWB, uint32_t dispW, uint32_t dispH, uint32_t winX,
                                 uint32_t winY, const void* src, uint32_t validLeft,
                                 uint32_t validTop, uint32_t validWidth, uint32_t validHeight,
                                 uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                                 const void* background);
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_1x8;
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_3x8;
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_Nx8;
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_1x16;
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_3x16;
LX_EXPORT LxStretchDisplayExFn stretchdisplayex_Nx16;

// --- Filtered two-pass resampling -----------------------------------------------
//
// A horizontal pass filters each needed source line into an intermediate
// buffer of the output width; a vertical pass filters the buffer's columns
// into the destination. Every output position has a contributor list of
// 16.16 weights, from the weight function over the taps near its centre
// (offset0 + i + 0.5) x scale - 0.5 in source coordinates (scale = input
// size / output size; for a reduction the filter is stretched by scale and
// its support becomes ceil(radius x scale)). Taps outside the readable data
// are clamped onto the edge sample. Each list's weights sum to exactly 65536:
// the rounding remainder goes to its middle entry; a list whose weights all
// truncate to 0 becomes the single tap nearest the centre. An output sample
// is the 32-bit sum of sample x weight, shifted right by 16: it never exceeds
// the largest sample of its taps.
//
// filter is a weight function of LxStretchFilters.h, radius its width in
// source samples (3 for filter_bspline2, 2 for filter_triangle). Buffer
// lines hold samples of the pass's width; the buffer pitch is the caller's.
// Results: 0, or -3 when the contributor lists cannot be allocated (nothing
// written).

typedef double (*LxStretchWeightFn)(double t);

// Columns [left, right) of the virtual output and source lines [top, bottom)
// that a display pass covers.
struct SLxStretchRect {
    uint32_t left;
    uint32_t top;
    uint32_t right;
    uint32_t bottom;
};

// Stretch, horizontal: lines source lines from src (the first sample of the
// window's column srcX on the first line needed) into buf, each dstW pixels
// resampled from the window's srcW columns. Taps reach the real neighbours
// of the window on both sides, held inside the srcWB / comps columns of the
// line (srcX of them left of the window), replicating the line's edges.
typedef int LxStretchFilterHFn(void* buf, uint32_t bufWB, uint32_t comps, uint32_t dstW,
                               uint32_t lines, const void* src, uint32_t srcWB, uint32_t srcX,
                               uint32_t srcW, LxStretchWeightFn filter, uint32_t radius);
LX_EXPORT LxStretchFilterHFn stretchfilterh_1x8;
LX_EXPORT LxStretchFilterHFn stretchfilterh_3x8;
LX_EXPORT LxStretchFilterHFn stretchfilterh_Nx8;
LX_EXPORT LxStretchFilterHFn stretchfilterh_1x16;
LX_EXPORT LxStretchFilterHFn stretchfilterh_3x16;
LX_EXPORT LxStretchFilterHFn stretchfilterh_Nx16;

// Stretch, vertical: dstH lines of dstW pixels resampled from the srcH
// window lines held in buf from buffer line top on; taps are clamped to the
// bufLines buffer lines (top lines above the window and the rest below).
typedef int LxStretchFilterVFn(void* dst, uint32_t dstWB, uint32_t comps, uint32_t dstW,
                               uint32_t dstH, const void* buf, uint32_t bufWB, uint32_t srcH,
                               uint32_t top, uint32_t bufLines, LxStretchWeightFn filter,
                               uint32_t radius);
LX_EXPORT LxStretchFilterVFn stretchfilterv_1x8;
LX_EXPORT LxStretchFilterVFn stretchfilterv_3x8;
LX_EXPORT LxStretchFilterVFn stretchfilterv_Nx8;
LX_EXPORT LxStretchFilterVFn stretchfilterv_1x16;
LX_EXPORT LxStretchFilterVFn stretchfilterv_3x16;
LX_EXPORT LxStretchFilterVFn stretchfilterv_Nx16;

// Display, horizontal: for each source line rect->top + k (k below
// rect->bottom - rect->top), the virtual output columns [rect->left,
// rect->right) of a picture dispW wide that shows the source's srcW columns
// (src is pixel (0, 0)), into buffer line k. Taps are clamped to the source.
typedef int LxStretchDisplayFilterHFn(void* buf, uint32_t bufWB, uint32_t comps, const void* src,
                                      uint32_t srcWB, uint32_t srcW, uint32_t dispW,
                                      const SLxStretchRect* rect, LxStretchWeightFn filter,
                                      uint32_t radius);
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_1x8;
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_3x8;
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_Nx8;
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_1x16;
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_3x16;
LX_EXPORT LxStretchDisplayFilterHFn stretchdisplayfilterh_Nx16;

// As stretchdisplayfilterh over a source of which only the rectangle valid
// ([left, right) x [top, bottom) in source pixels) holds data; src is its
// first sample. Only taps inside the valid columns count; a buffer line from
// a source line outside the valid lines, and an output column without a
// valid tap, are the background pixel. -4 without rect, valid or background.
typedef int LxStretchDisplayExFilterHFn(void* buf, uint32_t bufWB, uint32_t comps, const void* src,
                                        uint32_t srcWB, uint32_t srcW, uint32_t dispW,
                                        const SLxStretchRect* rect, const SLxStretchRect* valid,
                                        const void* background, LxStretchWeightFn filter,
                                        uint32_t radius);
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_1x8;
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_3x8;
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_Nx8;
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_1x16;
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_3x16;
LX_EXPORT LxStretchDisplayExFilterHFn stretchdisplayexfilterh_Nx16;

// Display, vertical: the tile's winH lines (virtual lines winY on of a
// picture dispH high that shows the source's srcH lines) of rect->right -
// rect->left pixels, from the buffer that holds source lines [rect->top,
// rect->bottom). -4 without rect.
typedef int LxStretchDisplayFilterVFn(void* dst, uint32_t dstWB, uint32_t comps, uint32_t winH,
                                      const void* buf, uint32_t bufWB, uint32_t srcH,
                                      uint32_t dispH, uint32_t winY, const SLxStretchRect* rect,
                                      LxStretchWeightFn filter, uint32_t radius);
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_1x8;
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_3x8;
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_Nx8;
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_1x16;
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_3x16;
LX_EXPORT LxStretchDisplayFilterVFn stretchdisplayfilterv_Nx16;

// --- Area averaging -------------------------------------------------------------

// Reduces a whole one-component picture srcW x srcH by at least about 3 in
// each direction: destination pixel (i, j) is the truncated mean of a sparse
// grid of at most 5 x 5 samples of its block of step = round(src / dst)
// source pixels a side (every sample for steps 3 and 4, every second for 5 to
// 9, ...). Block starts lie step apart with the rounding remainder spread
// evenly over the row and never reach past the source edge. One worker
// thread computes the lower half of the rows (the larger half when dstH is
// odd) while the caller computes the upper half; it is joined before the call
// returns. bits is not looked at: the member fixes the sample width.
// Results: 0; -2 for comps other than 1; -3 when the block tables cannot be
// allocated; -9 for a source smaller than half the destination in either
// direction, or when the worker cannot be started (nothing written).
typedef int LxStretchAverageFn(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                               const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                               uint32_t comps, uint32_t bits);
LX_EXPORT LxStretchAverageFn stretch_average_1x8;
LX_EXPORT LxStretchAverageFn stretch_average_1x16;

// --- One-bit pictures -----------------------------------------------------------
//
// Pixel x of a line is bit 7 - (x mod 8) of byte x / 8 (the leftmost pixel
// in the most significant bit); a line of w pixels fills (w + 7) / 8 bytes,
// bits beyond the width are written 0 and the padding after them is left
// alone. The nearest rule as above. A vertical enlargement (fewer source than
// destination lines) hands over to the table-driven *expand* variant, which
// gives the same pixels. Results as above.

// The window srcW x srcH whose first pixel is bit srcX mod 8 of the byte src
// (the byte that holds pixel (srcX, srcY)) of a picture of srcHeight lines of
// srcWB bytes, into the whole destination dstW x dstH; reads are clamped to
// the line (srcWB x 8 pixels) and to srcHeight.
typedef int LxStretchBinFn(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                           uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
                           uint32_t srcW, uint32_t srcH);
LX_EXPORT LxStretchBinFn stretch_bin_to_bin;
LX_EXPORT LxStretchBinFn stretchexpand_bin_to_bin;

// The tile winW x winH at (winX, winY) of a virtual picture dispW x dispH
// that shows the whole source srcW x srcH; src is pixel (0, 0).
typedef int LxStretchDisplayBinFn(void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                                  uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                                  const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB);
LX_EXPORT LxStretchDisplayBinFn stretchdisplay_bin_to_bin;
LX_EXPORT LxStretchDisplayBinFn stretchdisplayexpand_bin_to_bin;

} // extern "C"

// Internal entry points of the rotation family: the resampling chooser, the
// strided pixel copy under the right-angle kernels and the rotate-and-clip
// kernels of three-byte colour pictures.
#pragma once

#include <cstddef>
#include <cstdint>

// Picks the resampling kernel: 1, 3 or 4 components of up to 8 bits or of 9
// to 16 bits take the nearest member for mode 1 and the bilinear member for
// any other mode; every other format takes rotate_nearest_bytes with whole
// pixels of comps samples of the storage size of bits. Heights, not pixel
// counts. 0, or -2 for bits 0 or above 64.
int rotate_resample_dispatch(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                             const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                             uint32_t comps, uint32_t bits, double m0, double m1, double m2,
                             double m3, double m4, double m5, const void* background, int32_t mode);

// Copies lines x pixels pixels of pixelBytes bytes: pixel i of line j goes
// from src + i srcPixStep + j srcLineStep to dst + i dstPixStep + j
// dstLineStep (signed byte distances).
void copy_strided(uint8_t* dst, ptrdiff_t dstPixStep, ptrdiff_t dstLineStep, const uint8_t* src,
                  ptrdiff_t srcPixStep, ptrdiff_t srcLineStep, uint32_t pixels, uint32_t lines,
                  uint32_t pixelBytes);

// Rotate and clip of three-byte pixels (CLxPicMemAPI::RotateAndClip). The
// angle is already in [0, 360). All return 0.
struct SLxClipGeometry {
    uint32_t lines;        // destination lines to write
    uint32_t pixels;       // pixels per destination line to write
    uint32_t centreHeight; // destination height that fixes the centre
    uint32_t clipWidth;    // source piece
    uint32_t clipHeight;
    int32_t left, right, top, bottom; // margins of the piece in the larger picture
    double shiftX, shiftY;
    double angle;
};
int rotateandclip_linear(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const SLxClipGeometry& g);
int rotateandclip_nearest(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                          const SLxClipGeometry& g);
// With a mask of the destination's bytes per line: its first maskWidth
// pixels of every written line are cleared first, and 128, 128, 128 marks
// every pixel drawn.
int rotateandclip_linear_dual(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                              const void* src, uint32_t srcWB, const SLxClipGeometry& g);
int rotateandclip_nearest_dual(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                               const void* src, uint32_t srcWB, const SLxClipGeometry& g);

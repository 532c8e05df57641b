// The stretch operations behind CLxPicMemAPI::Stretch, StretchDisplay and
// StretchDisplayEx: argument checks, the mode's kernels and, for the filtered
// modes, the intermediate buffer of the two passes. Arguments and results as
// those members give them.
#pragma once

#include <cstdint>

namespace lxstretch
{

// Modes by number: 1 nearest neighbour, 2 B-spline, 3 triangle, 4 area
// averaging (Stretch only, else as 2 in Stretch and as 1 in the display
// operations); any other number is nearest neighbour. lineWidth: the
// columns a source line holds (taps of the filtered modes reach no further);
// 0 takes the columns of the line pitch, srcWB / comps samples.
int stretch(void* dst, uint32_t comps, uint32_t dstWB, uint32_t bits, uint32_t dstW, uint32_t dstH,
            const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
            uint32_t srcW, uint32_t srcH, int mode, uint32_t lineWidth = 0);

int stretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                   uint32_t bits, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                   const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB, int mode);

int stretchDisplayEx(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                     uint32_t bits, uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                     const void* src, uint32_t validLeft, uint32_t validTop, uint32_t validWidth,
                     uint32_t validHeight, uint32_t srcW, uint32_t srcH, uint32_t srcWB, int mode,
                     const void* background);

} // namespace lxstretch

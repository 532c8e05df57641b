// The thumbnail routine that both format classes offer: nearest-neighbour
// reduction of a picture to a thumbnail, or to any window of one. The source
// may be a reduced copy of a larger image (a lower resolution of a JPEG 2000
// frame); thumbnail pixels map through a grid made by halving the full size,
// so windows of one thumbnail line up whatever resolution they come from.
#pragma once

#include <cstdint>

// Renders the window (X0, Y0, dstW x dstH) of a W x H thumbnail of the full
// image FW x FH, which src (srcW x srcH) shows. components 1 or 3; bits below
// 9 are 8-bit samples, 9-16 little-endian 16-bit samples; anything else
// gives -2 with nothing written; a null picture, a zero size or a window
// starting past the thumbnail gives -4.
int MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride, uint32_t W,
                  uint32_t H, uint32_t X0, uint32_t Y0, const void* src, uint32_t srcW,
                  uint32_t srcH, uint32_t srcStride, uint32_t components, uint32_t bits,
                  uint32_t FW, uint32_t FH);

// In: the target size in (width, height). Out: the full size halved k times,
// k the largest in 0..maxHalvings with both halves still at least the
// target (0 when the full size is already below it). Returns 2^k.
uint32_t ChooseHalvingFactor(uint32_t& width, uint32_t& height, uint32_t fullWidth,
                             uint32_t fullHeight, uint32_t maxHalvings);

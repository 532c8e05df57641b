// The QX2 readers' preview: a frame in true colour (3 bytes a pixel, rows
// padded to 4 bytes) at the requested size.
#pragma once

#include <cstdint>

#include "mul_imageformat/LxImageAttributes.h"

struct SLxPictureMetadata;

// frame: the frame buffer (rows of frameStride bytes). Each channel of md
// gives its colour (a three-component channel blue, green and red); without
// usable metadata one component shows grey and three components show as
// blue, green and red. Nearest-neighbour stretch to width x height.
int LX_QX2RenderPreview(const uint8_t* frame, uint32_t frameStride,
                        const SLxImageAttributes& attributes, const SLxPictureMetadata* md,
                        uint32_t width, uint32_t height, uint8_t* destination);

// Nearest neighbour of pixel centres, 3 bytes a pixel, rows padded to 4.
void LX_QX2StretchTrueColor(uint8_t* dst, uint32_t dstW, uint32_t dstH, const uint8_t* src,
                            uint32_t srcW, uint32_t srcH);

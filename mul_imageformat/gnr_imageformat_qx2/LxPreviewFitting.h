// The QX2 readers' fitting of a requested preview size to a document.
#pragma once

#include <cstdint>

struct SLxImageAttributes;

// Unless keepSize, shrinks (width, height) to fit inside the requested box
// with the picture's aspect ratio; neither becomes 0.
void LX_FitPreviewSize(uint32_t& width, uint32_t& height, const SLxImageAttributes& attributes,
                       bool keepSize);

// The filtered float stretch in one sweep: each source line is filtered
// across once into a few cached rows, and every output line sums its rows
// from there, so no picture-sized intermediate goes through memory.
#pragma once

#include <cstdint>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"

namespace lxpic
{

// Gives exactly what stretch_filter_horz_Nxfloat into an intermediate of
// `lines` lines from first, then stretch_filter_vert_Nxfloat of the
// intermediate's srcBlockH lines from line above, give: the same taps,
// weights and order of sums. first is the source's sample (srcX, first
// line); the lines hold srcWB / 4 / comps pixels, more than srcX.
int StretchFilteredFloat(float* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                         const float* first, uint32_t srcWB, uint32_t srcX, uint32_t srcW,
                         uint32_t lines, uint32_t above, uint32_t srcBlockH, LxFloatWeightFn weight,
                         uint32_t support);

} // namespace lxpic

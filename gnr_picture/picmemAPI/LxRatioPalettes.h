// The two rainbow palettes of the ratio, calcium and FRET pictures.
#pragma once

#include <cstdint>

namespace lxratio
{

// 256 colour words of LX_RGBRainbowColorTable each, filled once on first
// use (thread-safe) and only read afterwards: the ratio palette of ratio and
// calcium pictures, the FRET palette of efficiency pictures.
const uint32_t* ratioPalette();
const uint32_t* fretPalette();

} // namespace lxratio

// Colorimetry data and display colours of light wavelengths. Colour words
// are 0x00BBGGRR: red in bits 0 to 7, green 8 to 15, blue 16 to 23.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// A colour-matching table: uiRows rows of four doubles, the wavelength in
// nanometres (ascending) and the x-bar, y-bar and z-bar of that wavelength.
struct SLxColorMatchingFunction {
    uint32_t uiRows;
    const double (*pRows)[4];
};

extern "C" {

// The CIE 1931 2-degree standard observer, 360 to 830 nm at 1 nm (471 rows).
LX_EXPORT extern const SLxColorMatchingFunction g_ColorMatchingFunction_CIE2deg;

// The colour of wavelength nm (in nanometres) on a piecewise-linear spectrum:
// white below 0.5 nm (no wavelength), magenta below 380 nm, then violet
// through blue, cyan, green, yellow to red at 620 nm and above; each channel
// truncated. 0, or -4 for a null colour or a wavelength that is not a
// number.
LX_EXPORT int LX_RGBFromWavelength(uint32_t* color, double nm);

// The colour of wavelength nm through the CIE 1931 colour-matching functions
// (linear between the table's rows; outside 360 to 830 nm the nearest end
// row) and the sRGB transfer, scaled so that the brightest channel is 255;
// negative channels become 0. 0, or -4 for a null colour or a wavelength
// that is not a number.
LX_EXPORT int LX_sRGBFromWavelength(uint32_t* color, double nm);

// Fills n colours of a rainbow: magenta, red, yellow, green, cyan, blue at
// entries 0, (n - 1) / 5, 2 (n - 1) / 5, ..., n - 1 (integer divisions),
// linear steps between them. 0, or -4 for a null table or n below 6.
LX_EXPORT int LX_RGBRainbowColorTable(uint32_t* table, uint32_t n);

} // extern "C"

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

// ---- Colour records of the colorimetry members of CLxPicMeasAPI; the
// caller owns them. Hue angles are in radians, wavelengths in nanometres.

// Red, green, blue: 0 to 255 as input of RGB2XYZ, linear 0 to 1 as output of
// XYZ2RGB.
struct SLxColRGB {
    double R;
    double G;
    double B;
};

// CIE tristimulus values; white 255, 255, 255 gives Y = 1.
struct SLxColorXYZ {
    double X;
    double Y;
    double Z;
};

// Chromaticity and luminance.
struct SLxColorCIExy {
    double x;
    double y;
    double Y;
};

// Luminance first, then the CIE 1976 uniform chromaticity u' and v'.
struct SLxColorCIEuv {
    double Y;
    double u;
    double v;
};

// Lightness L*, colour coordinates u* and v*, chroma C*, hue angle h and
// saturation s = C* / L*.
struct SLxColorCIELuv {
    double L;
    double u;
    double v;
    double C;
    double h;
    double s;
};

// Lightness L*, colour coordinates a* and b*, chroma C*, hue angle h.
struct SLxColorCIELab {
    double L;
    double a;
    double b;
    double C;
    double h;
};

// The ten results of CLxPicMeasAPI::Measure_Colorimetry, in this order.
struct SLxColorimetryData {
    double Y;
    double x;
    double y;
    double u;
    double v;
    double L;
    double a;
    double b;
    double purity;
    double wavelength;
};

// A colour-matching table as parallel arrays of iLength values: ascending
// wavelengths in nanometres and the x-bar, y-bar and z-bar of each. Row i is
// the spectrum locus point of the i-th wavelength.
struct SLxCMF {
    const double* pWavelength;
    const double* pX;
    const double* pY;
    const double* pZ;
    int32_t iLength;
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

// Display colours of light wavelengths and the rainbow palette.
#include <algorithm>
#include <cmath>

#include "gnr_picture/LxColorimetry.h"

namespace
{

uint32_t colorWord(uint32_t red, uint32_t green, uint32_t blue)
{
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

// A channel of the piecewise spectrum: truncated toward zero.
uint32_t channel(double v)
{
    return uint32_t(int(v));
}

// The sRGB transfer of a linear value.
double srgbEncode(double v)
{
    return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 0.4166666666666667) - 0.055;
}

// x-bar, y-bar, z-bar at nm, linear between the two rows around it; outside
// the table the end row's values.
void matchingAt(double nm, double xyz[3])
{
    const SLxColorMatchingFunction& cmf = g_ColorMatchingFunction_CIE2deg;
    const double(*rows)[4] = cmf.pRows;
    uint32_t i = 0;
    while (i < cmf.uiRows && !(rows[i][0] > nm))
        ++i;
    const double* a = rows[i == 0 ? 0 : i - 1];
    const double* b = rows[i == cmf.uiRows ? i - 1 : i];
    const double span = b[0] - a[0];
    const double t = span > 0.0 ? (nm - a[0]) / span : 0.0;
    for (int k = 0; k < 3; ++k)
        xyz[k] = a[k + 1] + (b[k + 1] - a[k + 1]) * t;
}

} // namespace

int LX_RGBFromWavelength(uint32_t* color, double nm)
{
    if (!color || std::isnan(nm))
        return -4;
    if (nm < 0.5)
        *color = colorWord(255, 255, 255);
    else if (nm < 380.0)
        *color = colorWord(255, 0, 255);
    else if (nm < 440.0)
        *color = colorWord(channel((nm - 440.0) * -4.25), 0, 255);
    else if (nm < 490.0)
        *color = colorWord(0, channel((nm - 440.0) * 5.1000000000000005), 255);
    else if (nm < 510.0)
        *color = colorWord(0, 255, channel((nm - 510.0) * -12.75));
    else if (nm < 555.0)
        *color = colorWord(channel((nm - 510.0) * 5.666666666666667), 255, 0);
    else if (nm < 620.0)
        *color = colorWord(255, channel((nm - 620.0) * -3.9230769230769234), 0);
    else
        *color = colorWord(255, 0, 0);
    return 0;
}

int LX_sRGBFromWavelength(uint32_t* color, double nm)
{
    if (!color || std::isnan(nm))
        return -4;
    double xyz[3];
    matchingAt(nm, xyz);
    const double X = xyz[0], Y = xyz[1], Z = xyz[2];
    double rgb[3] = {
        srgbEncode(3.24071 * X - 1.53726 * Y - 0.498571 * Z),
        srgbEncode(-0.969258 * X + 1.87599 * Y + 0.0415557 * Z),
        srgbEncode(0.0556352 * X - 0.203996 * Y + 1.05707 * Z),
    };
    const double top = std::max({rgb[0], rgb[1], rgb[2]});
    uint32_t out[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        const double v = top > 0.0 ? rgb[k] / top : 0.0;
        out[k] = v > 0.0 ? uint32_t(v * 255.0 + 0.5) : 0;
    }
    *color = colorWord(out[0], out[1], out[2]);
    return 0;
}

int LX_RGBRainbowColorTable(uint32_t* table, uint32_t n)
{
    if (!table || n < 6)
        return -4;
    // Segment ends e[k] = k (n - 1) / 5: with n - 1 a multiple of 5 the
    // segments are (n - 1) / 5 entries long; otherwise the remainder spreads
    // one entry at a time over them.
    uint64_t e[6];
    for (uint64_t k = 0; k <= 5; ++k)
        e[k] = k * (n - 1) / 5;
    auto rising = [&](uint64_t i, int s) { return uint32_t((i - e[s]) * 255 / (e[s + 1] - e[s])); };
    auto falling = [&](uint64_t i, int s) {
        return uint32_t((e[s + 1] - i) * 255 / (e[s + 1] - e[s]));
    };
    for (uint64_t i = 0; i < n; ++i) {
        if (i <= e[1])
            table[i] = colorWord(255, 0, falling(i, 0)); // magenta to red
        else if (i <= e[2])
            table[i] = colorWord(255, rising(i, 1), 0); // red to yellow
        else if (i <= e[3])
            table[i] = colorWord(falling(i, 2), 255, 0); // yellow to green
        else if (i <= e[4])
            table[i] = colorWord(0, 255, rising(i, 3)); // green to cyan
        else
            table[i] = colorWord(0, falling(i, 4), 255); // cyan to blue
    }
    return 0;
}

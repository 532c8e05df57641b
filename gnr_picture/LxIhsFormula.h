// Intensity, saturation and hue of one colour and back, at the scale M of
// 8-bit (255) or 16-bit (65535) samples: intensity and saturation on 0 to M,
// the hue a fraction of a full turn times M. The colour conversions of
// single colours, pixel rows and whole pictures share these.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gnr_picture/LxPicLibTables.h"

namespace lxpic
{

template <class T> struct IhsScale;
template <> struct IhsScale<uint8_t> {
    static constexpr double kMax = 255.0;
    static constexpr double kHueToAngle = 0.024639942381096472; // 2 pi / 255
    static constexpr double kSatToUnit = 1.0 / 255.0;
};
template <> struct IhsScale<uint16_t> {
    static constexpr double kMax = 65535.0;
    static constexpr double kHueToAngle = 9.587526218325476e-5; // 2 pi / 65535
    static constexpr double kSatToUnit = 1.5259021896696422e-5; // 1 / 65535
};

struct IhsValues {
    uint32_t intensity;
    uint32_t saturation;
    uint32_t hue;
};
struct RgbValues {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

// Truncated toward zero and held to 0 to M (a rounding step below 0 or a
// value beyond M never wraps).
template <class T> uint32_t storeLimited(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= IhsScale<T>::kMax)
        return uint32_t(IhsScale<T>::kMax);
    return uint32_t(v);
}

template <class T> IhsValues rgbToIhs(uint32_t r, uint32_t g, uint32_t b)
{
    if (r == g && g == b)
        return {r, 0, 0};
    const double R = r, G = g, B = b;
    const double sum = R + G + B; // not 0: the three differ
    const double s = 1.0 - 3.0 * std::min({R, G, B}) / sum;
    // The root is positive whenever the three are not all equal.
    const double c = ((2.0 * R - G - B) / 2.0) / std::sqrt((R - B) * (G - B) + (R - G) * (R - G));
    const double theta = LX_TableAcos(c) / 6.283185307179586; // a fraction of a turn
    const double h = b <= g ? theta : 1.0 - theta;
    const double m = IhsScale<T>::kMax;
    return {uint32_t(sum / 3.0 + 0.5), storeLimited<T>(s * m + 0.5), storeLimited<T>(h * m + 0.5)};
}

template <class T> RgbValues ihsToRgb(uint32_t intensity, uint32_t saturation, uint32_t hue)
{
    if (intensity == 0)
        return {0, 0, 0};
    if (saturation == 0)
        return {intensity, intensity, intensity};
    constexpr double k2Pi3 = 2.0943951023932;
    constexpr double k4Pi3 = 4.1887902047864;
    constexpr double kPi3 = 1.0471975511966;
    const double s = saturation * IhsScale<T>::kSatToUnit;
    const double h = hue * IhsScale<T>::kHueToAngle;
    const double q = (1.0 - s) / 3.0;
    const auto f = [s](double x) { return (1.0 + s * std::cos(x) / std::cos(kPi3 - x)) / 3.0; };
    double r, g, b;
    if (h <= k2Pi3) {
        b = q;
        r = f(h);
        g = 1.0 - r - b;
    } else if (h <= k4Pi3) {
        r = q;
        g = f(h - k2Pi3);
        b = 1.0 - r - g;
    } else {
        g = q;
        b = f(h - k4Pi3);
        r = 1.0 - g - b;
    }
    const double i3 = 3.0 * intensity;
    return {storeLimited<T>(i3 * r), storeLimited<T>(i3 * g), storeLimited<T>(i3 * b)};
}

} // namespace lxpic

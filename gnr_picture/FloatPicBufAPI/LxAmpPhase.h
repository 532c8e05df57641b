// Complex values as amplitude and phase in [0, 2 pi), the way every
// spectrum of the float pictures is written. The arc cosine is evaluated in
// double and rounded once, so it is the nearest float (the C library's
// acosf is not, and costs more than the transform itself); the plain and
// the vector paths give the same floats.
#pragma once

#include <cmath>
#include <cstddef>

namespace lxpic
{

// asin(s) = s + s z P(z) with z = s^2, for s in [0, 0.5]; relative error
// below 1e-15. P's coefficients from the highest power down (Horner).
constexpr double kAsinCoefficients[] = {
    0.027871289137110143, -0.006822043980671263, 0.015445133336819308, 0.0102896411236249,
    0.014140941807431192, 0.017337192543712077,  0.022373010066676288, 0.030381917485400308,
    0.044642857578717755, 0.07499999999726302,   0.1666666666666695};
constexpr size_t kAsinTerms = sizeof(kAsinCoefficients) / sizeof(kAsinCoefficients[0]);

inline double asinPolynomial(double z)
{
    double p = kAsinCoefficients[0];
    for (size_t i = 1; i < kAsinTerms; ++i)
        p = p * z + kAsinCoefficients[i];
    return p;
}

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;

// acos(x) for |x| <= 1 (NaN beyond): pi / 2 - asin |x| up to 0.5, above it
// 2 asin sqrt((1 - |x|) / 2); pi minus that for negative x.
inline float acosNearest(float x)
{
    const double v = x;
    const double t = std::fabs(v);
    double a;
    if (t <= 0.5) {
        const double z = t * t;
        a = kHalfPi - (t + t * z * asinPolynomial(z));
    } else {
        const double s = std::sqrt((1.0 - t) * 0.5);
        const double z = s * s;
        a = 2.0 * (s + s * z * asinPolynomial(z));
    }
    return static_cast<float>(v < 0.0 ? kPi - a : a);
}

inline void ampAndPhase(float re, float im, float* amplitude, float* phase)
{
    const float a = std::sqrt(re * re + im * im);
    float p;
    if (im > 0.0f)
        p = acosNearest(re / a);
    else if (im < 0.0f)
        p = 6.283185f - acosNearest(re / a);
    else
        p = re >= 0.0f ? 0.0f : 3.1415925f;
    *amplitude = a;
    *phase = p;
}

// count (re, im) pairs into amplitudes and phases `stride` floats apart.
void ampAndPhasePairs(const float* pairs, size_t count, float* amplitude, float* phase,
                      size_t stride);

} // namespace lxpic

// One complex value as amplitude and phase in [0, 2 pi), the way every
// spectrum of the float pictures is written.
#pragma once

#include <cmath>

namespace lxpic
{

inline void ampAndPhase(float re, float im, float* amplitude, float* phase)
{
    const float a = std::sqrt(re * re + im * im);
    float p;
    if (im > 0.0f)
        p = std::acos(re / a);
    else if (im < 0.0f)
        p = 6.283185f - std::acos(re / a);
    else
        p = re >= 0.0f ? 0.0f : 3.1415925f;
    *amplitude = a;
    *phase = p;
}

} // namespace lxpic

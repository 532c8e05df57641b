// Range of a float component and the Tumblin and Drago tone maps to integer
// pictures.
#include <cmath>
#include <cstddef>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"

namespace
{

struct Range {
    float min;
    float max;
};

Range componentRange(const float* src, size_t pixels, uint32_t comps, uint32_t comp)
{
    Range r{1e30f, 0.0f};
    for (size_t i = 0; i < pixels; ++i) {
        const float v = src[i * comps + comp];
        if (v > r.max)
            r.max = v;
        if (v < r.min && v > 0.0f)
            r.min = v;
    }
    return r;
}

// The formula's value held to 0 .. top, truncated. The ends are set
// directly: the formulas reach top at x = X only up to rounding.
template <class T, class Formula>
void mapComponent(T* dst, const float* src, size_t pixels, uint32_t comps, uint32_t comp,
                  uint32_t top, float X, const Formula& formula)
{
    for (size_t i = 0; i < pixels; ++i) {
        const float x = src[i * comps + comp];
        T out = 0;
        if (X > 0.0f && x > 0.0f) {
            if (x >= X) {
                out = T(top);
            } else {
                const double y = formula(double(x));
                out = y > 0.0 ? (y >= double(top) ? T(top) : T(y)) : T(0);
            }
        }
        dst[i * comps + comp] = out;
    }
}

uint32_t topOf(uint32_t bits, bool words)
{
    if (!words)
        return 255u;
    return bits >= 9 && bits <= 16 ? (1u << bits) - 1 : 65535u;
}

enum class ToneMap { Tumblin, TumblinParam, Drago };

template <class T>
int toneMap(void* dstVoid, uint32_t bits, const float* src, uint32_t width, uint32_t height,
            uint32_t comps, ToneMap kind, uint32_t param)
{
    const size_t pixels = size_t(width) * height;
    if (pixels == 0 || comps == 0)
        return 0;
    T* dst = static_cast<T*>(dstVoid);
    const uint32_t top = topOf(bits, sizeof(T) == 2);
    const double M = top;
    for (uint32_t c = 0; c < comps; ++c) {
        const Range r = componentRange(src, pixels, comps, c);
        const double X = r.max;
        switch (kind) {
        case ToneMap::Tumblin: {
            const float p0 = float(30.0 / M) * r.max / r.min;
            const double g = double(std::sqrt(r.min * r.max));
            mapComponent(dst, src, pixels, comps, c, top, r.max, [&](double x) {
                const double p = (x / g + 1.0) * 0.5 * p0;
                return x * p * M / (x * p - x + X);
            });
            break;
        }
        case ToneMap::TumblinParam: {
            const double p = param;
            mapComponent(dst, src, pixels, comps, c, top, r.max,
                         [&](double x) { return x * p * M / (p * x - x + X); });
            break;
        }
        case ToneMap::Drago: {
            const double e = double(float(std::log(0.85) / std::log(0.5)));
            const double s = M / std::log10(X + 1.0);
            mapComponent(dst, src, pixels, comps, c, top, r.max, [&](double x) {
                return std::log(x + 1.0) * s / std::log(2.0 + 8.0 * std::pow(x / X, e));
            });
            break;
        }
        }
    }
    return 0;
}

} // namespace

int getminmax_Nxfloat(const float* src, uint32_t width, uint32_t height, uint32_t comps, float* min,
                      float* max, uint32_t comp)
{
    if (min == nullptr || max == nullptr || comp >= comps)
        return 0;
    const Range r = componentRange(src, size_t(width) * height, comps, comp);
    *min = r.min;
    *max = r.max;
    return 0;
}

int map_float_to_Nx8_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                             uint32_t height, uint32_t comps)
{
    return toneMap<uint8_t>(dst, bits, src, width, height, comps, ToneMap::Tumblin, 0);
}

int map_float_to_Nx16_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                              uint32_t height, uint32_t comps)
{
    return toneMap<uint16_t>(dst, bits, src, width, height, comps, ToneMap::Tumblin, 0);
}

int map_float_to_Nx8_param_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                                   uint32_t height, uint32_t comps, uint32_t p)
{
    return toneMap<uint8_t>(dst, bits, src, width, height, comps, ToneMap::TumblinParam, p);
}

int map_float_to_Nx16_param_Tumblin(void* dst, uint32_t bits, const float* src, uint32_t width,
                                    uint32_t height, uint32_t comps, uint32_t p)
{
    return toneMap<uint16_t>(dst, bits, src, width, height, comps, ToneMap::TumblinParam, p);
}

int map_float_to_Nx8_Drago(void* dst, uint32_t bits, const float* src, uint32_t width,
                           uint32_t height, uint32_t comps)
{
    return toneMap<uint8_t>(dst, bits, src, width, height, comps, ToneMap::Drago, 0);
}

int map_float_to_Nx16_Drago(void* dst, uint32_t bits, const float* src, uint32_t width,
                            uint32_t height, uint32_t comps)
{
    return toneMap<uint16_t>(dst, bits, src, width, height, comps, ToneMap::Drago, 0);
}

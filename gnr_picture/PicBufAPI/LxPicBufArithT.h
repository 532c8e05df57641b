// The per-pixel loop of the picture arithmetic: two sources into a
// destination over the region the three share, the per-sample formula a
// functor and the depth rule a policy. Internal to the picture operations.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpicbuf
{

// One picture of a region: first sample, pitch and components per pixel.
struct RegionPlane {
    uint8_t* data;
    size_t pitch;
    uint32_t comps;
};

// The region: width x height pixels, comps components of each pixel.
struct Region {
    RegionPlane dst, a, b;
    uint32_t width, height, comps;
};

// ---- Formulas ---------------------------------------------------------------
// same(a, b, max): both samples and the result of one type, limited to max
// (the destination's 2^bits - 1), written so that the loop vectorises at the
// sample's width. wide(a, b): the signed result for the depth conversion.

struct MinFormula {
    template <class T> T same(T a, T b, T max) const
    {
        const T r = a < b ? a : b;
        return r < max ? r : max;
    }
    int64_t wide(int64_t a, int64_t b) const { return a < b ? a : b; }
};

struct MaxFormula {
    template <class T> T same(T a, T b, T max) const
    {
        const T r = a > b ? a : b;
        return r < max ? r : max;
    }
    int64_t wide(int64_t a, int64_t b) const { return a > b ? a : b; }
};

struct AbsDifFormula {
    template <class T> T same(T a, T b, T max) const
    {
        const T r = T(a > b ? a - b : b - a);
        return r < max ? r : max;
    }
    int64_t wide(int64_t a, int64_t b) const { return a > b ? a - b : b - a; }
};

// min(a + b, max) without leaving the sample type: min(a, max - b') + b'
// with b' = min(b, max).
struct AddFormula {
    template <class T> T same(T a, T b, T max) const
    {
        const T bb = b < max ? b : max;
        const T room = T(max - bb);
        return T((a < room ? a : room) + bb);
    }
    int64_t wide(int64_t a, int64_t b) const { return a + b; }
};

struct SubFormula {
    template <class T> T same(T a, T b, T max) const
    {
        const T r = T(a > b ? a - b : 0);
        return r < max ? r : max;
    }
    int64_t wide(int64_t a, int64_t b) const { return a - b; }
};

// The sample of the first (second) source, for the pixels a mask leaves.
struct FirstFormula {
    template <class T> T same(T a, T, T max) const { return a < max ? a : max; }
    int64_t wide(int64_t a, int64_t) const { return a; }
};

struct SecondFormula {
    template <class T> T same(T, T b, T max) const { return b < max ? b : max; }
    int64_t wide(int64_t, int64_t b) const { return b; }
};

// x / 50 truncated, for 0 <= x <= 65535 x 100, without an integer division:
// the float just above 1/50 (0x3CA3D70B) times x, which is exact in a
// float, lands at or just above every whole quotient and below the next
// one (the error of the constant and the rounding stay under 0.014 while
// quotients that are not whole lie at least 0.02 below the next integer).
inline int32_t fiftieth(float x)
{
    return int32_t(x * 0.0200000014156103134155273438f);
}
inline int32_t fiftieth(int32_t x)
{
    return fiftieth(float(x));
}

// The float at or just above w / 50, for weights 0 to 100: a 16-bit sample
// times it, truncated, is the whole quotient a w / 50 (the constant's excess,
// under 65535 x 2^-22, and the product's rounding stay below the 0.02 that
// quotients that are not whole lie under the next integer; a test checks
// every sample and weight).
inline float weightOverFifty(uint32_t w)
{
    float c = float(w) / 50.0f;
    if (double(c) * 50.0 < double(w))
        c = std::nextafter(c, 3.0f);
    return c;
}

// (a w / 50 + b (100 - w) / 50) / 2, each quotient truncated: the halving
// table at the sum of the two weight tables, computed rather than looked up
// so that the loop vectorises. Source and destination share the format.
struct WeightFormula {
    explicit WeightFormula(uint32_t w)
        : wa(w), wb(100 - w), ca(weightOverFifty(wa)), cb(weightOverFifty(wb))
    {
    }
    uint32_t wa, wb; // w and 100 - w
    float ca, cb;    // wa / 50 and wb / 50, at or just above
    template <class T> T same(T a, T b, T) const
    {
        if constexpr (sizeof(T) == 1) {
            // Bytes times at most 100 fit 16 bits: 16-bit lanes.
            const uint16_t pa = uint16_t(uint16_t(a) * uint16_t(wa));
            const uint16_t pb = uint16_t(uint16_t(b) * uint16_t(wb));
            return T(uint16_t(uint16_t(pa / 50) + uint16_t(pb / 50)) >> 1);
        } else if constexpr (sizeof(T) == 2) {
            return T((int32_t(float(a) * ca) + int32_t(float(b) * cb)) >> 1);
        } else {
            return T((uint64_t(a) * wa / 50u + uint64_t(b) * wb / 50u) >> 1);
        }
    }
    int64_t wide(int64_t a, int64_t b) const { return (a * wa / 50 + b * wb / 50) / 2; }
};

// ---- Depth policies ---------------------------------------------------------

// Sources and destination of one sample type: the formula's own limit.
template <class T, class F> struct SameDepth {
    F f;
    T max;
    T operator()(T a, T b) const { return f.template same<T>(a, b, max); }
};

// Other sample types: negative results 0, shifted up (an 8-bit source into
// a deeper destination) or down (into 8 bits), limited to the destination.
template <class TD, class TS, class F> struct CrossDepth {
    F f;
    uint32_t up, down;
    int64_t max;
    TD operator()(TS a, TS b) const
    {
        int64_t r = f.wide(int64_t(a), int64_t(b));
        r = r < 0 ? 0 : (r << up) >> down;
        return TD(r > max ? max : r);
    }
};

// ---- Loops ------------------------------------------------------------------

// All three pictures with comps components: every line is one run of
// width x comps samples.
template <class TD, class TS, class P> LX_KERNEL_INLINE void zipFlat(const Region& r, P pol)
{
    const size_t n = size_t(r.width) * r.comps;
    for (uint32_t y = 0; y < r.height; ++y) {
        uint8_t* d = r.dst.data + y * r.dst.pitch;
        const uint8_t* a = r.a.data + y * r.a.pitch;
        const uint8_t* b = r.b.data + y * r.b.pitch;
        for (size_t i = 0; i < n; ++i)
            lxpic::store<TD>(d + i * sizeof(TD), pol(lxpic::load<TS>(a + i * sizeof(TS)),
                                                     lxpic::load<TS>(b + i * sizeof(TS))));
    }
}

// Pictures of other component counts: each steps by its own pixel; CN the
// components worked (1 or 3), 0 for r.comps.
template <class TD, class TS, uint32_t CN, class P> void zipStrided(const Region& r, P pol)
{
    const uint32_t n = CN ? CN : r.comps;
    const size_t ds = size_t(r.dst.comps) * sizeof(TD), as = size_t(r.a.comps) * sizeof(TS),
                 bs = size_t(r.b.comps) * sizeof(TS);
    for (uint32_t y = 0; y < r.height; ++y) {
        uint8_t* d = r.dst.data + y * r.dst.pitch;
        const uint8_t* a = r.a.data + y * r.a.pitch;
        const uint8_t* b = r.b.data + y * r.b.pitch;
        for (uint32_t x = 0; x < r.width; ++x, d += ds, a += as, b += bs)
            for (uint32_t c = 0; c < n; ++c)
                lxpic::store<TD>(d + c * sizeof(TD), pol(lxpic::load<TS>(a + c * sizeof(TS)),
                                                         lxpic::load<TS>(b + c * sizeof(TS))));
    }
}

template <class TD, class TS, class P> void zipRegion(const Region& r, P pol)
{
    if (r.dst.comps == r.comps && r.a.comps == r.comps && r.b.comps == r.comps)
        zipFlat<TD, TS>(r, pol);
    else if (r.comps == 1)
        zipStrided<TD, TS, 1>(r, pol);
    else if (r.comps == 3)
        zipStrided<TD, TS, 3>(r, pol);
    else
        zipStrided<TD, TS, 0>(r, pol);
}

// A mask of a region: first sample of each pixel, not 0 where set; a null
// data pointer is set everywhere.
struct RegionMask {
    const uint8_t* data;
    size_t pitch, step;
    uint32_t bytes;
    bool at(uint32_t x, uint32_t y) const
    {
        if (!data)
            return true;
        const uint8_t* p = data + y * pitch + x * step;
        switch (bytes) {
        case 1:
            return *p != 0;
        case 2:
            return lxpic::load<uint16_t>(p) != 0;
        default:
            return lxpic::load<uint32_t>(p) != 0;
        }
    }
};

// Where both masks are set both(a, b), where only mb second(a, b), elsewhere
// first(a, b).
template <class TD, class TS, class PB, class PS, class PF>
void zipMasked(const Region& r, const RegionMask& ma, const RegionMask& mb, PB both, PS second,
               PF first)
{
    const size_t ds = size_t(r.dst.comps) * sizeof(TD), as = size_t(r.a.comps) * sizeof(TS),
                 bs = size_t(r.b.comps) * sizeof(TS);
    for (uint32_t y = 0; y < r.height; ++y) {
        uint8_t* d = r.dst.data + y * r.dst.pitch;
        const uint8_t* a = r.a.data + y * r.a.pitch;
        const uint8_t* b = r.b.data + y * r.b.pitch;
        for (uint32_t x = 0; x < r.width; ++x, d += ds, a += as, b += bs) {
            const bool inA = ma.at(x, y), inB = mb.at(x, y);
            for (uint32_t c = 0; c < r.comps; ++c) {
                const TS va = lxpic::load<TS>(a + c * sizeof(TS));
                const TS vb = lxpic::load<TS>(b + c * sizeof(TS));
                lxpic::store<TD>(d + c * sizeof(TD), inA && inB ? both(va, vb)
                                                     : inB      ? second(va, vb)
                                                                : first(va, vb));
            }
        }
    }
}

} // namespace lxpicbuf

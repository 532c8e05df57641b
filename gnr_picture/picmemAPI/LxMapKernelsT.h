// Mapping of components to colour: one loop for every member, the
// combination of two channel values plugged in.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "gnr_picture/picmemAPI/LxMapKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// Combinations of two channel values (see LxMapKernels.h). The tables are
// held in the object so that the loop keeps their address in a register.
struct ScreenByTable {
    const uint8_t (*v)[256] = g_ScreenCombineTable.v;
    uint32_t operator()(uint32_t x, uint32_t y) const { return v[x][y]; }
};
struct RootByTable {
    const uint8_t (*v)[256] = g_RootCombineTable.v;
    uint32_t operator()(uint32_t x, uint32_t y) const { return v[x][y]; }
};
// floor(n / d) for every 32-bit n and d > 0 as a multiply-high: with
// m = ceil(2^64 / d) = floor((2^64 - 1) / d) + 1 and e = m d - 2^64 < d,
// n m / 2^64 = n / d + n e / (d 2^64), and n e < 2^64 keeps the excess
// below 1 / d, short of the next whole quotient. n (m - 1) + n holds m's
// 65th bit for d = 1.
struct DivideByReciprocal {
    uint64_t below; // m - 1
    explicit DivideByReciprocal(uint32_t d) : below(~uint64_t(0) / d) {}
    uint32_t operator()(uint32_t n) const
    {
        return uint32_t((static_cast<unsigned __int128>(n) * below + n) >> 64);
    }
};

// x + y - floor(x y / full), the product in 32 bits; full is never 0.
// The reciprocal saves a division per sample.
struct ScreenAtScale {
    DivideByReciprocal byFull;
    explicit ScreenAtScale(uint32_t full) : byFull(full) {}
    uint32_t operator()(uint32_t x, uint32_t y) const { return x + y - byFull(x * y); }
};
struct RootInDouble {
    uint32_t operator()(uint32_t x, uint32_t y) const
    {
        return uint32_t(double(x + y) - std::sqrt(double(x * y)) + 0.5);
    }
};

// The colour tables of a call and the range of their samples.
struct ColourTables {
    const void* const* const* luts; // luts[k][s]: the colour of value s of component k
    uint32_t last;                  // larger samples are looked up here
    const uint8_t* overExp;         // null, or B, G, R of over-exposed pixels
    uint32_t level;                 // samples at or above it are over-exposed
    // Row v of a table lies at row 0 + v x 3 colour samples, as in an
    // SLxLut: the colours are found without reading the row pointers.
    bool contiguous;
};

// Tables trusted to hold every value of S.
template <class S> ColourTables wholeColourTables(const void* const* const* luts)
{
    return {luts, std::numeric_limits<S>::max(), nullptr, std::numeric_limits<S>::max(), false};
}

// Tables of 2^bits entries; over-exposed from their last entry up.
template <class S>
ColourTables colourTablesOfBits(const void* const* const* luts, uint32_t bits,
                                const uint8_t* overExp)
{
    const uint32_t top = maxOfBits(bits);
    return {luts, std::min<uint32_t>(top, std::numeric_limits<S>::max()), overExp, top, false};
}

inline uint64_t maskOf(uint32_t maskLo, uint32_t maskHi)
{
    return uint64_t(maskHi) << 32 | maskLo;
}

// The shown components of a call: their sample offsets in the pixel, their
// tables and the first rows of those, in component order.
struct Shown {
    uint32_t count = 0;
    uint32_t offset[64];
    const void* const* rows[64];
    const uint8_t* first[64];
};

template <class S> Shown shownComponents(const ColourTables& t, uint64_t mask, uint32_t comps)
{
    Shown shown;
    for (uint32_t k = 0; k < std::min<uint32_t>(comps, 64); ++k) {
        if (mask >> k & 1) {
            shown.offset[shown.count] = k * uint32_t(sizeof(S));
            shown.rows[shown.count] = t.luts[k];
            shown.first[shown.count] = static_cast<const uint8_t*>(t.luts[k][0]);
            ++shown.count;
        }
    }
    return shown;
}

// Every pixel: the colours of its shown components combined channel by
// channel, the first taken as it is (each combination keeps a colour
// combined with black). Fixed > 0 is the number of shown components known
// at compile time (all of a 2- to 6-component pixel), so that the loop
// unrolls. Marked: pixels with a shown sample at or above the level get the
// colour. Contiguous: the rows follow each other (ColourTables). At least
// one component is shown.
template <class S, class D, int Fixed, bool Marked, bool Contiguous, class Combine>
void mapLines(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
              const Shown& shown, const ColourTables& t, Combine combine, uint32_t width,
              uint32_t pixelCount)
{
    static_assert(!Marked || sizeof(D) == 1, "over-exposure colours are bytes");
    const uint32_t n = Fixed ? uint32_t(Fixed) : shown.count;
    // Local copies: the byte stores below could alias the caller's record,
    // which would reload it for every pixel.
    uint32_t offset[Fixed ? Fixed : 64];
    const void* const* rows[Fixed ? Fixed : 64];
    const uint8_t* first[Fixed ? Fixed : 64];
    for (uint32_t j = 0; j < n; ++j) {
        offset[j] = shown.offset[j];
        rows[j] = shown.rows[j];
        first[j] = shown.first[j];
    }
    const uint32_t last = t.last;
    const size_t pixelBytes = size_t(comps) * sizeof(S);
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* out = d[y];
        const uint8_t* in = s[y];
        for (uint32_t x = 0; x < width; ++x, out += 3 * sizeof(D), in += pixelBytes) {
            if constexpr (Marked) {
                bool over = false;
                for (uint32_t j = 0; j < n; ++j)
                    over |= load<S>(in + offset[j]) >= t.level;
                if (over) {
                    std::memcpy(out, t.overExp, 3);
                    continue;
                }
            }
            auto colourOf = [&](uint32_t j) {
                const uint32_t v = std::min<uint32_t>(load<S>(in + offset[j]), last);
                if constexpr (Contiguous)
                    return first[j] + size_t(v) * 3 * sizeof(D);
                else
                    return static_cast<const uint8_t*>(rows[j][v]);
            };
            const uint8_t* colour = colourOf(0);
            D b = load<D>(colour), g = load<D>(colour + sizeof(D)),
              r = load<D>(colour + 2 * sizeof(D));
            for (uint32_t j = 1; j < n; ++j) {
                colour = colourOf(j);
                b = D(combine(b, load<D>(colour)));
                g = D(combine(g, load<D>(colour + sizeof(D))));
                r = D(combine(r, load<D>(colour + 2 * sizeof(D))));
            }
            store<D>(out, b);
            store<D>(out + sizeof(D), g);
            store<D>(out + 2 * sizeof(D), r);
        }
    }
}

// Black lines: the pictures without a shown component.
template <class D> void clearLines(void* dst, uint32_t dstWB, uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<D> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y)
        std::memset(d[y], 0, size_t(width) * 3 * sizeof(D));
}

// The two-component 8-bit members leave a picture without a shown component
// as it was; all others paint it black.
template <class S, class D, int CN> constexpr bool keepsUnshownPicture()
{
    return CN == 2 && sizeof(S) == 1 && sizeof(D) == 1;
}

// mapLines for the call's marking and table layout (marking for 8-bit
// colours only).
template <class S, class D, int Fixed, class Combine>
void mapLinesFor(const ColourTables& t, void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                 uint32_t comps, const Shown& shown, Combine combine, uint32_t width,
                 uint32_t pixelCount)
{
    const bool marked = sizeof(D) == 1 && t.overExp;
    if (marked && t.contiguous)
        mapLines<S, D, Fixed, sizeof(D) == 1, true>(dst, dstWB, src, srcWB, comps, shown, t,
                                                    combine, width, pixelCount);
    else if (marked)
        mapLines<S, D, Fixed, sizeof(D) == 1, false>(dst, dstWB, src, srcWB, comps, shown, t,
                                                     combine, width, pixelCount);
    else if (t.contiguous)
        mapLines<S, D, Fixed, false, true>(dst, dstWB, src, srcWB, comps, shown, t, combine, width,
                                           pixelCount);
    else
        mapLines<S, D, Fixed, false, false>(dst, dstWB, src, srcWB, comps, shown, t, combine, width,
                                            pixelCount);
}

// CN components (0: comps of them) through their tables to colour.
template <class S, class D, int CN, class Combine>
int mapToColour(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                const ColourTables& t, uint64_t mask, Combine combine, uint32_t width,
                uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const Shown shown = shownComponents<S>(t, CN == 1 ? ~uint64_t(0) : mask, n);
    if (shown.count == 0) {
        if (!keepsUnshownPicture<S, D, CN>())
            clearLines<D>(dst, dstWB, width, pixelCount);
        return 0;
    }
    if constexpr (CN != 0) {
        if (shown.count == n) {
            mapLinesFor<S, D, CN>(t, dst, dstWB, src, srcWB, n, shown, combine, width, pixelCount);
            return 0;
        }
    }
    if (CN == 0 && shown.count != n) {
        // The N members mark over-exposure only when every component shows.
        ColourTables unmarked = t;
        unmarked.overExp = nullptr;
        mapLinesFor<S, D, 0>(unmarked, dst, dstWB, src, srcWB, n, shown, combine, width,
                             pixelCount);
        return 0;
    }
    mapLinesFor<S, D, 0>(t, dst, dstWB, src, srcWB, n, shown, combine, width, pixelCount);
    return 0;
}

// The member for CN components (0: any count) with the combination of its
// family: screen for 2 to 6 components, root for N; 16-bit colours at the
// full scale `full` (never 0 for 2 to 6 components: -4).
template <class S, class D, int CN>
int mapComponents(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                  const ColourTables& t, uint64_t mask, uint32_t full, uint32_t width,
                  uint32_t pixelCount)
{
    if constexpr (sizeof(D) == 1) {
        if constexpr (CN == 0)
            return mapToColour<S, D, CN>(dst, dstWB, src, srcWB, comps, t, mask, RootByTable{},
                                         width, pixelCount);
        else
            return mapToColour<S, D, CN>(dst, dstWB, src, srcWB, comps, t, mask, ScreenByTable{},
                                         width, pixelCount);
    } else {
        if constexpr (CN == 0) {
            return mapToColour<S, D, CN>(dst, dstWB, src, srcWB, comps, t, mask, RootInDouble{},
                                         width, pixelCount);
        } else {
            if (CN > 1 && full == 0)
                return -4;
            return mapToColour<S, D, CN>(dst, dstWB, src, srcWB, comps, t, mask,
                                         ScreenAtScale(std::max(full, 1u)), width, pixelCount);
        }
    }
}

// 16-bit colours combine at the full scale of srcBits: 1 to 16 bits, else 0
// (refused).
inline uint32_t fullScaleOf(uint32_t srcBits)
{
    return srcBits >= 1 && srcBits <= 16 ? maxOfBits(srcBits) : 0;
}

// mapcomp_Iter1x8_3x8: every source byte's colour root-combined into the
// next destination pixel. Samples above last are looked up at last.
inline int accumulateColours(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                             uint32_t srcWB, const void* const* rows, uint32_t last, uint32_t width,
                             uint32_t pixelCount)
{
    const size_t samples = size_t(comps) * width;
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* out = d[y];
        const uint8_t* in = s[y];
        for (size_t i = 0; i < samples; ++i, out += 3) {
            const auto* colour = static_cast<const uint8_t*>(rows[std::min<uint32_t>(in[i], last)]);
            for (int c = 0; c < 3; ++c)
                out[c] = g_RootCombineTable.v[colour[c]][out[c]];
        }
    }
    return 0;
}

} // namespace lxpic

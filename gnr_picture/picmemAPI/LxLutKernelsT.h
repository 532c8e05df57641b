// Kernels that look samples up in tables (bit-depth conversion, a component
// or a value mapped to several components) and the linear functions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// A table as the kernels read it: flat (one output a sample value) or rows
// (a pointer a sample value to that value's outputs, one per component).
struct LutTable {
    const void* table;
    // The last entry: larger samples (a frame may hold more bits than it
    // declares) are looked up there instead of past the table's end.
    uint32_t last;
    // Null, or the blue, green and red bytes of over-exposed pixels.
    const uint8_t* overExp;
    // Samples at or above it are over-exposed.
    uint32_t level;
    // Bits of a sample that index the table (before the limit to last).
    uint32_t mask;
};

// A table indexed by every sample value of S.
template <class S> LutTable wholeTable(const void* table)
{
    return {table, std::numeric_limits<S>::max(), nullptr, 0, 0xFFFFFFFFu};
}

// A table of 2^bits entries (at most all values of S), and the over-exposure
// colour that marks samples from 2^bits - 1 up.
template <class S> LutTable tableOfBits(const void* table, uint32_t bits, const uint8_t* overExp)
{
    const uint32_t top = maxOfBits(bits);
    return {table, std::min<uint32_t>(top, std::numeric_limits<S>::max()), overExp, top,
            0xFFFFFFFFu};
}

// A table of 2^bits entries (at most all values of S) indexed by each
// sample's low bits: higher bits are dropped rather than limited. The colour
// marks samples from the top entry up.
template <class S> LutTable maskedTable(const void* table, uint32_t bits, const uint8_t* overExp)
{
    const uint32_t mask = maxOfBits(std::min<uint32_t>(bits, 8 * sizeof(S)));
    return {table, mask, overExp, mask, mask};
}

template <class D> D flatEntry(const LutTable& t, uint32_t v)
{
    return load<D>(static_cast<const uint8_t*>(t.table) + size_t(v) * sizeof(D));
}
template <class D> D rowEntry(const LutTable& t, uint32_t v, uint32_t k)
{
    const void* row = static_cast<const void* const*>(t.table)[v];
    return load<D>(static_cast<const uint8_t*>(row) + size_t(k) * sizeof(D));
}

// Over-exposure marking exists for 3-component 8-bit outputs only.
template <class D, int DN> constexpr bool marksOverExposure()
{
    return DN == 3 && sizeof(D) == 1;
}

// Every sample of a line through a flat table, the samples cut by mask and
// limited to last. A table indexed by every value of S needs neither.
template <class S, class D, bool Whole>
LX_KERNEL_INLINE void lookupFlatLine(uint8_t* out, const uint8_t* in, const uint8_t* table,
                                     size_t samples, uint32_t mask, uint32_t last)
{
#pragma GCC unroll 8
    for (size_t i = 0; i < samples; ++i) {
        uint32_t v = load<S>(in + i * sizeof(S));
        if (!Whole)
            v = std::min(v & mask, last);
        store<D>(out + i * sizeof(D), load<D>(table + size_t(v) * sizeof(D)));
    }
}

// Lines through a flat table without over-exposure marking: every sample of
// a line is independent, so the line is one run of samples.
template <class S, class D>
void lookupFlatLines(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, size_t samples,
                     uint32_t lines, const LutTable& t)
{
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    const auto* table = static_cast<const uint8_t*>(t.table);
    const bool whole = (t.mask & std::numeric_limits<S>::max()) == std::numeric_limits<S>::max() &&
                       t.last >= std::numeric_limits<S>::max();
    for (uint32_t y = 0; y < lines; ++y) {
        if (whole)
            lookupFlatLine<S, D, true>(d[y], s[y], table, samples, t.mask, t.last);
        else
            lookupFlatLine<S, D, false>(d[y], s[y], table, samples, t.mask, t.last);
    }
}

// Byte samples of CN components through a row table, by way of one flat
// table per component holding the row entries of every byte value.
template <class D, int CN>
void lookupBytesThroughRows(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const LutTable& t, uint32_t width, uint32_t lines)
{
    D flat[CN][256];
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t i = std::min(v & t.mask, t.last);
        for (int k = 0; k < CN; ++k)
            flat[k][v] = rowEntry<D>(t, i, uint32_t(k));
    }
    Lines<D> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* out = d[y];
        const uint8_t* in = s[y];
        for (uint32_t x = 0; x < width; ++x, in += CN, out += CN * sizeof(D))
            for (int k = 0; k < CN; ++k)
                store<D>(out + k * sizeof(D), flat[k][in[k]]);
    }
}

// Sample k of every pixel (CN components; 0: comps) through the table:
// row[s_k][k] or flat[s_k]. With an over-exposure colour a pixel with any
// sample at or above the level receives the colour instead.
template <class S, class D, int CN, bool Rows>
int convertViaLut(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                  const LutTable& t, uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const uint32_t lines = lineCount(width, pixelCount);
    if (!Rows && !(marksOverExposure<D, CN>() && t.overExp)) {
        lookupFlatLines<S, D>(dst, dstWB, src, srcWB, size_t(width) * n, lines, t);
        return 0;
    }
    if constexpr (Rows && sizeof(S) == 1 && (CN == 3 || CN == 4)) {
        // Byte samples have few values: each component's row entries copied
        // into a flat table first spare the row pointer of every sample.
        if (!(marksOverExposure<D, CN>() && t.overExp) && size_t(width) * lines >= 1024) {
            lookupBytesThroughRows<D, CN>(dst, dstWB, src, srcWB, t, width, lines);
            return 0;
        }
    }
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* in = sl + size_t(x) * n * sizeof(S);
            uint8_t* out = dl + size_t(x) * n * sizeof(D);
            if constexpr (marksOverExposure<D, CN>()) {
                if (t.overExp && (load<S>(in) >= t.level || load<S>(in + sizeof(S)) >= t.level ||
                                  load<S>(in + 2 * sizeof(S)) >= t.level)) {
                    std::memcpy(out, t.overExp, 3);
                    continue;
                }
            }
            for (uint32_t k = 0; k < n; ++k) {
                const uint32_t sample = load<S>(in + k * sizeof(S));
                const uint32_t v = std::min(sample & t.mask, t.last);
                store<D>(out + k * sizeof(D), Rows ? rowEntry<D>(t, v, k) : flatEntry<D>(t, v));
            }
        }
    }
    return 0;
}

// Component srcComp of every source pixel indexes the table; the outputs go
// to the DN components (0: dstComps) of the destination pixel: row[s][k], or
// flat[s] in each. Over-exposed samples give the colour (3 x 8 bits only).
template <class S, class D, int DN, bool Rows>
int lookupComponent(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                    uint32_t srcComps, uint32_t srcWB, uint32_t srcComp, const LutTable& t,
                    uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = DN ? uint32_t(DN) : dstComps;
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y] + size_t(srcComp) * sizeof(S);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t sample = load<S>(sl + size_t(x) * srcComps * sizeof(S));
            uint8_t* out = dl + size_t(x) * n * sizeof(D);
            if constexpr (marksOverExposure<D, DN>()) {
                if (t.overExp && sample >= t.level) {
                    std::memcpy(out, t.overExp, 3);
                    continue;
                }
            }
            const uint32_t v = std::min(sample & t.mask, t.last);
            if constexpr (Rows) {
                for (uint32_t k = 0; k < n; ++k)
                    store<D>(out + k * sizeof(D), rowEntry<D>(t, v, k));
            } else {
                const D value = flatEntry<D>(t, v);
                for (uint32_t k = 0; k < n; ++k)
                    store<D>(out + k * sizeof(D), value);
            }
        }
    }
    return 0;
}

// 32-bit samples of CN components (0: comps) through a linear function of
// their own: q = (s x a - b) / c modulo 2^64, plus d, kept to D's low bits.
// params holds (a, b, c, d) per component. -4, nothing written, for a null
// parameter pointer or a divisor 0.
template <class D, int CN>
int linearFunction(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                   const uint64_t* params, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    if (!params)
        return -4;
    for (uint32_t k = 0; k < n; ++k)
        if (params[4 * size_t(k) + 2] == 0)
            return -4;
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<D> d(dst, dstWB);
    ConstLines<uint32_t> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t k = 0; k < n; ++k) {
                const size_t i = size_t(x) * n + k;
                const uint64_t* p = params + 4 * size_t(k);
                const uint64_t t = uint64_t(load<uint32_t>(sl + i * 4)) * p[0] - p[1];
                store<D>(dl + i * sizeof(D), static_cast<D>(t / p[2] + p[3]));
            }
        }
    }
    return 0;
}

} // namespace lxpic

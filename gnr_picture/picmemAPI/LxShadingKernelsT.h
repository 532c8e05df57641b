// The shading correction as one loop over the three pictures with the
// per-sample rule plugged in: a table look-up for byte samples, the division
// itself for 16-bit samples.
#pragma once

#include <algorithm>
#include <cstdint>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// The division table of one component with its results limited to limit
// (255 for 8 bits, 2^bits - 1 for fewer).
inline void buildDivisionTable(uint8_t* table, uint32_t mean, uint32_t limit)
{
    for (uint32_t s = 0; s < 256; ++s) {
        uint8_t* row = table + s * 256;
        if (mean == 0) {
            std::fill(row, row + 256, uint8_t(s));
            continue;
        }
        row[0] = uint8_t(limit);
        for (uint32_t h = 1; h < 256; ++h)
            row[h] = uint8_t(std::min(s * mean / h, limit));
    }
}

struct TableCorrection {
    const uint8_t* const* tables;
    uint32_t operator()(uint32_t k, uint32_t s, uint32_t h) const { return tables[k][s * 256 + h]; }
};

struct FormulaCorrection {
    const uint32_t* means;
    uint32_t max;
    uint32_t operator()(uint32_t k, uint32_t s, uint32_t h) const
    {
        const uint32_t mean = means[k];
        if (mean == 0)
            return s;
        if (h == 0)
            return max;
        return uint32_t(std::min<uint64_t>(uint64_t(s) * mean / h, max));
    }
};

// Sample k of every pixel (CN components; 0: comps) through correct(k,
// source sample, shading sample).
template <class T, int CN, class Correct>
int shadeLines(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
               uint32_t shadingWB, uint32_t comps, uint32_t width, uint32_t pixelCount,
               Correct correct)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<T> d(dst, dstWB);
    ConstLines<T> s(src, srcWB);
    ConstLines<T> h(shading, shadingWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        const uint8_t* hl = h[y];
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t k = 0; k < n; ++k) {
                const size_t at = (size_t(x) * n + k) * sizeof(T);
                store<T>(dl + at, T(correct(k, load<T>(sl + at), load<T>(hl + at))));
            }
        }
    }
    return 0;
}

} // namespace lxpic

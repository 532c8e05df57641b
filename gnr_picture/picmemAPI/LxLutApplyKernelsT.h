// Applying a table to picture lines in place of their samples, and the
// per-component sums: one loop each, instantiated per sample type and
// component count.
#pragma once

#include <cstdint>
#include <cstring>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// The mask that keeps a sample inside a table of 2^bits entries; samples of
// their full width are used as they are.
template <class S> uint32_t sampleMask(uint32_t bits)
{
    return bits < 8 * sizeof(S) ? maxOfBits(bits) : maxOfBits(8 * sizeof(S));
}

// Sample s of component k through a flat table or a row table.
template <class S, bool Rows> S lookUp(const void* table, uint32_t s, uint32_t k)
{
    if constexpr (Rows) {
        const void* row = static_cast<const void* const*>(table)[s];
        return load<S>(static_cast<const uint8_t*>(row) + size_t(k) * sizeof(S));
    } else {
        return load<S>(static_cast<const uint8_t*>(table) + size_t(s) * sizeof(S));
    }
}

// Every sample of CN components (0: comps) through the table. With a colour
// (3 byte components only), a pixel with any sample at or above
// 2^bits - 1 takes the colour instead.
template <class S, int CN, bool Rows>
int applyLut(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* table,
             const uint8_t* colour, uint32_t comps, uint32_t bits, uint32_t width,
             uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const uint32_t mask = sampleMask<S>(bits);
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<S> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* in = sl + size_t(x) * n * sizeof(S);
            uint8_t* out = dl + size_t(x) * n * sizeof(S);
            if constexpr (CN == 3 && sizeof(S) == 1) {
                if (colour && (in[0] >= mask || in[1] >= mask || in[2] >= mask)) {
                    std::memcpy(out, colour, 3);
                    continue;
                }
            }
            for (uint32_t k = 0; k < n; ++k)
                store<S>(out + k * sizeof(S),
                         lookUp<S, Rows>(table, load<S>(in + k * sizeof(S)) & mask, k));
        }
    }
    return 0;
}

// Adds the samples of each of CN components (0: comps) to sums[k].
template <class S, int CN>
int sumValues(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB, uint32_t width,
              uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const uint32_t lines = lineCount(width, pixelCount);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        const uint8_t* sl = s[y];
        for (uint32_t k = 0; k < n; ++k) {
            // 64 bits also within a line: a 32-bit line sum of 16-bit
            // samples overflows from 65538 pixels on.
            uint64_t line = 0;
            for (uint32_t x = 0; x < width; ++x)
                line += load<S>(sl + (size_t(x) * n + k) * sizeof(S));
            sums[k] += line;
        }
    }
    return 0;
}

} // namespace lxpic

// Applying a table to picture lines in place of their samples (the table
// conversion loop with source and destination of one type), and the
// per-component sums, instantiated per sample type and component count.
#pragma once

#include <cstdint>

#include "gnr_picture/picmemAPI/LxLutKernelsT.h"

namespace lxpic
{

// Every sample of CN components (0: comps) through a table of 2^bits entries,
// indexed by the sample's low bits. With a colour (3 byte components only), a
// pixel with any sample at or above 2^bits - 1 takes the colour instead.
template <class S, int CN, bool Rows>
int applyLut(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* table,
             const uint8_t* colour, uint32_t comps, uint32_t bits, uint32_t width,
             uint32_t pixelCount)
{
    return convertViaLut<S, S, CN, Rows>(dst, dstWB, src, srcWB, comps,
                                         maskedTable<S>(table, bits, colour), width, pixelCount);
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

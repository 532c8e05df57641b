// Applying a table to picture lines in place of their samples (the table
// conversion loop with source and destination of one type), and the
// per-component sums, instantiated per sample type and component count.
#pragma once

#include <algorithm>
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

// Adds the samples of each of CN components (0: comps) to sums[k], in one
// pass over each line. Lines of 1 or 3 components are summed in blocks of
// 16 pixels into 32-bit lanes (one lane per sample position of the block),
// which the compiler vectorises; a lane takes one sample per block and is
// added to the 64-bit sums at the latest after 65536 blocks (65536 16-bit
// samples cannot wrap it) and at the end of every line.
template <class S, int CN>
LX_KERNEL_INLINE int sumValues(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB,
                               uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    const uint32_t lines = lineCount(width, pixelCount);
    ConstLines<S> s(src, srcWB);
    if constexpr (CN == 0) {
        for (uint32_t y = 0; y < lines; ++y) {
            const uint8_t* sl = s[y];
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t k = 0; k < n; ++k)
                    sums[k] += load<S>(sl + (size_t(x) * n + k) * sizeof(S));
        }
        return 0;
    } else {
        constexpr size_t kBlock = size_t(CN) * 16;
        constexpr size_t kFlushBlocks = 65536;
        const size_t samples = size_t(width) * CN;
        for (uint32_t y = 0; y < lines; ++y) {
            const uint8_t* sl = s[y];
            size_t i = 0;
            while (samples - i >= kBlock) {
                uint32_t lane[kBlock] = {};
                const size_t blocks = std::min((samples - i) / kBlock, kFlushBlocks);
                for (size_t b = 0; b < blocks; ++b, i += kBlock)
                    for (size_t j = 0; j < kBlock; ++j)
                        lane[j] += load<S>(sl + (i + j) * sizeof(S));
                for (size_t j = 0; j < kBlock; ++j)
                    sums[j % CN] += lane[j];
            }
            for (; i < samples; ++i)
                sums[i % CN] += load<S>(sl + i * sizeof(S));
        }
        return 0;
    }
}

} // namespace lxpic

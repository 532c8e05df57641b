// The vector gray expansion and the byte-row table lookup against plain
// loops, on odd widths and padded lines, with and without the AVX2 paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gnr_picture/picmemAPI/LxConvertKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxLutKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

struct Window {
    uint32_t width, pad, lines;
};

// Widths around the 32-pixel step, pads that break line alignment.
const Window kWindows[] = {{1, 0, 3},    {31, 5, 2},   {32, 0, 2},  {33, 7, 3},
                           {63, 1, 2},   {64, 3, 2},   {95, 13, 3}, {97, 0, 2},
                           {129, 31, 4}, {1000, 9, 3}, {2047, 1, 2}};

uint8_t pattern(size_t i)
{
    return uint8_t(i * 37 + (i >> 8) * 11 + 5);
}

TEST(VectorExpand, GrayBytesRepeatedThreeTimesMatchThePlainLoop)
{
    for (bool vector : {true, false}) {
        lxpic::avx2PathsAllowed() = vector;
        for (const Window& w : kWindows) {
            const uint32_t srcWB = w.width + w.pad, dstWB = 3 * w.width + w.pad;
            std::vector<uint8_t> src(size_t(srcWB) * w.lines);
            for (size_t i = 0; i < src.size(); ++i)
                src[i] = pattern(i);
            std::vector<uint8_t> dst(size_t(dstWB) * w.lines, 0xA5);
            ASSERT_EQ(convert_1x8_to_3x8(dst.data(), dstWB, src.data(), srcWB, w.width,
                                         w.width * w.lines),
                      0);
            for (uint32_t y = 0; y < w.lines; ++y)
                for (uint32_t b = 0; b < dstWB; ++b) {
                    const uint8_t want =
                        b < 3 * w.width ? src[size_t(y) * srcWB + b / 3] : uint8_t(0xA5);
                    ASSERT_EQ(dst[size_t(y) * dstWB + b], want)
                        << "vector " << vector << " width " << w.width << " pad " << w.pad << " y "
                        << y << " byte " << b;
                }
        }
    }
    lxpic::avx2PathsAllowed() = true;
}

TEST(VectorExpand, DeepGrayShiftedAndRepeatedMatchesThePlainLoop)
{
    for (bool vector : {true, false}) {
        lxpic::avx2PathsAllowed() = vector;
        for (uint32_t bits : {9u, 12u, 16u})
            for (const Window& w : kWindows) {
                // Odd pads too: lines of words need not start on even bytes.
                const uint32_t srcWB = 2 * w.width + w.pad, dstWB = 3 * w.width + w.pad;
                std::vector<uint8_t> src(size_t(srcWB) * w.lines);
                for (size_t i = 0; i < src.size(); ++i)
                    src[i] = pattern(i);
                std::vector<uint8_t> dst(size_t(dstWB) * w.lines, 0xA5);
                ASSERT_EQ(CLxPicMemAPI::ConvertToTrueColor(dst.data(), dstWB, src.data(), 1, bits,
                                                           srcWB, w.width, w.width * w.lines,
                                                           nullptr),
                          0);
                for (uint32_t y = 0; y < w.lines; ++y)
                    for (uint32_t b = 0; b < dstWB; ++b) {
                        uint8_t want = 0xA5;
                        if (b < 3 * w.width) {
                            const uint8_t* s = &src[size_t(y) * srcWB + 2 * (b / 3)];
                            // Samples above their bits keep the shifted value's low byte.
                            want = uint8_t(uint32_t(s[0] | s[1] << 8) >> (bits - 8));
                        }
                        ASSERT_EQ(dst[size_t(y) * dstWB + b], want)
                            << "vector " << vector << " bits " << bits << " width " << w.width
                            << " pad " << w.pad << " y " << y << " byte " << b;
                    }
            }
    }
    lxpic::avx2PathsAllowed() = true;
}

// Byte samples through a row table (entries of D), cut to bits: the flat
// copy of the rows used for large windows and the row reads of small ones.
template <class D, int CN> void checkRowTable(uint32_t bits)
{
    std::vector<std::vector<D>> rowData(size_t(1) << bits, std::vector<D>(CN));
    std::vector<const void*> rows(rowData.size());
    for (size_t v = 0; v < rowData.size(); ++v) {
        for (int k = 0; k < CN; ++k)
            rowData[v][k] = D(v * 131 + k * 977 + 3);
        rows[v] = rowData[v].data();
    }
    const lxpic::LutTable t = lxpic::maskedTable<uint8_t>(rows.data(), bits, nullptr);
    for (const Window& w : kWindows) {
        const uint32_t srcWB = CN * w.width + w.pad;
        const uint32_t dstWB = CN * w.width * sizeof(D) + w.pad * sizeof(D);
        std::vector<uint8_t> src(size_t(srcWB) * w.lines);
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = pattern(i);
        std::vector<D> dst(dstWB / sizeof(D) * w.lines, D(0xA5));
        ASSERT_EQ((lxpic::convertViaLut<uint8_t, D, CN, true>(dst.data(), dstWB, src.data(), srcWB,
                                                              CN, t, w.width, w.width * w.lines)),
                  0);
        const uint32_t mask = (1u << bits) - 1;
        for (uint32_t y = 0; y < w.lines; ++y)
            for (uint32_t i = 0; i < dstWB / sizeof(D); ++i) {
                const uint8_t s = src[size_t(y) * srcWB + i];
                const D want = i < CN * w.width ? rowData[s & mask][i % CN] : D(0xA5);
                ASSERT_EQ(dst[size_t(y) * (dstWB / sizeof(D)) + i], want)
                    << CN << " comps, " << 8 * sizeof(D) << " bits out, table bits " << bits
                    << " width " << w.width << " y " << y << " sample " << i;
            }
    }
}

TEST(VectorExpand, ByteSamplesThroughRowTablesMatchTheRows)
{
    for (uint32_t bits : {8u, 5u}) {
        checkRowTable<uint8_t, 3>(bits);
        checkRowTable<uint8_t, 4>(bits);
        checkRowTable<uint16_t, 3>(bits);
        checkRowTable<uint16_t, 4>(bits);
    }
}

} // namespace

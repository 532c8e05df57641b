// Known answers of the kernels' arithmetic: weights, rounding, shift wraps,
// over-exposure levels, the modulo-2^64 linear functions, and the line rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/picmemAPI/LxComponentKernels.h"
#include "gnr_picture/picmemAPI/LxConvertKernels.h"
#include "gnr_picture/picmemAPI/LxCopyKernels.h"
#include "gnr_picture/picmemAPI/LxLutConvertKernels.h"

namespace
{

// One line of pixels in, one gray sample per pixel out.
template <class T, size_t N>
std::vector<T> collapse(int (*kernel)(void*, uint32_t, const void*, uint32_t, const double*,
                                      uint32_t, uint32_t),
                        const std::vector<T>& pixels, const double* weights)
{
    const uint32_t width = uint32_t(pixels.size() / N);
    std::vector<T> gray(width, T(0xEE));
    EXPECT_EQ(kernel(gray.data(), width * sizeof(T), pixels.data(), width * N * sizeof(T), weights,
                     width, width),
              0);
    return gray;
}

TEST(KernelArithmetic, WeightedCollapseGivesTheRestToTheLastFactor)
{
    // Factors 29 (blue) and 150 (green), the rest 76 (red).
    const double weights[3] = {0.114, 0.587, 0.299};
    EXPECT_EQ((collapse<uint8_t, 3>(convert_3x8_to_1x8,
                                    {255, 255, 255, 0, 0, 255, 255, 0, 0, 0, 255, 0}, weights)),
              (std::vector<uint8_t>{255, 76, 29, 150}));
    // The N member reads w[1..] and gives the rest to component 0.
    const uint8_t red[3] = {0, 0, 255}, blue[3] = {255, 0, 0};
    uint8_t gray = 0;
    convert_Nx8_to_1x8(&gray, 1, red, 3, 3, weights, 1, 1);
    EXPECT_EQ(gray, 76);
    convert_Nx8_to_1x8(&gray, 1, blue, 3, 3, weights, 1, 1);
    EXPECT_EQ(gray, 29);
}

TEST(KernelArithmetic, MeanCountsTheFourthComponentAndRounds)
{
    EXPECT_EQ(
        (collapse<uint8_t, 4>(convert_4x8_to_1x8, {200, 200, 200, 0, 255, 255, 255, 255}, nullptr)),
        (std::vector<uint8_t>{150, 255}));
    // (1 + 1 + 2 + 1) / 3 rounds 4 / 3 down, 5 / 3 up.
    EXPECT_EQ((collapse<uint8_t, 3>(convert_3x8_to_1x8, {1, 1, 2, 2, 2, 1, 7, 7, 7}, nullptr)),
              (std::vector<uint8_t>{1, 2, 7}));
    EXPECT_EQ((collapse<uint16_t, 3>(convert_3x16_to_1x16, {65535, 65535, 65535}, nullptr)),
              (std::vector<uint16_t>{65535}));
}

TEST(KernelArithmetic, CollapseOfNoComponentsIsRefused)
{
    uint8_t gray = 0xEE;
    const uint8_t px = 9;
    EXPECT_EQ(convert_Nx8_to_1x8(&gray, 1, &px, 0, 1, nullptr, 1, 1), -4);
    EXPECT_EQ(gray, 0xEE);
}

struct ShiftCase {
    uint32_t dstBits, srcBits;
    uint16_t in;
    uint16_t out;
};

TEST(KernelArithmetic, ShiftsWrapAboveTheDeclaredBits)
{
    // 16 to 8: the low 8 bits of s >> (srcBits - 8).
    const ShiftCase down[] = {{8, 12, 4095, 255}, {8, 12, 4096, 0}, {8, 16, 0xABCD, 0xAB}};
    for (const ShiftCase& c : down) {
        uint8_t out = 0;
        convert_Nx16_to_Nx8(&out, 1, &c.in, c.srcBits, 2, 1, 1, 1);
        EXPECT_EQ(out, c.out) << c.in;
    }
    const ShiftCase within[] = {
        {16, 12, 4095, 65520}, {12, 16, 65535, 4095}, {16, 12, 8191, 65520}};
    for (const ShiftCase& c : within) {
        uint16_t out = 0;
        convert_Nx16_to_Nx16(&out, c.dstBits, 2, &c.in, c.srcBits, 2, 1, 1, 1);
        EXPECT_EQ(out, c.out) << c.in;
    }
    // Counts are taken modulo 32: from "4 bits" the count is 28.
    uint8_t out = 7;
    const uint16_t in = 0xFFFF;
    convert_Nx16_to_Nx8(&out, 1, &in, 4, 2, 1, 1, 1);
    EXPECT_EQ(out, 0);
}

TEST(KernelArithmetic, ComponentShiftsFollowTheDepthDifference)
{
    const uint16_t in[2] = {4095, 65535};
    uint16_t out16 = 0;
    convertcomponent_16_to_16(&out16, 1, 2, 0, 16, in, 2, 4, 0, 12, 1, 1);
    EXPECT_EQ(out16, 65520);
    uint8_t out8 = 0;
    convertcomponent_16_to_8(&out8, 1, 1, 0, 8, in, 2, 4, 1, 16, 1, 1);
    EXPECT_EQ(out8, 255);
}

TEST(KernelArithmetic, StorageChangesKeepTheValue)
{
    const uint16_t in = 0x1234;
    uint8_t narrow = 0;
    changebitdepth_1xN_to_1x08(&narrow, 1, &in, 2, 16, 1, 1);
    EXPECT_EQ(narrow, 0x34);
    const uint8_t byte = 200;
    uint32_t wide = 0xFFFFFFFF;
    changebitdepth_1xN_to_1x32(&wide, 4, &byte, 1, 8, 1, 1);
    EXPECT_EQ(wide, 200u);
}

TEST(KernelArithmetic, OverExposureMarksPixelsAtTheTopOfTheSourceRange)
{
    // A 12-bit colour table whose every entry is 1: (4095, 0, 0) is marked,
    // (4094, 4094, 4094) goes through the table.
    std::vector<uint8_t> data(4096 * 3, 1);
    std::vector<const void*> rows(4096);
    for (size_t v = 0; v < rows.size(); ++v)
        rows[v] = &data[v * 3];
    const uint8_t colour[3] = {10, 20, 30};
    const uint16_t px[6] = {4095, 0, 0, 4094, 4094, 4094};
    uint8_t out[6] = {};
    convertbitdepthvialuts_3x16_to_3x8_overexp(out, 6, px, 12, 12, rows.data(), colour, 2, 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{10, 20, 30, 1, 1, 1}));
    // Without a colour it is the plain member.
    convertbitdepthvialuts_3x16_to_3x8_overexp(out, 6, px, 12, 12, rows.data(), nullptr, 2, 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1}));

    // 8-bit component sources are marked at 255, not 254.
    std::vector<uint8_t> flat(256, 7);
    const uint8_t samples[2] = {255, 254};
    uint8_t marked[6] = {};
    component_lut1_Nx8_to_3x8_overexp(marked, 6, samples, 1, 2, 0, flat.data(), colour, 2, 2);
    EXPECT_EQ(std::vector<uint8_t>(marked, marked + 6),
              (std::vector<uint8_t>{10, 20, 30, 7, 7, 7}));
    // 16-bit ones at 2^srcBits - 1 and above.
    std::vector<uint8_t> flat12(4096, 7);
    const uint16_t deep[3] = {4094, 4095, 5000};
    uint8_t marked16[9] = {};
    component_lut1_Nx16_to_3x8_overexp(marked16, 9, deep, 1, 12, 6, 0, flat12.data(), colour, 3, 3);
    EXPECT_EQ(std::vector<uint8_t>(marked16, marked16 + 9),
              (std::vector<uint8_t>{7, 7, 7, 10, 20, 30, 10, 20, 30}));
}

TEST(KernelArithmetic, LinearFunctionsWorkModulo2To64WithoutClipping)
{
    const uint64_t scale[4] = {1, 0, 16, 0};
    const uint32_t in[2] = {1048560, 1048576};
    uint16_t out[2] = {};
    EXPECT_EQ(convertbitdepthvialinfunc_1x32_to_1x16(out, 4, in, 8, scale, 2, 2), 0);
    EXPECT_EQ(out[0], 65535);
    EXPECT_EQ(out[1], 0); // 65536 keeps its low 16 bits

    // 5 - 10 wraps to 2^64 - 5, whose low 16 bits are 65531.
    const uint64_t below[4] = {1, 10, 1, 0};
    const uint32_t five = 5;
    EXPECT_EQ(convertbitdepthvialinfunc_1x32_to_1x16(out, 2, &five, 4, below, 1, 1), 0);
    EXPECT_EQ(out[0], 65531);
    uint8_t low8 = 0;
    convertbitdepthvialinfunc_1x32_to_1x8(&low8, 1, &five, 4, below, 1, 1);
    EXPECT_EQ(low8, 251);
}

TEST(KernelArithmetic, LinearFunctionsRefuseADivisorOfZero)
{
    const uint64_t params[8] = {1, 0, 1, 0, 1, 0, 0, 0}; // component 1 divides by 0
    const uint32_t in[2] = {1, 2};
    uint16_t out[2] = {0xEEEE, 0xEEEE};
    EXPECT_EQ(convertbitdepthvialinfunc_Mx32_to_Mx16(out, 4, in, 8, params, 2, 1, 1), -4);
    EXPECT_EQ(out[0], 0xEEEE);
    EXPECT_EQ(convertbitdepthvialinfunc_1x32_to_1x16(out, 4, in, 8, nullptr, 1, 1), -4);
}

TEST(KernelArithmetic, LinearFunctionsServeMoreThan32Components)
{
    constexpr uint32_t comps = 40;
    std::vector<uint64_t> params;
    for (uint64_t k = 0; k < comps; ++k)
        params.insert(params.end(), {1, 0, 1, k});
    std::vector<uint32_t> in(comps, 100);
    std::vector<uint16_t> out(comps + 1, 0xEEEE);
    EXPECT_EQ(convertbitdepthvialinfunc_Mx32_to_Mx16(out.data(), comps * 2, in.data(), comps * 4,
                                                     params.data(), comps, 1, 1),
              0);
    for (uint32_t k = 0; k < comps; ++k)
        EXPECT_EQ(out[k], 100 + k);
    EXPECT_EQ(out[comps], 0xEEEE);
}

TEST(KernelArithmetic, ComponentComparisonIsTheSignedDifference)
{
    const uint8_t a[2] = {10, 10}, b[2] = {10, 200};
    EXPECT_EQ(comparecomponent_Nx8_to_Nx8(a, 1, 2, 0, b, 1, 2, 0, 2, 2), -190);
    EXPECT_EQ(comparecomponent_Nx8_to_Nx8(b, 1, 2, 0, a, 1, 2, 0, 2, 2), 190);
    const uint16_t c[1] = {65535}, d[1] = {0};
    EXPECT_EQ(comparecomponent_Nx16_to_Nx16(c, 1, 2, 0, d, 1, 2, 0, 1, 1), 65535);
}

TEST(KernelArithmetic, FewerPixelsThanALineTouchNothing)
{
    uint8_t dst[4] = {1, 2, 3, 4};
    const uint8_t src[4] = {9, 9, 9, 9};
    EXPECT_EQ(copy(dst, 4, src, 4, 1, 8, 4, 3), 0);
    EXPECT_EQ(dst[0], 1);
    EXPECT_EQ(compare(dst, 4, src, 4, 1, 8, 4, 3), 0);
}

TEST(KernelArithmetic, SixteenBitLinesUseThePitchRoundedDown)
{
    // Pitch 5 bytes: 16-bit kernels step 4 bytes a line.
    uint8_t src[12] = {1, 0, 0xEE, 0xEE, 2, 0, 0xEE, 0xEE, 3, 0, 0xEE, 0xEE};
    uint16_t dst[3] = {};
    EXPECT_EQ(convert_Nx16_to_Nx16(dst, 16, 2, src, 16, 5, 1, 1, 3), 0);
    EXPECT_EQ(dst[0], 1);
    EXPECT_EQ(dst[1], 2);
    EXPECT_EQ(dst[2], 3);
}

TEST(KernelArithmetic, ALineLongerThanTheDestinationPitchIsReportedAndCut)
{
    AssertCapture asserts;
    uint8_t dst[8];
    std::fill(dst, dst + 8, 0xEE);
    const uint8_t src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    // Lines of 4 bytes into a pitch of 3: 3 bytes a line, one report a call.
    EXPECT_EQ(copy(dst, 3, src, 4, 1, 8, 4, 8), 0);
    EXPECT_EQ(std::vector<uint8_t>(dst, dst + 8),
              (std::vector<uint8_t>{1, 2, 3, 5, 6, 7, 0xEE, 0xEE}));
    EXPECT_EQ(set(dst, 3, 0x41, 1, 8, 4, 8), 0);
    EXPECT_EQ(dst[6], 0xEE);
    EXPECT_EQ(asserts.count("size > dwDestLineSize"), 2);
}

} // namespace

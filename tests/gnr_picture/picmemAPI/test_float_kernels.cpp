// Float picture kernels: copies, Float2 conversions, ranges and tone maps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"

namespace
{

TEST(FloatPictureKernels, CopiesAndFillsRespectPadding)
{
    // 2 x 2 pixels of 2 components, lines of 5 floats (one of padding).
    std::vector<float> src = {1, 2, 3, 4, -1, 5, 6, 7, 8, -1};
    std::vector<float> dst(10, 9.0f);
    EXPECT_EQ(0, copyfloat(dst.data(), 20, src.data(), 20, 2, 2, 4));
    EXPECT_EQ((std::vector<float>{1, 2, 3, 4, 9, 5, 6, 7, 8, 9}), dst);

    const float values[2] = {0.5f, -2.0f};
    EXPECT_EQ(0, set_Nxfloat(dst.data(), 2, 20, values, 2, 4));
    EXPECT_EQ((std::vector<float>{0.5f, -2, 0.5f, -2, 9, 0.5f, -2, 0.5f, -2, 9}), dst);

    EXPECT_EQ(0, setcomponent_Nxfloat(dst.data(), 2, 20, 1, 3.0f, 2, 4));
    EXPECT_EQ((std::vector<float>{0.5f, 3, 0.5f, 3, 9, 0.5f, 3, 0.5f, 3, 9}), dst);
    EXPECT_EQ(0, setcomponent_Nxfloat(dst.data(), 2, 20, 2, 7.0f, 2, 4)); // no component 2
    EXPECT_EQ((std::vector<float>{0.5f, 3, 0.5f, 3, 9, 0.5f, 3, 0.5f, 3, 9}), dst);

    EXPECT_EQ(0,
              copycomponent_Nxfloat_to_Nxfloat(dst.data(), 2, 20, 0, src.data(), 2, 20, 1, 2, 4));
    EXPECT_EQ((std::vector<float>{2, 3, 4, 3, 9, 6, 3, 8, 3, 9}), dst);
}

TEST(FloatPictureKernels, EmptyWindowsTouchNothing)
{
    std::vector<float> dst(4, 9.0f);
    const float v = 1.0f;
    EXPECT_EQ(0, set_Nxfloat(dst.data(), 1, 16, &v, 0, 4));
    EXPECT_EQ(0, set_Nxfloat(dst.data(), 1, 16, &v, 4, 0));
    EXPECT_EQ(0, set_Nxfloat(dst.data(), 1, 16, &v, 4, 3)); // less than a line
    EXPECT_EQ(std::vector<float>(4, 9.0f), dst);
    EXPECT_EQ(0, map_float_to_Nx8_Drago(dst.data(), 8, dst.data(), 0, 4, 1));
    EXPECT_EQ(std::vector<float>(4, 9.0f), dst);
}

TEST(FloatPictureKernels, Float2ExtractionMeansAndClearsSecondPlane)
{
    const uint8_t rgb[3] = {10, 20, 60};
    float re = -1.0f, im = -1.0f;
    EXPECT_EQ(0, extract_Nx8_to_1xFloat2(&re, &im, 1, 4, rgb, 3, 8, 3, 1, 1));
    EXPECT_FLOAT_EQ(30.0f, re);
    EXPECT_EQ(0.0f, im);

    const uint16_t words[3] = {1000, 2000, 4095};
    float re3[3] = {}, im3[3] = {7, 7, 7};
    EXPECT_EQ(0, extract_Nx16_to_3xFloat2(re3, im3, 3, 12, words, 6, 12, 3, 1, 1));
    EXPECT_EQ(1000.0f, re3[0]);
    EXPECT_EQ(2000.0f, re3[1]);
    EXPECT_EQ(4095.0f, re3[2]);
    EXPECT_EQ(0.0f, im3[0] + im3[1] + im3[2]);
}

TEST(FloatPictureKernels, Float2BackConversionRoundsAndClamps)
{
    struct Case {
        float v;
        uint32_t bits;
        uint32_t expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {{1100.2f, 10, 1023},   {3.5f, 10, 4},    {3.4f, 10, 3},
                          {-0.4f, 10, 0},        {-7.0f, 10, 0},   {nan, 10, 0},
                          {70000.0f, 16, 65535}, {254.6f, 8, 255}, {300.0f, 8, 255},
                          {-3.0f, 8, 0},         {nan, 8, 0},      {12.49f, 8, 12}};
    for (const Case& c : cases) {
        const float im = 123.0f;
        if (c.bits == 8) {
            uint8_t out = 77;
            EXPECT_EQ(0, extract_Float2_to_Nx8(&out, 1, 1, 8, &c.v, &im, 1, 4, 1, 1));
            EXPECT_EQ(c.expected, out) << c.v;
        } else {
            uint16_t out = 77;
            EXPECT_EQ(0, extract_Float2_to_Nx16(&out, 1, 2, c.bits, &c.v, &im, 1, 4, 1, 1));
            EXPECT_EQ(c.expected, out) << c.v << " at " << c.bits;
        }
    }
}

TEST(FloatPictureKernels, ComponentRange)
{
    struct Case {
        std::vector<float> values;
        float min, max;
    };
    const Case cases[] = {{{-1, 0, 0.5f, 7}, 0.5f, 7.0f},
                          {{-1, -2, -0.5f, -7}, 1e30f, 0.0f},
                          {{0, 0, 0, 0}, 1e30f, 0.0f}};
    for (const Case& c : cases) {
        std::vector<float> pic = c.values;
        float mn = 0, mx = -1;
        EXPECT_EQ(0, getminmax_Nxfloat(pic.data(), 2, 2, 1, &mn, &mx, 0));
        EXPECT_EQ(c.min, mn);
        EXPECT_EQ(c.max, mx);
        EXPECT_EQ(c.values, pic);
    }
    // Component 1 of two.
    const float two[] = {5, 0.25f, 9, 3};
    float mn = 0, mx = 0;
    getminmax_Nxfloat(two, 2, 1, 2, &mn, &mx, 1);
    EXPECT_EQ(0.25f, mn);
    EXPECT_EQ(3.0f, mx);
}

using ToneMap8 = int (*)(void*, uint32_t, const float*, uint32_t, uint32_t, uint32_t);

// Each component over its own range: 0 -> 0, its top -> the destination's
// top, whatever the component's range.
TEST(ToneMaps, EachComponentSpansTheWholeRange)
{
    const float src[] = {0.0f, 0.0f, 0.0f, 1.5f, 30.0f, 0.01f, 3.0f, 60000.0f, 0.02f};
    const ToneMap8 maps8[] = {map_float_to_Nx8_Tumblin, map_float_to_Nx8_Drago};
    for (ToneMap8 map : maps8) {
        uint8_t out[9];
        EXPECT_EQ(0, map(out, 8, src, 3, 1, 3));
        EXPECT_EQ(0, out[0] + out[1] + out[2]);
        EXPECT_EQ(255, out[6]);
        EXPECT_EQ(255, out[7]);
        EXPECT_EQ(255, out[8]);
        EXPECT_LT(out[3], 255);
        EXPECT_GT(out[3], 0);
    }
    const ToneMap8 maps16[] = {map_float_to_Nx16_Tumblin, map_float_to_Nx16_Drago};
    for (ToneMap8 map : maps16) {
        for (uint32_t bits : {12u, 16u}) {
            uint16_t out[9];
            EXPECT_EQ(0, map(out, bits, src, 3, 1, 3));
            EXPECT_EQ(0, out[0] + out[1] + out[2]);
            const uint16_t top = uint16_t((1u << bits) - 1);
            EXPECT_EQ(top, out[6]);
            EXPECT_EQ(top, out[7]);
            EXPECT_EQ(top, out[8]);
        }
    }
}

TEST(ToneMaps, DragoTopStoresTheMaximumOnAwkwardRanges)
{
    // Ranges whose formula falls one ulp short of the top.
    for (float X : {0.1f, 1.0f, 3.0f, 7.77f, 255.0f, 1e6f, 3.4e38f}) {
        const float src[2] = {X / 2, X};
        uint8_t out8[2];
        uint16_t out16[2];
        map_float_to_Nx8_Drago(out8, 8, src, 2, 1, 1);
        map_float_to_Nx16_Drago(out16, 16, src, 2, 1, 1);
        EXPECT_EQ(255, out8[1]) << X;
        EXPECT_EQ(65535, out16[1]) << X;
        EXPECT_LE(out8[0], 255);
        map_float_to_Nx8_Tumblin(out8, 8, src, 2, 1, 1);
        EXPECT_EQ(255, out8[1]) << X;
    }
}

TEST(ToneMaps, NegativeNanAndEmptyComponentsMapToZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float src[] = {-5.0f, 0.0f, nan, 2.0f, -1.0f, -2.0f};
    uint8_t out[6];
    for (ToneMap8 map : {map_float_to_Nx8_Tumblin, map_float_to_Nx8_Drago}) {
        std::fill(out, out + 6, 99);
        EXPECT_EQ(0, map(out, 8, src, 3, 1, 2));
        EXPECT_EQ(0, out[0]);
        EXPECT_EQ(0, out[2]);
        EXPECT_EQ(255, out[3]); // component 1: maximum 2.0
        EXPECT_EQ(0, out[1]);   // component 0 maximum is 0.0: all 0
        EXPECT_EQ(0, out[5]);
    }
}

TEST(ToneMaps, ParamOneIsLinear)
{
    const float src[] = {0.0f, 1.0f, 2.5f, 5.0f, 7.5f, 10.0f};
    uint8_t out[6];
    EXPECT_EQ(0, map_float_to_Nx8_param_Tumblin(out, 8, src, 6, 1, 1, 1));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(uint8_t(255.0 * src[i] / 10.0), out[i]) << i;
    uint16_t out16[6];
    EXPECT_EQ(0, map_float_to_Nx16_param_Tumblin(out16, 12, src, 3, 2, 1, 1));
    EXPECT_EQ(4095, out16[5]);
    EXPECT_EQ(uint16_t(4095.0 * 0.25), out16[2]);
}

TEST(ToneMaps, TumblinIsMonotonic)
{
    std::vector<float> src;
    for (int i = 0; i < 200; ++i)
        src.push_back(0.01f * float(i * i));
    std::vector<uint8_t> out(src.size());
    map_float_to_Nx8_Tumblin(out.data(), 8, src.data(), 200, 1, 1);
    for (size_t i = 1; i < out.size(); ++i)
        EXPECT_LE(out[i - 1], out[i]) << i;
    std::vector<uint8_t> drago(src.size());
    map_float_to_Nx8_Drago(drago.data(), 8, src.data(), 200, 1, 1);
    for (size_t i = 1; i < drago.size(); ++i)
        EXPECT_LE(drago[i - 1], drago[i]) << i;
}

} // namespace

// Float plane copies, complex conversions, arithmetic, statistics, padding.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"

namespace
{

std::vector<float> ramp(size_t n, float start = 0.0f)
{
    std::vector<float> v(n);
    std::iota(v.begin(), v.end(), start);
    return v;
}

} // namespace

TEST(FloatPicMem, FlipCrossSwapsQuadrantsAndBack)
{
    const auto src = ramp(16);
    std::vector<float> dst(16, -1.0f), back(16, -1.0f);
    ASSERT_EQ(CLxFloatPicMemAPI::FlipCross(dst.data(), src.data(), 1, 16, 4, 4), 0);
    EXPECT_EQ(dst[2 * 4 + 2], src[0]);         // (0, 0) -> (2, 2)
    EXPECT_EQ(dst[3 * 4 + 1], src[1 * 4 + 3]); // (3, 1) -> (1, 3)
    ASSERT_EQ(CLxFloatPicMemAPI::FlipCross(back.data(), dst.data(), 1, 16, 4, 4), 0);
    EXPECT_EQ(back, src);

    // Odd sizes with three components: every pixel moves as a whole.
    const auto src3 = ramp(5 * 3 * 3);
    std::vector<float> dst3(src3.size());
    ASSERT_EQ(CLxFloatPicMemAPI::FlipCross(dst3.data(), src3.data(), 3, 0, 5, 3), 0);
    // line 0 -> line 1; its pixels 0,1 -> columns 3,4, pixels 2..4 -> 0..2
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dst3[(1 * 5 + 3) * 3 + c], src3[(0 * 5 + 0) * 3 + c]);
        EXPECT_EQ(dst3[(1 * 5 + 0) * 3 + c], src3[(0 * 5 + 2) * 3 + c]);
    }
}

TEST(FloatPicMem, RealnImagToAmpnPhase)
{
    struct Case {
        float re, im, amp, phase;
    } cases[] = {
        {-1, 0, 1, 3.1415925f},
        {0, -1, 1, 6.283185f - float(M_PI / 2)},
        {1, 0, 1, 0},
        {0, 0, 0, 0},
        {0, 2, 2, float(M_PI / 2)},
        {-1, -1, std::sqrt(2.0f), 6.283185f - float(3 * M_PI / 4)},
    };
    for (const Case& c : cases) {
        float amp = -1, phase = -1, re = -1, im = -1;
        ASSERT_EQ(CLxFloatPicMemAPI::RealnImag_to_AmpnPhase(&amp, &phase, &c.re, &c.im, 1, 1, 1),
                  0);
        EXPECT_FLOAT_EQ(amp, c.amp) << c.re << "," << c.im;
        EXPECT_NEAR(phase, c.phase, 1e-6) << c.re << "," << c.im;
        ASSERT_EQ(CLxFloatPicMemAPI::AmpnPhase_to_RealnImag(&re, &im, &amp, &phase, 1, 1, 1), 0);
        EXPECT_NEAR(re, c.re, 1e-6);
        EXPECT_NEAR(im, c.im, 1e-6);
    }
}

TEST(FloatPicMem, ElementWiseArithmetic)
{
    const std::vector<float> a = {6, 0, -3, 5}, b = {2, 0, 4, -0.0f};
    std::vector<float> dst(4);
    CLxFloatPicMemAPI::AddFloatnFloat(dst.data(), a.data(), b.data(), 2, 2, 2);
    EXPECT_EQ(dst, (std::vector<float>{8, 0, 1, 5}));
    CLxFloatPicMemAPI::SubFloatnFloat(dst.data(), a.data(), b.data(), 2, 2, 2);
    EXPECT_EQ(dst, (std::vector<float>{4, 0, -7, 5}));
    CLxFloatPicMemAPI::MultiFloatnFloat(dst.data(), a.data(), b.data(), 1, 2, 4);
    EXPECT_EQ(dst, (std::vector<float>{12, 0, -12, -0.0f}));
    CLxFloatPicMemAPI::DivFloatnFloat(dst.data(), a.data(), b.data(), 1, 4, 4);
    EXPECT_EQ(dst, (std::vector<float>{3, 0, -0.75f, 0})); // 0 / 0 and 5 / -0 give 0

    std::vector<float> v = {2, 0, -4, 0.5f};
    CLxFloatPicMemAPI::MultiplybyFloat(v.data(), 2, 2, 2, 1);
    EXPECT_EQ(v, (std::vector<float>{4, 0, -8, 1}));
    CLxFloatPicMemAPI::Inversion(v.data(), 4, 1, 1);
    EXPECT_EQ(v, (std::vector<float>{0.25f, 0, -0.125f, 1}));
    CLxFloatPicMemAPI::Logarithm(v.data(), 2, 1, 2);
    EXPECT_FLOAT_EQ(v[0], std::log(0.25f));
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_FLOAT_EQ(v[2], std::log(0.125f));
    EXPECT_EQ(v[3], 0.0f);
}

TEST(FloatPicMem, ComponentStatistics)
{
    // Two components: c0 = 1, 2, 3, 4, c1 = 10, -2, 7, 7.
    const std::vector<float> src = {1, 10, 2, -2, 3, 7, 4, 7};
    float out[2], mean[2];
    CLxFloatPicMemAPI::MinComp(out, src.data(), 2, 2, 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], -2);
    CLxFloatPicMemAPI::MaxComp(out, src.data(), 2, 2, 2);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], 10);
    CLxFloatPicMemAPI::MedianComp(out, src.data(), 4, 1, 2);
    EXPECT_EQ(out[0], 3); // index 2 of the sorted four
    EXPECT_EQ(out[1], 7);
    CLxFloatPicMemAPI::MeanComp(mean, src.data(), 2, 2, 2);
    EXPECT_FLOAT_EQ(mean[0], 2.5f);
    EXPECT_FLOAT_EQ(mean[1], 5.5f);
    CLxFloatPicMemAPI::DeviationComp(out, mean, src.data(), 2, 2, 2);
    EXPECT_FLOAT_EQ(out[0], std::sqrt(5.0f / 3.0f));
    EXPECT_FLOAT_EQ(out[1], std::sqrt(81.0f / 3.0f));
}

TEST(FloatPicMem, SetComponentValueKeepsTheFloat)
{
    std::vector<float> v(6, 1.0f);
    ASSERT_EQ(CLxFloatPicMemAPI::SetComponentValue(v.data(), 3, 12, 1, 300.7f, 2, 2), 0);
    EXPECT_EQ(v, (std::vector<float>{1, 300.7f, 1, 1, 300.7f, 1}));
    EXPECT_EQ(CLxFloatPicMemAPI::SetComponentValue(v.data(), 3, 12, 3, 5.0f, 2, 2), -4);
    EXPECT_EQ(v[1], 300.7f);
}

TEST(FloatPicMem, ZeroPadCentres)
{
    const std::vector<float> src = {1, 2, 3, 4};
    std::vector<float> dst(5 * 4, 9.0f);
    ASSERT_EQ(CLxFloatPicMemAPI::ZeroPad(dst.data(), 5, 4, src.data(), 2, 2, 1), 0);
    std::vector<float> want(20, 0.0f);
    want[1 * 5 + 1] = 1;
    want[1 * 5 + 2] = 2;
    want[2 * 5 + 1] = 3;
    want[2 * 5 + 2] = 4;
    EXPECT_EQ(dst, want);
    EXPECT_EQ(CLxFloatPicMemAPI::ZeroPad(dst.data(), 1, 4, src.data(), 2, 2, 1), -4);
}

TEST(FloatPicMem, TilePadRepeatsTheSourcePeriodically)
{
    const uint32_t sw = 60, sh = 100, dw = 64, dh = 128;
    const auto src = ramp(size_t(sw) * sh);
    std::vector<float> dst(size_t(dw) * dh);
    ASSERT_EQ(CLxFloatPicMemAPI::TilePad(dst.data(), dw, dh, src.data(), sw, sh, 1), 0);
    const uint32_t ox = 2, oy = 14;
    for (uint32_t y = 0; y < dh; ++y)
        for (uint32_t x = 0; x < dw; ++x) {
            const uint32_t sx = (x + sw - ox) % sw, sy = (y + sh - oy) % sh;
            ASSERT_EQ(dst[size_t(y) * dw + x], src[size_t(sy) * sw + sx]) << x << "," << y;
        }
    // The two right-hand columns are the source's first two columns.
    EXPECT_EQ(dst[size_t(oy) * dw + 62], src[0]);
    EXPECT_EQ(dst[size_t(oy) * dw + 63], src[1]);
    EXPECT_EQ(CLxFloatPicMemAPI::TilePad(dst.data(), 59, dh, src.data(), sw, sh, 1), -4);
}

TEST(FloatPicMem, CutImageClipsToTheSource)
{
    const auto src = ramp(4 * 3); // 4 x 3
    struct Case {
        int32_t x, y;
        std::vector<float> want; // 3 x 2 destination, starting at -1
    } cases[] = {
        {0, 0, {0, 1, 2, 4, 5, 6}},        {2, 1, {6, 7, -1, 10, 11, -1}},
        {-1, -1, {-1, -1, -1, -1, 0, 1}},  {4, 0, {-1, -1, -1, -1, -1, -1}},
        {-3, 0, {-1, -1, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        std::vector<float> dst(6, -1.0f);
        ASSERT_EQ(CLxFloatPicMemAPI::CutImage(dst.data(), 3, 2, src.data(), 4, 3, c.x, c.y, 1), 0);
        EXPECT_EQ(dst, c.want) << c.x << "," << c.y;
    }
}

TEST(FloatPicMem, ComponentsAndCollapse)
{
    const std::vector<float> src = {1, 2, 6, 4, 5, 0}; // 2 pixels of 3
    std::vector<float> one(2);
    ASSERT_EQ(CLxFloatPicMemAPI::Collapse2Intesity(one.data(), src.data(), 3, 2, 2), 0);
    EXPECT_EQ(one, (std::vector<float>{3, 3}));
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractComponent(one.data(), 8, src.data(), 3, 24, 2, 2, 2), 0);
    EXPECT_EQ(one, (std::vector<float>{6, 0}));
    EXPECT_EQ(CLxFloatPicMemAPI::ExtractComponent(one.data(), 8, src.data(), 3, 24, 3, 2, 2), -4);
    std::vector<float> dst(4, 0.0f);
    ASSERT_EQ(CLxFloatPicMemAPI::CopyComponent(dst.data(), 2, 8, 1, src.data(), 3, 12, 0, 1, 2), 0);
    EXPECT_EQ(dst, (std::vector<float>{0, 1, 0, 4}));
}

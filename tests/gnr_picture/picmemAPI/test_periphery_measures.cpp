// Colocalization, line profiles, pixel squares and DIC mixing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gnr_picture/LxProfileData.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

struct Coloc {
    double out[9] = {};
    int run(const void* a, const void* b, uint32_t step, uint32_t bits, uint32_t width,
            uint32_t count, uint32_t bg1 = 0, uint32_t bg2 = 0, uint32_t wb = 0)
    {
        const uint32_t pitch = wb ? wb : width * step * (bits > 8 ? 2 : 1);
        return CLxPicMemAPI::Colocalization(a, pitch, b, pitch, step, bits, width, count, bg1, bg2,
                                            out[0], out[1], out[2], out[3], out[4], out[5], out[6],
                                            out[7], out[8]);
    }
};

TEST(Colocalization, SelfIsOne)
{
    const uint16_t pic[6] = {100, 2000, 7, 4095, 300, 1};
    Coloc c;
    EXPECT_EQ(0, c.run(pic, pic, 1, 12, 3, 6));
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(1.0, c.out[i], 1e-12) << i;
    EXPECT_NEAR((100 + 2000 + 7 + 4095 + 300 + 1) / 6.0, c.out[6], 1e-9);
    EXPECT_EQ(c.out[6], c.out[7]);
}

TEST(Colocalization, StepAndPartialLine)
{
    // Component 1 of two-component 8-bit pixels, one line of 3 and a half
    // line that is not counted.
    const uint8_t a[8] = {9, 10, 9, 20, 9, 30, 9, 99};
    const uint8_t b[8] = {9, 30, 9, 20, 9, 10, 9, 99};
    Coloc c;
    EXPECT_EQ(0, c.run(a + 1, b + 1, 2, 8, 3, 4, 0, 0, 6));
    EXPECT_NEAR(-1.0, c.out[0], 1e-12); // anti-correlated
    EXPECT_DOUBLE_EQ(20.0, c.out[6]);
    EXPECT_DOUBLE_EQ(20.0, c.out[7]);
}

TEST(Colocalization, BackgroundHeldAtZero)
{
    const uint8_t a[2] = {5, 50};
    const uint8_t b[2] = {50, 5};
    Coloc c;
    EXPECT_EQ(0, c.run(a, b, 1, 8, 2, 2, 10, 10));
    EXPECT_DOUBLE_EQ(20.0, c.out[6]); // (0 + 40) / 2
    EXPECT_DOUBLE_EQ(0.0, c.out[4]);  // M1: a is non-zero only where b is 0
    EXPECT_EQ(-2, c.run(a, b, 1, 17, 2, 2));
    EXPECT_EQ(-4, c.run(nullptr, b, 1, 8, 2, 2));
}

struct ProfileFixture : ::testing::Test {
    SLxProfileData profile;
    SLxProfileMetric metric;
    ~ProfileFixture() override
    {
        CLxAlloc::Free(profile.puiX);
        CLxAlloc::Free(profile.puiY);
        CLxAlloc::Free(profile.pData);
        CLxAlloc::Free(metric.pdX);
        CLxAlloc::Free(metric.pdY);
        CLxAlloc::Free(metric.pdDistance);
    }
};

TEST_F(ProfileFixture, HorizontalLineWithBand)
{
    // 10 x 3, value 10 y + x.
    std::vector<uint8_t> pic(30);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x)
            pic[y * 10 + x] = uint8_t(10 * y + x);
    EXPECT_EQ(0, CLxPicMemAPI::GetProfileData(&profile, 0, 9, 0, 0, pic.data(), 10, 1, 8, 10, 30,
                                              &metric));
    ASSERT_EQ(10u, profile.uiCount);
    EXPECT_EQ(1.0, profile.dStep);
    const uint8_t* data = static_cast<const uint8_t*>(profile.pData);
    for (uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(i, profile.puiX[i]);
        EXPECT_EQ(0u, profile.puiY[i]);
        EXPECT_EQ(i, data[i]);
    }
    EXPECT_EQ(10u, metric.uiCount);
    EXPECT_EQ(9.0, metric.dX1);

    // Half width 1 on row 1 averages rows 0..2; on row 0 the row above is
    // outside and left out.
    profile.uiHalfWidth = 1;
    EXPECT_EQ(0, CLxPicMemAPI::GetProfileData(&profile, 0, 9, 1, 1, pic.data(), 10, 1, 8, 10, 30,
                                              nullptr));
    data = static_cast<const uint8_t*>(profile.pData);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(10 + i, data[i]) << i;
    EXPECT_EQ(0, CLxPicMemAPI::GetProfileData(&profile, 0, 9, 0, 0, pic.data(), 10, 1, 8, 10, 30,
                                              nullptr));
    data = static_cast<const uint8_t*>(profile.pData);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ((i + 10 + i) / 2, data[i]) << i;
}

TEST_F(ProfileFixture, GeometryOnlyAndErrors)
{
    EXPECT_EQ(-2,
              CLxPicMemAPI::GetProfileData(nullptr, 0, 9, 0, 0, nullptr, 0, 1, 8, 10, 30, nullptr));
    profile.dStep = 2.0;
    EXPECT_EQ(
        0, CLxPicMemAPI::GetProfileData(&profile, 3, 3, 0, 7, nullptr, 0, 1, 8, 10, 30, &metric));
    EXPECT_EQ(4u, profile.uiCount);
    EXPECT_EQ(nullptr, profile.pData);
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(3u, profile.puiX[i]);
        EXPECT_EQ(double(i), metric.pdY[i]);
        EXPECT_EQ(double(i), metric.pdDistance[i]);
    }
    profile.dStep = -1.0;
    EXPECT_EQ(
        -4, CLxPicMemAPI::GetProfileData(&profile, 0, 1, 0, 0, nullptr, 0, 1, 8, 10, 30, nullptr));
}

// Points of short lines in every direction; a line drawn down and right keeps
// the points callers may have stored.
TEST_F(ProfileFixture, PointsOfLinesInEveryDirection)
{
    struct Case {
        uint32_t x0, x1, y0, y1;
        std::vector<uint32_t> xs, ys;
    };
    const Case cases[] = {
        {2, 5, 1, 8, {2, 3, 3, 4, 4, 5, 5, 6}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {5, 2, 8, 1, {5, 5, 4, 4, 3, 3, 2, 2}, {8, 7, 6, 5, 4, 3, 2, 1}},
        {9, 0, 0, 0, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, std::vector<uint32_t>(10, 0)},
        {4, 4, 9, 5, {4, 4, 4, 4, 4}, {9, 8, 7, 6, 5}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, CLxPicMemAPI::GetProfileData(&profile, c.x0, c.x1, c.y0, c.y1, nullptr, 0, 1,
                                                  8, 10, 30, nullptr));
        ASSERT_EQ(c.xs.size(), profile.uiCount);
        EXPECT_EQ(c.xs, std::vector<uint32_t>(profile.puiX, profile.puiX + profile.uiCount))
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        EXPECT_EQ(c.ys, std::vector<uint32_t>(profile.puiY, profile.puiY + profile.uiCount))
            << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    }
}

// A line that runs up or left reaches its end, and drawn the other way it
// samples the same points in reverse to within a pixel.
TEST_F(ProfileFixture, ReversedLineSamplesThePointsBackwards)
{
    const uint32_t lines[][4] = {{10, 55, 35, 3}, {0, 30, 0, 17}, {40, 3, 2, 9}, {7, 7, 50, 0}};
    auto points = [&](uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) {
        EXPECT_EQ(0, CLxPicMemAPI::GetProfileData(&profile, x0, x1, y0, y1, nullptr, 0, 1, 8, 10,
                                                  30, nullptr));
        std::vector<std::pair<int64_t, int64_t>> p;
        for (uint32_t i = 0; i < profile.uiCount; ++i)
            p.emplace_back(profile.puiX[i], profile.puiY[i]);
        return p;
    };
    for (const auto& l : lines) {
        const auto forward = points(l[0], l[1], l[2], l[3]);
        const auto backward = points(l[1], l[0], l[3], l[2]);
        ASSERT_EQ(forward.size(), backward.size());
        ASSERT_FALSE(forward.empty());
        EXPECT_EQ(std::make_pair(int64_t(l[0]), int64_t(l[2])), forward.front());
        EXPECT_LE(std::abs(forward.back().first - l[1]), 1);
        EXPECT_LE(std::abs(forward.back().second - l[3]), 1);
        for (size_t i = 0; i < forward.size(); ++i) {
            const auto& b = backward[backward.size() - 1 - i];
            EXPECT_LE(std::abs(forward[i].first - b.first), 1) << l[0] << "," << l[2] << " " << i;
            EXPECT_LE(std::abs(forward[i].second - b.second), 1) << l[0] << "," << l[2] << " " << i;
        }
    }
}

TEST(PixelSquare, InsideEdgesAndOutside)
{
    std::vector<uint16_t> pic(100); // 10 x 10, 12 bits
    for (int i = 0; i < 100; ++i)
        pic[i] = uint16_t(i);
    std::vector<uint16_t> out(64, 0xFFFF);
    EXPECT_EQ(16u, CLxPicMemAPI::GetDataInCircle(out.data(), 128, pic.data(), 20, 12, 1, 10, 100, 2,
                                                 5, 5));
    EXPECT_EQ(33, out[0]);
    EXPECT_EQ(36, out[3]);
    EXPECT_EQ(66, out[15]);
    EXPECT_EQ(0xFFFF, out[16]);

    // Centre (1, 0), radius 3: columns 0..3, rows 0..2 of the picture.
    EXPECT_EQ(12u, CLxPicMemAPI::GetDataInCircle(out.data(), 128, pic.data(), 20, 12, 1, 10, 100, 3,
                                                 1, 0));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(23, out[11]);
    // Bounded by the destination size, the count by the picture.
    std::vector<uint16_t> small(3, 0xFFFF);
    EXPECT_EQ(12u, CLxPicMemAPI::GetDataInCircle(small.data(), 4, pic.data(), 20, 12, 1, 10, 100, 3,
                                                 1, 0));
    EXPECT_EQ(0xFFFF, small[2]);

    EXPECT_EQ(
        1u, CLxPicMemAPI::GetDataInCircle(out.data(), 2, pic.data(), 20, 12, 1, 10, 100, 0, 9, 9));
    EXPECT_EQ(99, out[0]);
    EXPECT_EQ(
        0u, CLxPicMemAPI::GetDataInCircle(out.data(), 2, pic.data(), 20, 12, 1, 10, 100, 2, 10, 3));
    EXPECT_EQ(
        0u, CLxPicMemAPI::GetDataInCircle(out.data(), 2, pic.data(), 20, 12, 1, 10, 100, 0, 3, 10));
}

TEST(DicFluoMix, BlackAndWhiteSecondSource)
{
    const uint8_t fluo[4] = {0, 60, 128, 255};
    const uint8_t black[4] = {};
    const uint8_t white[4] = {255, 255, 255, 255};
    uint8_t out[4] = {};
    EXPECT_EQ(
        0, CLxPicMemAPI::MixDicAndFluo(out, 4, 1, 8, fluo, 4, 1, 8, black, 4, 1, 8, 0, 1.0, 4, 4));
    EXPECT_EQ((std::vector<uint8_t>{0, 60, 128, 255}), std::vector<uint8_t>(out, out + 4));
    EXPECT_EQ(
        0, CLxPicMemAPI::MixDicAndFluo(out, 4, 1, 8, fluo, 4, 1, 8, white, 4, 1, 8, 0, 2.0, 4, 4));
    EXPECT_EQ((std::vector<uint8_t>{255, 255, 255, 255}), std::vector<uint8_t>(out, out + 4));

    const uint16_t fluo16[2] = {0, 2000};
    const uint16_t black16[2] = {};
    const uint16_t white16[2] = {1023, 1023};
    uint16_t out16[2] = {};
    EXPECT_EQ(0, CLxPicMemAPI::MixDicAndFluo(out16, 4, 1, 12, fluo16, 4, 1, 12, black16, 4, 1, 10,
                                             0, 1.0, 2, 2));
    EXPECT_EQ(0, out16[0]);
    EXPECT_EQ(2000, out16[1]);
    EXPECT_EQ(0, CLxPicMemAPI::MixDicAndFluo(out16, 4, 1, 12, fluo16, 4, 1, 12, white16, 4, 1, 10,
                                             0, 1.0, 2, 2));
    EXPECT_EQ(4095, out16[0]);
    // 8-bit destination, deeper sources: each source over its own maximum.
    EXPECT_EQ(0, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 8, fluo16, 4, 1, 12, black16, 4, 1, 10, 0,
                                             1.0, 2, 2));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(uint8_t(std::floor(2000.0 / 4095 * 255)), out[1]);
}

TEST(DicFluoMix, Errors)
{
    const uint8_t a[2] = {};
    uint8_t out[2] = {};
    EXPECT_EQ(-4, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 8, a, 2, 1, 8, a, 2, 1, 8, 0, 0.0, 2, 2));
    EXPECT_EQ(-4, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 8, a, 2, 1, 8, a, 2, 1, 8, 0, std::nan(""),
                                              2, 2));
    EXPECT_EQ(-4, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 8, a, 2, 1, 8, a, 2, 1, 8, 1, 1.0, 2, 2));
    EXPECT_EQ(-4,
              CLxPicMemAPI::MixDicAndFluo(nullptr, 2, 1, 8, a, 2, 1, 8, a, 2, 1, 8, 0, 1.0, 2, 2));
    EXPECT_EQ(-2, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 12, a, 2, 1, 8, a, 2, 1, 8, 0, 1.0, 1, 1));
    EXPECT_EQ(-2, CLxPicMemAPI::MixDicAndFluo(out, 2, 1, 8, a, 2, 1, 24, a, 2, 1, 8, 0, 1.0, 1, 1));
}

} // namespace

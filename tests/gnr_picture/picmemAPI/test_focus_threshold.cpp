// Focus criteria, value thresholds and the circularity threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxMeasureKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using Focus = CLxPicMemAPI;

TEST(FocusCriterium, ExamplesOfOneRow)
{
    const uint8_t row[4] = {0, 10, 0, 10};
    double r = -1;
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, 0, row, 4, 1, 8, 1, 1, 4, 4, Focus::eLxFocusGradientRms));
    EXPECT_DOUBLE_EQ(10.0, r);
    EXPECT_EQ(0, Focus::GetFocusCriterium(&r, -1, row, 4, 1, 8, 1, 1, 4, 4,
                                          Focus::eLxFocusGradientToSignal));
    EXPECT_DOUBLE_EQ(std::sqrt(3.0), r);

    const uint8_t flat[6] = {7, 7, 7, 7, 7, 7};
    const uint8_t black[6] = {};
    for (auto c : {Focus::eLxFocusGradientRms, Focus::eLxFocusGradientToSignal}) {
        r = -1;
        EXPECT_EQ(0, Focus::GetFocusCriterium(&r, 0, flat, 3, 1, 8, 1, 1, 3, 6, c));
        EXPECT_EQ(0.0, r);
        r = -1;
        EXPECT_EQ(0, Focus::GetFocusCriterium(&r, 0, black, 3, 1, 8, 1, 1, 3, 6, c));
        EXPECT_EQ(0.0, r);
    }
}

TEST(FocusCriterium, StepsPickThePairs)
{
    // x step 2 on width 5: pairs (0,1) and (2,3); (4,5) is outside.
    const uint8_t row[5] = {1, 4, 1, 2, 100};
    double r = 0;
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, 0, row, 5, 1, 8, 2, 1, 5, 5, Focus::eLxFocusGradientRms));
    EXPECT_DOUBLE_EQ(std::sqrt((9.0 + 1.0) / 2), r);
    // y step 2 skips the second row.
    const uint8_t rows[3][2] = {{1, 4}, {0, 100}, {1, 4}};
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, 0, rows, 2, 1, 8, 1, 2, 2, 6, Focus::eLxFocusGradientRms));
    EXPECT_DOUBLE_EQ(3.0, r);
}

TEST(FocusCriterium, TwelveBitGarbageIgnored)
{
    const uint16_t clean[4] = {0, 4000, 100, 4095};
    const uint16_t dirty[4] = {0xF000, 4000 | 0x3000, 100 | 0x8000, 4095 | 0x1000};
    for (uint32_t comps : {1u, 3u, 4u}) {
        std::vector<uint16_t> a, b;
        for (int i = 0; i < 4; ++i)
            for (uint32_t c = 0; c < comps; ++c) {
                a.push_back(clean[i]);
                b.push_back(dirty[i]);
            }
        double ra = -1, rb = -2;
        EXPECT_EQ(0, Focus::GetFocusCriterium(&ra, -1, a.data(), 8 * comps, comps, 12, 1, 1, 4, 4,
                                              Focus::eLxFocusGradientToSignal));
        EXPECT_EQ(0, Focus::GetFocusCriterium(&rb, -1, b.data(), 8 * comps, comps, 12, 1, 1, 4, 4,
                                              Focus::eLxFocusGradientToSignal));
        EXPECT_EQ(ra, rb) << comps;
        EXPECT_GT(ra, 0.0);
    }
}

// Rows of one component longer than the sums of 32 bits hold (8 bits) or
// with many chunks (12 bits, with garbage above): both criteria equal the
// sums taken pair by pair.
TEST(FocusCriterium, LongRowsKeepExactSums)
{
    constexpr uint32_t width = 70001, rows = 3;
    std::mt19937 rng(43);
    for (uint32_t bits : {8u, 12u}) {
        std::vector<uint8_t> bytes(size_t(width) * rows);
        std::vector<uint16_t> words(size_t(width) * rows);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = uint8_t(rng() % 2 ? 255 : rng());
            words[i] = uint16_t(rng() % 2 ? 4095 | 0xF000 : rng());
        }
        const uint32_t mask = (1u << bits) - 1;
        uint64_t S = 0;
        double D = 0.0;
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x + 1 < width; ++x) {
                const size_t i = size_t(y) * width + x;
                const int64_t v = bits == 8 ? bytes[i] : words[i] & mask;
                const int64_t w = bits == 8 ? bytes[i + 1] : words[i + 1] & mask;
                S += uint64_t(v * v);
                D += double(uint64_t((w - v) * (w - v)));
            }
        const double n = double(rows) * (width - 1);
        const void* pixels = bits == 8 ? static_cast<const void*>(bytes.data()) : words.data();
        const uint32_t pitch = bits == 8 ? width : 2 * width;
        double r = -1;
        EXPECT_EQ(0, Focus::GetFocusCriterium(&r, 0, pixels, pitch, 1, bits, 1, 1, width,
                                              width * rows, Focus::eLxFocusGradientToSignal));
        EXPECT_EQ(r, std::sqrt(D / double(S))) << bits;
        EXPECT_EQ(0, Focus::GetFocusCriterium(&r, -1, pixels, pitch, 1, bits, 1, 1, width,
                                              width * rows, Focus::eLxFocusGradientRms));
        EXPECT_EQ(r, std::sqrt(D / n)) << bits;
    }
}

TEST(FocusCriterium, ComponentsAndErrors)
{
    const uint8_t rgb[6] = {0, 3, 30, 6, 9, 60}; // two pixels
    double r = -1;
    EXPECT_EQ(
        -4, Focus::GetFocusCriterium(&r, 3, rgb, 6, 3, 8, 1, 1, 2, 2, Focus::eLxFocusGradientRms));
    EXPECT_EQ(-1.0, r);
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, -1, rgb, 6, 3, 8, 1, 1, 2, 2, Focus::eLxFocusGradientRms));
    EXPECT_DOUBLE_EQ(double(25 - 11), r); // means 11 and 25
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, 2, rgb, 6, 3, 8, 1, 1, 2, 2, Focus::eLxFocusGradientRms));
    EXPECT_DOUBLE_EQ(30.0, r);
    r = -1;
    EXPECT_EQ(
        -4, Focus::GetFocusCriterium(&r, 1, rgb, 6, 1, 8, 1, 1, 6, 6, Focus::eLxFocusGradientRms));
    EXPECT_EQ(
        -4, Focus::GetFocusCriterium(&r, 0, rgb, 6, 1, 8, 0, 1, 6, 6, Focus::eLxFocusGradientRms));
    EXPECT_EQ(
        -4, Focus::GetFocusCriterium(&r, 0, rgb, 6, 1, 8, 1, 0, 6, 6, Focus::eLxFocusGradientRms));
    EXPECT_EQ(-4, Focus::GetFocusCriterium(nullptr, 0, rgb, 6, 1, 8, 1, 1, 6, 6,
                                           Focus::eLxFocusGradientRms));
    EXPECT_EQ(
        -2, Focus::GetFocusCriterium(&r, 0, rgb, 6, 1, 7, 1, 1, 6, 6, Focus::eLxFocusGradientRms));
    EXPECT_EQ(
        -2, Focus::GetFocusCriterium(&r, 0, rgb, 6, 1, 8, 1, 1, 6, 6, Focus::ELxFocusCriterium(2)));
    EXPECT_EQ(-1.0, r);
    EXPECT_EQ(
        0, Focus::GetFocusCriterium(&r, 0, rgb, 6, 1, 8, 1, 1, 0, 6, Focus::eLxFocusGradientRms));
    EXPECT_EQ(-1.0, r);
}

TEST(ValueThreshold, InsideAndOutside)
{
    std::vector<uint8_t> pic;
    for (int v = 0; v < 32; ++v)
        pic.push_back(uint8_t(v));
    std::vector<uint8_t> in = pic, out = pic;
    EXPECT_EQ(0, CLxPicMemAPI::Threshold(in.data(), 8, in.data(), 8, 8, 10, 20, true, 0, 8, 32));
    EXPECT_EQ(0,
              CLxPicMemAPI::Threshold(out.data(), 8, pic.data(), 8, 8, 10, 20, false, 255, 8, 32));
    for (int v = 0; v < 32; ++v) {
        EXPECT_EQ(v >= 10 && v <= 20 ? 0 : v, in[v]) << v;
        EXPECT_EQ(v >= 10 && v <= 20 ? v : 255, out[v]) << v;
    }
}

// Ranges reaching past the sample's values, or empty.
TEST(ValueThreshold, RangesBeyondTheSamples)
{
    struct Case {
        uint32_t low, high;
        bool inside;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {{300, 400, true, {0, 128, 255}},  {300, 400, false, {9, 9, 9}},
                          {100, 70000, true, {0, 9, 9}},    {100, 70000, false, {9, 128, 255}},
                          {200, 100, true, {0, 128, 255}},  {200, 100, false, {9, 9, 9}},
                          {0, 0xFFFFFFFF, true, {9, 9, 9}}, {255, 255, true, {0, 128, 9}}};
    for (const Case& c : cases) {
        const uint8_t src[3] = {0, 128, 255};
        uint8_t dst[3] = {0, 128, 255};
        EXPECT_EQ(0, CLxPicMemAPI::Threshold(dst, 3, src, 8, 3, c.low, c.high, c.inside, 9, 3, 3));
        EXPECT_EQ(c.expected, std::vector<uint8_t>(dst, dst + 3))
            << c.low << ".." << c.high << " inside " << c.inside;
    }
}

TEST(ValueThreshold, DepthsAndErrors)
{
    const uint16_t src[4] = {5, 300, 4095, 1000};
    uint8_t d8[4] = {1, 2, 3, 4};
    EXPECT_EQ(0, CLxPicMemAPI::Threshold(d8, 8, 4, src, 12, 8, 200, 5000, true, 0x1FF, 4, 4));
    EXPECT_EQ((std::vector<uint8_t>{1, 0xFF, 0xFF, 0xFF}), std::vector<uint8_t>(d8, d8 + 4));

    const uint8_t s8[3] = {0, 100, 200};
    uint16_t d16[3] = {7, 7, 7};
    EXPECT_EQ(0, CLxPicMemAPI::Threshold(d16, 16, 6, s8, 8, 3, 50, 150, false, 0x12345, 3, 3));
    EXPECT_EQ((std::vector<uint16_t>{0x2345, 7, 0x2345}), std::vector<uint16_t>(d16, d16 + 3));

    EXPECT_EQ(-2, CLxPicMemAPI::Threshold(d16, 24, 6, s8, 8, 3, 0, 10, true, 1, 3, 3));
    EXPECT_EQ(-2, CLxPicMemAPI::Threshold(d16, 8, 6, s8, 24, 3, 0, 10, true, 1, 3, 3));
    EXPECT_EQ(-2, CLxPicMemAPI::Threshold(d16, 6, s8, 17, 3, 0, 10, true, 1, 3, 3));
    EXPECT_EQ(-4, CLxPicMemAPI::Threshold(nullptr, 6, s8, 8, 3, 0, 10, true, 1, 3, 3));
    EXPECT_EQ(0, CLxPicMemAPI::Threshold(nullptr, 6, s8, 8, 3, 0, 10, true, 1, 0, 3));
    EXPECT_EQ((std::vector<uint16_t>{0x2345, 7, 0x2345}), std::vector<uint16_t>(d16, d16 + 3));
}

// A bright disc of radius 6 on a dark background.
std::vector<uint16_t> disc(uint32_t size, uint16_t dark, uint16_t bright)
{
    std::vector<uint16_t> pic(size * size, dark);
    const double c = (size - 1) / 2.0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
            if (std::hypot(x - c, y - c) < 6.0)
                pic[y * size + x] = bright;
    return pic;
}

TEST(CircularityThreshold, DiscGivesALevelBetween)
{
    const uint32_t n = 24;
    const auto wide = disc(n, 20, 200);
    std::vector<uint8_t> narrow(wide.begin(), wide.end());
    const uint32_t level8 = CLxPicMemAPI::ThresholdFromIntegralCircularity(
        narrow.data(), 8, 1, n, n, n * n, true, 0.01, 0.0);
    EXPECT_GT(level8, 20u);
    EXPECT_LE(level8, 200u);
    const uint32_t level16 = CLxPicMemAPI::ThresholdFromIntegralCircularity(
        wide.data(), 12, 1, n * 2, n, n * n, true, 0.01, 0.0);
    EXPECT_EQ(level8, level16);
    // Dark objects: the background set below the disc's level is no disc, but
    // a level still lies between.
    const uint32_t dark = CLxPicMemAPI::ThresholdFromIntegralCircularity(narrow.data(), 8, 1, n, n,
                                                                         n * n, false, 0.01, 0.0);
    EXPECT_GE(dark, 20u);
    EXPECT_LT(dark, 200u);
}

TEST(CircularityThreshold, ConstantAndBadArguments)
{
    const std::vector<uint8_t> flat(100, 50);
    EXPECT_EQ(0u, CLxPicMemAPI::ThresholdFromIntegralCircularity(flat.data(), 8, 1, 10, 10, 100,
                                                                 true, 0.0, 0.0));
    EXPECT_EQ(0u, CLxPicMemAPI::ThresholdFromIntegralCircularity(flat.data(), 8, 1, 10, 0, 100,
                                                                 true, 0.0, 0.0));
    EXPECT_EQ(0u, CLxPicMemAPI::ThresholdFromIntegralCircularity(flat.data(), 8, 1, 10, 2, 100,
                                                                 true, 0.0, 0.0));
    EXPECT_EQ(0xFFFFFFFCu, CLxPicMemAPI::ThresholdFromIntegralCircularity(flat.data(), 8, 2, 10, 10,
                                                                          100, true, 0.0, 0.0));
    EXPECT_EQ(0xFFFFFFFCu, CLxPicMemAPI::ThresholdFromIntegralCircularity(nullptr, 8, 1, 10, 10,
                                                                          100, true, 0.0, 0.0));
    EXPECT_EQ(0xFFFFFFFEu, CLxPicMemAPI::ThresholdFromIntegralCircularity(flat.data(), 17, 1, 10,
                                                                          10, 100, true, 0.0, 0.0));
}

} // namespace

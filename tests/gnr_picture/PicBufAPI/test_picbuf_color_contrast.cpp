// Colour corrections, histogram ends, autocontrast tables and the anaglyph
// of picture buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "picbuf_test_support.h"

using picbuftest::maxOf;
using picbuftest::TestPic;

namespace
{

using API = CLxPicBufAPI;
using Pixel = std::vector<uint32_t>;

// A one-pixel colour picture from red, green, blue (stored blue first).
void setRgb(TestPic& pic, uint32_t x, uint32_t y, uint32_t r, uint32_t g, uint32_t b)
{
    pic.setPixel(x, y, {b, g, r});
}

// ---- Colour corrections ------------------------------------------------------

TEST(PicBufColour, SubtractMinRgbRemovesTheGrey)
{
    for (const uint32_t bits : {8u, 12u, 16u}) {
        TestPic src(2, 1, bits, 3), dst(2, 1, bits, 3, 4);
        setRgb(src, 0, 0, 200, 150, 100);
        setRgb(src, 1, 0, 7, 7, 9);
        ASSERT_EQ(API::SubtractMinRGB(dst.p(), src.p()), 0);
        EXPECT_EQ(dst.pixel(0, 0), (Pixel{0, 50, 100}));
        EXPECT_EQ(dst.pixel(1, 0), (Pixel{2, 0, 0}));
        EXPECT_TRUE(dst.paddingIntact());
    }
    TestPic gray(2, 1, 8, 1), seven(2, 1, 7, 3), deep(2, 1, 24, 3);
    EXPECT_EQ(API::SubtractMinRGB(gray.p(), gray.p()), -9);
    EXPECT_EQ(API::SubtractMinRGB(seven.p(), seven.p()), -9);
    EXPECT_EQ(API::SubtractMinRGB(deep.p(), deep.p()), -2);
}

// The AVX2 steps (32 pixels of bytes, 16 of words) and the plain loop
// against each pixel's own removal: widths around the steps, samples at 0,
// at the maximum and random, into padded pictures and in place into one
// without padding.
TEST(PicBufColour, SubtractMinRgbVectorPathMatchesEachPixel)
{
    std::mt19937 random(37);
    for (const uint32_t bits : {8u, 12u, 16u})
        for (const uint32_t width : {1u, 15u, 16u, 17u, 31u, 32u, 33u, 48u, 64u, 97u})
            for (const bool vector : {true, false}) {
                TestPic src(width, 3, bits, 3, 8), dst(width, 3, bits, 3, 8),
                    inPlace(width, 3, bits, 3);
                for (uint32_t y = 0; y < 3; ++y)
                    for (uint32_t x = 0; x < width; ++x)
                        for (uint32_t c = 0; c < 3; ++c) {
                            const uint32_t v =
                                y == 0 ? ((x + c) % 3 ? maxOf(bits) : 0) : random() & maxOf(bits);
                            src.set(x, y, c, v);
                            inPlace.set(x, y, c, v);
                        }
                lxpic::avx2PathsAllowed() = vector;
                const int status = API::SubtractMinRGB(dst.p(), src.p());
                const int inPlaceStatus = API::SubtractMinRGB(inPlace.p(), inPlace.p());
                lxpic::avx2PathsAllowed() = true;
                ASSERT_EQ(status, 0);
                ASSERT_EQ(inPlaceStatus, 0);
                for (uint32_t y = 0; y < 3; ++y)
                    for (uint32_t x = 0; x < width; ++x) {
                        Pixel expected = src.pixel(x, y);
                        const uint32_t least = *std::min_element(expected.begin(), expected.end());
                        for (uint32_t& v : expected)
                            v -= least;
                        ASSERT_EQ(dst.pixel(x, y), expected)
                            << bits << " w" << width << " x" << x << (vector ? "" : ", baseline");
                        ASSERT_EQ(inPlace.pixel(x, y), expected) << bits << " w" << width;
                    }
                EXPECT_TRUE(dst.paddingIntact());
            }
}

TEST(PicBufColour, MixComponentsByPercentages)
{
    TestPic src(3, 2, 8, 3), dst(3, 2, 8, 3);
    src.fillPattern(4);
    ASSERT_EQ(API::MixComponents(dst.p(), src.p(), 100, 0, 0, 0, 100, 0, 0, 0, 100), 0);
    for (uint32_t x = 0; x < 3; ++x)
        EXPECT_EQ(dst.pixel(x, 1), src.pixel(x, 1));
    setRgb(src, 0, 0, 99, 10, 20);
    ASSERT_EQ(API::MixComponents(dst.p(), src.p(), -50, 0, 0, 0, 100, 0, 0, 0, 100), 0);
    EXPECT_EQ(dst.get(0, 0, 2), 0u); // -4950 / 100 = -49, held at 0

    // Large coefficients take 64-bit sums; results truncate toward zero.
    for (const uint32_t bits : {8u, 12u, 16u}) {
        TestPic s(4, 3, bits, 3), d(4, 3, bits, 3);
        s.fillPattern(bits);
        const int32_t k[9] = {30, 50, 20, -70, 180, 5, 2000000, -1999999, 3};
        ASSERT_EQ(
            API::MixComponents(d.p(), s.p(), k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]),
            0);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x) {
                const int64_t r = s.get(x, y, 2), g = s.get(x, y, 1), b = s.get(x, y, 0);
                for (int row = 0; row < 3; ++row) {
                    const int64_t v =
                        (r * k[row * 3] + g * k[row * 3 + 1] + b * k[row * 3 + 2]) / 100;
                    ASSERT_EQ(d.get(x, y, 2 - row),
                              uint32_t(std::clamp<int64_t>(v, 0, maxOf(bits))))
                        << bits << " " << x << "," << y << " row " << row;
                }
            }
    }
}

// The float sums and the division by 100 at their limits: whole quotients,
// one below them, sums just under the float path's bound and in place.
TEST(PicBufColour, MixComponentsAtTheEdgesOfItsArithmetic)
{
    const struct {
        uint32_t bits;
        int32_t k[9];
    } cases[] = {
        {8, {100, 0, 0, 0, 100, 0, 0, 0, 100}}, {8, {65000, 700, 92, -1, 1, 0, 33, 33, 34}},
        {16, {255, 0, 0, 0, 1, 0, 0, -1, 0}},   {16, {100, 100, 55, 1, 0, 0, 0, 0, 1}},
        {16, {256, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        TestPic s(41, 3, c.bits, 3);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 41; ++x)
                for (uint32_t k = 0; k < 3; ++k)
                    s.set(x, y, k, (x * 97 + y * 31 + k * 13) * 1009 % (maxOf(c.bits) + 1));
        s.setPixel(0, 0, {0, 0, 0});
        s.setPixel(1, 0, {maxOf(c.bits), maxOf(c.bits), maxOf(c.bits)});
        s.setPixel(2, 0, {99, 100, 101});
        TestPic expected(41, 3, c.bits, 3);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 41; ++x) {
                const int64_t r = s.get(x, y, 2), g = s.get(x, y, 1), b = s.get(x, y, 0);
                for (int row = 0; row < 3; ++row) {
                    const int64_t v =
                        (r * c.k[row * 3] + g * c.k[row * 3 + 1] + b * c.k[row * 3 + 2]) / 100;
                    expected.set(x, y, 2 - row, uint32_t(std::clamp<int64_t>(v, 0, maxOf(c.bits))));
                }
            }
        // In place, as the picture may be its own destination.
        ASSERT_EQ(API::MixComponents(s.p(), s.p(), c.k[0], c.k[1], c.k[2], c.k[3], c.k[4], c.k[5],
                                     c.k[6], c.k[7], c.k[8]),
                  0);
        EXPECT_TRUE(API::IsEqual(s.p(), expected.p())) << c.bits << " " << c.k[0];
    }
}

// The mix of one coefficient set against the plain loop: widths around
// the vector steps of 32 and 16 pixels and the windows they read past
// them, samples at 0 and at the maximum, into padded pictures and in place
// into one without padding (reads past its end would show under ASan).
// Padding stays a whole number of samples: lines of 16-bit samples start on
// even addresses.
void expectMixMatchesPlainLoop(uint32_t bits, const int32_t (&k)[9], std::mt19937& random)
{
    const auto pick = [&random](uint32_t top) {
        return std::uniform_int_distribution<uint32_t>(0, top)(random);
    };
    for (const uint32_t width :
         {1u, 7u, 16u, 17u, 33u, 35u, 36u, 37u, 49u, 50u, 67u, 68u, 69u, 101u}) {
        TestPic src(width, 3, bits, 3, 8), vec(width, 3, bits, 3, 8), plain(width, 3, bits, 3, 8),
            inPlace(width, 3, bits, 3);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t c = 0; c < 3; ++c) {
                    const uint32_t v = pick(maxOf(bits));
                    src.set(x, y, c, y == 0 ? (x % 2 ? maxOf(bits) : 0) : v);
                    inPlace.set(x, y, c, src.get(x, y, c));
                }
        const auto mix = [&k](TestPic& d, TestPic& s) {
            return API::MixComponents(d.p(), s.p(), k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7],
                                      k[8]);
        };
        ASSERT_EQ(mix(vec, src), 0);
        ASSERT_EQ(mix(inPlace, inPlace), 0);
        lxpic::avx2PathsAllowed() = false;
        const int status = mix(plain, src);
        lxpic::avx2PathsAllowed() = true;
        ASSERT_EQ(status, 0);
        EXPECT_EQ(vec.bytes(), plain.bytes()) << bits << " w" << width << " k " << k[0];
        EXPECT_TRUE(API::IsEqual(inPlace.p(), plain.p())) << bits << " w" << width;
        EXPECT_TRUE(vec.paddingIntact());
    }
}

// The vector mix against the plain loop with random signed coefficients up
// to the bound of sums below 2^24 (rounds from 12 on keep each within 16
// bits, which the vector path takes).
TEST(PicBufColour, MixComponentsVectorPathMatchesThePlainLoop)
{
    std::mt19937 random(36);
    const auto pick = [&random](uint32_t top) {
        return std::uniform_int_distribution<uint32_t>(0, top)(random);
    };
    for (const uint32_t bits : {8u, 12u, 16u}) {
        // The largest row magnitude that keeps every sum below 2^24.
        const uint32_t bound = ((1u << 24) - 1) / (bits == 8 ? 255u : 65535u);
        for (int round = 0; round < 24; ++round) {
            const uint32_t cap = round < 12 ? bound : 32767;
            int32_t k[9];
            for (int row = 0; row < 3; ++row) {
                // Rows at the bound, one below it, or anywhere under it.
                const uint32_t total = round % 3 == 0   ? bound
                                       : round % 3 == 1 ? bound - 1
                                                        : pick(bound);
                const uint32_t a = pick(std::min(total, cap));
                const uint32_t b = pick(std::min(total - a, cap));
                const uint32_t parts[3] = {a, b, std::min(total - a - b, cap)};
                for (int i = 0; i < 3; ++i)
                    k[row * 3 + i] = int32_t(parts[i]) * (round % 12 > 2 && pick(1) ? -1 : 1);
            }
            expectMixMatchesPlainLoop(bits, k, random);
        }
    }
}

// Byte mixes whose rows have magnitudes up to 257 take 16-bit sums: rows at
// 257 every way round (all positive, all negative, mixed), one past it
// (the 32-bit sums), whole quotients and percentages of everyday mixes.
TEST(PicBufColour, MixComponentsOfSmallPercentagesMatchThePlainLoop)
{
    const int32_t cases[][9] = {
        {257, 0, 0, 0, 257, 0, 0, 0, 257},
        {-257, 0, 0, 0, -257, 0, 0, 0, -257},
        {100, 100, 57, -100, -100, -57, 1, -1, 255},
        {-1, 1, 255, 128, -129, 0, 0, 0, 0},
        {80, 30, -15, -20, 110, 25, 5, -40, 130},
        {100, 0, 0, 0, 100, 0, 0, 0, 100},
        {33, 33, 34, 50, 50, 0, -10, 20, 90},
        {258, 0, 0, 0, 100, 0, 0, 0, 100},
        {0, 0, 0, 0, 0, 0, 0, 0, 0},
        {-100, 156, -1, 0, -257, 0, 256, 1, 0},
    };
    std::mt19937 random(57);
    for (const auto& k : cases) {
        SCOPED_TRACE(k[0]);
        expectMixMatchesPlainLoop(8, k, random);
    }
    // Against the formula: red sums at whole quotients and one below them
    // (blue 0 or 1), and a blue row of -257 whose sum sits 200 above its
    // least (one below the lift would wrap there).
    TestPic s(40, 1, 8, 3), d(40, 1, 8, 3);
    for (uint32_t x = 0; x < 40; ++x)
        s.setPixel(x, 0, {x % 2, x % 3 ? 255 : x * 3, x % 5 ? 254 : x * 7});
    const int32_t k[9] = {100, 0, -1, 100, 0, 0, -200, -57, 0};
    ASSERT_EQ(
        API::MixComponents(d.p(), s.p(), k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]), 0);
    for (uint32_t x = 0; x < 40; ++x) {
        const int64_t r = s.get(x, 0, 2), g = s.get(x, 0, 1), b = s.get(x, 0, 0);
        for (int row = 0; row < 3; ++row) {
            const int64_t v = (r * k[row * 3] + g * k[row * 3 + 1] + b * k[row * 3 + 2]) / 100;
            ASSERT_EQ(d.get(x, 0, 2 - row), uint32_t(std::clamp<int64_t>(v, 0, 255)))
                << x << " row " << row;
        }
    }
}

TEST(PicBufColour, AdjustColorsModes)
{
    TestPic src(2, 1, 8, 3), dst(2, 1, 8, 3);
    setRgb(src, 0, 0, 200, 90, 31);
    setRgb(src, 1, 0, 255, 0, 128);
    ASSERT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 256, 0, 0, 0, 256, 0, 0, 0, 256, 0), 0);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(0, 0));
    ASSERT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 256, 0, 0, 0, 256, 0, 0, 0, 256, 1), 0);
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{31 / 3, 90 / 3, 200 / 3}));
    // Mode 2: the weighted mean. R from c1 on R and c4 on G: (200 + 90) x 256
    // / 512; G and B have no coefficients: 0.
    ASSERT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 256, 0, 0, 256, 0, 0, 0, 0, 0, 2), 0);
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{0, 0, 145}));
    // Table values wrap to their low byte (v x 512 / 256 = 2v).
    ASSERT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 512, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(dst.get(0, 0, 2), 400u & 0xFF);
    // One coefficient of half weight: the mean is the table value x 256 /
    // 128, limited to 255.
    ASSERT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 128, 0, 0, 0, 0, 0, 0, 0, 0, 2), 0);
    EXPECT_EQ(dst.get(0, 0, 2), 200u);
    EXPECT_EQ(dst.get(1, 0, 2), 254u);

    const std::vector<uint8_t> before = dst.bytes();
    EXPECT_EQ(API::AdjustColorsRGB(dst.p(), src.p(), 256, 0, 0, 0, 256, 0, 0, 0, 256, 3), -9);
    TestPic deep(2, 1, 16, 3);
    EXPECT_EQ(API::AdjustColorsRGB(deep.p(), deep.p(), 256, 0, 0, 0, 256, 0, 0, 0, 256, 0), -9);
    EXPECT_EQ(dst.bytes(), before);
}

TEST(PicBufColour, DivideComponents)
{
    TestPic src(4, 1, 8, 3), dst(4, 1, 8, 2);
    src.setPixel(0, 0, {0, 100, 50}); // N = 50 (component 2), D = 100 (component 1)
    src.setPixel(1, 0, {0, 0, 50});   // D = 0
    src.setPixel(2, 0, {0, 1, 255});  // 255, above the scale
    src.setPixel(3, 0, {0, 100, 100});
    ASSERT_EQ(API::DivideComponents(dst.p(), src.p(), 2, 1, 100.0, 10.0), 0);
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{60, 60}));
    EXPECT_EQ(dst.pixel(1, 0), (Pixel{255, 255}));
    EXPECT_EQ(dst.pixel(2, 0), (Pixel{255, 255}));
    ASSERT_EQ(API::DivideComponents(dst.p(), src.p(), 2, 1, 0.5, 10.0), 0);
    EXPECT_EQ(dst.get(1, 0, 0), 137u); // 255 x 0.5 + 10
    // Below 0 and not a number: 0.
    ASSERT_EQ(API::DivideComponents(dst.p(), src.p(), 2, 1, -1.0, 0.0), 0);
    EXPECT_EQ(dst.pixel(3, 0), (Pixel{0, 0}));
    ASSERT_EQ(API::DivideComponents(dst.p(), src.p(), 2, 1, 1.0,
                                    std::numeric_limits<double>::quiet_NaN()),
              0);
    EXPECT_EQ(dst.pixel(3, 0), (Pixel{0, 0}));
    // 16 bits: 8-bit units there and back.
    TestPic s16(1, 1, 16, 2), d16(1, 1, 16, 1);
    s16.setPixel(0, 0, {1024, 512});
    ASSERT_EQ(API::DivideComponents(d16.p(), s16.p(), 0, 1, 1.0, 0.5), 0);
    EXPECT_EQ(d16.get(0, 0, 0), 640u); // 2.5 x 256
    ASSERT_EQ(API::DivideComponents(d16.p(), s16.p(), 0, 1, 1000.0, 0.0), 0);
    EXPECT_EQ(d16.get(0, 0, 0), 65535u);

    EXPECT_EQ(API::DivideComponents(dst.p(), src.p(), 3, 1, 1, 0), -9);
    TestPic one(4, 1, 8, 1);
    EXPECT_EQ(API::DivideComponents(dst.p(), one.p(), 0, 0, 1, 0), -9);
    TestPic other(4, 1, 12, 3);
    EXPECT_EQ(API::DivideComponents(dst.p(), other.p(), 0, 1, 1, 0), -9);
}

// ---- Histogram ends -----------------------------------------------------------

TEST(PicBufHistogramEnds, FractionsAndCounts)
{
    TestPic pic(10, 1, 8, 1);
    for (uint32_t x = 0; x < 10; ++x)
        pic.set(x, 0, 0, 20 + 10 * x); // 20 .. 110
    unsigned low = 7, high = 7;
    ASSERT_EQ(API::FindLowHighInHistogram(pic.p(), &low, &high, 0.1, 0.1), 0);
    EXPECT_EQ(low, 30u); // the running sum passes 1 at the second value
    EXPECT_EQ(high, 100u);
    ASSERT_EQ(API::FindLowHighAbsInHistogram(pic.p(), &low, &high, 3, 1), 0);
    EXPECT_EQ(low, 40u);
    EXPECT_EQ(high, 110u);
    ASSERT_EQ(API::FindLowHighFreqAbsInHistogram(pic.p(), &low, nullptr, 1, 1), 0);
    EXPECT_EQ(low, 20u);
    EXPECT_EQ(API::FindLowHighInHistogram(pic.p(), nullptr, nullptr, 0.1, 0.1), -4);
    EXPECT_EQ(API::FindLowHighAbsInHistogram(nullptr, &low, &high, 1, 1), -4);
}

// 32-bit pictures are counted in 2^16 bins: highs come back with their low
// 16 bits set.
TEST(PicBufHistogramEnds, DeepPicturesEndInTheFullRange)
{
    TestPic pic(3, 1, 32, 2);
    pic.setPixel(0, 0, {0x00010000, 0x12345678});
    pic.setPixel(1, 0, {0x00020000, 0xFFFF0000});
    pic.setPixel(2, 0, {0x7FFF0001, 0x00000005});
    unsigned low[2], high[2];
    ASSERT_EQ(API::FindLowHighAbsInHistogram(pic.p(), low, high, 1, 1), 0);
    EXPECT_EQ(low[0], 0x00010000u);
    EXPECT_EQ(high[0], 0x7FFFFFFFu);
    EXPECT_EQ(low[1], 0x00000000u);
    EXPECT_EQ(high[1], 0xFFFFFFFFu);
    ASSERT_EQ(API::FindLowHighFreqAbsInHistogram(pic.p(), low, high, 1, 1), 0);
    EXPECT_EQ(high[1] & 0xFFFF, 0xFFFFu);
    // The fraction form has no 32-bit histogram.
    EXPECT_EQ(API::FindLowHighInHistogram(pic.p(), low, high, 0.1, 0.1), -2);
}

// ---- Autocontrast ------------------------------------------------------------------

uint32_t entry(const SLxLut& lut, uint32_t i)
{
    return lut.uiDstBits <= 8 ? static_cast<const uint8_t*>(lut.pTable)[i]
                              : static_cast<const uint16_t*>(lut.pTable)[i];
}

// A ramp of 50 .. 200 over 151 pixels, in every component.
void fillRamp(TestPic& pic)
{
    for (uint32_t x = 0; x < pic->uiWidth; ++x)
        for (uint32_t c = 0; c < pic->uiComps; ++c)
            pic.set(x, 0, c, 50 + x);
}

TEST(PicBufAutocontrast, SingleTableFromTheEnds)
{
    TestPic pic(151, 1, 8, 1);
    fillRamp(pic);
    SLxLut lut;
    ASSERT_EQ(API::AllocAutocontrastLut(&lut, pic.p(), 0.001, 0.001, 1, false, nullptr), 0);
    EXPECT_EQ(lut.uiSrcBits, 8);
    EXPECT_EQ(lut.uiDstBits, 8);
    EXPECT_EQ(entry(lut, 50), 0u);
    EXPECT_EQ(entry(lut, 125), 127u);
    EXPECT_EQ(entry(lut, 200), 255u);
    SLxLut::Free(&lut);
    // Fractions of 0: the whole range, the identity.
    ASSERT_EQ(API::AllocAutocontrastLut(&lut, pic.p(), 0, -1, 1, false, nullptr), 0);
    EXPECT_EQ(entry(lut, 77), 77u);
    SLxLut::Free(&lut);
    // To display from 12 bits.
    TestPic deep(151, 1, 12, 1);
    fillRamp(deep);
    ASSERT_EQ(API::AllocAutocontrastLut(&lut, deep.p(), 0.001, 0.001, 1, true, nullptr), 0);
    EXPECT_EQ(lut.uiSrcBits, 12);
    EXPECT_EQ(lut.uiDstBits, 8);
    EXPECT_EQ(entry(lut, 200), 255u);
    SLxLut::Free(&lut);
}

TEST(PicBufAutocontrast, ColouredDisplayTables)
{
    TestPic pic(151, 1, 8, 2);
    fillRamp(pic);
    const uint32_t colours[2] = {0x000000FF, 0x0000FF00}; // red, green
    SLxLut lut;
    ASSERT_EQ(API::AllocAutocontrastLut(&lut, pic.p(), 0.001, 0.001, 3, true, colours), 0);
    EXPECT_EQ(lut.uiLutCount, 2);
    EXPECT_EQ(lut.uiDstComps, 3);
    const auto rows = static_cast<uint8_t* const* const*>(lut.pTable);
    EXPECT_EQ(rows[0][200][2], 255); // red of component 0 at the high end
    EXPECT_EQ(rows[0][200][1], 0);
    EXPECT_EQ(rows[1][200][1], 255);
    EXPECT_EQ(rows[1][50][1], 0);
    SLxLut::Free(&lut);
}

TEST(PicBufAutocontrast, PerComponentTables)
{
    TestPic pic(151, 1, 8, 3);
    fillRamp(pic);
    for (uint32_t x = 0; x < 151; ++x)
        pic.set(x, 0, 1, 100 + x / 2); // 100 .. 175
    SLxLut lut;
    ASSERT_EQ(API::AllocAutocontrastLutPerComp(&lut, pic.p(), 0.001, 0.001, 0x3, false, nullptr),
              0);
    const auto rows = static_cast<uint8_t* const*>(lut.pTable);
    EXPECT_EQ(rows[200][0], 255);
    EXPECT_EQ(rows[175][1], 255);
    EXPECT_EQ(rows[100][1], 0);
    EXPECT_EQ(rows[77][2], 77); // outside the mask: the identity
    SLxLut::Free(&lut);
}

TEST(PicBufAutocontrast, AutocontrastStretchesAndRefusesFlatPictures)
{
    TestPic src(151, 1, 8, 1), dst(151, 1, 8, 1);
    fillRamp(src);
    API::Copy(dst.p(), src.p());
    ASSERT_EQ(API::Autocontrast(dst.p(), src.p(), 0.001, 0.001, 1), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 0u);
    EXPECT_EQ(dst.get(150, 0, 0), 255u);
    ASSERT_EQ(API::AutocontrastPerComp(dst.p(), dst.p(), 0.001, 0.001, 1), 0);
    EXPECT_EQ(dst.get(150, 0, 0), 255u);

    TestPic flat(5, 2, 8, 1);
    std::memset(flat->pData, 9, flat->uiSize);
    TestPic out(5, 2, 8, 1);
    out.fillPattern();
    const std::vector<uint8_t> before = out.bytes();
    EXPECT_EQ(API::Autocontrast(out.p(), flat.p(), 0.01, 0.01, 1), -4);
    EXPECT_EQ(out.bytes(), before);
    TestPic other(4, 2, 8, 1);
    EXPECT_EQ(API::Autocontrast(other.p(), flat.p(), 0.01, 0.01, 1), -4);
    EXPECT_EQ(API::Autocontrast(nullptr, flat.p(), 0.01, 0.01, 1), -4);
    SLxLut lut;
    EXPECT_EQ(API::AllocAutocontrastLut(nullptr, flat.p(), 0.01, 0.01, 1, false, nullptr), -4);
    EXPECT_EQ(API::AllocAutocontrastLut(&lut, nullptr, 0.01, 0.01, 1, false, nullptr), -4);
}

TEST(PicBufAutocontrast, ApplyLutsChoosesByFormat)
{
    TestPic src(4, 2, 8, 1), grey(4, 2, 8, 1), colour(4, 2, 8, 3), wide(5, 2, 8, 1);
    src.fillPattern();
    SLxLut lut;
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 8), 0);
    for (uint32_t i = 0; i < 256; ++i)
        static_cast<uint8_t*>(lut.pTable)[i] = uint8_t(255 - i);
    lut.uiCompMask = 1;
    ASSERT_EQ(API::ApplyLuts(grey.p(), src.p(), &lut), 0);
    EXPECT_EQ(grey.get(3, 1, 0), 255 - src.get(3, 1, 0));
    ASSERT_EQ(API::ApplyLuts(colour.p(), src.p(), &lut), 0);
    EXPECT_EQ(colour.pixel(2, 1), Pixel(3, 255 - src.get(2, 1, 0)));
    EXPECT_EQ(API::ApplyLuts(wide.p(), src.p(), &lut), -4);
    EXPECT_EQ(API::ApplyLuts(grey.p(), src.p(), nullptr), -4);
    TestPic two(4, 2, 8, 2), deep(4, 2, 16, 2);
    EXPECT_EQ(API::ApplyLuts(deep.p(), two.p(), &lut), -2);
    SLxLut::Free(&lut);
}

// ---- Anaglyph ------------------------------------------------------------------------

TEST(PicBufAnaglyph, RefusedArgumentsWriteNothing)
{
    for (const uint32_t bits : {8u, 16u}) {
        TestPic dst(6, 4, bits, 3), src(6, 4, bits, 3), depth(6, 4, 8, 1);
        TestPic small(5, 4, bits, 3), smallDepth(6, 3, 8, 1), deepDepth(6, 4, 16, 1),
            grey(6, 4, bits, 1), twoDepth(6, 4, 8, 2);
        dst.fillPattern();
        src.fillPattern(1);
        const std::vector<uint8_t> before = dst.bytes();
        const auto call = [&](SLxPicBuf* d, SLxPicBuf* s, SLxPicBuf* z, int32_t layers) {
            return API::CreateAnaglyph(d, s, z, layers, false, true, false, 0xFF0000, 0x00FFFF, 4);
        };
        EXPECT_EQ(call(dst.p(), src.p(), depth.p(), 0), -9);
        EXPECT_EQ(call(dst.p(), src.p(), depth.p(), -3), -9);
        EXPECT_EQ(call(dst.p(), small.p(), depth.p(), 2), -9);
        EXPECT_EQ(call(dst.p(), src.p(), smallDepth.p(), 2), -9);
        EXPECT_EQ(call(dst.p(), src.p(), deepDepth.p(), 2), -9);
        EXPECT_EQ(call(dst.p(), src.p(), twoDepth.p(), 2), -9);
        EXPECT_EQ(call(grey.p(), src.p(), depth.p(), 2), -9);
        EXPECT_EQ(dst.bytes(), before) << bits;
    }
}

// A source and depth picture larger than the destination are read at the
// destination's positions.
TEST(PicBufAnaglyph, LargerSourcesAreReadInTheirTopLeft)
{
    for (const uint32_t bits : {8u, 16u}) {
        TestPic dst(6, 4, bits, 3), ref(6, 4, bits, 3), src(9, 7, bits, 3), depth(8, 5, 8, 1);
        TestPic srcCut(6, 4, bits, 3), depthCut(6, 4, 8, 1);
        src.fillPattern(2);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 8; ++x)
                depth.set(x, y, 0, (x + y) % 3);
        API::Copy(srcCut.p(), src.p());
        API::Copy(depthCut.p(), depth.p());
        ASSERT_EQ(API::CreateAnaglyph(dst.p(), src.p(), depth.p(), 3, false, true, true, 0xFF0000,
                                      0x0000FF, 6),
                  0);
        ASSERT_EQ(API::CreateAnaglyph(ref.p(), srcCut.p(), depthCut.p(), 3, false, true, true,
                                      0xFF0000, 0x0000FF, 6),
                  0);
        EXPECT_EQ(dst.bytes(), ref.bytes()) << bits;
        // Layer 2 (the anchor) draws without shift: a pixel of depth 2
        // shows its own blue.
        EXPECT_EQ(dst.get(2, 0, 0), src.get(2, 0, 0));
    }
}

} // namespace

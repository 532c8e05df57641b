// Ratio, calcium and FRET pictures and the local-peak marks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gnr_picture/LxColorimetry.h"
#include "gnr_picture/lut/LxLutParam.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxRatioPalettes.h"
#include "kernel_test_support.h"

using kerneltest::kMarker;
using kerneltest::TestPicture;

namespace
{

struct Bgr {
    uint32_t b, g, r;
    bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};

std::ostream& operator<<(std::ostream& os, const Bgr& c)
{
    return os << "(" << c.b << ", " << c.g << ", " << c.r << ")";
}

Bgr pixel(const TestPicture& d, uint32_t x, uint32_t y)
{
    return {d.get(x, y, 0), d.get(x, y, 1), d.get(x, y, 2)};
}

// Palette entry i at brightness b over scale.
Bgr colour(uint32_t i, uint32_t b, uint32_t scale)
{
    const uint32_t w = lxratio::ratioPalette()[i];
    return {(w & 0xFF) * b / scale, (w >> 8 & 0xFF) * b / scale, (w >> 16 & 0xFF) * b / scale};
}

TEST(RatioPalette, MagentaToRed)
{
    std::vector<uint32_t> rainbow(256);
    ASSERT_EQ(LX_RGBRainbowColorTable(rainbow.data(), 256), 0);
    for (uint32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(lxratio::ratioPalette()[i], rainbow[i]);
        ASSERT_EQ(lxratio::fretPalette()[i], rainbow[i]);
    }
    EXPECT_EQ(colour(0, 255, 255), (Bgr{255, 0, 255}));
    EXPECT_EQ(colour(255, 255, 255), (Bgr{0, 0, 255}));
}

// A two-component picture of (p, q) pairs.
TestPicture pairs(std::initializer_list<std::pair<uint32_t, uint32_t>> values, uint32_t bytes)
{
    TestPicture p({2, bytes}, uint32_t(values.size()), 1, 1);
    uint32_t x = 0;
    for (auto [a, b] : values) {
        p.put(x, 0, 0, a);
        p.put(x++, 0, 1, b);
    }
    return p;
}

int ratio(TestPicture& d, const TestPicture& s, uint32_t bits, const SLxRatioDesc& desc)
{
    return CLxPicMemAPI::RatioImage(d.data(), d.pitch(), s.data(), s.comps(), bits, s.pitch(),
                                    s.width(), s.width() * s.lines(), &desc);
}

TEST(RatioImage, DocumentedIndices)
{
    const TestPicture s = pairs({{100, 50}, {30, 4}, {10, 20}, {3, 9}}, 1);
    TestPicture d({3, 1}, 4, 1, 1);
    SLxRatioDesc desc;
    desc.uiNumer = 0;
    desc.uiDenom = 1;
    desc.dMin = 0;
    desc.dMax = 2;
    ASSERT_EQ(ratio(d, s, 8, desc), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(255, 100, 255));
    desc.dMax = 4;
    ASSERT_EQ(ratio(d, s, 8, desc), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(127, 100, 255));
    // A denominator at its offset: entry 255 at brightness max(p - op, 0);
    // at 8 bits only the low byte of an offset counts.
    desc.uiNumOffset = 0x100 + 5;
    desc.uiDenOffset = 0x200 + 4;
    ASSERT_EQ(ratio(d, s, 8, desc), 0);
    EXPECT_EQ(pixel(d, 1, 0), colour(255, 25, 255));
    EXPECT_EQ(pixel(d, 3, 0), colour(0, 5, 255)); // (3 - 5) / 5 below dMin
    EXPECT_EQ(d.data()[12], kMarker);
}

TEST(RatioImage, SixteenBitsScaleByTheLargestSample)
{
    const TestPicture s = pairs({{1000, 500}, {4000, 10}, {0, 0}}, 2);
    TestPicture d({3, 1}, 3, 1, 0);
    SLxRatioDesc desc;
    desc.uiDenom = 1;
    desc.dMax = 4;
    ASSERT_EQ(ratio(d, s, 12, desc), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(127, 1000, 4000));
    EXPECT_EQ(pixel(d, 1, 0), colour(255, 4000, 4000));
    EXPECT_EQ(pixel(d, 2, 0), (Bgr{0, 0, 0}));
}

TEST(RatioImage, EmptyRangeIsNoIndexBeyondThePalette)
{
    // dMax = dMin: 0 / 0 is NaN (index 0), 1 / 0 infinite (index 255).
    const TestPicture s = pairs({{50, 50}, {60, 50}}, 1);
    TestPicture d({3, 1}, 2, 1, 0);
    SLxRatioDesc desc;
    desc.uiDenom = 1;
    desc.dMin = desc.dMax = 1.0;
    ASSERT_EQ(ratio(d, s, 8, desc), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(0, 50, 255));
    EXPECT_EQ(pixel(d, 1, 0), colour(255, 60, 255));
}

TEST(CaImage, CalibrationEnds)
{
    const TestPicture s = pairs({{200, 10}, {20, 10}}, 1);
    TestPicture d({3, 1}, 2, 1, 0);
    auto ca = [&](double betaNumer, double concLow) {
        return CLxPicMemAPI::CaImage(d.data(), d.pitch(), s.data(), 2, 8, s.pitch(), 2, 2, 0, 1, 0,
                                     0, 0.224, 1.0, betaNumer, 1.0, 0.5, 10.0, concLow, 10.0);
    };
    // bn = 0: the lowest index everywhere.
    ASSERT_EQ(ca(0.0, 0.01), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(0, 200, 255));
    EXPECT_EQ(pixel(d, 1, 0), colour(0, 20, 255));
    // R = 20 is above s Rmax = 10: the cap, 10 for K = 0.224, which is the
    // highest concentration shown.
    ASSERT_EQ(ca(1.0, 0.01), 0);
    EXPECT_EQ(pixel(d, 0, 0), colour(255, 200, 255));
    // R = 2: 1.5 x 0.224 / 8 = 0.042 on the log scale from 0.01 to 10.
    const double t = (std::log10(1.5 * 0.224 / 8.0) + 2.0) / 3.0;
    EXPECT_EQ(pixel(d, 1, 0), colour(uint32_t(t * 255.0), 20, 255));
}

TEST(CaImage, SixteenBitLowEndFromTheCap)
{
    // Clo 0 at 16 bits: the scale starts at -ceil(log10(10 K)) = -1.
    const TestPicture s = pairs({{3000, 1000}}, 2);
    TestPicture d({3, 1}, 1, 1, 0);
    ASSERT_EQ(CLxPicMemAPI::CaImage(d.data(), d.pitch(), s.data(), 2, 14, s.pitch(), 1, 1, 0, 1, 0,
                                    0, 0.224, 1.0, 1.0, 1.0, 1.0, 5.0, 0.0, 10.0),
              0);
    const double t = (std::log10(2.0 * 0.224 / 2.0) + 1.0) / 2.0;
    EXPECT_EQ(pixel(d, 0, 0), colour(uint32_t(t * 255.0), 3000, 3000));
}

int fret(TestPicture& d, const TestPicture& s, uint32_t bits, int16_t fretOffset, double c0,
         double c1, const SLxLut* lut, bool words)
{
    return CLxPicMemAPI::FRETImage(d.data(), d.pitch(), s.data(), s.comps(), bits, s.pitch(),
                                   s.width(), s.width() * s.lines(), 0, 1, 2, 9, fretOffset, 0, 0,
                                   0, c0, c1, 0.5, 0.5, lut, words);
}

TEST(FRETImage, ZeroCoefficientsGiveTheOffsetFretChannel)
{
    TestPicture s({3, 1}, 4, 1, 0);
    const uint32_t values[4] = {0, 9, 10, 255};
    for (uint32_t x = 0; x < 4; ++x) {
        s.put(x, 0, 0, values[x]);
        s.put(x, 0, 1, 77);
        s.put(x, 0, 2, 33);
    }
    TestPicture d({3, 1}, 4, 1, 1);
    ASSERT_EQ(fret(d, s, 8, 10, 0.0, 0.0, nullptr, false), 0);
    for (uint32_t x = 0; x < 4; ++x) {
        const uint32_t g = values[x] > 10 ? values[x] - 10 : 0;
        EXPECT_EQ(pixel(d, x, 0), (Bgr{g, g, g})) << x;
    }
    EXPECT_EQ(d.data()[12], kMarker);
}

TEST(FRETImage, CorrectionAndTables)
{
    // a = 200, D = 100, A = 40: F = 200 - 0.5 (40 - 50) - 0.25 (100 - 20) = 185.
    TestPicture s({3, 2}, 1, 1, 0);
    s.put(0, 0, 0, 200);
    s.put(0, 0, 1, 100);
    s.put(0, 0, 2, 40);
    TestPicture grey({3, 1}, 1, 1, 0);
    ASSERT_EQ(fret(grey, s, 10, 0, 0.25, 0.5, nullptr, false), 0);
    EXPECT_EQ(pixel(grey, 0, 0), (Bgr{185 * 255 / 1023, 185 * 255 / 1023, 185 * 255 / 1023}));
    TestPicture words({3, 2}, 1, 1, 0);
    ASSERT_EQ(fret(words, s, 10, 0, 0.25, 0.5, nullptr, true), 0);
    EXPECT_EQ(pixel(words, 0, 0), (Bgr{185, 185, 185}));

    SLxLut lut;
    ASSERT_EQ(SLxLut::AllocColor(&lut, 10, 8), 0);
    auto** rows = static_cast<uint8_t**>(lut.pTable);
    for (uint32_t i = 0; i < 1024; ++i)
        for (uint32_t k = 0; k < 3; ++k)
            rows[i][k] = uint8_t(i * 3 + k);
    ASSERT_EQ(fret(grey, s, 10, 0, 0.25, 0.5, &lut, false), 0);
    EXPECT_EQ(pixel(grey, 0, 0), (Bgr{uint8_t(555), uint8_t(556), uint8_t(557)}));
    ASSERT_EQ(fret(words, s, 10, 0, 0.25, 0.5, &lut, true), 0);
    EXPECT_EQ(pixel(words, 0, 0), (Bgr{uint8_t(555), uint8_t(556), uint8_t(557)}));
    // A table too short for the depth is refused.
    EXPECT_EQ(fret(grey, s, 12, 0, 0.25, 0.5, &lut, false), -4);
    SLxLut::Free(&lut);
}

TEST(FRETImage, NotANumberGivesZero)
{
    TestPicture s({3, 1}, 1, 1, 0);
    s.put(0, 0, 0, 50);
    TestPicture d({3, 1}, 1, 1, 0);
    ASSERT_EQ(fret(d, s, 8, 0, std::numeric_limits<double>::quiet_NaN(), 0, nullptr, false), 0);
    EXPECT_EQ(pixel(d, 0, 0), (Bgr{0, 0, 0}));
}

int efficiency(TestPicture& d, const TestPicture& s, uint32_t bits, double lo, double hi)
{
    return CLxPicMemAPI::FRET_EffImage(d.data(), d.pitch(), s.data(), s.comps(), bits, s.pitch(),
                                       s.width(), s.width() * s.lines(), 0, 1, -1, 0, 0, 0, 0, 0,
                                       0.0, 0.0, 0.0, 0.0, lo, hi);
}

TEST(FRETEffImage, IndicesAndBrightness)
{
    // (FRET, donor): (60, 0) has no donor: index 0; (30, 60) is 50 %; (90,
    // 90) 100 %. m = 30, M = 90.
    const TestPicture s = pairs({{60, 0}, {30, 60}, {90, 90}}, 1);
    TestPicture d({3, 1}, 3, 1, 0);
    ASSERT_EQ(efficiency(d, s, 8, 0, 0), 0);
    const uint32_t* fretPalette = lxratio::fretPalette();
    auto expected = [&](uint32_t index, uint32_t b) {
        const uint32_t w = fretPalette[index];
        return Bgr{(w & 0xFF) * b / 60, (w >> 8 & 0xFF) * b / 60, (w >> 16 & 0xFF) * b / 60};
    };
    EXPECT_EQ(pixel(d, 0, 0), expected(0, 30));
    EXPECT_EQ(pixel(d, 1, 0), expected(127, 0));
    EXPECT_EQ(pixel(d, 2, 0), expected(255, 60));
    // Shown from 50 to 100 %: 50 % is the lowest index.
    ASSERT_EQ(efficiency(d, s, 8, 50, 100), 0);
    EXPECT_EQ(pixel(d, 2, 0), expected(255, 60));
    EXPECT_EQ(pixel(d, 0, 0), expected(0, 30));
}

TEST(FRETEffImage, ConstantFretChannelIsBlack)
{
    const TestPicture s = pairs({{40, 10}, {40, 80}}, 2);
    TestPicture d({3, 1}, 2, 1, 0);
    ASSERT_EQ(efficiency(d, s, 16, 0, 0), 0);
    EXPECT_EQ(pixel(d, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(pixel(d, 1, 0), (Bgr{0, 0, 0}));
}

TEST(Ratio, RefusedArguments)
{
    const TestPicture s = pairs({{1, 2}}, 1);
    TestPicture d({3, 1}, 1, 1, 0);
    const auto before = d.bytes();
    SLxRatioDesc desc;
    desc.uiDenom = 2;
    EXPECT_EQ(ratio(d, s, 8, desc), -4);
    EXPECT_EQ(CLxPicMemAPI::RatioImage(d.data(), 3, s.data(), 2, 8, 2, 1, 1, nullptr), -4);
    desc.uiDenom = 1;
    EXPECT_EQ(ratio(d, s, 17, desc), -2);
    EXPECT_EQ(CLxPicMemAPI::RatioImage(d.data(), 3, s.data(), 2, 8, 2, 0, 1, &desc), 0);
    EXPECT_EQ(CLxPicMemAPI::CaImage(d.data(), 3, s.data(), 2, 8, 2, 1, 1, 2, 0, 0, 0, 1, 1, 1, 1, 1,
                                    1, 1, 1),
              -4);
    EXPECT_EQ(CLxPicMemAPI::FRETImage(d.data(), 3, s.data(), 2, 8, 2, 1, 1, 0, 1, 2, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, nullptr, false),
              -4);
    EXPECT_EQ(CLxPicMemAPI::FRET_EffImage(d.data(), 3, s.data(), 2, 8, 2, 1, 1, -1, 1, 0, 0, 0, 0,
                                          0, 0, 0, 0, 0, 0, 0, 0),
              -4);
    EXPECT_EQ(d.bytes(), before);
}

// --- Local peaks -----------------------------------------------------------------------

template <class T> void constantWithDarkPixel(uint32_t bytes, uint32_t bits, int16_t tolerance)
{
    const uint32_t w = 9, h = 8;
    TestPicture s({1, bytes}, w, h, 1);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            s.put(x, y, 0, 300 % (1u << bits));
    TestPicture marks({1, bytes}, w, h, 1);
    ASSERT_EQ(CLxPicMemAPI::MonoDetectLocalPeaks(marks.data(), marks.pitch(), s.data(), bits,
                                                 s.pitch(), w, w * h, tolerance, 4),
              0);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const bool interior = x >= 1 && x + 2 <= w && y >= 1 && y + 2 <= h;
            ASSERT_EQ(marks.get(x, y, 0), interior ? 4u : 0u) << x << ", " << y;
        }
        ASSERT_EQ(marks.data()[y * marks.pitch() + w * bytes], kMarker);
    }
    // One darker pixel two from every edge, n = 3: it and every interior
    // pixel not touching it are seeds, its neighbours grow to 2.
    s.put(3, 3, 0, s.get(3, 3, 0) - 20);
    ASSERT_EQ(CLxPicMemAPI::MonoDetectLocalPeaks(marks.data(), marks.pitch(), s.data(), bits,
                                                 s.pitch(), w, w * h, tolerance, 3),
              0);
    for (uint32_t y = 1; y + 1 < h; ++y)
        for (uint32_t x = 1; x + 1 < w; ++x) {
            const bool touching = (x != 3 || y != 3) && x >= 2 && x <= 4 && y >= 2 && y <= 4;
            ASSERT_EQ(marks.get(x, y, 0), touching ? 2u : 3u) << x << ", " << y;
        }
}

TEST(LocalPeaks, ConstantAndOneDarkerPixel)
{
    constantWithDarkPixel<uint8_t>(1, 8, 0);
    constantWithDarkPixel<uint8_t>(1, 8, 5);
    constantWithDarkPixel<uint16_t>(2, 12, 0);
    constantWithDarkPixel<uint16_t>(2, 16, 10);
}

TEST(LocalPeaks, OneLevelMarksOnlyTheSeeds)
{
    // A ramp: only the lowest column's interior is a minimum.
    const uint32_t w = 6, h = 5;
    TestPicture s({1, 1}, w, h, 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            s.put(x, y, 0, x < 2 ? 10 : 10 + 10 * x);
    TestPicture marks({1, 1}, w, h, 0);
    ASSERT_EQ(CLxPicMemAPI::MonoDetectLocalPeaks(marks.data(), w, s.data(), 8, w, w, w * h, 0, 1),
              0);
    for (uint32_t y = 1; y + 1 < h; ++y)
        for (uint32_t x = 1; x + 1 < w; ++x)
            ASSERT_EQ(marks.get(x, y, 0), x == 1 ? 1u : 0u) << x << ", " << y;
}

} // namespace

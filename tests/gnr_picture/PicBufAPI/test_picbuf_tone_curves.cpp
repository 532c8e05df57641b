// Tone curves, white balance, saturation and hue, combining under one-bit
// masks, the grey ratio, and background subtraction of picture buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "picbuf_test_support.h"

using picbuftest::maxOf;
using picbuftest::TestPic;

namespace
{

using API = CLxPicBufAPI;
using Pixel = std::vector<uint32_t>;

// An 8-bit gamma table's value for the linear value v.
uint32_t gammaOf(uint32_t v, double gamma)
{
    return uint32_t(std::trunc(std::pow(v / 255.0, gamma) * 255.0));
}

// ---- Contrast curves ----------------------------------------------------------

TEST(PicBufContrast, LinearOverTheWholeRangeCopies)
{
    for (const auto& [bits, comps] : {std::pair{8u, 1u}, {8u, 3u}, {12u, 3u}, {16u, 1u}}) {
        TestPic src(5, 3, bits, comps), dst(5, 3, bits, comps, 4);
        src.fillPattern(1);
        ASSERT_EQ(API::Contrast(dst.p(), src.p(), 0, 0, int32_t(maxOf(bits)), 1.0), 0);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                ASSERT_EQ(dst.pixel(x, y), src.pixel(x, y)) << bits;
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST(PicBufContrast, ModesStretchTheRange)
{
    TestPic src(4, 1, 8, 1), dst(4, 1, 8, 1);
    src.setPixel(0, 0, {50});
    src.setPixel(1, 0, {100});
    src.setPixel(2, 0, {150});
    src.setPixel(3, 0, {10});
    ASSERT_EQ(API::Contrast(dst.p(), src.p(), 0, 50, 150, 1.0), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 0u);
    EXPECT_EQ(dst.get(1, 0, 0), 127u);
    EXPECT_EQ(dst.get(2, 0, 0), 255u);
    EXPECT_EQ(dst.get(3, 0, 0), 0u);
    for (const int32_t mode : {1, 2, 3, 4, 5}) {
        ASSERT_EQ(API::Contrast(dst.p(), src.p(), mode, 50, 150, 2.0), 0) << mode;
        EXPECT_LE(dst.get(1, 0, 0), 255u);
    }
    // Gamma 2 of the middle: (127 / 255)^2 x 255.
    ASSERT_EQ(API::Contrast(dst.p(), src.p(), 4, 50, 150, 2.0), 0);
    EXPECT_EQ(dst.get(1, 0, 0), gammaOf(127, 2.0));
}

TEST(PicBufContrast, RefusedModesAndRangesWriteNothing)
{
    TestPic src(4, 2, 8, 3), dst(4, 2, 8, 3), grey(4, 2, 8, 1), greyDst(4, 2, 8, 1);
    src.fillPattern();
    dst.fillPattern(2);
    greyDst.fillPattern(2);
    const std::vector<uint8_t> before = dst.bytes(), greyBefore = greyDst.bytes();
    EXPECT_EQ(API::Contrast(dst.p(), src.p(), 6, 0, 255, 1.0), -9);
    EXPECT_EQ(API::Contrast(dst.p(), src.p(), -1, 0, 255, 1.0), -9);
    EXPECT_EQ(API::Contrast(dst.p(), src.p(), 2, 0, 255, 1.0), -9);
    EXPECT_EQ(API::Contrast(dst.p(), src.p(), 3, 0, 255, 1.0), -9);
    EXPECT_EQ(API::Contrast(dst.p(), src.p(), 0, 200, 100, 1.0), -4);
    EXPECT_EQ(API::Contrast(dst.p(), grey.p(), 0, 0, 255, 1.0), -9);
    EXPECT_EQ(dst.bytes(), before);
    // Equalising a flat picture has nothing to spread.
    TestPic flat(4, 2, 8, 1);
    std::memset(flat->pData, 0, flat->uiSize);
    EXPECT_EQ(API::Contrast(greyDst.p(), grey.p(), 2, 10, 10, 1.0), -4);
    EXPECT_EQ(greyDst.bytes(), greyBefore);
}

TEST(PicBufContrast, ComponentContrastChoosesLinearOrGammaTables)
{
    TestPic src(1, 1, 8, 3), dst(1, 1, 8, 3);
    src.setPixel(0, 0, {100, 100, 100});
    ASSERT_EQ(API::ComponentContrast(dst.p(), src.p(), 0, 0, 0, 200, 255, 100, 1.0, 1.0, 1.0), 0);
    // red 0..200, green 0..255, blue 0..100 (stored blue first).
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{255, 100, 127}));
    // One gamma off 1.0: gamma tables for all three, gamma 1 being the line
    // through the gamma formula.
    ASSERT_EQ(API::ComponentContrast(dst.p(), src.p(), 0, 0, 0, 255, 255, 255, 2.0, 1.0, 1.0000001),
              0);
    EXPECT_EQ(dst.get(0, 0, 2), gammaOf(100, 2.0));
    EXPECT_EQ(dst.get(0, 0, 0), gammaOf(100, 1.0000001));

    // Gammas 1, 1 and 1.0000001 (red, green, blue): gamma tables for all
    // three; the last one's curve falls just below the line.
    ASSERT_EQ(API::ComponentContrast(dst.p(), src.p(), 0, 0, 0, 255, 255, 255, 1.0, 1.0, 1.0000001),
              0);
    EXPECT_EQ(dst.get(0, 0, 0), gammaOf(100, 1.0000001));
    EXPECT_LT(dst.get(0, 0, 0), 100u);
    EXPECT_EQ(dst.get(0, 0, 2), gammaOf(100, 1.0));

    const uint32_t lows[2] = {0, 50}, highs[2] = {200, 150};
    const double gammas[2] = {1.0, 1.0};
    TestPic two(1, 1, 8, 2), twoDst(1, 1, 8, 2);
    two.setPixel(0, 0, {100, 100});
    ASSERT_EQ(API::ComponentContrast(twoDst.p(), two.p(), lows, highs, gammas), 0);
    EXPECT_EQ(twoDst.pixel(0, 0), (Pixel{127, 127}));
    EXPECT_EQ(API::ComponentContrast(twoDst.p(), two.p(), lows, nullptr, gammas), -9);
    EXPECT_EQ(API::ComponentContrast(twoDst.p(), two.p(), 0, 0, 0, 1, 1, 1, 1, 1, 1), -9);
}

TEST(PicBufContrast, WhiteBalanceLowersTheCeilingOfWeakerComponents)
{
    TestPic src(3, 1, 8, 3), dst(3, 1, 8, 3);
    src.setPixel(0, 0, {215, 235, 255}); // blue, green, red at their ceilings
    src.setPixel(1, 0, {100, 100, 100});
    ASSERT_EQ(API::WhiteBalance(dst.p(), src.p(), 200, 180, 160, 0, 0, 0, 0, 0, 1.0), 0);
    // blue 0 .. 215, green 0 .. 235, red 0 .. 255 to the full range.
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(dst.pixel(1, 0),
              (Pixel{gammaOf(100 * 255 / 215, 1), gammaOf(100 * 255 / 235, 1), gammaOf(100, 1)}));
    // Direct: each component from 0 to its own white.
    ASSERT_EQ(API::WhiteBalance(dst.p(), src.p(), 200, 180, 160, 0, 0, 0, 0, 1, 1.0), 0);
    EXPECT_EQ(dst.pixel(1, 0), (Pixel{gammaOf(100 * 255 / 160, 1), gammaOf(100 * 255 / 180, 1),
                                      gammaOf(100 * 255 / 200, 1)}));
    // With the black flag: black offsets over the smallest black.
    ASSERT_EQ(API::WhiteBalance(dst.p(), src.p(), 200, 200, 200, 20, 10, 10, 1, 0, 1.0), 0);
    EXPECT_EQ(dst.get(1, 0, 2), gammaOf((100 - 10) * 255 / (255 - 10), 1));
    EXPECT_EQ(dst.get(1, 0, 0), gammaOf(100, 1));
    TestPic grey(3, 1, 8, 1);
    EXPECT_EQ(API::WhiteBalance(grey.p(), grey.p(), 1, 1, 1, 0, 0, 0, 0, 0, 1.0), -9);
}

// ---- Saturation and hue -------------------------------------------------------------

TEST(PicBufIhs, ZeroChangesAreTheRoundTrip)
{
    TestPic src(6, 4, 8, 3), dst(6, 4, 8, 3), ihs16(6, 4, 16, 3), ihs8(6, 4, 8, 3),
        back(6, 4, 8, 3);
    src.fillPattern(7);
    ASSERT_EQ(API::ConvertRGBtoIHS(ihs16.p(), src.p()), 0);
    ASSERT_EQ(API::ConvertIHStoRGB(back.p(), ihs16.p()), 0);
    ASSERT_EQ(API::Saturation(dst.p(), src.p(), 0), 0);
    EXPECT_EQ(dst.bytes(), back.bytes());
    ASSERT_EQ(API::ConvertRGBtoIHS(ihs8.p(), src.p()), 0);
    ASSERT_EQ(API::ConvertIHStoRGB(back.p(), ihs8.p()), 0);
    ASSERT_EQ(API::Hue(dst.p(), src.p(), 0), 0);
    EXPECT_EQ(dst.bytes(), back.bytes());
}

TEST(PicBufIhs, SaturationAndHueMoveTheirComponent)
{
    TestPic src(1, 1, 8, 3), dst(1, 1, 8, 3);
    src.setPixel(0, 0, {60, 90, 180});
    ASSERT_EQ(API::Saturation(dst.p(), src.p(), -100), 0);
    const Pixel grey = dst.pixel(0, 0);
    EXPECT_EQ(grey[0], grey[1]);
    EXPECT_EQ(grey[1], grey[2]);
    ASSERT_EQ(API::Hue(dst.p(), src.p(), 120), 0);
    EXPECT_NE(dst.pixel(0, 0), src.pixel(0, 0));
    TestPic one(1, 1, 8, 1), other(2, 1, 8, 3);
    EXPECT_EQ(API::Saturation(one.p(), one.p(), 10), -9);
    EXPECT_EQ(API::Hue(other.p(), src.p(), 10), -9);
}

// ---- One-bit masks and the grey ratio -------------------------------------------------

struct Binary {
    uint32_t width, height, wb;
    std::vector<uint8_t> bytes;
    SLxBinPicBuf rec;
    Binary(uint32_t w, uint32_t h) : width(w), height(h), wb(((w + 7) / 8 + 3) & ~3u)
    {
        bytes.assign(size_t(wb) * h, 0);
        rec = SLxBinPicBuf{w, h, wb, wb * h, bytes.data()};
    }
    void set(uint32_t x, uint32_t y) { bytes[size_t(y) * wb + x / 8] |= uint8_t(0x80 >> (x % 8)); }
};

TEST(PicBufCombine, EmptyMaskCopiesTheChosenPicture)
{
    TestPic first(5, 3, 16, 3), second(5, 3, 16, 3), dst(5, 3, 16, 3, 4);
    first.fillPattern(1);
    second.fillPattern(2);
    Binary mask(5, 3);
    ASSERT_EQ(API::CombineViaBinary(dst.p(), first.p(), second.p(), &mask.rec, 0), 0);
    EXPECT_TRUE(API::IsEqual(dst.p(), first.p()));
    ASSERT_EQ(API::CombineViaBinary(dst.p(), first.p(), second.p(), &mask.rec, 1), 0);
    EXPECT_TRUE(API::IsEqual(dst.p(), second.p()));
    EXPECT_TRUE(dst.paddingIntact());
}

// Every pixel size: the one-byte and one-word pixels choose straight from
// the mask bits, eight at a time, the others through a line of mask bytes.
TEST(PicBufCombine, EveryPixelFollowsItsBit)
{
    for (const auto& [bits, comps] :
         {std::pair{8u, 1u}, {12u, 1u}, {16u, 1u}, {8u, 3u}, {16u, 3u}, {8u, 2u}})
        for (const int32_t flag : {0, 1}) {
            TestPic first(19, 4, bits, comps, 4), second(19, 4, bits, comps),
                dst(19, 4, bits, comps, 8);
            first.fillPattern(1);
            second.fillPattern(2);
            Binary mask(19, 4);
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t x = 0; x < 19; ++x)
                    if ((x * 7 + y * 3) % 5 < 2)
                        mask.set(x, y);
            ASSERT_EQ(API::CombineViaBinary(dst.p(), first.p(), second.p(), &mask.rec, flag), 0);
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t x = 0; x < 19; ++x) {
                    const bool set = (x * 7 + y * 3) % 5 < 2;
                    const TestPic& from = set == (flag == 0) ? second : first;
                    ASSERT_EQ(dst.pixel(x, y), from.pixel(x, y))
                        << bits << "x" << comps << " flag " << flag << " at " << x << "," << y;
                }
            EXPECT_TRUE(dst.paddingIntact());
        }
}

// One-byte and one-word pixels on lines long enough for the AVX2 steps (32
// bytes) and a rest, with a random mask; with the AVX2 lines and with the
// baseline.
TEST(PicBufCombine, WideLinesFollowTheirBits)
{
    std::mt19937 random(41);
    for (const uint32_t bits : {8u, 16u})
        for (const uint32_t width : {31u, 32u, 40u, 64u, 101u})
            for (const bool vector : {true, false})
                for (const int32_t flag : {0, 1}) {
                    TestPic first(width, 3, bits, 1, 4), second(width, 3, bits, 1),
                        dst(width, 3, bits, 1, 8);
                    first.fillPattern(1);
                    second.fillPattern(2);
                    Binary mask(width, 3);
                    for (uint8_t& b : mask.bytes)
                        b = uint8_t(random());
                    lxpic::avx2PathsAllowed() = vector;
                    const int status =
                        API::CombineViaBinary(dst.p(), first.p(), second.p(), &mask.rec, flag);
                    lxpic::avx2PathsAllowed() = true;
                    ASSERT_EQ(status, 0);
                    for (uint32_t y = 0; y < 3; ++y)
                        for (uint32_t x = 0; x < width; ++x) {
                            const bool set = (mask.bytes[y * mask.wb + x / 8] >> (7 - x % 8)) & 1;
                            const TestPic& from = set == (flag == 0) ? second : first;
                            ASSERT_EQ(dst.pixel(x, y), from.pixel(x, y))
                                << bits << " w" << width << " flag " << flag << " at " << x << ","
                                << y << (vector ? "" : ", baseline");
                        }
                    EXPECT_TRUE(dst.paddingIntact());
                }
}

TEST(PicBufCombine, SetBitsTakeTheOtherPicture)
{
    TestPic first(5, 3, 8, 1), second(5, 3, 8, 1), dst(5, 3, 8, 1);
    first.fillPattern(1);
    second.fillPattern(2);
    Binary mask(4, 2); // smaller: only the common part is replaced
    mask.set(1, 0);
    mask.set(3, 1);
    ASSERT_EQ(API::CombineViaBinary(dst.p(), first.p(), second.p(), &mask.rec, 0), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const bool set = (x == 1 && y == 0) || (x == 3 && y == 1);
            EXPECT_EQ(dst.get(x, y, 0), (set ? second : first).get(x, y, 0));
        }
    // A smaller second source stands in a zeroed picture of dst's size.
    TestPic small(2, 2, 8, 1);
    small.fillPattern(3);
    Binary all(5, 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            all.set(x, y);
    ASSERT_EQ(API::CombineViaBinary(dst.p(), first.p(), small.p(), &all.rec, 0), 0);
    EXPECT_EQ(dst.get(1, 1, 0), small.get(1, 1, 0));
    EXPECT_EQ(dst.get(4, 2, 0), 0u);
    // Other bits or components: refused.
    TestPic deep(5, 3, 12, 1), colour(5, 3, 8, 3);
    const std::vector<uint8_t> before = dst.bytes();
    EXPECT_EQ(API::CombineViaBinary(dst.p(), first.p(), deep.p(), &mask.rec, 0), -9);
    EXPECT_EQ(API::CombineViaBinary(dst.p(), first.p(), colour.p(), &mask.rec, 0), -9);
    EXPECT_EQ(API::CombineViaBinary(dst.p(), first.p(), second.p(), nullptr, 0), -9);
    EXPECT_EQ(dst.bytes(), before);
}

TEST(PicBufGreyRatio, ComponentsMulGrayDivGray)
{
    TestPic dst(3, 1, 8, 3), num(3, 1, 8, 1), den(3, 1, 8, 1);
    dst.setPixel(0, 0, {10, 20, 30});
    dst.setPixel(1, 0, {100, 200, 250});
    dst.setPixel(2, 0, {1, 2, 3});
    num.setPixel(0, 0, {4});
    num.setPixel(1, 0, {3});
    num.setPixel(2, 0, {77});
    den.setPixel(0, 0, {2});
    den.setPixel(1, 0, {1});
    den.setPixel(2, 0, {0});
    ASSERT_EQ(API::ComponentsMulGrayDivGray(dst.p(), num.p(), den.p()), 0);
    EXPECT_EQ(dst.pixel(0, 0), (Pixel{20, 40, 60}));
    EXPECT_EQ(dst.pixel(1, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(dst.pixel(2, 0), (Pixel{77, 77, 77}));
    // A numerator of three components: 0, nothing changed.
    TestPic num3(3, 1, 8, 3), den3(3, 1, 8, 3);
    const std::vector<uint8_t> before = dst.bytes();
    EXPECT_EQ(API::ComponentsMulGrayDivGray(dst.p(), num3.p(), den3.p()), 0);
    EXPECT_EQ(dst.bytes(), before);
    TestPic den12(3, 1, 12, 1);
    EXPECT_EQ(API::ComponentsMulGrayDivGray(dst.p(), num.p(), den12.p()), -9);
}

// ---- Background subtraction ---------------------------------------------------------------

TEST(PicBufBackground, FlatAndRampPicturesBecomeZero)
{
    for (const uint32_t bits : {8u, 12u, 16u}) {
        TestPic flat(7, 5, bits, 3), dst(7, 5, bits, 3, 4);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 7; ++x)
                flat.setPixel(x, y, {40, 90, 200});
        ASSERT_EQ(API::BackgroundSubtraction(dst.p(), flat.p(), 1.0, 0), 0);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 7; ++x)
                ASSERT_EQ(dst.pixel(x, y), (Pixel{0, 0, 0})) << bits;
        EXPECT_TRUE(dst.paddingIntact());
        // Rows holding the same steep ramp: three envelopes equal the picture.
        TestPic ramp(9, 4, bits, 1), out(9, 4, bits, 1);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 9; ++x)
                ramp.set(x, y, 0, 25 * x);
        ASSERT_EQ(API::BackgroundSubtraction(out.p(), ramp.p(), 0.5, 0), 0);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 9; ++x)
                ASSERT_EQ(out.get(x, y, 0), 0u) << bits << " " << x;
    }
}

// The background by its definition: four whole envelopes in hundredths of
// a unit, the mean of their two middle values, at most the sample.
std::vector<uint32_t> backgroundReference(const TestPic& src, uint32_t step, bool invert)
{
    const SLxPicBuf& r = src.rec();
    const uint32_t w = r.uiWidth, h = r.uiHeight, comps = r.uiComps, full = maxOf(r.uiBpc);
    const auto at = [&](uint32_t x, uint32_t y, uint32_t c) {
        return (size_t(y) * w + x) * comps + c;
    };
    std::vector<uint32_t> v(size_t(w) * h * comps), left(v.size()), right(v.size()), up(v.size()),
        down(v.size());
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < comps; ++c)
                v[at(x, y, c)] = invert ? ~src.get(x, y, c) & full : src.get(x, y, c);
    const auto follow = [&](uint32_t previous, uint32_t sample) {
        return previous < 100 * sample ? previous + step : 100 * sample;
    };
    for (uint32_t c = 0; c < comps; ++c)
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t xr = w - 1 - x, yd = h - 1 - y;
                left[at(x, y, c)] =
                    x ? follow(left[at(x - 1, y, c)], v[at(x, y, c)]) : 100 * v[at(x, y, c)];
                right[at(xr, y, c)] =
                    x ? follow(right[at(xr + 1, y, c)], v[at(xr, y, c)]) : 100 * v[at(xr, y, c)];
                up[at(x, y, c)] =
                    y ? follow(up[at(x, y - 1, c)], v[at(x, y, c)]) : 100 * v[at(x, y, c)];
                down[at(x, yd, c)] =
                    y ? follow(down[at(x, yd + 1, c)], v[at(x, yd, c)]) : 100 * v[at(x, yd, c)];
            }
    std::vector<uint32_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        std::vector<uint64_t> e = {left[i], right[i], up[i], down[i]};
        std::sort(e.begin(), e.end());
        const uint32_t kept = v[i] - uint32_t(std::min<uint64_t>((e[1] + e[2]) / 200, v[i]));
        out[i] = invert ? ~kept & full : kept;
    }
    return out;
}

// Sizes, depths, components, padding, slopes and inversion against the
// definition, into another picture and in place.
TEST(PicBufBackground, MatchesTheDefinition)
{
    struct Case {
        uint32_t width, height, bits, comps, padding;
        double slope;
        bool invert;
    };
    const Case cases[] = {
        {1, 1, 8, 1, 0, 1.0, false},   {13, 7, 8, 3, 4, 0.5, false}, {9, 11, 12, 1, 0, 0.3, false},
        {17, 5, 16, 2, 4, 2.0, false}, {6, 9, 8, 1, 0, 0.01, true},  {10, 6, 12, 3, 0, 0.7, true},
        {1, 8, 16, 1, 0, 1.0, true},   {8, 1, 8, 2, 0, 1.0, false},
    };
    for (const Case& k : cases)
        for (const bool inPlace : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << k.width << "x" << k.height << " " << k.bits << "x" << k.comps
                         << " invert " << k.invert << " in place " << inPlace);
            TestPic src(k.width, k.height, k.bits, k.comps, k.padding);
            TestPic dst(k.width, k.height, k.bits, k.comps, k.padding);
            // A slow wave with noise, so the envelopes both climb and drop.
            const uint32_t full = maxOf(k.bits);
            for (uint32_t y = 0; y < k.height; ++y)
                for (uint32_t x = 0; x < k.width; ++x)
                    for (uint32_t c = 0; c < k.comps; ++c)
                        src.set(x, y, c,
                                uint32_t(full * (0.4 + 0.3 * std::sin(0.7 * x + 0.4 * y + c))) +
                                    (TestPic::patternValue(x, y, c, k.bits) & (full >> 3)) / 2);
            const uint32_t step = k.bits == 8 ? uint32_t(k.slope * 100)
                                              : CLxPicMemAPI::CalcDblToUint(k.slope, k.bits) * 100;
            const std::vector<uint32_t> expected = backgroundReference(src, step, k.invert);
            TestPic& out = inPlace ? src : dst;
            ASSERT_EQ(API::BackgroundSubtraction(out.p(), src.p(), k.slope, k.invert), 0);
            for (uint32_t y = 0; y < k.height; ++y)
                for (uint32_t x = 0; x < k.width; ++x)
                    for (uint32_t c = 0; c < k.comps; ++c)
                        ASSERT_EQ(out.get(x, y, c),
                                  expected[(size_t(y) * k.width + x) * k.comps + c])
                            << x << "," << y << "," << c;
            EXPECT_TRUE(out.paddingIntact());
        }
}

TEST(PicBufBackground, SinglePeakLosesOneUnit)
{
    TestPic src(7, 7, 8, 1), dst(7, 7, 8, 1);
    std::memset(src->pData, 0, src->uiSize);
    src.set(3, 3, 0, 200);
    ASSERT_EQ(API::BackgroundSubtraction(dst.p(), src.p(), 1.0, 0), 0);
    EXPECT_EQ(dst.get(3, 3, 0), 199u);
    EXPECT_EQ(dst.get(2, 3, 0), 0u);
    EXPECT_EQ(dst.get(4, 4, 0), 0u);
}

TEST(PicBufBackground, InvertedFlatBrightComesOutAtTheMaximum)
{
    TestPic src(6, 6, 8, 1), dst(6, 6, 8, 1);
    std::memset(src->pData, 230, src->uiSize);
    src.set(2, 2, 0, 100); // a dark detail
    ASSERT_EQ(API::BackgroundSubtraction(dst.p(), src.p(), 1.0, 1), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 255u);
    EXPECT_EQ(dst.get(5, 4, 0), 255u);
    EXPECT_EQ(dst.get(2, 2, 0), 255u - 129u); // 130 deep, less the one unit
}

// The slope's magnitude held to 0.01 .. 2.0: 5 acts as 2, -0.5 as 0.5, 0
// and not a number as 0.01.
TEST(PicBufBackground, SlopesAreHeldToTheirRange)
{
    TestPic src(9, 1, 8, 1);
    std::memset(src->pData, 0, src->uiSize);
    src.set(4, 0, 0, 250);
    const auto result = [&](double slope) {
        TestPic dst(9, 1, 8, 1);
        EXPECT_EQ(API::BackgroundSubtraction(dst.p(), src.p(), slope, 0), 0);
        return dst.bytes();
    };
    EXPECT_EQ(result(5.0), result(2.0));
    EXPECT_EQ(result(-0.5), result(0.5));
    EXPECT_EQ(result(0.0), result(0.01));
    EXPECT_EQ(result(std::numeric_limits<double>::quiet_NaN()), result(0.01));
    EXPECT_NE(result(2.0), result(0.01));
}

TEST(PicBufBackground, RefusedPicturesAndShallowDepths)
{
    TestPic src(4, 3, 8, 1), dst(4, 3, 8, 3), same(4, 3, 8, 1);
    dst.fillPattern();
    const std::vector<uint8_t> before = dst.bytes();
    EXPECT_EQ(API::BackgroundSubtraction(dst.p(), src.p(), 1.0, 0), -9);
    EXPECT_EQ(API::BackgroundSubtraction(nullptr, src.p(), 1.0, 0), -9);
    EXPECT_EQ(dst.bytes(), before);
    TestPic s7(4, 3, 7, 1), d7(4, 3, 7, 1);
    s7.fillPattern();
    ASSERT_EQ(API::BackgroundSubtraction(d7.p(), s7.p(), 1.0, 0), 0);
    EXPECT_TRUE(API::IsEqual(d7.p(), s7.p()));
}

} // namespace

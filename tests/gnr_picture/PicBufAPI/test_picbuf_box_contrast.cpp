// Box smoothing and local contrast of whole pictures: the box mean against
// a direct sum, the window size written back, the tiling of large pictures,
// colour and several-component pictures, and refused input.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

// The truncated mean of the box from x - (n - n/2) to x + n/2 - 1 (likewise
// in y), clipped to the picture.
uint32_t boxMean(const TestPic& src, int64_t x, int64_t y, int64_t n)
{
    const int64_t lead = n - n / 2, w = src.rec().uiWidth, h = src.rec().uiHeight;
    uint64_t sum = 0, count = 0;
    for (int64_t v = std::max<int64_t>(0, y - lead); v <= std::min(h - 1, y + n / 2 - 1); ++v)
        for (int64_t u = std::max<int64_t>(0, x - lead); u <= std::min(w - 1, x + n / 2 - 1); ++u) {
            sum += src.get(uint32_t(u), uint32_t(v), 0);
            ++count;
        }
    return uint32_t(sum / count);
}

TEST(SmoothSquare, IsTheClippedBoxMeanInPlaceOrNot)
{
    for (uint32_t bits : {8u, 12u, 16u})
        for (int n : {2, 3, 4, 7, 9}) {
            SCOPED_TRACE(::testing::Message() << bits << " bits, size " << n);
            TestPic src(13, 9, bits, 1, 4);
            src.fillPattern(uint32_t(n));
            TestPic dst(13, 9, bits, 1, 8);
            ASSERT_EQ(CLxPicBufAPI::SmoothSquare(dst.p(), src.p(), n), 0);
            for (uint32_t y = 0; y < 9; ++y)
                for (uint32_t x = 0; x < 13; ++x)
                    ASSERT_EQ(dst.get(x, y, 0), boxMean(src, x, y, n)) << x << "," << y;
            EXPECT_TRUE(dst.paddingIntact());
            ASSERT_EQ(CLxPicBufAPI::SmoothSquare(src.p(), src.p(), n), 0);
            for (uint32_t y = 0; y < 9; ++y)
                for (uint32_t x = 0; x < 13; ++x)
                    ASSERT_EQ(src.get(x, y, 0), dst.get(x, y, 0)) << "in place " << x << "," << y;
        }
}

TEST(SmoothSquare, SizeOneCopies)
{
    for (uint32_t bits : {8u, 14u}) {
        TestPic src(6, 5, bits, 1);
        src.fillPattern();
        TestPic dst(6, 5, bits, 1, 4);
        ASSERT_EQ(CLxPicBufAPI::SmoothSquare(dst.p(), src.p(), 1), 0);
        EXPECT_TRUE(CLxPicBufAPI::IsEqual(dst.p(), src.p()));
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST(SmoothSquare, RefusedInputLeavesTheDestination)
{
    struct Case {
        const char* name;
        Format dstFormat, srcFormat;
        int size, status;
    };
    const Case cases[] = {
        {"three components", {8, 3}, {8, 3}, 3, -2},
        {"other bits", {8, 1}, {12, 1}, 3, -9},
        {"size 0", {8, 1}, {8, 1}, 0, -9},
        {"negative size", {8, 1}, {8, 1}, -4, -9},
        {"above the smaller side", {8, 1}, {8, 1}, 6, -9},
        {"17 bits", {17, 1}, {17, 1}, 3, -2},
        {"32 bits", {32, 1}, {32, 1}, 3, -2},
        {"7 bits: nothing to do", {7, 1}, {7, 1}, 3, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestPic src(7, 5, k.srcFormat.bits, k.srcFormat.comps);
        src.fillPattern();
        TestPic dst(7, 5, k.dstFormat.bits, k.dstFormat.comps);
        const auto before = dst.bytes();
        EXPECT_EQ(CLxPicBufAPI::SmoothSquare(dst.p(), src.p(), k.size), k.status);
        EXPECT_EQ(dst.bytes(), before);
    }
    TestPic pic(5, 5, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::SmoothSquare(pic.p(), nullptr, 3), -9);
    // The whole picture is one box at the size of the smaller side.
    TestPic src(9, 5, 8, 1), dst(9, 5, 8, 1);
    src.fillPattern();
    EXPECT_EQ(CLxPicBufAPI::SmoothSquare(dst.p(), src.p(), 5), 0);
}

// --- Local contrast ------------------------------------------------------------

TEST(LocalContrastOperation, WritesBackTheEvenCappedWindow)
{
    struct Case {
        uint32_t width, height;
        int requested, used;
    };
    for (const Case& k : {Case{20, 20, 1, 2}, Case{20, 20, 2, 2}, Case{20, 20, 7, 6},
                          Case{20, 20, 8, 8}, Case{20, 20, 0, 2}, Case{20, 20, -5, 2},
                          Case{5, 100, 10, 4}, Case{100, 5, 10, 4}, Case{3, 9, 50, 2}}) {
        SCOPED_TRACE(::testing::Message() << k.width << "x" << k.height << " " << k.requested);
        TestPic src(k.width, k.height, 8, 1), dst(k.width, k.height, 8, 1);
        src.fillPattern();
        int size = k.requested;
        ASSERT_EQ(CLxPicBufAPI::LocalContrast(dst.p(), src.p(), size, 1.5, false), 0);
        EXPECT_EQ(size, k.used);
    }
}

TEST(LocalContrastOperation, StrengthOneReturnsAOneComponentSource)
{
    // 2100 x 30 is worked in three tiles across.
    for (uint32_t bits : {8u, 12u})
        for (bool option : {false, true})
            for (uint32_t width : {40u, 2100u}) {
                TestPic src(width, 30, bits, 1, 4);
                src.fillPattern(bits);
                TestPic dst(width, 30, bits, 1);
                int size = 9;
                ASSERT_EQ(CLxPicBufAPI::LocalContrast(dst.p(), src.p(), size, 1.0, option), 0);
                EXPECT_TRUE(CLxPicBufAPI::IsEqual(dst.p(), src.p())) << bits << " " << width;
            }
}

// Every tile of the picture holds what the worker makes of the tile widened
// by size across and twice size up and down (clipped), at the tile's place.
TEST(LocalContrastOperation, LargePicturesAreWorkedInWidenedTiles)
{
    const uint32_t w = 2500, h = 1200;
    TestPic src(w, h, 8, 1);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            src.set(x, y, 0, (x * 7 + y * 3 + ((x * y) >> 6)) & 255);
    TestPic dst(w, h, 8, 1);
    int size = 21;
    ASSERT_EQ(CLxPicBufAPI::LocalContrast(dst.p(), src.p(), size, 2.0, false), 0);
    ASSERT_EQ(size, 20);
    const uint32_t xs[] = {0, 833, 1666, 2500}, ys[] = {0, 600, 1200};
    for (uint32_t r = 0; r < 2; ++r)
        for (uint32_t c = 0; c < 3; ++c) {
            const uint32_t x0 = c == 0 ? 0 : xs[c] - 20, x1 = c == 2 ? w : xs[c + 1] + 20;
            const uint32_t y0 = r == 0 ? 0 : ys[r] - 40, y1 = r == 1 ? h : ys[r + 1] + 40;
            TestPic in(x1 - x0, y1 - y0, 8, 1), out(x1 - x0, y1 - y0, 8, 1);
            ASSERT_EQ(CLxPicBufAPI::CopyRect(0, 0, x1 - x0, y1 - y0, in.p(), x0, y0, src.p()), 0);
            ASSERT_EQ(localcontrast_tailed_8(out.p(), in.p(), 20, 2.0, false), 0);
            for (uint32_t y = ys[r]; y < ys[r + 1]; ++y)
                for (uint32_t x = xs[c]; x < xs[c + 1]; ++x)
                    ASSERT_EQ(dst.get(x, y, 0), out.get(x - x0, y - y0, 0))
                        << "tile " << c << "," << r << " at " << x << "," << y;
        }
    // In place gives the same.
    ASSERT_EQ(CLxPicBufAPI::LocalContrast(src.p(), src.p(), size, 2.0, false), 0);
    EXPECT_TRUE(CLxPicBufAPI::IsEqual(src.p(), dst.p()));
}

TEST(LocalContrastOperation, ComponentsAreWorkedOnTheirOwnAndColourThroughIntensity)
{
    const uint32_t w = 24, h = 18;
    for (uint32_t bits : {8u, 16u}) {
        SCOPED_TRACE(bits);
        // Two components: each as the one-component operation makes it.
        TestPic two(w, h, bits, 2), twoOut(w, h, bits, 2);
        two.fillPattern(5);
        int size = 6;
        ASSERT_EQ(CLxPicBufAPI::LocalContrast(twoOut.p(), two.p(), size, 1.7, true), 0);
        for (uint32_t c = 0; c < 2; ++c) {
            TestPic one(w, h, bits, 1), oneOut(w, h, bits, 1);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    one.set(x, y, 0, two.get(x, y, c));
            int n = 6;
            ASSERT_EQ(CLxPicBufAPI::LocalContrast(oneOut.p(), one.p(), n, 1.7, true), 0);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    ASSERT_EQ(twoOut.get(x, y, c), oneOut.get(x, y, 0));
        }
        // A grey colour picture follows the grey picture of its intensity.
        TestPic grey(w, h, bits, 1), greyOut(w, h, bits, 1);
        grey.fillPattern(9);
        TestPic colour(w, h, bits, 3), colourOut(w, h, bits, 3);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                colour.setPixel(x, y, std::vector<uint32_t>(3, grey.get(x, y, 0)));
        int n = 6, m = 6;
        ASSERT_EQ(CLxPicBufAPI::LocalContrast(greyOut.p(), grey.p(), n, 2.5, false), 0);
        ASSERT_EQ(CLxPicBufAPI::LocalContrast(colourOut.p(), colour.p(), m, 2.5, false), 0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (uint32_t c = 0; c < 3; ++c)
                    ASSERT_NEAR(double(colourOut.get(x, y, c)), double(greyOut.get(x, y, 0)),
                                bits == 8 ? 1.0 : 2.0)
                        << x << "," << y << "," << c;
    }
}

TEST(LocalContrastOperation, RefusedInputLeavesTheDestinationAndTheSize)
{
    struct Case {
        const char* name;
        uint32_t width, height;
        Format dstFormat, srcFormat;
        int status;
    };
    const Case cases[] = {
        {"other bits", 10, 10, {8, 1}, {16, 1}, -9},
        {"other components", 10, 10, {8, 3}, {8, 1}, -9},
        {"smaller side 2", 2, 40, {8, 1}, {8, 1}, -9},
        {"smaller side 1", 40, 1, {8, 1}, {8, 1}, -9},
        {"17 bits", 10, 10, {17, 1}, {17, 1}, -2},
        {"7 bits: nothing to do", 10, 10, {7, 1}, {7, 1}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestPic src(k.width, k.height, k.srcFormat.bits, k.srcFormat.comps);
        src.fillPattern();
        TestPic dst(k.width, k.height, k.dstFormat.bits, k.dstFormat.comps);
        const auto before = dst.bytes();
        int size = 5;
        EXPECT_EQ(CLxPicBufAPI::LocalContrast(dst.p(), src.p(), size, 2.0, false), k.status);
        EXPECT_EQ(dst.bytes(), before);
        EXPECT_EQ(size, 5);
    }
    TestPic pic(5, 5, 8, 1);
    int size = 3;
    EXPECT_EQ(CLxPicBufAPI::LocalContrast(nullptr, pic.p(), size, 1.0, false), -9);
}

} // namespace

// Savitzky-Golay: the weights and their rounded tables, constants that stay
// themselves, ramps and their derivatives, the dispatcher's window sizes,
// the vector path against the plain loops, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gnr_picture/PicBufAPI/LxGolayFilter.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::kMarker;
using picbuftest::TestPic;

namespace
{

int32_t fixed(double w)
{
    return int32_t(std::round(w * 1024.0));
}

TEST(Golay, WeightsOfFivePoints)
{
    const int smooth[] = {-88, 351, 497, 351, -88};
    const int deriv[] = {-205, -102, 0, 102, 205};
    for (int i = -2; i <= 2; ++i) {
        EXPECT_EQ(fixed(lxpic::GolayWeight(i, 0, 2, 2, 0)), smooth[i + 2]) << i;
        EXPECT_EQ(fixed(lxpic::GolayWeight(i, 0, 2, 2, 1)), deriv[i + 2]) << i;
    }
    EXPECT_EQ(std::lround(255.0 * lxpic::GolayWeight(0, 0, 2, 2, 0) * 1024.0), 126830);
    EXPECT_DOUBLE_EQ(lxpic::GolayGenFact(7, 3), 210.0);
    EXPECT_DOUBLE_EQ(lxpic::GolayGenFact(7, 0), 1.0);
    EXPECT_DOUBLE_EQ(lxpic::GolayGramPoly(3, 2, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(lxpic::GolayWeight(0, 0, 2, -1, 0), 0.0);
    // Weights of every evaluation point sum to one (value) or zero (slope).
    for (int m : {1, 2, 5})
        for (int t = -m; t <= m; ++t) {
            double value = 0, slope = 0;
            for (int i = -m; i <= m; ++i) {
                value += lxpic::GolayWeight(i, t, m, 2, 0);
                slope += lxpic::GolayWeight(i, t, m, 2, 1);
            }
            EXPECT_NEAR(value, 1.0, 1e-12) << m << " " << t;
            EXPECT_NEAR(slope, 0.0, 1e-12) << m << " " << t;
        }
}

void fill(TestPic& p, uint32_t (*value)(uint32_t x, uint32_t y))
{
    for (uint32_t y = 0; y < p->uiHeight; ++y)
        for (uint32_t x = 0; x < p->uiWidth; ++x)
            for (uint32_t c = 0; c < p->uiComps; ++c)
                p.set(x, y, c, value(x, y));
}

TEST(Golay, ConstantsStayThemselvesEndsIncluded)
{
    struct Case {
        Format f;
        uint32_t value;
        int size;
    };
    const Case cases[] = {{{8, 1}, 200, 5},    {{8, 1}, 255, 5},  {{8, 3}, 100, 5},
                          {{8, 1}, 0, 9},      {{8, 2}, 255, 11}, {{12, 1}, 4095, 5},
                          {{16, 3}, 65535, 7}, {{10, 1}, 700, 3}};
    for (const Case& c : cases) {
        TestPic src(13, 12, c.f.bits, c.f.comps, 4), dst(13, 12, c.f.bits, c.f.comps, 4);
        for (uint32_t y = 0; y < 12; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                for (uint32_t k = 0; k < c.f.comps; ++k)
                    src.set(x, y, k, c.value);
        ASSERT_EQ(lxpic::golay_filter(dst.p(), src.p(), c.size, 0), 0);
        for (uint32_t y = 0; y < 12; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                for (uint32_t k = 0; k < c.f.comps; ++k)
                    ASSERT_EQ(dst.get(x, y, k), c.value) << c.f << " " << x << "," << y;
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST(Golay, RampsAndTheirDerivatives)
{
    TestPic horizontal(20, 9, 8, 1), vertical(9, 20, 8, 1);
    fill(horizontal, [](uint32_t x, uint32_t) { return 10 * x; });
    fill(vertical, [](uint32_t, uint32_t y) { return 10 * y; });
    struct Case {
        int mode;
        uint32_t alongX, alongY;
    };
    for (const Case c : {Case{1, 40, 0}, Case{2, 0, 40}, Case{3, 40, 40}}) {
        TestPic a(20, 9, 8, 1), b(9, 20, 8, 1);
        ASSERT_EQ(lxpic::golay_filter(a.p(), horizontal.p(), 5, c.mode), 0);
        ASSERT_EQ(lxpic::golay_filter(b.p(), vertical.p(), 5, c.mode), 0);
        // Interior exactly; the ends' fitted slopes within one (the
        // derivative is truncated).
        for (uint32_t y = 2; y < 7; ++y)
            for (uint32_t x = 0; x < 20; ++x) {
                const double slack = x < 2 || x >= 18 ? 1.0 : 0.0;
                ASSERT_NEAR(a.get(x, y, 0), c.alongX, slack) << c.mode << " " << x << "," << y;
                ASSERT_NEAR(b.get(y, x, 0), c.alongY, slack) << c.mode << " " << x << "," << y;
            }
    }
    // A ramp smooths to itself: a quadratic fit reproduces it, ends too.
    TestPic smooth(20, 9, 8, 1);
    ASSERT_EQ(lxpic::golay_filter(smooth.p(), horizontal.p(), 7, 0), 0);
    for (uint32_t x = 0; x < 20; ++x)
        EXPECT_EQ(smooth.get(x, 4, 0), 10 * x);
}

// The ends evaluate the polynomial through the first 2m + 1 samples: a
// parabola is reproduced there, where mirroring or clamping would not.
TEST(Golay, EndsComeFromTheFittedPolynomial)
{
    TestPic src(12, 5, 16, 1), dst(12, 5, 16, 1);
    fill(src, [](uint32_t x, uint32_t) { return 3000 - 40 * x * x + 500 * x; });
    ASSERT_EQ(lxpic::golay_filter(dst.p(), src.p(), 5, 0), 0);
    for (uint32_t x = 0; x < 12; ++x)
        EXPECT_NEAR(double(dst.get(x, 2, 0)), double(src.get(x, 2, 0)), 1.0) << x;
}

TEST(Golay, DispatcherWindowSizes)
{
    TestPic src(15, 11, 8, 1);
    src.fillPattern();
    // Size 3 in mode 0 smooths over five points.
    TestPic viaFilter(15, 11, 8, 1), viaWorker(15, 11, 8, 1);
    ASSERT_EQ(lxpic::golay_filter(viaFilter.p(), src.p(), 3, 0), 0);
    ASSERT_EQ(lxpic::golay_smooth_1x8(viaWorker->pData, src->pData, 15, 11, viaWorker->uiWidthBytes,
                                      1, 2, 2),
              0);
    EXPECT_EQ(viaFilter.bytes(), viaWorker.bytes());
    // Sizes up to 2 in the derivative modes write nothing.
    for (int mode : {1, 2, 3})
        for (int size : {-5, 0, 1, 2}) {
            TestPic dst(15, 11, 8, 1);
            const std::vector<uint8_t> before = dst.bytes();
            EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), size, mode), 0);
            EXPECT_EQ(dst.bytes(), before);
        }
}

// Modes 2 and 3 read columns the pass has written when the destination is
// the source; they work on a copy.
TEST(Golay, InPlaceEqualsSeparatePictures)
{
    for (Format f : {Format{8, 1}, Format{8, 3}, Format{12, 2}})
        for (int mode = 0; mode < 4; ++mode) {
            TestPic src(17, 13, f.bits, f.comps), dst(17, 13, f.bits, f.comps),
                same(17, 13, f.bits, f.comps);
            src.fillPattern(2);
            same.fillPattern(2);
            ASSERT_EQ(lxpic::golay_filter(dst.p(), src.p(), 7, mode), 0);
            ASSERT_EQ(lxpic::golay_filter(same.p(), same.p(), 7, mode), 0);
            EXPECT_EQ(same.bytes(), dst.bytes()) << f << " mode " << mode;
        }
}

// The vector path of the interior sums against the plain loop, over widths
// that end in every position of a vector, windows of 5 (a path of its own)
// and 9, into pictures with padding that must stay as it was.
TEST(Golay, VectorPathEqualsPlainLoops)
{
    for (Format f : {Format{8, 1}, Format{8, 3}, Format{12, 1}, Format{16, 3}})
        for (uint32_t width : {11u, 16u, 20u, 23u, 37u, 40u})
            for (int size : {5, 9})
                for (int mode = 0; mode < 4; ++mode) {
                    // 16-bit tables take a while to build: one width suffices.
                    if (f.bits == 16 && (width != 23 || size != 9))
                        continue;
                    TestPic src(width, 19, f.bits, f.comps, 4), vec(width, 19, f.bits, f.comps, 4),
                        plain(width, 19, f.bits, f.comps, 4);
                    src.fillPattern(width);
                    ASSERT_EQ(lxpic::golay_filter(vec.p(), src.p(), size, mode), 0);
                    lxpic::avx2PathsAllowed() = false;
                    const int status = lxpic::golay_filter(plain.p(), src.p(), size, mode);
                    lxpic::avx2PathsAllowed() = true;
                    ASSERT_EQ(status, 0);
                    EXPECT_EQ(vec.bytes(), plain.bytes())
                        << f << " w" << width << " size " << size << " mode " << mode;
                    EXPECT_TRUE(vec.paddingIntact()) << f << " w" << width << " size " << size;
                }
}

// Samples above the picture's bits count as its largest value and never
// reach past the tables.
TEST(Golay, SamplesAboveTheBitsAreHeld)
{
    TestPic src(16, 8, 10, 1), dst(16, 8, 10, 1), top(16, 8, 10, 1);
    fill(src, [](uint32_t x, uint32_t y) { return (x + y) % 2 ? 65535u : 1023u; });
    fill(top, [](uint32_t, uint32_t) { return 1023u; });
    ASSERT_EQ(lxpic::golay_filter(dst.p(), src.p(), 5, 0), 0);
    EXPECT_EQ(dst.bytes(), top.bytes());
}

TEST(Golay, BadInputWritesNothing)
{
    TestPic src(6, 12, 8, 1), dst(6, 12, 8, 1);
    src.fillPattern();
    const std::vector<uint8_t> before = dst.bytes();
    // Rows of 6 cannot hold a window of 7 (m = 3), columns of 12 can.
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 7, 0), -9);
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 7, 1), -9);
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 7, 3), -9);
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 5, 4), -2);
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 5, -1), -2);
    EXPECT_EQ(lxpic::golay_filter(dst.p(), nullptr, 5, 0), -9);
    EXPECT_EQ(lxpic::golay_smooth_1x8(dst->pData, src->pData, 6, 12, dst->uiWidthBytes, 1, 3, 2),
              -9);
    EXPECT_EQ(lxpic::golay_derivy_1x8(dst->pData, src->pData, 6, 12, dst->uiWidthBytes, 1, 6, 2),
              -9);
    EXPECT_EQ(lxpic::golay_derivx_1x8(dst->pData, src->pData, 6, 12, dst->uiWidthBytes, 1, 0, 2),
              0);
    EXPECT_EQ(lxpic::golay_derivx_1x8(dst->pData, src->pData, 6, 12, dst->uiWidthBytes, 1, 2, 5),
              -4);
    EXPECT_EQ(lxpic::golay_derivx_1x8(dst->pData, nullptr, 6, 12, dst->uiWidthBytes, 1, 2, 2), -4);
    EXPECT_EQ(lxpic::golay_derivx_16(dst->pData, src->pData, 3, 12, dst->uiWidthBytes, 8, 1, 1, 2),
              -4);
    EXPECT_EQ(dst.bytes(), before);
    TestPic other(6, 12, 8, 3), seven(6, 12, 7, 1), sevenDst(6, 12, 7, 1), deep(6, 12, 24, 1),
        deepDst(6, 12, 24, 1);
    EXPECT_EQ(lxpic::golay_filter(other.p(), src.p(), 5, 0), -9);
    EXPECT_EQ(lxpic::golay_filter(sevenDst.p(), seven.p(), 5, 0), -2);
    EXPECT_EQ(lxpic::golay_filter(deepDst.p(), deep.p(), 5, 0), -2);
    // Mode 2 filters columns only: rows of 6 are enough for m = 3.
    EXPECT_EQ(lxpic::golay_filter(dst.p(), src.p(), 7, 2), 0);
}

} // namespace

// Box smoothing and tailed local contrast: the box against the clipped mean,
// the contrast's worked examples and its envelopes against the exact local
// extremes, and the run scanners.
#include <gtest/gtest.h>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

using Box = int (*)(SLxPicBuf*, const SLxPicBuf*, int32_t);

// The mean of columns x - lead .. x + half - 1 and rows likewise, clipped.
uint32_t boxMean(const TestPic& p, int64_t x, int64_t y, int64_t n)
{
    const SLxPicBuf& r = p.rec();
    const int64_t half = n / 2, lead = n - half;
    uint64_t sum = 0, count = 0;
    for (int64_t yy = std::max<int64_t>(0, y - lead);
         yy <= std::min<int64_t>(r.uiHeight - 1, y + half - 1); ++yy)
        for (int64_t xx = std::max<int64_t>(0, x - lead);
             xx <= std::min<int64_t>(r.uiWidth - 1, x + half - 1); ++xx) {
            sum += p.get(uint32_t(xx), uint32_t(yy), 0);
            ++count;
        }
    return uint32_t(sum / count);
}

TEST(BoxSmoothing, EqualsTheClippedMean)
{
    struct Case {
        uint32_t bits, w, h;
        int32_t n;
    };
    for (const Case c : {Case{8, 1 + 1, 2, 2}, Case{8, 17, 9, 3}, Case{8, 31, 20, 15},
                         Case{16, 12, 13, 12}, Case{12, 7, 40, 7}, Case{16, 5, 5, 4}}) {
        const auto src = patterned(c.w, c.h, c.bits, 1, 8);
        const auto dst = blankLike(*src);
        ASSERT_EQ((c.bits == 8 ? smoothsquare_box_8 : smoothsquare_box_16)(dst->p(), src->p(), c.n),
                  0);
        for (uint32_t y = 0; y < c.h; ++y)
            for (uint32_t x = 0; x < c.w; ++x)
                ASSERT_EQ(dst->get(x, y, 0), boxMean(*src, x, y, c.n))
                    << c.bits << " n " << c.n << " at " << x << "," << y;
        EXPECT_TRUE(dst->paddingIntact());
    }
}

TEST(BoxSmoothing, WorkedExamplesAndRefusedSizes)
{
    TestPic flat(9, 6, 16, 1), out(9, 6, 16, 1);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            flat.set(x, y, 0, 65535);
    ASSERT_EQ(smoothsquare_box_16(out.p(), flat.p(), 5), 0);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            ASSERT_EQ(out.get(x, y, 0), 65535u);
    // The largest boxes of 32-bit sums: every sum just below 2^31.
    TestPic top(181, 183, 16, 1), topOut(181, 183, 16, 1);
    for (uint32_t y = 0; y < 183; ++y)
        for (uint32_t x = 0; x < 181; ++x)
            top.set(x, y, 0, 65535 - (x + y) % 2);
    ASSERT_EQ(smoothsquare_box_16(topOut.p(), top.p(), 181), 0);
    for (uint32_t y = 0; y < 183; y += 7)
        for (uint32_t x = 0; x < 181; x += 5)
            ASSERT_EQ(topOut.get(x, y, 0), boxMean(top, x, y, 181)) << x << "," << y;
    // 8-bit boxes on both sides of the count where the division leaves
    // float for double, over sums one below a multiple of the count.
    for (int32_t n : {127, 128, 130}) {
        TestPic bright(140, 133, 8, 1), brightOut(140, 133, 8, 1);
        for (uint32_t y = 0; y < 133; ++y)
            for (uint32_t x = 0; x < 140; ++x)
                bright.set(x, y, 0, 255 - (x == 70 && y == 66));
        ASSERT_EQ(smoothsquare_box_8(brightOut.p(), bright.p(), n), 0);
        // The rows whose boxes are whole lie about the middle.
        for (uint32_t y = 60; y < 73; ++y)
            for (uint32_t x = 0; x < 140; x += 4)
                ASSERT_EQ(brightOut.get(x, y, 0), boxMean(bright, x, y, n))
                    << "n " << n << " at " << x << "," << y;
    }
    // n = 2: (0, 0) keeps its own value.
    const auto src = patterned(4, 4, 8, 1, 3);
    const auto dst = blankLike(*src);
    ASSERT_EQ(smoothsquare_box_8(dst->p(), src->p(), 2), 0);
    EXPECT_EQ(dst->get(0, 0, 0), src->get(0, 0, 0));
    const auto before = dst->bytes();
    for (int32_t n : {1, 0, -3, 5})
        EXPECT_EQ(smoothsquare_box_8(dst->p(), src->p(), n), -9) << n;
    TestPic three(4, 4, 8, 3);
    EXPECT_EQ(smoothsquare_box_8(three.p(), three.p(), 2), -9);
    EXPECT_EQ(dst->bytes(), before);
}

TEST(LocalContrast, AmountOneIsTheIdentityAndZeroTheMiddle)
{
    for (uint32_t bits : {8u, 12u}) {
        const auto src = patterned(23, 18, bits, 1, 5);
        const auto dst = blankLike(*src);
        const auto worker = bits == 8 ? localcontrast_tailed_8 : localcontrast_tailed_16;
        for (bool smooth : {false, true}) {
            ASSERT_EQ(worker(dst->p(), src->p(), 6, 1.0, smooth), 0);
            for (uint32_t y = 0; y < 18; ++y)
                for (uint32_t x = 0; x < 23; ++x)
                    ASSERT_EQ(dst->get(x, y, 0), src->get(x, y, 0));
        }
        // Amount 0: the middle of the envelopes, which lie within the
        // picture's own range.
        ASSERT_EQ(worker(dst->p(), src->p(), 4, 0.0, false), 0);
        uint32_t lo = ~0u, hi = 0;
        for (uint32_t y = 0; y < 18; ++y)
            for (uint32_t x = 0; x < 23; ++x) {
                lo = std::min(lo, src->get(x, y, 0));
                hi = std::max(hi, src->get(x, y, 0));
            }
        for (uint32_t y = 0; y < 18; ++y)
            for (uint32_t x = 0; x < 23; ++x) {
                ASSERT_GE(dst->get(x, y, 0), lo);
                ASSERT_LE(dst->get(x, y, 0), hi);
            }
        EXPECT_TRUE(dst->paddingIntact());
    }
}

TEST(LocalContrast, ResultsClampToTheDepth)
{
    TestPic src(8, 8, 8, 1), dst(8, 8, 8, 1);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            src.set(x, y, 0, (x + y) % 2 ? 250 : 5);
    ASSERT_EQ(localcontrast_tailed_8(dst.p(), src.p(), 2, 3.0, false), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(dst.get(x, y, 0), (x + y) % 2 ? 255u : 0u) << x << "," << y;
    TestPic deep(8, 8, 10, 1), deepOut(8, 8, 10, 1);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            deep.set(x, y, 0, (x + y) % 2 ? 1000 : 20);
    ASSERT_EQ(localcontrast_tailed_16(deepOut.p(), deep.p(), 2, 4.0, false), 0);
    EXPECT_EQ(deepOut.get(1, 0, 0), 1023u);
    EXPECT_EQ(deepOut.get(0, 0, 0), 0u);
}

TEST(LocalContrast, EnvelopesFollowSmoothPictures)
{
    // On a smooth ramp the envelopes are close to the exact n x n extremes,
    // so amount 0 lands near their middle.
    const uint32_t w = 61, h = 47;
    const int32_t n = 8;
    TestPic src(w, h, 16, 1), dst(w, h, 16, 1);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            src.set(x, y, 0, 200 * x + 150 * y + (x * y) % 7);
    ASSERT_EQ(localcontrast_tailed_16(dst.p(), src.p(), n, 0.0, false), 0);
    double total = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t lo = ~0u, hi = 0;
            for (int64_t yy = int64_t(y) - n / 2; yy < int64_t(y) + n / 2; ++yy)
                for (int64_t xx = int64_t(x) - n / 2; xx < int64_t(x) + n / 2; ++xx) {
                    const uint32_t v = src.get(uint32_t(clampTo(xx, 0, w - 1)),
                                               uint32_t(clampTo(yy, 0, h - 1)), 0);
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            total += std::abs(double(dst.get(x, y, 0)) - (lo + hi) / 2);
        }
    EXPECT_LT(total / (w * h), 400.0); // within about one step of the ramp
}

TEST(LocalContrast, RefusedSizesWriteNothing)
{
    const auto src = patterned(6, 5, 8, 1);
    const auto dst = blankLike(*src);
    const auto before = dst->bytes();
    for (int32_t n : {0, 6, -2})
        EXPECT_EQ(localcontrast_tailed_8(dst->p(), src->p(), n, 1.5, false), -9);
    EXPECT_EQ(dst->bytes(), before);
    // Odd sizes (as the operation's limit may leave them) and the smallest
    // pictures work.
    EXPECT_EQ(localcontrast_tailed_8(dst->p(), src->p(), 5, 1.5, true), 0);
    TestPic one(1, 1, 8, 1), oneOut(1, 1, 8, 1);
    one.set(0, 0, 0, 77);
    EXPECT_EQ(localcontrast_tailed_8(oneOut.p(), one.p(), 1, 2.0, false), 0);
    EXPECT_EQ(oneOut.get(0, 0, 0), 77u);
}

TEST(RunScanners, MinimaMaximaAndEmptyRuns)
{
    const uint8_t a[] = {9, 3, 7, 200, 4};
    uint8_t pair[2] = {1, 1};
    row_minmax_8(1, 4, a, pair);
    EXPECT_EQ(pair[0], 3);
    EXPECT_EQ(pair[1], 200);
    row_minmax_8(3, 3, a, pair);
    EXPECT_EQ(pair[0], 255);
    EXPECT_EQ(pair[1], 0);
    uint8_t m = 0;
    row_min_8(2, 5, a, &m);
    EXPECT_EQ(m, 4);
    pair[0] = 42;
    row_max_8(0, 3, a, pair);
    EXPECT_EQ(pair[0], 42);
    EXPECT_EQ(pair[1], 9);
    const uint16_t b[] = {1000, 60000, 5};
    uint16_t p16[2];
    row_minmax_16(0, 3, b, p16);
    EXPECT_EQ(p16[0], 5);
    EXPECT_EQ(p16[1], 60000);
    row_minmax_16(2, 1, b, p16);
    EXPECT_EQ(p16[0], 65535);
    EXPECT_EQ(p16[1], 0);
    uint16_t m16 = 0;
    row_min_16(0, 2, b, &m16);
    EXPECT_EQ(m16, 1000);
    row_max_16(2, 3, b, p16);
    EXPECT_EQ(p16[1], 5);
}

} // namespace

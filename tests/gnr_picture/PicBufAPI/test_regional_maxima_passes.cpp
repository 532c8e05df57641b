// The reconstruction passes: the worked examples, the changed flags, and
// passes run to convergence against reconstruction by repeated 3 x 3
// dilation under the mask.
#include <gtest/gtest.h>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

const auto kForward = [] { return makeKernel(3, 3, 1, 1, {1, 1, 1, 1, 1, 0, 0, 0, 0}); };
const auto kBackward = [] { return makeKernel(3, 3, 1, 1, {0, 0, 0, 0, 1, 1, 1, 1, 1}); };

// Forward and backward passes until neither changes (at most `rounds`);
// returns the rounds run.
int reconstruct(TestPic& marker, const TestPic& mask, int rounds)
{
    const auto f = kForward(), b = kBackward();
    const bool eight = marker.rec().uiBpc == 8;
    for (int i = 1; i <= rounds; ++i) {
        const int a =
            eight ? RegionalMaximaStep1_8(marker.p(), const_cast<TestPic&>(mask).p(), f.get())
                  : RegionalMaximaStep1_16(marker.p(), const_cast<TestPic&>(mask).p(), f.get());
        const int c =
            eight ? RegionalMaximaPass_8(marker.p(), const_cast<TestPic&>(mask).p(), b.get())
                  : RegionalMaximaStep2_16(marker.p(), const_cast<TestPic&>(mask).p(), b.get());
        if (a == 0 && c == 0)
            return i;
    }
    return rounds;
}

// The same by definition: marker = min(dilate3x3(marker), mask) until stable.
void referenceReconstruct(std::vector<int64_t>& m, const std::vector<int64_t>& mask, int64_t w,
                          int64_t h)
{
    for (bool changed = true; changed;) {
        changed = false;
        std::vector<int64_t> next(m.size());
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x) {
                int64_t v = 0;
                for (int64_t dy = -1; dy <= 1; ++dy)
                    for (int64_t dx = -1; dx <= 1; ++dx)
                        v = std::max(
                            v,
                            m[size_t(clampTo(y + dy, 0, h - 1) * w + clampTo(x + dx, 0, w - 1))]);
                next[size_t(y * w + x)] = std::min(v, mask[size_t(y * w + x)]);
                changed |= next[size_t(y * w + x)] != m[size_t(y * w + x)];
            }
        m.swap(next);
    }
}

TEST(RegionalMaximaPasses, ConvergedPassesEqualReconstructionByDilation)
{
    for (const auto& [w, h, bits] : {std::tuple{23u, 17u, 8u}, std::tuple{9u, 31u, 12u},
                                     std::tuple{3u, 3u, 16u}, std::tuple{40u, 5u, 8u}}) {
        // A marker below a mask: the mask minus a pattern, clamped at 0.
        TestPic mask(w, h, bits, 1, 4), marker(w, h, bits, 1, 4);
        mask.fillPattern(1);
        std::vector<int64_t> ref(size_t(w) * h), maskValues(ref.size());
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t m = mask.get(x, y, 0) % 3 == 0 ? 0 : mask.get(x, y, 0);
                mask.set(x, y, 0, m);
                const uint32_t v = (x * 7 + y * 3) % 5 == 0 ? m : m / 3;
                marker.set(x, y, 0, v);
                ref[size_t(y) * w + x] = v;
                maskValues[size_t(y) * w + x] = m;
            }
        reconstruct(marker, mask, 1000);
        referenceReconstruct(ref, maskValues, w, h);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                ASSERT_EQ(marker.get(x, y, 0), ref[size_t(y) * w + x]) << w << " " << x << "," << y;
        EXPECT_TRUE(marker.paddingIntact());
    }
}

TEST(RegionalMaximaPasses, ConstantPictureChangesNothing)
{
    TestPic src(6, 5, 16, 2), dst(6, 5, 16, 2);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            src.setPixel(x, y, {900, 3});
            dst.setPixel(x, y, {900, 3});
        }
    EXPECT_EQ(reconstruct(dst, src, 11), 1);
}

TEST(RegionalMaximaPasses, ABrightPixelKeepsItsHeightAboveTheEroded)
{
    // Eroded by Square3 the peak is gone; reconstruction cannot rebuild it,
    // so source - result is the peak's height above the background.
    TestPic src(7, 7, 8, 1), dst(7, 7, 8, 1);
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            src.set(x, y, 0, 20);
            dst.set(x, y, 0, 20);
        }
    src.set(3, 2, 0, 120);
    reconstruct(dst, src, 11);
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            EXPECT_EQ(src.get(x, y, 0) - dst.get(x, y, 0), x == 3 && y == 2 ? 100u : 0u);
}

TEST(RegionalMaximaPasses, AZeroMaskClearsTheMarkerWithoutCountingIt)
{
    TestPic src(4, 4, 8, 1), dst(4, 4, 8, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            src.set(x, y, 0, 0);
            dst.set(x, y, 0, 50);
        }
    const auto f = kForward();
    EXPECT_EQ(RegionalMaximaStep1_8(dst.p(), src.p(), f.get()), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(dst.get(x, y, 0), 0u);
}

TEST(RegionalMaximaPasses, SmallPicturesAndBorderPixels)
{
    TestPic src(2, 5, 16, 1), dst(2, 5, 16, 1);
    src.fillPattern();
    const auto before = dst.bytes();
    const auto f = kForward(), b = kBackward();
    EXPECT_EQ(RegionalMaximaStep1_16(dst.p(), src.p(), f.get()), 0);
    EXPECT_EQ(RegionalMaximaStep2_16(dst.p(), src.p(), b.get()), 0);
    EXPECT_EQ(dst.bytes(), before);
    // One pixel by the forward rule: the largest of NW, N, NE, W, itself.
    TestPic mask(3, 3, 8, 1), m(3, 3, 8, 1);
    for (uint32_t i = 0; i < 9; ++i) {
        mask.set(i % 3, i / 3, 0, 200);
        m.set(i % 3, i / 3, 0, i * 10);
    }
    int changed = 0;
    RegionalMaximaBorderPixel_8(m.p(), mask.p(), 0, 2, &changed); // neighbours clamp onto row 0
    EXPECT_EQ(m.get(2, 0, 0), 20u);
    EXPECT_EQ(changed, 0);
    RegionalMaximaBorderPixelBack_8(m.p(), mask.p(), 0, 0, &changed);
    EXPECT_EQ(m.get(0, 0, 0), 40u); // itself, E, SW, S, SE: 0, 10, 30, 30, 40
    EXPECT_EQ(changed, 1);
    RegionalMaximaBorderPixel_16(dst.p(), src.p(), 0, 0, nullptr);
}

} // namespace

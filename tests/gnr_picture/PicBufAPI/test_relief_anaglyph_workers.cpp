// Relief (displaced copy and ratio combination) and anaglyph workers.
#include <gtest/gtest.h>

#include <cmath>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

TEST(ReliefWorkers, ShiftCopyRepeatsTheFirstCopiedRowAndColumn)
{
    for (uint32_t bits : {8u, 12u}) {
        const auto src = patterned(6, 5, bits, 2, 1);
        const auto dst = blankLike(*src);
        ASSERT_EQ((bits == 8 ? ReliefShiftCopy_8 : ReliefShiftCopy_16)(dst->p(), src->p(), 2, 1),
                  0);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 6; ++x) {
                const uint32_t sx = x < 2 ? 0 : x - 2, sy = y < 1 ? 0 : y - 1;
                ASSERT_EQ(dst->pixel(x, y), src->pixel(sx, sy)) << x << "," << y;
            }
        EXPECT_TRUE(dst->paddingIntact());
    }
}

TEST(ReliefWorkers, DisplacementsBeyondThePictureCopyNothing)
{
    const auto src = patterned(4, 3, 16, 1);
    const auto dst = blankLike(*src);
    const auto before = dst->bytes();
    for (auto [dx, dy] : {std::pair{4u, 0u}, std::pair{0u, 3u}, std::pair{uint32_t(-1), 1u}})
        ASSERT_EQ(ReliefShiftCopy_16(dst->p(), src->p(), dx, dy), 0);
    EXPECT_EQ(dst->bytes(), before);
}

// The ratio rule by hand: T = 65535 when b is 0 or a >= b, else a x 65535 / b;
// gain = mean(a) / (max x mean(T) / 65535); out = T x gain, scaled to max.
std::vector<uint32_t> reliefReference(const TestPic& a, const TestPic& b, uint32_t comps)
{
    const SLxPicBuf& r = a.rec();
    const double top = double((1u << r.uiBpc) - 1);
    const size_t n = size_t(r.uiWidth) * r.uiHeight;
    std::vector<uint32_t> out;
    std::vector<double> meanA(comps), meanT(comps);
    std::vector<uint32_t> t;
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            for (uint32_t c = 0; c < comps; ++c) {
                const uint32_t av = a.get(x, y, c), bv = b.get(x, y, c);
                t.push_back(bv == 0 || av >= bv ? 65535 : uint32_t(av * 65535.0 / bv));
                meanA[c] += av;
                meanT[c] += t.back();
            }
    for (uint32_t c = 0; c < comps; ++c) {
        meanA[c] /= double(n);
        meanT[c] /= double(n);
    }
    for (size_t i = 0; i < t.size(); ++i) {
        const uint32_t c = uint32_t(i % comps);
        const double k = meanT[c] != 0 ? meanA[c] / (top * meanT[c] / 65535.0) : meanA[c];
        const double v = t[i] * k;
        out.push_back(v >= 65535.0 ? uint32_t(top) : uint32_t(v * top / 65535.0));
    }
    return out;
}

TEST(ReliefWorkers, CombinationEqualsTheRatioRule)
{
    for (const auto& [bits, comps] :
         {std::pair{8u, 1u}, std::pair{8u, 3u}, std::pair{16u, 2u}, std::pair{12u, 1u}}) {
        const auto src = patterned(9, 7, bits, comps, 2);
        src->set(0, 0, 0, 0); // a zero source sample gives T = 65535
        const auto shifted = blankLike(*src);
        const auto out = blankLike(*src);
        const bool eight = bits == 8;
        ASSERT_EQ((eight ? ReliefShiftCopy_8 : ReliefShiftCopy_16)(shifted->p(), src->p(), 1, 2),
                  0);
        ASSERT_EQ((eight ? ReliefCombine_8 : ReliefCombine_16)(out->p(), shifted->p(), src->p()),
                  0);
        const auto want = reliefReference(*shifted, *src, comps);
        size_t i = 0;
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 9; ++x)
                for (uint32_t c = 0; c < comps; ++c)
                    ASSERT_EQ(out->get(x, y, c), want[i++]) << bits << " " << x << "," << y;
    }
}

TEST(ReliefWorkers, TheRatioIsFullWhereTheSourceIsNotAbove)
{
    // A >= B everywhere: T = 65535, mean T 65535, gain mean(A) / max; every
    // output is trunc(mean(A)) scaled by max / 65535 after x 65535: mean(A).
    TestPic a(3, 2, 8, 1), b(3, 2, 8, 1), out(3, 2, 8, 1);
    const uint32_t av[6] = {10, 20, 30, 40, 50, 60}, bv[6] = {0, 20, 5, 40, 1, 0};
    for (uint32_t i = 0; i < 6; ++i) {
        a.set(i % 3, i / 3, 0, av[i]);
        b.set(i % 3, i / 3, 0, bv[i]);
    }
    ASSERT_EQ(ReliefCombine_8(out.p(), a.p(), b.p()), 0);
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(out.get(i % 3, i / 3, 0), 35u);
    TestPic other(3, 2, 16, 1);
    const auto before = out.bytes();
    EXPECT_EQ(ReliefCombine_8(out.p(), a.p(), other.p()), -9);
    EXPECT_EQ(out.bytes(), before);
    double means[1] = {};
    ReliefComponentMeans(a.p(), means);
    EXPECT_DOUBLE_EQ(means[0], 35.0);
    ReliefComponentMeans(nullptr, means);
}

// The anaglyph by its rule, on any depth.
std::vector<uint32_t> anaglyphReference(const TestPic& src, const TestPic& depth, int levels,
                                        bool averaging, bool forward, bool anchor,
                                        uint32_t leftMask, uint32_t rightMask, int maxShift)
{
    const SLxPicBuf& r = src.rec();
    const int64_t w = r.uiWidth, h = r.uiHeight;
    std::vector<uint32_t> out(size_t(w * h * 3));
    int64_t step = std::max(maxShift / levels, 1);
    if (!forward)
        step = -step;
    const int64_t base = anchor == forward ? levels - 1 : 0;
    averaging = averaging || r.uiComps != 3;
    for (int i = 0; i < levels; ++i) {
        const int64_t level = forward ? i : levels - 1 - i;
        const int64_t shift = (level - base) * step;
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x) {
                const uint32_t d = depth.get(uint32_t(x), uint32_t(y), 0);
                if (forward ? d < level : d > level)
                    continue;
                uint32_t col[3];
                if (r.uiComps < 3) {
                    col[0] = col[1] = col[2] = src.get(uint32_t(x), uint32_t(y), 0);
                } else if (averaging) {
                    uint32_t sum = 0;
                    for (uint32_t c = 0; c < r.uiComps; ++c)
                        sum += src.get(uint32_t(x), uint32_t(y), c);
                    col[0] = col[1] = col[2] = sum / r.uiComps;
                } else {
                    for (uint32_t c = 0; c < 3; ++c)
                        col[c] = src.get(uint32_t(x), uint32_t(y), c);
                }
                for (int c = 0; c < 3; ++c) {
                    const int sh = 16 - 8 * c;
                    if ((leftMask >> sh & 0xFF) && x + shift >= 0 && x + shift < w)
                        out[size_t((y * w + x + shift) * 3 + c)] = col[c];
                    if ((rightMask >> sh & 0xFF) && x - shift >= 0 && x - shift < w)
                        out[size_t((y * w + x - shift) * 3 + c)] = col[c];
                }
            }
    }
    return out;
}

TEST(AnaglyphWorkers, BothDepthsFollowTheRule)
{
    struct Case {
        uint32_t bits, comps;
        int levels;
        bool averaging, forward, anchor;
        int maxShift;
    };
    for (const Case c :
         {Case{8, 3, 4, false, true, false, 9}, Case{8, 1, 3, false, false, false, 4},
          Case{16, 3, 5, true, false, true, 12}, Case{12, 4, 2, false, true, true, 1},
          Case{16, 2, 7, false, true, false, 3}}) {
        const auto src = patterned(13, 4, c.bits, c.comps, 6);
        TestPic depth(13, 4, 8, 1, 4), dst(13, 4, c.bits, 3, 4);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                depth.set(x, y, 0, (x * 3 + y) % 9);
        const uint32_t left = 0xFF0000, right = 0x00FFFF;
        ASSERT_EQ((c.bits == 8 ? CreateAnaglyphKernel_8 : CreateAnaglyphKernel)(
                      dst.p(), src->p(), depth.p(), c.levels, c.averaging, c.forward, c.anchor,
                      left, right, c.maxShift),
                  0);
        const auto want = anaglyphReference(*src, depth, c.levels, c.averaging, c.forward, c.anchor,
                                            left, right, c.maxShift);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                for (uint32_t k = 0; k < 3; ++k)
                    ASSERT_EQ(dst.get(x, y, k), want[(y * 13 + x) * 3 + k])
                        << c.bits << " " << x << "," << y << "," << k;
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST(AnaglyphWorkers, AllZeroDepthAndRefusedLevels)
{
    const auto src = patterned(6, 2, 8, 1, 1);
    TestPic depth(6, 2, 8, 1), dst(6, 2, 8, 3);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            depth.set(x, y, 0, 0);
    // Forward, anchor at 0: only level 0, unshifted, in both views.
    ASSERT_EQ(CreateAnaglyphKernel_8(dst.p(), src->p(), depth.p(), 3, false, true, false, 0xFF0000,
                                     0x0000FF, 6),
              0);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(dst.pixel(x, y),
                      (std::vector<uint32_t>{src->get(x, y, 0), 0, src->get(x, y, 0)}));
    const auto before = dst.bytes();
    for (int levels : {0, -2})
        EXPECT_EQ(CreateAnaglyphKernel_8(dst.p(), src->p(), depth.p(), levels, false, true, false,
                                         0xFF0000, 0xFF, 6),
                  -9);
    EXPECT_EQ(dst.bytes(), before);
}

} // namespace

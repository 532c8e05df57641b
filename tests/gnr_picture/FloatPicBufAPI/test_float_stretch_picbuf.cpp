// Resampling float pictures through the float stretch kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"

namespace
{

struct Pic : SLxFloatPicBuf {
    Pic(uint32_t w, uint32_t h, uint32_t comps)
    {
        CLxFloatPicBufAPI::Init(this);
        EXPECT_EQ(CLxFloatPicBufAPI::Reinit(this, w, h, 0, comps, true), 0);
    }
    ~Pic() { CLxFloatPicBufAPI::Free(this); }
    size_t count() const { return size_t(uiWidth) * uiHeight * uiComps; }
};

} // namespace

TEST(FloatPicBufStretch, ConstantsStayConstantInEveryMode)
{
    struct Size {
        uint32_t sw, sh, dw, dh;
    } sizes[] = {{10, 8, 20, 16}, {20, 16, 7, 5}, {9, 9, 9, 9}};
    for (uint32_t comps : {1u, 2u, 3u})
        for (auto mode : {CLxPicMemAPI::eLxStretchNearest, CLxPicMemAPI::eLxStretchBSpline,
                          CLxPicMemAPI::eLxStretchTriangle})
            for (const Size& s : sizes) {
                Pic src(s.sw, s.sh, comps), dst(s.dw, s.dh, comps);
                for (size_t i = 0; i < src.count(); ++i)
                    src.pData[i] = float(10 + i % comps);
                ASSERT_EQ(CLxFloatPicBufAPI::Stretch(&dst, &src, mode), 0);
                for (size_t i = 0; i < dst.count(); ++i)
                    // 16.16 weights normalised by truncation lose a little.
                    ASSERT_NEAR(dst.pData[i], float(10 + i % comps), 5e-3)
                        << "mode " << mode << " comps " << comps << " index " << i;
            }
}

TEST(FloatPicBufStretch, EnlargedRampStaysInRangeAndOrder)
{
    Pic src(8, 4, 1), dst(16, 8, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            src.pData[y * 8 + x] = float(x * 10);
    ASSERT_EQ(CLxFloatPicBufAPI::Stretch(&dst, &src, CLxPicMemAPI::eLxStretchTriangle), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 1; x < 16; ++x) {
            ASSERT_GE(dst.pData[y * 16 + x], dst.pData[y * 16 + x - 1] - 1e-4f);
            ASSERT_LE(dst.pData[y * 16 + x], 70.0f + 1e-4f);
        }
    Pic other(16, 8, 3);
    AssertCapture asserts;
    EXPECT_EQ(CLxFloatPicBufAPI::Stretch(&other, &src, CLxPicMemAPI::eLxStretchTriangle), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxFloatPicBufAPI::Stretch, sour and dest must have the same format"),
        1);
}

// The one-sweep resampling must give exactly what the two kernels give
// through a whole intermediate plane: sizes up and down, blocks inside the
// plane with margins above and below, every component count, and samples
// that hold infinities and NaN (a padded tap must never reach a sum).
TEST(FloatPicBufStretch, OneSweepEqualsTheTwoKernelPasses)
{
    std::mt19937 gen(34);
    std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
    struct Case {
        uint32_t srcW, srcH, x, y, w, h, dstW, dstH;
    } cases[] = {{64, 40, 0, 0, 64, 40, 128, 80}, {61, 37, 5, 7, 50, 20, 113, 59},
                 {90, 70, 3, 11, 80, 50, 17, 9},  {33, 33, 0, 0, 33, 33, 100, 7},
                 {40, 30, 39, 29, 1, 1, 5, 4},    {200, 12, 10, 2, 170, 8, 23, 31}};
    for (uint32_t comps : {1u, 2u, 3u, 4u})
        for (auto mode : {CLxPicMemAPI::eLxStretchBSpline, CLxPicMemAPI::eLxStretchTriangle})
            for (const Case& c : cases)
                for (bool special : {false, true}) {
                    std::vector<float> src(size_t(c.srcW) * c.srcH * comps);
                    for (float& v : src)
                        v = dist(gen);
                    if (special)
                        for (size_t i = 0; i < src.size(); i += 97)
                            src[i] = i % 2 ? std::numeric_limits<float>::infinity()
                                           : std::numeric_limits<float>::quiet_NaN();
                    const uint32_t srcWB = c.srcW * comps * 4, dstWB = c.dstW * comps * 4;
                    // The two passes as the kernels make them.
                    const LxFloatWeightFn f = mode == CLxPicMemAPI::eLxStretchBSpline
                                                  ? filter_quadratic_bspline
                                                  : filter_triangle;
                    const uint32_t radius = mode == CLxPicMemAPI::eLxStretchBSpline ? 3 : 2;
                    const uint32_t margin =
                        c.dstW < c.w ? uint32_t(std::ceil(double(radius) * c.w / c.dstW)) : radius;
                    const uint32_t above = std::min(margin, c.y);
                    const uint32_t below = std::min(margin, c.srcH - c.y - c.h);
                    const uint32_t lines = above + c.h + below;
                    const uint32_t tmpWB = c.dstW * comps * 4;
                    std::vector<float> tmp(size_t(c.dstW) * comps * lines);
                    std::vector<float> want(size_t(c.dstW) * c.dstH * comps);
                    const float* first = src.data() + (size_t(c.y - above) * c.srcW + c.x) * comps;
                    ASSERT_EQ(stretch_filter_horz_Nxfloat(tmp.data(), comps, tmpWB, c.dstW, lines,
                                                          first, srcWB, c.srcH, c.x, c.y, c.w,
                                                          lines, f, radius),
                              0);
                    ASSERT_EQ(
                        stretch_filter_vert_Nxfloat(want.data(), comps, dstWB, c.dstW, c.dstH,
                                                    tmp.data() + size_t(above) * c.dstW * comps,
                                                    tmpWB, lines, 0, above, c.dstW, c.h, f, radius),
                        0);
                    const bool was = lxpic::avx2PathsAllowed();
                    for (bool avx2 : {false, true}) {
                        lxpic::avx2PathsAllowed() = avx2;
                        std::vector<float> got(want.size(), -1.0f);
                        ASSERT_EQ(CLxFloatPicMemAPI::Stretch(got.data(), comps, dstWB, c.dstW,
                                                             c.dstH, src.data(), srcWB, c.srcH, c.x,
                                                             c.y, c.w, c.h, mode),
                                  0);
                        // Bit for bit; a NaN's sign follows the order in
                        // which the compiler puts an addition's operands.
                        for (size_t i = 0; i < want.size(); ++i)
                            ASSERT_TRUE(std::isnan(want[i])
                                            ? std::isnan(got[i])
                                            : std::memcmp(&got[i], &want[i], 4) == 0)
                                << "comps " << comps << " mode " << mode << " case " << (&c - cases)
                                << " special " << special << " avx2 " << avx2 << " at " << i << ": "
                                << got[i] << " vs " << want[i];
                    }
                    lxpic::avx2PathsAllowed() = was;
                }
}

TEST(FloatPicBufStretch, BlockRightOfTheLinesIsRefused)
{
    std::vector<float> src(4 * 3, 1.0f), dst(8 * 6, -1.0f);
    for (auto mode : {CLxPicMemAPI::eLxStretchNearest, CLxPicMemAPI::eLxStretchTriangle})
        EXPECT_EQ(CLxFloatPicMemAPI::Stretch(dst.data(), 1, 32, 8, 6, src.data(), 16, 3, 4, 0, 2, 3,
                                             mode),
                  -4);
    EXPECT_EQ(dst[0], -1.0f);
}

// Float resampling and padding kernels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"

namespace
{

std::vector<float> ramp(size_t n)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = float(i);
    return v;
}

TEST(FloatStretchNearest, CopiesEnlargesAndHalves)
{
    // 4 x 4 one component, value 10 y + x.
    std::vector<float> src(16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src[y * 4 + x] = float(10 * y + x);
    std::vector<float> same(16);
    EXPECT_EQ(0, stretch_nn_1xfloat(same.data(), 1, 16, 4, 4, src.data(), 16, 4, 0, 0, 4, 4));
    EXPECT_EQ(src, same);

    std::vector<float> half(4);
    EXPECT_EQ(0, stretch_nn_Nxfloat(half.data(), 1, 8, 2, 2, src.data(), 16, 4, 0, 0, 4, 4));
    EXPECT_EQ((std::vector<float>{0, 2, 20, 22}), half);

    // The 2 x 2 region at (1, 1) to 4 x 4: every pixel twice each way.
    std::vector<float> big(16);
    EXPECT_EQ(0, stretch_nn_Nxfloat(big.data(), 1, 16, 4, 4, src.data() + 5, 16, 4, 1, 1, 2, 2));
    EXPECT_EQ((std::vector<float>{11, 11, 12, 12, 11, 11, 12, 12, 21, 21, 22, 22, 21, 21, 22, 22}),
              big);
}

TEST(FloatStretchNearest, MembersAgreeAcrossComponentCounts)
{
    for (uint32_t comps : {1u, 3u, 5u}) {
        const std::vector<float> src = ramp(7 * 5 * comps);
        std::vector<float> a(3 * 11 * comps, -1), b(3 * 11 * comps, -1);
        auto member = comps == 1   ? stretch_nn_1xfloat
                      : comps == 3 ? stretch_nn_3xfloat
                                   : stretch_nn_Nxfloat;
        EXPECT_EQ(0, member(a.data(), comps, 3 * comps * 4, 3, 11, src.data(), 7 * comps * 4, 5, 0,
                            0, 7, 5));
        EXPECT_EQ(0, stretch_nn_Nxfloat(b.data(), comps, 3 * comps * 4, 3, 11, src.data(),
                                        7 * comps * 4, 5, 0, 0, 7, 5));
        EXPECT_EQ(a, b) << comps;
    }
}

TEST(FloatStretchNearest, ReadsStayInsideThePicture)
{
    // A region reaching past the picture's right and bottom edges.
    const std::vector<float> src = ramp(9);
    std::vector<float> dst(16, -1);
    EXPECT_EQ(0, stretch_nn_1xfloat(dst.data(), 1, 16, 4, 4, src.data() + 4, 12, 3, 1, 1, 4, 4));
    for (float v : dst)
        EXPECT_TRUE(v == 4 || v == 5 || v == 7 || v == 8) << v;
}

TEST(FloatStretchFilter, TriangleEnlargesALine)
{
    const float src[2] = {10, 20};
    float tmp[4] = {};
    EXPECT_EQ(0, stretch_filter_horz_1xfloat(tmp, 1, 16, 4, 1, src, 8, 1, 0, 0, 2, 1,
                                             filter_triangle, 2));
    const float expected[4] = {10, 12.5f, 17.5f, 20};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(expected[i], tmp[i], 20.0 * 2 / 65536) << i;
}

TEST(FloatStretchFilter, BsplineWeights)
{
    EXPECT_EQ(0.75, filter_quadratic_bspline(0.0));
    EXPECT_EQ(0.125, filter_quadratic_bspline(1.0));
    EXPECT_EQ(0.125, filter_quadratic_bspline(-1.0));
    EXPECT_EQ(0.0, filter_quadratic_bspline(1.5));
    EXPECT_EQ(0.5, filter_quadratic_bspline(0.5));
}

// Both passes over a whole picture, the temporary buffer holding all lines.
std::vector<float> stretchTwoPass(const std::vector<float>& src, uint32_t comps, uint32_t w,
                                  uint32_t h, uint32_t dw, uint32_t dh, LxFloatWeightFn f,
                                  uint32_t support)
{
    std::vector<float> tmp(size_t(dw) * comps * h), dst(size_t(dw) * comps * dh);
    EXPECT_EQ(0, stretch_filter_horz_Nxfloat(tmp.data(), comps, dw * comps * 4, dw, h, src.data(),
                                             w * comps * 4, h, 0, 0, w, h, f, support));
    EXPECT_EQ(0, stretch_filter_vert_Nxfloat(dst.data(), comps, dw * comps * 4, dw, dh, tmp.data(),
                                             dw * comps * 4, h, 0, 0, dw, h, f, support));
    return dst;
}

struct Shape {
    uint32_t w, h, dw, dh;
};

TEST(FloatStretchFilter, ConstantsStayConstant)
{
    const Shape shapes[] = {{16, 16, 4, 4}, {5, 7, 13, 3}, {100, 3, 7, 20},
                            {9, 9, 9, 9},   {1, 1, 5, 5},  {64, 2, 3, 1}};
    for (const Shape& s : shapes)
        for (uint32_t comps : {1u, 3u, 4u})
            for (auto [f, support] : {std::pair<LxFloatWeightFn, uint32_t>{filter_triangle, 2},
                                      {filter_quadratic_bspline, 3}}) {
                const std::vector<float> src(size_t(s.w) * s.h * comps, 1000.0f);
                const auto dst = stretchTwoPass(src, comps, s.w, s.h, s.dw, s.dh, f, support);
                const uint32_t pairs = uint32_t(2 * std::ceil(support * double(s.w) / s.dw)) + 8;
                for (float v : dst) {
                    EXPECT_LE(v, 1000.0f * (1.0f + 1e-6f));
                    EXPECT_GE(v, 1000.0f * (1.0f - 2.0f * pairs / 65536.0f))
                        << s.w << "x" << s.h << " to " << s.dw << "x" << s.dh;
                }
            }
}

TEST(FloatStretchFilter, MirrorSymmetryKeptUnderShrinks)
{
    const uint32_t w = 24, h = 10;
    std::vector<float> src(w * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            src[y * w + x] = float(std::abs(int(x) * 2 - int(w - 1)) * (y + 1));
    for (uint32_t dw : {12u, 8u, 6u, 5u, 3u})
        for (auto [f, support] : {std::pair<LxFloatWeightFn, uint32_t>{filter_triangle, 2},
                                  {filter_quadratic_bspline, 3}}) {
            const auto dst = stretchTwoPass(src, 1, w, h, dw, 5, f, support);
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < dw / 2; ++x)
                    EXPECT_NEAR(dst[y * dw + x], dst[y * dw + dw - 1 - x],
                                1e-4f * std::fabs(dst[y * dw + x]))
                        << dw << " " << x;
        }
}

TEST(FloatStretchFilter, MembersAgree)
{
    for (uint32_t comps : {1u, 3u}) {
        const std::vector<float> src = ramp(9 * 6 * comps);
        std::vector<float> a(4 * 6 * comps), b(4 * 6 * comps);
        auto horz = comps == 1 ? stretch_filter_horz_1xfloat : stretch_filter_horz_3xfloat;
        horz(a.data(), comps, 4 * comps * 4, 4, 6, src.data(), 9 * comps * 4, 6, 0, 0, 9, 6,
             filter_quadratic_bspline, 3);
        stretch_filter_horz_Nxfloat(b.data(), comps, 4 * comps * 4, 4, 6, src.data(), 9 * comps * 4,
                                    6, 0, 0, 9, 6, filter_quadratic_bspline, 3);
        EXPECT_EQ(a, b);
        std::vector<float> c(4 * 2 * comps), d(4 * 2 * comps);
        auto vert = comps == 1 ? stretch_filter_vert_1xfloat : stretch_filter_vert_3xfloat;
        vert(c.data(), comps, 4 * comps * 4, 4, 2, a.data(), 4 * comps * 4, 6, 0, 0, 4, 6,
             filter_triangle, 2);
        stretch_filter_vert_Nxfloat(d.data(), comps, 4 * comps * 4, 4, 2, a.data(), 4 * comps * 4,
                                    6, 0, 0, 4, 6, filter_triangle, 2);
        EXPECT_EQ(c, d);
    }
}

// The line pass with the AVX2 loop and with the plain loop alone, bit for
// bit: lines long enough for the vector run, a window with clamped taps at
// both ends, and samples holding -0, infinities and NaN.
TEST(FloatStretchFilter, VectorAndPlainLinePassesAgreeBitForBit)
{
    struct Case {
        uint32_t lineW, x0, regionW, dstW;
    } cases[] = {{300, 0, 300, 600}, {301, 0, 301, 77}, {260, 9, 240, 487}, {64, 3, 61, 61}};
    for (const Case& c : cases)
        for (bool bspline : {false, true}) {
            std::vector<float> src(size_t(c.lineW) * 3);
            for (size_t i = 0; i < src.size(); ++i)
                src[i] = float((i * 7919) % 1013) - 500.0f;
            src[5] = -0.0f;
            src[c.lineW + 40] = std::numeric_limits<float>::infinity();
            src[src.size() - 7] = std::numeric_limits<float>::quiet_NaN();
            std::vector<float> paths[2];
            for (int plain = 0; plain < 2; ++plain) {
                lxpic::avx2PathsAllowed() = plain == 0;
                paths[plain].assign(size_t(c.dstW) * 3, -1.0f);
                EXPECT_EQ(0, stretch_filter_horz_1xfloat(
                                 paths[plain].data(), 1, c.dstW * 4, c.dstW, 3, src.data() + c.x0,
                                 c.lineW * 4, 3, c.x0, 0, c.regionW, 3,
                                 bspline ? filter_quadratic_bspline : filter_triangle,
                                 bspline ? 3 : 2));
            }
            lxpic::avx2PathsAllowed() = true;
            EXPECT_EQ(0, std::memcmp(paths[0].data(), paths[1].data(), paths[0].size() * 4))
                << c.lineW << " to " << c.dstW << (bspline ? " B-spline" : " triangle");
        }
}

TEST(FloatPadding, CutCopyAndTile)
{
    const std::vector<float> src = ramp(12); // 4 x 3, one component
    std::vector<float> whole(12);
    EXPECT_EQ(0, cutimage_float(whole.data(), 4, 3, src.data(), 4, 3, 0, 0, 1));
    EXPECT_EQ(src, whole);

    std::vector<float> cut(4);
    EXPECT_EQ(0, cutimage_float(cut.data(), 2, 2, src.data(), 4, 3, 1, 1, 1));
    EXPECT_EQ((std::vector<float>{5, 6, 9, 10}), cut);

    std::vector<float> canvas(6 * 5, -1);
    EXPECT_EQ(0, copyrect_float(canvas.data(), 6, 5, src.data(), 4, 3, 1, 2, 1));
    EXPECT_EQ(0.0f, canvas[2 * 6 + 1]);
    EXPECT_EQ(11.0f, canvas[4 * 6 + 4]);
    EXPECT_EQ(-1.0f, canvas[4 * 6 + 5]);

    std::vector<float> tiled(8, -1);
    EXPECT_EQ(0, tilepad_float(tiled.data(), 4, 2, src.data(), 4, 3, 2, 0, 0, 1, 2, 2, 1));
    EXPECT_EQ((std::vector<float>{-1, -1, 4, 5, -1, -1, 8, 9}), tiled);
}

} // namespace

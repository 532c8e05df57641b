// The general rotation: whole turns as shifts, the bilinear kernels against
// a plain transcription over the row spans, coverage of the rotated
// rectangle, the edge tracer, and bad input leaving the destination alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::kMarker;
using picbuftest::TestPic;

namespace
{

double round4(double w)
{
    return std::floor((w + 0.00005) * 10000.0) * 0.0001;
}

double round5(double w)
{
    return std::floor((w + 0.000005) * 100000.0) * 0.00001;
}

TEST(RotateGeneralLin, WholeTurnsShiftByTheIntegerParts)
{
    for (double degrees : {360.0, -720.0, 0.0})
        for (Format f : {Format{8, 1}, Format{12, 3}}) {
            TestPic src(9, 7, f.bits, f.comps);
            src.fillPattern();
            TestPic dst(15, 6, f.bits, f.comps, 4);
            ASSERT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{13.2, 0.3},
                                           SLxDPoint{2.5, 3.5}, degrees),
                      0);
            for (uint32_t y = 0; y < 6; ++y)
                for (uint32_t x = 0; x < 15; ++x) {
                    const bool inside = x >= 10 && y + 3 < 7;
                    for (uint32_t c = 0; c < f.comps; ++c) {
                        if (inside) {
                            ASSERT_EQ(dst.get(x, y, c), src.get(x - 10, y + 3, c));
                        } else {
                            ASSERT_EQ(*dst.at(x, y, c), kMarker) << x << "," << y;
                        }
                    }
                }
            EXPECT_TRUE(dst.paddingIntact());
        }
}

// What the kernels must write: the transcription of the mapping with the
// row starts of the returned spans, the rounded steps, and the weights 4096
// - f and f; -1 where the pixel stays as it was.
int64_t expectedSample(const TestPic& src, const lxpic::RotationTransform& t, int64_t x0, int64_t x,
                       int64_t y, uint32_t c, bool* nearEdge, bool* rim = nullptr)
{
    const double px = t.sx + t.cx, py = t.sy + t.cy;
    const double u0 = round4(t.m00 * (x0 - px) - t.m10 * (y - py) + t.cx);
    const double v0 = round4(-t.m01 * (x0 - px) + t.m11 * (y - py) + t.cy);
    const double u = u0 + double(x - x0) * round5(t.m00);
    const double v = v0 + double(x - x0) * round5(-t.m01);
    const double W = src.rec().uiWidth, H = src.rec().uiHeight;
    const double eps = 1e-6;
    *nearEdge = std::fabs(u) < eps || std::fabs(v) < eps || std::fabs(u - W) < eps ||
                std::fabs(v - H) < eps || std::fabs(u * 4096 - std::nearbyint(u * 4096)) < 1e-3 ||
                std::fabs(v * 4096 - std::nearbyint(v * 4096)) < 1e-3;
    // The covered rectangle rounds the rotated source outline to whole
    // pixels: its rim may leave out pixels whose position lies within a
    // pixel of the source's border.
    if (rim)
        *rim = u < 1 || v < 1 || u >= W - 1 || v >= H - 1;
    if (!(u >= 0 && u < W && v >= 0 && v < H))
        return -1;
    const uint32_t ix = uint32_t(u), iy = uint32_t(v);
    const uint32_t fx = uint32_t((u - ix) * 4096), fy = uint32_t((v - iy) * 4096);
    const uint32_t jx = ix + 1 < W ? ix + 1 : ix, jy = iy + 1 < H ? iy + 1 : iy;
    const uint64_t a = src.get(ix, iy, c), b = src.get(jx, iy, c), cc = src.get(ix, jy, c),
                   d = src.get(jx, jy, c);
    if (src.rec().uiBpc == 8)
        return int64_t(
            ((a * (4096 - fx) + b * fx) * (4096 - fy) + (cc * (4096 - fx) + d * fx) * fy) >> 24);
    const uint64_t top = (a * (4096 - fx) + b * fx) >> 12, low = (cc * (4096 - fx) + d * fx) >> 12;
    return int64_t((top * (4096 - fy) + low * fy) >> 12);
}

struct AngleCase {
    double degrees;
    Format format;
};

class RotateGeneralAngles : public ::testing::TestWithParam<AngleCase>
{
};

TEST_P(RotateGeneralAngles, EqualsTheTranscriptionAndCoversTheRectangle)
{
    const AngleCase p = GetParam();
    TestPic src(23, 17, p.format.bits, p.format.comps);
    src.fillPattern(5);
    TestPic dst(40, 36, p.format.bits, p.format.comps, 4);
    const SLxDPoint to{19.3, 17.6}, from{11.25, 8.5};
    std::vector<SLxIPoint> left, right;
    ASSERT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), to, from, p.degrees, &left, &right), 0);
    ASSERT_EQ(left.size(), right.size());
    ASSERT_FALSE(left.empty());
    lxpic::RotationTransform t;
    lxpic::RotationTransform_Init(&t);
    ASSERT_EQ(lxpic::RotationTransform_SetAngle(&t, p.degrees * -0.017453292519943334), 0);
    ASSERT_EQ(lxpic::RotationTransform_SetCenter(&t, from.x, from.y), 0);
    ASSERT_EQ(lxpic::RotationTransform_SetShift(&t, to.x - from.x, to.y - from.y), 0);
    std::vector<int> rowOf(36, -1);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_EQ(left[i].y, right[i].y);
        if (i > 0) {
            ASSERT_EQ(left[i].y, left[i - 1].y + 1);
        }
        rowOf[size_t(left[i].y)] = int(i);
    }
    size_t written = 0;
    for (int64_t y = 0; y < 36; ++y)
        for (int64_t x = 0; x < 40; ++x) {
            const int i = rowOf[size_t(y)];
            const bool listed = i >= 0 && x >= left[size_t(i)].x && x <= right[size_t(i)].x;
            for (uint32_t c = 0; c < p.format.comps; ++c) {
                bool nearEdge = false, rim = false;
                // Pixels off the spans must lie outside the source: the row
                // start of the nearest span decides only the rounding.
                const int64_t x0 = i >= 0 ? left[size_t(i)].x : 0;
                const int64_t want = expectedSample(src, t, x0, x, y, c, &nearEdge, &rim);
                if (!listed) {
                    ASSERT_TRUE(want < 0 || nearEdge || rim) << "uncovered " << x << "," << y;
                    ASSERT_EQ(*dst.at(uint32_t(x), uint32_t(y), c), kMarker);
                    continue;
                }
                const uint32_t got = dst.get(uint32_t(x), uint32_t(y), c);
                if (want < 0) {
                    if (!nearEdge) {
                        ASSERT_EQ(*dst.at(uint32_t(x), uint32_t(y), c), kMarker) << x << "," << y;
                    }
                    continue;
                }
                ++written;
                // On a weight boundary the fixed-point position may fall on
                // either side: one weight unit of difference.
                const int64_t slack = nearEdge ? 32 : 1;
                ASSERT_LE(std::llabs(int64_t(got) - want), slack) << x << "," << y << " c" << c;
            }
        }
    EXPECT_GT(written, size_t(23 * 17 * p.format.comps / 2));
    EXPECT_TRUE(dst.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Angles, RotateGeneralAngles,
                         ::testing::Values(AngleCase{30, {8, 1}}, AngleCase{-30, {8, 3}},
                                           AngleCase{45, {16, 1}}, AngleCase{90, {8, 1}},
                                           AngleCase{180, {12, 3}}, AngleCase{270, {8, 4}},
                                           AngleCase{-90, {16, 2}}, AngleCase{137.5, {8, 1}},
                                           AngleCase{359.9, {10, 3}}, AngleCase{0.01, {8, 1}},
                                           AngleCase{1000.3, {8, 5}}));

TEST(RotateGeneralLin, ConstantsStayThemselves)
{
    for (Format f : {Format{8, 1}, Format{8, 3}, Format{16, 1}, Format{12, 3}}) {
        const uint32_t top = (1u << f.bits) - 1;
        TestPic src(31, 20, f.bits, f.comps);
        for (uint32_t y = 0; y < 20; ++y)
            for (uint32_t x = 0; x < 31; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    src.set(x, y, c, top);
        TestPic dst(50, 50, f.bits, f.comps);
        std::memset(dst->pData, 0, dst->uiSize);
        ASSERT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{25, 25}, SLxDPoint{15, 10}, 33),
                  0);
        size_t written = 0;
        for (uint32_t y = 0; y < 50; ++y)
            for (uint32_t x = 0; x < 50; ++x)
                for (uint32_t c = 0; c < f.comps; ++c) {
                    const uint32_t v = dst.get(x, y, c);
                    ASSERT_TRUE(v == 0 || v == top) << v;
                    written += v == top;
                }
        EXPECT_GT(written, size_t(31 * 20 * f.comps * 9 / 10));
    }
}

// Positions exactly on the source's width or height are outside; the last
// column and row are their own neighbours.
TEST(RotateGeneralLin, PositionsAtTheSourceSizeLeaveThePixel)
{
    TestPic src(4, 3, 8, 1);
    src.fillPattern();
    TestPic dst(8, 5, 8, 1);
    lxpic::RotationTransform t;
    lxpic::RotationTransform_Init(&t);
    ASSERT_EQ(lxpic::RotationTransform_SetAngle(&t, 0.0), 0);
    ASSERT_EQ(lxpic::RotationTransform_SetShift(&t, 2.0, 1.0), 0);
    std::vector<SLxIPoint> left, right;
    for (int y = 0; y < 5; ++y) {
        left.push_back(SLxIPoint{0, y});
        right.push_back(SLxIPoint{7, y});
    }
    lxpic::rotategeneral_linear_1x8(dst.p(), src.p(), left.data(), right.data(), 5, &t);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
            if (inside)
                EXPECT_EQ(dst.get(x, y, 0), src.get(x - 2, y - 1, 0)) << x << "," << y;
            else
                EXPECT_EQ(*dst.at(x, y, 0), kMarker) << x << "," << y;
        }
}

TEST(RotateGeneralLin, EdgeTracerKeepsOneOutwardEntryPerRow)
{
    SLxIPoint list[4];
    lxpic::RotateGeneralEdgeContext left{list, 0, 4, 2, 10, 20, 14, -1};
    const int points[][2] = {{5, 9},   {5, 10}, {3, 10}, {7, 10}, {1, 11},
                             {30, 12}, {4, 13}, {4, 14}, {2, 15}};
    for (const auto& p : points)
        EXPECT_TRUE(lxpic::RotateGeneral_EdgeCallback(p[0], p[1], &left));
    ASSERT_EQ(left.filled, 4);
    const int want[][2] = {{3, 10}, {2, 11}, {19, 12}, {4, 13}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list[i].x, want[i][0]) << i;
        EXPECT_EQ(list[i].y, want[i][1]) << i;
    }
    SLxIPoint rlist[2];
    lxpic::RotateGeneralEdgeContext right{rlist, 0, 2, 2, 10, 20, 12, 1};
    for (const auto& p : {std::make_pair(5, 10), std::make_pair(25, 10), std::make_pair(3, 10),
                          std::make_pair(1, 11)})
        lxpic::RotateGeneral_EdgeCallback(p.first, p.second, &right);
    ASSERT_EQ(right.filled, 2);
    EXPECT_EQ(rlist[0].x, 19);
    EXPECT_EQ(rlist[1].x, 2);
}

TEST(RotateGeneralLin, KernelChooser)
{
    int status = 1;
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(8, 1, &status), lxpic::rotategeneral_linear_1x8);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(8, 3, &status), lxpic::rotategeneral_linear_3x8);
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(8, 2, &status), lxpic::rotategeneral_linear_Nx8);
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(9, 1, &status), lxpic::rotategeneral_linear_1x16);
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(16, 3, &status), lxpic::rotategeneral_linear_3x16);
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(12, 4, &status), lxpic::rotategeneral_linear_Nx16);
    for (uint32_t bits : {0u, 1u, 7u, 17u, 32u}) {
        status = 0;
        EXPECT_EQ(lxpic::rotategeneral_kernel_for(bits, 1, &status), nullptr);
        EXPECT_EQ(status, -2);
    }
    EXPECT_EQ(lxpic::rotategeneral_kernel_for(8, 0, &status), nullptr);
}

TEST(RotateGeneralLin, BadInputLeavesTheDestination)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    TestPic src(8, 8, 8, 1), dst(8, 8, 8, 1);
    src.fillPattern();
    const std::vector<uint8_t> before = dst.bytes();
    const SLxDPoint p{4, 4};
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), p, p, nan), -4);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), p, p, inf), -4);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{nan, 1}, p, 30), -4);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), p, SLxDPoint{1, -inf}, 30), -4);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{1e308, 0}, SLxDPoint{-1e308, 0}, 30),
              -4);
    TestPic seven(8, 8, 7, 1), sevenDst(8, 8, 7, 1), deep(8, 8, 24, 1), deepDst(8, 8, 24, 1);
    EXPECT_EQ(lxpic::RotateGeneral(sevenDst.p(), seven.p(), p, p, 30), -2);
    EXPECT_EQ(lxpic::RotateGeneral(deepDst.p(), deep.p(), p, p, 30), -2);
    TestPic other(8, 8, 8, 3);
    EXPECT_EQ(lxpic::RotateGeneral(other.p(), src.p(), p, p, 30), -2);
    SLxPicBuf empty;
    CLxPicBufAPI::Init(&empty);
    EXPECT_EQ(lxpic::RotateGeneral(&empty, src.p(), p, p, 30), -9);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), nullptr, p, p, 30), -9);
    EXPECT_EQ(dst.bytes(), before);
    // Far away points: nothing overlaps, nothing written.
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{1e12, 0}, p, 30), 0);
    EXPECT_EQ(lxpic::RotateGeneral(dst.p(), src.p(), SLxDPoint{1e15, -1e15}, p, 720), 0);
    EXPECT_EQ(dst.bytes(), before);
}

} // namespace

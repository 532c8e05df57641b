// Convex hulls of the objects of one-bit pictures and convexity features of
// contours.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "bin_test_support.h"
#include "gnr_picture/LxContour.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

int Hull(BinPicture& dst, BinPicture& src, int step = 1)
{
    return CLxBinPicBufAPI::ConvexHull(dst.get(), src.get(), false, false, step);
}

TEST(BinConvexHull, ShapesThatStayAndShapesThatGrow)
{
    BinPicture src(20, 14), dst(20, 14);
    // A one-pixel object, a two-pixel object and a filled rectangle stay.
    src.set(1, 1);
    src.set(4, 1);
    src.set(5, 2);
    for (uint32_t y = 4; y < 9; ++y)
        for (uint32_t x = 1; x < 8; ++x)
            src.set(x, y);
    ASSERT_EQ(0, Hull(dst, src));
    EXPECT_EQ(src.pixels(), dst.pixels());

    // A ring is filled.
    BinPicture ring(9, 9), filled(9, 9);
    for (uint32_t i = 1; i < 8; ++i) {
        ring.set(i, 1);
        ring.set(i, 7);
        ring.set(1, i);
        ring.set(7, i);
    }
    ASSERT_EQ(0, Hull(filled, ring));
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            EXPECT_EQ(x >= 1 && x <= 7 && y >= 1 && y <= 7, filled.at(x, y)) << x << "," << y;
}

TEST(BinConvexHull, TwoBarsGiveTheTriangleOverTheirEnds)
{
    // Two L shapes, each with a vertical bar down from its top and a
    // horizontal bar along its bottom: two separate triangles.
    BinPicture src(30, 12), dst(30, 12);
    for (uint32_t base : {0u, 15u})
        for (uint32_t i = 0; i < 10; ++i) {
            src.set(base, i);
            src.set(base + i, 9);
        }
    ASSERT_EQ(0, Hull(dst, src));
    for (uint32_t base : {0u, 15u})
        for (uint32_t y = 0; y < 10; ++y)
            for (uint32_t x = 0; x < 10; ++x) {
                if (x <= y) {
                    EXPECT_TRUE(dst.at(base + x, y)) << base + x << "," << y;
                } else if (x > y + 1) {
                    EXPECT_FALSE(dst.at(base + x, y)) << base + x << "," << y;
                }
            }
    for (uint32_t y = 0; y < 12; ++y) {
        EXPECT_FALSE(dst.at(12, y));
        EXPECT_FALSE(dst.at(13, y));
        EXPECT_FALSE(dst.at(10, y));
        EXPECT_FALSE(dst.at(25, y));
    }
    // A coarser fan never grows beyond the exact hull.
    BinPicture coarse(30, 12);
    ASSERT_EQ(0, Hull(coarse, src, 45));
    for (uint32_t y = 0; y < 12; ++y)
        for (uint32_t x = 0; x < 30; ++x)
            if (coarse.at(x, y)) {
                EXPECT_TRUE(dst.at(x, y)) << x << "," << y;
            }
}

TEST(BinConvexHull, AnEarlierHullDoesNotWidenTheRowsOfALaterOne)
{
    // A bar, traced first, beside a diagonal whose bounding columns hold
    // it: the diagonal's rows stay within a pixel of the diagonal.
    BinPicture src(12, 8), dst(12, 8);
    for (uint32_t y = 0; y < 3; ++y)
        src.set(8, y);
    for (uint32_t i = 0; i < 6; ++i)
        src.set(4 + i, 1 + i);
    ASSERT_EQ(0, Hull(dst, src));
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 12; ++x) {
            if (src.at(x, y)) {
                EXPECT_TRUE(dst.at(x, y)) << x << "," << y;
            } else if (x < y + 2 || x > y + 4) {
                EXPECT_FALSE(dst.at(x, y)) << x << "," << y;
            }
        }
}

TEST(BinConvexHull, FortyThousandObjectsComeBackUnchanged)
{
    BinPicture src(400, 400), dst(400, 400);
    for (uint32_t y = 0; y < 400; y += 2)
        for (uint32_t x = 0; x < 400; x += 2)
            src.set(x, y);
    ASSERT_EQ(0, Hull(dst, src));
    EXPECT_EQ(src.pixels(), dst.pixels());
}

TEST(BinConvexHull, BadInputLeavesTheDestination)
{
    BinPicture src(8, 8), dst(8, 8), other(9, 8);
    src.set(3, 3);
    dst.set(0, 0);
    EXPECT_EQ(-4, Hull(dst, src, 0));
    EXPECT_EQ(-9, Hull(other, src));
    EXPECT_TRUE(dst.at(0, 0));
    EXPECT_FALSE(dst.at(3, 3));
}

TEST(BinConvexityFeatures, SmallContoursAndARectangle)
{
    struct Case {
        std::vector<SLxIPoint> points;
        double perimeter, area;
    } cases[] = {
        {{{4, 4}}, 2.68, 1.0},
        {{{4, 4}, {5, 5}}, 4.57, 2.0},
        // The traced border of a 10 x 5 rectangle: 26 around, 36 inside.
        {{{9, 0}, {9, 4}, {0, 4}, {0, 0}, {5, 0}}, 26.0, 36.0 + 13.0},
        // A run of three, traced there and back: no inside.
        {{{1, 0}, {2, 0}, {1, 0}, {0, 0}}, 4.0, 2.0},
        // A peak whose arms the tracer walks twice, the apex last: the
        // triangle over the apex and the arms' ends, with (3, 1) kept on
        // the closing edge (the last chain stops short of the apex), whose
        // two halves then truncate to 0.
        {{{3, 1}, {4, 2}, {3, 1}, {2, 0}, {1, 1}, {0, 2}, {1, 1}, {2, 0}},
         4.0 + 2 * std::sqrt(8.0),
         3.0 + 2.0 + std::sqrt(8.0)},
    };
    for (const Case& c : cases) {
        auto* contour =
            static_cast<SLxContour*>(CLxAlloc::Alloc(0, LxContourBytes(c.points.size())));
        contour->uiCount = uint32_t(c.points.size());
        std::copy(c.points.begin(), c.points.end(), contour->points);
        double perimeter = -1, area = -1;
        EXPECT_EQ(0, CLxBinPicBufAPI::CalculateConvexityFeatures(contour, perimeter, area));
        EXPECT_DOUBLE_EQ(c.perimeter, perimeter);
        EXPECT_DOUBLE_EQ(c.area, area);
        CLxAlloc::Free(contour);
    }
    // Points at the ends of the int32 range: finite features, no overflow.
    {
        const SLxIPoint far[] = {{INT32_MAX, INT32_MIN},
                                 {INT32_MAX, INT32_MAX},
                                 {INT32_MIN, INT32_MAX},
                                 {INT32_MIN, INT32_MIN}};
        auto* contour = static_cast<SLxContour*>(CLxAlloc::Alloc(0, LxContourBytes(4)));
        contour->uiCount = 4;
        std::copy(far, far + 4, contour->points);
        double perimeter = -1, area = -1;
        EXPECT_EQ(0, CLxBinPicBufAPI::CalculateConvexityFeatures(contour, perimeter, area));
        EXPECT_NEAR(4 * 4294967295.0, perimeter, 1.0);
        EXPECT_TRUE(std::isfinite(area));
        CLxAlloc::Free(contour);
    }
    double perimeter = -1, area = -1;
    EXPECT_EQ(-9, CLxBinPicBufAPI::CalculateConvexityFeatures(nullptr, perimeter, area));
    EXPECT_EQ(0.0, perimeter);
    EXPECT_EQ(0.0, area);
}

} // namespace

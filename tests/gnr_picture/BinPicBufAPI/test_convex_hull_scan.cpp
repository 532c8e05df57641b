// The hull's support search that passes over boxes of points against the
// plain one that reads every point: the same vertices, area, perimeter,
// centre and bounds for traced contours of random blobs with spurs, and
// for point lists far out in the int32 range, at several fan steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "gnr_picture/BinPicBufAPI/LxConvexHull.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/measure/grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

void ExpectSameHull(const SLxContour* contour, int step)
{
    lx_bin::Hull* bounded = lx_bin::MakeHull(contour, step);
    lx_bin::Hull* plain = lx_bin::MakeHull(contour, step, false);
    ASSERT_NE(nullptr, bounded);
    ASSERT_NE(nullptr, plain);
    ASSERT_EQ(plain->count, bounded->count) << "step " << step;
    for (uint32_t i = 0; i < plain->count; ++i) {
        ASSERT_EQ(plain->vertices[i].x, bounded->vertices[i].x) << "vertex " << i;
        ASSERT_EQ(plain->vertices[i].y, bounded->vertices[i].y) << "vertex " << i;
    }
    EXPECT_EQ(plain->area, bounded->area);
    EXPECT_EQ(plain->perimeter, bounded->perimeter);
    EXPECT_EQ(plain->centreX, bounded->centreX);
    EXPECT_EQ(plain->centreY, bounded->centreY);
    EXPECT_EQ(0, std::memcmp(&plain->left, &bounded->left, 4 * sizeof(int32_t)));
    CLxAlloc::Free(bounded);
    CLxAlloc::Free(plain);
}

const int kSteps[] = {1, 2, 3, 5, 7, 45, 90, 179};

TEST(ConvexHullScan, BoundedSearchAgreesOnTracedBlobs)
{
    std::mt19937 rng(104);
    for (int trial = 0; trial < 60; ++trial) {
        const uint32_t size = 20 + rng() % 60;
        GreyPicture g(size, size);
        // A disc or an ellipse with bites taken out and one-pixel spurs.
        const int cx = int(size / 2), cy = int(size / 2), r = int(size / 3);
        const int rx = r, ry = r * int(1 + rng() % 3) / 3 + 1;
        for (int y = 0; y < int(size); ++y)
            for (int x = 0; x < int(size); ++x)
                if ((x - cx) * (x - cx) * ry * ry + (y - cy) * (y - cy) * rx * rx <=
                    rx * rx * ry * ry)
                    g.set(x, y, 255);
        for (int bite = 0; bite < 4; ++bite) {
            const int bx = int(rng() % size), by = int(rng() % size), br = 1 + int(rng() % 6);
            for (int y = by - br; y <= by + br; ++y)
                for (int x = bx - br; x <= bx + br; ++x)
                    if (x > 0 && y > 0 && x < int(size) && y < int(size))
                        g.set(x, y, 0);
        }
        for (int spur = 0; spur < 3; ++spur) {
            const int y = int(rng() % size);
            for (int x = 0; x < int(size) && g.at(x, y) == 0; ++x)
                if (x > cx - r - 8)
                    g.set(x, y, 255);
        }
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x) {
                if (g.at(x, y) != 255)
                    continue;
                ASSERT_EQ(0, CLxPicMeasAPI::Paint(g.get(), x, y, 255, 1, 8));
                SLxContour* c =
                    CLxPicMeasAPI::ContourPoints(g.get(), 1, SLxIPoint{int32_t(x), int32_t(y)});
                ASSERT_NE(nullptr, c);
                for (int step : kSteps)
                    ExpectSameHull(c, step);
                CLxAlloc::Free(c);
                ASSERT_EQ(0, CLxPicMeasAPI::Paint(g.get(), x, y, 1, 2, 8));
            }
    }
}

TEST(ConvexHullScan, BoundedSearchAgreesFarOut)
{
    std::mt19937 rng(105);
    for (int trial = 0; trial < 40; ++trial) {
        // A closed 8-connected walk around a far-off centre.
        const int32_t ox = trial % 2 ? 2147000000 : -2147000000;
        const int32_t oy = trial % 3 ? -2146000000 : 2146000000;
        const uint32_t n = 40 + rng() % 400;
        std::vector<uint8_t> block(LxContourBytes(n));
        auto* c = reinterpret_cast<SLxContour*>(block.data());
        c->uiCount = n;
        for (uint32_t i = 0; i < n; ++i) {
            const double t = 6.283185307179586 * i / n;
            const double radius = 100 + rng() % 7;
            c->points[i] =
                SLxIPoint{ox + int32_t(radius * std::cos(t)), oy - int32_t(radius * std::sin(t))};
        }
        for (int step : kSteps)
            ExpectSameHull(c, step);
    }
}

} // namespace

// The contour tracer against a tracer written straight from the algorithm,
// every neighbour read with a bounds check: the same points and the same
// enclosed count on random pictures, from left seeds and from any object
// pixel, at 8 and 16 bits, with lines longer than their rows.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gnr_picture/LxPicMeasAPI.h"
#include "grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr int kDx[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kDy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kRule[8][8] = {
    {0, 2, 2, 2, 2, 0, 0, 0},     {0, 2, 2, 2, 2, 1, 0, 0},     {0, 2, 2, 2, 2, 1, 1, 0},
    {0, 2, 2, 2, 2, 1, 1, 1},     {-1, 0, 0, 0, 0, -1, -1, -1}, {-1, 1, 0, 0, 0, -1, -1, -1},
    {-1, 1, 1, 0, 0, -1, -1, -1}, {-1, 1, 1, 1, 0, -1, -1, -1},
};

struct Traced {
    std::vector<SLxIPoint> points;
    int64_t enclosed;
};

Traced ReferenceTrace(GreyPicture& g, uint32_t value, SLxIPoint start, bool different)
{
    const int64_t w = g.pic.uiWidth, h = g.pic.uiHeight;
    auto match = [&](int64_t x, int64_t y) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return false;
        return (g.at(uint32_t(x), uint32_t(y)) == value) != different;
    };
    auto search = [&](SLxIPoint p, int from) {
        for (int k = 0; k < 8; ++k) {
            const int d = (from + k) % 8;
            if (match(int64_t(p.x) + kDx[d], int64_t(p.y) + kDy[d]))
                return d;
        }
        return -1;
    };
    const int firstDir = search(start, 5);
    if (firstDir < 0)
        return {{start}, 1};
    const size_t limit = size_t(w * h * 8 + 2);
    std::vector<SLxIPoint> pts{{start.x + kDx[firstDir], start.y + kDy[firstDir]}};
    int last = firstDir;
    int64_t enclosed = 1;
    for (;;) {
        const SLxIPoint cur = pts.back();
        if (pts.size() > 1 && cur.x == pts[0].x && cur.y == pts[0].y && last == firstDir) {
            pts.pop_back();
            break;
        }
        if (pts.size() >= limit)
            break;
        const int d = search(cur, ((last / 2 * 2) + 7) % 8);
        if (d < 0)
            break;
        const int rule = kRule[last][d];
        enclosed += rule == 1 ? 1 : rule == 2 ? cur.x + 1 : rule == -1 ? -int64_t(cur.x) : 0;
        pts.push_back({cur.x + kDx[d], cur.y + kDy[d]});
        last = d;
    }
    if (pts.size() >= 2)
        enclosed -= 1;
    return {pts, enclosed > 0 ? enclosed : 0};
}

void ExpectSameTrace(GreyPicture& g, uint16_t value, SLxIPoint start, bool different)
{
    const Traced expected = ReferenceTrace(g, value, start, different);
    uint64_t enclosed = 0;
    SLxContour* c = different ? CLxPicMeasAPI::ContourPointsEx(g.get(), value, start)
                              : CLxPicMeasAPI::ContourPoints(g.get(), value, start, &enclosed);
    ASSERT_NE(nullptr, c);
    ASSERT_EQ(expected.points.size(), c->uiCount);
    for (uint32_t i = 0; i < c->uiCount; ++i) {
        ASSERT_EQ(expected.points[i].x, c->points[i].x) << "point " << i;
        ASSERT_EQ(expected.points[i].y, c->points[i].y) << "point " << i;
    }
    if (!different) {
        EXPECT_EQ(uint64_t(expected.enclosed), enclosed);
    }
    CLxAlloc::Free(c);
}

TEST(ContoursReference, SamePointsAndCountOnRandomPictures)
{
    std::mt19937 rng(121);
    for (int trial = 0; trial < 300; ++trial) {
        const uint32_t bits = trial % 2 ? 16 : 8;
        const uint32_t width = 1 + rng() % 40, height = 1 + rng() % 30, spare = rng() % 6;
        const uint32_t object = bits == 8 ? 200 : 60000;
        GreyPicture g(width + spare, height, bits);
        // The spare samples hold the object value and must stay outside.
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width + spare; ++x)
                g.set(x, y, x >= width || rng() % 100 < 55 ? object : rng() % 3);
        g.pic.uiWidth = width;
        SCOPED_TRACE(::testing::Message() << "trial " << trial << ", " << width << " x " << height
                                          << ", " << bits << " bits");
        for (int k = 0; k < 6; ++k) {
            SLxIPoint start{int32_t(rng() % width), int32_t(rng() % height)};
            if (k % 2 == 0)
                CLxPicMeasAPI::FindLeftSeed2(g.get(), start, object);
            const bool different = k >= 4;
            ExpectSameTrace(g,
                            different ? uint16_t(g.at(start.x, start.y) == object ? 0 : 1)
                                      : uint16_t(object),
                            start, different);
        }
    }
}

TEST(ContoursReference, ValueWiderThanTheSamples)
{
    // 256 matches no 8-bit sample: nothing is object, everything is for Ex.
    GreyPicture g({"...", ".#.", "..."});
    ExpectSameTrace(g, 256, SLxIPoint{1, 1}, false);
    ExpectSameTrace(g, 256, SLxIPoint{1, 1}, true);
}

} // namespace

// The rasterisers: worked walks, the order of quadrants, stopping on false,
// connectivity and end points over many lines, and bad input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "gnr_picture/LxLineDrawing.h"

namespace
{

using Points = std::vector<std::pair<int, int>>;

struct Recorder {
    Points points;
    int stopAt = -1; // false on this call (1-based)
    static bool record(int x, int y, void* context)
    {
        auto* r = static_cast<Recorder*>(context);
        r->points.emplace_back(x, y);
        return int(r->points.size()) != r->stopAt;
    }
};

Points line(int x0, int y0, int x1, int y1, bool four)
{
    Recorder r;
    EXPECT_TRUE(CLxLineDrawingAPI::Line(x0, y0, x1, y1, four, Recorder::record, &r));
    return r.points;
}

struct LineCase {
    int x0, y0, x1, y1;
    bool four;
    Points expected;
};

TEST(LineDrawing, WorkedLines)
{
    const LineCase cases[] = {
        {0, 0, 4, 1, false, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}},
        {0, 0, 4, 1, true, {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 1}, {4, 1}}},
        {0,
         0,
         10,
         3,
         false,
         {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}}},
        {0, 0, 3, 3, false, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {0, 0, 3, 3, true, {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}}},
        {5, 5, 5, 5, false, {{5, 5}}},
        {2, 7, 2, 4, false, {{2, 7}, {2, 6}, {2, 5}, {2, 4}}},
        {4, 1, 0, 0, false, {{4, 1}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(line(c.x0, c.y0, c.x1, c.y1, c.four), c.expected)
            << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1 << " four " << c.four;
}

TEST(LineDrawing, PointToItselfReturnsTheOneCallsResult)
{
    Recorder r;
    r.stopAt = 1;
    EXPECT_FALSE(CLxLineDrawingAPI::Line(5, 5, 5, 5, false, Recorder::record, &r));
    EXPECT_EQ(r.points, (Points{{5, 5}}));
}

// Every line from the origin within +-25 ends on its end point, steps to a
// neighbour (eight- or four-connected) and has one pixel per step of the
// longer extent (plus one per minor step when four-connected).
TEST(LineDrawing, EveryLineIsConnectedAndEndsOnItsEndPoint)
{
    for (int x1 = -25; x1 <= 25; ++x1)
        for (int y1 = -25; y1 <= 25; ++y1)
            for (bool four : {false, true}) {
                const Points p = line(3, -2, 3 + x1, -2 + y1, four);
                ASSERT_EQ(p.front(), std::make_pair(3, -2));
                ASSERT_EQ(p.back(), std::make_pair(3 + x1, -2 + y1)) << x1 << "," << y1;
                const size_t longer = size_t(std::max(std::abs(x1), std::abs(y1)));
                const size_t shorter = size_t(std::min(std::abs(x1), std::abs(y1)));
                ASSERT_EQ(p.size(), longer + 1 + (four ? shorter : 0)) << x1 << "," << y1;
                for (size_t i = 1; i < p.size(); ++i) {
                    const int dx = std::abs(p[i].first - p[i - 1].first);
                    const int dy = std::abs(p[i].second - p[i - 1].second);
                    if (four)
                        ASSERT_EQ(dx + dy, 1);
                    else
                        ASSERT_EQ(std::max(dx, dy), 1);
                }
            }
}

TEST(LineDrawing, LongLinesAtTheEndsOfTheRange)
{
    Recorder r;
    r.stopAt = 3;
    EXPECT_FALSE(CLxLineDrawingAPI::Line(INT32_MIN, 0, INT32_MAX, 1, false, Recorder::record, &r));
    EXPECT_EQ(r.points, (Points{{INT32_MIN, 0}, {INT32_MIN + 1, 0}, {INT32_MIN + 2, 0}}));
}

Points circleQuadrants(int r, int first, int count, bool four)
{
    Recorder rec;
    EXPECT_TRUE(
        CLxLineDrawingAPI::CircleQuadrant(0, 0, r, first, count, four, Recorder::record, &rec));
    return rec.points;
}

TEST(LineDrawing, CircleQuadrantZeroOfRadiusFive)
{
    EXPECT_EQ(circleQuadrants(5, 0, 1, false),
              (Points{{0, 5}, {1, 5}, {2, 5}, {3, 4}, {4, 3}, {5, 2}, {5, 1}, {5, 0}}));
    EXPECT_EQ(circleQuadrants(5, 0, 1, true), (Points{{0, 5},
                                                      {1, 5},
                                                      {2, 5},
                                                      {3, 5},
                                                      {3, 4},
                                                      {4, 4},
                                                      {4, 3},
                                                      {5, 3},
                                                      {5, 2},
                                                      {5, 1},
                                                      {5, 0}}));
}

TEST(LineDrawing, QuadrantsRunCounterclockwiseAndRepeatTheAxisPoints)
{
    const Points all = circleQuadrants(5, 0, 4, false);
    ASSERT_EQ(all.size(), 32u);
    // Each quadrant starts on the axis point where the one before ended.
    const Points axis = {{0, 5}, {5, 0}, {5, 0}, {0, -5}, {0, -5}, {-5, 0}, {-5, 0}, {0, 5}};
    for (size_t q = 0; q < 4; ++q) {
        EXPECT_EQ(all[q * 8], axis[2 * q]) << q;
        EXPECT_EQ(all[q * 8 + 7], axis[(2 * q + 1)]) << q;
    }
    // Selection: first 3 with count 5 draws quadrant 3 only; first -1 with
    // count 2 draws quadrant 0.
    EXPECT_EQ(circleQuadrants(5, 3, 5, false), Points(all.begin() + 24, all.end()));
    EXPECT_EQ(circleQuadrants(5, -1, 2, false), Points(all.begin(), all.begin() + 8));
    EXPECT_TRUE(circleQuadrants(5, 4, 2, false).empty());
    Recorder r;
    EXPECT_TRUE(CLxLineDrawingAPI::Circle(0, 0, 5, false, Recorder::record, &r));
    EXPECT_EQ(r.points, all);
}

// The ellipse decides its steps exactly; the circle's error term agrees
// with it on small radii (large ones may differ by a pixel here and there).
TEST(LineDrawing, EllipseOfEqualRadiiIsTheCircle)
{
    for (int radius : {1, 2, 5, 17})
        for (bool four : {false, true}) {
            Recorder c, e;
            EXPECT_TRUE(CLxLineDrawingAPI::Circle(3, 4, radius, four, Recorder::record, &c));
            EXPECT_TRUE(
                CLxLineDrawingAPI::Ellipse(3, 4, radius, radius, four, Recorder::record, &e));
            EXPECT_EQ(c.points, e.points) << radius << " four " << four;
        }
}

// Every ellipse quadrant runs from one axis point to the next, stepping to
// neighbours, and stays near the true curve.
TEST(LineDrawing, EllipseQuadrantsJoinTheAxisPoints)
{
    const int radii[][2] = {{1, 7}, {7, 1}, {10, 3}, {3, 10}, {40, 25}, {1000, 1}, {1, 1000}};
    for (const auto& rr : radii)
        for (bool four : {false, true}) {
            const int a = rr[0], b = rr[1];
            Recorder r;
            EXPECT_TRUE(CLxLineDrawingAPI::Ellipse(0, 0, a, b, four, Recorder::record, &r));
            const Points& p = r.points;
            ASSERT_FALSE(p.empty());
            EXPECT_EQ(p.front(), std::make_pair(0, b)) << a << "x" << b;
            EXPECT_EQ(p.back(), std::make_pair(0, b)) << a << "x" << b;
            std::set<std::pair<int, int>> seen(p.begin(), p.end());
            for (auto axis : {std::make_pair(a, 0), std::make_pair(0, -b), std::make_pair(-a, 0)})
                EXPECT_TRUE(seen.count(axis)) << a << "x" << b;
            for (size_t i = 1; i < p.size(); ++i) {
                const int dx = std::abs(p[i].first - p[i - 1].first);
                const int dy = std::abs(p[i].second - p[i - 1].second);
                EXPECT_LE(four ? dx + dy : std::max(dx, dy), 1) << a << "x" << b << " at " << i;
            }
        }
}

TEST(LineDrawing, FalseOnTheThirdCallStopsEveryWalk)
{
    auto check = [](auto walk) {
        Recorder r;
        r.stopAt = 3;
        EXPECT_FALSE(walk(&r));
        EXPECT_EQ(r.points.size(), 3u);
    };
    check(
        [](Recorder* r) { return CLxLineDrawingAPI::Line(0, 0, 9, 2, true, Recorder::record, r); });
    check(
        [](Recorder* r) { return CLxLineDrawingAPI::Circle(0, 0, 9, false, Recorder::record, r); });
    check([](Recorder* r) {
        return CLxLineDrawingAPI::Ellipse(0, 0, 9, 4, true, Recorder::record, r);
    });
}

TEST(LineDrawing, BadInput)
{
    Recorder r;
    EXPECT_FALSE(CLxLineDrawingAPI::Line(0, 0, 3, 3, false, nullptr, &r));
    EXPECT_FALSE(CLxLineDrawingAPI::Circle(0, 0, 3, false, nullptr, &r));
    EXPECT_FALSE(CLxLineDrawingAPI::Ellipse(0, 0, 3, 3, false, nullptr, &r));
    EXPECT_TRUE(CLxLineDrawingAPI::Circle(0, 0, 0, false, Recorder::record, &r));
    EXPECT_TRUE(CLxLineDrawingAPI::Circle(0, 0, -4, false, Recorder::record, &r));
    EXPECT_TRUE(CLxLineDrawingAPI::Ellipse(0, 0, 0, 5, false, Recorder::record, &r));
    EXPECT_TRUE(CLxLineDrawingAPI::Ellipse(0, 0, 5, -1, false, Recorder::record, &r));
    EXPECT_FALSE(CLxLineDrawingAPI::Circle(0, 0, (1 << 20) + 1, false, Recorder::record, &r));
    EXPECT_FALSE(CLxLineDrawingAPI::Ellipse(0, 0, 3, (1 << 20) + 1, false, Recorder::record, &r));
    EXPECT_TRUE(r.points.empty());
}

// A radius at the limit builds its table on the heap and walks to the end.
TEST(LineDrawing, LargestRadiusWalks)
{
    struct Counter {
        uint64_t n = 0;
        static bool count(int, int, void* c)
        {
            ++static_cast<Counter*>(c)->n;
            return true;
        }
    } c;
    EXPECT_TRUE(CLxLineDrawingAPI::CircleQuadrant(0, 0, 1 << 20, 0, 1, false, Counter::count, &c));
    EXPECT_GT(c.n, uint64_t(1) << 20);
}

} // namespace

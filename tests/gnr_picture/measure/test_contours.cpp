// Contour tracing with its pixel count, the 4-connected form, line walks,
// start pixels and bounding rectangles.
#include <gtest/gtest.h>

#include <pthread.h>

#include <set>
#include <utility>
#include <vector>

#include "gnr_picture/LxPicMeasAPI.h"
#include "grey_picture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using Points = std::vector<std::pair<int, int>>;

// Takes the block and frees it.
Points Take(SLxContour* contour)
{
    Points out;
    if (!contour)
        return out;
    for (uint32_t i = 0; i < contour->uiCount; ++i)
        out.emplace_back(contour->points[i].x, contour->points[i].y);
    CLxAlloc::Free(contour);
    return out;
}

struct Traced {
    Points points;
    uint64_t count = 0;
};

Traced TraceObject(GreyPicture& p, uint16_t value, int x, int y)
{
    Traced t;
    t.count = 12345;
    t.points = Take(CLxPicMeasAPI::ContourPoints(p.get(), value, SLxIPoint{x, y}, &t.count));
    return t;
}

// Every point lies on the object's border and follows its predecessor as
// an 8-neighbour, closing back to the first.
void ExpectClosedBorder(GreyPicture& p, const Points& pts, uint32_t value)
{
    ASSERT_FALSE(pts.empty());
    for (size_t i = 0; i < pts.size(); ++i) {
        const auto [x, y] = pts[i];
        const auto [nx, ny] = pts[(i + 1) % pts.size()];
        ASSERT_LE(std::abs(nx - x), 1) << i;
        ASSERT_LE(std::abs(ny - y), 1) << i;
        ASSERT_EQ(value, p.at(x, y)) << i;
    }
}

TEST(Contours, WorkedExamples)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int x, y;
        Points points;
        uint64_t count;
    } cases[] = {
        {"one pixel", {"...", ".#.", "..."}, 1, 1, {{1, 1}}, 1},
        {"run of three", {".....", ".###.", "....."}, 1, 1, {{2, 1}, {3, 1}, {2, 1}, {1, 1}}, 3},
        {"square in a corner", {"##.", "##.", "..."}, 0, 0, {{1, 0}, {1, 1}, {0, 1}, {0, 0}}, 4},
        {"ring counts its hole",
         {"###", "#.#", "###"},
         0,
         0,
         {{1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {0, 0}},
         9},
        {"column on the right edge",
         {"..#", "..#", "..#"},
         2,
         0,
         {{2, 1}, {2, 2}, {2, 1}, {2, 0}},
         3},
        {"diagonal", {"#..", ".#.", "..#"}, 0, 0, {{1, 1}, {2, 2}, {1, 1}, {0, 0}}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint32_t bits : {8u, 16u}) {
            GreyPicture p(c.rows, bits);
            const uint16_t value = bits == 8 ? 255 : 65535;
            const Traced t = TraceObject(p, value, c.x, c.y);
            EXPECT_EQ(c.points, t.points);
            EXPECT_EQ(c.count, t.count);
            EXPECT_EQ(c.points,
                      Take(CLxPicMeasAPI::ContourPoints(p.get(), value, SLxIPoint{c.x, c.y})));
            EXPECT_EQ(c.points,
                      Take(CLxPicMeasAPI::ContourPointsEx(p.get(), 0, SLxIPoint{c.x, c.y})));
        }
    }
}

TEST(Contours, LongContourCrossesTheBlockGrowth)
{
    // A 200 x 150 rectangle whose border holds 696 pixels.
    GreyPicture p(210, 160);
    for (uint32_t y = 5; y < 155; ++y)
        for (uint32_t x = 5; x < 205; ++x)
            p.set(x, y, 3);
    const Traced t = TraceObject(p, 3, 5, 5);
    EXPECT_EQ(2u * 200 + 2u * 150 - 4, t.points.size());
    EXPECT_EQ(200u * 150u, t.count);
    ExpectClosedBorder(p, t.points, 3);
    const std::set<std::pair<int, int>> distinct(t.points.begin(), t.points.end());
    EXPECT_EQ(t.points.size(), distinct.size());
}

TEST(Contours, StartOutsideGivesNull)
{
    GreyPicture p({"#."});
    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPoints(p.get(), 255, SLxIPoint{2, 0}));
    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPoints(p.get(), 255, SLxIPoint{0, -1}));
    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPointsEx(p.get(), 0, SLxIPoint{-1, 0}));
    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPoints(nullptr, 255, SLxIPoint{0, 0}));
}

TEST(Contours, EightToFourAddsCornersOffTheBackground)
{
    GreyPicture p({"#..", ".#.", "..#"});
    SLxContour* diagonal = CLxPicMeasAPI::ContourPoints(p.get(), 255, SLxIPoint{0, 0});
    // (1, 1) -> (0, 0): pixel (0, 1) is background, so the corner is (1, 0).
    EXPECT_EQ((Points{{1, 1}, {1, 2}, {2, 2}, {2, 1}, {1, 1}, {1, 0}, {0, 0}}),
              Take(CLxPicMeasAPI::ContourPointsEx8To4(p.get(), 0, diagonal)));
    p.set(0, 1, 255);
    EXPECT_EQ((Points{{1, 1}, {1, 2}, {2, 2}, {2, 1}, {1, 1}, {0, 1}, {0, 0}}),
              Take(CLxPicMeasAPI::ContourPointsEx8To4(p.get(), 0, diagonal)));
    CLxAlloc::Free(diagonal);

    GreyPicture square({"##", "##"});
    SLxContour* straight = CLxPicMeasAPI::ContourPoints(square.get(), 255, SLxIPoint{0, 0});
    const Points before = Take(CLxPicMeasAPI::ContourPoints(square.get(), 255, SLxIPoint{0, 0}));
    EXPECT_EQ(before, Take(CLxPicMeasAPI::ContourPointsEx8To4(square.get(), 0, straight)));
    CLxAlloc::Free(straight);

    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPointsEx8To4(p.get(), 0, nullptr));
    SLxContour empty{0, {}};
    EXPECT_EQ(nullptr, CLxPicMeasAPI::ContourPointsEx8To4(p.get(), 0, &empty));
}

TEST(LinePoints, FollowsTheFirstBranchAndRestoresThePicture)
{
    // From (0, 1): right first; at (2, 1) right and below both hold the
    // line, right wins, and the lower branch is never walked.
    GreyPicture p({".....", "#####", "..#..", "..#.."});
    const auto before = p.pixels();
    EXPECT_EQ((Points{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}),
              Take(CLxPicMeasAPI::LinePoints(p.get(), 255, SLxIPoint{0, 1})));
    EXPECT_EQ(before, p.pixels());
    // From the lower end: up, then right before left.
    EXPECT_EQ((Points{{2, 3}, {2, 2}, {2, 1}, {3, 1}, {4, 1}}),
              Take(CLxPicMeasAPI::LinePoints(p.get(), 255, SLxIPoint{2, 3})));
    EXPECT_EQ(before, p.pixels());
    // Diagonal neighbours come after the four sides.
    GreyPicture d({"#..", ".#.", "#.."}, 16);
    EXPECT_EQ((Points{{0, 0}, {1, 1}, {0, 2}}),
              Take(CLxPicMeasAPI::LinePoints(d.get(), 65535, SLxIPoint{0, 0})));
    // A line of 0 on a picture of 1.
    GreyPicture zero({"111", "001", "111"});
    EXPECT_EQ((Points{{0, 1}, {1, 1}}),
              Take(CLxPicMeasAPI::LinePoints(zero.get(), 0, SLxIPoint{0, 1})));
    EXPECT_EQ(0u, zero.at(0, 1));
}

TEST(LinePoints, BadStartGivesNull)
{
    GreyPicture p({"#.."});
    EXPECT_EQ(nullptr, CLxPicMeasAPI::LinePoints(p.get(), 255, SLxIPoint{1, 0}));
    EXPECT_EQ(nullptr, CLxPicMeasAPI::LinePoints(p.get(), 255, SLxIPoint{3, 0}));
    GreyPicture wide(3, 1, 32);
    EXPECT_EQ(nullptr, CLxPicMeasAPI::LinePoints(wide.get(), 0, SLxIPoint{0, 0}));
}

void* WalkLongLine(void* arg)
{
    auto* p = static_cast<GreyPicture*>(arg);
    SLxContour* line = CLxPicMeasAPI::LinePoints(p->get(), 1, SLxIPoint{0, 0});
    const uint32_t count = line ? line->uiCount : 0;
    CLxAlloc::Free(line);
    return reinterpret_cast<void*>(uintptr_t(count));
}

TEST(LinePoints, HundredThousandPixelsOnASmallStack)
{
    // A serpentine of 100,000 pixels: rows of 1,000 joined at alternate ends.
    const uint32_t width = 1000, rows = 100;
    GreyPicture p(width, rows * 2 - 1);
    uint32_t pixels = 0;
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t x = 0; x < width; ++x, ++pixels)
            p.set(x, r * 2, 1);
        if (r + 1 < rows) {
            p.set(r % 2 == 0 ? width - 1 : 0, r * 2 + 1, 1);
            ++pixels;
        }
    }
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(0, pthread_attr_setstacksize(&attr, 64 * 1024));
    pthread_t thread;
    ASSERT_EQ(0, pthread_create(&thread, &attr, WalkLongLine, &p));
    void* result = nullptr;
    pthread_join(thread, &result);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(pixels, uint32_t(uintptr_t(result)));
    EXPECT_GE(pixels, 100000u);
    for (uint32_t x = 0; x < width; ++x)
        ASSERT_EQ(1u, p.at(x, 0));
}

TEST(LeftSeed, FindsRunStarts)
{
    GreyPicture p({"..##.###..", "#####....."});
    struct Case {
        int x, y;
        int status, first, second;
    } cases[] = {
        {8, 0, 0, 2, 5},  // first run start; the run start left of x
        {6, 0, 0, 2, 5},  // inside the second run
        {3, 0, 0, 2, 2},  // inside the first run
        {2, 0, 0, 2, 2},  // on a run start
        {1, 0, 0, 1, 0},  // no run start below x: kept; none to the left: 0
        {4, 1, 0, 0, 0},  // the row starts with the value
        {9, 0, -4, 9, 9}, // x not below width - 1
        {-1, 0, -4, -1, -1}, {3, 2, -4, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        SLxIPoint pt{c.x, c.y};
        EXPECT_EQ(c.status, CLxPicMeasAPI::FindLeftSeed(p.get(), pt, 255));
        EXPECT_EQ(c.first, pt.x);
        EXPECT_EQ(c.y, pt.y);
        long lx = c.x, ly = c.y;
        EXPECT_EQ(c.status, CLxPicMeasAPI::FindLeftSeed(p.get(), lx, ly, 255));
        EXPECT_EQ(c.first, lx);
        if (c.x >= 0) {
            unsigned ux = c.x, uy = c.y;
            EXPECT_EQ(c.status, CLxPicMeasAPI::FindLeftSeed(p.get(), ux, uy, 255));
            EXPECT_EQ(unsigned(c.first), ux);
        }
        SLxIPoint pt2{c.x, c.y};
        EXPECT_EQ(c.status, CLxPicMeasAPI::FindLeftSeed2(p.get(), pt2, 255));
        EXPECT_EQ(c.second, pt2.x);
    }
}

TEST(BoundingRect, RightAndBottomOnePast)
{
    SLxIRect rect{};
    const SLxIPoint pts[] = {{3, 4}, {-2, 7}, {5, -1}};
    CLxPicMeasAPI::FindBoundingRect(3, pts, rect);
    EXPECT_EQ(-2, rect.left);
    EXPECT_EQ(-1, rect.top);
    EXPECT_EQ(6, rect.right);
    EXPECT_EQ(8, rect.bottom);
    CLxPicMeasAPI::FindBoundingRect(0, pts, rect);
    EXPECT_EQ(2147483647, rect.left);
    EXPECT_EQ(2147483647, rect.top);
    EXPECT_EQ(-2147483647, rect.right);
    EXPECT_EQ(-2147483647, rect.bottom);
}

} // namespace

// Pruning, zones of influence, SetPixel and AddCircle.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "bin_test_support.h"

namespace
{

using API = CLxBinPicBufAPI;
Rows Prune(const Rows& rows, int steps)
{
    BinPicture src(uint32_t(rows[0].size()), uint32_t(rows.size())),
        dst(uint32_t(rows[0].size()), uint32_t(rows.size()));
    Draw(src, rows);
    EXPECT_EQ(API::Pruning(dst.get(), src.get(), steps), 0);
    EXPECT_EQ(Read(src), rows);
    return Read(dst);
}

struct PruneCase {
    const char* name;
    Rows src;
    int steps;
    Rows want;
};

TEST(BinPruning, Cases)
{
    const PruneCase cases[] = {
        {"lone pixel", {".....", "..#..", "....."}, 1, {".....", ".....", "....."}},
        // Templates 2, 3 and 4 take three pixels from the left end, 6, 7
        // and 8 three from the right, in one iteration.
        {"open line", {"..........", ".########.", ".........."}, 1,
         {"..........", "....##....", ".........."}},
        // The frame continues a line that runs into the edge.
        {"line into the edge", {"..........", "....######", ".........."}, 1,
         {"..........", ".......###", ".........."}},
        {"side branch", {"...........", ".#########.", ".....#.....", ".....#.....", "..........."}, 1,
         {"...........", "....###....", ".....#.....", "...........", "..........."}},
        // Corners of a four-connected ring go; the eight-connected ring stays.
        {"square ring", {".....", ".###.", ".#.#.", ".###.", "....."}, 5,
         {".....", "..#..", ".#.#.", "..#..", "....."}},
        {"closed loop stays", {".....", "..#..", ".#.#.", "..#..", "....."}, -1,
         {".....", "..#..", ".#.#.", "..#..", "....."}},
        {"last column is pruned too", {".....", "....#", "....."}, 1, {".....", ".....", "....."}},
    };
    for (const PruneCase& c : cases)
        EXPECT_EQ(Prune(c.src, c.steps), c.want) << c.name;
}

TEST(BinPruning, StepCountsZeroAndNegative)
{
    // A line loses six pixels an iteration: 0 means 1000 iterations, a
    // negative count runs until nothing changes.
    const uint32_t length = 6100;
    BinPicture src(length + 2, 3), dst(length + 2, 3);
    for (uint32_t x = 1; x <= length; ++x)
        src.set(x, 1);
    ASSERT_EQ(API::Pruning(dst.get(), src.get(), 0), 0);
    EXPECT_EQ(CountSet(dst), int(length) - 6000);
    ASSERT_EQ(API::Pruning(dst.get(), src.get(), 1000), 0);
    EXPECT_EQ(CountSet(dst), int(length) - 6000);
    ASSERT_EQ(API::Pruning(dst.get(), src.get(), -1), 0);
    EXPECT_EQ(CountSet(dst), 0);
}

// More objects than the 16-bit working labels hold: all are pruned.
TEST(BinPruning, EveryOneOfManyObjectsIsWorkedOn)
{
    BinPicture src(365, 365), dst(365, 365);
    for (uint32_t y = 1; y < 365; y += 2)
        for (uint32_t x = 1; x < 365; x += 2)
            src.set(x, y); // 182 x 182 = 33124 isolated pixels
    std::memset(dst->pData, 0xFF, dst->uiSize);
    ASSERT_EQ(API::Pruning(dst.get(), src.get(), 1), 0);
    EXPECT_EQ(CountSet(dst), 0);
}

Rows Zones(const Rows& rows)
{
    BinPicture src(uint32_t(rows[0].size()), uint32_t(rows.size())),
        dst(uint32_t(rows[0].size()), uint32_t(rows.size()));
    Draw(src, rows);
    EXPECT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
    EXPECT_EQ(Read(src), rows);
    return Read(dst);
}

TEST(BinZonesOfInfluence, NeverSetsAnObjectPixel)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 10; ++round) {
        BinPicture src(61, 47), dst(61, 47);
        for (int k = 0; k < 8; ++k)
            API::AddCircle(src.get(), 1 + rng() % 6, int(rng() % 61), int(rng() % 47));
        ASSERT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
        for (uint32_t y = 0; y < 47; ++y)
            for (uint32_t x = 0; x < 61; ++x)
                ASSERT_FALSE(src.at(x, y) && dst.at(x, y)) << round << ": " << x << "," << y;
    }
}

TEST(BinZonesOfInfluence, TwoObjectsArePartedByOneLine)
{
    // Two bars: the line parting them runs down the middle column.
    const Rows src = {"...........", ".#.......#.", ".#.......#.", ".#.......#.", ".#.......#.",
                      ".#.......#.", "..........."};
    const Rows out = Zones(src);
    for (uint32_t y = 1; y < 6; ++y)
        EXPECT_EQ(out[y][5], '#') << y;
    for (const std::string& r : out) {
        EXPECT_EQ(r[1], '.');
        EXPECT_EQ(r[9], '.');
    }
}

// Objects one or two pixels wide: the background thins beside them as beside
// wide ones, and lines part every object from the others.
TEST(BinZonesOfInfluence, NarrowObjectsArePartedAsWideOnes)
{
    struct Case {
        const char* name;
        std::vector<std::array<uint32_t, 4>> objects; // x, y, width, height
    };
    const Case cases[] = {
        {"three pixels", {{8, 8, 1, 1}, {30, 10, 1, 1}, {18, 30, 1, 1}}},
        {"pairs and a square", {{6, 30, 2, 1}, {30, 6, 1, 2}, {25, 28, 2, 2}}},
        {"a pixel beside a block", {{6, 20, 1, 1}, {22, 14, 12, 12}}},
    };
    for (const Case& c : cases) {
        BinPicture src(40, 40), dst(40, 40);
        for (const auto& o : c.objects)
            for (uint32_t y = o[1]; y < o[1] + o[3]; ++y)
                for (uint32_t x = o[0]; x < o[0] + o[2]; ++x)
                    src.set(x, y);
        ASSERT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
        EXPECT_LT(CountSet(dst), 200) << c.name;
        // Each object's zone, flooded through the clear pixels of the
        // result, holds no other object.
        for (size_t k = 0; k < c.objects.size(); ++k) {
            std::vector<uint8_t> seen(40 * 40, 0);
            std::vector<uint32_t> stack = {c.objects[k][1] * 40 + c.objects[k][0]};
            seen[stack[0]] = 1;
            while (!stack.empty()) {
                const uint32_t p = stack.back(), x = p % 40, y = p / 40;
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const uint32_t nx = x + dx, ny = y + dy;
                        if (nx < 40 && ny < 40 && !seen[ny * 40 + nx] && !dst.at(nx, ny)) {
                            seen[ny * 40 + nx] = 1;
                            stack.push_back(ny * 40 + nx);
                        }
                    }
            }
            for (size_t j = 0; j < c.objects.size(); ++j) {
                if (j != k) {
                    EXPECT_FALSE(seen[c.objects[j][1] * 40 + c.objects[j][0]])
                        << c.name << ": objects " << k << " and " << j << " share a zone";
                }
            }
        }
    }
}

TEST(BinZonesOfInfluence, LatticeOfOnePixelCellsGivesNothing)
{
    // 182 x 182 one-pixel background cells: each a region of its own, each
    // taken by end removal.
    BinPicture src(365, 365), dst(365, 365);
    std::memset(src->pData, 0xFF, src->uiSize);
    for (uint32_t y = 1; y < 365; y += 2)
        for (uint32_t x = 1; x < 365; x += 2)
            src.set(x, y, false);
    ASSERT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), 0);
    EXPECT_EQ(CountSet(dst), 0);
}

TEST(BinSetPixel, SetsClearsAndRefusesOutside)
{
    BinPicture p(10, 4);
    EXPECT_EQ(API::SetPixel(p.get(), 9, 3, true), 0);
    EXPECT_TRUE(p.at(9, 3));
    EXPECT_EQ(API::SetPixel(p.get(), 9, 3, false), 0);
    EXPECT_FALSE(p.at(9, 3));
    for (auto xy : {std::pair<int, int>{10, 0}, {0, -1}, {-1, 0}, {0, 4}, {INT_MIN, INT_MAX}})
        EXPECT_EQ(API::SetPixel(p.get(), xy.first, xy.second, true), -4);
    EXPECT_EQ(CountSet(p), 0);
    EXPECT_EQ(API::SetPixel(nullptr, 0, 0, true), -4);
}

TEST(BinAddCircle, SmallRadii)
{
    struct Case {
        uint32_t radius;
        Rows want;
    } cases[] = {
        {0, {".......", ".......", ".......", ".......", ".......", ".......", "......."}},
        {1, {".......", ".......", ".......", "...#...", ".......", ".......", "......."}},
        {2, {".......", ".......", "..###..", "..###..", "..###..", ".......", "......."}},
        {3, {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}},
    };
    for (const Case& c : cases) {
        BinPicture p(7, 7);
        EXPECT_EQ(API::AddCircle(p.get(), c.radius, 3, 3), 0);
        EXPECT_EQ(Read(p), c.want) << c.radius;
    }
}

TEST(BinAddCircle, FarCentresAndHugeRadiiAreClipped)
{
    BinPicture p(9, 5);
    EXPECT_EQ(API::AddCircle(p.get(), 3, INT_MIN, INT_MAX), 0);
    EXPECT_EQ(API::AddCircle(p.get(), 5, 20, 2), 0);
    EXPECT_EQ(CountSet(p), 0);
    EXPECT_EQ(API::AddCircle(p.get(), 0xFFFFFFFFu, INT_MAX, INT_MIN), 0);
    EXPECT_EQ(CountSet(p), 45); // every pixel lies inside
    BinPicture q(9, 5);
    EXPECT_EQ(API::AddCircle(q.get(), 3, -1, 2), 0); // only the right half of the disc
    EXPECT_EQ(Read(q), (Rows{"#........", "##.......", "##.......", "##.......", "#........"}));
}

} // namespace

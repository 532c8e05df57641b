// The neighbourhood tables of thinning, thickening and pruning against
// their rules written out on a 3 x 3 grid, for all 256 codes.
#include <gtest/gtest.h>

#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinNeighbourTables.h"

namespace
{

using namespace lx_bin;

// The grid of a code: g[dy + 1][dx + 1] is the neighbour at (dx, dy).
struct Grid {
    bool g[3][3] = {};
    explicit Grid(uint32_t code)
    {
        g[0][1] = code & kN;
        g[0][2] = code & kNE;
        g[1][2] = code & kE;
        g[2][2] = code & kSE;
        g[2][1] = code & kS;
        g[2][0] = code & kSW;
        g[1][0] = code & kW;
        g[0][0] = code & kNW;
    }
    bool at(int dx, int dy) const { return g[dy + 1][dx + 1]; }
    bool N() const { return at(0, -1); }
    bool S() const { return at(0, 1); }
    bool W() const { return at(-1, 0); }
    bool E() const { return at(1, 0); }
    bool NW() const { return at(-1, -1); }
    bool NE() const { return at(1, -1); }
    bool SW() const { return at(-1, 1); }
    bool SE() const { return at(1, 1); }
    int Count() const
    {
        int n = 0;
        for (auto& row : g)
            for (bool v : row)
                n += v;
        return n;
    }
};

int Changes(const bool* ring, int n)
{
    int c = 0;
    for (int i = 0; i < n; ++i)
        c += ring[i] != ring[(i + 1) % n];
    return c;
}

bool Removable(const Grid& q)
{
    const bool ring[] = {q.N(), q.W(), q.S(), q.E()};
    if (Changes(ring, 4) != 2)
        return false;
    return !((q.N() && !q.NW() && !q.NE()) || (q.S() && !q.SW() && !q.SE()) ||
             (q.E() && !q.NE() && !q.SE()) || (q.W() && !q.NW() && !q.SW()) ||
             (q.NW() && !q.N() && !q.W()) || (q.NE() && !q.N() && !q.E()) ||
             (q.SE() && !q.S() && !q.E()) || (q.SW() && !q.S() && !q.W()));
}

bool Addable(const Grid& q)
{
    const bool ring[] = {q.N(), q.NW() || q.W(), q.W(), q.SW() || q.S(),
                         q.S(), q.SE() || q.E(), q.E(), q.NE() || q.N()};
    return Changes(ring, 8) == 2;
}

bool Junction(const Grid& q)
{
    const bool ring[] = {q.NW(), q.N(), q.NE(), q.E(), q.SE(), q.S(), q.SW(), q.W()};
    return Changes(ring, 8) >= 6;
}

// One side with any of its two flanks and nothing else, or one diagonal
// alone.
bool LineEnd(const Grid& q)
{
    const int n = q.Count();
    const auto sideWithFlanks = [&](bool side, bool f1, bool f2) {
        return side && n == 1 + f1 + f2;
    };
    return sideWithFlanks(q.N(), q.NW(), q.NE()) || sideWithFlanks(q.S(), q.SW(), q.SE()) ||
           sideWithFlanks(q.E(), q.NE(), q.SE()) || sideWithFlanks(q.W(), q.NW(), q.SW()) ||
           (n == 1 && (q.NW() || q.NE() || q.SW() || q.SE()));
}

bool CornerStep(const Grid& q)
{
    if (q.N() && q.W() && q.S() && q.E())
        return false;
    return (q.N() && q.W() && !q.SE()) || (q.W() && q.S() && !q.NE()) ||
           (q.S() && q.E() && !q.NW()) || (q.E() && q.N() && !q.SW());
}

TEST(BinNeighbourTables, EveryCodeFollowsItsRule)
{
    for (uint32_t code = 0; code < 256; ++code) {
        const Grid q(code);
        SCOPED_TRACE(code);
        EXPECT_EQ(bool(kRemovable[code]), Removable(q));
        EXPECT_EQ(bool(kAddable[code]), Addable(q));
        EXPECT_EQ(bool(kJunction[code]), Junction(q));
        EXPECT_EQ((code & kLineEnd[code]) != 0, LineEnd(q));
        EXPECT_EQ(bool(kCornerStep[code]), CornerStep(q));
    }
}

// The extension's end test reads two codes: a neighbour that is set but not
// on the line (value 1) makes a pixel no end, except on the flanks of the
// one side neighbour.
TEST(BinNeighbourTables, ExtensionEndReadsBothCodes)
{
    EXPECT_TRUE(kN & kLineEnd[kN | kNW]);          // N on the line, NW drawn: an end
    EXPECT_FALSE(kNW & kLineEnd[kN | kNW]);        // NW on the line, N drawn: not
    EXPECT_FALSE((kSE)&kLineEnd[kSE | kS]);        // a diagonal needs the others clear
    EXPECT_TRUE(kSE & kLineEnd[kSE]);
    EXPECT_FALSE(kE & kLineEnd[kE | kW]);          // a line's inner pixel
}

TEST(BinNeighbourTables, TemplatesHoldTheirListedNeighbours)
{
    // Pruning template 2 takes a lone pixel, thinning template 1 a pixel
    // under a clear line, end removal (1) a pixel open at N, W and E.
    EXPECT_TRUE(kPruningTemplates[1].Matches(0));
    EXPECT_FALSE(kPruningTemplates[0].Matches(0));
    EXPECT_TRUE(kThinningTemplates[0].Matches(kSW | kS | kSE | kW | kE));
    EXPECT_FALSE(kThinningTemplates[0].Matches(kSW | kS | kSE | kN));
    EXPECT_TRUE(kEndRemovalTemplates[0].Matches(kS | kSW | kSE | kNW));
    for (const HitMiss& t : kPruningTemplates)
        EXPECT_EQ(t.set & t.clear, 0);
    for (const HitMiss& t : kThinningTemplates)
        EXPECT_EQ(t.set & t.clear, 0);
    // Each bump pattern is a clear pixel with three set sides.
    for (const Bump& b : kBumps) {
        int sides = 0;
        for (uint32_t s : {kN, kE, kS, kW})
            sides += (b.code & s) != 0;
        EXPECT_EQ(sides, 3);
        EXPECT_EQ(b.code & (kNE | kSE | kSW | kNW), 0);
    }
}

} // namespace

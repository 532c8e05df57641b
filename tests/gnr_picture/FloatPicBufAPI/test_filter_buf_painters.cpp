// Disc, rectangle and cut-disc masks.
#include <gtest/gtest.h>

#include <cmath>

#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"

namespace
{

struct Mask : SLxFilterBuf {
    Mask(uint32_t w, uint32_t h) : SLxFilterBuf{}
    {
        EXPECT_EQ(CLxFilterBuf::Reinit(this, w, h, 0, false), 0);
        CLxFilterBuf::FulFill(this);
    }
    ~Mask() { CLxFilterBuf::Free(this); }
    uint8_t at(uint32_t x, uint32_t y) const { return pData[size_t(y) * uiWidthBytes + x]; }
};

// Angle of (dx, dy) in degrees, counter-clockwise from +x as displayed
// (lines grow downwards), in [0, 360).
double displayedAngle(double dx, double dy)
{
    const double a = std::atan2(-dy, dx) * 180.0 / M_PI;
    return a < 0 ? a + 360.0 : a;
}

// A pixel at the given angle and distance from the patch centre (x, y).
uint8_t atPolar(const Mask& m, uint32_t x, uint32_t y, double degrees, double distance)
{
    const double t = degrees * M_PI / 180.0;
    return m.at(uint32_t(std::lround(x + distance * std::cos(t))),
                uint32_t(std::lround(y - distance * std::sin(t))));
}

} // namespace

TEST(FilterBufPainters, CircleReachesOneFurtherLeftAndUp)
{
    Mask m(12, 12);
    ASSERT_EQ(CLxFilterBuf::Circle(&m, 5, 5, 3, 0), 0);
    EXPECT_EQ(m.at(5, 5), 255);
    EXPECT_EQ(m.at(2, 5), 255); // x - r
    EXPECT_EQ(m.at(5, 2), 255); // y - r
    EXPECT_EQ(m.at(7, 5), 255); // x + r - 1, the patch's last column
    EXPECT_EQ(m.at(8, 5), 0);
    EXPECT_EQ(m.at(2, 2), 0);   // corner of the patch, outside the disc
    EXPECT_EQ(m.at(11, 11), 0); // outside the patch
    struct Bad {
        uint32_t x, y, r;
    } bad[] = {{2, 5, 3}, {5, 2, 3}, {9, 5, 3}, {5, 9, 3}, {0xFFFFFFFFu, 5, 2}};
    for (const Bad& b : bad) {
        Mask untouched(12, 12);
        EXPECT_EQ(CLxFilterBuf::Circle(&untouched, b.x, b.y, b.r, 0), -9);
        EXPECT_EQ(untouched.at(5, 5), 255);
    }
    EXPECT_EQ(CLxFilterBuf::Circle(nullptr, 5, 5, 1, 0), -9);
}

TEST(FilterBufPainters, SoftenedCircleHasSoftEdges)
{
    Mask m(32, 32);
    ASSERT_EQ(CLxFilterBuf::Circle(&m, 16, 16, 10, 2), 0);
    EXPECT_EQ(m.at(16, 16), 255);
    bool between = false;
    for (uint32_t x = 0; x < 32; ++x)
        between = between || (m.at(x, 16) > 0 && m.at(x, 16) < 255);
    EXPECT_TRUE(between);
}

TEST(FilterBufPainters, RectangleExactAndSoftened)
{
    Mask m(10, 8);
    ASSERT_EQ(CLxFilterBuf::Rectangle(&m, 2, 1, 6, 4, 0), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            EXPECT_EQ(m.at(x, y), (x >= 2 && x < 6 && y >= 1 && y < 4) ? 255 : 0) << x << "," << y;
    // Softening 1 keeps a margin of 0: the block is painted, then softened.
    Mask s(20, 20);
    ASSERT_EQ(CLxFilterBuf::Rectangle(&s, 4, 4, 16, 16, 1), 0);
    EXPECT_EQ(s.at(10, 10), 255);
    EXPECT_EQ(s.at(0, 0), 0);
    EXPECT_EQ(CLxFilterBuf::Rectangle(&m, 2, 1, 10, 4, 0), -9);
    EXPECT_EQ(CLxFilterBuf::Rectangle(&m, 6, 1, 2, 4, 0), -9);
}

TEST(FilterBufPainters, CircleCutWithoutTurnClearsBothWedges)
{
    const uint32_t x = 20, y = 18, r = 10;
    const double pairs[][2] = {{60, 120}, {420, 480}, {120, 60}, {-300, -240}};
    for (const auto& angles : pairs) {
        Mask m(44, 40);
        ASSERT_EQ(CLxFilterBuf::CircleCut(&m, x, y, r, 0, angles[0], angles[1], 0), 0);
        for (uint32_t j = 0; j < m.uiHeight; ++j)
            for (uint32_t i = 0; i < m.uiWidth; ++i) {
                const bool inSquare = i + r >= x && i < x + r && j + r >= y && j < y + r;
                const double dx = double(i) - x, dy = double(j) - y;
                const double t = displayedAngle(dx, dy);
                const bool wedge = (t > 75 && t < 105) || (t > 255 && t < 285);
                const bool cleared = (dx == 0 && dy == 0) || (wedge && std::hypot(dx, dy) < r);
                EXPECT_EQ(m.at(i, j), !inSquare ? 0
                                      : cleared ? 0
                                                : 255)
                    << angles[0] << " " << i << "," << j;
            }
    }
}

TEST(FilterBufPainters, CircleCutTurnsTheWedgesToTheMiddleAngle)
{
    struct Case {
        double a1, a2, middle, halfWidth;
    } cases[] = {{0, 60, 30, 15}, {10, 250, 40, 15}, {300, 20, 70, 25}};
    for (const Case& c : cases) {
        Mask m(64, 64);
        ASSERT_EQ(CLxFilterBuf::CircleCut(&m, 32, 32, 24, 0, c.a1, c.a2, 0), 0);
        for (double d : {10.0, 15.0, 20.0}) {
            EXPECT_EQ(atPolar(m, 32, 32, c.middle, d), 0) << c.a1 << " " << d;
            EXPECT_EQ(atPolar(m, 32, 32, c.middle + 180, d), 0) << c.a1 << " " << d;
            EXPECT_EQ(atPolar(m, 32, 32, c.middle + c.halfWidth + 8, d), 255) << c.a1 << " " << d;
            EXPECT_EQ(atPolar(m, 32, 32, c.middle + 90, d), 255) << c.a1 << " " << d;
        }
        EXPECT_EQ(atPolar(m, 32, 32, c.middle + 90, 22), 255);
        EXPECT_EQ(m.at(32 + 24, 32), 0); // beyond the square
    }
}

TEST(FilterBufPainters, CircleCutInnerRadiusAndSoftening)
{
    Mask m(40, 40);
    ASSERT_EQ(CLxFilterBuf::CircleCut(&m, 20, 20, 12, 4, 60, 120, 0), 0);
    EXPECT_EQ(m.at(20, 20), 255); // the centre passes with an inner radius
    EXPECT_EQ(m.at(20, 18), 255); // in the wedge, inside the inner radius
    EXPECT_EQ(m.at(20, 16), 0);   // at the inner radius
    EXPECT_EQ(m.at(20, 10), 0);
    EXPECT_EQ(m.at(20, 26), 0);   // below the centre: the opposite wedge
    EXPECT_EQ(m.at(14, 20), 255); // outside the wedges

    // Softening 4 cuts out to 12 - 1 - 2 = 9 and blurs the edges; the
    // wedges span 47.5 to 132.5 degrees.
    Mask soft(40, 40);
    ASSERT_EQ(CLxFilterBuf::CircleCut(&soft, 20, 20, 12, 0, 0, 170, 4), 0);
    EXPECT_EQ(soft.at(20, 14), 0);
    EXPECT_GT(soft.at(20, 10), 0);
    bool between = false;
    for (uint32_t y = 8; y < 20; ++y)
        between = between || (soft.at(20, y) > 0 && soft.at(20, y) < 255);
    EXPECT_TRUE(between);
}

TEST(FilterBufPainters, CircleCutRefusesBadInput)
{
    struct Bad {
        uint32_t x, y, r;
        double a1, a2;
    } bad[] = {{5, 10, 6, 60, 120},      {10, 5, 6, 60, 120},           {15, 10, 6, 60, 120},
               {10, 15, 6, 60, 120},     {0xFFFFFFFFu, 10, 2, 60, 120}, {10, 10, 4, NAN, 120},
               {10, 10, 4, 60, INFINITY}};
    for (const Bad& b : bad) {
        Mask m(20, 20);
        EXPECT_EQ(CLxFilterBuf::CircleCut(&m, b.x, b.y, b.r, 0, b.a1, b.a2, 0), -9);
        EXPECT_EQ(m.at(10, 10), 255);
    }
    EXPECT_EQ(CLxFilterBuf::CircleCut(nullptr, 5, 5, 1, 0, 60, 120, 0), -9);
}

// Disc and rectangle masks.
#include <gtest/gtest.h>

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

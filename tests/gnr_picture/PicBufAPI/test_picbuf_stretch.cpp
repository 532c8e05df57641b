// Whole-picture and rectangle stretches.
#include <gtest/gtest.h>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

constexpr auto kNearest = CLxPicMemAPI::eLxStretchNearest;
constexpr auto kBSpline = CLxPicMemAPI::eLxStretchBSpline;
constexpr auto kTriangle = CLxPicMemAPI::eLxStretchTriangle;

class PicBufStretch : public ::testing::TestWithParam<Format>
{
};

TEST_P(PicBufStretch, NearestEnlargementRepeatsEachPixelInABlock)
{
    const Format f = GetParam();
    TestPic src(2, 2, f.bits, f.comps, 4);
    TestPic dst(4, 4, f.bits, f.comps, 8);
    src.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::Stretch(dst.p(), src.p(), kNearest), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            ASSERT_EQ(dst.pixel(x, y), src.pixel(x / 2, y / 2)) << x << "," << y;
    EXPECT_TRUE(dst.paddingIntact());
}

TEST_P(PicBufStretch, FilteredModesKeepAUniformPicture)
{
    const Format f = GetParam();
    for (const auto mode : {kBSpline, kTriangle}) {
        TestPic src(5, 3, f.bits, f.comps, 4);
        TestPic dst(9, 7, f.bits, f.comps, 8);
        std::vector<uint32_t> colour;
        for (uint32_t c = 0; c < f.comps; ++c)
            colour.push_back(TestPic::patternValue(0, 0, c, f.bits));
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                src.setPixel(x, y, colour);
        ASSERT_EQ(CLxPicBufAPI::Stretch(dst.p(), src.p(), mode), 0) << "mode " << mode;
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 9; ++x)
                ASSERT_EQ(dst.pixel(x, y), colour) << "mode " << mode;
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST_P(PicBufStretch, RectangleOntoRectangleLeavesTheRestAlone)
{
    const Format f = GetParam();
    TestPic src(4, 4, f.bits, f.comps, 4);
    TestPic dst(7, 6, f.bits, f.comps, 8);
    src.fillPattern(1);
    dst.fillPattern(2);
    // Source pixels (1..2, 1..2) onto destination pixels (2..5, 1..4).
    ASSERT_EQ(CLxPicBufAPI::StretchRect(dst.p(), 2, 1, 4, 4, src.p(), 1, 1, 2, 2, kNearest), 0);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < f.comps; ++c) {
                const bool inside = x >= 2 && x < 6 && y >= 1 && y < 5;
                const uint32_t expected = inside ? src.get(1 + (x - 2) / 2, 1 + (y - 1) / 2, c)
                                                 : TestPic::patternValue(x, y, c, f.bits, 2);
                ASSERT_EQ(dst.get(x, y, c), expected) << x << "," << y << "," << c;
            }
    EXPECT_TRUE(dst.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufStretch,
                         ::testing::Values(Format{8, 1}, Format{8, 3}, Format{12, 3}, Format{16, 1},
                                           Format{8, 5}));

// Enlarging a picture by 2 in two halves gives the enlargement of the whole:
// the taps of each half reach the real columns of the other half and
// replicate only the picture's own edges (never the padding's bytes).
TEST_P(PicBufStretch, HalvesStretchedOneByOneJoinWithoutSeams)
{
    const Format f = GetParam();
    for (const auto mode : {kBSpline, kTriangle}) {
        TestPic src(6, 5, f.bits, f.comps, 8);
        src.fillPattern(3);
        TestPic whole(12, 10, f.bits, f.comps, 4), tiles(12, 10, f.bits, f.comps, 4);
        ASSERT_EQ(CLxPicBufAPI::Stretch(whole.p(), src.p(), mode), 0);
        ASSERT_EQ(CLxPicBufAPI::StretchRect(tiles.p(), 0, 0, 6, 10, src.p(), 0, 0, 3, 5, mode), 0);
        ASSERT_EQ(CLxPicBufAPI::StretchRect(tiles.p(), 6, 0, 6, 10, src.p(), 3, 0, 3, 5, mode), 0);
        for (uint32_t y = 0; y < 10; ++y)
            for (uint32_t x = 0; x < 12; ++x)
                ASSERT_EQ(tiles.pixel(x, y), whole.pixel(x, y))
                    << "mode " << mode << " at " << x << "," << y;
        EXPECT_TRUE(tiles.paddingIntact());
    }
}

// A line 0, 0, 100, 200, 100: its inner window 2..3 doubled by the triangle
// takes column 4 (100) as the right neighbour of 200, not 200 again.
TEST(PicBufStretchRect, InnerWindowUsesTheRightNeighbour)
{
    TestPic src(5, 1, 8, 1, 4), dst(4, 1, 8, 1);
    const uint32_t line[5] = {0, 0, 100, 200, 100};
    for (uint32_t x = 0; x < 5; ++x)
        src.set(x, 0, 0, line[x]);
    ASSERT_EQ(CLxPicBufAPI::StretchRect(dst.p(), 0, 0, 4, 1, src.p(), 2, 0, 2, 1, kTriangle), 0);
    // Centres 1.75, 2.25, 2.75, 3.25 of the picture's columns.
    const uint32_t expected[4] = {75, 125, 175, 175};
    for (uint32_t x = 0; x < 4; ++x)
        EXPECT_EQ(dst.get(x, 0, 0), expected[x]) << x;
}

TEST(PicBufStretchRect, EqualSizesCopyWithoutFiltering)
{
    TestPic src(5, 4, 8, 3);
    TestPic dst(5, 4, 8, 3);
    src.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::StretchRect(dst.p(), 1, 0, 3, 3, src.p(), 2, 1, 3, 3, kBSpline), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            ASSERT_EQ(dst.pixel(1 + x, y), src.pixel(2 + x, 1 + y));
}

TEST(PicBufStretchErrors, FormatsRectanglesAndSharedMemory)
{
    AssertCapture asserts;
    TestPic src(4, 4, 8, 3);
    TestPic dst(8, 8, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::Stretch(dst.p(), src.p(), kNearest), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxPicBufAPI::Stretch, sour and dest must have the same format"), 1);
    EXPECT_EQ(CLxPicBufAPI::StretchRect(dst.p(), 0, 0, 2, 2, src.p(), 0, 0, 1, 1, kNearest), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxPicBufAPI::StretchRect, sour and dest must have the same format"),
        1);

    TestPic colour(8, 8, 8, 3);
    const auto before = colour.bytes();
    EXPECT_EQ(CLxPicBufAPI::StretchRect(colour.p(), 0, 0, 9, 2, src.p(), 0, 0, 1, 1, kNearest), -4);
    EXPECT_EQ(CLxPicBufAPI::StretchRect(colour.p(), 0, 0, 2, 2, src.p(), 3, 3, 2, 1, kNearest), -4);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::StretchRect, rectangle outside the picture"), 2);
    // The resampling would read lines it has already written.
    EXPECT_EQ(CLxPicBufAPI::StretchRect(colour.p(), 0, 0, 4, 4, colour.p(), 4, 4, 2, 2, kNearest),
              -4);
    EXPECT_EQ(CLxPicBufAPI::Stretch(colour.p(), colour.p(), kBSpline), -4);
    EXPECT_EQ(colour.bytes(), before);

    TestPic deep(2, 2, 32, 1), deepDst(4, 4, 32, 1);
    EXPECT_EQ(CLxPicBufAPI::Stretch(deepDst.p(), deep.p(), kNearest), -2);
}

} // namespace

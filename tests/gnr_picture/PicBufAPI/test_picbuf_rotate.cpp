// Rotation of picture buffers: whole turns as shifted copies with their
// covered lines reported, the report form against the plain form, the
// caller's arrays sized by the destination, and refused input leaving the
// destination as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::kMarker;
using picbuftest::TestPic;

namespace
{

TEST(PicBufRotate, WholeTurnsAreShiftedCopiesReportingTheCoveredLines)
{
    for (double degrees : {360.0, -720.0, 0.0, 1080.0})
        for (Format f : {Format{8, 1}, Format{16, 3}}) {
            SCOPED_TRACE(degrees);
            TestPic src(12, 10, f.bits, f.comps);
            src.fillPattern(3);
            TestPic dst(9, 10, f.bits, f.comps, 4);
            // Offsets (2.7, 2.2): the integer parts move the source by (2, 2).
            std::vector<SLxIPoint> left(10), right(10);
            int n = -1;
            ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(dst.p(), src.p(), SLxDPoint{8.2, 7.7},
                                                      SLxDPoint{5.5, 5.5}, degrees, left.data(),
                                                      right.data(), &n),
                      0);
            ASSERT_EQ(n, 8);
            for (int i = 0; i < n; ++i) {
                EXPECT_EQ(left[size_t(i)].y, i + 2);
                EXPECT_EQ(right[size_t(i)].y, i + 2);
                EXPECT_EQ(left[size_t(i)].x, 2);
                EXPECT_EQ(right[size_t(i)].x, 8);
            }
            for (uint32_t y = 0; y < 10; ++y)
                for (uint32_t x = 0; x < 9; ++x)
                    for (uint32_t c = 0; c < f.comps; ++c) {
                        if (x >= 2 && y >= 2)
                            ASSERT_EQ(dst.get(x, y, c), src.get(x - 2, y - 2, c));
                        else
                            ASSERT_EQ(*dst.at(x, y, c), kMarker);
                    }
            EXPECT_TRUE(dst.paddingIntact());
        }
}

TEST(PicBufRotate, WholeTurnCountsFollowTheLineOffset)
{
    // (line offset, destination height, source height, lines covered)
    struct Case {
        double offset;
        uint32_t dstHeight, srcHeight;
        int lines;
    };
    for (const Case& k : {Case{2, 10, 10, 8}, Case{-2, 10, 10, 8}, Case{0, 6, 10, 6},
                          Case{3, 20, 10, 10}, Case{12, 10, 10, 0}, Case{-10, 10, 10, 0}}) {
        SCOPED_TRACE(k.offset);
        TestPic src(5, k.srcHeight, 8, 1);
        src.fillPattern();
        TestPic dst(5, k.dstHeight, 8, 1);
        std::vector<SLxIPoint> left(k.dstHeight), right(k.dstHeight);
        int n = -1;
        ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(dst.p(), src.p(), SLxDPoint{0, k.offset},
                                                  SLxDPoint{0, 0}, 360.0, left.data(), right.data(),
                                                  &n),
                  0);
        EXPECT_EQ(n, k.lines);
    }
}

TEST(PicBufRotate, RotateBufAtZeroReproducesAndAtNinetyTurnsCounterClockwise)
{
    for (Format f : {Format{8, 1}, Format{12, 3}, Format{8, 4}}) {
        SCOPED_TRACE(::testing::PrintToString(f));
        TestPic src(11, 11, f.bits, f.comps);
        src.fillPattern(1);
        TestPic same(11, 11, f.bits, f.comps);
        ASSERT_EQ(CLxPicBufAPI::RotateBuf_LIN(same.p(), src.p(), 0.0), 0);
        EXPECT_TRUE(CLxPicBufAPI::IsEqual(same.p(), src.p()));

        // The right neighbour of the centre goes above it: dst(x, y) =
        // src(c - (y - c), c + (x - c)) about c = 5.
        TestPic turned(11, 11, f.bits, f.comps);
        ASSERT_EQ(CLxPicBufAPI::RotateBuf_LIN(turned.p(), src.p(), 90.0), 0);
        for (uint32_t y = 0; y < 11; ++y)
            for (uint32_t x = 0; x < 11; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(turned.get(x, y, c), src.get(10 - y, x, c)) << x << "," << y;
    }
}

TEST(PicBufRotate, ReportFormMatchesThePlainFormWithinTheDestinationsLines)
{
    for (double degrees : {17.0, 90.0, 135.5, -60.0}) {
        SCOPED_TRACE(degrees);
        TestPic src(40, 25, 8, 1);
        src.fillPattern(2);
        TestPic plain(30, 33, 8, 1), reported(30, 33, 8, 1), counted(30, 33, 8, 1);
        const SLxDPoint to{14.5, 16.0}, from{19.5, 12.0};
        ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(plain.p(), src.p(), to, from, degrees), 0);
        // Exactly as many entries as the destination has lines, and a guard.
        std::vector<SLxIPoint> left(34, SLxIPoint{-7, -7}), right(34, SLxIPoint{-7, -7});
        int n = -1;
        ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(reported.p(), src.p(), to, from, degrees,
                                                  left.data(), right.data(), &n),
                  0);
        EXPECT_EQ(reported.bytes(), plain.bytes());
        ASSERT_GT(n, 0);
        ASSERT_LE(n, 33);
        EXPECT_EQ(left[33].x, -7);
        EXPECT_EQ(right[33].x, -7);
        for (int i = 0; i < n; ++i) {
            const SLxIPoint a = left[size_t(i)], b = right[size_t(i)];
            EXPECT_EQ(a.y, b.y);
            EXPECT_EQ(a.y, left[0].y + i);
            EXPECT_LE(a.x, b.x);
            EXPECT_GE(a.x, 0);
            EXPECT_LT(b.x, 30);
        }
        // Null arrays: the plain form, the count still given.
        int alone = -1;
        ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(counted.p(), src.p(), to, from, degrees, nullptr,
                                                  right.data(), &alone),
                  0);
        EXPECT_EQ(counted.bytes(), plain.bytes());
        EXPECT_EQ(alone, n);
        ASSERT_EQ(CLxPicBufAPI::RotateGeneral_LIN(counted.p(), src.p(), to, from, degrees, nullptr,
                                                  nullptr, nullptr),
                  0);
    }
}

TEST(PicBufRotate, RefusedInputLeavesTheDestinationAndZeroLines)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        Format dstFormat, srcFormat;
        double angle;
        SLxDPoint to;
        int status;
    };
    const Case cases[] = {
        {"other bits", {8, 1}, {12, 1}, 10, {3, 3}, -2},
        {"other components", {8, 3}, {8, 1}, 10, {3, 3}, -2},
        {"7 bits", {7, 1}, {7, 1}, 10, {3, 3}, -2},
        {"17 bits", {17, 1}, {17, 1}, 10, {3, 3}, -2},
        {"32 bits", {32, 1}, {32, 1}, 10, {3, 3}, -2},
        {"NaN angle", {8, 1}, {8, 1}, nan, {3, 3}, -4},
        {"infinite angle", {8, 1}, {8, 1}, inf, {3, 3}, -4},
        {"NaN centre", {8, 1}, {8, 1}, 10, {nan, 3}, -4},
        {"infinite centre at a whole turn", {8, 1}, {8, 1}, 360, {3, -inf}, -4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestPic src(8, 6, k.srcFormat.bits, k.srcFormat.comps);
        src.fillPattern();
        TestPic dst(7, 9, k.dstFormat.bits, k.dstFormat.comps);
        const auto before = dst.bytes();
        std::vector<SLxIPoint> left(9), right(9);
        int n = -1;
        EXPECT_EQ(CLxPicBufAPI::RotateGeneral_LIN(dst.p(), src.p(), k.to, SLxDPoint{3, 2}, k.angle,
                                                  left.data(), right.data(), &n),
                  k.status);
        EXPECT_EQ(n, 0);
        EXPECT_EQ(CLxPicBufAPI::RotateGeneral_LIN(dst.p(), src.p(), k.to, SLxDPoint{3, 2}, k.angle),
                  k.status);
        if (k.to.x == 3 && k.to.y == 3) {
            EXPECT_EQ(CLxPicBufAPI::RotateBuf_LIN(dst.p(), src.p(), k.angle), k.status);
        }
        EXPECT_EQ(dst.bytes(), before);
    }
    TestPic pic(4, 4, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::RotateGeneral_LIN(nullptr, pic.p(), SLxDPoint{}, SLxDPoint{}, 5), -2);
    EXPECT_EQ(CLxPicBufAPI::RotateBuf_LIN(pic.p(), nullptr, 5), -2);
}

} // namespace

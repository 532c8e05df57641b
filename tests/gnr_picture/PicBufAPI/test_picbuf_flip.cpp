// Vertical flip from one picture into another.
#include <gtest/gtest.h>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

class PicBufFlipCopy : public ::testing::TestWithParam<Format>
{
};

TEST_P(PicBufFlipCopy, DestinationLinesTakeTheSourceLinesOfTheShorterHeightReversed)
{
    const Format f = GetParam();
    TestPic src(5, 3, f.bits, f.comps);
    TestPic dst(5, 4, f.bits, f.comps);
    src.fillPattern(1);
    dst.fillPattern(2);
    ASSERT_EQ(CLxPicBufAPI::FlipCopy(dst.p(), src.p()), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < f.comps; ++c)
                ASSERT_EQ(dst.get(x, y, c),
                          y < 3 ? src.get(x, 2 - y, c) : TestPic::patternValue(x, y, c, f.bits, 2))
                    << x << "," << y << "," << c;
}

TEST_P(PicBufFlipCopy, FlipsInPlaceWhenBothAreTheSamePicture)
{
    const Format f = GetParam();
    for (const uint32_t height : {1u, 2u, 5u}) {
        TestPic pic(3, height, f.bits, f.comps, 4);
        pic.fillPattern();
        ASSERT_EQ(CLxPicBufAPI::FlipCopy(pic.p(), pic.p()), 0);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < 3; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(pic.get(x, y, c),
                              TestPic::patternValue(x, height - 1 - y, c, f.bits));
        EXPECT_TRUE(pic.paddingIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufFlipCopy,
                         ::testing::Values(Format{8, 1}, Format{8, 3}, Format{12, 1}, Format{16, 4},
                                           Format{32, 3}, Format{8, 5}));

TEST(PicBufFlipCopyExamples, HeightsFourAndThree)
{
    // Destination of 4 lines, source of 3: lines 0, 1, 2 from 2, 1, 0.
    TestPic src(1, 3, 8, 1);
    TestPic dst(1, 4, 8, 1);
    for (uint32_t y = 0; y < 3; ++y)
        src.set(0, y, 0, 10 + y);
    dst.set(0, 3, 0, 99);
    ASSERT_EQ(CLxPicBufAPI::FlipCopy(dst.p(), src.p()), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 12u);
    EXPECT_EQ(dst.get(0, 1, 0), 11u);
    EXPECT_EQ(dst.get(0, 2, 0), 10u);
    EXPECT_EQ(dst.get(0, 3, 0), 99u);
}

TEST(PicBufFlipCopyExamples, DifferentFormatsAreRefusedAndReported)
{
    AssertCapture asserts;
    TestPic src(2, 2, 8, 3);
    TestPic dst(2, 2, 16, 3);
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::FlipCopy(dst.p(), src.p()), -9);
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::Copy, sour and dest must have the same format"),
              1);
    EXPECT_EQ(CLxPicBufAPI::FlipCopy(nullptr, src.p()), -9);
}

} // namespace

// Complement, AND, equality and the format tests.
#include <gtest/gtest.h>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::maxOf;
using picbuftest::TestPic;

namespace
{

// --- Complement --------------------------------------------------------------------

class PicBufComplement : public ::testing::TestWithParam<Format>
{
};

TEST_P(PicBufComplement, InPlaceEverySampleBecomesItsNotWithinTheBits)
{
    const Format f = GetParam();
    for (const uint32_t width : {1u, 5u}) {
        TestPic pic(width, 3, f.bits, f.comps, 4);
        pic.fillPattern();
        ASSERT_EQ(CLxPicBufAPI::Complement(pic.p()), 0);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(pic.get(x, y, c),
                              maxOf(f.bits) - TestPic::patternValue(x, y, c, f.bits));
        EXPECT_TRUE(pic.paddingIntact());
    }
}

// Each picture keeps its own pitch, and 17- to 32-bit samples are
// complemented as whole 32-bit words.
TEST_P(PicBufComplement, FromAnotherPictureOfOtherPitch)
{
    const Format f = GetParam();
    TestPic src(5, 3, f.bits, f.comps, 12);
    TestPic dst(5, 3, f.bits, f.comps, 4);
    src.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::Complement(dst.p(), src.p()), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < f.comps; ++c)
                ASSERT_EQ(dst.get(x, y, c), maxOf(f.bits) - src.get(x, y, c));
    EXPECT_TRUE(dst.paddingIntact());
}

TEST_P(PicBufComplement, MaskSelectsSamples)
{
    const Format f = GetParam();
    TestPic pic(5, 2, f.bits, f.comps, 4);
    TestPic mask(5, 2, 8, f.comps, 4);
    pic.fillPattern();
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < f.comps; ++c)
                mask.set(x, y, c, (x + y + c) % 2 ? 0 : 1 + x * 50);
    ASSERT_EQ(CLxPicBufAPI::ComplementMask(pic.p(), mask.p()), 0);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < f.comps; ++c) {
                const uint32_t v = TestPic::patternValue(x, y, c, f.bits);
                ASSERT_EQ(pic.get(x, y, c), mask.get(x, y, c) ? maxOf(f.bits) - v : v);
            }
    EXPECT_TRUE(pic.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufComplement,
                         ::testing::Values(Format{8, 1}, Format{8, 3}, Format{1, 1}, Format{12, 3},
                                           Format{16, 1}, Format{24, 1}, Format{32, 4},
                                           Format{16, 5}));

TEST(PicBufComplementErrors, MismatchesAreRefusedAndTheDestinationStays)
{
    AssertCapture asserts;
    TestPic src(4, 4, 16, 1);
    TestPic dst(4, 3, 16, 1);
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::Complement(dst.p(), src.p()), -9);
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(asserts.countMessage("K3LxBinPicBuf::Complement, sour and dest sizes are different"),
              1);

    TestPic deep(2, 2, 40, 1);
    EXPECT_EQ(CLxPicBufAPI::Complement(deep.p()), -2);
    EXPECT_EQ(CLxPicBufAPI::Complement(nullptr), -9);

    TestPic pic(4, 4, 8, 3);
    TestPic wideMask(4, 4, 16, 3);
    TestPic grayMask(4, 4, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::ComplementMask(pic.p(), wideMask.p()), -9);
    EXPECT_EQ(CLxPicBufAPI::ComplementMask(pic.p(), grayMask.p()), -9);
}

// --- And ----------------------------------------------------------------------------

TEST(PicBufAnd, AndsEverySampleLineByLine)
{
    for (const Format f : {Format{8, 3}, Format{16, 1}, Format{32, 3}}) {
        TestPic src(5, 3, f.bits, f.comps, 8);
        TestPic dst(5, 3, f.bits, f.comps, 4);
        src.fillPattern(1);
        dst.fillPattern(2);
        ASSERT_EQ(CLxPicBufAPI::And(dst.p(), src.p()), 0);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(dst.get(x, y, c),
                              src.get(x, y, c) & TestPic::patternValue(x, y, c, f.bits, 2))
                        << f;
        EXPECT_TRUE(dst.paddingIntact());
    }
}

// The write stays within the destination even when the source's lines hold
// more bytes than the destination's.
TEST(PicBufAnd, OtherSizesOrFormatsAreRefusedAndReported)
{
    AssertCapture asserts;
    TestPic dst(4, 4, 8, 1);
    TestPic otherSize(4, 5, 8, 1);
    TestPic widerSamples(4, 4, 16, 1);
    TestPic moreComps(4, 4, 8, 3);
    dst.fillPattern();
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::And(dst.p(), otherSize.p()), -4);
    EXPECT_EQ(CLxPicBufAPI::And(dst.p(), widerSamples.p()), -4);
    EXPECT_EQ(CLxPicBufAPI::And(dst.p(), moreComps.p()), -4);
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(
        asserts.countMessage("CLxPicBufAPI::And, sour and dest must have the same size and format"),
        3);
}

// --- Equality and format tests ----------------------------------------------------------

TEST(PicBufIsEqual, ComparesSamplesNotPadding)
{
    for (const Format f : {Format{8, 1}, Format{12, 3}, Format{32, 4}}) {
        TestPic a(5, 3, f.bits, f.comps, 4);
        TestPic b(5, 3, f.bits, f.comps, 12);
        a.fillPattern();
        b.fillPattern();
        EXPECT_TRUE(CLxPicBufAPI::IsEqual(a.p(), b.p())) << f;
        b.set(4, 2, f.comps - 1, b.get(4, 2, f.comps - 1) ^ 1);
        EXPECT_FALSE(CLxPicBufAPI::IsEqual(a.p(), b.p())) << f;
    }
    TestPic one(1, 1, 8, 1), other(1, 1, 8, 1);
    one.set(0, 0, 0, 5);
    other.set(0, 0, 0, 5);
    EXPECT_TRUE(CLxPicBufAPI::IsEqual(one.p(), other.p()));
}

TEST(PicBufIsEqual, DifferentFormatsOrMissingRecordsAreNotEqual)
{
    AssertCapture asserts;
    TestPic a(2, 2, 8, 1), bits(2, 2, 16, 1), comps(2, 2, 8, 3), size(2, 3, 8, 1);
    EXPECT_FALSE(CLxPicBufAPI::IsEqual(a.p(), bits.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsEqual(a.p(), comps.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsEqual(a.p(), size.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsEqual(a.p(), nullptr));
}

TEST(PicBufFormatTests, FullComponentMask)
{
    struct Case {
        uint32_t comps, mask;
        bool full;
    };
    const Case cases[] = {{1, 1, true},
                          {1, 0xFE, false},
                          {3, 7, true},
                          {3, 0xFF, true},
                          {3, 5, false},
                          {32, 0xFFFFFFFFu, true},
                          {32, 0x7FFFFFFF, false},
                          {33, 0xFFFFFFFFu, false}};
    for (const Case& k : cases) {
        SLxPicBuf pic{};
        pic.uiComps = k.comps;
        EXPECT_EQ(CLxPicBufAPI::IsFullCompMask(&pic, k.mask), k.full) << k.comps << " " << k.mask;
    }
    EXPECT_FALSE(CLxPicBufAPI::IsFullCompMask(nullptr, 1));
}

TEST(PicBufFormatTests, GrayAndMono)
{
    AssertCapture asserts;
    TestPic gray(3, 2, 8, 1);
    TestPic colour(3, 2, 8, 3);
    EXPECT_TRUE(CLxPicBufAPI::IsPicGray(gray.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsPicGray(colour.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsPicGray(nullptr));

    for (const Format f : {Format{8, 3}, Format{16, 3}, Format{12, 4}, Format{32, 3}}) {
        TestPic pic(5, 3, f.bits, f.comps, 4);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x) {
                const uint32_t v = TestPic::patternValue(x, y, 0, f.bits);
                pic.setPixel(x, y, {v, v, v});
                if (f.comps == 4)
                    pic.set(x, y, 3, v ^ 1); // a fourth component does not count
            }
        EXPECT_TRUE(CLxPicBufAPI::IsPicMono(pic.p())) << f;
        pic.set(4, 2, 2, pic.get(4, 2, 2) ^ 1);
        EXPECT_FALSE(CLxPicBufAPI::IsPicMono(pic.p())) << f;
    }

    SLxPicBuf empty;
    CLxPicBufAPI::Init(&empty);
    EXPECT_TRUE(CLxPicBufAPI::IsPicMono(&empty));
    EXPECT_TRUE(CLxPicBufAPI::IsPicMono(gray.p()));
    EXPECT_FALSE(CLxPicBufAPI::IsPicMono(nullptr));
}

} // namespace

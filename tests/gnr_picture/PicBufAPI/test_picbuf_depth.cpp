// Bit-depth change, blue/red swap and the conversions from colour to gray.
#include <gtest/gtest.h>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

// --- ChangeBitDepth ----------------------------------------------------------------

TEST(PicBufChangeBitDepth, ConvertsIntoNewMemoryOfTheDefaultPitch)
{
    struct Case {
        uint32_t from, to;
        uint32_t value, expected; // the converter keeps values or cuts them to the storage
    };
    const Case cases[] = {
        {8, 16, 200, 200}, {12, 32, 4095, 4095}, {16, 8, 0x1234, 0x34}, {8, 8, 77, 77}};
    for (const Case& k : cases) {
        TestPic pic(5, 2, k.from, 3, 8);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                pic.setPixel(x, y, {k.value, k.value, k.value});
        ASSERT_EQ(CLxPicBufAPI::ChangeBitDepth(pic.p(), k.to), 0) << k.from << "->" << k.to;
        EXPECT_EQ(pic->uiBpc, k.to);
        EXPECT_EQ(pic->uiWidthBytes, CLxPicBufAPI::CalcWidthBytes(5, k.to, 3, 4));
        EXPECT_EQ(pic->uiSize, pic->uiWidthBytes * 2);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                ASSERT_EQ(pic.pixel(x, y), std::vector<uint32_t>(3, k.expected));
    }
}

TEST(PicBufChangeBitDepth, FailuresLeaveThePictureUnchanged)
{
    for (const uint32_t bits : {0u, 33u, 64u}) {
        TestPic pic(3, 2, 8, 1);
        pic.fillPattern();
        const SLxPicBuf fields = pic.rec();
        const auto before = pic.bytes();
        EXPECT_EQ(CLxPicBufAPI::ChangeBitDepth(pic.p(), bits), -2);
        EXPECT_TRUE(picbuftest::sameFields(fields, pic.rec()));
        EXPECT_EQ(pic.bytes(), before);
    }
    AssertCapture asserts;
    EXPECT_EQ(CLxPicBufAPI::ChangeBitDepth(nullptr, 8), -9);
}

// --- ConvertBGRtoRGB ---------------------------------------------------------------------

class PicBufBgrToRgb : public ::testing::TestWithParam<Format>
{
};

TEST_P(PicBufBgrToRgb, InPlaceExchangesComponentsZeroAndTwo)
{
    const Format f = GetParam();
    TestPic pic(5, 3, f.bits, f.comps, 4);
    pic.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(pic.p()), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t c = 0; c < f.comps; ++c) {
                const uint32_t from = c == 0 ? 2 : c == 2 ? 0 : c;
                ASSERT_EQ(pic.get(x, y, c), TestPic::patternValue(x, y, from, f.bits));
            }
    EXPECT_TRUE(pic.paddingIntact());
}

// Each picture steps by its own component count; the destination's
// components beyond the third stay.
TEST_P(PicBufBgrToRgb, IntoAPictureOfOtherComponentCount)
{
    const Format f = GetParam();
    const uint32_t dstComps = f.comps == 3 ? 4 : 3;
    TestPic src(5, 3, f.bits, f.comps, 4);
    TestPic dst(5, 3, f.bits, dstComps, 8);
    src.fillPattern(1);
    dst.fillPattern(2);
    ASSERT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(dst.p(), src.p()), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            for (uint32_t c = 0; c < 3; ++c)
                ASSERT_EQ(dst.get(x, y, c), src.get(x, y, 2 - c));
            if (dstComps == 4) {
                ASSERT_EQ(dst.get(x, y, 3), TestPic::patternValue(x, y, 3, f.bits, 2));
            }
        }
    EXPECT_TRUE(dst.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufBgrToRgb,
                         ::testing::Values(Format{8, 3}, Format{8, 4}, Format{12, 3}, Format{16, 4},
                                           Format{32, 3}));

TEST(PicBufBgrToRgbErrors, FewComponentsOrMismatchesAreRefusedWithoutReport)
{
    AssertCapture asserts;
    TestPic gray(2, 2, 8, 1);
    TestPic colour(2, 2, 8, 3);
    TestPic colour16(2, 2, 16, 3);
    TestPic taller(2, 3, 8, 3);
    EXPECT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(gray.p()), -9);
    EXPECT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(colour.p(), gray.p()), -9);
    EXPECT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(colour.p(), colour16.p()), -9);
    EXPECT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(colour.p(), taller.p()), -9);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI"), 0);
    TestPic deep(2, 2, 40, 3);
    EXPECT_EQ(CLxPicBufAPI::ConvertBGRtoRGB(deep.p()), -2);
}

// --- ColorToGray ---------------------------------------------------------------------------

TEST(PicBufColorToGray, AveragesTheComponents)
{
    for (const Format f : {Format{8, 3}, Format{12, 3}, Format{16, 4}, Format{8, 5}}) {
        TestPic src(5, 3, f.bits, f.comps, 4);
        TestPic dst(5, 3, f.bits, 1, 8);
        src.fillPattern();
        ASSERT_EQ(CLxPicBufAPI::ColorToGray(dst.p(), src.p()), 0) << f;
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x) {
                uint64_t sum = 0;
                for (uint32_t c = 0; c < f.comps; ++c)
                    sum += src.get(x, y, c);
                ASSERT_EQ(dst.get(x, y, 0), (sum + f.comps / 2) / f.comps) << f;
            }
        EXPECT_TRUE(dst.paddingIntact());
    }
}

TEST(PicBufColorToGray, MismatchesAreRefused)
{
    AssertCapture asserts;
    TestPic src(3, 3, 8, 3);
    TestPic otherBits(3, 3, 16, 1);
    TestPic otherSize(3, 2, 8, 1);
    TestPic colourDst(3, 3, 8, 3);
    EXPECT_EQ(CLxPicBufAPI::ColorToGray(otherBits.p(), src.p()), -9);
    EXPECT_EQ(CLxPicBufAPI::ColorToGray(otherSize.p(), src.p()), -9);
    EXPECT_EQ(asserts.countMessage(
                  "K3LxBinPicBuf::ColorToGray, sour and dest sizes or BPCs are different"),
              2);
    EXPECT_EQ(CLxPicBufAPI::ColorToGray(colourDst.p(), src.p()), -9);
    TestPic deep(3, 3, 32, 3), deepGray(3, 3, 32, 1);
    EXPECT_EQ(CLxPicBufAPI::ColorToGray(deepGray.p(), deep.p()), -2);
}

TEST(PicBufColorToGrayBitmap, WeightedGrayWith192KeptForItsOwnPixel)
{
    struct Case {
        uint32_t c0, c1, c2, gray;
    };
    const Case cases[] = {
        {192, 192, 192, 192}, {193, 192, 192, 191}, // sums to 192 too
        {255, 255, 255, 255}, {0, 0, 0, 0},         {255, 0, 0, 76},
        {0, 255, 0, 148},     {0, 0, 255, 31},      {100, 100, 100, 99}, // 29 + 58 + 12
    };
    TestPic src(8, 1, 8, 3, 4);
    TestPic dst(8, 1, 8, 1, 4);
    for (uint32_t x = 0; x < 8; ++x)
        src.setPixel(x, 0, {cases[x].c0, cases[x].c1, cases[x].c2});
    ASSERT_EQ(CLxPicBufAPI::ColorToGrayBitmap(dst.p(), src.p()), 0);
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(dst.get(x, 0, 0), cases[x].gray)
            << cases[x].c0 << "," << cases[x].c1 << "," << cases[x].c2;
    EXPECT_TRUE(dst.paddingIntact());
}

TEST(PicBufColorToGrayBitmap, OnlyEightBitColourToGray)
{
    AssertCapture asserts;
    TestPic src(2, 2, 8, 3);
    TestPic gray(2, 2, 8, 1);
    TestPic colourDst(2, 2, 8, 3);
    TestPic src16(2, 2, 16, 3), gray16(2, 2, 16, 1);
    TestPic small(2, 1, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::ColorToGrayBitmap(colourDst.p(), src.p()), -2);
    EXPECT_EQ(CLxPicBufAPI::ColorToGrayBitmap(gray16.p(), src16.p()), -2);
    EXPECT_EQ(CLxPicBufAPI::ColorToGrayBitmap(gray.p(), gray.p()), -2);
    EXPECT_EQ(CLxPicBufAPI::ColorToGrayBitmap(small.p(), src.p()), -9);
    EXPECT_EQ(
        asserts.countMessage("K3LxBinPicBuf::ColorToGrayBitmap, sour and dest sizes are different"),
        1);
}

} // namespace

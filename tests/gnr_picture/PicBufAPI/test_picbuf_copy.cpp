// Copies by component and rectangle, canvas changes, fills, Clear and Swap.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

// --- CopyComp -------------------------------------------------------------------

struct CopyCompCase {
    uint32_t bits, srcComps, dstComps;
};

class PicBufCopyComp : public ::testing::TestWithParam<CopyCompCase>
{
};

TEST_P(PicBufCopyComp, CopiesLeadingComponentsAndZeroesTheRestOverTheOverlap)
{
    const CopyCompCase k = GetParam();
    TestPic src(5, 3, k.bits, k.srcComps, 4);
    TestPic dst(4, 4, k.bits, k.dstComps, 8);
    src.fillPattern(1);
    dst.fillPattern(2);

    ASSERT_EQ(CLxPicBufAPI::CopyComp(dst.p(), src.p()), 0);

    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t c = 0; c < k.dstComps; ++c) {
                uint32_t expected = TestPic::patternValue(x, y, c, k.bits, 2); // untouched
                if (y < 3)
                    expected = c < k.srcComps ? src.get(x, y, c) : 0;
                ASSERT_EQ(dst.get(x, y, c), expected) << x << "," << y << "," << c;
            }
    EXPECT_TRUE(dst.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufCopyComp,
                         ::testing::Values(CopyCompCase{8, 1, 3}, CopyCompCase{8, 3, 1},
                                           CopyCompCase{8, 3, 3}, CopyCompCase{12, 3, 4},
                                           CopyCompCase{16, 5, 3}, CopyCompCase{32, 1, 4},
                                           CopyCompCase{24, 4, 1}));

TEST(PicBufCopyCompExamples, GrayIntoColourGivesValueThenZeros)
{
    TestPic gray(1, 1, 8, 1);
    TestPic colour(1, 1, 8, 3);
    gray.set(0, 0, 0, 77);
    ASSERT_EQ(CLxPicBufAPI::CopyComp(colour.p(), gray.p()), 0);
    EXPECT_EQ(colour.pixel(0, 0), (std::vector<uint32_t>{77, 0, 0}));
}

TEST(PicBufCopyCompExamples, DifferentBitsAreRefusedAndReported)
{
    AssertCapture asserts;
    TestPic src(3, 3, 8, 3);
    TestPic dst(3, 3, 16, 3);
    src.fillPattern();
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::CopyComp(dst.p(), src.p()), -9);
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::Copy, sour and dest must have same bpc"), 1);
}

// --- CopyRect and ResizeCanvas ------------------------------------------------------

class PicBufCopyRect : public ::testing::TestWithParam<Format>
{
};

TEST_P(PicBufCopyRect, CopiesTheRectangleAndNothingElse)
{
    const Format f = GetParam();
    TestPic src(5, 4, f.bits, f.comps, 4);
    TestPic dst(7, 3, f.bits, f.comps, 8);
    src.fillPattern(1);
    dst.fillPattern(2);

    ASSERT_EQ(CLxPicBufAPI::CopyRect(4, 1, 3, 2, dst.p(), 1, 2, src.p()), 0);

    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < f.comps; ++c) {
                const bool inside = x >= 4 && y >= 1;
                const uint32_t expected = inside ? src.get(x - 4 + 1, y - 1 + 2, c)
                                                 : TestPic::patternValue(x, y, c, f.bits, 2);
                ASSERT_EQ(dst.get(x, y, c), expected) << x << "," << y << "," << c;
            }
    EXPECT_TRUE(dst.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufCopyRect,
                         ::testing::Values(Format{8, 1}, Format{8, 3}, Format{12, 3}, Format{16, 4},
                                           Format{32, 1}, Format{8, 5}));

TEST(PicBufCopyRectErrors, RectanglesReachingOutsideAreRefused)
{
    AssertCapture asserts;
    TestPic src(4, 4, 8, 1);
    TestPic dst(4, 4, 8, 1);
    src.fillPattern();
    const auto before = dst.bytes();
    // Width and offsets that would wrap in 32 bits, too.
    const uint32_t bad[][6] = {{1, 0, 4, 1, 0, 0},           {0, 0, 4, 1, 1, 0},
                               {0, 3, 1, 2, 0, 0},           {0, 0, 1, 2, 0, 3},
                               {0xFFFFFFFFu, 0, 2, 1, 0, 0}, {0, 0, 0xFFFFFFFFu, 1, 1, 0}};
    for (const auto& r : bad) {
        EXPECT_EQ(CLxPicBufAPI::CopyRect(r[0], r[1], r[2], r[3], dst.p(), r[4], r[5], src.p()), -4);
    }
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::CopyRect, rectangle outside the picture"), 6);
}

TEST(PicBufCopyRectErrors, DifferentFormatsAreRefusedAndReported)
{
    AssertCapture asserts;
    TestPic src(4, 4, 8, 3);
    TestPic dst(4, 4, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::CopyRect(0, 0, 1, 1, dst.p(), 0, 0, src.p()), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxPicBufAPI::CopyRect, sour and dest must have the same format"), 1);
}

TEST(PicBufCopyRectErrors, MissingOrShortRecordsAreRefused)
{
    AssertCapture asserts;
    TestPic pic(4, 4, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::CopyRect(0, 0, 1, 1, nullptr, 0, 0, pic.p()), -9);
    TestPic freed(4, 4, 8, 1);
    CLxPicBufAPI::Free(freed.p()); // format kept, memory gone
    EXPECT_EQ(CLxPicBufAPI::CopyRect(0, 0, 1, 1, freed.p(), 0, 0, pic.p()), -9);
    SLxPicBuf lying = pic.rec();
    lying.uiHeight = 100; // claims more lines than its memory holds
    EXPECT_EQ(CLxPicBufAPI::CopyRect(0, 0, 1, 1, pic.p(), 0, 99, &lying), -9);
    EXPECT_EQ(asserts.count("lxpicbuf::coversFormat(pic)"), 3);
}

TEST(PicBufCopyRectSamePicture, OverlappingRectanglesMoveAsIfCopiedThroughABuffer)
{
    for (const int shift : {1, -1}) {
        TestPic pic(6, 6, 16, 3, 4);
        pic.fillPattern();
        TestPic original(6, 6, 16, 3, 4);
        original.fillPattern();
        const uint32_t from = shift > 0 ? 0 : 1, to = shift > 0 ? 1 : 0;
        ASSERT_EQ(CLxPicBufAPI::CopyRect(to, to, 5, 5, pic.p(), from, from, pic.p()), 0);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                for (uint32_t c = 0; c < 3; ++c)
                    ASSERT_EQ(pic.get(x + to, y + to, c), original.get(x + from, y + from, c))
                        << "shift " << shift;
        EXPECT_TRUE(pic.paddingIntact());
    }
}

TEST(PicBufResizeCanvas, CopiesTheTopLeftOverlap)
{
    TestPic src(5, 2, 8, 3);
    TestPic dst(3, 4, 8, 3, 4);
    src.fillPattern(1);
    dst.fillPattern(2);
    ASSERT_EQ(CLxPicBufAPI::ResizeCanvas(dst.p(), src.p(), 0), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            EXPECT_EQ(
                dst.pixel(x, y), y < 2 ? src.pixel(x, y) : [&] {
                    std::vector<uint32_t> v;
                    for (uint32_t c = 0; c < 3; ++c)
                        v.push_back(TestPic::patternValue(x, y, c, 8, 2));
                    return v;
                }());
    EXPECT_TRUE(dst.paddingIntact());
}

// --- AdjustCanvasRGB -------------------------------------------------------------------

TEST(PicBufAdjustCanvas, SameSizeChangesNothing)
{
    TestPic pic(3, 2, 8, 3);
    pic.fillPattern();
    const void* memory = pic->pData;
    const auto before = pic.bytes();
    const uint32_t red[] = {255, 0, 0};
    EXPECT_EQ(CLxPicBufAPI::AdjustCanvasRGB(pic.p(), 3, 2, 0, red), 0);
    EXPECT_EQ(pic->pData, memory);
    EXPECT_EQ(pic.bytes(), before);
}

TEST(PicBufAdjustCanvas, EnlargingFillsTheNewAreaWithTheColour)
{
    TestPic pic(2, 2, 8, 3);
    pic.fillPattern();
    TestPic old(2, 2, 8, 3);
    old.fillPattern();
    const uint32_t red[] = {255, 0, 0};
    ASSERT_EQ(CLxPicBufAPI::AdjustCanvasRGB(pic.p(), 4, 4, 0, red), 0);
    ASSERT_EQ(pic->uiWidth, 4u);
    ASSERT_EQ(pic->uiHeight, 4u);
    EXPECT_EQ(pic->uiBpc, 8);
    EXPECT_EQ(pic->uiComps, 3u);
    EXPECT_EQ(pic->uiWidthBytes, 12u);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(pic.pixel(x, y),
                      x < 2 && y < 2 ? old.pixel(x, y) : std::vector<uint32_t>({0, 0, 255}))
                << x << "," << y;
}

TEST(PicBufAdjustCanvas, WithoutColourTheNewAreaIsZeroAndShrinkingKeepsTheTopLeft)
{
    TestPic pic(3, 3, 12, 1);
    pic.fillPattern();
    TestPic old(3, 3, 12, 1);
    old.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::AdjustCanvasRGB(pic.p(), 5, 1, 0, nullptr), 0);
    for (uint32_t x = 0; x < 5; ++x)
        EXPECT_EQ(pic.get(x, 0, 0), x < 3 ? old.get(x, 0, 0) : 0u);
}

// The new canvas is built before the old one is given up: a failure leaves
// the caller's picture whole.
TEST(PicBufAdjustCanvas, FailuresKeepTheOldPicture)
{
    struct Case {
        uint32_t comps, width, height;
        bool colour;
        int status;
    };
    const Case cases[] = {
        {1, 65536, 65536, false, -3}, // 4 GiB: no memory
        {3, 40000, 40000, true, -3},
        {2, 4, 4, true, -2}, // no colour pixel for 2 components
    };
    for (const Case& k : cases) {
        TestPic pic(3, 2, 8, k.comps);
        pic.fillPattern();
        const SLxPicBuf fields = pic.rec();
        const auto before = pic.bytes();
        const uint32_t colour[] = {1, 2, 3, 4};
        EXPECT_EQ(CLxPicBufAPI::AdjustCanvasRGB(pic.p(), k.width, k.height, 0,
                                                k.colour ? colour : nullptr),
                  k.status);
        EXPECT_TRUE(picbuftest::sameFields(fields, pic.rec()));
        EXPECT_EQ(pic.bytes(), before);
    }
}

// --- FillWithColorRGB, Clear, Swap ---------------------------------------------------

struct FillCase {
    Format format;
    std::vector<uint32_t> stored; // of the colour (10, 20, 30, 40)
};

class PicBufFill : public ::testing::TestWithParam<FillCase>
{
};

TEST_P(PicBufFill, EveryPixelGetsTheColourInStoredOrder)
{
    const FillCase k = GetParam();
    for (const uint32_t width : {1u, 5u}) {
        TestPic pic(width, 3, k.format.bits, k.format.comps, 4);
        const uint32_t colour[] = {10, 20, 30, 40};
        ASSERT_EQ(CLxPicBufAPI::FillWithColorRGB(pic.p(), colour), 0) << k.format;
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(pic.pixel(x, y), k.stored) << k.format;
        EXPECT_TRUE(pic.paddingIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PicBufFill,
                         ::testing::Values(FillCase{{8, 1}, {10}}, FillCase{{8, 3}, {30, 20, 10}},
                                           FillCase{{8, 4}, {40, 30, 20, 10}},
                                           FillCase{{12, 3}, {30, 20, 10}},
                                           FillCase{{16, 4}, {40, 30, 20, 10}}));

TEST(PicBufFillErrors, UnsupportedFormatsAndMissingColour)
{
    const uint32_t colour[] = {1, 2, 3, 4};
    TestPic five(2, 2, 8, 5);
    TestPic deep(2, 2, 32, 3);
    TestPic fine(2, 2, 8, 3);
    EXPECT_EQ(CLxPicBufAPI::FillWithColorRGB(five.p(), colour), -2);
    EXPECT_EQ(CLxPicBufAPI::FillWithColorRGB(deep.p(), colour), -2);
    EXPECT_EQ(CLxPicBufAPI::FillWithColorRGB(fine.p(), nullptr), -4);
}

TEST(PicBufClear, ZeroesEveryByteIncludingPadding)
{
    TestPic pic(3, 2, 8, 3, 4);
    pic.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::Clear(pic.p()), 0);
    EXPECT_EQ(pic.bytes(), std::vector<uint8_t>(pic->uiSize, 0));
    AssertCapture asserts;
    EXPECT_EQ(CLxPicBufAPI::Clear(nullptr), -9);
}

TEST(PicBufSwap, ExchangesEveryFieldAndTheMemory)
{
    TestPic a(3, 2, 8, 3);
    TestPic b(1, 1, 16, 1, 4);
    const SLxPicBuf fa = a.rec(), fb = b.rec();
    ASSERT_EQ(CLxPicBufAPI::Swap(a.p(), b.p()), 0);
    EXPECT_TRUE(picbuftest::sameFields(a.rec(), fb));
    EXPECT_TRUE(picbuftest::sameFields(b.rec(), fa));
    AssertCapture asserts;
    EXPECT_EQ(CLxPicBufAPI::Swap(a.p(), nullptr), -9);
}

} // namespace

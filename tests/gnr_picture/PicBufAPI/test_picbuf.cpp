#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "picbuf_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// A record passed through Init and freed at the end.
class PicBuf : public ::testing::Test
{
  protected:
    PicBuf()
    {
        CLxPicBufAPI::Init(&a);
        CLxPicBufAPI::Init(&b);
    }
    ~PicBuf() override
    {
        CLxPicBufAPI::Free(&a);
        CLxPicBufAPI::Free(&b);
    }

    static bool isEmpty(const SLxPicBuf& p)
    {
        return p.uiWidth == 0 && p.uiHeight == 0 && p.uiWidthBytes == 0 && p.uiBpc == 0 &&
               p.uiComps == 0 && p.uiSize == 0 && p.pData == nullptr;
    }
    // Byte i of line y holds y x 16 + i (as far as a byte reaches).
    static void fillPattern(SLxPicBuf& p)
    {
        auto* bytes = static_cast<uint8_t*>(p.pData);
        for (uint32_t y = 0; y < p.uiHeight; ++y)
            for (uint32_t i = 0; i < p.uiWidthBytes; ++i)
                bytes[size_t(y) * p.uiWidthBytes + i] = uint8_t(y * 16 + i);
    }
    static uint8_t byteAt(const SLxPicBuf& p, uint32_t y, uint32_t i)
    {
        return static_cast<const uint8_t*>(p.pData)[size_t(y) * p.uiWidthBytes + i];
    }

    SLxPicBuf a;
    SLxPicBuf b;
};

TEST(PicBufSizes, SampleSizesFollowTheBitDepth)
{
    const uint32_t expected[][2] = {{0, 0},  {1, 1},  {8, 1},  {9, 2},  {16, 2}, {17, 4},
                                    {24, 4}, {32, 4}, {33, 8}, {64, 8}, {65, 0}};
    for (const auto& e : expected)
        EXPECT_EQ(CLxPicBufAPI::CalcCompSize(e[0]), e[1]) << e[0] << " bits";
}

TEST(PicBufSizes, WidthBytesAreRoundedUpAndRefusedWhenTheyWrap)
{
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(10, 8, 3, 4), 32u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(3, 12, 1, 4), 8u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(5, 24, 1, 4), 20u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(7, 8, 1, 1), 7u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(7, 8, 1, 16), 16u);
    // 2^31 pixels of 4 bytes and a rounding past 2^32 do not fit 32 bits.
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(0x80000000u, 32, 1, 4), 0u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(0xFFFFFFFFu, 8, 1, 4), 0u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(0xFFFFFFFFu, 64, 0xFFFFFFFFu, 4), 0u);
    EXPECT_EQ(CLxPicBufAPI::CalcWidthBytes(10, 8, 1, 0), 0u);
}

TEST_F(PicBuf, InitEmptiesTheRecord)
{
    std::memset(&a, 0x5A, sizeof a);
    CLxPicBufAPI::Init(&a);
    EXPECT_TRUE(isEmpty(a));
}

struct ReinitCase {
    uint32_t width, height, widthBytes, bits, comps;
    uint32_t expectedWidthBytes;
};

TEST_F(PicBuf, ReinitLaysOutTheFormat)
{
    const ReinitCase cases[] = {
        {10, 10, 0, 8, 3, 32}, // 30 bytes rounded up
        {3, 1, 0, 12, 1, 8},   // 2-byte samples
        {5, 2, 0, 24, 1, 20},  // 4-byte samples
        {10, 3, 100, 8, 1, 100}, {1, 1, 0, 1, 1, 4},
    };
    for (const ReinitCase& c : cases) {
        ASSERT_EQ(CLxPicBufAPI::Reinit(&a, c.width, c.height, c.widthBytes, c.bits, c.comps, true),
                  0);
        EXPECT_EQ(a.uiWidth, c.width);
        EXPECT_EQ(a.uiHeight, c.height);
        EXPECT_EQ(a.uiWidthBytes, c.expectedWidthBytes);
        EXPECT_EQ(a.uiBpc, c.bits);
        EXPECT_EQ(a.uiComps, c.comps);
        EXPECT_EQ(a.uiSize, c.expectedWidthBytes * c.height);
        ASSERT_NE(a.pData, nullptr);
        EXPECT_EQ(CLxAlloc::Size(a.pData), a.uiSize);
        const std::vector<uint8_t> zeros(a.uiSize, 0);
        EXPECT_EQ(std::memcmp(a.pData, zeros.data(), a.uiSize), 0) << "padding included";
    }
}

TEST_F(PicBuf, ReinitRefusesWhatCannotBeAllocatedAndLeavesTheRecordEmpty)
{
    struct Refused {
        const char* what;
        uint32_t width, height, widthBytes, bits, comps;
    };
    const Refused cases[] = {
        {"4 GiB", 65536, 65536, 0, 8, 1},
        {"2^31 - 1 bytes", 0x7FFFFFFF, 1, 0x7FFFFFFF, 8, 1},
        {"zero width", 0, 10, 0, 8, 1},
        {"zero height", 10, 0, 0, 8, 1},
        {"zero components", 10, 10, 0, 8, 0},
        {"zero bits", 10, 10, 0, 0, 1},
        {"bits above 64", 10, 10, 0, 65, 1},
        {"a line that wraps 32 bits", 0x40000000, 1, 0, 32, 2},
        {"a pitch shorter than the line", 10, 10, 9, 8, 1},
        {"a pitch shorter than the 16-bit line", 10, 10, 19, 16, 1},
    };
    for (const Refused& c : cases) {
        ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 4, 4, 0, 8, 1, false), 0);
        EXPECT_EQ(CLxPicBufAPI::Reinit(&a, c.width, c.height, c.widthBytes, c.bits, c.comps, true),
                  -3)
            << c.what;
        EXPECT_TRUE(isEmpty(a)) << c.what;
    }
}

TEST_F(PicBuf, ReinitReplacesAReleasedRecord)
{
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 4, 4, 0, 8, 1, false), 0);
    CLxPicBufAPI::Free(&a);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 8, 2, 0, 16, 3, true), 0);
    EXPECT_EQ(a.uiSize, 48u * 2);
}

TEST_F(PicBuf, FreeKeepsTheFormat)
{
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 7, 5, 0, 12, 3, false), 0);
    CLxPicBufAPI::Free(&a);
    EXPECT_EQ(a.pData, nullptr);
    EXPECT_EQ(a.uiWidth, 7u);
    EXPECT_EQ(a.uiHeight, 5u);
    EXPECT_EQ(a.uiWidthBytes, 44u);
    EXPECT_EQ(a.uiBpc, 12);
    EXPECT_EQ(a.uiComps, 3u);
    CLxPicBufAPI::Free(&a); // a second Free does nothing
}

TEST_F(PicBuf, CheckComparesTheFieldsTheOptionNames)
{
    SLxPicBuf c = {};
    a = {10, 20, 0, 8, 3, 0, nullptr};
    // Differs from a in: width, bits, components.
    const SLxPicBuf wider = {11, 20, 0, 8, 3, 0, nullptr};
    const SLxPicBuf deeper = {10, 20, 0, 12, 3, 0, nullptr};
    const SLxPicBuf gray = {10, 20, 0, 8, 1, 0, nullptr};
    struct Row {
        uint32_t option;
        bool sameWider, sameDeeper, sameGray;
    };
    const Row rows[] = {
        {0, false, true, true},  {1, false, false, true}, {2, false, false, false},
        {3, false, true, false}, {4, true, true, false},  {5, true, false, true},
        {6, true, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(CLxPicBufAPI::Check(&a, &a, r.option)) << r.option;
        EXPECT_EQ(CLxPicBufAPI::Check(&a, &wider, r.option), r.sameWider) << r.option;
        EXPECT_EQ(CLxPicBufAPI::Check(&a, &deeper, r.option), r.sameDeeper) << r.option;
        EXPECT_EQ(CLxPicBufAPI::Check(&a, &gray, r.option), r.sameGray) << r.option;
    }
    EXPECT_FALSE(CLxPicBufAPI::Check(&a, nullptr, 0));
    EXPECT_FALSE(CLxPicBufAPI::Check(nullptr, &a, 0));
    EXPECT_FALSE(CLxPicBufAPI::Check(&a, &a, 7));
    a = c; // nothing to free
}

TEST_F(PicBuf, CopyCopiesTheOverlapAndLeavesTheRest)
{
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 100, 50, 0, 8, 1, false), 0);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&b, 80, 60, 0, 8, 1, false), 0);
    fillPattern(a);
    std::memset(b.pData, 0xEE, b.uiSize);
    ASSERT_EQ(CLxPicBufAPI::Copy(&b, &a), 0);
    for (uint32_t y = 0; y < 60; ++y) {
        for (uint32_t i = 0; i < 80; ++i)
            ASSERT_EQ(byteAt(b, y, i), y < 50 ? byteAt(a, y, i) : 0xEE) << y << "," << i;
    }
}

TEST_F(PicBuf, CopyBetweenFormatsIsReportedAndRefused)
{
    AssertCapture asserts;
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 4, 4, 0, 8, 3, true), 0);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&b, 4, 4, 0, 8, 1, false), 0);
    std::memset(b.pData, 0xEE, b.uiSize);
    EXPECT_EQ(CLxPicBufAPI::Copy(&b, &a), -9);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::Copy, sour and dest must have the same format"),
              1);
    EXPECT_EQ(byteAt(b, 0, 0), 0xEE);
    EXPECT_EQ(CLxPicBufAPI::Copy(&b, nullptr), -9);
}

TEST_F(PicBuf, CopyOfAReleasedRecordIsRefused)
{
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 4, 4, 0, 8, 1, false), 0);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&b, 4, 4, 0, 8, 1, false), 0);
    CLxPicBufAPI::Free(&a);
    EXPECT_EQ(CLxPicBufAPI::Copy(&b, &a), -9);
}

// A hand-filled record whose memory is short of pitch x height would be
// overrun: Copy and ReinitAndCopy refuse it like the other operations.
TEST_F(PicBuf, CopyRefusesARecordShortOfItsLines)
{
    AssertCapture asserts;
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 8, 4, 0, 8, 1, false), 0);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&b, 8, 4, 0, 8, 1, false), 0);
    std::memset(b.pData, 0xEE, b.uiSize);
    SLxPicBuf shortSource = a;
    shortSource.uiHeight = 40; // 320 bytes claimed, 32 held
    shortSource.uiSize = a.uiSize;
    SLxPicBuf shortDestination = b;
    shortDestination.uiHeight = 40;
    EXPECT_EQ(CLxPicBufAPI::Copy(&b, &shortSource), -9);
    EXPECT_EQ(CLxPicBufAPI::Copy(&shortDestination, &a), -9);
    EXPECT_EQ(byteAt(b, 0, 0), 0xEE);

    SLxPicBuf c;
    CLxPicBufAPI::Init(&c);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&c, 2, 2, 0, 8, 1, false), 0);
    const SLxPicBuf before = c;
    EXPECT_EQ(CLxPicBufAPI::ReinitAndCopy(&c, &shortSource), -9);
    EXPECT_TRUE(picbuftest::sameFields(c, before));
    CLxPicBufAPI::Free(&c);
    EXPECT_EQ(asserts.count("lxpicbuf::coversFormat(pic)"), 3);
}

TEST_F(PicBuf, CheckOptionsNameTheComparisons)
{
    EXPECT_EQ(CLxPicBufAPI::CheckOptions::eLxCheckBitsComps, 6);
    a = {10, 20, 0, 8, 3, 0, nullptr};
    const SLxPicBuf gray = {10, 20, 0, 8, 1, 0, nullptr};
    EXPECT_TRUE(CLxPicBufAPI::Check(&a, &gray, CLxPicBufAPI::CheckOptions::eLxCheckSizeBits));
    a = {};
}

TEST_F(PicBuf, ReinitAndCopyMakesAnEqualPicture)
{
    ASSERT_EQ(CLxPicBufAPI::Reinit(&a, 9, 7, 0, 16, 3, false), 0);
    fillPattern(a);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&b, 2, 2, 0, 8, 1, false), 0);
    ASSERT_EQ(CLxPicBufAPI::ReinitAndCopy(&b, &a), 0);
    EXPECT_TRUE(CLxPicBufAPI::Check(&a, &b, 2));
    EXPECT_EQ(b.uiWidthBytes, 56u);
    for (uint32_t y = 0; y < 7; ++y)
        EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(b.pData) + y * 56,
                              static_cast<uint8_t*>(a.pData) + y * 56, 54),
                  0);
    // Onto itself: nothing to do.
    EXPECT_EQ(CLxPicBufAPI::ReinitAndCopy(&a, &a), 0);
    EXPECT_EQ(byteAt(a, 1, 3), 19);
}

} // namespace

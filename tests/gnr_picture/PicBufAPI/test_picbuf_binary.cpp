// Pictures to and from one-bit pictures, and the change of depth and
// component count in place.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "picbuf_test_support.h"

namespace
{

using picbuftest::TestPic;

// A one-bit picture over its own vector, default line length.
struct TestBin {
    std::vector<uint8_t> bytes;
    SLxBinPicBuf rec{};

    TestBin(uint32_t width, uint32_t height, uint8_t fill = 0)
    {
        const uint32_t wb = ((width + 7) / 8 + 3) & ~3u;
        bytes.assign(size_t(wb) * height, fill);
        rec = SLxBinPicBuf{width, height, wb, wb * height, bytes.data()};
    }
    bool bit(uint32_t x, uint32_t y) const
    {
        return (bytes[y * rec.uiWidthBytes + x / 8] >> (7 - x % 8)) & 1;
    }
};

TEST(PicBufBinary, ThresholdPackAndUnpackRoundTrip)
{
    TestPic pic(5, 3, 12, 2);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            pic.set(x, y, 0, 100 * x);
            pic.set(x, y, 1, 4095 - y);
        }
    TestBin bin(5, 3, 0xFF);
    // Component 0 within 100..300 and component 1 within 4094..4095.
    const uint64_t low = 100 | uint64_t(4094) << 16, high = 300 | uint64_t(4095) << 16;
    ASSERT_EQ(CLxPicBufAPI::Threshold(&bin.rec, pic.p(), low, high), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(bin.bit(x, y), x >= 1 && x <= 3 && y <= 1) << x << "," << y;

    TestBin equal(5, 3);
    ASSERT_EQ(CLxPicBufAPI::Pack(&equal.rec, pic.p(), 200 | uint64_t(4094) << 16), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(equal.bit(x, y), x == 2 && y == 1);

    ASSERT_EQ(CLxPicBufAPI::Unpack(pic.p(), &equal.rec, 7 | uint64_t(9) << 16), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            const bool set = x == 2 && y == 1;
            EXPECT_EQ(pic.get(x, y, 0), set ? 7u : 0u);
            EXPECT_EQ(pic.get(x, y, 1), set ? 9u : 0u);
        }
}

TEST(PicBufBinary, RefusedRecordsWriteNothing)
{
    TestPic pic(8, 2, 8, 1);
    std::memset(pic->pData, 7, pic->uiSize);
    TestBin narrow(7, 2, 0x5A);
    EXPECT_EQ(CLxPicBufAPI::Unpack(pic.p(), &narrow.rec, 1), -9);
    EXPECT_EQ(CLxPicBufAPI::Threshold(&narrow.rec, pic.p(), 0, 9), -9);
    EXPECT_EQ(CLxPicBufAPI::Pack(&narrow.rec, pic.p(), 7), -9);
    EXPECT_EQ(narrow.bytes, std::vector<uint8_t>(narrow.bytes.size(), 0x5A));
    EXPECT_EQ(static_cast<uint8_t*>(pic->pData)[0], 7);

    // One-bit memory short of its lines.
    TestBin shortBin(8, 2, 0x5A);
    shortBin.rec.uiSize = shortBin.rec.uiWidthBytes;
    EXPECT_EQ(CLxPicBufAPI::Pack(&shortBin.rec, pic.p(), 7), -9);
    shortBin.rec.uiSize = shortBin.rec.uiWidthBytes * 2;
    shortBin.rec.pData = nullptr;
    EXPECT_EQ(CLxPicBufAPI::Pack(&shortBin.rec, pic.p(), 7), -9);
    EXPECT_EQ(CLxPicBufAPI::Pack(nullptr, pic.p(), 7), -9);
    TestBin fine(8, 2);
    EXPECT_EQ(CLxPicBufAPI::Pack(&fine.rec, nullptr, 7), -9);
}

TEST(PicBufBinary, PixelsMustFitTheSixtyFourBitValue)
{
    struct Case {
        uint32_t comps, bits;
        int expected;
    } cases[] = {{4, 16, 0}, {8, 8, 0},   {5, 16, -9}, {5, 12, -9},
                 {9, 8, -9}, {1, 24, -2}, {1, 4, -2}};
    for (const Case& c : cases) {
        TestPic pic(3, 2, c.bits, c.comps);
        TestBin bin(3, 2);
        EXPECT_EQ(CLxPicBufAPI::Pack(&bin.rec, pic.p(), 0), c.expected) << c.comps << "x" << c.bits;
        EXPECT_EQ(CLxPicBufAPI::Unpack(pic.p(), &bin.rec, 0), c.expected)
            << c.comps << "x" << c.bits;
    }
}

TEST(PicBufBinary, ConvertBpcAndCompChangesDepthThenComponents)
{
    // The same format: 0, the memory untouched.
    TestPic same(3, 2, 8, 3);
    void* before = same->pData;
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(same.p(), 8, 3), 0);
    EXPECT_EQ(same->pData, before);

    // Component changes between counts of which neither is 1.
    TestPic four(3, 2, 8, 4);
    before = four->pData;
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(four.p(), 8, 2), -2);
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(four.p(), 8, 3), -2);
    TestPic three(3, 2, 8, 3);
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(three.p(), 16, 4), -2);
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(three.p(), 8, 2), -2);
    EXPECT_EQ(four->pData, before);
    EXPECT_EQ(four->uiComps, 4u);

    // 4 to 1 collapses by the mean.
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            for (uint32_t c = 0; c < 4; ++c)
                four.set(x, y, c, 10 * (c + 1) + x);
    ASSERT_EQ(CLxPicBufAPI::ConvertBpcAndComp(four.p(), 8, 1), 0);
    EXPECT_EQ(four->uiComps, 1u);
    EXPECT_EQ(four->uiWidthBytes, 4u);
    EXPECT_EQ(four.get(2, 1, 0), 27u);

    // A depth change alone: the pitch follows the new depth.
    TestPic gray(3, 2, 8, 1);
    for (uint32_t x = 0; x < 3; ++x)
        gray.set(x, 0, 0, 0x80 + x);
    ASSERT_EQ(CLxPicBufAPI::ConvertBpcAndComp(gray.p(), 16, 1), 0);
    EXPECT_EQ(gray->uiBpc, 16);
    EXPECT_EQ(gray->uiWidthBytes, 8u);
    EXPECT_EQ(gray->uiSize, 16u);
    EXPECT_EQ(gray.get(1, 0, 0), 0x8100u);

    // Depth and components together: 1 x 12 bits to 3 x 8 bits.
    TestPic deep(2, 1, 12, 1);
    deep.set(0, 0, 0, 4095);
    deep.set(1, 0, 0, 16);
    ASSERT_EQ(CLxPicBufAPI::ConvertBpcAndComp(deep.p(), 8, 3), 0);
    EXPECT_EQ(deep->uiComps, 3u);
    EXPECT_EQ(deep->uiBpc, 8);
    EXPECT_EQ(deep.get(0, 0, 2), 255u);
    EXPECT_EQ(deep.get(1, 0, 1), 1u);
}

TEST(PicBufBinary, ConvertBpcAndCompLeavesThePictureOnFailure)
{
    // A depth pair the shifts do not convert: -2 and the record as it was.
    TestPic pic(4, 2, 8, 1);
    const SLxPicBuf before = pic.rec();
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(pic.p(), 24, 1), -2);
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(pic.p(), 0, 1), -2);
    EXPECT_TRUE(picbuftest::sameFields(pic.rec(), before));
    // A record whose memory does not cover it: -9.
    SLxPicBuf broken = pic.rec();
    broken.uiSize = 1;
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(&broken, 16, 1), -9);
    EXPECT_EQ(CLxPicBufAPI::ConvertBpcAndComp(nullptr, 16, 1), -9);
}

} // namespace

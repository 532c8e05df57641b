#include <gtest/gtest.h>

#include <cstring>

#include "gnr_picture/lut/LxLut.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// A record that is freed at the end of the test.
class Lut : public ::testing::Test
{
  protected:
    ~Lut() override
    {
        SLxLut::Free(&lut);
        SLxLut::Free(&other);
    }

    SLxLut lut;
    SLxLut other;
};

TEST_F(Lut, FlatTableIsOneBlockOfEntries)
{
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 16), 0);
    EXPECT_EQ(lut.uiSrcBits, 8);
    EXPECT_EQ(lut.uiLutCount, 1);
    EXPECT_EQ(lut.uiDstBits, 16);
    EXPECT_EQ(lut.uiDstComps, 1);
    EXPECT_EQ(CLxAlloc::Size(lut.pTable), 512u);
}

TEST_F(Lut, ColourTableHasRowPointersIntoOneBlock)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 16), 0);
    auto** rows = static_cast<uint8_t**>(lut.pTable);
    EXPECT_EQ(CLxAlloc::Size(rows), 256 * sizeof(void*));
    EXPECT_EQ(CLxAlloc::Size(rows[0]), 256u * 6);
    for (int i = 1; i < 256; ++i)
        ASSERT_EQ(rows[i] - rows[i - 1], 6) << i;
}

TEST_F(Lut, PerComponentTablesFollowEachOther)
{
    ASSERT_EQ(SLxLut::Alloc(&lut, 8, 3, 8, 3), 0);
    auto*** tables = static_cast<uint8_t***>(lut.pTable);
    const ptrdiff_t rowBytes = 3; // three 8-bit components
    EXPECT_EQ(tables[1][0] - tables[0][0], 256 * rowBytes);
    EXPECT_EQ(tables[2][255] - tables[0][0], (2 * 256 + 255) * rowBytes);
    EXPECT_EQ(tables[1] - tables[0], 256);
}

TEST_F(Lut, AllocForgetsTheColourAndRefusesEmptyOrHugeTables)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
    const uint32_t red = 0xFF;
    ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &red), 0);
    SLxLut::Free(&lut); // the colour too (the leak checker would tell)
    EXPECT_EQ(lut.pOverExpColor, nullptr);

    EXPECT_EQ(SLxLut::Alloc(&lut, 8, 0, 8, 1), -4);
    EXPECT_EQ(lut.pTable, nullptr);
    EXPECT_EQ(SLxLut::Alloc(&lut, 8, 1, 0, 1), -4);
    EXPECT_EQ(SLxLut::Alloc(&lut, 8, 1, 8, 0), -4);
    EXPECT_EQ(SLxLut::Alloc(&lut, 40, 1, 8, 1), -3);
    EXPECT_EQ(SLxLut::Alloc(&lut, 24, 255, 32, 255), -3);
    EXPECT_EQ(lut.pTable, nullptr);
    EXPECT_EQ(SLxLut::Alloc(nullptr, 8, 1, 8, 1), -4);
}

TEST_F(Lut, FreeOfAnEmptyRecordDoesNothing)
{
    SLxLut::Free(&lut);
    SLxLut::Free(nullptr);
    EXPECT_EQ(lut.pTable, nullptr);
}

TEST_F(Lut, CopyMovesContentsAndMaskButKeepsTheColour)
{
    ASSERT_EQ(SLxLut::Alloc(&lut, 4, 2, 12, 3), 0);
    ASSERT_EQ(SLxLut::Alloc(&other, 4, 2, 12, 3), 0);
    auto*** from = static_cast<uint8_t***>(lut.pTable);
    for (int i = 0; i < 2 * 16 * 6; ++i)
        from[0][0][i] = uint8_t(i);
    lut.uiCompMask = 0b101;
    const uint16_t samples[3] = {1, 2, 3};
    ASSERT_EQ(SLxLut::SetOverExpColorArr(&other, samples, 12), 0);
    void* colour = other.pOverExpColor;

    ASSERT_EQ(SLxLut::Copy(&other, &lut), 0);
    auto*** to = static_cast<uint8_t***>(other.pTable);
    EXPECT_NE(to[0][0], from[0][0]);
    EXPECT_EQ(std::memcmp(to[0][0], from[0][0], 2 * 16 * 6), 0);
    EXPECT_EQ(to[1][15][5], from[1][15][5]);
    EXPECT_EQ(other.uiCompMask, 0b101u);
    EXPECT_EQ(other.pOverExpColor, colour);
}

TEST_F(Lut, CopyRefusesTablesOfAnotherShape)
{
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 12, 8), 0);
    std::memset(lut.pTable, 7, 4096);
    struct Shape {
        uint8_t srcBits, lutCount, dstBits, dstComps;
    };
    const Shape shapes[] = {{8, 1, 8, 1}, {12, 1, 16, 1}, {12, 1, 8, 3}, {12, 2, 8, 1}};
    for (const Shape& s : shapes) {
        ASSERT_EQ(SLxLut::Alloc(&other, s.srcBits, s.lutCount, s.dstBits, s.dstComps), 0);
        EXPECT_EQ(SLxLut::Copy(&other, &lut), -4);
        EXPECT_EQ(SLxLut::Copy(&lut, &other), -4);
        SLxLut::Free(&other);
    }
    EXPECT_EQ(SLxLut::Copy(&other, &lut), -4); // no table
    EXPECT_EQ(SLxLut::Copy(nullptr, &lut), -4);
}

struct MaskCase {
    uint64_t mask;
    uint8_t count;
    uint8_t components;
};

TEST(LutMask, ComponentCountLooksAtTheLowBits)
{
    const MaskCase cases[] = {
        {0b1011, 2, 2},
        {0b1011, 8, 3},
        {uint64_t(1) << 40 | 1, 32, 2}, // count 32 keeps every bit
        {uint64_t(1) << 40 | 1, 33, 1},
        {~uint64_t(0), 64, 64},
        {~uint64_t(0), 200, 64},
        {0, 8, 0},
        {0xFF, 0, 0},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(SLxLut::ComponentCountFromMask(c.mask, c.count), c.components)
            << c.mask << " / " << int(c.count);
}

TEST(LutMask, ComponentIndexIsThePositionOfTheNthSetBit)
{
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(0b1010, 8, 0), 1);
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(0b1010, 8, 1), 3);
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(0b1010, 8, 2), 255);
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(0b1010, 2, 1), 255);
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(uint64_t(1) << 63, 64, 0), 63);
    EXPECT_EQ(SLxLut::ComponentIndexFromMask(0, 8, 0), 255);
}

TEST_F(Lut, OverExposureColourIsScaledToTheDestinationBits)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 12, 12), 0);
    const uint32_t red = 0x000000FF;
    ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &red), 0);
    const auto* bgr16 = static_cast<const uint16_t*>(lut.pOverExpColor);
    EXPECT_EQ(bgr16[0], 0);
    EXPECT_EQ(bgr16[1], 0);
    EXPECT_EQ(bgr16[2], 4080);
    SLxLut::Free(&lut);

    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
    const uint32_t colour = 0x00332211; // blue 0x33, green 0x22, red 0x11
    ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &colour), 0);
    const auto* bgr = static_cast<const uint8_t*>(lut.pOverExpColor);
    EXPECT_EQ(bgr[0], 0x33);
    EXPECT_EQ(bgr[1], 0x22);
    EXPECT_EQ(bgr[2], 0x11);
    EXPECT_EQ(CLxAlloc::Size(lut.pOverExpColor), 3u);

    EXPECT_EQ(SLxLut::SetOverExpColor(&lut, nullptr), 0);
    EXPECT_EQ(lut.pOverExpColor, nullptr);
}

TEST_F(Lut, OverExposureColourNeedsAThreeComponentTableOfUpTo16Bits)
{
    const uint32_t colour = 0xFFFFFF;
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 8), 0);
    EXPECT_EQ(SLxLut::SetOverExpColor(&lut, &colour), -2);
    EXPECT_EQ(lut.pOverExpColor, nullptr);
    SLxLut::Free(&lut);
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 24), 0);
    EXPECT_EQ(SLxLut::SetOverExpColor(&lut, &colour), -2);
    const uint32_t samples[3] = {1, 2, 3};
    EXPECT_EQ(SLxLut::SetOverExpColorArr(&lut, samples, 24), -2);
    EXPECT_EQ(SLxLut::SetOverExpColorArr(&lut, samples, 16), -4);
}

TEST_F(Lut, OverExposureSamplesAreTakenAsTheyStand)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
    const uint8_t bgr[3] = {9, 8, 7};
    ASSERT_EQ(SLxLut::SetOverExpColorArr(&lut, bgr, 8), 0);
    EXPECT_EQ(std::memcmp(lut.pOverExpColor, bgr, 3), 0);
    const uint8_t again[3] = {1, 2, 3};
    void* block = lut.pOverExpColor;
    ASSERT_EQ(SLxLut::SetOverExpColorArr(&lut, again, 8), 0);
    EXPECT_EQ(lut.pOverExpColor, block) << "the block is reused";
    EXPECT_EQ(std::memcmp(lut.pOverExpColor, again, 3), 0);
    EXPECT_EQ(SLxLut::SetOverExpColorArr(&lut, nullptr, 0), 0);
    EXPECT_EQ(lut.pOverExpColor, nullptr);
}

} // namespace

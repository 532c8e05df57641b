// The table dispatchers: which table layout reaches which kernel, and
// samples above the table's range.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

// Entry v of table c, component k: v / 16 + 10 k + 100 c, kept to a byte;
// the last entry of a 12-bit table is 255.
uint8_t entry(uint32_t c, uint32_t v, uint32_t k, uint32_t last)
{
    return v == last ? 255 : uint8_t(v / 16 + 10 * k + 100 * c);
}

class LutDispatch : public ::testing::Test
{
  protected:
    ~LutDispatch() override { SLxLut::Free(&lut); }

    // 12 bits to 8, the given layout, every entry by entry().
    void build(uint8_t lutCount, uint8_t dstComps)
    {
        ASSERT_EQ(SLxLut::Alloc(&lut, 12, lutCount, 8, dstComps), 0);
        for (uint32_t c = 0; c < lutCount; ++c) {
            for (uint32_t v = 0; v < 4096; ++v) {
                for (uint32_t k = 0; k < dstComps; ++k) {
                    uint8_t* row;
                    if (lutCount == 1 && dstComps == 1)
                        row = static_cast<uint8_t*>(lut.pTable) + v;
                    else if (lutCount == 1)
                        row = static_cast<uint8_t**>(lut.pTable)[v];
                    else
                        row = static_cast<uint8_t***>(lut.pTable)[c][v];
                    row[k] = entry(c, v, k, 4095);
                }
            }
        }
    }
    void setColour()
    {
        const uint32_t colour = 0x00030201; // B 3, G 2, R 1
        ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &colour), 0);
    }

    SLxLut lut;
};

TEST_F(LutDispatch, ConversionThroughARowTableClampsSamplesAboveTheTable)
{
    build(1, 3);
    // A 12-bit frame holding samples above 4095.
    const uint16_t px[6] = {16, 4095, 40000, 32, 48, 64};
    uint8_t out[6] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLuts(out, 8, 6, px, 12, 12, &lut, 3, 2, 2), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 255, 255, 2, 13, 24}));
}

TEST_F(LutDispatch, ConversionMarksOverExposedColourPixels)
{
    build(1, 3);
    setColour();
    const uint16_t px[6] = {4094, 16, 32, 16, 5000, 16};
    uint8_t out[6] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLuts(out, 8, 6, px, 12, 12, &lut, 3, 2, 2), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{255, 11, 22, 3, 2, 1}));
}

TEST_F(LutDispatch, ConversionThroughAFlatTableServesAnyComponentCount)
{
    build(1, 1);
    const uint16_t px[5] = {0, 16, 4095, 9999, 32};
    uint8_t out[5] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLuts(out, 8, 5, px, 12, 10, &lut, 5, 1, 1), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 5), (std::vector<uint8_t>{0, 1, 255, 255, 2}));
    ASSERT_EQ(API::ConvertBitDepthViaLuts(out, 8, 5, px, 12, 10, &lut, 1, 5, 5), 0);
    EXPECT_EQ(out[3], 255);
}

TEST_F(LutDispatch, ConversionFromBytesToWords)
{
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 16), 0);
    auto* table = static_cast<uint16_t*>(lut.pTable);
    for (uint32_t v = 0; v < 256; ++v)
        table[v] = uint16_t(v * 257);
    const uint8_t px[4] = {0, 1, 128, 255};
    uint16_t out[4] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLuts(out, 16, 8, px, 8, 4, &lut, 4, 1, 1), 0);
    EXPECT_EQ(std::vector<uint16_t>(out, out + 4), (std::vector<uint16_t>{0, 257, 32896, 65535}));
}

TEST_F(LutDispatch, ComponentThroughAFlatTableFillsEveryDestinationComponent)
{
    build(1, 1);
    const uint16_t px[4] = {1, 160, 2, 4095};
    uint8_t out[6] = {};
    ASSERT_EQ(API::ExtractComponentViaLuts(out, 3, 8, 6, px, 2, 12, 8, 1, &lut, 2, 2), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6),
              (std::vector<uint8_t>{10, 10, 10, 255, 255, 255}));
    uint8_t plane[2] = {};
    ASSERT_EQ(API::ExtractComponentViaLuts(plane, 1, 8, 2, px, 2, 12, 8, 0, &lut, 2, 2), 0);
    EXPECT_EQ(plane[1], 0);
}

TEST_F(LutDispatch, ComponentThroughARowTableMarksOverExposure)
{
    build(1, 3);
    setColour();
    const uint16_t px[6] = {0, 160, 0, 4095, 0, 65535};
    uint8_t out[9] = {};
    ASSERT_EQ(API::ExtractComponentViaLuts(out, 3, 8, 9, px, 2, 12, 12, 1, &lut, 3, 3), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 9),
              (std::vector<uint8_t>{10, 20, 30, 3, 2, 1, 3, 2, 1}));
}

TEST_F(LutDispatch, ComponentThroughPerComponentTablesUsesTheTableOfTheComponent)
{
    build(2, 2);
    const uint16_t px[4] = {16, 32, 48, 9999};
    uint8_t out[4] = {};
    ASSERT_EQ(API::ExtractComponentViaLuts(out, 2, 8, 4, px, 2, 12, 8, 1, &lut, 2, 2), 0);
    // Table 1: v / 16 + 10 k + 100, and 255 at the top.
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{102, 112, 255, 255}));
    ASSERT_EQ(API::ExtractComponentViaLuts(out, 2, 8, 4, px, 2, 12, 8, 0, &lut, 2, 2), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{1, 11, 3, 13}));
    // Tables of another count than the source components do not fit.
    EXPECT_EQ(API::ExtractComponentViaLuts(out, 2, 8, 4, px, 4, 12, 16, 1, &lut, 1, 1), -4);
    EXPECT_EQ(API::ExtractComponentViaLuts(out, 3, 8, 6, px, 2, 12, 8, 1, &lut, 2, 2), -4);
}

TEST_F(LutDispatch, ComponentOfBytesThroughATableOfFewerBits)
{
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 4, 8), 0);
    for (uint32_t v = 0; v < 16; ++v)
        static_cast<uint8_t*>(lut.pTable)[v] = uint8_t(v * 10);
    const uint8_t px[3] = {3, 15, 200}; // 200 lies above the 16 entries
    uint8_t out[3] = {};
    ASSERT_EQ(API::ExtractComponentViaLuts(out, 1, 8, 3, px, 1, 4, 3, 0, &lut, 3, 3), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{30, 150, 150}));
}

TEST(LinFuncDispatch, ComponentCountsPickTheirMember)
{
    const uint64_t params[12] = {2, 0, 1, 0, 3, 0, 1, 1, 1, 0, 2, 0};
    const uint32_t px[3] = {100, 100, 100};
    uint16_t out[3] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLinFunc(out, 16, 6, px, 20, 12, params, 3, 1, 1), 0);
    EXPECT_EQ(std::vector<uint16_t>(out, out + 3), (std::vector<uint16_t>{200, 301, 50}));
    uint8_t low[2] = {};
    ASSERT_EQ(API::ConvertBitDepthViaLinFunc(low, 8, 2, px, 24, 8, params, 2, 1, 1), 0);
    EXPECT_EQ(low[0], 200);
    EXPECT_EQ(low[1], uint8_t(301));
    const uint64_t zero[4] = {1, 0, 0, 0};
    EXPECT_EQ(API::ConvertBitDepthViaLinFunc(out, 16, 2, px, 20, 4, zero, 1, 1, 1), -4);
}

} // namespace

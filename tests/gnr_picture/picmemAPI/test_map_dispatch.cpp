// The combination tables and the mapping dispatchers: which table fits
// which call, the members' edge cases, and samples beyond a table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxMapKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint16_t>;

uint8_t S(uint32_t a, uint32_t b)
{
    return g_ScreenCombineTable.v[a][b];
}
uint8_t R(uint32_t a, uint32_t b)
{
    return g_RootCombineTable.v[a][b];
}

TEST(CombineTables, HoldTheirKnownValues)
{
    EXPECT_EQ(S(128, 128), 192);
    EXPECT_EQ(R(128, 128), 128);
    EXPECT_EQ(R(255, 64), 191);
    EXPECT_EQ(R(255, 255), 255);
    EXPECT_EQ(S(255, 255), 255);
    for (uint32_t x = 0; x < 256; ++x) {
        EXPECT_EQ(S(255, x), 255) << x;
        EXPECT_EQ(S(x, 0), x);
        EXPECT_EQ(R(x, 0), x);
    }
}

TEST(CombineTables, EqualTheirFormulasEverywhere)
{
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const double root = double(a + b) - std::sqrt(double(a * b)) + 0.5;
            ASSERT_EQ(R(a, b), uint32_t(std::trunc(root))) << a << " " << b;
            ASSERT_EQ(S(a, b), a + b - a * b / 255) << a << " " << b;
            ASSERT_EQ(S(a, b), S(b, a));
            ASSERT_EQ(R(a, b), R(b, a));
        }
    }
}

// Tables built by hand: colours given per component and value.
class MapTables : public ::testing::Test
{
  protected:
    ~MapTables() override { SLxLut::Free(&lut); }

    // lutCount tables of B, G, R colours; colour(c, v) gives table c's
    // colour of value v as 0x00BBGGRR.
    template <class F> void build(uint8_t srcBits, uint8_t lutCount, uint8_t dstBits, F colour)
    {
        ASSERT_EQ(SLxLut::Alloc(&lut, srcBits, lutCount, dstBits, 3), 0);
        lut.uiCompMask = ~uint64_t(0);
        for (uint32_t c = 0; c < lutCount; ++c) {
            for (uint32_t v = 0; v < (1u << srcBits); ++v) {
                uint8_t* row = lutCount == 1 ? static_cast<uint8_t**>(lut.pTable)[v]
                                             : static_cast<uint8_t***>(lut.pTable)[c][v];
                const uint64_t bgr = colour(c, v);
                for (uint32_t k = 0; k < 3; ++k) {
                    const uint32_t value = uint32_t(bgr >> (16 * (2 - k))) & 0xFFFF;
                    if (dstBits <= 8)
                        row[k] = uint8_t(value);
                    else
                        std::memcpy(row + 2 * k, &value, 2);
                }
            }
        }
    }
    void setOverExposure()
    {
        const uint32_t colour = 0x00030201; // B 3, G 2, R 1
        ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &colour), 0);
    }

    SLxLut lut;
};

// B, G, R as one word of three 16-bit fields.
constexpr uint64_t bgr(uint64_t b, uint64_t g, uint64_t r)
{
    return b << 32 | g << 16 | r;
}

TEST_F(MapTables, BlueAndRedMakeMagentaInBothCombinations)
{
    build(8, 2, 8, [](uint32_t c, uint32_t) { return c == 0 ? bgr(255, 0, 0) : bgr(0, 0, 255); });
    const uint8_t px[2] = {7, 9};
    const auto luts = static_cast<const void* const* const*>(lut.pTable);
    uint8_t screen[3] = {}, root[3] = {};
    ASSERT_EQ(mapcomp_2x8_3x8(screen, 3, px, 2, luts, 3, 0, 1, 1), 0);
    ASSERT_EQ(mapcomp_Nx8_3x8(root, 3, px, 2, 2, luts, 3, 0, 1, 1), 0);
    EXPECT_EQ(Bytes(screen, screen + 3), (Bytes{255, 0, 255}));
    EXPECT_EQ(Bytes(root, root + 3), (Bytes{255, 0, 255}));
}

TEST_F(MapTables, SixteenBitColoursCombineAtTheGivenScale)
{
    build(12, 2, 16, [](uint32_t c, uint32_t v) { return c == 0 ? bgr(v, v, 0) : bgr(v, 0, v); });
    const auto luts = static_cast<const void* const* const*>(lut.pTable);
    const uint16_t px[2] = {4095, 4095};
    uint16_t out[3] = {};
    // Full colours at 16 bits stay full; 4095 with 0 at 12 bits is 4095.
    ASSERT_EQ(mapcomp_2x16_3x16(out, 6, px, 4, 12, luts, 3, 0, 1, 1), 0);
    EXPECT_EQ(Words(out, out + 3), (Words{4095, 4095, 4095}));

    SLxLut::Free(&lut);
    build(16, 2, 16, [](uint32_t, uint32_t v) { return bgr(v, v, v); });
    const uint16_t full[2] = {65535, 65535};
    ASSERT_EQ(mapcomp_2x16_3x16(out, 6, full, 4, 16,
                                static_cast<const void* const* const*>(lut.pTable), 3, 0, 1, 1),
              0);
    EXPECT_EQ(Words(out, out + 3), (Words{65535, 65535, 65535}));
}

TEST_F(MapTables, SixteenBitCombinationRefusesAScaleOfNoBits)
{
    build(12, 2, 16, [](uint32_t, uint32_t v) { return bgr(v, v, v); });
    const uint16_t px[2] = {1, 2};
    uint16_t out[3] = {7, 7, 7};
    for (uint32_t bits : {0u, 17u}) {
        EXPECT_EQ(mapcomp_2x16_3x16(out, 6, px, 4, bits,
                                    static_cast<const void* const* const*>(lut.pTable), 3, 0, 1, 1),
                  -4);
        EXPECT_EQ(Words(out, out + 3), (Words{7, 7, 7}));
    }
}

TEST_F(MapTables, TableChecksComeBeforeTheWindow)
{
    build(8, 3, 8, [](uint32_t, uint32_t v) { return bgr(v, v, v); });
    uint8_t px[3] = {}, out[3] = {};
    // Three tables for two components: refused even with nothing to do.
    EXPECT_EQ(API::MapComponentsMToN(out, 3, 8, 3, px, 2, 8, 2, &lut, 0, 0), -4);
    EXPECT_EQ(API::MapComponentsIterNToN(out, 3, 8, 3, px, 2, 8, 2, &lut, 0, 0), -4);
    EXPECT_EQ(API::MapComponentsMToN(out, 3, 8, 3, px, 3, 8, 3, &lut, 0, 0), 0);
    struct Call {
        uint32_t dstComps, dstBits, srcComps, srcBits;
    };
    for (const Call& call : {Call{3, 8, 3, 12}, Call{3, 16, 3, 8}, Call{4, 8, 3, 8}}) {
        EXPECT_EQ(API::MapComponentsMToN(out, call.dstComps, call.dstBits, 3, px, call.srcComps,
                                         call.srcBits, 3, &lut, 1, 1),
                  -4);
    }
    EXPECT_EQ(API::MapComponentsMToN(out, 3, 8, 3, px, 3, 8, 3, nullptr, 1, 1), -4);
}

TEST_F(MapTables, FormatsWithoutAMemberAreRefused)
{
    // 8 bits to 16: no member.
    build(8, 2, 16, [](uint32_t, uint32_t v) { return bgr(v, v, v); });
    uint8_t px[2] = {}, out[6] = {};
    EXPECT_EQ(API::MapComponentsMToN(out, 3, 16, 6, px, 2, 8, 2, &lut, 1, 1), -2);
    SLxLut::Free(&lut);
    ASSERT_EQ(SLxLut::Alloc(&lut, 8, 2, 8, 4), 0);
    EXPECT_EQ(API::MapComponentsMToN(out, 4, 8, 4, px, 2, 8, 2, &lut, 1, 1), -2);
}

TEST_F(MapTables, DispatchedMappingShowsTheMaskedComponentsAndMarksOverExposure)
{
    build(12, 3, 8, [](uint32_t c, uint32_t v) {
        return c == 0 ? bgr(v >> 4, 0, 0) : c == 1 ? bgr(0, v >> 4, 0) : bgr(0, 0, v >> 4);
    });
    setOverExposure();
    lut.uiCompMask = 0b011; // red hidden
    // A frame holding more bits than the table: 5000 is looked up at 4095.
    const uint16_t px[9] = {160, 320, 4095, 5000, 16, 0, 16, 32, 4095};
    uint8_t out[9] = {};
    ASSERT_EQ(API::MapComponentsMToN(out, 3, 8, 9, px, 3, 12, 18, &lut, 3, 3), 0);
    // Blue 10 and green 20; blue over-exposed; the hidden red component's
    // 4095 marks no pixel.
    EXPECT_EQ(Bytes(out, out + 9), (Bytes{10, 20, 0, 3, 2, 1, 1, 2, 0}));

    lut.uiCompMask = 0b110;
    ASSERT_EQ(API::MapComponentsMToN(out, 3, 8, 9, px, 3, 12, 18, &lut, 3, 3), 0);
    EXPECT_EQ(Bytes(out, out + 9), (Bytes{3, 2, 1, 0, 1, 0, 3, 2, 1}));

    // Without the colour, 5000 takes the table's last colour.
    ASSERT_EQ(SLxLut::SetOverExpColor(&lut, nullptr), 0);
    lut.uiCompMask = 0b001;
    ASSERT_EQ(API::MapComponentsMToN(out, 3, 8, 9, px, 3, 12, 18, &lut, 3, 3), 0);
    EXPECT_EQ(Bytes(out, out + 9), (Bytes{10, 0, 0, 255, 0, 0, 1, 0, 0}));
}

TEST_F(MapTables, DispatchedSixteenBitColoursCombineAtTheColourScale)
{
    // 12-bit samples to 16-bit colours: the colours' own scale, 65535.
    build(12, 2, 16, [](uint32_t, uint32_t) { return bgr(32768, 0, 65535); });
    setOverExposure(); // 16-bit colours are never marked
    const uint16_t px[2] = {4095, 4095};
    uint16_t out[3] = {};
    ASSERT_EQ(API::MapComponentsMToN(out, 3, 16, 6, px, 2, 12, 4, &lut, 1, 1), 0);
    EXPECT_EQ(Words(out, out + 3), (Words{65536 - 16384, 0, 65535}));
}

TEST_F(MapTables, OneComponentPicturesTakeTheRowTable)
{
    build(8, 1, 8, [](uint32_t, uint32_t v) { return bgr(v, 255 - v, 1); });
    lut.uiCompMask = 0; // a one-component mapping reads no mask
    const uint8_t px[2] = {0, 200};
    uint8_t out[6] = {};
    ASSERT_EQ(API::MapComponentsMToN(out, 3, 8, 6, px, 1, 8, 2, &lut, 2, 2), 0);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0, 255, 1, 200, 55, 1}));
}

TEST_F(MapTables, IterationAccumulatesChannelPictures)
{
    build(8, 1, 8, [](uint32_t, uint32_t v) { return bgr(v, 0, 255 - v); });
    const uint8_t first[2] = {128, 255}, second[2] = {128, 0};
    uint8_t out[6] = {0, 0, 0, 9, 9, 9};
    ASSERT_EQ(API::MapComponentsIterNToN(out, 3, 8, 6, first, 1, 8, 2, &lut, 2, 2), 0);
    ASSERT_EQ(API::MapComponentsIterNToN(out, 3, 8, 6, second, 1, 8, 2, &lut, 2, 2), 0);
    const uint8_t b1 = R(255, 9), r1 = R(0, 9);
    EXPECT_EQ(Bytes(out, out + 6),
              (Bytes{R(128, 128), 0, R(127, 127), R(0, b1), R(0, 9), R(255, r1)}));
    // Only one 8-bit component to 8-bit colour.
    SLxLut::Free(&lut);
    build(12, 1, 8, [](uint32_t, uint32_t v) { return bgr(v, v, v); });
    const uint16_t deep[1] = {1};
    EXPECT_EQ(API::MapComponentsIterNToN(out, 3, 8, 6, deep, 1, 12, 2, &lut, 1, 1), -2);
}

class ValueMapping : public ::testing::Test
{
  protected:
    ~ValueMapping() override { SLxLut::Free(&lut); }
    SLxLut lut;
};

TEST_F(ValueMapping, AFlatTableFillsEveryComponentAndARowTableItsOwn)
{
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 8), 0);
    for (uint32_t v = 0; v < 256; ++v)
        static_cast<uint8_t*>(lut.pTable)[v] = uint8_t(255 - v);
    const uint8_t px[2] = {0, 10};
    uint8_t out[8] = {};
    ASSERT_EQ(API::MapValueToComponents(out, 4, 8, 8, px, 8, 2, &lut, 2, 2), 0);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{255, 255, 255, 255, 245, 245, 245, 245}));
    uint8_t plane[2] = {};
    ASSERT_EQ(API::MapValueToComponents(plane, 1, 8, 2, px, 8, 2, &lut, 2, 2), 0);
    EXPECT_EQ(Bytes(plane, plane + 2), (Bytes{255, 245}));

    SLxLut::Free(&lut);
    ASSERT_EQ(SLxLut::Alloc(&lut, 8, 1, 8, 2), 0);
    for (uint32_t v = 0; v < 256; ++v) {
        static_cast<uint8_t**>(lut.pTable)[v][0] = uint8_t(v);
        static_cast<uint8_t**>(lut.pTable)[v][1] = uint8_t(v / 2);
    }
    ASSERT_EQ(API::MapValueToComponents(out, 2, 8, 4, px, 8, 2, &lut, 2, 2), 0);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0, 0, 10, 5}));
}

TEST_F(ValueMapping, DeepValuesToColourLookUpSamplesBeyondTheTableAtItsEnd)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 12, 8), 0);
    for (uint32_t v = 0; v < 4096; ++v) {
        uint8_t* row = static_cast<uint8_t**>(lut.pTable)[v];
        row[0] = uint8_t(v >> 4);
        row[1] = uint8_t(v & 15);
        row[2] = 7;
    }
    const uint16_t px[2] = {0x123, 0xF000};
    uint8_t out[6] = {};
    ASSERT_EQ(API::MapValueToComponents(out, 3, 8, 6, px, 12, 4, &lut, 2, 2), 0);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{0x12, 3, 7, 255, 15, 7}));
}

TEST_F(ValueMapping, RefusesDepthsAndTablesThatDoNotFit)
{
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
    const uint8_t px[1] = {};
    uint8_t out[8] = {};
    EXPECT_EQ(API::MapValueToComponents(out, 3, 16, 6, px, 8, 1, &lut, 1, 1), -2);
    EXPECT_EQ(API::MapValueToComponents(out, 3, 8, 3, px, 24, 1, &lut, 1, 1), -2);
    EXPECT_EQ(API::MapValueToComponents(out, 3, 8, 3, px, 7, 1, &lut, 1, 1), -4);
    EXPECT_EQ(API::MapValueToComponents(out, 4, 8, 4, px, 8, 1, &lut, 1, 1), -4);
    EXPECT_EQ(API::MapValueToComponents(out, 3, 8, 3, px, 8, 1, nullptr, 1, 1), -4);
    EXPECT_EQ(API::MapValueToComponents(out, 3, 8, 3, px, 8, 1, nullptr, 0, 1), 0);
    EXPECT_EQ(Bytes(out, out + 8), Bytes(8, 0));
}

} // namespace

// The table builders: curves, equalisation, colour ramps and composition.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "lut_test_support.h"

using luttest::kUnwritten;
using luttest::Table;

namespace
{

// ---- Linear -----------------------------------------------------------------

TEST(LutLinear, RampBetweenThePointsHeldOutside)
{
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateLinearTable(&t.lut, 0, 10, 0, 20, 255), 0);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(t[i], 0u) << i;
    EXPECT_EQ(t[15], 127u); // 5 x 255 / 10, truncated
    EXPECT_EQ(t[19], 229u);
    for (uint32_t i = 20; i < 256; ++i)
        EXPECT_EQ(t[i], 255u) << i;
}

TEST(LutLinear, EveryEntryIsClippedToTheOutputRange)
{
    struct Case {
        uint8_t srcBits, dstBits;
        int32_t x1, y1, x2, y2;
        uint32_t index, expected;
    } cases[] = {
        // Byte tables once kept the low 8 bits: 300 became 44.
        {8, 8, 0, 0, 10, 300, 9, 255},
        {8, 8, 0, 0, 10, 300, 200, 255},
        {8, 6, 0, 0, 255, 255, 100, 63},
        {8, 8, 0, -50, 10, 50, 2, 0},
        // 16-bit tables once clipped at 2^source-bits (256 here).
        {8, 12, 0, 0, 255, 5000, 128, 2509},
        {8, 12, 0, 0, 10, 5000, 200, 4095},
        {12, 8, 0, 0, 4095, 4095, 4095, 255},
        {10, 16, 0, 70000, 10, 80000, 0, 65535},
        {10, 16, 0, -5, 1023, -1, 1023, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << int(c.srcBits) << "->" << int(c.dstBits) << " entry " << c.index);
        Table t(c.srcBits, 1, c.dstBits, 1);
        ASSERT_EQ(SLxLut::CreateLinearTable(&t.lut, 0, c.x1, c.y1, c.x2, c.y2), 0);
        EXPECT_EQ(t[c.index], c.expected);
    }
}

TEST(LutLinear, PointsOutsideTheTableShapeTheLineOnly)
{
    // The head and the middle start before entry 0 and the middle ends past
    // the table: nothing outside it is written (the sanitizer would tell).
    Table t(4, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateLinearTable(&t.lut, 0, -10, 0, 30, 40), 0);
    EXPECT_EQ(t[0], 10u);
    EXPECT_EQ(t[15], 25u);
}

TEST(LutLinear, RefusesAnEmptySpanBeforeWriting)
{
    Table t(8, 1, 8, 1);
    EXPECT_EQ(SLxLut::CreateLinearTable(&t.lut, 0, 20, 0, 20, 255), -4);
    EXPECT_EQ(SLxLut::CreateLinearTable(&t.lut, 0, 20, 0, 10, 255), -4);
    EXPECT_TRUE(t.untouched());
    EXPECT_EQ(SLxLut::CreateLinearTable(nullptr, 0, 0, 0, 10, 255), -4);
    Table deep(8, 1, 24, 1);
    EXPECT_EQ(SLxLut::CreateLinearTable(&deep.lut, 0, 0, 0, 10, 255), -4);
}

// ---- Which entries a curve goes to ------------------------------------------------

struct Shape {
    uint8_t lutCount, dstComps, comp;
    int linear, gamma;    // expected results
    uint32_t writtenMask; // bit (c x 8 + k): table c, component k written
};

class LutCurveTargets : public ::testing::TestWithParam<Shape>
{
};

TEST_P(LutCurveTargets, WriteTheSelectedSamplesOnly)
{
    const Shape& s = GetParam();
    for (int gamma = 0; gamma < 2; ++gamma) {
        SCOPED_TRACE(gamma ? "gamma" : "linear");
        Table t(4, s.lutCount, 8, s.dstComps);
        const int result = gamma ? SLxLut::CreateGammaTable(&t.lut, s.comp, 0, 0, 15, 150, 1.0)
                                 : SLxLut::CreateLinearTable(&t.lut, s.comp, 0, 0, 15, 150);
        ASSERT_EQ(result, gamma ? s.gamma : s.linear);
        for (uint32_t c = 0; c < s.lutCount; ++c)
            for (uint32_t k = 0; k < s.dstComps; ++k) {
                const bool written = result == 0 && (s.writtenMask >> (c * 8 + k) & 1);
                EXPECT_EQ(t.at(c, 5, k), written ? 50u : (kUnwritten & 0xFF))
                    << "table " << c << " component " << k;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, LutCurveTargets,
                         ::testing::Values(Shape{1, 1, 7, 0, 0, 0x1}, // flat: comp ignored
                                           Shape{1, 3, 1, 0, 0, 0x2}, // component 1 only
                                           Shape{1, 3, 3, 0, 0, 0x7}, // beyond: every component
                                           Shape{3, 3, 0, 0, 0,
                                                 0x070707}, // every table, every component
                                           Shape{3, 1, 1, -4, 0, 0x100},     // gamma: table 1 only
                                           Shape{3, 1, 255, -4, 0, 0x10101}, // gamma: every table
                                           Shape{3, 1, 5, -4, -4, 0},        // no such table
                                           Shape{2, 3, 0, -4, -4, 0}));      // two tables of three

// ---- Gamma --------------------------------------------------------------------------

TEST(LutGamma, PowerOfTheNormalisedLine)
{
    Table bytes(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateGammaTable(&bytes.lut, 0, 0, 0, 255, 255, 0.5), 0);
    EXPECT_EQ(bytes[64], 127u); // trunc(sqrt(64 / 255) x 255)
    EXPECT_EQ(bytes[255], 255u);

    Table words(12, 1, 12, 1);
    ASSERT_EQ(SLxLut::CreateGammaTable(&words.lut, 0, 0, 0, 4095, 4095, 2.0), 0);
    EXPECT_EQ(words[2048], 1024u); // (2048 / 4095)^2 x 4095
}

TEST(LutGamma, WideOutputsAreClippedToTheirOwnMaximum)
{
    // 8 source bits to 16 output bits: M = 255 and the top is 65535, not 256.
    Table t(8, 1, 16, 1);
    ASSERT_EQ(SLxLut::CreateGammaTable(&t.lut, 0, 0, 0, 255, 65535, 1.0), 0);
    EXPECT_EQ(t[255], 65535u);
    EXPECT_GT(t[200], 256u);
}

TEST(LutGamma, NegativeValuesWithAFractionalGammaGiveZero)
{
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateGammaTable(&t.lut, 0, 10, -100, 20, 100, 0.5), 0);
    EXPECT_EQ(t[0], 0u);  // head: (-100 / 255)^0.5 is not a number
    EXPECT_EQ(t[12], 0u); // the line is still negative there
    EXPECT_EQ(t[255], 159u);
}

TEST(LutGammaWindow, RampInsideTheWindowAndTheFirstValueAround)
{
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateGammaTable2(&t.lut, 0, 10, 50, 20, 200, 1.0), 0);
    for (uint32_t i : {0u, 9u, 21u, 255u})
        EXPECT_EQ(t[i], 50u) << i;
    EXPECT_EQ(t[10], 50u);
    EXPECT_EQ(t[15], 125u);
    EXPECT_EQ(t[20], 200u); // x2 is inside the window
}

// ---- Logarithmic and exponential ---------------------------------------------------

TEST(LutLogarithmic, MiddleStartsAtZeroWhateverY1)
{
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateLogaritmicTable_1_1(&t.lut, 0, 10, 100, 20, 200), 0);
    EXPECT_EQ(t[0], 212u); // log10(101) / log10(256) x 255
    EXPECT_EQ(t[10], 0u);
    EXPECT_EQ(t[15], 74u); // log10(6) x 100 / log10(11)
    EXPECT_EQ(t[20], 243u);
}

TEST(LutExponential, InverseOfTheLogarithmicMiddle)
{
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateExpTable_1_1(&t.lut, 0, 0, 0, 100, 10), 0);
    EXPECT_EQ(t[0], 0u);
    EXPECT_EQ(t[5], 9u);    // 101^0.5 - 1
    EXPECT_EQ(t[50], 255u); // clipped

    ASSERT_EQ(SLxLut::CreateExpTable_1_1(&t.lut, 0, 0, 0, 255, 255), 0);
    EXPECT_EQ(t[128], 15u); // 256^(128 / 255) - 1

    ASSERT_EQ(SLxLut::CreateExpTable_1_1(&t.lut, 0, 10, 100, 20, 110), 0);
    EXPECT_EQ(t[0], 7u); // head: 256^(100 / 255) - 1
    EXPECT_EQ(t[255], 9u);

    Table words(12, 1, 12, 1);
    ASSERT_EQ(SLxLut::CreateExpTable_1_1(&words.lut, 0, 10, 2048, 20, 4095), 0);
    EXPECT_EQ(words[0], 63u); // 4096^(2048 / 4095) - 1
    EXPECT_EQ(words[4095], 4095u);
}

TEST(LutExponential, EqualValuesAndOtherShapesAreRefused)
{
    Table t(8, 1, 8, 1);
    EXPECT_EQ(SLxLut::CreateExpTable_1_1(&t.lut, 0, 0, 50, 100, 50), -4);
    EXPECT_TRUE(t.untouched());
    Table colour(8, 1, 8, 3);
    EXPECT_EQ(SLxLut::CreateExpTable_1_1(&colour.lut, 0, 0, 0, 100, 10), -4);
    EXPECT_EQ(SLxLut::CreateLogaritmicTable_1_1(&colour.lut, 0, 0, 0, 100, 10), -4);
    EXPECT_TRUE(colour.untouched());
}

// ---- Equalisation ---------------------------------------------------------------------

// A histogram of one plane (or per-component planes) with bins of 4 or 8
// bytes.
template <class Bin> struct Histogram {
    explicit Histogram(uint32_t bits, uint32_t comps = 1)
        : bins(comps + 1, std::vector<Bin>(size_t(1) << bits))
    {
        for (uint32_t c = 0; c < comps; ++c)
            planes.push_back(bins[c + 1].data());
        record.pHisto = bins[0].data();
        record.ppCompHisto = planes.data();
        record.uiBinSize = sizeof(Bin);
        record.uiComps = comps;
        record.uiBits = bits;
    }
    std::vector<std::vector<Bin>> bins; // [0] whole picture, then components
    std::vector<void*> planes;
    SLxHisto record;
};

TEST(LutEqualize, FlatHistogramGivesTheIdentity)
{
    Histogram<uint32_t> h32(8);
    Histogram<uint64_t> h64(8);
    std::fill(h32.bins[0].begin(), h32.bins[0].end(), 7u);
    std::fill(h64.bins[0].begin(), h64.bins[0].end(), uint64_t(1) << 40);
    for (const SLxHisto* h : {&h32.record, &h64.record}) {
        Table t(8, 1, 8, 1);
        ASSERT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, h), 0);
        for (uint32_t i = 0; i < 256; ++i)
            ASSERT_EQ(t[i], i);
    }
}

TEST(LutEqualize, TwoPeaksSplitTheRangeInHalves)
{
    Histogram<uint32_t> h(8);
    h.bins[0][0] = 100;
    h.bins[0][255] = 100;
    Table t(8, 1, 8, 1);
    ASSERT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, &h.record), 0);
    EXPECT_EQ(t[0], 0u);
    for (uint32_t i = 1; i < 255; ++i)
        ASSERT_EQ(t[i], 128u) << i;
    EXPECT_EQ(t[255], 255u);
}

TEST(LutEqualize, EntriesAboveTheLastCountTakeTheTop)
{
    // Every count in bin 3: the steps end early, and the entries above used
    // to keep whatever the table held.
    Histogram<uint32_t> h(4);
    h.bins[0][3] = 9;
    Table t(4, 1, 4, 1);
    ASSERT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, &h.record), 0);
    const uint32_t expected[16] = {0, 0, 0, 0, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15};
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(t[i], expected[i]) << i;
}

TEST(LutEqualize, EmptyHistogramIsRefusedInsteadOfLoopingForever)
{
    Histogram<uint64_t> h(8);
    Table t(8, 1, 8, 1);
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, &h.record), -4);
    EXPECT_TRUE(t.untouched());
}

TEST(LutEqualize, ColourTablesUseThePlaneOfTheComponent)
{
    Histogram<uint32_t> h(4, 3);
    std::fill(h.bins[2].begin(), h.bins[2].end(), 1u); // component 1: flat
    h.bins[0][0] = 5;                                  // whole picture: one peak
    Table t(4, 1, 4, 3);
    ASSERT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 1, &h.record), 0);
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(t.at(0, i, 1), i);
        EXPECT_EQ(t.at(0, i, 0), kUnwritten & 0xFF);
        EXPECT_EQ(t.at(0, i, 2), kUnwritten & 0xFF);
    }
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 3, &h.record), -4);
}

TEST(LutEqualize, MismatchedHistogramsAreRefused)
{
    Histogram<uint32_t> h(8);
    h.bins[0][1] = 1;
    Table t(8, 1, 8, 1);
    Table other(10, 1, 10, 1);
    Table mixed(8, 1, 10, 1);
    Table tables(8, 2, 8, 1);
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&other.lut, 0, &h.record), -4);
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&mixed.lut, 0, &h.record), -4);
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&tables.lut, 0, &h.record), -4);
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, nullptr), -4);
    h.record.uiBinSize = 2;
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, &h.record), -4);
    h.record.uiBinSize = 4;
    h.record.pHisto = nullptr;
    EXPECT_EQ(SLxLut::CreateEqualizingTable_1_1(&t.lut, 0, &h.record), -4);
    EXPECT_TRUE(t.untouched());
}

// ---- Colour ramps -------------------------------------------------------------------

// Colour words are 0x00BBGGRR; entries are written B, G, R.
TEST(LutColorRamp, FromBlackToTheColour)
{
    Table t(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTable(&t.lut, 0x0000FF00), 0);
    EXPECT_EQ(t.at(0, 255, 0), 0u);
    EXPECT_EQ(t.at(0, 255, 1), 255u);
    EXPECT_EQ(t.at(0, 255, 2), 0u);
    EXPECT_EQ(t.at(0, 128, 1), 128u);

    ASSERT_EQ(SLxLut::CreateColorTable(&t.lut, 0x00FF8040), 0);
    EXPECT_EQ(t.at(0, 100, 0), 100u); // blue 255 x 100 / 255
    EXPECT_EQ(t.at(0, 100, 1), 50u);  // green 128 x 100 / 255
    EXPECT_EQ(t.at(0, 100, 2), 25u);  // red 64 x 100 / 255
}

TEST(LutColorRamp, OtherShapesAreRefused)
{
    Table words(8, 1, 16, 3);
    Table grey(8, 1, 8, 1);
    Table tables(8, 3, 8, 3);
    for (Table* t : {&words, &grey, &tables}) {
        EXPECT_EQ(SLxLut::CreateColorTable(&t->lut, 0xFFFFFF), -4);
        EXPECT_TRUE(t->untouched());
    }
}

// A one-table base of comps components, entry i = i in every component
// (8 source bits).
void identityBase(Table& base)
{
    for (uint32_t i = 0; i < base.entries(); ++i)
        for (uint32_t k = 0; k < base.lut.uiDstComps; ++k)
            base.put(0, i, k, i);
}

TEST(LutColorRampEx, ScaledByTheBaseWithOverExposure)
{
    Table base(8, 1, 8, 1);
    identityBase(base);
    Table t(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0x00FF8040, &base.lut, true, 0x000000FF), 0);
    EXPECT_EQ(t.at(0, 100, 0), 100u);
    EXPECT_EQ(t.at(0, 100, 1), 50u);
    EXPECT_EQ(t.at(0, 100, 2), 25u);
    // The base maximum: the over-exposure colour, pure red.
    EXPECT_EQ(t.at(0, 255, 0), 0u);
    EXPECT_EQ(t.at(0, 255, 1), 0u);
    EXPECT_EQ(t.at(0, 255, 2), 255u);

    ASSERT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0x00FF8040, &base.lut, false, 0x000000FF), 0);
    EXPECT_EQ(t.at(0, 255, 0), 255u);
    EXPECT_EQ(t.at(0, 255, 1), 128u);
    EXPECT_EQ(t.at(0, 255, 2), 64u);
}

TEST(LutColorRampEx, AnyComponentAtTheMaximumOfAColourBase)
{
    Table base(8, 1, 8, 3);
    identityBase(base);
    base.put(0, 10, 2, 255);
    Table t(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0xFFFFFF, &base.lut, true, 0x00123456), 0);
    EXPECT_EQ(t.at(0, 10, 0), 0x12u);
    EXPECT_EQ(t.at(0, 10, 2), 0x56u);
    EXPECT_EQ(t.at(0, 11, 0), 11u);
}

TEST(LutColorRampEx, TwelveBitBaseHoldsWords)
{
    Table base(12, 1, 12, 1);
    identityBase(base);
    Table t(12, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0x000000FF, &base.lut, false, 0), 0);
    EXPECT_EQ(t.at(0, 4095, 2), 255u);
    EXPECT_EQ(t.at(0, 2048, 2), 127u); // 255 x 2048 / 4095
    EXPECT_EQ(t.at(0, 2048, 0), 0u);
}

TEST(LutColorRampEx, WithoutABaseItIsThePlainRamp)
{
    Table t(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0x0000FF00, nullptr, true, 0xFF), 0);
    EXPECT_EQ(t.at(0, 255, 1), 255u);
}

TEST(LutColorRampEx, MismatchedTablesAreRefused)
{
    Table base(8, 1, 8, 1);
    Table wideBase(8, 1, 16, 1);
    Table twoComps(8, 1, 8, 2);
    Table otherBits(10, 1, 10, 1);
    Table t(8, 1, 8, 3);
    Table words(8, 1, 12, 3);
    EXPECT_EQ(SLxLut::CreateColorTableEx(&words.lut, 0xFF, &base.lut, false, 0), -4);
    for (Table* b : {&wideBase, &twoComps, &otherBits})
        EXPECT_EQ(SLxLut::CreateColorTableEx(&t.lut, 0xFF, &b->lut, false, 0), -4);
    EXPECT_TRUE(t.untouched());
}

TEST(LutMultiColor, OneRampPerTable)
{
    const uint32_t colours[2] = {0x000000FF, 0x00FF0000};
    Table t(8, 2, 8, 3);
    ASSERT_EQ(SLxLut::CreateMultiColorTable(&t.lut, colours, 2), 0);
    EXPECT_EQ(t.at(0, 255, 2), 255u); // table 0 red
    EXPECT_EQ(t.at(0, 255, 0), 0u);
    EXPECT_EQ(t.at(1, 255, 0), 255u); // table 1 blue
    EXPECT_EQ(t.at(1, 51, 0), 51u);

    Table one(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateMultiColorTable(&one.lut, colours, 1), 0);
    EXPECT_EQ(one.at(0, 128, 2), 128u);
}

TEST(LutMultiColor, WideTablesScaleTheColourBytes)
{
    const uint32_t colours[3] = {0x000000FF, 0x00008000, 0x00FF0000};
    Table t(8, 3, 12, 3);
    ASSERT_EQ(SLxLut::CreateMultiColorTable(&t.lut, colours, 3), 0);
    EXPECT_EQ(t.at(0, 255, 2), 4095u);
    EXPECT_EQ(t.at(1, 255, 1), 2055u); // 128 x 4095 / 255
    EXPECT_EQ(t.at(2, 255, 0), 4095u);
}

TEST(LutMultiColor, CountMustMatchTheTables)
{
    const uint32_t colours[3] = {1, 2, 3};
    Table t(8, 2, 8, 3);
    EXPECT_EQ(SLxLut::CreateMultiColorTable(&t.lut, colours, 3), -4);
    EXPECT_EQ(SLxLut::CreateMultiColorTable(&t.lut, nullptr, 2), -4);
    Table grey(8, 2, 8, 1);
    EXPECT_EQ(SLxLut::CreateMultiColorTable(&grey.lut, colours, 2), -4);
    EXPECT_TRUE(t.untouched());
}

TEST(LutMultiColorEx, TableCUsesComponentCOfTheBase)
{
    Table base(8, 1, 8, 2);
    for (uint32_t i = 0; i < 256; ++i) {
        base.put(0, i, 0, i);
        base.put(0, i, 1, 255 - i);
    }
    const uint32_t colours[2] = {0x000000FF, 0x0000FF00};
    Table t(8, 2, 8, 3);
    ASSERT_EQ(SLxLut::CreateMultiColorTableEx(&t.lut, colours, 2, &base.lut, true, 0x00FF0000), 0);
    EXPECT_EQ(t.at(0, 100, 2), 100u);
    EXPECT_EQ(t.at(1, 100, 1), 155u);
    // Base value 255: table 0 at entry 255, table 1 at entry 0.
    EXPECT_EQ(t.at(0, 255, 0), 255u);
    EXPECT_EQ(t.at(0, 255, 2), 0u);
    EXPECT_EQ(t.at(1, 0, 0), 255u);
    EXPECT_EQ(t.at(1, 0, 1), 0u);

    Table wrongBase(8, 1, 8, 3);
    EXPECT_EQ(SLxLut::CreateMultiColorTableEx(&t.lut, colours, 2, &wrongBase.lut, true, 0x00FF0000),
              -4);
}

TEST(LutMultiColorEx, WideTablesScaleColoursAndOverExposure)
{
    Table base(8, 1, 8, 1);
    identityBase(base);
    const uint32_t colour = 0x000000FF;
    Table t(8, 1, 12, 3);
    ASSERT_EQ(SLxLut::CreateMultiColorTableEx(&t.lut, &colour, 1, &base.lut, true, 0x0000FF00), 0);
    EXPECT_EQ(t.at(0, 51, 2), 819u); // 4095 x 51 / 255
    EXPECT_EQ(t.at(0, 255, 1), 4095u);
    EXPECT_EQ(t.at(0, 255, 2), 0u);
}

// ---- Composition ----------------------------------------------------------------------

TEST(LutComposed, ColourTableAfterTheFirst)
{
    Table colour(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateColorTable(&colour.lut, 0x00FFFFFF), 0);
    const uint32_t red = 0x000000FF;
    ASSERT_EQ(SLxLut::SetOverExpColor(&colour.lut, &red), 0);
    colour.lut.uiCompMask = 0x5;
    Table first(8, 1, 8, 1);
    for (uint32_t i = 0; i < 256; ++i)
        first.put(0, i, 0, 255 - i);
    Table result(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreateComposedTable(&result.lut, &colour.lut, &first.lut), 0);
    EXPECT_EQ(result.at(0, 0, 0), 255u);
    EXPECT_EQ(result.at(0, 200, 1), 55u);
    EXPECT_EQ(result.lut.uiCompMask, 0x5u);
    ASSERT_NE(result.lut.pOverExpColor, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(result.lut.pOverExpColor)[2], 255);
    EXPECT_NE(result.lut.pOverExpColor, colour.lut.pOverExpColor); // its own copy
}

TEST(LutComposed, SeveralTablesLookUpTheirOwnComponent)
{
    Table colour(8, 2, 12, 3);
    const uint32_t colours[2] = {0x000000FF, 0x00FF0000};
    ASSERT_EQ(SLxLut::CreateMultiColorTable(&colour.lut, colours, 2), 0);
    Table first(8, 1, 8, 2);
    for (uint32_t i = 0; i < 256; ++i) {
        first.put(0, i, 0, i / 2);
        first.put(0, i, 1, 255);
    }
    Table result(8, 2, 12, 3);
    ASSERT_EQ(SLxLut::CreateComposedTable(&result.lut, &colour.lut, &first.lut), 0);
    EXPECT_EQ(result.at(0, 200, 2), colour.at(0, 100, 2));
    EXPECT_EQ(result.at(1, 3, 0), 4095u);
}

TEST(LutComposed, InPlaceAndOutOfRangeValues)
{
    Table colour(4, 1, 8, 3);
    for (uint32_t i = 0; i < 16; ++i)
        for (uint32_t k = 0; k < 3; ++k)
            colour.put(0, i, k, i * 10 + k);
    // A 4-bit table holding bytes: values up to 255 would look past 16
    // entries; they take the last one.
    Table first(4, 1, 4, 1);
    for (uint32_t i = 0; i < 16; ++i)
        first.put(0, i, 0, i == 3 ? 200 : 15 - i);
    ASSERT_EQ(SLxLut::CreateComposedTable(&colour.lut, &colour.lut, &first.lut), 0);
    EXPECT_EQ(colour.at(0, 0, 0), 150u);
    EXPECT_EQ(colour.at(0, 15, 1), 1u);
    EXPECT_EQ(colour.at(0, 3, 2), 152u);
}

TEST(LutComposed, RefusalsLeaveTheResultAlone)
{
    Table colour(8, 1, 8, 3);
    Table first(8, 1, 8, 1);
    Table result(8, 1, 8, 3);
    Table otherBits(8, 1, 12, 3);
    Table twoComps(8, 1, 8, 2);
    result.lut.uiCompMask = 0x77;
    EXPECT_EQ(SLxLut::CreateComposedTable(&otherBits.lut, &colour.lut, &first.lut), -4);
    EXPECT_EQ(SLxLut::CreateComposedTable(&result.lut, &colour.lut, &twoComps.lut), -4);
    EXPECT_EQ(SLxLut::CreateComposedTable(&result.lut, &colour.lut, nullptr), -4);

    Table deepColour(8, 1, 24, 3);
    Table deepResult(8, 1, 24, 3);
    deepResult.lut.uiCompMask = 0x77;
    deepColour.lut.uiCompMask = 0x1;
    EXPECT_EQ(SLxLut::CreateComposedTable(&deepResult.lut, &deepColour.lut, &first.lut), -2);
    EXPECT_EQ(deepResult.lut.uiCompMask, 0x77u);
    EXPECT_EQ(result.lut.uiCompMask, 0x77u);
    EXPECT_TRUE(result.untouched());
}

} // namespace

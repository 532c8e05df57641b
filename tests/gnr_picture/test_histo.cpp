// The histogram record: layout of the planes, preparation and its early
// return, counting by area and mask, and every search against its rule.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "PicBufAPI/picbuf_test_support.h"
#include "gnr_picture/LxHisto.h"
#include "w32_system/memory/LxAlloc.h"

using picbuftest::TestPic;

namespace
{

SLxPicBufDesc descOf(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps)
{
    return SLxPicBufDesc{w, h, 0, uint8_t(bits), comps, 0};
}

// A record that frees itself.
struct Histo {
    SLxHisto h;
    Histo() { CLxHistoAPI::Init(&h); }
    ~Histo() { CLxHistoAPI::Free(&h); }
    SLxHisto* operator->() { return &h; }
    SLxHisto* p() { return &h; }
    // Sets bin j of component c's plane.
    void set(uint32_t c, uint32_t j, uint64_t v)
    {
        if (h.uiBinSize == 4)
            static_cast<uint32_t*>(h.ppCompHisto[c])[j] = uint32_t(v);
        else
            static_cast<uint64_t*>(h.ppCompHisto[c])[j] = v;
    }
    uint64_t intensity(uint32_t j) const
    {
        return h.uiBinSize == 4 ? static_cast<uint32_t*>(h.pHisto)[j]
                                : static_cast<uint64_t*>(h.pHisto)[j];
    }
};

class HistoBins : public ::testing::TestWithParam<uint32_t>
{
  protected:
    int reinit(SLxHisto* h, const SLxPicBufDesc& d)
    {
        return GetParam() == 4 ? CLxHistoAPI::Reinit32(h, &d) : CLxHistoAPI::Reinit64(h, &d);
    }
};

TEST_P(HistoBins, PlanesLieBackToBack)
{
    Histo one, three;
    ASSERT_EQ(reinit(one.p(), descOf(5, 4, 8, 1)), 0);
    EXPECT_EQ(one->ppCompHisto[0], one->pHisto);
    EXPECT_EQ(CLxAlloc::Size(one->pHisto), 256u * GetParam());
    ASSERT_EQ(reinit(three.p(), descOf(5, 4, 8, 3)), 0);
    EXPECT_EQ(CLxAlloc::Size(three->pHisto), 4u * 256u * GetParam());
    for (uint32_t c = 0; c < 3; ++c)
        EXPECT_EQ(three->ppCompHisto[c],
                  static_cast<uint8_t*>(three->pHisto) + (c + 1) * 256 * GetParam());
    EXPECT_EQ(three->uiAreaWidth, 5u);
    EXPECT_EQ(three->uiAreaHeight, 4u);
    EXPECT_EQ(three->uiStepX, 1u);
}

TEST_P(HistoBins, CountsThreeComponentsAndTheirMean)
{
    TestPic pic(3, 2, 8, 3, 4);
    pic.fillPattern(2);
    Histo h;
    ASSERT_EQ(reinit(h.p(), descOf(3, 2, 8, 3)), 0);
    ASSERT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), 0);
    std::vector<uint64_t> mean(256);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) {
            const auto px = pic.pixel(x, y);
            ++mean[(px[0] + px[1] + px[2]) / 3];
            for (uint32_t c = 0; c < 3; ++c)
                EXPECT_GE(CLxHistoAPI::GetValue(h.p(), c, px[c]), 1u);
        }
    for (uint32_t j = 0; j < 256; ++j)
        ASSERT_EQ(h.intensity(j), mean[j]) << j;
    // Counts accumulate without reset.
    const uint64_t before = CLxHistoAPI::GetValue(h.p(), 1, pic.get(0, 0, 1));
    ASSERT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), false), 0);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 1, pic.get(0, 0, 1)), 2 * before);
}

TEST_P(HistoBins, ReinitOfTheSameFormatKeepsCountsButTakesTheNewSize)
{
    Histo h;
    ASSERT_EQ(reinit(h.p(), descOf(100, 100, 8, 1)), 0);
    h.set(0, 7, 2);
    void* block = h->pHisto;
    ASSERT_EQ(reinit(h.p(), descOf(50, 50, 8, 1)), 0);
    EXPECT_EQ(h->pHisto, block);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 7), 2u);
    EXPECT_EQ(h->uiWidth, 50u);
    EXPECT_EQ(h->uiAreaWidth, 50u);
    EXPECT_EQ(h->uiAreaHeight, 50u);
    // GetLowHigh(0.01) on 50 x 50 uses the limit count 25.
    CLxHistoAPI::ResetToZero(h.p());
    h.set(0, 3, 25);
    h.set(0, 4, 1);
    unsigned low = 0;
    ASSERT_EQ(CLxHistoAPI::GetLowHigh(h.p(), &low, nullptr, 0.01, 0), 0);
    EXPECT_EQ(low, 4u);
    // In area mode 1 the caller's rectangle stays.
    h->uiAreaMode = 1;
    h->uiAreaWidth = 9;
    h->uiAreaHeight = 8;
    ASSERT_EQ(reinit(h.p(), descOf(70, 60, 8, 1)), 0);
    EXPECT_EQ(h->uiAreaWidth, 9u);
    EXPECT_EQ(h->uiAreaHeight, 8u);
    EXPECT_EQ(h->uiHeight, 60u);
}

TEST_P(HistoBins, RefusedFormatsAllocateNothing)
{
    Histo h;
    for (const auto& d :
         {descOf(4, 4, 0, 1), descOf(4, 4, 17, 1), descOf(4, 4, 32, 1), descOf(4, 4, 8, 0)}) {
        EXPECT_EQ(reinit(h.p(), d), -2);
        EXPECT_EQ(h->pHisto, nullptr);
    }
    const SLxPicBufDesc d = descOf(4, 4, 8, 1);
    EXPECT_EQ(CLxHistoAPI::Reinit32(nullptr, &d), -4);
    EXPECT_EQ(CLxHistoAPI::Reinit32(h.p(), nullptr), -4);
}

TEST_P(HistoBins, CopyIsIndependent)
{
    Histo a, b;
    ASSERT_EQ(reinit(a.p(), descOf(10, 3, 12, 2)), 0);
    a.set(1, 4095, 6);
    a->uiStepX = 3;
    ASSERT_EQ(CLxHistoAPI::Copy(b.p(), a.p()), 0);
    EXPECT_NE(b->pHisto, a->pHisto);
    EXPECT_EQ(b->uiStepX, 3u);
    EXPECT_EQ(b->ppCompHisto[1], static_cast<uint8_t*>(b->pHisto) + 2 * 4096 * GetParam());
    CLxHistoAPI::Free(a.p());
    EXPECT_EQ(CLxHistoAPI::GetValue(b.p(), 1, 4095), 6u);
    EXPECT_EQ(CLxHistoAPI::Copy(b.p(), a.p()), -4);
}

TEST_P(HistoBins, AreaModeOneCountsTheRectangle)
{
    TestPic pic(6, 5, 16, 1);
    pic.fillPattern(1);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            pic.set(x, y, 0, x + 10 * y);
    Histo h;
    ASSERT_EQ(reinit(h.p(), descOf(6, 5, 16, 1)), 0);
    h->uiAreaMode = 1;
    h->uiAreaX = 2;
    h->uiAreaY = 1;
    h->uiAreaWidth = 3;
    h->uiAreaHeight = 2;
    ASSERT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), 0);
    for (uint32_t v : {12u, 13u, 14u, 22u, 23u, 24u})
        EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, v), 1u) << v;
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 11), 0u);
    // A rectangle reaching outside: -4, nothing counted.
    h->uiAreaWidth = 5;
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), -4);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 12), 1u);
    // Other area modes count nothing.
    h->uiAreaMode = 2;
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), 0);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 12), 0u);
}

TEST_P(HistoBins, UnderBinaryCountsWhereTheMaskIsSet)
{
    TestPic pic(5, 4, 8, 1), mask(4, 6, 8, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            pic.set(x, y, 0, x + 10 * y);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            mask.set(x, y, 0, (x + y) % 2);
    Histo h;
    ASSERT_EQ(reinit(h.p(), descOf(5, 4, 8, 1)), 0);
    ASSERT_EQ(CLxHistoAPI::CalculateUnderBinary(h.p(), pic.p(), mask.p(), true), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, x + 10 * y), x < 4 ? (x + y) % 2 : 0u);
    h->uiAreaMode = 1;
    h->uiAreaX = 4; // the common width
    EXPECT_EQ(CLxHistoAPI::CalculateUnderBinary(h.p(), pic.p(), mask.p(), true), -2);
    h->uiAreaX = 1;
    h->uiAreaY = 1;
    h->uiAreaWidth = 100;
    h->uiAreaHeight = 1;
    ASSERT_EQ(CLxHistoAPI::CalculateUnderBinary(h.p(), pic.p(), mask.p(), true), 0);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 11), 0u);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 12), 1u);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 14), 0u); // clipped at the common width
    h->uiAreaMode = 7;
    EXPECT_EQ(CLxHistoAPI::CalculateUnderBinary(h.p(), pic.p(), mask.p(), true), -2);
    TestPic wide(4, 6, 16, 1);
    h->uiAreaMode = 0;
    EXPECT_EQ(CLxHistoAPI::CalculateUnderBinary(h.p(), pic.p(), wide.p(), true), -4);
}

INSTANTIATE_TEST_SUITE_P(BinSizes, HistoBins, ::testing::Values(4u, 8u));

// A one-component 8-bit record with the given counts.
struct Counts : Histo {
    explicit Counts(std::vector<std::pair<uint32_t, uint64_t>> bins, uint32_t binSize = 4,
                    uint32_t w = 100, uint32_t hgt = 100)
    {
        const SLxPicBufDesc d = descOf(w, hgt, 8, 1);
        EXPECT_EQ(binSize == 4 ? CLxHistoAPI::Reinit32(&h, &d) : CLxHistoAPI::Reinit64(&h, &d), 0);
        for (auto [j, n] : bins)
            set(0, j, n);
    }
};

TEST(HistoSearch, LowHighOnAHundredByHundredArea)
{
    // 50 at 10, 51 at 20, ..., limit count 100 at each end.
    Counts h({{10, 50}, {20, 51}, {30, 9800}, {200, 60}, {210, 39}, {220, 2}});
    unsigned low = 0, high = 0;
    ASSERT_EQ(CLxHistoAPI::GetLowHigh(h.p(), &low, &high, 0.01, 0.01), 0);
    EXPECT_EQ(low, 20u);   // 101 > 100
    EXPECT_EQ(high, 200u); // 2 + 39 + 60 > 100
    // A fraction rounding to 0 uses 1.
    ASSERT_EQ(CLxHistoAPI::GetLowHigh(h.p(), &low, &high, 1e-9, 1e-9), 0);
    EXPECT_EQ(low, 10u);
    EXPECT_EQ(high, 220u);
    // Fraction 0, negative or NaN: untouched.
    low = high = 77;
    ASSERT_EQ(CLxHistoAPI::GetLowHigh(h.p(), &low, &high, 0, std::nan("")), 0);
    EXPECT_EQ(low, 77u);
    EXPECT_EQ(high, 77u);
    EXPECT_EQ(CLxHistoAPI::GetLowHigh(h.p(), nullptr, nullptr, 0.1, 0.1), -4);
}

TEST(HistoSearch, FrequenciesAndCumulativeCounts)
{
    Counts empty({});
    unsigned low = 0, high = 9;
    ASSERT_EQ(CLxHistoAPI::GetLowHighFreqAbs(empty.p(), &low, &high, 1, 1), 0);
    EXPECT_EQ(low, 255u);
    EXPECT_EQ(high, 0u);
    Counts h({{3, 5}, {4, 1}, {9, 7}, {250, 2}, {251, 6}}, 8);
    ASSERT_EQ(CLxHistoAPI::GetLowHighFreqAbs(h.p(), &low, &high, 6, 6), 0);
    EXPECT_EQ(low, 9u);
    EXPECT_EQ(high, 251u);
    ASSERT_EQ(CLxHistoAPI::GetLowHighAbs(h.p(), &low, &high, 6, 8), 0);
    EXPECT_EQ(low, 4u);
    EXPECT_EQ(high, 250u);
    ASSERT_EQ(CLxHistoAPI::GetLowHighAbs(h.p(), &low, &high, 1000, 1000), 0);
    EXPECT_EQ(low, 255u);
    EXPECT_EQ(high, 0u);
}

TEST(HistoSearch, SumLowHighSeparatesASingleValue)
{
    struct Case {
        uint32_t v;
        unsigned low, high;
    };
    for (const Case c : {Case{40, 39, 40}, Case{0, 0, 1}}) {
        Counts h({{c.v, 20}});
        unsigned low = 0, high = 0;
        ASSERT_EQ(CLxHistoAPI::GetSumLowHigh(&low, &high, 0, 5, h.p()), 0);
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
        EXPECT_EQ(CLxHistoAPI::GetSumLowHigh(&low, &high, 1, 5, h.p()), -4);
    }
}

TEST(HistoSearch, MeanIndexAndValues)
{
    Counts empty({});
    EXPECT_EQ(CLxHistoAPI::GetMeanIndex(empty.p(), 0), 0u);
    Counts h({{0, 3}, {10, 1}}, 8);
    EXPECT_EQ(CLxHistoAPI::GetMeanIndex(h.p(), 0), 2u);
    EXPECT_EQ(CLxHistoAPI::GetMeanIndex(h.p(), 1), uint32_t(-4));
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 256), uint64_t(int64_t(-4)));
    EXPECT_EQ(CLxHistoAPI::GetValue(nullptr, 0, 0), uint64_t(int64_t(-4)));
    h.set(0, 255, uint64_t(1) << 40);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 255), uint64_t(1) << 40);
}

TEST(HistoSearch, ComponentWeights)
{
    for (uint32_t binSize : {4u, 8u}) {
        TestPic black(4, 4, 8, 3);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                black.setPixel(x, y, {0, 0, 0});
        Histo h;
        const SLxPicBufDesc d = descOf(4, 4, 8, 3);
        ASSERT_EQ(
            binSize == 4 ? CLxHistoAPI::Reinit32(h.p(), &d) : CLxHistoAPI::Reinit64(h.p(), &d), 0);
        ASSERT_EQ(CLxHistoAPI::Calculate(h.p(), black.p(), true), 0);
        double w[3] = {};
        ASSERT_EQ(CLxHistoAPI::EstimateComponentWeights(h.p(), w), 0);
        for (double v : w)
            EXPECT_DOUBLE_EQ(v, 1.0 / 3);
        // Component 0 at 1, component 2 at 2: shares 1/5 and 4/5.
        black.setPixel(0, 0, {1, 0, 2});
        ASSERT_EQ(CLxHistoAPI::Calculate(h.p(), black.p(), true), 0);
        ASSERT_EQ(CLxHistoAPI::EstimateComponentWeights(h.p(), w), 0);
        EXPECT_DOUBLE_EQ(w[0], 0.2);
        EXPECT_DOUBLE_EQ(w[1], 0.0);
        EXPECT_DOUBLE_EQ(w[2], 0.8);
    }
}

TEST(HistoSearch, ARecordWithoutBinsIsNeverTouched)
{
    Histo h;
    TestPic pic(3, 3, 8, 1);
    pic.fillPattern();
    unsigned low = 0, high = 0;
    double w[1];
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), -3);
    EXPECT_EQ(CLxHistoAPI::GetLowHigh(h.p(), &low, &high, 0.1, 0.1), -9);
    EXPECT_EQ(CLxHistoAPI::GetLowHighAbs(h.p(), &low, &high, 1, 1), -9);
    EXPECT_EQ(CLxHistoAPI::EstimateComponentWeights(h.p(), w), -9);
    // Prepared, then freed: the format stays but the block is gone.
    const SLxPicBufDesc d = descOf(3, 3, 8, 1);
    ASSERT_EQ(CLxHistoAPI::Reinit32(h.p(), &d), 0);
    CLxHistoAPI::Free(h.p());
    EXPECT_EQ(h->uiBinSize, 4u);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, 0), uint64_t(int64_t(-9)));
    EXPECT_EQ(CLxHistoAPI::GetMeanIndex(h.p(), 0), uint32_t(-9));
    EXPECT_EQ(CLxHistoAPI::GetSumLowHigh(&low, &high, 0, 1, h.p()), -9);
    // The next Calculate prepares it again.
    ASSERT_EQ(CLxHistoAPI::Reinit32(h.p(), &d), 0);
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), pic.p(), true), 0);
    EXPECT_EQ(CLxHistoAPI::GetValue(h.p(), 0, pic.get(1, 1, 0)) >= 1, true);
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), nullptr, true), -4);
    TestPic deep(3, 3, 32, 1);
    EXPECT_EQ(CLxHistoAPI::Calculate(h.p(), deep.p(), true), -2);
}

} // namespace

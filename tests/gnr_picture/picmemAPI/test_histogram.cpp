// Histograms: every member against a plain count, the documented bins, the
// counter widths and the refused arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxHistogramKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

using kerneltest::TestPicture;

namespace
{

// comps bin arrays of 2^bits counters of binSize bytes, and an intensity
// array, all zeroed.
struct Bins {
    uint32_t binSize;
    std::vector<std::vector<uint8_t>> comp;
    std::vector<uint8_t> intensity;
    std::vector<void*> pointers;

    Bins(uint32_t comps, uint32_t bins, uint32_t size)
        : binSize(size), comp(comps, std::vector<uint8_t>(size_t(bins) * size)),
          intensity(size_t(bins) * size)
    {
        for (auto& c : comp)
            pointers.push_back(c.data());
    }
    void** hist() { return pointers.data(); }
    uint64_t at(const std::vector<uint8_t>& table, size_t i) const
    {
        uint64_t v = 0;
        std::memcpy(&v, table.data() + i * binSize, binSize);
        return v;
    }
    uint64_t operator()(uint32_t c, size_t i) const { return at(comp[c], i); }
    uint64_t inten(size_t i) const { return at(intensity, i); }
};

struct Reference {
    std::vector<std::vector<uint64_t>> comp;
    std::vector<uint64_t> intensity;
};

// The plain count, from the rules: bin = sample AND 2^bits - 1, intensity the
// truncated mean of the bins, only where the mask byte is not 0.
Reference referenceCount(const TestPicture& p, uint32_t bits, uint32_t xStep, uint32_t yStep,
                         const TestPicture* mask = nullptr)
{
    const uint32_t bins = 1u << bits;
    Reference r{std::vector<std::vector<uint64_t>>(p.comps(), std::vector<uint64_t>(bins)),
                std::vector<uint64_t>(bins)};
    for (uint32_t y = 0; y < p.lines(); y += yStep)
        for (uint32_t x = 0; x < p.width(); x += xStep) {
            if (mask && mask->get(x, y, 0) == 0)
                continue;
            uint32_t sum = 0;
            for (uint32_t c = 0; c < p.comps(); ++c) {
                const uint32_t v = p.get(x, y, c) & (bins - 1);
                ++r.comp[c][v];
                sum += v;
            }
            ++r.intensity[sum / p.comps()];
        }
    return r;
}

struct HistoCase {
    uint32_t comps, bits, binSize;
};

class HistogramMembers : public ::testing::TestWithParam<HistoCase>
{
};

// The four one-dimensional forms of every member, counted twice (the bins
// double), over an odd width with samples that carry bits above the depth.
TEST_P(HistogramMembers, MatchThePlainCount)
{
    const HistoCase hc = GetParam();
    const uint32_t bytes = hc.bits <= 8 ? 1 : 2;
    TestPicture p({hc.comps, bytes}, 13, 9, 3);
    std::mt19937 rng(hc.comps * 100 + hc.bits);
    p.fill(rng, 8 * bytes);
    TestPicture mask({1, 1}, 13, 9, 2);
    mask.fill(rng, 1);
    const uint32_t count = 13 * 9 + 5; // a part line, not counted
    const uint32_t nbins = 1u << hc.bits;

    Bins plain(hc.comps, nbins, hc.binSize);
    for (int twice = 0; twice < 2; ++twice)
        ASSERT_EQ(CLxPicMemAPI::GetHistogram(plain.hist(), hc.binSize, p.data(), p.pitch(),
                                             hc.comps, hc.bits, 13, count),
                  0);
    const Reference all = referenceCount(p, hc.bits, 1, 1);
    for (uint32_t c = 0; c < hc.comps; ++c)
        for (uint32_t i = 0; i < nbins; ++i)
            ASSERT_EQ(plain(c, i), 2 * all.comp[c][i]) << c << ", " << i;

    Bins ex(hc.comps, nbins, hc.binSize);
    ASSERT_EQ(CLxPicMemAPI::GetHistogramEx(ex.hist(), ex.intensity.data(), hc.binSize, p.data(),
                                           p.pitch(), hc.comps, hc.bits, 2, 3, 13, count),
              0);
    const Reference stepped = referenceCount(p, hc.bits, 2, 3);
    for (uint32_t i = 0; i < nbins; ++i) {
        ASSERT_EQ(ex.inten(i), stepped.intensity[i]) << i;
        for (uint32_t c = 0; c < hc.comps && hc.comps > 1; ++c)
            ASSERT_EQ(ex(c, i), stepped.comp[c][i]) << c << ", " << i;
    }

    Bins under(hc.comps, nbins, hc.binSize);
    ASSERT_EQ(CLxPicMemAPI::GetHistogramUnderBinary(
                  under.hist(), under.intensity.data(), hc.binSize, p.data(), p.pitch(), hc.comps,
                  hc.bits, mask.data(), mask.pitch(), 1, 2, 13, count),
              0);
    const Reference masked = referenceCount(p, hc.bits, 1, 2, &mask);
    for (uint32_t i = 0; i < nbins; ++i) {
        ASSERT_EQ(under.inten(i), masked.intensity[i]) << i;
        for (uint32_t c = 0; c < hc.comps && hc.comps > 1; ++c)
            ASSERT_EQ(under(c, i), masked.comp[c][i]) << c << ", " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, HistogramMembers,
                         ::testing::Values(HistoCase{1, 8, 4}, HistoCase{3, 8, 4},
                                           HistoCase{4, 8, 8}, HistoCase{2, 8, 4},
                                           HistoCase{5, 8, 8}, HistoCase{1, 12, 4},
                                           HistoCase{1, 16, 8}, HistoCase{3, 10, 4},
                                           HistoCase{4, 16, 4}, HistoCase{2, 9, 8},
                                           HistoCase{6, 11, 4}));

TEST(Histogram, EightBitRunsOfOneValueCountLikeSingleIncrements)
{
    // Long runs of one value and every value once, at widths that are no
    // multiple of the interleave.
    for (uint32_t width : {1u, 3u, 4u, 257u}) {
        TestPicture p({1, 1}, width, 5, 1);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < width; ++x)
                p.put(x, y, 0, y == 2 ? x % 256 : 200);
        Bins b(1, 256, 8);
        ASSERT_EQ(
            CLxPicMemAPI::GetHistogram(b.hist(), 8, p.data(), p.pitch(), 1, 8, width, width * 5),
            0);
        const Reference r = referenceCount(p, 8, 1, 1);
        for (uint32_t i = 0; i < 256; ++i)
            ASSERT_EQ(b(0, i), r.comp[0][i]) << width << ": " << i;
    }
}

TEST(Histogram, DocumentedBins)
{
    // A count below the width counts nothing.
    uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Bins none(1, 256, 4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(none.hist(), 4, pixels, 8, 1, 8, 8, 7), 0);
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_EQ(none(0, i), 0u);

    // 12 bits: 0x1005 is bin 5.
    const uint16_t twelve = 0x1005;
    Bins b12(1, 4096, 4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(b12.hist(), 4, &twelve, 2, 1, 12, 1, 1), 0);
    EXPECT_EQ(b12(0, 5), 1u);

    // (10, 20, 30, 41): intensity 25.
    const uint8_t four[4] = {10, 20, 30, 41};
    Bins b4(4, 256, 4);
    EXPECT_EQ(
        CLxPicMemAPI::GetHistogramEx(b4.hist(), b4.intensity.data(), 4, four, 4, 4, 8, 1, 1, 1, 1),
        0);
    EXPECT_EQ(b4.inten(25), 1u);
    EXPECT_EQ(b4(3, 41), 1u);

    // An all-0 mask counts nothing, intensity included.
    const uint8_t zeros[4] = {0, 0, 0, 0};
    Bins masked(4, 256, 8);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramUnderBinary(masked.hist(), masked.intensity.data(), 8, four,
                                                    4, 4, 8, zeros, 4, 1, 1, 1, 1),
              0);
    for (uint32_t i = 0; i < 256; ++i)
        ASSERT_TRUE(masked.inten(i) == 0 && masked(0, i) == 0 && masked(3, i) == 0);

    // Div 16 -> 8 bits: 0x1234 in 0x12.
    const uint16_t wide = 0x1234;
    Bins div(1, 256, 4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramDiv(div.hist(), 4, 8, &wide, 2, 1, 16, 1, 1), 0);
    EXPECT_EQ(div(0, 0x12), 1u);
}

TEST(Histogram, SixtyFourBitCountersCarry)
{
    uint64_t bins[256] = {};
    bins[9] = 0xFFFFFFFFull;
    void* hist[1] = {bins};
    const uint8_t nine = 9;
    ASSERT_EQ(CLxPicMemAPI::GetHistogram(hist, 8, &nine, 1, 1, 8, 1, 1), 0);
    EXPECT_EQ(bins[9], 0x100000000ull);
    // 32-bit counters wrap.
    uint32_t narrow[256] = {};
    narrow[9] = 0xFFFFFFFFu;
    hist[0] = narrow;
    ASSERT_EQ(CLxPicMemAPI::GetHistogram(hist, 4, &nine, 1, 1, 8, 1, 1), 0);
    EXPECT_EQ(narrow[9], 0u);
}

TEST(Histogram, DividedMembersMatchShiftedCounts)
{
    struct Case {
        uint32_t comps, bits, histBits, bytes;
    };
    for (const Case c : {Case{1, 12, 4, 2}, Case{3, 16, 10, 2}, Case{2, 14, 14, 2},
                         Case{1, 20, 8, 4}, Case{3, 32, 6, 4}, Case{5, 24, 0, 4}}) {
        TestPicture p({c.comps, c.bytes}, 7, 5, 1);
        std::mt19937 rng(c.bits);
        p.fill(rng, 8 * c.bytes); // bits above the depth are dropped
        Bins b(c.comps, 1u << c.histBits, 8);
        ASSERT_EQ(CLxPicMemAPI::GetHistogramDiv(b.hist(), 8, c.histBits, p.data(), p.pitch(),
                                                c.comps, c.bits, 7, 35),
                  0);
        const uint64_t valueMask = c.bits >= 32 ? 0xFFFFFFFFull : (1ull << c.bits) - 1;
        std::vector<std::vector<uint64_t>> r(c.comps, std::vector<uint64_t>(1u << c.histBits));
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 7; ++x)
                for (uint32_t k = 0; k < c.comps; ++k)
                    ++r[k][(p.get(x, y, k) & valueMask) >> (c.bits - c.histBits)];
        for (uint32_t k = 0; k < c.comps; ++k)
            for (uint32_t i = 0; i < (1u << c.histBits); ++i)
                ASSERT_EQ(b(k, i), r[k][i]) << c.bits << ": " << k << ", " << i;
    }
}

TEST(Histogram, TwoDimensionalBins)
{
    // 6-bit samples in bytes: v1 x 64 + v2; bits above the depth dropped.
    const uint8_t eight[6] = {3, 0xC5, 9, 63, 1, 2};
    std::vector<uint32_t> bins(64 * 64);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram2DEx(bins.data(), 4, eight, 6, 3, 6, 1, 0, 1, 1, 2, 2), 0);
    EXPECT_EQ(bins[5 * 64 + 3], 1u);
    EXPECT_EQ(bins[1 * 64 + 63], 1u);
    // 12 bits: both values brought to 8 bits.
    const uint16_t twelve[2] = {0x0ABC, 0x0123};
    std::vector<uint64_t> wide(256 * 256);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram2DEx(wide.data(), 8, twelve, 4, 2, 12, 0, 1, 1, 1, 1, 1),
              0);
    EXPECT_EQ(wide[0xAB * 256 + 0x12], 1u);
    // Another counter width counts nothing.
    std::vector<uint64_t> untouched(256 * 256);
    EXPECT_EQ(
        CLxPicMemAPI::GetHistogram2DEx(untouched.data(), 2, twelve, 4, 2, 12, 0, 1, 1, 1, 1, 1), 0);
    for (uint64_t v : untouched)
        ASSERT_EQ(v, 0u);
}

TEST(Histogram, RefusedArguments)
{
    const uint8_t pixels[12] = {};
    uint32_t bins[256] = {};
    void* hist[3] = {bins, bins, nullptr};
    void* one[1] = {bins};
    // Missing bins, steps of 0, histogram bits above bits.
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(nullptr, 4, pixels, 4, 1, 8, 4, 4), -4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(hist, 4, pixels, 12, 3, 8, 4, 4), -4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramEx(one, nullptr, 4, pixels, 4, 1, 8, 1, 1, 4, 4), -4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramEx(one, bins, 4, pixels, 4, 1, 8, 0, 1, 4, 4), -4);
    EXPECT_EQ(
        CLxPicMemAPI::GetHistogramUnderBinary(one, bins, 4, pixels, 4, 1, 8, pixels, 4, 1, 0, 4, 4),
        -4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramDiv(one, 4, 9, pixels, 4, 1, 8 + 0, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::GetHistogramDiv(one, 4, 13, pixels, 4, 1, 12, 2, 2), -4);
    // The component index of the joint form must lie below the count.
    EXPECT_EQ(CLxPicMemAPI::GetHistogram2DEx(bins, 4, pixels, 12, 3, 8, 0, 3, 1, 1, 4, 4), -4);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram2DEx(bins, 4, pixels, 12, 3, 17, 0, 1, 1, 1, 4, 4), -2);
    // Depths without a member, another counter width.
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(one, 4, pixels, 4, 1, 7, 4, 4), -2);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(one, 4, pixels, 4, 1, 17, 4, 4), -2);
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(one, 2, pixels, 4, 1, 8, 4, 4), -2);
    // Width or count 0.
    EXPECT_EQ(CLxPicMemAPI::GetHistogram(nullptr, 2, nullptr, 4, 1, 7, 0, 4), 0);
    for (uint32_t v : bins)
        ASSERT_EQ(v, 0u);
}

} // namespace

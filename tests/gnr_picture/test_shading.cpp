// Multiplicative shading correction: the dispatcher and its six kernels
// against a plain loop over formats and geometries, the division table, and
// the worked examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxShadingKernels.h"
#include "gnr_picture/picmemAPI/kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr uint32_t maxSample(uint32_t bits)
{
    return (1u << bits) - 1;
}

// The rule for every depth: mean 0 copies, a shading sample 0 gives the
// depth's maximum, otherwise source x mean / shading limited to it.
uint32_t corrected(uint32_t s, uint32_t h, uint32_t mean, uint32_t bits)
{
    if (mean == 0)
        return s;
    if (h == 0)
        return maxSample(bits);
    return uint32_t(std::min<uint64_t>(uint64_t(s) * mean / h, maxSample(bits)));
}

// The means of the shading window's components over its whole lines.
std::vector<uint32_t> meansOf(const TestPicture& shading, uint32_t width, uint32_t lines)
{
    std::vector<uint32_t> means(shading.comps());
    for (uint32_t k = 0; k < shading.comps(); ++k) {
        uint64_t sum = 0;
        for (uint32_t y = 0; y < lines; ++y)
            for (uint32_t x = 0; x < width; ++x)
                sum += shading.get(x, y, k);
        means[k] = uint32_t(sum / (uint64_t(width) * lines));
    }
    return means;
}

struct FormatCase {
    uint32_t comps;
    uint32_t bits;
    bool inPlace;
};

class ShadingCorrection : public ::testing::TestWithParam<std::tuple<FormatCase, Geometry>>
{
};

TEST_P(ShadingCorrection, MatchesThePlainRule)
{
    const FormatCase& f = std::get<0>(GetParam());
    const Geometry& g = std::get<1>(GetParam());
    const PicFormat format{f.comps, f.bits <= 8 ? 1u : 2u};
    std::mt19937 rng(f.comps * 1000 + f.bits * 10 + g.width + g.pad);

    TestPicture src(format, g.width, g.lines, g.pad + 2);
    src.fill(rng, f.bits);
    TestPicture shading(format, g.width, g.lines, g.pad + 1);
    shading.fill(rng, f.bits);
    // Some zeros among the random samples; the full range of both pictures
    // gives results below and above the limit.
    std::uniform_int_distribution<uint32_t> pick(0, 5);
    for (uint32_t y = 0; y < g.lines; ++y)
        for (uint32_t x = 0; x < g.width; ++x)
            for (uint32_t k = 0; k < f.comps; ++k)
                if (pick(rng) == 0)
                    shading.put(x, y, k, 0);
    // The last component's shading is all 0: its mean is 0.
    for (uint32_t y = 0; y < g.lines; ++y)
        for (uint32_t x = 0; x < g.width; ++x)
            if (f.comps > 1)
                shading.put(x, y, f.comps - 1, 0);

    TestPicture dst = f.inPlace ? src : TestPicture(format, g.width, g.lines, g.pad);
    if (!f.inPlace)
        dst.fill(rng, 16);
    TestPicture expected = dst;
    const std::vector<uint32_t> means = meansOf(shading, g.width, g.lines);
    for (uint32_t y = 0; y < g.lines; ++y)
        for (uint32_t x = 0; x < g.width; ++x)
            for (uint32_t k = 0; k < f.comps; ++k)
                expected.put(x, y, k,
                             corrected(src.get(x, y, k), shading.get(x, y, k), means[k], f.bits));

    const TestPicture srcBefore = src;
    const TestPicture shadingBefore = shading;
    uint8_t* source = f.inPlace ? dst.data() : src.data();
    const uint32_t sourcePitch = f.inPlace ? dst.pitch() : src.pitch();
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst.data(), dst.pitch(), source, sourcePitch,
                                             shading.data(), shading.pitch(), f.comps, f.bits,
                                             g.width, g.width * g.lines + g.extra),
              0);
    EXPECT_EQ(dst.bytes(), expected.bytes());
    EXPECT_EQ(shading.bytes(), shadingBefore.bytes());
    if (!f.inPlace) {
        EXPECT_EQ(src.bytes(), srcBefore.bytes());
    }
}

std::string formatCaseName(const ::testing::TestParamInfo<std::tuple<FormatCase, Geometry>>& info)
{
    const FormatCase& f = std::get<0>(info.param);
    const Geometry& g = std::get<1>(info.param);
    return std::to_string(f.comps) + "x" + std::to_string(f.bits) + (f.inPlace ? "_inplace" : "") +
           "_" + std::to_string(g.width) + "x" + std::to_string(g.lines) + "p" +
           std::to_string(g.pad);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ShadingCorrection,
    ::testing::Combine(::testing::Values(FormatCase{1, 8, false}, FormatCase{3, 8, false},
                                         FormatCase{5, 8, false}, FormatCase{2, 8, true},
                                         FormatCase{1, 6, false}, FormatCase{1, 12, false},
                                         FormatCase{3, 16, false}, FormatCase{3, 10, true},
                                         FormatCase{4, 14, false}),
                       ::testing::ValuesIn(kGeometries)),
    formatCaseName);

TEST(ShadingDivisionTable, EveryEntryFollowsTheRule)
{
    std::vector<uint8_t> table(65536);
    for (uint32_t mean : {0u, 1u, 100u, 150u, 255u}) {
        BuildShadingDivisionTable(table.data(), mean);
        for (uint32_t s = 0; s < 256; ++s)
            for (uint32_t h = 0; h < 256; ++h)
                ASSERT_EQ(table[s * 256 + h], corrected(s, h, mean, 8))
                    << "mean " << mean << " s " << s << " h " << h;
    }
}

TEST(ShadingExamples, EightBitSampleOverTwoShadingSamples)
{
    // Shading 100 and 200: mean 150. 200 x 150 / 100 = 300 is limited to
    // 255; 200 x 150 / 200 = 150.
    const uint8_t shading[2] = {100, 200};
    const uint8_t src[2] = {200, 200};
    uint8_t dst[2] = {0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst, 2, src, 2, shading, 2, 1, 8, 2, 2), 0);
    EXPECT_EQ(dst[0], 255);
    EXPECT_EQ(dst[1], 150);
}

TEST(ShadingExamples, ShadingEqualToItsMeanLeavesThePicture)
{
    const uint16_t shading[6] = {700, 800, 900, 700, 800, 900}; // 3 components, 2 pixels
    uint16_t pic[6] = {4095, 0, 1234, 17, 3000, 1};
    const std::vector<uint16_t> before(pic, pic + 6);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 12, pic, 12, shading, 12, 3, 12, 2, 2), 0);
    EXPECT_EQ(std::vector<uint16_t>(pic, pic + 6), before);
}

TEST(ShadingExamples, ZeroShadingSampleGivesTheDepthsMaximum)
{
    const uint16_t shading12[2] = {0, 100};
    const uint16_t src12[2] = {5, 5};
    uint16_t dst12[2] = {0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst12, 4, src12, 4, shading12, 4, 1, 12, 2, 2), 0);
    EXPECT_EQ(dst12[0], 4095);
    EXPECT_EQ(dst12[1], 2); // 5 x 50 / 100

    const uint8_t shading8[2] = {0, 100};
    const uint8_t src8[2] = {5, 5};
    uint8_t dst8[2] = {0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst8, 2, src8, 2, shading8, 2, 1, 8, 2, 2), 0);
    EXPECT_EQ(dst8[0], 255);
}

TEST(ShadingExamples, ShadingMeanOfZeroCopiesAtEveryDepth)
{
    // Sum 1 over 2 pixels: the mean truncates to 0.
    const uint8_t shading8[2] = {0, 1};
    const uint8_t src8[2] = {77, 200};
    uint8_t dst8[2] = {0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst8, 2, src8, 2, shading8, 2, 1, 8, 2, 2), 0);
    EXPECT_EQ(dst8[0], 77);
    EXPECT_EQ(dst8[1], 200);

    const uint16_t shading16[2] = {0, 1};
    const uint16_t src16[2] = {777, 4000};
    uint16_t dst16[2] = {0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst16, 4, src16, 4, shading16, 4, 1, 12, 2, 2), 0);
    EXPECT_EQ(dst16[0], 777);
    EXPECT_EQ(dst16[1], 4000);
}

TEST(ShadingExamples, TheMeanIsTakenOverWholeLinesOnly)
{
    // Two lines of two pixels and one pixel more in the count: the mean is
    // 80 / 4 = 20, not 80 / 5.
    const uint8_t shading[4] = {10, 30, 20, 20};
    const uint8_t src[4] = {100, 100, 100, 100};
    uint8_t dst[4] = {0, 0, 0, 0};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(dst, 2, src, 2, shading, 2, 1, 8, 2, 5), 0);
    EXPECT_EQ(dst[0], 200);
    EXPECT_EQ(dst[1], 66);
    EXPECT_EQ(dst[2], 100);
}

TEST(ShadingExamples, RefusedFormatsAndArguments)
{
    uint32_t pic[2] = {1, 2};
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, pic, 8, pic, 8, 1, 24, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, pic, 8, pic, 8, 1, 0, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, pic, 8, pic, 8, 0, 8, 2, 2), -4);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(nullptr, 8, pic, 8, pic, 8, 1, 8, 2, 2), -4);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, nullptr, 8, pic, 8, 1, 8, 2, 2), -4);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, pic, 8, nullptr, 8, 1, 8, 2, 2), -4);
    EXPECT_EQ(pic[0], 1u);
    EXPECT_EQ(pic[1], 2u);
    // Empty windows, and a count below one line, do nothing.
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(nullptr, 0, nullptr, 0, nullptr, 0, 0, 99, 0, 4), 0);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(nullptr, 0, nullptr, 0, nullptr, 0, 0, 99, 4, 0), 0);
    EXPECT_EQ(CLxPicMemAPI::ApplyMultShading(pic, 8, pic, 8, pic, 8, 1, 8, 8, 7), 0);
    EXPECT_EQ(pic[0], 1u);
}

} // namespace
} // namespace kerneltest

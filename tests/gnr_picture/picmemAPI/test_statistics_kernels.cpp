// Linear correlation and running average: known answers, the count of pixels
// behind the coefficient, the refused arguments, and a reference loop over
// formats and geometries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

namespace
{

using API = CLxPicMemAPI;
using kerneltest::TestPicture;

double correlate(const void* a, const void* b, uint32_t pitch, uint32_t comps, uint32_t bits,
                 uint32_t width, uint32_t count, int expectedStatus = 0)
{
    double r = -5.0;
    EXPECT_EQ(API::LinearCorrelation(a, pitch, b, pitch, comps, bits, width, count, r),
              expectedStatus);
    return r;
}

TEST(LinearCorrelation, KnownAnswers)
{
    const uint8_t ramp[6] = {0, 10, 20, 35, 200, 255};
    uint8_t inverted[6], constant[6] = {9, 9, 9, 9, 9, 9};
    for (int i = 0; i < 6; ++i)
        inverted[i] = uint8_t(255 - ramp[i]);
    EXPECT_DOUBLE_EQ(correlate(ramp, ramp, 6, 1, 8, 6, 6), 1.0);
    EXPECT_EQ(correlate(ramp, inverted, 6, 1, 8, 6, 6), 0.0); // anticorrelation counts none
    EXPECT_EQ(correlate(constant, ramp, 6, 1, 8, 6, 6), 0.0);
    // Bits 4 and 1 are byte samples too.
    EXPECT_DOUBLE_EQ(correlate(ramp, ramp, 6, 1, 4, 6, 6), 1.0);
    EXPECT_DOUBLE_EQ(correlate(ramp, ramp, 6, 1, 1, 6, 6), 1.0);

    // Three components, two correlating, the third constant in picture 2.
    uint8_t p1[3 * 4], p2[3 * 4];
    for (int x = 0; x < 4; ++x) {
        p1[3 * x] = p2[3 * x] = uint8_t(x * 7);
        p1[3 * x + 1] = p2[3 * x + 1] = uint8_t(100 - x * x);
        p1[3 * x + 2] = uint8_t(x);
        p2[3 * x + 2] = 50;
    }
    EXPECT_EQ(correlate(p1, p2, 12, 3, 8, 4, 4), (1.0 + 1.0 + 0.0) * 0.3333333333333333);

    // 16-bit samples up to 65535: the squares stay positive.
    const uint16_t deep[4] = {0, 65535, 30000, 65535};
    EXPECT_DOUBLE_EQ(correlate(deep, deep, 8, 1, 16, 4, 4), 1.0);
}

TEST(LinearCorrelation, CountsTheWholeLinesOnly)
{
    // 2.5 lines: the half line must not enter the pixel count.
    const uint8_t a[3 * 4] = {1, 5, 9, 2, 7, 3, 8, 8, 200, 0, 0, 0};
    const uint8_t b[3 * 4] = {2, 4, 9, 1, 7, 5, 9, 6, 0, 255, 0, 0};
    const double twoLines = correlate(a, b, 4, 1, 8, 4, 8);
    EXPECT_EQ(correlate(a, b, 4, 1, 8, 4, 10), twoLines);
    EXPECT_GT(twoLines, 0.5);
}

TEST(LinearCorrelation, RefusedArguments)
{
    const uint8_t a[4] = {1, 2, 3, 4};
    EXPECT_EQ(correlate(a, a, 4, 1, 8, 4, 0, -4), 0.0);
    EXPECT_EQ(correlate(a, a, 4, 1, 8, 0, 4, -4), 0.0); // width 0
    EXPECT_EQ(correlate(a, a, 4, 1, 8, 4, 3, -4), 0.0); // no whole line
    EXPECT_EQ(correlate(a, a, 4, 0, 8, 4, 4, -4), 0.0); // no component
    EXPECT_EQ(correlate(nullptr, a, 4, 1, 8, 4, 4, -4), 0.0);
    EXPECT_EQ(correlate(a, a, 4, 1, 20, 4, 4, -2), -5.0); // result untouched
    EXPECT_EQ(linar_correlation_1x8(a, 4, a, 4, 4, 4, nullptr), -4);
}

// The correlation of each component by the textbook formula over the whole
// lines.
double referenceCorrelation(const TestPicture& a, const TestPicture& b, uint32_t lines)
{
    double sum = 0.0;
    const uint32_t comps = a.comps();
    for (uint32_t c = 0; c < comps; ++c) {
        double ma = 0, mb = 0, n = 0;
        for (uint32_t y = 0; y < lines; ++y)
            for (uint32_t x = 0; x < a.width(); ++x, ++n) {
                ma += a.get(x, y, c);
                mb += b.get(x, y, c);
            }
        ma /= n;
        mb /= n;
        double sab = 0, saa = 0, sbb = 0;
        for (uint32_t y = 0; y < lines; ++y)
            for (uint32_t x = 0; x < a.width(); ++x) {
                const double da = a.get(x, y, c) - ma, db = b.get(x, y, c) - mb;
                sab += da * db;
                saa += da * da;
                sbb += db * db;
            }
        if (saa * sbb > 0)
            sum += sab / std::sqrt(saa * sbb);
    }
    const double r = sum / comps;
    return r > 0 ? r : 0.0;
}

TEST(LinearCorrelation, MatchesTheTextbookFormulaInEveryFormat)
{
    std::mt19937 rng(3);
    for (uint32_t comps = 1; comps <= 6; ++comps) {
        for (uint32_t bits : {8u, 12u, 16u}) {
            const uint32_t bytes = bits == 8 ? 1 : 2;
            const uint32_t width = 13, lines = 3, count = width * lines + 6;
            TestPicture a({comps, bytes}, width, lines, 3), b({comps, bytes}, width, lines, 1);
            a.fill(rng, bits);
            // b follows a with noise, so that the coefficient lies inside (0, 1).
            for (uint32_t y = 0; y < lines; ++y)
                for (uint32_t x = 0; x < width; ++x)
                    for (uint32_t c = 0; c < comps; ++c)
                        b.put(x, y, c, (a.get(x, y, c) / 2 + rng() % (1u << (bits - 2))));
            double r = -1;
            ASSERT_EQ(API::LinearCorrelation(a.data(), a.pitch(), b.data(), b.pitch(), comps, bits,
                                             width, count, r),
                      0);
            EXPECT_NEAR(r, referenceCorrelation(a, b, lines), 1e-12)
                << comps << " comps, " << bits << " bits";
        }
    }
}

// Lines longer than 65536 samples of one byte, whose sums of squares pass
// 2^32: the sums stay exact, line by line, as the coefficient's formula adds
// them; with the AVX2 lines and with the baseline.
TEST(LinearCorrelation, LongByteLinesKeepExactSums)
{
    constexpr uint32_t width = 140001, lines = 2;
    std::vector<uint8_t> a(size_t(width) * lines), b(a.size());
    std::mt19937 rng(41);
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = uint8_t(200 + rng() % 56);
        b[i] = uint8_t(a[i] / 2 + rng() % 128);
    }
    double s[5] = {0, 0, 0, 0, 0};
    for (uint32_t y = 0; y < lines; ++y) {
        uint64_t line[5] = {0, 0, 0, 0, 0};
        for (uint32_t x = 0; x < width; ++x) {
            const uint64_t va = a[size_t(y) * width + x], vb = b[size_t(y) * width + x];
            line[0] += va;
            line[1] += vb;
            line[2] += va * va;
            line[3] += va * vb;
            line[4] += vb * vb;
        }
        for (int i = 0; i < 5; ++i)
            s[i] += double(line[i]);
    }
    const double n = double(width) * lines;
    const double q = (s[4] - s[1] * s[1] / n) * (s[2] - s[0] * s[0] / n);
    const double expected = (s[3] - s[0] * s[1] / n) / std::sqrt(q);
    ASSERT_GT(expected, 0.0);
    for (bool vector : {true, false}) {
        lxpic::avx2PathsAllowed() = vector;
        const double r = correlate(a.data(), b.data(), width, 1, 8, width, width * lines);
        lxpic::avx2PathsAllowed() = true;
        EXPECT_EQ(r, expected) << (vector ? "AVX2" : "baseline");
    }
}

// --- Running average --------------------------------------------------------------------

struct AverageCase {
    uint8_t avg;
    double wa;
    uint8_t fresh;
    double wn;
    uint8_t expected;
    double expectedWeight;
};

TEST(AverageUpdate, KnownAnswers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const AverageCase cases[] = {
        {10, 1, 20, 1, 15, 2},      {15, 2, 30, 1, 20, 3},  {10, 1, 11, 1, 10, 2},
        {10, 1, 200, 0, 10, 1},     {10, 0, 200, 0, 10, 0}, // both 0: kept
        {10, 1, 255, -0.5, 0, 0.5},                         // below the range: 0
        {0, -1, 200, 2, 255, 1},                            // above the range: 255
        {10, 1, 10, -1, 10, 0},                             // 0 / 0: kept
        {10, nan, 20, 1, 10, nan},                          // not a number: kept
    };
    for (const AverageCase& c : cases) {
        uint8_t avg = c.avg;
        double wa = c.wa;
        const double wn = c.wn;
        EXPECT_EQ(API::AverageUpdate(&avg, 1, &wa, 8, &c.fresh, 1, &wn, 8, 1, 8, 1, 1), 0);
        EXPECT_EQ(avg, c.expected)
            << int(c.avg) << " x " << c.wa << " + " << int(c.fresh) << " x " << c.wn;
        if (std::isnan(c.expectedWeight))
            EXPECT_TRUE(std::isnan(wa));
        else
            EXPECT_EQ(wa, c.expectedWeight);
    }
}

TEST(AverageUpdate, RefusedArgumentsChangeNothing)
{
    uint16_t avg[4] = {1, 2, 3, 4};
    double wa[2] = {1, 1};
    const uint16_t fresh[4] = {9, 9, 9, 9};
    const double wn[2] = {1, 1};
    EXPECT_EQ(API::AverageUpdate(avg, 8, wa, 16, fresh, 8, wn, 16, 2, 17, 2, 2), -2);
    EXPECT_EQ(API::AverageUpdate(avg, 8, wa, 16, fresh, 8, wn, 16, 2, 16, 0, 2), 0);
    EXPECT_EQ(API::AverageUpdate(avg, 8, wa, 16, fresh, 8, wn, 16, 2, 16, 2, 1), 0);
    EXPECT_EQ(API::AverageUpdate(avg, 8, nullptr, 16, fresh, 8, wn, 16, 2, 16, 2, 2), -4);
    EXPECT_EQ(average_update_Nx16(avg, 8, wa, 16, fresh, 8, wn, 16, 2, 0, 2), 0);
    EXPECT_EQ(avg[0], 1);
    EXPECT_EQ(avg[3], 4);
    EXPECT_EQ(wa[0], 1.0);
}

TEST(AverageUpdate, MatchesTheFormulaInEveryFormat)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> weight(0.0, 4.0);
    for (uint32_t comps = 1; comps <= 6; ++comps) {
        for (uint32_t bits : {8u, 12u, 16u}) {
            const uint32_t bytes = bits == 8 ? 1 : 2;
            const uint32_t width = 9, lines = 3, count = width * 2 + 4; // 2.5 lines
            TestPicture avg({comps, bytes}, width, lines, 2),
                fresh({comps, bytes}, width, lines, 1);
            avg.fill(rng, bits);
            fresh.fill(rng, bits);
            TestPicture wa({1, 8}, width, lines, 1), wn({1, 8}, width, lines, 0);
            for (uint32_t y = 0; y < lines; ++y)
                for (uint32_t x = 0; x < width; ++x) {
                    const double a = weight(rng), n = (x == 3) ? 0.0 : weight(rng);
                    std::memcpy(wa.data() + y * wa.pitch() + x * 8, &a, 8);
                    std::memcpy(wn.data() + y * wn.pitch() + x * 8, &n, 8);
                }
            TestPicture expected = avg, expectedWeights = wa;
            for (uint32_t y = 0; y < count / width; ++y)
                for (uint32_t x = 0; x < width; ++x) {
                    double a, n;
                    std::memcpy(&a, wa.data() + y * wa.pitch() + x * 8, 8);
                    std::memcpy(&n, wn.data() + y * wn.pitch() + x * 8, 8);
                    for (uint32_t c = 0; c < comps; ++c)
                        expected.put(
                            x, y, c,
                            uint32_t((avg.get(x, y, c) * a + fresh.get(x, y, c) * n) / (a + n)));
                    const double w = a + n;
                    std::memcpy(expectedWeights.data() + y * wa.pitch() + x * 8, &w, 8);
                }
            ASSERT_EQ(API::AverageUpdate(avg.data(), avg.pitch(), wa.data(), wa.pitch(),
                                         fresh.data(), fresh.pitch(), wn.data(), wn.pitch(), comps,
                                         bits, width, count),
                      0);
            EXPECT_EQ(avg.bytes(), expected.bytes()) << comps << " comps, " << bits << " bits";
            EXPECT_EQ(wa.bytes(), expectedWeights.bytes());
        }
    }
}

} // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "wavelet_test_support.h"

using namespace wavelettest;

namespace
{

struct Range {
    Family family;
    int first, last;
    int (*taps)(int);
    double sum; // of the low-pass taps
    double tolerance;
};

const Range kRanges[] = {
    {Family::Daubechies, 1, 38, [](int g) { return 2 * g; }, std::sqrt(2.0), 1e-12},
    {Family::Coiflets, 1, 5, [](int g) { return 6 * g; }, 2.0 * 0.7071, 1e-9},
    {Family::Hess, 1, 3, [](int g) { return 4 * g + 2; }, std::sqrt(2.0), 4e-7},
};

TEST(WaveletProviders, EveryGradeHandsOutAMirroredPairOfItsLength)
{
    for (const Range& r : kRanges)
        for (int g = r.first; g <= r.last; ++g) {
            Pair p;
            ASSERT_EQ(getPair(p, r.family, g), 0) << int(r.family) << " grade " << g;
            ASSERT_EQ(p.taps, r.taps(g));
            const int L = p.taps;
            EXPECT_NEAR(std::accumulate(p.low.p, p.low.p + L, 0.0), r.sum, r.tolerance);
            for (int i = 0; i < L; ++i)
                EXPECT_EQ(p.high.p[i], (i % 2 ? -1.0 : 1.0) * p.low.p[L - 1 - i]);
        }
}

TEST(WaveletProviders, GradesOutsideTheRangeAllocateNothing)
{
    struct Case {
        Family family;
        int grade;
    } cases[] = {{Family::Daubechies, 0}, {Family::Daubechies, 39}, {Family::Daubechies, -1},
                 {Family::Coiflets, 0},   {Family::Coiflets, 6},    {Family::Hess, 0},
                 {Family::Hess, 4}};
    for (const Case& c : cases) {
        double marker = 0.0;
        double* filter = &marker;
        double* empty = nullptr;
        int taps = 77;
        int mother = -1;
        int father = -1;
        switch (c.family) {
        case Family::Daubechies:
            mother = CLxDaubechies2DWave::GetMotherWavelet(filter, &taps, c.grade);
            father = CLxDaubechies2DWave::GetFatherWavelet(empty, &taps, c.grade);
            break;
        case Family::Coiflets:
            mother = CLxCoiflets2DWave::GetMotherWavelet(filter, &taps, c.grade);
            father = CLxCoiflets2DWave::GetFatherWavelet(empty, &taps, c.grade);
            break;
        default:
            mother = CLxHess2DWave::GetMotherWavelet(filter, &taps, c.grade);
            father = CLxHess2DWave::GetFatherWavelet(empty, &taps, c.grade);
            break;
        }
        EXPECT_EQ(mother, -9);
        EXPECT_EQ(father, -9);
        EXPECT_EQ(filter, &marker);
        EXPECT_EQ(empty, nullptr);
        EXPECT_EQ(taps, 77);
    }
}

TEST(WaveletProviders, KnownTaps)
{
    Pair db2, db1, haar, coif1, hess1;
    ASSERT_EQ(getPair(db2, Family::Daubechies, 2), 0);
    ASSERT_EQ(getPair(db1, Family::Daubechies, 1), 0);
    ASSERT_EQ(getPair(haar, Family::Haar, 0), 0);
    ASSERT_EQ(getPair(coif1, Family::Coiflets, 1), 0);
    ASSERT_EQ(getPair(hess1, Family::Hess, 1), 0);
    const double db2Low[] = {0.48296291314453416, 0.8365163037378079, 0.2241438680420134,
                             -0.12940952255126037};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(db2.low.p[i], db2Low[i]);
    EXPECT_EQ(db1.high.p[0], 0.7071067811865476);
    EXPECT_EQ(db1.high.p[1], -0.7071067811865476);
    // Haar: the four-digit factor, and the negative high-pass tap first.
    EXPECT_EQ(haar.taps, 2);
    EXPECT_EQ(haar.low.p[0], 0.7071);
    EXPECT_EQ(haar.low.p[1], 0.7071);
    EXPECT_EQ(haar.high.p[0], -0.7071);
    EXPECT_EQ(haar.high.p[1], 0.7071);
    EXPECT_EQ(coif1.low.p[2], 1.205718913884 * 0.7071);
    EXPECT_EQ(hess1.low.p[5], 0.1042437632);
}

TEST(WaveletProviders, FillsAGivenFilterWithoutAllocating)
{
    double buffer[14] = {};
    double* filter = buffer;
    int taps = 0;
    ASSERT_EQ(CLxDaubechies2DWave::GetMotherWavelet(filter, &taps, 7), 0);
    EXPECT_EQ(filter, buffer);
    EXPECT_EQ(taps, 14);
    EXPECT_NE(buffer[0], 0.0);
}

TEST(WaveletProviders, FreeWaveletClearsThePointerAndRefusesNull)
{
    double* filters[4] = {};
    int taps = 0;
    ASSERT_EQ(CLxDaubechies2DWave::GetMotherWavelet(filters[0], &taps, 3), 0);
    ASSERT_EQ(CLxCoiflets2DWave::GetMotherWavelet(filters[1], &taps, 3), 0);
    ASSERT_EQ(CLxHess2DWave::GetMotherWavelet(filters[2], &taps, 3), 0);
    ASSERT_EQ(CLxHaar2DWave::GetMotherWavelet(filters[3], &taps), 0);
    EXPECT_EQ(CLxDaubechies2DWave::FreeWavelet(filters[0]), 0);
    EXPECT_EQ(CLxCoiflets2DWave::FreeWavelet(filters[1]), 0);
    EXPECT_EQ(CLxHess2DWave::FreeWavelet(filters[2]), 0);
    EXPECT_EQ(CLxHaar2DWave::FreeWavelet(filters[3]), 0);
    for (double*& f : filters) {
        EXPECT_EQ(f, nullptr);
        EXPECT_EQ(CLxDaubechies2DWave::FreeWavelet(f), -9);
    }
    EXPECT_EQ(CLxHaar2DWave::FreeWavelet(filters[0]), -9);
    double* none = nullptr;
    EXPECT_EQ(CLxHaar2DWave::GetMotherWavelet(none, nullptr), -9);
    EXPECT_EQ(none, nullptr);
}

} // namespace

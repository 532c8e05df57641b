#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "wavelet_test_support.h"

using namespace wavelettest;

namespace
{

double maxAbs(const Plane& p)
{
    double m = 0.0;
    for (double v : p)
        m = std::max(m, std::fabs(v));
    return m;
}

// Every tap count the providers hand out, the fixed-size ones among them,
// and counts no filter has (odd ones too): the vector paths must give the
// plain dot products' doubles exactly.
TEST(WaveletTransform, BothDirectionsEqualThePlainTranscriptionBitForBit)
{
    struct Case {
        uint32_t L, w, h;
    } cases[] = {{1, 2, 2},    {2, 2, 2},    {2, 34, 6},   {3, 6, 10},   {4, 8, 4},    {5, 10, 12},
                 {6, 6, 6},    {6, 46, 20},  {10, 24, 18}, {12, 36, 12}, {14, 14, 14}, {14, 50, 64},
                 {18, 40, 22}, {20, 20, 42}, {24, 26, 24}, {30, 64, 30}, {76, 76, 80}};
    for (const Case& c : cases) {
        const Plane src = randomPlane(c.w, c.h, c.L * 1000 + c.w);
        const Plane A = randomPlane(c.L, 1, c.L, 1.0);
        const Plane B = randomPlane(c.L, 1, c.L + 1, 1.0);
        Owned o[4];
        uint32_t hw = 0, hh = 0;
        ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0].p, o[1].p, o[2].p, o[3].p, hw, hh,
                                                          src.data(), c.w, c.h, A.data(), B.data(),
                                                          c.L),
                  0);
        ASSERT_EQ(hw, c.w / 2);
        ASSERT_EQ(hh, c.h / 2);
        const auto expect = referenceDecomposition(src, c.w, c.h, A.data(), B.data(), c.L);
        for (int b = 0; b < 4; ++b)
            for (size_t i = 0; i < expect[b].size(); ++i)
                ASSERT_EQ(o[b].p[i], expect[b][i]) << "L " << c.L << " band " << b << " at " << i;

        Owned back;
        uint32_t w = 0, h = 0;
        ASSERT_EQ(CLxWavelet2D::WaveletReconstructionImage(back.p, w, h, o[0].p, o[1].p, o[2].p,
                                                           o[3].p, hw, hh, A.data(), B.data(), c.L),
                  0);
        ASSERT_EQ(w, c.w);
        ASSERT_EQ(h, c.h);
        const Plane bands[4] = {Plane(o[0].p, o[0].p + hw * hh), Plane(o[1].p, o[1].p + hw * hh),
                                Plane(o[2].p, o[2].p + hw * hh), Plane(o[3].p, o[3].p + hw * hh)};
        const Plane expectBack = referenceReconstruction({bands[0], bands[1], bands[2], bands[3]},
                                                         hw, hh, A.data(), B.data(), c.L);
        for (size_t i = 0; i < expectBack.size(); ++i)
            ASSERT_EQ(back.p[i], expectBack[i]) << "L " << c.L << " at " << i;
    }
}

TEST(WaveletTransform, HaarOfTwoByTwoIsTheScaledSum)
{
    Pair haar;
    ASSERT_EQ(getPair(haar, Family::Haar, 0), 0);
    const double src[4] = {1.0, 2.0, 3.0, 4.0};
    Owned o[4];
    uint32_t hw = 0, hh = 0;
    ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0].p, o[1].p, o[2].p, o[3].p, hw, hh, src,
                                                      2, 2, haar.low.p, haar.high.p, 2),
              0);
    EXPECT_EQ(hw, 1u);
    EXPECT_EQ(hh, 1u);
    EXPECT_NEAR(o[3].p[0], 0.7071 * 0.7071 * 10.0, 1e-12);
}

TEST(WaveletTransform, RoundTripsReturnTheInput)
{
    struct Case {
        Family family;
        int grade;
        uint32_t w, h;
        double gain;      // per level, for the scaled filters
        double tolerance; // relative to the largest magnitude
    } cases[] = {
        {Family::Daubechies, 1, 16, 8, 1.0, 1e-12},
        {Family::Daubechies, 7, 64, 28, 1.0, 1e-12},
        {Family::Daubechies, 38, 76, 80, 1.0, 1e-12},
        {Family::Hess, 1, 32, 16, 1.0, 2e-5}, // the taps' 10 decimals: about 1e-5
        {Family::Haar, 0, 10, 6, std::pow(2 * 0.7071 * 0.7071, 2), 1e-12},
        {Family::Coiflets, 3, 36, 40, std::pow(2 * 0.7071 * 0.7071, 2), 1e-9},
    };
    for (const Case& c : cases) {
        Pair p;
        ASSERT_EQ(getPair(p, c.family, c.grade), 0);
        const Plane src = randomPlane(c.w, c.h, c.w + c.h);
        Owned o[4], back;
        uint32_t hw = 0, hh = 0, w = 0, h = 0;
        ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0].p, o[1].p, o[2].p, o[3].p, hw, hh,
                                                          src.data(), c.w, c.h, p.low.p, p.high.p,
                                                          uint32_t(p.taps)),
                  0);
        ASSERT_EQ(CLxWavelet2D::WaveletReconstructionImage(back.p, w, h, o[0].p, o[1].p, o[2].p,
                                                           o[3].p, hw, hh, p.low.p, p.high.p,
                                                           uint32_t(p.taps)),
                  0);
        const double tol = c.tolerance * maxAbs(src);
        for (size_t i = 0; i < src.size(); ++i)
            ASSERT_NEAR(back.p[i], src[i] * c.gain, tol) << int(c.family) << " at " << i;
    }
}

TEST(WaveletTransform, WritesGivenOutputsInPlace)
{
    Pair db;
    ASSERT_EQ(getPair(db, Family::Daubechies, 2), 0);
    const Plane src = randomPlane(8, 8, 3);
    Plane given[4] = {Plane(16), Plane(16), Plane(16), Plane(16)};
    double* o[4] = {given[0].data(), given[1].data(), given[2].data(), given[3].data()};
    uint32_t hw = 0, hh = 0;
    ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0], o[1], o[2], o[3], hw, hh, src.data(), 8,
                                                      8, db.low.p, db.high.p, 4),
              0);
    for (int b = 0; b < 4; ++b)
        EXPECT_EQ(o[b], given[b].data());
    Plane out(64, 0.0);
    double* target = out.data();
    uint32_t w = 0, h = 0;
    ASSERT_EQ(CLxWavelet2D::WaveletReconstructionImage(target, w, h, o[0], o[1], o[2], o[3], hw, hh,
                                                       db.low.p, db.high.p, 4),
              0);
    EXPECT_EQ(target, out.data());
    for (size_t i = 0; i < 64; ++i)
        EXPECT_NEAR(out[i], src[i], 1e-12 * 100);
}

TEST(WaveletTransform, RefusesBadArgumentsWithoutTouchingOutputs)
{
    Pair db;
    ASSERT_EQ(getPair(db, Family::Daubechies, 7), 0);
    const Plane src = randomPlane(16, 64, 1);
    struct Case {
        const char* name;
        const double* src;
        uint32_t w, h, L;
        const double* A;
        int expect;
    } cases[] = {
        {"L 14 on 12 x 64", src.data(), 12, 64, 14, db.low.p, -9},
        {"L above the height", src.data(), 64, 12, 14, db.low.p, -9},
        {"L 2 on 15 x 64", src.data(), 15, 64, 2, db.low.p, -2},
        {"odd height", src.data(), 16, 63, 2, db.low.p, -2},
        {"L above an odd width: -9 first", src.data(), 13, 64, 14, db.low.p, -9},
        {"L 0", src.data(), 16, 64, 0, db.low.p, -9},
        {"null filter", src.data(), 16, 64, 14, nullptr, -9},
        {"null source", nullptr, 16, 64, 14, db.low.p, -9},
    };
    for (const Case& c : cases) {
        double* o[4] = {};
        uint32_t hw = 99, hh = 99;
        EXPECT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0], o[1], o[2], o[3], hw, hh, c.src,
                                                          c.w, c.h, c.A, db.high.p, c.L),
                  c.expect)
            << c.name;
        for (double* p : o)
            EXPECT_EQ(p, nullptr) << c.name;
        EXPECT_EQ(hw, 99u);
    }

    const Plane band = randomPlane(6, 6, 2);
    const double* b = band.data();
    struct Back {
        const char* name;
        const double* in;
        uint32_t hw, hh, L;
        const double* B;
    } backs[] = {
        {"L above twice the half width", b, 6, 8, 14, db.high.p},
        {"L above twice the half height", b, 8, 6, 14, db.high.p},
        {"L 0", b, 8, 8, 0, db.high.p},
        {"null plane", nullptr, 8, 8, 14, db.high.p},
        {"null filter", b, 8, 8, 14, nullptr},
    };
    const Plane big = randomPlane(8, 8, 4);
    for (const Back& c : backs) {
        const double* in = c.in == b && c.hw == 8 && c.hh == 8 ? big.data() : c.in;
        double* out = nullptr;
        uint32_t w = 99, h = 99;
        EXPECT_EQ(CLxWavelet2D::WaveletReconstructionImage(out, w, h, in, in, in, in, c.hw, c.hh,
                                                           db.low.p, c.B, c.L),
                  -9)
            << c.name;
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(w, 99u);
    }
    EXPECT_EQ(CLxWavelet2D::FreeBuf(nullptr), -9);
}

} // namespace

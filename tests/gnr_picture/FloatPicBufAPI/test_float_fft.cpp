// Radix-2 and 64-point transforms against a naive DFT in double.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

using cd = std::complex<double>;

// sum x[t] exp(sign 2 pi i k t / n) x scale
std::vector<cd> naiveDft(const std::vector<float>& re, const std::vector<float>& im, int sign,
                         double scale)
{
    const size_t n = re.size();
    std::vector<cd> out(n);
    for (size_t k = 0; k < n; ++k) {
        cd sum = 0;
        for (size_t t = 0; t < n; ++t)
            sum += cd(re[t], im[t]) * std::polar(1.0, sign * 2.0 * M_PI * double(k * t % n) / n);
        out[k] = sum * scale;
    }
    return out;
}

// 2-D: lines of width, sign on both axes.
std::vector<cd> naiveDft2(const std::vector<float>& re, const std::vector<float>& im, size_t w,
                          size_t h, int sign, double scale)
{
    std::vector<cd> out(w * h);
    for (size_t k1 = 0; k1 < h; ++k1)
        for (size_t k2 = 0; k2 < w; ++k2) {
            cd sum = 0;
            for (size_t j1 = 0; j1 < h; ++j1)
                for (size_t j2 = 0; j2 < w; ++j2)
                    sum += cd(re[j1 * w + j2], im[j1 * w + j2]) *
                           std::polar(1.0, sign * 2.0 * M_PI *
                                               (double(j1 * k1 % h) / h + double(j2 * k2 % w) / w));
            out[k1 * w + k2] = sum * scale;
        }
    return out;
}

void expectClose(const std::vector<cd>& want, const std::vector<float>& re,
                 const std::vector<float>& im)
{
    double peak = 0;
    for (const cd& v : want)
        peak = std::max(peak, std::abs(v));
    const double tol = 1e-5 * std::max(peak, 1.0);
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_NEAR(re[i], want[i].real(), tol) << "index " << i;
        ASSERT_NEAR(im[i], want[i].imag(), tol) << "index " << i;
    }
}

void randomFill(std::vector<float>& v, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-100.0f, 100.0f);
    for (float& x : v)
        x = dist(gen);
}

} // namespace

TEST(FloatPowerof2, SmallestPowerAtOrAbove)
{
    struct Case {
        uint32_t n, exponent, power;
    } cases[] = {{0, 0, 1},
                 {1, 0, 1},
                 {2, 1, 2},
                 {5, 3, 8},
                 {8, 3, 8},
                 {9, 4, 16},
                 {1u << 31, 31, 1u << 31}};
    for (const Case& c : cases) {
        uint32_t e = 99, p = 99;
        EXPECT_TRUE(CLxFloatPicMemAPI::Powerof2(c.n, &e, &p));
        EXPECT_EQ(e, c.exponent) << c.n;
        EXPECT_EQ(p, c.power) << c.n;
    }
}

TEST(FloatFFT1D, ConstantForwardAndBack)
{
    std::vector<float> re(8, 3.5f), im(8, 0.0f);
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), 1, 8), 0);
    EXPECT_NEAR(re[0], 3.5f, 1e-6);
    for (int i = 1; i < 8; ++i) {
        EXPECT_NEAR(re[i], 0.0f, 1e-6);
        EXPECT_NEAR(im[i], 0.0f, 1e-6);
    }
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), 0, 8), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(re[i], 3.5f, 1e-6);
}

TEST(FloatFFT1D, BadAndTrivialLengthsLeaveData)
{
    std::vector<float> re = {1, 2, 3, 4, 5, 6}, im = {6, 5, 4, 3, 2, 1};
    const auto re0 = re, im0 = im;
    EXPECT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), 1, 6), -2);
    EXPECT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), 1, 1), 0);
    EXPECT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), 0, 1), 0);
    EXPECT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(nullptr, nullptr, 1, 0), 0);
    EXPECT_EQ(re, re0);
    EXPECT_EQ(im, im0);
}

TEST(FloatFFT1D, MatchesNaiveDftBothDirections)
{
    for (uint32_t n : {2u, 4u, 16u, 128u, 1024u})
        for (uint8_t direction : {uint8_t(0), uint8_t(1), uint8_t(2)}) {
            std::vector<float> re(n), im(n);
            randomFill(re, n);
            randomFill(im, n + 7);
            const auto want =
                direction == 1 ? naiveDft(re, im, -1, 1.0 / n) : naiveDft(re, im, +1, 1.0);
            ASSERT_EQ(CLxFloatPicMemAPI::FFT_1Dx2pn(re.data(), im.data(), direction, n), 0);
            SCOPED_TRACE(testing::Message() << "n " << n << " direction " << int(direction));
            expectClose(want, re, im);
        }
}

TEST(FloatFFT2D, MatchesNaiveDftAndRoundTrips)
{
    struct Size {
        uint32_t w, h;
    } sizes[] = {{1, 1}, {8, 4}, {4, 16}, {32, 32}};
    for (const Size& s : sizes) {
        const size_t n = size_t(s.w) * s.h;
        std::vector<float> re(n), im(n);
        randomFill(re, s.w * 31 + s.h);
        randomFill(im, s.w * 17 + s.h);
        const auto re0 = re, im0 = im;
        const auto want = naiveDft2(re, im, s.w, s.h, -1, 1.0 / n);
        ASSERT_EQ(CLxFloatPicMemAPI::FFT_2Dx2pn2pm(re.data(), im.data(), s.w, s.h, 1), 0);
        expectClose(want, re, im);
        ASSERT_EQ(CLxFloatPicMemAPI::FFT_2Dx2pn2pm(re.data(), im.data(), s.w, s.h, 0), 0);
        for (size_t i = 0; i < n; ++i) {
            ASSERT_NEAR(re[i], re0[i], 1e-3);
            ASSERT_NEAR(im[i], im0[i], 1e-3);
        }
    }
}

TEST(FloatFFT2D, SizeNotPowerOfTwoChangesNothing)
{
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{8, 6}, {6, 8}}) {
        std::vector<float> re(48), im(48);
        randomFill(re, 3);
        randomFill(im, 4);
        const auto re0 = re, im0 = im;
        EXPECT_EQ(CLxFloatPicMemAPI::FFT_2Dx2pn2pm(re.data(), im.data(), w, h, 1), -2);
        EXPECT_EQ(re, re0);
        EXPECT_EQ(im, im0);
    }
}

TEST(FloatFFTConstSize, TablesFilledWithoutInit)
{
    // No call of Init_ConstSizeFFT in this program before this point matters:
    // the tables are filled when the code is loaded.
    EXPECT_EQ(FFT_u1[0], 1.0f);
    EXPECT_EQ(FFT_u2[0], 0.0f);
    for (uint32_t s = 0; s < 6; ++s)
        for (uint32_t j = 0; j < (1u << s); ++j) {
            const double a = M_PI * j / double(1u << s);
            const uint32_t e = (1u << s) - 1 + j;
            EXPECT_NEAR(FFT_u1[e], std::cos(a), 1e-6) << e;
            EXPECT_NEAR(FFT_u2[e], std::sin(a), 1e-6) << e;
            EXPECT_EQ(IFFT_u1[e], FFT_u1[e]) << e;
            EXPECT_NEAR(IFFT_u2[e], -std::sin(a), 1e-6) << e;
        }
    float before[63];
    std::copy(FFT_u2, FFT_u2 + 63, before);
    CLxFloatPicMemAPI::Init_ConstSizeFFT();
    EXPECT_TRUE(std::equal(before, before + 63, FFT_u2));
}

TEST(FloatFFTConstSize, ImpulseAtOneAndRoundTrip)
{
    std::vector<float> re(64, 0.0f), im(64, 0.0f);
    re[1] = 1.0f;
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_1D_ConstSize(re.data(), im.data(), false), 0);
    for (int k = 0; k < 64; ++k) {
        EXPECT_NEAR(re[k], std::cos(2 * M_PI * k / 64), 1e-5) << k;
        EXPECT_NEAR(im[k], std::sin(2 * M_PI * k / 64), 1e-5) << k;
    }

    randomFill(re, 11);
    randomFill(im, 12);
    const auto re0 = re, im0 = im;
    const auto want = naiveDft(re, im, +1, 1.0);
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_1D_ConstSize(re.data(), im.data(), false), 0);
    expectClose(want, re, im);
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_1D_ConstSize(re.data(), im.data(), true), 0);
    for (int i = 0; i < 64; ++i) {
        EXPECT_NEAR(re[i], re0[i], 1e-3);
        EXPECT_NEAR(im[i], im0[i], 1e-3);
    }
}

TEST(FloatFFTConstSize, TwoDimensionalMatchesNaiveDft)
{
    std::vector<float> re(4096), im(4096);
    randomFill(re, 21);
    randomFill(im, 22);
    const auto re0 = re, im0 = im;
    const auto forward = naiveDft2(re, im, 64, 64, +1, 1.0);
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_2D_ConstSize(re.data(), im.data(), false), 0);
    expectClose(forward, re, im);
    const auto inverse = naiveDft2(re, im, 64, 64, -1, 1.0 / 4096);
    ASSERT_EQ(CLxFloatPicMemAPI::FFT_2D_ConstSize(re.data(), im.data(), true), 0);
    expectClose(inverse, re, im);
    for (size_t i = 0; i < re.size(); ++i)
        ASSERT_NEAR(re[i], re0[i], 1e-3);
}

TEST(FloatFFT, FrequencyConvolutionMultipliesComplex)
{
    std::vector<float> re = {1, 2, 0}, im = {1, -1, 3};
    const std::vector<float> kre = {2, 0, -1}, kim = {0.5f, 1, 2};
    CLxFloatPicMemAPI::FrequencyConvolution(re.data(), im.data(), kre.data(), kim.data(), 3, 1);
    const cd want[] = {cd(1, 1) * cd(2, 0.5), cd(2, -1) * cd(0, 1), cd(0, 3) * cd(-1, 2)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(re[i], want[i].real());
        EXPECT_FLOAT_EQ(im[i], want[i].imag());
    }
}

namespace
{

// Runs transform on a copy of (re, im) with the AVX2 paths allowed or not.
template <class F>
std::pair<std::vector<float>, std::vector<float>> runWithPaths(bool avx2, std::vector<float> re,
                                                               std::vector<float> im, F transform)
{
    const bool was = lxpic::avx2PathsAllowed();
    lxpic::avx2PathsAllowed() = avx2;
    transform(re.data(), im.data());
    lxpic::avx2PathsAllowed() = was;
    return {re, im};
}

std::vector<float> uniformNoise(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> d(-100.0f, 100.0f);
    std::vector<float> v(n);
    for (float& x : v)
        x = d(gen);
    return v;
}

} // namespace

// The plane transforms apply the line transform's butterflies to whole
// lines at a time: the result is that of transforming every line, then
// every column, exactly, on either instruction set.
TEST(FloatFFT2D, WholeLineButterfliesEqualLineByLineExactly)
{
    struct Case {
        uint32_t w, h;
        uint8_t direction;
    } cases[] = {{64, 64, 0},  {64, 64, 1},   {256, 32, 1},  {2, 128, 0},   {1, 8, 1},
                 {1024, 4, 0}, {2048, 64, 1}, {64, 2048, 0}, {512, 1024, 1}};
    for (const Case& c : cases) {
        const size_t n = size_t(c.w) * c.h;
        const std::vector<float> re = uniformNoise(n, c.w), im = uniformNoise(n, c.h + 7);
        // The reference: FFT_1Dx2pn on each line, then on each gathered column.
        std::vector<float> wantRe = re, wantIm = im, colRe(c.h), colIm(c.h);
        for (uint32_t y = 0; y < c.h; ++y)
            CLxFloatPicMemAPI::FFT_1Dx2pn(&wantRe[size_t(y) * c.w], &wantIm[size_t(y) * c.w],
                                          c.direction, c.w);
        for (uint32_t x = 0; x < c.w; ++x) {
            for (uint32_t y = 0; y < c.h; ++y) {
                colRe[y] = wantRe[size_t(y) * c.w + x];
                colIm[y] = wantIm[size_t(y) * c.w + x];
            }
            CLxFloatPicMemAPI::FFT_1Dx2pn(colRe.data(), colIm.data(), c.direction, c.h);
            for (uint32_t y = 0; y < c.h; ++y) {
                wantRe[size_t(y) * c.w + x] = colRe[y];
                wantIm[size_t(y) * c.w + x] = colIm[y];
            }
        }
        for (bool avx2 : {false, true}) {
            const auto got = runWithPaths(avx2, re, im, [&](float* r, float* i) {
                EXPECT_EQ(CLxFloatPicMemAPI::FFT_2Dx2pn2pm(r, i, c.w, c.h, c.direction), 0);
            });
            EXPECT_EQ(got.first, wantRe) << c.w << "x" << c.h << " avx2 " << avx2;
            EXPECT_EQ(got.second, wantIm) << c.w << "x" << c.h << " avx2 " << avx2;
        }
    }
}

TEST(FloatFFTConstSize, TwoDimensionalIsLinesThenColumnsExactly)
{
    for (bool inverse : {false, true}) {
        const std::vector<float> re = uniformNoise(4096, 1), im = uniformNoise(4096, 2);
        std::vector<float> wantRe = re, wantIm = im, colRe(64), colIm(64);
        for (uint32_t y = 0; y < 64; ++y)
            CLxFloatPicMemAPI::FFT_1D_ConstSize(&wantRe[y * 64], &wantIm[y * 64], inverse);
        for (uint32_t x = 0; x < 64; ++x) {
            for (uint32_t y = 0; y < 64; ++y) {
                colRe[y] = wantRe[y * 64 + x];
                colIm[y] = wantIm[y * 64 + x];
            }
            CLxFloatPicMemAPI::FFT_1D_ConstSize(colRe.data(), colIm.data(), inverse);
            for (uint32_t y = 0; y < 64; ++y) {
                wantRe[y * 64 + x] = colRe[y];
                wantIm[y * 64 + x] = colIm[y];
            }
        }
        for (bool avx2 : {false, true}) {
            const auto got = runWithPaths(avx2, re, im, [&](float* r, float* i) {
                EXPECT_EQ(CLxFloatPicMemAPI::FFT_2D_ConstSize(r, i, inverse), 0);
            });
            EXPECT_EQ(got.first, wantRe) << "inverse " << inverse << " avx2 " << avx2;
            EXPECT_EQ(got.second, wantIm) << "inverse " << inverse << " avx2 " << avx2;
        }
    }
}

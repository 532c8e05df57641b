// Window filters, amplitude/phase arithmetic and spectral operations of
// float pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

struct Pic : SLxFloatPicBuf {
    Pic(uint32_t w, uint32_t h, uint32_t comps = 1)
    {
        CLxFloatPicBufAPI::Init(this);
        EXPECT_EQ(CLxFloatPicBufAPI::Reinit(this, w, h, 0, comps, true), 0);
    }
    ~Pic() { CLxFloatPicBufAPI::Free(this); }
    float& at(uint32_t x, uint32_t y, uint32_t c = 0)
    {
        return pData[(size_t(y) * uiWidth + x) * uiComps + c];
    }
    void random(unsigned seed, float lo = 1.0f, float hi = 100.0f)
    {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<float> dist(lo, hi);
        for (size_t i = 0; i < size_t(uiWidth) * uiHeight * uiComps; ++i)
            pData[i] = dist(gen);
    }
};

// The clipped-window weighted mean written directly.
float boxMean(Pic& src, int x, int y, int size, uint32_t c)
{
    double sum = 0;
    int n = 0;
    for (int v = y - size / 2; v < y - size / 2 + size; ++v)
        for (int u = x - size / 2; u < x - size / 2 + size; ++u)
            if (u >= 0 && v >= 0 && u < int(src.uiWidth) && v < int(src.uiHeight)) {
                sum += src.at(u, v, c);
                ++n;
            }
    return float(sum / n);
}

} // namespace

TEST(FloatPicBufFilters, SmoothKeepsConstantsAndAveragesClippedWindows)
{
    for (uint32_t mode : {0u, 1u})
        for (uint32_t size : {1u, 3u, 4u, 5u}) {
            Pic src(7, 5, 3), dst(7, 5, 3);
            std::fill(src.pData, src.pData + 7 * 5 * 3, 42.0f);
            ASSERT_EQ(CLxFloatPicBufAPI::Smooth(&dst, &src, mode, size), 0);
            for (size_t i = 0; i < 7 * 5 * 3; ++i)
                ASSERT_NEAR(dst.pData[i], 42.0f, 1e-4) << "mode " << mode << " size " << size;
        }
    Pic src(6, 5, 2), dst(6, 5, 2);
    src.random(3);
    for (int size : {3, 4}) {
        ASSERT_EQ(CLxFloatPicBufAPI::Smooth(&dst, &src, 0, size), 0);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 6; ++x)
                for (uint32_t c = 0; c < 2; ++c)
                    ASSERT_NEAR(dst.at(x, y, c), boxMean(src, x, y, size, c), 1e-4);
    }
    dst.at(0, 0) = -1;
    EXPECT_EQ(CLxFloatPicBufAPI::Smooth(&dst, &src, 2, 3), -2);
    EXPECT_EQ(CLxFloatPicBufAPI::Smooth(&dst, &src, 0, 0), -4);
    Pic other(6, 5, 1);
    EXPECT_EQ(CLxFloatPicBufAPI::Smooth(&dst, &other, 0, 3), -9);
    EXPECT_EQ(dst.at(0, 0), -1);
}

TEST(FloatPicBufFilters, SharpenByLocalDeviation)
{
    Pic flat(4, 3), out(4, 3);
    std::fill(flat.pData, flat.pData + 12, 9.0f);
    ASSERT_EQ(CLxFloatPicBufAPI::Sharpen(&out, &flat), 0);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(out.pData[i], 9.0f);

    Pic one(1, 1), oneOut(1, 1);
    one.at(0, 0) = 5.0f;
    ASSERT_EQ(CLxFloatPicBufAPI::Sharpen(&oneOut, &one), 0);
    EXPECT_EQ(oneOut.at(0, 0), 5.0f);

    Pic pair(2, 1), pairOut(2, 1);
    pair.at(0, 0) = 1.0f;
    pair.at(1, 0) = 3.0f;
    ASSERT_EQ(CLxFloatPicBufAPI::Sharpen(&pairOut, &pair), 0);
    EXPECT_FLOAT_EQ(pairOut.at(0, 0), 1.0f * (1 + 0.2f * std::sqrt(2.0f)));
    EXPECT_FLOAT_EQ(pairOut.at(1, 0), 3.0f * (1 + 0.2f * std::sqrt(2.0f)));
}

TEST(FloatPicBufFilters, MedianOfClippedWindows)
{
    Pic src(3, 3), dst(3, 3);
    const float v[] = {9, 1, 8, 2, 7, 3, 6, 4, 5};
    std::copy(v, v + 9, src.pData);
    ASSERT_EQ(CLxFloatPicBufAPI::MedianFilter(&dst, &src, 3), 0);
    EXPECT_EQ(dst.at(1, 1), 5.0f);
    // Corner (0, 0): window {9, 1, 2, 7} sorted 1 2 7 9, index 2.
    EXPECT_EQ(dst.at(0, 0), 7.0f);
    EXPECT_EQ(CLxFloatPicBufAPI::MedianFilter(&dst, &src, 0), -4);
}

// Inner windows go through a sorting network several pixels at a time;
// every pixel must still get element count / 2 of its sorted clipped
// window, on either instruction set, whatever the size and width.
TEST(FloatPicBufFilters, MedianEqualsSortedWindowEverywhere)
{
    unsigned seed = 3;
    for (uint32_t size : {1u, 2u, 3u, 4u, 5u, 7u, 8u})
        for (auto [w, h, comps] : {std::tuple<uint32_t, uint32_t, uint32_t>{40, 12, 1},
                                   {13, 9, 3},
                                   {7, 7, 1},
                                   {5, 3, 2},
                                   {1, 10, 1},
                                   {67, 11, 1},
                                   {21, 9, 4}}) {
            Pic src(w, h, comps);
            src.random(seed++, -50.0f, 50.0f);
            // Repeated values too, so ties are met.
            for (size_t i = 0; i < size_t(w) * h * comps; i += 3)
                src.pData[i] = std::round(src.pData[i] / 20.0f);
            Pic want(w, h, comps);
            const int64_t half = size / 2;
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (uint32_t c = 0; c < comps; ++c) {
                        std::vector<float> window;
                        for (int64_t v = std::max<int64_t>(int64_t(y) - half, 0);
                             v < std::min<int64_t>(int64_t(y) - half + size, h); ++v)
                            for (int64_t u = std::max<int64_t>(int64_t(x) - half, 0);
                                 u < std::min<int64_t>(int64_t(x) - half + size, w); ++u)
                                window.push_back(src.at(uint32_t(u), uint32_t(v), c));
                        std::sort(window.begin(), window.end());
                        want.at(x, y, c) = window[window.size() / 2];
                    }
            const bool was = lxpic::avx2PathsAllowed();
            for (bool avx2 : {false, true}) {
                lxpic::avx2PathsAllowed() = avx2;
                Pic dst(w, h, comps);
                ASSERT_EQ(CLxFloatPicBufAPI::MedianFilter(&dst, &src, size), 0);
                for (size_t i = 0; i < size_t(w) * h * comps; ++i)
                    ASSERT_EQ(dst.pData[i], want.pData[i])
                        << "size " << size << " " << w << "x" << h << "x" << comps << " at " << i
                        << " avx2 " << avx2;
            }
            lxpic::avx2PathsAllowed() = was;
        }
}

TEST(FloatPicBufFilters, CutByAndAmplitudePhaseArithmetic)
{
    Pic src(2, 1, 2), dst(2, 1, 2);
    const float v[] = {5, 1, 2, 9};
    std::copy(v, v + 4, src.pData);
    const float limits[] = {3, 4};
    ASSERT_EQ(CLxFloatPicBufAPI::CutBy(&dst, &src, limits), 0);
    EXPECT_EQ(std::vector<float>(dst.pData, dst.pData + 4), (std::vector<float>{3, 1, 2, 4}));

    Pic a1(2, 1), p1(2, 1), a2(2, 1), p2(2, 1), ao(2, 1), po(2, 1), wrong(3, 1);
    a1.at(0, 0) = 6, a1.at(1, 0) = 2, p1.at(0, 0) = 1, p1.at(1, 0) = 3;
    a2.at(0, 0) = 3, a2.at(1, 0) = 0, p2.at(0, 0) = 0.5f, p2.at(1, 0) = 4;
    ASSERT_EQ(CLxFloatPicBufAPI::MultiplicationAP(&ao, &po, &a1, &p1, &a2, &p2), 0);
    EXPECT_EQ(ao.at(0, 0), 18);
    EXPECT_EQ(po.at(1, 0), 7); // not wrapped
    ASSERT_EQ(CLxFloatPicBufAPI::DivisionAP(&ao, &po, &a1, &p1, &a2, &p2), 0);
    EXPECT_EQ(ao.at(0, 0), 2);
    EXPECT_EQ(ao.at(1, 0), 0); // divisor exactly 0
    EXPECT_EQ(po.at(1, 0), -1);
    ASSERT_EQ(CLxFloatPicBufAPI::ConjugationAP(&ao, &po, &a1, &p1), 0);
    EXPECT_EQ(ao.at(0, 0), 6);
    EXPECT_EQ(po.at(1, 0), -3);
    EXPECT_EQ(CLxFloatPicBufAPI::MultiplicationAP(&ao, &po, &a1, &p1, &wrong, &p2), -9);
    EXPECT_EQ(CLxFloatPicBufAPI::ConjugationAP(&ao, nullptr, &a1, &p1), -9);
}

TEST(FloatPicBufFilters, SpectralOperationsWithAShiftedImpulse)
{
    Pic a(8, 8), b(8, 8), dst(8, 8), wrong(8, 4);
    a.random(9);
    b.at(1, 0) = 1.0f;
    struct Case {
        int (*op)(SLxFloatPicBuf*, const SLxFloatPicBuf*, const SLxFloatPicBuf*);
        int shift; // dst(x) = a(x - shift)
    } cases[] = {{CLxFloatPicBufAPI::Convolution, 1},
                 {CLxFloatPicBufAPI::Correlation, -1},
                 {CLxFloatPicBufAPI::Deconvolution, -1}};
    for (const Case& c : cases) {
        ASSERT_EQ(c.op(&dst, &a, &b), 0);
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 8; ++x)
                ASSERT_NEAR(dst.at(x, y), a.at((x + 8 - c.shift) % 8, y), 1e-3)
                    << "shift " << c.shift << " at " << x << "," << y;
        EXPECT_EQ(c.op(&dst, &a, &wrong), -9);
    }
}

TEST(FloatPicBufFilters, SamplePicturesThroughTheSpectrum)
{
    // 8-bit, one component, 8 x 8: convolution with an impulse at column 1
    // shifts by one; a 12-bit picture round-trips through FFT_Image and
    // IFFT_Image.
    std::vector<uint8_t> av(64), bv(64, 0), dv(64, 0);
    for (int i = 0; i < 64; ++i)
        av[i] = uint8_t(3 * i + 1);
    bv[1] = 1;
    SLxPicBuf a{8, 8, 8, 8, 1, 64, av.data()}, b{8, 8, 8, 8, 1, 64, bv.data()},
        d{8, 8, 8, 8, 1, 64, dv.data()};
    ASSERT_EQ(CLxFloatPicBufAPI::Convolution(&d, &a, &b), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            ASSERT_EQ(dv[y * 8 + x], av[y * 8 + (x + 7) % 8]) << x << "," << y;
    SLxPicBuf three{8, 8, 8, 8, 3, 64, av.data()};
    EXPECT_EQ(CLxFloatPicBufAPI::Correlation(&d, &a, &three), -9);

    std::vector<uint16_t> w(6 * 5 * 3), back(6 * 5 * 3, 0);
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = uint16_t((i * 397) % 4096);
    SLxPicBuf src{6, 5, 36, 12, 3, 180, w.data()}, out{6, 5, 36, 12, 3, 180, back.data()};
    Pic amp(8, 8, 3), phase(8, 8, 3);
    ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
    ASSERT_EQ(CLxFloatPicBufAPI::IFFT_Image(&out, &amp, &phase), 0);
    EXPECT_EQ(back, w);

    // Two components: the sample conversion has no kernel.
    SLxPicBuf two{6, 5, 24, 12, 2, 120, w.data()};
    Pic amp2(8, 8, 2), phase2(8, 8, 2);
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp2, &phase2, &two), -2);
    SLxPicBuf shortData{6, 5, 36, 12, 3, 100, w.data()};
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &shortData), -9);
}

// Float picture records, checks, copies, arithmetic and spectra.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

struct FloatPic : SLxFloatPicBuf {
    FloatPic(uint32_t w, uint32_t h, uint32_t comps, uint32_t lineBytes = 0)
    {
        CLxFloatPicBufAPI::Init(this);
        EXPECT_EQ(CLxFloatPicBufAPI::Reinit(this, w, h, lineBytes, comps, true), 0);
    }
    ~FloatPic() { CLxFloatPicBufAPI::Free(this); }
    float& at(uint32_t x, uint32_t y, uint32_t c = 0)
    {
        return reinterpret_cast<float*>(reinterpret_cast<uint8_t*>(pData) +
                                        size_t(y) * uiWidthBytes)[size_t(x) * uiComps + c];
    }
};

} // namespace

TEST(FloatPicBuf, ReinitSizesAndRefusals)
{
    FloatPic pic(5, 3, 3);
    EXPECT_EQ(pic.uiWidthBytes, 60u);
    EXPECT_EQ(pic.uiSize, 180u);
    EXPECT_EQ(pic.uiBpc, 32);
    EXPECT_EQ(pic.at(4, 2, 2), 0.0f);
    ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&pic, 2, 2, 64, 1, false), 0);
    EXPECT_EQ(pic.uiSize, 128u);
    EXPECT_EQ(CLxFloatPicBufAPI::Reinit(&pic, 0, 0, 0, 1, true), -3);
    EXPECT_EQ(pic.pData, nullptr);
    // Beyond 32 bits of bytes: refused, nothing allocated.
    EXPECT_EQ(CLxFloatPicBufAPI::Reinit(&pic, 65536, 65536, 0, 1, false), -3);
    EXPECT_EQ(pic.pData, nullptr);
    EXPECT_EQ(CLxFloatPicBufAPI::Reinit(nullptr, 1, 1, 0, 1, false), -9);
    EXPECT_EQ(CLxFloatPicBufAPI::Clear(nullptr), -9);
}

TEST(FloatPicBuf, ChecksCompareTheNamedFields)
{
    FloatPic a(4, 3, 1), b(4, 3, 1), c(4, 3, 3), d(5, 3, 1);
    SLxPicBuf grey{4, 3, 4, 8, 1, 12, nullptr};
    struct Case {
        const SLxFloatPicBuf* other;
        uint32_t option;
        bool want;
    } cases[] = {{&b, 0, true},  {&b, 2, true},  {&c, 0, true},      {&c, 2, false},
                 {&c, 3, false}, {&c, 6, false}, {&d, 0, false},     {&d, 4, true},
                 {&d, 5, true},  {&b, 7, false}, {nullptr, 0, false}};
    for (const Case& k : cases)
        EXPECT_EQ(CLxFloatPicBufAPI::Check(&a, k.other, k.option), k.want) << k.option;
    EXPECT_TRUE(CLxFloatPicBufAPI::Check(&a, &grey, 3));
    EXPECT_FALSE(CLxFloatPicBufAPI::Check(&a, &grey, 1));
    EXPECT_TRUE(CLxFloatPicBufAPI::Check_Ex(&a, &d, 8, 4));
    EXPECT_FALSE(CLxFloatPicBufAPI::Check_Ex(&d, &a, 8, 4));
    EXPECT_FALSE(CLxFloatPicBufAPI::Check_Ex(&a, &d, 4, 4));
    EXPECT_TRUE(CLxFloatPicBufAPI::Check_Ex(&grey, &a, 4, 3));
}

TEST(FloatPicBuf, CopyHonoursLineBytesAndRefusesOtherFormats)
{
    FloatPic src(3, 2, 1), dst(3, 2, 1, 20), other(3, 2, 3);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            src.at(x, y) = float(10 * y + x);
    dst.at(0, 0) = -1;
    ASSERT_EQ(CLxFloatPicBufAPI::Copy(&dst, &src), 0);
    EXPECT_EQ(dst.at(2, 1), 12.0f);
    EXPECT_EQ(dst.at(0, 0), 0.0f);
    AssertCapture asserts;
    EXPECT_EQ(CLxFloatPicBufAPI::Copy(&other, &src), -9);
    EXPECT_EQ(asserts.countMessage("CLxPicBufAPI::Copy, sour and dest must have the same format"),
              1);
}

TEST(FloatPicBuf, ArithmeticElementWise)
{
    FloatPic a(2, 1, 2), b(2, 1, 2), dst(2, 1, 2), wrong(2, 1, 1);
    const float av[] = {6, -2, 5, 0}, bv[] = {3, 4, 0, 0};
    for (int i = 0; i < 4; ++i) {
        a.pData[i] = av[i];
        b.pData[i] = bv[i];
    }
    struct Case {
        int (*op)(SLxFloatPicBuf*, const SLxFloatPicBuf*, const SLxFloatPicBuf*);
        std::vector<float> want;
    } cases[] = {{CLxFloatPicBufAPI::Plus, {9, 2, 5, 0}},
                 {CLxFloatPicBufAPI::Minus, {3, -6, 5, 0}},
                 {CLxFloatPicBufAPI::Multiplication, {18, -8, 0, 0}},
                 {CLxFloatPicBufAPI::Division, {2, -0.5f, 0, 0}}};
    for (const Case& c : cases) {
        ASSERT_EQ(c.op(&dst, &a, &b), 0);
        EXPECT_EQ(std::vector<float>(dst.pData, dst.pData + 4), c.want);
        dst.pData[0] = 77;
        EXPECT_EQ(c.op(&dst, &a, &wrong), -9);
        EXPECT_EQ(c.op(&dst, nullptr, &b), -9);
        EXPECT_EQ(dst.pData[0], 77);
    }
}

TEST(FloatPicBufSpectrum, ConstantGivesCentredPeakAndBack)
{
    FloatPic src(16, 8, 1), amp(16, 8, 1), phase(16, 8, 1), back(16, 8, 1);
    for (uint32_t i = 0; i < 128; ++i)
        src.pData[i] = 2.5f;
    ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            EXPECT_NEAR(amp.at(x, y), (x == 8 && y == 4) ? 2.5f * 128 : 0.0f, 1e-3)
                << x << "," << y;
    ASSERT_EQ(CLxFloatPicBufAPI::IFFT_Image(&back, &amp, &phase), 0);
    for (uint32_t i = 0; i < 128; ++i)
        EXPECT_NEAR(back.pData[i], 2.5f, 1e-5);
}

TEST(FloatPicBufSpectrum, TiledSourceRoundTripsAndAverages)
{
    // 100 x 60 works on 128 x 64 planes; a full-size spectrum gives the
    // source back in the middle.
    FloatPic src(100, 60, 3), amp(128, 64, 1), phase(128, 64, 1), back(100, 60, 1);
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> dist(1.0f, 200.0f);
    for (uint32_t i = 0; i < 100 * 60 * 3; ++i)
        src.pData[i] = dist(gen);
    ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
    ASSERT_EQ(CLxFloatPicBufAPI::IFFT_Image(&back, &amp, &phase), 0);
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 100; ++x) {
            const float mean = (src.at(x, y, 0) + src.at(x, y, 1) + src.at(x, y, 2)) / 3;
            ASSERT_NEAR(back.at(x, y), mean, 1e-3) << x << "," << y;
        }
    // Phases lie in [0, 2 pi).
    for (uint32_t i = 0; i < 128 * 64; ++i) {
        ASSERT_GE(phase.pData[i], 0.0f);
        ASSERT_LT(phase.pData[i], 6.2832f);
    }
}

namespace
{

// The forward spectrum step by step through the plane operations: the
// component (or the mean) tiled into W x H, the complex transform with
// fresh tables, the quadrant swap, amplitude and phase, the centre window.
void spectrumBySteps(const FloatPic& src, uint32_t width, uint32_t height, uint32_t comps,
                     std::vector<float>* amp, std::vector<float>* phase)
{
    uint32_t W = 0, H = 0;
    CLxFloatPicMemAPI::Powerof2(width, nullptr, &W);
    CLxFloatPicMemAPI::Powerof2(height, nullptr, &H);
    const size_t n = size_t(W) * H;
    std::vector<float> plane(size_t(src.uiWidth) * src.uiHeight), re(n), im(n), a(n), p(n),
        cutA(size_t(width) * height), cutP(cutA.size());
    amp->assign(cutA.size() * comps, 0.0f);
    phase->assign(amp->size(), 0.0f);
    for (uint32_t c = 0; c < comps; ++c) {
        for (uint32_t y = 0; y < src.uiHeight; ++y)
            for (uint32_t x = 0; x < src.uiWidth; ++x) {
                const float* px = src.pData + (size_t(y) * src.uiWidth + x) * src.uiComps;
                double sum = 0;
                for (uint32_t k = 0; k < src.uiComps; ++k)
                    sum += px[k];
                plane[size_t(y) * src.uiWidth + x] =
                    comps == src.uiComps ? px[c] : float(sum / src.uiComps);
            }
        CLxFloatPicMemAPI::TilePad(re.data(), W, H, plane.data(), src.uiWidth, src.uiHeight, 1);
        float** lines = lxpic::AllocFloatLines(H, 2 * W);
        auto* ip = static_cast<int32_t*>(lxpic::AllocWords(lxpic::ComplexFFT2DIndexWords(H, W)));
        auto* tw = static_cast<float*>(lxpic::AllocWords(lxpic::ComplexFFT2DTwiddleWords(H, W)));
        for (size_t i = 0; i < n; ++i)
            lines[i / W][2 * (i % W)] = re[i];
        lxpic::ComplexFFT2D(H, 2 * W, 1, lines, ip, tw);
        for (size_t i = 0; i < n; ++i) {
            re[i] = lines[i / W][2 * (i % W)];
            im[i] = lines[i / W][2 * (i % W) + 1];
        }
        lxpic::FreeFloatLines(lines);
        CLxAlloc::Free(ip);
        CLxAlloc::Free(tw);
        CLxFloatPicMemAPI::FlipCross(a.data(), re.data(), 1, W * 4, W, H);
        CLxFloatPicMemAPI::FlipCross(p.data(), im.data(), 1, W * 4, W, H);
        CLxFloatPicMemAPI::RealnImag_to_AmpnPhase(re.data(), im.data(), a.data(), p.data(), 1, W,
                                                  W * H);
        const int32_t x0 = int32_t((W - width) / 2), y0 = int32_t((H - height) / 2);
        CLxFloatPicMemAPI::CutImage(cutA.data(), width, height, re.data(), W, H, x0, y0, 1);
        CLxFloatPicMemAPI::CutImage(cutP.data(), width, height, im.data(), W, H, x0, y0, 1);
        for (size_t i = 0; i < cutA.size(); ++i) {
            (*amp)[i * comps + c] = cutA[i];
            (*phase)[i * comps + c] = cutP[i];
        }
    }
}

} // namespace

// FFT_Image works in one pass over kept lines; every float must still be
// that of its steps, for tiled, averaged, multi-component, single-line
// and single-pixel pictures, one size after another.
TEST(FloatPicBufSpectrum, EqualsItsStepsFloatForFloat)
{
    struct Case {
        uint32_t srcW, srcH, srcComps, w, h, comps;
    } cases[] = {{100, 60, 1, 100, 60, 1}, {37, 21, 3, 37, 21, 1}, {16, 8, 3, 16, 8, 3},
                 {20, 10, 1, 30, 12, 1},   {64, 64, 1, 64, 64, 1}, {5, 1, 1, 5, 1, 1},
                 {1, 9, 1, 1, 9, 1},       {1, 1, 1, 1, 1, 1}};
    std::mt19937 gen(21);
    std::uniform_real_distribution<float> dist(-50.0f, 200.0f);
    for (const Case& c : cases) {
        FloatPic src(c.srcW, c.srcH, c.srcComps), amp(c.w, c.h, c.comps), phase(c.w, c.h, c.comps);
        for (size_t i = 0; i < size_t(c.srcW) * c.srcH * c.srcComps; ++i)
            src.pData[i] = dist(gen);
        ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
        std::vector<float> wantAmp, wantPhase;
        spectrumBySteps(src, c.w, c.h, c.comps, &wantAmp, &wantPhase);
        const size_t count = size_t(c.w) * c.h * c.comps;
        EXPECT_EQ(std::vector<float>(amp.pData, amp.pData + count), wantAmp)
            << c.srcW << "x" << c.srcH << "x" << c.srcComps << " into " << c.w << "x" << c.h;
        EXPECT_EQ(std::vector<float>(phase.pData, phase.pData + count), wantPhase)
            << c.srcW << "x" << c.srcH << "x" << c.srcComps << " into " << c.w << "x" << c.h;
    }
}

TEST(FloatPicBufSpectrum, InverseClampsAtZeroAndChecksSizes)
{
    FloatPic src(8, 8, 1), amp(8, 8, 1), phase(8, 8, 1), back(8, 8, 1);
    for (uint32_t i = 0; i < 64; ++i)
        src.pData[i] = (i % 2) ? 3.0f : -3.0f;
    ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
    ASSERT_EQ(CLxFloatPicBufAPI::IFFT_Image(&back, &amp, &phase), 0);
    for (uint32_t i = 0; i < 64; ++i)
        EXPECT_NEAR(back.pData[i], (i % 2) ? 3.0f : 0.0f, 1e-5);

    FloatPic big(9, 8, 1), threeAmp(8, 8, 3), smallPhase(4, 8, 1);
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &big), -9);      // source larger
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(&threeAmp, &phase, &src), -9); // components
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &smallPhase, &src), -9); // phase size
    EXPECT_EQ(CLxFloatPicBufAPI::FFT_Image(nullptr, &phase, &src), -9);
    EXPECT_EQ(CLxFloatPicBufAPI::IFFT_Image(&big, &amp, &phase), -9);
    EXPECT_EQ(CLxFloatPicBufAPI::IFFT_Image(&back, &amp, &smallPhase), -9);
}

TEST(FloatPicBufSpectrum, ForwardUsesThePositiveExponent)
{
    // An impulse at column 1 gives exp(+2 pi i k / 8): phase 2 pi k / 8 at
    // column 4 + k of the centred spectrum.
    FloatPic src(8, 8, 1), amp(8, 8, 1), phase(8, 8, 1);
    src.at(1, 0) = 1.0f;
    ASSERT_EQ(CLxFloatPicBufAPI::FFT_Image(&amp, &phase, &src), 0);
    for (uint32_t k = 1; k < 4; ++k) {
        EXPECT_NEAR(amp.at(4 + k, 4), 1.0f, 1e-5);
        EXPECT_NEAR(phase.at(4 + k, 4), 2 * M_PI * k / 8, 1e-5) << k;
    }
}

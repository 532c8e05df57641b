#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "gnr_picture/PicBufAPI/LxWaveletShrink.h"
#include "gnr_picture/picmemAPI/LxNoiseStatistics.h"
#include "gnr_picture/wavelets/LxWavelet2D.h"
#include "picbuf_test_support.h"

using namespace picbuftest;
using lxshrink::EShrink;
using lxshrink::SNoiseRecord;
using lxshrink::STileRange;

namespace
{

// A smooth picture with edges and Gaussian noise of sigma (in grey levels)
// in every component.
void fillNoisy(TestPic& pic, double sigma, uint32_t seed = 1)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    const double top = maxOf(pic->uiBpc);
    for (uint32_t y = 0; y < pic->uiHeight; ++y)
        for (uint32_t x = 0; x < pic->uiWidth; ++x)
            for (uint32_t c = 0; c < pic->uiComps; ++c) {
                double v = top * (0.4 + 0.2 * std::sin(x / 11.0 + c) * std::cos(y / 7.0));
                if ((x / 16 + y / 16) % 3 == 0)
                    v += top * 0.25;
                v += noise(gen);
                pic.set(x, y, c, uint32_t(std::lround(std::fmin(std::fmax(v, 0.0), top))));
            }
}

bool sameSamples(const TestPic& a, const TestPic& b)
{
    for (uint32_t y = 0; y < a.rec().uiHeight; ++y)
        for (uint32_t x = 0; x < a.rec().uiWidth; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// --- Tile plans ---------------------------------------------------------------

TEST(WaveletTiles, PlansCoresSpansAndWrittenRanges)
{
    struct Case {
        uint32_t length, levels;
        std::vector<STileRange> tiles;
    } cases[] = {
        {0, 3, {}},
        {512, 3, {{0, 512, 0, 512, 0, 512}}},
        {5000, 7, {{0, 5000, 0, 5000, 0, 5000}}},
        {12000,
         3,
         {{0, 4000, 0, 4032, 0, 4016},
          {4000, 8000, 3968, 8032, 3984, 8016},
          {8000, 12000, 7968, 12000, 7984, 12000}}},
        // The rest 2 of the first core moves the second core's start.
        {10016,
         3,
         {{0, 3336, 0, 3368, 0, 3352},
          {3340, 6676, 3308, 6708, 3324, 6692},
          {6676, 10016, 6644, 10016, 6660, 10016}}},
        // 5001 / 2 = 2500, cut to 2496 at 5 levels (M = 128).
        {5001, 5, {{0, 2496, 0, 2624, 0, 2560}, {2504, 5001, 2376, 5001, 2440, 5001}}},
    };
    for (const Case& c : cases) {
        const auto got = lxshrink::planTiles(c.length, c.levels);
        ASSERT_EQ(got.size(), c.tiles.size()) << c.length;
        for (size_t i = 0; i < got.size(); ++i) {
            const STileRange& g = got[i];
            const STileRange& e = c.tiles[i];
            EXPECT_EQ(g.coreBegin, e.coreBegin) << c.length << " tile " << i;
            EXPECT_EQ(g.coreEnd, e.coreEnd) << c.length << " tile " << i;
            EXPECT_EQ(g.spanBegin, e.spanBegin) << c.length << " tile " << i;
            EXPECT_EQ(g.spanEnd, e.spanEnd) << c.length << " tile " << i;
            EXPECT_EQ(g.writeBegin, e.writeBegin) << c.length << " tile " << i;
            EXPECT_EQ(g.writeEnd, e.writeEnd) << c.length << " tile " << i;
        }
    }
}

// --- Refusals -----------------------------------------------------------------

TEST(PicBufDenoise, RefusalsLeaveTheDestinationUntouched)
{
    TestPic src(100, 100, 8, 1), dst(100, 100, 8, 1), other(100, 90, 8, 1);
    TestPic src3(64, 64, 8, 3), dst3(64, 64, 8, 3);
    TestPic deep(64, 64, 17, 1), deepDst(64, 64, 17, 1);
    TestPic noise(64, 60, 8, 1), noise16(64, 64, 16, 1), noiseOk(64, 64, 8, 1);
    src.fillPattern(1);
    src3.fillPattern(2);
    noise.fillPattern(3);
    noiseOk.fillPattern(4);
    deep.fillPattern(5);
    struct Case {
        const char* name;
        SLxPicBuf* dst;
        const SLxPicBuf* src;
        const SLxPicBuf* noise; // Denoise when set
        uint32_t levels, wavelet;
        int expect;
    } cases[] = {
        {"levels 8", dst.p(), src.p(), nullptr, 8, 0, -2},
        {"levels 0", dst.p(), src.p(), nullptr, 0, 0, 0},
        {"levels 0, colour", dst3.p(), src3.p(), nullptr, 0, 0, 0},
        {"sizes differ", dst.p(), other.p(), nullptr, 3, 0, -9},
        {"no source", dst.p(), nullptr, nullptr, 3, 0, -9},
        {"same picture", dst.p(), dst.p(), nullptr, 3, 0, -9},
        {"wavelet 4", dst.p(), src.p(), nullptr, 3, 4, -9},
        {"17 bits", deepDst.p(), deep.p(), nullptr, 2, 0, -2},
        {"db7 at 7 levels on 100 x 100", dst.p(), src.p(), nullptr, 7, 0, -9},
        {"noise height not a multiple of 8", dst.p(), src.p(), noise.p(), 3, 0, -9},
        {"noise of other bits", dst.p(), src.p(), noise16.p(), 3, 0, -9},
        {"noise of other components", dst3.p(), src3.p(), noiseOk.p(), 3, 0, -9},
        {"noise picture too small for the filter", dst.p(), src.p(), noiseOk.p(), 4, 0, -9},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> before(static_cast<uint8_t*>(c.dst->pData),
                                    static_cast<uint8_t*>(c.dst->pData) + c.dst->uiSize);
        const int status =
            c.noise
                ? CLxPicBufAPI::Denoise(c.dst, c.src, c.noise, c.levels, false, false, c.wavelet, 0)
                : CLxPicBufAPI::DenoiseBlind(c.dst, c.src, c.levels, false, false, c.wavelet, 0);
        EXPECT_EQ(status, c.expect) << c.name;
        EXPECT_TRUE(std::equal(before.begin(), before.end(), static_cast<uint8_t*>(c.dst->pData)))
            << c.name;
    }
    EXPECT_EQ(CLxPicBufAPI::Denoise(dst.p(), src.p(), nullptr, 3, false, false, 0, 0), -9);
    EXPECT_EQ(CLxPicBufAPI::Resharpen(dst.p(), src.p(), nullptr, 3, false, false, 0, 0), -9);
    EXPECT_EQ(CLxPicBufAPI::ResharpenBlind(dst.p(), src.p(), 8, false, false, 0, 0), -2);
}

TEST(PicBufDenoise, EmptyPictureIsNothingToDo)
{
    SLxPicBuf a{}, b{};
    a.uiBpc = b.uiBpc = 8;
    a.uiComps = b.uiComps = 1;
    EXPECT_EQ(CLxPicBufAPI::DenoiseBlind(&a, &b, 3, false, false, 0, 0), 0);
}

// --- One tile -----------------------------------------------------------------

TEST(PicBufDenoise, OneTileIsTheTileRoutineWithLevelOneNoiseReused)
{
    TestPic src(512, 512, 8, 1), dst(512, 512, 8, 1), tile(512, 512, 8, 1);
    fillNoisy(src, 12.0);
    for (bool perLevel : {false, true}) {
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 3, perLevel, false, 0, 0), 0);
        SNoiseRecord record;
        ASSERT_EQ(lxshrink::shrinkTile(tile.p(), src.p(), 3, perLevel, nullptr, &record, 0,
                                       EShrink::Denoise),
                  0);
        EXPECT_TRUE(sameSamples(dst, tile));
        for (int b = 0; b < 3; ++b)
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(record.band[b][k], record.band[0][perLevel ? k : 0]);
        EXPECT_GT(record.band[0][0], 0.0);
        if (perLevel) {
            EXPECT_NE(record.band[0][1], record.band[0][0]);
        }
    }
}

TEST(PicBufDenoise, DenoisingBringsThePictureCloserToTheClean)
{
    for (uint32_t wavelet : {0u, 1u, 2u, 3u}) {
        TestPic clean(128, 96, 8, 1), noisy(128, 96, 8, 1), dst(128, 96, 8, 1);
        fillNoisy(clean, 0.0);
        fillNoisy(noisy, 15.0);
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), noisy.p(), 2, false, false, wavelet, 0), 0);
        double before = 0.0, after = 0.0;
        for (uint32_t y = 0; y < 96; ++y)
            for (uint32_t x = 0; x < 128; ++x) {
                const double c = clean.get(x, y, 0);
                before += std::pow(noisy.get(x, y, 0) - c, 2);
                after += std::pow(dst.get(x, y, 0) - c, 2);
            }
        EXPECT_LT(after, 0.6 * before) << "wavelet " << wavelet;
    }
}

TEST(PicBufDenoise, OddSizesArePaddedAndKeepTheirSize)
{
    TestPic src(101, 77, 16, 1, 4), dst(101, 77, 16, 1, 4);
    src->uiBpc = dst->uiBpc = 12;
    fillNoisy(src, 40.0);
    ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 3, false, false, 3, 0), 0);
    EXPECT_EQ(dst->uiWidth, 101u);
    EXPECT_EQ(dst->uiHeight, 77u);
    EXPECT_TRUE(dst.paddingIntact());
}

// --- Tiles --------------------------------------------------------------------

TEST(PicBufDenoise, WideTilesEqualTheTileRoutineOnTheirSpans)
{
    const uint32_t w = 12000, h = 64, levels = 3;
    TestPic src(w, h, 8, 1), dst(w, h, 8, 1);
    fillNoisy(src, 10.0);
    ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), levels, false, false, 0, 0), 0);

    const auto tiles = lxshrink::planTiles(w, levels);
    ASSERT_EQ(tiles.size(), 3u);
    SNoiseRecord first;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const STileRange& t = tiles[i];
        const uint32_t sw = t.spanEnd - t.spanBegin;
        TestPic in(sw, h, 8, 1), out(sw, h, 8, 1);
        ASSERT_EQ(CLxPicBufAPI::CopyRect(0, 0, sw, h, in.p(), t.spanBegin, 0, src.p()), 0);
        ASSERT_EQ(lxshrink::shrinkTile(out.p(), in.p(), levels, false, i ? &first : nullptr,
                                       i ? nullptr : &first, 0, EShrink::Denoise),
                  0);
        // Columns whose last writer is this tile.
        const uint32_t to = i + 1 < tiles.size() ? tiles[i + 1].writeBegin : t.writeEnd;
        for (uint32_t x = t.writeBegin; x < to; ++x)
            for (uint32_t y = 0; y < h; ++y)
                ASSERT_EQ(dst.get(x, y, 0), out.get(x - t.spanBegin, y, 0))
                    << "tile " << i << " column " << x;
    }
}

// --- Thresholds ---------------------------------------------------------------

TEST(PicBufDenoise, BandAtOrBelowItsNoisePowerIsCleared)
{
    // A Haar checkerboard: only the diagonal band is not 0.
    TestPic src(64, 64, 8, 1), dst(64, 64, 8, 1), loud(64, 64, 8, 1), quiet(64, 64, 8, 1);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            src.set(x, y, 0, (x + y) % 2 ? 120 : 100);
            loud.set(x, y, 0, (x * 7919u + y * 104729u) % 7 * 40);
            quiet.set(x, y, 0, 0);
        }
    ASSERT_EQ(CLxPicBufAPI::Denoise(dst.p(), src.p(), loud.p(), 1, false, false, 2, 0), 0);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            ASSERT_EQ(dst.get(x, y, 0), 110u);
    // No noise: nothing is taken off.
    ASSERT_EQ(CLxPicBufAPI::Denoise(dst.p(), src.p(), quiet.p(), 1, false, false, 2, 0), 0);
    EXPECT_TRUE(sameSamples(dst, src));
}

TEST(PicBufDenoise, NoiselessResharpeningMultipliesTheDetailsByOneAndAHalf)
{
    const uint32_t n = 64;
    TestPic src(n, n, 8, 1), dst(n, n, 8, 1), zero(n, n, 8, 1);
    fillNoisy(src, 0.0);
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x)
            zero.set(x, y, 0, 0);
    ASSERT_EQ(CLxPicBufAPI::Resharpen(dst.p(), src.p(), zero.p(), 1, false, false, 0, 0), 0);

    double *low = nullptr, *high = nullptr;
    int taps = 0;
    ASSERT_EQ(CLxDaubechies2DWave::GetMotherWavelet(low, &taps, 7), 0);
    ASSERT_EQ(CLxDaubechies2DWave::GetFatherWavelet(high, &taps, 7), 0);
    std::vector<double> plane(n * n);
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x)
            plane[y * n + x] = src.get(x, y, 0);
    double* o[4] = {};
    uint32_t hw = 0, hh = 0, w = 0, h = 0;
    ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0], o[1], o[2], o[3], hw, hh, plane.data(),
                                                      n, n, low, high, 14),
              0);
    for (int b = 0; b < 3; ++b)
        for (size_t i = 0; i < size_t(hw) * hh; ++i)
            o[b][i] *= 1.5;
    double* back = plane.data();
    ASSERT_EQ(CLxWavelet2D::WaveletReconstructionImage(back, w, h, o[0], o[1], o[2], o[3], hw, hh,
                                                       low, high, 14),
              0);
    bool clamped = false;
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x) {
            const double v = std::trunc(std::fmin(std::fmax(plane[y * n + x] + 0.5, 0.0), 255.0));
            clamped = clamped || plane[y * n + x] > 255.0 || plane[y * n + x] < 0.0;
            ASSERT_EQ(dst.get(x, y, 0), uint32_t(v)) << x << "," << y;
        }
    EXPECT_FALSE(sameSamples(dst, src));
    for (double* p : o)
        CLxWavelet2D::FreeBuf(p);
    CLxDaubechies2DWave::FreeWavelet(low);
    CLxDaubechies2DWave::FreeWavelet(high);
}

TEST(PicBufDenoise, ResultsAreHeldToTheSampleRange)
{
    struct Case {
        uint32_t storage, bits;
    } cases[] = {{16, 12}, {8, 7}, {8, 8}};
    for (const Case& c : cases) {
        TestPic src(64, 64, c.storage, 1), dst(64, 64, c.storage, 1);
        src->uiBpc = dst->uiBpc = uint8_t(c.bits);
        const uint32_t top = maxOf(c.bits);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                src.set(x, y, 0, x % 16 < 8 ? top : top / 10);
        ASSERT_EQ(CLxPicBufAPI::ResharpenBlind(dst.p(), src.p(), 2, false, false, 0, 0), 0);
        uint32_t highest = 0, lowest = ~0u;
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                highest = std::max(highest, dst.get(x, y, 0));
                lowest = std::min(lowest, dst.get(x, y, 0));
            }
        EXPECT_EQ(highest, top) << c.bits;
        EXPECT_LT(lowest, top / 10) << c.bits; // the overshoot below the dark side stays
    }
}

// --- Noise pictures -----------------------------------------------------------

TEST(PicBufDenoise, NoisePictureOfAnotherSize)
{
    TestPic src(100, 90, 8, 1), dst(100, 90, 8, 1), noise(64, 128, 8, 1);
    fillNoisy(src, 12.0);
    std::mt19937 gen(3);
    for (uint32_t y = 0; y < 128; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            noise.set(x, y, 0, 100 + gen() % 25);
    EXPECT_EQ(CLxPicBufAPI::Denoise(dst.p(), src.p(), noise.p(), 3, false, false, 0, 0), 0);
    EXPECT_FALSE(sameSamples(dst, src));
    // Coiflets: 18 taps to measure the noise picture with, so two levels on
    // its 64 columns; three are refused.
    EXPECT_EQ(CLxPicBufAPI::Resharpen(dst.p(), src.p(), noise.p(), 2, false, false, 1, 0), 0);
    EXPECT_EQ(CLxPicBufAPI::Resharpen(dst.p(), src.p(), noise.p(), 3, false, false, 1, 0), -9);
}

TEST(PicBufDenoise, NoisePictureRecordIsTheMeanSquareOfEachBand)
{
    const uint32_t w = 64, h = 96, levels = 2;
    TestPic noise(w, h, 8, 1), colour(w, h, 8, 3), odd(w, 90, 8, 1);
    fillNoisy(noise, 20.0);
    SNoiseRecord record;
    ASSERT_EQ(lxshrink::measureNoise(noise.p(), levels, &record, 0), 0);

    double *low = nullptr, *high = nullptr;
    int taps = 0;
    ASSERT_EQ(CLxDaubechies2DWave::GetMotherWavelet(low, &taps, 7), 0);
    ASSERT_EQ(CLxDaubechies2DWave::GetFatherWavelet(high, &taps, 7), 0);
    std::vector<double> plane(w * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            plane[y * w + x] = noise.get(x, y, 0);
    const double* src = plane.data();
    std::vector<double*> owned;
    uint32_t sw = w, sh = h;
    for (uint32_t k = 1; k <= levels; ++k) {
        double* o[4] = {};
        uint32_t hw = 0, hh = 0;
        ASSERT_EQ(CLxWavelet2D::WaveletDecompositionImage(o[0], o[1], o[2], o[3], hw, hh, src, sw,
                                                          sh, low, high, 14),
                  0);
        for (int b = 0; b < 3; ++b)
            EXPECT_EQ(record.band[b][k - 1], LX_MeanSquare(o[b], hw, hh)) << k << " " << b;
        owned.insert(owned.end(), o, o + 4);
        src = o[3];
        sw = hw;
        sh = hh;
    }
    for (double* p : owned)
        CLxWavelet2D::FreeBuf(p);
    CLxDaubechies2DWave::FreeWavelet(low);
    CLxDaubechies2DWave::FreeWavelet(high);

    EXPECT_EQ(lxshrink::measureNoise(noise.p(), 0, &record, 0), 0);
    EXPECT_EQ(lxshrink::measureNoise(noise.p(), 8, &record, 0), -2);
    EXPECT_EQ(lxshrink::measureNoise(colour.p(), 1, &record, 0), -9);
    EXPECT_EQ(lxshrink::measureNoise(odd.p(), 2, &record, 0), -9);
    EXPECT_EQ(lxshrink::measureNoise(nullptr, 2, &record, 0), -9);
}

// --- Components and colour ----------------------------------------------------

// The components of a colour picture, each processed alone.
void perComponent(TestPic& expect, const TestPic& src, const TestPic* noise, uint32_t levels,
                  uint32_t wavelet)
{
    const SLxPicBuf& s = src.rec();
    for (uint32_t c = 0; c < s.uiComps; ++c) {
        TestPic one(s.uiWidth, s.uiHeight, s.uiBpc, 1), out(s.uiWidth, s.uiHeight, s.uiBpc, 1);
        for (uint32_t y = 0; y < s.uiHeight; ++y)
            for (uint32_t x = 0; x < s.uiWidth; ++x)
                one.set(x, y, 0, src.get(x, y, c));
        int status = 0;
        if (noise) {
            const SLxPicBuf& n = noise->rec();
            TestPic nOne(n.uiWidth, n.uiHeight, n.uiBpc, 1);
            for (uint32_t y = 0; y < n.uiHeight; ++y)
                for (uint32_t x = 0; x < n.uiWidth; ++x)
                    nOne.set(x, y, 0, noise->get(x, y, c));
            status =
                CLxPicBufAPI::Denoise(out.p(), one.p(), nOne.p(), levels, false, false, wavelet, 0);
        } else {
            status = CLxPicBufAPI::DenoiseBlind(out.p(), one.p(), levels, false, false, wavelet, 0);
        }
        ASSERT_EQ(status, 0);
        for (uint32_t y = 0; y < s.uiHeight; ++y)
            for (uint32_t x = 0; x < s.uiWidth; ++x)
                expect.set(x, y, c, out.get(x, y, 0));
    }
}

TEST(PicBufDenoise, ComponentsAreProcessedOneByOne)
{
    for (uint32_t comps : {3u, 4u}) {
        TestPic src(72, 64, 8, comps), noise(64, 64, 8, comps), expect(72, 64, 8, comps);
        fillNoisy(src, 14.0, comps);
        fillNoisy(noise, 20.0, comps + 1);
        perComponent(expect, src, nullptr, 2, 0);
        TestPic dst(72, 64, 8, comps), flagged(72, 64, 8, comps);
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 2, false, false, 0, 0), 0);
        EXPECT_TRUE(sameSamples(dst, expect)) << comps;
        // The colour flag on 4 components, and colour mode 0 on 3: the same.
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(flagged.p(), src.p(), 2, false, true, 0, 0), 0);
        EXPECT_TRUE(sameSamples(flagged, expect)) << comps;

        perComponent(expect, src, &noise, 2, 3);
        ASSERT_EQ(CLxPicBufAPI::Denoise(dst.p(), src.p(), noise.p(), 2, false, false, 3, 0), 0);
        EXPECT_TRUE(sameSamples(dst, expect)) << comps;
    }
}

TEST(PicBufDenoise, ColourFlagOnOneComponentChangesNothing)
{
    TestPic src(64, 64, 16, 1), a(64, 64, 16, 1), b(64, 64, 16, 1);
    fillNoisy(src, 900.0);
    ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(a.p(), src.p(), 2, true, false, 1, 0), 0);
    ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(b.p(), src.p(), 2, true, true, 1, 2), 0);
    EXPECT_TRUE(sameSamples(a, b));
}

TEST(PicBufDenoise, ColourSpacesRoundTrip)
{
    // A grey picture with mild noise: every colour space brings it back to
    // close to its own denoised self.
    TestPic src(64, 64, 8, 3), plain(64, 64, 8, 3);
    fillNoisy(src, 6.0);
    ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(plain.p(), src.p(), 2, false, false, 0, 0), 0);
    for (uint32_t mode : {1u, 2u}) {
        TestPic dst(64, 64, 8, 3);
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 2, false, true, 0, mode), 0);
        double sum = 0.0;
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                for (uint32_t c = 0; c < 3; ++c)
                    sum += std::abs(double(dst.get(x, y, c)) - double(plain.get(x, y, c)));
        EXPECT_LT(sum / (64 * 64 * 3), 12.0) << "mode " << mode;
    }
    // A mode above 2: nothing converted, nothing written.
    TestPic dst(64, 64, 8, 3);
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 2, false, true, 0, 3), 0);
    EXPECT_EQ(dst.bytes(), before);
}

TEST(PicBufDenoise, ColourPicturesOfOtherDepths)
{
    // The colour-space conversions take 8 and 9-16 bits only; their -9
    // comes back before the destination is written.
    struct Case {
        uint32_t storage, bits, mode;
        int expect;
    } cases[] = {{16, 12, 0, 0}, {16, 12, 1, 0}, {16, 16, 2, 0}, {8, 7, 0, 0}, {8, 6, 2, -9}};
    for (const Case& c : cases) {
        TestPic src(64, 64, c.storage, 3), dst(64, 64, c.storage, 3);
        src->uiBpc = dst->uiBpc = uint8_t(c.bits);
        fillNoisy(src, maxOf(c.bits) / 40.0);
        const auto before = dst.bytes();
        ASSERT_EQ(CLxPicBufAPI::DenoiseBlind(dst.p(), src.p(), 2, false, true, 0, c.mode), c.expect)
            << c.bits << " bits, mode " << c.mode;
        if (c.expect != 0) {
            EXPECT_EQ(dst.bytes(), before);
            continue;
        }
        uint32_t highest = 0;
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                for (uint32_t k = 0; k < 3; ++k)
                    highest = std::max(highest, dst.get(x, y, k));
        EXPECT_LE(highest, maxOf(c.bits)) << c.bits << " bits, mode " << c.mode;
        EXPECT_GT(highest, maxOf(c.bits) / 4) << c.bits << " bits, mode " << c.mode;
    }
}

} // namespace

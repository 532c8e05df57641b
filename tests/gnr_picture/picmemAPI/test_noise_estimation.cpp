#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "gnr_picture/picmemAPI/LxNoiseStatistics.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

constexpr double kMad = 1.4825796886582654;

TEST(NoiseStatistics, MeanSquareAndMedianAbsoluteDeviation)
{
    const double v[4] = {-3.0, 1.0, 2.0, -4.0};
    EXPECT_EQ(LX_MeanSquare(v, 2, 2), 30.0 / 4.0);
    EXPECT_EQ(LX_NoiseSigmaMAD(v, 2, 2), 3.0 * kMad);
    EXPECT_EQ(LX_NoiseSigmaMAD(v, 4, 1), 3.0 * kMad);
    const double odd[3] = {5.0, -1.0, 2.0};
    EXPECT_EQ(LX_NoiseSigmaMAD(odd, 3, 1), 2.0 * kMad);
    // Nothing to rate.
    EXPECT_EQ(LX_MeanSquare(nullptr, 2, 2), 0.0);
    EXPECT_EQ(LX_MeanSquare(v, 0, 2), 0.0);
    EXPECT_EQ(LX_NoiseSigmaMAD(nullptr, 2, 2), 0.0);
    EXPECT_EQ(LX_NoiseSigmaMAD(v, 2, 0), 0.0);
    const double withNaN[2] = {1.0, std::nan("")};
    EXPECT_EQ(LX_NoiseSigmaMAD(withNaN, 2, 1), 0.0);
}

TEST(NoiseStatistics, SoftThresholds)
{
    struct Case {
        double x, t, soft, boost;
    } cases[] = {{5.0, 2.0, 3.0, 4.5},   {-5.0, 2.0, -3.0, -4.5}, {2.0, 2.0, 0.0, 0.0},
                 {-1.5, 2.0, 0.0, 0.0},  {0.0, 0.0, 0.0, 0.0},    {7.0, 0.0, 7.0, 10.5},
                 {1e10, 1e300, 0.0, 0.0}};
    for (const Case& c : cases) {
        double a = c.x;
        double b = c.x;
        LX_SoftThreshold(&a, 1, 1, c.t);
        LX_SoftThresholdBoost(&b, 1, 1, c.t);
        EXPECT_EQ(a, c.soft) << c.x << " " << c.t;
        EXPECT_EQ(b, c.boost) << c.x << " " << c.t;
    }
}

// An 8- or 16-bit picture of comps components: a smooth ramp with noise in
// component 0, something else in the others.
struct Picture {
    uint32_t w, h, comps, bits, pitch;
    std::vector<uint8_t> bytes;

    Picture(uint32_t w_, uint32_t h_, uint32_t comps_, uint32_t bits_, uint32_t seed = 1)
        : w(w_), h(h_), comps(comps_), bits(bits_),
          pitch((w_ * comps_ * (bits_ > 8 ? 2 : 1) + 3) / 4 * 4), bytes(size_t(pitch) * h_, 0xEE)
    {
        std::mt19937 gen(seed);
        std::normal_distribution<double> noise(0.0, 6.0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (uint32_t c = 0; c < comps; ++c) {
                    const double v = c == 0 ? 100.0 + 0.3 * x + 0.2 * y + noise(gen) : 7.0 * c + x;
                    set(x, y, c, uint32_t(std::lround(std::fmax(v, 0.0))));
                }
    }
    void set(uint32_t x, uint32_t y, uint32_t c, uint32_t v)
    {
        uint8_t* p = bytes.data() + size_t(y) * pitch;
        if (bits <= 8)
            p[x * comps + c] = uint8_t(v);
        else {
            const uint16_t s = uint16_t(v);
            std::memcpy(p + 2 * (x * comps + c), &s, 2);
        }
    }
    uint32_t get(uint32_t x, uint32_t y, uint32_t c) const
    {
        const uint8_t* p = bytes.data() + size_t(y) * pitch;
        if (bits <= 8)
            return p[x * comps + c];
        uint16_t s;
        std::memcpy(&s, p + 2 * (x * comps + c), 2);
        return s;
    }
    double rate() const
    {
        return CLxPicMemAPI::GetNoiseEstimation(bytes.data(), comps, bits, pitch, w, h);
    }
};

TEST(NoiseEstimation, RefusesWithoutReading)
{
    // One byte of memory: any read of a 63 x 1000 picture would be caught.
    const uint8_t one = 0;
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(&one, 1, 8, 64, 63, 1000), -1.0);
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(&one, 1, 8, 1000, 1000, 63), -1.0);
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(nullptr, 1, 8, 64, 64, 64), -1.0);
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(&one, 0, 8, 64, 64, 64), -1.0);
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(&one, 1, 7, 64, 64, 64), -1.0);
    EXPECT_EQ(CLxPicMemAPI::GetNoiseEstimation(&one, 1, 17, 256, 64, 64), -1.0);
}

TEST(NoiseEstimation, NoisyPictureRatesAboveZero)
{
    const Picture p(96, 80, 1, 8);
    EXPECT_GT(p.rate(), 0.0);
}

TEST(NoiseEstimation, OddSidesAreRatedOnTheirEvenPart)
{
    Picture big(65, 65, 1, 8, 3);
    Picture small(64, 64, 1, 8, 3);
    // The same first 64 x 64 samples.
    for (uint32_t y = 0; y < 64; ++y)
        std::memcpy(small.bytes.data() + size_t(y) * small.pitch,
                    big.bytes.data() + size_t(y) * big.pitch, 64);
    EXPECT_EQ(big.rate(), small.rate());
}

// All detail bands hold the plane's value times the sum of the high-pass
// taps, which the stored taps leave at about 1e-17 instead of 0: the
// rating is then about 1e-27, not exactly 0.
TEST(NoiseEstimation, ConstantPictureHasNoNoise)
{
    for (uint32_t bits : {8u, 12u}) {
        Picture p(70, 66, 1, bits);
        for (uint32_t y = 0; y < 66; ++y)
            for (uint32_t x = 0; x < 70; ++x)
                p.set(x, y, 0, 77);
        const double r = p.rate();
        EXPECT_GE(r, 0.0) << bits;
        EXPECT_LT(r, 1e-20) << bits;
    }
}

TEST(NoiseEstimation, BlackPictureHasNoScale)
{
    Picture p(64, 64, 1, 8);
    std::fill(p.bytes.begin(), p.bytes.end(), 0);
    EXPECT_EQ(p.rate(), -1.0);
}

TEST(NoiseEstimation, DoubledSamplesRateTheSame)
{
    const Picture once(80, 72, 1, 16, 5);
    Picture twice(80, 72, 1, 16, 5);
    for (uint32_t y = 0; y < 72; ++y)
        for (uint32_t x = 0; x < 80; ++x)
            twice.set(x, y, 0, 2 * once.get(x, y, 0));
    EXPECT_GT(once.rate(), 0.0);
    EXPECT_EQ(once.rate(), twice.rate());
}

TEST(NoiseEstimation, OnlyTheFirstComponentIsRated)
{
    for (uint32_t bits : {8u, 16u}) {
        const Picture colour(72, 64, 3, bits, 9);
        Picture grey(72, 64, 1, bits, 9);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 72; ++x)
                grey.set(x, y, 0, colour.get(x, y, 0));
        EXPECT_EQ(colour.rate(), grey.rate()) << bits;
    }
}

} // namespace

// Amplitude and phase of complex values: the arc cosine is the nearest
// float, and the vector path gives the plain loop's floats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxAmpPhase.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

float fromBits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace

// Every 257th float of [-1, 1] and the ends and branch points: the double
// arc cosine rounded once.
TEST(AmpPhase, ArcCosineIsTheNearestFloat)
{
    for (float x : {-1.0f, -0.5f, -0.0f, 0.0f, 0.5f, 1.0f, std::nextafter(0.5f, 1.0f),
                    std::nextafter(1.0f, 0.0f), 1e-30f})
        EXPECT_EQ(lxpic::acosNearest(x), float(std::acos(double(x)))) << x;
    for (uint32_t bits = 0; bits <= 0x3f800000u; bits += 257)
        for (uint32_t sign : {0u, 0x80000000u}) {
            const float x = fromBits(bits | sign);
            ASSERT_EQ(lxpic::acosNearest(x), float(std::acos(double(x)))) << x;
        }
    EXPECT_TRUE(std::isnan(lxpic::acosNearest(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(lxpic::acosNearest(std::numeric_limits<float>::infinity())));
}

TEST(AmpPhase, AxesAndQuadrants)
{
    struct Case {
        float re, im, amplitude, phase;
    } cases[] = {{-1, 0, 1, 3.1415925f},
                 {0, -1, 1, 6.283185f - float(M_PI / 2)},
                 {2, 0, 2, 0},
                 {0, 0, 0, 0},
                 {0, 3, 3, float(M_PI / 2)}};
    for (const Case& c : cases) {
        float a = -1, p = -1;
        lxpic::ampAndPhase(c.re, c.im, &a, &p);
        EXPECT_EQ(a, c.amplitude) << c.re << "," << c.im;
        EXPECT_FLOAT_EQ(p, c.phase) << c.re << "," << c.im;
    }
}

// Whole vectors and a tail, written with a stride, on either instruction
// set: the plain function's floats, NaN and underflowing values included.
TEST(AmpPhase, PairsGiveThePlainFloatsOnEitherInstructionSet)
{
    std::mt19937 gen(3);
    std::uniform_real_distribution<float> d(-100.0f, 100.0f);
    std::vector<float> pairs(2 * 37);
    for (float& v : pairs)
        v = d(gen);
    const float specials[] = {0, 0,     -1,   0, 5, 0, 0, -2, 1e-30f, 1e-30f, std::nanf(""),
                              1, 3e38f, 3e38f};
    std::memcpy(pairs.data() + 20, specials, sizeof specials);
    const size_t count = pairs.size() / 2, stride = 3;
    const bool was = lxpic::avx2PathsAllowed();
    for (bool avx2 : {false, true}) {
        lxpic::avx2PathsAllowed() = avx2;
        std::vector<float> amplitude(count * stride, -7.0f), phase(count * stride, -7.0f);
        lxpic::ampAndPhasePairs(pairs.data(), count, amplitude.data(), phase.data(), stride);
        for (size_t i = 0; i < count; ++i) {
            float a, p;
            lxpic::ampAndPhase(pairs[2 * i], pairs[2 * i + 1], &a, &p);
            EXPECT_EQ(std::memcmp(&amplitude[i * stride], &a, sizeof a), 0)
                << i << " avx2 " << avx2;
            EXPECT_EQ(std::memcmp(&phase[i * stride], &p, sizeof p), 0) << i << " avx2 " << avx2;
            EXPECT_EQ(amplitude[i * stride + 1], -7.0f) << "stride gap at " << i;
        }
    }
    lxpic::avx2PathsAllowed() = was;
}

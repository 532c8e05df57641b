// Convolution (unsigned and signed with offset) and gradient workers: the
// interior and border members together against the per-pixel rule, and the
// worked examples.
#include <gtest/gtest.h>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace filtertest;

namespace
{

struct ConvCase {
    const char* label;
    std::unique_ptr<SLxKernel> (*make)();
    int32_t divisor;
};

const ConvCase kConv[] = {
    {"Square3 /0", [] { return squareKernel(3); }, 0},
    {"Laplace4",
     [] {
         return makeKernel(3, 3, 1, 1, {0, -1, 0, -1, 4, -1, 0, -1, 0});
     },
     1},
    {"Sharp /-3",
     [] {
         return makeKernel(3, 3, 1, 1, {0, -1, 0, -1, 5, -1, 0, -1, 0});
     },
     -3},
    {"3x5 at (0,3) /7",
     [] {
         return makeKernel(3, 5, 0, 3, {2, 0, -3, 1, 0, 0, 4, 0, 0, -1, 1, 0, 0, 5, 1});
     },
     7},
    {"Square15 /0", [] { return squareKernel(15); }, 0},
};

// The rule: the weighted sum, the divisor (0: the count), rounding half the
// divisor, truncated toward zero.
int64_t divided(int64_t s, int32_t divisor, uint32_t count)
{
    const int64_t d = divisor != 0 ? int64_t(divisor) : (count ? int64_t(count) : 1);
    return d == 1 ? s : (s + d / 2) / d;
}

uint32_t setCount(const SLxKernel& k)
{
    uint32_t n = 0;
    for (uint32_t i = 0; i < k.uiNRows * k.uiNCols; ++i)
        n += k.ubMask[i] != 0;
    return n;
}

int64_t weighted(const TestPic& p, const SLxKernel& k, uint32_t x, uint32_t y, uint32_t c)
{
    return fold(p, k, x, y, c, 0, [](int64_t a, int64_t v, int32_t w) { return a + v * w; });
}

struct Format {
    uint32_t bits, comps, width, height;
};

class ConvolutionWorkers : public ::testing::TestWithParam<std::tuple<size_t, Format>>
{
};

TEST_P(ConvolutionWorkers, InteriorAndStripsEqualTheRule)
{
    const auto& cc = kConv[std::get<0>(GetParam())];
    const Format f = std::get<1>(GetParam());
    const auto k = cc.make();
    const auto src = patterned(f.width, f.height, f.bits, f.comps, 9);
    const bool eight = f.bits == 8;
    const int64_t top = CLxPicMemAPI::CalcUintMax(f.bits);
    const int64_t lowest = CLxPicMemAPI::CalcIntMin(f.bits),
                  highest = CLxPicMemAPI::CalcIntMax(f.bits);
    const uint32_t flip = eight ? 0x80 : 0x8000;
    const uint32_t shift = uint32_t(lowest - (eight ? -128 : -32768));
    const auto u = blankLike(*src), s = blankLike(*src);
    if (eight) {
        ASSERT_EQ(ConvolveInterior_8(u->p(), src->p(), k.get(), cc.divisor, uint32_t(top)), 0);
        ASSERT_EQ(Convolve_8(u->p(), src->p(), k.get(), cc.divisor, uint32_t(top)), 0);
        ASSERT_EQ(ConvolveSignedInterior_8(s->p(), src->p(), k.get(), cc.divisor, int32_t(lowest),
                                           int32_t(highest), flip, shift),
                  0);
        ASSERT_EQ(ConvolveSigned_8(s->p(), src->p(), k.get(), cc.divisor, int32_t(lowest),
                                   int32_t(highest), flip, shift),
                  0);
    } else {
        ASSERT_EQ(ConvolveInterior_16(u->p(), src->p(), k.get(), cc.divisor, uint32_t(top)), 0);
        ASSERT_EQ(Convolve_16(u->p(), src->p(), k.get(), cc.divisor, uint32_t(top)), 0);
        ASSERT_EQ(ConvolveSignedInterior_16(s->p(), src->p(), k.get(), cc.divisor, int32_t(lowest),
                                            int32_t(highest), flip, shift),
                  0);
        ASSERT_EQ(ConvolveSigned_16(s->p(), src->p(), k.get(), cc.divisor, int32_t(lowest),
                                    int32_t(highest), flip, shift),
                  0);
    }
    EXPECT_TRUE(u->paddingIntact());
    for (uint32_t y = 0; y < f.height; ++y)
        for (uint32_t x = 0; x < f.width; ++x)
            for (uint32_t c = 0; c < f.comps; ++c) {
                const int64_t v = divided(weighted(*src, *k, x, y, c), cc.divisor, setCount(*k));
                ASSERT_EQ(u->get(x, y, c), uint32_t(clampTo(v, 0, top))) << x << "," << y;
                ASSERT_EQ(s->get(x, y, c), uint32_t(clampTo(v, lowest, highest) - lowest))
                    << x << "," << y;
            }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, ConvolutionWorkers,
    ::testing::Combine(::testing::Range<size_t>(0, std::size(kConv)),
                       ::testing::Values(Format{8, 1, 1, 1}, Format{8, 3, 19, 11},
                                         Format{12, 1, 16, 17}, Format{16, 2, 5, 3})));

TEST(ConvolutionWorkedExamples, Square3MeanAndLaplaceOfAConstant)
{
    TestPic src(3, 3, 8, 1), dst(3, 3, 8, 1);
    uint32_t sum = 0;
    for (uint32_t i = 0; i < 9; ++i) {
        src.set(i % 3, i / 3, 0, 10 + i * 3);
        sum += 10 + i * 3;
    }
    const auto k = squareKernel(3);
    ASSERT_EQ(ConvolveInterior_8(dst.p(), src.p(), k.get(), 0, 255), 0);
    EXPECT_EQ(dst.get(1, 1, 0), (sum + 4) / 9);
    const auto lap = kConv[1].make();
    TestPic flat(6, 5, 16, 1), out(6, 5, 16, 1);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            flat.set(x, y, 0, 3000);
    ASSERT_EQ(ConvolveInterior_16(out.p(), flat.p(), lap.get(), 1, 4095), 0);
    ASSERT_EQ(Convolve_16(out.p(), flat.p(), lap.get(), 1, 4095), 0);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(out.get(x, y, 0), 0u);
}

TEST(ConvolutionWorkedExamples, SignedResultsCarryTheOffset)
{
    // A single weight w at the anchor gives the response w x sample.
    struct Case {
        uint32_t bits;
        int32_t weight;
        uint32_t sample, want;
    };
    for (const Case c : {Case{12, 0, 5, 2048}, Case{12, -1, 2048, 0}, Case{12, -1, 4095, 0},
                         Case{12, 1, 2047, 4095}, Case{12, 2, 3000, 4095}, Case{8, 0, 9, 128},
                         Case{8, 1, 100, 228}, Case{16, -1, 1, 32767}}) {
        TestPic src(1, 1, c.bits, 1), dst(1, 1, c.bits, 1);
        src.set(0, 0, 0, c.sample);
        auto k = makeKernel(1, 1, 0, 0, {c.weight});
        k->ubMask[0] = 1;
        const int32_t lo = CLxPicMemAPI::CalcIntMin(c.bits), hi = CLxPicMemAPI::CalcIntMax(c.bits);
        if (c.bits == 8)
            ASSERT_EQ(ConvolveSignedInterior_8(dst.p(), src.p(), k.get(), 1, lo, hi, 0x80, 0), 0);
        else
            ASSERT_EQ(ConvolveSignedInterior_16(dst.p(), src.p(), k.get(), 1, lo, hi, 0x8000,
                                                uint32_t(lo + 32768)),
                      0);
        EXPECT_EQ(dst.get(0, 0, 0), c.want) << c.bits << " " << c.weight << " " << c.sample;
    }
}

TEST(ConvolutionWorkedExamples, ThirtyTwoBitSamples)
{
    const auto k = kConv[3].make();
    const auto src = patterned(9, 6, 20, 1, 2);
    const auto dst = blankLike(*src);
    const int32_t lo = CLxPicMemAPI::CalcIntMin(20), hi = CLxPicMemAPI::CalcIntMax(20);
    const uint32_t shift = uint32_t(int64_t(lo) + 2147483648LL);
    ASSERT_EQ(ConvolveSigned_32A(dst->p(), src->p(), k.get(), 7, lo, hi, 0x80000000u, shift), 0);
    ASSERT_EQ(ConvolveSigned_32B(dst->p(), src->p(), k.get(), 7, lo, hi, 0x80000000u, shift), 0);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            const int64_t v = divided(weighted(*src, *k, x, y, 0), 7, setCount(*k));
            ASSERT_EQ(dst->get(x, y, 0), uint32_t(clampTo(v, lo, hi) - lo));
        }
    // A kernel larger than the picture: the interior member writes nothing.
    const auto big = squareKernel(11);
    const auto before = dst->bytes();
    ASSERT_EQ(ConvolveSigned_32A(dst->p(), src->p(), big.get(), 0, lo, hi, 0x80000000u, shift), 0);
    EXPECT_EQ(dst->bytes(), before);
}

// |gx| + |gy| by compass neighbours with clamped coordinates.
uint32_t gradient(const TestPic& p, int64_t x, int64_t y, uint32_t c, int64_t top)
{
    const SLxPicBuf& r = p.rec();
    const auto at = [&](int64_t dx, int64_t dy) {
        return int64_t(p.get(uint32_t(clampTo(x + dx, 0, r.uiWidth - 1)),
                             uint32_t(clampTo(y + dy, 0, r.uiHeight - 1)), c));
    };
    const int64_t gx =
        2 * (at(1, 0) - at(-1, 0)) + (at(1, -1) - at(-1, -1)) + (at(1, 1) - at(-1, 1));
    const int64_t gy =
        2 * (at(0, 1) - at(0, -1)) + (at(1, 1) - at(1, -1)) + (at(-1, 1) - at(-1, -1));
    return uint32_t(std::min(std::abs(gx) + std::abs(gy), top));
}

TEST(EdgeWorkers, InteriorAndStripsEqualTheRule)
{
    const auto k = makeKernel(3, 3, 1, 1, {-1, -2, 1, -2, 0, 2, -1, 2, 1});
    for (const Format f : {Format{8, 1, 1, 1}, Format{8, 3, 17, 9}, Format{8, 1, 2, 7},
                           Format{12, 1, 13, 8}, Format{16, 2, 6, 3}}) {
        const auto src = patterned(f.width, f.height, f.bits, f.comps, 4);
        const auto dst = blankLike(*src);
        const uint32_t top = CLxPicMemAPI::CalcUintMax(f.bits);
        if (f.bits == 8) {
            ASSERT_EQ(EdgesDetectInterior_8(dst->p(), src->p(), k.get(), top), 0);
            ASSERT_EQ(EdgesDetect_8(dst->p(), src->p(), k.get(), top), 0);
        } else {
            ASSERT_EQ(EdgesDetectInterior_16(dst->p(), src->p(), k.get(), top), 0);
            ASSERT_EQ(EdgesDetect_16(dst->p(), src->p(), k.get(), top), 0);
        }
        EXPECT_TRUE(dst->paddingIntact());
        for (uint32_t y = 0; y < f.height; ++y)
            for (uint32_t x = 0; x < f.width; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(dst->get(x, y, c), gradient(*src, x, y, c, top))
                        << f.bits << " " << x << "," << y;
    }
    // A constant picture has no gradient, borders included.
    TestPic flat(7, 4, 8, 1), out(7, 4, 8, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            flat.set(x, y, 0, 200);
    ASSERT_EQ(EdgesDetectInterior_8(out.p(), flat.p(), k.get(), 255), 0);
    ASSERT_EQ(EdgesDetect_8(out.p(), flat.p(), k.get(), 255), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            EXPECT_EQ(out.get(x, y, 0), 0u);
}

} // namespace

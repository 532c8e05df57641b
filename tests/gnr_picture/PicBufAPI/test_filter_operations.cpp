// The neighbourhood operations of CLxPicBufAPI: the frame they share
// (checks, depths, repetition, a source that stays as it was) and each
// filter against a plain per-pixel reference with clamped coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include "filter_test_support.h"

namespace
{

using filtertest::blankLike;
using filtertest::clampTo;
using filtertest::fold;
using filtertest::makeKernel;
using filtertest::patterned;
using filtertest::squareKernel;
using picbuftest::maxOf;
using picbuftest::TestPic;

using Operation = std::function<int(SLxPicBuf*, const SLxPicBuf*)>;

struct NamedOperation {
    const char* name;
    Operation run;
};

std::vector<NamedOperation> allOperations()
{
    const SLxKernel* sq3 = &CLxPicBufAPI::Square3;
    return {
        {"Convolution", [=](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::Convolution(d, s, &CLxPicBufAPI::Laplace4, 1);
         }},
        {"ConvolutionCount", [=](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::Convolution(d, s, sq3, 0, 2);
         }},
        {"ConvolutionEx", [=](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::ConvolutionEx(d, s, &CLxPicBufAPI::Laplace4, 1);
         }},
        {"EdgesDetect", [](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::EdgesDetect(d, s);
         }},
        {"Relief", [](SLxPicBuf* d, const SLxPicBuf* s) { return CLxPicBufAPI::Relief(d, s, 1, 2); }},
        {"GolayFilter", [](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::GolayFilter(d, s, 5, 0);
         }},
        {"Sharpen", [](SLxPicBuf* d, const SLxPicBuf* s) { return CLxPicBufAPI::Sharpen(d, s); }},
        {"SharpenSlightly", [](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::SharpenSlightly(d, s);
         }},
        {"Median", [](SLxPicBuf* d, const SLxPicBuf* s) { return CLxPicBufAPI::Median(d, s); }},
        {"SmoothSquare", [=](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::Smooth(d, s, sq3);
         }},
        {"SmoothOct4", [](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::Smooth(d, s, &CLxPicBufAPI::Oct4);
         }},
        {"SmoothCount", [=](SLxPicBuf* d, const SLxPicBuf* s) {
             return CLxPicBufAPI::Smooth(d, s, &CLxPicBufAPI::Oct5, 3);
         }},
    };
}

// --- The frame ------------------------------------------------------------------

TEST(FilterFrame, RefusedAndSkippedPicturesLeaveTheDestinationAsItWas)
{
    for (const NamedOperation& op : allOperations()) {
        SCOPED_TRACE(op.name);
        const auto src = patterned(9, 8, 8, 1);
        // Another size, another depth, another component count, no picture.
        for (auto [h, bits, comps] :
             {std::tuple{7u, 8u, 1u}, std::tuple{8u, 12u, 1u}, std::tuple{8u, 8u, 3u}}) {
            const auto d = patterned(9, h, bits, comps, 5);
            const auto before = d->bytes();
            EXPECT_EQ(op.run(d->p(), src->p()), -9);
            EXPECT_EQ(d->bytes(), before);
        }
        EXPECT_EQ(op.run(nullptr, src->p()), -9);
        const auto d = patterned(9, 8, 8, 1, 5);
        EXPECT_EQ(op.run(d->p(), nullptr), -9);

        // 7 bits: nothing to do.
        const auto src7 = patterned(9, 8, 7, 1), dst7 = patterned(9, 8, 7, 1, 5);
        const auto before7 = dst7->bytes();
        // (the Savitzky-Golay filter refuses them).
        const bool golay = std::string(op.name) == "GolayFilter";
        EXPECT_EQ(op.run(dst7->p(), src7->p()), golay ? -2 : 0);
        EXPECT_EQ(dst7->bytes(), before7);

        // Memory short of the lines the record claims.
        const auto dst = patterned(9, 8, 8, 1, 5);
        const auto beforeShort = dst->bytes();
        const uint32_t size = src->rec().uiSize;
        src->p()->uiSize = src->rec().uiWidthBytes * 7;
        EXPECT_EQ(op.run(dst->p(), src->p()), -9);
        src->p()->uiSize = size;
        EXPECT_EQ(dst->bytes(), beforeShort);
    }
}

TEST(FilterFrame, SeventeenBitsAndMoreAreRefusedButBySignedConvolution)
{
    for (const NamedOperation& op : allOperations()) {
        SCOPED_TRACE(op.name);
        const auto src = patterned(9, 8, 20, 1), dst = patterned(9, 8, 20, 1, 5);
        const auto before = dst->bytes();
        const int status = op.run(dst->p(), src->p());
        if (std::string(op.name) == "ConvolutionEx") {
            EXPECT_EQ(status, 0);
            EXPECT_TRUE(dst->paddingIntact());
        } else {
            EXPECT_EQ(status, -2);
            EXPECT_EQ(dst->bytes(), before);
        }
    }
}

TEST(FilterFrame, SourceStaysAndInPlaceMatchesDistinctPictures)
{
    for (const NamedOperation& op : allOperations())
        for (auto [bits, comps] : {std::pair{8u, 1u}, std::pair{12u, 3u}}) {
            SCOPED_TRACE(op.name);
            const auto src = patterned(13, 11, bits, comps);
            const auto before = src->bytes();
            const auto dst = blankLike(*src);
            ASSERT_EQ(op.run(dst->p(), src->p()), 0);
            EXPECT_EQ(src->bytes(), before);
            EXPECT_TRUE(dst->paddingIntact());
            // The same record as destination and source.
            ASSERT_EQ(op.run(src->p(), src->p()), 0);
            for (uint32_t y = 0; y < 11; ++y)
                for (uint32_t x = 0; x < 13; ++x)
                    ASSERT_EQ(src->pixel(x, y), dst->pixel(x, y)) << x << "," << y;
        }
}

TEST(FilterFrame, KernelsThatDoNotFitAreRefused)
{
    const auto src = patterned(6, 4, 8, 1), dst = blankLike(*src);
    const auto before = dst->bytes();
    const auto tall = squareKernel(5);
    EXPECT_EQ(CLxPicBufAPI::Convolution(dst->p(), src->p(), tall.get(), 0), -9);
    EXPECT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), tall.get()), -9);
    EXPECT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), nullptr), -9);
    EXPECT_EQ(CLxPicBufAPI::Convolution(dst->p(), src->p(), nullptr, 1), -9);
    auto centreOutside = squareKernel(3);
    centreOutside->uiCenterCol = 3;
    EXPECT_EQ(CLxPicBufAPI::Convolution(dst->p(), src->p(), centreOutside.get(), 1), -9);
    EXPECT_EQ(CLxPicBufAPI::ConvolutionEx(dst->p(), src->p(), centreOutside.get(), 1), -9);
    auto tooMany = squareKernel(3);
    tooMany->uiNRows = 101;
    tooMany->uiNCols = 100;
    EXPECT_EQ(CLxPicBufAPI::ConvolutionEx(dst->p(), src->p(), tooMany.get(), 1), -9);
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(tooMany.get(), 8), uint32_t(-9));
    EXPECT_EQ(dst->bytes(), before);
    // The signed convolution needs only each side of the centre to fit.
    const auto wide = squareKernel(11); // five on each side
    EXPECT_EQ(CLxPicBufAPI::ConvolutionEx(dst->p(), src->p(), wide.get(), 1), -9);
    const auto seven = squareKernel(7); // three on each side
    EXPECT_EQ(CLxPicBufAPI::ConvolutionEx(dst->p(), src->p(), seven.get(), 0), 0);
}

// --- References -------------------------------------------------------------------

int64_t divided(int64_t sum, int32_t divisor, uint32_t n)
{
    const int64_t d = divisor != 0 ? int64_t(divisor) : (n ? int64_t(n) : 1);
    return d == 1 ? sum : (sum + d / 2) / d;
}

uint32_t setCount(const SLxKernel& k)
{
    uint32_t n = 0;
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        n += k.ubMask[e] != 0;
    return n;
}

int64_t weightedSum(const TestPic& p, const SLxKernel& k, uint32_t x, uint32_t y, uint32_t c)
{
    return fold(p, k, x, y, c, 0, [](int64_t a, int64_t v, int32_t w) { return a + v * w; });
}

// The unsigned convolution, or with signedRange its biased signed form.
std::unique_ptr<TestPic> convolved(const TestPic& src, const SLxKernel& k, int32_t divisor,
                                   bool signedRange)
{
    auto out = blankLike(src);
    const SLxPicBuf& r = src.rec();
    const int64_t top = maxOf(r.uiBpc), half = int64_t(1) << (r.uiBpc - 1);
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            for (uint32_t c = 0; c < r.uiComps; ++c) {
                const int64_t v = divided(weightedSum(src, k, x, y, c), divisor, setCount(k));
                out->set(x, y, c,
                         uint32_t(signedRange ? clampTo(v, -half, half - 1) + half
                                              : clampTo(v, 0, top)));
            }
    return out;
}

void expectSamePixels(const TestPic& a, const TestPic& b)
{
    const SLxPicBuf& r = a.rec();
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << "at " << x << "," << y;
}

struct KernelCase {
    const char* label;
    std::function<std::unique_ptr<SLxKernel>()> make;
    int32_t divisor;
};

std::unique_ptr<SLxKernel> copyOf(const SLxKernel& k)
{
    return std::make_unique<SLxKernel>(k);
}

std::vector<KernelCase> kernelCases()
{
    return {
        {"Oct4", [] { return copyOf(CLxPicBufAPI::Oct4); }, 0},
        {"Square2", [] { return copyOf(CLxPicBufAPI::Square2); }, 0},
        {"Laplace4", [] { return copyOf(CLxPicBufAPI::Laplace4); }, 1},
        {"Square3", [] { return copyOf(CLxPicBufAPI::Square3); }, 0},
        {"DetectEdge", [] { return copyOf(CLxPicBufAPI::DetectEdge); }, 3},
        {"PelvanFilter", [] { return copyOf(CLxPicBufAPI::PelvanFilter); }, 7},
        {"Pelvan-7", [] { return copyOf(CLxPicBufAPI::PelvanFilter); }, -7},
        // Sums of 16-bit samples beyond 2^24: the exact division's wide path.
        {"heavy",
         [] {
             return makeKernel(3, 3, 1, 1, {300, -200, 100, 50, 900, -700, 1, 2, 3});
         },
         -13},
        {"3x4 at (0,3)",
         [] {
             return makeKernel(3, 4, 0, 3, {1, 2, 0, -3, 4, 0, 1, 1, -1, 2, 3, 0});
         },
         5},
        // Zero weights among the set elements: they still count for divisor 0.
        {"5x5 with zeros",
         [] {
             return makeKernel(5, 5, 2, 2, {0, 0,  -1, 0, 0, 0, 1, 2, 1, 0,  -1, 2, 5,
                                            2, -1, 0,  1, 2, 1, 0, 0, 0, -1, 0,  0});
         },
         0},
        // Weight magnitudes summing to 128 and 129: 16-bit lanes for byte
        // samples up to 128 only.
        {"1x5 of 128",
         [] {
             return makeKernel(1, 5, 0, 2, {25, 25, 26, 26, 26});
         },
         128},
        {"1x5 of 129",
         [] {
             return makeKernel(1, 5, 0, 2, {-25, 25, 26, 26, 27});
         },
         129},
    };
}

// The largest byte samples under the largest weight sums keep every bit.
TEST(Convolution, FullBytesUnderTheLargestNarrowWeights)
{
    for (const auto& [weights, divisor] :
         {std::pair{std::vector<int32_t>{25, 25, 26, 26, 26}, 128},
          std::pair{std::vector<int32_t>{25, 25, 26, 26, 27}, 129},
          std::pair{std::vector<int32_t>{-25, -25, -26, -26, -27}, -129}}) {
        SCOPED_TRACE(divisor);
        TestPic src(37, 3, 8, 1), dst(37, 3, 8, 1);
        std::memset(src->pData, 255, src->uiSize);
        const auto k = makeKernel(1, 5, 0, 2, weights);
        ASSERT_EQ(CLxPicBufAPI::Convolution(dst.p(), src.p(), k.get(), divisor), 0);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 37; ++x)
                ASSERT_EQ(dst.get(x, y, 0), 255u) << x << "," << y;
    }
}

TEST(Convolution, MatchesTheClampedReference)
{
    for (const KernelCase& kc : kernelCases())
        for (auto [bits, comps] : {std::pair{8u, 1u}, std::pair{8u, 3u}, std::pair{12u, 1u},
                                   std::pair{16u, 4u}}) {
            SCOPED_TRACE(testing::Message() << kc.label << " " << bits << "x" << comps);
            const auto k = kc.make();
            const auto src = patterned(17, 9, bits, comps, 3);
            const auto dst = blankLike(*src);
            ASSERT_EQ(CLxPicBufAPI::Convolution(dst->p(), src->p(), k.get(), kc.divisor), 0);
            expectSamePixels(*dst, *convolved(*src, *k, kc.divisor, false));
            ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(dst->p(), src->p(), k.get(), kc.divisor), 0);
            expectSamePixels(*dst, *convolved(*src, *k, kc.divisor, true));
        }
}

TEST(Convolution, FlatPicturesNegativesAndTheMean)
{
    TestPic flat(7, 6, 8, 1, 4), out(7, 6, 8, 1, 4);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            flat.set(x, y, 0, 77);
    ASSERT_EQ(CLxPicBufAPI::Convolution(out.p(), flat.p(), &CLxPicBufAPI::Laplace4, 1), 0);
    EXPECT_EQ(out.pixel(3, 3), std::vector<uint32_t>{0});
    EXPECT_EQ(out.pixel(0, 0), std::vector<uint32_t>{0});
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(out.p(), flat.p(), &CLxPicBufAPI::Laplace4, 1), 0);
    EXPECT_EQ(out.pixel(3, 3), std::vector<uint32_t>{128});
    EXPECT_EQ(out.pixel(6, 5), std::vector<uint32_t>{128});

    TestPic flat12(7, 6, 12, 1, 4), out12(7, 6, 12, 1, 4);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            flat12.set(x, y, 0, 3000);
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(out12.p(), flat12.p(), &CLxPicBufAPI::Laplace4, 1), 0);
    EXPECT_EQ(out12.pixel(3, 3), std::vector<uint32_t>{2048});
    // A lone bright pixel on 0: 4 x 4095 is held to 2047, its neighbours'
    // -4095 to -2048.
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            flat12.set(x, y, 0, 0);
    flat12.set(3, 3, 0, 4095);
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(out12.p(), flat12.p(), &CLxPicBufAPI::Laplace4, 1), 0);
    EXPECT_EQ(out12.pixel(3, 3), std::vector<uint32_t>{4095});
    EXPECT_EQ(out12.pixel(3, 2), std::vector<uint32_t>{0});

    // (sum + 4) / 9 of a 3 x 3 step; negatives held to 0.
    TestPic step(3, 3, 8, 1, 4), mean(3, 3, 8, 1, 4);
    const uint32_t v[9] = {0, 0, 0, 0, 0, 0, 10, 10, 10};
    for (uint32_t i = 0; i < 9; ++i)
        step.set(i % 3, i / 3, 0, v[i]);
    ASSERT_EQ(CLxPicBufAPI::Convolution(mean.p(), step.p(), &CLxPicBufAPI::Square3, 0), 0);
    EXPECT_EQ(mean.pixel(1, 1), std::vector<uint32_t>{(30 + 4) / 9});
    ASSERT_EQ(CLxPicBufAPI::Convolution(mean.p(), step.p(), &CLxPicBufAPI::HorizontalEdge, 1), 0);
    EXPECT_EQ(mean.pixel(1, 1), std::vector<uint32_t>{60});
    ASSERT_EQ(CLxPicBufAPI::Convolution(mean.p(), step.p(), &CLxPicBufAPI::HorizontalEdge, -1), 0);
    EXPECT_EQ(mean.pixel(1, 1), std::vector<uint32_t>{0});
}

TEST(Convolution, SignedConvolutionOfThirtyTwoBitSamples)
{
    TestPic src(6, 5, 24, 1, 4), dst(6, 5, 24, 1, 4);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            src.set(x, y, 0, 5000000);
    src.set(2, 2, 0, 5000100);
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(dst.p(), src.p(), &CLxPicBufAPI::Laplace4, 1), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 1u << 23);
    EXPECT_EQ(dst.get(2, 2, 0), (1u << 23) + 400);
    EXPECT_EQ(dst.get(2, 1, 0), (1u << 23) - 100);
    EXPECT_TRUE(dst.paddingIntact());

    // Sums beyond 64 bits: full 32-bit samples under the largest weights.
    TestPic full(3, 3, 32, 1), fullOut(3, 3, 32, 1);
    for (uint32_t i = 0; i < 9; ++i)
        full.set(i % 3, i / 3, 0, 0xFFFFFFFFu);
    const auto huge = makeKernel(3, 3, 1, 1, {INT32_MAX, INT32_MAX, INT32_MAX, 0, INT32_MAX, 0,
                                              INT32_MAX, INT32_MAX, INT32_MAX});
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(fullOut.p(), full.p(), huge.get(), 1), 0);
    EXPECT_EQ(fullOut.get(1, 1, 0), 0xFFFFFFFFu);
    huge->iValues[4] = INT32_MIN;
    for (uint32_t e : {0u, 1u, 2u, 6u, 7u, 8u})
        huge->iValues[e] = INT32_MIN;
    ASSERT_EQ(CLxPicBufAPI::ConvolutionEx(fullOut.p(), full.p(), huge.get(), 1), 0);
    EXPECT_EQ(fullOut.get(1, 1, 0), 0u);
}

TEST(Convolution, RequiredBits)
{
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(&CLxPicBufAPI::Laplace8, 8), 12u);
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(&CLxPicBufAPI::Square3, 8), 12u);
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(&CLxPicBufAPI::SinglePoint, 8), 9u);
    const auto zero = makeKernel(3, 3, 1, 1, {});
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(zero.get(), 8), 8u);
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(nullptr, 8), 4294967287u);
}

TEST(Convolution, RepetitionAlternatesTheCentre)
{
    const auto src = patterned(11, 9, 8, 1, 4);
    const auto k = copyOf(CLxPicBufAPI::Square2); // centre (0, 0)
    auto mirrored = copyOf(CLxPicBufAPI::Square2);
    mirrored->uiCenterRow = mirrored->uiCenterCol = 1;
    const auto once = blankLike(*src), single = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Convolution(single->p(), src->p(), k.get(), 0), 0);
    ASSERT_EQ(CLxPicBufAPI::Convolution(once->p(), src->p(), k.get(), 0, 1), 0);
    expectSamePixels(*once, *single);
    EXPECT_EQ(CLxPicBufAPI::Convolution(once->p(), src->p(), k.get(), 0, 0), -9);

    const auto twice = blankLike(*src), manual = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Convolution(twice->p(), src->p(), k.get(), 0, 2), 0);
    ASSERT_EQ(CLxPicBufAPI::Convolution(manual->p(), single->p(), mirrored.get(), 0), 0);
    expectSamePixels(*twice, *manual);
    EXPECT_EQ(k->uiCenterRow, 0u); // the caller's kernel is not touched

    const auto thrice = blankLike(*src), third = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Convolution(thrice->p(), src->p(), k.get(), 0, 3), 0);
    ASSERT_EQ(CLxPicBufAPI::Convolution(third->p(), manual->p(), k.get(), 0), 0);
    expectSamePixels(*thrice, *third);

    const auto smoothTwice = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Smooth(smoothTwice->p(), src->p(), k.get(), 2), 0);
    expectSamePixels(*smoothTwice, *manual);
    EXPECT_EQ(CLxPicBufAPI::Smooth(smoothTwice->p(), src->p(), k.get(), 0), -9);
}

TEST(Convolution, PictureOfTheKernelsSizeHasOneInteriorPixel)
{
    const auto src = patterned(5, 5, 8, 2, 9);
    const auto dst = blankLike(*src);
    const auto k = copyOf(CLxPicBufAPI::PelvanFilter);
    ASSERT_EQ(CLxPicBufAPI::Convolution(dst->p(), src->p(), k.get(), 3), 0);
    expectSamePixels(*dst, *convolved(*src, *k, 3, false));
    ASSERT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), &CLxPicBufAPI::Square5), 0);
    expectSamePixels(*dst, *convolved(*src, CLxPicBufAPI::Square5, 0, false));
}

// --- Edges, relief, Golay ------------------------------------------------------------

TEST(EdgesDetect, StepGivesFortyOnBothSidesAndMatchesSobel)
{
    TestPic step(8, 5, 8, 1, 4), out(8, 5, 8, 1, 4);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            step.set(x, y, 0, x < 4 ? 0 : 10);
    ASSERT_EQ(CLxPicBufAPI::EdgesDetect(out.p(), step.p()), 0);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(out.get(x, y, 0), x == 3 || x == 4 ? 40u : 0u) << x << "," << y;

    for (auto [bits, comps] : {std::pair{8u, 3u}, std::pair{16u, 1u}}) {
        const auto src = patterned(10, 7, bits, comps, 2), dst = blankLike(*src);
        ASSERT_EQ(CLxPicBufAPI::EdgesDetect(dst->p(), src->p()), 0);
        const SLxKernel gx = *makeKernel(3, 3, 1, 1, {-1, 0, 1, -2, 0, 2, -1, 0, 1});
        const SLxKernel gy = *makeKernel(3, 3, 1, 1, {-1, -2, -1, 0, 0, 0, 1, 2, 1});
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 10; ++x)
                for (uint32_t c = 0; c < comps; ++c) {
                    const int64_t m = std::abs(weightedSum(*src, gx, x, y, c)) +
                                      std::abs(weightedSum(*src, gy, x, y, c));
                    ASSERT_EQ(dst->get(x, y, c), uint32_t(std::min<int64_t>(m, maxOf(bits))));
                }
    }
    TestPic two(2, 5, 8, 1), twoOut(2, 5, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::EdgesDetect(twoOut.p(), two.p()), -9);
}

TEST(Relief, ShiftsOutsideThePictureAreRefused)
{
    const auto src = patterned(6, 5, 8, 1, 1), dst = blankLike(*src);
    const auto before = dst->bytes();
    for (auto [dx, dy] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{6, 0}, std::pair{0, 5}})
        EXPECT_EQ(CLxPicBufAPI::Relief(dst->p(), src->p(), dx, dy), -9) << dx << "," << dy;
    EXPECT_EQ(dst->bytes(), before);
    EXPECT_EQ(CLxPicBufAPI::Relief(dst->p(), src->p(), 5, 4), 0);
    // No shift: the ratio of a picture to itself is flat at its mean.
    TestPic flat(4, 4, 8, 1), out(4, 4, 8, 1);
    for (uint32_t i = 0; i < 16; ++i)
        flat.set(i % 4, i / 4, 0, 50 + i);
    ASSERT_EQ(CLxPicBufAPI::Relief(out.p(), flat.p(), 0, 0), 0);
    for (uint32_t i = 1; i < 16; ++i)
        EXPECT_EQ(out.get(i % 4, i / 4, 0), out.get(0, 0, 0));
}

TEST(GolayFilter, ModesDepthsAndHalfWidth)
{
    const auto src = patterned(12, 10, 8, 1, 6), dst = blankLike(*src);
    const auto before = dst->bytes();
    EXPECT_EQ(CLxPicBufAPI::GolayFilter(dst->p(), src->p(), 5, 4), -2);
    EXPECT_EQ(CLxPicBufAPI::GolayFilter(dst->p(), src->p(), 5, -1), -2);
    const auto src7 = patterned(12, 10, 7, 1), dst7 = blankLike(*src7);
    EXPECT_EQ(CLxPicBufAPI::GolayFilter(dst7->p(), src7->p(), 5, 0), -2);
    EXPECT_EQ(CLxPicBufAPI::GolayFilter(dst->p(), src->p(), 27, 1), -9); // m 13 > 12
    EXPECT_EQ(CLxPicBufAPI::GolayFilter(dst->p(), src->p(), 23, 2), -9); // 23 > 10 lines
    EXPECT_EQ(dst->bytes(), before);

    // Size 1 in mode 0 smooths with m = 2, as size 5 does.
    const auto five = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::GolayFilter(dst->p(), src->p(), 1, 0), 0);
    ASSERT_EQ(CLxPicBufAPI::GolayFilter(five->p(), src->p(), 5, 0), 0);
    expectSamePixels(*dst, *five);
    // A destination of another pitch than the source.
    TestPic other(12, 10, 8, 1, 12);
    ASSERT_EQ(CLxPicBufAPI::GolayFilter(other.p(), src->p(), 5, 0), 0);
    expectSamePixels(other, *five);
}

// --- Sharpening, median, smoothing ------------------------------------------------------

// 5c - u - d - l - r at clamped coordinates.
int64_t sharpenAt(const TestPic& p, uint32_t x, uint32_t y, uint32_t c)
{
    return weightedSum(p, CLxPicBufAPI::Sharp, x, y, c);
}

TEST(Sharpen, MatchesTheReferenceAtEveryDepth)
{
    for (auto [bits, comps] : {std::pair{8u, 1u}, std::pair{8u, 3u}, std::pair{10u, 4u},
                               std::pair{16u, 2u}})
        for (auto [w, h] : {std::pair{19u, 7u}, std::pair{2u, 3u}, std::pair{1u, 1u}}) {
            SCOPED_TRACE(testing::Message() << bits << "x" << comps << " " << w << "x" << h);
            const auto src = patterned(w, h, bits, comps, 8);
            const auto sharp = blankLike(*src), slight = blankLike(*src);
            ASSERT_EQ(CLxPicBufAPI::Sharpen(sharp->p(), src->p()), 0);
            ASSERT_EQ(CLxPicBufAPI::SharpenSlightly(slight->p(), src->p()), 0);
            const int64_t top = maxOf(bits);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (uint32_t c = 0; c < comps; ++c) {
                        const int64_t s = clampTo(sharpenAt(*src, x, y, c), 0, top);
                        const int64_t v = src->get(x, y, c);
                        const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                        const int64_t gentle = edge ? (v + s) / 2
                                                    : clampTo((sharpenAt(*src, x, y, c) + v) >> 1,
                                                              0, top);
                        ASSERT_EQ(sharp->get(x, y, c), uint32_t(s)) << x << "," << y;
                        ASSERT_EQ(slight->get(x, y, c), uint32_t(gentle)) << x << "," << y;
                    }
        }
}

TEST(Sharpen, TableCases)
{
    TestPic uniform(5, 4, 8, 1), out(5, 4, 8, 1);
    for (uint32_t i = 0; i < 20; ++i)
        uniform.set(i % 5, i / 5, 0, 90);
    ASSERT_EQ(CLxPicBufAPI::Sharpen(out.p(), uniform.p()), 0);
    EXPECT_EQ(out.bytes(), uniform.bytes());

    TestPic dot(5, 5, 8, 1);
    std::fill_n(static_cast<uint8_t*>(dot->pData), dot->uiSize, 0);
    dot.set(2, 2, 0, 100);
    TestPic sharp(5, 5, 8, 1);
    ASSERT_EQ(CLxPicBufAPI::Sharpen(sharp.p(), dot.p()), 0);
    EXPECT_EQ(sharp.get(2, 2, 0), 255u);
    EXPECT_EQ(sharp.get(2, 1, 0), 0u);
    EXPECT_EQ(sharp.get(1, 2, 0), 0u);

    dot.set(2, 2, 0, 200);
    dot.set(0, 2, 0, 200); // on the left edge, neighbours 0
    ASSERT_EQ(CLxPicBufAPI::SharpenSlightly(sharp.p(), dot.p()), 0);
    EXPECT_EQ(sharp.get(2, 2, 0), 255u);
    EXPECT_EQ(sharp.get(0, 2, 0), 227u);
}

TEST(Median, MatchesTheSortedNeighbourhood)
{
    for (auto [bits, comps] : {std::pair{8u, 1u}, std::pair{8u, 3u}, std::pair{16u, 1u},
                               std::pair{12u, 4u}})
        for (auto [w, h] : {std::pair{37u, 9u}, std::pair{3u, 3u}}) {
            SCOPED_TRACE(testing::Message() << bits << "x" << comps << " " << w << "x" << h);
            const auto src = patterned(w, h, bits, comps, 11), dst = blankLike(*src);
            ASSERT_EQ(CLxPicBufAPI::Median(dst->p(), src->p()), 0);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (uint32_t c = 0; c < comps; ++c) {
                        std::vector<int64_t> nine;
                        fold(*src, CLxPicBufAPI::Square3, x, y, c, 0,
                             [&](int64_t a, int64_t v, int32_t) {
                                 nine.push_back(v);
                                 return a;
                             });
                        std::nth_element(nine.begin(), nine.begin() + 4, nine.end());
                        ASSERT_EQ(dst->get(x, y, c), uint32_t(nine[4])) << x << "," << y;
                    }
        }
}

TEST(Median, SmallPicturesAreRefusedAndOutliersGo)
{
    TestPic small(5, 2, 8, 1), smallOut(5, 2, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::Median(smallOut.p(), small.p()), -9);
    TestPic flat(4, 4, 8, 1), out(4, 4, 8, 1);
    for (uint32_t i = 0; i < 16; ++i)
        flat.set(i % 4, i / 4, 0, 60);
    flat.set(1, 2, 0, 250);
    ASSERT_EQ(CLxPicBufAPI::Median(out.p(), flat.p()), 0);
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(out.get(i % 4, i / 4, 0), 60u);
}

TEST(Smooth, SquaresMatchTheClampedMean)
{
    for (uint32_t k : {1u, 3u, 5u, 7u, 11u, 13u})
        for (auto [bits, comps] : {std::pair{8u, 1u}, std::pair{8u, 3u}, std::pair{16u, 1u},
                                   std::pair{12u, 2u}}) {
            SCOPED_TRACE(testing::Message() << k << " " << bits << "x" << comps);
            const auto src = patterned(23, 13, bits, comps, k), dst = blankLike(*src);
            const auto kernel = squareKernel(k);
            kernel->iValues[0] = 5; // the square path ignores values
            ASSERT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), kernel.get()), 0);
            const auto ones = squareKernel(k);
            expectSamePixels(*dst, *convolved(*src, *ones, 0, false));
        }
}

TEST(Smooth, NamedShapesAndOtherKernels)
{
    // The checker of 0 and 1: four ones under the window give 0, five give 1.
    TestPic checker(6, 6, 8, 1), out(6, 6, 8, 1);
    for (uint32_t i = 0; i < 36; ++i)
        checker.set(i % 6, i / 6, 0, (i % 6 + i / 6) % 2);
    const auto smooth3 = squareKernel(3, u"Smooth3");
    ASSERT_EQ(CLxPicBufAPI::Smooth(out.p(), checker.p(), smooth3.get()), 0);
    for (uint32_t y = 1; y < 5; ++y)
        for (uint32_t x = 1; x < 5; ++x)
            EXPECT_EQ(out.get(x, y, 0), checker.get(x, y, 0)) << x << "," << y;

    // "Smooth3" not a full square, values ignored inside, weighted on the edge.
    for (uint32_t bits : {8u, 12u}) {
        const auto src = patterned(9, 8, bits, 1, 4), dst = blankLike(*src);
        const auto named = makeKernel(3, 4, 1, 1, {1, 1, 0, 1, 1, 2, 1, 0, 1, 1, 0, 1}, u"Smooth3");
        ASSERT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), named.get()), 0);
        auto unit = makeKernel(3, 4, 1, 1, {1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 0, 1});
        const auto inside = convolved(*src, *unit, 0, false);
        const auto edge = convolved(*src, *named, 0, false);
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 9; ++x) {
                const bool interior = y >= 1 && y <= 6 && x >= 1 && x <= 6;
                ASSERT_EQ(dst->get(x, y, 0), (interior ? *inside : *edge).get(x, y, 0))
                    << x << "," << y;
            }
    }
    // Oct4 and a cross: the mean over the set elements.
    for (const SLxKernel* k : {&CLxPicBufAPI::Oct4, &CLxPicBufAPI::Cross5}) {
        const auto src = patterned(10, 9, 16, 3, 5), dst = blankLike(*src);
        ASSERT_EQ(CLxPicBufAPI::Smooth(dst->p(), src->p(), k), 0);
        expectSamePixels(*dst, *convolved(*src, *k, 0, false));
    }
}

} // namespace

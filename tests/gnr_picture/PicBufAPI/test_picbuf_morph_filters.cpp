// Top-hats, gradient, regional extrema and delineation against loops of
// the single operations and a brute-force reconstruction.
#include <gtest/gtest.h>

#include <functional>

#include "filter_test_support.h"

using namespace filtertest;

namespace
{

std::unique_ptr<TestPic> constantPic(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps,
                                     uint32_t value)
{
    auto p = std::make_unique<TestPic>(w, h, bits, comps, 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < comps; ++c)
                p->set(x, y, c, value);
    return p;
}

void expectAll(const TestPic& p, uint32_t value)
{
    const SLxPicBuf& r = p.rec();
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            for (uint32_t c = 0; c < r.uiComps; ++c)
                ASSERT_EQ(p.get(x, y, c), value) << x << "," << y;
}

// The reconstruction of marker under mask by repeated 3 x 3 dilation held
// to the mask, until nothing changes; the regional maxima are mask minus it.
std::vector<uint32_t> regionalMaximaByDefinition(const TestPic& mask, const TestPic& marker)
{
    const SLxPicBuf& r = mask.rec();
    const int w = int(r.uiWidth), h = int(r.uiHeight);
    std::vector<uint32_t> m(size_t(w) * h), s(m.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            m[size_t(y) * w + x] = marker.get(x, y, 0);
            s[size_t(y) * w + x] = mask.get(x, y, 0);
        }
    for (bool changed = true; changed;) {
        changed = false;
        std::vector<uint32_t> next(m.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t best = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        best = std::max(best, m[size_t(std::clamp(y + dy, 0, h - 1)) * w +
                                                size_t(std::clamp(x + dx, 0, w - 1))]);
                next[size_t(y) * w + x] = std::min(best, s[size_t(y) * w + x]);
            }
        changed = next != m;
        m.swap(next);
    }
    const uint32_t wrap = r.uiBpc == 8 ? 0xFF : 0xFFFF;
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = (s[i] - m[i]) & wrap;
    return m;
}

void expectRegionalMaxima(const TestPic& src, const TestPic& result, const SLxKernel* kernel)
{
    auto marker = blankLike(src);
    ASSERT_EQ(CLxPicBufAPI::Erode(marker->p(), &src.rec(), kernel), 0);
    const auto expected = regionalMaximaByDefinition(src, *marker);
    const SLxPicBuf& r = src.rec();
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            ASSERT_EQ(result.get(x, y, 0), expected[size_t(y) * r.uiWidth + x]) << x << "," << y;
}

// A plateau in the top-left corner that survives the erosion, continued by
// a one-pixel ridge that runs right, down, left, down ... over the picture:
// the plateau's height reaches the ridge's end only after many rounds.
std::unique_ptr<TestPic> serpentine(uint32_t bits)
{
    const uint32_t top = bits == 8 ? 200 : 3000;
    auto p = constantPic(64, 64, bits, 1, 10);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            p->set(x, y, 0, top);
    bool right = true;
    for (uint32_t y = 4; y <= 62; y += 2) {
        for (uint32_t x = 2; x <= 61; ++x)
            p->set(x, y, 0, top);
        if (y + 2 <= 62)
            p->set(right ? 61 : 2, y + 1, 0, top);
        right = !right;
    }
    return p;
}

TEST(PicBufMorphFilters, FlatPicturesGiveZero)
{
    for (uint32_t bits : {8u, 12u}) {
        auto src = constantPic(9, 7, bits, 2, 100);
        using Op = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*, uint32_t);
        for (Op op : {Op(CLxPicBufAPI::DetectPeaks), Op(CLxPicBufAPI::DetectValleys),
                      Op(CLxPicBufAPI::GradientMorpho), Op(CLxPicBufAPI::RegionalMaxima),
                      Op(CLxPicBufAPI::RegionalMinima)}) {
            auto dst = blankLike(*src);
            ASSERT_EQ(op(dst->p(), src->p(), &CLxPicBufAPI::Cross3, 2), 0);
            expectAll(*dst, 0);
        }
    }
}

TEST(PicBufMorphFilters, SubstractWraps)
{
    auto a = constantPic(5, 3, 8, 1, 10), b = constantPic(5, 3, 8, 1, 20);
    auto d = blankLike(*a);
    ASSERT_EQ(CLxPicBufAPI::Substract(d->p(), a->p(), b->p()), 0);
    expectAll(*d, 246);
    auto a16 = constantPic(5, 3, 12, 1, 10), b16 = constantPic(5, 3, 12, 1, 20);
    ASSERT_EQ(CLxPicBufAPI::Substract(a16->p(), a16->p(), b16->p()), 0);
    expectAll(*a16, 65526);
    auto other = constantPic(5, 3, 16, 1, 1);
    EXPECT_EQ(CLxPicBufAPI::Substract(d->p(), a->p(), other->p()), -9);
}

TEST(PicBufMorphFilters, TopHatsAndGradientAreDifferencesOfTheSingleOperations)
{
    for (uint32_t bits : {8u, 16u}) {
        auto src = patterned(14, 11, bits, 2, 4);
        auto open = blankLike(*src), close = blankLike(*src), dil = blankLike(*src),
             ero = blankLike(*src);
        const SLxKernel* k = &CLxPicBufAPI::Oct4;
        ASSERT_EQ(CLxPicBufAPI::Open(open->p(), src->p(), k, 2), 0);
        ASSERT_EQ(CLxPicBufAPI::Close(close->p(), src->p(), k, 2), 0);
        ASSERT_EQ(CLxPicBufAPI::Dilate(dil->p(), src->p(), k, 2), 0);
        ASSERT_EQ(CLxPicBufAPI::Erode(ero->p(), src->p(), k, 2), 0);
        auto peaks = blankLike(*src), valleys = blankLike(*src), grad = blankLike(*src);
        ASSERT_EQ(CLxPicBufAPI::DetectPeaks(peaks->p(), src->p(), k, 2), 0);
        ASSERT_EQ(CLxPicBufAPI::DetectValleys(valleys->p(), src->p(), k, 2), 0);
        ASSERT_EQ(CLxPicBufAPI::GradientMorpho(grad->p(), src->p(), k, 2), 0);
        const uint32_t wrap = bits == 8 ? 0xFF : 0xFFFF;
        for (uint32_t y = 0; y < 11; ++y)
            for (uint32_t x = 0; x < 14; ++x)
                for (uint32_t c = 0; c < 2; ++c) {
                    ASSERT_EQ(peaks->get(x, y, c), (src->get(x, y, c) - open->get(x, y, c)) & wrap);
                    ASSERT_EQ(valleys->get(x, y, c),
                              (close->get(x, y, c) - src->get(x, y, c)) & wrap);
                    ASSERT_EQ(grad->get(x, y, c), (dil->get(x, y, c) - ero->get(x, y, c)) & wrap);
                }
        // In place: the source is read again after the opening.
        auto inPlace = patterned(14, 11, bits, 2, 4);
        ASSERT_EQ(CLxPicBufAPI::DetectPeaks(inPlace->p(), inPlace->p(), k, 2), 0);
        EXPECT_EQ(inPlace->bytes(), peaks->bytes());
    }
}

TEST(PicBufMorphFilters, RegionalMaximaIsTheConvergedReconstruction)
{
    for (uint32_t bits : {8u, 16u}) {
        SCOPED_TRACE(bits);
        std::vector<std::unique_ptr<TestPic>> cases;
        cases.push_back(patterned(23, 17, bits, 1, 11));
        cases.push_back(serpentine(bits));
        auto plateau = constantPic(12, 10, bits, 1, 40);
        for (uint32_t y = 3; y < 7; ++y)
            for (uint32_t x = 2; x < 5; ++x)
                plateau->set(x, y, 0, 90);
        plateau->set(9, 8, 0, 70);
        cases.push_back(std::move(plateau));
        // Narrower than the neighbourhood of the passes.
        cases.push_back(patterned(2, 9, bits, 1, 3));
        for (const auto& src : cases) {
            const SLxKernel* k =
                src->rec().uiWidth < 3 ? &CLxPicBufAPI::Square2 : &CLxPicBufAPI::Square3;
            auto dst = blankLike(*src);
            ASSERT_EQ(CLxPicBufAPI::RegionalMaxima(dst->p(), src->p(), k), 0);
            expectRegionalMaxima(*src, *dst, k);
        }
    }
}

// Each component is reconstructed by itself: the same as its own plane.
TEST(PicBufMorphFilters, RegionalMaximaOfSeveralComponentsIsThatOfEachPlane)
{
    for (uint32_t bits : {8u, 16u}) {
        SCOPED_TRACE(bits);
        auto src = patterned(21, 16, bits, 3, 8);
        auto dst = blankLike(*src);
        ASSERT_EQ(CLxPicBufAPI::RegionalMaxima(dst->p(), src->p(), &CLxPicBufAPI::Square3), 0);
        for (uint32_t c = 0; c < 3; ++c) {
            auto plane = std::make_unique<TestPic>(21, 16, bits, 1, 4);
            for (uint32_t y = 0; y < 16; ++y)
                for (uint32_t x = 0; x < 21; ++x)
                    plane->set(x, y, 0, src->get(x, y, c));
            auto want = blankLike(*plane);
            ASSERT_EQ(CLxPicBufAPI::RegionalMaxima(want->p(), plane->p(), &CLxPicBufAPI::Square3),
                      0);
            for (uint32_t y = 0; y < 16; ++y)
                for (uint32_t x = 0; x < 21; ++x)
                    ASSERT_EQ(dst->get(x, y, c), want->get(x, y, 0)) << c << " " << x << "," << y;
        }
    }
}

TEST(PicBufMorphFilters, SerpentineRidgeSettlesCompletely)
{
    auto src = serpentine(8);
    auto dst = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::RegionalMaxima(dst->p(), src->p(), &CLxPicBufAPI::Square3), 0);
    // The far end of the ridge is reached: nothing on it stands out.
    EXPECT_EQ(dst->get(2, 62, 0), 0u);
    EXPECT_EQ(dst->get(61, 62, 0), 0u);
}

TEST(PicBufMorphFilters, RegionalMinimaIsMaximaOfTheComplement)
{
    auto src = patterned(19, 13, 12, 1, 6);
    auto inverse = blankLike(*src);
    for (uint32_t y = 0; y < 13; ++y)
        for (uint32_t x = 0; x < 19; ++x)
            inverse->set(x, y, 0, 4095 - src->get(x, y, 0));
    auto minima = blankLike(*src), maxima = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::RegionalMinima(minima->p(), src->p(), &CLxPicBufAPI::Square3, 2), 0);
    ASSERT_EQ(CLxPicBufAPI::RegionalMaxima(maxima->p(), inverse->p(), &CLxPicBufAPI::Square3, 2),
              0);
    EXPECT_EQ(minima->bytes(), maxima->bytes());
}

TEST(PicBufMorphFilters, DelineateSnapsToTheNearerExtreme)
{
    auto src = patterned(16, 12, 8, 1, 8);
    auto smooth = blankLike(*src), dst = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Smooth(smooth->p(), src->p(), &CLxPicBufAPI::Square3, 1), 0);
    ASSERT_EQ(CLxPicBufAPI::Delineate(dst->p(), src->p(), 1, 1, 255), 0);
    EXPECT_EQ(dst->bytes(), smooth->bytes());
    ASSERT_EQ(CLxPicBufAPI::Delineate(dst->p(), src->p(), 1, 0, -5), 0);
    auto dil = blankLike(*src), ero = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Dilate(dil->p(), src->p(), &CLxPicBufAPI::Square3), 0);
    ASSERT_EQ(CLxPicBufAPI::Erode(ero->p(), src->p(), &CLxPicBufAPI::Square3), 0);
    for (uint32_t y = 0; y < 12; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const int d = int(dil->get(x, y, 0)), e = int(ero->get(x, y, 0));
            const int s = int(src->get(x, y, 0));
            const int expected = d - e > 0 ? (d - s < s - e ? d : e) : s;
            ASSERT_EQ(int(dst->get(x, y, 0)), expected) << x << "," << y;
        }
}

TEST(PicBufMorphFilters, BadArgumentsAreRefused)
{
    auto src = patterned(6, 5, 8, 1, 1);
    auto big = squareKernel(7);
    using Op = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*, uint32_t);
    for (Op op : {Op(CLxPicBufAPI::DetectPeaks), Op(CLxPicBufAPI::DetectValleys),
                  Op(CLxPicBufAPI::GradientMorpho), Op(CLxPicBufAPI::RegionalMaxima),
                  Op(CLxPicBufAPI::RegionalMinima)}) {
        auto dst = blankLike(*src);
        const auto before = dst->bytes();
        EXPECT_EQ(op(dst->p(), src->p(), &CLxPicBufAPI::Square3, 0), -9);
        EXPECT_EQ(op(dst->p(), src->p(), nullptr, 1), -9);
        EXPECT_EQ(op(dst->p(), src->p(), big.get(), 1), -9);
        EXPECT_EQ(dst->bytes(), before);
    }
    TestPic other(6, 4, 8, 1, 4);
    EXPECT_EQ(CLxPicBufAPI::Delineate(other.p(), src->p(), 1, 1, 10), -9);
}

} // namespace

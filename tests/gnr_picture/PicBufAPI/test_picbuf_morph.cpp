// Grey erosion, dilation, opening and closing of picture buffers against
// per-pixel references at clamped coordinates.
#include <gtest/gtest.h>

#include <functional>

#include "filter_test_support.h"

using namespace filtertest;

namespace
{

int64_t minOf(int64_t a, int64_t v, int32_t)
{
    return std::min(a, v);
}
int64_t maxOf(int64_t a, int64_t v, int32_t)
{
    return std::max(a, v);
}

// The single pass by definition: min (max) over the set elements.
std::unique_ptr<TestPic> reference(const TestPic& src, const SLxKernel& k, bool erode)
{
    auto out = blankLike(src);
    const SLxPicBuf& r = src.rec();
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            for (uint32_t c = 0; c < r.uiComps; ++c)
                out->set(x, y, c,
                         uint32_t(erode ? fold(src, k, x, y, c, INT64_MAX, minOf)
                                        : fold(src, k, x, y, c, INT64_MIN, maxOf)));
    return out;
}

void expectSamePixels(const TestPic& a, const TestPic& b)
{
    const SLxPicBuf& r = a.rec();
    for (uint32_t y = 0; y < r.uiHeight; ++y)
        for (uint32_t x = 0; x < r.uiWidth; ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << "at " << x << "," << y;
}

struct NamedKernel {
    const char* name;
    const SLxKernel* kernel;
};

const NamedKernel kKernels[] = {
    {"Square3", &CLxPicBufAPI::Square3},
    {"Square5", &CLxPicBufAPI::Square5},
    {"Cross3", &CLxPicBufAPI::Cross3},
    {"Lin_45", &CLxPicBufAPI::Lin_45},
    {"Oct4", &CLxPicBufAPI::Oct4},
    {"Square2", &CLxPicBufAPI::Square2},
    {"RegionalExtrema1", &CLxPicBufAPI::RegionalExtrema1},
};

TEST(PicBufMorph, SinglePassesMatchTheDefinition)
{
    for (uint32_t bits : {8u, 12u, 16u})
        for (const auto& nk : kKernels) {
            SCOPED_TRACE(std::string(nk.name) + " bits " + std::to_string(bits));
            auto src = patterned(13, 11, bits, 2, 3);
            for (bool erode : {true, false}) {
                auto dst = blankLike(*src);
                const int st = erode ? CLxPicBufAPI::Erode(dst->p(), src->p(), nk.kernel)
                                     : CLxPicBufAPI::Dilate(dst->p(), src->p(), nk.kernel);
                ASSERT_EQ(st, 0);
                expectSamePixels(*dst, *reference(*src, *nk.kernel, erode));
                EXPECT_TRUE(dst->paddingIntact());
            }
        }
}

TEST(PicBufMorph, OneDarkOrBrightPixelGrowsIntoAClippedSquare)
{
    for (bool erode : {true, false})
        for (uint32_t px : {0u, 4u}) {
            TestPic src(9, 8, 8, 1, 4);
            const uint32_t ground = erode ? 200 : 10, spot = erode ? 10 : 200;
            for (uint32_t y = 0; y < 8; ++y)
                for (uint32_t x = 0; x < 9; ++x)
                    src.set(x, y, 0, ground);
            src.set(px, px, 0, spot);
            TestPic dst(9, 8, 8, 1, 4);
            ASSERT_EQ(erode ? CLxPicBufAPI::Erode(dst.p(), src.p(), &CLxPicBufAPI::Square3)
                            : CLxPicBufAPI::Dilate(dst.p(), src.p(), &CLxPicBufAPI::Square3),
                      0);
            for (uint32_t y = 0; y < 8; ++y)
                for (uint32_t x = 0; x < 9; ++x) {
                    const bool near = int(x) - int(px) <= 1 && int(px) - int(x) <= 1 &&
                                      int(y) - int(px) <= 1 && int(px) - int(y) <= 1;
                    EXPECT_EQ(dst.get(x, y, 0), near ? spot : ground) << x << "," << y;
                }
        }
}

TEST(PicBufMorph, RepeatedSquaresEqualOneLargeClampedSquare)
{
    struct Case {
        uint32_t count, side;
    };
    for (const Case& cs : {Case{3, 7}, Case{10, 21}, Case{15, 31}, Case{2, 5}})
        for (uint32_t bits : {8u, 16u}) {
            SCOPED_TRACE("count " + std::to_string(cs.count) + " bits " + std::to_string(bits));
            auto src = patterned(40, 37, bits, 2, 7);
            auto big = squareKernel(cs.side);
            for (bool erode : {true, false}) {
                auto dst = blankLike(*src);
                ASSERT_EQ(erode ? CLxPicBufAPI::Erode(dst->p(), src->p(), &CLxPicBufAPI::Square3,
                                                      cs.count)
                                : CLxPicBufAPI::Dilate(dst->p(), src->p(), &CLxPicBufAPI::Square3,
                                                       cs.count),
                          0);
                expectSamePixels(*dst, *reference(*src, *big, erode));
            }
        }
}

// The clamped window of reach h around every pixel, by definition.
std::unique_ptr<TestPic> windowReference(const TestPic& src, int h, bool erode)
{
    auto out = blankLike(src);
    const SLxPicBuf& r = src.rec();
    const int w = int(r.uiWidth), ht = int(r.uiHeight);
    for (int y = 0; y < ht; ++y)
        for (int x = 0; x < w; ++x)
            for (uint32_t c = 0; c < r.uiComps; ++c) {
                uint32_t best = src.get(uint32_t(x), uint32_t(y), c);
                for (int yy = std::max(y - h, 0); yy <= std::min(y + h, ht - 1); ++yy)
                    for (int xx = std::max(x - h, 0); xx <= std::min(x + h, w - 1); ++xx) {
                        const uint32_t v = src.get(uint32_t(xx), uint32_t(yy), c);
                        best = erode ? std::min(best, v) : std::max(best, v);
                    }
                out->set(uint32_t(x), uint32_t(y), c, best);
            }
    return out;
}

// Shapes whose lines end inside, at and just after a block of the column
// pass, the smallest the kernel fits, reaches beyond the picture.
TEST(PicBufMorph, RepeatedSquaresAtEveryShapeAndReach)
{
    struct Shape {
        uint32_t w, h, comps;
    };
    const Shape shapes[] = {{3, 3, 1},  {3, 9, 2},   {9, 3, 1},  {3, 40, 1},
                            {23, 7, 3}, {40, 37, 1}, {14, 15, 2}};
    for (const Shape& sh : shapes)
        for (uint32_t bits : {8u, 16u})
            for (uint32_t count : {2u, 3u, 4u, 7u, 20u}) {
                SCOPED_TRACE(std::to_string(sh.w) + "x" + std::to_string(sh.h) + " comps " +
                             std::to_string(sh.comps) + " bits " + std::to_string(bits) +
                             " count " + std::to_string(count));
                auto src = patterned(sh.w, sh.h, bits, sh.comps, count);
                const SLxKernel* k = sh.w >= 5 && sh.h >= 5 && count % 2 ? &CLxPicBufAPI::Square5
                                                                            : &CLxPicBufAPI::Square3;
                const int reach = int(k->uiCenterRow * count);
                for (bool erode : {true, false}) {
                    auto dst = blankLike(*src);
                    ASSERT_EQ(erode ? CLxPicBufAPI::Erode(dst->p(), src->p(), k, count)
                                    : CLxPicBufAPI::Dilate(dst->p(), src->p(), k, count),
                              0);
                    expectSamePixels(*dst, *windowReference(*src, reach, erode));
                    EXPECT_TRUE(dst->paddingIntact());
                }
            }
}

// Passes of 21 x 21 do not fit a 16 x 16 picture; the summed reach still
// defines the result: every sample becomes the picture's extreme.
TEST(PicBufMorph, RepeatedSquareLargerThanThePictureGivesItsExtreme)
{
    auto src = patterned(16, 16, 8, 1, 5);
    uint32_t lo = 255, hi = 0;
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            lo = std::min(lo, src->get(x, y, 0));
            hi = std::max(hi, src->get(x, y, 0));
        }
    auto dst = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Erode(dst->p(), src->p(), &CLxPicBufAPI::Square3, 15), 0);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            ASSERT_EQ(dst->get(x, y, 0), lo);
    ASSERT_EQ(CLxPicBufAPI::Dilate(dst->p(), src->p(), &CLxPicBufAPI::Square3, 15), 0);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            ASSERT_EQ(dst->get(x, y, 0), hi);
}

TEST(PicBufMorph, OnePixelSquareCopies)
{
    auto one = squareKernel(1);
    auto src = patterned(7, 5, 12, 3, 1);
    auto dst = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Erode(dst->p(), src->p(), one.get(), 4), 0);
    expectSamePixels(*dst, *src);
    auto dst2 = blankLike(*src);
    ASSERT_EQ(CLxPicBufAPI::Open(dst2->p(), src->p(), one.get()), 0);
    expectSamePixels(*dst2, *src);
}

void mirrorCentre(SLxKernel& k)
{
    k.uiCenterRow = k.uiNRows - k.uiCenterRow - 1;
    k.uiCenterCol = k.uiNCols - k.uiCenterCol - 1;
}

// Loops of single calls with the centres of the repetition: the first group
// mirrors after each pass, the second undoes the first in reverse order.
std::unique_ptr<TestPic> openCloseByPasses(const TestPic& src, const SLxKernel& kernel,
                                           uint32_t count, bool open)
{
    auto cur = blankLike(src);
    EXPECT_EQ(CLxPicBufAPI::Copy(cur->p(), &src.rec()), 0);
    const auto pass = [&](bool erode, bool mirror) {
        auto kk = std::make_unique<SLxKernel>(kernel);
        if (mirror)
            mirrorCentre(*kk);
        auto next = blankLike(src);
        EXPECT_EQ(erode ? CLxPicBufAPI::Erode(next->p(), cur->p(), kk.get())
                        : CLxPicBufAPI::Dilate(next->p(), cur->p(), kk.get()),
                  0);
        cur = std::move(next);
    };
    for (uint32_t i = 0; i < count; ++i)
        pass(open, i % 2 == 1);
    for (uint32_t j = 0; j < count; ++j)
        pass(!open, (count + j) % 2 == 1);
    return cur;
}

TEST(PicBufMorph, OpenAndCloseUndoTheirPassesInReverse)
{
    auto corner2 = makeKernel(2, 2, 0, 0, {1, 1, 1, 1});
    auto lopsided = makeKernel(1, 4, 0, 1, {1, 1, 0, 1});
    for (const SLxKernel* k :
         {corner2.get(), lopsided.get(), &CLxPicBufAPI::Cross3, &CLxPicBufAPI::Square3})
        for (uint32_t count : {1u, 2u, 3u})
            for (bool open : {true, false}) {
                SCOPED_TRACE("count " + std::to_string(count) + (open ? " open" : " close"));
                auto src = patterned(12, 10, 16, 1, 9);
                auto dst = blankLike(*src);
                ASSERT_EQ(open ? CLxPicBufAPI::Open(dst->p(), src->p(), k, count)
                               : CLxPicBufAPI::Close(dst->p(), src->p(), k, count),
                          0);
                expectSamePixels(*dst, *openCloseByPasses(*src, *k, count, open));
            }
}

TEST(PicBufMorph, ConstantPictureStaysConstant)
{
    TestPic src(10, 9, 12, 2, 4);
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            src.setPixel(x, y, {1234, 77});
    using Op = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*, uint32_t);
    const Op ops[] = {CLxPicBufAPI::Erode, CLxPicBufAPI::Dilate, CLxPicBufAPI::Open,
                      CLxPicBufAPI::Close};
    for (const auto& nk : kKernels)
        for (Op op : ops) {
            TestPic dst(10, 9, 12, 2, 4);
            ASSERT_EQ(op(dst.p(), src.p(), nk.kernel, 2), 0) << nk.name;
            expectSamePixels(dst, src);
        }
}

TEST(PicBufMorph, InPlaceWorksFromACopy)
{
    auto src = patterned(11, 9, 8, 1, 2);
    auto expected = reference(*src, CLxPicBufAPI::Cross3, true);
    ASSERT_EQ(CLxPicBufAPI::Erode(src->p(), src->p(), &CLxPicBufAPI::Cross3), 0);
    expectSamePixels(*src, *expected);
    auto src2 = patterned(30, 30, 8, 1, 2);
    auto big = reference(*src2, *squareKernel(9), false);
    ASSERT_EQ(CLxPicBufAPI::Dilate(src2->p(), src2->p(), &CLxPicBufAPI::Square3, 4), 0);
    expectSamePixels(*src2, *big);
}

TEST(PicBufMorph, BadArgumentsLeaveTheDestinationUntouched)
{
    auto src = patterned(6, 5, 8, 1, 1);
    auto wide = squareKernel(7);
    TestPic other(6, 5, 16, 1, 4);
    struct Case {
        const char* what;
        int expected;
        std::function<int(SLxPicBuf*)> call;
    };
    const Case cases[] = {
        {"count 0", -9,
         [&](SLxPicBuf* d) {
             return CLxPicBufAPI::Erode(d, src->p(), &CLxPicBufAPI::Square3, 0u);
         }},
        {"no kernel", -9, [&](SLxPicBuf* d) { return CLxPicBufAPI::Dilate(d, src->p(), nullptr); }},
        {"no kernel, count", -9,
         [&](SLxPicBuf* d) { return CLxPicBufAPI::Erode(d, src->p(), nullptr, 2u); }},
        {"kernel too large", -9,
         [&](SLxPicBuf* d) { return CLxPicBufAPI::Erode(d, src->p(), wide.get(), 2u); }},
        {"open too large", -9,
         [&](SLxPicBuf* d) { return CLxPicBufAPI::Open(d, src->p(), wide.get()); }},
        {"close count 0", -9,
         [&](SLxPicBuf* d) { return CLxPicBufAPI::Close(d, src->p(), &CLxPicBufAPI::Cross3, 0u); }},
        {"other bits", -9,
         [&](SLxPicBuf*) {
             return CLxPicBufAPI::Erode(other.p(), src->p(), &CLxPicBufAPI::Square3);
         }},
    };
    for (const Case& c : cases) {
        auto dst = blankLike(*src);
        const auto before = dst->bytes();
        EXPECT_EQ(c.call(dst->p()), c.expected) << c.what;
        EXPECT_EQ(dst->bytes(), before) << c.what;
    }
    TestPic deep(6, 5, 20, 1, 4), deepDst(6, 5, 20, 1, 4);
    deep.fillPattern(1);
    const auto before = deepDst.bytes();
    EXPECT_EQ(CLxPicBufAPI::Erode(deepDst.p(), deep.p(), &CLxPicBufAPI::Square3, 2), -2);
    EXPECT_EQ(deepDst.bytes(), before);
}

} // namespace

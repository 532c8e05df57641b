// Binary morphology: the worked examples, and every element, repeated form,
// opening and closing against the pixel reference.
#include <gtest/gtest.h>

#include "bin_morph_reference.h"
#include "bin_test_support.h"

namespace
{

using binref::Element;
using API = CLxBinPicBufAPI;

using Single = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, SLxBinPicBuf*, SLxBinPicBuf*, bool);
using Counted = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, uint32_t, bool);
using OpenClose = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, uint32_t);

struct Member {
    const char* name;
    Element element;
    Single erode, dilate;
    Counted erodeCount, dilateCount;
    OpenClose open, close;
};

#define LX_ONE(F)                                                                                  \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, SLxBinPicBuf*, bool) {             \
        return API::F(d, s, t);                                                                    \
    }
#define LX_ONE_FLAG(F)                                                                             \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, SLxBinPicBuf*, bool f) {           \
        return API::F(d, s, t, f);                                                                 \
    }
#define LX_TWO(F)                                                                                  \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, SLxBinPicBuf* u, bool) {           \
        return API::F(d, s, t, u);                                                                 \
    }
#define LX_TWO_FLAG(F)                                                                             \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, SLxBinPicBuf* t, SLxBinPicBuf* u, bool f) {         \
        return API::F(d, s, t, u, f);                                                              \
    }
#define LX_COUNT(F)                                                                                \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t n, bool) { return API::F(d, s, n); }
#define LX_COUNT_FLAG(F)                                                                           \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t n, bool f) { return API::F(d, s, n, f); }

const Member kMembers[] = {
    {"3x3", Element::Square3, LX_ONE(Erode3x3), LX_ONE(Dilate3x3), LX_COUNT(Erode3x3_Count),
     LX_COUNT(Dilate3x3_Count), API::Open3x3_Count, API::Close3x3_Count},
    {"2x2", Element::Square2, LX_ONE_FLAG(Erode2x2), LX_ONE_FLAG(Dilate2x2),
     LX_COUNT_FLAG(Erode2x2_Count), LX_COUNT_FLAG(Dilate2x2_Count), API::Open2x2_Count,
     API::Close2x2_Count},
    {"4x4Oct", Element::Oct4, LX_TWO_FLAG(Erode4x4Oct), LX_TWO_FLAG(Dilate4x4Oct),
     LX_COUNT_FLAG(Erode4x4Oct_Count), LX_COUNT_FLAG(Dilate4x4Oct_Count), API::Open4x4Oct_Count,
     API::Close4x4Oct_Count},
    {"5x5Oct", Element::Oct5, LX_TWO(Erode5x5Oct), LX_TWO(Dilate5x5Oct),
     LX_COUNT(Erode5x5Oct_Count), LX_COUNT(Dilate5x5Oct_Count), API::Open5x5Oct_Count,
     API::Close5x5Oct_Count},
    {"Cross", Element::Cross, LX_ONE(Erode3x3Cross), LX_ONE(Dilate3x3Cross),
     LX_COUNT(Erode3x3Cross_Count), LX_COUNT(Dilate3x3Cross_Count), API::Open3x3Cross_Count,
     API::Close3x3Cross_Count},
    {"000", Element::Line000, LX_ONE(LinErode_000), LX_ONE(LinDilate_000),
     LX_COUNT(LinErode_000_Count), LX_COUNT(LinDilate_000_Count), API::LinOpen_000_Count,
     API::LinClose_000_Count},
    {"045", Element::Line045, LX_ONE(LinErode_045), LX_ONE(LinDilate_045),
     LX_COUNT(LinErode_045_Count), LX_COUNT(LinDilate_045_Count), API::LinOpen_045_Count,
     API::LinClose_045_Count},
    {"090", Element::Line090, LX_ONE(LinErode_090), LX_ONE(LinDilate_090),
     LX_COUNT(LinErode_090_Count), LX_COUNT(LinDilate_090_Count), API::LinOpen_090_Count,
     API::LinClose_090_Count},
    {"135", Element::Line135, LX_ONE(LinErode_135), LX_ONE(LinDilate_135),
     LX_COUNT(LinErode_135_Count), LX_COUNT(LinDilate_135_Count), API::LinOpen_135_Count,
     API::LinClose_135_Count},
};

struct Shape {
    uint32_t width, height, widthBytes;
};

const Shape kShapes[] = {{1, 1, 0},  {1, 9, 0},   {7, 5, 0},   {9, 1, 0},
                         {33, 6, 0}, {33, 6, 11}, {100, 4, 0}, {5, 40, 0}};

class BinMorphAgainstReference : public ::testing::TestWithParam<Member>
{
  protected:
    template <class Run> void ForShapes(Run run)
    {
        std::mt19937 rng(11);
        for (const Shape& s : kShapes)
            for (double density : {0.3, 0.8}) {
                BinPicture src(s.width, s.height, s.widthBytes);
                src.randomise(rng, density);
                run(s, src);
            }
    }
};

TEST_P(BinMorphAgainstReference, SinglePasses)
{
    const Member& m = GetParam();
    ForShapes([&](const Shape& s, BinPicture& src) {
        for (int erode = 0; erode < 2; ++erode)
            for (bool flag : {false, true}) {
                BinPicture d(s.width, s.height, s.widthBytes), t1(s.width, s.height),
                    t2(s.width, s.height, CLxBinPicBufAPI::CalcWidthBytes(s.width, 4) + 4);
                auto before = src.pixels();
                ASSERT_EQ(
                    (erode ? m.erode : m.dilate)(d.get(), src.get(), t1.get(), t2.get(), flag), 0);
                auto want = binref::Repeat(before, s.width, s.height, m.element, erode, 1, flag);
                ASSERT_EQ(d.pixels(), want) << m.name << " " << s.width << "x" << s.height
                                            << " erode " << erode << " flag " << flag;
                ASSERT_EQ(src.pixels(), before);
            }
    });
}

TEST_P(BinMorphAgainstReference, RepeatedPasses)
{
    const Member& m = GetParam();
    ForShapes([&](const Shape& s, BinPicture& src) {
        uint32_t cap = binref::Cap(m.element, s.width, s.height);
        for (uint32_t count : {1u, 2u, 3u, 4u, 5u, 6u, cap + 2})
            for (int erode = 0; erode < 2; ++erode)
                for (bool flag : {false, true}) {
                    if (!binref::HasFlag(m.element) && flag)
                        continue;
                    BinPicture d(s.width, s.height);
                    std::mt19937 rng(count);
                    d.randomise(rng);
                    auto old = d.pixels();
                    ASSERT_EQ(
                        (erode ? m.erodeCount : m.dilateCount)(d.get(), src.get(), count, flag), 0);
                    uint32_t n = std::min(count, cap);
                    auto want = n == 0 ? old
                                       : binref::Repeat(src.pixels(), s.width, s.height, m.element,
                                                        erode, n, flag);
                    ASSERT_EQ(d.pixels(), want) << m.name << " " << s.width << "x" << s.height
                                                << " count " << count << " erode " << erode;
                }
    });
}

TEST_P(BinMorphAgainstReference, OpeningsAndClosings)
{
    const Member& m = GetParam();
    ForShapes([&](const Shape& s, BinPicture& src) {
        uint32_t cap = std::max(s.width, s.height) / 2;
        for (uint32_t count : {1u, 2u, 3u, cap + 1})
            for (int open = 0; open < 2; ++open) {
                BinPicture d(s.width, s.height);
                std::mt19937 fill(count);
                d.randomise(fill);
                auto old = d.pixels();
                ASSERT_EQ((open ? m.open : m.close)(d.get(), src.get(), count), 0);
                uint32_t n = std::min(count, cap);
                // n = 0 (a 1 x 1 picture) leaves the destination as it was.
                auto want = n == 0 ? old : src.pixels();
                if (n > 0) {
                    want = binref::Repeat(want, s.width, s.height, m.element, open, n, open);
                    want = binref::Repeat(want, s.width, s.height, m.element, !open, n, !open);
                }
                ASSERT_EQ(d.pixels(), want) << m.name << " " << s.width << "x" << s.height
                                            << " count " << count << " open " << open;
            }
    });
}

TEST_P(BinMorphAgainstReference, RefusesUnequalAndAliasedPictures)
{
    const Member& m = GetParam();
    BinPicture s(16, 8), d(16, 9), t(16, 8), u(16, 8);
    EXPECT_EQ(m.erode(d.get(), s.get(), t.get(), u.get(), false), -9);
    EXPECT_EQ(m.erodeCount(d.get(), s.get(), 2, false), -9);
    EXPECT_EQ(m.open(d.get(), s.get(), 2), -9);
    EXPECT_EQ(m.dilate(s.get(), s.get(), t.get(), u.get(), false), -9);
    EXPECT_EQ(m.dilate(t.get(), s.get(), t.get(), u.get(), false), -9);
    EXPECT_EQ(m.dilateCount(s.get(), s.get(), 1, false), -9);
}

INSTANTIATE_TEST_SUITE_P(Elements, BinMorphAgainstReference, ::testing::ValuesIn(kMembers),
                         [](const auto& info) { return std::string("E") + info.param.name; });

TEST(BinMorphology, BordersCountAsTheirNeighbours)
{
    BinPicture s(9, 7), d(9, 7), t(9, 7);
    API::Memset(s.get(), true);
    ASSERT_EQ(API::Erode3x3(d.get(), s.get(), t.get()), 0);
    EXPECT_EQ(d.pixels(), s.pixels());
    API::Memset(s.get(), false);
    API::Memset(d.get(), true);
    API::Dilate3x3(d.get(), s.get(), t.get());
    auto cleared = d.pixels();
    EXPECT_EQ(std::count(cleared.begin(), cleared.end(), 1), 0);
    s.set(0, 0);
    API::Dilate3x3(d.get(), s.get(), t.get());
    auto p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 4);
    EXPECT_TRUE(d.at(0, 0) && d.at(1, 0) && d.at(0, 1) && d.at(1, 1));
}

TEST(BinMorphology, Erode2x2FlagsOnABlock)
{
    BinPicture s(10, 10), d(10, 10), t(10, 10);
    for (uint32_t y = 4; y <= 5; ++y)
        for (uint32_t x = 4; x <= 5; ++x)
            s.set(x, y);
    API::Erode2x2(d.get(), s.get(), t.get(), false);
    auto p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 1);
    EXPECT_TRUE(d.at(4, 4));
    API::Erode2x2(d.get(), s.get(), t.get(), true);
    p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 1);
    EXPECT_TRUE(d.at(5, 5));
}

TEST(BinMorphology, TwoErode2x2PassesMakeOneErode3x3AwayFromTheBorder)
{
    std::mt19937 rng(21);
    BinPicture s(40, 20), a(40, 20), b(40, 20), t(40, 20);
    s.randomise(rng, 0.85);
    API::Erode2x2_Count(a.get(), s.get(), 2, false);
    API::Erode3x3(b.get(), s.get(), t.get());
    for (uint32_t y = 1; y + 1 < 20; ++y)
        for (uint32_t x = 1; x + 1 < 40; ++x)
            ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
}

TEST(BinMorphology, Erode5x5OctagonLacksItsCorners)
{
    BinPicture s(12, 12), d(12, 12), t1(12, 12), t2(12, 12);
    API::Memset(s.get(), true);
    s.set(7, 6, false); // (2, 1) from (5, 5)
    API::Erode5x5Oct(d.get(), s.get(), t1.get(), t2.get());
    EXPECT_FALSE(d.at(5, 5));
    s.set(7, 6);
    s.set(7, 7, false); // (2, 2): a corner
    API::Erode5x5Oct(d.get(), s.get(), t1.get(), t2.get());
    EXPECT_TRUE(d.at(5, 5));
}

TEST(BinMorphology, CountZeroLeavesTheDestination)
{
    BinPicture s(20, 20), d(20, 20);
    std::mt19937 rng(2);
    d.randomise(rng);
    std::vector<uint8_t> before(static_cast<uint8_t*>(d->pData),
                                static_cast<uint8_t*>(d->pData) + d->uiSize);
    EXPECT_EQ(API::Erode3x3_Count(d.get(), s.get(), 0), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), static_cast<uint8_t*>(d->pData)));
}

// A count above the cap is cut: the vertical line by the height, so a tall
// narrow picture runs all its passes.
TEST(BinMorphology, TallPicturesRunTheirVerticalPasses)
{
    BinPicture s(10, 40), d(10, 40);
    API::Memset(s.get(), true);
    s.set(5, 0, false);
    ASSERT_EQ(API::LinErode_090_Count(d.get(), s.get(), 20), 0);
    for (uint32_t y = 0; y < 40; ++y)
        EXPECT_EQ(d.at(5, y), y > 20) << y;
    ASSERT_EQ(API::LinErode_090_Count(d.get(), s.get(), 1000), 0);
    EXPECT_FALSE(d.at(5, 20));
    EXPECT_TRUE(d.at(5, 21));
}

TEST(BinMorphology, ContourOfAFilledSquare)
{
    BinPicture s(9, 9), d(9, 9);
    for (uint32_t y = 2; y < 7; ++y)
        for (uint32_t x = 2; x < 7; ++x)
            s.set(x, y);
    ASSERT_EQ(API::Contour(d.get(), s.get(), true, false), 0);
    auto p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 16);
    EXPECT_TRUE(d.at(2, 2) && d.at(6, 6) && !d.at(3, 3));
    ASSERT_EQ(API::Contour(d.get(), s.get(), false, true), 0);
    p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 24);
    ASSERT_EQ(API::Contour(d.get(), s.get(), false, false), 0);
    p = d.pixels();
    EXPECT_EQ(std::count(p.begin(), p.end(), 1), 20);
    // At 1 x 1 the border counts as set: nothing erodes, the contour is empty.
    BinPicture one(1, 1), out(1, 1);
    one.set(0, 0);
    ASSERT_EQ(API::Contour(out.get(), one.get(), true, false), 0);
    EXPECT_FALSE(out.at(0, 0));
}

TEST(BinMorphology, VerticalLineTakesNoScratch)
{
    BinPicture s(6, 5), d(6, 5);
    s.set(2, 2);
    ASSERT_EQ(API::LinDilate_090(d.get(), s.get(), nullptr), 0);
    EXPECT_TRUE(d.at(2, 1) && d.at(2, 2) && d.at(2, 3));
    EXPECT_EQ(API::LinErode_090(s.get(), s.get(), nullptr), -9);
}

} // namespace

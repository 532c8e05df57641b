// Picture arithmetic of picture buffers: the two-source family with its
// depth rules, masks, weights, shading, merging, components and the shift.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufArithT.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "picbuf_test_support.h"

using picbuftest::maxOf;
using picbuftest::TestPic;

namespace
{

using API = CLxPicBufAPI;

// ---- The two-source family ---------------------------------------------------

enum class Op { Min, Max, AbsDif, Add, Sub, SubReverse };

int64_t formula(Op op, int64_t a, int64_t b)
{
    switch (op) {
    case Op::Min:
        return std::min(a, b);
    case Op::Max:
        return std::max(a, b);
    case Op::AbsDif:
        return std::llabs(a - b);
    case Op::Add:
        return a + b;
    case Op::Sub:
        return a - b;
    default:
        return b - a;
    }
}

int run(Op op, SLxPicBuf* d, const SLxPicBuf* a, const SLxPicBuf* b)
{
    switch (op) {
    case Op::Min:
        return API::MinComp(d, a, b);
    case Op::Max:
        return API::MaxComp(d, a, b);
    case Op::AbsDif:
        return API::AbsDif(d, a, b);
    case Op::Add:
        return API::Addition(d, a, b);
    case Op::Sub:
        return API::Subtract(d, a, b, 0);
    default:
        return API::Subtract(d, a, b, 1);
    }
}

// The depth rule: negative 0, converted when exactly one side is 8 bits,
// limited to the destination.
uint32_t depthRule(int64_t r, uint32_t s, uint32_t d)
{
    if (r < 0)
        r = 0;
    if (s == 8 && d > 8)
        r <<= d - 8;
    else if (d == 8 && s > 8)
        r >>= s - 8;
    return uint32_t(std::min<int64_t>(r, maxOf(d)));
}

struct DepthCase {
    uint32_t s, d, compsA, compsB, compsD;
};

// Every formula over depth pairs and component counts, each picture of its
// own size and pitch, against the rule computed sample by sample.
TEST(PicBufArith, TwoSourceFamilyFollowsTheDepthRule)
{
    const DepthCase cases[] = {
        {8, 8, 1, 1, 1},   {8, 8, 3, 3, 3},   {12, 12, 3, 3, 3}, {16, 16, 1, 1, 1},
        {8, 16, 1, 1, 1},  {8, 12, 3, 3, 3},  {16, 8, 3, 3, 3},  {12, 8, 1, 1, 1},
        {12, 16, 3, 3, 3}, {16, 12, 1, 1, 1}, {8, 8, 3, 1, 3},   {16, 16, 3, 3, 1},
        {12, 12, 2, 2, 2}, {8, 16, 4, 3, 4},  {24, 24, 1, 1, 1}, {16, 24, 3, 3, 3},
        {24, 8, 1, 1, 1},  {8, 32, 1, 1, 1},
    };
    for (const DepthCase& c : cases)
        for (Op op : {Op::Min, Op::Max, Op::AbsDif, Op::Add, Op::Sub, Op::SubReverse}) {
            TestPic a(7, 4, c.s, c.compsA, 4), b(9, 3, c.s, c.compsB, 8),
                d(8, 5, c.d, c.compsD, 12);
            a.fillPattern(1);
            b.fillPattern(2);
            d.fillPattern(3);
            const TestPic before(8, 5, c.d, c.compsD, 12);
            const std::vector<uint8_t> old = d.bytes();
            ASSERT_EQ(run(op, d.p(), a.p(), b.p()), 0);
            const uint32_t n = std::min({c.compsA, c.compsB, c.compsD});
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t x = 0; x < 8; ++x)
                    for (uint32_t k = 0; k < c.compsD; ++k) {
                        const bool inside = x < 7 && y < 3 && k < n;
                        const uint32_t expected =
                            inside
                                ? depthRule(formula(op, a.get(x, y, k), b.get(x, y, k)), c.s, c.d)
                                : TestPic::patternValue(x, y, k, c.d, 3);
                        ASSERT_EQ(d.get(x, y, k), expected) << int(op) << " " << c.s << "->" << c.d
                                                            << " " << x << "," << y << "," << k;
                    }
            EXPECT_TRUE(d.paddingIntact());
        }
}

TEST(PicBufArith, ExamplesOfTheDepthCases)
{
    TestPic a(1, 1, 8, 1), b(1, 1, 8, 1), d8(1, 1, 8, 1), d16(1, 1, 16, 1);
    a.set(0, 0, 0, 200);
    b.set(0, 0, 0, 100);
    ASSERT_EQ(API::Addition(d8.p(), a.p(), b.p()), 0);
    EXPECT_EQ(d8.get(0, 0, 0), 255u);
    ASSERT_EQ(API::Addition(d16.p(), a.p(), b.p()), 0);
    EXPECT_EQ(d16.get(0, 0, 0), 65535u); // 300 x 256 = 76800, limited
    // b above a: 0; reversed b - a.
    ASSERT_EQ(API::Subtract(d8.p(), b.p(), a.p(), 0), 0);
    EXPECT_EQ(d8.get(0, 0, 0), 0u);
    ASSERT_EQ(API::Subtract(d8.p(), b.p(), a.p(), 1), 0);
    EXPECT_EQ(d8.get(0, 0, 0), 100u);
    // 16-bit |100 - 1000| into 8 bits: 900 / 256.
    TestPic w1(1, 1, 16, 1), w2(1, 1, 16, 1);
    w1.set(0, 0, 0, 100);
    w2.set(0, 0, 0, 1000);
    ASSERT_EQ(API::AbsDif(d8.p(), w1.p(), w2.p()), 0);
    EXPECT_EQ(d8.get(0, 0, 0), 3u);
}

TEST(PicBufArith, WidthsTenTwelveAndEightWorkEightColumns)
{
    TestPic d(10, 2, 8, 1), a(12, 2, 8, 1), b(8, 2, 8, 1);
    a.fillPattern(1);
    b.fillPattern(2);
    std::memset(d->pData, 7, d->uiSize);
    ASSERT_EQ(API::Addition(d.p(), a.p(), b.p()), 0);
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(d.get(x, y, 0), std::min(255u, a.get(x, y, 0) + b.get(x, y, 0)));
        EXPECT_EQ(d.get(8, y, 0), 7u);
        EXPECT_EQ(d.get(9, y, 0), 7u);
    }
}

TEST(PicBufArith, RefusedArgumentsChangeNothing)
{
    TestPic d(4, 2, 8, 1), a(4, 2, 8, 1), b12(4, 2, 12, 1), d7(4, 2, 7, 1), a7(4, 2, 7, 1);
    d.fillPattern();
    const std::vector<uint8_t> before = d.bytes();
    EXPECT_EQ(API::Addition(d.p(), a.p(), b12.p()), -9); // sources of other bits
    EXPECT_EQ(API::Addition(d7.p(), a.p(), a.p()), -9);  // destination below 8 bits
    EXPECT_EQ(API::Addition(d.p(), a7.p(), a7.p()), -9); // one side below 8 bits
    EXPECT_EQ(API::MinComp(nullptr, a.p(), a.p()), -9);
    EXPECT_EQ(API::MaxComp(d.p(), nullptr, a.p()), -9);
    EXPECT_EQ(API::AbsDif(d.p(), a.p(), nullptr), -9);
    EXPECT_EQ(API::Subtract(d.p(), a.p(), b12.p(), 1), -9);
    EXPECT_EQ(d.bytes(), before);
}

// ---- Masks and weights --------------------------------------------------------

TEST(PicBufArith, MasksChooseTheFormulaTheSecondOrTheFirst)
{
    TestPic d(4, 1, 8, 2), a(4, 1, 8, 2), b(4, 1, 8, 2), ma(4, 1, 8, 1), mb(4, 1, 8, 1);
    for (uint32_t x = 0; x < 4; ++x) {
        a.setPixel(x, 0, {50, 60});
        b.setPixel(x, 0, {80, 10});
    }
    // (A, B) set: (1, 1), (0, 1), (1, 0), (0, 0).
    const uint32_t setA[4] = {1, 0, 200, 0}, setB[4] = {9, 1, 0, 0};
    for (uint32_t x = 0; x < 4; ++x) {
        ma.set(x, 0, 0, setA[x]);
        mb.set(x, 0, 0, setB[x]);
    }
    ASSERT_EQ(API::AbsDif(d.p(), a.p(), ma.p(), b.p(), mb.p()), 0);
    EXPECT_EQ(d.pixel(0, 0), (std::vector<uint32_t>{30, 50}));
    EXPECT_EQ(d.pixel(1, 0), (std::vector<uint32_t>{80, 10}));
    EXPECT_EQ(d.pixel(2, 0), (std::vector<uint32_t>{50, 60}));
    EXPECT_EQ(d.pixel(3, 0), (std::vector<uint32_t>{50, 60}));
    ASSERT_EQ(API::WeightedAddition(d.p(), a.p(), ma.p(), b.p(), mb.p(), 25), 0);
    // (50 x 25 / 50 + 80 x 75 / 50) / 2 = (25 + 120) / 2; (30 + 15) / 2.
    EXPECT_EQ(d.pixel(0, 0), (std::vector<uint32_t>{72, 22}));
    EXPECT_EQ(d.pixel(1, 0), (std::vector<uint32_t>{80, 10}));
    EXPECT_EQ(d.pixel(3, 0), (std::vector<uint32_t>{50, 60}));
}

// The vector path of 16-bit weighted sums against the plain loop: widths
// around its 16-sample step, 1 and 3 components, samples at 0 and at the
// maximum, into padded pictures and in place into one without padding.
TEST(PicBufArith, WeightedAdditionVectorPathMatchesThePlainLoop)
{
    std::mt19937 random(124);
    for (const uint32_t bits : {12u, 16u})
        for (const uint32_t comps : {1u, 3u})
            for (const uint32_t width : {1u, 5u, 15u, 16u, 17u, 33u, 47u})
                for (const int32_t weight : {0, 1, 37, 50, 99, 100}) {
                    TestPic a(width, 3, bits, comps, 4), b(width, 3, bits, comps, 4),
                        vec(width, 3, bits, comps, 4), plain(width, 3, bits, comps, 4),
                        same(width, 3, bits, comps);
                    std::uniform_int_distribution<uint32_t> pick(0, maxOf(bits));
                    for (uint32_t y = 0; y < 3; ++y)
                        for (uint32_t x = 0; x < width; ++x)
                            for (uint32_t c = 0; c < comps; ++c) {
                                const bool edge = y == 0;
                                a.set(x, y, c, edge ? (x % 2 ? maxOf(bits) : 0) : pick(random));
                                b.set(x, y, c, edge ? (x % 3 ? 0 : maxOf(bits)) : pick(random));
                                same.set(x, y, c, a.get(x, y, c));
                            }
                    ASSERT_EQ(API::WeightedAddition(vec.p(), a.p(), b.p(), weight), 0);
                    ASSERT_EQ(API::WeightedAddition(same.p(), same.p(), b.p(), weight), 0);
                    lxpic::avx2PathsAllowed() = false;
                    const int status = API::WeightedAddition(plain.p(), a.p(), b.p(), weight);
                    lxpic::avx2PathsAllowed() = true;
                    ASSERT_EQ(status, 0);
                    EXPECT_EQ(vec.bytes(), plain.bytes()) << bits << " w" << width << " " << weight;
                    EXPECT_TRUE(API::IsEqual(same.p(), plain.p())) << bits << " w" << width;
                    EXPECT_TRUE(vec.paddingIntact());
                }
}

TEST(PicBufArith, WeightedAdditionOfWeightHundredIsTheFirst)
{
    for (const uint32_t bits : {8u, 12u, 16u}) {
        TestPic d(5, 2, bits, 3), a(5, 2, bits, 3), b(5, 2, bits, 3);
        a.fillPattern(1);
        b.fillPattern(2);
        a.set(0, 0, 0, maxOf(bits));
        ASSERT_EQ(API::WeightedAddition(d.p(), a.p(), b.p(), 100), 0);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                EXPECT_EQ(d.pixel(x, y), a.pixel(x, y)) << bits;
        ASSERT_EQ(API::WeightedAddition(d.p(), a.p(), b.p(), 0), 0);
        EXPECT_EQ(d.pixel(3, 1), b.pixel(3, 1));
    }
}

// A weight outside 0 to 100 would run past the halving table; a mask
// smaller than the region would be read beyond its lines.
TEST(PicBufArith, WeightsAndMasksOutOfRangeAreRefused)
{
    TestPic d(4, 2, 8, 1), a(4, 2, 8, 1), b(4, 2, 8, 1), small(3, 2, 8, 1), a12(4, 2, 12, 1);
    d.fillPattern();
    const std::vector<uint8_t> before = d.bytes();
    EXPECT_EQ(API::WeightedAddition(d.p(), a.p(), b.p(), 101), -9);
    EXPECT_EQ(API::WeightedAddition(d.p(), a.p(), b.p(), -1), -9);
    EXPECT_EQ(API::WeightedAddition(d.p(), a12.p(), b.p(), 50), -9);
    EXPECT_EQ(API::WeightedAddition(d.p(), a.p(), small.p(), b.p(), nullptr, 50), -9);
    EXPECT_EQ(API::AbsDif(d.p(), a.p(), nullptr, b.p(), small.p()), -9);
    EXPECT_EQ(d.bytes(), before);
    TestPic d7(4, 2, 7, 1), a7(4, 2, 7, 1);
    EXPECT_EQ(API::WeightedAddition(d7.p(), a7.p(), a7.p(), 50), 0);
}

// ---- Shading, merging, components ------------------------------------------------

TEST(PicBufArith, ShadMultNeedsOneFormat)
{
    TestPic d(4, 2, 8, 1), s(4, 2, 8, 1), sh(4, 2, 8, 1), sh12(4, 2, 12, 1);
    s.fillPattern(1);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            sh.set(x, y, 0, 100);
    ASSERT_EQ(API::ShadMult(d.p(), s.p(), sh.p()), 0);
    EXPECT_EQ(d.get(2, 1, 0), s.get(2, 1, 0)); // flat shading: mean / sample = 1
    EXPECT_EQ(API::ShadMult(d.p(), s.p(), sh12.p()), -9);
    EXPECT_EQ(API::ShadMult(d.p(), nullptr, sh.p()), -9);
}

TEST(PicBufArith, MergeImagesByMaskCopiesWhereTheMaskIsSet)
{
    TestPic d(3, 2, 16, 3), s(3, 2, 16, 3), m(3, 2, 8, 1), other(4, 2, 8, 1);
    d.fillPattern(1);
    s.fillPattern(2);
    m.set(1, 0, 0, 1);
    m.set(2, 1, 0, 255);
    for (const auto& [x, y] : {std::pair{0u, 0u}, {2u, 0u}, {0u, 1u}, {1u, 1u}})
        m.set(x, y, 0, 0);
    const TestPic keep(1, 1, 8, 1);
    ASSERT_EQ(API::MergeImagesByMask(d.p(), s.p(), m.p()), 0);
    EXPECT_EQ(d.pixel(1, 0), s.pixel(1, 0));
    EXPECT_EQ(d.pixel(2, 1), s.pixel(2, 1));
    EXPECT_EQ(d.get(0, 0, 0), TestPic::patternValue(0, 0, 0, 16, 1));
    const std::vector<uint8_t> before = d.bytes();
    EXPECT_EQ(API::MergeImagesByMask(d.p(), s.p(), other.p()), -2);
    EXPECT_EQ(d.bytes(), before);
}

TEST(PicBufArith, ImageComponentsSelectsEachComponent)
{
    TestPic d(3, 2, 8, 3, 4), s(3, 2, 8, 3), o(3, 2, 8, 3);
    s.fillPattern(1);
    o.fillPattern(2);
    ASSERT_EQ(API::ImageComponents(d.p(), s.p(), o.p(), 2, 1, 0), 0);
    for (uint32_t x = 0; x < 3; ++x) {
        const auto p = s.pixel(x, 1);
        EXPECT_EQ(d.pixel(x, 1), (std::vector<uint32_t>{p[2], p[1], p[0]}));
    }
    // Other selectors take the other picture's component of the same index.
    ASSERT_EQ(API::ImageComponents(d.p(), s.p(), o.p(), 7, 1, 9), 0);
    EXPECT_EQ(d.pixel(2, 0),
              (std::vector<uint32_t>{o.get(2, 0, 0), s.get(2, 0, 1), o.get(2, 0, 2)}));
    EXPECT_TRUE(d.paddingIntact());
    // In place: red and blue swapped.
    const auto p = s.pixel(1, 1);
    ASSERT_EQ(API::ImageComponents(s.p(), s.p(), o.p(), 2, 1, 0), 0);
    EXPECT_EQ(s.pixel(1, 1), (std::vector<uint32_t>{p[2], p[1], p[0]}));

    TestPic g(2, 1, 16, 1), gs(2, 1, 16, 1), go(2, 1, 16, 1);
    gs.fillPattern(1);
    go.fillPattern(2);
    ASSERT_EQ(API::ImageComponents(g.p(), gs.p(), go.p(), 2, 0, 0), 0);
    EXPECT_EQ(g.get(1, 0, 0), gs.get(1, 0, 0));
    ASSERT_EQ(API::ImageComponents(g.p(), gs.p(), go.p(), 3, 0, 0), 0);
    EXPECT_EQ(g.get(1, 0, 0), go.get(1, 0, 0));
    TestPic four(2, 1, 8, 4);
    EXPECT_EQ(API::ImageComponents(four.p(), four.p(), four.p(), 0, 1, 2), -9);
    EXPECT_EQ(API::ImageComponents(g.p(), gs.p(), d.p(), 0, 1, 2), -9);
}

// ---- Shift ----------------------------------------------------------------------------

// The rule computed from a copy of the picture before the move.
uint32_t shiftedSource(const TestPic& old, int32_t dx, int32_t dy, uint32_t x, uint32_t y,
                       uint32_t* fromX)
{
    const int64_t w = old.rec().uiWidth, h = old.rec().uiHeight;
    const int64_t sx = int64_t(x) - dx, sy = int64_t(y) - dy;
    if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
        *fromX = uint32_t(sx);
        return uint32_t(sy);
    }
    const int64_t mx = std::llabs(dx), my = std::llabs(dy);
    const int64_t u = dx < 0 ? w - 1 - x : x, v = dy < 0 ? h - 1 - y : y;
    int64_t fu, fv;
    if (my == 0)
        fu = 0, fv = v;
    else if (mx == 0)
        fu = u, fv = 0;
    else if (u <= v * mx / my)
        fu = 0, fv = v - u * my / mx;
    else
        fu = u - v * mx / my, fv = 0;
    *fromX = uint32_t(dx < 0 ? w - 1 - fu : fu);
    return uint32_t(dy < 0 ? h - 1 - fv : fv);
}

TEST(PicBufArith, ShiftExample)
{
    TestPic pic(8, 7, 8, 1);
    pic.fillPattern();
    for (uint32_t y = 0; y < 7; ++y)
        pic.set(0, y, 0, 10 * y);
    TestPic old(8, 7, 8, 1);
    API::Copy(old.p(), pic.p());
    ASSERT_EQ(API::Shift(pic.p(), 2, 1), 0);
    EXPECT_EQ(pic.get(1, 5, 0), 50u);
    EXPECT_EQ(pic.get(4, 3, 0), old.get(2, 2, 0));
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(pic.get(x, 0, 0), old.get(x, 0, 0));
    for (uint32_t y = 0; y < 7; ++y)
        EXPECT_EQ(pic.get(0, y, 0), old.get(0, y, 0));
}

TEST(PicBufArith, ShiftInEveryDirectionAndBeyondThePicture)
{
    const int32_t moves[][2] = {
        {2, 1}, {-2, 1},  {2, -1},         {-3, -2},
        {0, 2}, {0, -3},  {3, 0},          {-1, 0},
        {1, 5}, {9, 2},   {-20, 40},       {0, 0},
        {6, 7}, {-6, -7}, {2147483647, 1}, {-2147483647 - 1, -2147483647 - 1}};
    for (const uint32_t bits : {8u, 16u})
        for (const auto& m : moves) {
            TestPic pic(6, 7, bits, 3, 4), old(6, 7, bits, 3);
            pic.fillPattern(5);
            API::Copy(old.p(), pic.p());
            ASSERT_EQ(API::Shift(pic.p(), m[0], m[1]), 0);
            for (uint32_t y = 0; y < 7; ++y)
                for (uint32_t x = 0; x < 6; ++x) {
                    uint32_t fx;
                    const uint32_t fy = shiftedSource(old, m[0], m[1], x, y, &fx);
                    ASSERT_EQ(pic.pixel(x, y), old.pixel(fx, fy))
                        << m[0] << "," << m[1] << " at " << x << "," << y;
                }
            EXPECT_TRUE(pic.paddingIntact());
        }
    TestPic empty(4, 0, 8, 1);
    SLxPicBuf noLines = empty.rec();
    noLines.uiWidth = 4;
    EXPECT_EQ(API::Shift(&noLines, 1, 1), -9);
}

} // namespace

namespace
{

// The weighted sum divides by 50 through a float constant: every product of
// a 16-bit sample and a weight of 0 to 100 must give the whole quotient.
TEST(PicBufArith, FiftiethIsExactOverEveryWeightedProduct)
{
    int wrong = 0;
    for (int32_t x = 0; x <= 65535 * 100; ++x)
        wrong += lxpicbuf::fiftieth(x) != x / 50;
    EXPECT_EQ(wrong, 0);
}

// 16-bit weighted sums multiply by w / 50 rounded up to a float: every
// sample and weight must give the whole quotient.
TEST(PicBufArith, WeightOverFiftyIsExactOverEverySampleAndWeight)
{
    int wrong = 0;
    for (uint32_t w = 0; w <= 100; ++w) {
        const float c = lxpicbuf::weightOverFifty(w);
        for (uint32_t a = 0; a <= 65535; ++a)
            wrong += uint32_t(float(a) * c) != a * w / 50;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(PicBufArith, ImageComponentsOfTwoComponents)
{
    TestPic d(2, 1, 8, 2), s(2, 1, 8, 2), o(2, 1, 8, 2);
    s.setPixel(0, 0, {1, 2});
    o.setPixel(0, 0, {7, 8});
    // select1 fills component 1 from src's component 1; select0 0 names
    // src's component 2, which two components lack: other's component 0.
    ASSERT_EQ(API::ImageComponents(d.p(), s.p(), o.p(), 0, 1, 0), 0);
    EXPECT_EQ(d.pixel(0, 0), (std::vector<uint32_t>{7, 2}));
    ASSERT_EQ(API::ImageComponents(d.p(), s.p(), o.p(), 0, 1, 2), 0);
    EXPECT_EQ(d.pixel(0, 0), (std::vector<uint32_t>{1, 2}));
}

} // namespace

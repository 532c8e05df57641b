// Chamfer distance maps against hand-worked cases and a brute-force
// chessboard reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "picbuf_test_support.h"

using picbuftest::TestPic;

namespace
{

// w x h objects (value 1) with background at the given pixels.
std::unique_ptr<TestPic>
objects(uint32_t w, uint32_t h, std::vector<std::pair<uint32_t, uint32_t>> bg, uint32_t padding = 4)
{
    auto p = std::make_unique<TestPic>(w, h, 16, 1, padding);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p->set(x, y, 0, 1);
    for (auto [x, y] : bg)
        p->set(x, y, 0, 0);
    return p;
}

const uint32_t kMetrics[] = {3, 5, 15, 16, 7, 0};

TEST(PicBufDistance, NoBackgroundGivesTheBound)
{
    for (uint32_t metric : kMetrics) {
        auto p = objects(6, 5, {});
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(p->p(), metric), 0);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 6; ++x)
                ASSERT_EQ(p->get(x, y, 0), 65534u) << metric;
        EXPECT_TRUE(p->paddingIntact());
    }
}

TEST(PicBufDistance, OneBackgroundPixelInFiveByFive)
{
    struct Case {
        uint32_t metric, bx, by, x, y, expected;
    };
    const Case cases[] = {
        {3, 0, 0, 2, 2, 2},  {3, 2, 2, 0, 0, 2},  {3, 2, 2, 4, 3, 2},  {15, 2, 2, 3, 3, 1},
        {15, 2, 2, 4, 4, 3}, {15, 2, 2, 2, 3, 1}, {5, 0, 0, 2, 1, 2},  {5, 2, 2, 4, 3, 2},
        {5, 2, 2, 3, 3, 1},  {16, 2, 2, 4, 3, 2}, {16, 2, 2, 4, 4, 3},
    };
    for (const Case& c : cases) {
        auto p = objects(5, 5, {{c.bx, c.by}});
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(p->p(), c.metric), 0);
        EXPECT_EQ(p->get(c.x, c.y, 0), c.expected)
            << "metric " << c.metric << " at " << c.x << "," << c.y;
        EXPECT_EQ(p->get(c.bx, c.by, 0), 0u);
    }
}

TEST(PicBufDistance, ChessboardMatchesBruteForce)
{
    for (uint32_t w : {1u, 2u, 7u, 16u})
        for (uint32_t h : {1u, 3u, 9u}) {
            std::vector<std::pair<uint32_t, uint32_t>> bg;
            for (uint32_t i = 0; i < w * h; i += 11)
                bg.push_back({i % w, i / w});
            auto p = objects(w, h, bg);
            ASSERT_EQ(CLxPicBufAPI::DistanceFunction(p->p(), 3), 0);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    uint32_t best = 65534;
                    for (auto [bx, by] : bg)
                        best = std::min<uint32_t>(
                            best, std::max(std::abs(int(bx) - int(x)), std::abs(int(by) - int(y))));
                    ASSERT_EQ(p->get(x, y, 0), best) << w << "x" << h << " at " << x << "," << y;
                }
        }
}

// The weight of offset (dy, dx) in the mask of metric, 0 where it is left
// out; single precision for the float masks.
float weightOf(uint32_t metric, int dy, int dx)
{
    const int a = std::min(std::abs(dy), std::abs(dx)), b = std::max(std::abs(dy), std::abs(dx));
    const int r = metric == 3 || metric == 15 ? 1 : metric == 5 || metric == 16 ? 2 : 3;
    if (b > r || b == 0)
        return 0.f;
    if (metric == 3)
        return 1.f;
    if (metric == 5)
        return b == 1 ? 1.f : a == 2 ? 0.f : 2.f;
    const float table[4][4] = {{0.f, 1.f, 2.f, 3.f},
                               {1.f, 1.4142f, 2.236f, 3.1622777f},
                               {2.f, 2.236f, 2.8284f, 3.6055512f},
                               {3.f, 3.1622777f, 3.6055512f, 4.2426405f}};
    return table[a][b];
}

// The two sweeps pixel by pixel, every neighbour read at clamped
// coordinates, object pixels starting unreached.
template <class A> std::vector<uint32_t> sweepsByDefinition(const TestPic& pic, uint32_t metric)
{
    const int w = int(pic.rec().uiWidth), h = int(pic.rec().uiHeight);
    std::vector<A> v(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            v[size_t(y) * w + x] = pic.get(uint32_t(x), uint32_t(y), 0) ? A(65534) : A(0);
    for (bool backward : {false, true})
        for (int i = 0; i < w * h; ++i) {
            const int at = backward ? w * h - 1 - i : i, y = at / w, x = at % w;
            if (v[size_t(at)] == 0)
                continue;
            A best = backward ? v[size_t(at)] : A(65534);
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const bool forwardHalf = dy < 0 || (dy == 0 && dx < 0);
                    const float wt = weightOf(metric, dy, dx);
                    if (wt == 0.f || forwardHalf == backward)
                        continue;
                    const int ny = std::clamp(y + dy, 0, h - 1), nx = std::clamp(x + dx, 0, w - 1);
                    best = std::min(best, A(v[size_t(ny) * w + nx] + A(wt)));
                }
            v[size_t(at)] = best;
        }
    std::vector<uint32_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = uint32_t(v[i] + (std::is_same_v<A, float> ? A(0.5f) : A(0)));
    return out;
}

// Lines of any length, with the plain and the AVX2 line loops: the same
// distances as the sweeps pixel by pixel, bit for bit.
TEST(PicBufDistance, SweepsMatchThePixelByPixelDefinition)
{
    struct Shape {
        uint32_t w, h;
    };
    const Shape shapes[] = {{1, 1}, {1, 12}, {12, 1}, {5, 5}, {6, 7}, {7, 9}, {8, 3},
                            {37, 29}, {64, 11}};
    for (bool vector : {true, false})
        for (uint32_t metric : {3u, 5u, 15u, 16u, 7u})
            for (const Shape& sh : shapes) {
                SCOPED_TRACE("metric " + std::to_string(metric) + " " + std::to_string(sh.w) + "x" +
                             std::to_string(sh.h) + (vector ? " vector" : " plain"));
                std::vector<std::pair<uint32_t, uint32_t>> bg;
                uint32_t state = sh.w * 31 + sh.h;
                for (uint32_t i = 0; i < sh.w * sh.h; ++i) {
                    state = state * 1664525u + 1013904223u;
                    if (state >> 27 == 0)
                        bg.push_back({i % sh.w, i / sh.w});
                }
                if (bg.empty() && sh.w * sh.h > 3)
                    bg.push_back({sh.w / 2, sh.h / 3});
                auto p = objects(sh.w, sh.h, bg);
                p->set(sh.w - 1, sh.h - 1, 0, 65535); // any object value
                const std::vector<uint32_t> want = metric == 3 || metric == 5
                                                       ? sweepsByDefinition<uint32_t>(*p, metric)
                                                       : sweepsByDefinition<float>(*p, metric);
                lxpic::avx2PathsAllowed() = vector;
                const int status = CLxPicBufAPI::DistanceFunction(p->p(), metric);
                lxpic::avx2PathsAllowed() = true;
                ASSERT_EQ(status, 0);
                for (uint32_t y = 0; y < sh.h; ++y)
                    for (uint32_t x = 0; x < sh.w; ++x)
                        ASSERT_EQ(p->get(x, y, 0), want[size_t(y) * sh.w + x]) << x << "," << y;
                EXPECT_TRUE(p->paddingIntact());
            }
}

TEST(PicBufDistance, OddWidthEqualsEvenLineLength)
{
    for (uint32_t metric : kMetrics) {
        auto padded = objects(7, 6, {{1, 2}, {5, 5}}, 4);
        auto tight = objects(7, 6, {{1, 2}, {5, 5}}, 0);
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(padded->p(), metric), 0);
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(tight->p(), metric), 0);
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 7; ++x)
                ASSERT_EQ(padded->get(x, y, 0), tight->get(x, y, 0)) << metric;
        EXPECT_TRUE(padded->paddingIntact());
    }
}

TEST(PicBufDistance, FirstLineTakesBothPasses)
{
    for (uint32_t metric : kMetrics) {
        auto p = objects(6, 4, {{2, 0}});
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(p->p(), metric), 0);
        EXPECT_EQ(p->get(3, 0, 0), 1u) << metric; // forward, background at the left
        EXPECT_EQ(p->get(1, 0, 0), 1u) << metric; // backward, background at the right
        auto corner = objects(6, 4, {{1, 0}});
        ASSERT_EQ(CLxPicBufAPI::DistanceFunction(corner->p(), metric), 0);
        EXPECT_EQ(corner->get(0, 0, 0), 1u) << metric;
    }
}

TEST(PicBufDistance, HighObjectValuesDoNotWrap)
{
    auto p = objects(4, 1, {{0, 0}});
    p->set(3, 0, 0, 65535);
    ASSERT_EQ(CLxPicBufAPI::DistanceFunction(p->p(), 3), 0);
    EXPECT_EQ(p->get(3, 0, 0), 3u);
}

TEST(PicBufDistance, WrongPicturesAreRefused)
{
    TestPic eight(5, 5, 8, 1, 4), twoComps(5, 5, 16, 2, 4);
    EXPECT_EQ(CLxPicBufAPI::DistanceFunction(eight.p(), 3), -9);
    EXPECT_EQ(CLxPicBufAPI::DistanceFunction(twoComps.p(), 3), -9);
    EXPECT_EQ(CLxPicBufAPI::DistanceFunction(nullptr, 3), -9);
}

TEST(PicBufDistance, FromBinary)
{
    auto p = objects(9, 4, {});
    const auto before = p->bytes();
    std::vector<uint8_t> bits(2 * 5, 0xFF);
    SLxBinPicBuf other{9, 5, 2, 10, bits.data()};
    EXPECT_EQ(CLxPicBufAPI::DistanceFunctionFromBinary(p->p(), &other, 3), -9);
    EXPECT_EQ(p->bytes(), before);
    SLxBinPicBuf noData{9, 4, 2, 8, nullptr};
    EXPECT_EQ(CLxPicBufAPI::DistanceFunctionFromBinary(p->p(), &noData, 3), -9);
    EXPECT_EQ(p->bytes(), before);

    std::vector<uint8_t> plane(2 * 4, 0xFF);
    SLxBinPicBuf bin{9, 4, 2, 8, plane.data()};
    ASSERT_EQ(CLxPicBufAPI::DistanceFunctionFromBinary(p->p(), &bin, 5), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            ASSERT_EQ(p->get(x, y, 0), 65534u);

    plane[2 * 2] = 0xFF & ~0x08; // pixel (4, 2) clear: the only background
    ASSERT_EQ(CLxPicBufAPI::DistanceFunctionFromBinary(p->p(), &bin, 3), 0);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            ASSERT_EQ(p->get(x, y, 0),
                      uint32_t(std::max(std::abs(int(x) - 4), std::abs(int(y) - 2))));
}

} // namespace

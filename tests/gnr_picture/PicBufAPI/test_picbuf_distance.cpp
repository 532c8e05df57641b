// Chamfer distance maps against hand-worked cases and a brute-force
// chessboard reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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

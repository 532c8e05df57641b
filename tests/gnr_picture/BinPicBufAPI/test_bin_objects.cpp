// Component operations on one-bit pictures: hole filling, reconstruction
// from a marker, cleaning by erosion and the 3 x 3 majority.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bin_test_support.h"

namespace
{

struct Pictures {
    BinPicture src, dst;
    explicit Pictures(const Rows& rows)
        : src(uint32_t(rows[0].size()), uint32_t(rows.size())),
          dst(uint32_t(rows[0].size()), uint32_t(rows.size()))
    {
        Draw(src, rows);
    }
};

TEST(BinFillHoles, FillsOnlyWhatTheBorderCannotReach)
{
    struct Case {
        const char* what;
        Rows in, out;
    } cases[] = {
        {"ring",
         {".....", ".###.", ".#.#.", ".###.", "....."},
         {".....", ".###.", ".###.", ".###.", "....."}},
        {"open to the rightmost column", {"#####", "#....", "#####"}, {"#####", "#....", "#####"}},
        {"joined to the border only diagonally",
         {"######", "#.####", "##..##", "######", "#####."},
         {"######", "######", "######", "######", "#####."}},
        {"hole inside a hole's island",
         {"#######", "#.....#", "#.###.#", "#.#.#.#", "#.###.#", "#.....#", "#######"},
         {"#######", "#######", "#######", "#######", "#######", "#######", "#######"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pictures p(c.in);
        ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(p.dst.get(), p.src.get()));
        EXPECT_EQ(c.out, Read(p.dst));
        EXPECT_EQ(c.in, Read(p.src));
        // In place.
        ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(p.src.get(), p.src.get()));
        EXPECT_EQ(c.out, Read(p.src));
    }
}

// The background reached from the border through 4 neighbours, pixel by
// pixel: what FillHoles must leave clear.
std::vector<uint8_t> ReachedFromBorder(BinPicture& src)
{
    const uint32_t w = src->uiWidth, h = src->uiHeight;
    std::vector<uint8_t> reached(size_t(w) * h, 0);
    std::deque<std::pair<uint32_t, uint32_t>> todo;
    auto visit = [&](uint32_t x, uint32_t y) {
        if (!src.at(x, y) && !reached[size_t(y) * w + x]) {
            reached[size_t(y) * w + x] = 1;
            todo.emplace_back(x, y);
        }
    };
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (x == 0 || y == 0 || x + 1 == w || y + 1 == h)
                visit(x, y);
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop_front();
        if (x > 0)
            visit(x - 1, y);
        if (x + 1 < w)
            visit(x + 1, y);
        if (y > 0)
            visit(x, y - 1);
        if (y + 1 < h)
            visit(x, y + 1);
    }
    return reached;
}

// Random pictures of widths around whole words, in padded lines whose
// padding holds random bits: the destination's padding stays as it was.
TEST(BinFillHoles, RandomPicturesMatchAFloodFromTheBorder)
{
    std::mt19937 rng(5454);
    for (uint32_t w : {1u, 7u, 63u, 64u, 65u, 130u, 200u})
        for (uint32_t h : {1u, 2u, 9u, 70u})
            for (double density : {0.3, 0.5, 0.7}) {
                SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + " at " +
                             std::to_string(density));
                const uint32_t lineBytes = (w + 7) / 8;
                BinPicture src(w, h, lineBytes + 5), dst(w, h, lineBytes + 3);
                src.randomise(rng, density);
                dst.randomise(rng);
                std::vector<uint8_t> before(static_cast<uint8_t*>(dst->pData),
                                            static_cast<uint8_t*>(dst->pData) + dst->uiSize);
                const std::vector<uint8_t> reached = ReachedFromBorder(src);
                ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(dst.get(), src.get()));
                for (uint32_t y = 0; y < h; ++y) {
                    for (uint32_t x = 0; x < w; ++x)
                        ASSERT_EQ(dst.at(x, y), !reached[size_t(y) * w + x]) << x << ", " << y;
                    for (uint32_t x = w; x < dst->uiWidthBytes * 8; ++x)
                        ASSERT_EQ(dst.at(x, y),
                                  (before[y * dst->uiWidthBytes + x / 8] >> (7 - x % 8)) & 1)
                            << "padding " << x << ", " << y;
                }
                std::vector<uint8_t> filled = dst.pixels();
                ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(src.get(), src.get()));
                EXPECT_EQ(filled, src.pixels());
            }
}

// Each thread floods in a working block of its own.
TEST(BinFillHoles, ThreadsFillAtOnce)
{
    std::mt19937 rng(78);
    BinPicture src[3] = {BinPicture(300, 200), BinPicture(130, 410), BinPicture(640, 90)};
    std::vector<uint8_t> want[3];
    for (int i = 0; i < 3; ++i) {
        src[i].randomise(rng, 0.4 + 0.1 * i);
        BinPicture dst(src[i]->uiWidth, src[i]->uiHeight);
        ASSERT_EQ(0, CLxBinPicBufAPI::FillHoles(dst.get(), src[i].get()));
        want[i] = dst.pixels();
    }
    int failures[3] = {};
    auto run = [&](int i) {
        BinPicture dst(src[i]->uiWidth, src[i]->uiHeight);
        for (int round = 0; round < 40; ++round)
            if (CLxBinPicBufAPI::FillHoles(dst.get(), src[i].get()) != 0 || dst.pixels() != want[i])
                ++failures[i];
    };
    std::thread a(run, 0), b(run, 1), c(run, 2);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures[0], 0);
    EXPECT_EQ(failures[1], 0);
    EXPECT_EQ(failures[2], 0);
}

TEST(BinConditionalDilate, KeepsComponentsTouchingTheMarker)
{
    const Rows mask = {"##...#", "#...#.", "...#..", "##....", "##..##"};
    BinPicture k(6, 5), m(6, 5), d(6, 5);
    Draw(k, mask);

    ASSERT_EQ(0, CLxBinPicBufAPI::ConditionalDilate(d.get(), m.get(), k.get()));
    EXPECT_EQ(Rows(5, "......"), Read(d));

    ASSERT_EQ(0, CLxBinPicBufAPI::ConditionalDilate(d.get(), k.get(), k.get()));
    EXPECT_EQ(mask, Read(d));

    // Marker pixel (3, 2) reaches the diagonal line; the marker is the
    // destination.
    Draw(m, {"......", "......", "...#..", "......", "......"});
    ASSERT_EQ(0, CLxBinPicBufAPI::ConditionalDilate(m.get(), m.get(), k.get()));
    EXPECT_EQ((Rows{".....#", "....#.", "...#..", "......", "......"}), Read(m));

    BinPicture other(5, 5);
    EXPECT_EQ(-9, CLxBinPicBufAPI::ConditionalDilate(d.get(), other.get(), k.get()));
    EXPECT_EQ(-9, CLxBinPicBufAPI::ConditionalDilate(other.get(), k.get(), k.get()));
}

TEST(BinClean, RemovesObjectsTheErosionWipesOut)
{
    const Rows in = {"..........", ".###...##.", ".###...##.", ".###......", "..........",
                     "....#.....", "...###....", "....#.....", ".........."};
    Pictures p(in);
    ASSERT_EQ(0, CLxBinPicBufAPI::Clean3x3(p.dst.get(), p.src.get(), 1, true));
    EXPECT_EQ((Rows{"..........", ".###......", ".###......", ".###......", "..........",
                    "..........", "..........", "..........", ".........."}),
              Read(p.dst));
    ASSERT_EQ(0, CLxBinPicBufAPI::Clean2x2(p.dst.get(), p.src.get(), 1, true));
    EXPECT_EQ((Rows{"..........", ".###...##.", ".###...##.", ".###......", "..........",
                    "..........", "..........", "..........", ".........."}),
              Read(p.dst));
    EXPECT_EQ(in, Read(p.src));
}

TEST(BinClean, HolesFilledAndSourceUntouched)
{
    const Rows in = {"##########", "#.######.#", "##########", "####...###",
                     "####...###", "####...###", "##########"};
    Pictures p(in);
    ASSERT_EQ(0, CLxBinPicBufAPI::Clean3x3(p.dst.get(), p.src.get(), 1, false));
    EXPECT_EQ((Rows{"##########", "##########", "##########", "####...###", "####...###",
                    "####...###", "##########"}),
              Read(p.dst));
    EXPECT_EQ(in, Read(p.src));
}

TEST(BinClean, CountIsCappedByTheLongerSide)
{
    // A tall, narrow picture: a 4-wide bar needs 4 passes of the 2x2
    // erosion, more than width / 2 = 3; the cap at max(width, height) / 2
    // lets them run.
    BinPicture src(6, 40), dst(6, 40);
    for (uint32_t y = 5; y < 35; ++y)
        for (uint32_t x = 1; x < 5; ++x)
            src.set(x, y);
    ASSERT_EQ(0, CLxBinPicBufAPI::Clean2x2(dst.get(), src.get(), 3, true));
    EXPECT_FALSE(CLxBinPicBufAPI::IsEmpty(dst.get()));
    ASSERT_EQ(0, CLxBinPicBufAPI::Clean2x2(dst.get(), src.get(), 4, true));
    EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(dst.get()));
}

TEST(BinClean, UnequalSizesChangeNothing)
{
    BinPicture src(8, 8), dst(9, 8);
    dst.set(1, 1);
    for (auto clean : {&CLxBinPicBufAPI::Clean2x2, &CLxBinPicBufAPI::Clean3x3,
                       &CLxBinPicBufAPI::Clean4x4Oct, &CLxBinPicBufAPI::Clean5x5Oct})
        EXPECT_EQ(-9, clean(dst.get(), src.get(), 1, false));
    EXPECT_EQ(-9, CLxBinPicBufAPI::FillHoles(dst.get(), src.get()));
    EXPECT_EQ(-9, CLxBinPicBufAPI::Smooth(dst.get(), src.get()));
    EXPECT_TRUE(dst.at(1, 1));
}

TEST(BinSmooth, MajorityOfThreeByThree)
{
    const Rows in = {"#......", ".......", "...#...", ".......", "..###..", "..#.#..", "..###.."};
    Pictures p(in);
    ASSERT_EQ(0, CLxBinPicBufAPI::Smooth(p.dst.get(), p.src.get()));
    EXPECT_EQ((Rows{".......", ".......", ".......", ".......", "...#...", "..###..", "..###.."}),
              Read(p.dst));
}

} // namespace

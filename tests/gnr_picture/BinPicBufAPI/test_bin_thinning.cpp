// Thinning, thickening and the framed 16-bit conversions on small
// hand-checked pictures.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bin_test_support.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

using API = CLxBinPicBufAPI;
void FillRect(BinPicture& p, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1)
{
    for (uint32_t y = y0; y < y1; ++y)
        for (uint32_t x = x0; x < x1; ++x)
            p.set(x, y);
}

// ---- Conversions ---------------------------------------------------------------

class Picture16
{
  public:
    Picture16(uint32_t w, uint32_t h)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, w, h, 0, 16, 1, true);
    }
    ~Picture16() { CLxPicBufAPI::Free(&pic); }
    uint16_t at(uint32_t x, uint32_t y) const
    {
        return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(pic.pData) +
                                                 size_t(y) * pic.uiWidthBytes)[x];
    }
    SLxPicBuf pic;
};

TEST(BinFramedConversions, ExpandThenPackRoundTrips)
{
    std::mt19937 rng(40);
    for (uint32_t border : {0u, 1u, 3u})
        for (uint32_t width : {1u, 7u, 13u, 33u}) {
            SCOPED_TRACE(std::to_string(border) + " " + std::to_string(width));
            BinPicture src(width, 5), back(width, 5);
            src.randomise(rng);
            Picture16 work(width + 2 * border, 5 + 2 * border);
            ASSERT_EQ(API::Unpack1to16Expand(&work.pic, src.get(), border), 0);
            for (uint32_t y = 0; y < 5 + 2 * border; ++y)
                for (uint32_t x = 0; x < width + 2 * border; ++x) {
                    const bool inside = x >= border && y >= border && x < width + border &&
                                        y < 5 + border;
                    EXPECT_EQ(work.at(x, y), inside && src.at(x - border, y - border) ? 65535 : 0);
                }
            ASSERT_EQ(API::Pack16NZto1DExpand(back.get(), &work.pic, border), 0);
            EXPECT_EQ(back.pixels(), src.pixels());
        }
}

TEST(BinFramedConversions, UnpackTakesTheValue)
{
    BinPicture src(3, 1);
    Draw(src, {"#.#"});
    Picture16 work(3, 1);
    ASSERT_EQ(API::Unpack1to16(&work.pic, src.get(), 0x10007), 0);
    EXPECT_EQ(work.at(0, 0), 7);
    EXPECT_EQ(work.at(1, 0), 0);
    EXPECT_EQ(work.at(2, 0), 7);
}

TEST(BinFramedConversions, RefusesPicturesThatDoNotFit)
{
    BinPicture bin(10, 6);
    Picture16 small(11, 7), exact(12, 8);
    SLxPicBuf eight;
    CLxPicBufAPI::Init(&eight);
    CLxPicBufAPI::Reinit(&eight, 12, 8, 0, 8, 1, true);
    EXPECT_EQ(API::Unpack1to16Expand(&small.pic, bin.get(), 1), -9);
    EXPECT_EQ(API::Pack16NZto1DExpand(bin.get(), &small.pic, 1), -9);
    EXPECT_EQ(API::Unpack1to16Expand(&eight, bin.get(), 1), -9);
    EXPECT_EQ(API::Unpack1to16(&small.pic, nullptr, 1), -9);
    EXPECT_EQ(API::Unpack1to16Expand(&exact.pic, bin.get(), 1), 0);
    EXPECT_EQ(API::Pack16NZto1DExpand(bin.get(), &exact.pic, 1), 0);
    CLxPicBufAPI::Free(&eight);
}

// ---- Thinning ---------------------------------------------------------------------

Rows Thin(const Rows& rows, int metric, int extend, int length = 5, int spurMode = 0)
{
    BinPicture src(uint32_t(rows[0].size()), uint32_t(rows.size())),
        dst(uint32_t(rows[0].size()), uint32_t(rows.size()));
    Draw(src, rows);
    EXPECT_EQ(API::Thinning(dst.get(), src.get(), metric, spurMode, length, extend), 0);
    EXPECT_EQ(Read(src), rows); // the source is never written
    return Read(dst);
}

TEST(BinThinning, RectangleThinsToItsMiddleLineAndExtendsToTheShortSides)
{
    BinPicture src(70, 17);
    FillRect(src, 5, 3, 65, 14); // 60 x 11, middle line y = 8
    const Rows rect = Read(src);
    for (int extend : {0, 1}) {
        SCOPED_TRACE(extend);
        const Rows out = Thin(rect, 17, extend);
        for (uint32_t y = 0; y < 17; ++y) {
            if (y != 8) {
                EXPECT_EQ(out[y], std::string(70, '.'));
            }
        }
        const size_t first = out[8].find('#'), last = out[8].rfind('#');
        EXPECT_EQ(out[8].substr(first, last - first + 1), std::string(last - first + 1, '#'));
        if (extend) {
            EXPECT_EQ(first, 5u);
            EXPECT_EQ(last, 64u);
        } else {
            EXPECT_GT(first, 5u);
            EXPECT_LT(last, 64u);
        }
    }
}

TEST(BinThinning, TwoPixelObjectStaysWithOrWithoutExtend)
{
    const Rows pair = {".....", "..##.", "....."};
    const Rows diagonal = {".....", ".#...", "..#..", "....."};
    for (int extend : {0, 1}) {
        EXPECT_EQ(Thin(pair, 3, extend), pair);
        EXPECT_EQ(Thin(diagonal, 17, extend), diagonal);
    }
}

TEST(BinThinning, SinglePointSkeletonGrowsTwoOppositeStrokesToTheBorder)
{
    // An ellipse 13 wide and 7 high peels to at most two points; with
    // extend its skeleton spans it along the long axis.
    BinPicture src(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if ((x - 9) * (x - 9) + 3 * (y - 9) * (y - 9) < 40)
                src.set(x, y);
    const Rows ellipse = Read(src);
    const Rows plain = Thin(ellipse, 17, 0);
    EXPECT_LE(std::count(plain[9].begin(), plain[9].end(), '#'), 2);
    const Rows out = Thin(ellipse, 17, 1);
    for (uint32_t y = 0; y < 20; ++y) {
        if (y != 9) {
            EXPECT_EQ(out[y], std::string(20, '.')) << y;
        }
    }
    // The stroke covers the ellipse's whole middle line, x = 3 ... 15.
    EXPECT_EQ(out[9], ellipse[9]);

    // A 7 x 7 square peels to its centre; the strokes run to two opposite
    // sides.
    BinPicture square(9, 9);
    FillRect(square, 1, 1, 8, 8);
    const Rows sq = Thin(Read(square), 3, 1);
    EXPECT_EQ(sq, (Rows{".........", "....#....", "....#....", "....#....", "....#....",
                        "....#....", "....#....", "....#....", "........."}));
}

TEST(BinThinning, OtherMetricsThinWithMetric17)
{
    std::mt19937 rng(7);
    BinPicture src(48, 40);
    for (int k = 0; k < 6; ++k) {
        const int cx = 6 + int(rng() % 36), cy = 6 + int(rng() % 28), r = 3 + int(rng() % 5);
        API::AddCircle(src.get(), uint32_t(r), cx, cy);
    }
    FillRect(src, 2, 30, 40, 36);
    const Rows rows = Read(src);
    const Rows want = Thin(rows, 17, 1);
    for (int metric : {5, 0, 99, -3})
        EXPECT_EQ(Thin(rows, metric, 1), want) << metric;
    // The four metrics of their own give one-pixel-wide lines.
    for (int metric : {3, 15, 16, 17}) {
        const Rows out = Thin(rows, metric, 0);
        for (size_t y = 0; y + 1 < out.size(); ++y)
            for (size_t x = 0; x + 1 < out[y].size(); ++x)
                EXPECT_FALSE(out[y][x] == '#' && out[y][x + 1] == '#' && out[y + 1][x] == '#' &&
                             out[y + 1][x + 1] == '#')
                    << metric << " at " << x << "," << y;
    }
}

TEST(BinThinning, ClosedLinesStay)
{
    // A one-pixel-wide closed line has no ends and nothing to peel.
    const Rows octagon = {"..........", "...####...", "..#....#..", ".#......#.",
                          ".#......#.", "..#....#..", "...####...", ".........."};
    EXPECT_EQ(Thin(octagon, 17, 0), octagon);
    EXPECT_EQ(Thin(octagon, 3, 1), octagon);
    // A thick ring keeps one closed loop and no hole filled.
    BinPicture ring(24, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            const int r2 = (x - 11) * (x - 11) + (y - 11) * (y - 11);
            if (r2 < 64 && r2 >= 16)
                ring.set(x, y);
        }
    const Rows out = Thin(Read(ring), 17, 0);
    BinPicture thin(24, 24), filled(24, 24);
    Draw(thin, out);
    ASSERT_EQ(API::FillHoles(filled.get(), thin.get()), 0);
    EXPECT_GT(CountSet(filled), CountSet(thin) + 20); // it still encloses the hole
    EXPECT_TRUE(filled.at(11, 11));
    EXPECT_FALSE(thin.at(11, 11));
}

TEST(BinThinning, OpenOnePixelLineIsEatenToALonePair)
{
    // The peeling keeps the line; spur removal eats any number of steps at
    // distance 1, so only a lone pair is left (and extend adds nothing to
    // ends at distance 1).
    Rows line = {"....................", "...############.....", "...................."};
    const Rows out = Thin(line, 3, 1);
    int n = 0;
    for (const auto& r : out)
        n += int(std::count(r.begin(), r.end(), '#'));
    EXPECT_EQ(n, 2);
}

TEST(BinThinning, RefusesDestinationsOfAnotherSize)
{
    BinPicture src(10, 10), dst(10, 11);
    FillRect(src, 2, 2, 8, 8);
    std::memset(dst->pData, 0x5A, dst->uiSize);
    EXPECT_EQ(API::Thinning(dst.get(), src.get(), 3, 0, 1, 1), -9);
    EXPECT_EQ(API::Thickening(dst.get(), nullptr, src.get(), 0, false), -9);
    EXPECT_EQ(API::Pruning(dst.get(), src.get(), 1), -9);
    EXPECT_EQ(API::CalculateZonesOfInfluence(dst.get(), src.get()), -9);
    for (uint32_t i = 0; i < dst->uiSize; ++i)
        ASSERT_EQ(static_cast<uint8_t*>(dst->pData)[i], 0x5A);
    EXPECT_EQ(API::Thinning(nullptr, src.get(), 3, 0, 1, 1), -9);
}

TEST(BinThinning, ExtensionLengthBelowOneCountsAsOne)
{
    BinPicture src(70, 17);
    FillRect(src, 5, 3, 65, 14);
    const Rows rect = Read(src);
    EXPECT_EQ(Thin(rect, 17, 1, 0), Thin(rect, 17, 1, 1));
    EXPECT_EQ(Thin(rect, 17, 1, -7), Thin(rect, 17, 1, 1));
}

// ---- Thickening -------------------------------------------------------------------

Rows Thicken(const Rows& rows, int passes, const Rows* mask = nullptr)
{
    const uint32_t w = uint32_t(rows[0].size()), h = uint32_t(rows.size());
    BinPicture src(w, h), dst(w, h), m(w, h);
    Draw(src, rows);
    if (mask)
        Draw(m, *mask);
    EXPECT_EQ(API::Thickening(dst.get(), m.get(), src.get(), passes, mask != nullptr), 0);
    EXPECT_EQ(Read(src), rows);
    return Read(dst);
}

TEST(BinThickening, GrowsOneChessboardLevelAPass)
{
    const Rows one = {".......", ".......", ".......", "...#...", ".......", ".......", "......."};
    EXPECT_EQ(Thicken(one, 1), (Rows{".......", ".......", "..###..", "..###..", "..###..",
                                     ".......", "......."}));
    EXPECT_EQ(Thicken(one, 2), (Rows{".......", ".#####.", ".#####.", ".#####.", ".#####.",
                                     ".#####.", "......."}));
    // Pass count 0: up to 1000 levels, the whole picture here.
    EXPECT_EQ(Thicken(one, 0), Rows(7, "#######"));
}

TEST(BinThickening, NeverJoinsTwoObjects)
{
    const Rows two = {"..........", ".###.###..", ".###.###..", "..........", ".........."};
    const Rows out = Thicken(two, 0);
    for (const std::string& r : out)
        EXPECT_EQ(r, "####.#####");
    // Two pixels apart: one line of separation stays between them.
    const Rows apart = {"..........", "..#...#...", ".........."};
    BinPicture result(10, 3);
    Draw(result, Thicken(apart, 0));
    BinPicture filled(10, 3);
    EXPECT_LT(CountSet(result), 30);
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_TRUE(result.at(2, y) && result.at(6, y));
}

TEST(BinThickening, NegativePassCountGivesTheSourceCutToTheMask)
{
    const Rows src = {"##....", "##..##", "....##"};
    const Rows mask = {"######", "###...", "######"};
    EXPECT_EQ(Thicken(src, -1), src);
    EXPECT_EQ(Thicken(src, -1, &mask), (Rows{"##....", "##....", "....##"}));
}

TEST(BinThickening, MaskBoundsTheGrowth)
{
    const Rows src = {"........", "...#....", "........"};
    const Rows mask = {"..####..", "..####..", "..####.."};
    EXPECT_EQ(Thicken(src, 0, &mask), mask);
    // A use mask without pixels is refused.
    BinPicture s(8, 3), d(8, 3);
    EXPECT_EQ(API::Thickening(d.get(), nullptr, s.get(), 0, true), -9);
}

TEST(BinThickening, ReadOnlySourceIsNeverWritten)
{
    const long page = sysconf(_SC_PAGESIZE);
    void* block = mmap(nullptr, size_t(page), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                       -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    SLxBinPicBuf src{32, 16, 4, 64, block};
    auto* bytes = static_cast<uint8_t*>(block);
    bytes[5 * 4 + 1] = 0x18;
    bytes[6 * 4 + 1] = 0x18;
    ASSERT_EQ(mprotect(block, size_t(page), PROT_READ), 0);
    BinPicture dst(32, 16);
    EXPECT_EQ(API::Thickening(&dst.pic, nullptr, &src, 2, false), 0);
    EXPECT_TRUE(dst.at(9, 3) && dst.at(14, 8));
    EXPECT_FALSE(dst.at(8, 5));
    munmap(block, size_t(page));
}

} // namespace

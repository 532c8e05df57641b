// Seed fill: bad input in its order, regions by connectivity, whole
// pictures, a stack that outgrows its first 512 spans, the span callback,
// PaintUntil and labelling every object.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "gnr_picture/LxPicMeasAPI.h"
#include "grey_picture.h"

namespace
{

TEST(SeedFill, BadInputGivesStatusAndLeavesPictureAlone)
{
    struct Case {
        const char* what;
        unsigned x, y, oldValue, newValue, connectivity, bits, comps;
        int status;
    } cases[] = {
        {"x outside", 3, 0, 0, 1, 4, 8, 1, -4},
        {"y outside", 0, 3, 0, 1, 4, 8, 1, -4},
        {"equal values", 0, 0, 5, 5, 8, 8, 1, -4},
        {"equal after the 8-bit cut", 0, 0, 0, 256, 8, 8, 1, -4},
        {"equal after the 16-bit cut", 0, 0, 1, 65537, 8, 16, 1, -4},
        {"connectivity 6", 0, 0, 0, 1, 6, 8, 1, -4},
        {"three components", 0, 0, 0, 1, 4, 8, 3, -2},
        {"32 bits", 0, 0, 0, 1, 4, 32, 1, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SLxPicBuf pic;
        CLxPicBufAPI::Init(&pic);
        ASSERT_EQ(0, CLxPicBufAPI::Reinit(&pic, 3, 3, 0, c.bits, c.comps, true));
        uint64_t painted = 99;
        EXPECT_EQ(c.status, CLxPicMeasAPI::Paint(&pic, c.x, c.y, c.oldValue, c.newValue,
                                                 c.connectivity, painted));
        EXPECT_EQ(0u, painted);
        painted = 99;
        EXPECT_EQ(c.status, CLxPicMeasAPI::PaintUntil(&pic, c.x, c.y, c.oldValue + 7,
                                                      c.newValue + 7, c.connectivity, painted));
        EXPECT_EQ(0u, painted);
        const uint8_t* bytes = static_cast<const uint8_t*>(pic.pData);
        for (uint32_t i = 0; i < pic.uiSize; ++i)
            ASSERT_EQ(0, bytes[i]);
        CLxPicBufAPI::Free(&pic);
    }
    uint64_t painted = 5;
    EXPECT_EQ(-9, CLxPicMeasAPI::Paint(nullptr, 0, 0, 0, 1, 4, painted));
    EXPECT_EQ(0u, painted);

    GreyPicture noLines(3, 3);
    noLines.pic.uiWidthBytes = 0;
    EXPECT_EQ(0, CLxPicMeasAPI::Paint(noLines.get(), 0, 0, 0, 1, 4));
}

TEST(SeedFill, SeedOffTheOldValuePaintsNothing)
{
    GreyPicture p({"..#", ".##"});
    const auto before = p.pixels();
    uint64_t painted = 7;
    EXPECT_EQ(0, CLxPicMeasAPI::Paint(p.get(), 2, 0, 0, 9, 8, painted));
    EXPECT_EQ(0u, painted);
    EXPECT_EQ(before, p.pixels());
}

TEST(SeedFill, ConnectivityDecidesDiagonalTouch)
{
    // Two squares touching at one corner, at both sample widths.
    const std::vector<std::string> rows = {"##...", "##...", "..##.", "..##.", "....."};
    for (uint32_t bits : {8u, 16u})
        for (auto [connectivity, expected] : {std::pair<unsigned, uint64_t>{4, 4}, {8, 8}}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << connectivity);
            GreyPicture p(rows, bits);
            const uint32_t full = bits == 8 ? 255 : 65535;
            uint64_t painted = 0;
            ASSERT_EQ(0, CLxPicMeasAPI::Paint(p.get(), 0, 0, full, 3, connectivity, painted));
            EXPECT_EQ(expected, painted);
            EXPECT_EQ(3u, p.at(1, 1));
            EXPECT_EQ(connectivity == 8 ? 3u : full, p.at(2, 2));
            EXPECT_EQ(0u, p.at(4, 4));
        }
}

TEST(SeedFill, WholePictureReachesEveryRowsEnds)
{
    for (uint32_t bits : {8u, 16u})
        for (unsigned connectivity : {4u, 8u}) {
            GreyPicture p(37, 11, bits);
            uint64_t painted = 0;
            ASSERT_EQ(0, CLxPicMeasAPI::Paint(p.get(), 20, 5, 0, 1000, connectivity, painted));
            EXPECT_EQ(37u * 11u, painted);
            const uint32_t expected = bits == 8 ? (1000 & 0xFF) : 1000;
            for (uint32_t y = 0; y < 11; ++y) {
                EXPECT_EQ(expected, p.at(0, y));
                EXPECT_EQ(expected, p.at(36, y));
            }
            EXPECT_EQ(std::vector<uint32_t>(37 * 11, expected), p.pixels());
        }
}

TEST(SeedFill, CombOfTwoThousandTeethGrowsTheSpanStack)
{
    const uint32_t teeth = 2000, width = teeth * 2, height = 6;
    GreyPicture p(width, height, 16);
    for (uint32_t x = 0; x < width; ++x) {
        p.set(x, height - 1, 7);
        if (x % 2 == 0)
            for (uint32_t y = 0; y + 1 < height; ++y)
                p.set(x, y, 7);
    }
    uint64_t painted = 0;
    ASSERT_EQ(0, CLxPicMeasAPI::Paint(p.get(), 1, height - 1, 7, 8, 4, painted));
    EXPECT_EQ(uint64_t(width) + uint64_t(teeth) * (height - 1), painted);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ((y + 1 == height || x % 2 == 0) ? 8u : 0u, p.at(x, y)) << x << "," << y;
}

struct SpanLog {
    GreyPicture* picture;
    unsigned oldValue;
    std::vector<std::tuple<unsigned, unsigned, unsigned>> spans;
    bool sawOnlyOldValues = true;
    static void Record(unsigned x, unsigned y, unsigned length, void* user)
    {
        auto* log = static_cast<SpanLog*>(user);
        log->spans.emplace_back(x, y, length);
        for (unsigned i = 0; i < length; ++i)
            if (log->picture->at(x + i, y) != log->oldValue)
                log->sawOnlyOldValues = false;
    }
};

TEST(SeedFill, CallbackSeesEveryPixelOnceBeforeItIsPainted)
{
    GreyPicture p({"..#....", ".###.#.", "..#.##.", "#...#..", "##.##.."});
    SpanLog log{&p, 255, {}, true};
    ASSERT_EQ(0, CLxPicMeasAPI::Paint(p.get(), 2, 0, 255, 4, 8, SpanLog::Record, &log));
    EXPECT_TRUE(log.sawOnlyOldValues);
    std::set<std::pair<unsigned, unsigned>> seen;
    for (auto [x, y, length] : log.spans)
        for (unsigned i = 0; i < length; ++i)
            EXPECT_TRUE(seen.insert({x + i, y}).second) << "twice: " << x + i << "," << y;
    // The 8-connected object holds all marked pixels but the lower left three.
    std::set<std::pair<unsigned, unsigned>> painted;
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            if (p.at(x, y) == 4)
                painted.insert({x, y});
    EXPECT_EQ(painted, seen);
    EXPECT_EQ(11u, seen.size());
    EXPECT_EQ(255u, p.at(0, 3));
}

TEST(SeedFill, PaintUntilFillsUpToTheBoundary)
{
    // A ring of 9 around mixed values; the value outside stays.
    GreyPicture p({"1111111", "1999991", "1923491", "1945291", "1999991", "1111111"});
    uint64_t painted = 0;
    ASSERT_EQ(0, CLxPicMeasAPI::PaintUntil(p.get(), 2, 2, 9, 7, 8, painted));
    EXPECT_EQ(6u, painted);
    for (uint32_t y = 2; y <= 3; ++y)
        for (uint32_t x = 2; x <= 4; ++x)
            EXPECT_EQ(7u, p.at(x, y));
    EXPECT_EQ(9u, p.at(1, 1));
    EXPECT_EQ(1u, p.at(0, 0));

    // A seed on the boundary or already holding the new value paints nothing.
    const auto before = p.pixels();
    EXPECT_EQ(0, CLxPicMeasAPI::PaintUntil(p.get(), 1, 1, 9, 3, 8, painted));
    EXPECT_EQ(0u, painted);
    EXPECT_EQ(0, CLxPicMeasAPI::PaintUntil(p.get(), 2, 2, 9, 7, 4, painted));
    EXPECT_EQ(0u, painted);
    EXPECT_EQ(before, p.pixels());
}

TEST(SeedFill, FillStartedFromACallbackWorks)
{
    // The inner fill must not reuse the outer fill's pending spans.
    struct Nested {
        GreyPicture* other;
        int status = 1;
        static void Run(unsigned, unsigned, unsigned, void* user)
        {
            auto* n = static_cast<Nested*>(user);
            if (n->status == 1)
                n->status = CLxPicMeasAPI::Paint(n->other->get(), 0, 0, 0, 5, 4);
        }
    };
    GreyPicture outer(600, 3), other(700, 4);
    for (uint32_t x = 0; x < 600; x += 2)
        outer.set(x, 1, 1);
    Nested nested{&other};
    uint64_t painted = 0;
    ASSERT_EQ(0, CLxPicMeasAPI::Paint(outer.get(), 1, 0, 0, 9, 4, Nested::Run, &nested));
    EXPECT_EQ(0, nested.status);
    EXPECT_EQ(std::vector<uint32_t>(700 * 4, 5), other.pixels());
    ASSERT_EQ(0, CLxPicMeasAPI::Paint(outer.get(), 0, 1, 1, 2, 4, painted));
    EXPECT_EQ(1u, painted);
    for (uint32_t x = 1; x < 600; x += 2)
        EXPECT_EQ(9u, outer.at(x, 1));
}

TEST(SeedFill, PaintAllObjectsLabelsInRasterOrder)
{
    const std::vector<std::string> rows = {"#..#.", ".#.#.", "....#", "##..."};
    GreyPicture eight(rows, 16);
    ASSERT_EQ(0, CLxPicMeasAPI::PaintAllObjects(eight.get(), 8));
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 0, 2, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 2, 3, 3, 0, 0, 0}),
              eight.pixels());
    GreyPicture four(rows, 16);
    ASSERT_EQ(0, CLxPicMeasAPI::PaintAllObjects(four.get(), 4));
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 0, 2, 0, 0, 3, 0, 2, 0, 0, 0, 0, 0, 4, 5, 5, 0, 0, 0}),
              four.pixels());

    GreyPicture empty(4, 4, 16);
    EXPECT_EQ(0, CLxPicMeasAPI::PaintAllObjects(empty.get(), 8));
    EXPECT_EQ(-4, CLxPicMeasAPI::PaintAllObjects(GreyPicture(rows, 16).get(), 5));
    EXPECT_EQ(-9, CLxPicMeasAPI::PaintAllObjects(nullptr, 8));
    GreyPicture bytes(rows, 8);
    EXPECT_EQ(-2, CLxPicMeasAPI::PaintAllObjects(bytes.get(), 8));
}

TEST(SeedFill, PaintAllObjectsPastTheLastLabelKeepsTheMarker)
{
    // 65,535 lone pixels: labels 1 to 65,534, the last one stays 65535.
    const uint32_t width = 2 * 256, height = 2 * 256;
    GreyPicture p(width, height, 16);
    uint32_t objects = 0;
    for (uint32_t y = 0; y < height; y += 2)
        for (uint32_t x = 0; x < width && objects < 65535; x += 2, ++objects)
            p.set(x, y, 65535);
    EXPECT_EQ(-4, CLxPicMeasAPI::PaintAllObjects(p.get(), 8));
    EXPECT_EQ(1u, p.at(0, 0));
    EXPECT_EQ(65534u, p.at(506, 510));
    EXPECT_EQ(65535u, p.at(508, 510));
    EXPECT_EQ(0u, p.at(510, 510));
}

} // namespace

// Zoomed copies of object pictures and their drawing into 24-bit display
// pictures: exact small cases, every zoom kind against the pixel
// definition, strokes by style, windows and concurrent displays.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "../measure/grey_picture.h"
#include "rle_test_support.h"

namespace
{

using Rows = std::vector<std::string>;
using API = CLxRLEPicBufAPI;
using PixelSet = std::set<std::pair<uint32_t, uint32_t>>;

void Load(SLxRLEPicBuf* rec, const Rows& rows, bool painted = true)
{
    GreyPicture pic(rows);
    if (painted)
        ASSERT_EQ(API::ConvertPicBufToPaintedRLE(rec, pic.get()), 0);
    else
        ASSERT_EQ(API::ConvertPicBufToNonPaintedRLE(rec, pic.get()), 0);
}

Rows RandomRows(std::mt19937& rng, uint32_t w, uint32_t h, int percent = 40)
{
    Rows rows(h, std::string(w, '.'));
    for (auto& row : rows)
        for (char& c : row)
            c = int(rng() % 100) < percent ? '#' : '.';
    return rows;
}

SLxRLEObject* Mutable(SLxRLEPicBuf* rec, uint32_t index)
{
    return API::FindObjectByIndex(rec, index);
}

void SetWord(SLxRLEObject* obj, size_t offset, uint32_t v)
{
    std::memcpy(reinterpret_cast<uint8_t*>(obj) + offset, &v, 4);
}

// Fill colour, draw colour, style and status of one object.
void Attributes(SLxRLEPicBuf* rec, uint32_t index, uint32_t fill, uint32_t draw, uint8_t style,
                uint32_t status = 0)
{
    SLxRLEObject* o = Mutable(rec, index);
    ASSERT_NE(o, nullptr);
    SetWord(o, 36, fill);
    SetWord(o, 40, draw);
    reinterpret_cast<uint8_t*>(o)[44] = style;
    SetWord(o, 32, status);
}

std::map<uint32_t, PixelSet> PixelsById(const SLxRLEPicBuf* rec)
{
    std::map<uint32_t, PixelSet> out;
    for (const SLxRLEObject* o : ObjectsOf(rec))
        for (auto [y, x, n] : RunsOf(o))
            for (uint32_t i = 0; i < n; ++i)
                out[Header(o).uiID].emplace(x + i, y);
    return out;
}

// The layout every zoomed object keeps: rows ascending, runs sorted and
// apart, an exact box, and a size that covers segments and custom bytes.
void ExpectWellFormed(const SLxRLEPicBuf* rec)
{
    uint64_t total = 0;
    for (const SLxRLEObject* o : ObjectsOf(rec)) {
        SLxRLEObject h = Header(o);
        std::vector<RunTriple> runs = RunsOf(o);
        ASSERT_FALSE(runs.empty());
        uint32_t left = UINT32_MAX, right = 0, segBytes = 0;
        for (size_t i = 0; i < runs.size(); ++i) {
            auto [y, x, n] = runs[i];
            ASSERT_GT(n, 0u);
            EXPECT_LT(x + n - 1, rec->uiWidth);
            EXPECT_LT(y, rec->uiHeight);
            if (i > 0) {
                auto [py, px, pn] = runs[i - 1];
                EXPECT_TRUE(py < y || (py == y && px + pn < x)) << "run " << i;
            }
            left = std::min(left, x);
            right = std::max(right, x + n - 1);
        }
        std::set<uint32_t> rowsSeen;
        for (auto [y, x, n] : runs)
            rowsSeen.insert(y);
        segBytes = uint32_t(8 * rowsSeen.size() + 8 * runs.size());
        EXPECT_EQ(h.uiRowSegmentCount, rowsSeen.size());
        EXPECT_EQ(h.uiLeft, left);
        EXPECT_EQ(h.uiRight, right);
        EXPECT_EQ(h.uiTop, *rowsSeen.begin());
        EXPECT_EQ(h.uiBottom, *rowsSeen.rbegin());
        EXPECT_EQ(h.uiSize, 49 + segBytes + rec->uiCustomDataSize);
        total += h.uiSize;
    }
    EXPECT_EQ(total, rec->uiObjectSize);
}

// ---- StretchDisplay

TEST(RLEStretchDisplay, ZoomOneWithZeroOffsetsCopies)
{
    std::mt19937 rng(11);
    RLEPicture src(true, 6), dest;
    Load(src.get(), RandomRows(rng, 23, 17));
    Attributes(src.get(), 0, 0x123456, 0x654321, 3, 0x41);
    ASSERT_EQ(API::StretchDisplay(dest.get(), 23, 17, 23, 17, 0, 0, src.get()), 0);
    EXPECT_TRUE(API::IsEqual(dest.get(), src.get()));
}

TEST(RLEStretchDisplay, MagnifyingTwiceMakesTwoRowsOfTwoPixels)
{
    Rows rows(10, std::string(10, '.'));
    rows[4][3] = '#';
    RLEPicture src, dest;
    Load(src.get(), rows);
    Attributes(src.get(), 0, 0xFF00FF, 0x00FF00, 2, 0x01);
    ASSERT_EQ(API::StretchDisplay(dest.get(), 20, 20, 20, 20, 0, 0, src.get()), 0);
    EXPECT_EQ(dest->uiWidth, 20u);
    EXPECT_EQ(dest->uiHeight, 20u);
    EXPECT_EQ(dest->bPainted, 1);
    ASSERT_EQ(dest->uiObjectCount, 1u);
    const SLxRLEObject h = Header(ObjectsOf(dest.get())[0]);
    EXPECT_EQ(std::make_tuple(h.uiLeft, h.uiTop, h.uiRight, h.uiBottom),
              std::make_tuple(6u, 8u, 7u, 9u));
    EXPECT_EQ(h.uiRowSegmentCount, 2u);
    EXPECT_EQ(RunsOf(ObjectsOf(dest.get())[0]), (std::vector<RunTriple>{{8, 6, 2}, {9, 6, 2}}));
    EXPECT_EQ(std::make_tuple(h.uiID, h.uiStatus, h.uiFillColor, h.uiDrawColor, h.ucDrawStyle),
              std::make_tuple(1u, 1u, 0xFF00FFu, 0x00FF00u, uint8_t(2)));
    ExpectWellFormed(dest.get());
}

TEST(RLEStretchDisplay, ReducingTwiceMergesRowsAndJoinsTouchingRuns)
{
    // Columns 0, 1-2, 3-4 land on 0, 1, 2 and rows 1-2 on row 1.
    const Rows rows = {"........", "#.#.....", ".#.##...", "........",
                       "........", "........", "........", "........"};
    RLEPicture src, dest;
    Load(src.get(), rows);
    ASSERT_EQ(src->uiObjectCount, 1u);
    ASSERT_EQ(API::StretchDisplay(dest.get(), 4, 4, 4, 4, 0, 0, src.get()), 0);
    ASSERT_EQ(dest->uiObjectCount, 1u);
    EXPECT_EQ(RunsOf(ObjectsOf(dest.get())[0]), (std::vector<RunTriple>{{1, 0, 3}}));
    EXPECT_EQ(Header(ObjectsOf(dest.get())[0]).uiRowSegmentCount, 1u);
    ExpectWellFormed(dest.get());
}

// The zoomed positions of source position s: all z whose source is s when
// magnifying, the nearest one when reducing.
std::vector<uint32_t> ZoomedOf(uint32_t s, uint32_t n, uint32_t zn)
{
    const double scale = double(n) / zn;
    std::vector<uint32_t> out;
    if (scale <= 1) {
        for (uint32_t z = 0; z < zn; ++z)
            if (uint32_t(std::floor((z + 0.5) * scale)) == s)
                out.push_back(z);
    } else {
        out.push_back(std::min(zn - 1, uint32_t(std::floor(s / scale + 0.5))));
    }
    return out;
}

struct ZoomCase {
    uint32_t w, h, zw, zh;
};

class RLEStretchDisplayZoom : public ::testing::TestWithParam<ZoomCase>
{
};

TEST_P(RLEStretchDisplayZoom, ObjectsCoverTheirZoomedPixels)
{
    const ZoomCase c = GetParam();
    std::mt19937 rng(c.w * 131 + c.zw * 7 + c.zh);
    for (int round = 0; round < 4; ++round) {
        RLEPicture src(true, round % 2 ? 4 : 0), dest;
        Load(src.get(), RandomRows(rng, c.w, c.h, 25 + 15 * round));
        ASSERT_EQ(API::StretchDisplay(dest.get(), c.zw, c.zh, c.zw, c.zh, 0, 0, src.get()), 0);
        EXPECT_EQ(dest->uiCustomDataSize, src->uiCustomDataSize);
        std::map<uint32_t, PixelSet> want;
        for (auto& [id, pixels] : PixelsById(src.get()))
            for (auto [x, y] : pixels)
                for (uint32_t zy : ZoomedOf(y, c.h, c.zh))
                    for (uint32_t zx : ZoomedOf(x, c.w, c.zw))
                        want[id].emplace(zx, zy);
        EXPECT_EQ(PixelsById(dest.get()), want) << "round " << round;
        EXPECT_EQ(dest->uiObjectCount, src->uiObjectCount);
        ExpectWellFormed(dest.get());
    }
}

INSTANTIATE_TEST_SUITE_P(RLEZooms, RLEStretchDisplayZoom,
                         ::testing::Values(ZoomCase{10, 8, 20, 16}, ZoomCase{10, 8, 30, 24},
                                           ZoomCase{10, 8, 17, 13}, ZoomCase{12, 12, 6, 6},
                                           ZoomCase{20, 15, 7, 11}, ZoomCase{9, 9, 27, 4},
                                           ZoomCase{9, 9, 4, 27}, ZoomCase{1, 1, 5, 3},
                                           ZoomCase{16, 9, 16, 9}));

struct WindowCase {
    const char* name;
    uint32_t w, h, offX, offY;
    std::vector<uint32_t> ids; // objects copied
};

TEST(RLEStretchDisplay, OnlyObjectsReachingTheWindowAreCopiedWhole)
{
    // Objects 1 (x 0-2), 2 (x 8-9), 3 (x 15-17) in rows 2-3; 4 in rows 8-9.
    const Rows rows = {"....................", "....................", "###.....##.....###..",
                       "###.....##.....###..", "....................", "....................",
                       "....................", "....................", "..........##........",
                       "..........##........"};
    RLEPicture src;
    Load(src.get(), rows);
    ASSERT_EQ(IdsOf(src.get()), (std::vector<uint32_t>{1, 2, 3, 4}));
    const WindowCase cases[] = {
        {"all", 40, 20, 0, 0, {1, 2, 3, 4}},
        {"left part", 10, 20, 0, 0, {1}},
        {"edge pixel of 1", 1, 1, 5, 5, {1}},
        {"between 1 and 2", 10, 20, 6, 0, {}},
        {"2 and 3", 16, 8, 16, 0, {2, 3}},
        {"bottom rows", 40, 4, 0, 16, {4}},
        {"beyond the right edge", 10, 20, 34, 0, {3}},
        {"starting past the picture", 10, 10, 40, 0, {}},
        {"below the picture", 10, 10, 0, 20, {}},
        {"empty window", 0, 5, 0, 0, {}},
    };
    for (const WindowCase& c : cases) {
        RLEPicture dest;
        ASSERT_EQ(API::StretchDisplay(dest.get(), c.w, c.h, 40, 20, c.offX, c.offY, src.get()), 0)
            << c.name;
        EXPECT_EQ(IdsOf(dest.get()), c.ids) << c.name;
        EXPECT_EQ(dest->uiWidth, 40u) << c.name;
        for (const SLxRLEObject* o : ObjectsOf(dest.get()))
            EXPECT_EQ(RunsOf(o).size(), 4u) << c.name; // whole: 2 rows x 2
        ExpectWellFormed(dest.get());
    }
}

TEST(RLEStretchDisplay, ReducedObjectShownAtTheWindowEdgeIsCopied)
{
    // Column 3 lands on zoomed column 2 (floor(3 / 2 + 0.5)), although
    // zoomed column 2 shows source column 5.
    Rows rows(4, std::string(8, '.'));
    rows[0][3] = '#';
    RLEPicture src, dest;
    Load(src.get(), rows);
    ASSERT_EQ(API::StretchDisplay(dest.get(), 2, 2, 4, 2, 2, 0, src.get()), 0);
    EXPECT_EQ(dest->uiObjectCount, 1u);
}

TEST(RLEStretchDisplay, HugeZoomIsWorkedOutPerSourcePosition)
{
    RLEPicture src, dest;
    Load(src.get(), {"#.#"});
    ASSERT_EQ(API::StretchDisplay(dest.get(), 100, 2, 0xFFFFFFFFu, 2, 0, 0, src.get()), 0);
    ASSERT_EQ(dest->uiObjectCount, 1u); // only the first reaches the window
    // Column 0 covers zoomed 0 .. 1431655764 (floor((z + 0.5) / 1431655765)).
    EXPECT_EQ(RunsOf(ObjectsOf(dest.get())[0]),
              (std::vector<RunTriple>{{0, 0, 1431655765u}, {1, 0, 1431655765u}}));
}

TEST(RLEStretchDisplay, BadArgumentsGiveMinusNine)
{
    RLEPicture src, dest;
    Load(src.get(), {"#.", ".#"});
    EXPECT_EQ(API::StretchDisplay(nullptr, 2, 2, 2, 2, 0, 0, src.get()), -9);
    EXPECT_EQ(API::StretchDisplay(dest.get(), 2, 2, 2, 2, 0, 0, nullptr), -9);
    EXPECT_EQ(API::StretchDisplay(dest.get(), 2, 2, 0, 2, 0, 0, src.get()), -9);
    EXPECT_EQ(API::StretchDisplay(dest.get(), 2, 2, 2, 0, 0, 0, src.get()), -9);
    EXPECT_EQ(dest->uiObjectCount, 0u);
}

TEST(RLEStretchDisplay, NonPaintedSourceIsLabelledAndDestMayBeSource)
{
    const Rows rows = {"##..#", "....#", "#...."};
    RLEPicture runs(false), painted, zoomed, want;
    Load(runs.get(), rows, false);
    Load(painted.get(), rows);
    ASSERT_EQ(API::StretchDisplay(zoomed.get(), 10, 6, 10, 6, 0, 0, runs.get()), 0);
    ASSERT_EQ(API::StretchDisplay(want.get(), 10, 6, 10, 6, 0, 0, painted.get()), 0);
    EXPECT_TRUE(API::IsEqual(zoomed.get(), want.get()));
    EXPECT_EQ(runs->bPainted, 0); // the source is left alone
    ASSERT_EQ(API::StretchDisplay(painted.get(), 10, 6, 10, 6, 0, 0, painted.get()), 0);
    EXPECT_TRUE(API::IsEqual(painted.get(), want.get()));
}

TEST(RLEStretchDisplay, RunsOutsideThePictureAreClipped)
{
    RLEPicture src, dest;
    Load(src.get(), {"##....", "##....", "......"});
    ASSERT_EQ(API::MoveObjects(src.get(), 5, 2), 0); // columns 5-6 of 6, rows 2-3 of 3
    ASSERT_EQ(API::StretchDisplay(dest.get(), 12, 6, 12, 6, 0, 0, src.get()), 0);
    ASSERT_EQ(dest->uiObjectCount, 1u);
    EXPECT_EQ(RunsOf(ObjectsOf(dest.get())[0]), (std::vector<RunTriple>{{4, 10, 2}, {5, 10, 2}}));
    ASSERT_EQ(API::MoveObjects(src.get(), -20, 0), 0); // wholly outside
    ASSERT_EQ(API::StretchDisplay(dest.get(), 12, 6, 12, 6, 0, 0, src.get()), 0);
    EXPECT_EQ(dest->uiObjectCount, 0u);
}

// ---- Stretch

TEST(RLEStretch, ZoomsToTheDestinationsSize)
{
    std::mt19937 rng(5);
    RLEPicture src, dest, want;
    Load(src.get(), RandomRows(rng, 9, 7));
    ASSERT_EQ(API::Reinit(dest.get(), 27, 14), 0);
    EXPECT_EQ(API::Stretch(dest.get(), src.get()), 0);
    ASSERT_EQ(API::StretchDisplay(want.get(), 27, 14, 27, 14, 0, 0, src.get()), 0);
    EXPECT_TRUE(API::IsEqual(dest.get(), want.get()));

    RLEPicture empty;
    EXPECT_EQ(API::Stretch(empty.get(), src.get()), 0); // no size: nothing to zoom to
    EXPECT_EQ(empty->uiObjectCount, 0u);
    EXPECT_EQ(API::Stretch(nullptr, src.get()), -9);
    EXPECT_EQ(API::Stretch(dest.get(), nullptr), -9);
}

// ---- BlendColorWithStretchedRLE

// A display picture of blue, green, red bytes with padding after each line.
struct Display {
    Display(uint32_t w, uint32_t h, uint32_t seed) : w(w), h(h), bpl(3 * w + 5)
    {
        bytes.resize(size_t(bpl) * h);
        std::mt19937 rng(seed);
        for (uint8_t& b : bytes)
            b = uint8_t(rng());
    }
    const uint8_t* at(uint32_t x, uint32_t y) const { return &bytes[size_t(y) * bpl + 3 * x]; }
    std::array<uint8_t, 3> px(uint32_t x, uint32_t y) const
    {
        return {at(x, y)[0], at(x, y)[1], at(x, y)[2]};
    }
    int Blend(SLxRLEPicBuf* rec, uint32_t zw, uint32_t zh, int32_t offX, uint32_t offY,
              uint8_t opacity)
    {
        return API::BlendColorWithStretchedRLE(bytes.data(), bpl, w, h, zw, zh, offX, offY, rec, 0,
                                               opacity);
    }
    uint32_t w, h, bpl;
    std::vector<uint8_t> bytes;
};

std::array<uint8_t, 3> Bgr(uint32_t colour)
{
    return {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
}

std::array<uint8_t, 3> Blended(std::array<uint8_t, 3> shown, uint32_t fill, uint32_t a)
{
    if (fill == 0xFFFFFFFFu)
        a = 0;
    std::array<uint8_t, 3> c = Bgr(fill), out;
    for (int i = 0; i < 3; ++i)
        out[i] = uint8_t((c[i] * a + shown[i] * (255 - a)) / 255);
    return out;
}

struct StyleCase {
    const char* name;
    uint8_t style;
    uint8_t opacity;
    uint32_t fill, draw;
    int radius; // stroke reach round the outline; -1 none (style 0)
    bool hidden;
};

TEST(RLEBlend, SquareByStyle)
{
    // A 7 x 7 square at (5, 4) on a 16 x 14 picture: its border is the
    // outline, the 5 x 5 inside its inner pixels.
    Rows rows(14, std::string(16, '.'));
    for (uint32_t y = 4; y < 11; ++y)
        for (uint32_t x = 5; x < 12; ++x)
            rows[y][x] = '#';
    const StyleCase cases[] = {
        {"style 0, opacity 0", 0, 0, 0x3366CC, 0x00FF00, -1, false},
        {"style 0, opacity 255", 0, 255, 0x3366CC, 0x00FF00, -1, false},
        {"style 0, opacity 77", 0, 77, 0x3366CC, 0x00FF00, -1, false},
        {"style 1, opacity 255", 1, 255, 0x3366CC, 0x00FF00, 0, false},
        {"style 1, opacity 128", 1, 128, 0x102030, 0xABCDEF, 0, false},
        {"style 1, black", 1, 255, 0x3366CC, 0x000000, 0, false},
        {"style 1, no fill", 1, 255, 0xFFFFFFFF, 0x0000FF, 0, false},
        {"style 2", 2, 200, 0x3366CC, 0x00FF00, 1, false},
        {"style 3", 3, 200, 0x3366CC, 0x00FF00, 1, false},
        {"style 4", 4, 200, 0x3366CC, 0x00FF00, 1, false},
        {"style 5", 5, 200, 0x3366CC, 0x00FF00, 2, false},
        {"style 200", 200, 200, 0x3366CC, 0x00FF00, 2, false},
        {"hidden", 1, 255, 0x3366CC, 0x00FF00, 0, true},
    };
    for (const StyleCase& c : cases) {
        RLEPicture rec;
        Load(rec.get(), rows);
        Attributes(rec.get(), 0, c.fill, c.draw, c.style, c.hidden ? 0x40 | 0x01 : 0);
        Display before(16, 14, 3), d(16, 14, 3);
        ASSERT_EQ(d.Blend(rec.get(), 16, 14, 0, 0, c.opacity), 0) << c.name;
        const std::array<uint8_t, 3> ink = c.draw ? Bgr(c.draw) : std::array<uint8_t, 3>{1, 1, 1};
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inSquare = x >= 5 && x < 12 && y >= 4 && y < 11;
                const bool inner = x >= 6 && x < 11 && y >= 5 && y < 10;
                // Distance (in steps of four directions) to the border.
                int reach = 1 << 20;
                for (int by = 4; by < 11; ++by)
                    for (int bx = 5; bx < 12; ++bx)
                        if (by == 4 || by == 10 || bx == 5 || bx == 11)
                            reach = std::min(reach, std::abs(bx - x) + std::abs(by - y));
                std::array<uint8_t, 3> want = before.px(x, y);
                if (!c.hidden) {
                    if (c.radius < 0 ? inSquare : inner)
                        want = Blended(want, c.fill, c.opacity);
                    if (c.radius >= 0 && reach <= c.radius)
                        want = ink;
                }
                ASSERT_EQ(d.px(x, y), want) << c.name << " at " << x << "," << y;
            }
        for (uint32_t y = 0; y < 14; ++y) // padding untouched
            for (uint32_t i = 48; i < d.bpl; ++i)
                ASSERT_EQ(d.bytes[y * d.bpl + i], before.bytes[y * d.bpl + i]) << c.name;
    }
}

TEST(RLEBlend, BlendTableEntryAndFullOpacity)
{
    RLEPicture rec;
    Load(rec.get(), {"#"});
    Attributes(rec.get(), 0, 0x804020, 0, 0); // red 0x20, green 0x40, blue 0x80
    for (uint32_t a : {0u, 1u, 100u, 254u, 255u})
        for (uint32_t k : {0u, 7u, 128u, 255u}) {
            Display d(1, 1, 0);
            d.bytes[0] = d.bytes[1] = d.bytes[2] = uint8_t(k);
            ASSERT_EQ(d.Blend(rec.get(), 1, 1, 0, 0, uint8_t(a)), 0);
            EXPECT_EQ(d.bytes[0], (0x80 * a + k * (255 - a)) / 255) << a << " " << k;
            EXPECT_EQ(d.bytes[1], (0x40 * a + k * (255 - a)) / 255) << a << " " << k;
            EXPECT_EQ(d.bytes[2], (0x20 * a + k * (255 - a)) / 255) << a << " " << k;
        }
}

TEST(RLEBlend, MiddleRowsSeeTheRowsAboveAndBelow)
{
    // D outline (draw colour), F inner (fill colour), at style 1 and
    // opacity 255: runs of up to two pixels, run ends, the top and bottom
    // rows and pixels beside a hole or an edge above or below are outline.
    const Rows shape = {".#####.", "#######", "###.###", "#######", "##.....", "##....."};
    const Rows want = {".DDDDD.", "DFFDFFD", "DFD.DFD", "DFDDDDD", "DD.....", "DD....."};
    RLEPicture rec;
    Load(rec.get(), shape);
    Attributes(rec.get(), 0, 0x0000FF, 0x00FF00, 1);
    Display d(7, 6, 9), before(7, 6, 9);
    ASSERT_EQ(d.Blend(rec.get(), 7, 6, 0, 0, 255), 0);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            const char c = want[y][x];
            const std::array<uint8_t, 3> expected = c == 'D'   ? Bgr(0x00FF00)
                                                    : c == 'F' ? Bgr(0x0000FF)
                                                               : before.px(x, y);
            EXPECT_EQ(d.px(x, y), expected) << x << "," << y << " " << c;
        }
}

// A random picture of objects with random attributes.
void RandomObjects(SLxRLEPicBuf* rec, std::mt19937& rng, uint32_t w, uint32_t h)
{
    Rows rows = RandomRows(rng, w, h, 55);
    Load(rec, rows);
    for (uint32_t i = 0; i < rec->uiObjectCount; ++i)
        Attributes(rec, i, i % 5 == 4 ? 0xFFFFFFFF : rng() & 0xFFFFFF, i % 7 ? rng() & 0xFFFFFF : 0,
                   uint8_t(rng() % 7), i % 9 == 8 ? 0x40 : 0);
}

struct WindowBlendCase {
    int32_t offX;
    uint32_t offY, w, h;
};

TEST(RLEBlend, WindowOnAPlainBackgroundEqualsTheCrop)
{
    // Strokes of objects beyond a window edge reach into it, and nothing is
    // drawn beyond the zoomed picture: any window shows the same pixels as
    // the whole display (on a uniform background, so blends compare too).
    std::mt19937 rng(8);
    const WindowBlendCase windows[] = {{3, 2, 9, 7},     {-2, 0, 10, 6}, {-40, 1, 8, 8},
                                       {20, 15, 30, 30}, {7, 9, 1, 1},   {25, 3, 30, 4}};
    for (uint32_t zoom : {1u, 3u}) {
        RLEPicture rec;
        RandomObjects(rec.get(), rng, 24, 18);
        const uint32_t zw = 24 * zoom, zh = 18 * zoom;
        Display whole(zw, zh, 0);
        std::fill(whole.bytes.begin(), whole.bytes.end(), uint8_t(90));
        ASSERT_EQ(whole.Blend(rec.get(), zw, zh, 0, 0, 150), 0);
        for (const WindowBlendCase& c : windows) {
            Display d(c.w, c.h, 0);
            std::fill(d.bytes.begin(), d.bytes.end(), uint8_t(90));
            ASSERT_EQ(d.Blend(rec.get(), zw, zh, c.offX, c.offY, 150), 0);
            for (uint32_t y = 0; y < c.h; ++y)
                for (uint32_t x = 0; x < c.w; ++x) {
                    const int64_t zx = int64_t(x) + c.offX, zy = int64_t(y) + c.offY;
                    const bool inside = zx >= 0 && zy >= 0 && zx < zw && zy < zh;
                    const std::array<uint8_t, 3> want = inside
                                                            ? whole.px(uint32_t(zx), uint32_t(zy))
                                                            : std::array<uint8_t, 3>{90, 90, 90};
                    ASSERT_EQ(d.px(x, y), want) << "zoom " << zoom << " window " << c.offX << ","
                                                << c.offY << " at " << x << "," << y;
                }
        }
    }
}

TEST(RLEBlend, BadArgumentsGiveMinusNineAndLeaveTheDisplay)
{
    RLEPicture rec;
    Load(rec.get(), {"##", "##"});
    Display d(2, 2, 1);
    const std::vector<uint8_t> before = d.bytes;
    EXPECT_EQ(API::BlendColorWithStretchedRLE(nullptr, d.bpl, 2, 2, 2, 2, 0, 0, rec.get(), 0, 255),
              -9);
    EXPECT_EQ(
        API::BlendColorWithStretchedRLE(d.bytes.data(), d.bpl, 2, 2, 2, 2, 0, 0, nullptr, 0, 255),
        -9);
    EXPECT_EQ(d.Blend(rec.get(), 0, 2, 0, 0, 255), -9);
    EXPECT_EQ(d.Blend(rec.get(), 2, 0, 0, 0, 255), -9);
    EXPECT_EQ(
        API::BlendColorWithStretchedRLE(d.bytes.data(), 5, 2, 2, 2, 2, 0, 0, rec.get(), 0, 255),
        -9); // 5 bytes cannot hold 2 pixels
    EXPECT_EQ(d.bytes, before);
    EXPECT_EQ(API::BlendColorWithStretchedRLE(d.bytes.data(), 6, 2, 2, 2, 2, 0, 0, rec.get(), 0, 0),
              0);
}

TEST(RLEBlend, NonPaintedRecordIsLabelledInPlace)
{
    const Rows rows = {"##...", "##..#", "....#"};
    RLEPicture runs(false), painted;
    Load(runs.get(), rows, false);
    Load(painted.get(), rows);
    Display a(5, 3, 4), b(5, 3, 4);
    ASSERT_EQ(a.Blend(runs.get(), 5, 3, 0, 0, 255), 0);
    ASSERT_EQ(b.Blend(painted.get(), 5, 3, 0, 0, 255), 0);
    EXPECT_EQ(runs->bPainted, 1);
    EXPECT_TRUE(API::IsEqual(runs.get(), painted.get()));
    EXPECT_EQ(a.bytes, b.bytes);
}

TEST(RLEBlend, ConcurrentDisplaysGiveTheSingleThreadedBytes)
{
    std::mt19937 rng(99);
    RLEPicture pics[2];
    std::vector<uint8_t> want[2];
    for (int i = 0; i < 2; ++i) {
        RandomObjects(pics[i].get(), rng, 40 + 9 * i, 30);
        for (uint32_t k = 0; k < pics[i]->uiObjectCount; ++k)
            reinterpret_cast<uint8_t*>(Mutable(pics[i].get(), k))[44] = uint8_t(1 + k % 6);
        Display d(60, 45, 1);
        ASSERT_EQ(d.Blend(pics[i].get(), 80 + 18 * i, 60, -3, 4, 180), 0);
        want[i] = d.bytes;
    }
    int failures[2] = {0, 0};
    auto run = [&](int i) {
        for (int n = 0; n < 200; ++n) {
            Display d(60, 45, 1);
            if (d.Blend(pics[i].get(), 80 + 18 * i, 60, -3, 4, 180) != 0 || d.bytes != want[i])
                ++failures[i];
        }
    };
    std::thread a(run, 0), b(run, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures[0], 0);
    EXPECT_EQ(failures[1], 0);
}

} // namespace

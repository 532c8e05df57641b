// Row intersection, cyclic shifts, moved objects, unions and intersections
// of run-length pictures, checked against the same work done on bitmaps.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "../measure/grey_picture.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "rle_test_support.h"

namespace
{

using Rows = std::vector<std::string>;

void Load(SLxRLEPicBuf* rec, const Rows& rows, bool painted)
{
    GreyPicture pic(rows);
    if (painted)
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rec, pic.get()), 0);
    else
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(rec, pic.get()), 0);
}

Rows Pixels(const SLxRLEPicBuf* rec)
{
    GreyPicture pic(rec->uiWidth, rec->uiHeight);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(pic.get(), rec, 255), 0);
    Rows rows(rec->uiHeight, std::string(rec->uiWidth, '.'));
    for (uint32_t y = 0; y < rec->uiHeight; ++y)
        for (uint32_t x = 0; x < rec->uiWidth; ++x)
            rows[y][x] = pic.at(x, y) ? '#' : '.';
    return rows;
}

Rows RandomRows(std::mt19937& rng, uint32_t w, uint32_t h)
{
    Rows rows(h, std::string(w, '.'));
    for (auto& row : rows)
        for (char& c : row)
            c = rng() % 5 < 2 ? '#' : '.';
    return rows;
}

// Pixel (x, y) of the result is pixel (x + dx, y + dy) of the source,
// indices taken cyclically.
Rows Roll(const Rows& in, uint64_t dx, uint64_t dy)
{
    Rows out = in;
    uint64_t h = in.size(), w = h ? in[0].size() : 0;
    for (uint64_t y = 0; y < h; ++y)
        for (uint64_t x = 0; x < w; ++x)
            out[y][x] = in[(y + dy) % h][(x + dx) % w];
    return out;
}

// The expected record: the bitmap in the given form, labelled afresh.
void ExpectPicture(const SLxRLEPicBuf* got, const Rows& rows, bool painted)
{
    RLEPicture want(painted);
    Load(want.get(), rows, painted);
    EXPECT_EQ(Pixels(got), rows);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(got, want.get()));
}

using ShiftFn = int (*)(SLxRLEPicBuf*, const SLxRLEPicBuf*, uint32_t);

struct ShiftCase {
    const char* name;
    ShiftFn shift;
    // Source offset of a destination pixel for amount n, width w, height h.
    std::function<std::pair<uint64_t, uint64_t>(uint64_t, uint64_t, uint64_t)> offset;
};

const ShiftCase kShifts[] = {
    {"left", &CLxRLEPicBufAPI::ShiftRotateLeft,
     [](uint64_t n, uint64_t w, uint64_t) { return std::make_pair(n % w, uint64_t(0)); }},
    {"right", &CLxRLEPicBufAPI::ShiftRotateRight,
     [](uint64_t n, uint64_t w, uint64_t) { return std::make_pair(w - n % w, uint64_t(0)); }},
    {"up", &CLxRLEPicBufAPI::ShiftRotateUp,
     [](uint64_t n, uint64_t, uint64_t h) { return std::make_pair(uint64_t(0), n % h); }},
    {"down", &CLxRLEPicBufAPI::ShiftRotateDown,
     [](uint64_t n, uint64_t, uint64_t h) { return std::make_pair(uint64_t(0), h - n % h); }},
};

TEST(RLERunOperations, ShiftRotateLeftCutsTheRunTheCutCrosses)
{
    RLEPicture src(false), dest(false);
    Load(src.get(), {"##......##"}, false);
    ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateLeft(dest.get(), src.get(), 1), 0);
    ASSERT_EQ(dest->uiRunCount, 2u);
    EXPECT_EQ(dest->pRuns[0].uiXStart, 0u);
    EXPECT_EQ(dest->pRuns[0].uiXLength, 1u);
    EXPECT_EQ(dest->pRuns[1].uiXStart, 7u);
    EXPECT_EQ(dest->pRuns[1].uiXLength, 3u);
    EXPECT_EQ(dest->pRows[0].uiCount, 2u);
}

TEST(RLERunOperations, ShiftRotationsEqualRolledBitmapsInBothForms)
{
    std::mt19937 rng(42);
    const uint32_t w = 13, h = 9;
    for (bool painted : {false, true})
        for (const ShiftCase& c : kShifts)
            for (uint32_t n : {0u, 1u, w - 1, w, h - 1, h, 2 * w + 3, 2 * h + 3}) {
                SCOPED_TRACE(std::string(c.name) + (painted ? " painted " : " plain ") +
                             std::to_string(n));
                Rows rows = RandomRows(rng, w, h);
                RLEPicture src(painted), dest(painted);
                Load(src.get(), rows, painted);
                ASSERT_EQ(c.shift(dest.get(), src.get(), n), 0);
                auto [dx, dy] = c.offset(n, w, h);
                ExpectPicture(dest.get(), Roll(rows, dx, dy), painted);
            }
}

TEST(RLERunOperations, WholeMultiplesOfTheSizeAreTheIdentity)
{
    std::mt19937 rng(7);
    const uint32_t w = 11, h = 6;
    Rows rows = RandomRows(rng, w, h);
    for (bool painted : {false, true}) {
        RLEPicture src(painted);
        Load(src.get(), rows, painted);
        for (const ShiftCase& c : kShifts)
            for (uint32_t k : {0u, 1u, 3u}) {
                uint32_t n = k * (c.name[0] == 'l' || c.name[0] == 'r' ? w : h);
                RLEPicture dest(painted);
                ASSERT_EQ(c.shift(dest.get(), src.get(), n), 0);
                EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(dest.get(), src.get())) << c.name << n;
            }
    }
}

TEST(RLERunOperations, RightByNIsLeftByWidthMinusN)
{
    std::mt19937 rng(3);
    const uint32_t w = 10;
    Rows rows = RandomRows(rng, w, 5);
    RLEPicture src(false);
    Load(src.get(), rows, false);
    for (uint32_t n = 1; n < w; ++n) {
        RLEPicture right(false), left(false);
        ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateRight(right.get(), src.get(), n), 0);
        ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateLeft(left.get(), src.get(), w - n), 0);
        EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(right.get(), left.get())) << n;
    }
}

TEST(RLERunOperations, ShiftRotateUpMovesTheTopRowToTheBottom)
{
    RLEPicture src(false), dest(false);
    Load(src.get(), {"#...", ".##.", "...#"}, false);
    ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateUp(dest.get(), src.get(), 1), 0);
    EXPECT_EQ(Pixels(dest.get()), (Rows{".##.", "...#", "#..."}));
}

TEST(RLERunOperations, PaintedSourcesAreLabelledAfresh)
{
    // Two objects that one shift joins into one across the edge.
    RLEPicture src(true), dest(true);
    Load(src.get(), {"#....#"}, true);
    ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateLeft(dest.get(), src.get(), 1), 0);
    EXPECT_TRUE(dest->bPainted);
    EXPECT_EQ(IdsOf(dest.get()), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Pixels(dest.get()), (Rows{"....##"}));
}

TEST(RLERunOperations, ShiftRotationsRejectNullAndCopyEmptySizes)
{
    RLEPicture pic(false), empty(false);
    for (const ShiftCase& c : kShifts) {
        EXPECT_EQ(c.shift(nullptr, pic.get(), 1), -9) << c.name;
        EXPECT_EQ(c.shift(pic.get(), nullptr, 1), -9) << c.name;
        RLEPicture dest(true);
        EXPECT_EQ(c.shift(dest.get(), empty.get(), 5), 0) << c.name;
        EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(dest.get(), empty.get())) << c.name;
    }
}

TEST(RLERunOperations, RunsMovedOutsideThePictureAreClipped)
{
    RLEPicture src(true), dest(true);
    Load(src.get(), {"..##....", "..##...."}, true);
    ASSERT_EQ(CLxRLEPicBufAPI::MoveObjects(src.get(), 5, 0), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ShiftRotateLeft(dest.get(), src.get(), 2), 0);
    EXPECT_EQ(Pixels(dest.get()), (Rows{".....#..", ".....#.."}));
}

TEST(RLERunOperations, AndKeepsExactlyTheCommonPixels)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        Rows a = RandomRows(rng, 17, 8), b = RandomRows(rng, 17, 8);
        a[2] = std::string(17, '.');
        b[5] = std::string(17, '.');
        Rows want = a;
        for (size_t y = 0; y < a.size(); ++y)
            for (size_t x = 0; x < a[y].size(); ++x)
                want[y][x] = a[y][x] == '#' && b[y][x] == '#' ? '#' : '.';
        RLEPicture dest(false), src(false);
        Load(dest.get(), a, false);
        Load(src.get(), b, false);
        CLxRLEPicBufAPI::And(dest.get(), src.get());
        ExpectPicture(dest.get(), want, false);
    }
}

TEST(RLERunOperations, AndLeavesMismatchedPicturesAlone)
{
    struct Case {
        const char* name;
        bool destPainted, srcPainted;
        Rows src;
    };
    const Case cases[] = {
        {"painted", true, true, {"##..", "##.."}},
        {"other size", false, false, {"##...", "##..."}},
        {"other form", false, true, {"##..", "##.."}},
    };
    for (const Case& c : cases) {
        RLEPicture dest(c.destPainted), before(c.destPainted), src(c.srcPainted);
        Load(dest.get(), {".##.", "#..#"}, c.destPainted);
        Load(before.get(), {".##.", "#..#"}, c.destPainted);
        Load(src.get(), c.src, c.srcPainted);
        CLxRLEPicBufAPI::And(dest.get(), src.get());
        EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(dest.get(), before.get())) << c.name;
    }
    RLEPicture empty(false), src(false);
    Load(src.get(), {".#", "##"}, false);
    CLxRLEPicBufAPI::And(empty.get(), src.get());
    ExpectPicture(empty.get(), {"..", ".."}, false);
}

TEST(RLERunOperations, MoveObjectsWrapsWithoutClipping)
{
    RLEPicture pic(true);
    Load(pic.get(), {"..##....", "..#....."}, true);
    ASSERT_EQ(CLxRLEPicBufAPI::MoveObjects(pic.get(), -5, 1), 0);
    SLxRLEObject h = Header(CLxRLEPicBufAPI::FindObjectByIndex(pic.get(), 0));
    EXPECT_EQ(h.uiLeft, 0xFFFFFFFDu);
    EXPECT_EQ(h.uiRight, 0xFFFFFFFEu);
    EXPECT_EQ(h.uiTop, 1u);
    EXPECT_EQ(h.uiBottom, 2u);
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(pic.get(), 0)),
              (std::vector<RunTriple>{{1, 0xFFFFFFFDu, 2}, {2, 0xFFFFFFFDu, 1}}));

    RLEPicture plain(false), before(false);
    Load(plain.get(), {"#"}, false);
    Load(before.get(), {"#"}, false);
    EXPECT_EQ(CLxRLEPicBufAPI::MoveObjects(plain.get(), 3, 3), 0);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(plain.get(), before.get()));
}

TEST(RLERunOperations, UnionsAndIntersectionsSkipNullPictures)
{
    std::mt19937 rng(5);
    const uint32_t w = 12, h = 7;
    Rows rows[3] = {RandomRows(rng, w, h), RandomRows(rng, w, h), RandomRows(rng, w, h)};
    RLEPicture pics[3] = {RLEPicture(false), RLEPicture(true), RLEPicture(false)};
    for (int i = 0; i < 3; ++i)
        Load(pics[i].get(), rows[i], i == 1);
    SLxRLEPicBuf* list[] = {nullptr, pics[0].get(), nullptr, pics[1].get(), pics[2].get()};
    Rows any = rows[0], all = rows[0];
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            int set = 0;
            for (const Rows& r : rows)
                set += r[y][x] == '#';
            any[y][x] = set ? '#' : '.';
            all[y][x] = set == 3 ? '#' : '.';
        }
    RLEPicture u(true), n(true);
    EXPECT_EQ(CLxRLEPicBufAPI::MakeUnion(u.get(), list, 5), 0);
    EXPECT_EQ(CLxRLEPicBufAPI::MakeIntersection(n.get(), list, 5), 0);
    ExpectPicture(u.get(), any, true);
    ExpectPicture(n.get(), all, true);
}

TEST(RLERunOperations, UnionsOfNothing)
{
    SLxRLEPicBuf* nulls[] = {nullptr, nullptr};
    RLEPicture u(true);
    Load(u.get(), {"##"}, true);
    EXPECT_EQ(CLxRLEPicBufAPI::MakeUnion(u.get(), nulls, 2), 0);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEmpty(u.get()));
    EXPECT_TRUE(u->bPainted);

    SLxBinPicBuf bin;
    CLxBinPicBufAPI::Init(&bin);
    ASSERT_EQ(CLxBinPicBufAPI::Reinit(&bin, 8, 2, 0, true), 0);
    void* block = bin.pData;
    EXPECT_EQ(CLxRLEPicBufAPI::MakeIntersectionToBinPicBuf(&bin, nulls, 0), 0);
    EXPECT_EQ(bin.pData, block);
    EXPECT_EQ(CLxRLEPicBufAPI::MakeIntersectionToBinPicBuf(&bin, nulls, 2), 0);
    EXPECT_EQ(bin.pData, nullptr);
    EXPECT_EQ(bin.uiWidth, 0u);
    CLxBinPicBufAPI::Free(&bin);
}

TEST(RLERunOperations, RecordHelpers)
{
    RLEPicture a(true), b(false), c(true), d(true);
    Load(a.get(), {"#.#"}, true);
    Load(b.get(), {"...", "..."}, false);
    EXPECT_FALSE(CLxRLEPicBufAPI::IsEmpty(a.get()));
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEmpty(b.get()));
    CLxRLEPicBufAPI::Swap(a.get(), b.get());
    EXPECT_FALSE(a->bPainted);
    EXPECT_EQ(a->uiHeight, 2u);
    EXPECT_EQ(b->uiObjectCount, 2u);
    CLxRLEPicBufAPI::Copy_2x(c.get(), d.get(), b.get());
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(c.get(), b.get()));
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(d.get(), b.get()));
}

} // namespace

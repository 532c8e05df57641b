// Conversions between pictures and run-length object pictures, the
// labelling, and the cut of a rectangle.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <random>
#include <thread>

#include "../BinPicBufAPI/bin_test_support.h"
#include "../measure/grey_picture.h"
#include "rle_test_support.h"

namespace
{

// 8-connected labels by flood fill, numbered in raster order of each
// component's first pixel: the reference for the run labelling.
std::vector<uint32_t> FloodLabels(const std::vector<uint8_t>& fg, uint32_t w, uint32_t h)
{
    std::vector<uint32_t> label(fg.size(), 0);
    uint32_t next = 0;
    std::deque<uint32_t> queue;
    for (uint32_t i = 0; i < fg.size(); ++i) {
        if (!fg[i] || label[i])
            continue;
        label[i] = ++next;
        queue.push_back(i);
        while (!queue.empty()) {
            uint32_t p = queue.front();
            queue.pop_front();
            int px = int(p % w), py = int(p / w);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int x = px + dx, y = py + dy;
                    if (x < 0 || y < 0 || x >= int(w) || y >= int(h))
                        continue;
                    uint32_t q = uint32_t(y) * w + uint32_t(x);
                    if (fg[q] && !label[q]) {
                        label[q] = next;
                        queue.push_back(q);
                    }
                }
        }
    }
    return label;
}

// The record painted into a 16-bit picture with each object's identifier.
std::vector<uint32_t> Painted(const SLxRLEPicBuf* rec)
{
    GreyPicture out(rec->uiWidth, rec->uiHeight, 16);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(out.get(), rec, 0), 0);
    return out.pixels();
}

// Objects keep the stated invariants: ascending rows, one segment per row
// from top to bottom, sorted separated runs, exact box and size.
void ExpectWellFormed(const SLxRLEPicBuf* rec)
{
    uint32_t total = 0, id = 0, last = 0;
    for (const SLxRLEObject* o : ObjectsOf(rec)) {
        SLxRLEObject h = Header(o);
        EXPECT_EQ(h.uiID, ++id);
        std::vector<RunTriple> runs = RunsOf(o);
        ASSERT_FALSE(runs.empty());
        uint32_t left = UINT32_MAX, right = 0;
        for (size_t i = 0; i < runs.size(); ++i) {
            auto [y, x, n] = runs[i];
            left = std::min(left, x);
            right = std::max(right, x + n - 1);
            if (i && std::get<0>(runs[i - 1]) == y) {
                EXPECT_GT(x, std::get<1>(runs[i - 1]) + std::get<2>(runs[i - 1]));
            }
        }
        EXPECT_EQ(h.uiLeft, left);
        EXPECT_EQ(h.uiRight, right);
        EXPECT_EQ(h.uiTop, std::get<0>(runs.front()));
        EXPECT_EQ(h.uiBottom, std::get<0>(runs.back()));
        EXPECT_EQ(h.uiRowSegmentCount, h.uiBottom - h.uiTop + 1);
        EXPECT_EQ(h.uiSize, 49 + 8 * h.uiRowSegmentCount + 8 * runs.size() + rec->uiCustomDataSize);
        last = total;
        total += h.uiSize;
    }
    EXPECT_EQ(rec->uiObjectCount, id);
    EXPECT_EQ(rec->uiObjectSize, total);
    EXPECT_EQ(rec->uiLastObjectOffset, last);
}

TEST(RLELabel, EmptyPictureGivesNoObjects)
{
    GreyPicture pic(7, 5);
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
    EXPECT_EQ(rle->uiObjectCount, 0u);
    EXPECT_EQ(rle->uiObjectSize, 0u);
    EXPECT_EQ(rle->uiWidth, 7u);
}

// Pictures without columns label to empty records of their height, also
// in a thread that has labelled nothing before.
TEST(RLELabel, PicturesWithoutColumnsInAFreshThread)
{
    std::thread([] {
        SLxBinPicBuf bin{0, 5, 0, 0, nullptr};
        SLxPicBuf pic;
        CLxPicBufAPI::Init(&pic);
        pic.uiComps = 1;
        pic.uiBpc = 8;
        pic.uiHeight = 4;
        RLEPicture a, b;
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(a.get(), &bin), 0);
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(b.get(), &pic), 0);
        EXPECT_EQ(a->uiObjectCount, 0u);
        EXPECT_EQ(a->uiHeight, 5u);
        EXPECT_EQ(b->uiObjectCount, 0u);
        EXPECT_EQ(b->uiHeight, 4u);
    }).join();
}

struct LabelCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<std::vector<RunTriple>> objects;
};

class RLELabelTable : public ::testing::TestWithParam<LabelCase>
{
};

TEST_P(RLELabelTable, ObjectsAndIdentifiers)
{
    const LabelCase& c = GetParam();
    for (uint32_t bits : {8u, 12u}) {
        GreyPicture pic(c.rows, bits);
        RLEPicture rle(true, 5);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
        std::vector<const SLxRLEObject*> objects = ObjectsOf(rle.get());
        ASSERT_EQ(objects.size(), c.objects.size()) << c.name;
        for (size_t i = 0; i < objects.size(); ++i)
            EXPECT_EQ(RunsOf(objects[i]), c.objects[i]) << c.name << " object " << i;
        ExpectWellFormed(rle.get());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RLELabelTable,
    ::testing::Values(LabelCase{"diagonal_touch",
                                {"........", "........", "........", ".....#..", "......#."},
                                {{{3, 5, 1}, {4, 6, 1}}}},
                      LabelCase{"diagonal_gap",
                                {"........", "........", "........", ".....#..", ".......#"},
                                {{{3, 5, 1}}, {{4, 7, 1}}}},
                      // The U's arms start as separate runs; it keeps the left arm's number.
                      LabelCase{"u_shape",
                                {"#.#.#", "#.#.#", "###.."},
                                {{{0, 0, 1}, {0, 2, 1}, {1, 0, 1}, {1, 2, 1}, {2, 0, 3}},
                                 {{0, 4, 1}, {1, 4, 1}}}},
                      LabelCase{"full_row", {"##########"}, {{{0, 0, 10}}}},
                      LabelCase{"right_edge", {"..###", "....#"}, {{{0, 2, 3}, {1, 4, 1}}}},
                      // Raster order of first runs: the object whose top row comes first.
                      LabelCase{"raster_order",
                                {"....#", "#...#", "#...."},
                                {{{0, 4, 1}, {1, 4, 1}}, {{1, 0, 1}, {2, 0, 1}}}}),
    [](const ::testing::TestParamInfo<LabelCase>& info) { return info.param.name; });

// Random pictures against the flood-fill reference, through the grey, the
// value and the one-bit entry points and the non-painted round trip.
TEST(RLELabel, RandomPicturesMatchFloodFill)
{
    std::mt19937 rng(4141);
    for (double density : {0.2, 0.5, 0.8})
        for (uint32_t w : {1u, 7u, 33u, 257u})
            for (uint32_t bits : {8u, 16u}) {
                uint32_t h = 1 + rng() % 40;
                std::bernoulli_distribution bit(density);
                std::vector<uint8_t> fg(size_t(w) * h);
                GreyPicture pic(w, h, bits), valued(w, h, bits);
                BinPicture bin(w, h);
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x) {
                        bool on = bit(rng);
                        fg[size_t(y) * w + x] = on;
                        pic.set(x, y, on ? 1 + rng() % 200 : 0);
                        valued.set(x, y, on ? 9 : 1 + rng() % 5);
                        bin.set(x, y, on);
                    }
                std::vector<uint32_t> expected = FloodLabels(fg, w, h);
                RLEPicture a, b, c, d(false);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(a.get(), pic.get()), 0);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(b.get(), valued.get(), 9), 0);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertPictureToRLE(c.get(), bin.get()), 0);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertPictureToRLE(d.get(), bin.get()), 0);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(d.get()), 0);
                EXPECT_EQ(Painted(a.get()), expected) << density << " " << w << " " << bits;
                EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(a.get(), b.get()));
                EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(a.get(), c.get()));
                EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(a.get(), d.get()));
                ExpectWellFormed(a.get());
                // HitTest at every pixel is a label lookup.
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < w; ++x) {
                        uint32_t index = 0;
                        bool hit = CLxRLEPicBufAPI::HitTest(a.get(), x, y, &index, nullptr);
                        uint32_t l = expected[size_t(y) * w + x];
                        ASSERT_EQ(hit, l != 0);
                        if (hit) {
                            ASSERT_EQ(index + 1, l);
                        }
                    }
            }
}

// One-bit lines whose padding holds random bits, of widths around whole
// words, labelled into a record that already holds a larger picture whose
// bytes were scribbled over: the result is that of a fresh record, custom
// areas zero.
TEST(RLELabel, BitLinesAcrossWordsIntoAUsedRecord)
{
    std::mt19937 rng(5454);
    for (uint32_t w : {63u, 64u, 65u, 128u, 129u, 200u}) {
        SCOPED_TRACE(w);
        const uint32_t h = 23;
        BinPicture bin(w, h, (w + 7) / 8 + 3), larger(w, 2 * h);
        bin.randomise(rng, 0.4);
        larger.randomise(rng, 0.4);
        std::vector<uint8_t> fg = bin.pixels();
        RLEPicture used(true, 12), fresh(true, 12);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(used.get(), larger.get()), 0);
        std::memset(used->pObjects, 0xAB, used->uiObjectSize);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(used.get(), bin.get()), 0);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(fresh.get(), bin.get()), 0);
        EXPECT_EQ(Painted(fresh.get()), FloodLabels(fg, w, h));
        ExpectWellFormed(fresh.get());
        EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(used.get(), fresh.get()));
    }
}

// Each thread labels with working blocks of its own: pictures of different
// sizes labelled over and over at once give what one thread gives.
TEST(RLELabel, ThreadsLabelAtOnce)
{
    std::mt19937 rng(77);
    BinPicture pics[3] = {BinPicture(300, 200), BinPicture(130, 410), BinPicture(640, 90)};
    RLEPicture want[3];
    for (int i = 0; i < 3; ++i) {
        pics[i].randomise(rng, 0.3 + 0.2 * i);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(want[i].get(), pics[i].get()), 0);
    }
    int failures[3] = {};
    auto run = [&](int i) {
        RLEPicture got;
        for (int round = 0; round < 40; ++round)
            if (CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(got.get(), pics[i].get()) != 0 ||
                !CLxRLEPicBufAPI::IsEqual(got.get(), want[i].get()))
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

// Stacked combs: every tooth is a label of its own until the comb's back
// joins them, so merges outnumber the first blocks of every working array.
TEST(RLELabel, CombsGrowEveryWorkingArray)
{
    const uint32_t w = 2048, h = 2048;
    GreyPicture pic(w, h);
    std::vector<uint8_t> fg(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t phase = y % 5;
            bool on = phase < 3 ? x % 2 == 0 : phase == 3;
            fg[size_t(y) * w + x] = on;
            pic.set(x, y, on ? 255 : 0);
        }
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
    // 409 whole combs; the last three rows are 1024 loose teeth.
    EXPECT_EQ(rle->uiObjectCount, 409u + 1024u);
    EXPECT_GT(rle->uiObjectSize, 128u * 1024);
    EXPECT_EQ(Painted(rle.get()), FloodLabels(fg, w, h));
}

TEST(RLELabel, CheckerboardIsOneObject)
{
    const uint32_t w = 2048, h = 2048;
    GreyPicture pic(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            pic.set(x, y, (x + y) % 2 ? 255 : 0);
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
    ASSERT_EQ(rle->uiObjectCount, 1u);
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureArea(rle.get()), w * h / 2);
}

TEST(RLEConvert, PaintedToNonPaintedAndBackKeepsObjects)
{
    GreyPicture pic({"##..#", "#..##", "...#.", "##..."});
    RLEPicture painted(true, 6), plain(false), back;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(painted.get(), pic.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(plain.get(), painted.get()), 0);
    EXPECT_EQ(plain->bPainted, 0);
    EXPECT_EQ(plain->uiRunCount, 6u);
    EXPECT_EQ(plain->pRows[1].uiFirst, 2u);
    EXPECT_EQ(plain->pRows[1].uiCount, 2u);
    plain->uiCustomDataSize = 6;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(back.get(), plain.get()), 0);
    back->uiCustomDataSize = 6;
    RLEPicture again(true, 6);
    ASSERT_EQ(CLxRLEPicBufAPI::Copy(again.get(), painted.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(again.get()), 0);
    again->uiCustomDataSize = 6;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(again.get()), 0);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(again.get(), painted.get()));
    EXPECT_EQ(IdsOf(back.get()), IdsOf(painted.get()));
    EXPECT_EQ(Painted(back.get()), Painted(painted.get()));

    RLEPicture empty, emptyPlain(false);
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(empty.get(), 9, 4), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(emptyPlain.get(), empty.get()), 0);
    EXPECT_EQ(emptyPlain->uiRunCount, 0u);
    EXPECT_EQ(emptyPlain->uiWidth, 9u);
    EXPECT_EQ(emptyPlain->uiHeight, 4u);
}

TEST(RLEConvert, NonPaintedRunsReachTheRightEdge)
{
    GreyPicture pic({"##########", "..#.....##"});
    BinPicture bin(10, 2);
    for (uint32_t x = 0; x < 10; ++x)
        bin.set(x, 0);
    bin.set(2, 1);
    bin.set(8, 1);
    bin.set(9, 1);
    for (int form = 0; form < 2; ++form) {
        RLEPicture rle(false);
        ASSERT_EQ(form ? CLxRLEPicBufAPI::ConvertBinPicBufToNonPaintedRLE(rle.get(), bin.get())
                       : CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(rle.get(), pic.get()),
                  0);
        ASSERT_EQ(rle->uiRunCount, 3u);
        EXPECT_EQ(rle->pRuns[0].uiXLength, 10u);
        EXPECT_EQ(rle->pRuns[2].uiXStart, 8u);
        EXPECT_EQ(rle->pRuns[2].uiXLength, 2u);
        EXPECT_EQ(rle->pRows[1].uiFirst, 1u);
        EXPECT_EQ(rle->pRows[1].uiCount, 2u);
    }
}

TEST(RLEConvert, PaintedPictureOfLabels)
{
    GreyPicture pic({"..7.3", "..7..", "3..77"});
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPaintedPicBufToRLE(rle.get(), pic.get()), 0);
    ASSERT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{3, 7}));
    SLxRLEObject three = Header(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 0));
    SLxRLEObject seven = Header(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1));
    EXPECT_EQ((std::array<uint32_t, 4>{three.uiLeft, three.uiTop, three.uiRight, three.uiBottom}),
              (std::array<uint32_t, 4>{0, 0, 4, 2}));
    EXPECT_EQ((std::array<uint32_t, 4>{seven.uiLeft, seven.uiTop, seven.uiRight, seven.uiBottom}),
              (std::array<uint32_t, 4>{2, 0, 4, 2}));
    // Unconnected and skipping row 1.
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 0)),
              (std::vector<RunTriple>{{0, 4, 1}, {2, 0, 1}}));
    EXPECT_EQ(three.uiRowSegmentCount, 2u);
    // Neighbouring runs of different values stay apart.
    GreyPicture touching({"3377"}, 16);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPaintedPicBufToRLE(rle.get(), touching.get()), 0);
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1)),
              (std::vector<RunTriple>{{0, 2, 2}}));
}

TEST(RLEConvert, PaintingBack)
{
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rle.get(), 4, 2), 0);
    std::vector<uint8_t> obj = MakeObject(300, {{0, 1, 2}, {1, 3, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(obj), nullptr), 0);
    GreyPicture p8(4, 2, 8), p16(4, 2, 16);
    p8.set(0, 0, 5);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(p8.get(), rle.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(p16.get(), rle.get(), 0), 0);
    EXPECT_EQ(p8.pixels(), (std::vector<uint32_t>{5, 44, 44, 0, 0, 0, 0, 44}));
    EXPECT_EQ(p16.pixels(), (std::vector<uint32_t>{0, 300, 300, 0, 0, 0, 0, 300}));
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(p16.get(), rle.get(), 9), 0);
    EXPECT_EQ(p16.at(1, 0), 9u);

    // Stored runs with value 0 take the full value of the depth.
    RLEPicture plain(false);
    GreyPicture src({".#.."});
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(plain.get(), src.get()), 0);
    GreyPicture o8(4, 1, 8), o16(4, 1, 14);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(o8.get(), plain.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(o16.get(), plain.get()), 0);
    EXPECT_EQ(o8.at(1, 0), 255u);
    EXPECT_EQ(o16.at(1, 0), 65535u);

    // RunTriple parts past the picture are skipped, not written.
    std::vector<uint8_t> wide = MakeObject(1, {{1, 2, 4}, {7, 0, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(wide), nullptr), 0);
    GreyPicture small(4, 2);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(small.get(), rle.get(), 1), 0);
    EXPECT_EQ(small.pixels(), (std::vector<uint32_t>{0, 1, 1, 0, 0, 0, 1, 1}));
    GreyPicture tooSmall(3, 2);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(tooSmall.get(), rle.get()), -9);
}

TEST(RLEConvert, BinaryPaintingSetsWholeAndPartialBytes)
{
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rle.get(), 40, 3), 0);
    std::vector<uint8_t> obj = MakeObject(1, {{0, 3, 30}, {1, 9, 2}, {2, 38, 9}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(obj), nullptr), 0);
    BinPicture bin(40, 3);
    bin.set(0, 2);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(bin.get(), rle.get()), 0);
    for (uint32_t x = 0; x < 40; ++x) {
        EXPECT_EQ(bin.at(x, 0), x >= 3 && x < 33) << x;
        EXPECT_EQ(bin.at(x, 1), x == 9 || x == 10) << x;
        EXPECT_EQ(bin.at(x, 2), x >= 38) << x;
    }
    BinPicture small(39, 3);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(small.get(), rle.get()), -9);
}

TEST(RLEConvert, RegionFormAppendsOneObject)
{
    GreyPicture pic({"2.2", "..2"});
    GreyPicture size(100, 50);
    RLEPicture rle;
    std::vector<uint8_t> keep = MakeObject(1, {{0, 0, 1}}), gone = MakeObject(7, {{1, 0, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(keep), nullptr), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(gone), nullptr), 0);
    ASSERT_EQ(
        CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get(), size.get(), 7, 10, 20, 2),
        0);
    EXPECT_EQ(rle->uiWidth, 100u);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1)),
              (std::vector<RunTriple>{{20, 10, 1}, {20, 12, 1}, {21, 12, 1}}));
    // No pixel of the value: nothing added.
    ASSERT_EQ(
        CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get(), nullptr, 99, 0, 0, 5), 0);
    EXPECT_EQ(rle->uiObjectCount, 2u);
    EXPECT_EQ(rle->uiWidth, 3u);
    // Moved past 32 bits: refused.
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get(), nullptr, 0,
                                                         0xFFFFFFFFu, 0, 2),
              -9);
}

// A 7 x 5 ring (identifier 3) and a dot (identifier 5).
void RingAndDot(SLxRLEPicBuf* rec)
{
    GreyPicture pic(
        {"..........", ".#######..", ".#.....#..", ".#.....#..", ".#.....#..", ".#######.#"});
    RLEPicture labelled;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(labelled.get(), pic.get()), 0);
    ASSERT_EQ(labelled->uiObjectCount, 2u);
    CLxRLEPicBufAPI::Reinit(rec, 10, 6);
    std::vector<uint8_t> ring(
        reinterpret_cast<uint8_t*>(CLxRLEPicBufAPI::FindObjectByIndex(labelled.get(), 0)),
        reinterpret_cast<uint8_t*>(CLxRLEPicBufAPI::FindObjectByIndex(labelled.get(), 1)));
    uint32_t id = 3, status = 0x40, fill = 0x123456;
    std::memcpy(ring.data(), &id, 4);
    std::memcpy(ring.data() + 32, &status, 4);
    std::memcpy(ring.data() + 36, &fill, 4);
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rec, AsObject(ring), nullptr), 0);
    std::vector<uint8_t> dot = MakeObject(5, {{5, 9, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rec, AsObject(dot), nullptr), 0);
}

TEST(RLECut, RingAcrossItsMiddleRows)
{
    RLEPicture src, dst(true, 4);
    RingAndDot(src.get());
    ASSERT_EQ(CLxRLEPicBufAPI::CutRectangle(dst.get(), src.get(), 0, 2, 10, 3), 0);
    EXPECT_EQ(dst->uiWidth, 10u);
    EXPECT_EQ(dst->uiHeight, 3u);
    ASSERT_EQ(IdsOf(dst.get()), (std::vector<uint32_t>{3, 6}));
    const SLxRLEObject* left = CLxRLEPicBufAPI::FindObjectByIndex(dst.get(), 0);
    const SLxRLEObject* right = CLxRLEPicBufAPI::FindObjectByIndex(dst.get(), 1);
    // Relative to the rectangle.
    EXPECT_EQ(RunsOf(left), (std::vector<RunTriple>{{0, 1, 1}, {1, 1, 1}, {2, 1, 1}}));
    EXPECT_EQ(RunsOf(right), (std::vector<RunTriple>{{0, 7, 1}, {1, 7, 1}, {2, 7, 1}}));
    EXPECT_EQ(Header(right).uiStatus, 0x40u);
    EXPECT_EQ(Header(right).uiFillColor, 0x123456u);
    EXPECT_EQ(Header(right).uiSize, 49u + 3 * 16 + 4);
    EXPECT_EQ(Header(left).uiTop, 0u);
    GreyPicture out(10, 3);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(out.get(), dst.get(), 0), 0);
    EXPECT_EQ(out.at(7, 2), 6u);
}

TEST(RLECut, ClippedAndEmptyRectangles)
{
    RLEPicture src, dst;
    RingAndDot(src.get());
    // Partly outside: clipped to the picture.
    ASSERT_EQ(CLxRLEPicBufAPI::CutRectangle(dst.get(), src.get(), 8, 4, 50, 50), 0);
    EXPECT_EQ(dst->uiWidth, 2u);
    EXPECT_EQ(dst->uiHeight, 2u);
    ASSERT_EQ(IdsOf(dst.get()), (std::vector<uint32_t>{5}));
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(dst.get(), 0)),
              (std::vector<RunTriple>{{1, 1, 1}}));
    for (auto [x, y, w, h] : std::vector<std::array<uint32_t, 4>>{
             {0, 0, 0, 4}, {0, 0, 4, 0}, {10, 0, 3, 3}, {0, 6, 3, 3}}) {
        ASSERT_EQ(CLxRLEPicBufAPI::CutRectangle(dst.get(), src.get(), x, y, w, h), 0);
        EXPECT_EQ(dst->bPainted, 1);
        EXPECT_EQ(dst->uiObjectCount, 0u);
    }
    EXPECT_EQ(CLxRLEPicBufAPI::CutRectangle(nullptr, src.get(), 0, 0, 1, 1), -9);
    // Cutting a record into itself.
    ASSERT_EQ(CLxRLEPicBufAPI::CutRectangle(src.get(), src.get(), 0, 0, 10, 6), 0);
    EXPECT_EQ(IdsOf(src.get()), (std::vector<uint32_t>{3, 5}));
}

TEST(RLEBadInput, PicturesAndRecords)
{
    GreyPicture grey(4, 4);
    SLxPicBuf colour = *grey.get();
    colour.uiComps = 3;
    SLxPicBuf deep = *grey.get();
    deep.uiBpc = 32;
    SLxPicBuf noData = *grey.get();
    noData.pData = nullptr;
    SLxPicBuf shortBlock = *grey.get();
    shortBlock.uiSize = 3;
    RLEPicture rle;
    for (const SLxPicBuf* bad :
         {(const SLxPicBuf*)nullptr, (const SLxPicBuf*)&colour, (const SLxPicBuf*)&deep,
          (const SLxPicBuf*)&noData, (const SLxPicBuf*)&shortBlock}) {
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), bad), -9);
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), bad, 1u), -9);
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(rle.get(), bad), -9);
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertPaintedPicBufToRLE(rle.get(), bad), -9);
        EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(const_cast<SLxPicBuf*>(bad), rle.get()), -9);
    }
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(nullptr, grey.get()), -9);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(rle.get(), nullptr), -9);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(nullptr, rle.get()), -9);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(nullptr), -9);

    // A stored row table pointing past the runs: -9, the record as it was.
    RLEPicture plain(false);
    GreyPicture pic({"#.#"});
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(plain.get(), pic.get()), 0);
    plain->pRows[0].uiCount = 9;
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(plain.get()), -9);
    EXPECT_EQ(plain->bPainted, 0);
    EXPECT_EQ(plain->uiRunCount, 2u);
    EXPECT_EQ(plain->pRows[0].uiCount, 9u);
    // Rows sharing a run are refused alike.
    GreyPicture two({"#.#", ".#."});
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(plain.get(), two.get()), 0);
    plain->pRows[1].uiFirst = 1;
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(plain.get()), -9);

    // An object count the area cannot hold: the walk and the editing stop.
    RLEPicture counted;
    std::vector<uint8_t> one = MakeObject(1, {{0, 0, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(counted.get(), AsObject(one), nullptr), 0);
    counted->uiObjectCount = 0xFFFF0000u;
    EXPECT_EQ(ObjectsOf(counted.get()).size(), 1u);
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObjectsWithStatus(counted.get(), 0), -9);

    // An object below the record's height cannot be stored by rows.
    RLEPicture low, lowPlain(false);
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(low.get(), 4, 2), 0);
    std::vector<uint8_t> obj = MakeObject(1, {{5, 0, 1}});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(low.get(), AsObject(obj), nullptr), 0);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(lowPlain.get(), low.get()), -9);
    EXPECT_EQ(lowPlain->bPainted, 0);
    EXPECT_EQ(lowPlain->uiRunCount, 0u);
}

// Objects whose custom area would take the area past 4 GiB.
TEST(RLEBadInput, AreaPastFourGiB)
{
    GreyPicture pic({"#.#"});
    RLEPicture rle(true, 0x80000000u);
    EXPECT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), -9);
    EXPECT_EQ(rle->bPainted, 1);
    EXPECT_EQ(rle->uiObjectCount, 0u);
    EXPECT_EQ(rle->pObjects, nullptr);
}

} // namespace

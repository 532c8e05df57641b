// Run-length forms of the one-bit picture operations: each must equal the
// one-bit operation on the laid-out picture, labelled afresh.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "../BinPicBufAPI/bin_test_support.h"
#include "../measure/grey_picture.h"
#include "rle_test_support.h"

namespace
{

using Rows = std::vector<std::string>;
using API = CLxRLEPicBufAPI;
using Bin = CLxBinPicBufAPI;

void Load(SLxRLEPicBuf* rec, const Rows& rows, bool painted)
{
    GreyPicture pic(rows);
    if (painted)
        ASSERT_EQ(API::ConvertPicBufToPaintedRLE(rec, pic.get()), 0);
    else
        ASSERT_EQ(API::ConvertPicBufToNonPaintedRLE(rec, pic.get()), 0);
}

Rows RandomRows(std::mt19937& rng, uint32_t w, uint32_t h)
{
    Rows rows(h, std::string(w, '.'));
    for (auto& row : rows)
        for (char& c : row)
            c = rng() % 5 < 3 ? '#' : '.';
    return rows;
}

void LayOut(BinPicture& bin, const SLxRLEPicBuf* rec)
{
    ASSERT_EQ(Bin::Reinit(bin.get(), rec->uiWidth, rec->uiHeight, 0, true), 0);
    ASSERT_EQ(API::ConvertRLEToBinPicBuf(bin.get(), rec), 0);
}

using RLEOp = std::function<int(SLxRLEPicBuf*, const SLxRLEPicBuf*)>;
using BinOp = std::function<int(SLxBinPicBuf*, const SLxBinPicBuf*)>;

struct PassCase {
    const char* name;
    RLEOp rle;
    BinOp bin;
};

// A work picture for the calls that need one.
struct Work {
    RLEPicture r1{true}, r2{true};
    BinPicture b1{23, 17}, b2{23, 17};
    // The mask of ConditionalDilate, in both kinds.
    RLEPicture mask{true};
    BinPicture bmask{23, 17};
    Work()
    {
        API::Reinit(r1.get(), 23, 17);
        API::Reinit(r2.get(), 23, 17);
        std::mt19937 rng(31);
        Load(mask.get(), RandomRows(rng, 23, 17), true);
        LayOut(bmask, mask.get());
    }
};

// Members whose extra arguments are the same for both kinds of picture.
// clang-format off
#define LX_SAME_ARGS(name, ...)                                                                   \
    PassCase{#name " " #__VA_ARGS__,                                                              \
             [](auto d, auto s) { return API::name(d, s, __VA_ARGS__); },                         \
             [](auto d, auto s) { return Bin::name(d, s, __VA_ARGS__); }}
// clang-format on

std::vector<PassCase> Cases(Work& w)
{
    auto rt = [&]() { return w.r1.get(); };
    auto rt2 = [&]() { return w.r2.get(); };
    auto bt = [&]() { return w.b1.get(); };
    auto bt2 = [&]() { return w.b2.get(); };
    return {
        {"Erode3x3", [=](auto d, auto s) { return API::Erode3x3(d, s, rt()); },
         [=](auto d, auto s) { return Bin::Erode3x3(d, s, bt()); }},
        {"Dilate3x3", [=](auto d, auto s) { return API::Dilate3x3(d, s, rt()); },
         [=](auto d, auto s) { return Bin::Dilate3x3(d, s, bt()); }},
        {"LinErode_045", [=](auto d, auto s) { return API::LinErode_045(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinErode_045(d, s, bt()); }},
        {"Erode2x2", [=](auto d, auto s) { return API::Erode2x2(d, s, rt(), true); },
         [=](auto d, auto s) { return Bin::Erode2x2(d, s, bt(), true); }},
        {"Dilate4x4Oct",
         [=](auto d, auto s) { return API::Dilate4x4Oct(d, s, rt(), rt2(), false); },
         [=](auto d, auto s) { return Bin::Dilate4x4Oct(d, s, bt(), bt2(), false); }},
        {"Erode5x5Oct", [=](auto d, auto s) { return API::Erode5x5Oct(d, s, rt(), rt2()); },
         [=](auto d, auto s) { return Bin::Erode5x5Oct(d, s, bt(), bt2()); }},
        {"Erode3x3_Count", [](auto d, auto s) { return API::Erode3x3_Count(d, s, 1); },
         [](auto d, auto s) { return Bin::Erode3x3_Count(d, s, 1); }},
        {"Dilate2x2_Count", [](auto d, auto s) { return API::Dilate2x2_Count(d, s, 2, true); },
         [](auto d, auto s) { return Bin::Dilate2x2_Count(d, s, 2, true); }},
        {"Open3x3_Count", [](auto d, auto s) { return API::Open3x3_Count(d, s, 1); },
         [](auto d, auto s) { return Bin::Open3x3_Count(d, s, 1); }},
        {"Close5x5Oct_Count", [](auto d, auto s) { return API::Close5x5Oct_Count(d, s, 1); },
         [](auto d, auto s) { return Bin::Close5x5Oct_Count(d, s, 1); }},
        {"LinClose_135_Count", [](auto d, auto s) { return API::LinClose_135_Count(d, s, 2); },
         [](auto d, auto s) { return Bin::LinClose_135_Count(d, s, 2); }},
        {"ShiftUp Or", [](auto d, auto s) { return API::ShiftUp(d, s, API::eBinOr); },
         [](auto d, auto s) { return Bin::ShiftUp(d, s, CLxBinPicMemAPI::eBinOr); }},
        {"ShiftLeft Replace", [](auto d, auto s) { return API::ShiftLeft(d, s, API::eBinReplace); },
         [](auto d, auto s) { return Bin::ShiftLeft(d, s, CLxBinPicMemAPI::eBinReplace); }},
        {"Smooth", [](auto d, auto s) { return API::Smooth(d, s); },
         [](auto d, auto s) { return Bin::Smooth(d, s); }},
        {"FillHoles", [](auto d, auto s) { return API::FillHoles(d, s); },
         [](auto d, auto s) { return Bin::FillHoles(d, s); }},
        {"Contour", [](auto d, auto s) { return API::Contour(d, s, true, false); },
         [](auto d, auto s) { return Bin::Contour(d, s, true, false); }},
        {"ConvexHull", [](auto d, auto s) { return API::ConvexHull(d, s, false, false, 5); },
         [](auto d, auto s) { return Bin::ConvexHull(d, s, false, false, 5); }},
        {"Clean3x3", [](auto d, auto s) { return API::Clean3x3(d, s, 1, true); },
         [](auto d, auto s) { return Bin::Clean3x3(d, s, 1, true); }},
        {"Thinning", [](auto d, auto s) { return API::Thinning(d, s, 17, 2, 3, 0); },
         [](auto d, auto s) { return Bin::Thinning(d, s, 17, 2, 3, 0); }},
        {"Pruning", [](auto d, auto s) { return API::Pruning(d, s, 2); },
         [](auto d, auto s) { return Bin::Pruning(d, s, 2); }},
        {"CalculateZonesOfInfluence",
         [](auto d, auto s) { return API::CalculateZonesOfInfluence(d, s); },
         [](auto d, auto s) { return Bin::CalculateZonesOfInfluence(d, s); }},
        // The members not above: each a one-line instantiation of the same
        // adapter, so one row each checks its binding.
        {"ConditionalDilate",
         [&w](auto d, auto s) { return API::ConditionalDilate(d, s, w.mask.get()); },
         [&w](auto d, auto s) { return Bin::ConditionalDilate(d, s, w.bmask.get()); }},
        {"ShiftRight And", [](auto d, auto s) { return API::ShiftRight(d, s, API::eBinAnd); },
         [](auto d, auto s) { return Bin::ShiftRight(d, s, CLxBinPicMemAPI::eBinAnd); }},
        {"ShiftDown Or", [](auto d, auto s) { return API::ShiftDown(d, s, API::eBinOr); },
         [](auto d, auto s) { return Bin::ShiftDown(d, s, CLxBinPicMemAPI::eBinOr); }},
        {"ShiftRightInplace", [](auto d, auto) { return API::ShiftRightInplace(d); },
         [](auto d, auto) { return Bin::ShiftRightInplace(d); }},
        {"ShiftLeftInplace", [](auto d, auto) { return API::ShiftLeftInplace(d); },
         [](auto d, auto) { return Bin::ShiftLeftInplace(d); }},
        {"Erode3x3Cross", [=](auto d, auto s) { return API::Erode3x3Cross(d, s, rt()); },
         [=](auto d, auto s) { return Bin::Erode3x3Cross(d, s, bt()); }},
        {"Dilate3x3Cross", [=](auto d, auto s) { return API::Dilate3x3Cross(d, s, rt()); },
         [=](auto d, auto s) { return Bin::Dilate3x3Cross(d, s, bt()); }},
        {"LinErode_000", [=](auto d, auto s) { return API::LinErode_000(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinErode_000(d, s, bt()); }},
        {"LinErode_090", [=](auto d, auto s) { return API::LinErode_090(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinErode_090(d, s, bt()); }},
        {"LinErode_135", [=](auto d, auto s) { return API::LinErode_135(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinErode_135(d, s, bt()); }},
        {"LinDilate_000", [=](auto d, auto s) { return API::LinDilate_000(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinDilate_000(d, s, bt()); }},
        {"LinDilate_045", [=](auto d, auto s) { return API::LinDilate_045(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinDilate_045(d, s, bt()); }},
        {"LinDilate_090", [=](auto d, auto s) { return API::LinDilate_090(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinDilate_090(d, s, bt()); }},
        {"LinDilate_135", [=](auto d, auto s) { return API::LinDilate_135(d, s, rt()); },
         [=](auto d, auto s) { return Bin::LinDilate_135(d, s, bt()); }},
        {"Dilate2x2", [=](auto d, auto s) { return API::Dilate2x2(d, s, rt(), false); },
         [=](auto d, auto s) { return Bin::Dilate2x2(d, s, bt(), false); }},
        {"Erode4x4Oct", [=](auto d, auto s) { return API::Erode4x4Oct(d, s, rt(), rt2(), true); },
         [=](auto d, auto s) { return Bin::Erode4x4Oct(d, s, bt(), bt2(), true); }},
        {"Dilate5x5Oct", [=](auto d, auto s) { return API::Dilate5x5Oct(d, s, rt(), rt2()); },
         [=](auto d, auto s) { return Bin::Dilate5x5Oct(d, s, bt(), bt2()); }},
        LX_SAME_ARGS(Dilate3x3_Count, 2),
        LX_SAME_ARGS(Erode3x3Cross_Count, 1),
        LX_SAME_ARGS(Dilate3x3Cross_Count, 2),
        LX_SAME_ARGS(Erode5x5Oct_Count, 1),
        LX_SAME_ARGS(Dilate5x5Oct_Count, 1),
        LX_SAME_ARGS(Erode2x2_Count, 1, false),
        LX_SAME_ARGS(Erode4x4Oct_Count, 1, true),
        LX_SAME_ARGS(Dilate4x4Oct_Count, 2, false),
        LX_SAME_ARGS(Close3x3_Count, 1),
        LX_SAME_ARGS(Open3x3Cross_Count, 1),
        LX_SAME_ARGS(Close3x3Cross_Count, 2),
        LX_SAME_ARGS(Open2x2_Count, 1),
        LX_SAME_ARGS(Close2x2_Count, 1),
        LX_SAME_ARGS(Open4x4Oct_Count, 1),
        LX_SAME_ARGS(Close4x4Oct_Count, 1),
        LX_SAME_ARGS(Open5x5Oct_Count, 1),
        LX_SAME_ARGS(LinErode_000_Count, 2),
        LX_SAME_ARGS(LinErode_045_Count, 1),
        LX_SAME_ARGS(LinErode_090_Count, 2),
        LX_SAME_ARGS(LinErode_135_Count, 1),
        LX_SAME_ARGS(LinDilate_000_Count, 1),
        LX_SAME_ARGS(LinDilate_045_Count, 2),
        LX_SAME_ARGS(LinDilate_090_Count, 1),
        LX_SAME_ARGS(LinDilate_135_Count, 2),
        LX_SAME_ARGS(LinOpen_000_Count, 2),
        LX_SAME_ARGS(LinOpen_045_Count, 1),
        LX_SAME_ARGS(LinOpen_090_Count, 2),
        LX_SAME_ARGS(LinOpen_135_Count, 1),
        LX_SAME_ARGS(LinClose_000_Count, 1),
        LX_SAME_ARGS(LinClose_045_Count, 2),
        LX_SAME_ARGS(LinClose_090_Count, 1),
        LX_SAME_ARGS(Clean2x2, 1, false),
        LX_SAME_ARGS(Clean4x4Oct, 2, true),
        LX_SAME_ARGS(Clean5x5Oct, 1, false),
    };
}

TEST(RLEPassThrough, EveryMemberEqualsItsOneBitOperationLabelledAfresh)
{
    std::mt19937 rng(9);
    Work work;
    for (const PassCase& c : Cases(work))
        for (bool painted : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (painted ? " painted" : " plain"));
            Rows rows = RandomRows(rng, 23, 17), before = RandomRows(rng, 23, 17);
            RLEPicture src(painted), dest(true), want(true);
            Load(src.get(), rows, painted);
            Load(dest.get(), before, true);
            BinPicture bsrc, bdest;
            LayOut(bsrc, src.get());
            LayOut(bdest, dest.get());
            int binStatus = c.bin(bdest.get(), bsrc.get());
            EXPECT_EQ(binStatus, 0);
            ASSERT_EQ(API::ConvertBinPicBufToPaintedRLE(want.get(), bdest.get()), 0);
            EXPECT_EQ(c.rle(dest.get(), src.get()), binStatus);
            EXPECT_TRUE(API::IsEqual(dest.get(), want.get()));
        }
}

// The want record: the binary result in the given form.
void Expect(const SLxRLEPicBuf* got, BinPicture& bin, bool painted)
{
    RLEPicture want(painted);
    ASSERT_EQ(painted ? API::ConvertBinPicBufToPaintedRLE(want.get(), bin.get())
                      : API::ConvertBinPicBufToNonPaintedRLE(want.get(), bin.get()),
              0);
    EXPECT_TRUE(API::IsEqual(got, want.get()));
}

TEST(RLEPassThrough, MembersOfOtherShapesEqualTheirOneBitOperations)
{
    std::mt19937 rng(12);
    const uint32_t w = 19, h = 13;
    for (bool painted : {false, true}) {
        SCOPED_TRACE(painted ? "painted" : "plain");
        RLEPicture src(painted), mask(painted);
        Load(src.get(), RandomRows(rng, w, h), painted);
        Load(mask.get(), RandomRows(rng, w, h), painted);
        BinPicture bsrc, bmask;
        LayOut(bsrc, src.get());
        LayOut(bmask, mask.get());
        {
            SCOPED_TRACE("Thickening");
            RLEPicture d(true);
            Load(d.get(), RandomRows(rng, w, h), true);
            BinPicture bd;
            LayOut(bd, d.get());
            const int status = Bin::Thickening(bd.get(), bmask.get(), bsrc.get(), 2, true);
            EXPECT_EQ(API::Thickening(d.get(), mask.get(), src.get(), 2, true), status);
            Expect(d.get(), bd, true);
        }
        {
            SCOPED_TRACE("And_FillDestAndSource");
            RLEPicture a(painted), b(painted);
            ASSERT_EQ(API::Copy(a.get(), src.get()), 0);
            ASSERT_EQ(API::Copy(b.get(), mask.get()), 0);
            BinPicture ba, bb;
            LayOut(ba, a.get());
            LayOut(bb, b.get());
            Bin::And_FillDestAndSource(ba.get(), bb.get());
            API::And_FillDestAndSource(a.get(), b.get());
            Expect(a.get(), ba, true);
            Expect(b.get(), ba, true);
        }
        {
            SCOPED_TRACE("Copy_FitToDest");
            RLEPicture d(!painted);
            Load(d.get(), RandomRows(rng, 31, 22), !painted);
            BinPicture bd;
            LayOut(bd, d.get());
            Bin::Copy_FitToDest(bd.get(), bsrc.get());
            API::Copy_FitToDest(d.get(), src.get());
            EXPECT_FALSE(API::IsEmpty(d.get()));
            Expect(d.get(), bd, painted);
        }
        {
            SCOPED_TRACE("RotateMatrix");
            RLEPicture d(!painted);
            Load(d.get(), RandomRows(rng, 25, 21), !painted);
            BinPicture bd(25, 21); // the destination is cleared first
            const double m[6] = {0.8, -0.6, 3.0, 0.6, 0.8, -2.0};
            const int status = CLxBinPicMemAPI::RotateMatrix(bd->pData, 25, 21, bd->uiWidthBytes,
                                                             bsrc->pData, w, h, bsrc->uiWidthBytes,
                                                             m[0], m[1], m[2], m[3], m[4], m[5]);
            EXPECT_EQ(API::RotateMatrix(d.get(), src.get(), m[0], m[1], m[2], m[3], m[4], m[5]),
                      status);
            EXPECT_EQ(d->uiWidth, 25u);
            EXPECT_FALSE(API::IsEmpty(d.get()));
            Expect(d.get(), bd, painted);
        }
        {
            SCOPED_TRACE("Unpack1to16, Unpack1to16Expand");
            GreyPicture ours(w, h, 16), theirs(w, h, 16);
            EXPECT_EQ(API::Unpack1to16(&ours.pic, src.get(), 1234),
                      Bin::Unpack1to16(&theirs.pic, bsrc.get(), 1234));
            EXPECT_EQ(ours.pixels(), theirs.pixels());
            GreyPicture wide(w + 4, h + 4, 16), wideTheirs(w + 4, h + 4, 16);
            EXPECT_EQ(API::Unpack1to16Expand(&wide.pic, src.get(), 2),
                      Bin::Unpack1to16Expand(&wideTheirs.pic, bsrc.get(), 2));
            EXPECT_EQ(wide.pixels(), wideTheirs.pixels());
            EXPECT_EQ(wide.at(2 + 5, 2 + 5) != 0, bsrc.at(5, 5));
        }
        {
            SCOPED_TRACE("Pack16NZto1DExpand");
            GreyPicture grey(RandomRows(rng, w + 2, h + 2), 16);
            RLEPicture d(painted);
            Load(d.get(), RandomRows(rng, w, h), painted);
            BinPicture bd;
            LayOut(bd, d.get());
            const int status = Bin::Pack16NZto1DExpand(bd.get(), &grey.pic, 1);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(API::Pack16NZto1DExpand(d.get(), &grey.pic, 1), status);
            Expect(d.get(), bd, true);
        }
    }
    // UltimateErosion works on plain pictures and is handed straight on.
    const Rows rows = RandomRows(rng, w, h);
    GreyPicture a(rows, 16), b(rows, 16), outA(w, h, 16), outB(w, h, 16);
    EXPECT_EQ(API::UltimateErosion(&outA.pic, &a.pic, 3),
              Bin::UltimateErosion(&outB.pic, &b.pic, 3));
    EXPECT_EQ(outA.pixels(), outB.pixels());
}

TEST(RLEPassThrough, WorkPicturesComeBackPainted)
{
    RLEPicture src(false), dest(true), tmp(false);
    Load(src.get(), {"####", "####", "####"}, false);
    ASSERT_EQ(API::Reinit(tmp.get(), 4, 3), 0);
    ASSERT_EQ(API::Erode3x3(dest.get(), src.get(), tmp.get()), 0);
    EXPECT_TRUE(tmp->bPainted);
}

TEST(RLEPassThrough, ObjectsAreNumberedAfresh)
{
    RLEPicture src(true), dest(true);
    auto a = MakeObject(7, {{1, 1, 3}, {2, 1, 3}, {3, 1, 3}}, 0, 0x40);
    auto b = MakeObject(9, {{1, 6, 3}, {2, 6, 3}, {3, 6, 3}}, 0, 0x40);
    ASSERT_EQ(API::Reinit(src.get(), 10, 5), 0);
    ASSERT_EQ(API::AddObjectKeepID(src.get(), AsObject(a), nullptr), 0);
    ASSERT_EQ(API::AddObjectKeepID(src.get(), AsObject(b), nullptr), 0);
    ASSERT_EQ(API::Erode3x3_Count(dest.get(), src.get(), 1), 0);
    EXPECT_EQ(IdsOf(dest.get()), (std::vector<uint32_t>{1, 2}));
    for (const SLxRLEObject* o : ObjectsOf(dest.get())) {
        EXPECT_EQ(Header(o).uiStatus, 0u);
        EXPECT_EQ(Header(o).uiFillColor, 0u);
        EXPECT_EQ(RunsOf(o).size(), 1u);
    }
}

TEST(RLEPassThrough, MemsetKeepsTheForm)
{
    RLEPicture plain(false), painted(true);
    Load(plain.get(), {"#...", "....", ".#.#"}, false);
    Load(painted.get(), {"#...", "....", ".#.#"}, true);
    API::Memset(plain.get(), true);
    API::Memset(painted.get(), true);
    EXPECT_FALSE(plain->bPainted);
    ASSERT_EQ(plain->uiRunCount, 3u);
    for (uint32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(plain->pRuns[y].uiXStart, 0u);
        EXPECT_EQ(plain->pRuns[y].uiXLength, 4u);
    }
    EXPECT_TRUE(painted->bPainted);
    EXPECT_EQ(painted->uiObjectCount, 1u);
}

TEST(RLEPassThrough, RotateKeepsTheDestinationSizeAndTakesTheSourceForm)
{
    RLEPicture src(true), dest(false);
    Load(src.get(), {"##....", "##....", "......"}, true);
    ASSERT_EQ(API::Reinit(dest.get(), 9, 7), 0);
    ASSERT_EQ(API::Rotate(dest.get(), src.get(), 0.0, false), 0);
    EXPECT_TRUE(dest->bPainted);
    EXPECT_EQ(dest->uiWidth, 9u);
    EXPECT_EQ(dest->uiHeight, 7u);
    EXPECT_EQ(dest->uiObjectCount, 1u);
}

TEST(RLEPassThrough, FlipCopyVertIntoAnEmptyDestination)
{
    for (bool painted : {false, true}) {
        RLEPicture src(painted), dest(!painted), want(painted);
        Load(src.get(), {"#..", ".#.", "..#", "..."}, painted);
        Load(want.get(), {"...", "..#", ".#.", "#.."}, painted);
        API::FlipCopyVert(dest.get(), src.get());
        EXPECT_TRUE(API::IsEqual(dest.get(), want.get())) << painted;
    }
}

TEST(RLEPassThrough, FlipCopyHorzIntoAnEmptyDestination)
{
    for (bool painted : {false, true}) {
        RLEPicture src(painted), dest(!painted), want(painted);
        Load(src.get(), {"##...", ".#..#", "....."}, painted);
        Load(want.get(), {"...##", "#..#.", "....."}, painted);
        API::FlipCopyHorz(dest.get(), src.get());
        EXPECT_TRUE(API::IsEqual(dest.get(), want.get())) << painted;
    }
}

TEST(RLEPassThrough, SetPixelOutsideLeavesThePictureUntouched)
{
    RLEPicture pic(true), before(true);
    auto a = MakeObject(7, {{0, 1, 2}}, 0, 0x40);
    ASSERT_EQ(API::Reinit(pic.get(), 5, 2), 0);
    ASSERT_EQ(API::AddObjectKeepID(pic.get(), AsObject(a), nullptr), 0);
    ASSERT_EQ(API::Copy(before.get(), pic.get()), 0);
    for (auto [x, y] : {std::pair<int, int>{5, 0}, {0, 2}, {-1, 0}}) {
        EXPECT_EQ(API::SetPixel(pic.get(), x, y, true), -4);
        EXPECT_TRUE(API::IsEqual(pic.get(), before.get()));
    }
    EXPECT_EQ(API::SetPixel(pic.get(), 4, 1, true), 0);
    EXPECT_EQ(IdsOf(pic.get()), (std::vector<uint32_t>{1, 2}));
}

TEST(RLEPassThrough, LogicNeedsEqualSizes)
{
    RLEPicture a(true), b(true), small(true), before(true);
    Load(a.get(), {"##..", "...."}, true);
    Load(b.get(), {"....", "...#"}, true);
    Load(small.get(), {"###"}, true);
    ASSERT_EQ(API::Copy(before.get(), a.get()), 0);
    API::Or(a.get(), small.get());
    API::Xor(a.get(), small.get());
    EXPECT_TRUE(API::IsEqual(a.get(), before.get()));
    API::Or_FillDestAndSource(a.get(), b.get());
    EXPECT_EQ(a->uiObjectCount, 2u);
    EXPECT_TRUE(API::IsEqual(a.get(), b.get()));
}

TEST(RLEPassThrough, RunsOutsideTheRecordAreClipped)
{
    RLEPicture src(true), dest(true), want(true);
    Load(src.get(), {"...##", "...##"}, true);
    ASSERT_EQ(API::MoveObjects(src.get(), 1, 1), 0);
    API::Complement(dest.get(), src.get());
    Load(want.get(), {"#####", "####."}, true);
    EXPECT_TRUE(API::IsEqual(dest.get(), want.get()));
}

TEST(RLEPassThrough, NullPicturesAreRefused)
{
    RLEPicture pic(true);
    Load(pic.get(), {"##"}, true);
    EXPECT_NE(API::Erode3x3(nullptr, pic.get(), nullptr), 0);
    EXPECT_NE(API::Dilate3x3_Count(pic.get(), nullptr, 1), 0);
    EXPECT_EQ(API::SetPixel(nullptr, 0, 0, true), -4);
    API::Memset(nullptr, true);
    API::Complement(nullptr);
    EXPECT_NE(API::Rotate(nullptr, pic.get(), 1.0, false), 0);
}

} // namespace

namespace
{

Rows PixelsOfRecord(const SLxRLEPicBuf* rec)
{
    GreyPicture pic(rec->uiWidth, rec->uiHeight);
    EXPECT_EQ(API::ConvertRLEToPicBuf(pic.get(), rec, 255), 0);
    Rows rows(rec->uiHeight, std::string(rec->uiWidth, '.'));
    for (uint32_t y = 0; y < rec->uiHeight; ++y)
        for (uint32_t x = 0; x < rec->uiWidth; ++x)
            rows[y][x] = pic.at(x, y) ? '#' : '.';
    return rows;
}

TEST(RLEPassThrough, CanvasOperationsKeepTheirPicturesForm)
{
    RLEPicture src(true), dst(false), pic(false);
    Load(src.get(), {"##", "#."}, true);
    Load(dst.get(), {"####", "####", "####"}, false);
    API::ResizeCanvas(dst.get(), src.get(), 0);
    EXPECT_FALSE(dst->bPainted);
    EXPECT_EQ(PixelsOfRecord(dst.get()), (Rows{"##..", "#...", "...."}));

    Load(pic.get(), {"#.", ".#"}, false);
    API::AdjustCanvas(pic.get(), 3, 3, 0);
    EXPECT_FALSE(pic->bPainted);
    EXPECT_EQ(PixelsOfRecord(pic.get()), (Rows{"#..", ".#.", "..."}));

    API::CopyRect(2, 1, 2, 2, dst.get(), 0, 0, src.get());
    EXPECT_EQ(PixelsOfRecord(dst.get()), (Rows{"##..", "#.##", "..#."}));
}

} // namespace

// Grey erosion and dilation workers: every member against the per-pixel
// rule with edge replication, over kernel shapes, formats and sizes from
// 1 x 1 up; the strips, empty masks and squares larger than the picture.
#include <gtest/gtest.h>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

using Worker = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*);

struct Shape {
    const char* label;
    std::unique_ptr<SLxKernel> (*make)();
};

const Shape kShapes[] = {
    {"Square3", [] { return squareKernel(3); }},
    {"Square5", [] { return squareKernel(5); }},
    {"Square21", [] { return squareKernel(21); }},
    {"Cross3",
     [] {
         return makeKernel(3, 3, 1, 1, {0, 1, 0, 1, 1, 1, 0, 1, 0});
     }},
    {"Lin_45",
     [] {
         return makeKernel(3, 3, 1, 1, {0, 0, 1, 0, 1, 0, 1, 0, 0});
     }},
    {"Oct4",
     [] {
         return makeKernel(4, 4, 1, 1, {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0}, u"Oct4");
     }},
    {"Smooth2",
     [] {
         return makeKernel(2, 2, 0, 0, {1, 1, 1, 1}, u"Smooth2");
     }},
    {"Smooth3", [] { return squareKernel(3, u"Smooth3"); }},
    // Not square: rows x columns indexing, anchored off the middle.
    {"Mask3x5",
     [] {
         return makeKernel(3, 5, 0, 3, {1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1});
     }},
    {"Mask2x7",
     [] {
         return makeKernel(2, 7, 1, 6, {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1});
     }},
};

struct Format {
    uint32_t bits, comps;
};

struct Case {
    size_t shape;
    Format format;
    uint32_t width, height;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << kShapes[c.shape].label << " " << c.format.comps << "x" << c.format.bits << " "
              << c.width << "x" << c.height;
}

// The members that serve the kernel, at the picture's depth.
std::vector<Worker> membersFor(const SLxKernel& k, bool erode, bool eight)
{
    std::vector<Worker> m;
    if (eight)
        m.push_back(erode ? Erode_General_8 : Dilate_General_8);
    else
        m.push_back(erode ? Erode_General_16 : Dilate_General_16);
    if (KernelNameIs(&k, u"Smooth2"))
        m.push_back(eight ? (erode ? Erode_Smooth2_8 : Dilate_Smooth2_8)
                          : (erode ? Erode_Smooth2_16 : Dilate_Smooth2_16));
    if (KernelNameIs(&k, u"Smooth3"))
        m.push_back(eight ? (erode ? Erode_Smooth3_8 : Dilate_Smooth3_8)
                          : (erode ? Erode_Smooth3_16 : Dilate_Smooth3_16));
    if (KernelNameIs(&k, u"Oct4"))
        m.push_back(eight ? (erode ? Erode_Oct4_8 : Dilate_Oct4_8)
                          : (erode ? Erode_Oct4_16 : Dilate_Oct4_16));
    if (IsFullSquareKernel(&k)) {
        if (erode)
            m.push_back(eight ? Erode_Square_8 : Erode_Square_16);
        else
            m.push_back(eight ? [](SLxPicBuf* d, const SLxPicBuf* s,
                                   const SLxKernel* k) { return Dilate_Square_8(d, s, k, 255); }
                              : [](SLxPicBuf* d, const SLxPicBuf* s, const SLxKernel* k) {
                                    return Dilate_Square_16(d, s, k, 65535);
                                });
    }
    return m;
}

class MorphologyWorkers : public ::testing::TestWithParam<Case>
{
};

TEST_P(MorphologyWorkers, EqualTheClampedWindowRule)
{
    const Case c = GetParam();
    const auto k = kShapes[c.shape].make();
    const auto src = patterned(c.width, c.height, c.format.bits, c.format.comps, 3);
    const bool eight = c.format.bits == 8;
    const bool squareTooLarge =
        IsFullSquareKernel(k.get()) && (k->uiNRows > c.height || k->uiNCols > c.width);
    for (bool erode : {true, false}) {
        const auto members = membersFor(*k, erode, eight);
        for (size_t m = 0; m < members.size(); ++m) {
            const auto dst = blankLike(*src);
            const auto before = dst->bytes();
            ASSERT_EQ(members[m](dst->p(), src->p(), k.get()), 0);
            EXPECT_TRUE(dst->paddingIntact());
            const bool isSquareMember = m + 1 == members.size() && IsFullSquareKernel(k.get());
            if (squareTooLarge && isSquareMember) {
                EXPECT_EQ(dst->bytes(), before) << "square larger than the picture writes nothing";
                continue;
            }
            for (uint32_t y = 0; y < c.height; ++y)
                for (uint32_t x = 0; x < c.width; ++x)
                    for (uint32_t ch = 0; ch < c.format.comps; ++ch) {
                        const int64_t want = morphAt(*src, *k, x, y, ch, erode);
                        ASSERT_EQ(dst->get(x, y, ch), want)
                            << (erode ? "erode" : "dilate") << " member " << m << " at " << x << ","
                            << y << "," << ch;
                    }
        }
        if (eight) {
            // Interior and border strips together make the whole picture.
            const auto dst = blankLike(*src);
            const auto whole = blankLike(*src);
            ASSERT_EQ((erode ? ErodeInterior_8 : DilateInterior_8)(dst->p(), src->p(), k.get()), 0);
            ASSERT_EQ((erode ? ErodeBorders_8 : DilateBorders_8)(dst->p(), src->p(), k.get()), 0);
            ASSERT_EQ((erode ? Erode_General_8 : Dilate_General_8)(whole->p(), src->p(), k.get()),
                      0);
            EXPECT_EQ(dst->bytes(), whole->bytes());
        }
    }
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    const Format formats[] = {{8, 1}, {8, 3}, {12, 1}, {16, 4}};
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {37, 23}, {4, 4}, {2, 9}};
    for (size_t s = 0; s < std::size(kShapes); ++s)
        for (const Format f : formats)
            for (const auto& [w, h] : sizes)
                cases.push_back(Case{s, f, w, h});
    // A picture exactly the size of the 21 x 21 square.
    cases.push_back(Case{2, {8, 1}, 21, 21});
    cases.push_back(Case{2, {16, 1}, 22, 40});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Shapes, MorphologyWorkers, ::testing::ValuesIn(allCases()));

TEST(MorphologyWorkerEdges, Oct4StripsAreOneTwoOneTwo)
{
    const auto k = kShapes[5].make();
    const auto src = patterned(9, 8, 8, 1);
    const auto dst = blankLike(*src);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 9; ++x)
            dst->set(x, y, 0, 0x5A);
    ASSERT_EQ(ErodeBorders_8(dst->p(), src->p(), k.get()), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            const bool border = y < 1 || y >= 6 || x < 1 || x >= 7;
            const int64_t want = fold(*src, *k, x, y, 0, INT64_MAX,
                                      [](int64_t a, int64_t v, int32_t) { return std::min(a, v); });
            EXPECT_EQ(dst->get(x, y, 0), border ? uint32_t(want) : 0x5Au) << x << "," << y;
        }
}

TEST(MorphologyWorkerEdges, ConstantPicturesStayAndEmptyMasksWriteNothing)
{
    TestPic src(13, 6, 16, 2, 4), dst(13, 6, 16, 2, 4);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 13; ++x)
            src.setPixel(x, y, {777, 4095});
    for (Worker w : {Erode_General_16, Dilate_General_16, Erode_Square_16, Erode_Oct4_16}) {
        const auto k = w == Erode_Oct4_16 ? kShapes[5].make() : squareKernel(5);
        ASSERT_EQ(w(dst.p(), src.p(), k.get()), 0);
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 13; ++x)
                ASSERT_EQ(dst.pixel(x, y), (std::vector<uint32_t>{777, 4095}));
    }
    const auto empty = makeKernel(3, 3, 1, 1, std::vector<int32_t>(9, 0));
    TestPic blank(13, 6, 16, 2, 4);
    const auto before = blank.bytes();
    EXPECT_EQ(Erode_General_16(blank.p(), src.p(), empty.get()), 0);
    EXPECT_EQ(Dilate_Square_16(blank.p(), src.p(), empty.get(), 65535), 0);
    EXPECT_EQ(blank.bytes(), before);
}

TEST(MorphologyWorkerEdges, NamedShapesWithTooFewElementsUseTheGeneralRule)
{
    const auto k = makeKernel(3, 3, 1, 1, {0, 0, 0, 1, 1, 0, 0, 0, 1}, u"Oct4");
    const auto src = patterned(11, 7, 8, 1, 5);
    const auto a = blankLike(*src), b = blankLike(*src);
    ASSERT_EQ(Dilate_Oct4_8(a->p(), src->p(), k.get()), 0);
    ASSERT_EQ(Dilate_General_8(b->p(), src->p(), k.get()), 0);
    EXPECT_EQ(a->bytes(), b->bytes());
}

TEST(MorphologyWorkerEdges, RefusedArgumentsWriteNothing)
{
    const auto src = patterned(5, 5, 8, 1);
    TestPic other(6, 5, 8, 1), dst(5, 5, 8, 1);
    const auto k = squareKernel(3);
    auto bad = squareKernel(3);
    bad->uiCenterRow = 3;
    auto huge = squareKernel(3);
    huge->uiNRows = 101;
    huge->uiNCols = 100;
    const auto before = dst.bytes();
    EXPECT_EQ(Erode_General_8(other.p(), src->p(), k.get()), -9);
    EXPECT_EQ(Erode_General_8(dst.p(), src->p(), nullptr), -9);
    EXPECT_EQ(Erode_General_8(dst.p(), src->p(), bad.get()), -9);
    EXPECT_EQ(Dilate_Square_8(dst.p(), src->p(), huge.get(), 255), -9);
    EXPECT_EQ(Erode_General_16(dst.p(), src->p(), k.get()), -9); // bytes are not 16-bit lines
    EXPECT_EQ(dst.bytes(), before);
}

TEST(KernelOffsets, RowsTimesColumnsIndexingAndTheDivisorRule)
{
    const auto k = kShapes[8].make(); // 3 x 5 anchored at (0, 3)
    TestPic pic(10, 4, 16, 3, 4);     // 64 bytes a line: 32 samples
    ptrdiff_t offsets[MAX_KERNEL_ELEMENTS];
    int32_t weights[MAX_KERNEL_ELEMENTS];
    int32_t divisor = 0, rounding = -1;
    const uint32_t n =
        CalcKernelOffsets(pic.p(), k.get(), offsets, weights, &divisor, &rounding, false);
    ASSERT_EQ(n, 8u);
    // Elements (0,0), (0,2), (0,3), (1,1), (1,4), (2,0), (2,3), (2,4).
    const ptrdiff_t want[] = {-9, -3, 0, 32 - 6, 32 + 3, 64 - 9, 64, 64 + 3};
    for (uint32_t i = 0; i < n; ++i)
        EXPECT_EQ(offsets[i], want[i]) << i;
    EXPECT_EQ(divisor, 8);
    EXPECT_EQ(rounding, 4);
    ASSERT_EQ(CalcKernelOffsets(pic.p(), k.get(), offsets, nullptr, nullptr, nullptr, true), 8u);
    EXPECT_EQ(offsets[3], 15 - 6); // window mode: 5 columns x 3 components a row
    divisor = -7;
    CalcKernelOffsets(pic.p(), k.get(), offsets, nullptr, &divisor, &rounding, false);
    EXPECT_EQ(rounding, -3);
    const auto none = makeKernel(2, 2, 0, 0, {0, 0, 0, 0});
    divisor = 0;
    EXPECT_EQ(CalcKernelOffsets(pic.p(), none.get(), offsets, nullptr, &divisor, &rounding, false),
              0u);
    EXPECT_EQ(divisor, 1);
    EXPECT_EQ(rounding, 0);
}

TEST(KernelOffsets, FullSquareAndWalk)
{
    EXPECT_TRUE(IsFullSquareKernel(squareKernel(5).get()));
    EXPECT_FALSE(IsFullSquareKernel(kShapes[3].make().get()));
    EXPECT_FALSE(IsFullSquareKernel(makeKernel(2, 2, 0, 0, {1, 1, 1, 1}).get()));
    EXPECT_FALSE(IsFullSquareKernel(nullptr));
    // Each picture walks with its own pitch.
    TestPic src(10, 6, 8, 2, 4), dst(10, 6, 8, 2, 8);
    const auto k = kShapes[5].make(); // Oct4, anchor (1, 1)
    const uint8_t* first = nullptr;
    uint8_t* out = nullptr;
    uint32_t rows = 0, samples = 0;
    ptrdiff_t skipS = 0, skipD = 0;
    ASSERT_TRUE(KernelWalkParams8(dst.p(), src.p(), k.get(), &first, &out, &rows, &samples, &skipS,
                                  &skipD));
    EXPECT_EQ(first, src.at(1, 1, 0));
    EXPECT_EQ(out, dst.at(1, 1, 0));
    EXPECT_EQ(rows, 3u);
    EXPECT_EQ(samples, 14u);
    EXPECT_EQ(skipS, 24 - 14);
    EXPECT_EQ(skipD, 28 - 14);
    TestPic small(3, 6, 8, 2);
    EXPECT_FALSE(KernelWalkParams8(small.p(), small.p(), k.get(), &first, nullptr, nullptr, nullptr,
                                   nullptr, nullptr));
}

TEST(KernelOffsets, ClampedSampleAccess)
{
    TestPic p(4, 3, 16, 2);
    p.fillPattern();
    EXPECT_EQ(GetSampleClamped16(p.p(), -5, 9, 1), p.get(3, 0, 1));
    EXPECT_EQ(GetSampleClamped16(p.p(), 7, -1, 0), p.get(0, 2, 0));
    SetSampleClamped16(p.p(), 99, 99, 1, 1234);
    EXPECT_EQ(p.get(3, 2, 1), 1234u);
    SetSample_16(p.p(), 1, 2, 0, 4321);
    EXPECT_EQ(p.get(2, 1, 0), 4321u);
}

} // namespace

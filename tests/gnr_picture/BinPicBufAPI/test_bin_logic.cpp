// Whole-picture logic, canvas changes and one-pixel shifts.
#include <gtest/gtest.h>

#include "../assert_capture.h"
#include "bin_test_support.h"

namespace
{

using Op = CLxBinPicMemAPI::BinaryOp;

std::vector<std::pair<uint32_t, uint32_t>> SetPixels(BinPicture& p)
{
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (uint32_t y = 0; y < p->uiHeight; ++y)
        for (uint32_t x = 0; x < p->uiWidth; ++x)
            if (p.at(x, y))
                out.emplace_back(x, y);
    return out;
}

struct CanvasCase {
    uint32_t srcSize, dstSize, flags;
    uint32_t dstX, dstY; // where the overlap lands in the destination
    uint32_t srcX, srcY; // where it comes from
};

class BinResizeCanvas : public ::testing::TestWithParam<CanvasCase>
{
};

TEST_P(BinResizeCanvas, PlacesTheOverlap)
{
    const CanvasCase& c = GetParam();
    BinPicture src(c.srcSize, c.srcSize), dst(c.dstSize, c.dstSize);
    std::mt19937 rng(c.flags);
    src.randomise(rng);
    CLxBinPicBufAPI::ResizeCanvas(dst.get(), src.get(), c.flags);
    uint32_t o = std::min(c.srcSize, c.dstSize);
    for (uint32_t y = 0; y < c.dstSize; ++y)
        for (uint32_t x = 0; x < c.dstSize; ++x) {
            bool inside = x >= c.dstX && x < c.dstX + o && y >= c.dstY && y < c.dstY + o;
            bool want = inside && src.at(x - c.dstX + c.srcX, y - c.dstY + c.srcY);
            ASSERT_EQ(dst.at(x, y), want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Flags, BinResizeCanvas,
                         ::testing::Values(CanvasCase{10, 20, 2 | 32, 5, 5, 0, 0},
                                           CanvasCase{10, 20, 4 | 64, 10, 10, 0, 0},
                                           CanvasCase{10, 20, 0, 0, 0, 0, 0},
                                           CanvasCase{20, 10, 2 | 32, 0, 0, 5, 5},
                                           CanvasCase{10, 20, 2 | 4 | 32 | 64, 5, 5, 0, 0}));

TEST(BinCanvas, AdjustCanvasKeepsOrEmpties)
{
    BinPicture p(10, 10, 12);
    p.set(3, 4);
    void* block = p->pData;
    CLxBinPicBufAPI::AdjustCanvas(p.get(), 10, 10, 2 | 32);
    EXPECT_EQ(p->uiWidthBytes, 12u);
    EXPECT_EQ(p->pData, block);
    CLxBinPicBufAPI::AdjustCanvas(p.get(), 20, 30, 2 | 32);
    EXPECT_EQ(p->uiWidthBytes, 4u);
    EXPECT_EQ(SetPixels(p), (std::vector<std::pair<uint32_t, uint32_t>>{{8, 14}}));
    CLxBinPicBufAPI::AdjustCanvas(p.get(), 0, 3, 0);
    EXPECT_EQ(p->pData, nullptr);
    EXPECT_EQ(p->uiHeight, 0u);
}

TEST(BinCanvas, CopyRectOutsideCopiesNothing)
{
    BinPicture src(16, 16), dst(16, 16);
    CLxBinPicBufAPI::Memset(src.get(), true);
    CLxBinPicBufAPI::CopyRect(10, 10, 7, 2, dst.get(), 0, 0, src.get());
    CLxBinPicBufAPI::CopyRect(0, 0, 2, 2, dst.get(), 0xFFFFFFFFu, 0, src.get());
    EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(dst.get()));
    CLxBinPicBufAPI::CopyRect(9, 10, 7, 2, dst.get(), 0, 0, src.get());
    EXPECT_EQ(SetPixels(dst).size(), 14u);
}

TEST(BinShifts, ShiftUpAndDownRepeatTheBorderLine)
{
    BinPicture src(8, 10), dst(8, 10);
    src.set(3, 5);
    EXPECT_EQ(CLxBinPicBufAPI::ShiftUp(dst.get(), src.get(), CLxBinPicMemAPI::eBinReplace), 0);
    EXPECT_EQ(SetPixels(dst), (std::vector<std::pair<uint32_t, uint32_t>>{{3, 4}}));
    src.set(3, 5, false);
    src.set(3, 9);
    CLxBinPicBufAPI::ShiftUp(dst.get(), src.get(), CLxBinPicMemAPI::eBinReplace);
    EXPECT_EQ(SetPixels(dst), (std::vector<std::pair<uint32_t, uint32_t>>{{3, 8}, {3, 9}}));
    src.set(3, 9, false);
    src.set(2, 0);
    CLxBinPicBufAPI::ShiftDown(dst.get(), src.get(), CLxBinPicMemAPI::eBinReplace);
    EXPECT_EQ(SetPixels(dst), (std::vector<std::pair<uint32_t, uint32_t>>{{2, 0}, {2, 1}}));
    // An unknown op leaves the destination.
    CLxBinPicBufAPI::ShiftDown(dst.get(), src.get(), static_cast<Op>(7));
    EXPECT_EQ(SetPixels(dst).size(), 2u);
    BinPicture other(8, 9);
    EXPECT_EQ(CLxBinPicBufAPI::ShiftUp(other.get(), src.get(), CLxBinPicMemAPI::eBinReplace), -9);
}

TEST(BinShifts, InPlaceShiftsKeepTheBorderPixel)
{
    BinPicture p(13, 2);
    p.set(12, 0);
    p.set(0, 1);
    p.line(0)[1] |= 0x07; // padding must not enter
    EXPECT_EQ(CLxBinPicBufAPI::ShiftLeftInplace(p.get()), 0);
    EXPECT_TRUE(p.at(12, 0));
    EXPECT_TRUE(p.at(11, 0));
    EXPECT_FALSE(p.at(0, 1)); // moved out on the left
    p.set(0, 1);
    EXPECT_EQ(CLxBinPicBufAPI::ShiftRightInplace(p.get()), 0);
    EXPECT_TRUE(p.at(0, 1));
    EXPECT_TRUE(p.at(1, 1));
}

// A line whose only set bits are padding has no set pixel after ShiftLeft.
TEST(BinShifts, ShiftLeftTakesNoPadding)
{
    BinPicture src(12, 1), dst(12, 1);
    src.line(0)[1] = 0x08; // the first padding bit
    EXPECT_EQ(CLxBinPicBufAPI::ShiftLeft(dst.get(), src.get(), CLxBinPicMemAPI::eBinReplace), 0);
    EXPECT_TRUE(SetPixels(dst).empty());
    dst.set(11, 0);
    CLxBinPicBufAPI::ShiftLeft(dst.get(), src.get(), CLxBinPicMemAPI::eBinOr);
    EXPECT_TRUE(dst.at(11, 0));
    CLxBinPicBufAPI::ShiftLeft(dst.get(), src.get(), CLxBinPicMemAPI::eBinAnd);
    EXPECT_FALSE(dst.at(11, 0));
    src.set(0, 0);
    src.set(5, 0);
    CLxBinPicBufAPI::ShiftRight(dst.get(), src.get(), CLxBinPicMemAPI::eBinReplace);
    EXPECT_EQ(SetPixels(dst), (std::vector<std::pair<uint32_t, uint32_t>>{{1, 0}, {6, 0}}));
}

TEST(BinLogic, UnequalSizesChangeNothing)
{
    BinPicture a(16, 4), b(16, 5);
    CLxBinPicBufAPI::Memset(a.get(), true);
    CLxBinPicBufAPI::And(a.get(), b.get());
    CLxBinPicBufAPI::Xor(a.get(), b.get());
    CLxBinPicBufAPI::And_FillDestAndSource(a.get(), b.get());
    CLxBinPicBufAPI::Complement(a.get(), b.get());
    EXPECT_EQ(SetPixels(a).size(), 64u);
    EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(b.get()));
    AssertCapture asserts;
    CLxBinPicBufAPI::Copy_2x(a.get(), a.get(), b.get());
    EXPECT_EQ(asserts.count("true"), 1);
    EXPECT_EQ(SetPixels(a).size(), 64u);
}

TEST(BinLogic, XorWithItselfClearsPaddingToo)
{
    BinPicture a(10, 3);
    std::mt19937 rng(3);
    a.randomise(rng);
    CLxBinPicBufAPI::Xor(a.get(), a.get());
    EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(a.get()));
}

TEST(BinLogic, LinesOfDifferentLengths)
{
    BinPicture a(20, 3, 3), b(20, 3, 12), c(20, 3);
    std::mt19937 rng(5);
    a.randomise(rng);
    b.randomise(rng);
    auto pa = a.pixels(), pb = b.pixels();
    CLxBinPicBufAPI::Or(b.get(), a.get());
    auto po = b.pixels();
    for (size_t i = 0; i < pa.size(); ++i)
        ASSERT_EQ(po[i], pa[i] | pb[i]);
    CLxBinPicBufAPI::Complement(c.get(), a.get());
    auto pc = c.pixels();
    for (size_t i = 0; i < pa.size(); ++i)
        ASSERT_EQ(pc[i], 1 - pa[i]);
    CLxBinPicBufAPI::Complement(c.get());
    EXPECT_TRUE(CLxBinPicBufAPI::IsEqual(c.get(), a.get()));
    CLxBinPicBufAPI::FlipCopy(c.get(), a.get());
    for (uint32_t x = 0; x < 20; ++x)
        EXPECT_EQ(c.at(x, 0), a.at(x, 2));
    BinPicture d(20, 3);
    CLxBinPicBufAPI::Copy_FitToDest(d.get(), a.get());
    EXPECT_TRUE(CLxBinPicBufAPI::IsEqual(d.get(), a.get()));
}

TEST(BinLogic, RecordsWithoutTheirBlockAreRefused)
{
    BinPicture a(16, 4), b(16, 4);
    b->uiSize = 4; // claims less than its lines
    EXPECT_EQ(CLxBinPicBufAPI::ShiftUp(a.get(), b.get(), CLxBinPicMemAPI::eBinReplace), -9);
    EXPECT_EQ(CLxBinPicBufAPI::ShiftLeftInplace(nullptr), -9);
    b->uiSize = 16;
}

} // namespace

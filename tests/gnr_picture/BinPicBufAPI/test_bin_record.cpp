// The one-bit record: sizing, filling, comparing; the byte-line functions
// and the whole-byte line shifts.
#include <gtest/gtest.h>

#include "bin_test_support.h"

namespace
{

struct ReinitCase {
    uint32_t width, height, widthBytes;
    int status;
    uint32_t expectWB, expectSize;
};

class BinReinit : public ::testing::TestWithParam<ReinitCase>
{
};

TEST_P(BinReinit, SizesTheRecordOrEmptiesIt)
{
    const ReinitCase& c = GetParam();
    BinPicture p(8, 8); // an old block that a failure must free
    EXPECT_EQ(CLxBinPicBufAPI::Reinit(p.get(), c.width, c.height, c.widthBytes, true), c.status);
    EXPECT_EQ(p->uiWidthBytes, c.expectWB);
    EXPECT_EQ(p->uiSize, c.expectSize);
    if (c.status == 0) {
        EXPECT_EQ(p->uiWidth, c.width);
        EXPECT_EQ(p->uiHeight, c.height);
        EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(p.get()));
    } else {
        EXPECT_EQ(p->uiWidth, 0u);
        EXPECT_EQ(p->uiHeight, 0u);
        EXPECT_EQ(p->pData, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BinReinit,
    ::testing::Values(ReinitCase{1, 1, 0, 0, 4, 4}, ReinitCase{33, 2, 0, 0, 8, 16},
                      ReinitCase{32, 3, 0, 0, 4, 12}, ReinitCase{10, 2, 7, 0, 7, 14},
                      ReinitCase{0, 5, 0, -3, 0, 0}, ReinitCase{5, 0, 0, -3, 0, 0},
                      ReinitCase{17, 1, 2, -3, 0, 0}, // line bytes short of the width
                      ReinitCase{8, 0x7FFFFFFFu, 1, -3, 0, 0},
                      ReinitCase{0xFFFFFFF0u, 0x10000u, 0, -3, 0, 0}));

TEST(BinRecord, CalcWidthBytes)
{
    EXPECT_EQ(CLxBinPicBufAPI::CalcWidthBytes(1, 4), 4u);
    EXPECT_EQ(CLxBinPicBufAPI::CalcWidthBytes(33, 4), 8u);
    EXPECT_EQ(CLxBinPicBufAPI::CalcWidthBytes(17, 1), 3u);
    EXPECT_EQ(CLxBinPicBufAPI::CalcWidthBytes(17, 0), 0u);
}

TEST(BinRecord, EqualityIgnoresPaddingButEmptinessSeesIt)
{
    BinPicture a(10, 3), b(10, 3, 8);
    a.line(1)[1] = 0x3F; // padding bits of line 1 (pixels 8, 9 are the top bits)
    EXPECT_TRUE(CLxBinPicBufAPI::IsEqual(a.get(), b.get()));
    EXPECT_FALSE(CLxBinPicBufAPI::IsEmpty(a.get()));
    b.set(9, 2);
    EXPECT_FALSE(CLxBinPicBufAPI::IsEqual(a.get(), b.get()));
    BinPicture none1, none2;
    EXPECT_FALSE(CLxBinPicBufAPI::IsEqual(none1.get(), none2.get()));
    EXPECT_TRUE(CLxBinPicBufAPI::IsEmpty(nullptr));
    EXPECT_FALSE(CLxBinPicBufAPI::IsEqualSize(a.get(), nullptr));
}

TEST(BinRecord, MemsetSwapAndReinitAndCopy)
{
    BinPicture a(12, 4), b(3, 3), c;
    CLxBinPicBufAPI::Memset(a.get(), true);
    EXPECT_EQ(a.line(3)[3], 0xFF);
    CLxBinPicBufAPI::Swap(a.get(), b.get());
    EXPECT_EQ(b->uiWidth, 12u);
    EXPECT_EQ(a->uiWidth, 3u);
    EXPECT_EQ(CLxBinPicBufAPI::ReinitAndCopyFromSource(c.get(), b.get()), 0);
    EXPECT_TRUE(CLxBinPicBufAPI::IsEqual(c.get(), b.get()));
    EXPECT_EQ(c->uiWidthBytes, b->uiWidthBytes);
    EXPECT_EQ(CLxBinPicBufAPI::ReinitAndCopyFromSource(nullptr, b.get()), -9);
    EXPECT_EQ(CLxBinPicBufAPI::ReinitAndCopyFromSource(c.get(), nullptr), -9);
}

TEST(BinLines, ShiftsCarryBitsBetweenBytes)
{
    const uint8_t line[2] = {0x01, 0x80};
    uint8_t out[2] = {0xAA, 0xAA};
    CLxBinPicMemAPI::ShiftLineLeft(out, line, 2, CLxBinPicMemAPI::eBinReplace);
    EXPECT_EQ(out[0], 0x03);
    EXPECT_EQ(out[1], 0x00);
    CLxBinPicMemAPI::ShiftLineRight(out, line, 2, CLxBinPicMemAPI::eBinReplace);
    EXPECT_EQ(out[0], 0x00);
    EXPECT_EQ(out[1], 0xC0);
    uint8_t kept[2] = {0x5A, 0xA5};
    CLxBinPicMemAPI::ShiftLineLeft(kept, line, 2, static_cast<CLxBinPicMemAPI::BinaryOp>(3));
    EXPECT_EQ(kept[0], 0x5A);
    EXPECT_EQ(kept[1], 0xA5);
}

// Long lines go through the word path; compare with a bit-by-bit shift.
TEST(BinLines, WordShiftsMatchBitShiftsInPlaceAndWithOps)
{
    std::mt19937 rng(7);
    for (uint32_t n : {1u, 7u, 8u, 9u, 16u, 17u, 31u, 40u}) {
        std::vector<uint8_t> src(n), base(n);
        for (auto& b : src)
            b = static_cast<uint8_t>(rng());
        for (auto& b : base)
            b = static_cast<uint8_t>(rng());
        for (int left = 0; left < 2; ++left)
            for (int op = 0; op < 3; ++op) {
                std::vector<uint8_t> want(base);
                for (uint32_t bit = 0; bit < n * 8; ++bit) {
                    int64_t from = left ? int64_t(bit) + 1 : int64_t(bit) - 1;
                    bool v = from >= 0 && from < int64_t(n * 8) &&
                             (src[from / 8] & (0x80 >> (from % 8)));
                    uint8_t m = static_cast<uint8_t>(0x80 >> (bit % 8));
                    bool old = want[bit / 8] & m;
                    bool put = op == 0 ? v : op == 1 ? (old || v) : (old && v);
                    want[bit / 8] =
                        static_cast<uint8_t>(put ? want[bit / 8] | m : want[bit / 8] & ~m);
                }
                std::vector<uint8_t> got(base);
                auto o = static_cast<CLxBinPicMemAPI::BinaryOp>(op);
                if (left)
                    CLxBinPicMemAPI::ShiftLineLeft(got.data(), src.data(), n, o);
                else
                    CLxBinPicMemAPI::ShiftLineRight(got.data(), src.data(), n, o);
                EXPECT_EQ(got, want) << "n " << n << " left " << left << " op " << op;
                if (op == 0) {
                    std::vector<uint8_t> inplace(src);
                    if (left)
                        CLxBinPicMemAPI::ShiftLineLeftInplace(inplace.data(), n);
                    else
                        CLxBinPicMemAPI::ShiftLineRightInplace(inplace.data(), n);
                    EXPECT_EQ(inplace, want) << "in place n " << n;
                }
            }
    }
}

TEST(BinLines, MemoryFunctionsTouchEveryByteAndNoMore)
{
    for (uint32_t n : {5u, 7u, 19u}) {
        std::vector<uint8_t> a(n + 1, 0xF0), b(n + 1, 0x3C), c(n + 1, 0x00);
        a[n] = b[n] = 0x11;
        Memory_And(a.data(), b.data(), n);
        for (uint32_t i = 0; i < n; ++i)
            EXPECT_EQ(a[i], 0x30) << n;
        EXPECT_EQ(a[n], 0x11);
        Memory_Or(a.data(), b.data(), n);
        EXPECT_EQ(a[n - 1], 0x3C);
        Memory_Xor(a.data(), b.data(), n);
        EXPECT_EQ(a[n - 1], 0x00);
        a.assign(n + 1, 0xF0);
        a[n] = 0x11;
        Memory_Or_FillDestAndSource(a.data(), b.data(), n);
        EXPECT_EQ(b[n - 1], 0xFC);
        EXPECT_EQ(b[n], 0x11);
        Memory_And_FillDestAndSource(a.data(), c.data(), n);
        EXPECT_EQ(a[0], 0x00);
        Memory_Copy_2x(a.data(), c.data(), b.data(), n);
        EXPECT_EQ(a[n - 1], 0xFC);
        EXPECT_EQ(c[n - 1], 0xFC);
        EXPECT_EQ(c[n], 0x00);
    }
}

TEST(BinRuns, GetValue)
{
    BinPicture p(10, 3);
    p.set(9, 2);
    bool v = false;
    EXPECT_EQ(CLxBinPicMemAPI::GetValue(&v, 9, 2, p->pData, p->uiWidthBytes, 10, 30), 0);
    EXPECT_TRUE(v);
    v = false;
    EXPECT_EQ(CLxBinPicMemAPI::GetValue(&v, 10, 0, p->pData, p->uiWidthBytes, 10, 30), -4);
    EXPECT_EQ(CLxBinPicMemAPI::GetValue(&v, 0, 3, p->pData, p->uiWidthBytes, 10, 30), -4);
    EXPECT_FALSE(v);
}

TEST(BinRuns, RotateTurnsAQuarter)
{
    BinPicture src(8, 4), dst(4, 8);
    src.set(0, 0);
    ASSERT_EQ(CLxBinPicMemAPI::Rotate(dst->pData, 4, 8, dst->uiWidthBytes, src->pData, 8, 4,
                                      src->uiWidthBytes, 90.0, false),
              0);
    int set = 0;
    for (bool b : dst.pixels())
        set += b;
    EXPECT_EQ(set, 1);
    // Counter-clockwise: the top-left corner goes to the bottom left.
    EXPECT_TRUE(dst.at(0, 7));
    EXPECT_EQ(CLxBinPicMemAPI::Rotate(dst->pData, 4, 8, 0, src->pData, 8, 4, src->uiWidthBytes,
                                      90.0, false),
              -4);
}

} // namespace

namespace
{

// The forwarders reach the one-bit stretch kernels: a same-size stretch and
// display copy the pixels.
TEST(BinRuns, StretchForwardersCopyAtOneToOne)
{
    BinPicture src(20, 6), a(20, 6), b(20, 6);
    std::mt19937 rng(9);
    src.randomise(rng);
    EXPECT_EQ(CLxBinPicMemAPI::Stretch(a->pData, a->uiWidthBytes, 20, 6, src->pData,
                                       src->uiWidthBytes, 6, 0, 0, 20, 6),
              0);
    EXPECT_EQ(a.pixels(), src.pixels());
    EXPECT_EQ(CLxBinPicMemAPI::StretchDisplay(b->pData, 20, 6, b->uiWidthBytes, 20, 6, 0, 0,
                                              src->pData, 20, 6, src->uiWidthBytes),
              0);
    EXPECT_EQ(b.pixels(), src.pixels());
}

} // namespace

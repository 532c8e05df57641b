// Raw runs at every bit offset against a bit-by-bit reference; the bytes
// around each run carry a marker that must survive.
#include <gtest/gtest.h>

#include "bin_test_support.h"

namespace
{

const uint32_t kLines = 3;
const uint32_t kWB = 8; // enough for offset 7 + width 33 plus a marker byte
const uint8_t kMarker = 0xA5;

bool Bit(const std::vector<uint8_t>& buf, uint32_t line, uint64_t pos)
{
    return (buf[line * kWB + pos / 8] & (0x80u >> (pos % 8))) != 0;
}

void SetBit(std::vector<uint8_t>& buf, uint32_t line, uint64_t pos, bool v)
{
    uint8_t& b = buf[line * kWB + pos / 8];
    uint8_t m = static_cast<uint8_t>(0x80u >> (pos % 8));
    b = static_cast<uint8_t>(v ? b | m : b & ~m);
}

struct RunCase {
    uint32_t dstBit, srcBit, width;
};

std::vector<RunCase> AllRuns()
{
    std::vector<RunCase> cases;
    std::vector<uint32_t> widths;
    for (uint32_t w = 1; w <= 17; ++w)
        widths.push_back(w);
    widths.insert(widths.end(), {31, 32, 33});
    for (uint32_t w : widths)
        for (uint32_t d = 0; d < 8; ++d)
            cases.push_back({d, (d * 5 + w) % 8, w});
    // Offsets of 8 or more move the pointer.
    cases.push_back({9, 12, 13});
    return cases;
}

class BinRawRuns : public ::testing::TestWithParam<RunCase>
{
  protected:
    void SetUp() override
    {
        std::mt19937 rng(GetParam().dstBit * 131 + GetParam().srcBit * 7 + GetParam().width);
        src.resize(kLines * kWB);
        dst.resize(kLines * kWB);
        for (auto& b : src)
            b = static_cast<uint8_t>(rng());
        // Destination: the marker everywhere, random inside the run.
        dst.assign(kLines * kWB, kMarker);
        for (uint32_t y = 0; y < kLines; ++y)
            for (uint32_t x = 0; x < GetParam().width; ++x)
                SetBit(dst, y, GetParam().dstBit + x, rng() & 1);
    }
    uint32_t count() const { return GetParam().width * kLines + GetParam().width - 1; }

    std::vector<uint8_t> src, dst;
};

TEST_P(BinRawRuns, CopyByEveryOp)
{
    const RunCase& c = GetParam();
    for (int op = 0; op < 3; ++op) {
        std::vector<uint8_t> want(dst), got(dst);
        for (uint32_t y = 0; y < kLines; ++y)
            for (uint32_t x = 0; x < c.width; ++x) {
                bool s = Bit(src, y, c.srcBit + x), d = Bit(dst, y, c.dstBit + x);
                SetBit(want, y, c.dstBit + x, op == 0 ? s : op == 1 ? (s || d) : (s && d));
            }
        ASSERT_EQ(CLxBinPicMemAPI::Copy(got.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                        c.width, count(),
                                        static_cast<CLxBinPicMemAPI::BinaryOp>(op)),
                  0);
        EXPECT_EQ(got, want) << "op " << op;
    }
    std::vector<uint8_t> untouched(dst);
    EXPECT_EQ(CLxBinPicMemAPI::Copy(untouched.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                    c.width, count(), static_cast<CLxBinPicMemAPI::BinaryOp>(3)),
              -2);
    EXPECT_EQ(untouched, dst);
}

TEST_P(BinRawRuns, ComplementBothForms)
{
    const RunCase& c = GetParam();
    std::vector<uint8_t> want(dst), got(dst), inplace(dst), wantInplace(dst);
    for (uint32_t y = 0; y < kLines; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            SetBit(want, y, c.dstBit + x, !Bit(src, y, c.srcBit + x));
            SetBit(wantInplace, y, c.dstBit + x, !Bit(dst, y, c.dstBit + x));
        }
    EXPECT_EQ(CLxBinPicMemAPI::Complement(got.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                          c.width, count()),
              0);
    EXPECT_EQ(got, want);
    EXPECT_EQ(CLxBinPicMemAPI::Complement(inplace.data(), c.dstBit, kWB, c.width, count()), 0);
    EXPECT_EQ(inplace, wantInplace);
}

TEST_P(BinRawRuns, IsEqualSeesOnlyTheRun)
{
    const RunCase& c = GetParam();
    std::vector<uint8_t> copy(dst);
    ASSERT_EQ(CLxBinPicMemAPI::Copy(copy.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB, c.width,
                                    count(), CLxBinPicMemAPI::eBinReplace),
              0);
    EXPECT_TRUE(CLxBinPicMemAPI::IsEqual(copy.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                         c.width, count()));
    // A difference in the last pixel of the last line, then just outside it.
    SetBit(copy, kLines - 1, c.dstBit + c.width - 1,
           !Bit(copy, kLines - 1, c.dstBit + c.width - 1));
    EXPECT_FALSE(CLxBinPicMemAPI::IsEqual(copy.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                          c.width, count()));
    SetBit(copy, kLines - 1, c.dstBit + c.width - 1,
           !Bit(copy, kLines - 1, c.dstBit + c.width - 1));
    SetBit(copy, 0, c.dstBit + c.width, !Bit(copy, 0, c.dstBit + c.width));
    EXPECT_TRUE(CLxBinPicMemAPI::IsEqual(copy.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB,
                                         c.width, count()));
    EXPECT_FALSE(CLxBinPicMemAPI::IsEqual(copy.data(), c.dstBit, kWB, src.data(), c.srcBit, kWB, 0,
                                          count()));
}

INSTANTIATE_TEST_SUITE_P(OffsetsAndWidths, BinRawRuns, ::testing::ValuesIn(AllRuns()));

TEST(BinRawRuns, NothingToDoAndNullPointers)
{
    uint8_t b = 0x5A;
    EXPECT_EQ(CLxBinPicMemAPI::Copy(&b, 0, 1, &b, 0, 1, 0, 8, CLxBinPicMemAPI::eBinReplace), 0);
    EXPECT_EQ(CLxBinPicMemAPI::Copy(nullptr, 0, 1, &b, 0, 1, 8, 8, CLxBinPicMemAPI::eBinReplace),
              -4);
    EXPECT_EQ(neg_on_bin(nullptr, 0, 1, 8, 8), -4);
    EXPECT_EQ(neg_on_bin(&b, 0, 1, 8, 7), 0); // less than a line
    EXPECT_EQ(b, 0x5A);
}

} // namespace

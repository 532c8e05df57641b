// Weighting masks and float kernel matrices.
#include <gtest/gtest.h>

#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"

namespace
{

struct Mask : SLxFilterBuf {
    Mask(uint32_t w, uint32_t h) : SLxFilterBuf{}
    {
        EXPECT_EQ(CLxFilterBuf::Reinit(this, w, h, 0, true), 0);
    }
    ~Mask() { CLxFilterBuf::Free(this); }
    uint8_t& at(uint32_t x, uint32_t y) { return pData[size_t(y) * uiWidthBytes + x]; }
};

} // namespace

TEST(FilterBuf, FiveWideMaskKeepsItsPadding)
{
    Mask a(5, 2), b(5, 2);
    EXPECT_EQ(a.uiWidthBytes, 8u);
    EXPECT_EQ(a.uiSize, 16u);
    for (uint32_t i = 0; i < 16; ++i) {
        a.pData[i] = uint8_t(40 + i);
        b.pData[i] = uint8_t(200 - i);
    }
    const std::vector<uint8_t> before(a.pData, a.pData + 16);
    struct Case {
        int (*op)(SLxFilterBuf*, const SLxFilterBuf*);
        uint8_t (*want)(uint8_t, uint8_t);
    } cases[] = {
        {CLxFilterBuf::Add, [](uint8_t d, uint8_t s) { return uint8_t(std::min(d + s, 255)); }},
        {CLxFilterBuf::Subtract, [](uint8_t d, uint8_t s) { return uint8_t(std::max(d - s, 0)); }},
        {CLxFilterBuf::Min, [](uint8_t d, uint8_t s) { return std::min(d, s); }},
        {CLxFilterBuf::Max, [](uint8_t d, uint8_t s) { return std::max(d, s); }},
    };
    for (const Case& c : cases) {
        std::copy(before.begin(), before.end(), a.pData);
        ASSERT_EQ(c.op(&a, &b), 0);
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 8; ++x) {
                const size_t i = y * 8 + x;
                EXPECT_EQ(a.pData[i], x < 5 ? c.want(before[i], b.pData[i]) : before[i]) << i;
            }
    }
    std::copy(before.begin(), before.end(), a.pData);
    ASSERT_EQ(CLxFilterBuf::Complement(&a), 0);
    EXPECT_EQ(a.at(4, 1), 255 - before[12]);
    EXPECT_EQ(a.pData[5], before[5]);
}

TEST(FilterBuf, ChecksFillsAndRefusals)
{
    Mask a(5, 2), b(5, 2), c(4, 2);
    EXPECT_TRUE(CLxFilterBuf::Check(&a, &b, 0));
    EXPECT_FALSE(CLxFilterBuf::Check(&a, &b, 1));
    EXPECT_FALSE(CLxFilterBuf::Check(&a, &c, 0));
    EXPECT_EQ(CLxFilterBuf::FulFill(&a), 0);
    EXPECT_EQ(a.pData[15], 255);
    EXPECT_EQ(CLxFilterBuf::Copy(&b, &a), 0);
    EXPECT_EQ(b.at(4, 1), 255);
    EXPECT_EQ(CLxFilterBuf::Clear(&a), 0);
    EXPECT_EQ(a.pData[7], 0);
    EXPECT_EQ(CLxFilterBuf::Add(&a, &c), -9);
    EXPECT_EQ(CLxFilterBuf::Clear(nullptr), -9);
    EXPECT_EQ(CLxFilterBuf::Complement(nullptr), -9);
    AssertCapture asserts;
    EXPECT_EQ(CLxFilterBuf::Copy(&c, &a), -9);
    EXPECT_EQ(asserts.countMessage("CLxFilterBuf::Copy, sour and dest must have the same format"),
              1);
    EXPECT_EQ(CLxFilterBuf::Reinit(&c, 0, 0, 0, true), -3);
    EXPECT_EQ(c.pData, nullptr);
    EXPECT_EQ(CLxFilterBuf::Reinit(&c, 5, 1, 4, true), -9);

    SLxFloatPicBuf pic{};
    ASSERT_EQ(CLxFloatPicBufAPI::Reinit(&pic, 7, 3, 0, 1, false), 0);
    ASSERT_EQ(CLxFilterBuf::Reinit(&c, &pic, true), 0);
    EXPECT_EQ(c.uiWidthBytes, 8u);
    EXPECT_TRUE(CLxFilterBuf::Check(&c, &pic, 0));
    EXPECT_FALSE(CLxFilterBuf::Check(&c, &pic, 1));
    CLxFloatPicBufAPI::Free(&pic);
}

TEST(FloatKernelMatrix, AllocFreeAndCopyFromIntegers)
{
    SLxFloatKernelMatrix m;
    ASSERT_EQ(SLxFloatKernelMatrix::Alloc(&m, 2, 3), 0);
    EXPECT_EQ(m.pfValues[5], 0.0f);
    float* kept = m.pfValues;
    ASSERT_EQ(SLxFloatKernelMatrix::Alloc(&m, 0, 3), 0); // allocates nothing
    EXPECT_EQ(m.pfValues, kept);

    SLxKernelMatrix ints;
    ASSERT_EQ(SLxKernelMatrix::Alloc(&ints, 1, 3), 0);
    ints.piValues[0] = 1, ints.piValues[1] = -2, ints.piValues[2] = 3;
    ints.iDivisor = 4;
    ints.uiReserved1 = 7;
    ASSERT_EQ(SLxFloatKernelMatrix::CopyIntToFloat(&m, &ints), 0);
    EXPECT_EQ(m.uiNRows, 1u);
    EXPECT_EQ(m.uiNCols, 3u);
    EXPECT_EQ(m.uiReserved1, 7u);
    EXPECT_EQ(std::vector<float>(m.pfValues, m.pfValues + 3),
              (std::vector<float>{0.25f, -0.5f, 0.75f}));
    ints.iDivisor = 0; // counts as 1
    ASSERT_EQ(SLxFloatKernelMatrix::CopyIntToFloat(&m, &ints), 0);
    EXPECT_EQ(m.pfValues[2], 3.0f);
    SLxFloatKernelMatrix::Free(&m);
    EXPECT_EQ(m.pfValues, nullptr);
    EXPECT_EQ(m.uiNCols, 0u);
}

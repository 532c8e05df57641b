// Sequence noise and the mean difference in decibels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

struct Pictures : ::testing::Test {
    std::vector<SLxPicBuf> pics;
    SLxPicBuf& add(uint32_t w, uint32_t h, uint32_t bits, std::vector<uint16_t> values)
    {
        pics.emplace_back();
        SLxPicBuf& p = pics.back();
        CLxPicBufAPI::Init(&p);
        EXPECT_EQ(0, CLxPicBufAPI::Reinit(&p, w, h, 0, bits, 1, true));
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t* line = static_cast<uint8_t*>(p.pData) + size_t(y) * p.uiWidthBytes;
                if (bits <= 8)
                    line[x] = uint8_t(values[y * w + x]);
                else
                    reinterpret_cast<uint16_t*>(line)[x] = values[y * w + x];
            }
        return p;
    }
    void clear()
    {
        for (SLxPicBuf& p : pics)
            CLxPicBufAPI::Free(&p);
        pics.clear();
    }
    ~Pictures() override { clear(); }
};

TEST_F(Pictures, SeqSnrExamples)
{
    pics.reserve(8);
    add(2, 1, 8, {10, 30});
    add(2, 1, 8, {10, 30});
    double r = -1;
    EXPECT_EQ(0, CLxPicBufAPI::CalcSeqSNR(pics.data(), 2, r));
    EXPECT_EQ(0.0, r);

    clear();
    add(1, 1, 8, {10});
    add(1, 1, 8, {20});
    r = -1;
    EXPECT_EQ(0, CLxPicBufAPI::CalcSeqSNR(pics.data(), 2, r));
    EXPECT_EQ(0.0, r); // low equals high
}

TEST_F(Pictures, SeqSnrDividesByCount)
{
    pics.reserve(4);
    add(2, 1, 12, {100, 300});
    add(2, 1, 12, {110, 300});
    add(2, 1, 12, {100, 290});
    double r = 0;
    EXPECT_EQ(0, CLxPicBufAPI::CalcSeqSNR(pics.data(), 3, r));
    // Sum 100 + 100 + 100, histogram of the first two pictures: 100 .. 300.
    EXPECT_DOUBLE_EQ(std::sqrt(300.0 / (2 * 1 * 3)) / 200.0, r);
}

TEST_F(Pictures, SeqSnrErrors)
{
    pics.reserve(4);
    add(2, 1, 8, {1, 2});
    add(2, 1, 10, {1, 2});
    double r = -1;
    EXPECT_EQ(-4, CLxPicBufAPI::CalcSeqSNR(pics.data(), 2, r));
    EXPECT_EQ(-4, CLxPicBufAPI::CalcSeqSNR(pics.data(), 1, r));
    EXPECT_EQ(-4, CLxPicBufAPI::CalcSeqSNR(nullptr, 2, r));
    EXPECT_EQ(-1.0, r);
    clear();
    add(2, 1, 24, {1, 2});
    add(2, 1, 24, {1, 2});
    EXPECT_EQ(-2, CLxPicBufAPI::CalcSeqSNR(pics.data(), 2, r));
    EXPECT_EQ(-1.0, r);
}

TEST_F(Pictures, DecibelExamples)
{
    pics.reserve(8);
    SLxPicBuf& a = add(2, 1, 8, {100, 50});
    SLxPicBuf& b = add(2, 1, 8, {50, 50});
    EXPECT_NEAR(-10.0 * std::log(0.5 / 2), CLxPicBufAPI::AvgDifferenceInDecibels(&a, &b), 1e-12);
    EXPECT_NEAR(13.86, CLxPicBufAPI::AvgDifferenceInDecibels(&a, &b), 0.005);
    EXPECT_EQ(std::numeric_limits<double>::infinity(),
              CLxPicBufAPI::AvgDifferenceInDecibels(&a, &a));
    SLxPicBuf& c = add(2, 1, 16, {100, 50});
    EXPECT_EQ(-9.0, CLxPicBufAPI::AvgDifferenceInDecibels(&a, &c));
    EXPECT_EQ(-9.0, CLxPicBufAPI::AvgDifferenceInDecibels(&a, nullptr));
    SLxPicBuf& d = add(2, 1, 16, {1000, 500});
    SLxPicBuf& e = add(2, 1, 16, {500, 500});
    EXPECT_NEAR(-10.0 * std::log(0.5 / 2), CLxPicBufAPI::AvgDifferenceInDecibels(&d, &e), 1e-12);
    SLxPicBuf& f = add(2, 1, 4, {1, 2});
    EXPECT_EQ(0.0, CLxPicBufAPI::AvgDifferenceInDecibels(&f, &f));
}

} // namespace

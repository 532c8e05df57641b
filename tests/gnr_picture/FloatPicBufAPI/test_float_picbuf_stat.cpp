// Rectangle copies, statistics records and tone mapping of float pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

namespace
{

struct Pic : SLxFloatPicBuf {
    Pic(uint32_t w, uint32_t h, uint32_t comps = 1)
    {
        CLxFloatPicBufAPI::Init(this);
        EXPECT_EQ(CLxFloatPicBufAPI::Reinit(this, w, h, 0, comps, true), 0);
    }
    ~Pic() { CLxFloatPicBufAPI::Free(this); }
    float& at(uint32_t x, uint32_t y, uint32_t c = 0)
    {
        return pData[(size_t(y) * uiWidth + x) * uiComps + c];
    }
};

struct Stat : SLxImageStat {
    Stat() { CLxImageStat::Init(this); }
    ~Stat() { CLxImageStat::Free(this); }
};

} // namespace

TEST(FloatPicBufStat, CopyRectMovesBlocksInsideBothPictures)
{
    Pic src(4, 3, 2), dst(5, 5, 2), other(4, 3, 1);
    for (uint32_t i = 0; i < 24; ++i)
        src.pData[i] = float(i);
    ASSERT_EQ(CLxFloatPicBufAPI::CopyRect(3, 4, 2, 1, &dst, 1, 2, &src), 0);
    EXPECT_EQ(dst.at(3, 4, 0), src.at(1, 2, 0));
    EXPECT_EQ(dst.at(4, 4, 1), src.at(2, 2, 1));
    EXPECT_EQ(dst.at(2, 4, 0), 0.0f);
    EXPECT_EQ(CLxFloatPicBufAPI::CopyRect(4, 4, 2, 1, &dst, 0, 0, &src), -4);
    EXPECT_EQ(CLxFloatPicBufAPI::CopyRect(0, 0, 2, 2, &dst, 3, 2, &src), -4);
    AssertCapture asserts;
    EXPECT_EQ(CLxFloatPicBufAPI::CopyRect(0, 0, 1, 1, &other, 0, 0, &src), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxPicBufAPI::CopyRect, sour and dest must have the same format"), 1);
}

TEST(FloatPicBufStat, GetStatOfARectangle)
{
    Pic src(4, 4, 2);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            src.at(x, y, 0) = float(y * 4 + x);
            src.at(x, y, 1) = -float(x);
        }
    Stat stat;
    ASSERT_EQ(CLxImageStat::Reinit(&stat, 1, 1, 3, 3, 2), 0); // values 5 6 9 10
    ASSERT_EQ(CLxFloatPicBufAPI::GetStat(&stat, &src), 0);
    EXPECT_EQ(stat.pMin[0], 5);
    EXPECT_EQ(stat.pMax[0], 10);
    EXPECT_FLOAT_EQ(stat.pMean[0], 7.5f);
    EXPECT_EQ(stat.pMedian[0], 9); // sorted[n / 2]
    EXPECT_FLOAT_EQ(stat.pDeviation[0], std::sqrt(17.0f / 3.0f));
    EXPECT_EQ(stat.pMin[1], -2);
    EXPECT_EQ(stat.pMax[1], -1);

    ASSERT_EQ(CLxImageStat::Reinit(&stat, 1, 1, 5, 3, 2), 0);
    EXPECT_EQ(CLxFloatPicBufAPI::GetStat(&stat, &src), -4); // leaves the source
    ASSERT_EQ(CLxImageStat::Reinit(&stat, 0, 0, 2, 2, 1), 0);
    EXPECT_EQ(CLxFloatPicBufAPI::GetStat(&stat, &src), -4); // arrays too short
    EXPECT_EQ(CLxImageStat::Reinit(&stat, 0, 0, 1, 1, 0), -3);
    EXPECT_EQ(stat.pMin, nullptr);
    EXPECT_EQ(CLxImageStat::Reinit(nullptr, 0, 0, 1, 1, 1), -9);
}

TEST(FloatPicBufStat, ToneMapsNeedMatchingPictures)
{
    Pic src(2, 2, 1);
    src.at(0, 0) = 1000.0f;
    src.at(1, 1) = 0.5f;
    std::vector<uint8_t> bytes(4, 7);
    SLxPicBuf dst{2, 2, 2, 8, 1, 4, bytes.data()};
    EXPECT_EQ(CLxFloatPicBufAPI::Map_Drago(&dst, &src), 0);
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(CLxFloatPicBufAPI::MapParam_Tumblin(&dst, &src, 3), 0);
    SLxPicBuf deep{2, 2, 4, 17, 1, 16, bytes.data()};
    std::fill(bytes.begin(), bytes.end(), 7);
    EXPECT_EQ(CLxFloatPicBufAPI::Map_Tumblin(&deep, &src), 0); // depth refused inside, still 0
    EXPECT_EQ(bytes, std::vector<uint8_t>(4, 7));
    SLxPicBuf wrong{2, 1, 2, 8, 1, 2, bytes.data()};
    EXPECT_EQ(CLxFloatPicBufAPI::Map_Drago(&wrong, &src), -9);
    EXPECT_EQ(CLxFloatPicBufAPI::MapParam_Drago(nullptr, &src, 0), -9);
}

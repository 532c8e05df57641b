// Profile records over GetProfileData and the joint histogram record.
#include <gtest/gtest.h>

#include <vector>

#include "PicBufAPI/picbuf_test_support.h"
#include "gnr_picture/LxHisto2D.h"
#include "gnr_picture/LxProfileData.h"
#include "w32_system/memory/LxAlloc.h"

using picbuftest::TestPic;

namespace
{

SLxPicBufDesc descOf(const SLxPicBuf& p)
{
    return SLxPicBufDesc{p.uiWidth, p.uiHeight, p.uiWidthBytes, p.uiBpc, p.uiComps, p.uiSize};
}

struct Profile {
    SLxProfileData d;
    SLxProfileMetric metric{};
    Profile() { CLxProfileDataAPI::Init(&d); }
    ~Profile()
    {
        CLxProfileDataAPI::Free(&d);
        CLxProfileDataAPI::FreeMetrics(&metric);
    }
};

TEST(ProfileData, HorizontalLineHasElevenPointsOnItsRow)
{
    TestPic pic(16, 12, 8, 1);
    pic.fillPattern();
    Profile p;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxProfileDataAPI::Reinit(&p.d, &desc), 0);
    EXPECT_EQ(p.d.uiWidth, 16u);
    EXPECT_EQ(p.d.uiComps, 1u);
    ASSERT_EQ(CLxProfileDataAPI::CalculateEx(&p.d, pic.p(), 0, 10, 5, 5, &p.metric), 0);
    ASSERT_EQ(p.d.uiCount, 11u);
    ASSERT_EQ(p.metric.uiCount, 11u);
    for (uint32_t i = 0; i < 11; ++i) {
        EXPECT_EQ(p.d.puiX[i], i);
        EXPECT_EQ(p.d.puiY[i], 5u);
        EXPECT_EQ(static_cast<uint8_t*>(p.d.pData)[i], pic.get(i, 5, 0));
        EXPECT_DOUBLE_EQ(p.metric.pdDistance[i], p.metric.pdX[i]);
    }
}

TEST(ProfileData, HalfWidthOneAveragesAcrossTheLine)
{
    TestPic pic(8, 6, 16, 2);
    pic.fillPattern(3);
    Profile p;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxProfileDataAPI::Reinit(&p.d, &desc), 0);
    p.d.uiHalfWidth = 1;
    // Along row 0: the row above is outside, so two rows count.
    ASSERT_EQ(CLxProfileDataAPI::Calculate(&p.d, pic.p(), 0, 7, 0, 0), 0);
    ASSERT_EQ(p.d.uiCount, 8u);
    const auto* s = static_cast<const uint16_t*>(p.d.pData);
    for (uint32_t x = 0; x < 8; ++x)
        for (uint32_t c = 0; c < 2; ++c)
            EXPECT_EQ(s[x * 2 + c], (pic.get(x, 0, c) + pic.get(x, 1, c)) / 2) << x;
    // Along row 3: three rows.
    ASSERT_EQ(CLxProfileDataAPI::Calculate(&p.d, pic.p(), 0, 7, 3, 3), 0);
    s = static_cast<const uint16_t*>(p.d.pData);
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(s[x * 2], (pic.get(x, 2, 0) + pic.get(x, 3, 0) + pic.get(x, 4, 0)) / 3) << x;
}

// Reinit and every Calculate release what the record held: ASan reports
// any block lost over a thousand rounds.
TEST(ProfileData, RepeatedCalculationsLeakNothing)
{
    TestPic pic(32, 32, 8, 3);
    pic.fillPattern();
    Profile p;
    const SLxPicBufDesc desc = descOf(pic.rec());
    for (int round = 0; round < 1000; ++round) {
        if (round % 100 == 0) {
            ASSERT_EQ(CLxProfileDataAPI::Reinit(&p.d, &desc), 0);
        }
        ASSERT_EQ(CLxProfileDataAPI::Calculate(&p.d, pic.p(), 0, 31, 0, uint32_t(round % 32)), 0);
        ASSERT_EQ(CLxProfileDataAPI::CalculateEx(&p.d, pic.p(), 3, 20, 30, 1, &p.metric), 0);
    }
    EXPECT_GT(p.d.uiCount, 0u);
}

TEST(ProfileData, BadInput)
{
    Profile p;
    const SLxPicBufDesc desc{4, 4, 4, 8, 1, 16};
    EXPECT_EQ(CLxProfileDataAPI::Reinit(nullptr, &desc), -9);
    EXPECT_EQ(CLxProfileDataAPI::Reinit(&p.d, nullptr), -9);
    EXPECT_EQ(CLxProfileDataAPI::Calculate(nullptr, nullptr, 0, 1, 0, 1), -2);
    // No picture: the points alone.
    ASSERT_EQ(CLxProfileDataAPI::Reinit(&p.d, &desc), 0);
    EXPECT_EQ(CLxProfileDataAPI::Calculate(&p.d, nullptr, 0, 3, 0, 0), 0);
    EXPECT_EQ(p.d.uiCount, 4u);
    EXPECT_EQ(p.d.pData, nullptr);
    CLxProfileDataAPI::Free(nullptr);
    CLxProfileDataAPI::FreeMetrics(nullptr);
}

struct Histo2D {
    SLxHisto2D h;
    Histo2D() { CLxHisto2DAPI::Init(&h); }
    ~Histo2D() { CLxHisto2DAPI::Free(&h); }
};

TEST(Histo2D, SizesPerBits)
{
    const uint32_t cases[][2] = {{1, 2}, {4, 16}, {7, 128}, {8, 256}, {12, 256}, {16, 256}};
    for (const auto& c : cases)
        EXPECT_EQ(CLxHisto2DAPI::GetSize(c[0]), c[1]) << c[0];
}

TEST(Histo2D, TwelveBitsCountTheTopEightBits)
{
    TestPic pic(3, 2, 12, 2);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            pic.setPixel(x, y, {4095, 16});
    pic.setPixel(2, 1, {15, 4080});
    Histo2D h;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &desc), 0);
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 0, 1, true), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 255, 1), 5u);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 0, 255), 1u);
    // Counting again adds unless reset.
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 0, 1, false), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 255, 1), 10u);
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 1, 0, true), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 1, 255), 5u);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 255, 1), 0u);
}

TEST(Histo2D, AreaModes)
{
    TestPic pic(6, 5, 8, 3);
    pic.fillPattern();
    Histo2D h;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxHisto2DAPI::Reinit64(&h.h, &desc), 0);
    h.h.uiAreaMode = 1;
    h.h.uiAreaX = 2;
    h.h.uiAreaY = 1;
    h.h.uiAreaWidth = 3;
    h.h.uiAreaHeight = 4;
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 2, 0, true), 0);
    std::vector<uint64_t> expected(256 * 256, 0);
    for (uint32_t y = 1; y < 5; ++y)
        for (uint32_t x = 2; x < 5; ++x)
            ++expected[pic.get(x, y, 2) * 256 + pic.get(x, y, 0)];
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(CLxHisto2DAPI::GetValue(&h.h, a, b), expected[a * 256 + b]);
    // The rectangle stays the caller's when the record is prepared again.
    EXPECT_EQ(h.h.uiAreaWidth, 3u);
    // A rectangle reaching past the picture counts nothing.
    h.h.uiAreaWidth = 5;
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 2, 0, true), 0);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(CLxHisto2DAPI::GetValue(&h.h, a, b), 0u);
    // Other modes count nothing.
    h.h.uiAreaMode = 2;
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 2, 0, true), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, pic.get(0, 0, 2), pic.get(0, 0, 0)), 0u);
}

TEST(Histo2D, ComponentOutOfRangeCountsNothingAndReturnsZero)
{
    TestPic pic(4, 4, 8, 2);
    pic.fillPattern();
    Histo2D h;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &desc), 0);
    EXPECT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 0, 2, true), 0);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(CLxHisto2DAPI::GetValue(&h.h, a, b), 0u);
    // A record never prepared counts nothing either.
    Histo2D fresh;
    EXPECT_EQ(CLxHisto2DAPI::Calculate(&fresh.h, pic.p(), 0, 1, true), 0);
    EXPECT_EQ(fresh.h.pBins, nullptr);
}

TEST(Histo2D, ReinitKeepsCountsForTheSameFormatAndSwitchesBinSize)
{
    TestPic pic(4, 4, 8, 2);
    pic.fillPattern();
    Histo2D h;
    SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &desc), 0);
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 0, 1, true), 0);
    const uint64_t counted = CLxHisto2DAPI::GetValue(&h.h, pic.get(0, 0, 0), pic.get(0, 0, 1));
    ASSERT_GT(counted, 0u);
    // Another size of the same format: the counts stay, the sizes follow.
    desc.uiWidth = 9;
    desc.uiHeight = 7;
    ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &desc), 0);
    EXPECT_EQ(h.h.uiWidth, 9u);
    EXPECT_EQ(h.h.uiAreaHeight, 7u);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, pic.get(0, 0, 0), pic.get(0, 0, 1)), counted);
    ASSERT_EQ(CLxHisto2DAPI::Reinit64(&h.h, &desc), 0);
    EXPECT_EQ(h.h.uiBinSize, 8u);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, pic.get(0, 0, 0), pic.get(0, 0, 1)), 0u);
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&h.h, pic.p(), 0, 1, true), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, pic.get(0, 0, 0), pic.get(0, 0, 1)), counted);
    // Another depth: fresh bins of the new size.
    desc.uiBpc = 4;
    ASSERT_EQ(CLxHisto2DAPI::Reinit64(&h.h, &desc), 0);
    EXPECT_EQ(CLxAlloc::Size(h.h.pBins), 16u * 16u * 8u);
}

TEST(Histo2D, CopyIsIndependent)
{
    TestPic pic(5, 3, 10, 3);
    pic.fillPattern();
    Histo2D a, b;
    const SLxPicBufDesc desc = descOf(pic.rec());
    ASSERT_EQ(CLxHisto2DAPI::Reinit64(&a.h, &desc), 0);
    ASSERT_EQ(CLxHisto2DAPI::Calculate(&a.h, pic.p(), 1, 2, true), 0);
    ASSERT_EQ(CLxHisto2DAPI::Copy(&b.h, &a.h), 0);
    EXPECT_NE(b.h.pBins, a.h.pBins);
    EXPECT_EQ(b.h.uiBits, 10u);
    const uint32_t va = pic.get(0, 0, 1) >> 2, vb = pic.get(0, 0, 2) >> 2;
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&b.h, va, vb), CLxHisto2DAPI::GetValue(&a.h, va, vb));
    CLxHisto2DAPI::ResetToZero(&a.h);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&a.h, va, vb), 0u);
    EXPECT_GT(CLxHisto2DAPI::GetValue(&b.h, va, vb), 0u);
}

TEST(Histo2D, BadInput)
{
    Histo2D h;
    const SLxPicBufDesc eight{4, 4, 4, 8, 1, 16}, none{4, 4, 4, 0, 1, 16}, deep{4, 4, 8, 17, 1, 64};
    EXPECT_EQ(CLxHisto2DAPI::Reinit32(nullptr, &eight), -4);
    EXPECT_EQ(CLxHisto2DAPI::Reinit32(&h.h, nullptr), -4);
    EXPECT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &none), -2);
    EXPECT_EQ(CLxHisto2DAPI::Reinit64(&h.h, &deep), -2);
    EXPECT_EQ(h.h.pBins, nullptr);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(nullptr, 0, 0), uint64_t(int64_t(-4)));
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 0, 0), uint64_t(int64_t(-9)));
    ASSERT_EQ(CLxHisto2DAPI::Reinit32(&h.h, &eight), 0);
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 256, 0), uint64_t(int64_t(-4)));
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 0, 256), uint64_t(int64_t(-4)));
    h.h.uiBinSize = 2;
    EXPECT_EQ(CLxHisto2DAPI::GetValue(&h.h, 0, 0), uint64_t(int64_t(-9)));
    h.h.uiBinSize = 4;
    TestPic pic(4, 4, 8, 1);
    EXPECT_EQ(CLxHisto2DAPI::CalculateUnderBinary(&h.h, pic.p(), 0, 0, pic.p(), true), -2);
    EXPECT_EQ(CLxHisto2DAPI::Calculate(nullptr, pic.p(), 0, 0, true), -4);
    EXPECT_EQ(CLxHisto2DAPI::Calculate(&h.h, nullptr, 0, 0, true), -4);
    Histo2D empty;
    EXPECT_EQ(CLxHisto2DAPI::Copy(&empty.h, &empty.h), -4);
    EXPECT_EQ(CLxHisto2DAPI::Copy(nullptr, &h.h), -4);
}

} // namespace

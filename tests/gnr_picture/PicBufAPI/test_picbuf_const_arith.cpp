// Constants a component and single pixels of picture buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::maxOf;
using picbuftest::TestPic;

namespace
{

using API = CLxPicBufAPI;

TEST(PicBufConst, AssignConstCutsValuesToTheSampleSize)
{
    const struct {
        uint32_t bits, comps;
        std::vector<uint32_t> values, expected;
    } cases[] = {
        {8, 1, {0x1FF}, {0xFF}},
        {8, 3, {0x1FF, 0x102, 7}, {0xFF, 0x02, 7}},
        {12, 3, {0x10064, 4095, 0}, {0x0064, 4095, 0}},
        {16, 1, {0x1FFFF}, {0xFFFF}},
    };
    for (const auto& c : cases) {
        TestPic pic(5, 3, c.bits, c.comps, 4);
        ASSERT_EQ(API::AssignConst(pic.p(), c.values.data()), 0) << c.bits;
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                ASSERT_EQ(pic.pixel(x, y), c.expected) << c.bits << " " << x << "," << y;
        EXPECT_TRUE(pic.paddingIntact());
    }
}

TEST(PicBufConst, DeepPicturesKeepTheirSamplesForAssignMinAndMax)
{
    TestPic pic(4, 2, 32, 1), src(4, 2, 32, 1);
    pic.fillPattern(1);
    src.fillPattern(2);
    const std::vector<uint8_t> before = pic.bytes();
    const uint32_t values[1] = {5};
    EXPECT_EQ(API::AssignConst(pic.p(), values), 0);
    EXPECT_EQ(API::MinConst(pic.p(), src.p(), values), 0);
    EXPECT_EQ(API::MaxConst(pic.p(), src.p(), values), 0);
    EXPECT_EQ(pic.bytes(), before);
    // The others have no 32-bit member but DivConst.
    const int32_t ints[1] = {5};
    const double doubles[1] = {2.0};
    EXPECT_EQ(API::AddConst(pic.p(), src.p(), ints), -2);
    EXPECT_EQ(API::MultConst(pic.p(), src.p(), doubles), -2);
    EXPECT_EQ(pic.bytes(), before);
    EXPECT_EQ(API::DivConst(pic.p(), src.p(), doubles), 0);
    EXPECT_EQ(pic.get(0, 0, 0), uint32_t((uint64_t(src.get(0, 0, 0)) * 65536 + 65536) / 131072));
}

TEST(PicBufConst, OperationsMapEachComponentThroughItsConstant)
{
    TestPic src(3, 2, 8, 3, 4), dst(3, 2, 8, 3, 4);
    src.setPixel(0, 0, {250, 3, 7});
    src.setPixel(1, 0, {100, 200, 0});
    const int32_t add[3] = {10, -10, 0};
    ASSERT_EQ(API::AddConst(dst.p(), src.p(), add), 0);
    EXPECT_EQ(dst.pixel(0, 0), (std::vector<uint32_t>{255, 0, 7}));
    ASSERT_EQ(API::AddConstRotate(dst.p(), src.p(), add), 0);
    EXPECT_EQ(dst.pixel(0, 0), (std::vector<uint32_t>{5, 248, 7}));
    ASSERT_EQ(API::SubConst(dst.p(), src.p(), add), 0);
    EXPECT_EQ(dst.pixel(0, 0), (std::vector<uint32_t>{240, 13, 7}));
    const uint32_t bound[3] = {0x164, 150, 5}; // 0x164 cut to 100
    ASSERT_EQ(API::MinConst(dst.p(), src.p(), bound), 0);
    EXPECT_EQ(dst.pixel(1, 0), (std::vector<uint32_t>{100, 150, 0}));
    ASSERT_EQ(API::MaxConst(dst.p(), src.p(), bound), 0);
    EXPECT_EQ(dst.pixel(0, 0), (std::vector<uint32_t>{250, 150, 7}));
    const double mul[3] = {0.5, 2.0, -1.0};
    ASSERT_EQ(API::MultConst(dst.p(), src.p(), mul), 0);
    EXPECT_EQ(dst.pixel(1, 0), (std::vector<uint32_t>{50, 255, 0}));
    EXPECT_TRUE(dst.paddingIntact());
}

// The dispatcher's status comes back: a negative divisor is -9 and nothing
// is written.
TEST(PicBufConst, DivConstReturnsTheDispatchersRefusal)
{
    TestPic src(5, 2, 8, 2), dst(5, 2, 8, 2);
    src.fillPattern();
    dst.fillPattern(3);
    const std::vector<uint8_t> before = dst.bytes();
    const double divisors[2] = {3.0, -1.0};
    EXPECT_EQ(API::DivConst(dst.p(), src.p(), divisors), -9);
    EXPECT_EQ(dst.bytes(), before);
    const double fine[2] = {3.0, 2.0};
    ASSERT_EQ(API::DivConst(dst.p(), src.p(), fine), 0);
    src.set(0, 0, 0, 10);
    src.set(1, 0, 0, 11);
    ASSERT_EQ(API::DivConst(dst.p(), src.p(), fine), 0);
    EXPECT_EQ(dst.get(0, 0, 0), 3u);
    EXPECT_EQ(dst.get(1, 0, 0), 4u);
}

TEST(PicBufConst, PicturesDifferingOnlyInBitsAreRefusedByAllSeven)
{
    TestPic a(4, 3, 12, 3), b(4, 3, 16, 3);
    a.fillPattern();
    const std::vector<uint8_t> before = a.bytes();
    const int32_t ints[3] = {1, 2, 3};
    const uint32_t uints[3] = {1, 2, 3};
    const double doubles[3] = {1.5, 2, 3};
    EXPECT_EQ(API::AddConst(a.p(), b.p(), ints), -9);
    EXPECT_EQ(API::AddConstRotate(a.p(), b.p(), ints), -9);
    EXPECT_EQ(API::SubConst(a.p(), b.p(), ints), -9);
    EXPECT_EQ(API::MinConst(a.p(), b.p(), uints), -9);
    EXPECT_EQ(API::MaxConst(a.p(), b.p(), uints), -9);
    EXPECT_EQ(API::MultConst(a.p(), b.p(), doubles), -9);
    EXPECT_EQ(API::DivConst(a.p(), b.p(), doubles), -9);
    EXPECT_EQ(a.bytes(), before);
    // Missing constants too.
    EXPECT_EQ(API::AddConst(a.p(), a.p(), nullptr), -9);
    EXPECT_EQ(API::AssignConst(a.p(), nullptr), -9);
}

TEST(PicBufPoint, PointsCopyWholePixelsAndSingleComponents)
{
    TestPic pic(4, 3, 16, 3, 4);
    pic.fillPattern();
    uint8_t out[6];
    ASSERT_EQ(API::GetPoint(pic.p(), 2, 1, out), 0);
    EXPECT_EQ(std::memcmp(out, pic.at(2, 1, 0), 6), 0);

    const uint8_t in[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(API::SetPoint(pic.p(), 3, 2, in), 0);
    EXPECT_EQ(std::memcmp(pic.at(3, 2, 0), in, 6), 0);

    // Index 2 of a 16-bit pixel: bytes 4 and 5 only.
    const std::vector<uint32_t> before = pic.pixel(1, 1);
    const uint8_t whole[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0x34, 0x12};
    ASSERT_EQ(API::SetPointComponent(pic.p(), 1, 1, whole, 2), 0);
    EXPECT_EQ(pic.pixel(1, 1), (std::vector<uint32_t>{before[0], before[1], 0x1234}));
    EXPECT_TRUE(pic.paddingIntact());
}

TEST(PicBufPoint, SetPixelWritesTheColourWord)
{
    TestPic pic(3, 2, 8, 3);
    ASSERT_EQ(API::SetPixel(pic.p(), 2, 1, 0x00332211), 0);
    EXPECT_EQ(pic.pixel(2, 1), (std::vector<uint32_t>{0x33, 0x22, 0x11}));
}

// Coordinates, components and buffers outside what exists: -4 and nothing
// read or written.
TEST(PicBufPoint, AccessorsRefusePositionsOutsideThePicture)
{
    TestPic pic(4, 3, 8, 3, 4);
    pic.fillPattern();
    const std::vector<uint8_t> before = pic.bytes();
    uint8_t buffer[3] = {9, 9, 9};
    const struct {
        uint32_t x, y, comp;
    } outside[] = {{4, 0, 0}, {0, 3, 0}, {0xFFFFFFFF, 0, 0}, {0, 0, 3}};
    for (const auto& o : outside) {
        if (o.comp == 0) {
            EXPECT_EQ(API::GetPoint(pic.p(), o.x, o.y, buffer), -4);
            EXPECT_EQ(API::SetPoint(pic.p(), o.x, o.y, buffer), -4);
            EXPECT_EQ(API::SetPixel(pic.p(), o.x, o.y, 0xFFFFFF), -4);
        }
        EXPECT_EQ(API::SetPointComponent(pic.p(), o.x, o.y, buffer, o.comp), -4);
    }
    EXPECT_EQ(API::GetPoint(pic.p(), 0, 0, nullptr), -4);
    EXPECT_EQ(API::SetPoint(pic.p(), 0, 0, nullptr), -4);
    EXPECT_EQ(API::SetPointComponent(pic.p(), 0, 0, nullptr, 0), -4);
    EXPECT_EQ(API::GetPoint(nullptr, 0, 0, buffer), -4);
    EXPECT_EQ(API::SetPixel(nullptr, 0, 0, 0), -4);
    EXPECT_EQ(pic.bytes(), before);
    EXPECT_EQ(buffer[0], 9);

    SLxPicBuf noData = pic.rec();
    noData.pData = nullptr;
    EXPECT_EQ(API::GetPoint(&noData, 0, 0, buffer), -4);
    EXPECT_EQ(API::SetPoint(&noData, 0, 0, buffer), -4);
    EXPECT_EQ(API::SetPointComponent(&noData, 0, 0, buffer, 0), -4);
    EXPECT_EQ(API::SetPixel(&noData, 0, 0, 0), -4);
}

} // namespace

// Directional Hilbert transforms: constants, cosine lines turned into sines
// or kept by the direction, the older line form along rows and diagonals,
// the longest lines, and refused input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "picbuf_test_support.h"
#include "test_support.h"

using picbuftest::Format;
using picbuftest::TestPic;

namespace
{

constexpr double kPi = 3.14159265358979323846;

void fillConstant(TestPic& pic, uint32_t value)
{
    for (uint32_t y = 0; y < pic.rec().uiHeight; ++y)
        for (uint32_t x = 0; x < pic.rec().uiWidth; ++x)
            pic.set(x, y, 0, value);
}

// Every line 1000 + 500 cos(2 pi k x / width).
void fillCosineLines(TestPic& pic, int k)
{
    const uint32_t w = pic.rec().uiWidth;
    for (uint32_t y = 0; y < pic.rec().uiHeight; ++y)
        for (uint32_t x = 0; x < w; ++x)
            pic.set(x, y, 0, uint32_t(std::lround(1000 + 500 * std::cos(2 * kPi * k * x / w))));
}

TEST(Hilbert, AConstantComesBackUnchanged)
{
    // Above 1024 lines the transform works in bands of columns.
    for (uint32_t height : {21u, 1100u})
        for (uint32_t bits : {8u, 12u, 16u})
            for (double angle : {0.0, 30.0, 90.0, 211.0}) {
                TestPic src(37, height, bits, 1), dst(37, height, bits, 1, 4);
                fillConstant(src, bits == 8 ? 200 : 3000);
                ASSERT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), angle), 0);
                EXPECT_TRUE(CLxPicBufAPI::IsEqual(dst.p(), src.p()))
                    << height << " " << bits << " " << angle;
                EXPECT_TRUE(dst.paddingIntact());
            }
}

TEST(Hilbert, CosineLinesBecomeSinesAcrossAndStayAlong)
{
    // (angle, sign of the sine; 0 keeps the cosine)
    struct Case {
        double angle;
        int sine;
    };
    for (int k : {1, 3, 7})
        for (uint32_t height : {8u, 5u, 1100u})
            for (const Case& c : {Case{0, 1}, Case{360, 1}, Case{-720, 1}, Case{180, -1},
                                  Case{90, 0}, Case{270, 0}}) {
                SCOPED_TRACE(::testing::Message()
                             << "k " << k << " height " << height << " angle " << c.angle);
                TestPic src(64, height, 16, 1), dst(64, height, 16, 1);
                fillCosineLines(src, k);
                ASSERT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), c.angle), 0);
                for (uint32_t y = 0; y < height; ++y)
                    for (uint32_t x = 0; x < 64; ++x) {
                        const double t = 2 * kPi * k * x / 64;
                        const double want =
                            c.sine == 0 ? src.get(x, y, 0) : 1000 + c.sine * 500 * std::sin(t);
                        ASSERT_NEAR(double(dst.get(x, y, 0)), want, 2.0) << x << "," << y;
                    }
            }
}

TEST(Hilbert, InPlaceEqualsIntoAnotherPicture)
{
    TestPic src(30, 19, 12, 1), dst(30, 19, 12, 1);
    src.fillPattern(4);
    ASSERT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), 33.0), 0);
    ASSERT_EQ(CLxPicBufAPI::Hilbert(src.p(), src.p(), 33.0), 0);
    EXPECT_TRUE(CLxPicBufAPI::IsEqual(dst.p(), src.p()));
}

// The complex array cannot be had: -3 and dst as it was.
TEST(Hilbert, WithoutTheComplexArrayMinusThreeAndTheDestinationUntouched)
{
    struct NoLines {
        NoLines()
        {
            lxpic::g_complexWorkLines = [](uint32_t, uint32_t) -> float** { return nullptr; };
        }
        ~NoLines() { lxpic::g_complexWorkLines = &lxpic::AllocFloatLines; }
    };
    TestPic src(64, 48, 16, 1), dst(64, 48, 16, 1);
    src.fillPattern();
    // The thread's kept lines take another shape first, so that the call
    // below has to allocate.
    TestPic other(32, 16, 16, 1), otherDst(32, 16, 16, 1);
    other.fillPattern();
    ASSERT_EQ(CLxPicBufAPI::Hilbert(otherDst.p(), other.p(), 10.0), 0);
    const auto before = dst.bytes();
    {
        NoLines failing;
        EXPECT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), 10.0), -3);
    }
    EXPECT_EQ(dst.bytes(), before);
    EXPECT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), 10.0), 0);
}

// --- The older form ------------------------------------------------------------

TEST(HilbertOld, AConstantGivesZero)
{
    for (uint32_t bits : {8u, 16u})
        for (double angle : {0.0, 45.0, 405.0, -315.0, 90.0}) {
            TestPic src(23, 17, bits, 1), dst(23, 17, bits, 1);
            fillConstant(src, 100);
            ASSERT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), angle), 0);
            for (uint32_t y = 0; y < 17; ++y)
                for (uint32_t x = 0; x < 23; ++x)
                    ASSERT_EQ(dst.get(x, y, 0), 0u) << bits << " " << angle << " " << x << "," << y;
        }
}

// At 0 degrees every line is transformed whole (the whole turn reports each
// covered line): cosines become sines without the mean, negatives held at 0.
TEST(HilbertOld, LinesAtZeroDegreesBecomeTheirSines)
{
    for (int k : {1, 5}) {
        TestPic src(64, 6, 16, 1), dst(64, 6, 16, 1);
        fillCosineLines(src, k);
        ASSERT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 0.0), 0);
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 64; ++x) {
                const double want = std::max(0.0, 500 * std::sin(2 * kPi * k * x / 64));
                ASSERT_NEAR(double(dst.get(x, y, 0)), want, 2.0) << x << "," << y;
            }
    }
}

TEST(HilbertOld, DiagonalsStopAtTheLastColumnAndLine)
{
    for (auto [w, h] :
         {std::pair{5u, 300u}, std::pair{300u, 5u}, std::pair{3u, 40u}, std::pair{40u, 3u}})
        for (uint32_t bits : {8u, 16u}) {
            TestPic src(w, h, bits, 1), dst(w, h, bits, 1, 4);
            src.fillPattern(w);
            EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 45.0), 0) << w << "x" << h;
            EXPECT_TRUE(dst.paddingIntact());
            fillConstant(src, 77);
            ASSERT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 45.0), 0);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    ASSERT_EQ(dst.get(x, y, 0), 0u);
        }
}

TEST(HilbertOld, LinesOf4096OrMoreAreRefused)
{
    {
        TestPic src(3, 4096, 8, 1), dst(3, 4096, 8, 1);
        src.fillPattern();
        const auto before = dst.bytes();
        EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 45.0), -2);
        EXPECT_EQ(dst.bytes(), before);
        TestPic shorter(3, 4095, 8, 1), out(3, 4095, 8, 1);
        EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(out.p(), shorter.p(), 45.0), 0);
    }
    // Rotated by 30 degrees, 3500 x 1000 has a diagonal above 4096.
    TestPic src(3500, 1000, 8, 1), dst(3500, 1000, 8, 1);
    const auto before = dst.bytes();
    EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 30.0), -2);
    EXPECT_EQ(dst.bytes(), before);
}

TEST(HilbertOld, AtNinetyDegreesColumnsAreTransformed)
{
    // Columns 1000 + 500 cos(2 pi k y / 64): the lines of the picture turned
    // by 90 degrees, transformed whole and turned back.
    const int k = 3;
    TestPic src(64, 64, 16, 1), dst(64, 64, 16, 1, 4);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            src.set(x, y, 0, uint32_t(std::lround(1000 + 500 * std::cos(2 * kPi * k * y / 64))));
    ASSERT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 90.0), 0);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const double want = std::max(0.0, 500 * std::sin(2 * kPi * k * y / 64));
            ASSERT_NEAR(double(dst.get(x, y, 0)), want, 2.0) << x << "," << y;
        }
    EXPECT_TRUE(dst.paddingIntact());
}

TEST(HilbertOld, AnyAngleStaysInTheDepth)
{
    TestPic src(50, 30, 12, 1), dst(50, 30, 12, 1, 4);
    src.fillPattern(8);
    ASSERT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), 33.0), 0);
    EXPECT_TRUE(dst.paddingIntact());
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 50; ++x)
            ASSERT_LE(dst.get(x, y, 0), 4095u);
}

// --- Refused input, both forms ---------------------------------------------------

TEST(Hilbert, RefusedInputLeavesTheDestination)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        Format dstFormat, srcFormat;
        double angle;
        int status;
    };
    const Case cases[] = {
        {"32 bits", {32, 1}, {32, 1}, 10, -9},
        {"17 bits", {17, 1}, {17, 1}, 10, -9},
        {"three components", {8, 3}, {8, 3}, 10, -9},
        {"other bits", {8, 1}, {12, 1}, 10, -9},
        {"NaN angle", {8, 1}, {8, 1}, nan, -4},
        {"infinite angle", {16, 1}, {16, 1}, -std::numeric_limits<double>::infinity(), -4},
        {"7 bits", {7, 1}, {7, 1}, 10, -2},
    };
    // At 45 degrees the smoothing needs 3 x 3.
    TestPic narrow(2, 9, 8, 1), narrowOut(2, 9, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(narrowOut.p(), narrow.p(), 45.0), -9);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestPic src(9, 7, k.srcFormat.bits, k.srcFormat.comps);
        src.fillPattern();
        TestPic dst(9, 7, k.dstFormat.bits, k.dstFormat.comps);
        const auto before = dst.bytes();
        EXPECT_EQ(CLxPicBufAPI::Hilbert(dst.p(), src.p(), k.angle), k.status);
        EXPECT_EQ(dst.bytes(), before);
        EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(dst.p(), src.p(), k.angle), k.status);
        EXPECT_EQ(dst.bytes(), before);
    }
    TestPic pic(4, 4, 8, 1);
    EXPECT_EQ(CLxPicBufAPI::Hilbert(pic.p(), nullptr, 0), -9);
    EXPECT_EQ(CLxPicBufAPI::Hilbert_OLD(nullptr, pic.p(), 0), -9);
}

} // namespace

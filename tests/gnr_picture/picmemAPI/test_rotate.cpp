// Rotation and affine resampling: destination sizes, the exact paths, the
// nearest and bilinear kernels against known answers and against a reference
// that tests every neighbour of every pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "gnr_picture/LxPicLibTables.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxRotateKernels.h"
#include "gnr_picture/picmemAPI/LxRotateKernelsT.h"
#include "kernel_test_support.h"

using kerneltest::kMarker;
using kerneltest::TestPicture;

namespace
{

constexpr auto kNearest = CLxPicMemAPI::eLxStretchNearest;
constexpr auto kBilinear = CLxPicMemAPI::eLxStretchBSpline; // any mode but 1

TestPicture randomPicture(uint32_t comps, uint32_t bytes, uint32_t w, uint32_t h, uint32_t pad,
                          uint32_t seed, uint32_t valueBits)
{
    TestPicture p({comps, bytes}, w, h, pad);
    std::mt19937 rng(seed);
    p.fill(rng, valueBits);
    return p;
}

int rotate(TestPicture& d, const TestPicture& s, uint32_t bits, double angle,
           const void* background, CLxPicMemAPI::ELxPicStretchMode mode, bool fit)
{
    return CLxPicMemAPI::Rotate(d.data(), d.pitch(), d.width(), d.width() * d.lines(), s.data(),
                                s.pitch(), s.width(), s.width() * s.lines(), s.comps(), bits, angle,
                                background, mode, fit);
}

int matrix(TestPicture& d, const TestPicture& s, uint32_t bits, const lxrot::Affine& m,
           const void* background, CLxPicMemAPI::ELxPicStretchMode mode)
{
    return CLxPicMemAPI::RotateMatrix(d.data(), d.pitch(), d.width(), d.width() * d.lines(),
                                      s.data(), s.pitch(), s.width(), s.width() * s.lines(),
                                      s.comps(), bits, m.m0, m.m1, m.m2, m.m3, m.m4, m.m5,
                                      background, mode);
}

// --- Destination size ----------------------------------------------------------

struct SizeCase {
    double angle;
    uint32_t w, h;
};

class RotateDestSize : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(RotateDestSize, OfAHundredByFifty)
{
    uint32_t w = 0, h = 0;
    ASSERT_EQ(CLxPicMemAPI::RotateGetDestSize(&w, &h, 100, 50, GetParam().angle), 0);
    EXPECT_EQ(w, GetParam().w);
    EXPECT_EQ(h, GetParam().h);
}

INSTANTIATE_TEST_SUITE_P(Angles, RotateDestSize,
                         ::testing::Values(SizeCase{30, 111, 93}, SizeCase{45, 106, 106},
                                           SizeCase{-90, 50, 100}, SizeCase{450, 50, 100},
                                           SizeCase{360, 100, 50}, SizeCase{0, 100, 50},
                                           SizeCase{-180, 100, 50}, SizeCase{270, 50, 100}));

TEST(RotateDestSizeErrors, NonFiniteAngleOrMissingSizeLeavesTheSizes)
{
    for (double angle :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        uint32_t w = 7, h = 9;
        EXPECT_EQ(CLxPicMemAPI::RotateGetDestSize(&w, &h, 100, 50, angle), -4);
        EXPECT_EQ(w, 7u);
        EXPECT_EQ(h, 9u);
    }
    uint32_t w = 0;
    EXPECT_EQ(CLxPicMemAPI::RotateGetDestSize(&w, nullptr, 100, 50, 30), -4);
}

// --- Exact paths -------------------------------------------------------------------

TEST(RotateExact, WholeTurnsCopyAndKeepThePadding)
{
    const TestPicture s = randomPicture(3, 1, 13, 7, 2, 1, 8);
    for (double angle : {-360.0, 0.0, 720.0, -1e-300}) {
        TestPicture d({3, 1}, 13, 7, 1);
        const uint8_t zero[3] = {0, 0, 0};
        ASSERT_EQ(rotate(d, s, 8, angle, zero, kBilinear, true), 0);
        for (uint32_t y = 0; y < 7; ++y) {
            EXPECT_EQ(std::memcmp(d.data() + y * d.pitch(), s.data() + y * s.pitch(), 39), 0)
                << angle;
            EXPECT_EQ(d.data()[y * d.pitch() + 39], kMarker);
        }
    }
}

TEST(RotateExact, JustBelowAWholeTurnTakesTheGeneralPath)
{
    // The general bilinear path clears the padding for an all-0 background;
    // the copy never touches it.
    const TestPicture s = randomPicture(1, 1, 9, 5, 2, 2, 8);
    TestPicture d({1, 1}, 9, 5, 3);
    const uint8_t zero = 0;
    ASSERT_EQ(rotate(d, s, 8, 359.99999999995, &zero, kBilinear, false), 0);
    EXPECT_EQ(d.data()[9], 0);
}

struct RightAngleCase {
    uint32_t comps, bytes, bits;
    uint32_t w, h;
};

class RotateRightAngle : public ::testing::TestWithParam<RightAngleCase>
{
};

// Every pixel of the three turns by its formula, in both traversal orders
// (wide and tall sources) and for every pixel size with a loop of its own.
TEST_P(RotateRightAngle, MatchesTheFormula)
{
    const RightAngleCase c = GetParam();
    const TestPicture s = randomPicture(c.comps, c.bytes, c.w, c.h, 1, c.w * 7 + c.h, 8 * c.bytes);
    const uint32_t p = c.comps * c.bytes;
    struct Turn {
        double angle;
        bool swaps;
        int (*kernel)(void*, uint32_t, uint32_t, uint32_t, const void*, uint32_t, uint32_t,
                      uint32_t, uint32_t, uint32_t);
    };
    for (const Turn& t :
         {Turn{90, true, rotate_90}, Turn{180, false, rotate_180}, Turn{270, true, rotate_270}}) {
        const uint32_t dw = t.swaps ? c.h : c.w;
        const uint32_t dh = t.swaps ? c.w : c.h;
        TestPicture viaDispatch({c.comps, c.bytes}, dw, dh, 2);
        TestPicture viaKernel({c.comps, c.bytes}, dw, dh, 2);
        ASSERT_EQ(rotate(viaDispatch, s, c.bits, t.angle - 720.0, nullptr, kBilinear, true), 0);
        ASSERT_EQ(t.kernel(viaKernel.data(), viaKernel.pitch(), dw, dh, s.data(), s.pitch(), c.w,
                           c.h, c.comps, c.bits),
                  0);
        EXPECT_EQ(viaDispatch.bytes(), viaKernel.bytes()) << t.angle;
        for (uint32_t y = 0; y < dh; ++y)
            for (uint32_t x = 0; x < dw; ++x) {
                uint32_t sx, sy;
                if (t.angle == 90) {
                    sx = c.w - 1 - y;
                    sy = x;
                } else if (t.angle == 180) {
                    sx = c.w - 1 - x;
                    sy = c.h - 1 - y;
                } else {
                    sx = y;
                    sy = c.h - 1 - x;
                }
                ASSERT_EQ(std::memcmp(viaKernel.data() + y * viaKernel.pitch() + x * p,
                                      s.data() + sy * s.pitch() + sx * p, p),
                          0)
                    << t.angle << " at " << x << ", " << y;
            }
        // Padding and the bytes after the last line keep their marker.
        for (uint32_t y = 0; y < dh; ++y)
            EXPECT_EQ(viaKernel.data()[y * viaKernel.pitch() + dw * p], kMarker);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PixelSizes, RotateRightAngle,
    ::testing::Values(RightAngleCase{1, 1, 8, 5, 3}, RightAngleCase{1, 1, 8, 3, 5},
                      RightAngleCase{1, 1, 8, 1, 1}, RightAngleCase{1, 2, 12, 7, 4},
                      RightAngleCase{1, 2, 16, 19, 21}, RightAngleCase{1, 2, 16, 24, 8},
                      RightAngleCase{1, 1, 8, 21, 19}, RightAngleCase{1, 1, 8, 16, 40},
                      RightAngleCase{3, 1, 8, 4, 9}, RightAngleCase{4, 1, 8, 9, 4},
                      RightAngleCase{3, 2, 16, 5, 6}, RightAngleCase{4, 2, 16, 70, 3},
                      RightAngleCase{2, 2, 16, 3, 70}, RightAngleCase{3, 4, 24, 6, 5},
                      RightAngleCase{5, 1, 8, 5, 6}, RightAngleCase{7, 1, 8, 131, 67}));

// --- General path --------------------------------------------------------------------

TEST(RotateGeneral, QuarterTurnIntoTheSameShapeFitsAtHalfSizeCentred)
{
    // 100 x 50 turned by 90 degrees into 100 x 50: no exact path; fit scales
    // by 2, so the 50 x 100 result shows 25 x 50 in the middle.
    TestPicture s({1, 1}, 100, 50, 0);
    std::memset(s.data(), 200, 100 * 50);
    TestPicture d({1, 1}, 100, 50, 0);
    const uint8_t background = 7;
    ASSERT_EQ(rotate(d, s, 8, 90, &background, kNearest, true), 0);
    for (uint32_t y = 0; y < 50; ++y)
        for (uint32_t x = 0; x < 100; ++x) {
            const uint32_t v = d.get(x, y, 0);
            if (x < 37 || x > 63) {
                ASSERT_EQ(v, 7u) << x << ", " << y;
            } else if (x >= 39 && x <= 61 && y >= 1 && y <= 48) {
                ASSERT_EQ(v, 200u) << x << ", " << y;
            }
        }
    // Without fit the scale is 1: the middle line is covered from edge to
    // edge of the turned source's 50 columns.
    ASSERT_EQ(rotate(d, s, 8, 90, &background, kNearest, false), 0);
    EXPECT_EQ(d.get(50, 25, 0), 200u);
    EXPECT_EQ(d.get(10, 25, 0), 7u);
}

TEST(RotateGeneral, TwoAndFiveComponentsAreAlwaysNearest)
{
    const lxrot::Affine m{0.8, 0.3, -0.3, 0.8, 2.25, -1.5};
    for (uint32_t comps : {2u, 5u}) {
        const TestPicture s = randomPicture(comps, 1, 11, 9, 1, comps, 8);
        TestPicture a({comps, 1}, 12, 10, 1);
        TestPicture b({comps, 1}, 12, 10, 1);
        ASSERT_EQ(matrix(a, s, 8, m, nullptr, kNearest), 0);
        ASSERT_EQ(matrix(b, s, 8, m, nullptr, kBilinear), 0);
        EXPECT_EQ(a.bytes(), b.bytes()) << comps;
    }
}

TEST(RotateGeneral, NearestTruncatesTowardZero)
{
    TestPicture s({1, 1}, 4, 1, 0);
    for (uint32_t x = 0; x < 4; ++x)
        s.put(x, 0, 0, 10 + x);
    const uint8_t background = 99;
    TestPicture d({1, 1}, 1, 1, 0);
    ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, -0.5, 0}, &background, kNearest), 0);
    EXPECT_EQ(d.get(0, 0, 0), 10u); // -0.5 falls on column 0
    ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, -1.0, 0}, &background, kNearest), 0);
    EXPECT_EQ(d.get(0, 0, 0), 99u); // -1 is outside
    ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, 3.999, 0.999}, nullptr, kNearest), 0);
    EXPECT_EQ(d.get(0, 0, 0), 13u);
}

TEST(RotateGeneral, BilinearIdentityCopiesExactly)
{
    struct Format {
        uint32_t comps, bytes, bits;
    };
    for (const Format f : {Format{1, 1, 8}, Format{3, 1, 8}, Format{4, 1, 8}, Format{1, 2, 12},
                           Format{3, 2, 16}, Format{4, 2, 16}}) {
        const TestPicture s = randomPicture(f.comps, f.bytes, 17, 6, 1, f.comps + f.bytes, f.bits);
        TestPicture d({f.comps, f.bytes}, 17, 6, 1);
        ASSERT_EQ(matrix(d, s, f.bits, {1, 0, 0, 1, 0, 0}, nullptr, kBilinear), 0);
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 17; ++x)
                for (uint32_t c = 0; c < f.comps; ++c)
                    ASSERT_EQ(d.get(x, y, c), s.get(x, y, c)) << f.comps << "x" << f.bits;
    }
}

TEST(RotateGeneral, ZeroBackgroundClearsThePaddingOtherBackgroundsKeepIt)
{
    const TestPicture s = randomPicture(1, 1, 8, 8, 0, 3, 8);
    TestPicture d({1, 1}, 8, 8, 4);
    const uint8_t zero = 0;
    ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, 50, 50}, &zero, kBilinear), 0);
    for (uint32_t y = 0; y + 1 < 8; ++y)
        for (uint32_t i = 0; i < d.pitch(); ++i)
            ASSERT_EQ(d.data()[y * d.pitch() + i], 0) << y << ", " << i;
    // The last line ends at its pixels: its padding may be past the memory.
    EXPECT_EQ(d.data()[7 * d.pitch() + 8], kMarker);

    TestPicture e({1, 1}, 8, 8, 4);
    const uint8_t seven = 7;
    ASSERT_EQ(matrix(e, s, 8, {1, 0, 0, 1, 50, 50}, &seven, kBilinear), 0);
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x)
            ASSERT_EQ(e.get(x, y, 0), 7u);
        ASSERT_EQ(e.data()[y * e.pitch() + 8], kMarker);
    }
}

TEST(RotateGeneral, BilinearLeftOfColumnZeroBlendsItVertically)
{
    TestPicture s({1, 1}, 3, 4, 0);
    const uint32_t column[4] = {10, 200, 30, 90};
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            s.put(x, y, 0, x == 0 ? column[y] : 255);
    const uint8_t background = 1;
    // x samples at x + m4, y at y + m5 + 0.5 with these values: fy = 128.
    TestPicture d({1, 1}, 1, 3, 0);
    ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, -0.5, 0.5}, &background, kBilinear), 0);
    const uint8_t* w = g_LxBilinearWeights[128][128];
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_EQ(d.get(0, y, 0),
                  ((w[0] + w[2]) * column[y] + (w[1] + w[3]) * column[y + 1]) / 255u)
            << y;
    for (double m4 : {-2.0, -2.5, -7.0}) {
        ASSERT_EQ(matrix(d, s, 8, {1, 0, 0, 1, m4, 0.5}, &background, kBilinear), 0);
        for (uint32_t y = 0; y < 3; ++y)
            EXPECT_EQ(d.get(0, y, 0), 1u) << m4;
        // Rows below the source once sent a run past the one-pixel line.
        EXPECT_EQ(d.data()[3 * d.pitch()], kMarker) << m4;
    }
}

TEST(RotateGeneral, DeepColourTakesWholePixelsByNearest)
{
    // 3 x 24 bits: 12-byte pixels, nearest in every mode.
    const TestPicture s = randomPicture(3, 4, 23, 17, 1, 5, 24);
    TestPicture d({3, 4}, 29, 27, 2);
    const uint8_t background[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_EQ(rotate(d, s, 24, 30, background, kBilinear, false), 0);
    // The same walk, pixel by pixel.
    const double a = 30 * 0.017453292519943334, c = std::cos(a), sn = std::sin(a);
    const double m4 = 23 / 2.0 + sn * 27 / 2.0 - c * 29 / 2.0;
    const double m5 = 17 / 2.0 - c * 27 / 2.0 - sn * 29 / 2.0;
    double lx = m4, ly = m5;
    for (uint32_t y = 0; y < 27; ++y, lx += -sn, ly += c) {
        double sx = lx, sy = ly;
        for (uint32_t x = 0; x < 29; ++x, sx += c, sy += sn) {
            const uint8_t* expected = background;
            if (sx > -1 && sx < 23 && sy > -1 && sy < 17)
                expected = s.data() + uint32_t(sy) * s.pitch() + uint32_t(sx) * 12;
            ASSERT_EQ(std::memcmp(d.data() + y * d.pitch() + x * 12, expected, 12), 0)
                << x << ", " << y;
        }
    }
}

TEST(RotateGeneral, BadInput)
{
    TestPicture s = randomPicture(1, 1, 8, 8, 0, 6, 8);
    TestPicture d({1, 1}, 8, 8, 0);
    const auto before = d.bytes();
    for (double angle : {std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), -1e308 * 10}) {
        EXPECT_EQ(rotate(d, s, 8, angle, nullptr, kNearest, false), -4);
        EXPECT_EQ(matrix(d, s, 8, {angle, 0, 0, 1, 0, 0}, nullptr, kNearest), -4);
    }
    // Width 0 and no whole line do nothing.
    EXPECT_EQ(CLxPicMemAPI::Rotate(d.data(), 8, 0, 64, s.data(), 8, 8, 64, 1, 8, 30, nullptr,
                                   kNearest, false),
              0);
    EXPECT_EQ(CLxPicMemAPI::Rotate(d.data(), 8, 8, 7, s.data(), 8, 8, 64, 1, 8, 30, nullptr,
                                   kNearest, false),
              0);
    EXPECT_EQ(d.bytes(), before);
    // Overlap, also when only the last line meets the other picture.
    EXPECT_EQ(rotate(s, s, 8, 30, nullptr, kNearest, false), -4);
    EXPECT_EQ(CLxPicMemAPI::Rotate(s.data() + 7 * 8, 8, 8, 64, s.data(), 8, 8, 64, 1, 8, 30,
                                   nullptr, kNearest, false),
              -4);
    EXPECT_EQ(rotate(d, s, 0, 30, nullptr, kNearest, false), -2);
    EXPECT_EQ(rotate(d, s, 65, 30, nullptr, kNearest, false), -2);
    EXPECT_EQ(d.bytes(), before);
}

// --- Bilinear fixed point --------------------------------------------------------------

// Every pixel through the tested edge path: what the run without tests must
// reproduce.
template <class T, int C>
void referenceLinear(const lxrot::DstPlane& d, const lxrot::SrcPlane& s, const lxrot::Affine& m)
{
    const lxrot::LinearFrame f = lxrot::linearFrame(d.width, m);
    double lx = f.startX, ly = f.startY;
    for (uint32_t y = 0; y < d.height; ++y, lx += m.m2, ly += m.m3) {
        int64_t X = lxrot::roundFixed(double(f.D) * lx) + f.dx / 2;
        int64_t Y = lxrot::roundFixed(double(f.D) * ly) + f.dy / 2;
        for (uint32_t x = 0; x < d.width; ++x, X += f.dx, Y += f.dy)
            lxrot::edgePixel<T, C, int64_t>(d.line(y) + x * sizeof(T) * C, s, X, Y,
                                            int64_t(d.width));
    }
}

template <class T, int C> void checkLinearForms(const lxrot::Affine& m, uint32_t seed)
{
    const uint32_t sw = 37, sh = 29, dw = 41, dh = 33;
    const TestPicture src = randomPicture(C, sizeof(T), sw, sh, 1, seed, 8 * sizeof(T));
    const lxrot::SrcPlane s{src.data(), src.pitch(), sw, sh};
    std::vector<TestPicture> out(3, TestPicture({C, sizeof(T)}, dw, dh, 1));
    auto plane = [&](TestPicture& p) { return lxrot::DstPlane{p.data(), p.pitch(), dw, dh}; };
    ASSERT_TRUE(lxrot::linearFits32(lxrot::linearFrame(dw, m), dw, dh, m));
    lxrot::rotateLinear<T, C, int32_t>(plane(out[0]), s, m, nullptr);
    lxrot::rotateLinear<T, C, int64_t>(plane(out[1]), s, m, nullptr);
    referenceLinear<T, C>(plane(out[2]), s, m);
    EXPECT_EQ(out[0].bytes(), out[1].bytes());
    EXPECT_EQ(out[0].bytes(), out[2].bytes());
}

TEST(RotateLinear, ThirtyTwoAndSixtyFourBitsAndTheTestedPathAgree)
{
    for (double deg : {0.0, 30.0, 45.0, 137.0, 211.0, 300.0}) {
        const double a = deg * 0.017453292519943334, c = std::cos(a), s = std::sin(a);
        for (double scale : {1.0, 0.7, 1.9}) {
            const lxrot::Affine m{c * scale,
                                  s * scale,
                                  -s * scale,
                                  c * scale,
                                  18.5 + 20 * s - 20 * c,
                                  14.5 - 16 * c - 16 * s};
            checkLinearForms<uint8_t, 1>(m, uint32_t(deg));
            checkLinearForms<uint8_t, 3>(m, uint32_t(deg) + 1);
            checkLinearForms<uint8_t, 4>(m, uint32_t(deg) + 2);
            checkLinearForms<uint16_t, 1>(m, uint32_t(deg) + 3);
            checkLinearForms<uint16_t, 3>(m, uint32_t(deg) + 4);
            checkLinearForms<uint16_t, 4>(m, uint32_t(deg) + 5);
        }
    }
}

TEST(RotateLinear, LargeOffsetsGoToSixtyFourBits)
{
    // A source position far outside: 32 bits cannot hold it, and nothing of
    // the source shows, so the background stays.
    const TestPicture s = randomPicture(1, 1, 8, 8, 0, 9, 8);
    TestPicture d({1, 1}, 8, 8, 0);
    const lxrot::Affine far{1, 0, 0, 1, 3e6, 0};
    ASSERT_FALSE(lxrot::linearFits32(lxrot::linearFrame(8, far), 8, 8, far));
    const uint8_t background = 42;
    ASSERT_EQ(matrix(d, s, 8, far, &background, kBilinear), 0);
    for (uint32_t i = 0; i < 64; ++i)
        ASSERT_EQ(d.data()[i], 42);
    // A shift of a whole number of pixels copies, whichever width is used.
    TestPicture big({1, 1}, 4, 2, 0);
    TestPicture wide({1, 1}, 4000000, 1, 0);
    for (uint32_t x = 0; x < 4000000; x += 1)
        wide.data()[x] = uint8_t(x * 7);
    const lxrot::Affine shifted{1, 0, 0, 1, 3999990, 0};
    ASSERT_EQ(matrix(big, wide, 8, shifted, nullptr, kBilinear), 0);
    for (uint32_t x = 0; x < 4; ++x)
        EXPECT_EQ(big.get(x, 0, 0), uint32_t(uint8_t((3999990 + x) * 7)));
}

} // namespace

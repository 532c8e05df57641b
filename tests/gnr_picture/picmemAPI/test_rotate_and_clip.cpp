// Rotate and clip of three-byte colour pictures, with and without the
// coverage mask.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

using kerneltest::kMarker;
using kerneltest::TestPicture;

namespace
{

constexpr auto kNearest = CLxPicMemAPI::eLxStretchNearest;
constexpr auto kBilinear = CLxPicMemAPI::eLxStretchTriangle;

struct Clip {
    double angle = 0;
    int32_t left = 0, right = 0, top = 0, bottom = 0;
    double shiftX = 0, shiftY = 0;
};

TestPicture colourPiece(uint32_t w, uint32_t h, uint32_t seed)
{
    TestPicture p({3, 1}, w, h, 1);
    std::mt19937 rng(seed);
    p.fill(rng, 8);
    return p;
}

int drawWithMask(TestPicture& d, TestPicture& mask, const TestPicture& s, const Clip& c,
                 CLxPicMemAPI::ELxPicStretchMode mode)
{
    return CLxPicMemAPI::RotateAndClip(d.data(), mask.data(), d.pitch(), d.width(), d.lines(),
                                       d.width(), d.lines(), s.data(), s.pitch(), 0, 0, s.width(),
                                       s.lines(), 0, 0, c.angle, c.left, c.right, c.top, c.bottom,
                                       c.shiftX, c.shiftY, mode);
}

int draw(TestPicture& d, const TestPicture& s, const Clip& c, CLxPicMemAPI::ELxPicStretchMode mode)
{
    return CLxPicMemAPI::RotateAndClip(d.data(), d.pitch(), 0, d.lines(), d.width(), d.lines(),
                                       s.data(), s.pitch(), 0, 0, s.width(), s.lines(), 0, 0,
                                       c.angle, c.left, c.right, c.top, c.bottom, c.shiftX,
                                       c.shiftY, mode);
}

bool marked(const TestPicture& mask, uint32_t x, uint32_t y)
{
    return mask.get(x, y, 0) == 128 && mask.get(x, y, 1) == 128 && mask.get(x, y, 2) == 128;
}

TEST(RotateAndClip, QuarterPixelShiftAtZeroCopies)
{
    const TestPicture s = colourPiece(11, 7, 1);
    for (bool withMask : {false, true}) {
        TestPicture d({3, 1}, 11, 7, 1);
        TestPicture mask({3, 1}, 11, 7, 1);
        const Clip c{0, 0, 0, 0, 0, 0.25, 0.25};
        ASSERT_EQ(withMask ? drawWithMask(d, mask, s, c, kNearest) : draw(d, s, c, kNearest), 0);
        for (uint32_t y = 0; y < 7; ++y) {
            ASSERT_EQ(std::memcmp(d.data() + y * d.pitch(), s.data() + y * s.pitch(), 33), 0);
            EXPECT_EQ(d.data()[y * d.pitch() + 33], kMarker);
            for (uint32_t x = 0; x < 11 && withMask; ++x)
                ASSERT_TRUE(marked(mask, x, y));
        }
    }
}

TEST(RotateAndClip, LeftMarginLeavesItsColumns)
{
    const TestPicture s = colourPiece(8, 5, 2);
    TestPicture d({3, 1}, 18, 5, 1);
    TestPicture mask({3, 1}, 18, 5, 1);
    ASSERT_EQ(drawWithMask(d, mask, s, {0, 10, 0, 0, 0, 0.25, 0.25}, kNearest), 0);
    for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < 10; ++x) {
            for (uint32_t k = 0; k < 3; ++k) {
                ASSERT_EQ(d.get(x, y, k), kMarker);
                ASSERT_EQ(mask.get(x, y, k), 0u);
            }
        }
        ASSERT_EQ(std::memcmp(d.data() + y * d.pitch() + 30, s.data() + y * s.pitch(), 24), 0);
        for (uint32_t x = 10; x < 18; ++x)
            ASSERT_TRUE(marked(mask, x, y));
    }
}

TEST(RotateAndClip, UniformBilinearGivesTheValueOrOneLess)
{
    TestPicture s({3, 1}, 20, 16, 1);
    for (uint32_t y = 0; y < 16; ++y)
        std::memset(s.data() + y * s.pitch(), 77, 60);
    for (double angle : {30.0, 137.0, -45.0}) {
        TestPicture d({3, 1}, 24, 24, 0);
        TestPicture mask({3, 1}, 24, 24, 0);
        ASSERT_EQ(drawWithMask(d, mask, s, {angle, 2, 3, 1, 4, 0.3, -0.2}, kBilinear), 0);
        uint32_t drawn = 0;
        for (uint32_t y = 0; y < 24; ++y)
            for (uint32_t x = 0; x < 24; ++x) {
                if (!marked(mask, x, y))
                    continue;
                ++drawn;
                for (uint32_t k = 0; k < 3; ++k) {
                    const uint32_t v = d.get(x, y, k);
                    ASSERT_TRUE(v == 77 || v == 76) << v;
                }
            }
        EXPECT_GT(drawn, 100u);
    }
}

// Every destination pixel whose position lies more than a pixel outside the
// piece keeps its bytes and has no mark, in both methods.
TEST(RotateAndClip, PixelsFarOutsideThePieceAreNeverWritten)
{
    const TestPicture s = colourPiece(9, 6, 3);
    const Clip c{30, 3, 2, 4, 1, 0.5, 0.1};
    const double fullW = 3 + 9 + 2, fullH = 4 + 6 + 1;
    const uint32_t n = 20, h = 18;
    const double a = c.angle * 0.017453292519943334, b = (90 - c.angle) * 0.017453292519943334;
    for (auto mode : {kNearest, kBilinear}) {
        TestPicture d({3, 1}, n, h, 0);
        TestPicture mask({3, 1}, n, h, 0);
        ASSERT_EQ(drawWithMask(d, mask, s, c, mode), 0);
        uint32_t far = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < n; ++x) {
                const double px = fullW / 2 - n / 2.0 * std::cos(a) + h / 2.0 * std::cos(b) +
                                  c.shiftX + x * std::cos(a) - y * std::cos(b);
                const double py = fullH / 2 - n / 2.0 * std::sin(a) - h / 2.0 * std::sin(b) +
                                  c.shiftY + x * std::sin(a) + y * std::sin(b);
                // A margin against the rounding of the added-up positions.
                if (px > c.left - 1.01 && px < c.left + 9 + 0.01 && py > c.top - 1.01 &&
                    py < c.top + 6 + 0.01)
                    continue;
                ++far;
                for (uint32_t k = 0; k < 3; ++k) {
                    ASSERT_EQ(d.get(x, y, k), kMarker) << x << ", " << y;
                    ASSERT_EQ(mask.get(x, y, k), 0u);
                }
            }
        EXPECT_GT(far, 100u);
    }
}

TEST(RotateAndClip, PaddedMaskIsClearedLineByLine)
{
    // The piece lies far away: nothing is drawn, every mask pixel of every
    // line is cleared and the padding keeps its bytes.
    const TestPicture s = colourPiece(4, 4, 4);
    TestPicture d({3, 1}, 6, 6, 2);
    TestPicture mask({3, 1}, 6, 6, 2);
    ASSERT_EQ(drawWithMask(d, mask, s, {0, 0, 0, 0, 0, 100, 0}, kNearest), 0);
    for (uint32_t y = 0; y < 6; ++y) {
        for (uint32_t i = 0; i < 18; ++i)
            ASSERT_EQ(mask.data()[y * mask.pitch() + i], 0) << y << ", " << i;
        EXPECT_EQ(mask.data()[y * mask.pitch() + 18], kMarker);
    }
}

TEST(RotateAndClip, BadInput)
{
    const TestPicture s = colourPiece(4, 4, 5);
    TestPicture d({3, 1}, 4, 4, 0);
    TestPicture mask({3, 1}, 4, 4, 0);
    const auto before = d.bytes();
    for (double angle :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(draw(d, s, {angle}, kNearest), -4);
        EXPECT_EQ(drawWithMask(d, mask, s, {angle}, kBilinear), -4);
    }
    EXPECT_EQ(CLxPicMemAPI::RotateAndClip(d.data(), nullptr, d.pitch(), 4, 4, 4, 4, s.data(),
                                          s.pitch(), 0, 0, 4, 4, 0, 0, 0.0, 0, 0, 0, 0, 0.0, 0.0,
                                          kNearest),
              -4);
    EXPECT_EQ(d.bytes(), before);
    // A huge but finite angle is reduced at once.
    EXPECT_EQ(draw(d, s, {1e300}, kNearest), 0);
}

} // namespace

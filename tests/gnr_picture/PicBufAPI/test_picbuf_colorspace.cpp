// Conversions between RGB pictures and the IHS, YCrCb and XYZ colour spaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "../assert_capture.h"
#include "picbuf_test_support.h"

using picbuftest::TestPic;

namespace
{

using Convert = int (*)(SLxPicBuf*, const SLxPicBuf*);
using Pixel = std::vector<uint32_t>; // stored components 0, 1, 2

// One pixel through a conversion at the given depth.
Pixel convertOne(Convert convert, uint32_t bits, const Pixel& in)
{
    TestPic src(1, 1, bits, 3);
    TestPic dst(1, 1, bits, 3);
    src.setPixel(0, 0, in);
    EXPECT_EQ(convert(dst.p(), src.p()), 0);
    return dst.pixel(0, 0);
}

// --- Known answers ---------------------------------------------------------------------

struct KnownCase {
    const char* name;
    Convert convert;
    uint32_t bits;
    Pixel in, out;
};
std::ostream& operator<<(std::ostream& os, const KnownCase& k)
{
    return os << k.name;
}

class PicBufColorSpaceKnown : public ::testing::TestWithParam<KnownCase>
{
};

TEST_P(PicBufColorSpaceKnown, GivesTheExpectedPixel)
{
    const KnownCase& k = GetParam();
    EXPECT_EQ(convertOne(k.convert, k.bits, k.in), k.out) << k.name;
}

// RGB pixels are stored blue, green, red; IHS intensity, saturation, hue;
// YCrCb Y, Cr, Cb; XYZ X, Y, Z.
INSTANTIATE_TEST_SUITE_P(
    Examples, PicBufColorSpaceKnown,
    ::testing::Values(
        KnownCase{"gray to IHS", CLxPicBufAPI::ConvertRGBtoIHS, 8, {100, 100, 100}, {100, 0, 0}},
        KnownCase{"red to IHS", CLxPicBufAPI::ConvertRGBtoIHS, 8, {0, 0, 255}, {85, 255, 0}},
        KnownCase{"green to IHS", CLxPicBufAPI::ConvertRGBtoIHS, 8, {0, 255, 0}, {85, 255, 85}},
        KnownCase{"blue to IHS", CLxPicBufAPI::ConvertRGBtoIHS, 8, {255, 0, 0}, {85, 255, 170}},
        KnownCase{
            "IHS without saturation", CLxPicBufAPI::ConvertIHStoRGB, 8, {90, 0, 200}, {90, 90, 90}},
        KnownCase{
            "IHS without intensity", CLxPicBufAPI::ConvertIHStoRGB, 8, {0, 200, 17}, {0, 0, 0}},
        KnownCase{"IHS red", CLxPicBufAPI::ConvertIHStoRGB, 8, {85, 255, 0}, {0, 0, 255}},
        KnownCase{"gray 128 to YCrCb",
                  CLxPicBufAPI::ConvertRGBtoYCrCb,
                  8,
                  {128, 128, 128},
                  {128, 128, 128}},
        KnownCase{"YCrCb to gray 128",
                  CLxPicBufAPI::ConvertYCrCbtoRGB,
                  8,
                  {128, 128, 128},
                  {128, 128, 128}},
        KnownCase{"white to YCrCb 16",
                  CLxPicBufAPI::ConvertRGBtoYCrCb,
                  16,
                  {65535, 65535, 65535},
                  {65535, 32768, 32768}},
        KnownCase{"red to YCrCb",
                  CLxPicBufAPI::ConvertRGBtoYCrCb,
                  8,
                  {0, 0, 255},
                  {76, 255, 84}}, // Cr clipped
        KnownCase{"YCrCb clipped",
                  CLxPicBufAPI::ConvertYCrCbtoRGB,
                  8,
                  {255, 255, 0},
                  {28, 208, 255}}, // red clipped
        KnownCase{"white to XYZ",
                  CLxPicBufAPI::ConvertRGBtoXYZ,
                  8,
                  {255, 255, 255},
                  {242, 255, 255}}, // Y and Z clipped
        KnownCase{"black to XYZ", CLxPicBufAPI::ConvertRGBtoXYZ, 16, {0, 0, 0}, {0, 0, 0}},
        KnownCase{"XYZ clipped", CLxPicBufAPI::ConvertXYZtoRGB, 8, {0, 255, 0}, {0, 255, 0}}));

// --- Grays and round trips ----------------------------------------------------------------

// Every gray is its own luma with centred chroma, at 8 and 16 bits, and
// comes back unchanged: the weights sum to 1 up to a round-off that must
// not cost a step.
TEST(PicBufColorSpaceGrays, YCrCbKeepsEveryGray)
{
    for (const uint32_t bits : {8u, 16u}) {
        const uint32_t levels = 1u << bits;
        const uint32_t step = bits == 8 ? 1 : 7;
        std::vector<uint32_t> grays;
        for (uint32_t g = 0; g < levels; g += step)
            grays.push_back(g);
        TestPic rgb(uint32_t(grays.size()), 1, bits, 3, 4);
        TestPic ycc(uint32_t(grays.size()), 1, bits, 3, 8);
        TestPic back(uint32_t(grays.size()), 1, bits, 3);
        for (uint32_t x = 0; x < grays.size(); ++x)
            rgb.setPixel(x, 0, {grays[x], grays[x], grays[x]});
        ASSERT_EQ(CLxPicBufAPI::ConvertRGBtoYCrCb(ycc.p(), rgb.p()), 0);
        ASSERT_EQ(CLxPicBufAPI::ConvertYCrCbtoRGB(back.p(), ycc.p()), 0);
        const uint32_t centre = levels / 2;
        for (uint32_t x = 0; x < grays.size(); ++x) {
            ASSERT_EQ(ycc.pixel(x, 0), (Pixel{grays[x], centre, centre})) << bits << " bits";
            ASSERT_EQ(back.pixel(x, 0), rgb.pixel(x, 0)) << bits << " bits";
        }
        EXPECT_TRUE(ycc.paddingIntact());
    }
}

struct RoundTrip {
    const char* name;
    Convert there, back;
    uint32_t bits;
    uint32_t tolerance; // sample steps
};
std::ostream& operator<<(std::ostream& os, const RoundTrip& k)
{
    return os << k.name;
}

class PicBufColorSpaceRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

// Colours inside the gamut come back within a few steps: truncation on
// both ways and constants that are inverses to 3 or 6 digits.
TEST_P(PicBufColorSpaceRoundTrip, ColoursComeBack)
{
    const RoundTrip& k = GetParam();
    const uint32_t max = picbuftest::maxOf(k.bits);
    TestPic rgb(7, 5, k.bits, 3, 4);
    TestPic mid(7, 5, k.bits, 3, 8);
    TestPic back(7, 5, k.bits, 3);
    // Kept off the gamut's edges, where clipping takes over.
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                rgb.set(x, y, c, max / 8 + TestPic::patternValue(x, y, c, k.bits) % (max / 2 + 1));
    ASSERT_EQ(k.there(mid.p(), rgb.p()), 0);
    ASSERT_EQ(k.back(back.p(), mid.p()), 0);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                ASSERT_LE(std::abs(int64_t(back.get(x, y, c)) - int64_t(rgb.get(x, y, c))),
                          int64_t(k.tolerance))
                    << k.name << " at " << x << "," << y << "," << c;
    EXPECT_TRUE(rgb.paddingIntact());
    EXPECT_TRUE(mid.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Depths, PicBufColorSpaceRoundTrip,
    ::testing::Values(
        RoundTrip{"YCrCb 8", CLxPicBufAPI::ConvertRGBtoYCrCb, CLxPicBufAPI::ConvertYCrCbtoRGB, 8,
                  3},
        RoundTrip{"YCrCb 16", CLxPicBufAPI::ConvertRGBtoYCrCb, CLxPicBufAPI::ConvertYCrCbtoRGB, 16,
                  3},
        RoundTrip{"YCrCb 12", CLxPicBufAPI::ConvertRGBtoYCrCb, CLxPicBufAPI::ConvertYCrCbtoRGB, 12,
                  3},
        RoundTrip{"XYZ 8", CLxPicBufAPI::ConvertRGBtoXYZ, CLxPicBufAPI::ConvertXYZtoRGB, 8, 3},
        RoundTrip{"XYZ 16", CLxPicBufAPI::ConvertRGBtoXYZ, CLxPicBufAPI::ConvertXYZtoRGB, 16, 3},
        RoundTrip{"IHS 8", CLxPicBufAPI::ConvertRGBtoIHS, CLxPicBufAPI::ConvertIHStoRGB, 8, 3},
        RoundTrip{"IHS 16", CLxPicBufAPI::ConvertRGBtoIHS, CLxPicBufAPI::ConvertIHStoRGB, 16, 3},
        RoundTrip{"IHS 10", CLxPicBufAPI::ConvertRGBtoIHS, CLxPicBufAPI::ConvertIHStoRGB, 10, 3}));

// --- Depths, in place and errors -----------------------------------------------------------

// A source of another depth is first brought to the destination's depth by
// shifts; 9-15-bit destinations work at 16 bits and come back.
TEST(PicBufColorSpaceDepths, SourceIsShiftedToTheDestinationDepth)
{
    TestPic src8(1, 1, 8, 3);
    TestPic dst12(1, 1, 12, 3);
    src8.setPixel(0, 0, {128, 128, 128});
    ASSERT_EQ(CLxPicBufAPI::ConvertRGBtoYCrCb(dst12.p(), src8.p()), 0);
    EXPECT_EQ(dst12.pixel(0, 0), (Pixel{2048, 2048, 2048}));

    TestPic src16(1, 1, 16, 3);
    TestPic dst8(1, 1, 8, 3);
    src16.setPixel(0, 0, {0, 0, 0xFF00});
    ASSERT_EQ(CLxPicBufAPI::ConvertRGBtoIHS(dst8.p(), src16.p()), 0);
    EXPECT_EQ(dst8.pixel(0, 0), (Pixel{85, 255, 0}));
}

TEST(PicBufColorSpaceDepths, InPlaceGivesTheSameAsIntoAnotherPicture)
{
    const Convert all[] = {CLxPicBufAPI::ConvertRGBtoIHS,   CLxPicBufAPI::ConvertIHStoRGB,
                           CLxPicBufAPI::ConvertRGBtoYCrCb, CLxPicBufAPI::ConvertYCrCbtoRGB,
                           CLxPicBufAPI::ConvertRGBtoXYZ,   CLxPicBufAPI::ConvertXYZtoRGB};
    for (const uint32_t bits : {8u, 12u, 16u})
        for (const Convert convert : all) {
            TestPic pic(5, 3, bits, 3, 4);
            TestPic other(5, 3, bits, 3);
            pic.fillPattern();
            ASSERT_EQ(convert(other.p(), pic.p()), 0);
            ASSERT_EQ(convert(pic.p(), pic.p()), 0);
            EXPECT_TRUE(CLxPicBufAPI::IsEqual(pic.p(), other.p())) << bits << " bits";
            EXPECT_TRUE(pic.paddingIntact());
        }
}

TEST(PicBufColorSpaceErrors, OtherComponentsSizesOrDepthsAreRefused)
{
    AssertCapture asserts;
    TestPic rgb(2, 2, 8, 3);
    TestPic gray(2, 2, 8, 1), grayDst(2, 2, 8, 1);
    TestPic smaller(2, 1, 8, 3);
    TestPic deep(2, 2, 32, 3), deepDst(2, 2, 32, 3);
    TestPic shallow(2, 2, 4, 3);
    TestPic dst(2, 2, 8, 3);
    const Convert all[] = {CLxPicBufAPI::ConvertRGBtoIHS,   CLxPicBufAPI::ConvertIHStoRGB,
                           CLxPicBufAPI::ConvertRGBtoYCrCb, CLxPicBufAPI::ConvertYCrCbtoRGB,
                           CLxPicBufAPI::ConvertRGBtoXYZ,   CLxPicBufAPI::ConvertXYZtoRGB};
    for (const Convert convert : all) {
        EXPECT_EQ(convert(grayDst.p(), gray.p()), -9);
        EXPECT_EQ(convert(smaller.p(), rgb.p()), -9);
        EXPECT_EQ(convert(deepDst.p(), deep.p()), -9);
        EXPECT_EQ(convert(dst.p(), deep.p()), -9);    // no shift from 32 bits
        EXPECT_EQ(convert(shallow.p(), rgb.p()), -9); // no 4-bit work depth
        EXPECT_EQ(convert(dst.p(), nullptr), -9);
    }
}

} // namespace

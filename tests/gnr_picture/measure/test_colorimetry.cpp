// Colorimetry of single colours: the measured record of known colours,
// the dark branch of the lightness, display colours, the conversions' round
// trips, the dominant-wavelength search and the generated 10-degree table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "gnr_picture/LxPicMeasAPI.h"

namespace
{

using API = CLxPicMeasAPI;

SLxColorCIExy WhitePoint()
{
    SLxColorCIExy white;
    API::RGB2Yxy(255, 255, 255, &white.Y, &white.x, &white.y);
    return white;
}

// The CIE 1931 table as the parallel arrays of SLxCMF.
struct Cie1931Columns {
    std::vector<double> nm, x, y, z;
    Cie1931Columns()
    {
        const SLxColorMatchingFunction& cmf = g_ColorMatchingFunction_CIE2deg;
        for (uint32_t i = 0; i < cmf.uiRows; ++i) {
            nm.push_back(cmf.pRows[i][0]);
            x.push_back(cmf.pRows[i][1]);
            y.push_back(cmf.pRows[i][2]);
            z.push_back(cmf.pRows[i][3]);
        }
    }
    SLxCMF Table(int rows) const { return {nm.data(), x.data(), y.data(), z.data(), rows}; }
};

TEST(Colorimetry, MeasuredRecordOfKnownColours)
{
    const SLxColorCIExy white = WhitePoint();
    ASSERT_NEAR(white.x, 0.3127, 1e-4);
    ASSERT_NEAR(white.y, 0.3290, 1e-4);
    ASSERT_NEAR(white.Y, 1.0, 1e-12);
    struct Case {
        double r, g, b;
        double wavelength; // -1: none found
        bool grey;         // chromaticity of the white point, purity 0
    };
    const Case cases[] = {
        {255, 255, 255, -1, true}, {128, 128, 128, -1, true}, {17, 17, 17, -1, true},
        {1, 1, 1, -1, true},       {255, 0, 0, 614, false},   {0, 255, 0, 542, false},
        {0, 0, 255, 457, false},   {255, 255, 0, 565, false}, {255, 0, 255, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.r << ", " << c.g << ", " << c.b);
        SLxColorimetryData d;
        ASSERT_EQ(API::Measure_Colorimetry(c.r, c.g, c.b, &d), 1);
        EXPECT_NEAR(d.Y, (0.212671 * c.r + 0.715160 * c.g + 0.072169 * c.b) / 255, 1e-15);
        EXPECT_EQ(d.wavelength, c.wavelength);
        if (c.grey) {
            EXPECT_NEAR(d.x, white.x, 1e-12);
            EXPECT_NEAR(d.y, white.y, 1e-12);
            EXPECT_NEAR(d.a, 0, 1e-9);
            EXPECT_NEAR(d.b, 0, 1e-9);
            EXPECT_EQ(d.purity, 0);
        } else if (c.wavelength < 0) {
            EXPECT_EQ(d.purity, -1);
        } else {
            EXPECT_GT(d.purity, 0);
            EXPECT_LE(d.purity, 1);
        }
        EXPECT_NE(d.L, 0);
    }
    SLxColorimetryData white255;
    API::Measure_Colorimetry(255, 255, 255, &white255);
    EXPECT_NEAR(white255.L, 100, 1e-9);

    SLxColorimetryData red;
    API::Measure_Colorimetry(255, 0, 0, &red);
    EXPECT_NEAR(red.x, 0.64, 1e-4);
    EXPECT_NEAR(red.y, 0.33, 1e-4);
    // u' and v' of the unrounded colour, as XYZ2CIEuv gives them.
    EXPECT_NEAR(red.u, 4 * 0.412453 / (0.412453 + 15 * 0.212671 + 3 * 0.019334), 1e-12);
    EXPECT_NEAR(red.v, 9 * 0.212671 / (0.412453 + 15 * 0.212671 + 3 * 0.019334), 1e-12);
}

TEST(Colorimetry, BlackGivesZerosAndTheFailureValues)
{
    SLxColorimetryData d;
    ASSERT_EQ(API::Measure_Colorimetry(0, 0, 0, &d), 1);
    const double expected[10] = {0, 0, 0, 0, 0, 0, -1, -1, -1, -1};
    const double got[10] = {d.Y, d.x, d.y, d.u, d.v, d.L, d.a, d.b, d.purity, d.wavelength};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(got[i], expected[i]) << "value " << i;
}

TEST(Colorimetry, ChromaticityFromIntegerPartsLightnessFromTheMean)
{
    SLxColorimetryData mean, whole;
    API::Measure_Colorimetry(100.9, 50.9, 20.9, &mean);
    API::Measure_Colorimetry(100, 50, 20, &whole);
    EXPECT_EQ(mean.Y, whole.Y);
    EXPECT_EQ(mean.x, whole.x);
    EXPECT_EQ(mean.y, whole.y);
    EXPECT_GT(mean.L, whole.L);
    EXPECT_GT(mean.u, 0);
}

TEST(Colorimetry, OutOfRangeMeansDoNotBreakTheCall)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][3] = {{nan, 0, 0}, {1e300, 0, 0}, {-1e300, 5, 5}, {-3, 0, 0}};
    for (const auto& c : cases) {
        SLxColorimetryData d;
        EXPECT_EQ(API::Measure_Colorimetry(c[0], c[1], c[2], &d), 1);
    }
    EXPECT_EQ(API::Measure_Colorimetry(1, 2, 3, nullptr), 0);
}

TEST(Colorimetry, DarkColoursTakeTheLinearLightness)
{
    const SLxColorCIExy white = WhitePoint();
    // Y / Yn = 2 / 255 is below the threshold.
    SLxColorimetryData d;
    API::Measure_Colorimetry(2, 2, 2, &d);
    EXPECT_NEAR(d.L, 903.3 * 2 / 255, 1e-9);

    const SLxColorCIExy color = {0.25, 0.3, 0};
    struct Case {
        double Y;
        double L;
        double tolerance;
    };
    const Case cases[] = {
        {0.004, 903.3 * 0.004, 1e-12},
        {0.008856, 903.3 * 0.008856, 1e-12},
        {0.008856 * (1 + 1e-9), 8.0, 1e-3}, // the other branch meets it at about 8
        {0.2, 116 * std::cbrt(0.2) - 16, 1e-12},
    };
    for (const Case& c : cases) {
        SLxColorCIELuv luv;
        SLxColorCIELab lab;
        ASSERT_EQ(API::CIExy2CIELuv(&color, c.Y, &luv, &white, 1.0), 1);
        ASSERT_EQ(API::CIExy2CIELab(&color, c.Y, &lab, &white, 1.0), 1);
        EXPECT_NEAR(luv.L, c.L, c.tolerance) << c.Y;
        EXPECT_NEAR(lab.L, c.L, c.tolerance) << c.Y;
    }
    EXPECT_NEAR(903.3 * 0.008856, 8.0, 1e-3);
    EXPECT_NEAR(API::CIExy2CIELab_f(0.008856), 7.787 * 0.008856 + 16.0 / 116, 1e-15);
    EXPECT_NEAR(API::CIExy2CIELab_f(0.008857), std::cbrt(0.008857), 1e-15);
    EXPECT_NEAR(API::CIExy2CIELab_f(0.008856), API::CIExy2CIELab_f(0.008857), 1e-4);
}

TEST(Colorimetry, LuvAndLabOfTheWhiteItselfAreNeutral)
{
    const SLxColorCIExy white = WhitePoint();
    SLxColorCIELuv luv;
    SLxColorCIELab lab;
    ASSERT_EQ(API::CIExy2CIELuv(&white, 0.5, &luv, &white, 1.0), 1);
    ASSERT_EQ(API::CIExy2CIELab(&white, 0.5, &lab, &white, 1.0), 1);
    EXPECT_NEAR(luv.L, 116 * std::cbrt(0.5) - 16, 1e-12);
    EXPECT_NEAR(luv.C, 0, 1e-12);
    EXPECT_NEAR(lab.C, 0, 1e-12);
    // A negative luminance takes the colour record's own (white.Y = 1).
    ASSERT_EQ(API::CIExy2CIELuv(&white, -1, &luv, &white, 1.0), 1);
    EXPECT_NEAR(luv.L, 100, 1e-9);
    // Without light L* is 0 and so is the saturation, not 0 / 0.
    const SLxColorCIExy green = {0.3, 0.6, 0};
    ASSERT_EQ(API::CIExy2CIELuv(&green, 0, &luv, &white, 1.0), 1);
    EXPECT_EQ(luv.L, 0);
    EXPECT_EQ(luv.s, 0);
}

TEST(Colorimetry, ChromaticityZeroIsTheFailureSentinel)
{
    const SLxColorCIExy white = WhitePoint();
    const SLxColorCIExy noX = {0, 0.3, 0.5}, noY = {0.3, 0, 0.5};
    // A white without light or with y = 0 is no white to compare with.
    const SLxColorCIExy darkWhite = {0.3127, 0.329, 0}, flatWhite = {0.3127, 0, 1};
    struct Case {
        const SLxColorCIExy* color;
        const SLxColorCIExy* white;
        double whiteY;
    };
    const Case cases[] = {
        {&noX, &white, 1}, {&noY, &white, 1}, {&white, &darkWhite, 0}, {&white, &flatWhite, 1}};
    for (const Case& c : cases) {
        SLxColorCIELuv luv = {7, 7, 7, 7, 7, 7};
        SLxColorCIELab lab = {7, 7, 7, 7, 7};
        EXPECT_EQ(API::CIExy2CIELuv(c.color, 0.5, &luv, c.white, c.whiteY), 0);
        EXPECT_EQ(API::CIExy2CIELab(c.color, 0.5, &lab, c.white, c.whiteY), 0);
        EXPECT_EQ(luv.L, 0);
        EXPECT_EQ(luv.u, -1);
        EXPECT_EQ(luv.v, -1);
        EXPECT_EQ(luv.C, 0);
        EXPECT_EQ(luv.h, 0);
        EXPECT_EQ(luv.s, 0);
        EXPECT_EQ(lab.L, 0);
        EXPECT_EQ(lab.a, -1);
        EXPECT_EQ(lab.b, -1);
        EXPECT_EQ(lab.C, 0);
        EXPECT_EQ(lab.h, 0);
    }
}

TEST(Colorimetry, DisplayColourScalesTheStrongestComponentTo255)
{
    struct Case {
        double r, g, b; // 0 to 255, through RGB2XYZ
        uint32_t color;
    };
    const Case cases[] = {
        {255, 0, 0, 0x0000FF},  {0, 255, 0, 0x00FF00},
        {0, 0, 255, 0xFF0000},  {255, 255, 255, 0xFFFFFF},
        {10, 10, 10, 0xFFFFFF}, {100, 60, 0, 0x0099FF},
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const SLxColRGB rgb = {c.r, c.g, c.b};
        SLxColorXYZ xyz;
        ASSERT_EQ(API::RGB2XYZ(&xyz, &rgb), 1);
        EXPECT_EQ(API::XYZ2CompRGB(&xyz), c.color) << c.r << ", " << c.g << ", " << c.b;
    }
    // Negative components become 0.
    const SLxColorXYZ cyanBeyondTheGamut = {0.1, 0.5, 0.6};
    SLxColRGB linear;
    API::XYZ2RGB(&linear, &cyanBeyondTheGamut);
    ASSERT_LT(linear.R, 0);
    EXPECT_EQ(API::XYZ2CompRGB(&cyanBeyondTheGamut) & 0xFF, 0u);
    // No positive component: nothing to scale, black (not the low bits of
    // negative quotients).
    const SLxColorXYZ negative = {-1, -1, -1};
    EXPECT_EQ(API::XYZ2CompRGB(&negative), 0u);
    EXPECT_EQ(API::XYZ2CompRGB(nullptr), 0u);
}

TEST(Colorimetry, XyzAndRgbMatricesAreInverse)
{
    const SLxColRGB cases[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {12, 200, 77}};
    for (const SLxColRGB& in : cases) {
        SLxColorXYZ xyz;
        SLxColRGB back;
        API::RGB2XYZ(&xyz, &in);
        ASSERT_EQ(API::XYZ2RGB(&back, &xyz), 1);
        EXPECT_NEAR(back.R, in.R / 255, 1e-5);
        EXPECT_NEAR(back.G, in.G / 255, 1e-5);
        EXPECT_NEAR(back.B, in.B / 255, 1e-5);
    }
}

TEST(Colorimetry, XyWithANegativeLuminanceTakesTheRecordsOwn)
{
    const SLxColorCIExy in = {0.3, 0.4, 0.5};
    SLxColorXYZ out;
    ASSERT_EQ(API::CIExy2XYZ(&out, &in, -1), 1);
    EXPECT_DOUBLE_EQ(out.X, 0.375);
    EXPECT_DOUBLE_EQ(out.Y, 0.5);
    EXPECT_DOUBLE_EQ(out.Z, 0.375);
    ASSERT_EQ(API::CIExy2XYZ(&out, &in, 2), 1);
    EXPECT_DOUBLE_EQ(out.X, 1.5);
    EXPECT_DOUBLE_EQ(out.Y, 2);
    EXPECT_DOUBLE_EQ(out.Z, 1.5);
    // y = 0 has no X or Z: a failure, out unchanged.
    const SLxColorCIExy flat = {0.3, 0, 0.5};
    out = {9, 9, 9};
    EXPECT_EQ(API::CIExy2XYZ(&out, &flat, 1), 0);
    EXPECT_EQ(out.X, 9);
}

TEST(Colorimetry, ChromaticityRoundTrips)
{
    const SLxColorXYZ cases[] = {
        {0.412453, 0.212671, 0.019334}, {0.95, 1.0, 1.09}, {0.2, 0.6, 0.05}, {0.01, 0.02, 0.3}};
    for (const SLxColorXYZ& xyz : cases) {
        SLxColorCIEuv uv;
        SLxColorXYZ back;
        ASSERT_EQ(API::XYZ2CIEuv(&uv, &xyz), 1);
        ASSERT_EQ(API::CIEuv2XYZ(&uv, &back), 1);
        EXPECT_NEAR(back.X, xyz.X, 1e-12);
        EXPECT_EQ(back.Y, xyz.Y);
        EXPECT_NEAR(back.Z, xyz.Z, 1e-12);
        SLxColorCIEuv again;
        API::XYZ2CIEuv(&again, &back);
        EXPECT_NEAR(again.u, uv.u, 1e-12);
        EXPECT_NEAR(again.v, uv.v, 1e-12);
        EXPECT_EQ(again.Y, uv.Y);

        SLxColorCIExy xy;
        ASSERT_EQ(API::XYZ2CIExy(&xy, &xyz), 1);
        ASSERT_EQ(API::CIExy2XYZ(&back, &xy, -1), 1);
        EXPECT_NEAR(back.X, xyz.X, 1e-12);
        EXPECT_NEAR(back.Z, xyz.Z, 1e-12);
    }
    // No light: 0 rather than 0 / 0.
    const SLxColorXYZ black = {0, 0, 0};
    SLxColorCIExy xy;
    SLxColorCIEuv uv;
    API::XYZ2CIExy(&xy, &black);
    API::XYZ2CIEuv(&uv, &black);
    EXPECT_EQ(xy.x, 0);
    EXPECT_EQ(xy.y, 0);
    EXPECT_EQ(uv.u, 0);
    EXPECT_EQ(uv.v, 0);
    // v' = 0 has no way back.
    const SLxColorCIEuv flat = {1, 0.2, 0};
    SLxColorXYZ out = {9, 9, 9};
    EXPECT_EQ(API::CIEuv2XYZ(&flat, &out), 0);
    EXPECT_EQ(out.Y, 9);
}

TEST(Colorimetry, NullRecordsFail)
{
    SLxColorXYZ xyz = {0.2, 0.3, 0.4};
    SLxColRGB rgb = {1, 2, 3};
    SLxColorCIExy xy = {0.3, 0.3, 1};
    SLxColorCIEuv uv = {1, 0.2, 0.4};
    SLxColorCIELuv luv;
    SLxColorCIELab lab;
    double a, b, c;
    EXPECT_EQ(API::RGB2Yxy(1, 2, 3, nullptr, &b, &c), 0);
    EXPECT_EQ(API::RGB2Yxy(1, 2, 3, &a, nullptr, &c), 0);
    EXPECT_EQ(API::RGB2Yxy(1, 2, 3, &a, &b, nullptr), 0);
    EXPECT_EQ(API::RGB2XYZ(nullptr, &rgb), 0);
    EXPECT_EQ(API::RGB2XYZ(&xyz, nullptr), 0);
    EXPECT_EQ(API::XYZ2RGB(nullptr, &xyz), 0);
    EXPECT_EQ(API::XYZ2RGB(&rgb, nullptr), 0);
    EXPECT_EQ(API::XYZ2CIExy(nullptr, &xyz), 0);
    EXPECT_EQ(API::XYZ2CIExy(&xy, nullptr), 0);
    EXPECT_EQ(API::CIExy2XYZ(nullptr, &xy, 1), 0);
    EXPECT_EQ(API::CIExy2XYZ(&xyz, nullptr, 1), 0);
    EXPECT_EQ(API::XYZ2CIEuv(nullptr, &xyz), 0);
    EXPECT_EQ(API::XYZ2CIEuv(&uv, nullptr), 0);
    EXPECT_EQ(API::CIEuv2XYZ(nullptr, &xyz), 0);
    EXPECT_EQ(API::CIEuv2XYZ(&uv, nullptr), 0);
    EXPECT_EQ(API::CIExy2CIELuv(nullptr, 1, &luv, &xy, 1), 0);
    EXPECT_EQ(API::CIExy2CIELuv(&xy, 1, nullptr, &xy, 1), 0);
    EXPECT_EQ(API::CIExy2CIELuv(&xy, 1, &luv, nullptr, 1), 0);
    EXPECT_EQ(API::CIExy2CIELab(nullptr, 1, &lab, &xy, 1), 0);
    EXPECT_EQ(API::CIExy2CIELab(&xy, 1, nullptr, &xy, 1), 0);
    EXPECT_EQ(API::CIExy2CIELab(&xy, 1, &lab, nullptr, 1), 0);
    EXPECT_EQ(API::CIExy2DWLandEP(nullptr, &b, &xy, nullptr, &xy), 0);
    EXPECT_EQ(API::CIExy2DWLandEP(&a, nullptr, &xy, nullptr, &xy), 0);
    EXPECT_EQ(API::CIExy2DWLandEP(&a, &b, nullptr, nullptr, &xy), 0);
    EXPECT_EQ(API::CIExy2DWLandEP(&a, &b, &xy, nullptr, nullptr), 0);
    EXPECT_TRUE(std::isnan(API::CMFXYZIndex2Angle(nullptr, 0, &xy)));
    SLxCMF table = {API::CMF_Wavelength, API::CMF_X, API::CMF_Y, API::CMF_Z, API::CMF_Length};
    EXPECT_TRUE(std::isnan(API::CMFXYZIndex2Angle(&table, 0, nullptr)));
}

TEST(DominantWavelength, SearchOnTheLocus)
{
    const SLxColorCIExy white = WhitePoint();
    const SLxCMF table10 = {API::CMF_Wavelength, API::CMF_X, API::CMF_Y, API::CMF_Z,
                            API::CMF_Length};
    // Each locus point lies in its own direction: the search finds its row,
    // at purity 1, and colours half-way towards it at purity 1/2.
    for (int row : {40, 100, 150, 200, 250, 300, 330}) {
        SLxColorXYZ xyz = {API::CMF_X[row], API::CMF_Y[row], API::CMF_Z[row]};
        SLxColorCIExy locus, halfway;
        API::XYZ2CIExy(&locus, &xyz);
        halfway = {(locus.x + white.x) / 2, (locus.y + white.y) / 2, 1};
        double nm = 0, purity = 0;
        ASSERT_EQ(API::CIExy2DWLandEP(&nm, &purity, &locus, &table10, &white), 1) << row;
        EXPECT_EQ(nm, 360 + row);
        EXPECT_NEAR(purity, 1, 1e-12);
        ASSERT_EQ(API::CIExy2DWLandEP(&nm, &purity, &halfway, nullptr, &white), 1) << row;
        EXPECT_EQ(nm, 360 + row);
        EXPECT_NEAR(purity, 0.5, 1e-9);
        EXPECT_NEAR(API::CMFXYZIndex2Angle(&table10, row, &white),
                    std::atan2(white.x - locus.x, locus.y - white.y), 1e-15);
    }
}

TEST(DominantWavelength, DeepRedsAgainstChangingWhites)
{
    // Between 701 and 830 nm the locus turns back; the reds before the turn
    // are found against each white in turn, not against the previous one's
    // turning rows.
    const SLxColorCIExy d65 = WhitePoint(), equalEnergy = {1.0 / 3, 1.0 / 3, 1};
    for (const SLxColorCIExy& white : {d65, equalEnergy, d65}) {
        for (int row : {300, 330, 340}) {
            SLxColorXYZ xyz = {API::CMF_X[row], API::CMF_Y[row], API::CMF_Z[row]};
            SLxColorCIExy locus;
            API::XYZ2CIExy(&locus, &xyz);
            double nm = 0, purity = 0;
            ASSERT_EQ(API::CIExy2DWLandEP(&nm, &purity, &locus, nullptr, &white), 1)
                << white.x << " " << row;
            EXPECT_EQ(nm, 360 + row);
            EXPECT_NEAR(purity, 1, 1e-12);
        }
    }
}

TEST(DominantWavelength, TablesAndFailures)
{
    const SLxColorCIExy white = WhitePoint();
    const Cie1931Columns cie1931;
    const SLxCMF table2 = cie1931.Table(471);
    // Pure green through the 2-degree table: its locus passes the green's
    // direction between 549 and 550 nm (542 nm on the 10-degree one).
    SLxColorCIExy green;
    API::RGB2Yxy(0, 255, 0, &green.Y, &green.x, &green.y);
    double nm = 0, purity = 0;
    ASSERT_EQ(API::CIExy2DWLandEP(&nm, &purity, &green, &table2, &white), 1);
    EXPECT_EQ(nm, 549);

    // Two rows: the nearer one in direction, once the colour lies in their
    // wedge.
    const SLxCMF two = {table2.pWavelength + 100, table2.pX + 100, table2.pY + 100, table2.pZ + 100,
                        2};
    for (int row : {0, 1}) {
        SLxColorXYZ xyz = {two.pX[row], two.pY[row], two.pZ[row]};
        SLxColorCIExy locus;
        API::XYZ2CIExy(&locus, &xyz);
        ASSERT_EQ(API::CIExy2DWLandEP(&nm, &purity, &locus, &two, &white), 1);
        EXPECT_EQ(nm, 460 + row);
    }

    struct Case {
        const char* name;
        SLxColorCIExy color;
        SLxCMF table;
        double nm, purity;
    };
    const SLxCMF empty = {table2.pWavelength, table2.pX, table2.pY, table2.pZ, 0};
    const SLxCMF noZ = {table2.pWavelength, table2.pX, table2.pY, nullptr, 471};
    const Case cases[] = {
        {"x = 0", {0, 0.3, 1}, table2, -1, -1},
        {"y = 0", {0.3, 0, 1}, table2, -1, -1},
        {"white", {white.x + 1e-9, white.y - 1e-9, 1}, table2, -1, 0},
        {"purple line", {0.35, 0.15, 1}, table2, -1, -1},
        {"empty table", {0.6, 0.3, 1}, empty, -1, -1},
        {"table without z", {0.6, 0.3, 1}, noZ, -1, -1},
        {"outside two rows", green, two, -1, -1},
    };
    for (const Case& c : cases) {
        nm = purity = 7;
        EXPECT_EQ(API::CIExy2DWLandEP(&nm, &purity, &c.color, &c.table, &white), 0) << c.name;
        EXPECT_EQ(nm, c.nm) << c.name;
        EXPECT_EQ(purity, c.purity) << c.name;
    }
    for (int row : {-1, 471, 1000})
        EXPECT_TRUE(std::isnan(API::CMFXYZIndex2Angle(&table2, row, &white))) << row;
}

TEST(ColorMatchingTable, TenDegreeTableEqualsThePublishedRows)
{
    std::ifstream csv(LXTEST_CIE1964_CSV);
    if (!csv)
        GTEST_SKIP() << "no published table at " << LXTEST_CIE1964_CSV;
    ASSERT_EQ(API::CMF_Length, 471);
    std::string line;
    std::getline(csv, line);
    ASSERT_EQ(line, "nm,x,y,z");
    int row = 0;
    while (std::getline(csv, line) && !line.empty()) {
        ASSERT_LT(row, 471);
        std::istringstream fields(line);
        std::string field[4];
        for (std::string& f : field)
            std::getline(fields, f, ',');
        EXPECT_EQ(API::CMF_Wavelength[row], std::strtod(field[0].c_str(), nullptr)) << row;
        EXPECT_EQ(API::CMF_X[row], std::strtod(field[1].c_str(), nullptr)) << row;
        EXPECT_EQ(API::CMF_Y[row], std::strtod(field[2].c_str(), nullptr)) << row;
        EXPECT_EQ(API::CMF_Z[row], std::strtod(field[3].c_str(), nullptr)) << row;
        ++row;
    }
    EXPECT_EQ(row, 471);
}

} // namespace

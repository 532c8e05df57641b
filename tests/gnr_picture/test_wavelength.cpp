// Colours of wavelengths, the rainbow palette and the CIE 1931 table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "gnr_picture/LxColorimetry.h"

namespace
{

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | g << 8 | b << 16;
}

TEST(ColorMatchingTable, RowsAtFiveNanometresEqualThePublishedValues)
{
    std::ifstream csv(LXTEST_CIE1931_CSV);
    if (!csv)
        GTEST_SKIP() << "no published table at " << LXTEST_CIE1931_CSV;
    const SLxColorMatchingFunction& cmf = g_ColorMatchingFunction_CIE2deg;
    ASSERT_EQ(cmf.uiRows, 471u);
    std::string line;
    std::getline(csv, line); // header
    int checked = 0;
    while (std::getline(csv, line)) {
        std::istringstream fields(line);
        std::string field[4];
        for (std::string& f : field)
            std::getline(fields, f, ',');
        const int nm = std::atoi(field[0].c_str());
        if (nm % 5 != 0)
            continue;
        const double* row = cmf.pRows[nm - 360];
        EXPECT_EQ(row[0], double(nm));
        for (int k = 1; k < 4; ++k)
            EXPECT_EQ(row[k], std::strtod(field[k].c_str(), nullptr)) << nm << " nm, column " << k;
        ++checked;
    }
    EXPECT_EQ(checked, 95);
}

TEST(Wavelength, PiecewiseSpectrum)
{
    struct Case {
        double nm;
        uint32_t color;
    };
    const Case cases[] = {
        {0, rgb(255, 255, 255)}, {0.49, rgb(255, 255, 255)}, {300, rgb(255, 0, 255)},
        {380, rgb(255, 0, 255)}, {410, rgb(127, 0, 255)},    {440, rgb(0, 0, 255)},
        {465, rgb(0, 127, 255)}, {490, rgb(0, 255, 255)},    {500, rgb(0, 255, 127)},
        {510, rgb(0, 255, 0)},   {555, rgb(255, 255, 0)},    {587.5, rgb(255, 127, 0)},
        {620, rgb(255, 0, 0)},   {700, rgb(255, 0, 0)},      {1e9, rgb(255, 0, 0)},
    };
    for (const Case& c : cases) {
        uint32_t color = 0xDEADBEEF;
        ASSERT_EQ(LX_RGBFromWavelength(&color, c.nm), 0);
        EXPECT_EQ(color, c.color) << c.nm << " nm";
    }
}

TEST(Wavelength, SRGBKeepsTheBrightestChannelAt255)
{
    uint32_t color = 0;
    ASSERT_EQ(LX_sRGBFromWavelength(&color, 550), 0);
    EXPECT_EQ(color >> 8 & 0xFF, 255u);
    ASSERT_EQ(LX_sRGBFromWavelength(&color, 450), 0);
    EXPECT_EQ(color >> 16 & 0xFF, 255u);
    ASSERT_EQ(LX_sRGBFromWavelength(&color, 650), 0);
    EXPECT_EQ(color & 0xFF, 255u);
}

// Both ends of the table, and wavelengths beyond it, use an end row's values
// (no interpolation over an empty interval).
TEST(Wavelength, SRGBAtAndBeyondTheEndsOfTheTable)
{
    const double pairs[][2] = {{830, 830}, {830, 831}, {830, 5000}, {360, 359}, {360, -1e9}};
    for (const auto& p : pairs) {
        uint32_t atEnd = 1, beyond = 2;
        ASSERT_EQ(LX_sRGBFromWavelength(&atEnd, p[0]), 0);
        ASSERT_EQ(LX_sRGBFromWavelength(&beyond, p[1]), 0);
        EXPECT_EQ(beyond, atEnd) << p[1] << " nm";
        EXPECT_TRUE((atEnd & 0xFF) == 255 || (atEnd >> 8 & 0xFF) == 255 ||
                    (atEnd >> 16 & 0xFF) == 255)
            << p[0] << " nm";
    }
    // Just inside the last interval differs only by the interpolation.
    uint32_t inside = 0;
    EXPECT_EQ(LX_sRGBFromWavelength(&inside, 829.5), 0);
    EXPECT_EQ(inside & 0xFF, 255u);
}

TEST(Wavelength, BadArguments)
{
    uint32_t color = 7;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(LX_RGBFromWavelength(nullptr, 500), -4);
    EXPECT_EQ(LX_sRGBFromWavelength(nullptr, 500), -4);
    EXPECT_EQ(LX_RGBFromWavelength(&color, nan), -4);
    EXPECT_EQ(LX_sRGBFromWavelength(&color, nan), -4);
    EXPECT_EQ(color, 7u);
    uint32_t table[5] = {};
    EXPECT_EQ(LX_RGBRainbowColorTable(table, 5), -4);
    EXPECT_EQ(LX_RGBRainbowColorTable(table, 0), -4);
    EXPECT_EQ(LX_RGBRainbowColorTable(nullptr, 256), -4);
    for (uint32_t c : table)
        EXPECT_EQ(c, 0u);
}

TEST(Rainbow, SixAnchorsOf256Entries)
{
    uint32_t table[257];
    table[256] = 0x12345678;
    ASSERT_EQ(LX_RGBRainbowColorTable(table, 256), 0);
    EXPECT_EQ(table[0], rgb(255, 0, 255));
    EXPECT_EQ(table[51], rgb(255, 0, 0));
    EXPECT_EQ(table[102], rgb(255, 255, 0));
    EXPECT_EQ(table[153], rgb(0, 255, 0));
    EXPECT_EQ(table[204], rgb(0, 255, 255));
    EXPECT_EQ(table[255], rgb(0, 0, 255));
    EXPECT_EQ(table[25], rgb(255, 0, 130)); // (51 x 255 - 25 x 255) / 51
    EXPECT_EQ(table[256], 0x12345678u);
}

// Counts whose n - 1 is not a multiple of 5: exactly n entries, from
// magenta to blue, every entry on the colour circle (one channel 255, one
// 0) and each anchor reached once.
TEST(Rainbow, AnyCountFromSixUp)
{
    for (uint32_t n = 6; n < 40; ++n) {
        std::vector<uint32_t> table(n + 1, 0xFFFFFFFF);
        ASSERT_EQ(LX_RGBRainbowColorTable(table.data(), n), 0);
        EXPECT_EQ(table[0], rgb(255, 0, 255)) << n;
        EXPECT_EQ(table[n - 1], rgb(0, 0, 255)) << n;
        EXPECT_EQ(table[n], 0xFFFFFFFFu) << n;
        int anchors = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t c[3] = {table[i] & 0xFF, table[i] >> 8 & 0xFF, table[i] >> 16 & 0xFF};
            EXPECT_TRUE(c[0] == 255 || c[1] == 255 || c[2] == 255) << n << ", entry " << i;
            EXPECT_TRUE(c[0] == 0 || c[1] == 0 || c[2] == 0) << n << ", entry " << i;
            for (uint32_t a : {rgb(255, 0, 0), rgb(255, 255, 0), rgb(0, 255, 0), rgb(0, 255, 255)})
                anchors += table[i] == a;
        }
        EXPECT_EQ(anchors, 4) << n;
    }
}

} // namespace

// Sample values of a bit depth, HSI colours, pixel colour words and line
// drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "gnr_picture/LxPicLibTables.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

// ---- Numbers of a bit depth ---------------------------------------------------

TEST(SampleValueLimits, IntegerLimitsOfADepth)
{
    struct Case {
        uint32_t bits;
        uint32_t uintMax;
        int32_t intMax;
        int32_t intMin;
        uint16_t bitMask;
    } const cases[] = {
        {0, 0, 0, 0, 0},
        {1, 1, 0, -1, 1},
        {8, 255, 127, -128, 0xFF},
        {12, 4095, 2047, -2048, 0xFFF},
        {16, 65535, 32767, -32768, 0xFFFF},
        {20, 0xFFFFF, 0x7FFFF, -0x80000, 0xFFFF},
        {31, 0x7FFFFFFF, 0x3FFFFFFF, -0x40000000, 0xFFFF},
        {32, 0xFFFFFFFF, INT32_MAX, INT32_MIN, 0xFFFF},
        {40, 0xFFFFFFFF, INT32_MAX, INT32_MIN, 0xFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(API::CalcUintMax(c.bits), c.uintMax) << c.bits;
        EXPECT_EQ(API::CalcIntMax(c.bits), c.intMax) << c.bits;
        EXPECT_EQ(API::CalcIntMin(c.bits), c.intMin) << c.bits;
        EXPECT_EQ(CLxPicBufAPI::GetBitMask(c.bits), c.bitMask) << c.bits;
    }
}

TEST(SampleValueLimits, RealScaleOfADepth)
{
    struct Case {
        uint32_t bits;
        double realMax;
        uint32_t decimals;
    } const cases[] = {
        {1, 255.0, 0},
        {8, 255.0, 0},
        {9, 255.5, 1},
        {11, 255.875, 1},
        {12, 255.9375, 2},
        {14, 255.984375, 2},
        {15, 255.9921875, 3},
        {16, 255.99609375, 3},
        {32, 255.0 + 16777215.0 / 16777216.0, 8},
        {72, 256.0, 20},
        {4000000000u, 256.0, 20},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(API::CalcDblMax(c.bits), c.realMax) << c.bits;
        EXPECT_EQ(API::CalcDecimalPrecision(c.bits), c.decimals) << c.bits;
    }
}

TEST(SampleValueConversion, BetweenIntegerAndRealScale)
{
    EXPECT_EQ(API::CalcUintToDbl(4095, 12), 255.9375);
    EXPECT_EQ(API::CalcUintToDbl(200, 8), 200.0);
    EXPECT_EQ(API::CalcUintToDbl(7, 3), 7.0);
    EXPECT_EQ(API::CalcUintToDbl(65535, 16), 255.99609375);
    EXPECT_EQ(API::CalcUintToDbl(0xFFFFFFFF, 32), 4294967295.0 / 16777216.0);

    struct Case {
        double real;
        uint32_t bits;
        uint32_t expected;
    } const cases[] = {
        {255.9375, 12, 4095},
        {100.7, 8, 100},
        {0.99, 16, 253},
        {255.99609375, 16, 65535},
        {-1.0, 8, 0},
        {-0.5, 12, 0},
        {1e300, 16, 0xFFFFFFFF},
        {std::nan(""), 8, 0},
        {INFINITY, 8, 0xFFFFFFFF},
        {256.0, 32, 0xFFFFFFFF},
        {255.0, 32, 0xFF000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(API::CalcDblToUint(c.real, c.bits), c.expected) << c.real << " " << c.bits;
}

TEST(SampleValueConversion, BitDepthChangeRepeatsTopBitsWithShiftsModulo32)
{
    struct Case {
        uint32_t to, value, from, expected;
    } const cases[] = {
        {8, 4095, 12, 255},
        {16, 4095, 12, 65535},
        {12, 100, 12, 100},
        {12, 255, 8, 4095},              // (255 << 4) + (255 >> 4)
        {16, 0x80, 8, 0x8080},           // (0x80 << 8) + (0x80 >> 0)
        {10, 0x2AB, 12, 0xAA},           // 0x2AB >> 2
        {16, 1, 1, 0x8000},              // right shift 2 - 16 = -14, that is 18
        {12, 15, 4, 0xF00},              // right shift 8 - 12 = -4, that is 28
        {40, 3, 8, 3},                   // left shift 32 is 0; right shift 16 - 40 = -24, that is 8
        {8, 0x80000001, 40, 0x80000001}, // right shift 32 is 0
        {2, 0xFFFFFFFF, 50, 0xFFFF},     // right shift 48 is 16
    };
    for (const Case& c : cases)
        EXPECT_EQ(API::CalcConvertBpc(c.to, c.value, c.from), c.expected)
            << c.value << " from " << c.from << " to " << c.to;
}

// ---- HSI colours --------------------------------------------------------------

struct Hsi {
    uint32_t hue, saturation, intensity;
    bool operator==(const Hsi& o) const
    {
        return hue == o.hue && saturation == o.saturation && intensity == o.intensity;
    }
};
std::ostream& operator<<(std::ostream& os, const Hsi& v)
{
    return os << "(h " << v.hue << ", s " << v.saturation << ", i " << v.intensity << ")";
}

Hsi hsiOf(uint8_t r, uint8_t g, uint8_t b)
{
    uint8_t h = 0xEE, s = 0xEE, i = 0xEE;
    API::ConvertColorRGB8toHSI8(&h, &s, &i, r, g, b);
    return {h, s, i};
}

struct Rgb {
    int r, g, b;
};

Rgb rgbOf(uint8_t h, uint8_t s, uint8_t i)
{
    uint8_t r = 0xEE, g = 0xEE, b = 0xEE;
    API::ConvertColorHSI8toRGB8(&r, &g, &b, h, s, i);
    return {r, g, b};
}

TEST(HsiColors, KnownColours)
{
    struct Case {
        uint8_t r, g, b;
        Hsi expected;
    } const cases[] = {
        {100, 100, 100, {0, 0, 100}}, // gray
        {0, 0, 0, {0, 0, 0}},          {255, 255, 255, {0, 0, 255}},
        {255, 0, 0, {0, 255, 85}},   // red: angle 0
        {0, 255, 0, {85, 255, 85}},  // green: a third of a turn
        {0, 0, 255, {170, 255, 85}}, // blue: two thirds
        {255, 255, 0, {43, 255, 170}}, {200, 100, 100, {0, 64, 133}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hsiOf(c.r, c.g, c.b), c.expected)
            << int(c.r) << " " << int(c.g) << " " << int(c.b);
}

TEST(HsiColors, WithoutSaturationOrIntensityBackToGray)
{
    for (int hue : {0, 77, 255}) {
        const Rgb gray = rgbOf(uint8_t(hue), 0, 120);
        EXPECT_EQ(gray.r, 120);
        EXPECT_EQ(gray.g, 120);
        EXPECT_EQ(gray.b, 120);
        const Rgb black = rgbOf(uint8_t(hue), 200, 0);
        EXPECT_EQ(black.r + black.g + black.b, 0);
    }
}

// Back from HSI every colour comes within a few steps of where it started:
// hue and saturation are kept to 256 steps and the angle to the table's.
TEST(HsiColors, RoundTripStaysCloseAndNeverWraps)
{
    int worst = 0;
    for (int r = 0; r < 256; r += 5) {
        for (int g = 0; g < 256; g += 5) {
            for (int b = 0; b < 256; b += 5) {
                const Hsi v = hsiOf(uint8_t(r), uint8_t(g), uint8_t(b));
                const Rgb back = rgbOf(uint8_t(v.hue), uint8_t(v.saturation), uint8_t(v.intensity));
                worst = std::max(
                    {worst, std::abs(back.r - r), std::abs(back.g - g), std::abs(back.b - b)});
            }
        }
    }
    EXPECT_LE(worst, 6);
}

TEST(HsiColors, NullOutputsAreSkipped)
{
    uint8_t h = 9;
    API::ConvertColorRGB8toHSI8(&h, nullptr, nullptr, 0, 255, 0);
    EXPECT_EQ(h, 85);
    uint8_t g = 9;
    API::ConvertColorHSI8toRGB8(nullptr, &g, nullptr, 0, 0, 50);
    EXPECT_EQ(g, 50);
}

TEST(HsiColors, WithoutTheTableTheResultsAreTheSame)
{
    std::vector<Hsi> withTable;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 17)
                withTable.push_back(hsiOf(uint8_t(r), uint8_t(g), uint8_t(b)));
    LX_GnrPictureDetach();
    std::vector<Hsi> without;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 17)
                without.push_back(hsiOf(uint8_t(r), uint8_t(g), uint8_t(b)));
    LX_GnrPictureAttach();
    EXPECT_TRUE(withTable == without);
}

TEST(HsiRows, EightBitRowEqualsSingleColoursAndSkipsNullPlanes)
{
    // Pixels are stored blue, green, red.
    const std::vector<uint8_t> pixels = {100, 100, 100, 0,  0,  255, 0, 255, 0,
                                         255, 0,   0,   30, 60, 90,  7, 200, 13};
    const uint32_t count = uint32_t(pixels.size() / 3);
    std::vector<uint8_t> i(count + 1, 0xEE), s(count + 1, 0xEE), h(count + 1, 0xEE);
    API::ConvertRGB8toHSI8(i.data(), s.data(), h.data(), pixels.data(), count);
    for (uint32_t p = 0; p < count; ++p) {
        const Hsi single = hsiOf(pixels[3 * p + 2], pixels[3 * p + 1], pixels[3 * p]);
        EXPECT_EQ((Hsi{h[p], s[p], i[p]}), single) << "pixel " << p;
    }
    EXPECT_EQ(i[count], 0xEE);
    EXPECT_EQ(h[count], 0xEE);

    std::vector<uint8_t> onlyHue(count, 0xEE);
    API::ConvertRGB8toHSI8(nullptr, nullptr, onlyHue.data(), pixels.data(), count);
    EXPECT_TRUE(std::equal(onlyHue.begin(), onlyHue.end(), h.begin()));
    API::ConvertRGB8toHSI8(nullptr, nullptr, nullptr, pixels.data(), count);
    API::ConvertRGB8toHSI8(i.data(), s.data(), h.data(), nullptr, count);
}

TEST(HsiRows, SixteenBitRow)
{
    // Blue, green, red.
    const uint16_t pixels[] = {1000, 1000, 1000, 0, 0, 65535, 65535, 0, 0, 0, 65535, 0};
    uint16_t i[4], s[4], h[4];
    API::ConvertRGB16toHSI16(i, s, h, pixels, 4);
    EXPECT_EQ((Hsi{h[0], s[0], i[0]}), (Hsi{0, 0, 1000}));
    EXPECT_EQ((Hsi{h[1], s[1], i[1]}), (Hsi{0, 65535, 21845}));     // red
    EXPECT_EQ((Hsi{h[2], s[2], i[2]}), (Hsi{43690, 65535, 21845})); // blue
    EXPECT_EQ((Hsi{h[3], s[3], i[3]}), (Hsi{21845, 65535, 21845})); // green
}

// ---- Pixel colour words --------------------------------------------------------

TEST(PixelColorWords, ColourPictureStoresBlueGreenRed)
{
    std::vector<uint8_t> pic(3 * 16, 0xA5); // 4 x 4 pixels, pitch 12
    const uint32_t color = 86u | 52u << 8 | 18u << 16;
    EXPECT_EQ(API::SetColor(pic.data(), 2, 1, 3, 8, 12, color), 0);
    EXPECT_EQ(pic[12 + 6], 18);
    EXPECT_EQ(pic[12 + 7], 52);
    EXPECT_EQ(pic[12 + 8], 86);
    EXPECT_EQ(pic[12 + 5], 0xA5);
    EXPECT_EQ(pic[12 + 9], 0xA5);
    uint32_t back = 0;
    EXPECT_EQ(API::GetColor(pic.data(), 2, 1, 3, 8, 12, &back), 0);
    EXPECT_EQ(back, color);
}

TEST(PixelColorWords, GrayPictureTakesTheLowByte)
{
    std::vector<uint8_t> pic(8, 0);
    EXPECT_EQ(API::SetColor(pic.data(), 1, 1, 1, 8, 4, 0x123456), 0);
    EXPECT_EQ(pic[5], 0x56);
    uint32_t back = 0;
    EXPECT_EQ(API::GetColor(pic.data(), 1, 1, 1, 8, 4, &back), 0);
    EXPECT_EQ(back, 0x56u);
}

TEST(PixelColorWords, OtherFormatsAndMissingPointers)
{
    uint8_t pic[16] = {};
    uint32_t color = 7;
    const std::pair<uint32_t, uint32_t> formats[] = {{1, 16}, {3, 12}, {4, 8}, {2, 8}, {1, 7}};
    for (auto [comps, bits] : formats) {
        EXPECT_EQ(API::SetColor(pic, 0, 0, comps, bits, 16, 1), -2);
        EXPECT_EQ(API::GetColor(pic, 0, 0, comps, bits, 16, &color), -2);
    }
    EXPECT_EQ(API::SetColor(nullptr, 0, 0, 1, 8, 16, 1), -4);
    EXPECT_EQ(API::GetColor(nullptr, 0, 0, 1, 8, 16, &color), -4);
    EXPECT_EQ(API::GetColor(pic, 0, 0, 1, 8, 16, nullptr), -4);
    EXPECT_EQ(color, 7u);
}

// ---- Lines ------------------------------------------------------------------

constexpr uint8_t kMarker = 0xA5;
constexpr uint32_t kInk = 0x00302010; // red 0x10, green 0x20, blue 0x30

// A picture of 1 or 3 components with two padding bytes a line (marked) and
// a marked tail; every pixel starts black.
class Canvas
{
  public:
    Canvas(uint32_t width, uint32_t height, uint32_t comps = 1)
        : m_width(width), m_height(height), m_comps(comps), m_pitch(width * comps + 2),
          m_mem(size_t(m_pitch) * height + 16, kMarker)
    {
        for (uint32_t y = 0; y < height; ++y)
            std::fill_n(m_mem.begin() + size_t(y) * m_pitch, width * comps, 0);
    }

    int draw(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t connectivity = 8)
    {
        return API::Line(m_mem.data(), m_comps, 8, m_pitch, m_width, m_width * m_height, x1, y1, x2,
                         y2, connectivity, kInk);
    }

    // The pixels drawn, checked to hold exactly the ink.
    std::set<std::pair<int, int>> painted() const
    {
        std::set<std::pair<int, int>> result;
        for (uint32_t y = 0; y < m_height; ++y) {
            for (uint32_t x = 0; x < m_width; ++x) {
                const uint8_t* p = m_mem.data() + size_t(y) * m_pitch + x * m_comps;
                if (p[0] == 0 && (m_comps == 1 || (p[1] == 0 && p[2] == 0)))
                    continue;
                if (m_comps == 1)
                    EXPECT_EQ(p[0], 0x10) << x << "," << y;
                else
                    EXPECT_TRUE(p[0] == 0x30 && p[1] == 0x20 && p[2] == 0x10) << x << "," << y;
                result.insert({int(x), int(y)});
            }
        }
        return result;
    }

    bool marksIntact() const
    {
        for (uint32_t y = 0; y < m_height; ++y)
            for (uint32_t b = m_width * m_comps; b < m_pitch; ++b)
                if (m_mem[size_t(y) * m_pitch + b] != kMarker)
                    return false;
        for (size_t i = size_t(m_pitch) * m_height; i < m_mem.size(); ++i)
            if (m_mem[i] != kMarker)
                return false;
        return true;
    }

  private:
    uint32_t m_width, m_height, m_comps, m_pitch;
    std::vector<uint8_t> m_mem;
};

using Pixels = std::set<std::pair<int, int>>;

TEST(LineDrawing, ExplicitLines)
{
    struct Case {
        const char* what;
        int32_t x1, y1, x2, y2;
        uint32_t connectivity;
        Pixels expected;
    } const cases[] = {
        {"outside on the left", -10, 5, -1, 20, 8, {}},
        {"above", 0, -1, 9, -5, 8, {}},
        {"single pixel", 3, 4, 3, 4, 8, {{3, 4}}},
        {"shallow, 8-connected", 0, 0, 4, 2, 8, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {"shallow, 4-connected",
         0,
         0,
         4,
         2,
         4,
         {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {3, 1}, {3, 2}, {4, 2}}},
        {"steep, 8-connected", 0, 0, 2, 4, 8, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}},
        {"steep, 4-connected",
         0,
         0,
         2,
         4,
         4,
         {{0, 0}, {0, 1}, {1, 1}, {1, 2}, {1, 3}, {2, 3}, {2, 4}}},
        {"drawn backwards", 4, 2, 0, 0, 8, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {"vertical, clipped", 2, -3, 2, 1, 8, {{2, 0}, {2, 1}}},
        {"diagonal through a corner", -2, -2, 1, 1, 8, {{0, 0}, {1, 1}}},
    };
    for (const Case& c : cases) {
        Canvas canvas(10, 8);
        EXPECT_EQ(canvas.draw(c.x1, c.y1, c.x2, c.y2, c.connectivity), 0) << c.what;
        EXPECT_EQ(canvas.painted(), c.expected) << c.what;
        EXPECT_TRUE(canvas.marksIntact()) << c.what;
    }
}

TEST(LineDrawing, HorizontalLineAcrossTheWholeWidth)
{
    Canvas canvas(10, 3, 3);
    EXPECT_EQ(canvas.draw(0, 0, 9, 0), 0);
    EXPECT_EQ(canvas.painted().size(), 10u);
    Canvas clipped(10, 3, 3);
    EXPECT_EQ(clipped.draw(-50, 2, 70, 2), 0);
    EXPECT_EQ(clipped.painted().size(), 10u);
    EXPECT_TRUE(clipped.marksIntact());
}

// Lines from far outside, at every slope: whatever is drawn lies in the
// picture, is one connected path of the promised kind, and comes near the
// ideal line.
TEST(LineDrawing, ClippedLinesStayInsideAndConnected)
{
    const int32_t ends[][4] = {
        {-30, -7, 40, 19},
        {25, -10, -4, 30},
        {-100, 3, 200, 5},
        {5, 100, 6, -100},
        {-5, 12, 14, -3},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {INT32_MAX, 0, INT32_MIN, 11},
        {0, 0, 11, 1},
        {11, 0, 0, 8},
        {1, 8, 8, 1},
    };
    for (const auto& e : ends) {
        for (uint32_t connectivity : {8u, 4u}) {
            Canvas canvas(12, 9);
            ASSERT_EQ(canvas.draw(e[0], e[1], e[2], e[3], connectivity), 0);
            EXPECT_TRUE(canvas.marksIntact());
            const Pixels drawn = canvas.painted();
            if (drawn.empty())
                continue;
            // Flood fill from one pixel through the allowed neighbours.
            Pixels reached{*drawn.begin()};
            std::vector<std::pair<int, int>> todo{*drawn.begin()};
            while (!todo.empty()) {
                const auto [x, y] = todo.back();
                todo.pop_back();
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (connectivity == 4 && dx != 0 && dy != 0)
                            continue;
                        const std::pair<int, int> n{x + dx, y + dy};
                        if (drawn.count(n) && reached.insert(n).second)
                            todo.push_back(n);
                    }
                }
            }
            EXPECT_EQ(reached.size(), drawn.size()) << e[0] << "," << e[1] << " to " << e[2] << ","
                                                    << e[3] << " (" << connectivity << ")";
        }
    }
}

TEST(LineDrawing, ColourPictureGetsTheColourWord)
{
    Canvas canvas(6, 6, 3);
    EXPECT_EQ(canvas.draw(0, 5, 5, 0), 0);
    EXPECT_EQ(canvas.painted().size(), 6u); // painted() checks blue, green, red
    EXPECT_TRUE(canvas.marksIntact());
}

TEST(LineDrawing, RefusedFormatsAndEmptyPictures)
{
    uint8_t pic[64] = {};
    EXPECT_EQ(API::Line(pic, 1, 16, 16, 4, 16, 0, 0, 3, 3, 8, 1), -2);
    EXPECT_EQ(API::Line(pic, 4, 8, 16, 4, 16, 0, 0, 3, 3, 8, 1), -2);
    EXPECT_EQ(API::Line(pic, 1, 12, 16, 4, 16, 0, 0, 3, 3, 8, 1), -2);
    EXPECT_EQ(API::Line(nullptr, 1, 8, 16, 4, 16, 0, 0, 3, 3, 8, 1), -4);
    EXPECT_EQ(API::Line(pic, 1, 8, 16, 0, 16, 0, 0, 3, 3, 8, 1), 0);
    EXPECT_EQ(API::Line(pic, 1, 8, 16, 4, 3, 0, 0, 3, 3, 8, 1), 0); // not one line
    for (uint8_t b : pic)
        ASSERT_EQ(b, 0);
}

} // namespace

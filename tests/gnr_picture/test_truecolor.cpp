// ConvertToTrueColor: which way each source format and table takes, and
// what it refuses, on windows with padded lines and marker bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/kernel_test_support.h"

namespace
{

using kerneltest::lutEntry;
using kerneltest::LutShape;
using kerneltest::TestPicture;

// The samples of one source pixel.
using Samples = std::vector<uint32_t>;
struct Bgr {
    uint32_t c[3];
};

// What a case expects of one pixel (unused for refused calls).
using Expect = Bgr (*)(const Samples&);

Bgr gray(uint32_t v)
{
    return {{v, v, v}};
}
uint32_t screen(uint32_t a, uint32_t b)
{
    return a + b - a * b / 255;
}

Bgr grayOf8(const Samples& s)
{
    return gray(s[0]);
}
Bgr grayOf12(const Samples& s)
{
    return gray(s[0] >> 4);
}
Bgr copied(const Samples& s)
{
    return {{s[0], s[1], s[2]}};
}
Bgr shiftedFrom16(const Samples& s)
{
    return {{s[0] >> 8, s[1] >> 8, s[2] >> 8}};
}
Bgr black(const Samples&)
{
    return gray(0);
}
// Component 1 through a flat table, in all three channels.
Bgr secondThroughFlat(const Samples& s)
{
    return gray(lutEntry(0, s[1], 0, 8));
}
// Component 2 through its own table of colours.
Bgr thirdThroughItsTable(const Samples& s)
{
    return {{lutEntry(2, s[2], 0, 8), lutEntry(2, s[2], 1, 8), lutEntry(2, s[2], 2, 8)}};
}
// The value through a row table of colours.
Bgr valueThroughRows(const Samples& s)
{
    return {{lutEntry(0, s[0], 0, 8), lutEntry(0, s[0], 1, 8), lutEntry(0, s[0], 2, 8)}};
}
// Components 0 and 2 through their tables, screen-combined.
Bgr firstAndThirdCombined(const Samples& s)
{
    Bgr out;
    for (uint32_t ch = 0; ch < 3; ++ch)
        out.c[ch] = screen(lutEntry(2, s[2], ch, 8), screen(lutEntry(0, s[0], ch, 8), 0));
    return out;
}
// Every component through one flat table.
Bgr eachThroughFlat(const Samples& s)
{
    return {{lutEntry(0, s[0], 0, 8), lutEntry(0, s[1], 0, 8), lutEntry(0, s[2], 0, 8)}};
}
// Component c through component c of one row table.
Bgr eachThroughRows(const Samples& s)
{
    return {{lutEntry(0, s[0], 0, 8), lutEntry(0, s[1], 1, 8), lutEntry(0, s[2], 2, 8)}};
}

constexpr LutShape kNoTable{0, 0, 0, 0};

struct TrueColorCase {
    const char* name;
    uint32_t comps;
    uint32_t bits;
    LutShape lut; // lutCount 0: no table
    uint64_t mask;
    int result;
    Expect expect;
};

class TrueColor : public ::testing::TestWithParam<TrueColorCase>
{
  protected:
    ~TrueColor() override { SLxLut::Free(&lut); }
    SLxLut lut;
};

TEST_P(TrueColor, ChoosesItsWay)
{
    const TrueColorCase& tc = GetParam();
    const SLxLut* table = nullptr;
    if (tc.lut.lutCount) {
        kerneltest::buildLut(lut, tc.lut);
        lut.uiCompMask = tc.mask;
        table = &lut;
    }
    std::mt19937 rng(7);
    for (const auto& [width, lines, pad] : {std::tuple{1u, 1u, 0u}, std::tuple{7u, 3u, 3u}}) {
        const uint32_t bytes = tc.bits <= 8 ? 1 : 2;
        TestPicture src({tc.comps ? tc.comps : 1, bytes}, width, lines, pad + 2);
        src.fill(rng, std::min(tc.bits, 16u));
        TestPicture dst({3, 1}, width, lines, pad);
        TestPicture expected = dst;
        if (tc.result == 0) {
            for (uint32_t y = 0; y < lines; ++y) {
                for (uint32_t x = 0; x < width; ++x) {
                    Samples s;
                    for (uint32_t k = 0; k < src.comps(); ++k)
                        s.push_back(src.get(x, y, k));
                    const Bgr want = tc.expect(s);
                    for (uint32_t ch = 0; ch < 3; ++ch)
                        expected.put(x, y, ch, want.c[ch]);
                }
            }
        }
        EXPECT_EQ(CLxPicMemAPI::ConvertToTrueColor(dst.data(), dst.pitch(), src.data(), tc.comps,
                                                   tc.bits, src.pitch(), width, width * lines,
                                                   table),
                  tc.result)
            << width << "x" << lines;
        EXPECT_EQ(dst.bytes(), expected.bytes()) << width << "x" << lines;
    }
}

const TrueColorCase kCases[] = {
    // Without a table.
    {"gray8", 1, 8, kNoTable, 0, 0, grayOf8},
    {"gray12_shifted", 1, 12, kNoTable, 0, 0, grayOf12},
    {"colour8_copied", 3, 8, kNoTable, 0, 0, copied},
    {"colour16_shifted", 3, 16, kNoTable, 0, 0, shiftedFrom16},
    {"two_components_refused", 2, 8, kNoTable, 0, -4, nullptr},
    {"four_components_refused", 4, 8, kNoTable, 0, -4, nullptr},
    {"gray6_refused", 1, 6, kNoTable, 0, -4, nullptr},
    {"gray20_refused", 1, 20, kNoTable, 0, -4, nullptr},
    // With a table.
    {"table_to_16_bits_refused", 1, 8, {8, 1, 16, 3}, 1, -4, nullptr},
    {"nothing_shown_is_black", 3, 12, {12, 3, 8, 3}, 0b1000, 0, black},
    {"one_shown_through_flat", 3, 8, {8, 1, 8, 1}, 0b010, 0, secondThroughFlat},
    {"one_shown_through_its_table", 3, 12, {12, 3, 8, 3}, 0b100, 0, thirdThroughItsTable},
    {"gray_through_colours", 1, 12, {12, 1, 8, 3}, 1, 0, valueThroughRows},
    {"two_shown_combined", 3, 8, {8, 3, 8, 3}, 0b101, 0, firstAndThirdCombined},
    {"colour8_through_flat", 3, 8, {8, 1, 8, 1}, 0b111, 0, eachThroughFlat},
    {"colour8_through_rows", 3, 8, {8, 1, 8, 3}, 0b011, 0, eachThroughRows},
    {"colour12_through_rows", 3, 12, {12, 1, 8, 3}, 0b110, 0, eachThroughRows},
    {"one_table_for_two_refused", 2, 8, {8, 1, 8, 1}, 0b11, -4, nullptr},
    {"one_table_for_four_refused", 4, 8, {8, 1, 8, 4}, 0b1111, -4, nullptr},
    {"no_components_refused", 0, 8, {8, 1, 8, 3}, 1, -4, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Ways, TrueColor, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrueColorWindow, AnEmptyWindowIsSuccessWithoutLookingFurther)
{
    EXPECT_EQ(CLxPicMemAPI::ConvertToTrueColor(nullptr, 0, nullptr, 2, 99, 0, 0, 5, nullptr), 0);
    EXPECT_EQ(CLxPicMemAPI::ConvertToTrueColor(nullptr, 0, nullptr, 2, 99, 0, 5, 0, nullptr), 0);
}

TEST(TrueColorWindow, MarksOverExposedColourPixelsOfAnEightBitPicture)
{
    SLxLut lut;
    ASSERT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
    for (uint32_t v = 0; v < 256; ++v)
        for (uint32_t k = 0; k < 3; ++k)
            static_cast<uint8_t**>(lut.pTable)[v][k] = uint8_t(v / 2);
    lut.uiCompMask = 0b111;
    const uint32_t colour = 0x00030201;
    ASSERT_EQ(SLxLut::SetOverExpColor(&lut, &colour), 0);
    const uint8_t px[6] = {10, 20, 30, 255, 0, 0};
    uint8_t out[6] = {};
    EXPECT_EQ(CLxPicMemAPI::ConvertToTrueColor(out, 6, px, 3, 8, 6, 2, 2, &lut), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{5, 10, 15, 3, 2, 1}));
    SLxLut::Free(&lut);
}

} // namespace

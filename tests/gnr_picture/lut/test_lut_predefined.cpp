// The predefined palettes: the list, its names and the tables built from it.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "gnr_system/intl/LxLocale.h"
#include "gnr_system/string/LxString.h"
#include "lut_test_support.h"
#include "test_support.h"

using luttest::Table;

namespace
{

const char* const kNames[16] = {"Default",         "Rainbow",   "Iron",        "Green Fire",
                                "Green Fire Blue", "Red Fire",  "Red Hot",     "Magenta Hot",
                                "Brown",           "Lemon Hot", "Yellow Pale", "Rainbow Contrast",
                                "Rainbow Dark",    "Red",       "Green",       "Blue"};

// A gettext catalog (little-endian, no hash table) named by its header,
// translating one key.
std::vector<uint8_t> catalogOf(const std::string& name, const std::string& key,
                               const std::string& text)
{
    const std::pair<std::string, std::string> entries[2] = {
        {"", "Project-Id-Version: " + name + "\nContent-Type: text/plain; charset=UTF-8\n"},
        {key, text}}; // sorted by key
    std::vector<uint8_t> out;
    const auto word = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    const uint32_t keys = 28, texts = keys + 16, strings = texts + 16;
    for (uint32_t w : {0x950412deu, 0u, 2u, keys, texts, 0u, strings})
        word(w);
    uint32_t at = strings;
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& e : entries) {
            const std::string& s = pass ? e.second : e.first;
            word(uint32_t(s.size()));
            word(at);
            at += uint32_t(s.size()) + 1;
        }
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& e : entries) {
            const std::string& s = pass ? e.second : e.first;
            out.insert(out.end(), s.begin(), s.end());
            out.push_back(0);
        }
    return out;
}

class PredefLut : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(SLxLut::InitPredefLuts(), 0); }

    // Colour i of palette id as R, G, B, read back from an 8-bit table
    // (whose entries are B, G, R).
    static std::array<uint32_t, 3> colour(ELxPredefLut id, uint32_t i)
    {
        Table t(8, 1, 8, 3);
        EXPECT_EQ(SLxLut::CreatePredefLutEx(&t.lut, id), 0);
        return {t.at(0, i, 2), t.at(0, i, 1), t.at(0, i, 0)};
    }
};

using Rgb = std::array<uint32_t, 3>;

TEST_F(PredefLut, SixteenEntriesInIdOrderWithTheirNames)
{
    EXPECT_EQ(SLxLut::GetPredefLutsCount(), 16u);
    for (uint32_t i = 0; i < 16; ++i) {
        CLxStringW name;
        ASSERT_EQ(SLxLut::GetPredefLutDescr(name, i), 0);
        EXPECT_EQ(U8(name.GetString()), kNames[i]);
    }
}

TEST_F(PredefLut, FillingAgainDoesNotListThemTwice)
{
    ASSERT_EQ(SLxLut::InitPredefLuts(), 0);
    EXPECT_EQ(SLxLut::GetPredefLutsCount(), 16u);
}

TEST_F(PredefLut, PositionsOutsideTheListAreRefused)
{
    CLxStringW name(u"stale");
    EXPECT_EQ(SLxLut::GetPredefLutDescr(name, 16), -4);
    EXPECT_TRUE(name.IsEmpty());
    Table t(8, 1, 8, 3);
    EXPECT_EQ(SLxLut::CreatePredefLut(&t.lut, 16), -4);
    EXPECT_EQ(SLxLut::CreatePredefLut(&t.lut, 0xFFFFFFFF), -4);
    EXPECT_TRUE(t.untouched());
    EXPECT_EQ(SLxLut::CreatePredefLutEx(&t.lut, ELxPredefLut(99)), -9);
}

TEST_F(PredefLut, OnlyEightBitColourTablesAreFilled)
{
    Table words(8, 1, 16, 3);
    Table grey(8, 1, 8, 1);
    Table tables(8, 3, 8, 3);
    for (Table* t : {&words, &grey, &tables}) {
        EXPECT_EQ(SLxLut::CreatePredefLut(&t->lut, 1), -4);
        EXPECT_EQ(SLxLut::CreatePredefLutEx(&t->lut, eLxPredefLutIron), -4);
        EXPECT_TRUE(t->untouched());
    }
    EXPECT_EQ(SLxLut::CreatePredefLut(nullptr, 1), -4);
}

TEST_F(PredefLut, PrimariesAreBlackAtBothEnds)
{
    const struct {
        ELxPredefLut id;
        Rgb inside;
    } cases[] = {{eLxPredefLutRed, {255, 0, 0}},
                 {eLxPredefLutGreen, {0, 255, 0}},
                 {eLxPredefLutBlue, {0, 0, 255}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(kNames[c.id]);
        Table t(8, 1, 8, 3);
        ASSERT_EQ(SLxLut::CreatePredefLut(&t.lut, c.id), 0);
        for (uint32_t i = 0; i < 256; ++i) {
            const Rgb expected = i == 0 || i == 255 ? Rgb{0, 0, 0} : c.inside;
            ASSERT_EQ((Rgb{t.at(0, i, 2), t.at(0, i, 1), t.at(0, i, 0)}), expected) << i;
        }
    }
}

TEST_F(PredefLut, DefaultIsTheGreyRampSampledEvenly)
{
    // p = i x 256 / n: 12 bits repeat each colour 16 times, 4 bits take
    // every 16th, 16 bits repeat each 256 times.
    for (uint8_t bits : {8, 12, 4, 16}) {
        SCOPED_TRACE(int(bits));
        Table t(bits, 1, 8, 3);
        ASSERT_EQ(SLxLut::CreatePredefLut(&t.lut, eLxPredefLutDefault), 0);
        for (uint32_t i = 0; i < t.entries(); ++i) {
            const uint32_t p = uint32_t(uint64_t(i) * 256 / t.entries());
            for (uint32_t k = 0; k < 3; ++k)
                ASSERT_EQ(t.at(0, i, k), p) << i;
        }
    }
}

TEST_F(PredefLut, DeepTablesRepeatThePaletteColours)
{
    Table t16(16, 1, 8, 3);
    Table t8(8, 1, 8, 3);
    ASSERT_EQ(SLxLut::CreatePredefLutEx(&t16.lut, eLxPredefLutRainbow), 0);
    ASSERT_EQ(SLxLut::CreatePredefLutEx(&t8.lut, eLxPredefLutRainbow), 0);
    for (uint32_t k = 0; k < 256; k += 17)
        for (uint32_t j : {0u, 100u, 255u})
            for (uint32_t c = 0; c < 3; ++c)
                ASSERT_EQ(t16.at(0, 256 * k + j, c), t8.at(0, k, c)) << k << " " << j;
}

TEST_F(PredefLut, RainbowDarkFadesInToRainbowColourTwenty)
{
    const Rgb twenty{63, 27, 174};
    EXPECT_EQ(colour(eLxPredefLutRainbow, 20), twenty);
    EXPECT_EQ(colour(eLxPredefLutRainbowDark, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(colour(eLxPredefLutRainbowDark, 20), twenty);
    for (uint32_t j = 1; j < 20; ++j)
        EXPECT_EQ(colour(eLxPredefLutRainbowDark, j),
                  (Rgb{twenty[0] * j / 20, twenty[1] * j / 20, twenty[2] * j / 20}))
            << j;
    for (uint32_t i = 20; i < 256; i += 7)
        EXPECT_EQ(colour(eLxPredefLutRainbowDark, i), colour(eLxPredefLutRainbow, i)) << i;
}

// The colours every fixed palette passes through.
TEST_F(PredefLut, FixedPalettesPassThroughTheirSampleColours)
{
    const uint32_t at[9] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
    const struct {
        ELxPredefLut id;
        Rgb samples[9];
    } palettes[] = {
        {eLxPredefLutRainbow,
         {{99, 5, 150},
          {40, 49, 180},
          {1, 129, 156},
          {17, 192, 92},
          {74, 210, 34},
          {138, 192, 4},
          {193, 155, 2},
          {234, 108, 24},
          {255, 59, 67}}},
        {eLxPredefLutIron,
         {{40, 0, 0},
          {85, 0, 0},
          {130, 0, 0},
          {170, 0, 0},
          {208, 15, 0},
          {229, 76, 0},
          {241, 136, 0},
          {248, 196, 29},
          {255, 255, 255}}},
        {eLxPredefLutGreenFire,
         {{0, 0, 0},
          {0, 76, 76},
          {0, 153, 153},
          {0, 204, 76},
          {0, 255, 0},
          {127, 255, 0},
          {255, 255, 0},
          {255, 255, 127},
          {255, 255, 255}}},
        {eLxPredefLutGreenFireBlue,
         {{0, 0, 0},
          {0, 42, 85},
          {0, 85, 170},
          {0, 170, 85},
          {0, 255, 0},
          {127, 255, 0},
          {255, 255, 0},
          {255, 255, 127},
          {255, 255, 255}}},
        {eLxPredefLutRedFire,
         {{0, 0, 31},
          {49, 0, 165},
          {146, 0, 210},
          {195, 0, 93},
          {240, 79, 0},
          {255, 147, 0},
          {255, 205, 0},
          {255, 255, 98},
          {255, 255, 255}}},
        {eLxPredefLutRedHot,
         {{0, 0, 0},
          {78, 0, 0},
          {181, 0, 0},
          {255, 29, 0},
          {255, 133, 0},
          {255, 236, 0},
          {255, 255, 84},
          {255, 255, 187},
          {255, 255, 255}}},
        {eLxPredefLutMagentaHot,
         {{0, 0, 0},
          {51, 0, 51},
          {102, 0, 102},
          {178, 0, 178},
          {255, 0, 255},
          {255, 51, 255},
          {255, 102, 255},
          {255, 178, 255},
          {255, 255, 255}}},
        {eLxPredefLutBrown,
         {{9, 2, 2},
          {97, 32, 1},
          {142, 60, 1},
          {167, 81, 1},
          {188, 101, 13},
          {204, 117, 26},
          {221, 132, 40},
          {238, 152, 68},
          {253, 246, 238}}},
        {eLxPredefLutLemonHot,
         {{0, 0, 0},
          {95, 65, 0},
          {191, 131, 0},
          {255, 185, 0},
          {255, 215, 0},
          {255, 245, 0},
          {255, 255, 65},
          {255, 255, 161},
          {255, 255, 255}}},
        {eLxPredefLutYellowPale,
         {{0, 0, 0},
          {63, 63, 25},
          {127, 127, 51},
          {191, 191, 76},
          {255, 255, 102},
          {255, 255, 127},
          {255, 255, 153},
          {255, 255, 178},
          {255, 255, 204}}},
        {eLxPredefLutRainbowContrast,
         {{0, 0, 255},
          {0, 188, 255},
          {0, 255, 207},
          {0, 255, 37},
          {175, 255, 0},
          {255, 231, 0},
          {255, 96, 17},
          {255, 44, 137},
          {255, 63, 255}}},
    };
    for (const auto& p : palettes) {
        SCOPED_TRACE(kNames[p.id]);
        for (int s = 0; s < 9; ++s)
            EXPECT_EQ(colour(p.id, at[s]), p.samples[s]) << at[s];
    }
}

TEST_F(PredefLut, ColoursBetweenSamplesLieOnTheStraightLine)
{
    // Iron red from 40 at 0 to 85 at 32: 62.5 at 16 rounds to 63.
    EXPECT_EQ(colour(eLxPredefLutIron, 16), (Rgb{63, 0, 0}));
    // Rainbow contrast green from 188 at 32 down to 255 at 64 and back.
    EXPECT_EQ(colour(eLxPredefLutRainbowContrast, 48), (Rgb{0, 222, 231}));
}

TEST_F(PredefLut, NamesAreTranslatedWhenTheListIsFilled)
{
    const std::vector<uint8_t> catalog =
        catalogOf("qvx\\gnr_picture\\lut", "Rainbow", "Arc-en-ciel");
    ASSERT_TRUE(CLxLocale::AddCatalog(catalog.data(), catalog.size(), nullptr, -1));
    ASSERT_EQ(SLxLut::InitPredefLuts(), 0);
    CLxStringW name;
    ASSERT_EQ(SLxLut::GetPredefLutDescr(name, eLxPredefLutRainbow), 0);
    EXPECT_EQ(U8(name.GetString()), "Arc-en-ciel");

    // Translated once: removing the catalog leaves the name until the list
    // is filled again.
    CLxLocale::RemoveCatalog("qvx\\gnr_picture\\lut");
    ASSERT_EQ(SLxLut::GetPredefLutDescr(name, eLxPredefLutRainbow), 0);
    EXPECT_EQ(U8(name.GetString()), "Arc-en-ciel");
    ASSERT_EQ(SLxLut::InitPredefLuts(), 0);
    ASSERT_EQ(SLxLut::GetPredefLutDescr(name, eLxPredefLutRainbow), 0);
    EXPECT_EQ(U8(name.GetString()), "Rainbow");
}

TEST(CustomLut, TakesACopyOfThePalette)
{
    uint8_t rgb[768] = {};
    EXPECT_EQ(SLxLut::SetCustomLut(rgb), 0);
    EXPECT_EQ(SLxLut::SetCustomLut(nullptr), -4);
}

} // namespace

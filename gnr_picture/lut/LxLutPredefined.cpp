// The predefined palettes: sixteen named 256-colour false-colour tables and
// the tables built from them.
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/lut/LxLutAccess.h"
#include "gnr_system/intl/LxLocale.h"
#include "gnr_system/string/LxString.h"

namespace
{

constexpr char kDomain[] = "qvx\\gnr_picture\\lut\\SLxLut";

// 256 colours, R, G, B each.
using Palette = std::array<uint8_t, 768>;

// A palette given by colours at some indexes (knots): the colours between
// two knots lie on the straight line between them, rounded to the nearest
// value. The first knot is at 0 and the last at 255.
struct Knot {
    uint8_t index;
    uint8_t rgb[3];
};

Palette interpolate(const Knot* knots, size_t count)
{
    Palette p{};
    for (size_t k = 0; k + 1 < count; ++k) {
        const Knot &a = knots[k], &b = knots[k + 1];
        for (int i = a.index; i <= b.index; ++i)
            for (int c = 0; c < 3; ++c)
                p[3 * i + c] = uint8_t(std::lround(
                    a.rgb[c] + double(b.rgb[c] - a.rgb[c]) * (i - a.index) / (b.index - a.index)));
    }
    return p;
}

// The gradients, known by their colours every 32 entries and at 255.
// Rainbow is also known at 20, the colour its dark variant fades in to.
const Knot kRainbow[] = {{0, {99, 5, 150}},    {20, {63, 27, 174}},  {32, {40, 49, 180}},
                         {64, {1, 129, 156}},  {96, {17, 192, 92}},  {128, {74, 210, 34}},
                         {160, {138, 192, 4}}, {192, {193, 155, 2}}, {224, {234, 108, 24}},
                         {255, {255, 59, 67}}};
const Knot kIron[] = {{0, {40, 0, 0}},      {32, {85, 0, 0}},      {64, {130, 0, 0}},
                      {96, {170, 0, 0}},    {128, {208, 15, 0}},   {160, {229, 76, 0}},
                      {192, {241, 136, 0}}, {224, {248, 196, 29}}, {255, {255, 255, 255}}};
const Knot kGreenFire[] = {{0, {0, 0, 0}},       {32, {0, 76, 76}},      {64, {0, 153, 153}},
                           {96, {0, 204, 76}},   {128, {0, 255, 0}},     {160, {127, 255, 0}},
                           {192, {255, 255, 0}}, {224, {255, 255, 127}}, {255, {255, 255, 255}}};
const Knot kGreenFireBlue[] = {
    {0, {0, 0, 0}},       {32, {0, 42, 85}},      {64, {0, 85, 170}},
    {96, {0, 170, 85}},   {128, {0, 255, 0}},     {160, {127, 255, 0}},
    {192, {255, 255, 0}}, {224, {255, 255, 127}}, {255, {255, 255, 255}}};
const Knot kRedFire[] = {{0, {0, 0, 31}},      {32, {49, 0, 165}},    {64, {146, 0, 210}},
                         {96, {195, 0, 93}},   {128, {240, 79, 0}},   {160, {255, 147, 0}},
                         {192, {255, 205, 0}}, {224, {255, 255, 98}}, {255, {255, 255, 255}}};
const Knot kRedHot[] = {{0, {0, 0, 0}},        {32, {78, 0, 0}},       {64, {181, 0, 0}},
                        {96, {255, 29, 0}},    {128, {255, 133, 0}},   {160, {255, 236, 0}},
                        {192, {255, 255, 84}}, {224, {255, 255, 187}}, {255, {255, 255, 255}}};
const Knot kMagentaHot[] = {{0, {0, 0, 0}},         {32, {51, 0, 51}},      {64, {102, 0, 102}},
                            {96, {178, 0, 178}},    {128, {255, 0, 255}},   {160, {255, 51, 255}},
                            {192, {255, 102, 255}}, {224, {255, 178, 255}}, {255, {255, 255, 255}}};
const Knot kBrown[] = {{0, {9, 2, 2}},        {32, {97, 32, 1}},     {64, {142, 60, 1}},
                       {96, {167, 81, 1}},    {128, {188, 101, 13}}, {160, {204, 117, 26}},
                       {192, {221, 132, 40}}, {224, {238, 152, 68}}, {255, {253, 246, 238}}};
const Knot kLemonHot[] = {{0, {0, 0, 0}},        {32, {95, 65, 0}},      {64, {191, 131, 0}},
                          {96, {255, 185, 0}},   {128, {255, 215, 0}},   {160, {255, 245, 0}},
                          {192, {255, 255, 65}}, {224, {255, 255, 161}}, {255, {255, 255, 255}}};
const Knot kYellowPale[] = {{0, {0, 0, 0}},         {32, {63, 63, 25}},     {64, {127, 127, 51}},
                            {96, {191, 191, 76}},   {128, {255, 255, 102}}, {160, {255, 255, 127}},
                            {192, {255, 255, 153}}, {224, {255, 255, 178}}, {255, {255, 255, 204}}};
const Knot kRainbowContrast[] = {
    {0, {0, 0, 255}},     {32, {0, 188, 255}},   {64, {0, 255, 207}},
    {96, {0, 255, 37}},   {128, {175, 255, 0}},  {160, {255, 231, 0}},
    {192, {255, 96, 17}}, {224, {255, 44, 137}}, {255, {255, 63, 255}}};

template <size_t N> Palette interpolate(const Knot (&knots)[N])
{
    return interpolate(knots, N);
}

Palette greyRamp()
{
    Palette p{};
    for (int i = 0; i < 256; ++i)
        p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = uint8_t(i);
    return p;
}

// Rainbow faded in from black over its first 20 colours.
Palette rainbowDark(const Palette& rainbow)
{
    Palette p = rainbow;
    for (int j = 0; j < 20; ++j)
        for (int c = 0; c < 3; ++c)
            p[3 * j + c] = uint8_t(rainbow[3 * 20 + c] * j / 20);
    return p;
}

// One primary everywhere but the ends, which stay black.
Palette primary(int channel)
{
    Palette p{};
    for (int i = 1; i < 255; ++i)
        p[3 * i + channel] = 255;
    return p;
}

// Palettes in id order, built once on first use.
const std::array<Palette, eLxPredefLutCount>& palettes()
{
    static const std::array<Palette, eLxPredefLutCount> all = [] {
        const Palette rainbow = interpolate(kRainbow);
        return std::array<Palette, eLxPredefLutCount>{
            greyRamp(),
            rainbow,
            interpolate(kIron),
            interpolate(kGreenFire),
            interpolate(kGreenFireBlue),
            interpolate(kRedFire),
            interpolate(kRedHot),
            interpolate(kMagentaHot),
            interpolate(kBrown),
            interpolate(kLemonHot),
            interpolate(kYellowPale),
            interpolate(kRainbowContrast),
            rainbowDark(rainbow),
            primary(0),
            primary(1),
            primary(2),
        };
    }();
    return all;
}

// The translation keys, in id order.
const char16_t* const kNames[eLxPredefLutCount] = {
    u"Default",         u"Rainbow",   u"Iron",        u"Green Fire",
    u"Green Fire Blue", u"Red Fire",  u"Red Hot",     u"Magenta Hot",
    u"Brown",           u"Lemon Hot", u"Yellow Pale", u"Rainbow Contrast",
    u"Rainbow Dark",    u"Red",       u"Green",       u"Blue"};

Palette& customPalette()
{
    static Palette custom = greyRamp();
    return custom;
}

// The lut must be one table of 3 components of 8 bits.
int fillFromPalette(SLxLut* lut, const uint8_t* palette)
{
    if (!lut || !lut->pTable || lut->uiLutCount != 1 || lut->uiDstComps != 3 || lut->uiDstBits != 8)
        return -4;
    if (!palette)
        return -9;
    const uint32_t n = lxlut::entryCount(*lut);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t p = uint32_t(uint64_t(i) * 256 / n);
        uint8_t* row = lxlut::rowOf(*lut, 0, i);
        row[0] = palette[3 * p + 2];
        row[1] = palette[3 * p + 1];
        row[2] = palette[3 * p];
    }
    return 0;
}

} // namespace

struct SLxLut::SLxPredefLut {
    CLxStringW name; // translated
    ELxPredefLut id;
    const uint8_t* palette; // 256 x R, G, B
};

namespace
{

// Made on first use (after the string library's own start-up) and released
// at exit.
std::vector<SLxLut::SLxPredefLut>& predefList()
{
    static std::vector<SLxLut::SLxPredefLut> list;
    return list;
}

} // namespace

int SLxLut::InitPredefLuts()
{
    // Filled anew rather than appended to: a second call must not list
    // every palette twice.
    std::vector<SLxPredefLut>& list = predefList();
    list.clear();
    const auto& all = palettes();
    for (uint32_t id = 0; id < eLxPredefLutCount; ++id)
        list.push_back(
            {CLxStringW(LX_GetTranslation(kNames[id], kDomain)), ELxPredefLut(id), all[id].data()});
    return 0;
}

uint32_t SLxLut::GetPredefLutsCount()
{
    return uint32_t(predefList().size());
}

int SLxLut::GetPredefLutDescr(CLxStringW& name, uint32_t index)
{
    const std::vector<SLxPredefLut>& list = predefList();
    if (index >= list.size()) {
        name.Empty();
        return -4;
    }
    name = list[index].name;
    return 0;
}

int SLxLut::CreatePredefLut(SLxLut* lut, uint32_t index)
{
    const std::vector<SLxPredefLut>& list = predefList();
    if (index >= list.size())
        return -4;
    return fillFromPalette(lut, list[index].palette);
}

int SLxLut::CreatePredefLutEx(SLxLut* lut, ELxPredefLut id)
{
    for (const SLxPredefLut& entry : predefList())
        if (entry.id == id)
            return fillFromPalette(lut, entry.palette);
    return -9;
}

int SLxLut::SetCustomLut(const uint8_t* rgb)
{
    if (!rgb)
        return -4;
    std::memcpy(customPalette().data(), rgb, customPalette().size());
    return 0;
}

// Single pixels to values and back, colour blends under masks and
// annotation blends with their cached tables.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<uint32_t>;

// --- Pixels and values ---------------------------------------------------------

enum class Way { ToValues, ToValuesRGB, ToPixel, ToPixelRGB };

struct PixelCase {
    Way way;
    uint32_t comps, bits;
    Bytes pixel;   // stored samples, little-endian
    Values values; // the array side
    int result;
};

int convert(const PixelCase& pc, uint8_t* pixel, uint32_t* values)
{
    switch (pc.way) {
    case Way::ToValues:
        return API::ConvertPixelToComponents(values, pixel, pc.comps, pc.bits);
    case Way::ToValuesRGB:
        return API::ConvertPixelToComponentsRGB(values, pixel, pc.comps, pc.bits);
    case Way::ToPixel:
        return API::ConvertComponentsToPixel(pixel, values, pc.comps, pc.bits);
    case Way::ToPixelRGB:
        return API::ConvertComponentsToPixelRGB(pixel, values, pc.comps, pc.bits);
    }
    return 1;
}

class PixelValues : public ::testing::TestWithParam<PixelCase>
{
};

TEST_P(PixelValues, Convert)
{
    const PixelCase& pc = GetParam();
    const bool toPixel = pc.way == Way::ToPixel || pc.way == Way::ToPixelRGB;
    // One byte more on each side shows a write past the pixel or the array.
    Bytes pixel(pc.pixel.size() + 1, 0xA5);
    Values values(pc.values.size() + 1, 0xA5A5A5A5);
    if (toPixel)
        std::copy(pc.values.begin(), pc.values.end(), values.begin());
    else
        std::copy(pc.pixel.begin(), pc.pixel.end(), pixel.begin());
    const Bytes pixelBefore = pixel;
    const Values valuesBefore = values;

    ASSERT_EQ(convert(pc, pixel.data(), values.data()), pc.result);
    if (pc.result != 0) {
        EXPECT_EQ(pixel, pixelBefore);
        EXPECT_EQ(values, valuesBefore);
    } else if (toPixel) {
        EXPECT_EQ(Bytes(pixel.begin(), pixel.end() - 1), pc.pixel);
        EXPECT_EQ(pixel.back(), 0xA5);
    } else {
        EXPECT_EQ(Values(values.begin(), values.end() - 1), pc.values);
        EXPECT_EQ(values.back(), 0xA5A5A5A5u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixelValues,
    ::testing::Values(
        PixelCase{Way::ToValues, 3, 8, {10, 20, 30}, {10, 20, 30}, 0},
        PixelCase{Way::ToValuesRGB, 3, 8, {10, 20, 30}, {30, 20, 10}, 0},
        PixelCase{Way::ToValuesRGB, 4, 8, {1, 2, 3, 4}, {1, 2, 3, 4}, 0},
        PixelCase{Way::ToValues, 5, 8, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 0},
        PixelCase{Way::ToValues, 2, 12, {0xFF, 0x0F, 0x23, 0x01}, {0x0FFF, 0x0123}, 0},
        PixelCase{Way::ToValuesRGB, 3, 16, {1, 0, 2, 0, 3, 0xFF}, {0xFF03, 2, 1}, 0},
        // Samples of fewer than 8 bits are bytes too.
        PixelCase{Way::ToValues, 2, 6, {5, 63}, {5, 63}, 0},
        PixelCase{Way::ToValues, 1, 17, {1, 2, 3, 4}, {7}, -2},
        PixelCase{Way::ToValues, 1, 0, {1}, {7}, -2},
        PixelCase{Way::ToPixel, 3, 8, {10, 20, 30}, {10, 20, 30}, 0},
        PixelCase{Way::ToPixel, 1, 8, {44}, {300}, 0},
        PixelCase{Way::ToPixel, 4, 12, {1, 0, 2, 0, 3, 0, 0x70, 0x11}, {1, 2, 3, 70000}, 0},
        PixelCase{Way::ToPixelRGB, 3, 8, {30, 20, 10}, {10, 20, 30}, 0},
        PixelCase{Way::ToPixelRGB, 4, 8, {4, 3, 2, 1}, {1, 2, 3, 4}, 0},
        PixelCase{Way::ToPixelRGB, 1, 16, {0x34, 0x12}, {0x1234}, 0},
        PixelCase{Way::ToPixel, 2, 8, {0, 0}, {1, 2}, -2},
        PixelCase{Way::ToPixelRGB, 5, 8, {0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}, -2},
        PixelCase{Way::ToPixel, 3, 24, {0, 0, 0}, {1, 2, 3}, -2}));

TEST(PixelValuesPointers, MissingPointersAreRefused)
{
    uint32_t values[3] = {};
    uint8_t pixel[3] = {};
    EXPECT_EQ(API::ConvertPixelToComponents(nullptr, pixel, 3, 8), -4);
    EXPECT_EQ(API::ConvertPixelToComponentsRGB(values, nullptr, 3, 8), -4);
    EXPECT_EQ(API::ConvertComponentsToPixel(nullptr, values, 3, 8), -4);
    EXPECT_EQ(API::ConvertComponentsToPixelRGB(pixel, nullptr, 3, 8), -4);
}

// --- Colour under a mask -------------------------------------------------------

// A B, G, R picture of width x lines with a padded pitch, pixel (x, y) =
// (x + 10 y, 100 + x, 200 - y).
struct ColourPicture {
    static constexpr uint32_t kPad = 5;
    uint32_t width, lines, pitch;
    Bytes bytes;

    ColourPicture(uint32_t w, uint32_t l)
        : width(w), lines(l), pitch(3 * w + kPad), bytes(size_t(pitch) * l, 0xA5)
    {
        for (uint32_t y = 0; y < l; ++y)
            for (uint32_t x = 0; x < w; ++x)
                set(x, y, {x + 10 * y, 100 + x, 200 - y});
    }
    uint8_t* at(uint32_t x, uint32_t y) { return bytes.data() + size_t(y) * pitch + 3 * x; }
    void set(uint32_t x, uint32_t y, std::initializer_list<uint32_t> bgr)
    {
        uint32_t c = 0;
        for (uint32_t v : bgr)
            at(x, y)[c++] = uint8_t(v);
    }
    Bytes pixel(uint32_t x, uint32_t y) { return Bytes(at(x, y), at(x, y) + 3); }
};

uint8_t mixed(uint32_t colour, uint32_t v, uint32_t t)
{
    return uint8_t((colour * t + v * (255 - t)) / 255);
}

// A one-bit mask of 11 x 2 pixels starting at bit 3: set at x = 0, 4, 5, 10
// on line 0 and x = 7 on line 1.
struct BitMask {
    static constexpr uint32_t kStart = 3, kPitch = 4;
    uint8_t bits[2 * kPitch] = {};
    BitMask()
    {
        for (auto [x, y] : {std::pair{0u, 0u}, {4u, 0u}, {5u, 0u}, {10u, 0u}, {7u, 1u}}) {
            const uint32_t bit = kStart + x;
            bits[y * kPitch + bit / 8] |= uint8_t(0x80 >> (bit % 8));
        }
    }
    bool set(uint32_t x, uint32_t y) const
    {
        const uint32_t bit = kStart + x;
        return bits[y * kPitch + bit / 8] & (0x80 >> (bit % 8));
    }
};

TEST(ColourBlend, UnderABinaryMaskOnlySetBitsTakeTheColour)
{
    const BitMask mask;
    const uint32_t colour = 0x00402010; // B 0x40, G 0x20, R 0x10
    for (uint32_t opacity : {255u, 0u, 100u}) {
        ColourPicture pic(11, 2);
        const ColourPicture before = pic;
        ASSERT_EQ(API::BlendColorWithBinary(pic.bytes.data(), pic.pitch, mask.bits, mask.kStart,
                                            mask.kPitch, 11, 2, colour, uint8_t(opacity)),
                  0);
        ColourPicture want = before;
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 11; ++x)
                if (mask.set(x, y))
                    want.set(x, y,
                             {mixed(0x40, want.at(x, y)[0], opacity),
                              mixed(0x20, want.at(x, y)[1], opacity),
                              mixed(0x10, want.at(x, y)[2], opacity)});
        EXPECT_EQ(pic.bytes, want.bytes) << "opacity " << opacity;
    }
    ColourPicture pic(11, 2);
    ASSERT_EQ(API::BlendColorWithBinary(pic.bytes.data(), pic.pitch, mask.bits, mask.kStart,
                                        mask.kPitch, 11, 2, colour, 255),
              0);
    EXPECT_EQ(pic.pixel(4, 0), (Bytes{0x40, 0x20, 0x10}));
    EXPECT_EQ(pic.pixel(3, 0), (Bytes{3, 103, 200}));
}

TEST(ColourBlend, UnderUnpackedMasksOfEveryDepth)
{
    const uint32_t colour = 0x00FFFFFF;
    // Line 0: 0, 1, 0; line 1: 2, 0, 0x100 (16-bit only).
    for (uint32_t maskBits : {1u, 8u, 12u}) {
        const uint32_t bytes = maskBits <= 8 ? 1 : 2;
        const uint32_t maskPitch = 4 * bytes;
        Bytes mask(2 * maskPitch, 0);
        mask[1 * bytes] = 1;
        mask[maskPitch] = 2;
        if (bytes == 2)
            mask[maskPitch + 2 * bytes + 1] = 1;
        ColourPicture pic(3, 2);
        ASSERT_EQ(API::BlendColorWithUnpackedBinary(pic.bytes.data(), pic.pitch, mask.data(),
                                                    maskBits, maskPitch, 3, 2, colour, 255),
                  0);
        const Bytes white{255, 255, 255};
        EXPECT_EQ(pic.pixel(0, 0), (Bytes{0, 100, 200})) << maskBits;
        EXPECT_EQ(pic.pixel(1, 0), white) << maskBits;
        EXPECT_EQ(pic.pixel(0, 1), white) << maskBits;
        EXPECT_EQ(pic.pixel(2, 1), bytes == 2 ? white : (Bytes{12, 102, 199})) << maskBits;
    }
}

// Mask depths without samples select nothing: success, the picture as it was.
TEST(ColourBlend, MaskDepthsWithoutSamplesDoNothingAndMissingPicturesAreRefused)
{
    ColourPicture pic(2, 1);
    const ColourPicture before = pic;
    const uint8_t mask[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(API::BlendColorWithUnpackedBinary(pic.bytes.data(), pic.pitch, mask, 17, 8, 2, 1,
                                                0xFFFFFF, 255),
              0);
    EXPECT_EQ(API::BlendColorWithUnpackedBinary(pic.bytes.data(), pic.pitch, mask, 0, 8, 2, 1,
                                                0xFFFFFF, 255),
              0);
    EXPECT_EQ(API::BlendColorWithUnpackedBinary(pic.bytes.data(), pic.pitch, nullptr, 8, 8, 2, 1,
                                                0xFFFFFF, 255),
              -4);
    EXPECT_EQ(API::BlendColorWithBinary(nullptr, 0, mask, 0, 1, 2, 1, 0xFFFFFF, 255), -4);
    EXPECT_EQ(pic.bytes, before.bytes);
    EXPECT_EQ(API::BlendColorWithBinary(nullptr, 0, nullptr, 0, 1, 0, 1, 0xFFFFFF, 255), 0);
}

// --- Annotations -----------------------------------------------------------------

constexpr uint32_t kKey = 0x00030201; // B 3, G 2, R 1

// A 4 x 2 B, G, R annotation with one key pixel at (1, 0).
struct Annotation {
    static constexpr uint32_t kPitch = 14;
    uint8_t bytes[2 * kPitch] = {};
    Annotation()
    {
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                for (uint32_t c = 0; c < 3; ++c)
                    bytes[y * kPitch + 3 * x + c] = uint8_t(40 * x + 15 * y + 70 * c + 5);
        std::memcpy(bytes + 3, "\x03\x02\x01", 3);
    }
    const uint8_t* at(uint32_t x, uint32_t y) const { return bytes + y * kPitch + 3 * x; }
};

// The picture with the annotation drawn at transparency t.
Bytes annotated(ColourPicture pic, const Annotation& a, uint32_t t)
{
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            if ((x == 1 && y == 0) || t == 255)
                continue;
            for (uint32_t c = 0; c < 3; ++c)
                pic.at(x, y)[c] = mixed(pic.at(x, y)[c], a.at(x, y)[c], t);
        }
    }
    return pic.bytes;
}

using AnnotationBlend = int (*)(void*, uint32_t, const void*, uint32_t, uint32_t, uint32_t,
                                uint32_t, uint8_t);

class AnnotationBlends : public ::testing::TestWithParam<AnnotationBlend>
{
};

TEST_P(AnnotationBlends, BlendEveryPixelButTheKey)
{
    const Annotation a;
    // Transparencies in an order that makes a cached table change and
    // return.
    for (uint32_t t : {0u, 255u, 100u, 200u, 100u, 1u, 254u}) {
        ColourPicture pic(4, 2);
        const Bytes want = annotated(pic, a, t);
        ASSERT_EQ(
            GetParam()(pic.bytes.data(), pic.pitch, a.bytes, a.kPitch, 4, 2, kKey, uint8_t(t)), 0);
        EXPECT_EQ(pic.bytes, want) << "transparency " << t;
    }
}

TEST_P(AnnotationBlends, RefuseMissingPictures)
{
    const Annotation a;
    EXPECT_EQ(GetParam()(nullptr, 12, a.bytes, a.kPitch, 4, 2, kKey, 0), -4);
    EXPECT_EQ(GetParam()(nullptr, 12, nullptr, a.kPitch, 0, 2, kKey, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(CachedAndOwnTable, AnnotationBlends,
                         ::testing::Values(&CLxPicMemAPI::BlendColorWithAnnotation,
                                           &CLxPicMemAPI::BlendColorWithAnnotationRefresh));

TEST(AnnotationBlendCache, ConcurrentBlendsWithDifferentTransparenciesStayExact)
{
    const Annotation a;
    auto run = [&](uint32_t t, bool& exact) {
        const Bytes want = annotated(ColourPicture(4, 2), a, t);
        for (int i = 0; i < 300 && exact; ++i) {
            ColourPicture pic(4, 2);
            API::BlendColorWithAnnotation(pic.bytes.data(), pic.pitch, a.bytes, a.kPitch, 4, 2,
                                          kKey, uint8_t(t));
            exact = pic.bytes == want;
        }
    };
    bool exactA = true, exactB = true;
    std::thread first(run, 60, std::ref(exactA));
    std::thread second(run, 190, std::ref(exactB));
    first.join();
    second.join();
    EXPECT_TRUE(exactA);
    EXPECT_TRUE(exactB);
}

// Palette annotations: one index a pixel coloured through a table.
class PaletteAnnotation : public ::testing::Test
{
  protected:
    PaletteAnnotation() { fill(0); }
    ~PaletteAnnotation() override { SLxLut::Free(&lut); }

    // Colour of index s: (s, 255 - s, shift + s / 2).
    void fill(uint32_t shift)
    {
        if (!lut.pTable) {
            EXPECT_EQ(SLxLut::AllocColor(&lut, 8, 8), 0);
        }
        for (uint32_t s = 0; s < 256; ++s) {
            uint8_t* row = static_cast<uint8_t**>(lut.pTable)[s];
            row[0] = uint8_t(s);
            row[1] = uint8_t(255 - s);
            row[2] = uint8_t(shift + s / 2);
        }
    }
    Bytes colourOf(uint32_t s) const
    {
        const uint8_t* row = static_cast<uint8_t**>(lut.pTable)[s];
        return Bytes(row, row + 3);
    }
    // The picture with the indices drawn at transparency t; index 7 is the
    // key.
    Bytes expected(ColourPicture pic, uint32_t t) const
    {
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 3; ++x) {
                const uint8_t s = indices[y * kPitch + x];
                if (s == 7 || t == 255)
                    continue;
                const Bytes colour = colourOf(s);
                for (uint32_t c = 0; c < 3; ++c)
                    pic.at(x, y)[c] = mixed(pic.at(x, y)[c], colour[c], t);
            }
        }
        return pic.bytes;
    }
    int draw(ColourPicture& pic, uint32_t t)
    {
        return API::BlendColorWithAnnotationEx(pic.bytes.data(), pic.pitch, indices, kPitch, 8, 1,
                                               3, 2, 0x107, uint8_t(t), &lut);
    }

    static constexpr uint32_t kPitch = 5;
    const uint8_t indices[2 * kPitch] = {0, 7, 200, 0xEE, 0xEE, 255, 128, 7, 0xEE, 0xEE};
    SLxLut lut;
};

TEST_F(PaletteAnnotation, IndicesTakeTheTableColoursBlended)
{
    for (uint32_t t : {100u, 0u, 255u, 37u}) {
        ColourPicture pic(3, 2);
        const Bytes want = expected(pic, t);
        ASSERT_EQ(draw(pic, t), 0);
        EXPECT_EQ(pic.bytes, want) << "transparency " << t;
    }
}

TEST_F(PaletteAnnotation, AChangedTableAtTheSameTransparencyShowsItsNewColours)
{
    ColourPicture first(3, 2);
    ASSERT_EQ(draw(first, 120), 0);
    fill(40);
    ColourPicture second(3, 2);
    const Bytes want = expected(second, 120);
    ASSERT_EQ(draw(second, 120), 0);
    EXPECT_EQ(second.bytes, want);
    EXPECT_NE(second.bytes, first.bytes);
}

TEST_F(PaletteAnnotation, ColourAnnotationsIgnoreTheTableAndIndicesNeedOne)
{
    const Annotation a;
    ColourPicture pic(4, 2);
    const Bytes want = annotated(pic, a, 90);
    ASSERT_EQ(API::BlendColorWithAnnotationEx(pic.bytes.data(), pic.pitch, a.bytes, a.kPitch, 8, 3,
                                              4, 2, kKey, 90, nullptr),
              0);
    EXPECT_EQ(pic.bytes, want);

    // Indices without a fitting table would be read as colour pixels, three
    // times as wide as they are.
    ColourPicture untouched(3, 2);
    const Bytes before = untouched.bytes;
    SLxLut grey;
    ASSERT_EQ(SLxLut::AllocSingle(&grey, 8, 8), 0);
    for (const SLxLut* table :
         {static_cast<const SLxLut*>(nullptr), static_cast<const SLxLut*>(&grey)})
        EXPECT_EQ(API::BlendColorWithAnnotationEx(untouched.bytes.data(), untouched.pitch, indices,
                                                  kPitch, 8, 1, 3, 2, 7, 90, table),
                  -4);
    SLxLut::Free(&grey);
    for (auto [bits, comps] : {std::pair{16u, 1u}, {8u, 2u}, {0u, 3u}})
        EXPECT_EQ(API::BlendColorWithAnnotationEx(untouched.bytes.data(), untouched.pitch, indices,
                                                  kPitch, bits, comps, 3, 2, 7, 90, &lut),
                  -2);
    EXPECT_EQ(untouched.bytes, before);
}

} // namespace

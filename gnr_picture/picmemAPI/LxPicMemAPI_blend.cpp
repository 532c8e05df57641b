// Blends of a colour under a mask and of annotation pictures into 8-bit
// colour pictures for display. Every blend is table look-ups per sample;
// the annotation tables are cached because a display redraws with the same
// transparency many times.
#include <cstring>
#include <memory>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "w32_system/LxMutexCS.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lxpic;

namespace
{

constexpr uint32_t kShades = 256;

// Channel c of a colour word 0x00BBGGRR in stored order (0 blue, 1 green,
// 2 red).
uint32_t channelOf(uint32_t color, uint32_t c)
{
    return color >> (8 * (2 - c)) & 0xFF;
}

// (a x w + b x (255 - w)) / 255: the weighted mean of two samples.
uint8_t mix(uint32_t a, uint32_t b, uint32_t w)
{
    return uint8_t((a * w + b * (255 - w)) / 255);
}

// --- A colour under a mask -----------------------------------------------------

// shade[c][v]: sample v of channel c with the colour blended in.
struct ColourShades {
    uint8_t shade[3][kShades];
};

ColourShades colourShades(uint32_t color, uint8_t opacity)
{
    ColourShades s;
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < kShades; ++v)
            s.shade[c][v] = mix(channelOf(color, c), v, opacity);
    return s;
}

// Blends the colour into every pixel (x, y) for which selected(x, y).
template <class Selected>
void blendColourWhere(void* dst, uint32_t dstWB, uint32_t width, uint32_t lines,
                      const ColourShades& s, Selected selected)
{
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* px = static_cast<uint8_t*>(dst) + size_t(y) * dstWB;
        for (uint32_t x = 0; x < width; ++x, px += 3) {
            if (selected(x, y)) {
                px[0] = s.shade[0][px[0]];
                px[1] = s.shade[1][px[1]];
                px[2] = s.shade[2][px[2]];
            }
        }
    }
}

template <class T>
void blendUnderSamples(void* dst, uint32_t dstWB, const void* mask, uint32_t maskWB, uint32_t width,
                       uint32_t lines, const ColourShades& s)
{
    const auto* m = static_cast<const uint8_t*>(mask);
    blendColourWhere(dst, dstWB, width, lines, s, [&](uint32_t x, uint32_t y) {
        return load<T>(m + size_t(y) * maskWB + size_t(x) * sizeof(T)) != 0;
    });
}

// --- Annotations ---------------------------------------------------------------

// blend[d][a]: picture sample d under annotation sample a.
using AnnotationTable = uint8_t[kShades][kShades];
// blend[d][s][c]: channel c of picture sample d under palette colour s.
using PaletteTable = uint8_t[kShades][kShades][3];

void buildAnnotationTable(AnnotationTable& table, uint8_t transparency)
{
    for (uint32_t d = 0; d < kShades; ++d)
        for (uint32_t a = 0; a < kShades; ++a)
            table[d][a] = mix(d, a, transparency);
}

// colours: the 256 B, G, R colours of the palette.
void buildPaletteTable(PaletteTable& table, const uint8_t* colours, uint8_t transparency)
{
    for (uint32_t d = 0; d < kShades; ++d)
        for (uint32_t s = 0; s < kShades; ++s)
            for (uint32_t c = 0; c < 3; ++c)
                table[d][s][c] = mix(d, colours[3 * s + c], transparency);
}

// Draws every annotation pixel that is not transparent(pixel) with
// draw(picture pixel, annotation pixel); annotation pixels are pixelBytes
// apart.
template <class Transparent, class Draw>
void drawAnnotation(void* dst, uint32_t dstWB, const void* annotation, uint32_t annotationWB,
                    uint32_t pixelBytes, uint32_t width, uint32_t lines, Transparent transparent,
                    Draw draw)
{
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* px = static_cast<uint8_t*>(dst) + size_t(y) * dstWB;
        const uint8_t* a = static_cast<const uint8_t*>(annotation) + size_t(y) * annotationWB;
        for (uint32_t x = 0; x < width; ++x, px += 3, a += pixelBytes)
            if (!transparent(a))
                draw(px, a);
    }
}

// A B, G, R annotation with a key colour, blended through the table (null:
// copied).
void drawColourAnnotation(void* dst, uint32_t dstWB, const void* annotation, uint32_t annotationWB,
                          uint32_t width, uint32_t lines, uint32_t key,
                          const AnnotationTable* table)
{
    const uint8_t keyPixel[3] = {uint8_t(channelOf(key, 0)), uint8_t(channelOf(key, 1)),
                                 uint8_t(channelOf(key, 2))};
    auto isKey = [&](const uint8_t* a) { return std::memcmp(a, keyPixel, 3) == 0; };
    if (!table) {
        drawAnnotation(dst, dstWB, annotation, annotationWB, 3, width, lines, isKey,
                       [](uint8_t* px, const uint8_t* a) { std::memcpy(px, a, 3); });
        return;
    }
    drawAnnotation(dst, dstWB, annotation, annotationWB, 3, width, lines, isKey,
                   [&](uint8_t* px, const uint8_t* a) {
                       for (int c = 0; c < 3; ++c)
                           px[c] = (*table)[px[c]][a[c]];
                   });
}

// The process-wide caches of the last tables built, and the lock that keeps
// one call from reading a table while another rebuilds it. Transparency 0
// never reaches the tables, so it marks an empty cache.
struct BlendCaches {
    AnnotationTable annotation;
    uint8_t annotationTransparency = 0;
    PaletteTable palette;
    uint8_t paletteTransparency = 0;
    uint8_t paletteColours[3 * kShades];
};
BlendCaches g_blendCaches;
pthread_mutexCS_t g_blendCachesLock = PTHREAD_MUTEXCS_INITIALIZER;

struct HeapFree {
    void operator()(void* p) const { CLxAlloc::Free(p); }
};

bool pictureMissing(const void* dst, const void* src)
{
    return !dst || !src;
}

// The 256 colours of a palette table: 8 to 8 bits, one table of B, G, R
// rows; false for any other table.
bool paletteColours(const SLxLut* lut, uint8_t* colours)
{
    if (!lut || !lut->pTable || lut->uiSrcBits != 8 || lut->uiDstBits != 8 ||
        lut->uiLutCount != 1 || lut->uiDstComps != 3)
        return false;
    const auto* rows = static_cast<const uint8_t* const*>(lut->pTable);
    for (uint32_t s = 0; s < kShades; ++s)
        std::memcpy(colours + 3 * s, rows[s], 3);
    return true;
}

} // namespace

int CLxPicMemAPI::BlendColorWithBinary(void* dst, uint32_t dstWB, const void* binary,
                                       uint32_t startBit, uint32_t binaryWB, uint32_t width,
                                       uint32_t lines, uint32_t color, uint8_t opacity)
{
    if (width == 0 || lines == 0)
        return 0;
    if (pictureMissing(dst, binary))
        return -4;
    const auto* bits = static_cast<const uint8_t*>(binary);
    blendColourWhere(dst, dstWB, width, lines, colourShades(color, opacity),
                     [&](uint32_t x, uint32_t y) {
                         const size_t bit = size_t(startBit) + x;
                         return (bits[size_t(y) * binaryWB + bit / 8] & (0x80u >> (bit % 8))) != 0;
                     });
    return 0;
}

int CLxPicMemAPI::BlendColorWithUnpackedBinary(void* dst, uint32_t dstWB, const void* mask,
                                               uint32_t maskBits, uint32_t maskWB, uint32_t width,
                                               uint32_t lines, uint32_t color, uint8_t opacity)
{
    if (width == 0 || lines == 0)
        return 0;
    // Masks of other depths select nothing: the picture stays as it is.
    const uint32_t bytes = maskBits >= 1 && maskBits <= 16 ? sampleBytes(maskBits) : 0;
    if (bytes == 0)
        return 0;
    if (pictureMissing(dst, mask))
        return -4;
    const ColourShades s = colourShades(color, opacity);
    if (bytes == 1)
        blendUnderSamples<uint8_t>(dst, dstWB, mask, maskWB, width, lines, s);
    else
        blendUnderSamples<uint16_t>(dst, dstWB, mask, maskWB, width, lines, s);
    return 0;
}

int CLxPicMemAPI::BlendColorWithAnnotation(void* dst, uint32_t dstWB, const void* annotation,
                                           uint32_t annotationWB, uint32_t width, uint32_t lines,
                                           uint32_t keyColor, uint8_t transparency)
{
    if (width == 0 || lines == 0)
        return 0;
    if (pictureMissing(dst, annotation))
        return -4;
    if (transparency == 255)
        return 0;
    if (transparency == 0) {
        drawColourAnnotation(dst, dstWB, annotation, annotationWB, width, lines, keyColor, nullptr);
        return 0;
    }
    CLxMutexCSLock lock(&g_blendCachesLock);
    BlendCaches& cache = g_blendCaches;
    if (cache.annotationTransparency != transparency) {
        buildAnnotationTable(cache.annotation, transparency);
        cache.annotationTransparency = transparency;
    }
    drawColourAnnotation(dst, dstWB, annotation, annotationWB, width, lines, keyColor,
                         &cache.annotation);
    return 0;
}

int CLxPicMemAPI::BlendColorWithAnnotationRefresh(void* dst, uint32_t dstWB, const void* annotation,
                                                  uint32_t annotationWB, uint32_t width,
                                                  uint32_t lines, uint32_t keyColor,
                                                  uint8_t transparency)
{
    if (width == 0 || lines == 0)
        return 0;
    if (pictureMissing(dst, annotation))
        return -4;
    if (transparency == 255)
        return 0;
    if (transparency == 0) {
        drawColourAnnotation(dst, dstWB, annotation, annotationWB, width, lines, keyColor, nullptr);
        return 0;
    }
    // 64 KiB: on the heap rather than on a caller's thread stack.
    std::unique_ptr<AnnotationTable, HeapFree> table(
        static_cast<AnnotationTable*>(CLxAlloc::Alloc(0, sizeof(AnnotationTable))));
    if (!table)
        return -3;
    buildAnnotationTable(*table, transparency);
    drawColourAnnotation(dst, dstWB, annotation, annotationWB, width, lines, keyColor, table.get());
    return 0;
}

int CLxPicMemAPI::BlendColorWithAnnotationEx(void* dst, uint32_t dstWB, const void* annotation,
                                             uint32_t annotationWB, uint32_t annotationBits,
                                             uint32_t annotationComps, uint32_t width,
                                             uint32_t lines, uint32_t key, uint8_t transparency,
                                             const SLxLut* lut)
{
    if (width == 0 || lines == 0)
        return 0;
    if (annotationBits == 0 || annotationBits > 8 || (annotationComps != 1 && annotationComps != 3))
        return -2;
    if (annotationComps == 3)
        return BlendColorWithAnnotation(dst, dstWB, annotation, annotationWB, width, lines, key,
                                        transparency);
    // Palette indices: read as a 3-component picture they would be read
    // past their lines, so they need their table.
    uint8_t colours[3 * kShades];
    if (!paletteColours(lut, colours))
        return -4;
    if (pictureMissing(dst, annotation))
        return -4;
    if (transparency == 255)
        return 0;
    const uint8_t keyIndex = uint8_t(key);
    auto isKey = [&](const uint8_t* a) { return *a == keyIndex; };
    if (transparency == 0) {
        drawAnnotation(
            dst, dstWB, annotation, annotationWB, 1, width, lines, isKey,
            [&](uint8_t* px, const uint8_t* a) { std::memcpy(px, colours + 3 * *a, 3); });
        return 0;
    }
    CLxMutexCSLock lock(&g_blendCachesLock);
    BlendCaches& cache = g_blendCaches;
    // Keyed by the colours too: a changed palette at the same transparency
    // must not show the old one.
    if (cache.paletteTransparency != transparency ||
        std::memcmp(cache.paletteColours, colours, sizeof colours) != 0) {
        buildPaletteTable(cache.palette, colours, transparency);
        std::memcpy(cache.paletteColours, colours, sizeof colours);
        cache.paletteTransparency = transparency;
    }
    const PaletteTable& table = cache.palette;
    drawAnnotation(dst, dstWB, annotation, annotationWB, 1, width, lines, isKey,
                   [&](uint8_t* px, const uint8_t* a) {
                       for (int c = 0; c < 3; ++c)
                           px[c] = table[px[c]][*a][c];
                   });
    return 0;
}

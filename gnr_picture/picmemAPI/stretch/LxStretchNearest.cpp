// Nearest-neighbour stretch: each destination pixel copies the source pixel
// floor((x + 0.5) x scale), columns from a table built once per call.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxNearestRule.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

using namespace lxpic;
using namespace lxstretch;

namespace
{

// Column table entry of a column outside the source's data.
constexpr size_t kBackground = SIZE_MAX;

// The source line of a destination line: its index (to spot repeats) and
// address; null for a line of background.
struct SourceRow {
    uint64_t index;
    const uint8_t* line;
};

// One destination line from the column table: sample offsets into the
// source line, or (only where the source has a valid rectangle, Bg)
// kBackground.
template <int CN, class T, bool Bg>
void gatherLine(uint8_t* d, const uint8_t* s, const size_t* cols, uint32_t w, uint32_t comps,
                const uint8_t* background)
{
    const uint32_t n = CN ? CN : comps;
    const size_t pixelBytes = size_t(n) * sizeof(T);
    for (uint32_t x = 0; x < w; ++x, d += pixelBytes) {
        if (Bg && cols[x] == kBackground) {
            std::memcpy(d, background, pixelBytes);
            continue;
        }
        const uint8_t* p = s + cols[x] * sizeof(T);
        for (uint32_t c = 0; c < n; ++c)
            store<T>(d + c * sizeof(T), load<T>(p + c * sizeof(T)));
    }
}

// The rows of a nearest stretch: a line whose source line repeats the
// previous one is a block copy of the destination line above. With Bg, a
// row without a source line is background.
template <int CN, class T, bool Bg, class RowOf>
void nearestLines(void* dst, uint32_t dstWB, uint32_t comps, uint32_t w, uint32_t h,
                  const size_t* cols, RowOf rowOf, const uint8_t* background)
{
    const uint32_t n = CN ? CN : comps;
    const size_t lineBytes = size_t(w) * n * sizeof(T);
    Lines<T> d(dst, dstWB);
    bool havePrevious = false;
    uint64_t previous = 0;
    for (uint32_t y = 0; y < h; ++y) {
        const SourceRow row = rowOf(y);
        if (Bg && !row.line) {
            for (uint32_t x = 0; x < w; ++x)
                std::memcpy(d[y] + x * n * sizeof(T), background, n * sizeof(T));
            havePrevious = false;
        } else if (havePrevious && row.index == previous) {
            std::memcpy(d[y], d[y - 1], lineBytes);
        } else {
            gatherLine<CN, T, Bg>(d[y], row.line, cols, w, n, background);
            havePrevious = true;
            previous = row.index;
        }
    }
}

template <int CN, class T>
int stretchNearest(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                   const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX,
                   uint32_t srcY, uint32_t srcW, uint32_t srcH)
{
    const uint32_t n = CN ? CN : comps;
    if (dstW == 0 || dstH == 0)
        return 0;
    const uint32_t lineWidth = n ? srcWB / uint32_t(sizeof(T)) / n : 0;
    if (n == 0 || srcW == 0 || srcH == 0 || srcX >= lineWidth || srcY >= srcHeight)
        return -9;
    Scratch<size_t> cols(dstW);
    if (!cols)
        return -3;
    const double scaleX = double(srcW) / dstW, scaleY = double(srcH) / dstH;
    for (uint32_t x = 0; x < dstW; ++x)
        cols[x] = size_t(nearestSource(x, scaleX, lineWidth - srcX - 1)) * n;
    ConstLines<T> s(src, srcWB);
    nearestLines<CN, T, false>(
        dst, dstWB, n, dstW, dstH, cols.get(),
        [&](uint32_t y) {
            const uint64_t r = nearestSource(y, scaleY, srcHeight - srcY - 1);
            return SourceRow{r, s.base + r * s.pitch};
        },
        nullptr);
    return 0;
}

// Display tiles, and (Ex) tiles of a source with a valid rectangle: src is
// then the rectangle's first sample.
struct ValidRect {
    uint32_t left, top, width, height;
};

template <int CN, class T, bool Ex>
int stretchDisplayNearest(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,
                          uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                          const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                          const ValidRect& valid, const void* background)
{
    const uint32_t n = CN ? CN : comps;
    if (winW == 0 || winH == 0)
        return 0;
    if (Ex && !background)
        return -4;
    if (n == 0 || srcW == 0 || srcH == 0 || dispW == 0 || dispH == 0)
        return -9;
    Scratch<size_t> cols(winW);
    if (!cols)
        return -3;
    const double scaleX = double(srcW) / dispW, scaleY = double(srcH) / dispH;
    for (uint32_t x = 0; x < winW; ++x) {
        const uint64_t s = nearestSource(uint64_t(winX) + x, scaleX, srcW - 1);
        if (!Ex)
            cols[x] = size_t(s) * n;
        else if (s >= valid.left && s - valid.left < valid.width)
            cols[x] = size_t(s - valid.left) * n;
        else
            cols[x] = kBackground;
    }
    ConstLines<T> s(src, srcWB);
    nearestLines<CN, T, Ex>(
        dst, dstWB, n, winW, winH, cols.get(),
        [&](uint32_t y) {
            const uint64_t r = nearestSource(uint64_t(winY) + y, scaleY, srcH - 1);
            if (!Ex)
                return SourceRow{r, s.base + r * s.pitch};
            if (r < valid.top || r - valid.top >= valid.height)
                return SourceRow{r, nullptr};
            return SourceRow{r, s.base + (r - valid.top) * s.pitch};
        },
        static_cast<const uint8_t*>(background));
    return 0;
}

} // namespace

#define LX_STRETCH_NEAREST(name, CN, T)                                                            \
    int name(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,              \
             const void* src, uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,    \
             uint32_t srcW, uint32_t srcH)                                                         \
    {                                                                                              \
        return stretchNearest<CN, T>(dst, comps, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX,   \
                                     srcY, srcW, srcH);                                            \
    }
LX_STRETCH_NEAREST(stretch_1x8, 1, uint8_t)
LX_STRETCH_NEAREST(stretch_3x8, 3, uint8_t)
LX_STRETCH_NEAREST(stretch_Nx8, 0, uint8_t)
LX_STRETCH_NEAREST(stretch_1x16, 1, uint16_t)
LX_STRETCH_NEAREST(stretch_3x16, 3, uint16_t)
LX_STRETCH_NEAREST(stretch_Nx16, 0, uint16_t)

#define LX_STRETCH_DISPLAY_NEAREST(name, CN, T)                                                    \
    int name(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,              \
             uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY, const void* src,        \
             uint32_t srcW, uint32_t srcH, uint32_t srcWB)                                         \
    {                                                                                              \
        return stretchDisplayNearest<CN, T, false>(dst, winW, winH, comps, dstWB, dispW, dispH,    \
                                                   winX, winY, src, srcW, srcH, srcWB, {},         \
                                                   nullptr);                                       \
    }
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_1x8, 1, uint8_t)
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_3x8, 3, uint8_t)
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_Nx8, 0, uint8_t)
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_1x16, 1, uint16_t)
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_3x16, 3, uint16_t)
LX_STRETCH_DISPLAY_NEAREST(stretchdisplay_Nx16, 0, uint16_t)

#define LX_STRETCH_DISPLAY_EX_NEAREST(name, CN, T)                                                 \
    int name(void* dst, uint32_t winW, uint32_t winH, uint32_t comps, uint32_t dstWB,              \
             uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY, const void* src,        \
             uint32_t validLeft, uint32_t validTop, uint32_t validWidth, uint32_t validHeight,     \
             uint32_t srcW, uint32_t srcH, uint32_t srcWB, const void* background)                 \
    {                                                                                              \
        const ValidRect valid{validLeft, validTop, validWidth, validHeight};                       \
        return stretchDisplayNearest<CN, T, true>(dst, winW, winH, comps, dstWB, dispW, dispH,     \
                                                  winX, winY, src, srcW, srcH, srcWB, valid,       \
                                                  background);                                     \
    }
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_1x8, 1, uint8_t)
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_3x8, 3, uint8_t)
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_Nx8, 0, uint8_t)
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_1x16, 1, uint16_t)
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_3x16, 3, uint16_t)
LX_STRETCH_DISPLAY_EX_NEAREST(stretchdisplayex_Nx16, 0, uint16_t)

// Nearest-neighbour stretch: each destination pixel copies the source pixel
// floor((x + 0.5) x scale), columns from a table built once per call.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Destination columns [begin, end) of one-byte pixels whose source bytes lie
// step (2 or 4) apart, a multiple of 16 columns; empty when there are none.
struct StridedRun {
    uint32_t begin = 0, end = 0;
    size_t step = 0;
};

// The run around the middle column, whose reads of step bytes a column stay
// within the first readEnd bytes of a line (a reduction by 2 or 4 is one run
// across the line).
StridedRun stridedRun(const size_t* cols, uint32_t w, size_t readEnd)
{
    StridedRun run;
    if (w < 32)
        return run;
    const uint32_t mid = w / 2;
    const size_t step = cols[mid] - cols[mid - 1];
    if (cols[mid] < cols[mid - 1] || (step != 2 && step != 4))
        return run;
    uint32_t begin = mid - 1, end = mid + 1;
    while (begin > 0 && cols[begin] >= step && cols[begin - 1] == cols[begin] - step)
        --begin;
    while (end < w && cols[end] == cols[end - 1] + step)
        ++end;
    while (end > begin && cols[end - 1] + step > readEnd)
        --end;
    run.begin = begin;
    run.end = begin + (end > begin ? (end - begin) / 16 * 16 : 0);
    run.step = step;
    return run;
}

// count (a multiple of 16) bytes, step apart from p, into d: 16 a round,
// the wanted bytes being the low bytes of 16- or 32-bit lanes, kept by a mask
// and gathered by saturating packs.
void gatherStridedSse2(uint8_t* d, const uint8_t* p, uint32_t count, size_t step)
{
#if defined(__SSE2__)
    auto at = [&](uint32_t i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    };
    if (step == 4) {
        const __m128i low = _mm_set1_epi32(0xFF);
        for (uint32_t x = 0; x < count; x += 16, p += 64) {
            const __m128i a = _mm_packs_epi32(_mm_and_si128(at(0), low), _mm_and_si128(at(1), low));
            const __m128i b = _mm_packs_epi32(_mm_and_si128(at(2), low), _mm_and_si128(at(3), low));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_packus_epi16(a, b));
        }
    } else {
        const __m128i low = _mm_set1_epi16(0xFF);
        for (uint32_t x = 0; x < count; x += 16, p += 32)
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(d + x),
                _mm_packus_epi16(_mm_and_si128(at(0), low), _mm_and_si128(at(1), low)));
    }
#else
    for (uint32_t x = 0; x < count; ++x)
        d[x] = p[x * step];
#endif
}

#if LX_HAVE_AVX2_PATHS
// The same, 32 a round; the packs work per 128-bit lane, which the last
// permutation puts back in order.
LX_TARGET_AVX2 void gatherStridedAvx2(uint8_t* d, const uint8_t* p, uint32_t count, size_t step)
{
    uint32_t x = 0;
    if (step == 4) {
        const __m256i low = _mm256_set1_epi32(0xFF);
        const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
        for (; x + 32 <= count; x += 32, p += 128) {
            __m256i v[4];
            for (int i = 0; i < 4; ++i)
                v[i] = _mm256_and_si256(
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i)), low);
            const __m256i words = _mm256_packus_epi16(_mm256_packus_epi32(v[0], v[1]),
                                                      _mm256_packus_epi32(v[2], v[3]));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x),
                                _mm256_permutevar8x32_epi32(words, order));
        }
    } else {
        const __m256i low = _mm256_set1_epi16(0xFF);
        for (; x + 32 <= count; x += 32, p += 64) {
            const __m256i a =
                _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), low);
            const __m256i b =
                _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), low);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x),
                                _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
        }
    }
    if (x < count)
        gatherStridedSse2(d + x, p, count - x, step);
}
#endif

void gatherStrided(uint8_t* d, const uint8_t* p, uint32_t count, size_t step)
{
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return gatherStridedAvx2(d, p, count, step);
#endif
    gatherStridedSse2(d, p, count, step);
}

// The rows of a nearest stretch: a line whose source line repeats the
// previous one is a block copy of the destination line above. With Bg, a
// row without a source line is background. A line's first readEnd samples
// can be read (0: only those the columns name).
template <int CN, class T, bool Bg, class RowOf>
void nearestLines(void* dst, uint32_t dstWB, uint32_t comps, uint32_t w, uint32_t h,
                  const size_t* cols, RowOf rowOf, const uint8_t* background, size_t readEnd = 0)
{
    const uint32_t n = CN ? CN : comps;
    const size_t lineBytes = size_t(w) * n * sizeof(T);
    const StridedRun run =
        !Bg && sizeof(T) == 1 && n == 1 ? stridedRun(cols, w, readEnd) : StridedRun();
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
        } else if (run.end > run.begin) {
            gatherLine<CN, T, Bg>(d[y], row.line, cols, run.begin, n, background);
            gatherStrided(d[y] + run.begin, row.line + cols[run.begin], run.end - run.begin,
                          run.step);
            gatherLine<CN, T, Bg>(d[y] + run.end, row.line, cols + run.end, w - run.end, n,
                                  background);
            havePrevious = true;
            previous = row.index;
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
        nullptr, size_t(lineWidth - srcX) * n);
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
        static_cast<const uint8_t*>(background), Ex ? 0 : size_t(srcW) * n);
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

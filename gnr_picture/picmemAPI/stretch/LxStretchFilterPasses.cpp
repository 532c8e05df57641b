// The two passes of the filtered stretch: contributor lists applied along the
// lines (horizontal) and down the columns (vertical).
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "gnr_picture/picmemAPI/LxStretchKernels.h"
#include "gnr_picture/picmemAPI/stretch/LxContributors.h"
#include "gnr_picture/picmemAPI/stretch/LxFilterRows.h"

using namespace lxpic;
using namespace lxstretch;

namespace
{

// Where the horizontal pass reads buffer line k: the source line, and the
// column that tap index 0 stands for; null line for a line of background.
struct SourceLine {
    const uint8_t* line;
    ptrdiff_t firstColumn;
};

// Applies the column lists to each line: one accumulator per sample of the
// output pixel (CN of them, or comps for the N member). With Bg (a source
// with a valid rectangle), a line without data and an empty list give the
// background pixel.
template <int CN, class T, bool Bg, class LineOf>
void filterLines(uint8_t* buf, uint32_t bufWB, uint32_t comps, uint32_t outW, uint32_t lines,
                 const ContributorLists& lists, LineOf lineOf, const uint8_t* background)
{
    const uint32_t n = CN ? CN : comps;
    const size_t pixelBytes = size_t(n) * sizeof(T);
    Lines<T> out(buf, bufWB);
    for (uint32_t k = 0; k < lines; ++k) {
        uint8_t* o = out[k];
        const SourceLine s = lineOf(k);
        for (uint32_t x = 0; x < outW; ++x, o += pixelBytes) {
            const uint32_t count = !Bg || s.line ? lists.count(x) : 0;
            if (Bg && count == 0) {
                std::memcpy(o, background, pixelBytes);
                continue;
            }
            const Tap* taps = lists.taps(x);
            for (uint32_t c = 0; c < n; ++c) {
                uint32_t acc = 0;
                for (uint32_t t = 0; t < count; ++t) {
                    const ptrdiff_t sample = (taps[t].index - s.firstColumn) * ptrdiff_t(n) + c;
                    acc +=
                        uint32_t(load<T>(s.line + sample * ptrdiff_t(sizeof(T)))) * taps[t].weight;
                }
                store<T>(o + c * sizeof(T), T(acc >> 16));
            }
        }
    }
}

// Applies the row lists to the buffer: output line i is the weighted sum of
// the buffer lines lineBase + index of its taps, a whole line at a time.
template <class T>
int filterColumns(uint8_t* dst, uint32_t dstWB, size_t samples, uint32_t outH, const uint8_t* buf,
                  uint32_t bufWB, ptrdiff_t lineBase, const ContributorLists& lists)
{
    Lines<T> out(dst, dstWB);
    const size_t bufPitch = bufWB / sizeof(T) * sizeof(T);
    uint32_t most = 0;
    for (uint32_t i = 0; i < outH; ++i)
        most = std::max(most, lists.count(i));
    Scratch<const uint8_t*> lines(most);
    Scratch<uint32_t> weights(most);
    if (!lines || !weights)
        return -3;
    for (uint32_t i = 0; i < outH; ++i) {
        const Tap* taps = lists.taps(i);
        const uint32_t n = lists.count(i);
        for (uint32_t t = 0; t < n; ++t) {
            lines[t] = buf + (lineBase + taps[t].index) * ptrdiff_t(bufPitch);
            weights[t] = taps[t].weight;
        }
        (sizeof(T) == 1 ? combineLines8 : combineLines16)(out[i], lines.get(), weights.get(), n,
                                                          samples);
    }
    return 0;
}

// Applies the column lists to each of `lines` lines, line k read from
// lineOf(k).
template <class T, class LineOf>
void filterAllLines(uint8_t* buf, uint32_t bufWB, uint32_t lines, const LineTaps& taps,
                    LineOf lineOf)
{
    Lines<T> out(buf, bufWB);
    for (uint32_t k = 0; k < lines; ++k)
        taps.filter<T>(out[k], lineOf(k));
}

template <int CN> uint32_t componentsOf(uint32_t comps)
{
    return CN ? CN : comps;
}

// Stretch, horizontal: taps are window columns, held inside the lineWidth
// columns of the picture's line (srcX of them left of the window).
template <int CN, class T>
int stretchFilterH(void* buf, uint32_t bufWB, uint32_t comps, uint32_t dstW, uint32_t lines,
                   const void* src, uint32_t srcWB, uint32_t srcX, uint32_t srcW,
                   uint32_t lineWidth, LxStretchWeightFn filter, uint32_t radius)
{
    const uint32_t n = componentsOf<CN>(comps);
    if (dstW == 0 || lines == 0)
        return 0;
    if (!filter)
        return -4;
    if (n == 0 || srcW == 0 || srcX >= lineWidth)
        return -9;
    const ContributorLists lists(clampedShape(srcW, dstW, 0, dstW, 0.0, -int64_t(srcX),
                                              int64_t(lineWidth) - srcX - 1, filter, radius));
    if (!lists.valid())
        return -3;
    const LineTaps taps(lists, dstW, n, 0, -ptrdiff_t(srcX) * n,
                        (ptrdiff_t(lineWidth) - ptrdiff_t(srcX)) * n, sizeof(T));
    if (!taps.valid())
        return -3;
    ConstLines<T> in(src, srcWB);
    filterAllLines<T>(static_cast<uint8_t*>(buf), bufWB, lines, taps,
                      [&](uint32_t k) { return in[k]; });
    return 0;
}

// Stretch, vertical: taps are window lines, buffer line top holding line 0.
template <int CN, class T>
int stretchFilterV(void* dst, uint32_t dstWB, uint32_t comps, uint32_t dstW, uint32_t dstH,
                   const void* buf, uint32_t bufWB, uint32_t srcH, uint32_t top, uint32_t bufLines,
                   LxStretchWeightFn filter, uint32_t radius)
{
    const uint32_t n = componentsOf<CN>(comps);
    if (dstW == 0 || dstH == 0)
        return 0;
    if (!filter)
        return -4;
    if (n == 0 || srcH == 0 || top >= bufLines)
        return -9;
    const ContributorLists lists(clampedShape(srcH, dstH, 0, dstH, 0.0, -int64_t(top),
                                             int64_t(bufLines) - top - 1, filter, radius));
    if (!lists.valid())
        return -3;
    return filterColumns<T>(static_cast<uint8_t*>(dst), dstWB, size_t(dstW) * n, dstH,
                            static_cast<const uint8_t*>(buf), bufWB, top, lists);
}

// Display, horizontal (Ex: only the valid rectangle holds data).
template <int CN, class T, bool Ex>
int displayFilterH(void* buf, uint32_t bufWB, uint32_t comps, const void* src, uint32_t srcWB,
                   uint32_t srcW, uint32_t dispW, const SLxStretchRect* rect,
                   const SLxStretchRect* valid, const void* background, LxStretchWeightFn filter,
                   uint32_t radius)
{
    const uint32_t n = componentsOf<CN>(comps);
    if (!rect)
        return -4;
    const uint32_t outW = rect->right > rect->left ? rect->right - rect->left : 0;
    const uint32_t lines = rect->bottom > rect->top ? rect->bottom - rect->top : 0;
    if (outW == 0 || lines == 0)
        return 0;
    if (!filter)
        return -4;
    if (n == 0 || srcW == 0 || dispW == 0)
        return -9;

    ListShape shape =
        clampedShape(srcW, dispW, rect->left, outW, 0.0, 0, int64_t(srcW) - 1, filter, radius);
    if constexpr (Ex) {
        // Taps outside the data are not considered at all, and none is
        // clamped onto a column without data.
        shape.useLo = shape.clampLo = std::max<int64_t>(0, valid->left);
        shape.useHi = shape.clampHi = std::min<int64_t>(int64_t(srcW) - 1, int64_t(valid->right) - 1);
        shape.emptyWhenUnused = true;
    }
    const ContributorLists lists(shape);
    if (!lists.valid())
        return -3;
    ConstLines<T> in(src, srcWB);
    if constexpr (!Ex) {
        const LineTaps taps(lists, outW, n, 0, 0, ptrdiff_t(srcW) * n, sizeof(T));
        if (!taps.valid())
            return -3;
        filterAllLines<T>(static_cast<uint8_t*>(buf), bufWB, lines, taps,
                          [&](uint32_t k) { return in[rect->top + k]; });
        return 0;
    }
    filterLines<CN, T, Ex>(
        static_cast<uint8_t*>(buf), bufWB, n, outW, lines, lists,
        [&](uint32_t k) {
            const uint32_t r = rect->top + k;
            if constexpr (!Ex) {
                return SourceLine{in[r], 0};
            } else {
                if (r < valid->top || r >= valid->bottom)
                    return SourceLine{nullptr, 0};
                return SourceLine{in[r - valid->top], ptrdiff_t(valid->left)};
            }
        },
        static_cast<const uint8_t*>(background));
    return 0;
}

// Display, vertical: taps are buffer lines, source line rect->top the first.
template <int CN, class T>
int displayFilterV(void* dst, uint32_t dstWB, uint32_t comps, uint32_t winH, const void* buf,
                   uint32_t bufWB, uint32_t srcH, uint32_t dispH, uint32_t winY,
                   const SLxStretchRect* rect, LxStretchWeightFn filter, uint32_t radius)
{
    const uint32_t n = componentsOf<CN>(comps);
    if (!rect)
        return -4;
    const uint32_t winW = rect->right > rect->left ? rect->right - rect->left : 0;
    const uint32_t bufLines = rect->bottom > rect->top ? rect->bottom - rect->top : 0;
    if (winW == 0 || winH == 0)
        return 0;
    if (!filter)
        return -4;
    if (n == 0 || srcH == 0 || dispH == 0 || bufLines == 0)
        return -9;
    const ContributorLists lists(clampedShape(srcH, dispH, winY, winH, double(rect->top), 0,
                                             int64_t(bufLines) - 1, filter, radius));
    if (!lists.valid())
        return -3;
    return filterColumns<T>(static_cast<uint8_t*>(dst), dstWB, size_t(winW) * n, winH,
                            static_cast<const uint8_t*>(buf), bufWB, 0, lists);
}

} // namespace

#define LX_STRETCH_FILTER_H(name, CN, T)                                                           \
    int name(void* buf, uint32_t bufWB, uint32_t comps, uint32_t dstW, uint32_t lines,             \
             const void* src, uint32_t srcWB, uint32_t srcX, uint32_t srcW,                        \
             LxStretchWeightFn filter, uint32_t radius)                                            \
    {                                                                                              \
        const uint32_t n = CN ? CN : comps;                                                        \
        const uint32_t lineWidth = n ? srcWB / uint32_t(sizeof(T)) / n : 0;                        \
        return stretchFilterH<CN, T>(buf, bufWB, comps, dstW, lines, src, srcWB, srcX, srcW,       \
                                     lineWidth, filter, radius);                                   \
    }
LX_STRETCH_FILTER_H(stretchfilterh_1x8, 1, uint8_t)
LX_STRETCH_FILTER_H(stretchfilterh_3x8, 3, uint8_t)
LX_STRETCH_FILTER_H(stretchfilterh_Nx8, 0, uint8_t)
LX_STRETCH_FILTER_H(stretchfilterh_1x16, 1, uint16_t)
LX_STRETCH_FILTER_H(stretchfilterh_3x16, 3, uint16_t)
LX_STRETCH_FILTER_H(stretchfilterh_Nx16, 0, uint16_t)

#define LX_STRETCH_FILTER_V(name, CN, T)                                                           \
    int name(void* dst, uint32_t dstWB, uint32_t comps, uint32_t dstW, uint32_t dstH,              \
             const void* buf, uint32_t bufWB, uint32_t srcH, uint32_t top, uint32_t bufLines,      \
             LxStretchWeightFn filter, uint32_t radius)                                            \
    {                                                                                              \
        return stretchFilterV<CN, T>(dst, dstWB, comps, dstW, dstH, buf, bufWB, srcH, top,         \
                                     bufLines, filter, radius);                                    \
    }
LX_STRETCH_FILTER_V(stretchfilterv_1x8, 1, uint8_t)
LX_STRETCH_FILTER_V(stretchfilterv_3x8, 3, uint8_t)
LX_STRETCH_FILTER_V(stretchfilterv_Nx8, 0, uint8_t)
LX_STRETCH_FILTER_V(stretchfilterv_1x16, 1, uint16_t)
LX_STRETCH_FILTER_V(stretchfilterv_3x16, 3, uint16_t)
LX_STRETCH_FILTER_V(stretchfilterv_Nx16, 0, uint16_t)

#define LX_DISPLAY_FILTER_H(name, CN, T)                                                           \
    int name(void* buf, uint32_t bufWB, uint32_t comps, const void* src, uint32_t srcWB,           \
             uint32_t srcW, uint32_t dispW, const SLxStretchRect* rect, LxStretchWeightFn filter,  \
             uint32_t radius)                                                                      \
    {                                                                                              \
        return displayFilterH<CN, T, false>(buf, bufWB, comps, src, srcWB, srcW, dispW, rect,      \
                                            nullptr, nullptr, filter, radius);                     \
    }
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_1x8, 1, uint8_t)
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_3x8, 3, uint8_t)
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_Nx8, 0, uint8_t)
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_1x16, 1, uint16_t)
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_3x16, 3, uint16_t)
LX_DISPLAY_FILTER_H(stretchdisplayfilterh_Nx16, 0, uint16_t)

#define LX_DISPLAY_EX_FILTER_H(name, CN, T)                                                        \
    int name(void* buf, uint32_t bufWB, uint32_t comps, const void* src, uint32_t srcWB,           \
             uint32_t srcW, uint32_t dispW, const SLxStretchRect* rect,                            \
             const SLxStretchRect* valid, const void* background, LxStretchWeightFn filter,        \
             uint32_t radius)                                                                      \
    {                                                                                              \
        if (!valid || !background)                                                                 \
            return -4;                                                                             \
        return displayFilterH<CN, T, true>(buf, bufWB, comps, src, srcWB, srcW, dispW, rect,       \
                                           valid, background, filter, radius);                     \
    }
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_1x8, 1, uint8_t)
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_3x8, 3, uint8_t)
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_Nx8, 0, uint8_t)
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_1x16, 1, uint16_t)
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_3x16, 3, uint16_t)
LX_DISPLAY_EX_FILTER_H(stretchdisplayexfilterh_Nx16, 0, uint16_t)

#define LX_DISPLAY_FILTER_V(name, CN, T)                                                           \
    int name(void* dst, uint32_t dstWB, uint32_t comps, uint32_t winH, const void* buf,            \
             uint32_t bufWB, uint32_t srcH, uint32_t dispH, uint32_t winY,                         \
             const SLxStretchRect* rect, LxStretchWeightFn filter, uint32_t radius)                \
    {                                                                                              \
        return displayFilterV<CN, T>(dst, dstWB, comps, winH, buf, bufWB, srcH, dispH, winY, rect, \
                                     filter, radius);                                              \
    }
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_1x8, 1, uint8_t)
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_3x8, 3, uint8_t)
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_Nx8, 0, uint8_t)
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_1x16, 1, uint16_t)
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_3x16, 3, uint16_t)
LX_DISPLAY_FILTER_V(stretchdisplayfilterv_Nx16, 0, uint16_t)

namespace lxstretch
{

int stretchFilterHWithin(void* buf, uint32_t bufWB, uint32_t comps, uint32_t bytes, uint32_t dstW,
                         uint32_t lines, const void* src, uint32_t srcWB, uint32_t srcX,
                         uint32_t srcW, uint32_t lineWidth, LxStretchWeightFn filter,
                         uint32_t radius)
{
    auto run = [&](auto cn, auto sample) {
        return stretchFilterH<decltype(cn)::value, decltype(sample)>(
            buf, bufWB, comps, dstW, lines, src, srcWB, srcX, srcW, lineWidth, filter, radius);
    };
    using One = std::integral_constant<int, 1>;
    using Three = std::integral_constant<int, 3>;
    using Any = std::integral_constant<int, 0>;
    if (bytes == 1)
        return comps == 1   ? run(One(), uint8_t())
               : comps == 3 ? run(Three(), uint8_t())
                            : run(Any(), uint8_t());
    return comps == 1   ? run(One(), uint16_t())
           : comps == 3 ? run(Three(), uint16_t())
                        : run(Any(), uint16_t());
}

} // namespace lxstretch

namespace lxstretch
{

namespace
{

// Both passes of Stretch with the buffer as a ring of lines: buffer line b
// (source line b of src) is filtered when the first output row needing it
// comes, into ring line b mod ringLines; the rows' taps move down the buffer
// monotonically, so a ring as tall as the widest row list holds them all.
// The same sums as the whole buffer, in a few lines that stay in the cache.
template <int CN, class T>
int rollingPasses(uint8_t* dst, uint32_t dstWB, uint32_t comps, uint32_t dstW, uint32_t dstH,
                  const uint8_t* src, uint32_t srcWB, uint32_t srcX, uint32_t srcW,
                  uint32_t lineWidth, uint32_t srcH, uint32_t top, uint32_t bufLines,
                  uint32_t bufWB, LxStretchWeightFn filter, uint32_t radius)
{
    const uint32_t n = componentsOf<CN>(comps);
    if (!filter)
        return -4;
    if (n == 0 || srcW == 0 || srcX >= lineWidth || srcH == 0 || top >= bufLines)
        return -9;
    const ContributorLists columns(clampedShape(srcW, dstW, 0, dstW, 0.0, -int64_t(srcX),
                                                int64_t(lineWidth) - srcX - 1, filter, radius));
    const ContributorLists rows(clampedShape(srcH, dstH, 0, dstH, 0.0, -int64_t(top),
                                             int64_t(bufLines) - top - 1, filter, radius));
    if (!columns.valid() || !rows.valid())
        return -3;
    const LineTaps taps(columns, dstW, n, 0, -ptrdiff_t(srcX) * n,
                        (ptrdiff_t(lineWidth) - ptrdiff_t(srcX)) * n, sizeof(T));
    if (!taps.valid())
        return -3;
    // Buffer lines of each row: the lowest and highest, and the ring height.
    uint32_t most = 0, ringLines = 1;
    ptrdiff_t lowest = 0, highest = 0;
    for (uint32_t i = 0; i < dstH; ++i) {
        const Tap* list = rows.taps(i);
        ptrdiff_t lo = PTRDIFF_MAX, hi = PTRDIFF_MIN;
        for (uint32_t t = 0; t < rows.count(i); ++t) {
            lo = std::min(lo, list[t].index + ptrdiff_t(top));
            hi = std::max(hi, list[t].index + ptrdiff_t(top));
        }
        if (lo < lowest)
            return -9; // lists that move up again: never built by the rules
        lowest = lo;
        highest = std::max(highest, hi);
        most = std::max(most, rows.count(i));
        // Lines up to the highest yet are filtered; the row's lowest must
        // still be in the ring.
        ringLines = std::max<uint32_t>(ringLines, uint32_t(highest - lo + 1));
    }
    Scratch<uint8_t> ring(size_t(bufWB) * ringLines);
    Scratch<const uint8_t*> lines(most);
    Scratch<uint32_t> weights(most);
    if (!ring || !lines || !weights)
        return -3;

    ConstLines<T> in(src, srcWB);
    Lines<T> out(dst, dstWB);
    const size_t bufPitch = bufWB / sizeof(T) * sizeof(T);
    const size_t samples = size_t(dstW) * n;
    ptrdiff_t filtered = 0; // buffer lines [0, filtered) are done
    for (uint32_t i = 0; i < dstH; ++i) {
        const Tap* list = rows.taps(i);
        const uint32_t count = rows.count(i);
        for (uint32_t t = 0; t < count; ++t) {
            const ptrdiff_t b = list[t].index + ptrdiff_t(top);
            for (; filtered <= b; ++filtered)
                taps.filter<T>(ring.get() + size_t(filtered % ringLines) * bufPitch,
                               in[uint32_t(filtered)]);
            lines[t] = ring.get() + size_t(b % ringLines) * bufPitch;
            weights[t] = list[t].weight;
        }
        (sizeof(T) == 1 ? combineLines8 : combineLines16)(out[i], lines.get(), weights.get(), count,
                                                          samples);
    }
    return 0;
}

} // namespace

int stretchFilterRolling(void* dst, uint32_t dstWB, uint32_t comps, uint32_t bytes, uint32_t dstW,
                         uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcX,
                         uint32_t srcW, uint32_t lineWidth, uint32_t srcH, uint32_t top,
                         uint32_t bufLines, uint32_t bufWB, LxStretchWeightFn filter,
                         uint32_t radius)
{
    auto run = [&](auto cn, auto sample) {
        return rollingPasses<decltype(cn)::value, decltype(sample)>(
            static_cast<uint8_t*>(dst), dstWB, comps, dstW, dstH, static_cast<const uint8_t*>(src),
            srcWB, srcX, srcW, lineWidth, srcH, top, bufLines, bufWB, filter, radius);
    };
    using One = std::integral_constant<int, 1>;
    using Three = std::integral_constant<int, 3>;
    using Any = std::integral_constant<int, 0>;
    if (bytes == 1)
        return comps == 1   ? run(One(), uint8_t())
               : comps == 3 ? run(Three(), uint8_t())
                            : run(Any(), uint8_t());
    return comps == 1   ? run(One(), uint16_t())
           : comps == 3 ? run(Three(), uint16_t())
                        : run(Any(), uint16_t());
}

} // namespace lxstretch

// Nearest and filtered two-pass resampling of float pictures.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/float/LxFloatLines.h"
#include "gnr_picture/picmemAPI/float/LxFloatStretchLists.h"

using namespace lxfloat;

namespace
{

// Source position of destination position i: floor((i + 0.5) s) when
// enlarging, floor(i s) when shrinking; at most last.
inline uint32_t nearestPosition(uint32_t i, float s, uint32_t last)
{
    const float pos = s <= 1.0f ? (float(i) + 0.5f) * s : float(i) * s;
    const uint32_t p = uint32_t(std::max(0.0f, std::floor(pos)));
    return std::min(p, last);
}

// comps as a compile-time count (1 or 3) or 0 for the runtime count.
template <uint32_t C>
int stretchNearest(void* dst, uint32_t compsArg, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                   const void* src, uint32_t srcWB, uint32_t srcLines, uint32_t x0, uint32_t y0,
                   uint32_t regionW, uint32_t regionH)
{
    const uint32_t comps = C ? C : compsArg;
    const uint32_t lineWidth = comps ? srcWB / 4 / comps : 0;
    if (dstW == 0 || dstH == 0 || regionW == 0 || regionH == 0 || comps == 0 || x0 >= lineWidth ||
        y0 >= srcLines)
        return 0;
    const float sx = float(regionW) / float(dstW);
    const float sy = float(regionH) / float(dstH);
    std::vector<uint32_t> columns;
    try {
        columns.resize(dstW);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    for (uint32_t x = 0; x < dstW; ++x)
        columns[x] = nearestPosition(x, sx, lineWidth - x0 - 1) * comps;
    uint32_t previous = 0;
    for (uint32_t y = 0; y < dstH; ++y) {
        const uint32_t line = nearestPosition(y, sy, srcLines - y0 - 1);
        float* d = floatLine(dst, dstWB, y);
        if (y > 0 && line == previous) {
            std::memcpy(d, floatLine(dst, dstWB, y - 1), size_t(dstW) * comps * sizeof(float));
            continue;
        }
        previous = line;
        const float* s = floatLine(src, srcWB, line);
        for (uint32_t x = 0; x < dstW; ++x, d += comps) {
            const float* p = s + columns[x];
            for (uint32_t c = 0; c < comps; ++c)
                d[c] = p[c];
        }
    }
    return 0;
}

using lxpic::kStretchUnit;
using Lists = lxpic::FloatStretchLists;
using Pair = lxpic::FloatStretchTap;

template <uint32_t C>
void filterLine(float* d, const float* s, const Lists& lists, uint32_t dstW, uint32_t comps)
{
    for (uint32_t x = 0; x < dstW; ++x, d += comps) {
        const Pair* p = lists.pairs(x);
        const uint32_t n = lists.count(x);
        for (uint32_t c = 0; c < comps; ++c) {
            float sum = 0.0f;
            for (uint32_t k = 0; k < n; ++k)
                sum += p[k].weight * s[p[k].offset + c];
            d[c] = sum * kStretchUnit;
        }
    }
}

template <uint32_t C>
int filterHorz(void* tmp, uint32_t compsArg, uint32_t tmpWB, uint32_t dstW, uint32_t lines,
               const void* src, uint32_t srcWB, uint32_t x0, uint32_t regionW, LxFloatWeightFn f,
               uint32_t support)
{
    const uint32_t comps = C ? C : compsArg;
    const uint32_t lineWidth = comps ? srcWB / 4 / comps : 0;
    if (dstW == 0 || lines == 0 || regionW == 0 || comps == 0 || f == nullptr || support == 0 ||
        x0 >= lineWidth)
        return 0;
    try {
        const Lists lists(regionW, dstW, -int64_t(x0), int64_t(lineWidth) - x0 - 1, comps, f,
                          support);
        for (uint32_t r = 0; r < lines; ++r)
            filterLine<C>(floatLine(tmp, tmpWB, r), floatLine(src, srcWB, r), lists, dstW, comps);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

// dst[k] = sum of the taps' weight x line[k], over a whole line at once.
LX_KERNEL_CLONES void accumulateLine(float* d, const float* s, float w, size_t n, bool first)
{
    if (first)
        for (size_t k = 0; k < n; ++k)
            d[k] = w * s[k];
    else
        for (size_t k = 0; k < n; ++k)
            d[k] += w * s[k];
}

LX_KERNEL_CLONES void scaleLine(float* d, size_t n)
{
    for (size_t k = 0; k < n; ++k)
        d[k] *= kStretchUnit;
}

int filterVert(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
               const void* tmp, uint32_t tmpWB, uint32_t tmpLines, uint32_t above, uint32_t regionH,
               LxFloatWeightFn f, uint32_t support)
{
    if (dstW == 0 || dstH == 0 || regionH == 0 || comps == 0 || f == nullptr || support == 0 ||
        above >= tmpLines)
        return 0;
    const size_t n = size_t(dstW) * comps;
    try {
        const Lists lists(regionH, dstH, -int64_t(above), int64_t(tmpLines) - above - 1,
                          ptrdiff_t(tmpWB / 4), f, support);
        const float* origin = static_cast<const float*>(tmp);
        // Line by line rather than column by column: every sample still sums
        // its taps in list order, and whole lines vectorise.
        for (uint32_t y = 0; y < dstH; ++y) {
            float* d = floatLine(dst, dstWB, y);
            const Pair* p = lists.pairs(y);
            const uint32_t count = lists.count(y);
            for (uint32_t k = 0; k < count; ++k)
                accumulateLine(d, origin + p[k].offset, p[k].weight, n, k == 0);
            scaleLine(d, n);
        }
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

} // namespace

int stretch_nn_Nxfloat(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                       const void* src, uint32_t srcWB, uint32_t srcLines, uint32_t x0, uint32_t y0,
                       uint32_t regionW, uint32_t regionH)
{
    return stretchNearest<0>(dst, comps, dstWB, dstW, dstH, src, srcWB, srcLines, x0, y0, regionW,
                             regionH);
}

int stretch_nn_1xfloat(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                       const void* src, uint32_t srcWB, uint32_t srcLines, uint32_t x0, uint32_t y0,
                       uint32_t regionW, uint32_t regionH)
{
    return stretchNearest<1>(dst, comps, dstWB, dstW, dstH, src, srcWB, srcLines, x0, y0, regionW,
                             regionH);
}

int stretch_nn_3xfloat(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                       const void* src, uint32_t srcWB, uint32_t srcLines, uint32_t x0, uint32_t y0,
                       uint32_t regionW, uint32_t regionH)
{
    return stretchNearest<3>(dst, comps, dstWB, dstW, dstH, src, srcWB, srcLines, x0, y0, regionW,
                             regionH);
}

int stretch_filter_horz_Nxfloat(void* tmp, uint32_t comps, uint32_t tmpWB, uint32_t dstW,
                                uint32_t lines, const void* src, uint32_t srcWB, uint32_t,
                                uint32_t x0, uint32_t, uint32_t regionW, uint32_t,
                                LxFloatWeightFn f, uint32_t support)
{
    return filterHorz<0>(tmp, comps, tmpWB, dstW, lines, src, srcWB, x0, regionW, f, support);
}

int stretch_filter_horz_1xfloat(void* tmp, uint32_t comps, uint32_t tmpWB, uint32_t dstW,
                                uint32_t lines, const void* src, uint32_t srcWB, uint32_t,
                                uint32_t x0, uint32_t, uint32_t regionW, uint32_t,
                                LxFloatWeightFn f, uint32_t support)
{
    return filterHorz<1>(tmp, comps, tmpWB, dstW, lines, src, srcWB, x0, regionW, f, support);
}

int stretch_filter_horz_3xfloat(void* tmp, uint32_t comps, uint32_t tmpWB, uint32_t dstW,
                                uint32_t lines, const void* src, uint32_t srcWB, uint32_t,
                                uint32_t x0, uint32_t, uint32_t regionW, uint32_t,
                                LxFloatWeightFn f, uint32_t support)
{
    return filterHorz<3>(tmp, comps, tmpWB, dstW, lines, src, srcWB, x0, regionW, f, support);
}

int stretch_filter_vert_Nxfloat(void* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW,
                                uint32_t dstH, const void* tmp, uint32_t tmpWB, uint32_t tmpLines,
                                uint32_t, uint32_t above, uint32_t, uint32_t regionH,
                                LxFloatWeightFn f, uint32_t support)
{
    return filterVert(dst, comps, dstWB, dstW, dstH, tmp, tmpWB, tmpLines, above, regionH, f,
                      support);
}

int stretch_filter_vert_1xfloat(void* dst, uint32_t, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* tmp, uint32_t tmpWB, uint32_t tmpLines, uint32_t,
                                uint32_t above, uint32_t, uint32_t regionH, LxFloatWeightFn f,
                                uint32_t support)
{
    return filterVert(dst, 1, dstWB, dstW, dstH, tmp, tmpWB, tmpLines, above, regionH, f, support);
}

int stretch_filter_vert_3xfloat(void* dst, uint32_t, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                                const void* tmp, uint32_t tmpWB, uint32_t tmpLines, uint32_t,
                                uint32_t above, uint32_t, uint32_t regionH, LxFloatWeightFn f,
                                uint32_t support)
{
    return filterVert(dst, 3, dstWB, dstW, dstH, tmp, tmpWB, tmpLines, above, regionH, f, support);
}

double filter_quadratic_bspline(double t)
{
    t = std::fabs(t);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5)
        return 0.5 * (t - 1.5) * (t - 1.5);
    return 0.0;
}

int copyrect_float(float* dst, uint32_t dstW, uint32_t, const float* src, uint32_t srcW,
                   uint32_t srcH, uint32_t x, uint32_t y, uint32_t comps)
{
    const size_t line = size_t(srcW) * comps;
    for (uint32_t r = 0; r < srcH && line != 0; ++r)
        std::memcpy(dst + (size_t(y) + r) * dstW * comps + size_t(x) * comps,
                    src + size_t(r) * line, line * sizeof(float));
    return 0;
}

int cutimage_float(float* dst, uint32_t width, uint32_t height, const float* src, uint32_t srcW,
                   uint32_t, uint32_t x, uint32_t y, uint32_t comps)
{
    const size_t line = size_t(width) * comps;
    for (uint32_t r = 0; r < height && line != 0; ++r)
        std::memcpy(dst + size_t(r) * line,
                    src + (size_t(y) + r) * srcW * comps + size_t(x) * comps, line * sizeof(float));
    return 0;
}

int tilepad_float(float* dst, uint32_t dstW, uint32_t, const float* src, uint32_t srcW, uint32_t,
                  uint32_t dstX, uint32_t dstY, uint32_t srcX, uint32_t srcY, uint32_t width,
                  uint32_t height, uint32_t comps)
{
    const size_t line = size_t(width) * comps;
    for (uint32_t r = 0; r < height && line != 0; ++r)
        std::memmove(dst + (size_t(dstY) + r) * dstW * comps + size_t(dstX) * comps,
                     src + (size_t(srcY) + r) * srcW * comps + size_t(srcX) * comps,
                     line * sizeof(float));
    return 0;
}

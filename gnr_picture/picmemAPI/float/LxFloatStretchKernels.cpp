// Nearest and filtered two-pass resampling of float pictures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/float/LxFloatLines.h"
#include "gnr_picture/picmemAPI/float/LxFloatStretchLists.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

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

// A line pass's lists back to back (offsets and weights of every tap, in
// list order), so that each line reads a few small contiguous arrays. For
// one component, the longest run of outputs with the same tap count is also
// laid out tap by tap (offsets and weights of tap t of output x at t x
// runLength + x - runBegin) for the AVX2 loop.
struct PackedLists {
    static constexpr int32_t kGathers = INT32_MIN;

    std::vector<int32_t> offset;
    std::vector<float> weight;
    std::vector<uint32_t> count;
    uint32_t runBegin = 0, runEnd = 0, runTaps = 0;
    size_t runEndTap = 0; // index of output runEnd's first tap
    std::vector<int32_t> runOffset;
    std::vector<float> runWeight;
    // Per group of eight outputs of the run: the first of the eight samples
    // that hold all its taps, or kGathers; runIndex: each tap's place in them.
    std::vector<int32_t> runBase;
    std::vector<int32_t> runIndex;

    // hi: the last readable sample (offsets are clamped to it).
    PackedLists(const Lists& lists, uint32_t dstW, uint32_t comps, int64_t hi) : count(dstW)
    {
        size_t taps = 0;
        for (uint32_t x = 0; x < dstW; ++x)
            taps += count[x] = lists.count(x);
        offset.reserve(taps);
        weight.reserve(taps);
        for (uint32_t x = 0; x < dstW; ++x)
            for (uint32_t k = 0; k < count[x]; ++k) {
                offset.push_back(int32_t(lists.pairs(x)[k].offset));
                weight.push_back(lists.pairs(x)[k].weight);
            }
        if (comps == 1 && lxpic::cpuHasAvx2())
            layOutLongestRun(lists, dstW, hi);
    }

    void layOutLongestRun(const Lists& lists, uint32_t dstW, int64_t hi)
    {
        for (uint32_t start = 0, x = 1; x <= dstW; ++x) {
            if (x < dstW && count[x] == count[start])
                continue;
            if (x - start > runEnd - runBegin) {
                runBegin = start;
                runEnd = x;
            }
            start = x;
        }
        const uint32_t length = (runEnd - runBegin) / 8 * 8;
        runEnd = runBegin + length;
        for (uint32_t x = 0; x < runEnd; ++x)
            runEndTap += count[x];
        runTaps = length ? count[runBegin] : 0;
        runOffset.resize(size_t(runTaps) * length);
        runWeight.resize(size_t(runTaps) * length);
        for (uint32_t t = 0; t < runTaps; ++t)
            for (uint32_t i = 0; i < length; ++i) {
                runOffset[size_t(t) * length + i] = int32_t(lists.pairs(runBegin + i)[t].offset);
                runWeight[size_t(t) * length + i] = lists.pairs(runBegin + i)[t].weight;
            }
        // Groups of eight outputs whose taps all lie within eight readable
        // samples (enlargements) read them at once and permute them into
        // place; the others gather.
        runBase.assign(length / 8, kGathers);
        runIndex.resize(runOffset.size());
        for (uint32_t g = 0; g < length / 8; ++g) {
            int32_t lo = INT32_MAX, top = INT32_MIN;
            for (uint32_t t = 0; t < runTaps; ++t)
                for (uint32_t i = 8 * g; i < 8 * g + 8; ++i) {
                    lo = std::min(lo, runOffset[size_t(t) * length + i]);
                    top = std::max(top, runOffset[size_t(t) * length + i]);
                }
            if (top - lo >= 8 || int64_t(lo) + 7 > hi)
                continue;
            runBase[g] = lo;
            for (uint32_t t = 0; t < runTaps; ++t)
                for (uint32_t i = 8 * g; i < 8 * g + 8; ++i)
                    runIndex[size_t(t) * length + i] = runOffset[size_t(t) * length + i] - lo;
        }
    }
};

#if LX_HAVE_AVX2_PATHS
// Eight outputs at a time, their taps permuted from one load or gathered,
// each summed in list order from 0 and scaled, as the plain loop does.
LX_TARGET_AVX2 void filterRunAvx2(float* d, const float* s, const PackedLists& lists)
{
    const uint32_t length = lists.runEnd - lists.runBegin, taps = lists.runTaps;
    const __m256 unit = _mm256_set1_ps(kStretchUnit);
    for (uint32_t i = 0; i < length; i += 8) {
        const int32_t base = lists.runBase[i / 8];
        const bool permute = base != PackedLists::kGathers;
        const __m256 near = permute ? _mm256_loadu_ps(s + base) : _mm256_setzero_ps();
        __m256 sum = _mm256_setzero_ps();
        for (uint32_t t = 0; t < taps; ++t) {
            const size_t at = size_t(t) * length + i;
            const __m256 w = _mm256_loadu_ps(lists.runWeight.data() + at);
            const __m256 v =
                permute ? _mm256_permutevar8x32_ps(
                              near, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                        lists.runIndex.data() + at)))
                        : _mm256_i32gather_ps(s,
                                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                                  lists.runOffset.data() + at)),
                                              4);
            sum = _mm256_add_ps(sum, _mm256_mul_ps(w, v));
        }
        _mm256_storeu_ps(d + lists.runBegin + i, _mm256_mul_ps(sum, unit));
    }
}
#endif

template <uint32_t C>
void filterLine(float* d, const float* s, const PackedLists& lists, uint32_t dstW, uint32_t comps)
{
    const int32_t* offset = lists.offset.data();
    const float* weight = lists.weight.data();
#if LX_HAVE_AVX2_PATHS
    if (lists.runEnd > lists.runBegin)
        filterRunAvx2(d, s, lists);
#endif
    for (uint32_t x = 0; x < dstW; ++x, d += comps) {
        if (x == lists.runBegin && lists.runEnd > x) {
            // The run is done: on to its end's first tap.
            offset = lists.offset.data() + lists.runEndTap;
            weight = lists.weight.data() + lists.runEndTap;
            d += size_t(lists.runEnd - x) * comps;
            x = lists.runEnd;
            if (x == dstW)
                break;
        }
        const uint32_t n = lists.count[x];
        for (uint32_t c = 0; c < comps; ++c) {
            float sum = 0.0f;
            for (uint32_t k = 0; k < n; ++k)
                sum += weight[k] * s[ptrdiff_t(offset[k]) + c];
            d[c] = sum * kStretchUnit;
        }
        offset += n;
        weight += n;
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
        const PackedLists lists(
            Lists(regionW, dstW, -int64_t(x0), int64_t(lineWidth) - x0 - 1, comps, f, support),
            dstW, comps, int64_t(lineWidth) - x0 - 1);
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

// The same sums and scaling for a fixed tap count in one pass over the line:
// the same operations in the same order per sample.
template <int T>
LX_KERNEL_INLINE void combineFixed(float* d, const float* origin, const Pair* p, size_t n)
{
    const float* line[T];
    float w[T];
    for (int t = 0; t < T; ++t) {
        line[t] = origin + p[t].offset;
        w[t] = p[t].weight;
    }
    for (size_t k = 0; k < n; ++k) {
        float sum = w[0] * line[0][k];
        for (int t = 1; t < T; ++t)
            sum += w[t] * line[t][k];
        d[k] = sum * kStretchUnit;
    }
}

LX_KERNEL_CLONES void combineLine(float* d, const float* origin, const Pair* p, uint32_t count,
                                  size_t n)
{
    switch (count) {
    case 1:
        return combineFixed<1>(d, origin, p, n);
    case 2:
        return combineFixed<2>(d, origin, p, n);
    case 3:
        return combineFixed<3>(d, origin, p, n);
    case 4:
        return combineFixed<4>(d, origin, p, n);
    default:
        for (uint32_t k = 0; k < count; ++k)
            accumulateLine(d, origin + p[k].offset, p[k].weight, n, k == 0);
        scaleLine(d, n);
    }
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
            combineLine(floatLine(dst, dstWB, y), origin, lists.pairs(y), lists.count(y), n);
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

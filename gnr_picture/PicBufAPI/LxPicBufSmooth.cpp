// Sharpening, the 3 x 3 median and smoothing by a kernel. The fixed 3 x 3
// filters and the square mean read rows at clamped line numbers and edge
// pixels repeated across, so one row loop serves interior and border alike.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"
#include "gnr_picture/PicBufAPI/LxSmoothRows.h"

using namespace lxfilter;

namespace
{

// Copies the step samples of the first and last pixel of a row of count
// samples outward by pad pixels (the row starts pad x step samples into
// its buffer).
template <class T> void repeatEdges(T* row, size_t count, size_t step, size_t pad)
{
    for (size_t p = 1; p <= pad; ++p) {
        std::memcpy(row - p * step, row, step * sizeof(T));
        std::memcpy(row + count - step + p * step, row + count - step, step * sizeof(T));
    }
}

// --- Sharpening ---------------------------------------------------------------

template <class T>
int64_t sharpenAt(const Plane<const T>& s, int64_t y, int64_t x, int64_t c)
{
    const int64_t u = s.at(s.clampY(y - 1), x, c), d = s.at(s.clampY(y + 1), x, c);
    const int64_t l = s.at(y, s.clampX(x - 1), c), r = s.at(y, s.clampX(x + 1), c);
    return 5 * int64_t(s.at(y, x, c)) - u - d - l - r;
}

// A pixel on the picture's edge: the held Sharpen value, or for the slight
// variant its mean with the sample.
template <class T>
void sharpenEdgePixel(const Plane<T>& d, const Plane<const T>& s, int64_t y, int64_t x, bool slight,
                      int64_t top)
{
    for (int64_t c = 0; c < s.comps; ++c) {
        const int64_t v = std::clamp<int64_t>(sharpenAt(s, y, x, c), 0, top);
        d.at(y, x, c) = T(slight ? (s.at(y, x, c) + v) / 2 : v);
    }
}

template <class T> int sharpen(SLxPicBuf* dst, const SLxPicBuf* src, bool slight)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    const size_t step = size_t(s.comps);
    for (int64_t y = 0; y < s.height; ++y) {
        const bool edgeRow = y == 0 || y == s.height - 1;
        if (edgeRow && (slight || s.width < 3)) {
            for (int64_t x = 0; x < s.width; ++x)
                sharpenEdgePixel(d, s, y, x, slight, top);
            continue;
        }
        if (s.width >= 3) {
            const size_t count = size_t(s.width - 2) * step;
            const T* up = s.row(s.clampY(y - 1)) + step;
            const T* mid = s.row(y) + step;
            const T* down = s.row(s.clampY(y + 1)) + step;
            if constexpr (sizeof(T) == 1)
                lxpic::SharpenRow8(d.row(y) + step, up, mid, down, count, step, slight);
            else
                lxpic::SharpenRow16(d.row(y) + step, up, mid, down, count, step, slight,
                                    int32_t(top));
        }
        sharpenEdgePixel(d, s, y, 0, slight, top);
        sharpenEdgePixel(d, s, y, s.width - 1, slight, top);
    }
    return 0;
}

int sharpenOperation(SLxPicBuf* dst, const SLxPicBuf* src, bool slight)
{
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        return s->uiBpc == 8 ? sharpen<uint8_t>(dst, s, slight) : sharpen<uint16_t>(dst, s, slight);
    });
}

// --- Median -----------------------------------------------------------------------

template <class T> int median(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const size_t step = size_t(s.comps), count = size_t(s.width) * step;
    const size_t padded = count + 2 * step;
    T* buffer = scratch<T, 0>(3 * padded);
    if (!buffer)
        return -3;
    T* lo = buffer + step;
    T* middle = lo + padded;
    T* hi = middle + padded;
    for (int64_t y = 0; y < s.height; ++y) {
        const T* up = s.row(s.clampY(y - 1));
        const T* mid = s.row(y);
        const T* down = s.row(s.clampY(y + 1));
        if constexpr (sizeof(T) == 1)
            lxpic::SortColumns8(lo, middle, hi, up, mid, down, count);
        else
            lxpic::SortColumns16(lo, middle, hi, up, mid, down, count);
        for (T* row : {lo, middle, hi})
            repeatEdges(row, count, step, 1);
        if constexpr (sizeof(T) == 1)
            lxpic::MedianOfSorted8(d.row(y), lo - step, middle - step, hi - step, count, step);
        else
            lxpic::MedianOfSorted16(d.row(y), lo - step, middle - step, hi - step, count, step);
    }
    return 0;
}

// --- Smoothing ----------------------------------------------------------------------

// Squares up to this side add their column sums in an unrolled loop.
constexpr uint32_t kUnrolledBox = 9;

// The square mean of side k at clamped coordinates, rounded: running column
// sums S down the picture, then k column sums across. S is 16 bits for byte
// squares whose windows stay below 2^16 (twice the samples a vector), else
// 32.
template <class T, class S> int smoothSquare(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t k)
{
    constexpr bool narrow = sizeof(S) == 2;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t r = k / 2;
    const size_t step = size_t(s.comps), count = size_t(s.width) * step;
    const size_t pad = size_t(r) * step, padded = count + 2 * pad;
    S* sums = scratch<S, 0>(padded);
    // Wide windows add their columns by doubling rather than one by one.
    const bool wide = narrow || k > kUnrolledBox;
    S* windows = wide ? scratch<S, 1>(3 * padded) : nullptr;
    if (!sums || (wide && !windows))
        return -3;
    S* row = sums + pad;
    std::fill(row, row + count, S(0));
    const auto run = [&](const T* add, const T* sub) {
        if constexpr (narrow)
            lxpic::RunColumnSums8To16(row, add, sub, count);
        else if constexpr (sizeof(T) == 1)
            lxpic::RunColumnSums8(row, add, sub, count);
        else
            lxpic::RunColumnSums16(row, add, sub, count);
    };
    for (int64_t t = -r; t <= r; ++t)
        run(s.row(s.clampY(t)), nullptr);
    const uint32_t n = k * k;
    const lxpic::MeanDivider divide(n);
    const uint32_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    for (int64_t y = 0; y < s.height; ++y) {
        if (y > 0)
            run(s.row(s.clampY(y + r)), s.row(s.clampY(y - r - 1)));
        repeatEdges(row, count, step, size_t(r));
        if constexpr (narrow) {
            lxpic::WindowSumsRow16(windows, windows + count, sums, count, step, k);
            lxpic::BoxMeanRow8From16(d.row(y), windows, count, n / 2, divide.multiplier,
                                     divide.shift);
        } else {
            const uint32_t* columns = sums;
            uint32_t side = k;
            if (wide) {
                lxpic::WindowSumsRow(windows, windows + count, sums, count, step, k);
                columns = windows;
                side = 1;
            }
            if constexpr (sizeof(T) == 1)
                lxpic::BoxMeanRow8(d.row(y), columns, count, step, side, n / 2, divide.multiplier,
                                   divide.shift);
            else
                lxpic::BoxMeanRow16(d.row(y), columns, count, step, side, n / 2, divide.multiplier,
                                    divide.shift, top);
        }
    }
    return 0;
}

uint32_t setElements(const SLxKernel& k)
{
    uint32_t n = 0;
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        n += k.ubMask[e] != 0;
    return n;
}

bool setValuesAreOne(const SLxKernel& k)
{
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        if (k.ubMask[e] && k.iValues[e] != 1)
            return false;
    return true;
}

// The named shapes: the plain mean of the set elements inside, the
// weighted border convolution with the count as divisor on the edges.
int smoothNamed(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t top)
{
    thread_local std::unique_ptr<SLxKernel> unit;
    if (!unit)
        unit.reset(new (std::nothrow) SLxKernel);
    if (!unit)
        return -3;
    *unit = *kernel;
    for (uint32_t e = 0; e < kernel->uiNRows * kernel->uiNCols; ++e)
        unit->iValues[e] = 1;
    if (src->uiBpc == 8) {
        const int st = ConvolveInterior_8(dst, src, unit.get(), 0, top);
        return st != 0 ? st : Convolve_8(dst, src, kernel, 0, top);
    }
    const int st = ConvolveInterior_16(dst, src, unit.get(), 0, top);
    return st != 0 ? st : Convolve_16(dst, src, kernel, 0, top);
}

int smoothOnce(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    int status = 0;
    if (!FrameCheck(dst, src, kernel, KernelRule::fits, 16, &status))
        return status;
    const uint32_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    const uint32_t n = setElements(*kernel);
    const bool named = (KernelNameIs(kernel, u"Smooth3") && n == 9) ||
                       (KernelNameIs(kernel, u"Oct4") && n == 12);
    const bool square = IsFullSquareKernel(kernel) && (!named || setValuesAreOne(*kernel));
    if (!named && !square)
        return CLxPicBufAPI::Convolution(dst, src, kernel, 0);
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        const uint32_t side = kernel->uiNRows;
        if (square && s->uiBpc == 8 && side > kUnrolledBox && side * side * 255 < 65536)
            return smoothSquare<uint8_t, uint16_t>(dst, s, side);
        if (square)
            return s->uiBpc == 8 ? smoothSquare<uint8_t, uint32_t>(dst, s, side)
                                 : smoothSquare<uint16_t, uint32_t>(dst, s, side);
        return smoothNamed(dst, s, kernel, top);
    });
}

} // namespace

int CLxPicBufAPI::Sharpen(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return sharpenOperation(dst, src, false);
}

int CLxPicBufAPI::SharpenSlightly(SLxPicBuf* dst, const SLxPicBuf* src)
{
    return sharpenOperation(dst, src, true);
}

int CLxPicBufAPI::Median(SLxPicBuf* dst, const SLxPicBuf* src)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps) || src->uiWidth < 3 || src->uiHeight < 3)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        return s->uiBpc == 8 ? median<uint8_t>(dst, s) : median<uint16_t>(dst, s);
    });
}

int CLxPicBufAPI::Smooth(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return smoothOnce(dst, src, kernel);
}

int CLxPicBufAPI::Smooth(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                         uint32_t count)
{
    return RepeatPasses(dst, src, kernel, count, smoothOnce);
}

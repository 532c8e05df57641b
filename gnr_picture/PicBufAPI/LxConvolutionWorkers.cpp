// Weighted sums over a kernel (unsigned and signed-with-offset results) and
// the gradient magnitude. Sums run along rows: every set element adds its
// weight times a whole shifted source row into a 64-bit accumulator row, so
// no sum can wrap, and the finishing step divides, rounds and clamps.
#include <algorithm>
#include <type_traits>

#include "gnr_picture/PicBufAPI/LxConvolutionRows.h"
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

enum class Part { interior, borders };

// The divisor rule: 0 becomes the element count (1 without elements), the
// rounding term is half the divisor, truncated toward zero.
struct Divide {
    int64_t divisor, rounding;
    Divide(int32_t d, uint32_t n)
    {
        divisor = d != 0 ? d : (n ? int64_t(n) : 1);
        rounding = divisor / 2;
    }
    template <class V> V operator()(V s) const
    {
        return divisor == 1 ? s : V(s + rounding) / V(divisor);
    }
};

// The finishing row loop's terms: divisor, rounding, range, sign flip, shift.
struct RowTerms {
    int32_t divisor, rounding, lowest, highest;
    uint32_t signFlip, shift;
};

struct Unsigned {
    Divide divide;
    int64_t maxValue;
    template <class T, class V> T store(V s) const
    {
        return T(std::clamp<V>(divide(s), 0, V(maxValue)));
    }
    RowTerms terms() const
    {
        return RowTerms{int32_t(divide.divisor), int32_t(divide.rounding), 0,
                        int32_t(std::min<int64_t>(maxValue, INT32_MAX)), 0, 0};
    }
};

// v - lowest in the sample width, computed as the picture layer does it.
struct Signed {
    Divide divide;
    int64_t lowest, highest;
    uint32_t signFlip, shift;
    template <class T, class V> T store(V s) const
    {
        const int64_t v = int64_t(std::clamp<V>(divide(s), V(lowest), V(highest)));
        return T((uint32_t(v) ^ signFlip) - shift);
    }
    RowTerms terms() const
    {
        return RowTerms{int32_t(divide.divisor), int32_t(divide.rounding), int32_t(lowest),
                        int32_t(highest), signFlip, shift};
    }
};

// Acc is int32_t where every sum provably fits (the cloned row loops), else
// int64_t.
template <class T, class Acc, class Store>
int convolveRegion(const Plane<T>& d, const Plane<const T>& s, const Rect& r, const Element* el,
                   uint32_t n, const Store& finish, bool small = false)
{
    const int64_t len = (r.x1 - r.x0) * s.comps;
    Acc* acc = scratch<Acc, 2>(size_t(len));
    if (!acc)
        return -3;
    const T* batchRows[8];
    int32_t batchWeights[8];
    uint32_t batched = 0;
    bool filled = false;
    // The whole-row runs gathered so far into the accumulator; the first
    // batch of a row sets it. Runs that reach the edge come after them.
    const auto flush = [&] {
        if (batched == 0)
            return;
        if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) == 1)
            MulAddRows8(acc, batchRows, batchWeights, batched, size_t(len), !filled);
        else if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) == 2)
            MulAddRows16(acc, batchRows, batchWeights, batched, size_t(len), !filled);
        filled = true;
        batched = 0;
    };
    // Before a run that does not cover the row: the accumulator set.
    const auto ready = [&] {
        if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) <= 2) {
            flush();
            if (!filled)
                std::fill(acc, acc + len, 0);
            filled = true;
        }
    };
    for (int64_t y = r.y0; y < r.y1; ++y) {
        batched = 0;
        filled = false;
        if constexpr (!(std::is_same_v<Acc, int32_t> && sizeof(T) <= 2))
            std::fill(acc, acc + len, 0);
        for (uint32_t e = 0; e < n; ++e) {
            // A zero weight adds nothing (the divisor still counts it).
            if (el[e].weight == 0)
                continue;
            const T* __restrict in = s.row(s.clampY(y + el[e].dy));
            const int64_t w = el[e].weight;
            splitShifted(
                r.x0, r.x1, el[e].dx, s.width, s.comps,
                [&](int64_t o, int64_t so, int64_t count) {
                    Acc* __restrict a = acc + o;
                    const T* __restrict b = in + so;
                    if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) <= 2) {
                        // Whole-row runs go five at a time (wider batches spill).
                        if (o == 0 && count == len) {
                            batchRows[batched] = b;
                            batchWeights[batched] = int32_t(w);
                            if (++batched == 5)
                                flush();
                            return;
                        }
                        ready();
                    }
                    if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) == 1)
                        MulAddRow8(a, b, int32_t(w), size_t(count));
                    else if constexpr (std::is_same_v<Acc, int32_t>)
                        MulAddRow16(a, b, int32_t(w), size_t(count));
                    else
                        for (int64_t i = 0; i < count; ++i)
                            a[i] += w * b[i];
                },
                [&](int64_t o, int64_t so, int64_t pixels) {
                    ready();
                    for (int64_t p = 0; p < pixels; ++p)
                        for (int64_t c = 0; c < s.comps; ++c)
                            acc[o + p * s.comps + c] += Acc(w * in[so + c]);
                });
        }
        ready();
        T* out = d.row(y) + r.x0 * d.comps;
        if constexpr (std::is_same_v<Acc, int32_t> && sizeof(T) <= 2) {
            const RowTerms t = finish.terms();
            if constexpr (sizeof(T) == 1)
                FinishRow8(out, acc, size_t(len), t.divisor, t.rounding, t.lowest, t.highest,
                           t.signFlip, t.shift, small);
            else
                FinishRow16(out, acc, size_t(len), t.divisor, t.rounding, t.lowest, t.highest,
                            t.signFlip, t.shift, small);
        } else {
            for (int64_t i = 0; i < len; ++i)
                out[i] = finish.template store<T>(acc[i]);
        }
    }
    return 0;
}

template <class T, class Make>
int convolve(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, Part part,
             Make makeFinish)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    Element* el = scratch<Element, 0>(MAX_KERNEL_ELEMENTS);
    if (!el)
        return -3;
    const uint32_t n = elementsOf(*kernel, el);
    const auto finish = makeFinish(n);
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    // 32-bit sums when the largest possible sum fits them.
    uint64_t weights = 0;
    for (uint32_t e = 0; e < n; ++e)
        weights += uint64_t(el[e].weight < 0 ? -int64_t(el[e].weight) : int64_t(el[e].weight));
    const bool narrow =
        sizeof(T) <= 2 && weights * ((uint64_t(1) << (8 * sizeof(T))) - 1) < (uint64_t(1) << 31);
    // Sums, rounding and divisor below 2^24 finish in float.
    const RowTerms terms = finish.terms();
    const bool small =
        weights * ((uint64_t(1) << (8 * std::min<size_t>(sizeof(T), 2))) - 1) +
            uint64_t(terms.divisor < 0 ? -int64_t(terms.divisor) : int64_t(terms.divisor)) <
        (uint64_t(1) << 24);
    const auto region = [&](const Rect& r) {
        if constexpr (sizeof(T) <= 2)
            if (narrow)
                return convolveRegion<T, int32_t>(d, s, r, el, n, finish, small);
        // 32-bit samples under large weights can pass 2^63.
        if constexpr (sizeof(T) == 4)
            if (weights > uint64_t(INT64_MAX) / 0xFFFFFFFFu)
                return convolveRegion<T, __int128>(d, s, r, el, n, finish);
        return convolveRegion<T, int64_t>(d, s, r, el, n, finish);
    };
    if (part == Part::interior)
        return region(interiorOf(s.width, s.height, *kernel));
    int status = 0;
    forEachBorderStrip(s.width, s.height, *kernel, [&](const Rect& r) {
        if (status == 0)
            status = region(r);
    });
    return status;
}

template <class T>
int convolveUnsigned(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                     uint32_t maxValue, Part part)
{
    return convolve<T>(dst, src, kernel, part, [&](uint32_t n) {
        return Unsigned{Divide(divisor, n), int64_t(maxValue)};
    });
}

template <class T>
int convolveSigned(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                   int32_t lowest, int32_t highest, uint32_t signFlip, uint32_t shift, Part part)
{
    return convolve<T>(dst, src, kernel, part, [&](uint32_t n) {
        return Signed{Divide(divisor, n), lowest, highest, signFlip, shift};
    });
}

// |gx| + |gy| over the eight neighbours of each sample of the rectangle.
template <class T>
void edgesRegion(const Plane<T>& d, const Plane<const T>& s, const Rect& r, int64_t maxValue)
{
    const int64_t comps = s.comps;
    for (int64_t y = r.y0; y < r.y1; ++y) {
        const T* __restrict north = s.row(s.clampY(y - 1));
        const T* __restrict mid = s.row(y);
        const T* __restrict south = s.row(s.clampY(y + 1));
        T* __restrict out = d.row(y);
        const auto at = [&](int64_t x, int64_t c) {
            const int64_t w = s.clampX(x - 1) * comps + c, e = s.clampX(x + 1) * comps + c;
            const int64_t gx = 2 * (int64_t(mid[e]) - mid[w]) + (int64_t(north[e]) - north[w]) +
                               (int64_t(south[e]) - south[w]);
            const int64_t gy = 2 * (int64_t(south[x * comps + c]) - north[x * comps + c]) +
                               (int64_t(south[e]) - north[e]) + (int64_t(south[w]) - north[w]);
            out[x * comps + c] =
                T(std::min<int64_t>((gx < 0 ? -gx : gx) + (gy < 0 ? -gy : gy), maxValue));
        };
        // Columns with both neighbours inside run as plain sample loops.
        const int64_t a = std::max<int64_t>(r.x0, 1), b = std::min<int64_t>(r.x1, s.width - 1);
        for (int64_t x = r.x0; x < std::min(a, r.x1); ++x)
            for (int64_t c = 0; c < comps; ++c)
                at(x, c);
        if (b > a) {
            const size_t base = size_t((a - 1) * comps), count = size_t((b - a) * comps);
            const int32_t top = int32_t(std::min<int64_t>(maxValue, INT32_MAX));
            if constexpr (sizeof(T) == 1)
                GradientRow8(out + base, north + base, mid + base, south + base, count,
                             size_t(comps), top);
            else
                GradientRow16(out + base, north + base, mid + base, south + base, count,
                              size_t(comps), top);
        }
        for (int64_t x = std::max(b, a); x < r.x1; ++x)
            for (int64_t c = 0; c < comps; ++c)
                at(x, c);
    }
}

template <class T>
int edges(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t maxValue,
          Part part)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    if (part == Part::interior)
        edgesRegion(d, s, interiorOf(s.width, s.height, *kernel), maxValue);
    else
        forEachBorderStrip(s.width, s.height, *kernel,
                           [&](const Rect& r) { edgesRegion(d, s, r, maxValue); });
    return 0;
}

} // namespace

int Convolve_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
               uint32_t maxValue)
{
    return convolveUnsigned<uint8_t>(dst, src, kernel, divisor, maxValue, Part::borders);
}
int Convolve_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                uint32_t maxValue)
{
    return convolveUnsigned<uint16_t>(dst, src, kernel, divisor, maxValue, Part::borders);
}
int ConvolveInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, uint32_t maxValue)
{
    return convolveUnsigned<uint8_t>(dst, src, kernel, divisor, maxValue, Part::interior);
}
int ConvolveInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        int32_t divisor, uint32_t maxValue)
{
    return convolveUnsigned<uint16_t>(dst, src, kernel, divisor, maxValue, Part::interior);
}

int ConvolveSigned_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, int32_t divisor,
                     int32_t lowest, int32_t highest, uint32_t signFlip, uint32_t shift)
{
    return convolveSigned<uint8_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                   Part::borders);
}
int ConvolveSigned_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                      int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                      uint32_t shift)
{
    return convolveSigned<uint16_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                    Part::borders);
}
int ConvolveSigned_32A(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                       uint32_t shift)
{
    return convolveSigned<uint32_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                    Part::interior);
}
int ConvolveSigned_32B(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                       uint32_t shift)
{
    return convolveSigned<uint32_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                    Part::borders);
}
int ConvolveSignedInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                             int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                             uint32_t shift)
{
    return convolveSigned<uint8_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                   Part::interior);
}
int ConvolveSignedInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              int32_t divisor, int32_t lowest, int32_t highest, uint32_t signFlip,
                              uint32_t shift)
{
    return convolveSigned<uint16_t>(dst, src, kernel, divisor, lowest, highest, signFlip, shift,
                                    Part::interior);
}

int EdgesDetect_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t maxValue)
{
    return edges<uint8_t>(dst, src, kernel, maxValue, Part::borders);
}
int EdgesDetect_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t maxValue)
{
    return edges<uint16_t>(dst, src, kernel, maxValue, Part::borders);
}
int EdgesDetectInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                          uint32_t maxValue)
{
    return edges<uint8_t>(dst, src, kernel, maxValue, Part::interior);
}
int EdgesDetectInterior_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                           uint32_t maxValue)
{
    return edges<uint16_t>(dst, src, kernel, maxValue, Part::interior);
}

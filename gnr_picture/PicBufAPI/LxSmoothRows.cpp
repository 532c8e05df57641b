// Plain loops the compiler vectorises, cloned for AVX2.
#include "gnr_picture/PicBufAPI/LxSmoothRows.h"

#include <algorithm>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

// The row loops run over counts that are no multiple of the vector width:
// the optimiser's default at -O2 leaves such loops scalar.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")

namespace lxpic
{

namespace
{

// 8-bit sums fit 16 bits: 6 x 255 + 4 x 255 in magnitude.
template <class T, class Acc>
LX_KERNEL_INLINE void sharpen(T* __restrict out, const T* __restrict up, const T* __restrict mid,
                              const T* __restrict down, size_t count, size_t step, bool slight,
                              Acc top)
{
    const T* __restrict left = mid - step;
    const T* __restrict right = mid + step;
    if (slight) {
        for (size_t i = 0; i < count; ++i) {
            const Acc v = Acc(Acc(6 * Acc(mid[i])) - Acc(up[i]) - Acc(down[i]) - Acc(left[i]) -
                              Acc(right[i])) >>
                          1;
            out[i] = T(std::min<Acc>(std::max<Acc>(v, 0), top));
        }
    } else {
        for (size_t i = 0; i < count; ++i) {
            const Acc v = Acc(Acc(5 * Acc(mid[i])) - Acc(up[i]) - Acc(down[i]) - Acc(left[i]) -
                              Acc(right[i]));
            out[i] = T(std::min<Acc>(std::max<Acc>(v, 0), top));
        }
    }
}

template <class T>
LX_KERNEL_INLINE void sortColumns(T* __restrict lo, T* __restrict middle, T* __restrict hi,
                                  const T* __restrict up, const T* __restrict mid,
                                  const T* __restrict down, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const T a = up[i], b = mid[i], c = down[i];
        const T l = std::min(a, b), h = std::max(a, b);
        lo[i] = std::min(l, c);
        hi[i] = std::max(h, c);
        middle[i] = std::max(l, std::min(h, c));
    }
}

template <class T>
LX_KERNEL_INLINE void medianOfSorted(T* __restrict out, const T* __restrict lo,
                                     const T* __restrict middle, const T* __restrict hi,
                                     size_t count, size_t step)
{
    for (size_t i = 0; i < count; ++i) {
        const size_t w = i, c = i + step, e = i + 2 * step;
        const T maxLo = std::max(std::max(lo[w], lo[c]), lo[e]);
        const T minHi = std::min(std::min(hi[w], hi[c]), hi[e]);
        const T a = middle[w], b = middle[c], d = middle[e];
        const T medMid = std::max(std::min(a, b), std::min(std::max(a, b), d));
        out[i] = std::max(std::min(maxLo, medMid), std::min(std::max(maxLo, medMid), minHi));
    }
}

template <class T>
LX_KERNEL_INLINE void runColumnSums(uint32_t* __restrict sums, const T* __restrict add,
                                    const T* __restrict sub, size_t count)
{
    if (sub)
        for (size_t i = 0; i < count; ++i)
            sums[i] += uint32_t(add[i]) - uint32_t(sub[i]);
    else
        for (size_t i = 0; i < count; ++i)
            sums[i] += add[i];
}

// Windows of a known side add their K columns in a fixed unrolled sum
// (vectorised across the row).
template <uint32_t K, class T>
LX_KERNEL_INLINE void boxMeanOf(T* __restrict out, const uint32_t* __restrict sums, size_t count,
                                size_t step, uint32_t half, uint32_t multiplier, uint32_t shift,
                                uint32_t top)
{
    for (size_t i = 0; i < count; ++i) {
        uint32_t total = half;
#pragma GCC unroll 16
        for (uint32_t t = 0; t < K; ++t)
            total += sums[i + t * step];
        const uint32_t q = uint32_t((uint64_t(total) * multiplier) >> shift);
        out[i] = T(q < top ? q : top);
    }
}

template <class T>
LX_KERNEL_INLINE void boxMean(T* __restrict out, const uint32_t* __restrict sums, size_t count,
                              size_t step, uint32_t k, uint32_t half, uint32_t multiplier,
                              uint32_t shift, uint32_t top)
{
    switch (k) {
    case 1:
        return boxMeanOf<1>(out, sums, count, step, half, multiplier, shift, top);
    case 3:
        return boxMeanOf<3>(out, sums, count, step, half, multiplier, shift, top);
    case 5:
        return boxMeanOf<5>(out, sums, count, step, half, multiplier, shift, top);
    case 7:
        return boxMeanOf<7>(out, sums, count, step, half, multiplier, shift, top);
    case 9:
        return boxMeanOf<9>(out, sums, count, step, half, multiplier, shift, top);
    default:
        break;
    }
    // Wide windows run a sum per component along the row.
    for (size_t c = 0; c < step && c < count; ++c) {
        uint32_t total = half;
        for (uint32_t t = 0; t < k; ++t)
            total += sums[c + t * step];
        for (size_t i = c;; i += step) {
            const uint32_t q = uint32_t((uint64_t(total) * multiplier) >> shift);
            out[i] = T(std::min(q, top));
            if (i + step >= count)
                break;
            total += sums[i + k * step] - sums[i];
        }
    }
}

} // namespace

MeanDivider::MeanDivider(uint32_t n)
{
    uint32_t log2 = 0;
    while ((uint64_t(2) << log2) <= n)
        ++log2;
    shift = 31 + log2;
    multiplier = uint32_t((uint64_t(1) << shift) / n + 1);
}

LX_KERNEL_CLONES void SharpenRow8(uint8_t* out, const uint8_t* up, const uint8_t* mid,
                                  const uint8_t* down, size_t count, size_t step, bool slight)
{
    sharpen<uint8_t, int16_t>(out, up, mid, down, count, step, slight, 255);
}

LX_KERNEL_CLONES void SharpenRow16(uint16_t* out, const uint16_t* up, const uint16_t* mid,
                                   const uint16_t* down, size_t count, size_t step, bool slight,
                                   int32_t top)
{
    sharpen<uint16_t, int32_t>(out, up, mid, down, count, step, slight, top);
}

LX_KERNEL_CLONES void SortColumns8(uint8_t* lo, uint8_t* middle, uint8_t* hi, const uint8_t* up,
                                   const uint8_t* mid, const uint8_t* down, size_t count)
{
    sortColumns(lo, middle, hi, up, mid, down, count);
}

LX_KERNEL_CLONES void SortColumns16(uint16_t* lo, uint16_t* middle, uint16_t* hi,
                                    const uint16_t* up, const uint16_t* mid, const uint16_t* down,
                                    size_t count)
{
    sortColumns(lo, middle, hi, up, mid, down, count);
}

LX_KERNEL_CLONES void MedianOfSorted8(uint8_t* out, const uint8_t* lo, const uint8_t* middle,
                                      const uint8_t* hi, size_t count, size_t step)
{
    medianOfSorted(out, lo, middle, hi, count, step);
}

LX_KERNEL_CLONES void MedianOfSorted16(uint16_t* out, const uint16_t* lo, const uint16_t* middle,
                                       const uint16_t* hi, size_t count, size_t step)
{
    medianOfSorted(out, lo, middle, hi, count, step);
}

LX_KERNEL_CLONES void RunColumnSums8(uint32_t* sums, const uint8_t* add, const uint8_t* sub,
                                     size_t count)
{
    runColumnSums(sums, add, sub, count);
}

LX_KERNEL_CLONES void RunColumnSums16(uint32_t* sums, const uint16_t* add, const uint16_t* sub,
                                      size_t count)
{
    runColumnSums(sums, add, sub, count);
}

template <class S>
LX_KERNEL_INLINE void windowSums(S* windows, S* work, const S* sums, size_t count, size_t step,
                                 uint32_t k)
{
    size_t length = count + size_t(k - 1) * step, offset = 0;
    S* ping = work;
    S* pong = work + length;
    const S* current = sums;
    bool first = true;
    for (uint32_t span = 1;; span *= 2) {
        if (k & span) {
            const S* __restrict in = current + offset;
            S* __restrict out = windows;
            if (first)
                std::copy(in, in + count, out);
            else
                for (size_t i = 0; i < count; ++i)
                    out[i] = S(out[i] + in[i]);
            first = false;
            offset += span * step;
        }
        if ((k & ~(2 * span - 1)) == 0)
            return;
        const size_t reach = span * step;
        length -= reach;
        const S* __restrict in = current;
        S* __restrict next = current == ping ? pong : ping;
        for (size_t i = 0; i < length; ++i)
            next[i] = S(in[i] + in[i + reach]);
        current = next;
    }
}

LX_KERNEL_CLONES void WindowSumsRow(uint32_t* windows, uint32_t* work, const uint32_t* sums,
                                    size_t count, size_t step, uint32_t k)
{
    windowSums(windows, work, sums, count, step, k);
}

LX_KERNEL_CLONES void WindowSumsRow16(uint16_t* windows, uint16_t* work, const uint16_t* sums,
                                      size_t count, size_t step, uint32_t k)
{
    windowSums(windows, work, sums, count, step, k);
}

LX_KERNEL_CLONES void RunColumnSums8To16(uint16_t* __restrict sums, const uint8_t* __restrict add,
                                         const uint8_t* __restrict sub, size_t count)
{
    if (sub)
        for (size_t i = 0; i < count; ++i)
            sums[i] = uint16_t(sums[i] + add[i] - sub[i]);
    else
        for (size_t i = 0; i < count; ++i)
            sums[i] = uint16_t(sums[i] + add[i]);
}

LX_KERNEL_CLONES void BoxMeanRow8From16(uint8_t* __restrict out, const uint16_t* __restrict windows,
                                        size_t count, uint32_t half, uint32_t multiplier,
                                        uint32_t shift)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t q = uint32_t((uint64_t(windows[i] + half) * multiplier) >> shift);
        out[i] = uint8_t(q < 255 ? q : 255);
    }
}

LX_KERNEL_CLONES void BoxMeanRow8(uint8_t* out, const uint32_t* sums, size_t count, size_t step,
                                  uint32_t k, uint32_t half, uint32_t multiplier, uint32_t shift)
{
    boxMean(out, sums, count, step, k, half, multiplier, shift, 255);
}

LX_KERNEL_CLONES void BoxMeanRow16(uint16_t* out, const uint32_t* sums, size_t count, size_t step,
                                   uint32_t k, uint32_t half, uint32_t multiplier, uint32_t shift,
                                   uint32_t top)
{
    boxMean(out, sums, count, step, k, half, multiplier, shift, top);
}

} // namespace lxpic

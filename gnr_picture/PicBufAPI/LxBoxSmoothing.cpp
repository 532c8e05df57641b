// The mean of an n x n box by running sums: a running column sum over the
// rows of the box, prefix sums along each row, one division a sample; the
// cost does not grow with n.
#include <algorithm>
#include <emmintrin.h>
#include <type_traits>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

using namespace lxfilter;

// out[i] = (high[i] - low[i]) / count, truncated, for box sums below 2^31.
// (sum + 1/2) / count lies at least 1/(2 count) inside its integer step,
// farther than the rounding of the product can move it: always in double,
// in float while count < 2^14 and the quotient fits 8 bits. Plain loops
// that vectorise (an integer division per sample would not).
template <class T, class F>
LX_KERNEL_INLINE void divideBoxRow(T* __restrict out, const uint32_t* __restrict high,
                                   const uint32_t* __restrict low, size_t n, int32_t count)
{
    const F inverse = F(1) / F(count);
    for (size_t i = 0; i < n; ++i)
        out[i] = T(int32_t((F(int32_t(high[i] - low[i])) + F(0.5)) * inverse));
}

constexpr int32_t kFloatBoxCount = 1 << 14;

LX_KERNEL_CLONES void DivideBoxRow8(uint8_t* __restrict out, const uint32_t* __restrict high,
                                    const uint32_t* __restrict low, size_t n, int32_t count)
{
    if (count < kFloatBoxCount)
        divideBoxRow<uint8_t, float>(out, high, low, n, count);
    else
        divideBoxRow<uint8_t, double>(out, high, low, n, count);
}

LX_KERNEL_CLONES void DivideBoxRow16(uint16_t* __restrict out, const uint32_t* __restrict high,
                                     const uint32_t* __restrict low, size_t n, int32_t count)
{
    divideBoxRow<uint16_t, double>(out, high, low, n, count);
}

namespace
{

// prefix[0] = 0, prefix[x + 1] = column[0] + ... + column[x], wrapping.
// Four lanes scan at once, so the carry chain is one add per four samples.
template <class Sum> void runningSums(Sum* prefix, const Sum* column, int64_t w)
{
    prefix[0] = 0;
    int64_t x = 0;
    Sum run = 0;
    if constexpr (sizeof(Sum) == 4) {
        __m128i carry = _mm_setzero_si128();
        for (; x + 4 <= w; x += 4) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + x));
            v = _mm_add_epi32(v, _mm_slli_si128(v, 4));
            v = _mm_add_epi32(v, _mm_slli_si128(v, 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(prefix + x + 1), _mm_add_epi32(v, carry));
            // The carry waits on one add only; the block's total is ready
            // beside it.
            carry = _mm_add_epi32(carry, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3)));
        }
        run = prefix[x];
    }
    for (; x < w; ++x) {
        run += column[x];
        prefix[x + 1] = run;
    }
}

// The column sums move down one row: the entering row added, the leaving
// one taken away (either may be missing at the picture's ends).
template <class T, class Sum>
void advanceColumns(Sum* __restrict column, const T* __restrict enter, const T* __restrict leave,
                    int64_t w)
{
    if (enter && leave)
        for (int64_t x = 0; x < w; ++x)
            column[x] += Sum(enter[x]) - Sum(leave[x]);
    else if (enter)
        for (int64_t x = 0; x < w; ++x)
            column[x] += enter[x];
    else if (leave)
        for (int64_t x = 0; x < w; ++x)
            column[x] -= leave[x];
}

// Sum is wide enough for a whole box; prefix sums may wrap, their
// differences (one box) do not.
template <class T, class Sum> int boxSmooth(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t w = s.width, h = s.height;
    const int64_t half = n / 2, lead = n - half;
    const bool small =
        std::is_same_v<Sum, uint32_t> &&
        uint64_t(n) * uint64_t(n) * ((uint64_t(1) << (8 * sizeof(T))) - 1) < (uint64_t(1) << 31);
    Sum* column = scratch<Sum, 3>(size_t(w));
    Sum* prefix = scratch<Sum, 4>(size_t(w) + 1);
    if (!column || !prefix)
        return -3;
    std::fill(column, column + w, Sum(0));
    for (int64_t y = 0; y < half; ++y) {
        const T* __restrict in = s.row(y);
        for (int64_t x = 0; x < w; ++x)
            column[x] += in[x];
    }
    for (int64_t y = 0; y < h; ++y) {
        // column holds rows max(0, y - lead) .. min(h - 1, y + half - 1).
        const int64_t rows = std::min(h - 1, y + half - 1) - std::max<int64_t>(0, y - lead) + 1;
        const T* enter = y + half < h ? s.row(y + half) : nullptr;
        const T* leave = y - lead >= 0 ? s.row(y - lead) : nullptr;
        runningSums(prefix, column, w);
        advanceColumns(column, enter, leave, w);
        T* out = d.row(y);
        const auto edge = [&](int64_t x) {
            const int64_t lo = std::max<int64_t>(0, x - lead), hi = std::min(w - 1, x + half - 1);
            const Sum sum = Sum(prefix[hi + 1] - prefix[lo]);
            out[x] = T(sum / Sum((hi - lo + 1) * rows));
        };
        // Where the whole row of the box is inside, the count is n x rows:
        // a double division of two exact integers, truncated, is exact (the
        // quotient is never within 2^-40 of an integer it does not reach),
        // and it vectorises where an integer division does not.
        const int64_t x0 = std::min(lead, w), x1 = std::max(x0, w - half + 1);
        for (int64_t x = 0; x < x0; ++x)
            edge(x);
        if constexpr (std::is_same_v<Sum, uint32_t>) {
            const size_t count = size_t(std::max<int64_t>(x1 - x0, 0));
            if (small && count > 0) {
                const uint32_t* high = prefix + x0 + half;
                const uint32_t* low = prefix + x0 - lead;
                if constexpr (sizeof(T) == 1)
                    DivideBoxRow8(out + x0, high, low, count, int32_t(n * rows));
                else
                    DivideBoxRow16(out + x0, high, low, count, int32_t(n * rows));
            }
        }
        if (!small) {
            const double count = double(n * rows);
            for (int64_t x = x0; x < x1; ++x)
                out[x] = T(double(Sum(prefix[x + half] - prefix[x - lead])) / count);
        }
        for (int64_t x = x1; x < w; ++x)
            edge(x);
    }
    return 0;
}

template <class T> int boxChecked(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n)
{
    if (!picturesFit<T>(dst, src) || src->uiComps != 1 || n < 2 ||
        uint32_t(n) > std::min(src->uiWidth, src->uiHeight))
        return -9;
    // 32-bit sums while a whole box of the largest samples fits them.
    const uint64_t largest = uint64_t(n) * uint64_t(n) * ((uint64_t(1) << (8 * sizeof(T))) - 1);
    return largest <= 0xFFFFFFFFu ? boxSmooth<T, uint32_t>(dst, src, n)
                                  : boxSmooth<T, uint64_t>(dst, src, n);
}

} // namespace

int smoothsquare_box_8(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n)
{
    return boxChecked<uint8_t>(dst, src, n);
}

int smoothsquare_box_16(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n)
{
    return boxChecked<uint16_t>(dst, src, n);
}

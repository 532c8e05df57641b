// The mean of an n x n box by running sums: a running column sum over the
// rows of the box, prefix sums along each row, one division a sample; the
// cost does not grow with n.
#include <algorithm>
#include <type_traits>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

using namespace lxfilter;

// out[i] = (high[i] - low[i]) / count, truncated, for box sums below 2^31:
// a float estimate is off by at most one, which the remainder corrects.
// Plain loops that vectorise (a division per sample would not).
LX_KERNEL_CLONES void DivideBoxRow8(uint8_t* __restrict out, const uint32_t* __restrict high,
                                    const uint32_t* __restrict low, size_t n, int32_t count)
{
    const float inverse = 1.0f / float(count);
    for (size_t i = 0; i < n; ++i) {
        const int32_t sum = int32_t(high[i] - low[i]);
        int32_t q = int32_t(float(sum) * inverse);
        const int32_t rest = int32_t(uint32_t(sum) - uint32_t(q) * uint32_t(count));
        q += int32_t(rest >= count) - int32_t(rest < 0);
        out[i] = uint8_t(q);
    }
}

LX_KERNEL_CLONES void DivideBoxRow16(uint16_t* __restrict out, const uint32_t* __restrict high,
                                     const uint32_t* __restrict low, size_t n, int32_t count)
{
    const float inverse = 1.0f / float(count);
    for (size_t i = 0; i < n; ++i) {
        const int32_t sum = int32_t(high[i] - low[i]);
        int32_t q = int32_t(float(sum) * inverse);
        const int32_t rest = int32_t(uint32_t(sum) - uint32_t(q) * uint32_t(count));
        q += int32_t(rest >= count) - int32_t(rest < 0);
        out[i] = uint16_t(q);
    }
}

namespace
{

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
        // The running value stays in a register: reading it back from
        // prefix would chain every step through memory.
        // The running sum is one add a step in a chain; the next row's
        // column update rides along in the same pass for free.
        const T* __restrict enter = y + half < h ? s.row(y + half) : nullptr;
        const T* __restrict leave = y - lead >= 0 ? s.row(y - lead) : nullptr;
        const auto prefixAndAdvance = [&](auto withEnter, auto withLeave) {
            Sum run = 0;
            prefix[0] = 0;
            for (int64_t x = 0; x < w; ++x) {
                const Sum c = column[x];
                run += c;
                prefix[x + 1] = run;
                Sum next = c;
                if constexpr (decltype(withEnter)::value)
                    next += enter[x];
                if constexpr (decltype(withLeave)::value)
                    next -= leave[x];
                column[x] = next;
            }
        };
        if (enter && leave)
            prefixAndAdvance(std::true_type{}, std::true_type{});
        else if (enter)
            prefixAndAdvance(std::true_type{}, std::false_type{});
        else if (leave)
            prefixAndAdvance(std::false_type{}, std::true_type{});
        else
            prefixAndAdvance(std::false_type{}, std::false_type{});
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

// The mean of an n x n box by running sums: a running column sum over the
// rows of the box, prefix sums along each row, one division a sample; the
// cost does not grow with n.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

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
        prefix[0] = 0;
        for (int64_t x = 0; x < w; ++x)
            prefix[x + 1] = prefix[x] + column[x];
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
        const double count = double(n * rows);
        for (int64_t x = x0; x < x1; ++x)
            out[x] = T(double(Sum(prefix[x + half] - prefix[x - lead])) / count);
        for (int64_t x = x1; x < w; ++x)
            edge(x);
        if (y + half < h) {
            const T* __restrict in = s.row(y + half);
            for (int64_t x = 0; x < w; ++x)
                column[x] += in[x];
        }
        if (y - lead >= 0) {
            const T* __restrict in = s.row(y - lead);
            for (int64_t x = 0; x < w; ++x)
                column[x] -= in[x];
        }
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

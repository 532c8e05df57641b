// Local contrast: each sample stretched about the middle of its local
// minimum and maximum. The envelopes slide a window that rescans only when
// the sample leaving it was the extreme (the tailed update), exactly on
// every fourth column and row, interpolated between.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

template <class T> void minmaxOf(int64_t from, int64_t to, const T* samples, T* pair)
{
    T lo = T(~T(0)), hi = 0;
    for (int64_t i = from; i < to; ++i) {
        lo = samples[i] < lo ? samples[i] : lo;
        hi = samples[i] > hi ? samples[i] : hi;
    }
    pair[0] = lo;
    pair[1] = hi;
}

// The tailed window over `line` (count samples, windows of n): the minimum
// and maximum of the first window go to store(0 .. first - 1); then each
// step i = 1 .. count - n - 1 stores at first + i - 1; the rest repeat the
// last pair. lowLine and highLine are the lines the minimum and maximum
// come from (the same line for the vertical pass).
template <class T, class Store>
void slide(const T* lowLine, const T* highLine, int64_t count, int64_t n, int64_t first,
           Store store)
{
    T pair[2], scan[2];
    minmaxOf(0, n, lowLine, scan);
    pair[0] = scan[0];
    minmaxOf(0, n, highLine, scan);
    pair[1] = scan[1];
    int64_t next = 0;
    for (; next < first && next < count; ++next)
        store(next, pair[0], pair[1]);
    for (int64_t i = 1; i <= count - n - 1; ++i) {
        if (lowLine[i - 1] == pair[0]) {
            minmaxOf(i, i + n - 1, lowLine, scan);
            pair[0] = scan[0];
        } else if (lowLine == highLine && highLine[i - 1] == pair[1]) {
            minmaxOf(i, i + n - 1, highLine, scan);
            pair[1] = scan[1];
        }
        if (lowLine != highLine && highLine[i - 1] == pair[1]) {
            minmaxOf(i, i + n - 1, highLine, scan);
            pair[1] = scan[1];
        }
        pair[0] = std::min(pair[0], lowLine[i + n - 1]);
        pair[1] = std::max(pair[1], highLine[i + n - 1]);
        next = first + i - 1;
        store(next++, pair[0], pair[1]);
    }
    for (; next < count; ++next)
        store(next, pair[0], pair[1]);
}

template <class T>
int localContrast(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount, bool smoothFirst)
{
    if (!picturesFit<T>(dst, src) || src->uiComps != 1 || n < 1 ||
        uint32_t(n) > std::min(src->uiWidth, src->uiHeight))
        return -9;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t w = s.width, h = s.height, half = n / 2;
    std::vector<T> lowPlane, highPlane, line, lowRow, highRow;
    try {
        lowPlane.resize(size_t(w * h));
        highPlane.resize(size_t(w * h));
        line.resize(size_t(h));
        lowRow.resize(size_t(w));
        highRow.resize(size_t(w));
    } catch (const std::bad_alloc&) {
        return -3;
    }
    // The working picture, in the destination until the mapping.
    int status = 0;
    if (smoothFirst && n >= 2)
        status =
            sizeof(T) == 1 ? smoothsquare_box_8(dst, src, n) : smoothsquare_box_16(dst, src, n);
    else
        for (int64_t y = 0; y < h; ++y)
            std::memcpy(d.row(y), s.row(y), size_t(w) * sizeof(T));
    if (status != 0)
        return status;
    T* lo = lowPlane.data();
    T* hi = highPlane.data();
    const auto at = [w](int64_t y, int64_t x) { return size_t(y * w + x); };

    // Vertical envelopes on the exact columns, then every gap between two
    // exact columns interpolated and the columns past the last one repeated.
    int64_t lastExact = 0;
    for (int64_t x = 0; x < w; x += 4) {
        lastExact = x;
        for (int64_t y = 0; y < h; ++y)
            line[size_t(y)] = d.row(y)[x];
        slide(line.data(), line.data(), h, n, half + 1, [&](int64_t y, T a, T b) {
            lo[at(y, x)] = a;
            hi[at(y, x)] = b;
        });
    }
    for (T* plane : {lo, hi})
        for (int64_t y = 0; y < h; ++y) {
            T* row = plane + at(y, 0);
            for (int64_t k = 0; k + 4 < w; k += 4) {
                const int32_t delta = int32_t(row[k + 4]) - row[k];
                const int32_t hv = delta >> 1, q = hv >> 1;
                row[k + 1] = T(row[k] + q);
                row[k + 2] = T(row[k] + hv);
                row[k + 3] = T(row[k] + q + hv);
            }
            std::fill(row + lastExact + 1, row + w, row[lastExact]);
        }

    // Horizontal envelopes on the exact rows, then the rows between.
    for (int64_t y = 0; y < h; y += 4) {
        lastExact = y;
        std::copy(lo + at(y, 0), lo + at(y, 0) + w, lowRow.begin());
        std::copy(hi + at(y, 0), hi + at(y, 0) + w, highRow.begin());
        slide(lowRow.data(), highRow.data(), w, n, half, [&](int64_t x, T a, T b) {
            lo[at(y, x)] = a;
            hi[at(y, x)] = b;
        });
    }
    for (T* plane : {lo, hi}) {
        for (int64_t k = 0; k + 4 < h; k += 4)
            for (int64_t j = 1; j < 4; ++j) {
                T* out = plane + at(k + j, 0);
                const T* a = plane + at(k, 0);
                const T* b = plane + at(k + 4, 0);
                for (int64_t x = 0; x < w; ++x)
                    out[x] =
                        T((uint32_t(a[x]) * uint32_t(4 - j) + uint32_t(b[x]) * uint32_t(j)) >> 2);
            }
        for (int64_t y = lastExact + 1; y < h; ++y)
            std::copy(plane + at(lastExact, 0), plane + at(lastExact, 0) + w, plane + at(y, 0));
    }

    // The mapping of the unsmoothed source about the envelopes' middle.
    const double scaled = std::trunc(amount * 1024.0);
    const int64_t gain = std::isnan(scaled) ? 0 : int64_t(std::clamp(scaled, -1e12, 1e12));
    const int64_t top = CLxPicMemAPI::CalcUintMax(dst->uiBpc) & T(~T(0));
    for (int64_t y = 0; y < h; ++y) {
        const T* in = s.row(y);
        T* out = d.row(y);
        for (int64_t x = 0; x < w; ++x) {
            const int64_t mid = (int64_t(lo[at(y, x)]) + hi[at(y, x)]) >> 1;
            const int64_t v = (((int64_t(in[x]) - mid) * gain) >> 10) + mid;
            out[x] = T(std::clamp<int64_t>(v, 0, top));
        }
    }
    return 0;
}

} // namespace

int localcontrast_tailed_8(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount,
                           bool smoothFirst)
{
    return localContrast<uint8_t>(dst, src, n, amount, smoothFirst);
}

int localcontrast_tailed_16(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount,
                            bool smoothFirst)
{
    return localContrast<uint16_t>(dst, src, n, amount, smoothFirst);
}

void row_minmax_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* pair)
{
    minmaxOf(from, to, samples, pair);
}
void row_minmax_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* pair)
{
    minmaxOf(from, to, samples, pair);
}
void row_min_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* out)
{
    uint8_t pair[2];
    minmaxOf(from, to, samples, pair);
    *out = pair[0];
}
void row_min_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* out)
{
    uint16_t pair[2];
    minmaxOf(from, to, samples, pair);
    *out = pair[0];
}
void row_max_8(int64_t from, int64_t to, const uint8_t* samples, uint8_t* pair)
{
    uint8_t both[2];
    minmaxOf(from, to, samples, both);
    pair[1] = both[1];
}
void row_max_16(int64_t from, int64_t to, const uint16_t* samples, uint16_t* pair)
{
    uint16_t both[2];
    minmaxOf(from, to, samples, both);
    pair[1] = both[1];
}

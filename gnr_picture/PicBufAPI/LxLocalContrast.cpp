// Local contrast: each sample stretched about the middle of its local
// minimum and maximum. The envelopes are the extremes of the tailed window,
// exactly on every fourth column and row, interpolated between.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
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

// The tailed window's extremes, computed at a constant cost a sample (van
// Herk / Gil-Werman): over lines 0 .. count - 1 of `width` samples, out
// line i = the extreme of lines i .. i + n - 1 for i = 0 .. last, from
// extremes running forward and backward within blocks of n lines. The
// tailed window places window i at position first + i - 1, the first
// window before it and the last one (never the final possible window)
// after it.
template <class T, class Pick>
void windowExtremes(const T* in, size_t width, int64_t count, int64_t n, int64_t last, T* forward,
                    T* backward, T* out, Pick pick)
{
    const auto line = [width](T* p, int64_t i) { return p + size_t(i) * width; };
    const auto cline = [width](const T* p, int64_t i) { return p + size_t(i) * width; };
    for (int64_t b = 0; b < count; b += n) {
        const int64_t end = std::min(b + n, count);
        std::copy(cline(in, b), cline(in, b) + width, line(forward, b));
        for (int64_t y = b + 1; y < end; ++y) {
            const T* prev = line(forward, y - 1);
            const T* here = cline(in, y);
            T* to = line(forward, y);
            for (size_t j = 0; j < width; ++j)
                to[j] = pick(prev[j], here[j]);
        }
        std::copy(cline(in, end - 1), cline(in, end - 1) + width, line(backward, end - 1));
        for (int64_t y = end - 2; y >= b; --y) {
            const T* next = line(backward, y + 1);
            const T* here = cline(in, y);
            T* to = line(backward, y);
            for (size_t j = 0; j < width; ++j)
                to[j] = pick(next[j], here[j]);
        }
    }
    for (int64_t i = 0; i <= last; ++i) {
        const T* a = line(backward, i);
        const T* b = line(forward, i + n - 1);
        T* to = line(out, i);
        for (size_t j = 0; j < width; ++j)
            to[j] = pick(a[j], b[j]);
    }
}

// The window a position of a line of count samples takes (see above).
inline int64_t windowAt(int64_t position, int64_t first, int64_t last)
{
    return std::clamp<int64_t>(position - first + 1, 0, last);
}

template <class T> T lower(T a, T b)
{
    return b < a ? b : a;
}
template <class T> T higher(T a, T b)
{
    return b > a ? b : a;
}

// One line stretched about the middle of its envelopes, in Wide arithmetic.
template <class Wide, class T>
void mapLine(const T* in, const T* lo, const T* hi, T* out, int64_t w, Wide gain, Wide top)
{
    for (int64_t x = 0; x < w; ++x) {
        const Wide mid = (Wide(lo[x]) + Wide(hi[x])) >> 1;
        const Wide v = (((Wide(in[x]) - mid) * gain) >> 10) + mid;
        out[x] = T(std::min(std::max(v, Wide(0)), top));
    }
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
    // The envelope planes and the window work lines: the exact columns'
    // plane, or one line.
    // Every sample is written before it is read: no zeroing.
    const size_t work = size_t(std::max<int64_t>((w + 3) / 4 * h, w));
    const std::unique_ptr<T[]> lowPlane(new (std::nothrow) T[size_t(w * h)]),
        highPlane(new (std::nothrow) T[size_t(w * h)]), columns(new (std::nothrow) T[work]),
        forward(new (std::nothrow) T[work]), backward(new (std::nothrow) T[work]),
        windows(new (std::nothrow) T[work]);
    if (!lowPlane || !highPlane || !columns || !forward || !backward || !windows)
        return -3;
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
    T* lo = lowPlane.get();
    T* hi = highPlane.get();
    const auto at = [w](int64_t y, int64_t x) { return size_t(y * w + x); };

    // Vertical envelopes on the exact columns (every fourth), all at once
    // on a plane of those columns; then every gap between two exact
    // columns interpolated and the columns past the last one repeated.
    const int64_t exact = (w + 3) / 4;
    const int64_t lastExact = (exact - 1) * 4;
    {
        const int64_t last = std::max<int64_t>(h - n - 1, 0);
        const size_t m = size_t(exact);
        for (int64_t y = 0; y < h; ++y) {
            const T* row = d.row(y);
            T* to = columns.get() + size_t(y) * m;
            for (size_t j = 0; j < m; ++j)
                to[j] = row[4 * j];
        }
        T* const out[2] = {lo, hi};
        for (int k = 0; k < 2; ++k) {
            if (k == 0)
                windowExtremes(columns.get(), m, h, n, last, forward.get(), backward.get(),
                               windows.get(), lower<T>);
            else
                windowExtremes(columns.get(), m, h, n, last, forward.get(), backward.get(),
                               windows.get(), higher<T>);
            for (int64_t y = 0; y < h; ++y) {
                const T* from = windows.get() + size_t(windowAt(y, half + 1, last)) * m;
                T* to = out[k] + at(y, 0);
                for (size_t j = 0; j < m; ++j)
                    to[4 * j] = from[j];
            }
        }
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
    int64_t lastRow = 0;
    {
        const int64_t last = std::max<int64_t>(w - n - 1, 0);
        for (int64_t y = 0; y < h; y += 4) {
            lastRow = y;
            for (int k = 0; k < 2; ++k) {
                T* row = (k == 0 ? lo : hi) + at(y, 0);
                if (k == 0)
                    windowExtremes(row, 1, w, n, last, forward.get(), backward.get(),
                                   windows.get(), lower<T>);
                else
                    windowExtremes(row, 1, w, n, last, forward.get(), backward.get(),
                                   windows.get(), higher<T>);
                for (int64_t x = 0; x < w; ++x)
                    row[x] = windows[size_t(windowAt(x, half, last))];
            }
        }
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
        for (int64_t y = lastRow + 1; y < h; ++y)
            std::copy(plane + at(lastRow, 0), plane + at(lastRow, 0) + w, plane + at(y, 0));
    }

    // The mapping of the unsmoothed source about the envelopes' middle.
    const double scaled = std::trunc(amount * 1024.0);
    const int64_t gain = std::isnan(scaled) ? 0 : int64_t(std::clamp(scaled, -1e12, 1e12));
    const int64_t top = CLxPicMemAPI::CalcUintMax(dst->uiBpc) & T(~T(0));
    // In 32 bits (vectorised) whenever the product fits.
    const bool narrow = std::abs(gain) <= INT32_MAX / int64_t(T(~T(0)));
    for (int64_t y = 0; y < h; ++y) {
        if (narrow)
            mapLine<int32_t>(s.row(y), lo + at(y, 0), hi + at(y, 0), d.row(y), w, int32_t(gain),
                             int32_t(top));
        else
            mapLine<int64_t>(s.row(y), lo + at(y, 0), hi + at(y, 0), d.row(y), w, gain, top);
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

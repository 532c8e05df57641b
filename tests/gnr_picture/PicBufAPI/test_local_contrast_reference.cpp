// The local-contrast worker against its former form: a sliding window that
// rescans only when the sample leaving it was the extreme, on every fourth
// column and row, interpolated between.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "filter_test_support.h"
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace filtertest;

namespace
{

using namespace lxfilter;

// The worker as it was, rescanning a sliding window whenever the sample
// leaving it was the extreme.
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
int tailedReference(SLxPicBuf* dst, const SLxPicBuf* src, int32_t n, double amount, bool smoothFirst)
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
    (void)smoothFirst;
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


TEST(LocalContrastReference, WorkerEqualsTheTailedWindow)
{
    std::mt19937 rng(3535);
    for (int round = 0; round < 200; ++round) {
        const uint32_t w = 2 + rng() % 90, h = 2 + rng() % 70;
        const uint32_t bits = round % 3 == 0 ? 12 : 8;
        TestPic src(w, h, bits, 1), dst(w, h, bits, 1);
        // Few levels make ties between the leaving sample and the extreme.
        const uint32_t levels = round % 2 ? 4 : (1u << bits);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                src.set(x, y, 0, uint32_t(rng() % levels) * ((1u << bits) - 1) / std::max(1u, levels - 1));
        // Windows of 2 and more, as the operations give the worker.
        const int32_t n = 2 + int32_t(rng() % (std::min(w, h) - 1));
        // Now and then amounts whose products need 64 bits.
        const double amount = round % 10 == 9 ? (round % 20 == 9 ? 1e7 : -3e4)
                                              : double(int(rng() % 41) - 10) / 8.0;
        const auto worker = bits == 8 ? localcontrast_tailed_8 : localcontrast_tailed_16;
        ASSERT_EQ(worker(dst.p(), src.p(), n, amount, false), 0);
        TestPic want(w, h, bits, 1);
        ASSERT_EQ(bits == 8 ? tailedReference<uint8_t>(want.p(), src.p(), n, amount, false)
                            : tailedReference<uint16_t>(want.p(), src.p(), n, amount, false),
                  0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                ASSERT_EQ(dst.get(x, y, 0), want.get(x, y, 0))
                    << "round " << round << ", " << w << " x " << h << ", n " << n << " at " << x
                    << "," << y;
    }
}

} // namespace

// The statistics of two pictures: the linear correlation coefficient and the
// running weighted average. CN is the member's fixed component count, 0 for
// the member of any count.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// The five sums of one component: a, b, a a, a b, b b.
enum { kSumA, kSumB, kSumAA, kSumAB, kSumBB, kSums };

// Sums of comps components: exact 64-bit integer sums of a line (a line of
// 2^32 16-bit squares still fits), added into doubles line by line.
template <uint32_t CN> class CorrelationSums
{
  public:
    explicit CorrelationSums(uint32_t comps)
    {
        if constexpr (CN == 0) {
            m_heap = static_cast<uint64_t*>(std::calloc(size_t(comps) * kSums, 2 * sizeof(double)));
            m_line = m_heap;
            m_total = reinterpret_cast<double*>(m_heap + size_t(comps) * kSums);
        } else {
            (void)comps;
            std::memset(m_localLine, 0, sizeof m_localLine);
            std::memset(m_localTotal, 0, sizeof m_localTotal);
        }
    }
    ~CorrelationSums() { std::free(m_heap); }
    CorrelationSums(const CorrelationSums&) = delete;
    CorrelationSums& operator=(const CorrelationSums&) = delete;

    bool ready() const { return CN > 0 || m_heap; }
    uint64_t* line() { return CN ? m_localLine : m_line; }
    double* total() { return CN ? m_localTotal : m_total; }

  private:
    uint64_t m_localLine[CN ? CN * kSums : 1];
    double m_localTotal[CN ? CN * kSums : 1];
    uint64_t* m_heap = nullptr;
    uint64_t* m_line = nullptr;
    double* m_total = nullptr;
};

// Adds the five sums of n single-byte pixels of a and b into k.
void addByteLineSums(const uint8_t* a, const uint8_t* b, uint32_t n, uint64_t* k);

template <class T, uint32_t CN>
int linearCorrelation(const void* a, uint32_t aWB, const void* b, uint32_t bWB, uint32_t comps,
                      uint32_t width, uint32_t count, double* result)
{
    if (!result)
        return -4;
    const uint32_t nc = CN ? CN : comps;
    const uint32_t lines = lineCount(width, count);
    if (lines == 0 || nc == 0 || !a || !b) {
        *result = 0.0;
        return -4;
    }
    CorrelationSums<CN> sums(nc);
    if (!sums.ready())
        return -3;
    uint64_t* ls = sums.line();
    double* s = sums.total();
    ConstLines<T> la(a, aWB), lb(b, bWB);
    for (uint32_t y = 0; y < lines; ++y) {
        const uint8_t* pa = la[y];
        const uint8_t* pb = lb[y];
        if constexpr (CN == 1 && sizeof(T) == 1) {
            addByteLineSums(pa, pb, width, ls);
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                for (uint32_t c = 0; c < nc; ++c) {
                    const uint64_t va = load<T>(pa), vb = load<T>(pb);
                    uint64_t* k = ls + size_t(c) * kSums;
                    k[kSumA] += va;
                    k[kSumB] += vb;
                    k[kSumAA] += va * va;
                    k[kSumAB] += va * vb;
                    k[kSumBB] += vb * vb;
                    pa += sizeof(T);
                    pb += sizeof(T);
                }
            }
        }
        for (size_t i = 0; i < size_t(nc) * kSums; ++i) {
            s[i] += double(ls[i]);
            ls[i] = 0;
        }
    }
    // n counts the pixels worked on: the whole lines, not the count given.
    const double n = double(lines) * width;
    double sum = 0.0;
    for (uint32_t c = 0; c < nc; ++c) {
        const double* k = s + size_t(c) * kSums;
        const double q =
            (k[kSumBB] - k[kSumB] * k[kSumB] / n) * (k[kSumAA] - k[kSumA] * k[kSumA] / n);
        if (q > 0.0)
            sum += (k[kSumAB] - k[kSumA] * k[kSumB] / n) / std::sqrt(q);
    }
    const double r = nc == 3 ? sum * 0.3333333333333333 : sum / nc;
    *result = r > 0.0 ? r : 0.0;
    return 0;
}

// A = trunc((A Wa + N Wn) / (Wa + Wn)), Wa = Wa + Wn, pixel by pixel.
template <class T, uint32_t CN>
int averageUpdate(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                  const void* src, uint32_t srcWB, const void* srcWeights, uint32_t srcWeightsWB,
                  uint32_t comps, uint32_t width, uint32_t count)
{
    const uint32_t nc = CN ? CN : comps;
    const uint32_t lines = lineCount(width, count);
    if (lines == 0 || nc == 0)
        return 0;
    if (!avg || !avgWeights || !src || !srcWeights)
        return -4;
    constexpr double top = double(std::numeric_limits<T>::max());
    Lines<T> la(avg, avgWB);
    ConstLines<T> ln(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* pa = la[y];
        const uint8_t* pn = ln[y];
        uint8_t* wa = static_cast<uint8_t*>(avgWeights) + size_t(y) * avgWeightsWB;
        const uint8_t* wn = static_cast<const uint8_t*>(srcWeights) + size_t(y) * srcWeightsWB;
        for (uint32_t x = 0; x < width; ++x) {
            const double a = load<double>(wa + x * sizeof(double));
            const double n = load<double>(wn + x * sizeof(double));
            uint8_t* pixel = pa + size_t(x) * nc * sizeof(T);
            const uint8_t* newPixel = pn + size_t(x) * nc * sizeof(T);
            // Both weights 0 have no mean: the pixel stays as it is.
            if (a == 0.0 && n == 0.0)
                continue;
            const double w = a + n;
            for (uint32_t c = 0; c < nc; ++c) {
                uint8_t* at = pixel + c * sizeof(T);
                const double q =
                    (double(load<T>(at)) * a + double(load<T>(newPixel + c * sizeof(T))) * n) / w;
                if (q != q)
                    continue;
                store<T>(at, T(q <= 0.0 ? 0.0 : q >= top ? top : std::trunc(q)));
            }
            store<double>(wa + x * sizeof(double), w);
        }
    }
    return 0;
}

} // namespace lxpic

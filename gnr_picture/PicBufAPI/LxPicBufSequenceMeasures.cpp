// Noise of a picture sequence and the mean difference of two pictures.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

template <class T> const T* lineOf(const SLxPicBuf& p, uint32_t r)
{
    return reinterpret_cast<const T*>(static_cast<const uint8_t*>(p.pData) +
                                      size_t(r) * p.uiWidthBytes);
}

template <class T>
double squaredDifferences(const SLxPicBuf& prev, const SLxPicBuf& next, uint32_t* histogram)
{
    const size_t n = size_t(prev.uiWidth) * prev.uiComps;
    double sum = 0.0;
    for (uint32_t r = 0; r < prev.uiHeight; ++r) {
        const T* a = lineOf<T>(prev, r);
        const T* b = lineOf<T>(next, r);
        for (size_t i = 0; i < n; ++i) {
            ++histogram[a[i]];
            const int64_t d = int64_t(a[i]) - int64_t(b[i]);
            sum += double(d * d);
        }
    }
    return sum;
}

template <class T> double relativeDifferences(const SLxPicBuf& a, const SLxPicBuf& b)
{
    const size_t n = size_t(a.uiWidth) * a.uiComps;
    double sum = 0.0;
    for (uint32_t r = 0; r < a.uiHeight; ++r) {
        const T* p = lineOf<T>(a, r);
        const T* q = lineOf<T>(b, r);
        for (size_t i = 0; i < n; ++i)
            if (p[i] != q[i])
                sum += double(p[i] > q[i] ? p[i] - q[i] : q[i] - p[i]) /
                       double(p[i] > q[i] ? p[i] : q[i]);
    }
    return sum;
}

} // namespace

int CLxPicBufAPI::CalcSeqSNR(SLxPicBuf* pictures, uint32_t count, double& result)
{
    if (pictures == nullptr || count < 2)
        return -4;
    for (uint32_t k = 1; k < count; ++k)
        if (!Check(&pictures[k - 1], &pictures[k], eLxCheckSizeBitsComps) ||
            pictures[k - 1].pData == nullptr || pictures[k].pData == nullptr)
            return -4;
    const uint32_t bits = pictures[0].uiBpc;
    if (bits > 16)
        return -2;
    // Every value a sample can hold, garbage bits above the depth too.
    const size_t levels = bits <= 8 ? 256 : 65536;
    struct Free {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint32_t, Free> histogram(
        static_cast<uint32_t*>(std::calloc(levels, sizeof(uint32_t))));
    if (!histogram)
        return -3;
    double sum = 0.0;
    for (uint32_t k = 1; k < count; ++k)
        sum += bits <= 8
                   ? squaredDifferences<uint8_t>(pictures[k - 1], pictures[k], histogram.get())
                   : squaredDifferences<uint16_t>(pictures[k - 1], pictures[k], histogram.get());
    size_t low = 0, high = 0;
    bool any = false;
    for (size_t v = 0; v < levels; ++v)
        if (histogram.get()[v] != 0) {
            if (!any)
                low = v;
            high = v;
            any = true;
        }
    const SLxPicBuf& first = pictures[0];
    result = any && low < high ? std::sqrt(sum / (double(first.uiWidth) * first.uiHeight * count)) /
                                     double(high - low)
                               : 0.0;
    return 0;
}

double CLxPicBufAPI::AvgDifferenceInDecibels(SLxPicBuf* a, SLxPicBuf* b)
{
    if (!Check(a, b, eLxCheckSizeBitsComps) || a->pData == nullptr || b->pData == nullptr)
        return -9.0;
    if (a->uiBpc < 8)
        return 0.0;
    if (a->uiBpc > 16)
        return -9.0;
    const double sum = a->uiBpc == 8 ? relativeDifferences<uint8_t>(*a, *b)
                                     : relativeDifferences<uint16_t>(*a, *b);
    return -10.0 * std::log(sum / (double(a->uiComps) * a->uiWidth * a->uiHeight));
}

// Amplitude/phase arithmetic, window filters and spectral operations of
// float pictures.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatMedianInterior.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

bool sameFormat(const SLxFloatPicBuf* first, std::initializer_list<const SLxFloatPicBuf*> others)
{
    if (!first || !lxpic::holdsLines(*first))
        return false;
    for (const SLxFloatPicBuf* p : others)
        if (!CLxFloatPicBufAPI::Check(first, p, 2) || !lxpic::holdsLines(*p))
            return false;
    return true;
}

// f(out, in...) over every sample of pictures of one format.
template <typename F>
void eachSample(SLxFloatPicBuf* out1, SLxFloatPicBuf* out2, const SLxFloatPicBuf* a,
                const SLxFloatPicBuf* b, const SLxFloatPicBuf* c, const SLxFloatPicBuf* d, F f)
{
    const size_t run = static_cast<size_t>(out1->uiWidth) * out1->uiComps;
    for (uint32_t y = 0; y < out1->uiHeight; ++y) {
        float* o1 = lxpic::line(*out1, y);
        float* o2 = lxpic::line(*out2, y);
        const float* pa = lxpic::line(*a, y);
        const float* pb = lxpic::line(*b, y);
        const float* pc = c ? lxpic::line(*c, y) : nullptr;
        const float* pd = d ? lxpic::line(*d, y) : nullptr;
        for (size_t i = 0; i < run; ++i)
            f(o1[i], o2[i], pa[i], pb[i], pc ? pc[i] : 0.0f, pd ? pd[i] : 0.0f);
    }
}

// Calls f(x, y, comp, x0, x1, y0, y1) with the clipped size x size window.
template <typename F> void eachWindow(const SLxFloatPicBuf& pic, uint32_t size, F f)
{
    const int64_t half = size / 2;
    for (uint32_t y = 0; y < pic.uiHeight; ++y)
        for (uint32_t x = 0; x < pic.uiWidth; ++x) {
            const int64_t wx = int64_t(x) - half, wy = int64_t(y) - half;
            const int64_t x0 = std::max<int64_t>(wx, 0), y0 = std::max<int64_t>(wy, 0);
            const int64_t x1 = std::min<int64_t>(wx + size, pic.uiWidth);
            const int64_t y1 = std::min<int64_t>(wy + size, pic.uiHeight);
            for (uint32_t c = 0; c < pic.uiComps; ++c)
                f(x, y, c, wx, wy, x0, x1, y0, y1);
        }
}

float& sample(const SLxFloatPicBuf& pic, int64_t x, int64_t y, uint32_t c)
{
    return lxpic::line(pic, static_cast<uint32_t>(y))[static_cast<size_t>(x) * pic.uiComps + c];
}

} // namespace

int CLxFloatPicBufAPI::MultiplicationAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                                        const SLxFloatPicBuf* amp1, const SLxFloatPicBuf* phase1,
                                        const SLxFloatPicBuf* amp2, const SLxFloatPicBuf* phase2)
{
    if (!sameFormat(ampOut, {phaseOut, amp1, phase1, amp2, phase2}))
        return -9;
    eachSample(ampOut, phaseOut, amp1, phase1, amp2, phase2,
               [](float& a, float& p, float a1, float p1, float a2, float p2) {
                   a = a1 * a2;
                   p = p1 + p2;
               });
    return 0;
}

int CLxFloatPicBufAPI::DivisionAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                                  const SLxFloatPicBuf* amp1, const SLxFloatPicBuf* phase1,
                                  const SLxFloatPicBuf* amp2, const SLxFloatPicBuf* phase2)
{
    if (!sameFormat(ampOut, {phaseOut, amp1, phase1, amp2, phase2}))
        return -9;
    eachSample(ampOut, phaseOut, amp1, phase1, amp2, phase2,
               [](float& a, float& p, float a1, float p1, float a2, float p2) {
                   a = a2 == 0.0f ? 0.0f : a1 / a2;
                   p = p1 - p2;
               });
    return 0;
}

int CLxFloatPicBufAPI::ConjugationAP(SLxFloatPicBuf* ampOut, SLxFloatPicBuf* phaseOut,
                                     const SLxFloatPicBuf* amp, const SLxFloatPicBuf* phase)
{
    if (!sameFormat(ampOut, {phaseOut, amp, phase}))
        return -9;
    eachSample(ampOut, phaseOut, amp, phase, nullptr, nullptr,
               [](float& a, float& p, float a1, float p1, float, float) {
                   a = a1;
                   p = -p1;
               });
    return 0;
}

int CLxFloatPicBufAPI::Smooth(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t mode,
                              uint32_t size)
{
    if (!sameFormat(dst, {src}))
        return -9;
    if (mode > 1)
        return -2;
    if (size == 0)
        return -4;
    std::vector<float> weights(static_cast<size_t>(size) * size, 1.0f);
    if (mode == 1) {
        const double centre = (size - 1) / 2.0;
        const double sigma = size * 0.33333334f;
        for (uint32_t i = 0; i < size; ++i)
            for (uint32_t j = 0; j < size; ++j) {
                const double d = std::hypot(i - centre, j - centre);
                weights[size_t(i) * size + j] =
                    static_cast<float>(std::pow(2.71828, -(d / sigma) * (d / sigma)));
            }
        const float top = *std::max_element(weights.begin(), weights.end());
        for (float& w : weights)
            w /= top;
    }
    eachWindow(*src, size,
               [&](uint32_t x, uint32_t y, uint32_t c, int64_t wx, int64_t wy, int64_t x0,
                   int64_t x1, int64_t y0, int64_t y1) {
                   double sum = 0, wsum = 0;
                   for (int64_t v = y0; v < y1; ++v)
                       for (int64_t u = x0; u < x1; ++u) {
                           const float w = weights[size_t(v - wy) * size + size_t(u - wx)];
                           sum += double(w) * sample(*src, u, v, c);
                           wsum += w;
                       }
                   sample(*dst, x, y, c) = static_cast<float>(sum / wsum);
               });
    return 0;
}

int CLxFloatPicBufAPI::Sharpen(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t)
{
    if (!sameFormat(dst, {src}))
        return -9;
    const int64_t w = src->uiWidth, h = src->uiHeight;
    const int64_t dx[] = {0, -1, 1, 0, 0}, dy[] = {0, 0, 0, -1, 1};
    for (int64_t y = 0; y < h; ++y)
        for (int64_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < src->uiComps; ++c) {
                float values[5];
                int n = 0;
                for (int k = 0; k < 5; ++k) {
                    const int64_t u = x + dx[k], v = y + dy[k];
                    if (u >= 0 && u < w && v >= 0 && v < h)
                        values[n++] = sample(*src, u, v, c);
                }
                const float p = values[0];
                if (n < 2) {
                    sample(*dst, x, y, c) = p;
                    continue;
                }
                float mean = 0;
                for (int k = 0; k < n; ++k)
                    mean += values[k];
                mean /= n;
                float sq = 0;
                for (int k = 0; k < n; ++k)
                    sq += (values[k] - mean) * (values[k] - mean);
                sample(*dst, x, y, c) = p * (1.0f + 0.2f * std::sqrt(sq / (n - 1)));
            }
    return 0;
}

int CLxFloatPicBufAPI::MedianFilter(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, uint32_t size)
{
    if (!sameFormat(dst, {src}))
        return -9;
    if (size == 0)
        return -4;
    // Windows wholly inside go through the sorting network in blocks;
    // interiorEnd[y] is the first x of line y that it left.
    const uint32_t half = size / 2;
    std::vector<uint32_t> interiorEnd(src->uiHeight, half);
    // Without room for the sorted columns every pixel takes the plain path.
    float* ranks =
        size <= 7 && src->uiWidth >= size && src->uiHeight >= size
            ? static_cast<float*>(CLxAlloc::Alloc(0, size_t(size) * src->uiWidth * sizeof(float)))
            : nullptr;
    if (ranks) {
        std::vector<const float*> lines(size);
        for (uint32_t y = half; y + size - half <= src->uiHeight; ++y) {
            for (uint32_t r = 0; r < size; ++r)
                lines[r] = lxpic::line(*src, y - half + r);
            for (uint32_t c = 0; c < src->uiComps; ++c)
                interiorEnd[y] = lxpic::MedianInteriorLine(
                    lxpic::line(*dst, y), lines.data(), src->uiWidth, src->uiComps, c, size, ranks);
        }
        CLxAlloc::Free(ranks);
    }
    std::vector<float> window;
    window.reserve(static_cast<size_t>(size) * size);
    for (uint32_t y = 0; y < src->uiHeight; ++y) {
        const int64_t y0 = std::max<int64_t>(int64_t(y) - half, 0);
        const int64_t y1 = std::min<int64_t>(int64_t(y) - half + size, src->uiHeight);
        for (uint32_t x = 0; x < src->uiWidth; ++x) {
            if (x == half && interiorEnd[y] > half)
                x = interiorEnd[y];
            if (x >= src->uiWidth)
                break;
            const int64_t x0 = std::max<int64_t>(int64_t(x) - half, 0);
            const int64_t x1 = std::min<int64_t>(int64_t(x) - half + size, src->uiWidth);
            for (uint32_t c = 0; c < src->uiComps; ++c) {
                window.clear();
                for (int64_t v = y0; v < y1; ++v)
                    for (int64_t u = x0; u < x1; ++u)
                        window.push_back(sample(*src, u, v, c));
                std::nth_element(window.begin(), window.begin() + window.size() / 2, window.end());
                sample(*dst, x, y, c) = window[window.size() / 2];
            }
        }
    }
    return 0;
}

int CLxFloatPicBufAPI::CutBy(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src, const float* limits)
{
    if (!sameFormat(dst, {src}) || !limits)
        return -9;
    for (uint32_t y = 0; y < src->uiHeight; ++y)
        for (uint32_t x = 0; x < src->uiWidth; ++x)
            for (uint32_t c = 0; c < src->uiComps; ++c)
                sample(*dst, x, y, c) = std::min(sample(*src, x, y, c), limits[c]);
    return 0;
}

namespace
{

enum class Spectral { Correlation, Convolution, Deconvolution };

bool sameFormat(const SLxFloatPicBuf* dst, const SLxFloatPicBuf* a, const SLxFloatPicBuf* b)
{
    return CLxFloatPicBufAPI::Check(dst, a, 2) && CLxFloatPicBufAPI::Check(dst, b, 2);
}

bool sameFormat(const SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return CLxPicBufAPI::Check(dst, a, 2) && CLxPicBufAPI::Check(dst, b, 2);
}

template <typename Pic> int spectral(Pic* dst, const Pic* a, const Pic* b, Spectral op)
{
    if (!sameFormat(dst, a, b))
        return -9;
    struct Pics {
        SLxFloatPicBuf p[4] = {};
        ~Pics()
        {
            for (SLxFloatPicBuf& q : p)
                CLxFloatPicBufAPI::Free(&q);
        }
    } s;
    for (SLxFloatPicBuf& q : s.p)
        if (CLxFloatPicBufAPI::Reinit(&q, a->uiWidth, a->uiHeight, 0, a->uiComps, true) != 0)
            return dst->uiWidth && dst->uiHeight && dst->uiComps ? -3 : 0;
    SLxFloatPicBuf &ampA = s.p[0], &phaseA = s.p[1], &ampB = s.p[2], &phaseB = s.p[3];
    if (int status = CLxFloatPicBufAPI::FFT_Image(&ampA, &phaseA, a))
        return status;
    if (int status = CLxFloatPicBufAPI::FFT_Image(&ampB, &phaseB, b))
        return status;
    switch (op) {
    case Spectral::Correlation:
        CLxFloatPicBufAPI::ConjugationAP(&ampB, &phaseB, &ampB, &phaseB);
        CLxFloatPicBufAPI::MultiplicationAP(&ampA, &phaseA, &ampA, &phaseA, &ampB, &phaseB);
        break;
    case Spectral::Convolution:
        CLxFloatPicBufAPI::MultiplicationAP(&ampA, &phaseA, &ampA, &phaseA, &ampB, &phaseB);
        break;
    case Spectral::Deconvolution:
        CLxFloatPicBufAPI::DivisionAP(&ampA, &phaseA, &ampA, &phaseA, &ampB, &phaseB);
        break;
    }
    return CLxFloatPicBufAPI::IFFT_Image(dst, &ampA, &phaseA);
}

} // namespace

int CLxFloatPicBufAPI::Correlation(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                                   const SLxFloatPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Correlation);
}

int CLxFloatPicBufAPI::Convolution(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                                   const SLxFloatPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Convolution);
}

int CLxFloatPicBufAPI::Deconvolution(SLxFloatPicBuf* dst, const SLxFloatPicBuf* a,
                                     const SLxFloatPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Deconvolution);
}

int CLxFloatPicBufAPI::Correlation(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Correlation);
}

int CLxFloatPicBufAPI::Convolution(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Convolution);
}

int CLxFloatPicBufAPI::Deconvolution(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return spectral(dst, a, b, Spectral::Deconvolution);
}

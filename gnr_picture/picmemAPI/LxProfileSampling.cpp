// Intensity profile along a line, with a band averaged across it.
#include <cmath>
#include <cstddef>
#include <vector>

#include "gnr_picture/LxProfileData.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

template <class P> P* allocArray(uint32_t n)
{
    return static_cast<P*>(CLxAlloc::Alloc(0, sizeof(P) * size_t(n)));
}

// trunc(v) as a pixel coordinate; below 0 wraps to a value that no picture
// has, so that the point is left out.
uint32_t coordinate(double v)
{
    if (!(v > -1.0))
        return 0xFFFFFFFFu;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(int64_t(v));
}

template <class T, class O>
void sampleBand(const SLxProfileData& p, O* out, const void* pixels, uint32_t wb, uint32_t comps,
                uint32_t width, uint32_t rows, double ux, double uy)
{
    const uint32_t w = p.uiHalfWidth;
    std::vector<uint64_t> sum(comps);
    for (uint32_t i = 0; i < p.uiCount; ++i) {
        uint64_t counted = 0;
        std::fill(sum.begin(), sum.end(), 0);
        for (uint64_t k = 0; k <= 2 * uint64_t(w); ++k) {
            const double o = k <= w ? double(k) : -double(k - w);
            const int64_t x = int64_t(p.puiX[i]) + int64_t(o * ux);
            const int64_t y = int64_t(p.puiY[i]) + int64_t(o * uy);
            if (x < 0 || y < 0 || x >= width || y >= rows)
                continue;
            const T* px =
                reinterpret_cast<const T*>(static_cast<const uint8_t*>(pixels) + size_t(y) * wb) +
                size_t(x) * comps;
            for (uint32_t c = 0; c < comps; ++c)
                sum[c] += px[c];
            ++counted;
        }
        for (uint32_t c = 0; c < comps; ++c)
            out[size_t(i) * comps + c] = counted ? O(sum[c] / counted) : O(0);
    }
}

void releasePoints(SLxProfileData* p)
{
    CLxAlloc::Free(p->puiX);
    CLxAlloc::Free(p->puiY);
    CLxAlloc::Free(p->pData);
    p->puiX = p->puiY = nullptr;
    p->pData = nullptr;
    p->uiCount = 0;
}

void releaseMetric(SLxProfileMetric* m)
{
    CLxAlloc::Free(m->pdX);
    CLxAlloc::Free(m->pdY);
    CLxAlloc::Free(m->pdDistance);
    m->pdX = m->pdY = m->pdDistance = nullptr;
    m->uiCount = 0;
}

} // namespace

int CLxPicMemAPI::GetProfileData(SLxProfileData* profile, uint32_t x0, uint32_t x1, uint32_t y0,
                                 uint32_t y1, const void* pixels, uint32_t wb, uint32_t comps,
                                 uint32_t bits, uint32_t width, uint32_t count,
                                 SLxProfileMetric* metric)
{
    if (profile == nullptr)
        return -2;
    if (profile->dStep == 0.0)
        profile->dStep = 1.0;
    if (!(profile->dStep > 0.0))
        return -4;
    releasePoints(profile);
    if (metric != nullptr) {
        releaseMetric(metric);
        metric->dX0 = x0;
        metric->dX1 = x1;
        metric->dY0 = y0;
        metric->dY1 = y1;
    }
    const double dx = double(x1) - double(x0), dy = double(y1) - double(y0);
    const double L = std::sqrt(dx * dx + dy * dy);
    const double points = (L + 1.0) / profile->dStep;
    if (!(points < 4294967296.0))
        return -2;
    const uint32_t n = uint32_t(points);
    if (n == 0)
        return 0;
    profile->puiX = allocArray<uint32_t>(n);
    profile->puiY = allocArray<uint32_t>(n);
    if (profile->puiX == nullptr || profile->puiY == nullptr) {
        releasePoints(profile);
        return -2;
    }
    profile->uiCount = n;
    // The spread runs one pixel past the end in the line's own direction, so
    // a line drawn up or left reaches its end as one drawn down or right does.
    const double sx = x0 == x1 ? 0.0 : (dx + (dx < 0.0 ? -1.0 : 1.0)) / n;
    const double sy = y0 == y1 ? 0.0 : (dy + (dy < 0.0 ? -1.0 : 1.0)) / n;
    for (uint32_t i = 0; i < n; ++i) {
        profile->puiX[i] = coordinate(i * sx + x0 + 0.5);
        profile->puiY[i] = coordinate(i * sy + y0 + 0.5);
    }
    if (metric != nullptr) {
        metric->pdX = allocArray<double>(n);
        metric->pdY = allocArray<double>(n);
        metric->pdDistance = allocArray<double>(n);
        if (metric->pdX == nullptr || metric->pdY == nullptr || metric->pdDistance == nullptr) {
            releaseMetric(metric);
            return -2;
        }
        metric->uiCount = n;
        for (uint32_t i = 0; i < n; ++i) {
            if (x1 == x0) {
                metric->pdX[i] = x0;
                metric->pdY[i] = y0 + double(i) * (y1 >= y0 ? 1.0 : -1.0);
                metric->pdDistance[i] = i;
            } else {
                const double ix = i * dx / n, iy = i * dy / n;
                metric->pdX[i] = x0 + ix;
                metric->pdY[i] = y0 + iy;
                metric->pdDistance[i] = std::sqrt(ix * ix + iy * iy);
            }
        }
    }
    if (pixels == nullptr || wb == 0 || width == 0 || comps == 0)
        return 0;
    if (bits > 16)
        return -2;
    const uint32_t sampleBytes = bits == 8 ? 1 : 2;
    profile->pData = CLxAlloc::Alloc(0, size_t(n) * comps * sampleBytes);
    if (profile->pData == nullptr)
        return 0;
    // A line of one point has no direction: its band is the point itself.
    const double ux = L > 0.0 ? -dy / L : 0.0, uy = L > 0.0 ? dx / L : 0.0;
    const uint32_t rows = count / width;
    if (bits <= 8) {
        if (sampleBytes == 1)
            sampleBand<uint8_t>(*profile, static_cast<uint8_t*>(profile->pData), pixels, wb, comps,
                                width, rows, ux, uy);
        else
            sampleBand<uint8_t>(*profile, static_cast<uint16_t*>(profile->pData), pixels, wb, comps,
                                width, rows, ux, uy);
    } else {
        sampleBand<uint16_t>(*profile, static_cast<uint16_t*>(profile->pData), pixels, wb, comps,
                             width, rows, ux, uy);
    }
    return 0;
}

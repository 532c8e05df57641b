// The circularity threshold: the grey level whose level set has the most
// compact shape, border length squared over area.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>

#include "gnr_picture/picmemAPI/LxMeasureKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

constexpr uint32_t kBadArgument = 0xFFFFFFFCu;
constexpr uint32_t kNoMemory = 0xFFFFFFFDu;
constexpr uint32_t kNoMember = 0xFFFFFFFEu;

// trunc(v + 0.5) for a count bound, held to 0 .. limit.
uint64_t roundedBound(double v, uint64_t limit)
{
    v += 0.5;
    if (!(v > 0.0))
        return 0;
    return v >= double(limit) ? limit : uint64_t(v);
}

template <class T>
uint32_t circularity(const void* src, uint32_t distance, uint32_t wb, uint32_t width,
                     uint32_t count, bool bright, double minArea, double excludedTop,
                     uint32_t* area, uint32_t* border, uint32_t* extreme, uint32_t levels)
{
    const uint32_t rows = count / width;
    std::fill(area, area + levels, 0u);
    std::fill(border, border + levels, 0u);
    std::fill(extreme, extreme + levels, 0u);
    auto line = [&](uint32_t y) {
        return reinterpret_cast<const T*>(static_cast<const uint8_t*>(src) + size_t(y) * wb);
    };
    const uint32_t mask = levels - 1;
    for (uint32_t y = 1; y + 1 < rows; ++y) {
        const T *up = line(y - 1), *mid = line(y), *down = line(y + 1);
        for (uint32_t x = 1; x + 1 < width; ++x) {
            const uint32_t v = mid[x] & mask;
            uint32_t e = v;
            const T neighbours[8] = {up[x - distance],  up[x],
                                     up[x + distance],  mid[x - distance],
                                     mid[x + distance], down[x - distance],
                                     down[x],           down[x + distance]};
            for (T n : neighbours)
                e = bright ? std::min(e, uint32_t(n) & mask) : std::max(e, uint32_t(n) & mask);
            ++area[v];
            if (e != v) {
                ++border[v];
                ++extreme[e];
            }
        }
    }
    const uint64_t N = uint64_t(width - 2) * (rows - 2);
    const uint64_t lower = roundedBound(minArea * double(N), N + 1);
    const uint64_t upper = roundedBound((1.0 - excludedTop) * double(N), N + 1);
    // Cumulate towards the brighter (or darker) end, then pick the level.
    int64_t A = 0, P = 0;
    std::unique_ptr<int64_t[]> cumA(new (std::nothrow) int64_t[levels]);
    std::unique_ptr<int64_t[]> cumP(new (std::nothrow) int64_t[levels]);
    if (!cumA || !cumP)
        return kNoMemory;
    for (uint32_t k = 0; k < levels; ++k) {
        const uint32_t t = bright ? levels - 1 - k : k;
        A += area[t];
        P += int64_t(border[t]) - int64_t(extreme[t]);
        cumA[t] = A;
        cumP[t] = P;
    }
    uint32_t chosen = 0;
    bool found = false;
    double best = 0.0;
    for (uint32_t t = 0; t < levels; ++t) {
        const uint64_t a = uint64_t(cumA[t]);
        if (!(lower < a && a < upper))
            continue;
        const double q = double(cumP[t]) * double(cumP[t]) / double(a);
        if (!found || q < best) {
            found = true;
            best = q;
            chosen = t;
        }
    }
    return chosen;
}

template <class T>
uint32_t circularityKernel(const void* src, uint32_t bits, uint32_t distance, uint32_t wb,
                           uint32_t width, uint32_t count, bool bright, double minArea,
                           double excludedTop, uint32_t levels)
{
    if (width == 0)
        return 0;
    if (distance != 1 || src == nullptr)
        return kBadArgument;
    if (width < 3 || count / width < 3)
        return 0;
    (void)bits;
    struct Free {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint32_t, Free> tables(
        static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * 3 * size_t(levels))));
    if (!tables)
        return kNoMemory;
    uint32_t* base = tables.get();
    return circularity<T>(src, distance, wb, width, count, bright, minArea, excludedTop, base,
                          base + levels, base + 2 * size_t(levels), levels);
}

} // namespace

uint32_t threshold_from_integral_circularity_8(const void* src, uint32_t bits, uint32_t distance,
                                               uint32_t wb, uint32_t width, uint32_t count,
                                               bool bright, double minArea, double excludedTop)
{
    return circularityKernel<uint8_t>(src, bits, distance, wb, width, count, bright, minArea,
                                      excludedTop, 256);
}

uint32_t threshold_from_integral_circularity_16(const void* src, uint32_t bits, uint32_t distance,
                                                uint32_t wb, uint32_t width, uint32_t count,
                                                bool bright, double minArea, double excludedTop)
{
    return circularityKernel<uint16_t>(src, bits, distance, wb, width, count, bright, minArea,
                                       excludedTop, 65536);
}

uint32_t CLxPicMemAPI::ThresholdFromIntegralCircularity(const void* src, uint32_t bits,
                                                        uint32_t distance, uint32_t wb,
                                                        uint32_t width, uint32_t count, bool bright,
                                                        double minArea, double excludedTop)
{
    if (bits > 16)
        return kNoMember;
    const uint32_t level =
        bits <= 8 ? threshold_from_integral_circularity_8(src, bits, distance, wb, width, count,
                                                          bright, minArea, excludedTop)
                  : threshold_from_integral_circularity_16(src, bits, distance, wb, width, count,
                                                           bright, minArea, excludedTop);
    if (level >= kBadArgument)
        return level;
    return level & (bits <= 8 ? 0xFFu : 0xFFFFu);
}

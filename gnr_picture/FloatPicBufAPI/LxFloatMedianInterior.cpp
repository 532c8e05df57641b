// Batcher's odd-even merge sort on vectors of window elements, one pixel a
// lane: min and max only, so each lane's element count / 2 is exactly the
// median that sorting the window gives.
#include "gnr_picture/FloatPicBufAPI/LxFloatMedianInterior.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{
namespace
{

using Network = std::vector<std::pair<uint8_t, uint8_t>>;

// The comparators of the network on the next power of two at or above
// count, less those that touch a position at or past count: with +inf there
// they would never move anything.
Network batcher(uint32_t count)
{
    uint32_t n = 1;
    while (n < count)
        n *= 2;
    Network net;
    for (uint32_t p = 1; p < n; p *= 2)
        for (uint32_t k = p; k >= 1; k /= 2)
            for (uint32_t j = k % p; j + k < n; j += 2 * k)
                for (uint32_t i = 0; i < std::min(k, n - j - k); ++i)
                    if ((i + j) / (2 * p) == (i + j + k) / (2 * p) && i + j + k < count)
                        net.emplace_back(uint8_t(i + j), uint8_t(i + j + k));
    return net;
}

// Only the comparators that the middle position depends on.
Network towardsMiddle(Network net, uint32_t count)
{
    std::vector<bool> needed(count, false);
    needed[count / 2] = true;
    Network kept;
    for (auto it = net.rbegin(); it != net.rend(); ++it)
        if (needed[it->first] || needed[it->second]) {
            needed[it->first] = needed[it->second] = true;
            kept.push_back(*it);
        }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

const Network& networkFor(uint32_t size)
{
    static const std::array<Network, 3> nets = {towardsMiddle(batcher(9), 9),
                                                towardsMiddle(batcher(25), 25),
                                                towardsMiddle(batcher(49), 49)};
    return nets[(size - 3) / 2];
}

struct Sse {
    static constexpr uint32_t kLanes = 4;
    using V = __m128;
    static V load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, V v) { _mm_storeu_ps(p, v); }
    static V min(V a, V b) { return _mm_min_ps(a, b); }
    static V max(V a, V b) { return _mm_max_ps(a, b); }
};

#if LX_HAVE_AVX2_PATHS
struct Avx {
    static constexpr uint32_t kLanes = 8;
    using V = __m256;
    LX_TARGET_AVX2 static V load(const float* p) { return _mm256_loadu_ps(p); }
    LX_TARGET_AVX2 static void store(float* p, V v) { _mm256_storeu_ps(p, v); }
    LX_TARGET_AVX2 static V min(V a, V b) { return _mm256_min_ps(a, b); }
    LX_TARGET_AVX2 static V max(V a, V b) { return _mm256_max_ps(a, b); }
};
#endif

// Always inlined into its caller, the AVX2 clone for 8 lanes: no vector
// crosses a call, so the baseline ABI warning does not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"
template <class Ops>
LX_KERNEL_INLINE uint32_t medianLine(float* dst, const float* const* src, uint32_t width,
                                     uint32_t comps, uint32_t comp, uint32_t size)
{
    using V = typename Ops::V;
    constexpr uint32_t lanes = Ops::kLanes;
    const Network& net = networkFor(size);
    const uint32_t half = size / 2, count = size * size;
    // Pixels x whose windows x - half .. x - half + size - 1 fit the line.
    const uint32_t end = width - size + half + 1;
    uint32_t x = half;
    V v[49];
    alignas(32) float gathered[lanes];
    for (; x + lanes <= end; x += lanes) {
        uint32_t e = 0;
        for (uint32_t r = 0; r < size; ++r)
            for (uint32_t c = 0; c < size; ++c, ++e) {
                const float* from = src[r] + size_t(x - half + c) * comps + comp;
                if (comps == 1) {
                    v[e] = Ops::load(from);
                    continue;
                }
                for (uint32_t lane = 0; lane < lanes; ++lane)
                    gathered[lane] = from[size_t(lane) * comps];
                v[e] = Ops::load(gathered);
            }
        for (const auto& [i, j] : net) {
            const V lo = Ops::min(v[i], v[j]);
            v[j] = Ops::max(v[i], v[j]);
            v[i] = lo;
        }
        Ops::store(gathered, v[count / 2]);
        for (uint32_t lane = 0; lane < lanes; ++lane)
            dst[size_t(x + lane) * comps + comp] = gathered[lane];
    }
    return x;
}
#pragma GCC diagnostic pop

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 uint32_t medianLineAvx2(float* dst, const float* const* src, uint32_t width,
                                       uint32_t comps, uint32_t comp, uint32_t size)
{
    return medianLine<Avx>(dst, src, width, comps, comp, size);
}
#endif

} // namespace

uint32_t MedianInteriorLine(float* dstLine, const float* const* srcLines, uint32_t width,
                            uint32_t comps, uint32_t comp, uint32_t size)
{
    if (size < 3 || size > 7 || size % 2 == 0 || width < size)
        return size / 2;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return medianLineAvx2(dstLine, srcLines, width, comps, comp, size);
#endif
    return medianLine<Sse>(dstLine, srcLines, width, comps, comp, size);
}

} // namespace lxpic

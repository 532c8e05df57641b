// Window medians through min/max networks, one pixel a lane. Each window's
// columns are sorted first, once per source column and line, into rank
// lines; then sorting the window's rank rows keeps its columns sorted, so
// element (rank i, column j) has at least (i + 1)(j + 1) window elements at
// or below it and (s - i)(s - j) at or above it. Only the elements that
// these counts do not place on one side of the middle remain candidates,
// and the median is the candidates' element of the matching rank. Min and
// max only: each lane gets exactly the median that sorting its window gives.
// The networks are built at compile time and unrolled, so the window stays
// in registers.
#include "gnr_picture/FloatPicBufAPI/LxFloatMedianInterior.h"

#include <immintrin.h>

#include <cstddef>
#include <utility>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{
namespace
{

constexpr uint32_t kMaxComparators = 512;

struct Network {
    uint8_t lo[kMaxComparators] = {};
    uint8_t hi[kMaxComparators] = {};
    uint32_t count = 0;

    constexpr void add(uint32_t a, uint32_t b)
    {
        lo[count] = uint8_t(a);
        hi[count] = uint8_t(b);
        ++count;
    }
};

// Batcher's odd-even merge sort of positions at[0 .. n - 1], the comparators
// of the next power of two less those touching a position at or past n:
// with +inf there they would never move anything.
constexpr void addBatcher(Network& net, const uint8_t* at, uint32_t n)
{
    uint32_t p2 = 1;
    while (p2 < n)
        p2 *= 2;
    for (uint32_t p = 1; p < p2; p *= 2)
        for (uint32_t k = p; k >= 1; k /= 2)
            for (uint32_t j = k % p; j + k < p2; j += 2 * k)
                for (uint32_t i = 0; i < k && i < p2 - j - k; ++i)
                    if ((i + j) / (2 * p) == (i + j + k) / (2 * p) && i + j + k < n)
                        net.add(at[i + j], at[i + j + k]);
}

// Only the comparators that position out depends on, in their order.
constexpr Network towards(const Network& net, uint32_t out)
{
    bool needed[64] = {};
    bool keep[kMaxComparators] = {};
    needed[out] = true;
    for (uint32_t c = net.count; c-- > 0;)
        if (needed[net.lo[c]] || needed[net.hi[c]]) {
            needed[net.lo[c]] = needed[net.hi[c]] = true;
            keep[c] = true;
        }
    Network kept;
    for (uint32_t c = 0; c < net.count; ++c)
        if (keep[c])
            kept.add(net.lo[c], net.hi[c]);
    return kept;
}

// The network on a window whose columns are sorted already; element
// (rank i, column j) sits at i * S + j. Ends with the median at Out.
template <uint32_t S> struct PresortedMedian {
    static constexpr uint32_t kCount = S * S;
    static constexpr uint32_t kMiddle = kCount / 2;

    static constexpr bool below(uint32_t i, uint32_t j) { return (S - i) * (S - j) > kMiddle + 1; }
    static constexpr bool above(uint32_t i, uint32_t j) { return (i + 1) * (j + 1) > kMiddle + 1; }

    static constexpr uint32_t out()
    {
        uint32_t lower = 0, candidates = 0, at = 0;
        for (uint32_t i = 0; i < S; ++i)
            for (uint32_t j = 0; j < S; ++j)
                lower += below(i, j);
        for (uint32_t i = 0; i < S; ++i)
            for (uint32_t j = 0; j < S; ++j)
                if (!below(i, j) && !above(i, j)) {
                    if (candidates == kMiddle - lower)
                        at = i * S + j;
                    ++candidates;
                }
        return at;
    }

    static constexpr Network build()
    {
        Network net;
        uint8_t at[64] = {};
        for (uint32_t i = 0; i < S; ++i) {
            for (uint32_t j = 0; j < S; ++j)
                at[j] = uint8_t(i * S + j);
            addBatcher(net, at, S);
        }
        uint32_t n = 0;
        for (uint32_t i = 0; i < S; ++i)
            for (uint32_t j = 0; j < S; ++j)
                if (!below(i, j) && !above(i, j))
                    at[n++] = uint8_t(i * S + j);
        addBatcher(net, at, n);
        return towards(net, out());
    }

    static constexpr Network kNet = build();
    static constexpr uint32_t kOut = out();
};

// Sorting one column of S samples.
template <uint32_t S> struct ColumnSort {
    static constexpr Network build()
    {
        Network net;
        uint8_t at[S] = {};
        for (uint32_t i = 0; i < S; ++i)
            at[i] = uint8_t(i);
        addBatcher(net, at, S);
        return net;
    }
    static constexpr Network kNet = build();
};

struct Scalar {
    static constexpr uint32_t kLanes = 1;
    using V = float;
    static V load(const float* p) { return *p; }
    static void store(float* p, V v) { *p = v; }
    // As minps and maxps answer: the second operand unless the first wins.
    static V min(V a, V b) { return a < b ? a : b; }
    static V max(V a, V b) { return a > b ? a : b; }
};

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

// Everything below is always inlined into its caller, the AVX2 clone for 8
// lanes: no vector crosses a call, so the baseline ABI warning does not
// apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

template <class Ops> LX_KERNEL_INLINE void exchange(typename Ops::V& a, typename Ops::V& b)
{
    const typename Ops::V lo = Ops::min(a, b);
    b = Ops::max(a, b);
    a = lo;
}

template <class Ops, const Network& Net, size_t... I>
LX_KERNEL_INLINE void applyNetwork(typename Ops::V* v, std::index_sequence<I...>)
{
    (exchange<Ops>(v[Net.lo[I]], v[Net.hi[I]]), ...);
}

// ranks[r][x] = element r of the sorted column x of component comp.
template <class Ops, uint32_t S>
LX_KERNEL_INLINE uint32_t sortColumns(float* ranks, const float* const* src, uint32_t width,
                                      uint32_t comps, uint32_t comp, uint32_t from)
{
    using V = typename Ops::V;
    constexpr uint32_t lanes = Ops::kLanes;
    alignas(32) float gathered[lanes];
    uint32_t x = from;
    for (; x + lanes <= width; x += lanes) {
        V v[S];
        for (uint32_t r = 0; r < S; ++r) {
            const float* at = src[r] + size_t(x) * comps + comp;
            if (comps == 1) {
                v[r] = Ops::load(at);
                continue;
            }
            for (uint32_t lane = 0; lane < lanes; ++lane)
                gathered[lane] = at[size_t(lane) * comps];
            v[r] = Ops::load(gathered);
        }
        applyNetwork<Ops, ColumnSort<S>::kNet>(
            v, std::make_index_sequence<ColumnSort<S>::kNet.count>());
        for (uint32_t r = 0; r < S; ++r)
            Ops::store(ranks + size_t(r) * width + x, v[r]);
    }
    return x;
}

template <class Ops, uint32_t S>
LX_KERNEL_INLINE uint32_t medianBlocks(float* dst, const float* ranks, uint32_t width,
                                       uint32_t comps, uint32_t comp, uint32_t from)
{
    using V = typename Ops::V;
    using Net = PresortedMedian<S>;
    constexpr uint32_t lanes = Ops::kLanes, half = S / 2;
    // Pixels x whose windows x - half .. x + half fit the line.
    const uint32_t end = width - half;
    alignas(32) float result[lanes];
    uint32_t x = from;
    for (; x + lanes <= end; x += lanes) {
        V v[S * S];
        for (uint32_t r = 0; r < S; ++r)
            for (uint32_t c = 0; c < S; ++c)
                v[r * S + c] = Ops::load(ranks + size_t(r) * width + x - half + c);
        applyNetwork<Ops, Net::kNet>(v, std::make_index_sequence<Net::kNet.count>());
        if (comps == 1) {
            Ops::store(dst + x, v[Net::kOut]);
            continue;
        }
        Ops::store(result, v[Net::kOut]);
        for (uint32_t lane = 0; lane < lanes; ++lane)
            dst[size_t(x + lane) * comps + comp] = result[lane];
    }
    return x;
}

// The whole line: wide lanes, then single samples for the rest, so every
// interior pixel is written.
template <class Ops, uint32_t S>
LX_KERNEL_INLINE uint32_t medianLine(float* dst, const float* const* src, uint32_t width,
                                     uint32_t comps, uint32_t comp, float* ranks)
{
    uint32_t x = sortColumns<Ops, S>(ranks, src, width, comps, comp, 0);
    sortColumns<Scalar, S>(ranks, src, width, comps, comp, x);
    x = medianBlocks<Ops, S>(dst, ranks, width, comps, comp, S / 2);
    return medianBlocks<Scalar, S>(dst, ranks, width, comps, comp, x);
}

template <class Ops>
LX_KERNEL_INLINE uint32_t medianLineOfSize(float* dst, const float* const* src, uint32_t width,
                                           uint32_t comps, uint32_t comp, uint32_t size,
                                           float* ranks)
{
    switch (size) {
    case 3:
        return medianLine<Ops, 3>(dst, src, width, comps, comp, ranks);
    case 5:
        return medianLine<Ops, 5>(dst, src, width, comps, comp, ranks);
    default:
        return medianLine<Ops, 7>(dst, src, width, comps, comp, ranks);
    }
}
#pragma GCC diagnostic pop

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 uint32_t medianLineAvx2(float* dst, const float* const* src, uint32_t width,
                                       uint32_t comps, uint32_t comp, uint32_t size, float* ranks)
{
    return medianLineOfSize<Avx>(dst, src, width, comps, comp, size, ranks);
}
#endif

} // namespace

uint32_t MedianInteriorLine(float* dstLine, const float* const* srcLines, uint32_t width,
                            uint32_t comps, uint32_t comp, uint32_t size, float* ranks)
{
    if (size < 3 || size > 7 || size % 2 == 0 || width < size || !ranks)
        return size / 2;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return medianLineAvx2(dstLine, srcLines, width, comps, comp, size, ranks);
#endif
    return medianLineOfSize<Sse>(dstLine, srcLines, width, comps, comp, size, ranks);
}

} // namespace lxpic

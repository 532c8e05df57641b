// Rows of the horizontal pass live in a small ring keyed by source line; a
// row is filtered when an output line first needs it. Every sample keeps
// the kernels' arithmetic: across, 0 + w0 s0 + w1 s1 + ... then x 1/65536;
// down, w0 r0 + w1 r1 + ... then x 1/65536, no fused multiply-add.
#include "gnr_picture/FloatPicBufAPI/LxFloatStretchBands.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/float/LxFloatStretchLists.h"

namespace lxpic
{
namespace
{

constexpr uint32_t kBlock = 8;

// The horizontal taps of every output sample (pixel x component) as
// planes: tap k of sample i at k * n + i. Samples with fewer taps repeat
// their last offset with weight 0 and are masked by their count, so a
// padded tap never reaches a sum, whatever the sample holds.
struct AcrossTaps {
    size_t n = 0;
    uint32_t taps = 0;
    std::vector<int32_t> offset;
    std::vector<float> weight;
    std::vector<int32_t> count;
    // Per block of 8 samples: the first offset of one load that holds all
    // its taps, or -1 when they spread wider (then gathered).
    std::vector<int64_t> base;

    AcrossTaps(const FloatStretchLists& lists, uint32_t dstW, uint32_t comps, int64_t lo,
               int64_t hi)
        : n(size_t(dstW) * comps)
    {
        for (uint32_t x = 0; x < dstW; ++x)
            taps = std::max(taps, lists.count(x));
        offset.resize(n * taps);
        weight.resize(n * taps);
        count.resize(n);
        for (uint32_t x = 0; x < dstW; ++x) {
            const FloatStretchTap* p = lists.pairs(x);
            const uint32_t c = lists.count(x);
            for (uint32_t comp = 0; comp < comps; ++comp) {
                const size_t i = size_t(x) * comps + comp;
                count[i] = int32_t(c);
                for (uint32_t k = 0; k < taps; ++k) {
                    offset[k * n + i] = int32_t(p[std::min(k, c - 1)].offset + comp);
                    weight[k * n + i] = k < c ? p[k].weight : 0.0f;
                }
            }
        }
        base.assign(n / kBlock, -1);
        for (size_t b = 0; b < n / kBlock; ++b) {
            int64_t low = INT64_MAX, high = INT64_MIN;
            for (uint32_t k = 0; k < taps; ++k)
                for (size_t i = b * kBlock; i < (b + 1) * kBlock; ++i) {
                    low = std::min<int64_t>(low, offset[k * n + i]);
                    high = std::max<int64_t>(high, offset[k * n + i]);
                }
            const int64_t from = std::min(low, hi - int64_t(kBlock) + 1);
            if (from >= lo && high - from < int64_t(kBlock))
                base[b] = from;
        }
    }
};

LX_KERNEL_INLINE void filterSamples(float* out, const float* s, const AcrossTaps& t, size_t from)
{
    for (size_t i = from; i < t.n; ++i) {
        float sum = 0.0f;
        for (int32_t k = 0; k < t.count[i]; ++k)
            sum += t.weight[k * t.n + i] * s[t.offset[k * t.n + i]];
        out[i] = sum * kStretchUnit;
    }
}

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 void filterRowAvx2(float* out, const float* s, const AcrossTaps& t)
{
    const size_t n = t.n;
    size_t i = 0;
    for (size_t b = 0; i + kBlock <= n; ++b, i += kBlock) {
        const __m256i count = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&t.count[i]));
        const int64_t base = t.base[b];
        const bool permuted = base != -1;
        __m256 near = _mm256_setzero_ps();
        __m256i shift = _mm256_setzero_si256();
        if (permuted) {
            near = _mm256_loadu_ps(s + base);
            shift = _mm256_set1_epi32(int32_t(base));
        }
        __m256 sum = _mm256_setzero_ps();
        for (uint32_t k = 0; k < t.taps; ++k) {
            const __m256i at =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&t.offset[k * n + i]));
            const __m256 v = permuted ? _mm256_permutevar8x32_ps(near, _mm256_sub_epi32(at, shift))
                                      : _mm256_i32gather_ps(s, at, 4);
            const __m256 product = _mm256_mul_ps(_mm256_loadu_ps(&t.weight[k * n + i]), v);
            const __m256 used =
                _mm256_castsi256_ps(_mm256_cmpgt_epi32(count, _mm256_set1_epi32(int32_t(k))));
            sum = _mm256_add_ps(sum, _mm256_and_ps(product, used));
        }
        _mm256_storeu_ps(out + i, _mm256_mul_ps(sum, _mm256_set1_ps(kStretchUnit)));
    }
    filterSamples(out, s, t, i);
}
#endif

void filterRow(float* out, const float* s, const AcrossTaps& t)
{
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2()) {
        filterRowAvx2(out, s, t);
        return;
    }
#endif
    filterSamples(out, s, t, 0);
}

// One output line from its rows, the taps in list order.
LX_KERNEL_CLONES void sumRows(float* d, const float* const* rows, const float* w, uint32_t count,
                              size_t n)
{
    if (count == 2) {
        const float* a = rows[0];
        const float* b = rows[1];
        for (size_t i = 0; i < n; ++i)
            d[i] = (w[0] * a[i] + w[1] * b[i]) * kStretchUnit;
        return;
    }
    if (count == 3) {
        const float* a = rows[0];
        const float* b = rows[1];
        const float* c = rows[2];
        for (size_t i = 0; i < n; ++i)
            d[i] = (w[0] * a[i] + w[1] * b[i] + w[2] * c[i]) * kStretchUnit;
        return;
    }
    constexpr size_t kChunk = 512;
    float acc[kChunk];
    for (size_t from = 0; from < n; from += kChunk) {
        const size_t m = std::min(kChunk, n - from);
        for (size_t i = 0; i < m; ++i)
            acc[i] = w[0] * rows[0][from + i];
        for (uint32_t k = 1; k < count; ++k)
            for (size_t i = 0; i < m; ++i)
                acc[i] += w[k] * rows[k][from + i];
        for (size_t i = 0; i < m; ++i)
            d[from + i] = acc[i] * kStretchUnit;
    }
}

} // namespace

int StretchFilteredFloat(float* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                         const float* first, uint32_t srcWB, uint32_t srcX, uint32_t srcW,
                         uint32_t lines, uint32_t above, uint32_t srcBlockH, LxFloatWeightFn weight,
                         uint32_t support)
{
    const uint32_t lineWidth = srcWB / 4 / comps;
    const int64_t lo = -int64_t(srcX) * comps, hi = (int64_t(lineWidth) - srcX) * comps - 1;
    try {
        const FloatStretchLists across(srcW, dstW, -int64_t(srcX), int64_t(lineWidth) - srcX - 1,
                                       comps, weight, support);
        const FloatStretchLists down(srcBlockH, dstH, -int64_t(above), int64_t(lines) - above - 1,
                                     1, weight, support);
        const AcrossTaps taps(across, dstW, comps, lo, hi);
        const size_t n = taps.n;
        // Enough rows for the widest reach of one output line, so that its
        // rows never evict each other.
        uint32_t reach = 1, most = 1;
        for (uint32_t y = 0; y < dstH; ++y) {
            const FloatStretchTap* p = down.pairs(y);
            ptrdiff_t low = p[0].offset, high = p[0].offset;
            for (uint32_t k = 1; k < down.count(y); ++k) {
                low = std::min(low, p[k].offset);
                high = std::max(high, p[k].offset);
            }
            reach = std::max(reach, uint32_t(high - low + 1));
            most = std::max(most, down.count(y));
        }
        const uint32_t ring = std::min(reach + 1, lines);
        std::vector<float> rows(size_t(ring) * n);
        std::vector<int64_t> held(ring, -1);
        std::vector<const float*> picked(most);
        std::vector<float> weights(most);
        for (uint32_t y = 0; y < dstH; ++y) {
            const FloatStretchTap* p = down.pairs(y);
            const uint32_t count = down.count(y);
            for (uint32_t k = 0; k < count; ++k) {
                const int64_t line = int64_t(above) + p[k].offset;
                float* row = rows.data() + size_t(line % ring) * n;
                if (held[line % ring] != line) {
                    filterRow(row, first + size_t(line) * (srcWB / 4), taps);
                    held[line % ring] = line;
                }
                picked[k] = row;
                weights[k] = p[k].weight;
            }
            sumRows(dst + size_t(y) * (dstWB / 4), picked.data(), weights.data(), count, n);
        }
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

} // namespace lxpic

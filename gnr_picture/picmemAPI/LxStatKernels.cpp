// The correlation and running-average members: instances of
// LxStatKernelsT.h.
#include <algorithm>

#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxStatKernelsT.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

namespace lxpic
{

// The byte runs sum products in 16-bit lanes (pmaddwd: two products of at
// most 255 x 255 a 32-bit lane) and flush the 32-bit lanes into the 64-bit
// sums every kFlushSteps vector steps, before two products a step could
// pass 2^32 in a lane; a and b themselves go through sad into 64-bit
// lanes. Each run returns the pixels it did.
constexpr size_t kFlushSteps = 8192;

#if defined(__SSE2__)
uint64_t laneTotal(__m128i v)
{
    uint32_t lanes[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), v);
    return uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}

size_t byteSumsRunSse2(const uint8_t* a, const uint8_t* b, size_t n, uint64_t* k)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i sa = zero, sb = zero;
    size_t i = 0;
    while (n - i >= 16) {
        __m128i aa = zero, ab = zero, bb = zero;
        const size_t steps = std::min((n - i) / 16, kFlushSteps);
        for (size_t s = 0; s < steps; ++s, i += 16) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            sa = _mm_add_epi64(sa, _mm_sad_epu8(va, zero));
            sb = _mm_add_epi64(sb, _mm_sad_epu8(vb, zero));
            const __m128i al = _mm_unpacklo_epi8(va, zero), ah = _mm_unpackhi_epi8(va, zero);
            const __m128i bl = _mm_unpacklo_epi8(vb, zero), bh = _mm_unpackhi_epi8(vb, zero);
            aa = _mm_add_epi32(aa, _mm_add_epi32(_mm_madd_epi16(al, al), _mm_madd_epi16(ah, ah)));
            ab = _mm_add_epi32(ab, _mm_add_epi32(_mm_madd_epi16(al, bl), _mm_madd_epi16(ah, bh)));
            bb = _mm_add_epi32(bb, _mm_add_epi32(_mm_madd_epi16(bl, bl), _mm_madd_epi16(bh, bh)));
        }
        k[kSumAA] += laneTotal(aa);
        k[kSumAB] += laneTotal(ab);
        k[kSumBB] += laneTotal(bb);
    }
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), sa);
    k[kSumA] += lanes[0] + lanes[1];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), sb);
    k[kSumB] += lanes[0] + lanes[1];
    return i;
}
#endif

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 uint64_t laneTotal(__m256i v)
{
    uint32_t lanes[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), v);
    uint64_t total = 0;
    for (uint32_t lane : lanes)
        total += lane;
    return total;
}

LX_TARGET_AVX2 size_t byteSumsRunAvx2(const uint8_t* a, const uint8_t* b, size_t n, uint64_t* k)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i sa = zero, sb = zero;
    size_t i = 0;
    while (n - i >= 32) {
        __m256i aa = zero, ab = zero, bb = zero;
        const size_t steps = std::min((n - i) / 32, kFlushSteps);
        for (size_t s = 0; s < steps; ++s, i += 32) {
            const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
            const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
            sa = _mm256_add_epi64(sa, _mm256_sad_epu8(va, zero));
            sb = _mm256_add_epi64(sb, _mm256_sad_epu8(vb, zero));
            const __m256i al = _mm256_unpacklo_epi8(va, zero), ah = _mm256_unpackhi_epi8(va, zero);
            const __m256i bl = _mm256_unpacklo_epi8(vb, zero), bh = _mm256_unpackhi_epi8(vb, zero);
            aa = _mm256_add_epi32(
                aa, _mm256_add_epi32(_mm256_madd_epi16(al, al), _mm256_madd_epi16(ah, ah)));
            ab = _mm256_add_epi32(
                ab, _mm256_add_epi32(_mm256_madd_epi16(al, bl), _mm256_madd_epi16(ah, bh)));
            bb = _mm256_add_epi32(
                bb, _mm256_add_epi32(_mm256_madd_epi16(bl, bl), _mm256_madd_epi16(bh, bh)));
        }
        k[kSumAA] += laneTotal(aa);
        k[kSumAB] += laneTotal(ab);
        k[kSumBB] += laneTotal(bb);
    }
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), sa);
    k[kSumA] += lanes[0] + lanes[1] + lanes[2] + lanes[3];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), sb);
    k[kSumB] += lanes[0] + lanes[1] + lanes[2] + lanes[3];
    return i;
}
#endif

void addByteLineSums(const uint8_t* a, const uint8_t* b, uint32_t n, uint64_t* k)
{
    size_t i = 0;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        i = byteSumsRunAvx2(a, b, n, k);
#endif
#if defined(__SSE2__)
    if (i == 0)
        i = byteSumsRunSse2(a, b, n, k);
#endif
    for (; i < n; ++i) {
        const uint64_t va = a[i], vb = b[i];
        k[kSumA] += va;
        k[kSumB] += vb;
        k[kSumAA] += va * va;
        k[kSumAB] += va * vb;
        k[kSumBB] += vb * vb;
    }
}

} // namespace lxpic

#define LX_CORRELATION_MEMBER(name, T, CN)                                                         \
    int name(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB, uint32_t width, \
             uint32_t pixelCount, double* result)                                                  \
    {                                                                                              \
        return linearCorrelation<T, CN>(src1, src1WB, src2, src2WB, CN, width, pixelCount,         \
                                        result);                                                   \
    }

LX_CORRELATION_MEMBER(linar_correlation_1x8, u8, 1)
LX_CORRELATION_MEMBER(linar_correlation_3x8, u8, 3)
LX_CORRELATION_MEMBER(linar_correlation_1x16, u16, 1)
LX_CORRELATION_MEMBER(linar_correlation_3x16, u16, 3)

#undef LX_CORRELATION_MEMBER

int linar_correlation_Nx8(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB,
                          uint32_t comps, uint32_t width, uint32_t pixelCount, double* result)
{
    return linearCorrelation<u8, 0>(src1, src1WB, src2, src2WB, comps, width, pixelCount, result);
}

int linar_correlation_Nx16(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB,
                           uint32_t comps, uint32_t width, uint32_t pixelCount, double* result)
{
    return linearCorrelation<u16, 0>(src1, src1WB, src2, src2WB, comps, width, pixelCount, result);
}

#define LX_AVERAGE_MEMBER(name, T, CN)                                                             \
    int name(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB, const void* src,  \
             uint32_t srcWB, const void* srcWeights, uint32_t srcWeightsWB, uint32_t width,        \
             uint32_t pixelCount)                                                                  \
    {                                                                                              \
        return averageUpdate<T, CN>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,  \
                                    srcWeightsWB, CN, width, pixelCount);                          \
    }

LX_AVERAGE_MEMBER(average_update_1x8, u8, 1)
LX_AVERAGE_MEMBER(average_update_3x8, u8, 3)
LX_AVERAGE_MEMBER(average_update_1x16, u16, 1)
LX_AVERAGE_MEMBER(average_update_3x16, u16, 3)

#undef LX_AVERAGE_MEMBER

int average_update_Nx8(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                       const void* src, uint32_t srcWB, const void* srcWeights,
                       uint32_t srcWeightsWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return averageUpdate<u8, 0>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                srcWeightsWB, comps, width, pixelCount);
}

int average_update_Nx16(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                        const void* src, uint32_t srcWB, const void* srcWeights,
                        uint32_t srcWeightsWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return averageUpdate<u16, 0>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                 srcWeightsWB, comps, width, pixelCount);
}

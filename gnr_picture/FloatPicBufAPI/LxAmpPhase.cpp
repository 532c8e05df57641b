// Amplitudes and phases of interleaved complex values, eight at a time
// where the processor has AVX2.
#include "gnr_picture/FloatPicBufAPI/LxAmpPhase.h"

#include <immintrin.h>

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{

namespace
{

#if LX_HAVE_AVX2_PATHS
// acosNearest of four floats, operation for operation: both branches are
// computed and the one of each lane kept.
LX_TARGET_AVX2 inline __m128 acosNearest4(__m128 x)
{
    const __m256d v = _mm256_cvtps_pd(x);
    const __m256d t = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d small = _mm256_cmp_pd(t, half, _CMP_LE_OQ);
    const __m256d s = _mm256_blendv_pd(
        _mm256_sqrt_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_set1_pd(1.0), t), half)), t, small);
    const __m256d z = _mm256_mul_pd(s, s);
    __m256d p = _mm256_set1_pd(kAsinCoefficients[0]);
    for (size_t i = 1; i < kAsinTerms; ++i)
        p = _mm256_add_pd(_mm256_mul_pd(p, z), _mm256_set1_pd(kAsinCoefficients[i]));
    const __m256d asin = _mm256_add_pd(s, _mm256_mul_pd(_mm256_mul_pd(s, z), p));
    const __m256d a = _mm256_blendv_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), asin),
                                       _mm256_sub_pd(_mm256_set1_pd(kHalfPi), asin), small);
    const __m256d negative = _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_LT_OQ);
    return _mm256_cvtpd_ps(_mm256_blendv_pd(a, _mm256_sub_pd(_mm256_set1_pd(kPi), a), negative));
}

LX_TARGET_AVX2 size_t ampAndPhasePairsAvx2(const float* pairs, size_t count, float* amplitude,
                                           float* phase, size_t stride)
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 lo = _mm256_loadu_ps(pairs + 2 * i), hi = _mm256_loadu_ps(pairs + 2 * i + 8);
        // Even floats are the real parts, odd ones the imaginary parts; the
        // shuffle works per 128-bit half, the permutation puts them in order.
        const __m256 re = _mm256_castpd_ps(_mm256_permute4x64_pd(
            _mm256_castps_pd(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))), 0xD8));
        const __m256 im = _mm256_castpd_ps(_mm256_permute4x64_pd(
            _mm256_castps_pd(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1))), 0xD8));
        const __m256 a =
            _mm256_sqrt_ps(_mm256_add_ps(_mm256_mul_ps(re, re), _mm256_mul_ps(im, im)));
        const __m256 q = _mm256_div_ps(re, a);
        const __m256 c = _mm256_set_m128(acosNearest4(_mm256_extractf128_ps(q, 1)),
                                         acosNearest4(_mm256_castps256_ps128(q)));
        const __m256 zero = _mm256_setzero_ps();
        const __m256 onAxis =
            _mm256_blendv_ps(_mm256_set1_ps(3.1415925f), zero, _mm256_cmp_ps(re, zero, _CMP_GE_OQ));
        __m256 p = _mm256_blendv_ps(onAxis, _mm256_sub_ps(_mm256_set1_ps(6.283185f), c),
                                    _mm256_cmp_ps(im, zero, _CMP_LT_OQ));
        p = _mm256_blendv_ps(p, c, _mm256_cmp_ps(im, zero, _CMP_GT_OQ));
        alignas(32) float amps[8], phases[8];
        _mm256_store_ps(amps, a);
        _mm256_store_ps(phases, p);
        for (size_t k = 0; k < 8; ++k) {
            amplitude[(i + k) * stride] = amps[k];
            phase[(i + k) * stride] = phases[k];
        }
    }
    return i;
}
#endif

} // namespace

void ampAndPhasePairs(const float* pairs, size_t count, float* amplitude, float* phase,
                      size_t stride)
{
    size_t i = 0;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        i = ampAndPhasePairsAvx2(pairs, count, amplitude, phase, stride);
#endif
    for (; i < count; ++i)
        ampAndPhase(pairs[2 * i], pairs[2 * i + 1], &amplitude[i * stride], &phase[i * stride]);
}

} // namespace lxpic

// The sums of products behind every wavelet pass, written once and compiled
// into each clone of the passes (and, by the tests, at the baseline
// instruction set). Output samples are computed side by side in vectors;
// each lane adds its own products in tap order, so every output is exactly
// the plain dot product from 0.0.
#pragma once

#include <cstddef>
#include <cstdint>

// The 4-double vectors never cross a call: they live in inlined code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

#define LX_WAVELET_INLINE __attribute__((always_inline)) inline

namespace lxwavelet
{

// Two 4-double vectors per filter: one AVX2 register each, or two SSE2
// registers.
typedef double Vec4 __attribute__((vector_size(32)));
constexpr size_t kLanes = 8;

LX_WAVELET_INLINE Vec4 load4(const double* p)
{
    Vec4 v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
LX_WAVELET_INLINE void store4(double* p, Vec4 v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

// outA[k] = sum_i p[i][k] x fa[i], outB[k] likewise with fb, i = 0..n-1 in
// order. kTaps fixes n at compile time (0: the runtime count).
template <uint32_t kTaps>
LX_WAVELET_INLINE void dualSums(double* outA, double* outB, const double* const* p,
                                const double* fa, const double* fb, uint32_t taps, size_t count)
{
    const uint32_t n = kTaps ? kTaps : taps;
    size_t k = 0;
    for (; k + kLanes <= count; k += kLanes) {
        Vec4 a0 = {0.0, 0.0, 0.0, 0.0};
        Vec4 a1 = a0, b0 = a0, b1 = a0;
        for (uint32_t i = 0; i < n; ++i) {
            const Vec4 s0 = load4(p[i] + k);
            const Vec4 s1 = load4(p[i] + k + 4);
            const double ca = fa[i];
            const double cb = fb[i];
            a0 += s0 * ca;
            a1 += s1 * ca;
            b0 += s0 * cb;
            b1 += s1 * cb;
        }
        store4(outA + k, a0);
        store4(outA + k + 4, a1);
        store4(outB + k, b0);
        store4(outB + k + 4, b1);
    }
    for (; k < count; ++k) {
        double a = 0.0;
        double b = 0.0;
        for (uint32_t i = 0; i < n; ++i) {
            a += p[i][k] * fa[i];
            b += p[i][k] * fb[i];
        }
        outA[k] = a;
        outB[k] = b;
    }
}

// out[k] = (sum_t pl[t][k] x fl[2t]) + (sum_t ph[t][k] x fh[2t]), each sum
// in tap order: every other tap of the reversed filters meets a sample.
template <uint32_t kTaps>
LX_WAVELET_INLINE void pairSum(double* out, const double* const* pl, const double* fl,
                               const double* const* ph, const double* fh, uint32_t taps,
                               size_t count)
{
    const uint32_t n = kTaps ? kTaps : taps;
    size_t k = 0;
    for (; k + kLanes <= count; k += kLanes) {
        Vec4 lo0 = {0.0, 0.0, 0.0, 0.0};
        Vec4 lo1 = lo0, hi0 = lo0, hi1 = lo0;
        for (uint32_t t = 0; t < n; ++t) {
            const double cl = fl[2 * t];
            const double ch = fh[2 * t];
            lo0 += load4(pl[t] + k) * cl;
            lo1 += load4(pl[t] + k + 4) * cl;
            hi0 += load4(ph[t] + k) * ch;
            hi1 += load4(ph[t] + k + 4) * ch;
        }
        store4(out + k, lo0 + hi0);
        store4(out + k + 4, lo1 + hi1);
    }
    for (; k < count; ++k) {
        double lo = 0.0;
        double hi = 0.0;
        for (uint32_t t = 0; t < n; ++t) {
            lo += pl[t][k] * fl[2 * t];
            hi += ph[t][k] * fh[2 * t];
        }
        out[k] = lo + hi;
    }
}

// Fixed-size instances for the tap counts the library's filters use (the
// analysis filters, and the halves of them that each synthesis output
// meets); any other count runs the general loop.
LX_WAVELET_INLINE void dualSumsAny(double* outA, double* outB, const double* const* p,
                                   const double* fa, const double* fb, uint32_t taps, size_t count)
{
    switch (taps) {
    case 2:
        return dualSums<2>(outA, outB, p, fa, fb, taps, count);
    case 6:
        return dualSums<6>(outA, outB, p, fa, fb, taps, count);
    case 10:
        return dualSums<10>(outA, outB, p, fa, fb, taps, count);
    case 12:
        return dualSums<12>(outA, outB, p, fa, fb, taps, count);
    case 14:
        return dualSums<14>(outA, outB, p, fa, fb, taps, count);
    case 18:
        return dualSums<18>(outA, outB, p, fa, fb, taps, count);
    default:
        return dualSums<0>(outA, outB, p, fa, fb, taps, count);
    }
}

LX_WAVELET_INLINE void pairSumAny(double* out, const double* const* pl, const double* fl,
                                  const double* const* ph, const double* fh, uint32_t taps,
                                  size_t count)
{
    switch (taps) {
    case 1:
        return pairSum<1>(out, pl, fl, ph, fh, taps, count);
    case 3:
        return pairSum<3>(out, pl, fl, ph, fh, taps, count);
    case 5:
        return pairSum<5>(out, pl, fl, ph, fh, taps, count);
    case 6:
        return pairSum<6>(out, pl, fl, ph, fh, taps, count);
    case 7:
        return pairSum<7>(out, pl, fl, ph, fh, taps, count);
    case 9:
        return pairSum<9>(out, pl, fl, ph, fh, taps, count);
    default:
        return pairSum<0>(out, pl, fl, ph, fh, taps, count);
    }
}

} // namespace lxwavelet

#pragma GCC diagnostic pop

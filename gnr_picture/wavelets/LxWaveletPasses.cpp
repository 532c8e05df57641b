#include "gnr_picture/wavelets/LxWaveletPasses.h"

#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxwavelet
{

namespace
{

#define LX_WAVELET_INLINE __attribute__((always_inline)) inline

// Output samples computed side by side: one AVX2 register pair, or four
// SSE2 registers, per filter.
constexpr size_t kLanes = 8;

// outA[k] = sum_i p[i][k] x fa[i], outB[k] likewise with fb, i = 0..n-1 in
// order. kTaps fixes n at compile time (0: the runtime count).
template <uint32_t kTaps>
LX_WAVELET_INLINE void dualSums(double* outA, double* outB, const double* const* p,
                                const double* fa, const double* fb, uint32_t taps, size_t count)
{
    const uint32_t n = kTaps ? kTaps : taps;
    size_t k = 0;
    for (; k + kLanes <= count; k += kLanes) {
        double a[kLanes] = {};
        double b[kLanes] = {};
        for (uint32_t i = 0; i < n; ++i) {
            const double* s = p[i] + k;
            const double ca = fa[i];
            const double cb = fb[i];
            for (size_t j = 0; j < kLanes; ++j) {
                a[j] += s[j] * ca;
                b[j] += s[j] * cb;
            }
        }
        for (size_t j = 0; j < kLanes; ++j) {
            outA[k + j] = a[j];
            outB[k + j] = b[j];
        }
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
        double lo[kLanes] = {};
        double hi[kLanes] = {};
        for (uint32_t t = 0; t < n; ++t) {
            const double* sl = pl[t] + k;
            const double* sh = ph[t] + k;
            const double cl = fl[2 * t];
            const double ch = fh[2 * t];
            for (size_t j = 0; j < kLanes; ++j) {
                lo[j] += sl[j] * cl;
                hi[j] += sh[j] * ch;
            }
        }
        for (size_t j = 0; j < kLanes; ++j)
            out[k + j] = lo[j] + hi[j];
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
    case 2: return dualSums<2>(outA, outB, p, fa, fb, taps, count);
    case 6: return dualSums<6>(outA, outB, p, fa, fb, taps, count);
    case 10: return dualSums<10>(outA, outB, p, fa, fb, taps, count);
    case 12: return dualSums<12>(outA, outB, p, fa, fb, taps, count);
    case 14: return dualSums<14>(outA, outB, p, fa, fb, taps, count);
    case 18: return dualSums<18>(outA, outB, p, fa, fb, taps, count);
    default: return dualSums<0>(outA, outB, p, fa, fb, taps, count);
    }
}

LX_WAVELET_INLINE void pairSumAny(double* out, const double* const* pl, const double* fl,
                                  const double* const* ph, const double* fh, uint32_t taps,
                                  size_t count)
{
    switch (taps) {
    case 1: return pairSum<1>(out, pl, fl, ph, fh, taps, count);
    case 3: return pairSum<3>(out, pl, fl, ph, fh, taps, count);
    case 5: return pairSum<5>(out, pl, fl, ph, fh, taps, count);
    case 6: return pairSum<6>(out, pl, fl, ph, fh, taps, count);
    case 7: return pairSum<7>(out, pl, fl, ph, fh, taps, count);
    case 9: return pairSum<9>(out, pl, fl, ph, fh, taps, count);
    default: return pairSum<0>(out, pl, fl, ph, fh, taps, count);
    }
}

// (a mod n) for a possibly negative a.
inline size_t wrap(int64_t a, size_t n)
{
    const int64_t r = a % int64_t(n);
    return size_t(r < 0 ? r + int64_t(n) : r);
}

// dst[j] = src[(j - shift) mod n] for j = 0..count-1: one modulo per line.
void extendPeriodic(double* dst, size_t count, const double* src, size_t n, int64_t shift)
{
    size_t at = wrap(-shift, n);
    for (size_t j = 0; j < count; ++j) {
        dst[j] = src[at];
        if (++at == n)
            at = 0;
    }
}

// The taps of the reversed filter that one output parity meets: those of
// index first, first + 2, ... below L.
uint32_t parityTaps(uint32_t L, uint32_t first)
{
    return first < L ? (L - first + 1) / 2 : 0;
}

} // namespace

double scalarMulti(const double* a, const double* b, uint32_t n)
{
    double sum = 0.0;
    for (uint32_t i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

// Even and odd samples of the extended line, each (n + L) / 2 + 1 long.
size_t analyseRowsScratch(size_t n, uint32_t L)
{
    return 2 * ((n + L) / 2 + 1);
}

LX_KERNEL_CLONES
void analyseRows(double* low, double* high, const double* src, size_t w, size_t h,
                 const double* A, const double* B, uint32_t L, double* scratch,
                 const double** taps)
{
    // The extended line e[j] = s[(j - (L/2 - 1)) mod w] is kept split into
    // its even and odd samples, so that e[2k + i] is a contiguous run in k.
    const size_t half = (w + L) / 2 + 1;
    double* even = scratch;
    double* odd = scratch + half;
    const int64_t shift = int64_t(L / 2) - 1;
    for (uint32_t i = 0; i < L; ++i)
        taps[i] = (i % 2 ? odd : even) + i / 2;
    for (size_t y = 0; y < h; ++y) {
        const double* s = src + y * w;
        // even[m] = s[(2m - shift) mod w], odd[m] = s[(2m + 1 - shift) mod w]
        size_t at = wrap(-shift, w);
        for (size_t m = 0; m < half; ++m) {
            even[m] = s[at];
            at = at + 1 == w ? 0 : at + 1;
            odd[m] = s[at];
            at = at + 1 == w ? 0 : at + 1;
        }
        dualSumsAny(low + y * (w / 2), high + y * (w / 2), taps, A, B, L, w / 2);
    }
}

LX_KERNEL_CLONES
void analyseColumns(double* low, double* high, const double* src, size_t w, size_t h,
                    const double* A, const double* B, uint32_t L, const double** taps)
{
    const int64_t shift = int64_t(L / 2) - 1;
    for (size_t k = 0; k < h / 2; ++k) {
        for (uint32_t i = 0; i < L; ++i)
            taps[i] = src + wrap(int64_t(2 * k + i) - shift, h) * w;
        dualSumsAny(low + k * w, high + k * w, taps, A, B, L, w);
    }
}

// Extended low and high lines (m + L + 2 each) and the even and odd outputs
// (m each).
size_t synthesiseRowsScratch(size_t m, uint32_t L)
{
    return 2 * (m + L + 2) + 2 * m;
}

LX_KERNEL_CLONES
void synthesiseRows(double* out, const double* lo, const double* hi, size_t m, size_t h,
                    const double* rA, const double* rB, uint32_t L, double* scratch,
                    const double** taps)
{
    // Output j meets the reversed taps i with j + i - L/2 even, and then the
    // half-line sample (j + i - L/2) / 2. For j = 2q + p that is tap
    // first = (L/2 + p) mod 2 + 2t and sample q + t + (first + p - L/2) / 2;
    // the lines are extended by `pad` samples in front so the index never
    // goes below 0.
    const size_t ext = m + L + 2;
    double* eLo = scratch;
    double* eHi = scratch + ext;
    double* outParity[2] = {scratch + 2 * ext, scratch + 2 * ext + m};
    const int64_t pad = int64_t(L / 4) + 1;
    const double** tapsLo = taps;
    const double** tapsHi = taps + (L + 1) / 2;
    for (size_t y = 0; y < h; ++y) {
        extendPeriodic(eLo, ext, lo + y * m, m, pad);
        extendPeriodic(eHi, ext, hi + y * m, m, pad);
        for (uint32_t p = 0; p < 2; ++p) {
            const uint32_t first = (L / 2 + p) % 2;
            const uint32_t n = parityTaps(L, first);
            const int64_t offset = pad + (int64_t(first) + p - int64_t(L / 2)) / 2;
            for (uint32_t t = 0; t < n; ++t) {
                tapsLo[t] = eLo + offset + t;
                tapsHi[t] = eHi + offset + t;
            }
            pairSumAny(outParity[p], tapsLo, rA + first, tapsHi, rB + first, n, m);
        }
        double* row = out + y * 2 * m;
        for (size_t q = 0; q < m; ++q) {
            row[2 * q] = outParity[0][q];
            row[2 * q + 1] = outParity[1][q];
        }
    }
}

LX_KERNEL_CLONES
void synthesiseColumns(double* out, const double* lo, const double* hi, size_t w, size_t m,
                       const double* rA, const double* rB, uint32_t L, const double** taps)
{
    // As synthesiseRows, with whole rows for samples.
    const double** tapsLo = taps;
    const double** tapsHi = taps + (L + 1) / 2;
    for (size_t j = 0; j < 2 * m; ++j) {
        const uint32_t p = uint32_t(j % 2);
        const uint32_t first = (L / 2 + p) % 2;
        const uint32_t n = parityTaps(L, first);
        const int64_t base = int64_t(j / 2) + (int64_t(first) + p - int64_t(L / 2)) / 2;
        for (uint32_t t = 0; t < n; ++t) {
            const size_t row = wrap(base + t, m);
            tapsLo[t] = lo + row * w;
            tapsHi[t] = hi + row * w;
        }
        pairSumAny(out + j * w, tapsLo, rA + first, tapsHi, rB + first, n, w);
    }
}

} // namespace lxwavelet

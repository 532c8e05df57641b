#include "gnr_picture/wavelets/LxWaveletPasses.h"

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/wavelets/LxWaveletKernels.h"

namespace lxwavelet
{

namespace
{

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

// One row of w samples to w / 2 low and high samples: the extended line
// e[j] = s[(j - (L/2 - 1)) mod w] is kept split into its even and odd
// samples, so that e[2k + i] is a contiguous run in k.
LX_WAVELET_INLINE void analyseRow(double* low, double* high, const double* s, size_t w,
                                  const double* A, const double* B, uint32_t L, double* even,
                                  double* odd, const double** taps)
{
    const size_t half = (w + L) / 2 + 1;
    const int64_t shift = int64_t(L / 2) - 1;
    size_t at = wrap(-shift, w);
    for (size_t m = 0; m < half; ++m) {
        even[m] = s[at];
        at = at + 1 == w ? 0 : at + 1;
        odd[m] = s[at];
        at = at + 1 == w ? 0 : at + 1;
    }
    for (uint32_t i = 0; i < L; ++i)
        taps[i] = (i % 2 ? odd : even) + i / 2;
    dualSumsAny(low, high, taps, A, B, L, w / 2);
}

// One row of 2m samples from m low and m high samples. Output j = 2q + p
// meets the reversed taps i with j + i - L/2 even, that is
// i = first + 2t with first = (L/2 + p) mod 2, and then the half-line sample
// q + t + (first + p - L/2) / 2; the lines are extended by `pad` samples in
// front so that index never goes below 0.
LX_WAVELET_INLINE void synthesiseRow(double* out, const double* lo, const double* hi, size_t m,
                                     const double* rA, const double* rB, uint32_t L,
                                     double* scratch, const double** taps)
{
    const size_t ext = m + L + 2;
    double* eLo = scratch;
    double* eHi = scratch + ext;
    double* outParity[2] = {scratch + 2 * ext, scratch + 2 * ext + m};
    const int64_t pad = int64_t(L / 4) + 1;
    const double** tapsLo = taps;
    const double** tapsHi = taps + (L + 1) / 2;
    extendPeriodic(eLo, ext, lo, m, pad);
    extendPeriodic(eHi, ext, hi, m, pad);
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
    for (size_t q = 0; q < m; ++q) {
        out[2 * q] = outParity[0][q];
        out[2 * q + 1] = outParity[1][q];
    }
}

// Row j of the plane that the synthesis along columns gives from the
// half-height planes lo and hi (w x m): as synthesiseRow with whole rows
// for samples.
LX_WAVELET_INLINE void synthesiseColumnsRow(double* out, const double* lo, const double* hi,
                                            size_t w, size_t m, size_t j, const double* rA,
                                            const double* rB, uint32_t L, const double** taps)
{
    const double** tapsLo = taps;
    const double** tapsHi = taps + (L + 1) / 2;
    const uint32_t p = uint32_t(j % 2);
    const uint32_t first = (L / 2 + p) % 2;
    const uint32_t n = parityTaps(L, first);
    const int64_t base = int64_t(j / 2) + (int64_t(first) + p - int64_t(L / 2)) / 2;
    for (uint32_t t = 0; t < n; ++t) {
        const size_t row = wrap(base + t, m);
        tapsLo[t] = lo + row * w;
        tapsHi[t] = hi + row * w;
    }
    pairSumAny(out, tapsLo, rA + first, tapsHi, rB + first, n, w);
}

} // namespace

double scalarMulti(const double* a, const double* b, uint32_t n)
{
    double sum = 0.0;
    for (uint32_t i = 0; i < n; ++i)
        sum += a[i] * b[i];
    return sum;
}

// The ring of L row-filtered rows for each filter, the even and odd halves
// of one extended row.
size_t analyseScratch(size_t w, uint32_t L)
{
    return 2 * size_t(L) * (w / 2) + 2 * ((w + L) / 2 + 1);
}

LX_KERNEL_CLONES
void analyseLevel(double* out1, double* out2, double* out3, double* out4, const double* src,
                  size_t w, size_t h, const double* A, const double* B, uint32_t L, double* scratch,
                  const double** taps)
{
    // The row pass runs just ahead of the column pass: a ring keeps the L
    // row-filtered rows (virtual indices 2k - c .. 2k - c + L - 1, each the
    // source row of that index mod h) that output row k of the column pass
    // reads. Rows near the ends are filtered twice, with the same result.
    const size_t half = w / 2;
    double* ringA = scratch;
    double* ringB = scratch + size_t(L) * half;
    double* even = scratch + 2 * size_t(L) * half;
    double* odd = even + (w + L) / 2 + 1;
    const double** rowsA = taps;
    const double** rowsB = taps + L;
    const int64_t c = int64_t(L / 2) - 1;
    int64_t next = -c;
    for (size_t k = 0; k < h / 2; ++k) {
        const int64_t first = int64_t(2 * k) - c;
        for (; next < first + int64_t(L); ++next) {
            const size_t slot = size_t(next + c) % L;
            analyseRow(ringA + slot * half, ringB + slot * half, src + wrap(next, h) * w, w, A, B,
                       L, even, odd, rowsA);
        }
        for (uint32_t i = 0; i < L; ++i) {
            const size_t slot = size_t(first + i + c) % L;
            rowsA[i] = ringA + slot * half;
            rowsB[i] = ringB + slot * half;
        }
        dualSumsAny(out4 + k * half, out3 + k * half, rowsA, A, B, L, half);
        dualSumsAny(out2 + k * half, out1 + k * half, rowsB, A, B, L, half);
    }
}

// One row of each column-synthesised plane and the row synthesis' lines.
size_t synthesiseScratch(size_t m, uint32_t L)
{
    return 2 * m + 2 * (m + L + 2) + 2 * m;
}

LX_KERNEL_CLONES
void synthesiseLevel(double* out, const double* in1, const double* in2, const double* in3,
                     const double* in4, size_t m, size_t n, const double* rA, const double* rB,
                     uint32_t L, double* scratch, const double** taps)
{
    // Output row j needs row j of both column-synthesised planes only, so
    // they are made one row at a time.
    double* rowA = scratch;
    double* rowB = scratch + m;
    double* lines = scratch + 2 * m;
    for (size_t j = 0; j < 2 * n; ++j) {
        synthesiseColumnsRow(rowA, in4, in3, m, n, j, rA, rB, L, taps);
        synthesiseColumnsRow(rowB, in2, in1, m, n, j, rA, rB, L, taps);
        synthesiseRow(out + j * 2 * m, rowA, rowB, m, rA, rB, L, lines, taps);
    }
}

} // namespace lxwavelet

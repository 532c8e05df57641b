// The four passes of one wavelet level over a plane of doubles. Every output
// sample is one sum of products taken in the taps' order, exactly as a plain
// dot product (scalarMulti) over the periodically extended line gives it:
// the vector paths only compute several output samples side by side.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lxwavelet
{

// sum of a[i] x b[i] for i = 0..n-1 in that order, from 0.0.
double scalarMulti(const double* a, const double* b, uint32_t n);

// Scratch doubles the row passes need for lines of n samples and L taps.
size_t analyseRowsScratch(size_t n, uint32_t L);
size_t synthesiseRowsScratch(size_t n, uint32_t L);

// Each of the h rows of src (w samples, w even, L <= w) gives w / 2 samples
// of low (filter A) and high (filter B):
//   o[k] = sum_i s[(2k + i - (L/2 - 1)) mod w] x f[i].
// taps holds L pointers.
void analyseRows(double* low, double* high, const double* src, size_t w, size_t h,
                 const double* A, const double* B, uint32_t L, double* scratch,
                 const double** taps);
// The same along the columns of a w x h plane (h even, L <= h): low and high
// are w x h/2.
void analyseColumns(double* low, double* high, const double* src, size_t w, size_t h,
                    const double* A, const double* B, uint32_t L, const double** taps);

// From half-length lines lo and hi (m samples, L <= 2m), with reversed
// filters rA, rB, each line of n = 2m samples
//   o[j] = sum_i lo'[(j + i - L/2) mod n] x rA[i] + sum_i hi'[(j + i - L/2) mod n] x rB[i]
// where lo', hi' are lo, hi upsampled with zeros at odd places (those
// products, exactly 0, are left out). Rows: lo and hi are m x h, out 2m x h.
void synthesiseRows(double* out, const double* lo, const double* hi, size_t m, size_t h,
                    const double* rA, const double* rB, uint32_t L, double* scratch,
                    const double** taps);
// Columns: lo and hi are w x m, out w x 2m.
void synthesiseColumns(double* out, const double* lo, const double* hi, size_t w, size_t m,
                       const double* rA, const double* rB, uint32_t L, const double** taps);

} // namespace lxwavelet

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

// Scratch doubles of one level.
size_t analyseScratch(size_t w, uint32_t L);
size_t synthesiseScratch(size_t m, uint32_t L);

// One decomposition level of the w x h plane src (w and h even, L <= w and
// h) into the four w/2 x h/2 planes. Along a line s of N samples
//   o[k] = sum_i s[(2k + i - (L/2 - 1)) mod N] x f[i];
// rows first, giving (filter A) and (filter B) row-filtered planes; their
// columns give out4 (A then A), out3 (A then B), out2 (B then A) and out1
// (B then B). taps holds 2L pointers.
void analyseLevel(double* out1, double* out2, double* out3, double* out4, const double* src,
                  size_t w, size_t h, const double* A, const double* B, uint32_t L, double* scratch,
                  const double** taps);

// One reconstruction level from the four m x n planes into the 2m x 2n
// plane out (none of the inputs), with the reversed filters rA, rB. Along a
// line of 2M samples from M low and M high ones (lo', hi' upsampled with
// zeros at odd places, those products, exactly 0, left out)
//   o[j] = sum_i lo'[(j + i - L/2) mod 2M] x rA[i] + sum_i hi'[(j + i - L/2) mod 2M] x rB[i];
// columns first ((in4 low, in3 high) and (in2 low, in1 high)), then rows
// (the first of those as low, the second as high). taps holds L + 2
// pointers.
void synthesiseLevel(double* out, const double* in1, const double* in2, const double* in3,
                     const double* in4, size_t m, size_t n, const double* rA, const double* rB,
                     uint32_t L, double* scratch, const double** taps);

} // namespace lxwavelet

// The numerical core of wavelet noise estimation and denoising: the k-th
// smallest value of an array, one level of a separable two-dimensional
// orthogonal wavelet transform with periodic extension, and the filter
// pairs of four wavelet families.
//
// Every member returns 0 for success and -9 for any failure (a bad
// argument, memory that cannot be had); the decomposition also returns -2
// for a plane of odd width or height. On failure nothing handed in is
// changed and nothing is leaked.
//
// Planes are width x height doubles, row after row, with no padding. Every
// buffer of these classes comes from malloc and goes back with free: a
// plane handed out here is released with CLxWavelet2D::FreeBuf, a filter
// with its provider's FreeWavelet.
//
// Naming kept from the library's first users, the reverse of the usual
// words: the "mother" wavelet is the low-pass (scaling) filter and the
// "father" wavelet the high-pass filter. Callers give the mother as filter A
// and the father as filter B.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

class LX_EXPORT CLxMedianSearch
{
  public:
    // Stores the (k+1)-th smallest of the n values of data in *result (k 0:
    // the minimum). data is working storage: its order afterwards is
    // unspecified, its values are kept. -9 for a null data or result, n 0,
    // k >= n or a NaN among the values; *result is then untouched.
    static int KthSearch(double* result, uint32_t k, double* data, uint32_t n);
};

class LX_EXPORT CLxWavelet2D
{
  public:
    // One decomposition level of the width x height plane src with filters
    // A (low-pass) and B (high-pass) of L taps. halfWidth and halfHeight
    // become width / 2 and height / 2; each output left null is allocated as
    // a half-size plane and handed to the caller:
    //   out1  high-pass along rows and columns (diagonal detail),
    //   out2  high-pass along rows, low-pass along columns,
    //   out3  low-pass along rows, high-pass along columns,
    //   out4  low-pass along both (the approximation).
    // A line s of N samples gives N / 2 outputs
    //   o[k] = sum over i = 0..L-1 of s[(2k + i - (L/2 - 1)) mod N] x f[i],
    // the taps summed in that order. -9 for L 0, a null filter or source, or
    // L above width or height (before the next test); -2 for an odd width or
    // height.
    static int WaveletDecompositionImage(double*& out1, double*& out2, double*& out3, double*& out4,
                                         uint32_t& halfWidth, uint32_t& halfHeight,
                                         const double* src, uint32_t width, uint32_t height,
                                         const double* filterA, const double* filterB, uint32_t L);
    // The inverse of one level from the four half-size planes in the
    // decomposition's order. width and height become twice the half sizes;
    // a null out is allocated (else written in place; it may be none of the
    // inputs). With the samples upsampled (zeros at odd places) and each
    // filter reversed (r[i] = f[L-1-i]), a line of N = 2M samples is
    //   o[n] = sum_i lo[(n + i - L/2) mod N] x rA[i]
    //        + sum_i hi[(n + i - L/2) mod N] x rB[i],
    // columns first (in3 high with in4 low, in1 high with in2 low), then
    // rows. -9 for L 0, a null filter or input plane, or L above twice a
    // half size.
    static int WaveletReconstructionImage(double*& out, uint32_t& width, uint32_t& height,
                                          const double* in1, const double* in2, const double* in3,
                                          const double* in4, uint32_t halfWidth,
                                          uint32_t halfHeight, const double* filterA,
                                          const double* filterB, uint32_t L);
    // Frees a plane handed out above; -9 for null. The pointer is not
    // cleared.
    static int FreeBuf(double* plane);

  private:
    // sum of a[i] x b[i] for i = 0..n-1, in that order; 0.0 for n 0. The
    // transforms give exactly these sums.
    static double ScalarMulti(const double* a, const double* b, uint32_t n);
    // dst[i] = src[L-1-i].
    static void ConstructInverseFilter(double* dst, const double* src, uint32_t L);
};

// Filter providers. GetMotherWavelet hands out the low-pass and
// GetFatherWavelet the high-pass filter of a grade: *taps becomes the tap
// count, a null filter is allocated (that many doubles), and the taps are
// written. A grade outside the family's range, or a null taps pointer,
// returns -9 before anything is allocated, with the pointer as it was.
// FreeWavelet frees a filter and sets the pointer to null; -9 when it is
// already null.
//
// High-pass tap i = (-1)^i x low[L-1-i] for every family but Haar. The
// Coiflet and Haar filters are scaled by the four-digit 0.7071 (not
// 1/sqrt(2)), so a level decomposed and reconstructed with them returns its
// input times (2 x 0.7071^2)^2, about 0.99996.

// Daubechies extremal-phase filters, grades 1-38 with 2g taps, sum sqrt(2).
class LX_EXPORT CLxDaubechies2DWave
{
  public:
    static int GetMotherWavelet(double*& filter, int* taps, int grade);
    static int GetFatherWavelet(double*& filter, int* taps, int grade);
    static int FreeWavelet(double*& filter);

  private:
    static const double* GetGradePtr(int grade);
};

// Coiflets, grades 1-5 with 6g taps: the stored filters of sum 2 times
// 0.7071.
class LX_EXPORT CLxCoiflets2DWave
{
  public:
    static int GetMotherWavelet(double*& filter, int* taps, int grade);
    static int GetFatherWavelet(double*& filter, int* taps, int grade);
    static int FreeWavelet(double*& filter);

  private:
    static const double* GetGradePtr(int grade);
};

// Hess filters, grades 1-3 with 6, 10 and 14 taps, stored to 10 to 12
// decimals (a round trip holds to about 1e-5).
class LX_EXPORT CLxHess2DWave
{
  public:
    static int GetMotherWavelet(double*& filter, int* taps, int grade);
    static int GetFatherWavelet(double*& filter, int* taps, int grade);
    static int FreeWavelet(double*& filter);

  private:
    static const double* GetGradePtr(int grade);
};

// Haar: low-pass 0.7071, 0.7071; high-pass -0.7071, 0.7071 (the negative
// tap first, unlike Daubechies grade 1).
class LX_EXPORT CLxHaar2DWave
{
  public:
    static int GetMotherWavelet(double*& filter, int* taps);
    static int GetFatherWavelet(double*& filter, int* taps);
    static int FreeWavelet(double*& filter);
};

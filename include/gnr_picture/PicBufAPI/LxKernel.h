// Kernels of the picture filters: the fixed-size named record that the
// neighbourhood operations of CLxPicBufAPI take, and the integer kernel
// matrix with its generators.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

// rows x columns of a kernel never exceeds this.
#define MAX_KERNEL_ELEMENTS 10000

// A named rectangular kernel. Element (row, column) lies at index
// row x uiNCols + column of iValues and ubMask; entries past rows x columns
// are 0. An element takes part where its mask byte is not 0; its value is
// its weight. Plain data: the predefined records are static members of
// CLxPicBufAPI.
struct SLxKernel {
    char16_t wszName[64]; // zero-terminated; "Smooth2", "Smooth3", "Oct4" pick shape workers
    uint32_t uiNRows;     // rows
    uint32_t uiNCols;     // columns
    uint32_t uiCenterRow; // the anchor: the element that lands on the output sample
    uint32_t uiCenterCol;
    int32_t iValues[MAX_KERNEL_ELEMENTS]; // weights, row by row
    uint8_t ubMask[MAX_KERNEL_ELEMENTS];  // non-zero where the element takes part
    uint32_t uiKind;                      // 23 for weights and shapes, 2 for 0/1/2 codes
    uint32_t uiLast;                      // 1 in the predefined records
};

// An integer kernel of rows x columns values on the private heap, with a
// bit mask (one bit an element) and a divisor. Each matrix owns its
// buffers: copies (constructor, assignment) are independent.
struct LX_EXPORT SLxKernelMatrix {
    uint32_t uiNRows;
    uint32_t uiNCols;
    uint32_t uiReserved1; // copied with the matrix, not interpreted
    uint32_t uiReserved2;
    int32_t* piValues;    // rows x columns, row by row
    uint32_t* puiBitMask; // (rows x columns + 31) / 32 words
    int32_t iDivisor;

    // Empty, divisor 1.
    SLxKernelMatrix();
    SLxKernelMatrix(const SLxKernelMatrix& other);
    SLxKernelMatrix& operator=(const SLxKernelMatrix& other);
    ~SLxKernelMatrix();

    // Sets the size and allocates zeroed values and an all-set bit mask (the
    // old buffers released); rows x columns of 0 allocates nothing. 0, -4
    // without a matrix, -3 without memory (the matrix then empty).
    static int Alloc(SLxKernelMatrix* m, uint32_t rows, uint32_t cols);
    // Releases the buffers and zeroes every field (the divisor too).
    static void Free(SLxKernelMatrix* m);
    // dst becomes a copy of src: size, the two further words, divisor,
    // values and bit mask; dst is reallocated when the sizes differ. 0, -4
    // without a matrix, -3 without memory.
    static int Copy(SLxKernelMatrix* dst, const SLxKernelMatrix* src);
    // Equal sizes: Copy. Otherwise both odd squares and dst allocated: src
    // laid centred over dst (cropped when larger), dst elements outside it
    // 0; only the values are written. Anything else: nothing, 0.
    static int Paste(SLxKernelMatrix* dst, const SLxKernelMatrix* src);

    // Generators: fill the values and the divisor of an allocated matrix.
    // -9 for a missing matrix or values, 0 rows or columns, or a shape the
    // generator does not take.
    // All 1, divisor rows x columns; any shape.
    static int GeneratorAverage(SLxKernelMatrix* m);
    // 100 exp(-(x^2 + y^2) / (2 s)) + 0.5 truncated, s = h^2 / ln 100 with
    // h = side / 2 (a tenth at distance h on an axis); divisor the sum. Odd
    // squares only; side 1 gives 100 with divisor 100.
    static int GeneratorGaussian(SLxKernelMatrix* m);
    // Odd squares: -c^2 everywhere, n^2 - c^2 in the centred c x c block (c
    // the odd number n / 2 or n / 2 + 1, at least 1); divisor c^2; sum 0.
    static int GeneratorLaplacian(SLxKernelMatrix* m);
    // Odd squares: (1 - r^2 / s^2) exp(-r^2 / s^2) with s = n / 4 + 1 scaled
    // to 25 at its largest magnitude, then balanced to sum 0 by lowering the
    // values whose count divides the sum best; divisor 1. -9 when the
    // balancing would pass below 0.
    static int GeneratorMexicanHat(SLxKernelMatrix* m);
};

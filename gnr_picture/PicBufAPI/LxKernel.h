// The kernel record of the picture filters and the offset list every kernel
// worker walks. Element (row, column) of a kernel lies at index
// row x uiNCols + column of its values and its mask.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

#define MAX_KERNEL_ELEMENTS 10000

struct SLxKernel {
    char16_t wszName[64]; // zero-terminated; "Smooth2", "Smooth3", "Oct4" pick shape workers
    uint32_t uiNRows;     // rows
    uint32_t uiNCols;     // columns
    uint32_t uiCenterRow; // the anchor: the element that lands on the output sample
    uint32_t uiCenterCol;
    int32_t iValues[MAX_KERNEL_ELEMENTS]; // weights, row by row
    uint8_t ubMask[MAX_KERNEL_ELEMENTS];  // non-zero where the element takes part
    uint32_t uiKind;                      // not read by the workers
    uint32_t uiLast;                      // not read by the workers
};

// Whether the kernel's size and anchor can be walked: rows and columns at
// least 1, rows x columns at most MAX_KERNEL_ELEMENTS, the anchor inside.
bool IsUsableKernel(const SLxKernel* kernel);

// For each set element, in row order, its distance from the anchor in
// samples: (column - centre column) x components + (row - centre row) x
// stride, the stride being the picture's samples per line, or in window
// mode columns x components; the element's value into weights when given.
// With both divisor and rounding given: a divisor of 0 becomes the count
// (1 when there is none) and rounding is half the divisor, truncated toward
// zero. Returns the number of set elements (0 for an unusable kernel).
// offsets (and weights) must hold MAX_KERNEL_ELEMENTS entries.
uint32_t CalcKernelOffsets(const SLxPicBuf* pic, const SLxKernel* kernel, ptrdiff_t* offsets,
                           int32_t* weights, int32_t* divisor, int32_t* rounding, bool windowMode);

// True for a kernel given as a full odd square centred on its anchor:
// rows = columns = 2 x centre + 1, centre row = centre column, every mask
// byte set.
bool IsFullSquareKernel(const SLxKernel* kernel);

// Whether the kernel's name is exactly the given text.
bool KernelNameIs(const SLxKernel* kernel, const char16_t* name);

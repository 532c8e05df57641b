// The offset list every kernel worker walks and the kernel shape tests.
// Element (row, column) of a kernel lies at index row x uiNCols + column of
// its values and its mask.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxKernel.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"


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

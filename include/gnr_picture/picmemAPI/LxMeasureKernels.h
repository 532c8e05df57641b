// Kernels of the focus criteria and of the value and circularity
// thresholds. The CLxPicMemAPI dispatchers GetFocusCriterium, Threshold and
// ThresholdFromIntegralCircularity check the arguments and choose among
// them; call those where you can. Conventions: see LxCopyKernels.h.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Members take the dispatcher's arguments (criterion 0 or 1 as an int).
// x8 and x16 read the samples as stored, x9_15 masks them to bits.
typedef int LxFocusCriteriumFn(double* result, int component, const void* pixels, uint32_t wb,
                               uint32_t comps, uint32_t bits, uint32_t xStep, uint32_t yStep,
                               uint32_t width, uint32_t count, int criterion);
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_1x8;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_1x9_15;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_1x16;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_3x8;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_3x9_15;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_3x16;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_Nx8;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_Nx9_15;
LX_EXPORT LxFocusCriteriumFn getfocuscriterium_Nx16;

// Each destination sample whose source sample v lies within low..high
// (inside) or outside it (!inside) takes value (its low 8 or 16 bits); the
// others keep theirs. One sample a pixel.
LX_EXPORT int threshold_8(void* dst, uint32_t dstWB, const void* src, uint32_t bits, uint32_t srcWB,
                          uint32_t low, uint32_t high, bool inside, uint32_t value, uint32_t width,
                          uint32_t count);
LX_EXPORT int threshold_16(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                           uint32_t srcWB, uint32_t low, uint32_t high, bool inside, uint32_t value,
                           uint32_t width, uint32_t count);
LX_EXPORT int threshold_8_to_16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                uint32_t srcBits, uint32_t srcWB, uint32_t low, uint32_t high,
                                bool inside, uint32_t value, uint32_t width, uint32_t count);
LX_EXPORT int threshold_16_to_8(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                uint32_t srcBits, uint32_t srcWB, uint32_t low, uint32_t high,
                                bool inside, uint32_t value, uint32_t width, uint32_t count);

// The grey level whose level set (at or above it for bright objects, at or
// below it else) is most compact, border squared over area; 0 when none
// qualifies. 0xFFFFFFFC for a neighbour distance other than 1 or a missing
// picture, 0xFFFFFFFD when the 16-bit tables are refused.
LX_EXPORT uint32_t threshold_from_integral_circularity_8(const void* src, uint32_t bits,
                                                         uint32_t distance, uint32_t wb,
                                                         uint32_t width, uint32_t count,
                                                         bool bright, double minArea,
                                                         double excludedTop);
LX_EXPORT uint32_t threshold_from_integral_circularity_16(const void* src, uint32_t bits,
                                                          uint32_t distance, uint32_t wb,
                                                          uint32_t width, uint32_t count,
                                                          bool bright, double minArea,
                                                          double excludedTop);

} // extern "C"

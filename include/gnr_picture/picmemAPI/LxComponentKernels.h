// Kernels on one component of interleaved pictures. Conventions: see
// LxCopyKernels.h; tables: see LxLutConvertKernels.h.
//
// A component is addressed by the picture's component count (the step
// between pixels, in samples) and its index: sample x of a line lies
// x x comps + comp samples after the line start. A one-component picture is
// comps 1, comp 0. Other components of a destination keep their values.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Component srcComp of every source pixel to component dstComp of the
// destination pixel; both pictures have samples of the same width. The
// document reader extracts and stores frame planes through these.
LX_EXPORT int copycomponent_Nx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                       uint32_t dstComp, const void* src, uint32_t srcComps,
                                       uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                       uint32_t pixelCount);
LX_EXPORT int copycomponent_Nx16_to_Nx16(void* dst, uint32_t dstComps, uint32_t dstWB,
                                         uint32_t dstComp, const void* src, uint32_t srcComps,
                                         uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                         uint32_t pixelCount);

// The same for the pixels whose mask sample (first number: 8 a byte, 16 a
// 16-bit word, one per pixel) equals (_in) or differs from (_out) value; the
// second number is the width of the picture samples.
LX_EXPORT int copycomponentmask_8_Nx8_in(void* dst, uint32_t dstComps, uint32_t dstWB,
                                         uint32_t dstComp, const void* src, uint32_t srcComps,
                                         uint32_t srcWB, uint32_t srcComp, const void* mask,
                                         uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                         uint32_t value);
LX_EXPORT int copycomponentmask_8_Nx8_out(void* dst, uint32_t dstComps, uint32_t dstWB,
                                          uint32_t dstComp, const void* src, uint32_t srcComps,
                                          uint32_t srcWB, uint32_t srcComp, const void* mask,
                                          uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                          uint32_t value);
LX_EXPORT int copycomponentmask_8_Nx16_in(void* dst, uint32_t dstComps, uint32_t dstWB,
                                          uint32_t dstComp, const void* src, uint32_t srcComps,
                                          uint32_t srcWB, uint32_t srcComp, const void* mask,
                                          uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                          uint32_t value);
LX_EXPORT int copycomponentmask_8_Nx16_out(void* dst, uint32_t dstComps, uint32_t dstWB,
                                           uint32_t dstComp, const void* src, uint32_t srcComps,
                                           uint32_t srcWB, uint32_t srcComp, const void* mask,
                                           uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                           uint32_t value);
LX_EXPORT int copycomponentmask_16_Nx8_in(void* dst, uint32_t dstComps, uint32_t dstWB,
                                          uint32_t dstComp, const void* src, uint32_t srcComps,
                                          uint32_t srcWB, uint32_t srcComp, const void* mask,
                                          uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                          uint32_t value);
LX_EXPORT int copycomponentmask_16_Nx8_out(void* dst, uint32_t dstComps, uint32_t dstWB,
                                           uint32_t dstComp, const void* src, uint32_t srcComps,
                                           uint32_t srcWB, uint32_t srcComp, const void* mask,
                                           uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                           uint32_t value);
LX_EXPORT int copycomponentmask_16_Nx16_in(void* dst, uint32_t dstComps, uint32_t dstWB,
                                           uint32_t dstComp, const void* src, uint32_t srcComps,
                                           uint32_t srcWB, uint32_t srcComp, const void* mask,
                                           uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                           uint32_t value);
LX_EXPORT int copycomponentmask_16_Nx16_out(void* dst, uint32_t dstComps, uint32_t dstWB,
                                            uint32_t dstComp, const void* src, uint32_t srcComps,
                                            uint32_t srcWB, uint32_t srcComp, const void* mask,
                                            uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                                            uint32_t value);

// One component rescaled by shifts: s >> (srcBits - dstBits) when dstBits
// is not above srcBits, else s << (dstBits - srcBits) kept to the
// destination sample. 8_to_16 only shifts left and 16_to_8 only right, by
// the difference of the depths. Shift counts are taken modulo 32.
LX_EXPORT int convertcomponent_8_to_8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                      uint32_t dstComp, uint32_t dstBits, const void* src,
                                      uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                      uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertcomponent_8_to_16(void* dst, uint32_t dstComps, uint32_t dstWB,
                                       uint32_t dstComp, uint32_t dstBits, const void* src,
                                       uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                       uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertcomponent_16_to_8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                       uint32_t dstComp, uint32_t dstBits, const void* src,
                                       uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                       uint32_t srcBits, uint32_t width, uint32_t pixelCount);
LX_EXPORT int convertcomponent_16_to_16(void* dst, uint32_t dstComps, uint32_t dstWB,
                                        uint32_t dstComp, uint32_t dstBits, const void* src,
                                        uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                        uint32_t srcBits, uint32_t width, uint32_t pixelCount);

// Component srcComp through a table into an 8-bit destination: flat[s] (in
// the 1 destination sample, in each of 3, or in each of dstComps), or
// rows[s][k] for the destination's 3 or dstComps components. The srcBits of
// the non-_overexp members is not used.
LX_EXPORT int component_lut1_Nx8_to_1x8(void* dst, uint32_t dstWB, const void* src,
                                        uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                        const void* flat, uint32_t width, uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx16_to_1x8(void* dst, uint32_t dstWB, const void* src,
                                         uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                         const void* flat, uint32_t width, uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx8_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                        uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                        const void* flat, uint32_t width, uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx16_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                         uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                         uint32_t srcComp, const void* flat, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                        const void* src, uint32_t srcComps, uint32_t srcWB,
                                        uint32_t srcComp, const void* flat, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx16_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                         const void* src, uint32_t srcComps, uint32_t srcWB,
                                         uint32_t srcComp, const void* flat, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int component_lut3_Mx8_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                        uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                        const void* const* rows, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int component_lut3_Mx16_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                         uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                         uint32_t srcComp, const void* const* rows, uint32_t width,
                                         uint32_t pixelCount);
LX_EXPORT int component_lutN_Mx8_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                        const void* src, uint32_t srcComps, uint32_t srcWB,
                                        uint32_t srcComp, const void* const* rows, uint32_t width,
                                        uint32_t pixelCount);
LX_EXPORT int component_lutN_Mx16_to_Nx8(void* dst, uint32_t dstComps, uint32_t dstWB,
                                         const void* src, uint32_t srcComps, uint32_t srcWB,
                                         uint32_t srcComp, const void* const* rows, uint32_t width,
                                         uint32_t pixelCount);

// With a null colour as the members above. Otherwise a sample at or above
// the over-exposure level (255 for 8-bit sources, 2^srcBits - 1 for 16-bit
// ones) gives the 3 colour bytes (B, G, R).
LX_EXPORT int component_lut1_Nx8_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                                uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                                const void* flat, const uint8_t* overExpColor,
                                                uint32_t width, uint32_t pixelCount);
LX_EXPORT int component_lut3_Mx8_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                                uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                                                const void* const* rows,
                                                const uint8_t* overExpColor, uint32_t width,
                                                uint32_t pixelCount);
LX_EXPORT int component_lut1_Nx16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcComps, uint32_t srcBits,
                                                 uint32_t srcWB, uint32_t srcComp, const void* flat,
                                                 const uint8_t* overExpColor, uint32_t width,
                                                 uint32_t pixelCount);
LX_EXPORT int component_lut3_Mx16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                                 uint32_t srcComps, uint32_t srcBits,
                                                 uint32_t srcWB, uint32_t srcComp,
                                                 const void* const* rows,
                                                 const uint8_t* overExpColor, uint32_t width,
                                                 uint32_t pixelCount);

// value into component comp of every pixel.
LX_EXPORT int setcomponent_Nx8(void* dst, uint32_t comps, uint32_t dstWB, uint32_t comp,
                               uint8_t value, uint32_t width, uint32_t pixelCount);
LX_EXPORT int setcomponent_Nx16(void* dst, uint32_t comps, uint32_t dstWB, uint32_t comp,
                                uint16_t value, uint32_t width, uint32_t pixelCount);

// First minus second sample at the first pair that differs (lines in order,
// left to right), 0 when all are equal.
LX_EXPORT int comparecomponent_Nx8_to_Nx8(const void* p1, uint32_t comps1, uint32_t wb1,
                                          uint32_t comp1, const void* p2, uint32_t comps2,
                                          uint32_t wb2, uint32_t comp2, uint32_t width,
                                          uint32_t pixelCount);
LX_EXPORT int comparecomponent_Nx16_to_Nx16(const void* p1, uint32_t comps1, uint32_t wb1,
                                            uint32_t comp1, const void* p2, uint32_t comps2,
                                            uint32_t wb2, uint32_t comp2, uint32_t width,
                                            uint32_t pixelCount);

} // extern "C"

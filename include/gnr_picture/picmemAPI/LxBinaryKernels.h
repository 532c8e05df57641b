// Kernels between pictures in raw memory and one-bit planes: unpacking a
// plane into samples, packing a picture by comparison with a pixel value,
// and thresholding it by per-component ranges. Picture conventions: see
// LxCopyKernels.h; the dispatchers are CLxPicMemAPI::UnpackFromBinary,
// PackToBinary and ThresholdToBinary.
//
// A one-bit plane is a byte pointer, a start bit and its bytes per line:
// pixel x of line r is the bit under 0x80 >> ((s + x) mod 8) of byte
// plane + r x planeWB + (s + x) / 8, s the start bit (the SLxBinPicBuf
// layout). The dispatchers move the plane pointer by startBit / 8 and pass
// startBit mod 8; the kernels accept any start bit the same way.
//
// Values, bounds and compare values are one sample per component in the
// picture's own sample format (bytes for x8, 16-bit words for x16), read
// as given. Samples are compared unsigned. count / width whole lines are
// worked on. A null picture, plane or value gives -4; all checks come
// before the first write.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// ---- Plane to picture ----------------------------------------------------
//
// mode 0 (store): a set pixel becomes the value, a clear one 0; 1 (OR): a
// set pixel ORs the value into its samples, a clear one stays; 2 (AND): a
// set pixel ANDs the value into its samples, a clear one becomes 0. Any
// other mode -2 before anything is read. No plane byte after the one of
// the line's last pixel is read.
LX_EXPORT int unpack_bin_to_1x8(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                uint32_t startBit, uint32_t planeWB, uint32_t width,
                                uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_3x8(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                uint32_t startBit, uint32_t planeWB, uint32_t width,
                                uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_4x8(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                uint32_t startBit, uint32_t planeWB, uint32_t width,
                                uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_Nx8(void* dst, uint32_t comps, const void* value, uint32_t dstWB,
                                const uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                uint32_t width, uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_1x16(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                 uint32_t startBit, uint32_t planeWB, uint32_t width,
                                 uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_3x16(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                 uint32_t startBit, uint32_t planeWB, uint32_t width,
                                 uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_4x16(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,
                                 uint32_t startBit, uint32_t planeWB, uint32_t width,
                                 uint32_t pixelCount, uint32_t mode);
LX_EXPORT int unpack_bin_to_Nx16(void* dst, uint32_t comps, const void* value, uint32_t dstWB,
                                 const uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                 uint32_t width, uint32_t pixelCount, uint32_t mode);

// ---- Picture to plane -------------------------------------------------------
//
// How a line of decided bits goes into the plane (the same for pack and
// threshold): combineMode 0 stores them, 1 ORs them in, 2 ANDs them in; any
// other mode -2. Only the bits of the pixels of the call change: plane bits
// before the start bit and after the last pixel keep their values in every
// mode. Decision tables (1x8, 3x8 and 1x16 of pack; the 1, 3 and 4 members
// of threshold) live in a per-thread buffer that grows once; -3 when it
// cannot be allocated.

// compareMode 0 (equal): the bit is set when every component equals the
// value's. 1 (not equal): 1x8, 1x16, 3x8, 3x16 and the N members: every
// component differs; 4x8: the pixel as one 32-bit word differs (some
// component differs); 4x16: components 0, 1 differ from the value's as a
// pair and components 2, 3 as a pair. 2 (greater): 1x8 only, sample above
// the value. A mode the member does not take: -2.
LX_EXPORT int pack_1x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                              uint32_t srcWB, const void* value, uint32_t compareMode,
                              uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_3x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                              uint32_t srcWB, const void* value, uint32_t compareMode,
                              uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_4x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                              uint32_t srcWB, const void* value, uint32_t compareMode,
                              uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_Nx8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                              uint32_t comps, uint32_t srcWB, const void* value,
                              uint32_t compareMode, uint32_t width, uint32_t pixelCount,
                              uint32_t combineMode);
LX_EXPORT int pack_1x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t srcWB, const void* value, uint32_t compareMode,
                               uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_3x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t srcWB, const void* value, uint32_t compareMode,
                               uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_4x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t srcWB, const void* value, uint32_t compareMode,
                               uint32_t width, uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int pack_Nx16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                               uint32_t comps, uint32_t srcWB, const void* value,
                               uint32_t compareMode, uint32_t width, uint32_t pixelCount,
                               uint32_t combineMode);

// inside: the bit is set when low[c] <= v[c] <= high[c] for every component
// c; !inside: when v[c] < low[c] or v[c] > high[c] for every component c.
LX_EXPORT int threshold_1x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                   const void* src, uint32_t srcWB, const void* low,
                                   const void* high, bool inside, uint32_t width,
                                   uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_3x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                   const void* src, uint32_t srcWB, const void* low,
                                   const void* high, bool inside, uint32_t width,
                                   uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_4x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                   const void* src, uint32_t srcWB, const void* low,
                                   const void* high, bool inside, uint32_t width,
                                   uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_Nx8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                   const void* src, uint32_t comps, uint32_t srcWB, const void* low,
                                   const void* high, bool inside, uint32_t width,
                                   uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_1x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t srcWB, const void* low,
                                    const void* high, bool inside, uint32_t width,
                                    uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_3x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t srcWB, const void* low,
                                    const void* high, bool inside, uint32_t width,
                                    uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_4x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t srcWB, const void* low,
                                    const void* high, bool inside, uint32_t width,
                                    uint32_t pixelCount, uint32_t combineMode);
LX_EXPORT int threshold_Nx16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                    const void* src, uint32_t comps, uint32_t srcWB,
                                    const void* low, const void* high, bool inside, uint32_t width,
                                    uint32_t pixelCount, uint32_t combineMode);

} // extern "C"

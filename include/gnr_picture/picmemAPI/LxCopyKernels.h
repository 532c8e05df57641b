// Copy, compare, fill, blend, masked-copy and pixel-replacement kernels over
// raw picture memory.
//
// Conventions of every raw-memory kernel (this header and its siblings
// LxConvertKernels.h, LxLutConvertKernels.h, LxComponentKernels.h):
// - A picture is a pointer to its first sample and its bytes per line
//   (widthBytes, at least the bytes of one line). Pixels are interleaved;
//   1 to 8 bits take a byte, 9 to 16 a little-endian 16-bit word, 17 to 32 a
//   32-bit word (and 33 to 64 a 64-bit word where a kernel takes any depth).
//   Three-component pictures hold blue, green, red in that order.
// - width is the pixels per line, pixelCount the pixels of the window; the
//   kernel works pixelCount / width whole lines and ignores a remainder.
//   Kernels on 16-bit (32-bit) samples round each pitch down to whole samples.
// - Kernels trust their pointers: the memory must hold every line touched.
//   They return 0 unless a result is stated. The CLxPicMemAPI dispatchers
//   check formats and tables and call them; use those where you can.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

extern "C" {

// Compares the line bytes (sample bytes x comps x width) of every line, in
// order: -1 or 1 by the first differing byte (unsigned; -1 when p1's byte is
// the smaller), 0 when all are equal. Padding is not compared.
LX_EXPORT int compare(const void* p1, uint32_t wb1, const void* p2, uint32_t wb2, uint32_t comps,
                      uint32_t bits, uint32_t width, uint32_t pixelCount);

// copy, set and blend_two report "size > dwDestLineSize" once when a line is
// longer than the destination pitch and then work on dstWB bytes a line.
LX_EXPORT int copy(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                   uint32_t bits, uint32_t width, uint32_t pixelCount);
// Every byte of every line becomes the low byte of value (a 16-bit picture
// gets value x 257 in every sample).
LX_EXPORT int set(void* dst, uint32_t dstWB, uint32_t value, uint32_t comps, uint32_t bits,
                  uint32_t width, uint32_t pixelCount);
// dst byte = table[dst byte * 256 + src byte] over the line bytes.
LX_EXPORT int blend_two(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const uint8_t* table, uint32_t comps, uint32_t bits, uint32_t width,
                        uint32_t pixelCount);

// Copy the whole pixels whose mask sample equals (_in) or differs from
// (_out) value; other destination pixels keep their contents. The mask has
// one byte (_8) or one 16-bit word (_16) per pixel and its own pitch.
LX_EXPORT int copymask_8_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            uint32_t comps, uint32_t bits, const void* mask, uint32_t maskWB,
                            uint32_t width, uint32_t pixelCount, uint32_t value);
LX_EXPORT int copymask_8_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             uint32_t comps, uint32_t bits, const void* mask, uint32_t maskWB,
                             uint32_t width, uint32_t pixelCount, uint32_t value);
LX_EXPORT int copymask_16_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             uint32_t comps, uint32_t bits, const void* mask, uint32_t maskWB,
                             uint32_t width, uint32_t pixelCount, uint32_t value);
LX_EXPORT int copymask_16_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              uint32_t comps, uint32_t bits, const void* mask, uint32_t maskWB,
                              uint32_t width, uint32_t pixelCount, uint32_t value);
// A 3 x 8-bit picture under a 16-bit mask.
LX_EXPORT int copymask_16_3x8_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 const void* mask, uint32_t maskWB, uint32_t width,
                                 uint32_t pixelCount, uint32_t value);
LX_EXPORT int copymask_16_3x8_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const void* mask, uint32_t maskWB, uint32_t width,
                                  uint32_t pixelCount, uint32_t value);

// Every pixel becomes the comps samples at value (bytes, or 16-bit words).
LX_EXPORT int set_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* value, uint32_t width,
                      uint32_t pixelCount);
LX_EXPORT int set_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* value, uint32_t width,
                       uint32_t pixelCount);

// Every pixel equal to oldValue in all comps samples becomes newValue.
LX_EXPORT int change_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* newValue,
                         const void* oldValue, uint32_t width, uint32_t pixelCount);
LX_EXPORT int change_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* newValue,
                          const void* oldValue, uint32_t width, uint32_t pixelCount);

} // extern "C"

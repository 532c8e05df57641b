// The raw-memory picture layer: static operations on picture memory given as
// a pointer to the first sample of a window and its line pitch. Each checks
// its arguments and picks the kernel for the component count and sample
// depth; it never owns memory.
//
// Common rules:
// - width 0 or count 0: result 0 and nothing is touched, before any other
//   argument is looked at.
// - count is the window's pixels (width x lines); count / width whole lines
//   are worked on.
// - Depths: 1 to 8 bits are byte samples, 9 to 16 bits 16-bit words, 17 to
//   32 bits 32-bit words (and 33 to 64 bits 64-bit words where any depth
//   goes). An operation without a kernel for the format returns -2 and
//   touches nothing; -4 stands for a bad argument: a table that does not fit
//   the call, a component index outside its picture, a missing pointer.
// - The pointers, pitches and counts are trusted to keep every window inside
//   its picture.
#pragma once

#include <cstdint>

#include "gnr_picture/lut/LxLut.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxPicMemAPI
{
  public:
    // --- Copy, compare and fill -------------------------------------------

    // Compares the line bytes (sample bytes x comps x width) of the two
    // windows line by line: 0 when equal, -1 or 1 by the first differing
    // byte (a's byte less than b's gives -1). Padding is not compared. The
    // status, when given, is set to 0, or to -2 (result 0) for bits 0 or
    // above 64.
    static int Compare(const void* a, uint32_t aWB, const void* b, uint32_t bWB, uint32_t comps,
                       uint32_t bits, uint32_t width, uint32_t count, int* status = nullptr);
    // Copies the line bytes of every line. Any depth up to 64 bits.
    static int Copy(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                    uint32_t bits, uint32_t width, uint32_t count);
    // Every byte of the window's lines becomes value.
    static int Set(void* dst, uint32_t dstWB, uint8_t value, uint32_t comps, uint32_t bits,
                   uint32_t width, uint32_t count);
    // dst byte = table[dst byte][src byte] (256 x 256 bytes); -4 without a
    // table.
    static int BlendTwoBuffers(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const uint8_t* table, uint32_t comps, uint32_t bits, uint32_t width,
                               uint32_t count);
    // Copies the whole pixels whose mask sample equals value (in) or differs
    // from it (!in). Masks of up to 8 bits have byte samples, of 9 to 16 bits
    // 16-bit samples; deeper masks: -4.
    static int CopyMask(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                        uint32_t bits, const void* mask, uint32_t maskBits, uint32_t maskWB,
                        uint32_t width, uint32_t count, uint32_t value, bool in);
    // Every pixel becomes the pixel at value (comps samples in the
    // destination's format). 8 and 16 bits; -4 without a value.
    static int SetValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB, const void* value,
                        uint32_t width, uint32_t count);
    // Every pixel equal to oldPixel becomes newPixel. 8 and 16 bits; -4
    // without both pixels.
    static int ChangeValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB,
                           const void* newPixel, const void* oldPixel, uint32_t width,
                           uint32_t count);

    // --- Bit depth and component count -------------------------------------

    // Equal depths: Copy. 8 to 9-16 bits, 9-16 to 8 bits and 9-16 to 9-16
    // bits by shifts (see convert_Nx*_to_Nx* in LxConvertKernels.h, samples
    // above srcBits wrap); any other pair -2.
    static int ConvertBitDepthViaShifts(void* dst, uint32_t dstBits, uint32_t dstWB,
                                        const void* src, uint32_t srcBits, uint32_t srcWB,
                                        uint32_t comps, uint32_t width, uint32_t count);
    // New storage width for dstBits (up to 8, 9-16, 17-32), values kept or
    // cut to their low bits, from any source depth of 1 to 32 bits; else -2.
    static int ChangeBitDepth(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                              uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                              uint32_t count);
    // Through the table: 9-16 to 8 bits, 8 to 9-16 bits, 9-16 to other 9-16
    // bits; any other pair -2 (equal depths too: applying tables in place of
    // converting is not offered here). The table must be one table from
    // srcBits to dstBits with 1 or comps destination components (one
    // component: every sample through the same mapping), else -4. Samples
    // above the table's range take its last entry. Three components from 16
    // to 8 bits mark over-exposed pixels with the table's colour when it has
    // one.
    static int ConvertBitDepthViaLuts(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                      uint32_t srcBits, uint32_t srcWB, const SLxLut* lut,
                                      uint32_t comps, uint32_t width, uint32_t count);
    // 17-31-bit sources to 9-16 or up to 8 bits through the per-component
    // linear functions of convertbitdepthvialinfunc_* (4 coefficients a
    // component); any other pair -2; -4 for missing coefficients or a
    // divisor 0.
    static int ConvertBitDepthViaLinFunc(void* dst, uint32_t dstBits, uint32_t dstWB,
                                         const void* src, uint32_t srcBits, uint32_t srcWB,
                                         const uint64_t* coeffs, uint32_t comps, uint32_t width,
                                         uint32_t count);
    // srcComps components into one gray sample (mean, or weighted: see
    // convert_*_to_1x* in LxConvertKernels.h); one component is a copy. 8 and
    // 16 bits. -3 when the weight tables cannot be allocated, -4 for
    // srcComps 0.
    static int CollapseComponents(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                  uint32_t srcWB, const double* weights, uint32_t bits,
                                  uint32_t width, uint32_t count);
    // One gray sample into each of dstComps components. 8 and 16 bits.
    static int ExpandComponent(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                               uint32_t srcWB, uint32_t bits, uint32_t width, uint32_t count);
    // B,G,R,A to B,G,R. 8 and 16 bits.
    static int CollapseRGBAtoRGB(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                 uint32_t bits, uint32_t width, uint32_t count);
    // B,G,R to B,G,R,alpha. 8 and 16 bits.
    static int ExpandRGBtoRGBA(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t alpha, uint32_t bits, uint32_t width, uint32_t count);

    // --- Components ----------------------------------------------------------
    // Component indexes must lie below their picture's component count
    // (else -4). 8 and 16 bits unless said otherwise.

    // Component srcComp of every source pixel to component dstComp of the
    // destination pixel; the destination's other components stay.
    static int CopyComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                             const void* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                             uint32_t bits, uint32_t width, uint32_t count);
    // CopyComponent into a one-component plane.
    static int ExtractComponent(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                uint32_t srcWB, uint32_t srcComp, uint32_t bits, uint32_t width,
                                uint32_t count);
    // CopyComponent from a one-component plane.
    static int StoreComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                              const void* src, uint32_t srcWB, uint32_t bits, uint32_t width,
                              uint32_t count);
    // CopyComponent of the pixels whose mask sample equals value (in) or
    // differs from it (!in); masks up to 8 or 9 to 16 bits, others -2.
    static int CopyComponentMask(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                 const void* src, uint32_t srcComps, uint32_t srcWB,
                                 uint32_t srcComp, uint32_t bits, const void* mask, uint32_t maskWB,
                                 uint32_t maskBits, uint32_t width, uint32_t count, uint32_t value,
                                 bool in);
    // One component rescaled by shifts (see convertcomponent_* in
    // LxComponentKernels.h); equal depths: CopyComponent.
    static int ConvertComponentViaShifts(void* dst, uint32_t dstComps, uint32_t dstBits,
                                         uint32_t dstWB, uint32_t dstComp, const void* src,
                                         uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                         uint32_t srcComp, uint32_t width, uint32_t count);
    // value (its low 8 or 16 bits) into component dstComp of every pixel.
    static int SetComponentValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB,
                                 uint32_t dstComp, uint32_t value, uint32_t width, uint32_t count);
    // First minus second sample at the first pair of the two components that
    // differs, 0 when equal. The status, when given, is 0, or -2 for another
    // depth and -4 for a bad component index (the result is then 0).
    static int CompareComponent(const void* a, uint32_t aComps, uint32_t aWB, uint32_t aComp,
                                const void* b, uint32_t bComps, uint32_t bWB, uint32_t bComp,
                                uint32_t bits, uint32_t width, uint32_t count,
                                int* status = nullptr);
    // Component srcComp (up to 8 or 9-16 bits) through the table into an
    // 8-bit picture of dstComps components. The table must go from srcBits
    // to dstBits (else -4; dstBits above 8: -2) and be one of: one table of
    // one component (its value in every destination component), one table of
    // dstComps components, or srcComps tables of dstComps components (the
    // table of srcComp is used); else -4. Samples above the table's range
    // take its last entry; with 3 destination components the table's
    // over-exposure colour marks samples at or above 2^srcBits - 1 (255 for
    // byte samples).
    static int ExtractComponentViaLuts(void* dst, uint32_t dstComps, uint32_t dstBits,
                                       uint32_t dstWB, const void* src, uint32_t srcComps,
                                       uint32_t srcBits, uint32_t srcWB, uint32_t srcComp,
                                       const SLxLut* lut, uint32_t width, uint32_t count);

    // --- Flips and storage width ---------------------------------------------

    // Destination line i receives source line L - 1 - i (L = count / width),
    // the smaller of the two pitches in bytes. dst == src with equal pitches
    // flips in place.
    static int FlipVert(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                        uint32_t count);
    // In place: lines i and L - 1 - i are exchanged.
    static int FlipVert(void* data, uint32_t dataWB, uint32_t width, uint32_t count);
    // Mirrors every line left to right (both pictures share the pitch;
    // dst == src works in place). Pixels are comps samples of the storage
    // width of bits; bits 0 or above 64: -2.
    static int FlipHor(void* dst, const void* src, uint32_t bits, uint32_t comps, uint32_t pitch,
                       uint32_t width, uint32_t lines);
    // Component srcComp of source line L - 1 - i to the one-component
    // destination line i. 8 and 16 bits.
    static int FlipVertExtractComp(uint32_t srcComp, void* dst, uint32_t dstWB, const void* src,
                                   uint32_t srcWB, uint32_t srcComps, uint32_t bits, uint32_t width,
                                   uint32_t count);
    // Widens the storage of every sample to that of dstBits, values kept.
    // dstBits below srcBits, either 0 or above 32: -2.
    static int ExpandBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                          uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                          uint32_t count);
    // Narrows the storage to that of dstBits, each value limited to
    // 2^dstBits - 1. dstBits above srcBits, either 0 or above 32: -2.
    static int CollapseBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                            uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                            uint32_t count);
};

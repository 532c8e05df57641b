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

struct SLxRatioDesc;
struct SLxProfileData;
struct SLxProfileMetric;

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
    // Through the table: equal depths apply it (ApplyLuts); 9-16 to 8 bits,
    // 8 to 9-16 bits, 9-16 to other 9-16 bits; any other pair -2. The table must be one table from
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
    // 9 to 16 bits (1 to 7 and others: -2). -3 when the weight tables cannot be allocated, -4 for
    // srcComps 0.
    static int CollapseComponents(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                  uint32_t srcWB, const double* weights, uint32_t bits,
                                  uint32_t width, uint32_t count);
    // One gray sample into each of dstComps components. 8 and 9 to 16 bits
    // (1 to 7 and others: -2).
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
    // CopyComponent into a one-component plane; 8 and 9 to 16 bits only (1 to
    // 7 bits: -2).
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

    // --- Look-up tables and sums ---------------------------------------------

    // Every sample through the table (applyluts_* in LxLutKernels.h); source
    // and destination have the same format, bits up to 8 or 9 to 16 (else
    // -2). lut null or with other than one table: -2. The table must have at
    // least bits source bits (samples are cut to bits, so a 16-bit table
    // serves 12-bit frames) and destination samples of the picture's size
    // (else -4), and have 1
    // destination component (every component through the same mapping) or
    // comps of them (component c through component c of the rows); other
    // counts -2. Three 8-bit components mark over-exposed pixels with the
    // table's colour when it has one. comps 0: -4.
    static int ApplyLuts(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const SLxLut* lut, uint32_t comps, uint32_t bits, uint32_t width,
                         uint32_t count);
    // Adds the samples of each component to sums[c] (comps sums, not
    // cleared first). 8 and 16 bits; -4 without sums or with comps 0.
    static int SumValues(uint64_t* sums, const void* src, uint32_t comps, uint32_t bits,
                         uint32_t srcWB, uint32_t width, uint32_t count);

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

    // --- Stretch ---------------------------------------------------------------
    // Kernels and rules: LxStretchKernels.h. 8-bit (8 bits) and 16-bit
    // (9 to 16 bits) pictures, destination and source of the same format;
    // other depths -2. An empty destination or tile returns 0 first; 0
    // components, an empty source, a zero display size or a window starting
    // outside its picture -9; failed scratch memory -3.

    // Resampling modes, used by number; any other number is nearest
    // neighbour.
    enum ELxPicStretchMode : int32_t {
        eLxStretchNearest = 1,
        eLxStretchBSpline = 2,     // filtered two-pass, quadratic B-spline
        eLxStretchTriangle = 3,    // filtered two-pass, triangle
        eLxStretchAreaAverage = 4, // Stretch: block means of whole one-component
                                   // pictures of a million pixels or more
                                   // reduced by 3 or more both ways, else as 2;
                                   // the display operations: nearest
    };

    // The window srcW x srcH at src (pixel (srcX, srcY) of a picture of
    // srcHeight lines of srcWB bytes) into the whole destination.
    static int Stretch(void* dst, uint32_t comps, uint32_t dstWB, uint32_t bits, uint32_t dstW,
                       uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcHeight,
                       uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcH,
                       ELxPicStretchMode mode);
    // The tile winW x winH at (winX, winY) of the whole source srcW x srcH
    // (src is pixel (0, 0)) stretched to dispW x dispH.
    static int StretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                              uint32_t dstWB, uint32_t bits, uint32_t dispW, uint32_t dispH,
                              uint32_t winX, uint32_t winY, const void* src, uint32_t srcW,
                              uint32_t srcH, uint32_t srcWB, ELxPicStretchMode mode);
    // As StretchDisplay for a source of which only the valid rectangle holds
    // data (src is its first sample); every other pixel is the background
    // pixel (-4 without one).
    static int StretchDisplayEx(void* dst, uint32_t winW, uint32_t winH, uint32_t comps,
                                uint32_t dstWB, uint32_t bits, uint32_t dispW, uint32_t dispH,
                                uint32_t winX, uint32_t winY, const void* src, uint32_t validLeft,
                                uint32_t validTop, uint32_t validWidth, uint32_t validHeight,
                                uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                                ELxPicStretchMode mode, const void* background);

    // --- Mask-out and shading correction --------------------------------------
    // (LxPicMemAPI_maskout.cpp, LxPicMemAPI_shading.cpp)

    // Every sample of the window becomes sample AND mask (its low 8 or 16
    // bits); padding stays. 1 to 8 and 9 to 16 bits, others -2; comps 0 -4.
    static int MaskOut(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t bits,
                       uint32_t width, uint32_t count);
    // Multiplicative shading correction: every sample becomes
    // source x mean_c / shading (integer division, limited to 2^bits - 1),
    // mean_c the truncated mean of component c over the shading window's
    // whole lines. A shading sample of 0 gives 2^bits - 1; a component whose
    // shading mean is 0 is copied. The shading window has the source's format
    // and size; dst may be src. 1 to 8 and 9 to 16 bits, others -2; comps 0
    // or a missing pointer -4; -3 when the per-call tables cannot be
    // allocated.
    static int ApplyMultShading(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                const void* shading, uint32_t shadingWB, uint32_t comps,
                                uint32_t bits, uint32_t width, uint32_t count);

    // --- Sample values, HSI colours and line drawing -----------------------------
    // (gnr_picture/LxSampleValues*.cpp). b is the bits per component; the
    // real scale of a sample is the sample divided by 2^max(b - 8, 0).

    // 2^b - 1; 0 for b 0, all ones for b 32 and more.
    static uint32_t CalcUintMax(uint32_t b);
    // 2^(b - 1) - 1 and -2^(b - 1); 0 for b 0, b above 32 taken as 32.
    static int32_t CalcIntMax(uint32_t b);
    static int32_t CalcIntMin(uint32_t b);
    // value / 2^max(b - 8, 0).
    static double CalcUintToDbl(uint32_t value, uint32_t b);
    // real x 2^max(b - 8, 0) truncated toward zero, held to 0 to 2^32 - 1
    // (NaN gives 0).
    static uint32_t CalcDblToUint(double real, uint32_t b);
    // The largest real-scale value: 255 + (s - 1) / s with s = 2^max(b - 8, 0).
    static double CalcDblMax(uint32_t b);
    // Decimals that show a real-scale value of the depth: the digits of
    // 2^max(b - 8, 0) - 1 (0 up to 8 bits, 1 for 9-11, 2 for 12-14, 3 for
    // 15-16).
    static uint32_t CalcDecimalPrecision(uint32_t b);
    // value of fromBits to toBits: fewer bits shift right by the difference;
    // more bits shift left and repeat the top bits into the new low ones
    // ((value << (to - from)) + (value >> (2 from - to))). Shift counts are
    // taken modulo 32.
    static uint32_t CalcConvertBpc(uint32_t toBits, uint32_t value, uint32_t fromBits);

    // One colour between red, green, blue and hue, saturation, intensity, all
    // 0 to 255 (the hue a fraction of a full turn). Null outputs are skipped.
    static void ConvertColorRGB8toHSI8(uint8_t* hue, uint8_t* saturation, uint8_t* intensity,
                                       uint8_t red, uint8_t green, uint8_t blue);
    static void ConvertColorHSI8toRGB8(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t hue,
                                       uint8_t saturation, uint8_t intensity);
    // count pixels of blue, green, red samples to three planes of one sample
    // a pixel; a null plane is not written.
    static void ConvertRGB8toHSI8(uint8_t* intensity, uint8_t* saturation, uint8_t* hue,
                                  const uint8_t* pixels, uint32_t count);
    static void ConvertRGB16toHSI16(uint16_t* intensity, uint16_t* saturation, uint16_t* hue,
                                    const uint16_t* pixels, uint32_t count);

    // Pixel (x, y) of an 8-bit picture of 1 or 3 components from the colour
    // word 0x00BBGGRR: 1 component takes its low byte, 3 components blue,
    // green, red. Other formats -2, no data -4.
    static int SetColor(void* data, uint32_t x, uint32_t y, uint32_t comps, uint32_t bits,
                        uint32_t pitch, uint32_t color);
    // The reverse: 1 component gives the sample, 3 components the colour
    // word. Other formats -2, missing pointers -4.
    static int GetColor(const void* data, uint32_t x, uint32_t y, uint32_t comps, uint32_t bits,
                        uint32_t pitch, uint32_t* color);
    // Draws the segment (x1, y1) to (x2, y2), clipped to the picture of
    // width x (count / width) pixels (8 bits, 1 or 3 components, else -2; no
    // data -4). connectivity 8 sets one pixel a step; any other value (4)
    // also joins diagonal steps through an edge: at (previous x, new y) on
    // lines stepped along x, (new x, previous y) on lines stepped along y.
    static int Line(void* data, uint32_t comps, uint32_t bits, uint32_t pitch, uint32_t width,
                    uint32_t count, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    uint32_t connectivity, uint32_t color);

    // --- Mapping to colour, pixel values, blends and display -----------------
    // (LxPicMemAPI_map.cpp, LxPicMemAPI_pixel.cpp, LxPicMemAPI_blend.cpp,
    // LxPicMemAPI_truecolor.cpp)

    // One value a pixel through one table into dstComps components: a flat
    // table puts its entry into every component, a table of dstComps
    // components its row. Sources of up to 8 bits to destinations of up to
    // 8 bits, 9-16 to 9-16 bits, and 9-16 bits to 3 components of 8 bits;
    // other depths -2. The table must go from srcBits to dstBits (else -4).
    // Samples above the table's range take its last entry.
    static int MapValueToComponents(void* dst, uint32_t dstComps, uint32_t dstBits, uint32_t dstWB,
                                    const void* src, uint32_t srcBits, uint32_t srcWB,
                                    const SLxLut* lut, uint32_t width, uint32_t count);
    // Every source component through its own table of the lut to a colour;
    // the colours of the components shown by the table's component mask are
    // combined (mapcomp_* in LxMapKernels.h). The table must go from srcBits
    // to dstBits with one table per source component and dstComps
    // destination components, else -4, checked before the window. Then
    // dstComps 3 only: up to 8 bits to 8 bits, 9-16 bits to 8 bits (both
    // marking over-exposure with the table's colour when it has one) or 9-16
    // bits to 9-16 bits (combined at the scale 2^dstBits - 1); other formats
    // -2. Samples above the table's range take its last entry.
    static int MapComponentsMToN(void* dst, uint32_t dstComps, uint32_t dstBits, uint32_t dstWB,
                                 const void* src, uint32_t srcComps, uint32_t srcBits,
                                 uint32_t srcWB, const SLxLut* lut, uint32_t width, uint32_t count);
    // Adds the colours of a one-component 8-bit picture through the table
    // to the colours already in the 8-bit colour destination
    // (mapcomp_Iter1x8_3x8); call it once per channel picture. Table checks
    // as MapComponentsMToN (-4); any other format -2.
    static int MapComponentsIterNToN(void* dst, uint32_t dstComps, uint32_t dstBits, uint32_t dstWB,
                                     const void* src, uint32_t srcComps, uint32_t srcBits,
                                     uint32_t srcWB, const SLxLut* lut, uint32_t width,
                                     uint32_t count);

    // The samples of one pixel (1-8 bits a byte, 9-16 bits a 16-bit word)
    // as comps values, in stored order; other depths -2, null pointers -4.
    static int ConvertPixelToComponents(uint32_t* components, const void* pixel, uint32_t comps,
                                        uint32_t bits);
    // As ConvertPixelToComponents, but 3 components come out as red, green,
    // blue (stored blue, green, red); other counts in stored order.
    static int ConvertPixelToComponentsRGB(uint32_t* components, const void* pixel, uint32_t comps,
                                           uint32_t bits);
    // Stores 1, 3 or 4 values as one pixel, each cut to the sample size;
    // other counts or depths -2, null pointers -4.
    static int ConvertComponentsToPixel(void* pixel, const uint32_t* components, uint32_t comps,
                                        uint32_t bits);
    // As ConvertComponentsToPixel with the order reversed for 3 components
    // (red, green, blue stored blue, green, red) and for 4 (values[0] to
    // sample 3 ... values[3] to sample 0); 1 component as it is. Note that
    // ConvertPixelToComponentsRGB keeps 4 components in stored order.
    static int ConvertComponentsToPixelRGB(void* pixel, const uint32_t* components, uint32_t comps,
                                           uint32_t bits);

    // Blends of a colour or an annotation into an 8-bit B, G, R picture of
    // width x lines pixels. Colour words are 0x00BBGGRR. Width or lines 0:
    // 0 and nothing touched; a missing picture -4.

    // Every pixel whose bit is set (one bit a pixel, most significant first;
    // line y starts at bit startBit of binary + y x binaryWB) becomes
    // (colour x opacity + pixel x (255 - opacity)) / 255 per channel:
    // opacity 255 paints the colour, 0 leaves the picture.
    static int BlendColorWithBinary(void* dst, uint32_t dstWB, const void* binary,
                                    uint32_t startBit, uint32_t binaryWB, uint32_t width,
                                    uint32_t lines, uint32_t color, uint8_t opacity);
    // The same under the pixels whose mask sample is not 0: masks of 1 to 8
    // bits have byte samples, 9 to 16 bits 16-bit samples; other depths
    // select nothing (0, the picture unchanged).
    static int BlendColorWithUnpackedBinary(void* dst, uint32_t dstWB, const void* mask,
                                            uint32_t maskBits, uint32_t maskWB, uint32_t width,
                                            uint32_t lines, uint32_t color, uint8_t opacity);
    // Draws an 8-bit B, G, R annotation over the picture. Annotation pixels
    // equal to the key colour are transparent. transparency 255 draws
    // nothing, 0 copies the annotation, and between them each sample becomes
    // (d x t + a x (255 - t)) / 255 (d the picture's, a the annotation's).
    // The blend table is cached for the last transparency; the cache is
    // locked for the call, so concurrent blends wait for each other.
    static int BlendColorWithAnnotation(void* dst, uint32_t dstWB, const void* annotation,
                                        uint32_t annotationWB, uint32_t width, uint32_t lines,
                                        uint32_t keyColor, uint8_t transparency);
    // The same with a table of its own for this call: the shared cache is
    // neither read nor changed, and nothing waits. -3 when memory fails.
    static int BlendColorWithAnnotationRefresh(void* dst, uint32_t dstWB, const void* annotation,
                                               uint32_t annotationWB, uint32_t width,
                                               uint32_t lines, uint32_t keyColor,
                                               uint8_t transparency);
    // A one-component annotation of palette indices (1 to 8 bits) coloured
    // through the table (8 to 8 bits, one table of 3 components): index
    // s shows the table's colour L[s], blended as
    // (L[s] x (255 - t) + d x t) / 255; indices equal to the key's low byte
    // are transparent; transparency 0 draws L[s] and 255 nothing. The blend
    // table is cached for the last transparency and table colours (locked
    // for the call). A 3-component 8-bit annotation is drawn by
    // BlendColorWithAnnotation with key as the colour word. -4 for a
    // one-component annotation without a fitting table, -2 for other
    // annotation formats.
    static int BlendColorWithAnnotationEx(void* dst, uint32_t dstWB, const void* annotation,
                                          uint32_t annotationWB, uint32_t annotationBits,
                                          uint32_t annotationComps, uint32_t width, uint32_t lines,
                                          uint32_t key, uint8_t transparency, const SLxLut* lut);

    // Any picture window to an 8-bit B, G, R picture for display.
    // Without a table: 1 component of 8 bits is repeated into the three; of
    // 9-16 bits first shifted to 8 bits; 3 components of 8 bits are copied,
    // of 9-16 bits shifted to 8 bits; anything else -4.
    // With a table (8 destination bits, else -4), by the number n of source
    // components its mask shows: n = 0 black; n = 1 that component through
    // the table (ExtractComponentViaLuts); otherwise several tables
    // MapComponentsMToN, one table with 1 source component
    // MapValueToComponents, one table with 3 source components every
    // component through it (ApplyLuts for 8 bits, ConvertBitDepthViaLuts for
    // 9-16 bits); anything else -4. The result is that of the operation
    // chosen; -3 when scratch memory fails.
    static int ConvertToTrueColor(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                  uint32_t srcBits, uint32_t srcWB, uint32_t width, uint32_t count,
                                  const SLxLut* lut);

    // --- Rotation, histograms, ratio imaging ----------------------------------
    // (LxPicMemAPI_rotate.cpp, LxPicMemAPI_histogram.cpp,
    // LxPicMemAPI_ratio.cpp; kernels in LxRotateKernels.h,
    // LxHistogramKernels.h, LxRatioKernels.h)

    // Rotation. Angles are degrees, counter-clockwise as displayed (line 0 at
    // the top), brought into [0, 360); a non-finite angle gives -4 and
    // nothing is written.

    // The size that holds a width x height picture turned by angle:
    // w |cos a| + h |sin a| by w |sin a| + h |cos a|, truncated; exactly
    // w x h at 0 and 180 degrees and h x w at 90 and 270. Negative angles
    // are brought up by 360; angles of 360 or more are taken as given (450
    // goes through the formula). -4 (sizes untouched) for a null size or a
    // non-finite angle.
    static int RotateGetDestSize(uint32_t* dstW, uint32_t* dstH, uint32_t width, uint32_t height,
                                 double angle);
    // Turns the source about its centre into the destination, centre on
    // centre. Equal sizes at 0 copy and at 180 turn exactly; equal counts
    // with the destination as high as the source is wide turn exactly at 90
    // and 270 (within 1e-10 degrees; these ignore background, mode and fit).
    // Otherwise the source is resampled (RotateMatrix); fit scales it down
    // so that the whole turned picture shows, aspect kept. mode 1 is nearest
    // neighbour, any other bilinear (1, 3 or 4 components of up to 16 bits;
    // other formats always nearest). background: one pixel for uncovered
    // destination pixels, or null to leave them. Width 0 or no whole line:
    // 0, nothing written; overlapping pictures or missing pointers -4; bits
    // 0 or above 64 -2. Pixels are comps samples of 1, 2, 4 or 8 bytes.
    static int Rotate(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstCount, const void* src,
                      uint32_t srcWB, uint32_t srcW, uint32_t srcCount, uint32_t comps,
                      uint32_t bits, double angle, const void* background, ELxPicStretchMode mode,
                      bool fit);
    // Resamples through the transform: destination pixel (x, y) comes from
    // source position (m0 x + m2 y + m4, m1 x + m3 y + m5) (see
    // LxRotateKernels.h for where the methods sample). Checks as Rotate; a
    // non-finite value -4.
    static int RotateMatrix(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstCount,
                            const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcCount,
                            uint32_t comps, uint32_t bits, double m0, double m1, double m2,
                            double m3, double m4, double m5, const void* background,
                            ELxPicStretchMode mode);
    // Turns a piece of a larger picture (3-byte pixels, whatever the
    // format) about the larger picture's centre, shifted by (shiftX, shiftY)
    // source pixels, into lines x pixels destination pixels: destination
    // point (pixels / 2, centreHeight / 2) shows the larger picture's point
    // ((left + clipW + right) / 2 + shiftX, (top + clipH + bottom) / 2 +
    // shiftY). The piece is pixel (left, top) to (left + clipW - 1, top +
    // clipH - 1) of the larger picture. mode 1 nearest (truncated
    // position), else bilinear in double precision, truncated; pixels whose
    // position falls outside the piece are not written (no background).
    // The unnamed values are not used. 0; -4 for a non-finite angle or a
    // missing pointer.
    static int RotateAndClip(void* dst, uint32_t dstWB, uint32_t, uint32_t lines, uint32_t pixels,
                             uint32_t centreHeight, const void* src, uint32_t srcWB, uint32_t,
                             uint32_t, uint32_t clipW, uint32_t clipH, uint32_t, uint32_t,
                             double angle, int32_t left, int32_t right, int32_t top, int32_t bottom,
                             double shiftX, double shiftY, ELxPicStretchMode mode);
    // The same with a coverage mask of the destination's layout: the first
    // maskWidth pixels (3 bytes each) of its first lines lines are set to 0,
    // then every drawn pixel is marked 128, 128, 128.
    static int RotateAndClip(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                             uint32_t lines, uint32_t pixels, uint32_t centreHeight,
                             const void* src, uint32_t srcWB, uint32_t, uint32_t, uint32_t clipW,
                             uint32_t clipH, uint32_t, uint32_t, double angle, int32_t left,
                             int32_t right, int32_t top, int32_t bottom, double shiftX,
                             double shiftY, ELxPicStretchMode mode);

    // Histograms. Bins are counters of binSize bytes (4: uint32_t, 8:
    // uint64_t), added to and never cleared; hist holds one bin array per
    // component. 8-bit samples have 256 bins, 9 to 16 bits 2^bits (samples
    // are taken AND 2^bits - 1). Pixels x = 0, xStep, ... of lines y = 0,
    // yStep, ... are counted. Width 0 or count 0: 0. Another bin size -2
    // (nothing counted); a null bin array or a step of 0 -4.

    // Every component into its bins; 8 or 9 to 16 bits, else -2.
    static int GetHistogram(void** hist, uint32_t binSize, const void* src, uint32_t srcWB,
                            uint32_t comps, uint32_t bits, uint32_t width, uint32_t count);
    // 9 to 32 bits into 2^histBits bins a component: sample >> (bits -
    // histBits). histBits above bits -4; 8 bits or fewer, or above 32, -2.
    static int GetHistogramDiv(void** hist, uint32_t binSize, uint32_t histBits, const void* src,
                               uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t width,
                               uint32_t count);
    // Every component into its bins and the intensity (the truncated mean of
    // the pixel's bin indices) into intensity; one component only into
    // intensity.
    static int GetHistogramEx(void** hist, void* intensity, uint32_t binSize, const void* src,
                              uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t xStep,
                              uint32_t yStep, uint32_t width, uint32_t count);
    // GetHistogramEx of the pixels whose byte in the 8-bit mask is not 0.
    static int GetHistogramUnderBinary(void** hist, void* intensity, uint32_t binSize,
                                       const void* src, uint32_t srcWB, uint32_t comps,
                                       uint32_t bits, const void* mask, uint32_t maskWB,
                                       uint32_t xStep, uint32_t yStep, uint32_t width,
                                       uint32_t count);
    // The joint histogram of components comp1 and comp2 of every pixel (the
    // steps are not used): up to 8 bits bins[v1 x 2^bits + v2] (2^bits x
    // 2^bits bins), 9 to 16 bits bins[(v1 >> (bits - 8)) x 256 + (v2 >>
    // (bits - 8))]. Width 0, count 0 or a component index not below comps
    // -4; above 16 bits -2.
    static int GetHistogram2DEx(void* bins, uint32_t binSize, const void* src, uint32_t srcWB,
                                uint32_t comps, uint32_t bits, uint32_t comp1, uint32_t comp2,
                                uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count);

    // Ratio, calcium and FRET imaging into 3-byte B, G, R pictures coloured
    // by the rainbow palette (entry 0 magenta, 255 red) at the pixel's
    // brightness (see LxRatioKernels.h). Up to 8 bits and 9 to 16 bits,
    // else -2. Width 0: 0. A component index not below comps (or negative)
    // or a missing pointer: -4.

    static int RatioImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                          uint32_t srcWB, uint32_t width, uint32_t count, const SLxRatioDesc* desc);
    // Calcium concentration by the Grynkiewicz calibration, on a log scale
    // from lowest to highest concentration.
    static int CaImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                       uint32_t srcWB, uint32_t width, uint32_t count, uint8_t numer, uint8_t denom,
                       uint16_t numOffset, uint16_t denOffset, double kd, double scale,
                       double betaNumer, double betaDenom, double ratioMin, double ratioMax,
                       double concLow, double concHigh);
    // Corrected sensitised-emission FRET, grey or through lut (one table of
    // 3 components of up to 8 bits covering 2^bits values, else -4);
    // result16 (9 to 16 bits only) writes 16-bit words.
    static int FRETImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                         uint32_t srcWB, uint32_t width, uint32_t count, int32_t fretComp,
                         int32_t donorComp, int32_t acceptorComp, int32_t, int16_t fretOffset,
                         int16_t donorOffset, int16_t acceptorOffset, int16_t, double c0, double c1,
                         double c2, double c3, const SLxLut* lut, bool result16);
    // FRET efficiency in percent, shown from lowest to highest.
    static int FRET_EffImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                             uint32_t bits, uint32_t srcWB, uint32_t width, uint32_t count,
                             int32_t fretComp, int32_t donorComp, int32_t acceptorComp, int32_t,
                             int16_t fretOffset, int16_t donorOffset, int16_t acceptorOffset,
                             int16_t, double c0, double c1, double c2, double c3, double lowest,
                             double highest);
    // Marks local minima (within tolerance) with levels and grows them in
    // levels - 1 rings; the marks picture has the source's sample size.
    static int MonoDetectLocalPeaks(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                                    uint32_t srcWB, uint32_t width, uint32_t count,
                                    int16_t tolerance, uint8_t levels);
    // --- Noise estimation (LxPicMemAPI_noise.cpp) -----------------------------

    // The relative noise variance of the first component of a picture of 8
    // or 9-16 bits, rated on its even-sized top-left part normalised to mean
    // 1000 by one level of Daubechies grade 5 shrinkage. -1.0 without
    // reading for null pixels, comps 0, width or height below 64 or another
    // depth; -1.0 also for a mean of 0 or memory that cannot be had.
    static double GetNoiseEstimation(const void* data, uint32_t comps, uint32_t bits,
                                     uint32_t widthBytes, uint32_t width, uint32_t height);
    // --- Arithmetic, statistics and one-bit planes ------------------------------
    // (LxPicMemAPI_arith.cpp, LxPicMemAPI_binary.cpp; the kernels and what
    // they compute: LxArithKernels.h, LxBinaryKernels.h)
    //
    // Unlike the dispatchers above, byte members take exactly 8 bits: 1 to 7
    // bits give -2. 9 to 16 bits take the 16-bit members; 17 to 32 bits only
    // where said. 1, 3 or 4 components take their own members, other counts
    // the N member. Width or count 0 gives 0 first; then a format without a
    // member -2; then a missing picture, plane, constant or value -4. All
    // checks come before the first write. M is 2^bits - 1.

    // min(a + b, M); 5 components at 17-32 bits the 5x32 member, other
    // counts at 17-32 bits the Nx32 member.
    static int AddAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                          const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                          uint32_t width, uint32_t count);
    // max(a - b, 0); 17-32 bits as AddAndClip.
    static int SubAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                          const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,
                          uint32_t width, uint32_t count);
    // The larger and the smaller sample. 8 and 9-16 bits.
    static int Max(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB, const void* src2,
                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width, uint32_t count);
    static int Min(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB, const void* src2,
                   uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width, uint32_t count);
    // a - b + constants[k] limited to 0..M, one constant a component. 8 and
    // 9-16 bits.
    static int SubAddConstAndClip(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB,
                                  const void* src2, uint32_t src2WB, const int32_t* constants,
                                  uint32_t comps, uint32_t bits, uint32_t width, uint32_t count);
    // (a W1 + b W2) / M limited to 0..M, W = trunc(M x weight + 0.5). 8 and
    // 9-16 bits.
    static int AddTranspAndClip(void* dst, uint32_t dstWB, double weight1, const void* src1,
                                uint32_t src1WB, double weight2, const void* src2,
                                uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                uint32_t count);

    // One constant per component; 8 and 9-16 bits (DivConstAndClip also
    // 17-32 bits, always through its Nx32 member). -3 when a member's table
    // cannot be allocated.

    // max(a, c[k]) and min(a, c[k]); constant: one pixel in the picture's
    // own sample format.
    static int MaxConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const void* constant, uint32_t comps, uint32_t bits, uint32_t width,
                               uint32_t count);
    static int MinConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const void* constant, uint32_t comps, uint32_t bits, uint32_t width,
                               uint32_t count);
    // a + c[k] and a - c[k] limited to 0..M.
    static int AddConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const int32_t* constants, uint32_t comps, uint32_t bits,
                               uint32_t width, uint32_t count);
    static int SubConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const int32_t* constants, uint32_t comps, uint32_t bits,
                               uint32_t width, uint32_t count);
    // 3 components: a + c[k] wrapped once by M (8 bits: 250 + 10 gives 5);
    // other counts: AddConstAndClip.
    static int AddConstRotate(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                              const int32_t* constants, uint32_t comps, uint32_t bits,
                              uint32_t width, uint32_t count);
    // trunc(a x m[k] + 0.5) limited to 0..M.
    static int MulConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const double* constants, uint32_t comps, uint32_t bits,
                               uint32_t width, uint32_t count);
    // a / d[k] rounded, limited to 0..M; -9 before any write for a divisor
    // that is negative, 0, not a number or infinite (or too small for the
    // fixed-point members).
    static int DivConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               const double* divisors, uint32_t comps, uint32_t bits,
                               uint32_t width, uint32_t count);
    // trunc(((a + add[k]) x mul[k]) ^ pow[k] + 0.5) limited to 0..M (not a
    // number: 0).
    static int AddMulPowConstAndClip(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                     const double* add, const double* mul, const double* pow,
                                     uint32_t comps, uint32_t bits, uint32_t width,
                                     uint32_t count);

    // Statistics: bits 0 to 8 are byte samples, 9 to 16 16-bit words, more
    // -2 (result untouched); 1 and 3 components have their own members,
    // other counts (4 too) the N member.

    // The linear correlation coefficient of the two pictures, averaged over
    // the components, anticorrelation reported as 0.0. No whole line (width
    // or count 0 too) or comps 0: -4 and result 0.0; a missing picture -4;
    // -3 when the N member's sums cannot be allocated.
    static int LinearCorrelation(const void* src1, uint32_t src1WB, const void* src2,
                                 uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width,
                                 uint32_t count, double& result);
    // Merges src (weights srcWeights, one double a pixel) into the average
    // picture avg (weights avgWeights): A = trunc((A Wa + N Wn) / (Wa + Wn)),
    // Wa += Wn. Both weights 0 keep the pixel. Width or count 0: 0.
    static int AverageUpdate(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                             const void* src, uint32_t srcWB, const void* srcWeights,
                             uint32_t srcWeightsWB, uint32_t comps, uint32_t bits, uint32_t width,
                             uint32_t count);

    // One-bit planes: plane, startBit (any value; the plane pointer moves by
    // startBit / 8) and planeWB as in LxBinaryKernels.h. Pixel values and
    // bounds come as one 64-bit value (component c in bits 8c.. at 8 bits,
    // 16c.. at 9-16 bits; more components than fit give -4) or through a
    // pointer to one sample per component. 8 and 9-16 bits; modes outside
    // 0..2 (compare modes a member does not take) give -2.

    // mode 0 store, 1 OR, 2 AND of the value under the set bits.
    static int UnpackFromBinary(void* dst, uint32_t comps, uint32_t bits, uint64_t value,
                                uint32_t dstWB, const uint8_t* plane, uint32_t startBit,
                                uint32_t planeWB, uint32_t width, uint32_t count, uint32_t mode);
    static int UnpackFromBinary(void* dst, uint32_t comps, uint32_t bits, const void* value,
                                uint32_t dstWB, const uint8_t* plane, uint32_t startBit,
                                uint32_t planeWB, uint32_t width, uint32_t count, uint32_t mode);
    // compareMode 0 equal, 1 not equal, 2 greater (one 8-bit component
    // only); combineMode 0 store, 1 OR, 2 AND.
    static int PackToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                            uint32_t comps, uint32_t bits, uint32_t srcWB, uint64_t value,
                            uint32_t compareMode, uint32_t width, uint32_t count,
                            uint32_t combineMode);
    static int PackToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                            uint32_t comps, uint32_t bits, uint32_t srcWB, const void* value,
                            uint32_t compareMode, uint32_t width, uint32_t count,
                            uint32_t combineMode);
    // The bit is set where every component lies inside its range low..high
    // (inside) or outside it (!inside); combineMode as PackToBinary.
    static int ThresholdToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                 const void* src, uint32_t comps, uint32_t bits, uint32_t srcWB,
                                 uint64_t low, uint64_t high, bool inside, uint32_t width,
                                 uint32_t count, uint32_t combineMode);
    static int ThresholdToBinary(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                 const void* src, uint32_t comps, uint32_t bits, uint32_t srcWB,
                                 const void* low, const void* high, bool inside, uint32_t width,
                                 uint32_t count, uint32_t combineMode);

    // --- Focus, value thresholds and periphery measures -------------------

    // Held in 32 bits so that any value a caller passes can be checked.
    enum ELxFocusCriterium : int32_t {
        eLxFocusGradientToSignal = 0, // sqrt(gradient energy / signal energy)
        eLxFocusGradientRms = 1,      // sqrt(gradient energy / pairs)
    };
    // From the pairs (x, x + 1) at x = 0, xStep, ... below width - 1 on the
    // rows 0, yStep, ...: component -1 is the pixel's mean. 8, 9-15 and 16
    // bits; a component the picture lacks, a missing pointer or a step of 0
    // -4; an unknown criterion -2 once a row is visited. No pair (or a black
    // picture) gives 0.0.
    static int GetFocusCriterium(double* result, int component, const void* pixels, uint32_t wb,
                                 uint32_t comps, uint32_t bits, uint32_t xStep, uint32_t yStep,
                                 uint32_t width, uint32_t count, ELxFocusCriterium criterion);
    // Samples whose source value lies within low..high (inside) or outside
    // it take value; one sample a pixel (pass width x comps for all). Up to
    // 8 bits bytes, 9 to 16 words, more -2; missing pictures -4.
    static int Threshold(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                         uint32_t srcWB, uint32_t low, uint32_t high, bool inside, uint32_t value,
                         uint32_t width, uint32_t count);
    static int Threshold(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                         uint32_t srcBits, uint32_t srcWB, uint32_t low, uint32_t high,
                         bool inside, uint32_t value, uint32_t width, uint32_t count);
    // The most compact level set's grey level, 0 when none qualifies (width
    // 0 too). Unsigned codes: 0xFFFFFFFE above 16 bits, 0xFFFFFFFC for a
    // neighbour distance other than 1 or no picture, 0xFFFFFFFD without
    // memory for the 16-bit tables.
    static uint32_t ThresholdFromIntegralCircularity(const void* src, uint32_t bits,
                                                     uint32_t distance, uint32_t wb,
                                                     uint32_t width, uint32_t count, bool bright,
                                                     double minArea, double excludedTop);
    // Pearson, overlap, k1, k2, M1, M2, mean a, mean b and the Pearson
    // denominator of two channels less their backgrounds (held at 0), over
    // count / width whole lines, step samples apart. More than 16 bits -2.
    static int Colocalization(const void* src1, uint32_t src1WB, const void* src2,
                              uint32_t src2WB, uint32_t step, uint32_t bits, uint32_t width,
                              uint32_t count, uint32_t background1, uint32_t background2,
                              double& pearson, double& overlap, double& k1, double& k2,
                              double& m1, double& m2, double& meanA, double& meanB,
                              double& denominator);
    // Samples the picture along (x0, y0)-(x1, y1) into the record (arrays it
    // still holds are released first), averaging a band of the record's
    // half width across the line, and fills the metric when given. No
    // record -2; no memory for the points -2; without pixels only the
    // geometry.
    static int GetProfileData(SLxProfileData* profile, uint32_t x0, uint32_t x1, uint32_t y0,
                              uint32_t y1, const void* pixels, uint32_t wb, uint32_t comps,
                              uint32_t bits, uint32_t width, uint32_t count,
                              SLxProfileMetric* metric);
    // Copies the pixels of the square [cx - radius, cx + radius) x [cy -
    // radius, cy + radius), cut to the picture, line after line into dst (at
    // most dstSize bytes); returns the square's pixel count (radius 0: the
    // centre pixel, 1). A centre outside the picture copies nothing: 0.
    static uint32_t GetDataInCircle(void* dst, uint32_t dstSize, const void* pixels, uint32_t wb,
                                    uint32_t bits, uint32_t comps, uint32_t width,
                                    uint32_t count, uint32_t radius, uint32_t cx, uint32_t cy);
    // Screen blend of src1's component (brightened by 1 / gamma) with src2's
    // first component into dst's component (0 when dst lacks it).
    static int MixDicAndFluo(void* dst, uint32_t dstWB, uint32_t dstComps, uint32_t dstBits,
                             const void* src1, uint32_t src1WB, uint32_t src1Comps,
                             uint32_t src1Bits, const void* src2, uint32_t src2WB,
                             uint32_t src2Comps, uint32_t src2Bits, uint32_t component,
                             double gamma, uint32_t width, uint32_t count);
};

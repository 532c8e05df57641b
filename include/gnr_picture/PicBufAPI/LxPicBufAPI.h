// The picture record and the static operations that set it up, check two
// records against each other and copy one into another.
#pragma once

#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"
#include "gnr_picture/LxPoints.h"
#include "gnr_picture/PicBufAPI/LxKernel.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/LxExport.h"

// A rectangle of pixels with uiComps interleaved components of one sample
// width. Component c of pixel (x, y) lies at
//   pData + y x uiWidthBytes + (x x uiComps + c) x CalcCompSize(uiBpc).
// Colour pictures hold blue, green, red in components 0, 1, 2. The bytes
// between a line's last pixel and uiWidthBytes are padding.
// Plain data owned by whoever declares it: pass it through
// CLxPicBufAPI::Init once, and Free it before it goes away.
struct SLxPicBuf {
    uint32_t uiWidth;      // pixels per line
    uint32_t uiHeight;     // lines
    uint32_t uiWidthBytes; // bytes from one line start to the next
    uint8_t uiBpc;         // significant bits per component
    uint32_t uiComps;      // components per pixel
    uint32_t uiSize;       // bytes of pData: uiWidthBytes x uiHeight
    void* pData;           // from the private heap, owned by the record
};

// The descriptive fields of SLxPicBuf without its pixels, in the same order;
// what the histogram and profile records are prepared from.
struct SLxPicBufDesc {
    uint32_t uiWidth;
    uint32_t uiHeight;
    uint32_t uiWidthBytes;
    uint8_t uiBpc;
    uint32_t uiComps;
    uint32_t uiSize;
};

// What Check compares besides the pointers being set.
enum ELxPicBufCheckOptions {
    eLxCheckSize = 0,          // width and height
    eLxCheckSizeBits = 1,      // width, height, bits per component
    eLxCheckSizeBitsComps = 2, // width, height, bits, components
    eLxCheckSizeComps = 3,     // width, height, components
    eLxCheckComps = 4,         // components
    eLxCheckBits = 5,          // bits per component
    eLxCheckBitsComps = 6,     // bits and components: the same format
};

class LX_EXPORT CLxPicBufAPI
{
  public:
    // The options of Check (ELxPicBufCheckOptions is the same list).
    using CheckOptions = ELxPicBufCheckOptions;

    // All fields 0; allocates nothing.
    static void Init(SLxPicBuf* pic);
    // (Re)allocates the record for the format; widthBytes 0 takes
    // CalcWidthBytes(width, bits, comps, 4), a given pitch must cover a line.
    // With zero set all bytes (padding too) are 0, else the contents are
    // undefined (old contents are not promised to survive).
    // 0, or -3 with the record empty (all fields 0, old memory released) for
    // a zero size, a line that does not fit 32 bits, a given pitch shorter
    // than a line, a picture of 2^31 - 1 bytes or more, or no memory.
    static int Reinit(SLxPicBuf* pic, uint32_t width, uint32_t height, uint32_t widthBytes,
                      uint32_t bits, uint32_t comps, bool zero);
    // Reinit to the source's size and format, then Copy; the first failure.
    // A source record whose memory does not hold its lines: -9 (reported),
    // the destination untouched.
    static int ReinitAndCopy(SLxPicBuf* dst, const SLxPicBuf* src);
    // Releases pData and sets it to null; the other fields keep their values.
    static void Free(SLxPicBuf* pic);
    // Both pointers set, option 0 to 6, and the fields the option names equal.
    static bool Check(const SLxPicBuf* a, const SLxPicBuf* b, uint32_t option);
    // Sample bytes x width x comps rounded up to a multiple of alignment,
    // computed in 64 bits. 0 when the result does not fit 32 bits, for an
    // alignment of 0, or for bits 0 or above 64.
    static uint32_t CalcWidthBytes(uint32_t width, uint32_t bits, uint32_t comps,
                                   uint32_t alignment);
    // Bytes of one sample: 1-8 bits 1, 9-16 bits 2, 17-32 bits 4 (24-bit
    // samples take 4), 33-64 bits 8; 0 for 0 or more than 64 bits.
    static uint32_t CalcCompSize(uint32_t bits);
    // The low 16 bits of CLxPicMemAPI::CalcUintMax(bits).
    static uint16_t GetBitMask(uint32_t bits);
    // Copies the overlap (smaller width x smaller height) line by line; the
    // rest of the destination stays. -9 with the report "CLxPicBufAPI::Copy,
    // sour and dest must have the same format" when bits or components
    // differ; -9 (reported) for a missing record or memory, or a record whose
    // memory does not hold its lines (a pitch below a line, or uiSize below
    // uiWidthBytes x uiHeight), with nothing copied.
    static int Copy(SLxPicBuf* dst, const SLxPicBuf* src);

    // ======================================================================
    // Picture operations (LxPicBufCopy.cpp, LxPicBufFlip.cpp,
    // LxPicBufStretch.cpp, LxPicBufCompare.cpp, LxPicBufDepth.cpp,
    // LxPicBufColorSpace.cpp).
    //
    // Common rules:
    // - "Same format" is Check option 6, "same size" option 0, "same size and
    //   bits" 1, "same size, bits and components" 2, "same size and
    //   components" 3. A mismatch returns -9 (And: -4) and changes nothing;
    //   where a message is given below it is reported through DiagAssertW.
    // - A missing record, or a record whose memory is missing or smaller
    //   than its format (pData null, a pitch shorter than a line, uiSize
    //   short of uiWidthBytes x uiHeight), gives -9 (the tests: false) with
    //   a report. A picture of width, height or components 0 has nothing to
    //   touch.
    // - Samples of 1 to 8 bits take a byte, 9 to 16 a 16-bit word, 17 to 32 a
    //   32-bit word; operations that look at sample values refuse deeper
    //   samples with -2. Padding bytes are never written unless said so.
    // - Colour pictures hold blue, green, red in components 0, 1, 2; colours
    //   given as arrays are red, green, blue (and alpha for 4 components).
    // ======================================================================

    // --- Copies, canvas and fills (LxPicBufCopy.cpp) --------------------------

    // Copies the overlap (smaller width x smaller height) between pictures of
    // the same bits (else -9, reported "CLxPicBufAPI::Copy, sour and dest
    // must have same bpc"). Equal component counts: Copy. Otherwise each
    // destination pixel receives the source's leading components, and the
    // components the source lacks become 0.
    static int CopyComp(SLxPicBuf* dst, const SLxPicBuf* src);
    // Copies the width x height rectangle at (srcX, srcY) of src to (dstX,
    // dstY) of dst. Same format, else -9 (reported "CLxPicBufAPI::CopyRect,
    // sour and dest must have the same format"). A rectangle reaching outside
    // its picture: -4, nothing copied. dst and src may be the same picture,
    // the rectangles overlapping.
    static int CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                        SLxPicBuf* dst, uint32_t srcX, uint32_t srcY, const SLxPicBuf* src);
    // CopyRect of the top-left overlap of the two pictures. reserved is not
    // used.
    static int ResizeCanvas(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t reserved);
    // Gives the picture a canvas of newWidth x newHeight with its bits and
    // components: the old pixels at the top-left, the rest filled with color
    // (FillWithColorRGB) or 0 when color is null. The same size returns 0 and
    // changes nothing. The new memory is allocated and filled first: on any
    // failure (-3 no memory, or the fill's -2 for a format it cannot build a
    // colour for) the picture stays as it was. reserved goes to ResizeCanvas.
    static int AdjustCanvasRGB(SLxPicBuf* pic, uint32_t newWidth, uint32_t newHeight,
                               uint32_t reserved, const uint32_t* color);
    // Every pixel becomes color (red, green, blue[, alpha]), stored in the
    // picture's order. 1, 3 or 4 components of up to 16 bits, else -2; -4
    // without a colour.
    static int FillWithColorRGB(SLxPicBuf* pic, const uint32_t* color);
    // All uiSize bytes (padding too) become 0.
    static int Clear(SLxPicBuf* pic);
    // Exchanges all fields of the two records, whatever they hold: the
    // memory changes owner with them. -9 for a missing record.
    static int Swap(SLxPicBuf* a, SLxPicBuf* b);

    // --- Flips (LxPicBufFlip.cpp) ----------------------------------------------

    // With n the smaller height, destination line y receives source line
    // n - 1 - y (the smaller of the two pitches in bytes). Same format, else
    // -9 (reported "CLxPicBufAPI::Copy, sour and dest must have the same
    // format"). dst may be src: the picture is flipped in place.
    static int FlipCopy(SLxPicBuf* dst, const SLxPicBuf* src);

    // --- Stretch (LxPicBufStretch.cpp) -------------------------------------------
    // Modes as CLxPicMemAPI::Stretch: 1 nearest neighbour, 2 quadratic
    // B-spline, 3 triangle, 4 area averaging where it applies (else as 2),
    // any other value nearest neighbour. 8 and 9-16 bits, others -2; -3 when
    // the resampling's scratch memory fails. The resampling reads source
    // lines after writing destination lines, so both pictures in one memory
    // give -4 (but for the equal-size StretchRect, a CopyRect). The filters'
    // taps reach the picture's real neighbours of a rectangle on every side
    // and replicate only the picture's edges (never reading line padding), so
    // tiles stretched one by one join without seams.

    // The whole source onto the whole destination. Same format, else -9
    // (reported "CLxPicBufAPI::Stretch, sour and dest must have the same
    // format"); an empty destination 0, an empty source -9; otherwise the
    // result of CLxPicMemAPI::Stretch.
    static int Stretch(SLxPicBuf* dst, const SLxPicBuf* src, CLxPicMemAPI::ELxPicStretchMode mode);
    // The source rectangle onto the destination rectangle; equal sizes are a
    // CopyRect. Same format, else -9 (reported "CLxPicBufAPI::StretchRect,
    // sour and dest must have the same format"). A rectangle reaching outside
    // its picture: -4 (reported), nothing written.
    static int StretchRect(SLxPicBuf* dst, uint32_t dstX, uint32_t dstY, uint32_t dstWidth,
                           uint32_t dstHeight, const SLxPicBuf* src, uint32_t srcX, uint32_t srcY,
                           uint32_t srcWidth, uint32_t srcHeight,
                           CLxPicMemAPI::ELxPicStretchMode mode);

    // --- Complement, AND and tests (LxPicBufCompare.cpp) -------------------------

    // In place: every sample v becomes (2^bits - 1) - v, its bitwise NOT
    // within the picture's bits. Any depth up to 32 bits, else -2.
    static int Complement(SLxPicBuf* pic);
    // The same from src into dst: same size, bits and components, else -9
    // (reported "K3LxBinPicBuf::Complement, sour and dest sizes are
    // different"). Each picture keeps its own pitch.
    static int Complement(SLxPicBuf* dst, const SLxPicBuf* src);
    // Complements, as the in-place Complement, only the samples whose mask
    // byte is not 0: sample i of line y (counting the width x components
    // samples of the line) follows byte i of mask line y. The mask has the
    // picture's size and components and byte samples (up to 8 bits), else -9.
    static int ComplementMask(SLxPicBuf* pic, const SLxPicBuf* mask);
    // dst sample = dst sample AND src sample over every line's samples.
    // Same size, bits and components, else -4 (reported "CLxPicBufAPI::And,
    // sour and dest must have the same size and format").
    static int And(SLxPicBuf* dst, const SLxPicBuf* src);
    // Whether mask has every bit 0 to components - 1 set; false for a missing
    // record and for more than 32 components.
    static bool IsFullCompMask(const SLxPicBuf* pic, uint32_t mask);
    // Same width, height, bits and components and the same samples; padding
    // is not compared. False for a missing or unusable record.
    static bool IsEqual(const SLxPicBuf* a, const SLxPicBuf* b);
    // One component.
    static bool IsPicGray(const SLxPicBuf* pic);
    // Every pixel's first three components (all it has, with fewer) are
    // equal: a colour picture that holds only grays. An empty picture is
    // mono; a missing or unusable record, or samples above 32 bits, is not.
    static bool IsPicMono(const SLxPicBuf* pic);

    // --- Bit depth, component order and gray (LxPicBufDepth.cpp) -----------------

    // Converts the picture to newBits (1 to 32, else -2) through
    // CLxPicMemAPI::ChangeBitDepth into new memory of the default pitch,
    // which replaces the old only on success. -3 without memory, or the
    // converter's result; on failure the picture is unchanged.
    static int ChangeBitDepth(SLxPicBuf* pic, uint32_t newBits);
    // In place: components 0 and 2 of every pixel are exchanged. At least 3
    // components, else -9; any depth up to 32 bits, else -2.
    static int ConvertBGRtoRGB(SLxPicBuf* pic);
    // Destination components 0, 1, 2 receive source components 2, 1, 0;
    // each picture keeps its own component count (at least 3, else -9).
    // Same size and bits, else -9; any depth up to 32 bits, else -2.
    static int ConvertBGRtoRGB(SLxPicBuf* dst, const SLxPicBuf* src);
    // The source's components averaged ((sum + n / 2) / n) into the one
    // component of dst, by CLxPicMemAPI::CollapseComponents. Same size and
    // bits, else -9 (reported "K3LxBinPicBuf::ColorToGray, sour and dest
    // sizes or BPCs are different"); dst of other than 1 component -9; 8 and
    // 9-16 bits, others -2.
    static int ColorToGray(SLxPicBuf* dst, const SLxPicBuf* src);
    // An 8-bit B, G, R source to an 8-bit gray dst through the weights
    // 76, 148, 31 (of 255) for components 0, 1, 2, tuned so that only the
    // pixel (192, 192, 192) becomes 192 (others that would are 191). Same size
    // and bits, else -9 (reported "K3LxBinPicBuf::ColorToGrayBitmap, sour and
    // dest sizes are different"); other formats -2.
    static int ColorToGrayBitmap(SLxPicBuf* dst, const SLxPicBuf* src);

    // --- Colour spaces (LxPicBufColorSpace.cpp) ----------------------------------
    // Both pictures have the same size and 3 components, else -9. The source
    // (8 or 9-16 bits) is first brought to the destination's depth by
    // shifts, then converted in place: 8-bit destinations at 8 bits, 9-16-bit
    // ones at 16 bits and shifted back. Any other depth: -9 (the
    // destination's contents are then undefined). dst may be src.
    // Component orders: RGB B, G, R; IHS intensity, saturation, hue (a
    // fraction of a full turn times the maximum); YCrCb Y, Cr, Cb (Cr and Cb
    // centred on half the scale); XYZ X, Y, Z (CIE, D65 white). Results are
    // truncated and held to the sample range.
    static int ConvertIHStoRGB(SLxPicBuf* dst, const SLxPicBuf* src);
    static int ConvertRGBtoIHS(SLxPicBuf* dst, const SLxPicBuf* src);
    static int ConvertYCrCbtoRGB(SLxPicBuf* dst, const SLxPicBuf* src);
    static int ConvertRGBtoYCrCb(SLxPicBuf* dst, const SLxPicBuf* src);
    static int ConvertXYZtoRGB(SLxPicBuf* dst, const SLxPicBuf* src);
    static int ConvertRGBtoXYZ(SLxPicBuf* dst, const SLxPicBuf* src);

    // --- Wavelet denoising and resharpening (LxPicBufDenoise.cpp) ---------------
    // Multi-level wavelet shrinkage of 8-bit and 9-16-bit pictures (1-7 bits
    // are read as bytes and held to 2^bits - 1), in double precision, in
    // tiles whose core is at most 5000 pixels a side with margins of
    // 4 x 2^levels pixels (only the inner half of a margin is written).
    // Detail bands are soft-thresholded by noise power / signal deviation,
    // the signal deviation being sqrt(max(mean square - noise power, 0)); a
    // band at or below its noise power is cleared. The resharpening twins
    // multiply every surviving coefficient by 1.5.
    //
    // dst and src: distinct pictures of the same size, bits and components,
    // else -9; the noise picture of Denoise and Resharpen: the same bits and
    // components, any size whose sides are multiples of 2^levels, else -9.
    // levels: 1 to 7; 0 returns 0 untouched, above 7 -2. perLevel (blind
    // operations): estimate the noise (median absolute deviation of the
    // diagonal band) at every level rather than at level 1 only; the first
    // tile's estimates serve every tile. wavelet: 0 Daubechies 7, 1 Coiflets
    // 3 (resharpening 2), 2 Haar, 3 Hess 3 (resharpening 2); above 3 -9; the
    // noise picture is always measured with the denoising grades. color with
    // exactly 3 components: process the components of colorMode's space
    // (0 as stored, 1 IHS, 2 YCrCb) and convert back; a colorMode above 2
    // returns 0 untouched. Otherwise the components are processed one by one.
    // Also: deeper than 16 bits -2; an empty picture 0; a filter longer than
    // the deepest approximation -9; a work picture Reinit refuses -3. The
    // first failing component ends the call; components stored before it
    // stay.
    static int DenoiseBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                            bool color, uint32_t wavelet, uint32_t colorMode);
    static int Denoise(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                       uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                       uint32_t colorMode);
    static int ResharpenBlind(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                              bool color, uint32_t wavelet, uint32_t colorMode);
    static int Resharpen(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                         uint32_t levels, bool perLevel, bool color, uint32_t wavelet,
                         uint32_t colorMode);

    // --- Neighbourhood filters (LxPicBufFilterFrame.cpp, LxPicBufConvolve.cpp,
    // LxPicBufSmooth.cpp) -------------------------------------------------------
    // Common rules:
    // - dst first, src second; both allocated by the caller with the same
    //   width, height, bits and components (Check option 2), each record's
    //   memory covering its lines; else -9 and dst untouched. src is never
    //   written; dst may be src (or share its memory): the operation then
    //   works from a copy of the source (-3 without memory).
    // - A kernel must be given, usable (rows x columns of 1 to
    //   MAX_KERNEL_ELEMENTS, the anchor inside) and not larger than the
    //   source, else -9.
    // - 8 bits work on bytes, 9 to 16 bits on 16-bit samples; 1 to 7 bits
    //   return 0 with dst untouched; 17 bits or more return -2 (but
    //   ConvolutionEx). Results are held to 0 .. 2^bits - 1.
    // - Outside the picture the nearest edge pixel stands in (coordinates
    //   clamped), so every pixel of dst is written.
    // - Kernel element (r, c) lands on the output sample from the source
    //   sample (c - centre column, r - centre row) away; kernels are never
    //   flipped.
    // - The overloads with a count run the operation count times (0: -9):
    //   from the source, then each pass from the one before, alternating
    //   between dst and one temporary picture so that the last pass writes
    //   dst; every pass after the first mirrors the kernel's centre (rows -
    //   centre row - 1, columns - centre column - 1). -3, dst untouched, when
    //   the temporary cannot be had; a pass's failure ends the run with its
    //   status.

    // S = the sum of weight x sample over the set elements; a divisor of 0
    // is the number of set elements (1 when none); unless the divisor is 1,
    // S = (S + divisor / 2) / divisor, both divisions truncated toward zero.
    // Then held to 0 .. 2^bits - 1.
    static int Convolution(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                           int32_t divisor);
    static int Convolution(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                           int32_t divisor, uint32_t count);
    // The signed variant: S held to -2^(bits-1) .. 2^(bits-1) - 1 and stored
    // plus 2^(bits-1) (a response of 0 is 128 at 8 bits). 8 to 32 bits (above
    // -2). The source need only reach the kernel's extent on each side of
    // its centre; a smaller one is computed from clamped windows alone.
    static int ConvolutionEx(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                             int32_t divisor);
    // bits plus the binary digits of the larger of the sum of the positive
    // values and the sum of the magnitudes of the negative ones, over all
    // rows x columns values (mask ignored); bits when both are 0.
    // 4294967287 (-9) for a missing or unusable kernel.
    static uint32_t GetConvolReqBpc(const SLxKernel* kernel, uint32_t bits);
    // Sobel magnitude |gx| + |gy| over the 3 x 3 neighbourhood, gx =
    // 2 (E - W) + NE + SE - NW - SW, gy = 2 (S - N) + SW + SE - NW - NE; the
    // shape of the DetectEdge record marks the border. Sources smaller than
    // 3 x 3: -9.
    static int EdgesDetect(SLxPicBuf* dst, const SLxPicBuf* src);
    // dst = the source shifted dx right and dy down (uncovered pixels repeat
    // the nearest shifted ones) divided by the source, rescaled per component
    // to the shifted picture's mean. dx, dy from 0 to below the width and
    // height, else -9.
    static int Relief(SLxPicBuf* dst, const SLxPicBuf* src, int32_t dx, int32_t dy);
    // Savitzky-Golay filter of order 2 over 2m + 1 samples, m = (size - 1) /
    // 2 (at least 2 in mode 0): mode 0 smoothing, 1 the first derivative
    // along x, 2 along y, 3 the larger of the two. -2 for another mode or
    // other than 8 to 16 bits; -9 for m above the width or height or a line
    // shorter than 2m + 1; else the worker's status.
    static int GolayFilter(SLxPicBuf* dst, const SLxPicBuf* src, int32_t size, int32_t mode);

    // 5c - u - d - l - r of each sample and its four neighbours.
    static int Sharpen(SLxPicBuf* dst, const SLxPicBuf* src);
    // (6c - u - d - l - r) / 2 (shifted) inside; on the picture's edge the
    // mean (c + s) / 2 of the sample and its held Sharpen value s.
    static int SharpenSlightly(SLxPicBuf* dst, const SLxPicBuf* src);
    // The median of each sample's 3 x 3 neighbourhood. Sources smaller than
    // 3 x 3: -9.
    static int Median(SLxPicBuf* dst, const SLxPicBuf* src);
    // The rounded mean (sum + n / 2) / n of the samples under the n set
    // elements. A kernel named "Smooth3" (nine set elements) or "Oct4"
    // (twelve) ignores its values inside and weights by them on the edge; a
    // full odd centred square ignores them; any other kernel is
    // Convolution with divisor 0.
    static int Smooth(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int Smooth(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                      uint32_t count);

    // Grey morphology (LxPicBufMorph.cpp, LxPicBufMorphFilters.cpp).
    // Grey erosion (minimum) and dilation (maximum) of the samples under the
    // kernel's set elements; dilation uses the same offsets, unmirrored. A
    // full odd centred square repeated count times acts as one clamped
    // square of side (side - 1) x count + 1, at any picture size (a 1 x 1
    // square copies). Open: count erosions then count dilations; Close the
    // reverse (the second group's centres undo the first's).
    static int Erode(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int Erode(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count);
    static int Dilate(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int Dilate(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                      uint32_t count);
    static int Open(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int Open(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count);
    static int Close(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int Close(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t count);

    // Top-hats: the source minus its opening (DetectPeaks), the closing
    // minus the source (DetectValleys); GradientMorpho: dilation minus
    // erosion. RegionalMaxima: the source minus its reconstruction (grown
    // until it settles) from its erosion; RegionalMinima the same of the
    // complement 2^bits - 1 - sample. Differences wrap like Substract. -3,
    // dst untouched, without memory for a temporary picture.
    static int DetectPeaks(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int DetectPeaks(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                           uint32_t count);
    static int DetectValleys(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int DetectValleys(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                             uint32_t count);
    static int GradientMorpho(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int GradientMorpho(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              uint32_t count);
    static int RegionalMaxima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int RegionalMaxima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              uint32_t count);
    static int RegionalMinima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel);
    static int RegionalMinima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              uint32_t count);
    // first - second sample by sample, modulo 256 at 8 bits and 65536 on the
    // 16-bit samples of 9 to 16 bits (no clamping).
    static int Substract(SLxPicBuf* dst, const SLxPicBuf* first, const SLxPicBuf* second);
    // The smoothed source (smoothing 0 copy, 1 Square3, 2 Oct5, 3 Oct4 twice)
    // snapped to the nearer of its local maximum and minimum (size 1
    // Square3, 2 Oct5, 3 Oct4 twice; a tie to the minimum) where they differ
    // by more than threshold. size held to 1..3, smoothing to 0..3,
    // threshold to 0..255 at every depth.
    static int Delineate(SLxPicBuf* dst, const SLxPicBuf* src, int32_t size, int32_t smoothing,
                         int32_t threshold);

    // The predefined kernels, named as their records (writable: the
    // operations read them as they are at the time of the call).
    static SLxKernel Square2, Square3, Square5, Oct4, Oct5, Oct7, Cross3, Cross5;
    static SLxKernel Lin_0, Lin_45, Lin_90, Lin_135;
    static SLxKernel C8SkeletetonL1, C8SkeletetonL2, C8PrunningE1, C8PrunningE2;
    static SLxKernel C4PrunningE1, C4PrunningE2, C8MarkingD1, C8MarkingD2;
    static SLxKernel C4SkeletonL1, C4SkeletonL2, SinglePoint;
    static SLxKernel Laplace4, Laplace8, PelvanFilter, Sharp, SharpMore;
    static SLxKernel HorizontalEdge, VerticalEdge, DetectEdge, RegionalExtrema1, RegionalExtrema2;

  private:
    // LocalContrast of one tile (dst apart from src), size as there.
    static int LocalContrast_Tailed(SLxPicBuf* dst, const SLxPicBuf* src, int& size,
                                    double strength, bool option);
    // One-component pictures, tiled; noise from the first tile.
    static int Denoise1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                          uint32_t wavelet);
    static int Resharpen1xN(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                            uint32_t wavelet);
    // One-component pictures, tiled; noise measured on the noise picture.
    static int DenoiseKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                               uint32_t levels, bool perLevel, uint32_t wavelet);
    static int ResharpenKnown1xN(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                                 uint32_t levels, bool perLevel, uint32_t wavelet);
    // One tile. known: three arrays (diagonal, row-high, column-high band)
    // of a noise power per level, or null to estimate; record: three arrays
    // that receive the powers used, or null.
    static int Denoise1xNInner(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
                               const double* const* known, double* const* record, uint32_t wavelet);
    static int Resharpen1xNInner(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels,
                                 bool perLevel, const double* const* known, double* const* record,
                                 uint32_t wavelet);
    // The mean square of each detail band of each level of a one-component
    // noise picture, into three arrays of 7.
    static int FillNoiseParams(const SLxPicBuf* noise, uint32_t levels, double* const* bands,
                               uint32_t wavelet);
  public:
    // --- Distance maps (LxPicBufDistance.cpp) ----------------------------------------
    // Chamfer distance of each non-zero sample of a one-component 16-bit
    // picture to the nearest 0 (65534 when there is none; outside the
    // picture is never background). metric 3: 3 x 3 chessboard; 5: 5 x 5
    // without corners, integer weights; 15: 3 x 3 with 1 and 1.4142; 16:
    // full 5 x 5 Euclidean weights; any other: 7 x 7. Other pictures -9
    // untouched; -3 untouched when the float work array cannot be had.
    static int DistanceFunction(SLxPicBuf* pic, uint32_t metric);
    // The set pixels of bin become objects (65534), the others background,
    // then DistanceFunction. -9, pic untouched, when bin has another size or
    // no data.
    static int DistanceFunctionFromBinary(SLxPicBuf* pic, SLxBinPicBuf* bin, uint32_t metric);

    // --- One-bit pictures, depth and components (LxPicBufBinary.cpp) -------------
    // Unpack, Threshold and Pack: the one-bit picture has the picture's width
    // and height, and both records cover their lines (pData set, a line fits
    // the pitch, uiSize covers the lines), else -9 and nothing is written.
    // Values and bounds carry one sample per component, component 0 in the
    // lowest bits: 8 bits a component at 8 bits, 16 at 9-16 bits; more than
    // 64 bits a pixel -9. Other depths: the dispatcher's -2.

    // Every pixel whose bit is set takes value, the others 0.
    static int Unpack(SLxPicBuf* pic, SLxBinPicBuf* bin, uint64_t value);
    // The bit of each pixel is set where every component lies within
    // low..high (bounds included), cleared elsewhere.
    static int Threshold(SLxBinPicBuf* bin, SLxPicBuf* pic, uint64_t low, uint64_t high);
    // The bit of each pixel is set where the pixel equals value.
    static int Pack(SLxBinPicBuf* bin, SLxPicBuf* pic, uint64_t value);
    // Gives the picture bits and comps, keeping width and height: the depth
    // by shifts (CLxPicMemAPI::ConvertBitDepthViaShifts), the components by
    // averaging into one or copying one into all (CollapseComponents,
    // ExpandComponent), into new memory of the default pitch. The component
    // count changes only when one side has 1 component, else -2. The same
    // format returns 0 untouched. On every failure (-2, -3 without memory,
    // -9 for an unusable record) the picture stays as it was.
    static int ConvertBpcAndComp(SLxPicBuf* pic, uint32_t bits, uint32_t comps);

    // ======================================================================
    // Arithmetic, colour, contrast, tone curves and background
    // (LxPicBufConstArith.cpp, LxPicBufArith.cpp, LxPicBufColorContrast.cpp,
    // LxPicBufToneCurves.cpp, LxPicBufBackground.cpp).
    //
    // Common rules:
    // - Destination first. A missing record, or one whose memory does not
    //   cover its format, gives -9 and nothing is written. Every check is
    //   made before the first write.
    // - Where a CLxPicMemAPI dispatcher or another operation does the work,
    //   its status is returned: -2 for a format without a member, -3 when a
    //   table or temporary picture cannot be had, -9 for a divisor that is
    //   negative, 0 or not a number.
    // - Colour pictures hold blue, green, red in components 0, 1, 2; "red"
    //   arguments go to component 2.
    // - Samples of 17 to 32 bits: -2 where nothing else is said.
    // ======================================================================

    // --- Constants and pixel access (LxPicBufConstArith.cpp) ---------------

    // Every pixel takes values[c] in component c, cut to its low byte (up to
    // 8 bits) or 16 bits (9-16 bits); deeper pictures return 0 untouched.
    // No values: -9.
    static int AssignConst(SLxPicBuf* pic, const uint32_t* values);
    // dst = src op values[c], one constant a component, limited to
    // 0 .. 2^bits - 1. dst and src have the same size, bits and components
    // (else -9) and may be one picture. No values: -9.
    static int AddConst(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values);
    // As AddConst, but 3-component pictures wrap once by M = 2^bits - 1
    // instead of clipping (8 bits: 250 + 10 gives 5, 3 - 10 gives 248).
    static int AddConstRotate(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values);
    static int SubConst(SLxPicBuf* dst, const SLxPicBuf* src, const int32_t* values);
    // The smaller (larger) of sample and values[c], the value cut to the
    // sample size; deeper than 16 bits returns 0 untouched.
    static int MinConst(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* values);
    static int MaxConst(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* values);
    // trunc(a x values[c] + 0.5), limited.
    static int MultConst(SLxPicBuf* dst, const SLxPicBuf* src, const double* values);
    // a / values[c], rounded (see CLxPicMemAPI::DivConstAndClip); also 17-32
    // bits.
    static int DivConst(SLxPicBuf* dst, const SLxPicBuf* src, const double* values);
    // Pixel (x, y) of an 8-bit picture of 1 or 3 components from the colour
    // word 0x00BBGGRR (CLxPicMemAPI::SetColor). x or y outside the picture,
    // or a missing picture or memory: -4, nothing written.
    static int SetPixel(SLxPicBuf* pic, uint32_t x, uint32_t y, uint32_t color);
    // Copy the whole pixel (components x sample bytes) at (x, y) out of or
    // into the caller's buffer. SetPointComponent writes only component comp,
    // taken from the caller's whole pixel at comp x sample bytes. x, y or
    // comp outside the picture, or a missing picture, memory or buffer: -4,
    // nothing read or written.
    static int GetPoint(const SLxPicBuf* pic, uint32_t x, uint32_t y, void* pixel);
    static int SetPoint(SLxPicBuf* pic, uint32_t x, uint32_t y, const void* pixel);
    static int SetPointComponent(SLxPicBuf* pic, uint32_t x, uint32_t y, const void* pixel,
                                 uint32_t comp);

    // --- Two pictures (LxPicBufArith.cpp) ------------------------------------
    // The region is the smallest width and height of the pictures, the
    // component count the smallest of them; each picture steps by its own
    // components and pitch, and destination components beyond the count
    // stay. The sources have the same bits S (else -9); D is the
    // destination's. A negative result is 0; when exactly one of S and D is
    // 8 the result is converted (x or / 2^(other - 8)); then it is limited
    // to 2^D - 1. D below 8, or one side below 8 and the other not: -9.

    // min(a, b), max(a, b), |a - b|, a + b, a - b (b - a with reverse).
    static int MinComp(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int MaxComp(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int AbsDif(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int Addition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b);
    static int Subtract(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b, int32_t reverse);
    // Masks: a pixel is set where its mask's first sample is not 0; a null
    // mask is set everywhere; a mask smaller than the region gives -9. Where
    // both masks are set |a - b|, where only maskB b, elsewhere a (with the
    // depth rules above).
    static int AbsDif(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* maskA,
                      const SLxPicBuf* b, const SLxPicBuf* maskB);
    // Where both masks are set ((a w) / 50 + (b (100 - w)) / 50) / 2, each
    // quotient truncated: about (a w + b (100 - w)) / 100 (the weight tables
    // and halving table of the classic form, computed directly: nothing is
    // allocated). Masks as AbsDif.
    // dst, a and b have the same bits and components (else -9); weight 0 to
    // 100, else -9. Below 8 bits 0 untouched.
    static int WeightedAddition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* maskA,
                                const SLxPicBuf* b, const SLxPicBuf* maskB, int32_t weight);
    static int WeightedAddition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b,
                                int32_t weight);
    // CLxPicMemAPI::ApplyMultShading over the smallest width and height; the
    // three pictures have the same bits and components, else -9.
    static int ShadMult(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* shading);
    // Copies the source's pixels where the mask's sample is not 0. dst and
    // src of the same size, bits and components and a mask of their size,
    // else -2 (kept: callers test for it).
    static int MergeImagesByMask(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* mask);
    // Rebuilds dst from chosen components: select2 fills component 2 (red),
    // select1 component 1, select0 component 0; a selector 0 takes src's
    // component 2, 1 its component 1, 2 its component 0, any other value (or
    // one naming a component the pictures lack) other's component of the
    // index being filled. One component: src's sample for select2 0 to 2,
    // else other's. dst may be src or other. The three pictures have the
    // same bits and components (at most 3), else -9; below 8 bits 0
    // untouched. Over the smallest width and height.
    static int ImageComponents(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* other,
                               uint32_t select2, uint32_t select1, uint32_t select0);
    // Moves the content in place: pixel (x, y) takes the pixel of (x - dx,
    // y - dy). A pixel whose source is outside takes the pixel of the
    // uncovered border column or line where the line back along the move
    // meets it; the border column and line keep their values. Moves larger
    // than the picture read only inside it. Height 0: -9.
    static int Shift(SLxPicBuf* pic, int32_t dx, int32_t dy);

    // --- Colour and contrast (LxPicBufColorContrast.cpp) ---------------------

    // Every pixel of a 3-component picture loses its smallest sample from
    // each component. Same size, bits and components, else -9; below 8 bits
    // -9.
    static int SubtractMinRGB(SLxPicBuf* dst, const SLxPicBuf* src);
    // new R = (R c1 + G c2 + B c3) / 100, new G = (R c4 + G c5 + B c6) / 100,
    // new B = (R c7 + G c8 + B c9) / 100 in 64-bit integers truncated toward
    // zero, limited to 0 .. 2^bits - 1. Checks as SubtractMinRGB.
    static int MixComponents(SLxPicBuf* dst, const SLxPicBuf* src, int32_t c1, int32_t c2,
                             int32_t c3, int32_t c4, int32_t c5, int32_t c6, int32_t c7, int32_t c8,
                             int32_t c9);
    // 8-bit colour only (else -9). Table k maps v to the low byte of
    // v ck / 256. R from (c1 on R, c4 on G, c7 on B), G from (c2, c5, c8), B
    // from (c3, c6, c9). mode 0: the largest of the three table values; 1:
    // their sum / 3; 2: the weighted mean, sum x 256 / (sum of the three
    // coefficients), limited to 255, 0 for a zero coefficient sum; other
    // modes -9.
    static int AdjustColorsRGB(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t c1, uint32_t c2,
                               uint32_t c3, uint32_t c4, uint32_t c5, uint32_t c6, uint32_t c7,
                               uint32_t c8, uint32_t c9, int32_t mode);
    // r = N / D x scale + offset (255 x scale + offset where D is 0), N and D
    // the source's components numerator and denominator in 8-bit units;
    // limited to the 8-bit scale top (CLxPicMemAPI::CalcDblMax), below 0 or
    // not a number 0; written back at the picture's depth into every
    // destination component. Same size and bits, a source of 2 or more
    // components and both indexes below its count, else -9; below 8 bits -9.
    static int DivideComponents(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t numerator,
                                uint32_t denominator, double scale, double offset);
    // The ends of each component's histogram: low[c] and high[c] (either
    // array may be null, not both: -4; no picture -4). Fractions: running
    // sums from each end exceeding fraction x pixels (CLxHistoAPI::
    // GetLowHigh); a fraction not above 0 leaves its array unwritten. Up to
    // 16 bits.
    static int FindLowHighInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                      double lowFraction, double highFraction);
    // Running sums reaching the counts (GetLowHighAbs), or the first and last
    // bin whose own count reaches them (GetLowHighFreqAbs). Deeper than 16
    // bits: counted in 2^16 bins, lows shifted back up, highs shifted up with
    // the freed low bits set.
    static int FindLowHighAbsInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                         unsigned lowCount, unsigned highCount);
    static int FindLowHighFreqAbsInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                             unsigned lowCount, unsigned highCount);
    // One table shared by all components, linear from (low, 0) to (high,
    // top): low the smallest low end and high the largest high end of the
    // components in componentMask (FindLowHighInHistogram); a fraction not
    // above 0 takes 0 or 2^bits - 1. top is 255 with toDisplay, else
    // 2^bits - 1. Without toDisplay a single table from the picture's depth
    // to itself; with it a single table to 8 bits, or, when colors (one
    // colour word 0x00BBGGRR per component) is given, one table of 3 8-bit
    // components per picture component coloured through
    // SLxLut::CreateMultiColorTableEx. The table's component mask shows every
    // component. lut is allocated here (Free it); on failure it stays empty.
    // No lut or picture -4; the histogram's or the table builders' status
    // (-4 when high is not above low, as for a flat picture).
    static int AllocAutocontrastLut(SLxLut* lut, const SLxPicBuf* pic, double lowFraction,
                                    double highFraction, uint32_t componentMask, bool toDisplay,
                                    const uint32_t* colors);
    // One mapping per component from its own ends; components outside the
    // mask map identically (without toDisplay) or to 0 (with it). One
    // component: a single table; several without toDisplay: one table of as
    // many components; with toDisplay one 3-component 8-bit table per
    // component, coloured by colors or grey (white) without them.
    static int AllocAutocontrastLutPerComp(SLxLut* lut, const SLxPicBuf* pic, double lowFraction,
                                           double highFraction, uint32_t componentMask,
                                           bool toDisplay, const uint32_t* colors);
    // src through lut into dst: an 8-bit 3-component dst by
    // CLxPicMemAPI::ConvertToTrueColor; equal components and bits with a
    // table to that depth by CLxPicMemAPI::ApplyLuts; a one-component source
    // by CLxPicMemAPI::MapValueToComponents; else -2. Missing pictures or
    // table, or a source of other width or height: -4.
    static int ApplyLuts(SLxPicBuf* dst, const SLxPicBuf* src, const SLxLut* lut);
    // Builds the (per-component) autocontrast table from the source and maps
    // the destination's own samples through it in place (kept: pass the
    // same picture, or a copy of the source, as dst). Missing pictures or
    // other sizes -4; a flat source -4 with dst untouched.
    static int Autocontrast(SLxPicBuf* dst, const SLxPicBuf* src, double lowFraction,
                            double highFraction, uint32_t componentMask);
    static int AutocontrastPerComp(SLxPicBuf* dst, const SLxPicBuf* src, double lowFraction,
                                   double highFraction, uint32_t componentMask);
    // A stereo picture for coloured glasses into a 3-component dst from src
    // and its depth picture (one 8-bit component): layers 0 .. layers - 1,
    // pixels at or above a layer (ascending) or at or below it, drawn at
    // x + offset with the bytes firstMask selects and at x - offset with
    // secondMask's (bits 16-23 component 0, 8-15 component 1, 0-7 component
    // 2), offset (layer - anchor) x max(maxShift / layers, 1). layers below
    // 1, a dst not of 3 components, src or depth smaller than dst, or a depth
    // picture not one 8-bit component: -9 before any write.
    static int CreateAnaglyph(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                              int32_t layers, bool grey, bool ascending, bool lastLayerFixed,
                              uint32_t firstMask, uint32_t secondMask, int32_t maxShift);

    // --- Tone curves (LxPicBufToneCurves.cpp) --------------------------------
    // The curve operations map src through one table a component into dst
    // (same size, bits and components, else -9); an input range [low, high]
    // is stretched to 0 .. 2^bits - 1. A table builder refusing its range
    // (high not above low) returns its -4 before any write. Up to 16 bits.

    // mode 0 linear, 1 histogram equalisation, 2 logarithmic, 3 exponential
    // (2 and 3 one component only, else -9), 4 gamma, 5 gamma window; other
    // modes -9.
    static int Contrast(SLxPicBuf* dst, const SLxPicBuf* src, int32_t mode, int32_t low,
                        int32_t high, double gamma);
    // Colour pictures: linear tables when all three gammas are exactly 1.0,
    // else gamma tables. 3 components, else -9.
    static int ComponentContrast(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t redLow,
                                 uint32_t greenLow, uint32_t blueLow, uint32_t redHigh,
                                 uint32_t greenHigh, uint32_t blueHigh, double redGamma,
                                 double greenGamma, double blueGamma);
    // Any component count: lows[c], highs[c], gammas[c] for component c.
    static int ComponentContrast(SLxPicBuf* dst, const SLxPicBuf* src, const uint32_t* lows,
                                 const uint32_t* highs, const double* gammas);
    // Gamma tables per colour component from white and black readings (see
    // the source file); 3 components, else -9.
    static int WhiteBalance(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t redWhite,
                            uint32_t greenWhite, uint32_t blueWhite, uint32_t redBlack,
                            uint32_t greenBlack, uint32_t blueBlack, int32_t blackFlag,
                            int32_t directFlag, double gamma);
    // Adds percent x 65535 / 100 to the saturation (Saturation) or degrees x
    // 255 / 360, wrapping, to the hue (Hue) of the intensity-saturation-hue
    // form and converts back. dst and src of the same size, else -9; the
    // conversions' -9 for other than 3 components.
    static int Saturation(SLxPicBuf* dst, const SLxPicBuf* src, int32_t percent);
    static int Hue(SLxPicBuf* dst, const SLxPicBuf* src, int32_t degrees);
    // dst = first (flag 0) or second (flag not 0), then the other picture's
    // pixels where the mask bit is set, over the part common to dst, that
    // picture and the mask. dst and first of the same size and components;
    // second of other bits or components -9, of other size placed at the
    // top-left of a zeroed picture of dst's size. Up to 16 bits.
    static int CombineViaBinary(SLxPicBuf* dst, const SLxPicBuf* first, const SLxPicBuf* second,
                                const SLxBinPicBuf* mask, int32_t flag);
    // In place: every component c of dst becomes min(a c / b, 2^bits - 1)
    // with a and b the numerator's and denominator's samples (a where b is
    // 0). Same size and bits as the numerator, numerator and denominator of
    // one format, else -9; a numerator of more than one component, or below
    // 8 bits, returns 0 untouched.
    static int ComponentsMulGrayDivGray(SLxPicBuf* dst, const SLxPicBuf* numerator,
                                        const SLxPicBuf* denominator);

    // --- Background (LxPicBufBackground.cpp) ---------------------------------

    // Removes a background estimated as the mean of the two middle values of
    // four slope-bounded lower envelopes (from the left, right, top and
    // bottom). slope: its magnitude held to 0.01 .. 2.0 (not a number as 0).
    // invert works on the complement, for bright backgrounds. Same size,
    // bits and components, else -9; the envelopes' or work picture's memory
    // refused: -9, dst unchanged. Below 8 bits a copy.
    static int BackgroundSubtraction(SLxPicBuf* dst, const SLxPicBuf* src, double slope,
                                     int32_t invert);

    // --- Rotation (LxPicBufRotate.cpp) ------------------------------------------
    // Angles in degrees, counter-clockwise on the screen (line 0 at the top).
    // Bilinear interpolation; only the destination pixels the rotated source
    // covers are written. Whole turns (angle / 360 a whole number, 0
    // included) copy the source moved by the integer parts of dstCentre -
    // srcCentre, without interpolation. Status: -2 for pictures of other
    // bits or components (or a missing one), and for fewer than 8 or more
    // than 16 bits; -9 for a record whose memory does not hold its lines; -4
    // for a non-finite angle or centre; -3 without memory for the spans. The
    // destination is untouched on every failure.

    static int RotateGeneral_LIN(SLxPicBuf* dst, const SLxPicBuf* src, SLxDPoint dstCentre,
                                 SLxDPoint srcCentre, double angle);
    // The same, reporting the covered span (first and last column, and the
    // line in y) of each covered destination line, in line order: leftEnds
    // and rightEnds must each hold as many entries as the destination has
    // lines, which *lineCount never exceeds. With either array null the
    // spans are not reported; *lineCount (when given) is set on every
    // return, 0 on failure.
    static int RotateGeneral_LIN(SLxPicBuf* dst, const SLxPicBuf* src, SLxDPoint dstCentre,
                                 SLxDPoint srcCentre, double angle, SLxIPoint* leftEnds,
                                 SLxIPoint* rightEnds, int* lineCount);
    // About the centres (width / 2 - 0.5, height / 2 - 0.5) of both pictures.
    static int RotateBuf_LIN(SLxPicBuf* dst, const SLxPicBuf* src, double angle);

    // --- Box smoothing, local contrast, Hilbert transform ------------------------
    // (LxPicBufSmoothSquare.cpp, LxPicBufLocalContrast.cpp, LxPicBufHilbert.cpp)
    // dst and src of the same width, height, bits and components (Check
    // option 2), else -9 with dst untouched; dst may be src.

    // The truncated mean of the size x size box from size - size / 2 pixels
    // left and above to size / 2 - 1 right and below, clipped to the picture
    // (the mean of the samples inside). Size 1 copies. One component, else
    // -2; size below 1 or above the smaller side -9; 1 to 7 bits 0 with dst
    // untouched, above 16 bits -2.
    static int SmoothSquare(SLxPicBuf* dst, const SLxPicBuf* src, int size);
    // Stretches each sample about the middle of the minimum and maximum of
    // its size x size window: (s - mid) x strength + mid, held to the depth;
    // option box-smooths the picture before the window is measured. size is
    // made even (below 3: 2), held to the smaller side - 1 and written back.
    // Colour pictures (3 components) work on their intensity, others on each
    // component. Pictures are worked in tiles of about 1000 x 1000 widened by
    // size pixels across and 2 size lines up and down (clipped to the
    // picture). A smaller side below 3 -9; 1 to 7 bits 0 untouched, above
    // 16 bits -2; -3 without memory.
    static int LocalContrast(SLxPicBuf* dst, const SLxPicBuf* src, int& size, double strength,
                             bool option);
    // The Hilbert transform along the direction angle (degrees) through the
    // 2-D Fourier transform of the source tiled to powers of two: spectrum
    // positions whose direction lies within 90 degrees of angle + 180 are
    // multiplied by -i, the others by +i; the zero frequency and positions on
    // the dividing line stay. Results of 0 or below become 0 (a picture
    // holds no negative values): a constant picture comes back unchanged,
    // rows 1000 + 500 cos(2 pi k x / W) become 1000 + 500 sin(...) at 0
    // degrees and stay themselves at 90. Angles are taken modulo 360. One
    // component of at most 16 bits, else -9; a non-finite angle -4; 1 to 7
    // bits -2; -3 without the complex work array.
    static int Hilbert(SLxPicBuf* dst, const SLxPicBuf* src, double angle);
    // The older form: 1-D transforms (zero frequency dropped, so a constant
    // gives 0) along every diagonal at exactly 45 degrees, then the Square3
    // smoothing; at other angles along the lines of the source rotated by
    // angle, rotated back. One component of at most 16 bits, else -9; 1 to
    // 7 bits -2; -2 when the diagonal (45 degrees: the height) of the rotated
    // picture reaches 4096; at 45 degrees a picture narrower or lower than 3
    // -9 (the smoothing's kernel); a non-finite angle -4; -3 without memory.
    // At other angles pixels the turned lines miss become 0.
    static int Hilbert_OLD(SLxPicBuf* dst, const SLxPicBuf* src, double angle);

    // --- Sequence noise and difference measures ---------------------------

    // Frame-to-frame noise of count pictures of one format (up to 16 bits)
    // over the range of values the sequence uses: sqrt(sum of squared
    // differences / (width x height x count)) / (high - low); 0 when the
    // pictures use one value only. -4 for fewer than two pictures, a missing
    // one or a format that changes; -2 above 16 bits; -3 without memory.
    static int CalcSeqSNR(SLxPicBuf* pictures, uint32_t count, double& result);
    // -10 ln(mean of |a - b| / max(a, b) over all samples); +inf for equal
    // pictures, 0.0 below 8 bits, -9.0 for a missing picture, different
    // formats or more than 16 bits.
    static double AvgDifferenceInDecibels(SLxPicBuf* a, SLxPicBuf* b);
};

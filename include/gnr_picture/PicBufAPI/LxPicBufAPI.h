// The picture record and the static operations that set it up, check two
// records against each other and copy one into another.
#pragma once

#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"
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
    // differ; -9 for a missing record or memory.
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
    // give -4 (but for the equal-size StretchRect, a CopyRect).

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

  private:
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
};

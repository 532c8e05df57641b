// Operations on one-bit pictures: the raw-memory layer (CLxBinPicMemAPI and
// the byte-line functions), the record operations, logic, canvas and shifts,
// and binary morphology by fixed structuring elements (CLxBinPicBufAPI).
//
// Status codes: 0 done; -2 an unknown BinaryOp of a raw copy; -3 no memory
// (or a block of 0x7FFFFFFF bytes or more); -4 a point outside a picture
// or a missing pointer; -9 pictures of unequal size, a null record, or a
// record whose block is missing or shorter than uiWidthBytes x uiHeight.
// Operations that fail change nothing unless said otherwise.
#pragma once

#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"
#include "w32_system/LxExport.h"

struct SLxPicBuf;
struct SLxContour;

extern "C" {

// Byte lines of n bytes, combined a machine word at a time, then byte by
// byte. a and b may be the same line.
LX_EXPORT void Memory_And(void* a, const void* b, uint32_t n);              // a &= b
LX_EXPORT void Memory_Or(void* a, const void* b, uint32_t n);               // a |= b
LX_EXPORT void Memory_Xor(void* a, const void* b, uint32_t n);              // a ^= b
LX_EXPORT void Memory_And_FillDestAndSource(void* a, void* b, uint32_t n);  // a &= b; b = a
LX_EXPORT void Memory_Or_FillDestAndSource(void* a, void* b, uint32_t n);   // a |= b; b = a
LX_EXPORT void Memory_Copy_2x(void* a, void* b, const void* s, uint32_t n); // a = s; b = s

// Complement kernels on raw runs (see CLxBinPicMemAPI): destination pixel =
// NOT source pixel, or every pixel of the run inverted in place. Bits outside
// the run keep their values. 0; -4 for a null pointer.
LX_EXPORT int neg_bin_to_bin(uint8_t* dst, uint32_t dstBit, uint32_t dstWB, const uint8_t* src,
                             uint32_t srcBit, uint32_t srcWB, uint32_t width, uint32_t count);
LX_EXPORT int neg_on_bin(uint8_t* data, uint32_t bit, uint32_t wb, uint32_t width, uint32_t count);

} // extern "C"

// The raw layer. A run is a byte pointer, a start bit (pixel index counted
// from that byte's most significant bit; 8 or more moves the pointer by
// bit / 8 bytes), the bytes per line, a width in pixels and a pixel count:
// count / width lines (a remainder is ignored). A width or count of 0 does
// nothing (0). Only the width pixels of each line change.
class LX_EXPORT CLxBinPicMemAPI
{
  public:
    // How a computed line goes into the destination. Other values: raw
    // copies give -2, the line shifts write nothing.
    enum BinaryOp : int32_t {
        eBinReplace = 0,
        eBinOr = 1,
        eBinAnd = 2,
    };

    // True when every one of the width pixels a line is equal; false for a
    // width or count of 0 or a null pointer.
    static bool IsEqual(const void* a, uint32_t aBit, uint32_t aWB, const void* b, uint32_t bBit,
                        uint32_t bWB, uint32_t width, uint32_t count);
    // Puts width source pixels a line into the destination by op.
    static int Copy(void* dst, uint32_t dstBit, uint32_t dstWB, const void* src, uint32_t srcBit,
                    uint32_t srcWB, uint32_t width, uint32_t count, BinaryOp op);
    // Destination pixel = NOT source pixel (neg_bin_to_bin).
    static int Complement(void* dst, uint32_t dstBit, uint32_t dstWB, const void* src,
                          uint32_t srcBit, uint32_t srcWB, uint32_t width, uint32_t count);
    // Inverts the run in place (neg_on_bin).
    static int Complement(void* data, uint32_t bit, uint32_t wb, uint32_t width, uint32_t count);
    // The pixel at (x, y) of a run starting at bit 0; -4 (result unset)
    // when x >= width, y >= count / width or a pointer is null.
    static int GetValue(bool* result, uint32_t x, uint32_t y, const void* data, uint32_t wb,
                        uint32_t width, uint32_t count);
    // Forward to stretch_bin_to_bin and stretchdisplay_bin_to_bin
    // (LxStretchKernels.h), which say what the numbers mean.
    static int Stretch(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void* src,
                       uint32_t srcWB, uint32_t srcHeight, uint32_t srcX, uint32_t srcY,
                       uint32_t srcW, uint32_t srcH);
    static int StretchDisplay(void* dst, uint32_t winW, uint32_t winH, uint32_t dstWB,
                              uint32_t dispW, uint32_t dispH, uint32_t winX, uint32_t winY,
                              const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB);

    // Whole-byte line shifts over n bytes. Left: result byte i = (byte i <<
    // 1) | (top bit of byte i + 1), a 0 entering the last byte. Right: result
    // byte i = (byte i >> 1) | (low bit of byte i - 1) << 7, a 0 entering the
    // first byte. Put by op; another op writes nothing. dst may be src.
    static void ShiftLineLeft(void* dst, const void* src, uint32_t n, BinaryOp op);
    static void ShiftLineRight(void* dst, const void* src, uint32_t n, BinaryOp op);
    static void ShiftLineLeftInplace(void* line, uint32_t n);
    static void ShiftLineRightInplace(void* line, uint32_t n);

    // Rotation through 8-bit pictures (set = 255): CLxPicMemAPI::Rotate with
    // nearest neighbour, background 0, the angle and fit flag passed on, then
    // every destination bit = (rotated sample == 255). The first failing
    // status; -3 when the temporaries cannot be had; -4 for null pointers or
    // line bytes too short; nothing written on failure.
    static int Rotate(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstWB, const void* src,
                      uint32_t srcW, uint32_t srcH, uint32_t srcWB, double angle, bool fit);
    // The same through CLxPicMemAPI::RotateMatrix.
    static int RotateMatrix(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstWB,
                            const void* src, uint32_t srcW, uint32_t srcH, uint32_t srcWB,
                            double m0, double m1, double m2, double m3, double m4, double m5);
};

// Whole-picture operations. Pictures of one call must have equal width and
// height (line lengths may differ). Whole-line operations (logic, Copy,
// Copy_2x, FlipCopy, the shifts) work on whole bytes of the smaller line
// length and carry padding along; pixel operations touch only the pixels
// named.
class LX_EXPORT CLxBinPicBufAPI
{
  public:
    // --- The record -----------------------------------------------------------
    static void Init(SLxBinPicBuf* pic);
    // (width + 7) / 8 rounded up to a multiple of alignment; 0 for
    // alignment 0.
    static uint32_t CalcWidthBytes(uint32_t width, uint32_t alignment);
    // Sizes the record: widthBytes 0 = ((width + 7) / 8 + 3) & ~3; the block
    // is resized (contents kept up to the smaller size), cleared when clear
    // is set. -3, record zeroed and old block freed, for a width or height
    // of 0, line bytes shorter than the width, a size of 0x7FFFFFFF bytes or
    // more, or no memory.
    static int Reinit(SLxBinPicBuf* pic, uint32_t width, uint32_t height, uint32_t widthBytes,
                      bool clear);
    // Frees the block; the other fields keep their values.
    static void Free(SLxBinPicBuf* pic);
    // Every byte of the block (padding too) 0xFF or 0x00.
    static void Memset(SLxBinPicBuf* pic, bool value);
    // Equal size and every pixel equal (padding ignored); false for a
    // picture without pixels.
    static bool IsEqual(const SLxBinPicBuf* a, const SLxBinPicBuf* b);
    // True for null or a block of zero bytes (padding included).
    static bool IsEmpty(const SLxBinPicBuf* pic);
    static bool IsEqualSize(const SLxBinPicBuf* a, const SLxBinPicBuf* b);
    static void Swap(SLxBinPicBuf* a, SLxBinPicBuf* b);
    // Takes the source's geometry and pixels; -9 for null or a source
    // without a valid block, -3 without memory (destination then empty).
    static int ReinitAndCopyFromSource(SLxBinPicBuf* dst, const SLxBinPicBuf* src);

    // --- Logic, canvas, shifts ----------------------------------------------------
    // Placement flags of ResizeCanvas and AdjustCanvas: 0 top left; 2 centred
    // horizontally; 4 right; 32 centred vertically; 64 bottom (2 wins over
    // 4, 32 over 64).
    enum : uint32_t {
        eCanvasCenterX = 2,
        eCanvasRight = 4,
        eCanvasCenterY = 32,
        eCanvasBottom = 64,
    };

    // The first min(heights) lines, min(line bytes) bytes each.
    static void Copy(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // The top-left min(widths) x min(heights) pixels.
    static void Copy_FitToDest(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // A width x height block from (srcX, srcY) to (dstX, dstY); nothing when
    // either rectangle leaves its picture.
    static void CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                         SLxBinPicBuf* dst, uint32_t srcX, uint32_t srcY, const SLxBinPicBuf* src);
    // Copies the min(widths) x min(heights) overlap between the places the
    // flags give in each picture; other destination pixels keep their values.
    static void ResizeCanvas(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t flags);
    // New size with default line length, overlap kept by the flags, the rest
    // cleared. Nothing at the same size. Without memory the picture ends
    // empty.
    static void AdjustCanvas(SLxBinPicBuf* pic, uint32_t width, uint32_t height, uint32_t flags);
    static void Complement(SLxBinPicBuf* pic);
    static void Complement(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // dst line op= src line for every line; nothing unless equal size.
    static void And(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    static void Or(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    static void Xor(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // a op= b, then b = a.
    static void And_FillDestAndSource(SLxBinPicBuf* a, SLxBinPicBuf* b);
    static void Or_FillDestAndSource(SLxBinPicBuf* a, SLxBinPicBuf* b);
    // a = b = src; unequal sizes are reported through DiagAssertW and copy
    // nothing.
    static void Copy_2x(SLxBinPicBuf* a, SLxBinPicBuf* b, const SLxBinPicBuf* src);
    // Destination line y = source line n - 1 - y, n = min(heights).
    static void FlipCopy(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // Pixel x receives source pixel x + 1 (left) or x - 1 (right), put by op;
    // the entering pixel (width - 1 or 0) receives 0.
    static int ShiftLeft(SLxBinPicBuf* dst, const SLxBinPicBuf* src, CLxBinPicMemAPI::BinaryOp op);
    static int ShiftRight(SLxBinPicBuf* dst, const SLxBinPicBuf* src, CLxBinPicMemAPI::BinaryOp op);
    // In place; the border pixel keeps its value (the picture clamped).
    static int ShiftLeftInplace(SLxBinPicBuf* pic);
    static int ShiftRightInplace(SLxBinPicBuf* pic);
    // Line y receives source line y + 1 (up) or y - 1 (down), put by op; the
    // border line combines with itself.
    static int ShiftUp(SLxBinPicBuf* dst, const SLxBinPicBuf* src, CLxBinPicMemAPI::BinaryOp op);
    static int ShiftDown(SLxBinPicBuf* dst, const SLxBinPicBuf* src, CLxBinPicMemAPI::BinaryOp op);

    // --- Morphology -------------------------------------------------------------
    // Erosion sets a pixel when every source pixel at the element's offsets
    // is set, dilation when any is; both use the same offsets. Outside pixels
    // count as the nearest border pixel in every step. The destination must
    // be neither the source nor a scratch picture (-9). Elements: 3x3 square;
    // 2x2 square at offsets 0..1 (flag false) or -1..0 (flag true); 4x4
    // octagon = that 2x2 then the cross; 5x5 octagon = 3x3 then the cross;
    // the cross; lines 000 (-1,0)(0,0)(1,0), 045 (-1,1)(0,0)(1,-1), 090
    // (0,-1)(0,0)(0,1), 135 (-1,-1)(0,0)(1,1).
    static int Erode3x3(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int Dilate3x3(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int Erode2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp, bool flag);
    static int Dilate2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp, bool flag);
    static int Erode4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                           SLxBinPicBuf* tmp2, bool flag);
    static int Dilate4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                            SLxBinPicBuf* tmp2, bool flag);
    static int Erode5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                           SLxBinPicBuf* tmp2);
    static int Dilate5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp1,
                            SLxBinPicBuf* tmp2);
    static int Erode3x3Cross(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int Dilate3x3Cross(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinErode_000(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinErode_045(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinErode_090(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinErode_135(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinDilate_000(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinDilate_045(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinDilate_090(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);
    static int LinDilate_135(SLxBinPicBuf* dst, const SLxBinPicBuf* src, SLxBinPicBuf* tmp);

    // Repeated passes, n = min(count, cap): 3x3 and 2x2 max(width, height);
    // octagons, cross, 045 and 135 max(width, height) / 2; 000 width / 2;
    // 090 height / 2. n = 0 leaves the destination. The 2x2 and 4x4 forms
    // use flag on even passes and !flag on odd ones (two 2x2 passes make a
    // centred 3x3). Scratch is made once up front: -3 before any pass when
    // it cannot be had.
    static int Erode3x3_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Dilate3x3_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Erode2x2_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                              bool flag);
    static int Dilate2x2_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                               bool flag);
    static int Erode4x4Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                                 bool flag);
    static int Dilate4x4Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                                  bool flag);
    static int Erode5x5Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Dilate5x5Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Erode3x3Cross_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Dilate3x3Cross_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinErode_000_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinErode_045_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinErode_090_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinErode_135_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinDilate_000_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinDilate_045_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinDilate_090_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinDilate_135_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);

    // Openings (erosion by n, then dilation by n) and closings (the other
    // way), n = min(count, max(width, height) / 2). The 2x2 and 4x4 forms
    // erode with flag true and dilate with flag false.
    static int Open3x3_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Close3x3_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Open2x2_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Close2x2_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Open4x4Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Close4x4Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Open5x5Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Close5x5Oct_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Open3x3Cross_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int Close3x3Cross_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinOpen_000_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinOpen_045_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinOpen_090_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinOpen_135_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinClose_000_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinClose_045_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinClose_090_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);
    static int LinClose_135_Count(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count);

    // The one-pixel boundary: inner false, (source dilated once) XOR source;
    // inner true, (source eroded once) XOR source; square true the 3x3
    // square, false the cross.
    static int Contour(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool inner, bool square);

    // --- Objects ----------------------------------------------------------------
    // Working pictures are made and freed per call; -3 (destination
    // unchanged) when one cannot be had. The source is never written, and
    // the destination may be the source.

    // The source with every hole filled: a hole is a 4-connected background
    // region that does not touch the border.
    static int FillHoles(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // The 8-connected components of mask holding a set marker pixel; dst may
    // be the marker or the mask.
    static int ConditionalDilate(SLxBinPicBuf* dst, const SLxBinPicBuf* marker,
                                 const SLxBinPicBuf* mask);
    // Removes the 8-connected objects (objects true) or fills the holes
    // (false) that count erosions by the shape wipe out, count capped at
    // max(width, height) / 2. The 2x2 and 4x4 erosions start with flag true.
    static int Clean2x2(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count, bool objects);
    static int Clean3x3(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count, bool objects);
    static int Clean4x4Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                           bool objects);
    static int Clean5x5Oct(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t count,
                           bool objects);
    // Set where at least 5 of the 3 x 3 neighbourhood are set, edge pixels
    // standing in for those outside.
    static int Smooth(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // Marks with passes the regional maxima (8-connected plateaus above all
    // their neighbours inside the picture) of a 16-bit one-component map
    // that remain after passes - 1 rounds of sinking every regional maximum
    // by one, which lowers src in place. dst (the same format and size, not
    // src) is cleared first; passes 0 leaves it clear. -9 for another
    // format or size, nothing changed.
    static int UltimateErosion(SLxPicBuf* dst, SLxPicBuf* src, uint16_t passes);

    // dst = the union of the filled convex hulls of the 8-connected objects
    // of src. A hull's vertices are the contour's support points for a fan
    // of directions step degrees apart (a larger step, a coarser polygon);
    // objects of one or two contour points keep their pixels. The flags
    // are not used. -9 for unequal sizes, -4 for a step below 1, -3 without
    // working memory; dst unchanged then.
    static int ConvexHull(SLxBinPicBuf* dst, const SLxBinPicBuf* src, bool flag1, bool flag2,
                          int step);
    // Perimeter and area (enclosed area plus half the perimeter) of the hull
    // of a contour, with a 5-degree fan; one point gives 2.68 and 1.0, two
    // 4.57 and 2.0. -9 with both 0 for a null or empty contour.
    static int CalculateConvexityFeatures(const SLxContour* contour, double& perimeter,
                                          double& area);

    // --- Thinning, thickening, pruning, zones of influence -----------------------
    // These work on one-component 16-bit working pictures of (W + 2) x (H + 2)
    // samples whose outer ring is a frame; the source is never written. -9
    // (nothing written) when dst and src differ in size or lack pixels; -3
    // (dst unchanged) when working memory cannot be had.

    // dst = the one-pixel-wide centre lines of src's objects: peeling in
    // order of distance (metric 3, 15, 16 or 17 of
    // CLxPicBufAPI::DistanceFunction; any other value means 17), then corner
    // steps, spurs (spurMode 2: one level step on a distance plateau, else
    // two) and one-pixel bumps removed. With extend, each line end is
    // prolonged to the object's border: along the last extensionLength
    // pixels of its line, or along the object's main axis for shorter
    // branches and single points (a length below 1 counts as 1).
    static int Thinning(SLxBinPicBuf* dst, const SLxBinPicBuf* src, int metric, int spurMode,
                        int extensionLength, int extend);
    // dst = src's objects grown into the background nearest first (chessboard
    // distance), one level a pass, never joining two objects; passes 0 means
    // up to 1000, a negative count grows nothing. With useMask, growth and
    // source pixels outside mask (its top-left overlap with src) are
    // dropped; mask then must have pixels (-9).
    static int Thickening(SLxBinPicBuf* dst, const SLxBinPicBuf* mask, const SLxBinPicBuf* src,
                          int passes, bool useMask);
    // Each sample of dst's top-left W x H = value where src is set, else 0
    // (value cut to 16 bits).
    static int Unpack1to16(SLxPicBuf* dst, const SLxBinPicBuf* src, uint32_t value);
    // src unpacked with 65535 into dst from column n, row n; other samples
    // keep their values.
    static int Unpack1to16Expand(SLxPicBuf* dst, const SLxBinPicBuf* src, uint32_t border);
    // dst's W x H pixels = (sample of src at column x + n, row y + n) != 0.
    // The three conversions: -9 unless the 16-bit picture has one component
    // of 16 bits and at least (W + 2n) x (H + 2n) samples and the one-bit
    // picture has pixels; else the raw kernel's status.
    static int Pack16NZto1DExpand(SLxBinPicBuf* dst, const SLxPicBuf* src, uint32_t border);

    // dst = src with up to steps layers of 8-connected line ends taken off
    // every object (0 means 1000 layers, a negative count until nothing
    // changes). Objects running into the picture's edge are continued by it.
    static int Pruning(SLxBinPicBuf* dst, const SLxBinPicBuf* src, int steps);
    // dst = the lines that part the zones of influence of src's objects: the
    // background thinned by hit-or-miss templates and its dead ends removed.
    // No pixel of a source object is ever set.
    static int CalculateZonesOfInfluence(SLxBinPicBuf* dst, const SLxBinPicBuf* src);
    // Sets or clears pixel (x, y); -4 (nothing changed) outside the picture
    // or for a picture without pixels.
    static int SetPixel(SLxBinPicBuf* pic, int x, int y, bool value);
    // Sets the pixels of the disc (x - cx)^2 + (y - cy)^2 <= (radius - 0.5)^2
    // that lie in the picture; radius 0 sets none. 0; -4 for a picture
    // without pixels.
    static int AddCircle(SLxBinPicBuf* pic, uint32_t radius, int cx, int cy);
};

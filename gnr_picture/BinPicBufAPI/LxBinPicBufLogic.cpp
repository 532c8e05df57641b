// Whole-picture logic, copies, canvas changes and one-pixel shifts.
#include <cstring>

#include "LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lx_bin;
using Op = CLxBinPicMemAPI::BinaryOp;

namespace
{

// Offset of the overlap inside a picture's extent by the placement flags.
uint32_t Place(uint32_t extent, uint32_t overlap, uint32_t flags, uint32_t centre, uint32_t end)
{
    if (flags & centre)
        return (extent - overlap) / 2;
    if (flags & end)
        return extent - overlap;
    return 0;
}

bool RectInside(const SLxBinPicBuf* pic, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    return static_cast<uint64_t>(x) + w <= pic->uiWidth &&
           static_cast<uint64_t>(y) + h <= pic->uiHeight;
}

template <class LineFn> void EachLine(SLxBinPicBuf* dst, const SLxBinPicBuf* src, LineFn fn)
{
    uint32_t n = MinLineBytes(dst, src);
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        fn(Line(dst, y), Line(src, y), n);
}

// Combines lines whole bytes at a time by op; other ops leave the line.
void PutLine(uint8_t* dst, const uint8_t* src, uint32_t n, Op op)
{
    switch (op) {
    case CLxBinPicMemAPI::eBinReplace:
        std::memmove(dst, src, n);
        break;
    case CLxBinPicMemAPI::eBinOr:
        Memory_Or(dst, src, n);
        break;
    case CLxBinPicMemAPI::eBinAnd:
        Memory_And(dst, src, n);
        break;
    default:
        break;
    }
}

bool KnownOp(Op op)
{
    return op == CLxBinPicMemAPI::eBinReplace || op == CLxBinPicMemAPI::eBinOr ||
           op == CLxBinPicMemAPI::eBinAnd;
}

} // namespace

void CLxBinPicBufAPI::Copy(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!HasPixels(dst) || !HasPixels(src) || dst == src)
        return;
    uint32_t lines = dst->uiHeight < src->uiHeight ? dst->uiHeight : src->uiHeight;
    uint32_t n = MinLineBytes(dst, src);
    if (dst->uiWidthBytes == src->uiWidthBytes) {
        std::memmove(dst->pData, src->pData, static_cast<size_t>(n) * lines);
        return;
    }
    for (uint32_t y = 0; y < lines; ++y)
        std::memmove(Line(dst, y), Line(src, y), n);
}

void CLxBinPicBufAPI::Copy_FitToDest(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!HasPixels(dst) || !HasPixels(src))
        return;
    uint32_t w = dst->uiWidth < src->uiWidth ? dst->uiWidth : src->uiWidth;
    uint32_t h = dst->uiHeight < src->uiHeight ? dst->uiHeight : src->uiHeight;
    CopyRect(0, 0, w, h, dst, 0, 0, src);
}

void CLxBinPicBufAPI::CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                               SLxBinPicBuf* dst, uint32_t srcX, uint32_t srcY,
                               const SLxBinPicBuf* src)
{
    if (!HasPixels(dst) || !HasPixels(src) || width == 0 || height == 0 ||
        !RectInside(dst, dstX, dstY, width, height) || !RectInside(src, srcX, srcY, width, height))
        return;
    // Line by line so that the pixel count never overflows 32 bits.
    for (uint32_t y = 0; y < height; ++y)
        CLxBinPicMemAPI::Copy(Line(dst, dstY + y), dstX, 0, Line(src, srcY + y), srcX, 0, width,
                              width, CLxBinPicMemAPI::eBinReplace);
}

void CLxBinPicBufAPI::ResizeCanvas(SLxBinPicBuf* dst, const SLxBinPicBuf* src, uint32_t flags)
{
    if (!HasPixels(dst) || !HasPixels(src))
        return;
    uint32_t w = dst->uiWidth < src->uiWidth ? dst->uiWidth : src->uiWidth;
    uint32_t h = dst->uiHeight < src->uiHeight ? dst->uiHeight : src->uiHeight;
    CopyRect(Place(dst->uiWidth, w, flags, eCanvasCenterX, eCanvasRight),
             Place(dst->uiHeight, h, flags, eCanvasCenterY, eCanvasBottom), w, h, dst,
             Place(src->uiWidth, w, flags, eCanvasCenterX, eCanvasRight),
             Place(src->uiHeight, h, flags, eCanvasCenterY, eCanvasBottom), src);
}

void CLxBinPicBufAPI::AdjustCanvas(SLxBinPicBuf* pic, uint32_t width, uint32_t height,
                                   uint32_t flags)
{
    if (!pic || (pic->uiWidth == width && pic->uiHeight == height))
        return;
    SLxBinPicBuf fresh;
    Init(&fresh);
    if (Reinit(&fresh, width, height, 0, true) == 0)
        ResizeCanvas(&fresh, pic, flags);
    CLxAlloc::Free(pic->pData);
    *pic = fresh;
}

void CLxBinPicBufAPI::Complement(SLxBinPicBuf* pic)
{
    if (!HasPixels(pic))
        return;
    for (uint32_t y = 0; y < pic->uiHeight; ++y)
        neg_on_bin(Line(pic, y), 0, 0, pic->uiWidth, pic->uiWidth);
}

void CLxBinPicBufAPI::Complement(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!SameSize(dst, src))
        return;
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        neg_bin_to_bin(Line(dst, y), 0, 0, Line(src, y), 0, 0, dst->uiWidth, dst->uiWidth);
}

void CLxBinPicBufAPI::And(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (SameSize(dst, src))
        EachLine(dst, src, [](uint8_t* d, const uint8_t* s, uint32_t n) { Memory_And(d, s, n); });
}

void CLxBinPicBufAPI::Or(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (SameSize(dst, src))
        EachLine(dst, src, [](uint8_t* d, const uint8_t* s, uint32_t n) { Memory_Or(d, s, n); });
}

void CLxBinPicBufAPI::Xor(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (SameSize(dst, src))
        EachLine(dst, src, [](uint8_t* d, const uint8_t* s, uint32_t n) { Memory_Xor(d, s, n); });
}

void CLxBinPicBufAPI::And_FillDestAndSource(SLxBinPicBuf* a, SLxBinPicBuf* b)
{
    if (!SameSize(a, b))
        return;
    uint32_t n = MinLineBytes(a, b);
    for (uint32_t y = 0; y < a->uiHeight; ++y)
        Memory_And_FillDestAndSource(Line(a, y), Line(b, y), n);
}

void CLxBinPicBufAPI::Or_FillDestAndSource(SLxBinPicBuf* a, SLxBinPicBuf* b)
{
    if (!SameSize(a, b))
        return;
    uint32_t n = MinLineBytes(a, b);
    for (uint32_t y = 0; y < a->uiHeight; ++y)
        Memory_Or_FillDestAndSource(Line(a, y), Line(b, y), n);
}

void CLxBinPicBufAPI::Copy_2x(SLxBinPicBuf* a, SLxBinPicBuf* b, const SLxBinPicBuf* src)
{
    if (!SameSize(a, src) || !SameSize(b, src)) {
        DiagAssertW(0, u"true", u"K3LxBinPicBuf::Copy_2x, sour and dest sizes are different",
                    "gnr_picture/BinPicBufAPI/BinPicBufAPI", 356);
        return;
    }
    Copy(a, src);
    Copy(b, src);
}

void CLxBinPicBufAPI::FlipCopy(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!HasPixels(dst) || !HasPixels(src) || dst == src)
        return;
    uint32_t lines = dst->uiHeight < src->uiHeight ? dst->uiHeight : src->uiHeight;
    uint32_t n = MinLineBytes(dst, src);
    for (uint32_t y = 0; y < lines; ++y)
        std::memmove(Line(dst, y), Line(src, lines - 1 - y), n);
}

int CLxBinPicBufAPI::ShiftLeft(SLxBinPicBuf* dst, const SLxBinPicBuf* src, Op op)
{
    if (!SameSize(dst, src))
        return -9;
    if (!KnownOp(op))
        return 0;
    uint32_t n = MinLineBytes(dst, src);
    uint32_t last = dst->uiWidth - 1;
    for (uint32_t y = 0; y < dst->uiHeight; ++y) {
        uint8_t* d = Line(dst, y);
        bool kept = GetBit(d, last);
        CLxBinPicMemAPI::ShiftLineLeft(d, Line(src, y), n, op);
        // The pixel entering from the right is 0, whatever the padding holds.
        SetBit(d, last, op == CLxBinPicMemAPI::eBinOr ? kept : false);
    }
    return 0;
}

int CLxBinPicBufAPI::ShiftRight(SLxBinPicBuf* dst, const SLxBinPicBuf* src, Op op)
{
    if (!SameSize(dst, src))
        return -9;
    uint32_t n = MinLineBytes(dst, src);
    for (uint32_t y = 0; y < dst->uiHeight; ++y)
        CLxBinPicMemAPI::ShiftLineRight(Line(dst, y), Line(src, y), n, op);
    return 0;
}

int CLxBinPicBufAPI::ShiftLeftInplace(SLxBinPicBuf* pic)
{
    if (!HasPixels(pic))
        return -9;
    uint32_t last = pic->uiWidth - 1;
    for (uint32_t y = 0; y < pic->uiHeight; ++y) {
        uint8_t* line = Line(pic, y);
        bool kept = GetBit(line, last);
        CLxBinPicMemAPI::ShiftLineLeftInplace(line, pic->uiWidthBytes);
        SetBit(line, last, kept);
    }
    return 0;
}

int CLxBinPicBufAPI::ShiftRightInplace(SLxBinPicBuf* pic)
{
    if (!HasPixels(pic))
        return -9;
    for (uint32_t y = 0; y < pic->uiHeight; ++y) {
        uint8_t* line = Line(pic, y);
        bool kept = GetBit(line, 0);
        CLxBinPicMemAPI::ShiftLineRightInplace(line, pic->uiWidthBytes);
        if (kept)
            SetBit(line, 0, true);
    }
    return 0;
}

int CLxBinPicBufAPI::ShiftUp(SLxBinPicBuf* dst, const SLxBinPicBuf* src, Op op)
{
    if (!SameSize(dst, src))
        return -9;
    uint32_t n = MinLineBytes(dst, src);
    uint32_t h = dst->uiHeight;
    for (uint32_t y = 0; y + 1 < h; ++y)
        PutLine(Line(dst, y), Line(src, y + 1), n, op);
    PutLine(Line(dst, h - 1), Line(src, h - 1), n, op);
    return 0;
}

int CLxBinPicBufAPI::ShiftDown(SLxBinPicBuf* dst, const SLxBinPicBuf* src, Op op)
{
    if (!SameSize(dst, src))
        return -9;
    uint32_t n = MinLineBytes(dst, src);
    // Bottom up, so that the source may be the destination.
    for (uint32_t y = dst->uiHeight - 1; y > 0; --y)
        PutLine(Line(dst, y), Line(src, y - 1), n, op);
    PutLine(Line(dst, 0), Line(src, 0), n, op);
    return 0;
}

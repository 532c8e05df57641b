// Copies by component and rectangle, canvas changes and fills.
#include <algorithm>
#include <cstring>
#include <utility>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lxpicbuf;

namespace
{

// Lines of a w x h rectangle moved within one picture's memory, in the order
// that reads every line before the move overwrites it.
void moveRectLines(uint8_t* to, const uint8_t* from, size_t pitch, size_t bytes, uint32_t h)
{
    if (to > from) {
        for (uint32_t y = h; y-- > 0;)
            std::memmove(to + y * pitch, from + y * pitch, bytes);
    } else {
        for (uint32_t y = 0; y < h; ++y)
            std::memmove(to + y * pitch, from + y * pitch, bytes);
    }
}

} // namespace

int CLxPicBufAPI::CopyComp(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status =
        prepare(dst, src, eLxCheckBits, u"CLxPicBufAPI::Copy, sour and dest must have same bpc");
    if (status != 0)
        return status;
    if (dst->uiComps == src->uiComps)
        return Copy(dst, src);
    const size_t sample = CalcCompSize(src->uiBpc);
    const size_t kept = std::min(dst->uiComps, src->uiComps) * sample;
    const size_t dstPixel = dst->uiComps * sample;
    forEachPixelPair(*dst, *src, std::min(dst->uiWidth, src->uiWidth),
                     std::min(dst->uiHeight, src->uiHeight), [&](uint8_t* d, const uint8_t* s) {
                         std::memcpy(d, s, kept);
                         std::memset(d + kept, 0, dstPixel - kept);
                     });
    return 0;
}

int CLxPicBufAPI::CopyRect(uint32_t dstX, uint32_t dstY, uint32_t width, uint32_t height,
                           SLxPicBuf* dst, uint32_t srcX, uint32_t srcY, const SLxPicBuf* src)
{
    const int status = prepare(dst, src, eLxCheckBitsComps,
                               u"CLxPicBufAPI::CopyRect, sour and dest must have the same format");
    if (status != 0)
        return status;
    if (!rectInside(*dst, dstX, dstY, width, height) ||
        !rectInside(*src, srcX, srcY, width, height)) {
        LX_DIAG_ASSERT_TEXT(u"rectInside(dst) && rectInside(src)",
                            u"CLxPicBufAPI::CopyRect, rectangle outside the picture");
        return -4;
    }
    if (width == 0 || height == 0)
        return 0;
    uint8_t* to = pixelAddress(*dst, dstX, dstY);
    const uint8_t* from = pixelAddress(*src, srcX, srcY);
    if (dst->pData != src->pData)
        return CLxPicMemAPI::Copy(to, dst->uiWidthBytes, from, src->uiWidthBytes, dst->uiComps,
                                  dst->uiBpc, width, width * height);
    // One picture: the two rectangles may overlap.
    moveRectLines(to, from, dst->uiWidthBytes,
                  size_t(width) * dst->uiComps * CalcCompSize(dst->uiBpc), height);
    return 0;
}

int CLxPicBufAPI::ResizeCanvas(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t /*reserved*/)
{
    if (!dst || !src)
        return prepare(dst, src, eLxCheckBitsComps, nullptr); // the common refusal
    return CopyRect(0, 0, std::min(dst->uiWidth, src->uiWidth),
                    std::min(dst->uiHeight, src->uiHeight), dst, 0, 0, src);
}

int CLxPicBufAPI::AdjustCanvasRGB(SLxPicBuf* pic, uint32_t newWidth, uint32_t newHeight,
                                  uint32_t reserved, const uint32_t* color)
{
    int status = prepare(pic);
    if (status != 0)
        return status;
    if (pic->uiWidth == newWidth && pic->uiHeight == newHeight)
        return 0;
    // The new canvas is complete before the caller's picture is touched, so
    // every failure leaves that picture as it was.
    CLxPicBufReplacement canvas;
    status = canvas.allocate(newWidth, newHeight, pic->uiBpc, pic->uiComps, color == nullptr);
    if (status == 0 && color)
        status = FillWithColorRGB(canvas.get(), color);
    if (status == 0)
        status = ResizeCanvas(canvas.get(), pic, reserved);
    if (status == 0)
        canvas.commit(pic);
    return status;
}

int CLxPicBufAPI::FillWithColorRGB(SLxPicBuf* pic, const uint32_t* color)
{
    const int status = prepare(pic);
    if (status != 0)
        return status;
    if (!color)
        return -4;
    if (isEmpty(*pic))
        return 0;
    // The converter serves at most 4 components of at most 2 bytes.
    uint8_t pixel[4 * sizeof(uint16_t)];
    if (pic->uiComps > 4)
        return -2;
    const int built =
        CLxPicMemAPI::ConvertComponentsToPixelRGB(pixel, color, pic->uiComps, pic->uiBpc);
    if (built != 0)
        return built;
    return CLxPicMemAPI::SetValue(pic->pData, pic->uiComps, pic->uiBpc, pic->uiWidthBytes, pixel,
                                  pic->uiWidth, pixelCount(*pic));
}

int CLxPicBufAPI::Clear(SLxPicBuf* pic)
{
    const int status = prepare(pic);
    if (status == 0 && pic->pData)
        std::memset(pic->pData, 0, pic->uiSize);
    return status;
}

int CLxPicBufAPI::Swap(SLxPicBuf* a, SLxPicBuf* b)
{
    if (!a || !b)
        return prepare(a, b, eLxCheckSize, nullptr); // the common refusal
    std::swap(*a, *b);
    return 0;
}

// Whole-picture and rectangle stretches over the raw-memory stretch.
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchDispatch.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lxpicbuf;

namespace
{

// The source rectangle onto the destination rectangle, both inside their
// pictures. The filters' taps reach the picture's real neighbours of the
// rectangle on every side, up to the picture's own width (never the line
// padding). The resampling reads source lines after it has written
// destination lines, so one memory cannot be both.
int stretchRect(SLxPicBuf& dst, uint32_t dstX, uint32_t dstY, uint32_t dstW, uint32_t dstH,
                const SLxPicBuf& src, uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcH,
                CLxPicMemAPI::ELxPicStretchMode mode)
{
    if (dstW == 0 || dstH == 0)
        return 0;
    if (srcW == 0 || srcH == 0)
        return -9;
    if (dst.pData == src.pData)
        return -4;
    return lxstretch::stretch(pixelAddress(dst, dstX, dstY), dst.uiComps, dst.uiWidthBytes,
                              dst.uiBpc, dstW, dstH, pixelAddress(src, srcX, srcY),
                              src.uiWidthBytes, src.uiHeight, srcX, srcY, srcW, srcH, int(mode),
                              src.uiWidth);
}

} // namespace

int CLxPicBufAPI::Stretch(SLxPicBuf* dst, const SLxPicBuf* src,
                          CLxPicMemAPI::ELxPicStretchMode mode)
{
    const int status = prepare(dst, src, eLxCheckBitsComps,
                               u"CLxPicBufAPI::Stretch, sour and dest must have the same format");
    if (status != 0)
        return status;
    return stretchRect(*dst, 0, 0, dst->uiWidth, dst->uiHeight, *src, 0, 0, src->uiWidth,
                       src->uiHeight, mode);
}

int CLxPicBufAPI::StretchRect(SLxPicBuf* dst, uint32_t dstX, uint32_t dstY, uint32_t dstWidth,
                              uint32_t dstHeight, const SLxPicBuf* src, uint32_t srcX,
                              uint32_t srcY, uint32_t srcWidth, uint32_t srcHeight,
                              CLxPicMemAPI::ELxPicStretchMode mode)
{
    const int status =
        prepare(dst, src, eLxCheckBitsComps,
                u"CLxPicBufAPI::StretchRect, sour and dest must have the same format");
    if (status != 0)
        return status;
    if (!rectInside(*dst, dstX, dstY, dstWidth, dstHeight) ||
        !rectInside(*src, srcX, srcY, srcWidth, srcHeight)) {
        LX_DIAG_ASSERT_TEXT(u"rectInside(dst) && rectInside(src)",
                            u"CLxPicBufAPI::StretchRect, rectangle outside the picture");
        return -4;
    }
    if (dstWidth == srcWidth && dstHeight == srcHeight)
        return CopyRect(dstX, dstY, dstWidth, dstHeight, dst, srcX, srcY, src);
    return stretchRect(*dst, dstX, dstY, dstWidth, dstHeight, *src, srcX, srcY, srcWidth, srcHeight,
                       mode);
}

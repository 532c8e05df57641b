// One-bit pictures to and from 16-bit pictures with a frame of n samples,
// through the raw pack and unpack kernels.
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufCheck.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

// A one-component 16-bit picture with room for bin plus a frame of border.
bool HoldsFramed(const SLxPicBuf* pic, const SLxBinPicBuf* bin, uint32_t border)
{
    if (!pic || !pic->pData || pic->uiComps != 1 || pic->uiBpc != 16 ||
        !lx_bin::HasPixels(bin))
        return false;
    const uint64_t w = uint64_t(bin->uiWidth) + 2 * uint64_t(border);
    const uint64_t h = uint64_t(bin->uiHeight) + 2 * uint64_t(border);
    return pic->uiWidth >= w && pic->uiHeight >= h &&
           uint64_t(pic->uiWidthBytes) >= uint64_t(pic->uiWidth) * 2 &&
           uint64_t(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

// The sample at column border, row border.
uint8_t* Inner(const SLxPicBuf* pic, uint32_t border)
{
    return static_cast<uint8_t*>(pic->pData) + uint64_t(border) * pic->uiWidthBytes +
           uint64_t(border) * 2;
}

// The raw kernels count pixels in 32 bits: as many whole lines a call as fit.
template <class Call> int ByLineBlocks(const SLxBinPicBuf* bin, Call call)
{
    const uint32_t perCall = uint32_t(0xFFFFFFFFu / bin->uiWidth);
    for (uint32_t y = 0; y < bin->uiHeight; y += perCall) {
        const uint32_t lines = bin->uiHeight - y < perCall ? bin->uiHeight - y : perCall;
        const int status = call(y, lines * bin->uiWidth);
        if (status != 0)
            return status;
    }
    return 0;
}

int Unpack(SLxPicBuf* dst, const SLxBinPicBuf* src, uint32_t border, uint16_t value)
{
    if (!HoldsFramed(dst, src, border))
        return -9;
    uint8_t* first = Inner(dst, border);
    return ByLineBlocks(src, [&](uint32_t y, uint32_t count) {
        return CLxPicMemAPI::UnpackFromBinary(first + uint64_t(y) * dst->uiWidthBytes, 1, 16,
                                              uint64_t(value), dst->uiWidthBytes,
                                              lx_bin::Line(src, y), 0, src->uiWidthBytes,
                                              src->uiWidth, count, 0);
    });
}

} // namespace

int CLxBinPicBufAPI::Unpack1to16(SLxPicBuf* dst, const SLxBinPicBuf* src, uint32_t value)
{
    return Unpack(dst, src, 0, uint16_t(value));
}

int CLxBinPicBufAPI::Unpack1to16Expand(SLxPicBuf* dst, const SLxBinPicBuf* src, uint32_t border)
{
    return Unpack(dst, src, border, 65535);
}

int CLxBinPicBufAPI::Pack16NZto1DExpand(SLxBinPicBuf* dst, const SLxPicBuf* src, uint32_t border)
{
    if (!HoldsFramed(src, dst, border))
        return -9;
    const uint8_t* first = Inner(src, border);
    return ByLineBlocks(dst, [&](uint32_t y, uint32_t count) {
        return CLxPicMemAPI::PackToBinary(lx_bin::Line(dst, y), 0, dst->uiWidthBytes,
                                          first + uint64_t(y) * src->uiWidthBytes, 1, 16,
                                          src->uiWidthBytes, uint64_t(0), 1, dst->uiWidth, count,
                                          0);
    });
}

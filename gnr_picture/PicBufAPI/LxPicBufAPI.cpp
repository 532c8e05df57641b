#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

#include <algorithm>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint64_t kMaxPictureBytes = 0x7FFFFFFF; // 2^31 - 1 is already too much

void clearFields(SLxPicBuf* pic)
{
    *pic = SLxPicBuf{};
}

// Releases the memory and leaves the record empty: a failed Reinit.
int refuse(SLxPicBuf* pic)
{
    CLxAlloc::Free(pic->pData);
    clearFields(pic);
    return -3;
}

} // namespace

void CLxPicBufAPI::Init(SLxPicBuf* pic)
{
    if (pic)
        clearFields(pic);
}

uint32_t CLxPicBufAPI::CalcCompSize(uint32_t bits)
{
    return lxpic::sampleBytes(bits);
}

uint32_t CLxPicBufAPI::CalcWidthBytes(uint32_t width, uint32_t bits, uint32_t comps,
                                      uint32_t alignment)
{
    if (alignment == 0)
        return 0;
    // 2^32 x 2^32 x 8 can pass 64 bits: look at the line first.
    const uint64_t pixels = uint64_t(width) * comps;
    if (pixels > 0xFFFFFFFFu)
        return 0;
    const uint64_t bytes = pixels * CalcCompSize(bits);
    const uint64_t rounded = (bytes + alignment - 1) / alignment * alignment;
    return rounded > 0xFFFFFFFFu ? 0 : uint32_t(rounded);
}

int CLxPicBufAPI::Reinit(SLxPicBuf* pic, uint32_t width, uint32_t height, uint32_t widthBytes,
                         uint32_t bits, uint32_t comps, bool zero)
{
    if (!pic)
        return -3;
    const uint64_t lineBytes = uint64_t(width) * comps * CalcCompSize(bits);
    if (widthBytes == 0)
        widthBytes = CalcWidthBytes(width, bits, comps, 4);
    else if (widthBytes < lineBytes)
        return refuse(pic);
    const uint64_t size = uint64_t(widthBytes) * height;
    if (size == 0 || lineBytes == 0 || size >= kMaxPictureBytes)
        return refuse(pic);

    void* data = CLxAlloc::ReAlloc(pic->pData, size_t(size), 0);
    if (!data) {
        CLxAlloc::Free(pic->pData);
        pic->pData = nullptr;
        data = CLxAlloc::Alloc(0, size_t(size));
        if (!data)
            return refuse(pic);
    }
    pic->uiWidth = width;
    pic->uiHeight = height;
    pic->uiWidthBytes = widthBytes;
    pic->uiBpc = uint8_t(bits);
    pic->uiComps = comps;
    pic->uiSize = uint32_t(size);
    pic->pData = data;
    if (zero)
        std::memset(data, 0, size_t(size));
    return 0;
}

int CLxPicBufAPI::ReinitAndCopy(SLxPicBuf* dst, const SLxPicBuf* src)
{
    if (!dst || !src)
        return -9;
    if (dst == src)
        return 0;
    // A source whose memory does not hold its lines is refused before the
    // destination is touched.
    if (const int status = lxpicbuf::prepare(src); status != 0)
        return status;
    const int status = Reinit(dst, src->uiWidth, src->uiHeight, 0, src->uiBpc, src->uiComps, false);
    return status != 0 ? status : Copy(dst, src);
}

void CLxPicBufAPI::Free(SLxPicBuf* pic)
{
    if (!pic)
        return;
    CLxAlloc::Free(pic->pData);
    pic->pData = nullptr;
}

bool CLxPicBufAPI::Check(const SLxPicBuf* a, const SLxPicBuf* b, uint32_t option)
{
    if (!a || !b)
        return false;
    const bool size = a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
    const bool bits = a->uiBpc == b->uiBpc;
    const bool comps = a->uiComps == b->uiComps;
    switch (option) {
    case eLxCheckSize:
        return size;
    case eLxCheckSizeBits:
        return size && bits;
    case eLxCheckSizeBitsComps:
        return size && bits && comps;
    case eLxCheckSizeComps:
        return size && comps;
    case eLxCheckComps:
        return comps;
    case eLxCheckBits:
        return bits;
    case eLxCheckBitsComps:
        return bits && comps;
    default:
        return false;
    }
}

int CLxPicBufAPI::Copy(SLxPicBuf* dst, const SLxPicBuf* src)
{
    if (!Check(dst, src, eLxCheckBitsComps)) {
        LX_DIAG_ASSERT_TEXT(u"CLxPicBufAPI::Check(dst, src, 6)",
                            u"CLxPicBufAPI::Copy, sour and dest must have the same format");
        return -9;
    }
    // Hand-filled records whose memory is short of their lines are refused
    // (reported) like everywhere else, before anything is copied.
    if (const int status = lxpicbuf::prepare(dst, src, eLxCheckBitsComps, nullptr); status != 0)
        return status;
    const uint32_t rows = std::min(dst->uiHeight, src->uiHeight);
    // Hand-filled records may carry pitches shorter than a line: never run
    // into the next line of either picture.
    const uint64_t lineBytes =
        uint64_t(std::min(dst->uiWidth, src->uiWidth)) * CalcCompSize(src->uiBpc) * src->uiComps;
    const size_t bytes =
        size_t(std::min<uint64_t>({lineBytes, dst->uiWidthBytes, src->uiWidthBytes}));
    if (rows == 0 || bytes == 0)
        return 0;
    if (!dst->pData || !src->pData)
        return -9;
    auto* to = static_cast<uint8_t*>(dst->pData);
    const auto* from = static_cast<const uint8_t*>(src->pData);
    for (uint32_t y = 0; y < rows; ++y)
        std::memmove(to + size_t(y) * dst->uiWidthBytes, from + size_t(y) * src->uiWidthBytes,
                     bytes);
    return 0;
}

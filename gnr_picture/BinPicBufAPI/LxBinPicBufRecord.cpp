// Making, sizing, filling, comparing and exchanging one-bit picture records.
#include <cstring>

#include "LxBinPicBufCheck.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lx_bin;

namespace
{

const uint64_t kSizeLimit = 0x7FFFFFFF;

int FailEmpty(SLxBinPicBuf* pic)
{
    CLxAlloc::Free(pic->pData);
    CLxBinPicBufAPI::Init(pic);
    return -3;
}

} // namespace

void CLxBinPicBufAPI::Init(SLxBinPicBuf* pic)
{
    if (pic)
        *pic = SLxBinPicBuf{0, 0, 0, 0, nullptr};
}

uint32_t CLxBinPicBufAPI::CalcWidthBytes(uint32_t width, uint32_t alignment)
{
    if (alignment == 0)
        return 0;
    uint64_t bytes = (static_cast<uint64_t>(width) + 7) / 8;
    uint64_t aligned = (bytes + alignment - 1) / alignment * alignment;
    return aligned > UINT32_MAX ? 0 : static_cast<uint32_t>(aligned);
}

int CLxBinPicBufAPI::Reinit(SLxBinPicBuf* pic, uint32_t width, uint32_t height, uint32_t widthBytes,
                            bool clear)
{
    if (!pic)
        return -9;
    if (widthBytes == 0)
        widthBytes = CalcWidthBytes(width, 4);
    uint64_t size = static_cast<uint64_t>(widthBytes) * height;
    if (width == 0 || height == 0 || static_cast<uint64_t>(widthBytes) * 8 < width ||
        size >= kSizeLimit)
        return FailEmpty(pic);
    void* block = CLxAlloc::ReAlloc(pic->pData, static_cast<size_t>(size), 0);
    if (!block)
        return FailEmpty(pic);
    pic->uiWidth = width;
    pic->uiHeight = height;
    pic->uiWidthBytes = widthBytes;
    pic->uiSize = static_cast<uint32_t>(size);
    pic->pData = block;
    if (clear)
        std::memset(block, 0, static_cast<size_t>(size));
    return 0;
}

void CLxBinPicBufAPI::Free(SLxBinPicBuf* pic)
{
    if (!pic)
        return;
    CLxAlloc::Free(pic->pData);
    pic->pData = nullptr;
}

void CLxBinPicBufAPI::Memset(SLxBinPicBuf* pic, bool value)
{
    if (pic && pic->pData)
        std::memset(pic->pData, value ? 0xFF : 0x00, pic->uiSize);
}

bool CLxBinPicBufAPI::IsEqual(const SLxBinPicBuf* a, const SLxBinPicBuf* b)
{
    if (!SameSize(a, b))
        return false;
    for (uint32_t y = 0; y < a->uiHeight; ++y)
        if (!CLxBinPicMemAPI::IsEqual(Line(a, y), 0, 0, Line(b, y), 0, 0, a->uiWidth, a->uiWidth))
            return false;
    return true;
}

bool CLxBinPicBufAPI::IsEmpty(const SLxBinPicBuf* pic)
{
    if (!pic || !pic->pData)
        return true;
    const auto* p = static_cast<const uint8_t*>(pic->pData);
    for (uint32_t i = 0; i < pic->uiSize; ++i)
        if (p[i])
            return false;
    return true;
}

bool CLxBinPicBufAPI::IsEqualSize(const SLxBinPicBuf* a, const SLxBinPicBuf* b)
{
    return a && b && a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

void CLxBinPicBufAPI::Swap(SLxBinPicBuf* a, SLxBinPicBuf* b)
{
    if (!a || !b)
        return;
    SLxBinPicBuf t = *a;
    *a = *b;
    *b = t;
}

int CLxBinPicBufAPI::ReinitAndCopyFromSource(SLxBinPicBuf* dst, const SLxBinPicBuf* src)
{
    if (!dst || !HasPixels(src))
        return -9;
    if (dst == src)
        return 0;
    int status = Reinit(dst, src->uiWidth, src->uiHeight, src->uiWidthBytes, false);
    if (status != 0)
        return status;
    Copy(dst, src);
    return 0;
}

// Checks shared by the whole-picture operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/BinPicBufAPI/LxBinPicBuf.h"

namespace lx_bin
{

// A record whose block holds all its lines and whose lines hold their pixels.
inline bool HasPixels(const SLxBinPicBuf* pic)
{
    return pic && pic->pData && pic->uiWidth != 0 && pic->uiHeight != 0 &&
           static_cast<uint64_t>(pic->uiWidthBytes) * 8 >= pic->uiWidth &&
           static_cast<uint64_t>(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

inline bool SameSize(const SLxBinPicBuf* a, const SLxBinPicBuf* b)
{
    return HasPixels(a) && HasPixels(b) && a->uiWidth == b->uiWidth && a->uiHeight == b->uiHeight;
}

inline uint8_t* Line(SLxBinPicBuf* pic, uint32_t y)
{
    return static_cast<uint8_t*>(pic->pData) + static_cast<size_t>(y) * pic->uiWidthBytes;
}

inline const uint8_t* Line(const SLxBinPicBuf* pic, uint32_t y)
{
    return static_cast<const uint8_t*>(pic->pData) + static_cast<size_t>(y) * pic->uiWidthBytes;
}

inline uint32_t MinLineBytes(const SLxBinPicBuf* a, const SLxBinPicBuf* b)
{
    return a->uiWidthBytes < b->uiWidthBytes ? a->uiWidthBytes : b->uiWidthBytes;
}

inline bool GetBit(const uint8_t* line, uint32_t x)
{
    return (line[x / 8] & (0x80u >> (x % 8))) != 0;
}

inline void SetBit(uint8_t* line, uint32_t x, bool value)
{
    uint8_t mask = static_cast<uint8_t>(0x80u >> (x % 8));
    line[x / 8] = static_cast<uint8_t>(value ? line[x / 8] | mask : line[x / 8] & ~mask);
}

} // namespace lx_bin

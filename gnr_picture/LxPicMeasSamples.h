// Sample access shared by the seed fill, the contour tracer and the line
// walk: one-component pictures read as 8-bit or 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lx_meas
{

// Bytes of one sample, or 0 for more than 16 bits.
inline uint32_t SampleBytes(const SLxPicBuf* pic)
{
    if (pic->uiBpc == 0 || pic->uiBpc > 16)
        return 0;
    return pic->uiBpc <= 8 ? 1 : 2;
}

// A record whose block holds all its lines, each line its pixels at the
// given sample size.
inline bool HoldsLines(const SLxPicBuf* pic, uint32_t sampleBytes)
{
    return pic && pic->pData &&
           static_cast<uint64_t>(pic->uiWidthBytes) >=
               static_cast<uint64_t>(pic->uiWidth) * pic->uiComps * sampleBytes &&
           static_cast<uint64_t>(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

template <typename T> inline T* Row(SLxPicBuf* pic, uint32_t y)
{
    return reinterpret_cast<T*>(static_cast<uint8_t*>(pic->pData) +
                                static_cast<size_t>(y) * pic->uiWidthBytes);
}

template <typename T> inline const T* Row(const SLxPicBuf* pic, uint32_t y)
{
    return reinterpret_cast<const T*>(static_cast<const uint8_t*>(pic->pData) +
                                      static_cast<size_t>(y) * pic->uiWidthBytes);
}

// The sample at (x, y), which must lie inside; 8-bit pictures as bytes,
// the others as 16-bit samples.
inline uint32_t Sample(const SLxPicBuf* pic, uint32_t sampleBytes, uint32_t x, uint32_t y)
{
    return sampleBytes == 1 ? Row<uint8_t>(pic, y)[x] : Row<uint16_t>(pic, y)[x];
}

inline bool Inside(const SLxPicBuf* pic, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < pic->uiWidth && y < pic->uiHeight;
}

} // namespace lx_meas

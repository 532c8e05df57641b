// The per-pixel loop of the colour operations: each destination pixel from
// the source pixel at the same place, the operation a functor that reads the
// whole source pixel before it writes (so dst may be src). Internal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpicbuf
{

// op(src pixel, dst pixel) over width x height pixels; DC and SC the
// destination's and source's components (fixed counts unroll the pixel).
template <class T, uint32_t DC, uint32_t SC, class Op>
LX_KERNEL_INLINE void mapPixels(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                uint32_t width, uint32_t height, Op op)
{
    for (uint32_t y = 0; y < height; ++y) {
        T* d = reinterpret_cast<T*>(dst + y * dstPitch);
        const T* s = reinterpret_cast<const T*>(src + y * srcPitch);
        for (uint32_t x = 0; x < width; ++x)
            op(s + size_t(x) * SC, d + size_t(x) * DC);
    }
}

// The same for pictures whose component counts are known only at run time.
template <class T, class Op>
void mapPixelsN(uint8_t* dst, size_t dstPitch, uint32_t dstComps, const uint8_t* src,
                size_t srcPitch, uint32_t srcComps, uint32_t width, uint32_t height, Op op)
{
    for (uint32_t y = 0; y < height; ++y) {
        T* d = reinterpret_cast<T*>(dst + y * dstPitch);
        const T* s = reinterpret_cast<const T*>(src + y * srcPitch);
        for (uint32_t x = 0; x < width; ++x)
            op(s + size_t(x) * srcComps, d + size_t(x) * dstComps);
    }
}

// A picture's lines as the loops take them.
inline uint8_t* bytesOf(const SLxPicBuf& pic)
{
    return static_cast<uint8_t*>(pic.pData);
}

} // namespace lxpicbuf

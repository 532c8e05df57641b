// Line access to float pictures and the check that a record's memory holds
// the lines its sizes claim.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

namespace lxpic
{

inline uint64_t lineFloatBytes(const SLxFloatPicBuf& pic)
{
    return static_cast<uint64_t>(pic.uiWidth) * pic.uiComps * sizeof(float);
}

// An empty picture holds its (no) lines; otherwise the data is set and the
// last line ends inside size.
inline bool holdsLines(const SLxFloatPicBuf& pic)
{
    if (pic.uiWidth == 0 || pic.uiHeight == 0 || pic.uiComps == 0)
        return true;
    return pic.pData && pic.uiWidthBytes >= lineFloatBytes(pic) && pic.uiWidthBytes % 4 == 0 &&
           static_cast<uint64_t>(pic.uiWidthBytes) * (pic.uiHeight - 1) + lineFloatBytes(pic) <=
               pic.uiSize;
}

inline float* line(const SLxFloatPicBuf& pic, uint32_t y)
{
    return reinterpret_cast<float*>(reinterpret_cast<uint8_t*>(pic.pData) +
                                    static_cast<size_t>(pic.uiWidthBytes) * y);
}

} // namespace lxpic

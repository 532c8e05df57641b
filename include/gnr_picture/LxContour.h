// A closed list of pixel positions in one block: the last point neighbours
// the first, which is not repeated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/LxPoints.h"

// One CLxAlloc block of LxContourBytes(uiCount) bytes or more; whoever
// receives it releases it with CLxAlloc::Free.
struct SLxContour {
    uint32_t uiCount;
    SLxIPoint points[1]; // uiCount of them
};

inline size_t LxContourBytes(size_t count)
{
    return offsetof(SLxContour, points) + count * sizeof(SLxIPoint);
}

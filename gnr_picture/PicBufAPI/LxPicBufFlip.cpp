// Vertical flip from one picture into another.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

using namespace lxpicbuf;

int CLxPicBufAPI::FlipCopy(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int status = prepare(dst, src, eLxCheckBitsComps,
                               u"CLxPicBufAPI::Copy, sour and dest must have the same format");
    if (status != 0 || isEmpty(*dst) || isEmpty(*src))
        return status;
    const uint32_t lines = std::min(dst->uiHeight, src->uiHeight);
    // Whole lines, one "pixel" a line: the flip moves the smaller pitch.
    return CLxPicMemAPI::FlipVert(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes, 1,
                                  lines);
}

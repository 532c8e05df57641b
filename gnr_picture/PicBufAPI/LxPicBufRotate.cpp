// Rotation of picture buffers by any angle about given centres, with the
// spans of the covered lines reported on request.
#include <algorithm>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"

int CLxPicBufAPI::RotateGeneral_LIN(SLxPicBuf* dst, const SLxPicBuf* src, SLxDPoint dstCentre,
                                    SLxDPoint srcCentre, double angle)
{
    return RotateGeneral_LIN(dst, src, dstCentre, srcCentre, angle, nullptr, nullptr, nullptr);
}

int CLxPicBufAPI::RotateGeneral_LIN(SLxPicBuf* dst, const SLxPicBuf* src, SLxDPoint dstCentre,
                                    SLxDPoint srcCentre, double angle, SLxIPoint* leftEnds,
                                    SLxIPoint* rightEnds, int* lineCount)
{
    if (lineCount)
        *lineCount = 0;
    if (!Check(dst, src, eLxCheckBitsComps))
        return -2;
    const bool spans = (leftEnds && rightEnds) || lineCount;
    std::vector<SLxIPoint> left, right;
    const int status = lxpic::RotateGeneral(dst, src, dstCentre, srcCentre, angle,
                                            spans ? &left : nullptr, spans ? &right : nullptr);
    if (status != 0)
        return status;
    // The lists never hold more lines than the destination has, which is
    // what the caller's arrays are sized for.
    if (leftEnds && rightEnds) {
        std::copy(left.begin(), left.end(), leftEnds);
        std::copy(right.begin(), right.end(), rightEnds);
    }
    if (lineCount)
        *lineCount = int(left.size());
    return 0;
}

int CLxPicBufAPI::RotateBuf_LIN(SLxPicBuf* dst, const SLxPicBuf* src, double angle)
{
    if (!Check(dst, src, eLxCheckBitsComps))
        return -2;
    const SLxDPoint dstCentre{dst->uiWidth / 2.0 - 0.5, dst->uiHeight / 2.0 - 0.5};
    const SLxDPoint srcCentre{src->uiWidth / 2.0 - 0.5, src->uiHeight / 2.0 - 0.5};
    return RotateGeneral_LIN(dst, src, dstCentre, srcCentre, angle);
}

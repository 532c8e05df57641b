// Square box means of one-component pictures by running sums.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

using namespace lxfilter;

int CLxPicBufAPI::SmoothSquare(SLxPicBuf* dst, const SLxPicBuf* src, int size)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    if (src->uiComps != 1)
        return -2;
    if (size < 1 || uint32_t(size) > std::min(src->uiWidth, src->uiHeight))
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    // The worker writes lines it later reads again as source.
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        if (size == 1)
            return Copy(dst, s);
        return src->uiBpc == 8 ? smoothsquare_box_8(dst, s, size)
                               : smoothsquare_box_16(dst, s, size);
    });
}

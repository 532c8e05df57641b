// Resampling of float planes and pictures through the float stretch kernels.
#include <algorithm>
#include <cmath>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

int CLxFloatPicMemAPI::Stretch(float* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW,
                               uint32_t dstH, const float* src, uint32_t srcWB, uint32_t srcHeight,
                               uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcBlockH,
                               CLxPicMemAPI::ELxPicStretchMode mode)
{
    if (dstW == 0 || dstH == 0 || srcW == 0 || srcBlockH == 0 || comps == 0)
        return 0;
    if (uint64_t(srcY) + srcBlockH > srcHeight)
        return -4;
    const bool filtered =
        mode == CLxPicMemAPI::eLxStretchBSpline || mode == CLxPicMemAPI::eLxStretchTriangle;
    if (!filtered) {
        LxFloatStretchNnFn* nn = comps == 1   ? stretch_nn_1xfloat
                                 : comps == 3 ? stretch_nn_3xfloat
                                              : stretch_nn_Nxfloat;
        return nn(dst, comps, dstWB, dstW, dstH, src, srcWB, srcHeight, srcX, srcY, srcW,
                  srcBlockH);
    }
    const LxFloatWeightFn weight =
        mode == CLxPicMemAPI::eLxStretchBSpline ? filter_quadratic_bspline : filter_triangle;
    const uint32_t radius = mode == CLxPicMemAPI::eLxStretchBSpline ? 3 : 2;
    uint32_t margin = radius;
    if (dstW < srcW)
        margin = static_cast<uint32_t>(std::ceil(double(radius) * srcW / dstW));
    const uint32_t above = std::min(margin, srcY);
    const uint32_t below = std::min<uint64_t>(margin, srcHeight - srcY - srcBlockH);
    const uint32_t lines = above + srcBlockH + below;
    const uint64_t tmpLineFloats = (uint64_t(dstW) * comps + 3) & ~uint64_t(3);
    if (tmpLineFloats * 4 > UINT32_MAX)
        return -3;
    const uint32_t tmpWB = static_cast<uint32_t>(tmpLineFloats * 4);
    float* tmp = static_cast<float*>(CLxAlloc::Alloc(0, size_t(tmpWB) * lines));
    if (!tmp)
        return -3;
    LxFloatFilterHorzFn* horz = comps == 1   ? stretch_filter_horz_1xfloat
                                : comps == 3 ? stretch_filter_horz_3xfloat
                                             : stretch_filter_horz_Nxfloat;
    LxFloatFilterVertFn* vert = comps == 1   ? stretch_filter_vert_1xfloat
                                : comps == 3 ? stretch_filter_vert_3xfloat
                                             : stretch_filter_vert_Nxfloat;
    const float* first = reinterpret_cast<const float*>(reinterpret_cast<const uint8_t*>(src) +
                                                        size_t(srcY - above) * srcWB +
                                                        size_t(srcX) * comps * sizeof(float));
    int status = horz(tmp, comps, tmpWB, dstW, lines, first, srcWB, srcHeight, srcX, srcY, srcW,
                      lines, weight, radius);
    if (status == 0)
        status = vert(dst, comps, dstWB, dstW, dstH,
                      reinterpret_cast<const uint8_t*>(tmp) + size_t(above) * tmpWB, tmpWB, lines,
                      0, above, dstW, srcBlockH, weight, radius);
    CLxAlloc::Free(tmp);
    return status;
}

int CLxFloatPicBufAPI::Stretch(SLxFloatPicBuf* dst, const SLxFloatPicBuf* src,
                               CLxPicMemAPI::ELxPicStretchMode mode)
{
    if (!Check(dst, src, 6)) {
        LX_DIAG_ASSERT_TEXT(u"CLxFloatPicBufAPI::Check(dst, src, 6)",
                            u"CLxFloatPicBufAPI::Stretch, sour and dest must have the same format");
        return -9;
    }
    if (!lxpic::holdsLines(*dst) || !lxpic::holdsLines(*src))
        return -9;
    return CLxFloatPicMemAPI::Stretch(dst->pData, dst->uiComps, dst->uiWidthBytes, dst->uiWidth,
                                      dst->uiHeight, src->pData, src->uiWidthBytes, src->uiHeight,
                                      0, 0, src->uiWidth, src->uiHeight, mode);
}

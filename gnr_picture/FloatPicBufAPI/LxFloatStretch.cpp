// Resampling of float planes and pictures through the float stretch kernels.
#include <algorithm>
#include <cmath>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatStretchBands.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "gnr_picture/picmemAPI/LxStretchFilters.h"
#include "w32_system/debugging/LxDiag.h"

int CLxFloatPicMemAPI::Stretch(float* dst, uint32_t comps, uint32_t dstWB, uint32_t dstW,
                               uint32_t dstH, const float* src, uint32_t srcWB, uint32_t srcHeight,
                               uint32_t srcX, uint32_t srcY, uint32_t srcW, uint32_t srcBlockH,
                               CLxPicMemAPI::ELxPicStretchMode mode)
{
    if (dstW == 0 || dstH == 0 || srcW == 0 || srcBlockH == 0 || comps == 0)
        return 0;
    // A block starting right of the line holds no sample to resample.
    if (uint64_t(srcY) + srcBlockH > srcHeight || srcX >= srcWB / 4 / comps)
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
    const float* first = reinterpret_cast<const float*>(reinterpret_cast<const uint8_t*>(src) +
                                                        size_t(srcY - above) * srcWB +
                                                        size_t(srcX) * comps * sizeof(float));
    return lxpic::StretchFilteredFloat(dst, comps, dstWB, dstW, dstH, first, srcWB, srcX, srcW,
                                       lines, above, srcBlockH, weight, radius);
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

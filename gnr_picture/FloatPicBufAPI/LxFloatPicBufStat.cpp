// Rectangle copies, component statistics and tone mapping of float pictures.
#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufLines.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

float* SLxImageStat::*const kStatArrays[5] = {&SLxImageStat::pMin, &SLxImageStat::pMax,
                                              &SLxImageStat::pMean, &SLxImageStat::pDeviation,
                                              &SLxImageStat::pMedian};

bool blockInside(const SLxFloatPicBuf& pic, uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    return uint64_t(x) + w <= pic.uiWidth && uint64_t(y) + h <= pic.uiHeight;
}

} // namespace

void CLxImageStat::Init(SLxImageStat* stat)
{
    if (stat)
        *stat = SLxImageStat{};
}

int CLxImageStat::Reinit(SLxImageStat* stat, uint32_t left, uint32_t top, uint32_t right,
                         uint32_t bottom, uint32_t count)
{
    if (!stat)
        return -9;
    stat->uiLeft = left;
    stat->uiTop = top;
    stat->uiRight = right;
    stat->uiBottom = bottom;
    stat->uiCount = count;
    bool complete = true;
    for (int i = 0; i < 5; ++i) {
        float*& array = stat->*kStatArrays[i];
        void* block = CLxAlloc::ReAlloc(array, size_t(count) * sizeof(float), 0);
        if (block || count == 0)
            array = static_cast<float*>(block);
        complete = complete && array;
    }
    return complete ? 0 : -3;
}

void CLxImageStat::Free(SLxImageStat* stat)
{
    if (!stat)
        return;
    for (int i = 0; i < 5; ++i) {
        CLxAlloc::Free(stat->*kStatArrays[i]);
        stat->*kStatArrays[i] = nullptr;
    }
}

int CLxFloatPicBufAPI::CopyRect(uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                                SLxFloatPicBuf* dst, uint32_t srcX, uint32_t srcY,
                                const SLxFloatPicBuf* src)
{
    if (!Check(dst, src, 6)) {
        LX_DIAG_ASSERT_TEXT(u"CLxFloatPicBufAPI::Check(dst, src, 6)",
                            u"CLxPicBufAPI::CopyRect, sour and dest must have the same format");
        return -9;
    }
    if (!lxpic::holdsLines(*dst) || !lxpic::holdsLines(*src))
        return -9;
    if (!blockInside(*dst, x, y, width, height) || !blockInside(*src, srcX, srcY, width, height))
        return -4;
    const size_t pixelBytes = size_t(src->uiComps) * sizeof(float);
    for (uint32_t line = 0; line < height; ++line)
        std::memmove(reinterpret_cast<uint8_t*>(lxpic::line(*dst, y + line)) + x * pixelBytes,
                     reinterpret_cast<const uint8_t*>(lxpic::line(*src, srcY + line)) +
                         srcX * pixelBytes,
                     width * pixelBytes);
    return 0;
}

int CLxFloatPicBufAPI::GetStat(SLxImageStat* stat, const SLxFloatPicBuf* src)
{
    if (!stat || !src || !lxpic::holdsLines(*src))
        return -9;
    if (stat->uiLeft > stat->uiRight || stat->uiTop > stat->uiBottom ||
        stat->uiRight > src->uiWidth || stat->uiBottom > src->uiHeight ||
        stat->uiCount < src->uiComps)
        return -4;
    for (int i = 0; i < 5; ++i)
        if (!(stat->*kStatArrays[i]) && src->uiComps)
            return -4;
    const uint32_t w = stat->uiRight - stat->uiLeft, h = stat->uiBottom - stat->uiTop;
    if (w == 0 || h == 0 || src->uiComps == 0)
        return 0;
    SLxFloatPicBuf block{};
    if (Reinit(&block, w, h, 0, src->uiComps, false) != 0) {
        Free(&block);
        return -3;
    }
    int status = CopyRect(0, 0, w, h, &block, stat->uiLeft, stat->uiTop, src);
    if (status == 0) {
        CLxFloatPicMemAPI::MinComp(stat->pMin, block.pData, w, h, src->uiComps);
        CLxFloatPicMemAPI::MaxComp(stat->pMax, block.pData, w, h, src->uiComps);
        CLxFloatPicMemAPI::MeanComp(stat->pMean, block.pData, w, h, src->uiComps);
        status = CLxFloatPicMemAPI::MedianComp(stat->pMedian, block.pData, w, h, src->uiComps);
        if (status == 0)
            CLxFloatPicMemAPI::DeviationComp(stat->pDeviation, stat->pMean, block.pData, w, h,
                                             src->uiComps);
    }
    Free(&block);
    return status;
}

namespace
{

template <typename Map> int mapInto(SLxPicBuf* dst, const SLxFloatPicBuf* src, Map map)
{
    if (!dst || !src || dst->uiWidth != src->uiWidth || dst->uiHeight != src->uiHeight ||
        dst->uiComps != src->uiComps || !lxpic::holdsLines(*src) ||
        src->uiWidthBytes != lxpic::lineFloatBytes(*src))
        return -9;
    // The kernels write gapless lines: the destination must hold them.
    const uint64_t sampleBytes = dst->uiBpc <= 8 ? 1 : 2;
    const uint64_t need = sampleBytes * dst->uiWidth * dst->uiComps * dst->uiHeight;
    if (need && (!dst->pData || dst->uiWidthBytes != sampleBytes * dst->uiWidth * dst->uiComps ||
                 dst->uiSize < need))
        return -9;
    map(dst->pData, dst->uiBpc, src->pData, src->uiWidth, src->uiHeight, src->uiComps);
    return 0;
}

} // namespace

int CLxFloatPicBufAPI::Map_Tumblin(SLxPicBuf* dst, const SLxFloatPicBuf* src)
{
    return mapInto(dst, src, CLxFloatPicMemAPI::Map_Tumblin);
}

int CLxFloatPicBufAPI::MapParam_Tumblin(SLxPicBuf* dst, const SLxFloatPicBuf* src, uint32_t param)
{
    return mapInto(
        dst, src,
        [param](void* d, uint32_t bits, const float* s, uint32_t w, uint32_t h, uint32_t c) {
            return CLxFloatPicMemAPI::MapParam_Tumblin(d, bits, s, w, h, c, param);
        });
}

int CLxFloatPicBufAPI::Map_Drago(SLxPicBuf* dst, const SLxFloatPicBuf* src)
{
    return mapInto(dst, src, CLxFloatPicMemAPI::Map_Drago);
}

int CLxFloatPicBufAPI::MapParam_Drago(SLxPicBuf* dst, const SLxFloatPicBuf* src, uint32_t)
{
    return mapInto(dst, src, CLxFloatPicMemAPI::Map_Drago);
}

void CLxFloatPicBufAPI::Init_ConstSizeFFT()
{
    CLxFloatPicMemAPI::Init_ConstSizeFFT();
}

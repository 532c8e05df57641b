// Display colours of a picture's components from its metadata, and its
// true-colour rendering through them.
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

int CLxExperimentAPI::CreateLutsFromMetadata(SLxLut* pLut, const SLxPictureMetadata* pMetadata,
                                             uint32_t uiSrcBits, uint32_t uiCompCount,
                                             uint32_t uiDstBits)
{
    if (!pMetadata || pMetadata->sPicturePlanes.uiCompCount != uiCompCount || uiCompCount == 0)
        return -9;
    if (!pLut || uiCompCount > 255 || uiSrcBits > 255 || uiDstBits > 255)
        return -4;
    // Components no channel describes stay white.
    std::vector<uint32_t> colors(uiCompCount, 0xFFFFFFFFu);
    const SLxPicturePlanes& planes = pMetadata->sPicturePlanes;
    uint64_t c = 0;
    for (uint32_t i = 0; planes.sPlane && i < planes.uiCount && c < uiCompCount; ++i) {
        const SLxPicturePlaneDesc& plane = planes.sPlane[i];
        if (plane.uiCompCount == 1) {
            colors[c] = plane.uiColor;
        } else if (plane.uiCompCount == 3 && c + 2 < uiCompCount) {
            // Blue, green and red in storage order.
            colors[c] = 0xFF0000;
            colors[c + 1] = 0x00FF00;
            colors[c + 2] = 0x0000FF;
        }
        c += plane.uiCompCount;
    }
    int status =
        SLxLut::Alloc(pLut, uint8_t(uiSrcBits), uint8_t(uiCompCount), uint8_t(uiDstBits), 3);
    if (status == 0)
        status = SLxLut::CreateMultiColorTable(pLut, colors.data(), uint8_t(uiCompCount));
    if (status != 0) {
        SLxLut::Free(pLut);
        return status;
    }
    pLut->uiCompMask = ~uint64_t(0);
    return 0;
}

int CLxExperimentAPI::ConvertToTrueColorViaMetadata(SLxPicBuf* pDst, const SLxPicBuf* pSrc,
                                                    const SLxPictureMetadata* pMetadata)
{
    if (!pDst || !pSrc || !pDst->pData || !pSrc->pData)
        return -4;
    // The destination must hold the source's size as 8-bit blue, green, red.
    const uint64_t line = uint64_t(pSrc->uiWidth) * 3;
    if (pDst->uiComps != 3 || pDst->uiBpc != 8 || pDst->uiWidth < pSrc->uiWidth ||
        pDst->uiHeight < pSrc->uiHeight || pDst->uiWidthBytes < line ||
        uint64_t(pDst->uiWidthBytes) * pSrc->uiHeight > pDst->uiSize)
        return -4;
    // The source's lines must lie in its memory.
    const uint32_t sampleBytes = pSrc->uiBpc <= 8 ? 1 : pSrc->uiBpc <= 16 ? 2 : 4;
    if (pSrc->uiWidthBytes < uint64_t(pSrc->uiWidth) * pSrc->uiComps * sampleBytes ||
        uint64_t(pSrc->uiWidthBytes) * pSrc->uiHeight > pSrc->uiSize)
        return -4;
    SLxLut lut;
    int status = CreateLutsFromMetadata(&lut, pMetadata, pSrc->uiBpc, pSrc->uiComps, 8);
    if (status != 0)
        return status;
    const uint64_t count = uint64_t(pSrc->uiWidth) * pSrc->uiHeight;
    if (count > UINT32_MAX) {
        SLxLut::Free(&lut);
        return -4;
    }
    status = CLxPicMemAPI::ConvertToTrueColor(pDst->pData, pDst->uiWidthBytes, pSrc->pData,
                                              pSrc->uiComps, pSrc->uiBpc, pSrc->uiWidthBytes,
                                              pSrc->uiWidth, uint32_t(count), &lut);
    SLxLut::Free(&lut);
    return status;
}

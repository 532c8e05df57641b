// The joint histogram record: preparation, copies and counting through the
// raw-memory kernel.
#include "gnr_picture/LxHisto2D.h"

#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

size_t binBytes(uint32_t bits, uint32_t binSize)
{
    const size_t size = CLxHisto2DAPI::GetSize(bits);
    return size * size * binSize;
}

int reinit(SLxHisto2D* h, const SLxPicBufDesc* desc, uint32_t binSize)
{
    if (!h || !desc)
        return -4;
    if (desc->uiBpc == 0 || desc->uiBpc > 16)
        return -2;
    h->uiWidth = desc->uiWidth;
    h->uiHeight = desc->uiHeight;
    if (h->uiAreaMode != 1) {
        h->uiAreaWidth = desc->uiWidth;
        h->uiAreaHeight = desc->uiHeight;
    }
    if (h->pBins && h->uiBits == desc->uiBpc && h->uiBinSize == binSize)
        return 0;
    CLxAlloc::Free(h->pBins);
    h->uiBinSize = binSize;
    h->uiBits = desc->uiBpc;
    h->pBins = CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, binBytes(h->uiBits, binSize));
    return h->pBins ? 0 : -3;
}

bool insidePicture(const SLxHisto2D& h, const SLxPicBuf& pic)
{
    return h.uiAreaWidth != 0 && h.uiAreaHeight != 0 &&
           uint64_t(h.uiAreaX) + h.uiAreaWidth <= pic.uiWidth &&
           uint64_t(h.uiAreaY) + h.uiAreaHeight <= pic.uiHeight;
}

} // namespace

void CLxHisto2DAPI::Init(SLxHisto2D* histo)
{
    if (!histo)
        return;
    *histo = SLxHisto2D{};
    histo->uiStepX = 1;
    histo->uiStepY = 1;
}

int CLxHisto2DAPI::Reinit32(SLxHisto2D* histo, const SLxPicBufDesc* desc)
{
    return reinit(histo, desc, 4);
}

int CLxHisto2DAPI::Reinit64(SLxHisto2D* histo, const SLxPicBufDesc* desc)
{
    return reinit(histo, desc, 8);
}

int CLxHisto2DAPI::Copy(SLxHisto2D* dst, const SLxHisto2D* src)
{
    if (!dst || !src || !src->pBins || (src->uiBinSize != 4 && src->uiBinSize != 8) ||
        src->uiBits == 0 || src->uiBits > 16)
        return -4;
    if (dst == src)
        return 0;
    const size_t bytes = binBytes(src->uiBits, src->uiBinSize);
    void* bins = dst->pBins;
    if (!bins || binBytes(dst->uiBits, dst->uiBinSize) != bytes) {
        CLxAlloc::Free(bins);
        bins = CLxAlloc::Alloc(0, bytes);
    }
    *dst = *src;
    dst->pBins = bins;
    if (!bins)
        return -3;
    std::memcpy(bins, src->pBins, bytes);
    return 0;
}

void CLxHisto2DAPI::ResetToZero(SLxHisto2D* histo)
{
    if (histo && histo->pBins && histo->uiBits != 0 && histo->uiBits <= 16)
        std::memset(histo->pBins, 0, binBytes(histo->uiBits, histo->uiBinSize));
}

void CLxHisto2DAPI::Free(SLxHisto2D* histo)
{
    if (!histo)
        return;
    CLxAlloc::Free(histo->pBins);
    histo->pBins = nullptr;
}

uint32_t CLxHisto2DAPI::GetSize(unsigned bits)
{
    return int32_t(bits) < 8 && int32_t(bits) >= 0 ? uint32_t(1) << bits : 256u;
}

int CLxHisto2DAPI::Calculate(SLxHisto2D* histo, const SLxPicBuf* pic, unsigned compA,
                             unsigned compB, bool reset)
{
    if (!histo || !pic)
        return -4;
    const SLxPicBufDesc desc{pic->uiWidth, pic->uiHeight, pic->uiWidthBytes,
                             pic->uiBpc,   pic->uiComps,  pic->uiSize};
    int status = -2;
    if (histo->uiBinSize == 4)
        status = Reinit32(histo, &desc);
    else if (histo->uiBinSize == 8)
        status = Reinit64(histo, &desc);
    if (status != 0 || !pic->pData)
        return 0;
    if (reset)
        ResetToZero(histo);
    const uint8_t* start = static_cast<const uint8_t*>(pic->pData);
    uint32_t width = pic->uiWidth;
    uint64_t pixels = uint64_t(pic->uiWidth) * pic->uiHeight;
    if (histo->uiAreaMode == 1) {
        if (!insidePicture(*histo, *pic))
            return 0;
        start += size_t(histo->uiAreaY) * pic->uiWidthBytes +
                 size_t(histo->uiAreaX) * pic->uiComps * CLxPicBufAPI::CalcCompSize(pic->uiBpc);
        width = histo->uiAreaWidth;
        pixels = uint64_t(histo->uiAreaWidth) * histo->uiAreaHeight;
    } else if (histo->uiAreaMode != 0) {
        return 0;
    }
    if (pixels > 0xFFFFFFFFu)
        return 0;
    CLxPicMemAPI::GetHistogram2DEx(histo->pBins, histo->uiBinSize, start, pic->uiWidthBytes,
                                   pic->uiComps, pic->uiBpc, compA, compB, histo->uiStepX,
                                   histo->uiStepY, width, uint32_t(pixels));
    return 0;
}

int CLxHisto2DAPI::CalculateUnderBinary(SLxHisto2D*, const SLxPicBuf*, unsigned, unsigned,
                                        const SLxPicBuf*, bool)
{
    return -2;
}

uint64_t CLxHisto2DAPI::GetValue(const SLxHisto2D* histo, unsigned a, unsigned b)
{
    if (!histo)
        return uint64_t(int64_t(-4));
    const uint32_t size = GetSize(histo->uiBits);
    if (a >= size || b >= size)
        return uint64_t(int64_t(-4));
    if (!histo->pBins || (histo->uiBinSize != 4 && histo->uiBinSize != 8))
        return uint64_t(int64_t(-9));
    const size_t i = size_t(size) * a + b;
    return histo->uiBinSize == 4 ? static_cast<const uint32_t*>(histo->pBins)[i]
                                 : static_cast<const uint64_t*>(histo->pBins)[i];
}

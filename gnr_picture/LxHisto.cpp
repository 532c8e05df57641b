// The histogram record: preparation for a picture format, counting through
// the raw-memory kernels, and the searches over the planes.
#include "gnr_picture/LxHisto.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

uint32_t planeCount(uint32_t comps)
{
    return comps <= 1 ? 1 : comps + 1;
}

size_t planeBytes(const SLxHisto& h)
{
    return (size_t(1) << h.uiBits) * h.uiBinSize;
}

// Entry c of the component array: the only plane, or plane c + 1.
void pointPlanes(SLxHisto& h)
{
    auto* bins = static_cast<uint8_t*>(h.pHisto);
    if (h.uiComps <= 1) {
        h.ppCompHisto[0] = bins;
        return;
    }
    for (uint32_t c = 0; c < h.uiComps; ++c)
        h.ppCompHisto[c] = bins + (c + 1) * planeBytes(h);
}

void releaseBlocks(SLxHisto& h)
{
    CLxAlloc::Free(h.pHisto);
    CLxAlloc::Free(h.ppCompHisto);
    h.pHisto = nullptr;
    h.ppCompHisto = nullptr;
}

// Both blocks sized for the record's format, kept bytes kept, new bytes 0.
// On failure both are released.
bool reallocBlocks(SLxHisto& h)
{
    const size_t bins = planeCount(h.uiComps) * planeBytes(h);
    void* block = CLxAlloc::ReAlloc(h.pHisto, bins, LX_HEAP_ZERO_MEMORY);
    if (!block) {
        releaseBlocks(h);
        return false;
    }
    h.pHisto = block;
    const size_t entries = std::max<uint32_t>(h.uiComps, 1);
    void* planes = CLxAlloc::ReAlloc(h.ppCompHisto, entries * sizeof(void*), LX_HEAP_ZERO_MEMORY);
    if (!planes) {
        releaseBlocks(h);
        return false;
    }
    h.ppCompHisto = static_cast<void**>(planes);
    pointPlanes(h);
    return true;
}

int reinit(SLxHisto* h, const SLxPicBufDesc* desc, uint32_t binSize)
{
    if (!h || !desc)
        return -4;
    // 2^32 bins of 17 to 32 bits would take 32 GiB a plane.
    if (desc->uiBpc == 0 || desc->uiBpc > 16 || desc->uiComps == 0)
        return -2;
    const bool same = h->pHisto && h->ppCompHisto && h->uiBits == desc->uiBpc &&
                      h->uiComps == desc->uiComps && h->uiBinSize == binSize;
    h->uiWidth = desc->uiWidth;
    h->uiHeight = desc->uiHeight;
    if (h->uiAreaMode != 1) {
        h->uiAreaWidth = desc->uiWidth;
        h->uiAreaHeight = desc->uiHeight;
    }
    if (same)
        return 0;
    h->uiBinSize = binSize;
    h->uiComps = desc->uiComps;
    h->uiBits = desc->uiBpc;
    return reallocBlocks(*h) ? 0 : -3;
}

SLxPicBufDesc describe(const SLxPicBuf& pic)
{
    return SLxPicBufDesc{pic.uiWidth, pic.uiHeight, pic.uiWidthBytes,
                         pic.uiBpc,   pic.uiComps,  pic.uiSize};
}

// Calculate's common first steps: the record prepared for the picture's
// format with the bin size it has, then cleared when asked.
int prepareFor(SLxHisto* h, const SLxPicBuf& pic, bool reset)
{
    const SLxPicBufDesc desc = describe(pic);
    int status = -3;
    if (h->uiBinSize == 4)
        status = CLxHistoAPI::Reinit32(h, &desc);
    else if (h->uiBinSize == 8)
        status = CLxHistoAPI::Reinit64(h, &desc);
    if (status != 0)
        return status;
    if (reset)
        CLxHistoAPI::ResetToZero(h);
    return 0;
}

uint8_t* pixelAt(const SLxPicBuf& pic, uint32_t x, uint32_t y)
{
    return static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes +
           size_t(x) * pic.uiComps * ((pic.uiBpc + 7u) / 8u);
}

// A search runs on a record that has its planes; bin sizes other than 4 and
// 8 are left alone (return 0, nothing written).
enum class Readable { yes, skip, missing };
Readable readable(const SLxHisto& h)
{
    if (!h.pHisto || !h.ppCompHisto)
        return Readable::missing;
    if (h.uiBinSize != 4 && h.uiBinSize != 8)
        return Readable::skip;
    for (uint32_t c = 0; c < h.uiComps; ++c)
        if (!h.ppCompHisto[c])
            return Readable::missing;
    return Readable::yes;
}

// Plane c read as 64-bit counts whatever the bin size.
struct Plane {
    const void* bins;
    uint32_t binSize;
    uint32_t max;
    uint64_t operator[](uint32_t j) const
    {
        return binSize == 4 ? static_cast<const uint32_t*>(bins)[j]
                            : static_cast<const uint64_t*>(bins)[j];
    }
};

Plane planeOf(const SLxHisto& h, uint32_t c)
{
    return Plane{h.ppCompHisto[c], h.uiBinSize, (1u << h.uiBits) - 1u};
}

// The first bin from 0 up at which reached(count of that bin, running sum
// including it) holds; max when none.
template <class Reached> uint32_t scanUp(const Plane& p, Reached reached)
{
    uint64_t sum = 0;
    for (uint32_t j = 0; j <= p.max; ++j) {
        sum += p[j];
        if (reached(p[j], sum))
            return j;
    }
    return p.max;
}

// The first bin from max down; 0 when none.
template <class Reached> uint32_t scanDown(const Plane& p, Reached reached)
{
    uint64_t sum = 0;
    for (uint32_t j = p.max;; --j) {
        sum += p[j];
        if (reached(p[j], sum) || j == 0)
            return j;
    }
}

// The shared frame of the three low/high searches: arguments, then each
// component's low and high by the given scans.
template <class LowReached, class HighReached>
int searchLowHigh(const SLxHisto* h, unsigned* low, unsigned* high, bool wantLow, bool wantHigh,
                  LowReached lowReached, HighReached highReached)
{
    if (!h || (!low && !high))
        return -4;
    const Readable r = readable(*h);
    if (r == Readable::missing)
        return -9;
    if (r == Readable::skip)
        return 0;
    for (uint32_t c = 0; c < h->uiComps; ++c) {
        const Plane p = planeOf(*h, c);
        if (low && wantLow)
            low[c] = scanUp(p, lowReached);
        if (high && wantHigh)
            high[c] = scanDown(p, highReached);
    }
    return 0;
}

// The integer part of area x fraction + 0.5, at least 1, held to 64 bits.
uint64_t limitCount(double area, double fraction)
{
    const double v = std::floor(area * fraction + 0.5);
    if (!(v < 18446744073709551616.0))
        return std::numeric_limits<uint64_t>::max();
    const uint64_t n = v >= 1.0 ? uint64_t(v) : 0;
    return n == 0 ? 1 : n;
}

} // namespace

void CLxHistoAPI::Init(SLxHisto* histo)
{
    if (!histo)
        return;
    *histo = SLxHisto{};
    histo->uiStepX = 1;
    histo->uiStepY = 1;
}

int CLxHistoAPI::Reinit32(SLxHisto* histo, const SLxPicBufDesc* desc)
{
    return reinit(histo, desc, 4);
}

int CLxHistoAPI::Reinit64(SLxHisto* histo, const SLxPicBufDesc* desc)
{
    return reinit(histo, desc, 8);
}

int CLxHistoAPI::Copy(SLxHisto* dst, const SLxHisto* src)
{
    if (!dst || !src || dst == src || !src->pHisto || !src->ppCompHisto ||
        (src->uiBinSize != 4 && src->uiBinSize != 8) || src->uiBits == 0 || src->uiBits > 16)
        return dst == src && dst ? 0 : -4;
    const bool same = dst->pHisto && dst->ppCompHisto && dst->uiBits == src->uiBits &&
                      dst->uiComps == src->uiComps && dst->uiBinSize == src->uiBinSize;
    void* bins = dst->pHisto;
    void** planes = dst->ppCompHisto;
    *dst = *src;
    dst->pHisto = bins;
    dst->ppCompHisto = planes;
    if (!same && !reallocBlocks(*dst))
        return -9;
    std::memcpy(dst->pHisto, src->pHisto, planeCount(src->uiComps) * planeBytes(*src));
    return 0;
}

void CLxHistoAPI::ResetToZero(SLxHisto* histo)
{
    if (!histo || !histo->pHisto || (histo->uiBinSize != 4 && histo->uiBinSize != 8))
        return;
    std::memset(histo->pHisto, 0, planeCount(histo->uiComps) * planeBytes(*histo));
}

void CLxHistoAPI::Free(SLxHisto* histo)
{
    if (histo)
        releaseBlocks(*histo);
}

int CLxHistoAPI::Calculate(SLxHisto* histo, const SLxPicBuf* pic, bool reset)
{
    if (!histo || !lxpicbuf::coversFormat(pic))
        return -4;
    if (histo->uiAreaMode == 1 && !lxpicbuf::rectInside(*pic, histo->uiAreaX, histo->uiAreaY,
                                                        histo->uiAreaWidth, histo->uiAreaHeight))
        return -4;
    const int status = prepareFor(histo, *pic, reset);
    if (status != 0)
        return status;
    const uint8_t* start = static_cast<const uint8_t*>(pic->pData);
    uint32_t rowLength = pic->uiWidth;
    uint64_t count = uint64_t(pic->uiWidth) * pic->uiHeight;
    if (histo->uiAreaMode == 1) {
        start = pixelAt(*pic, histo->uiAreaX, histo->uiAreaY);
        rowLength = histo->uiAreaWidth;
        count = uint64_t(histo->uiAreaWidth) * histo->uiAreaHeight;
    } else if (histo->uiAreaMode != 0) {
        return 0;
    }
    return CLxPicMemAPI::GetHistogramEx(histo->ppCompHisto, histo->pHisto, histo->uiBinSize, start,
                                        pic->uiWidthBytes, pic->uiComps, pic->uiBpc, histo->uiStepX,
                                        histo->uiStepY, rowLength, uint32_t(count));
}

int CLxHistoAPI::CalculateUnderBinary(SLxHisto* histo, const SLxPicBuf* pic, const SLxPicBuf* mask,
                                      bool reset)
{
    if (!histo || !lxpicbuf::coversFormat(pic) || !lxpicbuf::coversFormat(mask) ||
        mask->uiBpc != 8 || mask->uiComps != 1)
        return -4;
    const int status = prepareFor(histo, *pic, reset);
    if (status != 0)
        return status;
    const uint32_t commonW = std::min(pic->uiWidth, mask->uiWidth);
    const uint32_t commonH = std::min(pic->uiHeight, mask->uiHeight);
    uint32_t x = 0, y = 0, w = commonW, h = commonH;
    if (histo->uiAreaMode == 1) {
        if (histo->uiAreaX >= commonW || histo->uiAreaY >= commonH)
            return -2;
        x = histo->uiAreaX;
        y = histo->uiAreaY;
        w = std::min(commonW - x, histo->uiAreaWidth);
        h = std::min(commonH - y, histo->uiAreaHeight);
        if (uint64_t(w) * h < 1)
            return -2;
    } else if (histo->uiAreaMode != 0) {
        return -2;
    }
    if (uint64_t(w) * h == 0)
        return 0;
    return CLxPicMemAPI::GetHistogramUnderBinary(
        histo->ppCompHisto, histo->pHisto, histo->uiBinSize, pixelAt(*pic, x, y), pic->uiWidthBytes,
        pic->uiComps, pic->uiBpc, pixelAt(*mask, x, y), mask->uiWidthBytes, histo->uiStepX,
        histo->uiStepY, w, uint32_t(uint64_t(w) * h));
}

int CLxHistoAPI::GetLowHighFreqAbs(const SLxHisto* histo, unsigned* low, unsigned* high,
                                   unsigned lowFreq, unsigned highFreq)
{
    return searchLowHigh(
        histo, low, high, lowFreq != 0, highFreq != 0,
        [lowFreq](uint64_t bin, uint64_t) { return bin >= lowFreq; },
        [highFreq](uint64_t bin, uint64_t) { return bin >= highFreq; });
}

int CLxHistoAPI::GetLowHighAbs(const SLxHisto* histo, unsigned* low, unsigned* high,
                               unsigned lowCount, unsigned highCount)
{
    return searchLowHigh(
        histo, low, high, lowCount != 0, highCount != 0,
        [lowCount](uint64_t, uint64_t sum) { return sum >= lowCount; },
        [highCount](uint64_t, uint64_t sum) { return sum >= highCount; });
}

int CLxHistoAPI::GetLowHigh(const SLxHisto* histo, unsigned* low, unsigned* high,
                            double lowFraction, double highFraction)
{
    const double area = histo ? double(uint64_t(histo->uiAreaWidth) * histo->uiAreaHeight) : 0.0;
    const uint64_t lowLimit = limitCount(area, lowFraction > 0 ? lowFraction : 0.0);
    const uint64_t highLimit = limitCount(area, highFraction > 0 ? highFraction : 0.0);
    return searchLowHigh(
        histo, low, high, lowFraction > 0, highFraction > 0,
        [lowLimit](uint64_t, uint64_t sum) { return sum > lowLimit; },
        [highLimit](uint64_t, uint64_t sum) { return sum > highLimit; });
}

int CLxHistoAPI::GetSumLowHigh(unsigned* low, unsigned* high, unsigned comp, unsigned threshold,
                               const SLxHisto* histo)
{
    if (!histo || (!low && !high) || comp >= histo->uiComps)
        return -4;
    const Readable r = readable(*histo);
    if (r == Readable::missing)
        return -9;
    if (r == Readable::skip)
        return 0;
    const Plane p = planeOf(*histo, comp);
    const auto exceeds = [threshold](uint64_t, uint64_t sum) { return sum > threshold; };
    if (low)
        *low = scanUp(p, exceeds);
    if (!high)
        return 0;
    *high = scanDown(p, exceeds);
    if (low && *low == *high) {
        if (*high == 0)
            *high = 1;
        else
            *low = *high - 1;
    }
    return 0;
}

uint64_t CLxHistoAPI::GetValue(const SLxHisto* histo, unsigned comp, unsigned bin)
{
    if (!histo || comp >= histo->uiComps || histo->uiBits > 31 || bin >= (1u << histo->uiBits))
        return uint64_t(int64_t(-4));
    if (readable(*histo) != Readable::yes)
        return uint64_t(int64_t(-9));
    return planeOf(*histo, comp)[bin];
}

uint32_t CLxHistoAPI::GetMeanIndex(const SLxHisto* histo, unsigned comp)
{
    if (!histo || comp >= histo->uiComps)
        return uint32_t(-4);
    if (readable(*histo) != Readable::yes)
        return uint32_t(-9);
    const Plane p = planeOf(*histo, comp);
    // 128 bits: 65536 bins of 64-bit counts times 16-bit indices.
    unsigned __int128 total = 0, moment = 0;
    for (uint32_t j = 0; j <= p.max; ++j) {
        total += p[j];
        moment += (unsigned __int128)(p[j]) * j;
    }
    return total == 0 ? 0 : uint32_t(moment / total);
}

int CLxHistoAPI::EstimateComponentWeights(SLxHisto* histo, double* weights)
{
    if (!histo || !weights)
        return -4;
    const Readable r = readable(*histo);
    if (r == Readable::missing)
        return -9;
    if (r == Readable::skip || histo->uiComps == 0)
        return 0;
    std::vector<double> energy(histo->uiComps, 0.0);
    double total = 0.0;
    for (uint32_t c = 0; c < histo->uiComps; ++c) {
        const Plane p = planeOf(*histo, c);
        for (uint32_t j = 0; j <= p.max; ++j)
            energy[c] += double(p[j]) * j * j;
        total += energy[c];
    }
    for (uint32_t c = 0; c < histo->uiComps; ++c)
        weights[c] = total > 0 ? energy[c] / total : 1.0 / histo->uiComps;
    return 0;
}

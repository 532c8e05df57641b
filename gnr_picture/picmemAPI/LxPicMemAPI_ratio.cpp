// Dispatchers of the ratio, calcium, FRET and local-peak kernels.
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxRatioKernels.h"

namespace
{

// 1 for up to 8 bits, 2 for 9 to 16 bits, 0 otherwise.
uint32_t sampleOf(uint32_t bits)
{
    return bits <= 8 ? 1 : bits <= 16 ? 2 : 0;
}

bool componentIn(int64_t index, uint32_t comps)
{
    return index >= 0 && index < int64_t(comps);
}

// The FRET table: one table of row pointers to 3 byte samples, with an
// entry for every value up to 2^bits - 1.
bool fretTableFits(const SLxLut* lut, uint32_t bits)
{
    return !lut ||
           (lut->pTable && lut->uiLutCount == 1 && lut->uiDstComps == 3 && lut->uiDstBits >= 1 &&
            lut->uiDstBits <= 8 && lut->uiSrcBits >= bits && lut->uiSrcBits <= 16);
}

// The checks FRETImage and FRET_EffImage share: 1 when there is work.
int checkFret(const void* dst, const void* src, uint32_t comps, uint32_t bits, uint32_t width,
              int32_t fretComp, int32_t donorComp, int32_t acceptorComp)
{
    if (width == 0)
        return 0;
    if (sampleOf(bits) == 0)
        return -2;
    if (!dst || !src || !componentIn(fretComp, comps) || !componentIn(donorComp, comps) ||
        acceptorComp >= int32_t(comps))
        return -4;
    return 1;
}

} // namespace

int CLxPicMemAPI::RatioImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                             uint32_t bits, uint32_t srcWB, uint32_t width, uint32_t count,
                             const SLxRatioDesc* desc)
{
    if (width == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (!dst || !src || !desc || !componentIn(desc->uiNumer, comps) ||
        !componentIn(desc->uiDenom, comps))
        return -4;
    return sample == 1 ? ratio_8(dst, dstWB, src, comps, bits, srcWB, width, count, desc)
                       : ratio_16(dst, dstWB, src, comps, bits, srcWB, width, count, desc);
}

int CLxPicMemAPI::CaImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t bits,
                          uint32_t srcWB, uint32_t width, uint32_t count, uint8_t numer,
                          uint8_t denom, uint16_t numOffset, uint16_t denOffset, double kd,
                          double scale, double betaNumer, double betaDenom, double ratioMin,
                          double ratioMax, double concLow, double concHigh)
{
    if (width == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (!dst || !src || !componentIn(numer, comps) || !componentIn(denom, comps))
        return -4;
    auto kernel = sample == 1 ? ca_8 : ca_16;
    return kernel(dst, dstWB, src, comps, bits, srcWB, width, count, numer, denom, numOffset,
                  denOffset, kd, scale, betaNumer, betaDenom, ratioMin, ratioMax, concLow,
                  concHigh);
}

int CLxPicMemAPI::FRETImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                            uint32_t bits, uint32_t srcWB, uint32_t width, uint32_t count,
                            int32_t fretComp, int32_t donorComp, int32_t acceptorComp,
                            int32_t unusedComp, int16_t fretOffset, int16_t donorOffset,
                            int16_t acceptorOffset, int16_t unusedOffset, double c0, double c1,
                            double c2, double c3, const SLxLut* lut, bool result16)
{
    const int status = checkFret(dst, src, comps, bits, width, fretComp, donorComp, acceptorComp);
    if (status != 1)
        return status;
    if (!fretTableFits(lut, bits))
        return -4;
    auto kernel = sampleOf(bits) == 1 ? fret_8 : result16 ? fret_16_to_16 : fret_16;
    return kernel(dst, dstWB, src, comps, bits, srcWB, width, count, fretComp, donorComp,
                  acceptorComp, unusedComp, fretOffset, donorOffset, acceptorOffset, unusedOffset,
                  c0, c1, c2, c3, lut);
}

int CLxPicMemAPI::FRET_EffImage(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                                uint32_t bits, uint32_t srcWB, uint32_t width, uint32_t count,
                                int32_t fretComp, int32_t donorComp, int32_t acceptorComp,
                                int32_t unusedComp, int16_t fretOffset, int16_t donorOffset,
                                int16_t acceptorOffset, int16_t unusedOffset, double c0, double c1,
                                double c2, double c3, double lowest, double highest)
{
    const int status = checkFret(dst, src, comps, bits, width, fretComp, donorComp, acceptorComp);
    if (status != 1)
        return status;
    auto kernel = sampleOf(bits) == 1 ? fret_eff_8 : fret_eff_16;
    return kernel(dst, dstWB, src, comps, bits, srcWB, width, count, fretComp, donorComp,
                  acceptorComp, unusedComp, fretOffset, donorOffset, acceptorOffset, unusedOffset,
                  c0, c1, c2, c3, lowest, highest);
}

int CLxPicMemAPI::MonoDetectLocalPeaks(void* dst, uint32_t dstWB, const void* src, uint32_t bits,
                                       uint32_t srcWB, uint32_t width, uint32_t count,
                                       int16_t tolerance, uint8_t levels)
{
    if (width == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (!dst || !src)
        return -4;
    return sample == 1
               ? localpeaks_8(dst, dstWB, src, bits, srcWB, width, count, tolerance, levels)
               : localpeaks_16(dst, dstWB, src, bits, srcWB, width, count, tolerance, levels);
}

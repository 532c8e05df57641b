// Dispatchers of the histogram kernels.
#include "gnr_picture/picmemAPI/LxHistogramKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

// Component count of the member: 1, 3 or 4, else 0 for the N member.
uint32_t memberOf(uint32_t comps)
{
    return comps == 1 || comps == 3 || comps == 4 ? comps : 0;
}

// 1 byte samples for exactly 8 bits, 2 for 9 to 16, else 0 (no member).
uint32_t sampleOf(uint32_t bits)
{
    return bits == 8 ? 1 : bits >= 9 && bits <= 16 ? 2 : 0;
}

// Every bin array the call will write is there.
bool binsPresent(void** hist, uint32_t comps)
{
    if (!hist)
        return false;
    for (uint32_t c = 0; c < comps; ++c)
        if (!hist[c])
            return false;
    return true;
}

} // namespace

int CLxPicMemAPI::GetHistogram(void** hist, uint32_t binSize, const void* src, uint32_t srcWB,
                               uint32_t comps, uint32_t bits, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (comps == 0 || !src || !binsPresent(hist, comps))
        return -4;
    const uint32_t member = memberOf(comps);
    if (sample == 1) {
        switch (member) {
        case 1:
            return gethistogram_1x8(hist, binSize, src, srcWB, bits, 1, 1, width, count);
        case 3:
            return gethistogram_3x8(hist, binSize, src, srcWB, bits, 1, 1, width, count);
        case 4:
            return gethistogram_4x8(hist, binSize, src, srcWB, bits, 1, 1, width, count);
        default:
            return gethistogram_Nx8(hist, binSize, src, srcWB, comps, bits, 1, 1, width, count);
        }
    }
    switch (member) {
    case 1:
        return gethistogram_1x16(hist, binSize, src, srcWB, bits, 1, 1, width, count);
    case 3:
        return gethistogram_3x16(hist, binSize, src, srcWB, bits, 1, 1, width, count);
    case 4:
        return gethistogram_4x16(hist, binSize, src, srcWB, bits, 1, 1, width, count);
    default:
        return gethistogram_Nx16(hist, binSize, src, srcWB, comps, bits, 1, 1, width, count);
    }
}

int CLxPicMemAPI::GetHistogramDiv(void** hist, uint32_t binSize, uint32_t histBits, const void* src,
                                  uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t width,
                                  uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (bits <= 8 || bits > 32)
        return -2;
    if (histBits > bits || comps == 0 || !src || !binsPresent(hist, comps))
        return -4;
    const uint32_t member = comps == 1 || comps == 3 ? comps : 0;
    if (bits <= 16) {
        switch (member) {
        case 1:
            return gethistogramdiv_1x16(hist, binSize, histBits, src, srcWB, bits, width, count);
        case 3:
            return gethistogramdiv_3x16(hist, binSize, histBits, src, srcWB, bits, width, count);
        default:
            return gethistogramdiv_Nx16(hist, binSize, histBits, src, srcWB, comps, bits, width,
                                        count);
        }
    }
    switch (member) {
    case 1:
        return gethistogramdiv_1x32(hist, binSize, histBits, src, srcWB, bits, width, count);
    case 3:
        return gethistogramdiv_3x32(hist, binSize, histBits, src, srcWB, bits, width, count);
    default:
        return gethistogramdiv_Nx32(hist, binSize, histBits, src, srcWB, comps, bits, width, count);
    }
}

int CLxPicMemAPI::GetHistogramEx(void** hist, void* intensity, uint32_t binSize, const void* src,
                                 uint32_t srcWB, uint32_t comps, uint32_t bits, uint32_t xStep,
                                 uint32_t yStep, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (comps == 0 || !src || !intensity || xStep == 0 || yStep == 0)
        return -4;
    const uint32_t member = memberOf(comps);
    // One component: its bins are the intensity bins.
    void* only[1] = {intensity};
    if (member == 1)
        return sample == 1
                   ? gethistogram_1x8(only, binSize, src, srcWB, bits, xStep, yStep, width, count)
                   : gethistogram_1x16(only, binSize, src, srcWB, bits, xStep, yStep, width, count);
    if (!binsPresent(hist, comps))
        return -4;
    if (sample == 1) {
        switch (member) {
        case 3:
            return gethistogramint_3x8(hist, intensity, binSize, src, srcWB, bits, xStep, yStep,
                                       width, count);
        case 4:
            return gethistogramint_4x8(hist, intensity, binSize, src, srcWB, bits, xStep, yStep,
                                       width, count);
        default:
            return gethistogramint_Nx8(hist, intensity, binSize, src, srcWB, comps, bits, xStep,
                                       yStep, width, count);
        }
    }
    switch (member) {
    case 3:
        return gethistogramint_3x16(hist, intensity, binSize, src, srcWB, bits, xStep, yStep, width,
                                    count);
    case 4:
        return gethistogramint_4x16(hist, intensity, binSize, src, srcWB, bits, xStep, yStep, width,
                                    count);
    default:
        return gethistogramint_Nx16(hist, intensity, binSize, src, srcWB, comps, bits, xStep, yStep,
                                    width, count);
    }
}

int CLxPicMemAPI::GetHistogramUnderBinary(void** hist, void* intensity, uint32_t binSize,
                                          const void* src, uint32_t srcWB, uint32_t comps,
                                          uint32_t bits, const void* mask, uint32_t maskWB,
                                          uint32_t xStep, uint32_t yStep, uint32_t width,
                                          uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    const uint32_t sample = sampleOf(bits);
    if (sample == 0)
        return -2;
    if (comps == 0 || !src || !mask || !intensity || xStep == 0 || yStep == 0)
        return -4;
    const uint32_t member = memberOf(comps);
    void* only[1] = {intensity};
    if (member == 1)
        return sample == 1 ? gethistogrambin_1x8(only, intensity, binSize, src, srcWB, bits, mask,
                                                 maskWB, xStep, yStep, width, count)
                           : gethistogrambin_1x16(only, intensity, binSize, src, srcWB, bits, mask,
                                                  maskWB, xStep, yStep, width, count);
    if (!binsPresent(hist, comps))
        return -4;
    if (sample == 1) {
        switch (member) {
        case 3:
            return gethistogrambin_3x8(hist, intensity, binSize, src, srcWB, bits, mask, maskWB,
                                       xStep, yStep, width, count);
        case 4:
            return gethistogrambin_4x8(hist, intensity, binSize, src, srcWB, bits, mask, maskWB,
                                       xStep, yStep, width, count);
        default:
            return gethistogrambin_Nx8(hist, intensity, binSize, src, srcWB, comps, bits, mask,
                                       maskWB, xStep, yStep, width, count);
        }
    }
    switch (member) {
    case 3:
        return gethistogrambin_3x16(hist, intensity, binSize, src, srcWB, bits, mask, maskWB, xStep,
                                    yStep, width, count);
    case 4:
        return gethistogrambin_4x16(hist, intensity, binSize, src, srcWB, bits, mask, maskWB, xStep,
                                    yStep, width, count);
    default:
        return gethistogrambin_Nx16(hist, intensity, binSize, src, srcWB, comps, bits, mask, maskWB,
                                    xStep, yStep, width, count);
    }
}

int CLxPicMemAPI::GetHistogram2DEx(void* bins, uint32_t binSize, const void* src, uint32_t srcWB,
                                   uint32_t comps, uint32_t bits, uint32_t comp1, uint32_t comp2,
                                   uint32_t xStep, uint32_t yStep, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0 || comp1 >= comps || comp2 >= comps)
        return -4;
    if (bits > 16)
        return -2;
    if (!bins || !src || xStep == 0 || yStep == 0)
        return -4;
    return bits <= 8 ? gethistogram2d_8(bins, binSize, src, srcWB, comps, bits, comp1, comp2, xStep,
                                        yStep, width, count)
                     : gethistogram2d_16(bins, binSize, src, srcWB, comps, bits, comp1, comp2,
                                         xStep, yStep, width, count);
}

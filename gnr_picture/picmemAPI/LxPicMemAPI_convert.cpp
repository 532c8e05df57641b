// Dispatchers of the bit-depth and component-count conversions.
#include "gnr_picture/picmemAPI/LxConvertKernels.h"
#include "gnr_picture/picmemAPI/LxCopyKernels.h"
#include "gnr_picture/picmemAPI/LxLutConvertKernels.h"
#include "gnr_picture/picmemAPI/LxLutKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;

// The shift conversions serve 8 bits exactly (their kernels assume it) and
// 9 to 16 bits.
uint32_t shiftDepth(uint32_t bits)
{
    return bits == 8 ? 1 : bits >= 9 && bits <= 16 ? 2 : 0;
}

// The table as a flat or a row table, clamped to its source bits.
template <class S, class D, int CN>
int throughLut(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
               const SLxLut& lut, uint32_t width, uint32_t count)
{
    const LutTable t =
        tableOfBits<S>(lut.pTable, lut.uiSrcBits, static_cast<const uint8_t*>(lut.pOverExpColor));
    if (lut.uiDstComps == 1)
        return convertViaLut<S, D, CN, false>(dst, dstWB, src, srcWB, comps, t, width, count);
    return convertViaLut<S, D, CN, true>(dst, dstWB, src, srcWB, comps, t, width, count);
}

} // namespace

int CLxPicMemAPI::ConvertBitDepthViaShifts(void* dst, uint32_t dstBits, uint32_t dstWB,
                                           const void* src, uint32_t srcBits, uint32_t srcWB,
                                           uint32_t comps, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstBits == srcBits)
        return Copy(dst, dstWB, src, srcWB, comps, srcBits, width, count);
    switch (depthPair(shiftDepth(srcBits), shiftDepth(dstBits))) {
    case depthPair(1, 2):
        return convert_Nx8_to_Nx16(dst, dstBits, dstWB, src, srcWB, comps, width, count);
    case depthPair(2, 1):
        return convert_Nx16_to_Nx8(dst, dstWB, src, srcBits, srcWB, comps, width, count);
    case depthPair(2, 2):
        return convert_Nx16_to_Nx16(dst, dstBits, dstWB, src, srcBits, srcWB, comps, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ChangeBitDepth(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                                 uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                                 uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcBits == 0 || srcBits > 32)
        return -2;
    switch (formatKey(memberComps(comps, {1, 3}), sampleBytes(dstBits))) {
    case formatKey(1, 1):
        return changebitdepth_1xN_to_1x08(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(1, 2):
        return changebitdepth_1xN_to_1x16(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(1, 4):
        return changebitdepth_1xN_to_1x32(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(3, 1):
        return changebitdepth_3xN_to_3x08(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(3, 2):
        return changebitdepth_3xN_to_3x16(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(3, 4):
        return changebitdepth_3xN_to_3x32(dst, dstWB, src, srcWB, srcBits, width, count);
    case formatKey(0, 1):
        return changebitdepth_NxM_to_Nx08(dst, dstWB, src, srcWB, srcBits, comps, width, count);
    case formatKey(0, 2):
        return changebitdepth_NxM_to_Nx16(dst, dstWB, src, srcWB, srcBits, comps, width, count);
    case formatKey(0, 4):
        return changebitdepth_NxM_to_Nx32(dst, dstWB, src, srcWB, srcBits, comps, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ConvertBitDepthViaLuts(void* dst, uint32_t dstBits, uint32_t dstWB,
                                         const void* src, uint32_t srcBits, uint32_t srcWB,
                                         const SLxLut* lut, uint32_t comps, uint32_t width,
                                         uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstBits == srcBits)
        return ApplyLuts(dst, dstWB, src, srcWB, lut, comps, srcBits, width, count);
    const uint32_t pair = depthPair(shiftDepth(srcBits), shiftDepth(dstBits));
    if (pair != depthPair(2, 1) && pair != depthPair(1, 2) && pair != depthPair(2, 2))
        return -2;
    // One table from srcBits to dstBits: flat (every component through the
    // same mapping) or with a row of comps outputs.
    if (!lut || !lut->pTable || lut->uiLutCount != 1 || lut->uiSrcBits != srcBits ||
        lut->uiDstBits != dstBits || comps == 0 ||
        (lut->uiDstComps != 1 && lut->uiDstComps != comps))
        return -4;
    const SLxLut& t = *lut;
    switch (formatKey(memberComps(comps, {1, 3, 4}), pair)) {
    case formatKey(1, depthPair(2, 1)):
        return throughLut<u16, u8, 1>(dst, dstWB, src, srcWB, 1, t, width, count);
    case formatKey(1, depthPair(1, 2)):
        return throughLut<u8, u16, 1>(dst, dstWB, src, srcWB, 1, t, width, count);
    case formatKey(1, depthPair(2, 2)):
        return throughLut<u16, u16, 1>(dst, dstWB, src, srcWB, 1, t, width, count);
    case formatKey(3, depthPair(2, 1)):
        return throughLut<u16, u8, 3>(dst, dstWB, src, srcWB, 3, t, width, count);
    case formatKey(3, depthPair(1, 2)):
        return throughLut<u8, u16, 3>(dst, dstWB, src, srcWB, 3, t, width, count);
    case formatKey(3, depthPair(2, 2)):
        return throughLut<u16, u16, 3>(dst, dstWB, src, srcWB, 3, t, width, count);
    case formatKey(4, depthPair(2, 1)):
        return throughLut<u16, u8, 4>(dst, dstWB, src, srcWB, 4, t, width, count);
    case formatKey(4, depthPair(1, 2)):
        return throughLut<u8, u16, 4>(dst, dstWB, src, srcWB, 4, t, width, count);
    case formatKey(4, depthPair(2, 2)):
        return throughLut<u16, u16, 4>(dst, dstWB, src, srcWB, 4, t, width, count);
    case formatKey(0, depthPair(2, 1)):
        return throughLut<u16, u8, 0>(dst, dstWB, src, srcWB, comps, t, width, count);
    case formatKey(0, depthPair(1, 2)):
        return throughLut<u8, u16, 0>(dst, dstWB, src, srcWB, comps, t, width, count);
    case formatKey(0, depthPair(2, 2)):
        return throughLut<u16, u16, 0>(dst, dstWB, src, srcWB, comps, t, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ConvertBitDepthViaLinFunc(void* dst, uint32_t dstBits, uint32_t dstWB,
                                            const void* src, uint32_t srcBits, uint32_t srcWB,
                                            const uint64_t* coeffs, uint32_t comps, uint32_t width,
                                            uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcBits < 17 || srcBits > 31)
        return -2;
    switch (formatKey(memberComps(comps, {1, 3}), sampleBytes(dstBits))) {
    case formatKey(1, 2):
        return convertbitdepthvialinfunc_1x32_to_1x16(dst, dstWB, src, srcWB, coeffs, width, count);
    case formatKey(3, 2):
        return convertbitdepthvialinfunc_3x32_to_3x16(dst, dstWB, src, srcWB, coeffs, width, count);
    case formatKey(0, 2):
        return convertbitdepthvialinfunc_Mx32_to_Mx16(dst, dstWB, src, srcWB, coeffs, comps, width,
                                                      count);
    case formatKey(1, 1):
        return convertbitdepthvialinfunc_1x32_to_1x8(dst, dstWB, src, srcWB, coeffs, width, count);
    case formatKey(3, 1):
        return convertbitdepthvialinfunc_3x32_to_3x8(dst, dstWB, src, srcWB, coeffs, width, count);
    case formatKey(0, 1):
        return convertbitdepthvialinfunc_Mx32_to_Mx8(dst, dstWB, src, srcWB, coeffs, comps, width,
                                                     count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::CollapseComponents(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                     uint32_t srcWB, const double* weights, uint32_t bits,
                                     uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    switch (formatKey(memberComps(srcComps, {1, 3, 4}), memberBytes(bits))) {
    case formatKey(1, 1):
    case formatKey(1, 2):
        return copy(dst, dstWB, src, srcWB, 1, bits, width, count);
    case formatKey(3, 1):
        return convert_3x8_to_1x8(dst, dstWB, src, srcWB, weights, width, count);
    case formatKey(3, 2):
        return convert_3x16_to_1x16(dst, dstWB, src, srcWB, weights, width, count);
    case formatKey(4, 1):
        return convert_4x8_to_1x8(dst, dstWB, src, srcWB, weights, width, count);
    case formatKey(4, 2):
        return convert_4x16_to_1x16(dst, dstWB, src, srcWB, weights, width, count);
    case formatKey(0, 1):
        return convert_Nx8_to_1x8(dst, dstWB, src, srcComps, srcWB, weights, width, count);
    case formatKey(0, 2):
        return convert_Nx16_to_1x16(dst, dstWB, src, srcComps, srcWB, weights, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ExpandComponent(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                                  uint32_t srcWB, uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    switch (formatKey(memberComps(dstComps, {1, 3}), memberBytes(bits))) {
    case formatKey(1, 1):
    case formatKey(1, 2):
        return copy(dst, dstWB, src, srcWB, 1, bits, width, count);
    case formatKey(3, 1):
        return convert_1x8_to_3x8(dst, dstWB, src, srcWB, width, count);
    case formatKey(3, 2):
        return convert_1x16_to_3x16(dst, dstWB, src, srcWB, width, count);
    case formatKey(0, 1):
        return convert_1x8_to_Nx8(dst, dstComps, dstWB, src, srcWB, width, count);
    case formatKey(0, 2):
        return convert_1x16_to_Nx16(dst, dstComps, dstWB, src, srcWB, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::CollapseRGBAtoRGB(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                    uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    switch (sampleBytes(bits)) {
    case 1:
        return convert_4x8_to_3x8(dst, dstWB, src, srcWB, width, count);
    case 2:
        return convert_4x16_to_3x16(dst, dstWB, src, srcWB, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ExpandRGBtoRGBA(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  uint32_t alpha, uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    switch (sampleBytes(bits)) {
    case 1:
        return convert_3x8_to_4x8(dst, dstWB, src, srcWB, uint8_t(alpha), width, count);
    case 2:
        return convert_3x16_to_4x16(dst, dstWB, src, srcWB, uint16_t(alpha), width, count);
    default:
        return -2;
    }
}

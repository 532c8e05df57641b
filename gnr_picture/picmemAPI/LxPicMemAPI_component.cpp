// Dispatchers of the component kernels.
#include "gnr_picture/picmemAPI/LxComponentKernels.h"
#include "gnr_picture/picmemAPI/LxLutKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;

// A component index past its pixel would write into the next pixels and,
// on the last line, past the picture.
bool componentsFit(uint32_t dstComp, uint32_t dstComps, uint32_t srcComp, uint32_t srcComps)
{
    return dstComp < dstComps && srcComp < srcComps;
}

// One of the tables of lut, clamped to its source bits; 8-bit sources are
// over-exposed at 255, deeper ones at 2^srcBits - 1.
template <class S> LutTable componentTable(const void* table, const SLxLut& lut, bool marked)
{
    LutTable t = tableOfBits<S>(table, lut.uiSrcBits,
                                marked ? static_cast<const uint8_t*>(lut.pOverExpColor) : nullptr);
    if (sizeof(S) == 1)
        t.level = 255;
    return t;
}

// Component srcComp through a flat table (Rows false) or a row table into
// dstComps 8-bit components.
template <class S, bool Rows>
int componentThroughLut(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src,
                        uint32_t srcComps, uint32_t srcWB, uint32_t srcComp, const void* table,
                        const SLxLut& lut, uint32_t width, uint32_t count)
{
    switch (memberComps(dstComps, {1, 3})) {
    case 1:
        return lookupComponent<S, u8, 1, Rows>(dst, 1, dstWB, src, srcComps, srcWB, srcComp,
                                               componentTable<S>(table, lut, false), width, count);
    case 3:
        return lookupComponent<S, u8, 3, Rows>(dst, 3, dstWB, src, srcComps, srcWB, srcComp,
                                               componentTable<S>(table, lut, true), width, count);
    default:
        return lookupComponent<S, u8, 0, Rows>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                               componentTable<S>(table, lut, false), width, count);
    }
}

} // namespace

int CLxPicMemAPI::CopyComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                const void* src, uint32_t srcComps, uint32_t srcWB,
                                uint32_t srcComp, uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (!componentsFit(dstComp, dstComps, srcComp, srcComps))
        return -4;
    switch (sampleBytes(bits)) {
    case 1:
        return copycomponent_Nx8_to_Nx8(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                        srcComp, width, count);
    case 2:
        return copycomponent_Nx16_to_Nx16(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                          srcComp, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ExtractComponent(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                   uint32_t srcWB, uint32_t srcComp, uint32_t bits, uint32_t width,
                                   uint32_t count)
{
    if (!emptyWindow(width, count) && memberBytes(bits) == 0)
        return -2;
    return CopyComponent(dst, 1, dstWB, 0, src, srcComps, srcWB, srcComp, bits, width, count);
}

int CLxPicMemAPI::StoreComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                 const void* src, uint32_t srcWB, uint32_t bits, uint32_t width,
                                 uint32_t count)
{
    return CopyComponent(dst, dstComps, dstWB, dstComp, src, 1, srcWB, 0, bits, width, count);
}

int CLxPicMemAPI::CopyComponentMask(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                    const void* src, uint32_t srcComps, uint32_t srcWB,
                                    uint32_t srcComp, uint32_t bits, const void* mask,
                                    uint32_t maskWB, uint32_t maskBits, uint32_t width,
                                    uint32_t count, uint32_t value, bool in)
{
    if (emptyWindow(width, count))
        return 0;
    if (!componentsFit(dstComp, dstComps, srcComp, srcComps))
        return -4;
    const uint32_t maskBytes = maskBits <= 8 ? 1 : maskBits <= 16 ? 2 : 0;
    switch (formatKey(maskBytes, sampleBytes(bits))) {
    case formatKey(1, 1):
        return (in ? copycomponentmask_8_Nx8_in : copycomponentmask_8_Nx8_out)(
            dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, mask, maskWB, width,
            count, value);
    case formatKey(1, 2):
        return (in ? copycomponentmask_8_Nx16_in : copycomponentmask_8_Nx16_out)(
            dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, mask, maskWB, width,
            count, value);
    case formatKey(2, 1):
        return (in ? copycomponentmask_16_Nx8_in : copycomponentmask_16_Nx8_out)(
            dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, mask, maskWB, width,
            count, value);
    case formatKey(2, 2):
        return (in ? copycomponentmask_16_Nx16_in : copycomponentmask_16_Nx16_out)(
            dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, mask, maskWB, width,
            count, value);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ConvertComponentViaShifts(void* dst, uint32_t dstComps, uint32_t dstBits,
                                            uint32_t dstWB, uint32_t dstComp, const void* src,
                                            uint32_t srcComps, uint32_t srcBits, uint32_t srcWB,
                                            uint32_t srcComp, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstBits == srcBits)
        return CopyComponent(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, srcBits,
                             width, count);
    if (!componentsFit(dstComp, dstComps, srcComp, srcComps))
        return -4;
    auto depth = [](uint32_t bits) { return bits <= 16 ? sampleBytes(bits) : 0; };
    switch (depthPair(depth(srcBits), depth(dstBits))) {
    case depthPair(1, 1):
        return convertcomponent_8_to_8(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps, srcWB,
                                       srcComp, srcBits, width, count);
    case depthPair(1, 2):
        return convertcomponent_8_to_16(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps,
                                        srcWB, srcComp, srcBits, width, count);
    case depthPair(2, 1):
        return convertcomponent_16_to_8(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps,
                                        srcWB, srcComp, srcBits, width, count);
    case depthPair(2, 2):
        return convertcomponent_16_to_16(dst, dstComps, dstWB, dstComp, dstBits, src, srcComps,
                                         srcWB, srcComp, srcBits, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::SetComponentValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB,
                                    uint32_t dstComp, uint32_t value, uint32_t width,
                                    uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstComp >= comps)
        return -4;
    switch (sampleBytes(bits)) {
    case 1:
        return setcomponent_Nx8(dst, comps, dstWB, dstComp, uint8_t(value), width, count);
    case 2:
        return setcomponent_Nx16(dst, comps, dstWB, dstComp, uint16_t(value), width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::CompareComponent(const void* a, uint32_t aComps, uint32_t aWB, uint32_t aComp,
                                   const void* b, uint32_t bComps, uint32_t bWB, uint32_t bComp,
                                   uint32_t bits, uint32_t width, uint32_t count, int* status)
{
    if (emptyWindow(width, count))
        return 0;
    int failure = 0;
    int result = 0;
    if (!componentsFit(aComp, aComps, bComp, bComps)) {
        failure = -4;
    } else {
        switch (sampleBytes(bits)) {
        case 1:
            result = comparecomponent_Nx8_to_Nx8(a, aComps, aWB, aComp, b, bComps, bWB, bComp,
                                                 width, count);
            break;
        case 2:
            result = comparecomponent_Nx16_to_Nx16(a, aComps, aWB, aComp, b, bComps, bWB, bComp,
                                                   width, count);
            break;
        default:
            failure = -2;
        }
    }
    if (status)
        *status = failure;
    return result;
}

int CLxPicMemAPI::ExtractComponentViaLuts(void* dst, uint32_t dstComps, uint32_t dstBits,
                                          uint32_t dstWB, const void* src, uint32_t srcComps,
                                          uint32_t srcBits, uint32_t srcWB, uint32_t srcComp,
                                          const SLxLut* lut, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (!lut || !lut->pTable || lut->uiSrcBits != srcBits || lut->uiDstBits != dstBits)
        return -4;
    if (dstBits > 8)
        return -2;
    const uint32_t srcBytes = srcBits <= 16 ? sampleBytes(srcBits) : 0;
    if (srcBytes == 0)
        return -2;
    if (!componentsFit(0, dstComps, srcComp, srcComps))
        return -4;

    // Which table and which layout: one flat table for every destination
    // component, one row table, or the row table of component srcComp.
    const void* table = lut->pTable;
    bool rows = true;
    if (lut->uiLutCount == 1 && lut->uiDstComps == 1) {
        rows = false;
    } else if (lut->uiLutCount != 1 || lut->uiDstComps != dstComps) {
        if (lut->uiLutCount != srcComps || lut->uiDstComps != dstComps)
            return -4;
        table = static_cast<void* const*>(lut->pTable)[srcComp];
    }

    switch (formatKey(rows, srcBytes)) {
    case formatKey(false, 1):
        return componentThroughLut<u8, false>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                              table, *lut, width, count);
    case formatKey(false, 2):
        return componentThroughLut<u16, false>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                               table, *lut, width, count);
    case formatKey(true, 1):
        return componentThroughLut<u8, true>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                             table, *lut, width, count);
    case formatKey(true, 2):
        return componentThroughLut<u16, true>(dst, dstComps, dstWB, src, srcComps, srcWB, srcComp,
                                              table, *lut, width, count);
    default:
        return -2;
    }
}

// Any picture window to 8-bit colour for display: a chooser over the
// conversion and mapping operations.
#include <memory>

#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lxpic;

namespace
{

bool wordDepth(uint32_t bits)
{
    return bits >= 9 && bits <= 16;
}

struct HeapFree {
    void operator()(void* p) const { CLxAlloc::Free(p); }
};

// Gray of 9-16 bits: each line shifted to 8 bits in a scratch line, then
// repeated into blue, green and red. A line of scratch stays in the cache,
// where a whole 8-bit frame would not.
int deepGrayToColour(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits, uint32_t srcWB,
                     uint32_t width, uint32_t count)
{
    // Vector loops shift and repeat the bulk of every line in one pass; the
    // scratch line serves the rest.
    const uint32_t done =
        expandShiftedGrayBulk(static_cast<uint8_t*>(dst), dstWB, static_cast<const uint8_t*>(src),
                              srcWB, srcBits - 8, width, lineCount(width, count));
    if (done == width)
        return 0;
    dst = static_cast<uint8_t*>(dst) + size_t(done) * 3;
    src = static_cast<const uint8_t*>(src) + size_t(done) * 2;
    count = (width - done) * lineCount(width, count);
    width -= done;
    std::unique_ptr<uint8_t, HeapFree> scratch(static_cast<uint8_t*>(CLxAlloc::Alloc(0, width)));
    if (!scratch)
        return -3;
    const uint32_t lines = lineCount(width, count);
    for (uint32_t y = 0; y < lines; ++y) {
        const auto* in = static_cast<const uint8_t*>(src) + size_t(y) * srcWB;
        auto* out = static_cast<uint8_t*>(dst) + size_t(y) * dstWB;
        int result = CLxPicMemAPI::ConvertBitDepthViaShifts(scratch.get(), 8, width, in, srcBits,
                                                            srcWB, 1, width, width);
        if (result == 0)
            result =
                CLxPicMemAPI::ExpandComponent(out, 3, dstWB, scratch.get(), width, 8, width, width);
        if (result != 0)
            return result;
    }
    return 0;
}

int withoutTable(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps, uint32_t srcBits,
                 uint32_t srcWB, uint32_t width, uint32_t count)
{
    if (srcComps == 1 && srcBits == 8)
        return CLxPicMemAPI::ExpandComponent(dst, 3, dstWB, src, srcWB, 8, width, count);
    if (srcComps == 1 && wordDepth(srcBits))
        return deepGrayToColour(dst, dstWB, src, srcBits, srcWB, width, count);
    if (srcComps == 3 && srcBits == 8)
        return CLxPicMemAPI::Copy(dst, dstWB, src, srcWB, 3, 8, width, count);
    if (srcComps == 3 && wordDepth(srcBits))
        return CLxPicMemAPI::ConvertBitDepthViaShifts(dst, 8, dstWB, src, srcBits, srcWB, 3, width,
                                                      count);
    return -4;
}

} // namespace

int CLxPicMemAPI::ConvertToTrueColor(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps,
                                     uint32_t srcBits, uint32_t srcWB, uint32_t width,
                                     uint32_t count, const SLxLut* lut)
{
    if (emptyWindow(width, count))
        return 0;
    if (!lut)
        return withoutTable(dst, dstWB, src, srcComps, srcBits, srcWB, width, count);
    // A mask is looked at for at most 255 components, the most a table has.
    if (lut->uiDstBits != 8 || srcComps == 0 || srcComps > 255)
        return -4;
    const uint8_t comps = uint8_t(srcComps);
    const uint32_t shown = SLxLut::ComponentCountFromMask(lut->uiCompMask, comps);
    if (shown == 0) {
        const uint8_t black[3] = {0, 0, 0};
        return SetValue(dst, 3, 8, dstWB, black, width, count);
    }
    if (shown == 1) {
        const uint32_t k = SLxLut::ComponentIndexFromMask(lut->uiCompMask, comps, 0);
        return ExtractComponentViaLuts(dst, 3, 8, dstWB, src, srcComps, srcBits, srcWB, k, lut,
                                       width, count);
    }
    if (lut->uiLutCount != 1)
        return MapComponentsMToN(dst, 3, 8, dstWB, src, srcComps, srcBits, srcWB, lut, width,
                                 count);
    if (srcComps == 1)
        return MapValueToComponents(dst, 3, 8, dstWB, src, srcBits, srcWB, lut, width, count);
    if (srcComps == 3 && srcBits <= 8)
        return ApplyLuts(dst, dstWB, src, srcWB, lut, 3, 8, width, count);
    if (srcComps == 3)
        return ConvertBitDepthViaLuts(dst, 8, dstWB, src, srcBits, srcWB, lut, 3, width, count);
    return -4;
}

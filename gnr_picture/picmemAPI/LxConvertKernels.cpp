#include "gnr_picture/picmemAPI/LxConvertKernels.h"

#include <cstdlib>

#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"

using namespace lxpic;

namespace
{

// comps samples a pixel through op.
template <class S, class D, class Op>
int mapComps(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
             uint32_t width, uint32_t pixelCount, Op op)
{
    mapSamples<S, D>(dst, dstWB, src, srcWB, size_t(comps) * width, lineCount(width, pixelCount),
                     op);
    return 0;
}

} // namespace

namespace lxpic
{

LX_KERNEL_CLONES void weighBytes(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                const uint32_t* factors, uint32_t n, uint32_t width, uint32_t lines)
{
    switch (n) {
    case 3:
        return weighLines<uint8_t, 3>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    case 4:
        return weighLines<uint8_t, 4>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    default:
        return weighLines<uint8_t, 0>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    }
}

LX_KERNEL_CLONES void weighWords(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                const uint32_t* factors, uint32_t n, uint32_t width, uint32_t lines)
{
    switch (n) {
    case 3:
        return weighLines<uint16_t, 3>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    case 4:
        return weighLines<uint16_t, 4>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    default:
        return weighLines<uint16_t, 0>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    }
}

} // namespace lxpic

int convert_3x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 3>(dst, dstWB, src, 3, srcWB, weights, width, pixelCount);
}

int convert_4x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 4>(dst, dstWB, src, 4, srcWB, weights, width, pixelCount);
}

int convert_3x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 3>(dst, dstWB, src, 3, srcWB, weights, width, pixelCount);
}

int convert_4x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 4>(dst, dstWB, src, 4, srcWB, weights, width, pixelCount);
}

int convert_Nx8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 0>(dst, dstWB, src, comps, srcWB, weights, width, pixelCount);
}

int convert_Nx16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 0>(dst, dstWB, src, comps, srcWB, weights, width, pixelCount);
}

int convert_1x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    return expandGray<uint8_t, 3>(dst, 3, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return expandGray<uint16_t, 3>(dst, 3, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    return expandGray<uint8_t, 4>(dst, 4, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return expandGray<uint16_t, 4>(dst, 4, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x8_to_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* src, uint32_t srcWB,
                       uint32_t width, uint32_t pixelCount)
{
    return expandGray<uint8_t, 0>(dst, comps, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x16_to_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* src, uint32_t srcWB,
                         uint32_t width, uint32_t pixelCount)
{
    return expandGray<uint16_t, 0>(dst, comps, dstWB, src, srcWB, width, pixelCount);
}

int convert_4x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    return repackPixels<uint8_t, 4, 3>(dst, dstWB, src, srcWB, 0, width, pixelCount);
}

int convert_4x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return repackPixels<uint16_t, 4, 3>(dst, dstWB, src, srcWB, 0, width, pixelCount);
}

int convert_3x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint8_t alpha,
                       uint32_t width, uint32_t pixelCount)
{
    return repackPixels<uint8_t, 3, 4>(dst, dstWB, src, srcWB, alpha, width, pixelCount);
}

int convert_3x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint16_t alpha,
                         uint32_t width, uint32_t pixelCount)
{
    return repackPixels<uint16_t, 3, 4>(dst, dstWB, src, srcWB, alpha, width, pixelCount);
}

int convert_Nx16_to_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                        uint32_t srcWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return mapComps<uint16_t, uint8_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                       ShiftRight{shiftCount(int64_t(srcBits) - 8)});
}

int convert_Nx8_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                        uint32_t srcWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return mapComps<uint8_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                       ShiftLeft{shiftCount(int64_t(dstBits) - 8)});
}

int convert_Nx16_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                         uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                         uint32_t pixelCount)
{
    const uint32_t n = shiftCount(std::llabs(int64_t(dstBits) - int64_t(srcBits)));
    if (dstBits < srcBits)
        return mapComps<uint16_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                            ShiftRight{n});
    return mapComps<uint16_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                        ShiftLeft{n});
}

int _shift_Nx16_to_Nx16(void* buf, uint32_t comps, uint32_t widthBytes, int32_t shift,
                        uint32_t width, uint32_t pixelCount)
{
    if (shift == 0)
        return 0;
    if (shift > 0)
        return mapComps<uint16_t, uint16_t>(buf, widthBytes, buf, widthBytes, comps, width,
                                            pixelCount, ShiftRight{shiftCount(shift)});
    return mapComps<uint16_t, uint16_t>(buf, widthBytes, buf, widthBytes, comps, width, pixelCount,
                                        ShiftLeft{shiftCount(-int64_t(shift))});
}

int changebitdepth_1xN_to_1x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_1xN_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_1xN_to_1x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_3xN_to_3x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_3xN_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_3xN_to_3x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_NxM_to_Nx08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}

int changebitdepth_NxM_to_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}

int changebitdepth_NxM_to_Nx32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}

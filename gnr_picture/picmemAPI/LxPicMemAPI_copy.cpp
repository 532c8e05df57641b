// Dispatchers of the copy, compare and fill kernels.
#include "gnr_picture/picmemAPI/LxCopyKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

int CLxPicMemAPI::Compare(const void* a, uint32_t aWB, const void* b, uint32_t bWB, uint32_t comps,
                          uint32_t bits, uint32_t width, uint32_t count, int* status)
{
    if (emptyWindow(width, count))
        return 0;
    if (status)
        *status = 0;
    if (sampleBytes(bits) == 0) {
        if (status)
            *status = -2;
        return 0;
    }
    return compare(a, aWB, b, bWB, comps, bits, width, count);
}

int CLxPicMemAPI::Copy(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                       uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (sampleBytes(bits) == 0)
        return -2;
    return copy(dst, dstWB, src, srcWB, comps, bits, width, count);
}

int CLxPicMemAPI::Set(void* dst, uint32_t dstWB, uint8_t value, uint32_t comps, uint32_t bits,
                      uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (sampleBytes(bits) == 0)
        return -2;
    return set(dst, dstWB, value, comps, bits, width, count);
}

int CLxPicMemAPI::BlendTwoBuffers(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                  const uint8_t* table, uint32_t comps, uint32_t bits,
                                  uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (sampleBytes(bits) == 0)
        return -2;
    if (!table)
        return -4;
    return blend_two(dst, dstWB, src, srcWB, table, comps, bits, width, count);
}

int CLxPicMemAPI::CopyMask(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                           uint32_t comps, uint32_t bits, const void* mask, uint32_t maskBits,
                           uint32_t maskWB, uint32_t width, uint32_t count, uint32_t value, bool in)
{
    if (emptyWindow(width, count))
        return 0;
    if (sampleBytes(bits) == 0)
        return -2;
    switch (maskBits <= 8 ? 8 : maskBits <= 16 ? 16 : 0) {
    case 8:
        return in ? copymask_8_in(dst, dstWB, src, srcWB, comps, bits, mask, maskWB, width, count,
                                  value)
                  : copymask_8_out(dst, dstWB, src, srcWB, comps, bits, mask, maskWB, width, count,
                                   value);
    case 16:
        // The 3 x 8-bit picture under a 16-bit mask has a member of its own.
        if (comps == 3 && sampleBytes(bits) == 1)
            return in ? copymask_16_3x8_in(dst, dstWB, src, srcWB, mask, maskWB, width, count,
                                           value)
                      : copymask_16_3x8_out(dst, dstWB, src, srcWB, mask, maskWB, width, count,
                                            value);
        return in ? copymask_16_in(dst, dstWB, src, srcWB, comps, bits, mask, maskWB, width, count,
                                   value)
                  : copymask_16_out(dst, dstWB, src, srcWB, comps, bits, mask, maskWB, width, count,
                                    value);
    default:
        return -4;
    }
}

int CLxPicMemAPI::SetValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB,
                           const void* value, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (!value)
        return -4;
    switch (sampleBytes(bits)) {
    case 1:
        return set_Nx8(dst, comps, dstWB, value, width, count);
    case 2:
        return set_Nx16(dst, comps, dstWB, value, width, count);
    default:
        return -2;
    }
}

int CLxPicMemAPI::ChangeValue(void* dst, uint32_t comps, uint32_t bits, uint32_t dstWB,
                              const void* newPixel, const void* oldPixel, uint32_t width,
                              uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (!newPixel || !oldPixel)
        return -4;
    switch (sampleBytes(bits)) {
    case 1:
        return change_Nx8(dst, comps, dstWB, newPixel, oldPixel, width, count);
    case 2:
        return change_Nx16(dst, comps, dstWB, newPixel, oldPixel, width, count);
    default:
        return -2;
    }
}

// Dispatcher of the mask-out kernels.
#include "gnr_picture/picmemAPI/LxMaskOutKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

int CLxPicMemAPI::MaskOut(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t bits,
                          uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t bytes = bits <= 16 ? sampleBytes(bits) : 0;
    if (bytes == 0)
        return -2;
    if (comps == 0 || !dst)
        return -4;
    switch (formatKey(memberComps(comps, {1, 3}), bytes)) {
    case formatKey(1, 1):
        return maskout_1x8(dst, dstWB, mask, width, count);
    case formatKey(3, 1):
        return maskout_3x8(dst, dstWB, mask, width, count);
    case formatKey(0, 1):
        return maskout_Nx8(dst, dstWB, mask, comps, width, count);
    case formatKey(1, 2):
        return maskout_1x16(dst, dstWB, mask, width, count);
    case formatKey(3, 2):
        return maskout_3x16(dst, dstWB, mask, width, count);
    default:
        return maskout_Nx16(dst, dstWB, mask, comps, width, count);
    }
}

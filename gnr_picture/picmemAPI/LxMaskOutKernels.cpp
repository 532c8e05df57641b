#include "gnr_picture/picmemAPI/LxMaskOutKernels.h"

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

using namespace lxpic;

namespace
{

// The plain sample loop: the compiler turns it into word- and vector-wide
// ANDs with the mask repeated, which is all a hand-made word loop would do.
template <class T>
int maskOut(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t width,
            uint32_t pixelCount)
{
    const T m = T(mask);
    const size_t samples = size_t(width) * comps;
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<T> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* line = d[y];
        for (size_t i = 0; i < samples; ++i)
            store<T>(line + i * sizeof(T), T(load<T>(line + i * sizeof(T)) & m));
    }
    return 0;
}

} // namespace

int maskout_1x8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width, uint32_t pixelCount)
{
    return maskOut<uint8_t>(dst, dstWB, mask, 1, width, pixelCount);
}

int maskout_3x8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width, uint32_t pixelCount)
{
    return maskOut<uint8_t>(dst, dstWB, mask, 3, width, pixelCount);
}

int maskout_Nx8(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t width,
                uint32_t pixelCount)
{
    return maskOut<uint8_t>(dst, dstWB, mask, comps, width, pixelCount);
}

int maskout_1x16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width, uint32_t pixelCount)
{
    return maskOut<uint16_t>(dst, dstWB, mask, 1, width, pixelCount);
}

int maskout_3x16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t width, uint32_t pixelCount)
{
    return maskOut<uint16_t>(dst, dstWB, mask, 3, width, pixelCount);
}

int maskout_Nx16(void* dst, uint32_t dstWB, uint32_t mask, uint32_t comps, uint32_t width,
                 uint32_t pixelCount)
{
    return maskOut<uint16_t>(dst, dstWB, mask, comps, width, pixelCount);
}

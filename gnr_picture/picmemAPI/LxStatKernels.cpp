// The correlation and running-average members: instances of
// LxStatKernelsT.h.
#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxStatKernelsT.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

#define LX_CORRELATION_MEMBER(name, T, CN)                                                         \
    int name(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB, uint32_t width, \
             uint32_t pixelCount, double* result)                                                  \
    {                                                                                              \
        return linearCorrelation<T, CN>(src1, src1WB, src2, src2WB, CN, width, pixelCount,         \
                                        result);                                                   \
    }

LX_CORRELATION_MEMBER(linar_correlation_1x8, u8, 1)
LX_CORRELATION_MEMBER(linar_correlation_3x8, u8, 3)
LX_CORRELATION_MEMBER(linar_correlation_1x16, u16, 1)
LX_CORRELATION_MEMBER(linar_correlation_3x16, u16, 3)

#undef LX_CORRELATION_MEMBER

int linar_correlation_Nx8(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB,
                          uint32_t comps, uint32_t width, uint32_t pixelCount, double* result)
{
    return linearCorrelation<u8, 0>(src1, src1WB, src2, src2WB, comps, width, pixelCount, result);
}

int linar_correlation_Nx16(const void* src1, uint32_t src1WB, const void* src2, uint32_t src2WB,
                           uint32_t comps, uint32_t width, uint32_t pixelCount, double* result)
{
    return linearCorrelation<u16, 0>(src1, src1WB, src2, src2WB, comps, width, pixelCount, result);
}

#define LX_AVERAGE_MEMBER(name, T, CN)                                                             \
    int name(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB, const void* src,  \
             uint32_t srcWB, const void* srcWeights, uint32_t srcWeightsWB, uint32_t width,        \
             uint32_t pixelCount)                                                                  \
    {                                                                                              \
        return averageUpdate<T, CN>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,  \
                                    srcWeightsWB, CN, width, pixelCount);                          \
    }

LX_AVERAGE_MEMBER(average_update_1x8, u8, 1)
LX_AVERAGE_MEMBER(average_update_3x8, u8, 3)
LX_AVERAGE_MEMBER(average_update_1x16, u16, 1)
LX_AVERAGE_MEMBER(average_update_3x16, u16, 3)

#undef LX_AVERAGE_MEMBER

int average_update_Nx8(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                       const void* src, uint32_t srcWB, const void* srcWeights,
                       uint32_t srcWeightsWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return averageUpdate<u8, 0>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                srcWeightsWB, comps, width, pixelCount);
}

int average_update_Nx16(void* avg, uint32_t avgWB, void* avgWeights, uint32_t avgWeightsWB,
                        const void* src, uint32_t srcWB, const void* srcWeights,
                        uint32_t srcWeightsWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return averageUpdate<u16, 0>(avg, avgWB, avgWeights, avgWeightsWB, src, srcWB, srcWeights,
                                 srcWeightsWB, comps, width, pixelCount);
}

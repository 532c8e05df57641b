// The exported LUT kernels: thin instances of the templates.
#include "gnr_picture/picmemAPI/LxLutKernels.h"

#include "gnr_picture/picmemAPI/LxLutApplyKernelsT.h"
#include "gnr_picture/picmemAPI/LxLutCalcKernelsT.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

int calcluts_1x8(void* flat, const double* offset, const double* gain, const double* gamma,
                 uint32_t bits)
{
    return calcFlat<u8>(flat, offset, gain, gamma, bits);
}

int calcluts_Nx8(void* const* rows, const double* offsets, const double* gains,
                 const double* gammas, uint32_t comps, uint32_t bits)
{
    return calcRows<u8>(rows, offsets, gains, gammas, comps, bits);
}

int calcluts_Nx8_rotate(void* const* rows, const double* offsets, uint32_t comps, uint32_t bits)
{
    return rotateRows<u8>(rows, offsets, comps, bits);
}

int min_calcluts_1x8(void* flat, const double* constant, uint32_t bits)
{
    return limitFlat<u8, MinRule>(flat, constant, bits);
}

int min_calcluts_Nx8(void* const* rows, const double* constants, uint32_t comps, uint32_t bits)
{
    return limitRows<u8, MinRule>(rows, constants, comps, bits);
}

int max_calcluts_1x8(void* flat, const double* constant, uint32_t bits)
{
    return limitFlat<u8, MaxRule>(flat, constant, bits);
}

int max_calcluts_Nx8(void* const* rows, const double* constants, uint32_t comps, uint32_t bits)
{
    return limitRows<u8, MaxRule>(rows, constants, comps, bits);
}

int calcluts_1x16(void* flat, const double* offset, const double* gain, const double* gamma,
                  uint32_t bits)
{
    return calcFlat<u16>(flat, offset, gain, gamma, bits);
}

int calcluts_Nx16(void* const* rows, const double* offsets, const double* gains,
                  const double* gammas, uint32_t comps, uint32_t bits)
{
    return calcRows<u16>(rows, offsets, gains, gammas, comps, bits);
}

int calcluts_Nx16_rotate(void* const* rows, const double* offsets, uint32_t comps, uint32_t bits)
{
    return rotateRows<u16>(rows, offsets, comps, bits);
}

int min_calcluts_1x16(void* flat, const double* constant, uint32_t bits)
{
    return limitFlat<u16, MinRule>(flat, constant, bits);
}

int min_calcluts_Nx16(void* const* rows, const double* constants, uint32_t comps, uint32_t bits)
{
    return limitRows<u16, MinRule>(rows, constants, comps, bits);
}

int max_calcluts_1x16(void* flat, const double* constant, uint32_t bits)
{
    return limitFlat<u16, MaxRule>(flat, constant, bits);
}

int max_calcluts_Nx16(void* const* rows, const double* constants, uint32_t comps, uint32_t bits)
{
    return limitRows<u16, MaxRule>(rows, constants, comps, bits);
}

int applyluts_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* flat,
                  uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u8, 1, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                  const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                  uint32_t pixelCount)
{
    return applyLut<u8, 3, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                 pixelCount);
}

int applyluts_3x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* flat,
                       uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u8, 3, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                  const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                  uint32_t pixelCount)
{
    return applyLut<u8, 4, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                 pixelCount);
}

int applyluts_4x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* flat,
                       uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u8, 4, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                  const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                  uint32_t pixelCount)
{
    return applyLut<u8, 0, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                 pixelCount);
}

int applyluts_Nx8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* flat,
                       uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u8, 0, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* flat,
                   uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u16, 1, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                   pixelCount);
}

int applyluts_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                   const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                   uint32_t pixelCount)
{
    return applyLut<u16, 3, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_3x16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                        uint32_t pixelCount)
{
    return applyLut<u16, 3, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                   pixelCount);
}

int applyluts_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                   const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                   uint32_t pixelCount)
{
    return applyLut<u16, 4, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_4x16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                        uint32_t pixelCount)
{
    return applyLut<u16, 4, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                   pixelCount);
}

int applyluts_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                   const void* const* rows, uint32_t comps, uint32_t bits, uint32_t width,
                   uint32_t pixelCount)
{
    return applyLut<u16, 0, true>(dst, dstWB, src, srcWB, rows, nullptr, comps, bits, width,
                                  pixelCount);
}

int applyluts_Nx16_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const void* flat, uint32_t comps, uint32_t bits, uint32_t width,
                        uint32_t pixelCount)
{
    return applyLut<u16, 0, false>(dst, dstWB, src, srcWB, flat, nullptr, comps, bits, width,
                                   pixelCount);
}

int applyluts_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                          const void* const* rows, const uint8_t* colour, uint32_t comps,
                          uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return applyLut<u8, 3, true>(dst, dstWB, src, srcWB, rows, colour, comps, bits, width,
                                 pixelCount);
}

namespace
{

// The sums compiled once per instruction set.
LX_KERNEL_CLONES int sumBytes(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB,
                              uint32_t width, uint32_t pixelCount)
{
    switch (comps) {
    case 1:
        return sumValues<u8, 1>(sums, src, 1, srcWB, width, pixelCount);
    case 3:
        return sumValues<u8, 3>(sums, src, 3, srcWB, width, pixelCount);
    default:
        return sumValues<u8, 0>(sums, src, comps, srcWB, width, pixelCount);
    }
}

LX_KERNEL_CLONES int sumWords(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB,
                              uint32_t width, uint32_t pixelCount)
{
    switch (comps) {
    case 1:
        return sumValues<u16, 1>(sums, src, 1, srcWB, width, pixelCount);
    case 3:
        return sumValues<u16, 3>(sums, src, 3, srcWB, width, pixelCount);
    default:
        return sumValues<u16, 0>(sums, src, comps, srcWB, width, pixelCount);
    }
}

} // namespace

int sum_values_1x8(uint64_t* sum, const void* src, uint32_t srcWB, uint32_t width,
                   uint32_t pixelCount)
{
    return sumBytes(sum, src, 1, srcWB, width, pixelCount);
}

int sum_values_3x8(uint64_t* sums, const void* src, uint32_t srcWB, uint32_t width,
                   uint32_t pixelCount)
{
    return sumBytes(sums, src, 3, srcWB, width, pixelCount);
}

int sum_values_Nx8(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB, uint32_t width,
                   uint32_t pixelCount)
{
    return sumBytes(sums, src, comps, srcWB, width, pixelCount);
}

int sum_values_1x16(uint64_t* sum, const void* src, uint32_t srcWB, uint32_t width,
                    uint32_t pixelCount)
{
    return sumWords(sum, src, 1, srcWB, width, pixelCount);
}

int sum_values_3x16(uint64_t* sums, const void* src, uint32_t srcWB, uint32_t width,
                    uint32_t pixelCount)
{
    return sumWords(sums, src, 3, srcWB, width, pixelCount);
}

int sum_values_Nx16(uint64_t* sums, const void* src, uint32_t comps, uint32_t srcWB, uint32_t width,
                    uint32_t pixelCount)
{
    return sumWords(sums, src, comps, srcWB, width, pixelCount);
}

#include "gnr_picture/picmemAPI/LxShadingKernels.h"

#include "gnr_picture/picmemAPI/LxShadingKernelsT.h"

using namespace lxpic;

namespace
{

// 2^bits - 1, never beyond what a 16-bit sample holds.
uint32_t wordLimit(uint32_t bits)
{
    return maxOfBits(bits < 16 ? bits : 16);
}

} // namespace

void BuildShadingDivisionTable(uint8_t* table, uint32_t mean)
{
    buildDivisionTable(table, mean, 255);
}

int multshading_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
                    uint32_t shadingWB, const uint8_t* table, uint32_t width, uint32_t pixelCount)
{
    return shadeLines<uint8_t, 1>(dst, dstWB, src, srcWB, shading, shadingWB, 1, width, pixelCount,
                                  TableCorrection{&table});
}

int multshading_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
                    uint32_t shadingWB, const uint8_t* const* tables, uint32_t width,
                    uint32_t pixelCount)
{
    return shadeLines<uint8_t, 3>(dst, dstWB, src, srcWB, shading, shadingWB, 3, width, pixelCount,
                                  TableCorrection{tables});
}

int multshading_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
                    uint32_t shadingWB, const uint8_t* const* tables, uint32_t comps,
                    uint32_t width, uint32_t pixelCount)
{
    return shadeLines<uint8_t, 0>(dst, dstWB, src, srcWB, shading, shadingWB, comps, width,
                                  pixelCount, TableCorrection{tables});
}

int multshading_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                     const void* shading, uint32_t shadingWB, uint32_t mean, uint32_t bits,
                     uint32_t width, uint32_t pixelCount)
{
    return shadeLines<uint16_t, 1>(dst, dstWB, src, srcWB, shading, shadingWB, 1, width, pixelCount,
                                   FormulaCorrection{&mean, wordLimit(bits)});
}

int multshading_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                     const void* shading, uint32_t shadingWB, const uint32_t* means, uint32_t bits,
                     uint32_t width, uint32_t pixelCount)
{
    return shadeLines<uint16_t, 3>(dst, dstWB, src, srcWB, shading, shadingWB, 3, width, pixelCount,
                                   FormulaCorrection{means, wordLimit(bits)});
}

int multshading_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                     const void* shading, uint32_t shadingWB, const uint32_t* means, uint32_t comps,
                     uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return shadeLines<uint16_t, 0>(dst, dstWB, src, srcWB, shading, shadingWB, comps, width,
                                   pixelCount, FormulaCorrection{means, wordLimit(bits)});
}
